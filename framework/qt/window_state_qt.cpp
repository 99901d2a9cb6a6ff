#include "framework/qt/window_state_qt.h"

#include <QEvent>
#include <QScreen>

namespace vorlam::qt {

bool isResizable(const QWidget* window) { return window->minimumSize() != window->maximumSize(); }

WindowPlacement placementOf(const QWidget* window) {
  WindowPlacement p;
  p.maximized = window->isMaximized();
  p.minimized = window->isMinimized();
  // The frame's position is what the user moves; the client size is what the
  // window is defined with.
  const QRect normal = (p.maximized || p.minimized) && window->normalGeometry().isValid()
                           ? window->normalGeometry()
                           : QRect(window->pos(), window->size());
  p.x = normal.x();
  p.y = normal.y();
  p.width = normal.width();
  p.height = normal.height();
  return p;
}

void restoreWindowState(const WindowStateStore& store, std::string_view section, QWidget* window) {
  const WindowPlacement defined = placementOf(window);
  ScreenArea area;
  if (QScreen* screen = window->screen()) {
    area.width = screen->availableGeometry().width();
    area.height = screen->availableGeometry().height();
  }
  const bool resizable = isResizable(window);
  const WindowPlacement want = store.restore(section, defined, resizable, area);
  if (want == defined) return;
  Qt::WindowStates states = window->windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized);
  // Geometry first, on the normal window, so that un-maximising later
  // returns to the saved place.
  window->setWindowState(states);
  window->move(want.x, want.y);
  if (resizable) window->resize(want.width, want.height);
  if (want.maximized) states |= Qt::WindowMaximized;
  if (want.minimized) states |= Qt::WindowMinimized;
  window->setWindowState(states);
}

Status saveWindowState(WindowStateStore& store, std::string_view section, const QWidget* window) {
  return store.save(section, placementOf(window), isResizable(window));
}

WindowStateKeeper::WindowStateKeeper(WindowStateStore& store, std::string section, QWidget* window)
    : QObject(window), store_(store), section_(std::move(section)), window_(window) {
  restoreWindowState(store_, section_, window);
  window->installEventFilter(this);
}

bool WindowStateKeeper::eventFilter(QObject* watched, QEvent* event) {
  if (watched != window_) return false;
  if (event->type() == QEvent::Show) {
    opened_ = true;
  } else if (event->type() == QEvent::Close && opened_ && !saved_) {
    // Closed once: a second close event (the frame closing its children,
    // then itself) must not write the state of a window being torn down.
    saved_ = true;
    lastSave_ = saveWindowState(store_, section_, window_);
  }
  return false;
}

}  // namespace vorlam::qt
