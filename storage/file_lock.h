// Whole-file open locks between workstations.
//
// A record file may be open by many (shared) or by one (exclusive).  The lock
// lives on a sidecar file "<file>-lck" beside the record file, so it never
// interferes with the database engine's own byte-range locks.  Not thread-safe
// per object; separate objects (even in one process) exclude each other.
#pragma once

#include <string>

#include "storage/status.h"

namespace vorlam {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes a shared or exclusive lock without waiting.  kAccessDenied when
  // another holder prevents it.  A lock file that cannot be created (read-only
  // directory) is not an error for shared locks.
  Status acquire(const std::string& dataPath, bool exclusive);
  // Turns a held shared lock into an exclusive one, without waiting.
  Status upgrade();
  void release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace vorlam
