// Screen scripts: driving screen models (framework/screen_model.h) the way
// a user does, from a text, and printing what happened.
//
// The language: one command per line; "#" starts a comment; words are
// separated by blanks, and a word with blanks is written in double quotes
// (\" inside).  Commands:
//
//   company C | period MM/YYYY        the current company and period, as the
//                                     selection screen sets them
//   setting FILE SECTION KEY VALUE    writes a settings file entry
//   menu ITEM...                      a main-menu item by its captions
//   open PROCEDURE [insert|change|delete|view|select] [KEY...]
//   tab CAPTION | type CONTROL TEXT | press CAPTION | key NAME
//   row N | click N COLUMN | locate TEXT | answer CAPTION
//   expect message TITLE TEXT | expect no-message | expect beep
//   expect value CONTROL TEXT | expect state CONTROL enabled|disabled|hidden|visible|read-only
//   expect focus CONTROL | expect screen PROCEDURE | expect closed | expect title TEXT
//   expect rows N | expect cell ROW COLUMN TEXT
//   expect record TABLE FIELD=VALUE... [count N]
//   expect write TABLE insert|change|delete [KEY...] [count N] | expect no-write
//
// "expect write" checks the oldest write of the last command not checked
// yet (the writes a command makes are told in the order they were made),
// or the N oldest in a row; without KEY any key will do.  "expect
// no-write" checks that every one of them has been checked.
// Actions go to the screen receiving them: the innermost open child, else
// the screen opened last that is still open.  A child screen (a lookup, a
// form) opened by an action takes the following commands until it closes;
// then the action that opened it finishes.  Message boxes take the oldest
// queued answer; a box with none presses its default button.
//
// Transcript, one line per event: open PROCEDURE "TITLE", message "TITLE"
// "TEXT" [BUTTONS] -> "ANSWER", focus CONTROL, beep, write TABLE
// insert|change|delete KEY, close PROCEDURE, and "fail LINE: ..." for a
// failed check.  Exit status: 0 every check passed; 1 a check failed (the
// script stops there); 2 the script cannot run (unknown command, screen,
// control, button...; a message with the line number goes to `err` and
// nothing runs after it).  A script whose commands cannot all be read does
// not run at all.
#pragma once

#include <deque>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/dictionary.h"
#include "framework/dialogs.h"
#include "framework/screen_context.h"
#include "framework/screen_model.h"
#include "storage/status.h"

namespace vorlam {

struct ScriptCommand {
  int line = 0;
  std::vector<std::string> words;  // words[0] is the command
};

// Splits and checks every line: kInvalidArgument "linha N: ..." for an
// unknown command, a wrong number of words or an unclosed quote.
Result<std::vector<ScriptCommand>> parseScript(std::string_view text);

// What a script needs of the application.
class ScriptEnvironment {
 public:
  virtual ~ScriptEnvironment() = default;
  virtual const Dictionary& dictionary() const = 0;
  // The file bound to the table's binding now; empty when none is.
  virtual std::string pathFor(const TableDef& table) const = 0;
  virtual Status setCompany(uint16_t code) = 0;
  virtual Status setPeriod(int month, int year) = 0;
  virtual Status setting(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& value) = 0;
  // A new screen by procedure name; `request` is "" or one of insert,
  // change, delete, view, select; `keys` the primary key of a form's
  // record.  kNotFound for an unknown procedure or record.
  virtual Result<std::unique_ptr<Screen>> open(const std::string& procedure, const std::string& request,
                                              const std::vector<std::string>& keys) = 0;
};

class ScriptRunner : public ScreenHost, public ScreenObserver, public Dialogs, public WriteListener {
 public:
  ScriptRunner(ScriptEnvironment& environment, std::ostream& out, std::ostream& err);
  ~ScriptRunner() override;

  // An independent screen (the main frame, a menu item, open): it receives
  // the actions until it closes.  A screen whose model is closed already is
  // only kept.
  void show(std::unique_ptr<Screen> screen);
  // Sends the model's messages, children and events here (show() does it;
  // a screen that opens children while it opens needs it before).
  void attach(ScreenModel& model);
  // Runs the commands; returns the exit status.
  int run(const std::vector<ScriptCommand>& script);

  // ScreenHost: the child takes the commands until it closes.
  void run(ScreenModel& child, ScreenModel* parent) override;
  // ScreenObserver
  void focusChanged(ScreenModel& screen, const std::string& focus) override;
  void closed(ScreenModel& screen) override;
  void beeped(ScreenModel& screen) override;
  // Dialogs
  uint32_t messageBox(const MessageBoxRequest& request) override;
  int question(const QuestionRequest& request) override;
  // WriteListener
  void written(const std::string& table, WriteKind kind, const std::string& key) override;

 private:
  struct Shown {
    std::string title;
    std::string text;
  };
  void loop(ScreenModel* until);
  void execute(const ScriptCommand& c);
  void act(const ScriptCommand& c);
  void check(const ScriptCommand& c);
  void checkControl(const ScriptCommand& c, ScreenModel& screen);
  void checkList(const ScriptCommand& c, ScreenModel& screen);
  // Fails line c with what `expect` wanted and what was seen.
  void expected(const ScriptCommand& c, const std::string& want, const std::string& seen);
  void checkRecord(const ScriptCommand& c);
  void checkWrite(const ScriptCommand& c);
  ScreenModel* receiving() const;
  // The answer for a box with `captions`; -1 when none is queued.
  int takeAnswer(const std::vector<std::string>& captions, int defaultIndex, bool* byDefault);
  void printMessage(const std::string& title, const std::string& text, const std::vector<std::string>& captions,
                    int answer, bool byDefault);
  void fail(int line, const std::string& text);
  void cannotRun(int line, const std::string& text);
  // Fails the script (2 for kNotFound, 1 otherwise) when `s` is an error.
  bool actionFailed(int line, const Status& s, const std::string& what);

  ScriptEnvironment& env_;
  std::ostream& out_;
  std::ostream& err_;
  const std::vector<ScriptCommand>* script_ = nullptr;
  size_t next_ = 0;
  int line_ = 0;  // the command being run
  int exit_ = 0;
  bool stop_ = false;
  std::vector<std::unique_ptr<Screen>> owned_;
  std::vector<ScreenModel*> stack_;  // receiving = the last open one
  std::deque<std::pair<int, std::string>> answers_;  // line, caption
  std::vector<Shown> shown_;  // message boxes since the previous check
  int beeps_ = 0;             // beeps of the last action
  std::deque<std::string> writes_;  // "TABLE KIND KEY" of the last command, not yet checked
  ScreenModel* target_ = nullptr;  // the screen of the last action
  bool targetClosed_ = false;
};

}  // namespace vorlam
