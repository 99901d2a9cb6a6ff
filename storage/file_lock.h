// Whole-file open locks and record holds between workstations.
//
// A record file may be open by many (shared) or by one (exclusive), and a
// record may be held by one workstation at a time.  Both are byte-range
// locks on a sidecar file "<file>-lck" beside the record file: the locks
// network file systems carry between machines, kept apart from the database
// engine's own locks on the record file, and surviving the record file being
// replaced by rename while they are held.  A holder that dies loses its
// locks.  Not thread-safe per object; separate objects (even in one process)
// exclude each other.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "storage/platform.h"
#include "storage/status.h"

namespace vorlam {

class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes a shared or exclusive open lock, waiting up to `waitMs` for
  // others to let go.  kAccessDenied when another holder still prevents it.
  // A read-only open never creates the lock file (nothing is written into
  // the data directory) and goes unlocked when there is none; a lock file
  // that cannot be created (read-only directory) leaves shared opens
  // unlocked too.  A writing open (not read-only) also takes the write lock:
  // shared, or exclusive with `denyWrite`, so that one open may keep every
  // other writer out while readers come and go.
  Status acquire(const std::string& dataPath, bool exclusive, bool readOnly = false, int waitMs = 0,
                 bool denyWrite = false);
  // Turns a held shared lock into an exclusive one, waiting up to `waitMs`.
  Status upgrade(int waitMs = 0);
  // Turns a held exclusive lock back into a shared one.
  Status downgrade();
  void release();
  // Whether a lock file is open (and so locks are taken).
  bool held() const { return file_.isOpen(); }

  // Holds record `id` for this object, without waiting: kBusy when another
  // holder has it.  Ok without effect when no lock file is open.
  Status holdRecord(int64_t id);
  void releaseRecord(int64_t id);
  // Drops every hold of this object.
  void releaseRecords();
  // Whether anyone (this object included) holds record `id`; false when no
  // lock file is open.
  bool recordHeld(int64_t id);

 private:
  platform::LockFile file_;
  std::string dataPath_;
  std::set<int64_t> holds_;  // records this object holds
};

}  // namespace vorlam
