// The file-system calls of the file-set commit, each checked and each passed
// through an optional hook first so tests can fail or interrupt any one of
// them.  POSIX today; the Windows equivalents are noted where they differ.
// Kept in one small unit so a shared platform layer can take them over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/status.h"

namespace vorlam {

// The kinds of disk operation the file-set commit performs.
enum class FileOp {
  kWrite,    // writing a journal (to its temporary name)
  kSync,     // making a file's contents durable
  kSyncDir,  // making a directory's entries (renames, creations) durable
  kRename,   // moving a file (same file system, replacing the destination)
  kRemove,   // deleting one of our own files
  kCheck,    // opening a record file through the database library (checks,
             // checkpoints, rollbacks of a leftover journal)
};
const char* fileOpName(FileOp op);

// Test hook: consulted before every operation.  A non-ok status makes the
// operation fail with that status without doing anything.  Implementations
// may also end the process here (kill tests).  Must be thread-compatible
// with the code it is given to (one commit at a time).
class FileOpHook {
 public:
  virtual ~FileOpHook() = default;
  virtual Status before(FileOp op, const std::string& path) = 0;
};

// The operations, bound to an optional hook.
class FileSetIo {
 public:
  explicit FileSetIo(FileOpHook* hook = nullptr) : hook_(hook) {}
  void setHook(FileOpHook* hook) { hook_ = hook; }
  FileOpHook* hook() const { return hook_; }

  // Runs the hook for `op` (ok without a hook).
  Status check(FileOp op, const std::string& path) const;

  // Moves `from` onto `to`, replacing `to` atomically when it exists
  // (Windows: MoveFileExW with MOVEFILE_REPLACE_EXISTING|WRITE_THROUGH).
  Status rename(const std::string& from, const std::string& to) const;
  // fsync of a file's contents (Windows: FlushFileBuffers).
  Status syncFile(const std::string& path) const;
  // fsync of a directory, so renames and creations in it survive a power
  // loss (a no-op on Windows, where WRITE_THROUGH covers it).
  Status syncDir(const std::string& dir) const;
  // Deletes `path`; ok when it is already gone.
  Status remove(const std::string& path) const;
  // Writes `text` to `path` durably and atomically: a temporary file beside
  // it is written, synced, renamed onto `path`, and the directory synced.
  Status writeDurably(const std::string& path, const std::string& text) const;
  // Creates a directory and its parents, syncing each parent it adds to.
  Status makeDirs(const std::string& dir) const;

 private:
  FileOpHook* hook_;
};

// writeDurably(), remove() and makeDirs() of a path below a server
// location write the server's catalog of texts and directories
// (server_file_set.h); pathExists() and readWholeFile() read it there.
//
// Plain queries (no hook: they change nothing).
bool pathExists(const std::string& path);
// Size of a file, -1 when it does not exist or cannot be read.
int64_t fileSizeOf(const std::string& path);
// Whole content of a small file.
Result<std::string> readWholeFile(const std::string& path);
// At most the first `n` bytes of a file.
Result<std::string> readPrefix(const std::string& path, size_t n);
// The directory part of `path` ("." when it has none).
std::string parentDir(const std::string& path);
// Device of the file or directory `path`; false when it cannot be read.
bool deviceOf(const std::string& path, uint64_t* device);

}  // namespace vorlam
