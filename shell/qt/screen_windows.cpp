#include "shell/qt/screen_windows.h"


#include "shell/main_menu.h"
#include <QMdiArea>

#include "shell/qt/main_frame.h"

namespace vorlam::shell::qt {

namespace {

// A screen with the services it was built with: they go after it.
class WindowScreen : public Screen {
 public:
  WindowScreen(std::unique_ptr<WindowServices> services, std::unique_ptr<Screen> screen)
      : services_(std::move(services)), screen_(std::move(screen)) {}
  ScreenModel& model() override { return screen_->model(); }
  Status open() override { return screen_->open(); }
  std::vector<std::string> chosenKeys() const override { return screen_->chosenKeys(); }

 private:
  std::unique_ptr<WindowServices> services_;
  std::unique_ptr<Screen> screen_;
};

}  // namespace

WindowServices::WindowServices(ShellServices& shell, const ScreenRegistry& registry, QWidget* over)
    : shell_(shell), registry_(registry), dialogs_(over) {}

void WindowServices::attach(ScreenModel& model) {
  model.setHost(this);
  model.setDialogs(&dialogs_);
}

Result<std::unique_ptr<Screen>> WindowServices::open(std::string_view procedure, const ScreenRequest& request) {
  return openWindowScreen(shell_, registry_, procedure, request, dialogs_.window());
}

void WindowServices::run(ScreenModel& child, ScreenModel*) {
  vorlam::qt::runModelWindow(child, dialogs_.window(), windowOptions());
}

vorlam::qt::ModelWindowOptions WindowServices::windowOptions() {
  vorlam::qt::ModelWindowOptions options;
  options.look = shell_.look();
  options.list = shell_.listServices();
  options.list.dialogs = &dialogs_;
  return options;
}

Result<std::unique_ptr<Screen>> openWindowScreen(ShellServices& shell, const ScreenRegistry& registry,
                                                 std::string_view procedure, const ScreenRequest& request,
                                                 QWidget* over) {
  auto services = std::make_unique<WindowServices>(shell, registry, over);
  Result<std::unique_ptr<Screen>> opened = openRegistered(registry, *services, procedure, request);
  if (!opened.isOk()) return opened.status();
  return std::unique_ptr<Screen>(new WindowScreen(std::move(services), std::move(opened).value()));
}

vorlam::qt::ModelWindow* openScreenWindow(ShellServices& shell, const ScreenRegistry& registry,
                                         std::string_view procedure, QWidget* over) {
  auto services = std::make_unique<WindowServices>(shell, registry, over);
  WindowServices& s = *services;
  Result<std::unique_ptr<Screen>> opened = openRegistered(registry, s, procedure, {});
  if (!opened.isOk()) {
    MessageBoxRequest box;
    box.title = "Atenção!!!";
    box.text = opened.status().message();
    box.icon = MessageIcon::kExclamation;
    s.dialogs().messageBox(box);
    return nullptr;
  }
  std::unique_ptr<Screen> screen(new WindowScreen(std::move(services), std::move(opened).value()));
  if (screen->model().closed()) return nullptr;
  auto* window = new vorlam::qt::ModelWindow(screen->model(), s.windowOptions());
  window->adopt(std::move(screen));
  return window;
}

std::vector<std::string> lookUp(ShellServices& shell, std::string_view procedure, QWidget* over) {
  if (shell.registry == nullptr) return {};
  auto services = std::make_unique<WindowServices>(shell, *shell.registry, over);
  Result<std::unique_ptr<Screen>> opened = openRegistered(*shell.registry, *services, procedure, {.mode = "select"});
  if (!opened.isOk() || opened.value()->model().closed()) return {};
  vorlam::qt::runModelWindow(opened.value()->model(), over, services->windowOptions());
  return opened.value()->chosenKeys();
}

void registerMenuScreens(MainFrame& frame, ShellServices& shell, const ScreenRegistry& registry) {
  for (const MenuItemDef& def : menuItems()) {
    const std::string procedure = registry.procedureOf(def.item);
    if (procedure.empty() || registry.find(procedure) == nullptr || frame.isRegistered(def.item)) continue;
    frame.registerScreen(def.item, [&frame, &shell, &registry, procedure]() -> QWidget* {
      return openScreenWindow(shell, registry, procedure, frame.workArea());
    });
  }
}

}  // namespace vorlam::shell::qt
