#include "framework/qt/window_filter.h"

#include <QAbstractSpinBox>
#include <QChildEvent>
#include <QComboBox>
#include <QEvent>

namespace vorlam::qt {

WindowFilter::WindowFilter(QWidget* root) : QObject(root), root_(root) { watch(root); }

WindowFilter::~WindowFilter() = default;

void WindowFilter::watch(QObject* object) {
  if (object == this) return;
  object->installEventFilter(this);
  for (QObject* child : object->children()) watch(child);
}

bool WindowFilter::belongs(const QWidget* w) const {
  if (root_.isNull() || w == nullptr) return false;
  if (w != root_ && !root_->isAncestorOf(w)) return false;
  return w->window() == root_->window();
}

bool WindowFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ChildAdded) {
    // The child may still be under construction; installing a filter on a
    // QObject is safe at any point, and the widget type is looked at only
    // when its events arrive.
    watch(static_cast<QChildEvent*>(event)->child());
    return false;
  }
  if (!watched->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(watched);
  if (!belongs(w)) return false;
  return filterWidgetEvent(w, event);
}

QWidget* controlOf(QWidget* w) {
  if (w == nullptr) return nullptr;
  QWidget* parent = w->parentWidget();
  if (parent != nullptr && (qobject_cast<QAbstractSpinBox*>(parent) || qobject_cast<QComboBox*>(parent)))
    return parent;
  return w;
}

}  // namespace vorlam::qt
