// Saved window state applied to real windows: the Qt side of
// framework/window_state.h.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <string>
#include <string_view>

#include "framework/window_state.h"
#include "storage/status.h"

namespace vorlam::qt {

// Whether the user can resize `window`: its minimum and maximum sizes differ.
bool isResizable(const QWidget* window);

// The placement `window` has now: position of its frame, size of its client
// area, maximised and minimised state.  A maximised or minimised window
// reports the geometry it returns to.
WindowPlacement placementOf(const QWidget* window);

// Applies the saved state of `section` to `window`, before it is shown.  A
// missing or malformed section leaves the window as defined.
void restoreWindowState(const WindowStateStore& store, std::string_view section, QWidget* window);

// Writes the state of `window` to `section`.
Status saveWindowState(WindowStateStore& store, std::string_view section, const QWidget* window);

// Restores the window's state when created and saves it when the window
// closes, but only when it had been shown.  Owned by `window`; `store`
// must outlive it.  The last save's status is kept for the screen to report.
class WindowStateKeeper : public QObject {
  Q_OBJECT
 public:
  WindowStateKeeper(WindowStateStore& store, std::string section, QWidget* window);

  const Status& lastSave() const { return lastSave_; }

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;

  WindowStateStore& store_;
  std::string section_;
  QPointer<QWidget> window_;
  bool opened_ = false;
  bool saved_ = false;
  Status lastSave_;
};

}  // namespace vorlam::qt
