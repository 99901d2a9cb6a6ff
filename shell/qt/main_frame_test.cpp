#include "shell/qt/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QToolBar>
#include <QTest>
#include <QToolButton>

#include "framework/qt/model_window.h"
#include "shell/qt/shell_qt_test_fixture.h"

namespace vorlam::shell::qt {
namespace {

namespace harness = vorlam::qt::testing;
using testing::ShellQtTest;

QStringList texts(const QList<QAction*>& actions) {
  QStringList out;
  for (QAction* a : actions) out << a->text();
  return out;
}

QStringList u(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* s : items) out << QString::fromUtf8(s);
  return out;
}

using MainFrameTest = ShellQtTest;

TEST_F(MainFrameTest, MenusAndItemsAsTheSuiteNamesThem) {
  MainFrame frame(*services_);
  EXPECT_EQ(frame.windowTitle(), "Vorlam Banco de Dados");
  QList<QAction*> bar = frame.menuBar()->actions();
  EXPECT_EQ(texts(bar), u({"&Arquivo", "&Lançamentos", "A&juste", "&Utilitários", "&Sair", "Aj&uda"}));
  ASSERT_EQ(bar.size(), 6);
  EXPECT_EQ(texts(bar[0]->menu()->actions()),
            u({"&CFOP", "Código de Serviço", "&Empresas", "&Fornecedores", "&Lançamento Padrão",
               "Níveis do Plano de Contas", "&Plano de Contas"}));
  EXPECT_EQ(texts(bar[1]->menu()->actions()),
            u({"&Lançamentos da Contabilidade", "Lançamentos de NF de Entradas",
               "Lançamentos de NF de Saídas", "Lançamentos de ISS Modelo 51",
               "Lançamentos de ISS Modelo 53", "Baixa de Duplicatas de Entradas",
               "Baixa de Duplicatas de Saídas", "Baixa de Duplicatas de ISS Modelo 51",
               "Baixa de Duplicatas de ISS Modelo 53"}));
  EXPECT_EQ(texts(bar[2]->menu()->actions()), u({"Ajuste do Plano de Contas"}));
  EXPECT_EQ(texts(bar[3]->menu()->actions()), u({"Atualiação"}));
  EXPECT_EQ(bar[4]->menu(), nullptr);
  EXPECT_EQ(bar[5]->menu(), nullptr);
  // "Aj&uda" does nothing, and nothing opens when it is chosen.
  frame.helpAction()->trigger();
  EXPECT_TRUE(frame.screens().empty());
  EXPECT_EQ(frame.errors().procedure(), "Main");
  EXPECT_EQ(services_->highlightColour, "13828095");
}

TEST_F(MainFrameTest, CompanyToolbarInTabOrder) {
  MainFrame frame(*services_);
  QStringList prompts;
  QList<QWidget*> order;
  for (QAction* a : frame.companyBar()->actions()) {
    QWidget* w = frame.companyBar()->widgetForAction(a);
    if (a->isSeparator()) order << nullptr;
    if (auto* l = qobject_cast<QLabel*>(w); l && l->objectName().isEmpty() && !l->text().trimmed().isEmpty())
      prompts << l->text();
    if (w && (w == frame.codeValue() || w == frame.chartTypeValue() || w == frame.structureValue() ||
              w == frame.nameValue() || w == frame.selectButton() || w == frame.exitButton()))
      order << w;
  }
  EXPECT_EQ(prompts, u({"Código :", "Tipo do Plano:", "Código PL:", "Empresa :"}));
  EXPECT_EQ(order, (QList<QWidget*>{nullptr, frame.codeValue(), frame.chartTypeValue(),
                                    frame.structureValue(), frame.selectButton(),
                                    frame.exitButton(), frame.nameValue()}));
  EXPECT_EQ(frame.selectButton()->text(), "Seleciona Empresa");
  EXPECT_EQ(frame.selectButton()->toolTip(), "Seleciona Empresa. < F2 >.");
  EXPECT_EQ(frame.selectButton()->defaultAction()->statusTip(), "Seleciona Empresa. < F2 >.");
  EXPECT_EQ(frame.exitButton()->toolTip(), "Sair do sistema.");
  EXPECT_TRUE(frame.exitButton()->text().isEmpty());
  // Display fields, not entry fields.
  EXPECT_TRUE(frame.companyBar()->findChildren<QLineEdit*>().isEmpty());

  CurrentCompany c;
  c.codigo = 1234;
  c.razao = "Padaria São João";
  c.tpContasDesc = "Individual";
  c.codPlanoContas = 7;
  session_->state().setCompany(c);
  frame.refreshCompany();
  EXPECT_EQ(frame.codeValue()->text(), "1.234");
  EXPECT_EQ(frame.chartTypeValue()->text(), "Individual");
  EXPECT_EQ(frame.structureValue()->text(), "7");
  EXPECT_EQ(frame.nameValue()->text(), "Padaria São João");
}

TEST_F(MainFrameTest, ItemsWithoutScreenAreDisabledAndRegisteredOnesOpenCopies) {
  MainFrame frame(*services_);
  for (const MenuItemDef& def : menuItems()) {
    ASSERT_NE(frame.menuAction(def.item), nullptr) << def.item;
    EXPECT_FALSE(frame.menuAction(def.item)->isEnabled()) << def.item;
    // Greyed, and saying why.
    EXPECT_EQ(frame.menuAction(def.item)->statusTip(), QString::fromUtf8("Em construção")) << def.item;
  }
  EXPECT_EQ(frame.openScreen(menu::kPlanoContas), nullptr);
  EXPECT_FALSE(frame.registerScreen("Plano de Contas", [] { return new QLabel; }));

  int built = 0;
  ASSERT_TRUE(frame.registerScreen(menu::kPlanoContas, [&built] {
    auto* screen = new QLabel(QString("Cópia %1").arg(++built));
    screen->setWindowTitle(QString::fromUtf8("Visualização da Tabela do Plano de Contas"));
    return screen;
  }));
  EXPECT_TRUE(frame.menuAction(menu::kPlanoContas)->isEnabled());
  EXPECT_FALSE(frame.menuAction(menu::kCfop)->isEnabled());
  EXPECT_TRUE(frame.menuAction(menu::kPlanoContas)->statusTip().isEmpty());
  ASSERT_TRUE(harness::showWindow(&frame));
  frame.menuAction(menu::kPlanoContas)->trigger();
  frame.menuAction(menu::kPlanoContas)->trigger();
  auto screens = frame.screens();
  ASSERT_EQ(screens.size(), 2u);
  EXPECT_EQ(built, 2);
  EXPECT_NE(screens[0]->widget(), screens[1]->widget());
  EXPECT_EQ(qobject_cast<QLabel*>(screens[0]->widget())->text(), QString::fromUtf8("Cópia 1"));
  // Closing one copy leaves the other.
  screens[0]->close();
  harness::wait(20);
  ASSERT_EQ(frame.screens().size(), 1u);
  EXPECT_EQ(qobject_cast<QLabel*>(frame.screens()[0]->widget())->text(), QString::fromUtf8("Cópia 2"));

  // A screen that did not open leaves nothing behind.
  ASSERT_TRUE(frame.registerScreen(menu::kCfop, [] { return nullptr; }));
  EXPECT_EQ(frame.openScreen(menu::kCfop), nullptr);
  EXPECT_EQ(frame.screens().size(), 1u);
}

// A screen sized for a larger display opens whole inside the work area;
// one that cannot be narrowed that far shows its left edge and title first.
TEST_F(MainFrameTest, AScreenLargerThanTheWorkAreaOpensInsideIt) {
  MainFrame frame(*services_);
  ASSERT_TRUE(harness::showWindow(&frame));
  auto* area = frame.findChild<QMdiArea*>();
  ASSERT_NE(area, nullptr);
  const QRect room = area->viewport()->rect();
  ASSERT_TRUE(frame.registerScreen(menu::kPlanoContas, [room] {
    auto* screen = new QLabel(QString::fromUtf8("Plano de Contas"));
    screen->resize(room.width() + 300, room.height() + 200);
    return screen;
  }));
  ASSERT_TRUE(frame.registerScreen(menu::kCfop, [room] {
    auto* screen = new QLabel(QString::fromUtf8("CFOP"));
    screen->setMinimumWidth(room.width() + 100);
    return screen;
  }));
  frame.openScreen(menu::kPlanoContas);
  frame.openScreen(menu::kCfop);
  harness::wait(20);
  const auto screens = frame.screens();
  ASSERT_EQ(screens.size(), 2u);
  EXPECT_TRUE(room.contains(screens[0]->geometry())) << screens[0]->geometry().x() << "," << screens[0]->geometry().y()
                                                     << " " << screens[0]->width() << "x" << screens[0]->height();
  EXPECT_EQ(screens[1]->x(), room.left());
  EXPECT_GE(screens[1]->y(), room.top());
  EXPECT_LE(screens[1]->geometry().bottom(), room.bottom());
}

TEST_F(MainFrameTest, FileMaintenanceBlocksTheFrameUntilItCloses) {
  MainFrame frame(*services_);
  ASSERT_TRUE(harness::showWindow(&frame));
  QPointer<QWidget> maintenance;
  ASSERT_TRUE(frame.registerScreen(menu::kAtualizacao, [&] {
    maintenance = new QLabel(QString::fromUtf8("Atualização Arquivos"));
    maintenance->setWindowTitle(QString::fromUtf8("Atualização Arquivos"));
    return maintenance.data();
  }));
  bool modalWhileOpen = false;
  bool menuBlocked = false;
  int screensWhileOpen = -1;
  ShellQtTest::whenOpen<QLabel>([&](QLabel* w) {
    modalWhileOpen = QApplication::activeModalWidget() == w;
    // The frame takes no input while the window is up.
    menuBlocked = QApplication::activeModalWidget() != nullptr &&
                  QApplication::activeModalWidget() != &frame;
    screensWhileOpen = int(frame.screens().size());
    w->close();
  });
  EXPECT_EQ(frame.openScreen(menu::kAtualizacao), nullptr);  // returns once it closed
  EXPECT_TRUE(modalWhileOpen);
  EXPECT_TRUE(menuBlocked);
  EXPECT_EQ(screensWhileOpen, 0);  // not a window of the work area
  EXPECT_TRUE(maintenance.isNull());
}

TEST_F(MainFrameTest, F2OpensOneSelectionAndItsChoiceReachesTheToolbar) {
  addCompany(12, "Mercearia Boa Vista", 2, 5);
  MainFrame frame(*services_);
  ASSERT_TRUE(harness::showWindow(&frame));
  harness::pressKey(&frame, Qt::Key_F2);
  ASSERT_EQ(frame.screens().size(), 1u);
  auto* view = qobject_cast<vorlam::qt::ModelWindow*>(frame.screens()[0]->widget());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->windowTitle(), QString::fromUtf8("Selecionar empresa e período"));
  // The button does what F2 does, and a second request brings the same one.
  frame.selectButton()->click();
  harness::pressKey(&frame, Qt::Key_F2);
  EXPECT_EQ(frame.screens().size(), 1u);

