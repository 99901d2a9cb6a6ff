// The operating-system calls the system makes, behind one small interface:
// files and directories, replacing a file, flushing to disk, file times,
// byte-range locks, volume kind, process identity and child processes.
//
// platform_posix.cpp implements it for Linux and other POSIX systems,
// platform_windows.cpp for Windows.  Nothing else in the system calls the
// operating system directly for these.  Paths are the system's own strings
// (on Windows either separator is accepted).  Every function is thread-safe;
// LockFile and Process objects are not shared between threads.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "storage/status.h"

namespace vorlam::platform {

// --- Paths ---------------------------------------------------------------

// '/' everywhere; '\\' too on Windows.
bool isSeparator(char c);
// The directory part of `path` (without the final separator); "." when
// `path` has none.
std::string parentDirectory(const std::string& path);

// --- Files and directories -------------------------------------------------

bool exists(const std::string& path);
bool isDirectory(const std::string& path);
// Creates one directory; ok when it already exists as a directory.
Status makeDirectory(const std::string& path);
// Removes a file; ok when it does not exist.
Status removeFile(const std::string& path);
// Puts `from` in place of `to` (which may exist) in one step where the file
// system allows it; `to` keeps its name, never half-written.
Status replaceFile(const std::string& from, const std::string& to);
// Writes the file's data (and, for a directory, its entries) to the disk.
// Directories need no flush on Windows; ok there.
Status syncFile(const std::string& path);
Status syncDirectory(const std::string& path);
// Last-modification time, in seconds since 1970-01-01 UTC.
Result<int64_t> modifiedTime(const std::string& path);
Status setModifiedTime(const std::string& path, int64_t seconds);
// Whether new files can be created in `dir` (false on read-only media and
// where the user may only read).
bool canWriteIn(const std::string& dir);
// A fresh, empty directory under the system's temporary directory.
Result<std::string> makeTempDirectory(const std::string& prefix);
// Removes `path` and everything under it; ok when it does not exist.
Status removeTree(const std::string& path);

// --- Volumes ---------------------------------------------------------------

enum class VolumeKind {
  kLocal,    // a disk of this machine only
  kNetwork,  // a share other machines reach too (NFS, SMB/CIFS, FUSE, ...)
  kUnknown,  // cannot tell: treated as shared by callers that care
};
// The kind of volume `path` (an existing file or directory) lives on;
// `typeName`, when given, receives the file-system or drive type as named by
// the system ("ext4", "nfs", "DRIVE_REMOTE", ...).
VolumeKind volumeKind(const std::string& path, std::string* typeName = nullptr);

// --- Identity and environment ---------------------------------------------

std::string hostName();
int64_t processId();
// The value of an environment variable; empty when unset.
std::string environmentVariable(const char* name);
// Sets (or, with an empty value, removes) a variable of this process's
// environment, which child processes inherit.  For start-up and tests,
// before other threads run.
void setEnvironmentVariable(const char* name, const std::string& value);
// The program file of this process.
std::string executablePath();
// The arguments this process was started with (program name first).
std::vector<std::string> commandLine();
void sleepMilliseconds(int ms);
// `seconds` since 1970-01-01 UTC as the local calendar time.
std::tm localTime(int64_t seconds);
// Ends this process at once, as a crash or kill -9 would (no clean-up).
[[noreturn]] void killCurrentProcess();

// --- Byte-range locks ------------------------------------------------------

// A file used only as the home of byte-range locks.  The locks are held by
// this object (not by the process): two LockFile objects on one file exclude
// each other even in one process.  They are the locks network file systems
// carry between machines (POSIX open-file-description locks on Linux,
// LockFileEx on Windows), and vanish when the holder closes them or dies.
class LockFile {
 public:
  LockFile() = default;
  ~LockFile() { close(); }
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  // Opens `path`, creating it when `create`.  kFileNotFound when it does not
  // exist and is not to be created; kAccessDenied when it cannot be opened.
  Status open(const std::string& path, bool create);
  bool isOpen() const;
  void close();

  // Takes a shared or exclusive lock on [offset, offset + length) without
  // waiting: kBusy when another holder's lock conflicts.  Taking an
  // exclusive lock over a shared one of this object converts it.
  Status tryLock(uint64_t offset, uint64_t length, bool exclusive);
  void unlock(uint64_t offset, uint64_t length);
  // Whether anyone (this object included) holds a lock on any byte of the
  // range.
  bool isLocked(uint64_t offset, uint64_t length);

 private:
  std::string path_;
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// --- Child processes -------------------------------------------------------

// A program started with an argument list (no shell, no quoting rules to
// get wrong).
class Process {
 public:
  Process() = default;
  ~Process();
  Process(Process&& o) noexcept;
  Process& operator=(Process&& o) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts `program` with `args` (not including the program itself).  Its
  // standard output and error go to the files named (created or emptied),
  // or stay this process's own when a name is empty.
  static Result<Process> start(const std::string& program, const std::vector<std::string>& args,
                               const std::string& outFile = {}, const std::string& errFile = {});
  // Started and not yet waited for (it may have ended meanwhile).
  bool running() const;
  // Whether the process has ended, without waiting and without collecting
  // it: wait() then returns at once.  False when not running().
  bool ended() const;
  // Waits for the end; the exit code, or -1 when the process was killed.
  Result<int> wait();
  // Ends the process at once, as a power cut or kill -9 would.
  Status kill();

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int pid_ = -1;
#endif
};

}  // namespace vorlam::platform
