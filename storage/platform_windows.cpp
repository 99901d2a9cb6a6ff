// Windows implementation of the platform layer.  Paths are taken in the
// ANSI code page, as the record-file names are Windows-1252 text.
#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <shellapi.h>

#include "storage/platform.h"

namespace vorlam::platform {

namespace {

Status lastErrorStatus(const std::string& path) {
  DWORD err = GetLastError();
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return makeStatus(StatusCode::kFileNotFound, path);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION: return makeStatus(StatusCode::kAccessDenied, path);
    default: return Status(StatusCode::kIoError, "Erro do sistema " + std::to_string(err), path);
  }
}

// Exit code given to a process ended by kill().
constexpr UINT kKilledExitCode = 0xDEAD;

// Seconds between 1601-01-01 (file times) and 1970-01-01.
constexpr int64_t kEpochDelta = 11644473600LL;

}  // namespace

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::string parentDirectory(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool isDirectory(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

Status makeDirectory(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return Status::ok();
  if (GetLastError() == ERROR_ALREADY_EXISTS && isDirectory(path)) return Status::ok();
  return lastErrorStatus(path);
}

Status removeFile(const std::string& path) {
  if (DeleteFileA(path.c_str())) return Status::ok();
  DWORD err = GetLastError();
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return Status::ok();
  return lastErrorStatus(path);
}

Status replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return Status::ok();
  return lastErrorStatus(to);
}

Status syncFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lastErrorStatus(path);
  BOOL ok = FlushFileBuffers(h);
  Status s = ok ? Status::ok() : lastErrorStatus(path);
  CloseHandle(h);
  return s;
}

// NTFS and SMB write directory entries through; nothing to flush.
Status syncDirectory(const std::string&) { return Status::ok(); }

Result<int64_t> modifiedTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return lastErrorStatus(path);
  ULARGE_INTEGER t;
  t.LowPart = data.ftLastWriteTime.dwLowDateTime;
  t.HighPart = data.ftLastWriteTime.dwHighDateTime;
  return static_cast<int64_t>(t.QuadPart / 10000000ULL) - kEpochDelta;
}

Status setModifiedTime(const std::string& path, int64_t seconds) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lastErrorStatus(path);
  ULARGE_INTEGER t;
  t.QuadPart = static_cast<ULONGLONG>(seconds + kEpochDelta) * 10000000ULL;
  FILETIME ft;
  ft.dwLowDateTime = t.LowPart;
  ft.dwHighDateTime = t.HighPart;
  BOOL ok = SetFileTime(h, nullptr, nullptr, &ft);
  Status s = ok ? Status::ok() : lastErrorStatus(path);
  CloseHandle(h);
  return s;
}

bool canWriteIn(const std::string& dir) {
  // Access rights on shares are not fully visible to the client: try it.
  char name[MAX_PATH];
  if (!GetTempFileNameA(dir.c_str(), "vlm", 0, name)) return false;
  DeleteFileA(name);
  return true;
}

Result<std::string> makeTempDirectory(const std::string& prefix) {
  char base[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof base, base);
  if (n == 0 || n > MAX_PATH) return makeStatus(StatusCode::kIoError, "TEMP");
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string dir = std::string(base) + prefix + std::to_string(GetCurrentProcessId()) + "_" +
                      std::to_string(GetTickCount64() % 1000000) + std::to_string(attempt);
    if (CreateDirectoryA(dir.c_str(), nullptr)) return dir;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return lastErrorStatus(dir);
  }
  return makeStatus(StatusCode::kIoError, base);
}

Status removeTree(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  return ec ? Status(StatusCode::kIoError, ec.message(), path) : Status::ok();
}

