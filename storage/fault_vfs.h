// A database-library file layer for tests: wraps the default one and fails
// chosen operations the way a full disk, a failing disk or a refused open
// would, and can call a hook before each write and sync (to count steps or
// to end the process at one).
//
// While a FaultVfs object lives it is the process's default layer, so every
// connection opened afterwards (by Table or by anyone) goes through it;
// connections opened before keep the layer they had.  One object at a time;
// every connection opened through it must be closed before it is destroyed.
// Its settings may be changed from any thread.  Test support only: nothing
// in the system itself creates one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vorlam {

class FaultVfs {
 public:
  enum class Op { kWrite, kSync, kOpen };
  // Called before each operation with the file's path ("" for temporary
  // files); runs outside the layer's lock.
  using Hook = std::function<void(Op op, const std::string& path)>;

  FaultVfs();
  ~FaultVfs();
  FaultVfs(const FaultVfs&) = delete;
  FaultVfs& operator=(const FaultVfs&) = delete;

  // The `n`-th write from now (counting from 1, all files together) fails
  // with `code` (an SQLite result code; SQLITE_FULL when 0), once.
  void failWrite(int64_t n, int code = 0);
  // A disk with `bytes` bytes free from now: every write that would pass
  // that many bytes written (all files together) fails with SQLITE_FULL,
  // writing nothing.  Negative: no limit.
  void setSpaceLimit(int64_t bytes);
  // The `n`-th sync from now fails (SQLITE_IOERR_FSYNC), once.
  void failSync(int64_t n);
  // Every sync fails while set.
  void failEverySync(bool on);
  // Opens of files whose path contains `fragment` fail (SQLITE_CANTOPEN);
  // "" turns it off.
  void failOpens(const std::string& fragment);
  void setHook(Hook hook);
  // Drops every fault and the hook; the counters restart from zero.
  void reset();

  // Counts since construction or reset().
  struct Counts {
    int64_t writes = 0;
    int64_t bytesWritten = 0;
    int64_t syncs = 0;
    int64_t injectedFailures = 0;  // operations this layer made fail
  };
  Counts counts() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace vorlam
