// The error manager: raises the numbered messages of the catalogue
// (framework/messages.h) for one screen, substituting its current file, key,
// field and error values, and acts by the message's level.
//
// Ownership and threads.  Each screen owns one ErrorManager.  A manager
// keeps the placeholder values and the procedure-name stack per calling
// thread, so two screens never see each other's file or field names, and
// neither do a screen and the work it runs on a thread of its own.  What is
// shared by the whole process (the log file, the history of past messages,
// the Yes/No default) lives in one ErrorServices object that every manager
// refers to.  Every read and write of that state, the managers' included,
// takes the ErrorServices' one lock, released before any dialog is shown.
// Neither shows a window nor ends the process: messages go to the Dialogs
// given, and a fatal message asks the ApplicationControl given to shut down.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "framework/dialogs.h"
#include "framework/messages.h"
#include "storage/status.h"

namespace vorlam {

// A message as it was raised, for the history window ("Errors History").
struct RaisedMessage {
  uint16_t number = 0;
  uint8_t level = 0;
  std::string title;
  std::string text;       // substituted
  std::string procedure;  // innermost procedure of the raising screen
};

// Local date and time of a log line: a day number and a time value
// (hundredths since midnight plus one).
struct LogClockReading {
  int32_t day = 0;
  int32_t time = 0;
};
using LogClock = std::function<LogClockReading()>;
// The system's local date and time.
LogClockReading systemClock();

// Process-wide part of the error machinery.  Every member takes the one lock
// around the state it touches; no lock is held while a dialog is shown.
class ErrorServices {
 public:
  ErrorServices();
  ErrorServices(const ErrorServices&) = delete;
  ErrorServices& operator=(const ErrorServices&) = delete;

  // Logging is off by default.  When on, every raised message appends one
  // line "dd/mm/yyyy hh:mm:ss --> text" (Windows-1252) to `path`.
  void enableLog(std::filesystem::path path);
  void disableLog();
  bool logEnabled() const;
  // The clock of the log lines (tests fix it); default systemClock.
  void setClock(LogClock clock);

  // Size limit of the history; 0 (the default) keeps nothing.  Lowering the
  // limit drops the oldest entries at once.
  void setHistoryLimit(size_t limit);
  size_t historyLimit() const;
  // Past messages, oldest first.
  std::vector<RaisedMessage> history() const;

  // Button that has the focus in the Yes/No box of levels 1 and 4: kButtonYes
  // (the default) or kButtonNo.
  void setQuestionDefault(uint32_t button);
  uint32_t questionDefault() const;

  // Records a raised message: history, then log.  Returns the failure notes
  // of the log ("Unable to Open error log; " and the like), empty when the
  // line was written or logging is off.
  std::string record(const RaisedMessage& message);

 private:
  friend class ErrorManager;  // keeps its per-thread state under mu_
  std::string appendLogLine(const std::filesystem::path& path, const std::string& line);

  mutable std::mutex mu_;
  std::filesystem::path logPath_;
  bool logging_ = false;
  LogClock clock_;
  size_t historyLimit_ = 0;
  std::deque<RaisedMessage> history_;
  uint32_t questionDefault_ = kButtonYes;
};

class ErrorManager {
 public:
  // The three referents must outlive the manager.  The constructing thread
  // is the screen's own thread.
  ErrorManager(ErrorServices& services, Dialogs& dialogs, ApplicationControl& application);

  // Stores `argument` as %Message and raises `number`.  Returns, by level:
  // 0 nothing shown (level 0) or Yes answered (levels 1 and 4); 4 No
  // answered; 5 notified (level 5); 3 fatal (levels 2, 3 and unknown levels:
  // the application has been asked to end, and the caller must stop what it
  // is doing and return).  A number absent from the catalogue raises
  // nothing and returns 0.
  int throwMessage(uint16_t number, std::string_view argument = {});
  // Stores `fileName` and the file's error, then raises `number`.  From
  // `fileStatus`: %ErrorCode = errorNumber(), %Error = message(),
  // %FileErrorCode = errorNumber(), %FileError = the driver's own text
  // (detail(), or message() when there is none).
  int throwFile(uint16_t number, std::string_view fileName, const Status& fileStatus);