VolumeKind volumeKind(const std::string& path, std::string* typeName) {
  // UNC paths are shares by definition.
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    if (typeName) *typeName = "UNC";
    return VolumeKind::kNetwork;
  }
  char volume[MAX_PATH + 1];
  if (!GetVolumePathNameA(path.c_str(), volume, sizeof volume)) {
    if (typeName) *typeName = "?";
    return VolumeKind::kUnknown;
  }
  switch (GetDriveTypeA(volume)) {
    case DRIVE_FIXED:
      if (typeName) *typeName = "DRIVE_FIXED";
      return VolumeKind::kLocal;
    case DRIVE_RAMDISK:
      if (typeName) *typeName = "DRIVE_RAMDISK";
      return VolumeKind::kLocal;
    case DRIVE_REMOTE:
      if (typeName) *typeName = "DRIVE_REMOTE";
      return VolumeKind::kNetwork;
    default:
      if (typeName) *typeName = "DRIVE_OTHER";
      return VolumeKind::kUnknown;
  }
}

std::string hostName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD n = sizeof name;
  return GetComputerNameA(name, &n) ? std::string(name, n) : std::string();
}

int64_t processId() { return static_cast<int64_t>(GetCurrentProcessId()); }

std::string environmentVariable(const char* name) {
  char buf[4096];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

void setEnvironmentVariable(const char* name, const std::string& value) {
  // Both the C runtime's copy and the process block, which children get.
  _putenv_s(name, value.c_str());
  SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

std::string executablePath() {
  char buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::vector<std::string> commandLine() {
  std::vector<std::string> args;
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (!wide) return args;
  for (int i = 0; i < n; ++i) {
    int len = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string a(len > 0 ? len - 1 : 0, '\0');
    if (len > 1) WideCharToMultiByte(CP_ACP, 0, wide[i], -1, a.data(), len, nullptr, nullptr);
    args.push_back(a);
  }
  LocalFree(wide);
  return args;
}

void sleepMilliseconds(int ms) { Sleep(static_cast<DWORD>(ms)); }

std::tm localTime(int64_t seconds) {
  std::tm local{};
  __time64_t t = static_cast<__time64_t>(seconds);
  _localtime64_s(&local, &t);
  return local;
}

void killCurrentProcess() {
  TerminateProcess(GetCurrentProcess(), kKilledExitCode);
  std::_Exit(static_cast<int>(kKilledExitCode));
}

// --- LockFile ----------------------------------------------------------------

Status LockFile::open(const std::string& path, bool create) {
  close();
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const DWORD disposition = create ? OPEN_ALWAYS : OPEN_EXISTING;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
    h = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lastErrorStatus(path);
  handle_ = h;
  path_ = path;
  return Status::ok();
}

bool LockFile::isOpen() const { return handle_ != nullptr; }

void LockFile::close() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));  // drops every lock of the handle
  handle_ = nullptr;
}

namespace {
OVERLAPPED at(uint64_t offset) {
  OVERLAPPED ov = {};
  ov.Offset = static_cast<DWORD>(offset & 0xffffffffULL);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return ov;
}
}  // namespace

Status LockFile::tryLock(uint64_t offset, uint64_t length, bool exclusive) {
  if (!handle_) return makeStatus(StatusCode::kNotOpen);
  HANDLE h = static_cast<HANDLE>(handle_);
  OVERLAPPED ov = at(offset);
  DWORD lo = static_cast<DWORD>(length & 0xffffffffULL), hi = static_cast<DWORD>(length >> 32);
  // Windows locks do not convert (and stack when taken twice): our own lock
  // on the range is dropped first, and put back as shared on failure.
  OVERLAPPED o2 = at(offset);
  bool hadShared = UnlockFileEx(h, 0, lo, hi, &o2) != 0;
  DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (LockFileEx(h, flags, 0, lo, hi, &ov)) return Status::ok();
  DWORD err = GetLastError();
  if (hadShared) {
    OVERLAPPED o3 = at(offset);
    LockFileEx(h, LOCKFILE_FAIL_IMMEDIATELY, 0, lo, hi, &o3);
  }
  if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) return makeStatus(StatusCode::kBusy);
  return Status(StatusCode::kIoError, "Erro do sistema " + std::to_string(err));
}

