#include "shell/qt/shell_services.h"

#include "framework/qt/window_state_qt.h"
#include "framework/window_state.h"
#include "shell/company_files.h"

namespace vorlam::shell::qt {

vorlam::qt::ScreenLook ShellServices::look() const {
  const std::string& text = highlightColour.empty() ? std::string(kHighlightColourText) : highlightColour;
  vorlam::qt::ScreenLook look;
  look.highlight = vorlam::qt::colourFromNumber(uint32_t(numberFromText(text)));
  return look;
}

vorlam::qt::ScreenBehaviour installScreenBehaviour(QWidget* screen, const ShellServices& services) {
  return vorlam::qt::installScreenBehaviour(screen, services.look());
}

vorlam::qt::ScreenBehaviour installScreenBehaviour(QWidget* screen, const ShellServices& services,
                                                   std::string_view procedure) {
  if (persistsWindowState(procedure))
    new vorlam::qt::WindowStateKeeper(services.session.windowState(), std::string(procedure), screen);
  return installScreenBehaviour(screen, services);
}

}  // namespace vorlam::shell::qt
