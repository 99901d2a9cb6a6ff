// Modal to one screen: a form, lookup or message opened by a screen blocks
// that screen only.  The main frame, its menu and every other screen keep
// answering meanwhile; the screen's own window, and the frame, cannot be
// closed under its dialog.
//
// The dialog is shown over the frame (centred on the blocked screen, kept
// inside the frame's window), and its widgets' status texts show on the
// frame's status bar, as those of screens inside the frame do.
//
// The wait is a nested event loop: a screen whose dialog closes while
// another screen's dialog, opened later, is still up resumes once that one
// closes too.  Lives on the GUI thread.
#pragma once

#include <QDialog>
#include <QRect>

namespace vorlam::qt {

// The widget that stands for the screen of `w`: its work-area window in
// the main frame, else its own top-level window.
QWidget* screenOf(QWidget* w);

// Moves `r` into `bounds` as far as it fits, its top-left corner first.
void keepInside(QRect& r, const QRect& bounds);

// Places `window` over the screen of `over`, inside the frame's window.
void placeOverScreen(QWidget* window, QWidget* over);

// Shows `dialog` modal to the screen of its parent and waits; the
// dialog's result.  A dialog without a parent is application-modal.
int execForScreen(QDialog& dialog);

// Shows `window` (a top-level window that deletes itself when it closes)
// modal to the screen of `over` and waits until it is gone.
void runForScreen(QWidget* window, QWidget* over);

}  // namespace vorlam::qt
