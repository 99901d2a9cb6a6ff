// What every window of the system does with the keyboard focus: the focus
// highlight (focus_highlight.h) and the keyboard navigation
// (keyboard_navigation.h), installed together on one screen.
#pragma once

#include <QColor>

#include "framework/qt/focus_highlight.h"
#include "framework/qt/keyboard_navigation.h"

namespace vorlam::qt {

// The process-wide look the main frame sets.
struct ScreenLook {
  QColor highlight = colourFromNumber(kHighlightColourNumber);
  bool bold = false;
};

struct ScreenBehaviour {
  FocusHighlight* highlight = nullptr;      // owned by the screen
  KeyboardNavigation* navigation = nullptr; // owned by the screen; exclude controls here
};

// Installs both on `root` (a top-level window or the widget shown inside the
// frame).  Install once per screen.
ScreenBehaviour installScreenBehaviour(QWidget* root, const ScreenLook& look = {});

// Gives the screen another highlight look (before it is shown): the
// highlight is replaced, the navigation and its exclusions stay.
void setScreenLook(ScreenBehaviour& behaviour, QWidget* root, const ScreenLook& look);

}  // namespace vorlam::qt
