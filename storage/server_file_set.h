// A file set (file_set_commit.h) whose work directory lies below a server
// location (table_backend.h): the targets, the side files and the kept
// originals are record files of one database.
//
// The server changes its catalog in transactions, so a swap is one
// transaction: every original takes its name in the work directory, every
// side file its target's name, and the journal says "committed", all at
// once or not at all.  A process that dies mid-commit leaves the set staged;
// "committing" never stays behind.  Undoing a swap, and a restore, are one
// transaction too.  The journal lives in the server's catalog of texts under
// "<work directory>/file-set.journal".
//
// Locks.  The set holds a session lock of its own on the work directory
// while it lives (recover() and restore() take it while they run: kBusy
// while another has it).  From commit() until finish() or abandon() it also
// holds the open lock of every side file, exclusively: the converted files
// stay closed to others until the caller has finished with the set.  The
// caller keeps others away from the targets by holding them open
// exclusively itself until then (the swap does not need them closed: open
// tables go on using the originals under their new names).  restore()
// refuses (kBusy) while a converted file is open anywhere.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "storage/file_set_commit.h"
#include "storage/status.h"

namespace vorlam {

class ServerFileSet {
 public:
  virtual ~ServerFileSet() = default;
  virtual Result<std::string> stage(const std::string& target) = 0;
  virtual std::string sideFile(const std::string& target) const = 0;
  virtual Status commit() = 0;
  virtual Status finish() = 0;
  virtual Status abandon() = 0;
  virtual FileSetCommit::State state() const = 0;
};

// begin() of a set in work directory `workDir` (below a server location).
Result<std::unique_ptr<ServerFileSet>> beginServerFileSet(const std::string& workDir, const std::string& label);
// The journal of `workDir` (state kNone when it holds no set); its targets
// are full server paths.
Result<FileSetCommit::Journal> readServerJournal(const std::string& workDir);
// recover() and restore() of file_set_commit.h for a server work directory.
Status recoverServerFileSet(const std::string& workDir);
Status restoreServerFileSet(const std::string& workDir);

// Small texts kept below a server location, beside the record files
// (journals, values saved by our own bulk operations): each is written
// whole, in one transaction, so a reader sees the old text or the new.
Status writeServerText(const std::string& path, const std::string& text);
// kFileNotFound when there is none.
Result<std::string> readServerText(const std::string& path);
bool serverTextExists(const std::string& path);
Status removeServerText(const std::string& path);

// The directories directly below `path` on the server (made by
// makeServerDirectories() or holding a file), by name.
Result<std::vector<std::string>> listServerDirectories(const std::string& path);
// Whether directory `path` exists on the server (as listed above; the
// database's top always does); false when the server cannot be reached.
bool serverDirectoryExists(const std::string& path);

}  // namespace vorlam