void LockFile::unlock(uint64_t offset, uint64_t length) {
  if (!handle_) return;
  OVERLAPPED ov = at(offset);
  UnlockFileEx(static_cast<HANDLE>(handle_), 0, static_cast<DWORD>(length & 0xffffffffULL),
               static_cast<DWORD>(length >> 32), &ov);
}

bool LockFile::isLocked(uint64_t offset, uint64_t length) {
  if (!handle_) return false;
  // No query call on Windows: try the range through a second handle, which
  // this handle's locks exclude as well as everyone else's.
  HANDLE probe = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED ov = at(offset);
  DWORD lo = static_cast<DWORD>(length & 0xffffffffULL), hi = static_cast<DWORD>(length >> 32);
  bool free = LockFileEx(probe, LOCKFILE_FAIL_IMMEDIATELY, 0, lo, hi, &ov) != 0;
  CloseHandle(probe);  // drops the probe's lock
  return !free;
}

// --- Process -------------------------------------------------------------------

namespace {
// One argument quoted by the rules CommandLineToArgvW reads back.
std::string quoteArgument(const std::string& a) {
  if (!a.empty() && a.find_first_of(" \t\n\v\"") == std::string::npos) return a;
  std::string q = "\"";
  size_t backslashes = 0;
  for (char c : a) {
    if (c == '\\') {
      ++backslashes;
    } else if (c == '"') {
      q.append(backslashes * 2 + 1, '\\');
      q += '"';
      backslashes = 0;
    } else {
      q.append(backslashes, '\\');
      q += c;
      backslashes = 0;
    }
  }
  q.append(backslashes * 2, '\\');
  q += '"';
  return q;
}
}  // namespace

Process::~Process() {
  if (handle_) {
    TerminateProcess(static_cast<HANDLE>(handle_), 1);
    WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
    CloseHandle(static_cast<HANDLE>(handle_));
  }
}

Process::Process(Process&& o) noexcept : handle_(o.handle_) { o.handle_ = nullptr; }

Process& Process::operator=(Process&& o) noexcept {
  if (this != &o) {
    this->~Process();
    handle_ = o.handle_;
    o.handle_ = nullptr;
  }
  return *this;
}

Result<Process> Process::start(const std::string& program, const std::vector<std::string>& args,
                               const std::string& outFile, const std::string& errFile) {
  std::string cmd = quoteArgument(program);
  for (const auto& a : args) cmd += " " + quoteArgument(a);
  SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  auto redirect = [&](const std::string& name, DWORD which) {
    if (name.empty()) return GetStdHandle(which);
    return CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = redirect(outFile, STD_OUTPUT_HANDLE);
  si.hStdError = redirect(errFile, STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessA(program.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  Status failure = started ? Status::ok() : lastErrorStatus(program);
  if (!outFile.empty() && si.hStdOutput != INVALID_HANDLE_VALUE) CloseHandle(si.hStdOutput);
  if (!errFile.empty() && si.hStdError != INVALID_HANDLE_VALUE) CloseHandle(si.hStdError);
  if (!started) return failure;
  CloseHandle(pi.hThread);
  Process p;
  p.handle_ = pi.hProcess;
  return p;
}

bool Process::running() const { return handle_ != nullptr; }

bool Process::ended() const {
  return handle_ != nullptr && WaitForSingleObject(static_cast<HANDLE>(handle_), 0) == WAIT_OBJECT_0;
}

Result<int> Process::wait() {
  if (!handle_) return makeStatus(StatusCode::kInvalidArgument);
  HANDLE h = static_cast<HANDLE>(handle_);
  WaitForSingleObject(h, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(h, &code);
  CloseHandle(h);
  handle_ = nullptr;
  return code == kKilledExitCode ? -1 : static_cast<int>(code);
}

Status Process::kill() {
  if (!handle_) return makeStatus(StatusCode::kInvalidArgument);
  if (!TerminateProcess(static_cast<HANDLE>(handle_), kKilledExitCode)) return lastErrorStatus("");
  return Status::ok();
}

}  // namespace vorlam::platform

#endif  // _WIN32
