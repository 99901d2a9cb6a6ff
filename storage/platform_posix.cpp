// POSIX implementation of the platform layer (Linux first: open-file-
// description locks and statfs volume types).
#ifndef _WIN32

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/magic.h>
#include <sys/statfs.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "storage/platform.h"

extern char** environ;

namespace vorlam::platform {

namespace {

Status errnoStatus(int err, const std::string& path) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: return makeStatus(StatusCode::kFileNotFound, path);
    case EACCES:
    case EPERM:
    case EROFS: return makeStatus(StatusCode::kAccessDenied, path);
    default: return Status(StatusCode::kIoError, std::string(std::strerror(err)), path);
  }
}

}  // namespace

bool isSeparator(char c) { return c == '/'; }

std::string parentDirectory(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Status makeDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return Status::ok();
  int err = errno;
  if (err == EEXIST && isDirectory(path)) return Status::ok();
  return errnoStatus(err, path);
}

Status removeFile(const std::string& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return Status::ok();
  return errnoStatus(errno, path);
}

Status replaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return Status::ok();
  return errnoStatus(errno, to);
}

Status syncFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errnoStatus(errno, path);
  int rc = ::fsync(fd);
  int err = errno;
  ::close(fd);
  return rc == 0 ? Status::ok() : errnoStatus(err, path);
}

Status syncDirectory(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
  if (fd < 0) return errnoStatus(errno, path);
  int rc = ::fsync(fd);
  int err = errno;
  ::close(fd);
  // Some file systems cannot sync a directory at all; that is no failure of
  // the write that asked for it.
  return rc == 0 || err == EINVAL || err == ENOTSUP ? Status::ok() : errnoStatus(err, path);
}

Result<int64_t> modifiedTime(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errnoStatus(errno, path);
  return static_cast<int64_t>(st.st_mtime);
}

Status setModifiedTime(const std::string& path, int64_t seconds) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(seconds);
  times[1].tv_nsec = 0;
  if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return errnoStatus(errno, path);
  return Status::ok();
}

bool canWriteIn(const std::string& dir) { return ::access(dir.c_str(), W_OK | X_OK) == 0; }

Result<std::string> makeTempDirectory(const std::string& prefix) {
  std::error_code ec;
  std::string base = std::filesystem::temp_directory_path(ec).string();
  if (ec) base = "/tmp";
  std::string tmpl = base + "/" + prefix + "XXXXXX";
  if (!::mkdtemp(tmpl.data())) return errnoStatus(errno, tmpl);
  return tmpl;
}

Status removeTree(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  return ec ? Status(StatusCode::kIoError, ec.message(), path) : Status::ok();
}

VolumeKind volumeKind(const std::string& path, std::string* typeName) {
#ifdef __linux__
  struct statfs fs;
  if (::statfs(path.c_str(), &fs) != 0) {
    if (typeName) *typeName = "?";
    return VolumeKind::kUnknown;
  }
  struct Known {
    unsigned long magic;
    const char* name;
    VolumeKind kind;
  };
  // Local file systems are listed one by one: anything not known to be a
  // disk of this machine counts as shared.
  static constexpr Known kKnown[] = {
      {EXT4_SUPER_MAGIC, "ext4", VolumeKind::kLocal},  // ext2/3/4 share the magic
      {0x58465342UL, "xfs", VolumeKind::kLocal},
      {BTRFS_SUPER_MAGIC, "btrfs", VolumeKind::kLocal},
      {TMPFS_MAGIC, "tmpfs", VolumeKind::kLocal},
      {0x2fc12fc1UL, "zfs", VolumeKind::kLocal},
      {0xf2f52010UL, "f2fs", VolumeKind::kLocal},
      {OVERLAYFS_SUPER_MAGIC, "overlay", VolumeKind::kLocal},
      {0x4d44UL, "vfat", VolumeKind::kLocal},
      {0x5346544eUL, "ntfs", VolumeKind::kLocal},
      {NFS_SUPER_MAGIC, "nfs", VolumeKind::kNetwork},
      {SMB_SUPER_MAGIC, "smb", VolumeKind::kNetwork},
      {0xff534d42UL, "cifs", VolumeKind::kNetwork},
      {0xfe534d42UL, "smb2", VolumeKind::kNetwork},
      {0x65735546UL, "fuse", VolumeKind::kNetwork},
      {0x6b414653UL, "afs", VolumeKind::kNetwork},
      {0x00c36400UL, "ceph", VolumeKind::kNetwork},
      {0x01021997UL, "9p", VolumeKind::kNetwork},
      {0x47504653UL, "gpfs", VolumeKind::kNetwork},
      {0x0bd00bd0UL, "lustre", VolumeKind::kNetwork},
  };
  unsigned long magic = static_cast<unsigned long>(fs.f_type) & 0xffffffffUL;
  for (const Known& k : kKnown) {
    if (k.magic == magic) {
      if (typeName) *typeName = k.name;
      return k.kind;
    }
  }
  if (typeName) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", magic);
    *typeName = hex;
  }
  return VolumeKind::kUnknown;
#else
  (void)path;
  if (typeName) *typeName = "?";
  return VolumeKind::kUnknown;
#endif
}

