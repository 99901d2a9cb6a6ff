// The Qt side of framework/dialogs.h: the framework's own message window and
// the Dialogs implementation every screen is given.
//
// All widgets live on the application's GUI thread.  QtDialogs may be called
// from any thread: a call from another thread is carried over to the GUI
// thread and waits there for the answer.
#pragma once

#include <QDialog>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "framework/dialogs.h"

class QAbstractButton;
class QLabel;
class QPushButton;

namespace vorlam::qt {

// A modal message window: an icon, the text (line breaks at '\n', shown as
// plain text) and one row of buttons, left to right in the order given.
// The default button is the default of the dialog and takes the focus when
// the window is shown.  result() after exec() is the 1-based number of the
// button pressed, or 0 when the window was closed without a button.
class MessageWindow : public QDialog {
  Q_OBJECT
 public:
  // `captions` are button captions with '&' mnemonics; `defaultButton` is
  // 1-based and falls back to 1 when out of range.
  MessageWindow(const QString& title, const QString& text, MessageIcon icon, const QStringList& captions,
                int defaultButton, QWidget* parent = nullptr);

  // The buttons, in display order; owned by the window.
  const std::vector<QPushButton*>& buttons() const { return buttons_; }
  QString text() const;
  MessageIcon icon() const { return icon_; }
  int defaultButton() const { return default_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::vector<QPushButton*> buttons_;
  QLabel* textLabel_ = nullptr;
  MessageIcon icon_;
  int default_;
};

// The standard icon of `icon` for the current style; a null icon for kNone.
QIcon messageIcon(MessageIcon icon);

// Dialogs shown with MessageWindow.  `parent` (may be null) is the window the
// boxes are centred on; it must outlive this object.
// Prints `request` to `printer` as it stands (a PDF file or a printer the
// caller set up): landscape, the title and page number and the headers on
// every page, the columns as wide as their widest text.
Status printTable(const Dialogs::PrintRequest& request, QPrinter& printer);

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  // Shows the buttons of the set with the framework's captions ("O&k",
  // "&Yes", ...) in bit order; returns the bit of the button pressed.
  // Closing the window without a button answers Cancel when the set has it,
  // otherwise the default button.
  uint32_t messageBox(const MessageBoxRequest& request) override;
  // Shows the captions of the request's button list; returns the 1-based
  // number pressed, or the last button's number when the window is closed.
  int question(const QuestionRequest& request) override;
  bool canChooseFiles() const override { return true; }
  std::optional<std::string> chooseFile(const FileRequest& request) override;
  bool canPrint() const override { return true; }
  // Asks for the printer (the print dialog offers a PDF file too) and
  // prints the table in landscape, the headers on every page.
  Result<bool> print(const PrintRequest& request) override;

 private:
  int run(const QString& title, const QString& text, MessageIcon icon, const QStringList& captions,
          int defaultButton);

  QWidget* parent_;
};

}  // namespace vorlam::qt
