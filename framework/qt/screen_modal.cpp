#include "framework/qt/screen_modal.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>

namespace vorlam::qt {

namespace {

bool isInput(QEvent::Type t) {
  switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

// Keeps input away from one screen while its dialog is up, and hands the
// dialog's status texts to the frame.
class ScreenBlock : public QObject {
 public:
  ScreenBlock(QWidget* screen, QWidget* dialog) : screen_(screen), dialog_(dialog) {
    qApp->installEventFilter(this);
    // The frame is the main window the screen stands in, or the one a
    // separate screen window was opened from.
    for (QWidget* p = screen_; p != nullptr && frame_ == nullptr; p = p->parentWidget())
      frame_ = qobject_cast<QMainWindow*>(p);
  }
  ~ScreenBlock() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w == nullptr || dialog_.isNull()) return false;
    const bool inDialog = w == dialog_ || dialog_->isAncestorOf(w);
    if (event->type() == QEvent::StatusTip && inDialog && frame_ != nullptr && frame_->statusBar() != nullptr) {
      frame_->statusBar()->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
      return false;
    }
    // The frame does not close under a screen's dialog either: the dialog's
    // caller still has work to finish when it returns.
    if (event->type() == QEvent::Close && w == frame_ && !inDialog) {
      event->ignore();
      return true;
    }
    if (screen_.isNull() || inDialog || !isInput(event->type())) return false;
    if (w != screen_ && !screen_->isAncestorOf(w)) return false;
    // A click on the blocked screen brings its dialog forward instead.
    if (event->type() == QEvent::MouseButtonPress) {
      dialog_->raise();
      dialog_->activateWindow();
    }
    event->ignore();
    return true;
  }

 private:
  QPointer<QWidget> screen_;
  QPointer<QWidget> dialog_;
  QPointer<QMainWindow> frame_;
};

}  // namespace

void keepInside(QRect& r, const QRect& bounds) {
  if (r.right() > bounds.right()) r.moveRight(bounds.right());
  if (r.bottom() > bounds.bottom()) r.moveBottom(bounds.bottom());
  if (r.left() < bounds.left()) r.moveLeft(bounds.left());
  if (r.top() < bounds.top()) r.moveTop(bounds.top());
}

QWidget* screenOf(QWidget* w) {
  for (QWidget* p = w; p != nullptr; p = p->parentWidget()) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(p)) return sub;
    if (p->isWindow()) return p;
  }
  return nullptr;
}

void placeOverScreen(QWidget* window, QWidget* over) {
  QWidget* screen = screenOf(over);
  if (window == nullptr || screen == nullptr) return;
  window->adjustSize();
  // adjustSize holds a window to two thirds of the display: a form that
  // asks for more, and fits, shows whole instead of scrolling.
  if (QScreen* display = screen->screen()) {
    const QSize room = display->availableGeometry().size() - (window->frameGeometry().size() - window->size());
    const QSize wanted = window->sizeHint().boundedTo(room).expandedTo(window->size());
    if (wanted != window->size()) window->resize(wanted);
  }
  const QRect area(screen->mapToGlobal(QPoint(0, 0)), screen->size());
  QRect frame = screen->window()->frameGeometry();
  if (frame.isEmpty()) frame = area;
  QRect r(QPoint(0, 0), window->frameGeometry().size().expandedTo(window->size()));
  r.moveCenter(area.center());
  // Inside the frame's window as far as it fits, its title bar first.
  keepInside(r, frame);
  // A window wider or taller than the frame (the chart opened from a
  // narrow form) still stands whole on the display: out of it, its buttons
  // could not be reached.
  if (QScreen* display = screen->screen()) {
    const QRect usable = display->availableGeometry();
    if (window->width() > usable.width() || window->height() > usable.height()) {
      window->resize(window->size().boundedTo(usable.size()));
      r.setSize(r.size().boundedTo(usable.size()));
    }
    keepInside(r, usable);
  }
  window->move(r.topLeft());
}

int execForScreen(QDialog& dialog) {
  QWidget* parent = dialog.parentWidget();
  if (parent == nullptr) return dialog.exec();
  dialog.setWindowModality(Qt::NonModal);
  dialog.setProperty("vorlamScreenModal", true);
  QWidget* screen = screenOf(parent);
  placeOverScreen(&dialog, parent);
  ScreenBlock block(screen, &dialog);
  QEventLoop loop;
  QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  dialog.show();
  dialog.raise();
  dialog.activateWindow();
  if (dialog.isVisible()) loop.exec();
  return dialog.result();
}

void runForScreen(QWidget* window, QWidget* over) {
  QPointer<QWidget> guard(window);
  window->setWindowModality(Qt::NonModal);
  placeOverScreen(window, over);
  ScreenBlock block(screenOf(over), window);
  QEventLoop loop;
  QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
  window->show();
  window->raise();
  window->activateWindow();
  if (!guard.isNull()) loop.exec();
}

}  // namespace vorlam::qt