std::string hostName() {
  char host[256] = {0};
  ::gethostname(host, sizeof host - 1);
  return host;
}

int64_t processId() { return static_cast<int64_t>(::getpid()); }

std::string environmentVariable(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

void setEnvironmentVariable(const char* name, const std::string& value) {
  if (value.empty()) ::unsetenv(name);
  else ::setenv(name, value.c_str(), 1);
}

std::string executablePath() {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::vector<std::string> commandLine() {
  std::vector<std::string> args;
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string arg;
  while (std::getline(in, arg, '\0')) args.push_back(arg);
  return args;
}

void sleepMilliseconds(int ms) {
  struct timespec ts;
  ts.tv_sec = ms / 1000;
  ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

std::tm localTime(int64_t seconds) {
  std::tm local{};
  time_t t = static_cast<time_t>(seconds);
  ::localtime_r(&t, &local);
  return local;
}

void killCurrentProcess() {
  ::kill(::getpid(), SIGKILL);
  std::_Exit(137);
}

// --- LockFile ----------------------------------------------------------------

#if defined(F_OFD_SETLK)
constexpr int kSetLock = F_OFD_SETLK;
constexpr int kGetLock = F_OFD_GETLK;
#else
// Without open-file-description locks, process locks are the closest:
// objects of one process then do not exclude each other.
constexpr int kSetLock = F_SETLK;
constexpr int kGetLock = F_GETLK;
#endif

Status LockFile::open(const std::string& path, bool create) {
  close();
  int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0);
  fd_ = ::open(path.c_str(), flags, 0666);
  if (fd_ < 0 && (errno == EACCES || errno == EROFS)) fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return errnoStatus(errno, path);
  path_ = path;
  return Status::ok();
}

bool LockFile::isOpen() const { return fd_ >= 0; }

void LockFile::close() {
  if (fd_ >= 0) ::close(fd_);  // drops every lock of this description
  fd_ = -1;
}

namespace {
struct flock rangeOf(short type, uint64_t offset, uint64_t length) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  fl.l_pid = 0;  // required by open-file-description locks
  return fl;
}
}  // namespace

Status LockFile::tryLock(uint64_t offset, uint64_t length, bool exclusive) {
  if (fd_ < 0) return makeStatus(StatusCode::kNotOpen);
  struct flock fl = rangeOf(exclusive ? F_WRLCK : F_RDLCK, offset, length);
  if (::fcntl(fd_, kSetLock, &fl) == 0) return Status::ok();
  int err = errno;
  if (err == EAGAIN || err == EACCES) return makeStatus(StatusCode::kBusy);
  // A lock file opened read-only cannot carry an exclusive lock.
  if (err == EBADF) return makeStatus(StatusCode::kAccessDenied);
  return Status(StatusCode::kIoError, std::strerror(err));
}

void LockFile::unlock(uint64_t offset, uint64_t length) {
  if (fd_ < 0) return;
  struct flock fl = rangeOf(F_UNLCK, offset, length);
  ::fcntl(fd_, kSetLock, &fl);
}

bool LockFile::isLocked(uint64_t offset, uint64_t length) {
  if (fd_ < 0) return false;
  // Asked through a second description, which this object's locks exclude
  // as well as everyone else's.
  int probe = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (probe < 0) return false;
  struct flock fl = rangeOf(F_WRLCK, offset, length);
  bool locked = ::fcntl(probe, kGetLock, &fl) == 0 && fl.l_type != F_UNLCK;
  ::close(probe);
  return locked;
}

// --- Process -------------------------------------------------------------------

Process::~Process() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

Process::Process(Process&& o) noexcept : pid_(o.pid_) { o.pid_ = -1; }

Process& Process::operator=(Process&& o) noexcept {
  if (this != &o) {
    this->~Process();
    pid_ = o.pid_;
    o.pid_ = -1;
  }
  return *this;
}

Result<Process> Process::start(const std::string& program, const std::vector<std::string>& args,
                               const std::string& outFile, const std::string& errFile) {
  std::vector<char*> argv;
  std::string prog = program;
  argv.push_back(prog.data());
  std::vector<std::string> copy = args;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const int mode = O_WRONLY | O_CREAT | O_TRUNC;
  if (!outFile.empty()) posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), mode, 0666);
  if (!errFile.empty()) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), mode, 0666);
  pid_t pid = -1;
  int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return errnoStatus(rc, program);
  Process p;
  p.pid_ = pid;
  return p;
}

bool Process::running() const { return pid_ > 0; }

bool Process::ended() const {
  if (pid_ <= 0) return false;
  siginfo_t info{};
  // WNOWAIT leaves the child to wait() to collect.
  if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return errno != EINTR;
  return info.si_pid != 0;
}

Result<int> Process::wait() {
  if (pid_ <= 0) return makeStatus(StatusCode::kInvalidArgument);
  int status = 0;
  pid_t r;
  while ((r = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (r < 0) return errnoStatus(errno, "");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Status Process::kill() {
  if (pid_ <= 0) return makeStatus(StatusCode::kInvalidArgument);
  if (::kill(pid_, SIGKILL) != 0) return errnoStatus(errno, "");
  return Status::ok();
}

}  // namespace vorlam::platform

#endif  // !_WIN32
