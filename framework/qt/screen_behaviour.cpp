#include "framework/qt/screen_behaviour.h"

namespace vorlam::qt {

ScreenBehaviour installScreenBehaviour(QWidget* root, const ScreenLook& look) {
  ScreenBehaviour b;
  b.highlight = new FocusHighlight(root, look.highlight, look.bold);
  b.navigation = new KeyboardNavigation(root);
  return b;
}

void setScreenLook(ScreenBehaviour& behaviour, QWidget* root, const ScreenLook& look) {
  delete behaviour.highlight;
  behaviour.highlight = new FocusHighlight(root, look.highlight, look.bold);
}

}  // namespace vorlam::qt
