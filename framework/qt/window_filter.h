// Base of the per-window behaviours (focus highlight, keyboard navigation):
// one event filter that watches every control of one screen, including
// controls created after it was installed.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace vorlam::qt {

class WindowFilter : public QObject {
  Q_OBJECT
 public:
  // Watches `root` and all its present and future descendants.  The filter
  // is a child of `root` and dies with it.  `root` is the screen: a top-level
  // window, or the widget shown inside a multiple-document frame.
  explicit WindowFilter(QWidget* root);
  ~WindowFilter() override;

  QWidget* root() const { return root_; }

  // Whether `w` belongs to this screen: `root` itself or a descendant on the
  // same window (a dialog opened over the screen has its own filters).
  bool belongs(const QWidget* w) const;

 protected:
  // Called for every event of a widget that belongs to the screen; returns
  // true to stop the event.
  virtual bool filterWidgetEvent(QWidget* w, QEvent* event) = 0;

 private:
  bool eventFilter(QObject* watched, QEvent* event) final;
  void watch(QObject* object);

  QPointer<QWidget> root_;
};

// The control a focus or key event stands for: the spin box or drop list
// around an inner line edit, otherwise `w` itself.
QWidget* controlOf(QWidget* w);

}  // namespace vorlam::qt
