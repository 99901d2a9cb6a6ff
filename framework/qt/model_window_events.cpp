// A model window's answers to the user and to its screen: the screen's
// actions run through act(), the focus moves both ways between the widgets
// and the model, keys and the right-button menu reach the screen, and
// closing asks the screen first.

#include "framework/qt/model_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

#include "framework/qt/model_view.h"

namespace vorlam::qt {

namespace {

// The model's name of a key; empty for keys screens do not declare.
std::string keyName(int key) {
  switch (key) {
    case Qt::Key_Insert: return "Insert";
    case Qt::Key_Delete: return "Delete";
    case Qt::Key_Return:
    case Qt::Key_Enter: return "Enter";
    case Qt::Key_Escape: return "Esc";
    case Qt::Key_PageUp: return "PageUp";
    case Qt::Key_PageDown: return "PageDown";
    case Qt::Key_Home: return "Home";
    case Qt::Key_End: return "End";
    case Qt::Key_Up: return "Up";
    case Qt::Key_Down: return "Down";
    case Qt::Key_Space: return "Space";  // only where a list declares it
    default: break;
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return "F" + std::to_string(key - Qt::Key_F1 + 1);
  return {};
}

}  // namespace

// --- Acting ------------------------------------------------------------------

void ModelWindow::act(const std::function<void()>& action) {
  if (closing_ || model_.closed()) return;
  QPointer<ModelWindow> self(this);
  ++depth_;
  action();
  if (self.isNull()) return;
  --depth_;
  if (depth_ == 0 && postedWaiting_ && !model_.closed()) {
    postedWaiting_ = false;
    ++depth_;
    model_.runPosted();
    if (self.isNull()) return;
    --depth_;
  }
  if (!model_.closed()) refresh();
}

void ModelWindow::runPosted() {
  if (closing_ || model_.closed()) return;
  // A question of the screen's is up (the action that asked is still in
  // hand): what the worker posted waits for its answer.
  if (depth_ > 0) {
    postedWaiting_ = true;
    return;
  }
  act([this] { model_.runPosted(); });
}

void ModelWindow::completeEntry(size_t control, const QString& typed) {
  const std::string name = partName(model_.controls()[control]);
  const std::string text = typed.toStdString();
  act([this, name, text] { model_.type(name, text); });
}

std::string ModelWindow::partOf(QWidget* w) const {
  for (QWidget* p = w; p != nullptr && p != this; p = p->parentWidget()) {
    auto it = partOfWidget_.find(p);
    if (it != partOfWidget_.end()) return it->second;
  }
  return {};
}

QWidget* ModelWindow::focusWidget(const std::string& name) const {
  for (const ControlView& v : controls_) {
    if (!sameName(partName(model_.controls()[v.index]), name)) continue;
    if (auto* group = qobject_cast<QGroupBox*>(v.widget)) {
      for (QRadioButton* r : group->findChildren<QRadioButton*>())
        if (r->isChecked()) return r;
      const QList<QRadioButton*> radios = group->findChildren<QRadioButton*>();
      return radios.isEmpty() ? v.widget : radios.front();
    }
    return v.widget;
  }
  for (const ListView& v : lists_) {
    if (!sameName(model_.lists()[v.index].name, name)) continue;
    return v.window != nullptr ? static_cast<QWidget*>(v.window->view()) : v.table;
  }
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const ScreenButton& b = model_.buttons()[i];
    if (buttons_[i] != nullptr && (sameName(b.name, name) || (!b.caption.empty() && sameCaption(b.caption, name))))
      return buttons_[i];
  }
  return nullptr;
}

void ModelWindow::userFocus(QWidget* now) {
  if (now == nullptr || moving_ || closing_ || model_.closed() || now->window() != window()) return;
  if (now != this && !isAncestorOf(now)) return;
  // Wherever the focus went (Tab, Enter, the arrows), it is in sight.
  scrollIntoSight(now);
  const std::string part = partOf(now);
  if (!part.empty() && !sameName(part, model_.focus())) {
    moving_ = true;
    model_.setFocus(part);
    moving_ = false;
  }
}

void ModelWindow::focusChanged(ScreenModel&, const std::string& focus) {
  if (moving_ || closing_) return;
  QPointer<QWidget> target = focusWidget(focus);
  if (target.isNull() || target->hasFocus()) return;
  // Deferred: the Tab or Enter that completed a field is still moving the
  // focus, and the screen's choice must land after it.
  QTimer::singleShot(0, this, [this, target, focus] {
    // A later move of the screen's may have overtaken this one.
    if (target.isNull() || closing_ || !sameName(model_.focus(), focus)) return;
    // A button the user is pressing took the focus from the field this
    // completed: taking it away would cancel the click.
    auto* pressed = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    if (pressed != nullptr && pressed->isDown() && isAncestorOf(pressed)) return;
    moving_ = true;
    target->setFocus(Qt::OtherFocusReason);
    moving_ = false;
    scrollIntoSight(target);
  });
}

void ModelWindow::closed(ScreenModel&) {
  if (closing_) return;
  // Queued: the screen may close itself in the middle of an action.
  QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
}

void ModelWindow::beeped(ScreenModel&) { QApplication::beep(); }

void ModelWindow::run(ScreenModel& child, ScreenModel*) { runModelWindow(child, this, options_); }

bool ModelWindow::hasKey(const std::string& name, const std::string& scope) const {
  for (const ScreenKey& k : model_.keys())
    if (k.name == name && (scope.empty() ? k.scope.empty() : sameName(k.scope, scope))) return true;
  return false;
}

bool ModelWindow::keyPress(QWidget* w, QKeyEvent* key) {
  if (key->modifiers() & ~Qt::KeypadModifier) return false;
  const std::string name = keyName(key->key());
  if (name.empty()) return false;
  const std::string part = partOf(w);
  const bool onList = !part.empty() && model_.list(part) != nullptr;
  const bool scoped = !part.empty() && hasKey(name, part);
  const bool unscoped = hasKey(name, "");
  const bool editing = qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QComboBox*>(w) != nullptr;
  bool handle = false;
  if (name == "Esc") handle = true;
  else if (scoped) handle = true;
  else if (name[0] == 'F') handle = unscoped;
  else if (name == "Enter") handle = onList && qobject_cast<QLineEdit*>(w) == nullptr;
  else if (name == "Insert" || name == "Delete") handle = unscoped && !editing;
  if (!handle) return false;
  if (key->type() == QEvent::ShortcutOverride) return true;
  act([this, name, part, onList] {
    if (!part.empty() && (onList || hasKey(name, part))) model_.setFocus(part);
    model_.key(name);
  });
  return true;
}

bool ModelWindow::contextMenu(QWidget* viewport, const QPoint& at) {
  // The right-button menu repeats the buttons shown with the list.
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const int tab = model_.currentTab();
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const ScreenButton& b = model_.buttons()[i];
    if (b.caption.empty() || !model_.visible(b) || (b.tab >= 0 && b.tab != tab)) continue;
    QAction* a = menu->addAction(modelText(b.caption));
    a->setEnabled(model_.enabled(b));
    const std::string caption = b.caption;
    connect(a, &QAction::triggered, this, [this, caption] { act([this, caption] { model_.press(caption); }); });
  }
  menu->popup(viewport->mapToGlobal(at));
  return true;
}

