// File maintenance, "Atualização Arquivos" (procedure RunTimeFileManager),
// without its window: the two opening questions, the 34-entry list with its
// tags, the seven operations on the tagged entries (or, with none tagged,
// on the entry under the cursor), and the state of the "Progress..."
// window.
//
// An operation runs on a worker thread, one entry after another
// (file_maintenance.h).  The worker never shows anything: a message it
// needs shown (the access message, the repair's layout errors) waits in a
// queue until the screen's thread shows it with pump(), and the worker goes
// on once it has been seen, as a message box would hold it.  A view polls
// progress() and pump() when told something changed; a script calls
// waitForRun(), which pumps until the run has ended.
//
// "&Cancel" stops the work on the current file at its next progress step;
// the run goes on with the next entry.  Closing the screen stops the run
// after the current file.
//
// Threads: everything is called on the screen's thread, except that
// progress(), entries(), running() and cancel() may be called from any
// thread; the change listener is called on the worker thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dictionary/dictionary.h"
#include "framework/dialogs.h"
#include "shell/app_state.h"
#include "utilities/file_maintenance.h"

namespace vorlam::utilities {

inline constexpr char kFileManagerProcedure[] = "RunTimeFileManager";
inline constexpr char kFileManagerTitle[] = "Atualização Arquivos";
inline constexpr char kProgressTitle[] = "Progress...";
inline constexpr char kFileListFormat[] =
    "11L(2)|_MI@s2@100L(2)|_M~Arquivo~@s40@35L(2)|_M~Registros~@s10@576L(2)|_M~Nome do Arquivo~@s144@";
inline constexpr char kQuestionTitle[] = "ATENÇÃO!!!";
inline constexpr char kQuestionButtons[] = "&Não|&Sim";
inline constexpr char kFirstQuestion[] =
    "Esta opção deve ser utilizada mediante suporte técnico! Deseja continuar ?";
inline constexpr char kSecondQuestion[] =
    "Esta opção não deve ser utilizada se existir alguma estação com o programa aberto. Deseja continuar ?";

// One entry of the list.
struct FileEntry {
  std::string label;
  std::string description;  // "Arquivo"
  std::string count;        // "Registros"
  std::string name;         // "Nome do Arquivo": the file name or a status text
  bool tagged = false;
  std::string encrypted;    // "1" for an encrypted file; blank for every entry
  bool noRepair = false;    // excluded from "&Corrige"
  bool noCopy = false;      // excluded from "Força Indexação"
};

// What the "Progress..." window shows.
struct ProgressState {
  bool running = false;
  std::string currentFile;  // "Current File :", the table label
  std::string action;       // "Action :"
  int filePercent = 0;      // "Progress :" bar
  int filesLeft = 0;        // "Files Left     :"
  int filesTotal = 0;
  int overallPercent = 0;   // the second bar
};

class FileManager {
 public:
  using Names = std::function<shell::BindingMap()>;

  // `names` gives the file names bound now (read when an operation
  // starts); `dialogs` shows the questions and messages.  All must outlive
  // the controller.
  FileManager(const Dictionary& dict, Names names, Dialogs& dialogs, std::string recfix = recfixProgram());
  ~FileManager();
  FileManager(const FileManager&) = delete;
  FileManager& operator=(const FileManager&) = delete;

  // The two opening questions; false (nothing touched) unless both are
  // answered "&Sim".
  bool open();

  std::vector<FileEntry> entries() const;
  int cursor() const { return cursor_; }
  // Moves the cursor (keyboard), tags unchanged.
  void setCursor(int row);
  // A click on a line: the cursor goes there and its tag toggles.
  void click(int row);
  // "&Marca Todos" / "&Desmarca Todos".
  void tagAll(bool tagged);
  // The seven operation buttons: read-only when the last tag change left
  // nothing tagged, and while an operation runs.
  bool operationsEnabled() const;

  // Starts `op` on the tagged entries in list order, or on the entry under
  // the cursor when none is tagged.  False when a run is in progress.
  bool start(MaintenanceOp op);
  bool running() const { return running_.load(); }
  ProgressState progress() const;
  // "&Cancel": stops the work on the current file.
  void cancel() { cancel_.store(true); }
  // Stops the run after the current file and waits for it.
  void stop();

  // Shows the messages the worker waits on.  Screen's thread.
  void pump();
  // Pumps until the run has ended.  Screen's thread.
  void waitForRun();
  // Told on the worker thread whenever progress or the message queue
  // changes, and at the end of a run.
  void setChangeListener(std::function<void()> changed) { changed_ = std::move(changed); }

 private:
  class Worker;
  struct Message {
    std::string title, text;
    bool shown = false;
  };
  void run(MaintenanceOp op, std::vector<int> targets, MaintenanceContext context);
  void runEntry(MaintenanceOp op, int index, const MaintenanceContext& context);
  void post(const std::string& title, const std::string& text);
  void notify();

  const Dictionary& dict_;
  Names names_;
  Dialogs& dialogs_;
  std::string recfix_;
  int cursor_ = 0;
  bool locked_ = false;  // the last tag change left nothing tagged

  mutable std::mutex mu_;
  std::condition_variable cv_;
  std::vector<FileEntry> entries_;  // guarded by mu_ (the worker writes counts and names)
  ProgressState progress_;          // guarded by mu_
  std::deque<Message*> messages_;   // guarded by mu_
  std::atomic<bool> running_{false};
  std::atomic<bool> cancel_{false};
  std::atomic<bool> stopAll_{false};
  std::function<void()> changed_;
  std::thread worker_;
};

}  // namespace vorlam::utilities
