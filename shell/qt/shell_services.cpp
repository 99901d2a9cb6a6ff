#include "shell/qt/shell_services.h"

#include "framework/qt/focus_highlight.h"
#include "framework/qt/keyboard_navigation.h"
#include "shell/company_files.h"

namespace vorlam::shell::qt {

void installScreenBehaviour(QWidget* screen, const ShellServices& services) {
  // Before the frame has set its colour, screens still highlight in the
  // colour it will set.
  const int number = services.highlightColour.empty()
                         ? numberFromText(kHighlightColourText)
                         : numberFromText(services.highlightColour);
  new vorlam::qt::FocusHighlight(screen, vorlam::qt::colourFromNumber(uint32_t(number)));
  new vorlam::qt::KeyboardNavigation(screen);
}

}  // namespace vorlam::shell::qt