  harness::wait(20);  // the window is up
  {
    // Its window's close button asks the screen, which wants a company.
    harness::MessageScript script;
    EXPECT_FALSE(frame.screens()[0]->close());
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].text, QString::fromUtf8("Selecione uma Empresa !"));
    EXPECT_EQ(frame.screens().size(), 1u);
  }
  // The frame has the keyboard again, on the code entry the screen asked for.
  frame.activateWindow();
  EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == view->control("GLO:EMPRESA:CODIGO"); }, 2000));
  harness::typeText(view->control("GLO:EMPRESA:CODIGO"), "12");
  harness::typeText(view->control("GLO:MES"), "13");
  // The screen's "&Selecionar" takes Alt+S before the menu bar's "&Sair".
  harness::pressKey(&frame, Qt::Key_S, Qt::AltModifier);
  harness::wait(20);
  EXPECT_TRUE(frame.isVisible());
  EXPECT_TRUE(frame.screens().empty());
  EXPECT_EQ(frame.codeValue()->text(), "12");
  EXPECT_EQ(frame.nameValue()->text(), "Mercearia Boa Vista");
  EXPECT_EQ(frame.chartTypeValue()->text(), "Individual");
  EXPECT_EQ(frame.structureValue()->text(), "5");
  EXPECT_EQ(session_->state().company().mes, kWholeYear);
}

TEST_F(MainFrameTest, SairClosesAndSavesTheWindowStateOfMain) {
  {
    MainFrame frame(*services_);
    ASSERT_TRUE(harness::showWindow(&frame));
    harness::pressKey(&frame, Qt::Key_S, Qt::AltModifier);
    harness::wait(20);
    EXPECT_FALSE(frame.isVisible());
  }
  EXPECT_EQ(session_->settings().read("Main", "Maximize", "", "Vorlam.INI"), "No");
  EXPECT_NE(session_->settings().read("Main", "Width", "", "Vorlam.INI"), "");
}

TEST_F(MainFrameTest, ClosingDropsASelectionLeftWithoutCompany) {
  MainFrame frame(*services_);
  ASSERT_TRUE(harness::showWindow(&frame));
  frame.openCompanySelection();
  ASSERT_EQ(frame.screens().size(), 1u);
  harness::MessageScript script;
  EXPECT_TRUE(frame.close());
  harness::wait(20);
  EXPECT_TRUE(script.seen().empty());  // no "Selecione uma Empresa !" on the way out
  EXPECT_EQ(session_->state().company().codigo, 0);
}

}  // namespace
}  // namespace vorlam::shell::qt
