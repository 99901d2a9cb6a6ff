#include "storage/file_lock.h"

#include <chrono>

namespace vorlam {

namespace {

// Byte 0 carries the open lock; record holds sit far above it, one byte per
// record number, so that the two never overlap.
constexpr uint64_t kOpenByte = 0;
// Byte 1 carries the write lock of writing opens (see acquire()).
constexpr uint64_t kWriteByte = 1;
constexpr uint64_t kHoldBase = uint64_t{1} << 32;

// Tries `attempt` until it stops answering kBusy or `waitMs` have passed.
template <typename F>
Status retryWhileBusy(int waitMs, F attempt) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  int pause = 5;
  for (;;) {
    Status s = attempt();
    if (!s.is(StatusCode::kBusy) || std::chrono::steady_clock::now() >= deadline) return s;
    platform::sleepMilliseconds(pause);
    if (pause < 100) pause *= 2;
  }
}

Status refused(bool exclusive, const std::string& dataPath) {
  return Status(StatusCode::kAccessDenied,
                exclusive ? "Arquivo aberto por outra estação; acesso exclusivo negado"
                          : "Arquivo em uso exclusivo por outra estação",
                dataPath);
}

}  // namespace

Status FileLock::acquire(const std::string& dataPath, bool exclusive, bool readOnly, int waitMs, bool denyWrite) {
  release();
  dataPath_ = dataPath;
  const std::string path = dataPath + "-lck";
  Status o = file_.open(path, !readOnly);
  if (!o) {
    if (!exclusive) return Status::ok();
    return makeStatus(StatusCode::kAccessDenied, path);
  }
  Status s = retryWhileBusy(waitMs, [&] { return file_.tryLock(kOpenByte, 1, exclusive); });
  if (s && !readOnly && !exclusive) {
    s = retryWhileBusy(waitMs, [&] { return file_.tryLock(kWriteByte, 1, denyWrite); });
    if (s.is(StatusCode::kBusy)) {
      file_.close();
      return Status(StatusCode::kAccessDenied,
                    denyWrite ? "Arquivo aberto para gravação por outra estação"
                              : "Arquivo reservado para gravação por outra estação",
                    dataPath);
    }
  }
  if (s) return s;
  file_.close();
  // A lock file opened read-only cannot take an exclusive lock: that open
  // asked for writing where the user may only read.
  if (s.is(StatusCode::kBusy)) return refused(exclusive, dataPath);
  return s.is(StatusCode::kAccessDenied) ? makeStatus(StatusCode::kAccessDenied, path) : s;
}

Status FileLock::upgrade(int waitMs) {
  if (!file_.isOpen()) return makeStatus(StatusCode::kAccessDenied, dataPath_ + "-lck");
  Status s = retryWhileBusy(waitMs, [&] { return file_.tryLock(kOpenByte, 1, true); });
  if (s.is(StatusCode::kBusy)) return refused(true, dataPath_);
  return s;
}

Status FileLock::downgrade() {
  if (!file_.isOpen()) return Status::ok();
  return file_.tryLock(kOpenByte, 1, false);
}

void FileLock::release() {
  file_.close();
  holds_.clear();
}

Status FileLock::holdRecord(int64_t id) {
  if (!file_.isOpen()) return Status::ok();
  if (holds_.count(id)) return Status::ok();
  Status s = file_.tryLock(kHoldBase + static_cast<uint64_t>(id), 1, true);
  if (s) holds_.insert(id);
  if (s.is(StatusCode::kBusy)) return Status(StatusCode::kBusy, "Registro em uso por outra estação", dataPath_);
  return s;
}

void FileLock::releaseRecord(int64_t id) {
  if (holds_.erase(id) && file_.isOpen()) file_.unlock(kHoldBase + static_cast<uint64_t>(id), 1);
}

void FileLock::releaseRecords() {
  while (!holds_.empty()) releaseRecord(*holds_.begin());
}

bool FileLock::recordHeld(int64_t id) {
  return file_.isOpen() && file_.isLocked(kHoldBase + static_cast<uint64_t>(id), 1);
}

}  // namespace vorlam
