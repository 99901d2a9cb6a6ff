// The file-set commit killed at every step: of the whole life of a set, of
// abandon(), of recover() (then recovered again), and of restore().
// POSIX only for now: the kill harness forks (crash_test_util.h).  Windows
// runs need it rebuilt over child processes started afresh.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "storage/fault_vfs.h"
#include "storage/file_set_test_fixture.h"

namespace vorlam {
namespace {

using State = FileSetCommit::State;
using testing::ChildEnd;
using testing::forEachKillPoint;
using testing::KillingFileOpHook;
using testing::KillSwitch;

class FileSetCrashTest : public testing::FileSetFixture {
 protected:
  // After a crash at `k`: recovery ends with every original back, unless the
  // set had finished (then every file is new and stays so).
  void recoverAndCheck(int k, const ChildEnd& end, bool abandoning = false) {
    SCOPED_TRACE("kill point " + std::to_string(k));
    ASSERT_TRUE(end.killed || end.completed()) << end.describe();
    auto state = FileSetCommit::stateOf(work());
    ASSERT_TRUE(state) << state.status().toString();
    ++seen_[static_cast<int>(*state)];
    Status r = FileSetCommit::recover(work());
    ASSERT_TRUE(r) << r.toString();
    if (*state == State::kFinished) {
      EXPECT_FALSE(abandoning);
      EXPECT_EQ(whatIsOnDisk(), "new");
      return;
    }
    EXPECT_EQ(whatIsOnDisk(), "original");
    EXPECT_TRUE(workFiles(".novo").empty());
    EXPECT_TRUE(workFiles(".original").empty());
    auto after = FileSetCommit::stateOf(work());
    EXPECT_TRUE(*after == State::kRestored || *after == State::kNone) << FileSetCommit::stateName(*after);
  }
  // Fresh originals, then a set killed at its file operation `k`.
  ChildEnd crashSetAt(int k) {
    writeOriginals();
    return testing::runInChild([&] {
      KillSwitch kill(k);
      KillingFileOpHook hook(kill);
      return runSetInChild(&hook);
    });
  }
  std::map<int, int> seen_;  // states found after the kills
};

TEST_F(FileSetCrashTest, KilledAtEveryFileOperationTheSetEndsAllOriginalOrAllNew) {
  int rounds = forEachKillPoint([&](int) { writeOriginals(); },
                                [&](KillSwitch& kill) {
                                  KillingFileOpHook hook(kill);
                                  return runSetInChild(&hook);
                                },
                                [&](int k, const ChildEnd& end) { recoverAndCheck(k, end); });
  EXPECT_GT(rounds, 40);
  // The kills met the set in every state it goes through.
  for (State s : {State::kNone, State::kStaged, State::kCommitting, State::kCommitted, State::kFinished})
    EXPECT_GT(seen_[static_cast<int>(s)], 0) << FileSetCommit::stateName(s);
}

TEST_F(FileSetCrashTest, KilledAtEveryDatabaseWriteOrSyncToo) {
  // Steps are the set's file operations and every write and sync the
  // database library makes (writing the side files, checking them).
  int rounds = forEachKillPoint([&](int) { writeOriginals(); },
                                [&](KillSwitch& kill) {
                                  FaultVfs vfs;
                                  vfs.setHook([&](FaultVfs::Op op, const std::string&) {
                                    if (op != FaultVfs::Op::kOpen) kill.step();
                                  });
                                  KillingFileOpHook hook(kill);
                                  return runSetInChild(&hook);
                                },
                                [&](int k, const ChildEnd& end) { recoverAndCheck(k, end); });
  EXPECT_GT(rounds, 60);
}

TEST_F(FileSetCrashTest, KilledAtEveryStepOfAbandonTheOriginalsComeBack) {
  int rounds = forEachKillPoint([&](int) { writeOriginals(); },
                                [&](KillSwitch& kill) {
                                  KillingFileOpHook hook(kill);
                                  return runSetInChild(&hook, /*abandonAfterCommit=*/true);
                                },
                                [&](int k, const ChildEnd& end) { recoverAndCheck(k, end, true); });
  EXPECT_GT(rounds, 50);
  EXPECT_EQ(seen_[static_cast<int>(State::kFinished)], 0);
}

// Crashes in the middle of a commit, then kills recover() at each of its
// steps, then recovers again.
TEST_F(FileSetCrashTest, RecoveryKilledAtEveryStepThenRunAgainPutsEveryOriginalBack) {
  int replayed = 0;
  for (int k = 1; k < 200; ++k) {
    ChildEnd first = crashSetAt(k);
    if (!first.killed) break;
    auto state = FileSetCommit::stateOf(work());
    ASSERT_TRUE(state);
    // Every second point of the staged phase is enough; every point of the
    // swap matters.
    if (*state != State::kCommitting && *state != State::kCommitted && !(*state == State::kStaged && k % 2))
      continue;
    saveSnapshot();
    ++replayed;
    forEachKillPoint([&](int) { loadSnapshot(); },
                     [&](KillSwitch& kill) {
                       KillingFileOpHook hook(kill);
                       return FileSetCommit::recover(work(), &hook) ? 0 : 1;
                     },
                     [&](int j, const ChildEnd& end) {
                       SCOPED_TRACE("commit killed at " + std::to_string(k) + ", recovery at " + std::to_string(j));
                       recoverAndCheck(j, end);
                     });
  }
  EXPECT_GT(replayed, 20);
}

TEST_F(FileSetCrashTest, RecoveryInterruptedAgainAndAgainStillEnds) {
  for (int k = 1; k < 200; ++k) {
    ChildEnd first = crashSetAt(k);
    if (!first.killed) break;
    if (*FileSetCommit::stateOf(work()) != State::kCommitting) continue;
    // Each attempt is killed at its fifth file operation; each gets further.
    int attempts = 0;
    ChildEnd end;
    do {
      end = testing::runInChild([&] {
        KillSwitch kill(5);
        KillingFileOpHook hook(kill);
        return FileSetCommit::recover(work(), &hook) ? 0 : 1;
      });
    } while (end.killed && ++attempts < 60);
    SCOPED_TRACE("commit killed at " + std::to_string(k));
    ASSERT_TRUE(end.completed()) << end.describe() << " after " << attempts << " attempts";
    EXPECT_EQ(whatIsOnDisk(), "original");
    EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kRestored);
  }
}

TEST_F(FileSetCrashTest, RestoreKilledAtEveryStepThenRunAgainPutsEveryOriginalBack) {
  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(runSet(&set));
  set.reset();
  saveSnapshot();
  int rounds = forEachKillPoint([&](int) { loadSnapshot(); },
                                [&](KillSwitch& kill) {
                                  KillingFileOpHook hook(kill);
                                  return FileSetCommit::restore(work(), &hook) ? 0 : 1;
                                },
                                [&](int k, const ChildEnd& end) {
                                  SCOPED_TRACE("kill point " + std::to_string(k));
                                  ASSERT_TRUE(end.killed || end.completed()) << end.describe();
                                  auto state = *FileSetCommit::stateOf(work());
                                  // Interrupted before it began, the set is
                                  // still finished and intact.
                                  if (state == State::kFinished) {
                                    EXPECT_EQ(whatIsOnDisk(), "new");
                                  }
                                  // recover() completes a restore that began.
                                  Status s = k % 2 ? FileSetCommit::restore(work()) : FileSetCommit::recover(work());
                                  ASSERT_TRUE(s) << s.toString();
                                  if (state == State::kFinished && k % 2 == 0) return;
                                  EXPECT_EQ(whatIsOnDisk(), "original");
                                  EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kRestored);
                                  EXPECT_EQ(workFiles(".convertido").size(), 3u);
                                  EXPECT_TRUE(workFiles(".original").empty());
                                });
  EXPECT_GT(rounds, 15);
}

TEST_F(FileSetCrashTest, KilledAtRandomMomentsTheSetEndsAllOriginalOrAllNew) {
  // How long a whole set takes in a child (the quickest of three, so that
  // most kills land inside a run), then kills at random moments within it.
  auto span = std::chrono::microseconds::max();
  for (int i = 0; i < 3; ++i) {
    writeOriginals();
    auto start = std::chrono::steady_clock::now();
    ChildEnd whole = testing::runInChild([&] { return runSetInChild(nullptr); });
    ASSERT_TRUE(whole.completed()) << whole.describe();
    span = std::min(span,
                    std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start));
  }
  std::mt19937 random(1234);
  std::uniform_int_distribution<int64_t> delay(0, span.count());
  int killed = 0;
  for (int round = 1; round <= 30; ++round) {
    writeOriginals();
    ChildEnd end =
        testing::runInChildKilledAfter(std::chrono::microseconds(delay(random)), [&] { return runSetInChild(nullptr); });
    killed += end.killed;
    recoverAndCheck(round, end);
  }
  // How many rounds a kill lands in depends on the machine's load; the
  // rounds themselves are the check, this only proves kills happened.
  EXPECT_GT(killed, 0);
}

}  // namespace
}  // namespace vorlam

#endif  // _WIN32
