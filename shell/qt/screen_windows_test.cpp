#include "shell/qt/screen_windows.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include "shell/qt/main_frame.h"
#include "shell/qt/shell_qt_test_fixture.h"

namespace vorlam::shell::qt {
namespace {

namespace harness = vorlam::qt::testing;
using ScreenWindowsTest = testing::ShellQtTest;

// A registered screen with nothing of Qt: a title, a display field and a
// button that opens another registered screen as a lookup.
class Plain : public HostedScreen {
 public:
  Plain(ScreenServices& s, std::string title, bool selecting)
      : HostedScreen(s), model_(selecting ? "Escolha" : "Lista", title) {
    model_.addControl({.name = "LOC:VALOR", .prompt = "Valor:", .kind = ControlKind::kDisplay,
                       .value = [this] { return value_; }});
    model_.addButton({.caption = "&Pesquisa", .press = [this] {
                        Result<std::unique_ptr<Screen>> lookup = services_.open("Escolha", {.mode = "select"});
                        if (!lookup.isOk()) return;
                        model_.runChild(lookup.value()->model());
                        const std::vector<std::string> keys = lookup.value()->chosenKeys();
                        if (!keys.empty()) value_ = keys.front();
                      }});
    model_.addButton({.caption = "&Seleciona", .press = [this] {
                        chosen_ = "42";
                        model_.close();
                      }});
  }
  ScreenModel& model() override { return model_; }
  std::vector<std::string> chosenKeys() const override {
    if (chosen_.empty()) return {};
    return {chosen_};
  }

 private:
  ScreenModel model_;
  std::string value_;
  std::string chosen_;
};

TEST_F(ScreenWindowsTest, MenuItemsOfRegisteredScreensOpenTheirModelInAWindow) {
  ScreenRegistry registry;
  registry.add("Lista", [](ScreenServices& s, const ScreenRequest&) -> Result<std::unique_ptr<Screen>> {
    return std::unique_ptr<Screen>(new Plain(s, "Visualização da Tabela do Plano de Contas", false));
  });
  registry.add("Escolha", [](ScreenServices& s, const ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
    return std::unique_ptr<Screen>(new Plain(s, "Escolha um", r.selecting()));
  });
  registry.addMenuItem(menu::kPlanoContas, "Lista");
  services_->registry = &registry;
  MainFrame frame(*services_);
  // A view of the frame's own wins over the model window.
  frame.registerScreen(menu::kCfop, [] { return new QLabel("própria"); });
  registry.addMenuItem(menu::kCfop, "Lista");
  registerMenuScreens(frame, *services_, registry);
  EXPECT_TRUE(frame.menuAction(menu::kPlanoContas)->isEnabled());
  EXPECT_TRUE(frame.menuAction(menu::kPlanoContas)->statusTip().isEmpty());
  EXPECT_FALSE(frame.menuAction(menu::kEmpresas)->isEnabled());
  EXPECT_EQ(frame.menuAction(menu::kEmpresas)->statusTip(), QString::fromUtf8("Em construção"));
  ASSERT_TRUE(harness::showWindow(&frame));
  EXPECT_NE(qobject_cast<QLabel*>(frame.openScreen(menu::kCfop)), nullptr);

  auto* window = qobject_cast<vorlam::qt::ModelWindow*>(frame.openScreen(menu::kPlanoContas));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Visualização da Tabela do Plano de Contas"));
  EXPECT_EQ(frame.screens().back()->widget(), window);

  // The lookup opens through the registry in a window of its own; its
  // choice comes back.
  QTimer::singleShot(100, [] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* lookup = qobject_cast<vorlam::qt::ModelWindow*>(top);
      if (lookup != nullptr && lookup->isVisible() && lookup->windowTitle() == "Escolha um")
        lookup->button("&Seleciona")->click();
    }
  });
  window->button("&Pesquisa")->click();
  EXPECT_EQ(qobject_cast<QLabel*>(window->control("LOC:VALOR"))->text(), "42");

  // The screen closing itself takes its work-area window along.
  QPointer<QMdiSubWindow> sub = frame.screens().back();
  window->button("&Seleciona")->click();
  harness::wait(50);
  EXPECT_TRUE(sub.isNull());
}

}  // namespace
}  // namespace vorlam::shell::qt
