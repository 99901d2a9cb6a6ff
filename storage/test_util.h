// Helpers shared by the storage tests (and the tests of the libraries above
// it): temporary directories, child processes, the journal mode under test.
#pragma once

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "storage/journal_mode.h"
#include "storage/platform.h"
#include "storage/table_backend.h"

namespace vorlam::testing {

// `path` with the system's own separator ('\\' on Windows), for tests that
// compare names the system built.
inline std::string nativePath(std::string path) {
#ifdef _WIN32
  for (char& c : path)
    if (c == '/') c = '\\';
#endif
  return path;
}

// A fresh directory under `base` (the system's temporary directory unless
// told), removed with its contents on destruction.
class TempDir {
 public:
  explicit TempDir(const std::string& base = "") {
    if (!base.empty()) {
      for (int n = 0; n < 1000 && path_.empty(); ++n) {
        std::string dir =
            base + "/vorlam-test-" + std::to_string(platform::processId()) + "-" + std::to_string(n);
        if (!platform::exists(dir) && platform::makeDirectory(dir)) path_ = dir;
      }
    }
    if (path_.empty()) {
      Result<std::string> dir = platform::makeTempDirectory("vorlam-test-");
      if (!dir) std::abort();
      path_ = dir.value();
    }
  }
  ~TempDir() { (void)platform::removeTree(path_); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return nativePath(path_ + "/" + name); }

 private:
  std::string path_;
};

// --- Child processes ---------------------------------------------------------
//
// A test starts its own executable again as a child with
// "--vorlam-child ROLE ARGS..."; the test file registers its roles with
// runChildRole() in a namespace-scope initializer, which runs the role and
// ends the process before the test runner starts.

using ChildMain = int (*)(const std::vector<std::string>& args);

inline bool runChildRole(std::initializer_list<std::pair<const char*, ChildMain>> roles) {
  std::vector<std::string> cmd = platform::commandLine();
  if (cmd.size() < 3 || cmd[1] != "--vorlam-child") return false;
  for (const auto& [name, main] : roles) {
    if (cmd[2] != name) continue;
    std::vector<std::string> args(cmd.begin() + 3, cmd.end());
    std::_Exit(main(args));  // no test runner, no destructors: a plain end
  }
  return false;
}

inline Result<platform::Process> startChild(const std::string& role, const std::vector<std::string>& args) {
  std::vector<std::string> all = {"--vorlam-child", role};
  all.insert(all.end(), args.begin(), args.end());
  return platform::Process::start(platform::executablePath(), all);
}

// Waits up to `ms` for `path` to exist (a child's signal that it got there).
inline bool waitForFile(const std::string& path, int ms = 20000) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (platform::exists(path)) return true;
    platform::sleepMilliseconds(10);
  }
  return false;
}

// Creates `path` (empty): a child's signal to the test.
inline void touch(const std::string& path) { std::ofstream(path).put('\n'); }

// --- Journal modes -------------------------------------------------------------

// Runs the tables of a test (and of its children, through the environment)
// in one journal mode; the former setting comes back at the end.
class JournalModeScope {
 public:
  explicit JournalModeScope(JournalMode mode) : saved_(platform::environmentVariable(kJournalModeVariable)) {
    platform::setEnvironmentVariable(kJournalModeVariable, journalModeName(mode));
  }
  ~JournalModeScope() { platform::setEnvironmentVariable(kJournalModeVariable, saved_); }

 private:
  std::string saved_;
};

inline std::string journalModeTestName(JournalMode mode) { return mode == JournalMode::kWal ? "Wal" : "Rollback"; }

// --- Storage backends -----------------------------------------------------------

// The storage cases run on the embedded files in both journal modes and on
// a PostgreSQL server.
enum class Backend { kRollback, kWal, kPostgres };

inline JournalMode journalModeOf(Backend b) { return b == Backend::kWal ? JournalMode::kWal : JournalMode::kRollback; }
inline std::string backendTestName(Backend b) {
  return b == Backend::kPostgres ? "Postgres" : journalModeTestName(journalModeOf(b));
}

// The environment variable naming the database the server cases use
// ("postgresql:///postgres"); ctest sets it inside a throw-away cluster.
constexpr const char* kTestServerVariable = "VORLAM_TEST_POSTGRES";

// Where one case keeps its record files: a fresh directory, or a fresh
// directory below the test database (its files dropped at the end).
// local() names files that are no record files (children's signals), always
// in a directory on disk.
class TestRoot {
 public:
  explicit TestRoot(Backend backend) {
    if (backend != Backend::kPostgres) {
      path_ = local_.path();
      return;
    }
    const std::string server = platform::environmentVariable(kTestServerVariable);
    if (server.empty()) {
      unavailable_ = std::string("no PostgreSQL server to test on: ") + kTestServerVariable + " is not set";
      return;
    }
    path_ = server + "/T" + std::to_string(platform::processId()) + "_" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    // Leftovers of an earlier run under the same name go first; a server
    // that cannot be reached says so here.
    Status s = removeServerFiles(path_);
    if (s) s = makeServerDirectories(path_);
    if (!s) unavailable_ = "PostgreSQL server unavailable: " + s.toString() + " " + s.detail();
  }
  ~TestRoot() {
    if (isServerLocation(path_) && unavailable_.empty()) (void)removeServerFiles(path_);
  }
  TestRoot(const TestRoot&) = delete;
  TestRoot& operator=(const TestRoot&) = delete;

  // Empty when the backend can be tested, else why not.
  const std::string& unavailable() const { return unavailable_; }
  bool onServer() const { return isServerLocation(path_); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const {
    return onServer() ? path_ + "/" + name : local_.file(name);
  }
  std::string local(const std::string& name) const { return local_.file(name); }

 private:
  TempDir local_;
  std::string path_;
  std::string unavailable_;
};

}  // namespace vorlam::testing
