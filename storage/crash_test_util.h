// Test support for crash and fault tests: ending a child process at a
// chosen step, and failing a chosen file operation.
//
// A kill test runs the code under test in a forked child that counts its
// steps (through a FileOpHook, a FaultVfs hook, or the code's own observer)
// and kills itself with SIGKILL at step k, then lets the parent check what
// the disk holds and run recovery.  forEachKillPoint() does that for
// k = 1, 2, ... until the child gets past its last step.
//
// Children end with _exit: no destructors or exit handlers of the parent's
// objects run in them (a TempDir would otherwise delete the test's files).
#pragma once

#ifndef _WIN32  // the harness forks: POSIX only for now

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "storage/file_set_io.h"
#include "storage/status.h"

namespace vorlam::testing {

// A directory for crash tests' scratch files: a memory file system when
// there is one (these tests sync often, and what they check is the order of
// operations, not the disk), else /tmp.
inline std::string scratchBase() { return ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"; }

// Ends the process at once, as a power cut or a killed task would.
[[noreturn]] inline void killSelf() {
  ::kill(::getpid(), SIGKILL);
  ::_exit(137);  // not reached
}

// Counts steps; kills the process when the count reaches the kill point.
class KillSwitch {
 public:
  explicit KillSwitch(int64_t killAt = 0) : killAt_(killAt) {}  // 0: never
  void step() {
    if (++steps_ == killAt_) killSelf();
  }
  int64_t steps() const { return steps_; }
  void setKillAt(int64_t k) { killAt_ = k; }

 private:
  int64_t killAt_;
  int64_t steps_ = 0;
};

// A FileOpHook that counts every file operation as a step of `kill`.
class KillingFileOpHook : public FileOpHook {
 public:
  explicit KillingFileOpHook(KillSwitch& kill) : kill_(kill) {}
  Status before(FileOp, const std::string&) override {
    kill_.step();
    return Status::ok();
  }

 private:
  KillSwitch& kill_;
};

// A FileOpHook that fails operation number `failAt` (counting from 1; 0
// never), or every operation from it on when `persistent`, and counts them.
class FailingFileOpHook : public FileOpHook {
 public:
  explicit FailingFileOpHook(int64_t failAt = 0, bool persistent = false)
      : failAt_(failAt), persistent_(persistent) {}
  Status before(FileOp op, const std::string& path) override {
    ++count_;
    bool fail = failAt_ > 0 && (count_ == failAt_ || (persistent_ && count_ > failAt_));
    if (!fail) return Status::ok();
    ++failed_;
    return Status(StatusCode::kIoError, std::string("falha simulada (") + fileOpName(op) + ")", path);
  }
  int64_t count() const { return count_; }
  int64_t failed() const { return failed_; }
  void disarm() { failAt_ = 0; }

 private:
  int64_t failAt_;
  bool persistent_;
  int64_t count_ = 0;
  int64_t failed_ = 0;
};

// How a child process ended.
struct ChildEnd {
  bool killed = false;    // by SIGKILL (its own kill point, or ours)
  bool timedOut = false;  // still running after the time limit (then killed)
  int exitCode = -1;      // when it exited normally
  int signal = 0;         // when another signal ended it
  bool completed() const { return !killed && !timedOut && signal == 0 && exitCode == 0; }
  std::string describe() const {
    if (timedOut) return "timed out";
    if (killed) return "killed";
    if (signal) return "signal " + std::to_string(signal);
    return "exit " + std::to_string(exitCode);
  }
};

namespace detail {
// Waits for `pid`, killing it after `killAfter` (negative: never) or, as a
// time-out, after `limit`.
inline ChildEnd waitChild(pid_t pid, std::chrono::microseconds killAfter, std::chrono::microseconds limit) {
  ChildEnd end;
  auto start = std::chrono::steady_clock::now();
  bool sentKill = false;
  for (;;) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      if (WIFEXITED(status)) end.exitCode = WEXITSTATUS(status);
      if (WIFSIGNALED(status)) {
        if (WTERMSIG(status) == SIGKILL) end.killed = true;
        else end.signal = WTERMSIG(status);
      }
      return end;
    }
    if (r < 0) {
      end.signal = -1;
      return end;
    }
    auto elapsed = std::chrono::steady_clock::now() - start;
    if (!sentKill && killAfter.count() >= 0 && elapsed >= killAfter) {
      ::kill(pid, SIGKILL);
      sentKill = true;
    } else if (!sentKill && elapsed >= limit) {
      ::kill(pid, SIGKILL);
      sentKill = true;
      end.timedOut = true;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}
}  // namespace detail

// Runs `body` in a forked child; its result is the child's exit code (0 for
// success).  A child still running after `limit` is killed (timedOut).
inline ChildEnd runInChild(const std::function<int()>& body,
                           std::chrono::milliseconds limit = std::chrono::seconds(60)) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  if (pid < 0) return ChildEnd{false, false, -1, -1};
  return detail::waitChild(pid, std::chrono::microseconds(-1), limit);
}

// Runs `body` in a forked child and kills it after `delay` (a random kill
// point for code that counts no steps).  killed is false when the child
// ended first.
inline ChildEnd runInChildKilledAfter(std::chrono::microseconds delay, const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  if (pid < 0) return ChildEnd{false, false, -1, -1};
  return detail::waitChild(pid, delay, std::chrono::seconds(60));
}

// For k = 1, 2, ...: prepare(k) in the parent, then body(killSwitch) in a
// child whose switch kills it at step k, then check(k, end) in the parent.
// Stops after the first round whose child was not killed (it got past its
// last step; check() sees that round too) or after maxRounds.  Returns the
// number of rounds run.  body returns the child's exit code (0 success).
inline int forEachKillPoint(const std::function<void(int k)>& prepare, const std::function<int(KillSwitch&)>& body,
                            const std::function<void(int k, const ChildEnd& end)>& check, int maxRounds = 1000) {
  for (int k = 1; k <= maxRounds; ++k) {
    if (prepare) prepare(k);
    ChildEnd end = runInChild([&] {
      KillSwitch kill(k);
      return body(kill);
    });
    check(k, end);
    if (!end.killed) return k;
  }
  return maxRounds;
}

}  // namespace vorlam::testing

#endif  // _WIN32
