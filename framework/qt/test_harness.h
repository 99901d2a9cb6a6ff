// Driving real windows from tests: show a window offscreen, type into its
// fields, press keys and buttons, answer its message windows by script and
// save pictures of it.
//
// Everything here runs on the GUI thread.  Tests run with the "offscreen"
// platform (QT_QPA_PLATFORM=offscreen); under a real display server the same
// calls work on visible windows.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QObject>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

class QAbstractButton;
class QApplication;
class QDialog;
class QTimer;

namespace vorlam::qt::testing {

// The process's QApplication, created on first use when there is none.
// Gtest's main has no QApplication of its own.
QApplication* application();

// Shows `window` and waits until it is exposed and active (at most 2 s).
// Returns false when it never became active.
bool showWindow(QWidget* window);

// Lets queued events run for `ms` milliseconds.
void wait(int ms);

// `caption` without its '&' mnemonic marks ("&&" stays one "&").
QString plainCaption(const QString& caption);

// The first button of `window` whose caption is `caption` (compared with and
// without '&'), or nullptr.
QAbstractButton* findButton(QWidget* window, const QString& caption);

// Clicks that button; returns false when there is none or it is disabled.
bool clickButton(QWidget* window, const QString& caption);

// Gives `field` the focus and types `text` into it one character at a time,
// as key presses carrying the character (accented letters included).  In a
// line edit the typing replaces the text, as after tabbing into it.
void typeText(QWidget* field, const QString& text);

// Presses and releases `key` on the widget that has the focus in `window`
// (the window itself when nothing has it).
void pressKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The focused widget of the application; nullptr when none.
QWidget* focused();

// Saves a picture of `widget` as PNG; returns false when it could not.
bool savePng(QWidget* widget, const QString& path);

// The background colour a widget paints its entry area with.
QColor baseColour(const QWidget* widget);

// Answers message windows (framework/qt/qt_dialogs.h) as they open, from a
// queue of captions.  A window that opens when the queue is empty is
// answered with its default button, so a test never hangs on one.  Install
// the script before the action that opens the window; it watches for as
// long as it lives.
class MessageScript : public QObject {
  Q_OBJECT
 public:
  MessageScript();
  ~MessageScript() override;

  // The next window is answered with the button captioned `caption`
  // (with or without '&').  A caption the window lacks answers the default.
  void answer(const QString& caption);

  // What an answered window showed.
  struct Seen {
    QString title;
    QString text;
    QStringList captions;   // in display order
    QString defaultCaption;
    QString focusedCaption; // caption of the button that had the focus
    QString answered;       // caption pressed
  };
  const std::vector<Seen>& seen() const { return seen_; }
  int unanswered() const { return int(answers_.size()); }

 private:
  void poll();

  std::deque<QString> answers_;
  std::vector<Seen> seen_;
  QTimer* timer_;
};

// Works the modal windows other than message windows (a query window, a
// form opened by a list) that open with exec(): each one that opens gets the
// next action of the queue, which fills it in and closes it.  A window that
// opens when the queue is empty is rejected, so a test never hangs on one.
class DialogScript : public QObject {
  Q_OBJECT
 public:
  DialogScript();
  ~DialogScript() override;

  void then(std::function<void(QDialog*)> act);
  int pending() const { return int(actions_.size()); }
  // Titles of the windows worked, in order.
  const QStringList& seen() const { return seen_; }

 private:
  void poll();

  std::deque<std::function<void(QDialog*)>> actions_;
  QStringList seen_;
  QTimer* timer_;
};

}  // namespace vorlam::qt::testing
