// The registered screens (shell/screen_registry.h) in windows: what a screen
// opened by the windows is given, and the opening of any registered screen
// in the generic model window (framework/qt/model_window.h), so that a
// screen needs no Qt code of its own.
//
// Each screen gets services of its own: its message boxes show modal to its
// own window (before the window exists, over the window it was opened
// from); the screens it opens by procedure name (lookups, forms of another
// subsystem) open through the same registry, each in a window of its own
// modal to the opener's window only.
//
// Lives on the GUI thread; `shell` and `registry` must outlive every screen
// opened through them.
#pragma once

#include <QPointer>
#include <memory>
#include <string_view>

#include "framework/qt/model_window.h"
#include "shell/qt/shell_services.h"
#include "shell/screen_registry.h"

namespace vorlam::shell::qt {

class MainFrame;

class WindowServices : public ScreenServices, public ScreenHost {
 public:
  // `over`: where the screen's first messages and children show before its
  // own window does.
  WindowServices(ShellServices& shell, const ScreenRegistry& registry, QWidget* over);

  Session& session() override { return shell_.session; }
  Dialogs& dialogs() override { return dialogs_; }
  WriteListener* writes() override { return nullptr; }
  // Children and messages of `model` go to its window once it has one,
  // until then over `over`.
  void attach(ScreenModel& model) override;
  Result<std::unique_ptr<Screen>> open(std::string_view procedure, const ScreenRequest& request) override;
  bool has(std::string_view procedure) const override { return registry_.find(procedure) != nullptr; }
  // ScreenHost, before the screen's window exists.
  void run(ScreenModel& child, ScreenModel* parent) override;

  vorlam::qt::ModelWindowOptions windowOptions();

 private:
  ShellServices& shell_;
  const ScreenRegistry& registry_;
  vorlam::qt::ScreenDialogs dialogs_;
};

// Builds and opens `procedure` with services of its own (the returned
// screen owns them).  A screen that refused to open has said why and is
// returned closed.  kNotFound for a procedure not registered.
Result<std::unique_ptr<Screen>> openWindowScreen(ShellServices& shell, const ScreenRegistry& registry,
                                                 std::string_view procedure, const ScreenRequest& request,
                                                 QWidget* over);

// The screen in a model window that owns it, not yet shown; nullptr when it
// did not open (it has said why).
vorlam::qt::ModelWindow* openScreenWindow(ShellServices& shell, const ScreenRegistry& registry,
                                         std::string_view procedure, QWidget* over);

// Runs `procedure` opened to select (a lookup) in a model window modal to
// the screen of `over`, and returns the primary-key values of the record
// chosen; empty when nothing was chosen, or the screen is not registered or
// did not open (it has said why).
std::vector<std::string> lookUp(ShellServices& shell, std::string_view procedure, QWidget* over);

// Makes every menu item whose screen is registered open it in a model
// window in the frame's work area, unless the frame has a view of its own
// registered for the item.  Items of screens not built stay greyed with
// the status text "Em construção".
void registerMenuScreens(MainFrame& frame, ShellServices& shell, const ScreenRegistry& registry);

}  // namespace vorlam::shell::qt
