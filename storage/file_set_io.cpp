#include "storage/file_set_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vorlam {

namespace {

Status ioError(const char* what, const std::string& path, int err) {
  StatusCode code = StatusCode::kIoError;
  if (err == ENOENT) code = StatusCode::kFileNotFound;
  if (err == EACCES || err == EPERM || err == EROFS) code = StatusCode::kAccessDenied;
  return Status(code, std::string(defaultMessage(code)) + " (" + what + ": " + std::strerror(err) + ")", path);
}

}  // namespace

const char* fileOpName(FileOp op) {
  switch (op) {
    case FileOp::kWrite: return "write";
    case FileOp::kSync: return "sync";
    case FileOp::kSyncDir: return "syncdir";
    case FileOp::kRename: return "rename";
    case FileOp::kRemove: return "remove";
    case FileOp::kCheck: return "check";
  }
  return "?";
}

Status FileSetIo::check(FileOp op, const std::string& path) const {
  return hook_ ? hook_->before(op, path) : Status::ok();
}

Status FileSetIo::rename(const std::string& from, const std::string& to) const {
  if (Status s = check(FileOp::kRename, from); !s) return s;
  if (::rename(from.c_str(), to.c_str()) != 0) return ioError("rename", from + " -> " + to, errno);
  return Status::ok();
}

Status FileSetIo::syncFile(const std::string& path) const {
  if (Status s = check(FileOp::kSync, path); !s) return s;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ioError("open", path, errno);
  int rc = ::fsync(fd);
  int err = errno;
  ::close(fd);
  if (rc != 0) return ioError("fsync", path, err);
  return Status::ok();
}

Status FileSetIo::syncDir(const std::string& dir) const {
  if (Status s = check(FileOp::kSyncDir, dir); !s) return s;
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return ioError("open", dir, errno);
  int rc = ::fsync(fd);
  int err = errno;
  ::close(fd);
  // Some file systems cannot sync a directory at all; that is not a failure
  // of this write.
  if (rc != 0 && err != EINVAL && err != ENOTSUP) return ioError("fsync", dir, err);
  return Status::ok();
}

Status FileSetIo::remove(const std::string& path) const {
  if (Status s = check(FileOp::kRemove, path); !s) return s;
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return ioError("unlink", path, errno);
  return Status::ok();
}

Status FileSetIo::writeDurably(const std::string& path, const std::string& text) const {
  std::string tmp = path + ".tmp";
  if (Status s = check(FileOp::kWrite, tmp); !s) return s;
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return ioError("open", tmp, errno);
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int err = n < 0 ? errno : ENOSPC;
      ::close(fd);
      return ioError("write", tmp, err);
    }
    done += static_cast<size_t>(n);
  }
  Status s = check(FileOp::kSync, tmp);
  if (s && ::fsync(fd) != 0) s = ioError("fsync", tmp, errno);
  if (::close(fd) != 0 && s) s = ioError("close", tmp, errno);
  if (s) s = rename(tmp, path);
  if (s) s = syncDir(parentDir(path));
  return s;
}

Status FileSetIo::makeDirs(const std::string& dir) const {
  if (dir.empty() || pathExists(dir)) return Status::ok();
  std::string parent = parentDir(dir);
  if (parent != dir && parent != "." && parent != "/") {
    if (Status s = makeDirs(parent); !s) return s;
  }
  if (Status s = check(FileOp::kWrite, dir); !s) return s;
  if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) return ioError("mkdir", dir, errno);
  return syncDir(parent);
}

bool pathExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

int64_t fileSizeOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

Result<std::string> readPrefix(const std::string& path, size_t n) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ioError("open", path, errno);
  std::string out;
  char buf[4096];
  while (out.size() < n) {
    ssize_t got = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      int err = errno;
      ::close(fd);
      return ioError("read", path, err);
    }
    if (got == 0) break;
    out.append(buf, static_cast<size_t>(got));
  }
  ::close(fd);
  return out;
}

Result<std::string> readWholeFile(const std::string& path) { return readPrefix(path, SIZE_MAX); }

std::string parentDir(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool deviceOf(const std::string& path, uint64_t* device) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *device = static_cast<uint64_t>(st.st_dev);
  return true;
}

}  // namespace vorlam
