#include "storage/file_set_io.h"

#include "storage/platform.h"
#include "storage/server_file_set.h"
#include "storage/table_backend.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>

namespace vorlam {

// --- the operating system's calls --------------------------------------------
//
// What the platform layer does not offer: writing, reading and sizing a
// file with the failing call named.  Hooks and the order of operations live
// in the portable part below.  Windows paths are
// taken in the ANSI code page, as the record-file names are.

namespace {

#ifdef _WIN32

Status osError(const char* what, const std::string& path) {
  DWORD err = GetLastError();
  StatusCode code = StatusCode::kIoError;
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) code = StatusCode::kFileNotFound;
  if (err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION || err == ERROR_WRITE_PROTECT)
    code = StatusCode::kAccessDenied;
  return Status(code, std::string(defaultMessage(code)) + " (" + what + ": erro do sistema " + std::to_string(err) + ")",
                path);
}

Status osWriteNew(const std::string& path, const std::string& text) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return osError("create", path);
  DWORD written = 0;
  BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  Status s = ok && written == text.size() ? Status::ok() : osError("write", path);
  CloseHandle(h);
  return s;
}

int64_t osSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return -1;
  return (static_cast<int64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

Result<std::string> osReadPrefix(const std::string& path, size_t n) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return osError("open", path);
  std::string out;
  char buf[4096];
  while (out.size() < n) {
    DWORD got = 0;
    if (!ReadFile(h, buf, static_cast<DWORD>(std::min(sizeof buf, n - out.size())), &got, nullptr)) {
      Status s = osError("read", path);
      CloseHandle(h);
      return s;
    }
    if (got == 0) break;
    out.append(buf, got);
  }
  CloseHandle(h);
  return out;
}

bool osDevice(const std::string& path, uint64_t* device) {
  char volume[MAX_PATH + 1];
  if (!GetVolumePathNameA(path.c_str(), volume, sizeof volume)) return false;
  std::string v(volume);
  std::transform(v.begin(), v.end(), v.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  *device = std::hash<std::string>()(v);
  return true;
}

#else

Status osError(const char* what, const std::string& path, int err = errno) {
  StatusCode code = StatusCode::kIoError;
  if (err == ENOENT) code = StatusCode::kFileNotFound;
  if (err == EACCES || err == EPERM || err == EROFS) code = StatusCode::kAccessDenied;
  return Status(code, std::string(defaultMessage(code)) + " (" + what + ": " + std::strerror(err) + ")", path);
}

Status osWriteNew(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return osError("open", path);
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int err = n < 0 ? errno : ENOSPC;
      ::close(fd);
      return osError("write", path, err);
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) return osError("close", path);
  return Status::ok();
}

int64_t osSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

Result<std::string> osReadPrefix(const std::string& path, size_t n) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return osError("open", path);
  std::string out;
  char buf[4096];
  while (out.size() < n) {
    ssize_t got = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      int err = errno;
      ::close(fd);
      return osError("read", path, err);
    }
    if (got == 0) break;
    out.append(buf, static_cast<size_t>(got));
  }
  ::close(fd);
  return out;
}

bool osDevice(const std::string& path, uint64_t* device) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *device = static_cast<uint64_t>(st.st_dev);
  return true;
}

#endif

}  // namespace

// --- the operations, through the hook ---------------------------------------

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
  return platform::replaceFile(from, to);
}

Status FileSetIo::syncFile(const std::string& path) const {
  if (Status s = check(FileOp::kSync, path); !s) return s;
  return platform::syncFile(path);
}

Status FileSetIo::syncDir(const std::string& dir) const {
  if (Status s = check(FileOp::kSyncDir, dir); !s) return s;
  return platform::syncDirectory(dir);
}

Status FileSetIo::remove(const std::string& path) const {
  if (Status s = check(FileOp::kRemove, path); !s) return s;
  if (isServerLocation(path)) return removeServerText(path);
  return platform::removeFile(path);
}

Status FileSetIo::writeDurably(const std::string& path, const std::string& text) const {
  if (isServerLocation(path)) {
    // One transaction on the server: the old text or the new, never a mix.
    if (Status s = check(FileOp::kWrite, path); !s) return s;
    return writeServerText(path, text);
  }
  std::string tmp = path + ".tmp";
  if (Status s = check(FileOp::kWrite, tmp); !s) return s;
  if (Status s = osWriteNew(tmp, text); !s) return s;
  if (Status s = syncFile(tmp); !s) return s;
  if (Status s = rename(tmp, path); !s) return s;
  return syncDir(parentDir(path));
}

Status FileSetIo::makeDirs(const std::string& dir) const {
  if (isServerLocation(dir)) {
    if (Status s = check(FileOp::kWrite, dir); !s) return s;
    return makeServerDirectories(dir);
  }
  if (dir.empty() || pathExists(dir)) return Status::ok();
  std::string parent = parentDir(dir);
  if (parent != dir && parent != ".") {
    if (Status s = makeDirs(parent); !s) return s;
  }
  if (Status s = check(FileOp::kWrite, dir); !s) return s;
  if (Status s = platform::makeDirectory(dir); !s) return s;
  return syncDir(parent);
}

bool pathExists(const std::string& path) {
  return isServerLocation(path) ? serverTextExists(path) || serverFileExists(path) : platform::exists(path);
}
int64_t fileSizeOf(const std::string& path) { return osSize(path); }
Result<std::string> readPrefix(const std::string& path, size_t n) { return osReadPrefix(path, n); }
Result<std::string> readWholeFile(const std::string& path) {
  return isServerLocation(path) ? readServerText(path) : osReadPrefix(path, SIZE_MAX);
}
bool deviceOf(const std::string& path, uint64_t* device) { return osDevice(path, device); }

std::string parentDir(const std::string& path) { return platform::parentDirectory(path); }

}  // namespace vorlam
