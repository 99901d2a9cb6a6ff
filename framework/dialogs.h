// What the framework asks of the user interface: message boxes, the screens'
// own button-list questions, and the control over the application's end.
//
// Library code never shows a window or ends the process itself; it talks to
// these interfaces.  The Qt user interface implements them; tests use
// ScriptedDialogs below, which answers from a queue and records every
// request.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/status.h"

namespace vorlam {

// Message-box buttons.  A button set is the OR of these bits, and the value
// of a pressed button is its bit.
inline constexpr uint32_t kButtonOk = 1u << 0;
inline constexpr uint32_t kButtonYes = 1u << 1;
inline constexpr uint32_t kButtonNo = 1u << 2;
inline constexpr uint32_t kButtonAbort = 1u << 3;
inline constexpr uint32_t kButtonRetry = 1u << 4;
inline constexpr uint32_t kButtonIgnore = 1u << 5;
inline constexpr uint32_t kButtonCancel = 1u << 6;
inline constexpr uint32_t kButtonHelp = 1u << 7;
inline constexpr int kButtonCount = 8;

// Captions of the framework's message window, in bit order ("&" marks the
// keyboard shortcut).  The window shows the buttons of the set in this order.
inline constexpr std::array<std::string_view, kButtonCount> kButtonCaptions = {
    "O&k", "&Yes", "&No", "&Abort", "&Retry", "&Ignore", "&Cancel", "&Help"};

// The caption of one button bit; empty for anything else.
inline std::string_view buttonCaption(uint32_t button) {
  for (int i = 0; i < kButtonCount; ++i)
    if (button == (1u << i)) return kButtonCaptions[i];
  return {};
}

// The buttons of `set`, in display order.
inline std::vector<uint32_t> buttonsOf(uint32_t set) {
  std::vector<uint32_t> out;
  for (int i = 0; i < kButtonCount; ++i)
    if (set & (1u << i)) out.push_back(1u << i);
  return out;
}

// The button that takes the focus: `preferred` when it is one of `set`,
// otherwise the first button of the set (OK for an empty set).
inline uint32_t effectiveDefaultButton(uint32_t set, uint32_t preferred) {
  if (preferred != 0 && (set & preferred) == preferred && (preferred & (preferred - 1)) == 0) return preferred;
  for (uint32_t b : buttonsOf(set)) return b;
  return kButtonOk;
}

enum class MessageIcon { kNone, kInformation, kQuestion, kExclamation, kError };

// A message box.  `text` breaks lines at '\n' (the "|" of catalogue texts is
// turned into '\n' before it gets here).
struct MessageBoxRequest {
  std::string title;
  std::string text;
  MessageIcon icon = MessageIcon::kNone;
  uint32_t buttons = kButtonOk;        // bit set; an empty set shows OK
  uint32_t defaultButton = kButtonOk;  // one bit of `buttons`
};

// A screen's own question: the captions come from a button list such as
// "&Não|&Sim"; button 1 is the first caption.
struct QuestionRequest {
  std::string title;
  std::string text;
  MessageIcon icon = MessageIcon::kQuestion;
  std::string buttonList;
  int defaultButton = 1;  // 1-based
};

// The captions of a button list, in order ("&Não|&Sim" -> "&Não", "&Sim").
inline std::vector<std::string> splitButtonList(std::string_view list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (true) {
    size_t bar = list.find('|', start);
    out.emplace_back(list.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  return out;
}

// Catalogue and screen texts break lines with "|"; message boxes with '\n'.
inline std::string messageBoxText(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '|') c = '\n';
  return out;
}

// The user interface's side.  Implementations run the box modally on the
// calling screen's thread (or marshal to the UI thread and wait).
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Returns the value of the pressed button, always one bit of the request's
  // set; closing the box without a button answers Cancel when the set has it,
  // otherwise the default button.
  virtual uint32_t messageBox(const MessageBoxRequest& request) = 0;
  // Returns the 1-based number of the pressed button of the list; closing the
  // box without a button answers the last button of the list.
  virtual int question(const QuestionRequest& request) = 0;

  // A file to open: the dialog's title, its filter as the screens write it
  // ("Imagens | *.bmp;*.gif") and the folder it starts in.  The answer is
  // the chosen file's full path; nullopt when nothing was chosen or the
  // interface has no file dialog (canChooseFiles()).  Choosing never
  // changes the process's working directory.
  struct FileRequest {
    std::string title;
    std::string filter;
    std::string directory;
  };
  virtual bool canChooseFiles() const { return false; }

  // A table to print as a list shows it: the title, the column headers and
  // the rows in order.  `rows` hands every row to its visitor and may be
  // called more than once (a long list is never held whole).  The user
  // picks the printer (or a PDF file); print() answers true once every row
  // has gone to the printer, false when the user gave up.
  struct PrintRequest {
    std::string title;
    std::vector<std::string> headers;
    std::function<Status(const std::function<void(const std::vector<std::string>&)>& row)> rows;
  };
  virtual bool canPrint() const { return false; }
  virtual Result<bool> print(const PrintRequest& request) {
    (void)request;
    return Status(StatusCode::kUnsupported, "impressão indisponível");
  }
  virtual std::optional<std::string> chooseFile(const FileRequest& request) {
    (void)request;
    return std::nullopt;
  }
};

// The application's end.  A fatal message asks for it; the application then
// ends only once every bulk operation in progress has noticed the request at
// a record boundary, flushed and returned.  Implementations are thread-safe.
class ApplicationControl {
 public:
  virtual ~ApplicationControl() = default;
  // Returns at once; `reason` is the text that caused the request.
  virtual void requestShutdown(std::string_view reason) = 0;
  virtual bool shutdownRequested() const = 0;
};

// Dialogs for tests: answers from queues (when a queue is empty, the default
// button), and keeps every request in the order asked.  Not thread-safe.
class ScriptedDialogs : public Dialogs {
 public:
  // The answer to the next message box: a button value such as kButtonNo.
  void answerBox(uint32_t button) { boxAnswers_.push_back(button); }
  // The answer to the next question: a 1-based button number.
  void answerQuestion(int button) { questionAnswers_.push_back(button); }

  uint32_t messageBox(const MessageBoxRequest& request) override {
    boxes.push_back(request);
    if (boxAnswers_.empty()) return effectiveDefaultButton(request.buttons, request.defaultButton);
    uint32_t answer = boxAnswers_.front();
    boxAnswers_.pop_front();
    return answer;
  }
  int question(const QuestionRequest& request) override {
    questions.push_back(request);
    if (questionAnswers_.empty()) return request.defaultButton;
    int answer = questionAnswers_.front();
    questionAnswers_.pop_front();
    return answer;
  }

  std::vector<MessageBoxRequest> boxes;     // every message box shown
  std::vector<QuestionRequest> questions;   // every question asked

 private:
  std::deque<uint32_t> boxAnswers_;
  std::deque<int> questionAnswers_;
};

}  // namespace vorlam
