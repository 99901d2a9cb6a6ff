// What every Qt screen of the tool is given: the process's session, the
// message boxes, the focus-highlight colour the main frame fixes and the
// screens by procedure name.
//
// One ShellServices is made in main() before the frame and lives until the
// process ends; screens keep a reference.  Everything here belongs to the
// GUI thread.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "framework/dialogs.h"
#include "framework/error_manager.h"
#include "framework/qt/list_window.h"
#include "framework/qt/screen_behaviour.h"
#include "shell/session.h"

namespace vorlam::shell {
class ScreenRegistry;
}

namespace vorlam::shell::qt {

// The focus-highlight colour text the main frame sets when it opens; read
// as a number it is red 255, green 255, blue 210.
inline constexpr char kHighlightColourText[] = "13828095";

struct ShellServices {
  Session& session;
  Dialogs& dialogs;
  // Empty until the main frame opens.
  std::string highlightColour;
  // The screens by procedure name (shell/screen_registry.h), for views
  // that open another subsystem's screen; null when none are registered.
  const ScreenRegistry* registry = nullptr;

  // A new error manager for one screen (one per screen, never shared).
  std::unique_ptr<ErrorManager> newErrorManager() const {
    return std::make_unique<ErrorManager>(session.errorServices(), dialogs, session.application());
  }
  // The look of every screen: the focus highlight in the frame's colour
  // (the colour it will set, before it has).
  vorlam::qt::ScreenLook look() const;
  // What a list window shows its messages and keeps its saved queries
  // through.
  vorlam::qt::ListServices listServices() const {
    return {&dialogs, &session.savedQueries(), &session.settings()};
  }
};

// Gives `screen` the behaviour every screen has, in the look of
// `services`: the focus highlight and the keyboard navigation, both owned
// by `screen`.
vorlam::qt::ScreenBehaviour installScreenBehaviour(QWidget* screen, const ShellServices& services);

// The same for a screen that names its procedure: one of the screens that
// keep their window state ("Main", "WLegenda", "BFuncionarios", ...) also
// gets its saved state applied now, before it is shown, and written when it
// closes, under the section of its procedure.  Other screens open as
// defined every time.
vorlam::qt::ScreenBehaviour installScreenBehaviour(QWidget* screen, const ShellServices& services,
                                                   std::string_view procedure);

}  // namespace vorlam::shell::qt
