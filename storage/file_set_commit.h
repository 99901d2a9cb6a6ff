// Replaces a set of record files at once, crash-safely, keeping the originals.
//
// Life of a set (one work directory per set):
//
//   begin(workDir)      journal "staged" written; nothing else touched
//   stage(target)...    each call names a side file the caller writes
//   commit()            side files checked and synced; journal "committing";
//                       every original moved into workDir, every side file
//                       moved onto its target; journal "committed"
//   finish()            the caller verified the new files: "finished"
//   abandon()           (before finish) everything as before begin()
//   restore(workDir)    (after finish) the originals back, the converted
//                       files kept in workDir as "*.convertido"
//   recover(workDir)    after a crash: any state before "finished" ends with
//                       every original in place ("restored")
//
// Whatever instant the process dies at, and whatever single disk operation
// fails, every target ends either exactly as it was before begin() or
// exactly as its side file, and recover() brings them all back to the
// originals.  Files are only moved (never copied) between their places and
// the work directory, which must be on the same file system as the targets.
//
// Rules for callers:
//  - While commit(), abandon(), recover() and restore() run, no connection
//    to a target or to a side file may be open in any process; the caller
//    keeps other workstations out by holding the targets' exclusive open
//    locks (FileLock on "<target>-lck").  The "-lck" files are never moved
//    or deleted, so such a lock survives the swap.
//  - Engine side files ("-wal", "-journal") are never deleted by hand: a
//    file that still has one is opened and closed through SQLite so the
//    engine checkpoints or rolls it back; if it still has one afterwards,
//    the operation refuses (kBusy) and nothing is moved.
//  - One process at a time works on a set: a live FileSetCommit holds an
//    exclusive lock on its work directory ("file-set-lck" inside it) from
//    begin() until finish(), abandon() or its destruction, and recover()
//    and restore() take it while they run; while another holds it they
//    answer kBusy (so a workstation starting up never undoes a set another
//    one is committing).
//  - Target paths are kept absolute and normalised; targets() returns them
//    in that form, in the order they were staged.
//
// Additions to the agreed interface:
//  - State::kRestoring: a restore() was interrupted; recover() or restore()
//    completes it.
//  - An optional FileOpHook on every entry point, consulted before each disk
//    operation (tests fail or interrupt operation number k through it).
//  - begin() refuses a work directory that already holds a set.
//  - Destroying an object whose set is staged, committing or committed
//    abandons the set (best effort; a failure leaves it for recover()).
//  - restore() on a set that never finished behaves as recover().
//  - A work directory below a server location keeps the set in the
//    server's catalog, with the same states (server_file_set.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "storage/file_lock.h"
#include "storage/file_set_io.h"
#include "storage/status.h"

namespace vorlam {

class ServerFileSet;

class FileSetCommit {
 public:
  enum class State { kNone, kStaged, kCommitting, kCommitted, kFinished, kRestored, kRestoring };

  // `workDir` is a directory on the same filesystem as the files (the data
  // root's "Temp/Ajuste/<id>"); it holds the journal, the side files and the
  // saved originals.  Created if missing.  `label` is free text kept in the
  // journal (e.g. "empresa 3: estrutura 1 -> 2").  kInvalidArgument when
  // workDir already holds a set (pick a fresh directory).
  static Result<std::unique_ptr<FileSetCommit>> begin(const std::string& workDir, const std::string& label,
                                                      FileOpHook* hook = nullptr);
  ~FileSetCommit();
  FileSetCommit(const FileSetCommit&) = delete;
  FileSetCommit& operator=(const FileSetCommit&) = delete;

  // Declares that `target` (an existing or missing record file) will be
  // replaced; returns the path of a side file, inside workDir, that the
  // caller creates and writes (e.g. by Table::copyTo + rewriting it, or a
  // fresh Table::open).  Calling stage() twice for one target is an error
  // (kInvalidArgument), as is a target whose directory is missing or on
  // another file system than workDir, or staging after commit().
  Result<std::string> stage(const std::string& target);
  // The side file of a staged target ("" when `target` is not staged).
  std::string sideFile(const std::string& target) const;

  // Checks every side file (closed by the caller; SQLite integrity check,
  // a record file, no leftover -wal/-journal), makes them durable, then
  // swaps them in: each original is moved (never copied) into workDir, each
  // side file onto its target, with a journal written and synced before
  // each phase.  On any failure everything already swapped is put back and
  // the error returned; the files are then exactly as before and the set is
  // staged again (side files kept: commit() may be retried, or abandon()).
  // Should putting back fail too, the set stays "committing" for recover().
  Status commit();
  // After commit(): the caller has verified the new files; marks the set
  // complete.  The originals stay in workDir for restore().  On failure the
  // set is still committed: abandon() puts the originals back (a crash
  // instead may find it either committed, and recover() puts them back, or
  // finished, when only the last directory sync failed).
  Status finish();
  // Before finish(): drops the side files (and after commit(), puts the
  // originals back).  The files end exactly as before begin(); state
  // kRestored.  A new file still open somewhere makes it (and recover())
  // refuse with kBusy before anything moves.
  Status abandon();

  State state() const;
  const std::string& workDir() const { return workDir_; }

  // State of a work directory left by a previous process (kNone when it
  // holds no set; kCorrupt when its journal cannot be read).
  static Result<State> stateOf(const std::string& workDir);
  // Recovery after a crash: any state before kFinished puts every original
  // back (whatever mix of swapped and unswapped files the crash left),
  // removes the side files, and leaves the directory in kRestored.  Safe to
  // interrupt and run again.  Nothing to do (ok) for kNone, kFinished and
  // kRestored; kRestoring is completed.
  static Status recover(const std::string& workDir, FileOpHook* hook = nullptr);
  // User-requested restore of a finished set: puts the kept originals back
  // in place of the converted files (which are moved into workDir as
  // "*.convertido" so nothing is lost), state kRestored.  Safe to interrupt
  // and run again.  A converted file still open somewhere makes it refuse
  // (kBusy) before anything moves; the set then stays finished.  A target created by the set (missing before) is moved
  // into workDir the same way.
  static Status restore(const std::string& workDir, FileOpHook* hook = nullptr);
  // The label and target paths recorded in workDir.
  static Result<std::string> label(const std::string& workDir);
  static Result<std::vector<std::string>> targets(const std::string& workDir);

  // Name of a state, for logs ("staged", "committing", ...).
  static const char* stateName(State state);

  struct Entry {
    std::string target;  // absolute, normalised
    bool existed = true;  // the target existed when the swap began
  };
  struct Journal {
    State state = State::kNone;
    std::string label;
    std::vector<Entry> entries;
  };

 private:
  FileSetCommit(std::string workDir, FileOpHook* hook);
  Status writeJournal(State state);
  Status checkSideFiles();
  Status swapIn(size_t* swapped);
  Status rollBack(Status cause);
  // restore() of a finished or restoring set, the work directory locked.
  static Status restoreLocked(const std::string& dir, Journal j, const FileSetIo& io);

  std::string workDir_;
  Journal journal_;
  State state_ = State::kNone;
  FileSetIo io_;
  FileLock lock_;
  std::unique_ptr<ServerFileSet> server_;  // a work directory below a server location
};

}  // namespace vorlam