  // Values of the calling thread for its next raises; they stay until
  // changed.
  void setField(std::string_view fieldName);
  void setKey(std::string_view keyName);
  void setCategory(std::string_view category);
  void setFile(std::string_view fileName);
  // %ErrorCode and %Error.
  void setError(int code, std::string_view text);
  void setError(const Status& status) { setError(status.errorNumber(), status.message()); }
  // %FileErrorCode and %FileError, as the driver reported them.
  void setFileError(std::string_view code, std::string_view text);

  // The calling thread's procedure names; %Procedure is the innermost.  A
  // thread that pushed none reports under the screen thread's innermost
  // name.
  void pushProcedure(std::string_view name);
  // Popping an empty stack does nothing.
  void popProcedure();
  std::string procedure() const;

  // The screens' own message box: buttons as a bit set, the result the value
  // of the button pressed.  "|" in `text` breaks the line.
  uint32_t message(std::string_view text, std::string_view title, MessageIcon icon, uint32_t buttons,
                   uint32_t defaultButton);
  // The screens' own question with a button list such as "&Não|&Sim";
  // returns the 1-based number of the button pressed.
  int ask(std::string_view text, std::string_view title, std::string_view buttonList, int defaultButton,
          MessageIcon icon = MessageIcon::kQuestion);

  // The calling thread's current placeholder values (for inspection and
  // tests); a copy, taken under the lock.
  PlaceholderValues values() const;
  // The substituted text of the last message the calling thread raised.
  std::string previousText() const;

 private:
  struct ThreadState {
    PlaceholderValues values;
    std::vector<std::string> procedures;
  };
  // Runs `edit` on the calling thread's state under the services' lock.
  template <typename Edit>
  auto withState(Edit edit) const;
  // The calling thread's state, created on first use; mu_ held.
  ThreadState& stateLocked() const;
  std::string procedureLocked() const;
  int raise(const CatalogueEntry& entry);

  ErrorServices& services_;
  Dialogs& dialogs_;
  ApplicationControl& application_;
  const std::thread::id owner_;
  mutable std::map<std::thread::id, ThreadState> states_;  // guarded by services_.mu_
};

// The application's end for the real program and for tests: requests are
// recorded; bulk operations register while they run and poll the request at
// every record boundary.  Thread-safe.
class ShutdownCoordinator : public ApplicationControl {
 public:
  // Held by a bulk operation for as long as it runs.  The operation checks
  // stopRequested() between records; when it is true it finishes the record
  // in hand, flushes and returns, and the guard's end lets shutdown go on.
  class BulkOperation {
   public:
    explicit BulkOperation(ShutdownCoordinator& owner);
    ~BulkOperation();
    BulkOperation(const BulkOperation&) = delete;
    BulkOperation& operator=(const BulkOperation&) = delete;
    bool stopRequested() const { return owner_.shutdownRequested(); }

   private:
    ShutdownCoordinator& owner_;
  };

  // Called once, with the reason, by the first request (on the requesting
  // thread, no lock held).  The user interface hands it over to its own
  // thread, waits there for the bulk operations and ends the application;
  // the handler itself must not wait, since the request may come from a
  // bulk operation's own thread.
  using Handler = std::function<void(const std::string& reason)>;
  void setHandler(Handler handler);

  void requestShutdown(std::string_view reason) override;
  bool shutdownRequested() const override;
  // The text of the first request; empty while there is none.
  std::string reason() const;
  int activeBulkOperations() const;
  // Blocks until no bulk operation is running.  The user interface calls it
  // once a shutdown was requested, then ends the process.
  void waitForBulkOperations();

 private:
  mutable std::mutex mu_;
  std::condition_variable idle_;
  bool requested_ = false;
  std::string reason_;
  int active_ = 0;
  Handler handler_;
};

}  // namespace vorlam
