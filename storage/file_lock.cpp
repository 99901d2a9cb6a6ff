#include "storage/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace vorlam {

Status FileLock::acquire(const std::string& dataPath, bool exclusive) {
  release();
  path_ = dataPath + "-lck";
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    if (!exclusive) return Status::ok();
    return makeStatus(StatusCode::kAccessDenied, path_);
  }
  if (::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
    return Status(StatusCode::kAccessDenied,
                  exclusive ? "Arquivo aberto por outra estação; acesso exclusivo negado"
                            : "Arquivo em uso exclusivo por outra estação",
                  dataPath);
  }
  return Status::ok();
}

Status FileLock::upgrade() {
  if (fd_ < 0) return makeStatus(StatusCode::kAccessDenied, path_);
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
    return Status(StatusCode::kAccessDenied, "Arquivo aberto por outra estação; acesso exclusivo negado", path_);
  return Status::ok();
}

void FileLock::release() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace vorlam