bool ModelWindow::eventFilter(QObject* watched, QEvent* event) {
  auto* w = qobject_cast<QWidget*>(watched);
  if (w == nullptr || closing_ || (w != this && !isAncestorOf(w))) return false;
  switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      const bool handled = keyPress(w, static_cast<QKeyEvent*>(event));
      if (handled) event->accept();
      return handled;
    }
    case QEvent::ContextMenu: {
      for (const ListView& v : lists_) {
        QWidget* viewport = v.window != nullptr ? v.window->view()->viewport() : v.table->viewport();
        if (w == viewport) return contextMenu(viewport, static_cast<QContextMenuEvent*>(event)->pos());
      }
      return false;
    }
    default:
      return false;
  }
}

void ModelWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  focusChanged(model_, model_.focus());
}

void ModelWindow::closeEvent(QCloseEvent* event) {
  if (!model_.closed()) {
    // The screen decides (message 10 on a changed form); never under a
    // child still open.
    if (depth_ > 0) {
      event->ignore();
      return;
    }
    QPointer<ModelWindow> self(this);
    bool mayClose = false;
    act([this, &mayClose] {
      closing_ = true;
      mayClose = model_.requestClose();
      closing_ = false;
    });
    if (self.isNull()) return;
    if (!mayClose) {
      event->ignore();
      if (!model_.closed()) refresh();
      return;
    }
  }
  closing_ = true;
  event->accept();
}

}  // namespace vorlam::qt
