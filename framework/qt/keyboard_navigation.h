// Keyboard navigation of a screen: Enter moves to the next control as Tab
// does, Up and Left to the previous one as Shift+Tab does, Down and Right to
// the next one, each only on the kinds of control where the key has no use
// of its own.  Tab and Shift+Tab wrap around at both ends of the screen.
//
// Which keys move, by kind of control (everything else keeps its keys):
//   line edit         Enter, Up, Down; Left only with the text cursor at the
//                     start, Right only at the end (no selection)
//   spin box, date,   Enter (the arrows step and move the cursor)
//   drop list
//   check box         Enter and the four arrows
//   radio button      Enter (the arrows choose within the group)
//   push/tool button  the four arrows (Enter presses the button)
//   lists, tables,    nothing (arrows move the cursor, Enter picks)
//   text editors, tab bars, sliders, scroll areas
//   other controls    Enter and the four arrows
// Keys with Ctrl, Alt or Shift held keep their meaning.
#pragma once

#include <QList>
#include <QPointer>
#include <vector>

#include "framework/qt/window_filter.h"

namespace vorlam::qt {

enum class FocusMove { kNone, kNext, kPrevious };

// What pressing `key` (with `modifiers`) on `control` does to the focus,
// by the rules above.
FocusMove focusMoveFor(const QWidget* control, int key, Qt::KeyboardModifiers modifiers);

// The controls of `root` that Tab visits, in tab order: visible, enabled,
// taking the focus by Tab, on root's window.
QList<QWidget*> tabOrder(QWidget* root);

// The control after (or before) `from` in root's tab order, wrapping around
// at both ends; nullptr when root has no such control.  A `from` outside the
// order (an inner editor, a label) counts as its nearest listed ancestor, or
// as standing before the first control.
QWidget* neighbour(QWidget* root, QWidget* from, FocusMove move);

class KeyboardNavigation : public WindowFilter {
  Q_OBJECT
 public:
  // Navigates the controls of `root`; owned by `root`.
  explicit KeyboardNavigation(QWidget* root);

  // Enter and the arrows keep their own meaning on `control` and every
  // control inside it (a list and its locator, say).  Tab is not affected.
  void exclude(QWidget* control);
  bool isExcluded(const QWidget* control) const;

 protected:
  bool filterWidgetEvent(QWidget* w, QEvent* event) override;

 private:
  bool move(QWidget* from, FocusMove move);

  std::vector<QPointer<QWidget>> excluded_;
};

}  // namespace vorlam::qt
