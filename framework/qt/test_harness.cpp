#include "framework/qt/test_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "framework/qt/qt_dialogs.h"

namespace vorlam::qt::testing {

QApplication* application() {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
  // QApplication keeps references to argc and argv for its whole life.
  static int argc = 1;
  static char name[] = "vorlam-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return app;
}

bool showWindow(QWidget* window) {
  window->show();
  if (!QTest::qWaitForWindowExposed(window, 2000)) return false;
  window->activateWindow();
  return QTest::qWaitForWindowActive(window, 2000);
}

void wait(int ms) { QTest::qWait(ms); }

QString plainCaption(const QString& caption) {
  QString out;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

QAbstractButton* findButton(QWidget* window, const QString& caption) {
  const QString wanted = plainCaption(caption);
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
    if (b->text() == caption || plainCaption(b->text()) == wanted) return b;
  return nullptr;
}

bool clickButton(QWidget* window, const QString& caption) {
  QAbstractButton* b = findButton(window, caption);
  if (b == nullptr || !b->isEnabled()) return false;
  b->click();
  return true;
}

void typeText(QWidget* field, const QString& text) {
  field->setFocus(Qt::OtherFocusReason);
  // The focus moves only once the field's window is active; a window that
  // is still becoming active (a dialog modal to its screen alone) gets the
  // keys on the field itself.
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr || target->window() != field->window()) target = field;
  // As when the user tabs into the field: what is typed replaces its text.
  if (auto* edit = qobject_cast<QLineEdit*>(target)) edit->selectAll();
  if (auto* combo = qobject_cast<QComboBox*>(target); combo != nullptr && combo->lineEdit() != nullptr)
    combo->lineEdit()->selectAll();
  for (QChar ch : text) {
    // Latin-1 letters have key codes equal to their upper-case code point;
    // anything else travels as text alone.
    const char16_t up = ch.toUpper().unicode();
    const Qt::Key key = up < 0x100 ? Qt::Key(up) : Qt::Key_unknown;
    QTest::sendKeyEvent(QTest::Press, target, key, QString(ch), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, target, key, QString(ch), Qt::NoModifier);
  }
}

void pressKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers) {
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr || target->window() != window->window()) target = window;
  QTest::keyClick(target, Qt::Key(key), modifiers);
}

QWidget* focused() { return QApplication::focusWidget(); }

bool savePng(QWidget* widget, const QString& path) { return widget->grab().save(path, "PNG"); }

QColor baseColour(const QWidget* widget) { return widget->palette().color(QPalette::Base); }

MessageScript::MessageScript() : timer_(new QTimer(this)) {
  application();
  connect(timer_, &QTimer::timeout, this, &MessageScript::poll);
  timer_->start(10);
}

MessageScript::~MessageScript() = default;

void MessageScript::answer(const QString& caption) { answers_.push_back(caption); }

void MessageScript::poll() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    auto* window = qobject_cast<MessageWindow*>(top);
    if (window == nullptr || !window->isVisible() || window->property("vorlamAnswered").toBool()) continue;
    window->setProperty("vorlamAnswered", true);
    Seen seen;
    seen.title = window->windowTitle();
    seen.text = window->text();
    QPushButton* pick = nullptr;
    QPushButton* fallback = nullptr;
    const QString wanted = answers_.empty() ? QString() : plainCaption(answers_.front());
    for (QPushButton* b : window->buttons()) {
      seen.captions << b->text();
      if (b->isDefault()) {
        seen.defaultCaption = b->text();
        fallback = b;
      }
      if (window->focusWidget() == b) seen.focusedCaption = b->text();
      if (!wanted.isEmpty() && plainCaption(b->text()) == wanted) pick = b;
    }
    if (!answers_.empty()) answers_.pop_front();
    if (pick == nullptr) pick = fallback;
    if (pick == nullptr && !window->buttons().empty()) pick = window->buttons().front();
    seen.answered = pick ? pick->text() : QString();
    seen_.push_back(seen);
    if (pick) {
      pick->click();
    } else {
      window->reject();
    }
  }
}

DialogScript::DialogScript() : timer_(new QTimer(this)) {
  application();
  connect(timer_, &QTimer::timeout, this, &DialogScript::poll);
  timer_->start(10);
}

DialogScript::~DialogScript() = default;

void DialogScript::then(std::function<void(QDialog*)> act) { actions_.push_back(std::move(act)); }

void DialogScript::poll() {
  auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  // Dialogs modal to their screen only (screen_modal.h) are not the
  // application's modal widget.
  if (dialog == nullptr) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<QDialog*>(top);
      if (d != nullptr && d->isVisible() && d->property("vorlamScreenModal").toBool() &&
          !d->property("vorlamWorked").toBool() && qobject_cast<MessageWindow*>(d) == nullptr)
        dialog = d;
    }
  }
  if (dialog == nullptr || qobject_cast<MessageWindow*>(dialog) != nullptr || !dialog->isVisible() ||
      dialog->property("vorlamWorked").toBool())
    return;
  dialog->setProperty("vorlamWorked", true);
  seen_ << dialog->windowTitle();
  if (actions_.empty()) {
    dialog->reject();
    return;
  }
  std::function<void(QDialog*)> act = std::move(actions_.front());
  actions_.pop_front();
  act(dialog);
}

}  // namespace vorlam::qt::testing
