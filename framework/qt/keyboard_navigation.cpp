#include "framework/qt/keyboard_navigation.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QCheckBox>
#include <QTabBar>
#include <QTextEdit>

namespace vorlam::qt {

namespace {

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
bool isBack(int key) { return key == Qt::Key_Up || key == Qt::Key_Left; }
bool isForward(int key) { return key == Qt::Key_Down || key == Qt::Key_Right; }

FocusMove arrowMove(int key) { return isBack(key) ? FocusMove::kPrevious : FocusMove::kNext; }

FocusMove lineEditMove(const QLineEdit* edit, int key) {
  if (isEnter(key) || key == Qt::Key_Down) return FocusMove::kNext;
  if (key == Qt::Key_Up) return FocusMove::kPrevious;
  if (edit->completer() != nullptr && edit->completer()->popup() != nullptr &&
      edit->completer()->popup()->isVisible())
    return FocusMove::kNone;
  // Inside the text Left and Right move the cursor; only at the edge of the
  // text do they leave the field.
  if (edit->hasSelectedText()) return FocusMove::kNone;
  if (key == Qt::Key_Left) return edit->cursorPosition() == 0 ? FocusMove::kPrevious : FocusMove::kNone;
  return edit->cursorPosition() >= edit->text().size() ? FocusMove::kNext : FocusMove::kNone;
}

bool isTextEditor(const QWidget* w) {
  return qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w);
}

// Whether Tab is the control's own key (it then never leaves it by Tab).
bool ownsTab(const QWidget* w) {
  if (auto* t = qobject_cast<const QTextEdit*>(w)) return !t->tabChangesFocus();
  if (auto* t = qobject_cast<const QPlainTextEdit*>(w)) return !t->tabChangesFocus();
  if (auto* v = qobject_cast<const QAbstractItemView*>(w)) return v->tabKeyNavigation();
  return false;
}

}  // namespace

FocusMove focusMoveFor(const QWidget* control, int key, Qt::KeyboardModifiers modifiers) {
  if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) return FocusMove::kNone;
  if (!isEnter(key) && !isBack(key) && !isForward(key)) return FocusMove::kNone;
  if (auto* edit = qobject_cast<const QLineEdit*>(control)) return lineEditMove(edit, key);
  if (qobject_cast<const QAbstractSpinBox*>(control) || qobject_cast<const QComboBox*>(control))
    return isEnter(key) ? FocusMove::kNext : FocusMove::kNone;
  if (qobject_cast<const QRadioButton*>(control)) return isEnter(key) ? FocusMove::kNext : FocusMove::kNone;
  if (qobject_cast<const QCheckBox*>(control)) return isEnter(key) ? FocusMove::kNext : arrowMove(key);
  if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
    // An icon-only button (a lookup beside its field) is passed over by
    // Enter like a field; a captioned button takes Enter itself.
    if (isEnter(key)) return button->text().isEmpty() && !button->icon().isNull() ? FocusMove::kNext : FocusMove::kNone;
    return arrowMove(key);
  }
  if (qobject_cast<const QAbstractItemView*>(control) || isTextEditor(control) ||
      qobject_cast<const QTabBar*>(control) || qobject_cast<const QAbstractSlider*>(control) ||
      qobject_cast<const QAbstractScrollArea*>(control))
    return FocusMove::kNone;
  return isEnter(key) ? FocusMove::kNext : arrowMove(key);
}

QList<QWidget*> tabOrder(QWidget* root) {
  QList<QWidget*> out;
  if (root == nullptr) return out;
  QWidget* window = root->window();
  auto takes = [&](QWidget* w) {
    return (w == root || root->isAncestorOf(w)) && w->window() == window && (w->focusPolicy() & Qt::TabFocus) &&
           w->focusProxy() == nullptr && w->isEnabled() && w->isVisibleTo(window);
  };
  if (takes(root)) out << root;
  // The focus chain is circular; it holds every widget of the window once.
  for (QWidget* w = root->nextInFocusChain(); w != root && w != nullptr; w = w->nextInFocusChain())
    if (takes(w)) out << w;
  return out;
}

QWidget* neighbour(QWidget* root, QWidget* from, FocusMove move) {
  if (move == FocusMove::kNone) return nullptr;
  const QList<QWidget*> order = tabOrder(root);
  if (order.isEmpty()) return nullptr;
  qsizetype at = -1;
  for (QWidget* w = from; w != nullptr && at < 0; w = w->parentWidget()) {
    at = order.indexOf(w);
    if (w == root) break;
  }
  const qsizetype n = order.size();
  if (at < 0) return move == FocusMove::kNext ? order.front() : order.back();
  return order[(move == FocusMove::kNext ? at + 1 : at - 1 + n) % n];
}

KeyboardNavigation::KeyboardNavigation(QWidget* root) : WindowFilter(root) {}

void KeyboardNavigation::exclude(QWidget* control) { excluded_.emplace_back(control); }

bool KeyboardNavigation::isExcluded(const QWidget* control) const {
  for (const QPointer<QWidget>& e : excluded_)
    if (e && (e == control || e->isAncestorOf(control))) return true;
  return false;
}

bool KeyboardNavigation::move(QWidget* from, FocusMove how) {
  QWidget* to = neighbour(root(), from, how);
  if (to == nullptr) return false;
  to->setFocus(how == FocusMove::kNext ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

bool KeyboardNavigation::filterWidgetEvent(QWidget* w, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  // Decide once, on the widget that has the focus: a key its control does
  // not take travels on to the parents, and a spin box hands its keys on to
  // its inner editor.
  if (w != QApplication::focusWidget()) return false;
  QWidget* control = controlOf(w);

  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  if ((key->key() == Qt::Key_Tab && mods == Qt::NoModifier) ||
      key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && mods == Qt::ShiftModifier)) {
    if (ownsTab(control)) return false;
    return move(control, key->key() == Qt::Key_Tab && mods == Qt::NoModifier ? FocusMove::kNext
                                                                              : FocusMove::kPrevious);
  }
  if (isExcluded(control)) return false;
  FocusMove how = focusMoveFor(control, key->key(), key->modifiers());
  if (how == FocusMove::kNone) return false;
  return move(control, how);
}

}  // namespace vorlam::qt
