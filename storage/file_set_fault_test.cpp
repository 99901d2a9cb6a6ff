// The file-set commit under failing disks: each of its file operations made
// to fail (once, or for good), and the database library's writes, syncs and
// opens failing through the fault layer.
// POSIX only for now: the kill harness forks (crash_test_util.h).  Windows
// runs need it rebuilt over child processes started afresh.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "storage/fault_vfs.h"
#include "storage/file_set_test_fixture.h"

namespace vorlam {
namespace {

using State = FileSetCommit::State;
using testing::FailingFileOpHook;

class FileSetFaultTest : public testing::FileSetFixture {
 protected:
  // What the database library does in a whole set that meets no fault.
  FaultVfs::Counts countsOfACleanRun() {
    FaultVfs vfs;
    std::unique_ptr<FileSetCommit> set;
    EXPECT_TRUE(runSet(&set));
    FaultVfs::Counts c = vfs.counts();
    set.reset();
    writeOriginals();
    return c;
  }
  // After a failed run whose object still lives: a failure in commit() has
  // already put everything back; then the set is dropped and recovered.
  void dropRecoverAndCheck(std::unique_ptr<FileSetCommit> set, bool finished) {
    set.reset();
    Status r = FileSetCommit::recover(work());
    ASSERT_TRUE(r) << r.toString();
    EXPECT_EQ(whatIsOnDisk(), finished ? "new" : "original");
    if (!finished) {
      EXPECT_TRUE(workFiles(".original").empty());
    }
  }
};

TEST_F(FileSetFaultTest, EachFileOperationFailingOnceLeavesTheSetWholeAndReportsIt) {
  FailingFileOpHook counter;
  {
    std::unique_ptr<FileSetCommit> set;
    ASSERT_TRUE(runSet(&set, &counter));
  }
  const int64_t total = counter.count();
  ASSERT_GT(total, 40);
  int commitFailures = 0;
  for (int64_t k = 1; k <= total; ++k) {
    SCOPED_TRACE("operation " + std::to_string(k));
    writeOriginals();
    FailingFileOpHook hook(k);
    std::unique_ptr<FileSetCommit> set;
    Status s = stageAll(&set, &hook);
    bool inCommit = false, finished = false;
    if (s) {
      s = set->commit();
      inCommit = !s;
    }
    if (s) {
      s = set->finish();
      finished = s.isOk();
    }
    ASSERT_EQ(hook.failed(), 1);
    EXPECT_FALSE(s) << "a failed operation was reported as success";
    if (inCommit) {
      // commit() puts back what it swapped before it answers.
      ++commitFailures;
      EXPECT_EQ(whatIsOnDisk(), "original");
      EXPECT_EQ(set->state(), State::kStaged);
      EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kStaged);
      // ... and may be tried again.
      ASSERT_TRUE(set->commit());
      EXPECT_EQ(whatIsOnDisk(), "new");
      ASSERT_TRUE(set->finish());
      finished = true;
    } else if (set && set->state() == State::kCommitted) {
      EXPECT_EQ(whatIsOnDisk(), "new");  // finish() failed: still abandonable
    }
    dropRecoverAndCheck(std::move(set), finished);
  }
  EXPECT_GT(commitFailures, 20);
}

TEST_F(FileSetFaultTest, OperationsFailingForGoodAreRecoveredOnceTheDiskWorksAgain) {
  FailingFileOpHook counter;
  {
    std::unique_ptr<FileSetCommit> set;
    ASSERT_TRUE(runSet(&set, &counter));
  }
  for (int64_t k = 1; k <= counter.count(); ++k) {
    SCOPED_TRACE("operations failing from " + std::to_string(k));
    writeOriginals();
    FailingFileOpHook hook(k, /*persistent=*/true);
    std::unique_ptr<FileSetCommit> set;
    Status s = runSet(&set, &hook);
    EXPECT_FALSE(s);
    set.reset();  // its abandon() fails too: left for recover()
    // Only the directory sync after the finished journal was renamed into
    // place can fail with the set reading as finished; the set is then
    // wholly new (abandon() would still have put it back).
    auto state = FileSetCommit::stateOf(work());
    ASSERT_TRUE(state) << state.status().toString();
    bool finished = *state == State::kFinished;
    if (finished) {
      EXPECT_EQ(k, counter.count());
    }
    Status r = FileSetCommit::recover(work());
    ASSERT_TRUE(r) << r.toString();
    EXPECT_EQ(whatIsOnDisk(), finished ? "new" : "original");
  }
}

TEST_F(FileSetFaultTest, RecoveryOnAFailingDiskReportsTheFailureAndCanBeRunAgain) {
  testing::ChildEnd end = crashAfterCommit();
  ASSERT_TRUE(end.killed) << end.describe();
  saveSnapshot();
  FailingFileOpHook counter;
  ASSERT_TRUE(FileSetCommit::recover(work(), &counter));
  ASSERT_GT(counter.count(), 10);
  for (int64_t k = 1; k <= counter.count(); ++k) {
    SCOPED_TRACE("operations failing from " + std::to_string(k));
    loadSnapshot();
    FailingFileOpHook hook(k, true);
    EXPECT_FALSE(FileSetCommit::recover(work(), &hook));
    // The journal never claims more than is done.
    if (*FileSetCommit::stateOf(work()) == State::kRestored) {
      EXPECT_EQ(whatIsOnDisk(), "original");
    }
    ASSERT_TRUE(FileSetCommit::recover(work()));
    EXPECT_EQ(whatIsOnDisk(), "original");
  }
}

TEST_F(FileSetFaultTest, RestoreOnAFailingDiskReportsTheFailureAndCanBeRunAgain) {
  {
    std::unique_ptr<FileSetCommit> set;
    ASSERT_TRUE(runSet(&set));
  }
  saveSnapshot();
  FailingFileOpHook counter;
  ASSERT_TRUE(FileSetCommit::restore(work(), &counter));
  for (int64_t k = 1; k <= counter.count(); ++k) {
    SCOPED_TRACE("operation " + std::to_string(k));
    loadSnapshot();
    FailingFileOpHook hook(k, true);
    EXPECT_FALSE(FileSetCommit::restore(work(), &hook));
    ASSERT_TRUE(FileSetCommit::restore(work()));
    EXPECT_EQ(whatIsOnDisk(), "original");
    EXPECT_EQ(workFiles(".convertido").size(), 3u);
  }
}

}  // namespace
}  // namespace vorlam

namespace vorlam {
namespace {

TEST(FaultVfsTest, FailsTheChosenOperationsAndGivesTheDefaultLayerBack) {
  testing::TempDir dir(testing::scratchBase());
  TableDef def = testing::fileSetItemDef();
  std::string path = dir.file("Item.dat");
  std::string before = sqlite3_vfs_find(nullptr)->zName;
  {
    FaultVfs vfs;
    EXPECT_STREQ(sqlite3_vfs_find(nullptr)->zName, "vorlam-fault");
    ASSERT_TRUE(testing::writeItems(def, path, "a", 3));
    FaultVfs::Counts c = vfs.counts();
    EXPECT_GT(c.writes, 0);
    EXPECT_GT(c.bytesWritten, 0);
    EXPECT_EQ(c.injectedFailures, 0);

    vfs.failWrite(1);
    Status s = testing::writeItems(def, path, "b", 1, 10);
    EXPECT_EQ(s.code(), StatusCode::kIoError) << s.toString();
    EXPECT_EQ(vfs.counts().injectedFailures, 1);
    ASSERT_TRUE(testing::writeItems(def, path, "c", 1, 20));  // once only

    vfs.setSpaceLimit(0);
    EXPECT_FALSE(testing::writeItems(def, path, "d", 1, 30));
    vfs.setSpaceLimit(-1);

    vfs.failOpens("Item.dat");
    Table t(&def);
    EXPECT_FALSE(t.open(path));
    vfs.reset();
    EXPECT_EQ(vfs.counts().writes, 0);
    ASSERT_TRUE(t.open(path));
  }
  EXPECT_EQ(sqlite3_vfs_find(nullptr)->zName, before);
  // The failed writes left nothing behind; the others are all there.
  auto records = testing::fileRecords(def, path);
  ASSERT_TRUE(records);
  EXPECT_EQ(*records, (std::vector<std::string>{"1|a 1", "2|a 2", "3|a 3", "20|c 20"}));
}

TEST_F(FileSetFaultTest, DiskFullAtManyLevelsEndsAllOriginalOrAllNew) {
  int64_t total = countsOfACleanRun().bytesWritten;
  ASSERT_GT(total, 10000);
  int succeeded = 0, failed = 0;
  for (int64_t level = 0; level <= total + total / 10; level += total / 30) {
    SCOPED_TRACE("free bytes " + std::to_string(level));
    writeOriginals();
    Status s;
    {
      FaultVfs vfs;
      vfs.setSpaceLimit(level);
      std::unique_ptr<FileSetCommit> set;
      s = runSet(&set);
      // A write refused anywhere is never reported as success.
      if (vfs.counts().injectedFailures > 0) {
        EXPECT_FALSE(s);
      }
      // The caller gives up a set that failed: destroying it abandons it.
    }
    s ? ++succeeded : ++failed;
    ASSERT_TRUE(FileSetCommit::recover(work()));
    EXPECT_EQ(whatIsOnDisk(), s ? "new" : "original");
  }
  EXPECT_GT(failed, 20);
  EXPECT_GT(succeeded, 0);
}

TEST_F(FileSetFaultTest, DatabaseSyncFailuresEndAllOriginalOrAllNew) {
  int64_t syncs = countsOfACleanRun().syncs;
  ASSERT_GT(syncs, 3);
  for (int64_t n = 1; n <= syncs; ++n) {
    SCOPED_TRACE("sync " + std::to_string(n));
    writeOriginals();
    Status s;
    {
      FaultVfs vfs;
      vfs.failSync(n);
      std::unique_ptr<FileSetCommit> set;
      s = runSet(&set);
    }
    ASSERT_TRUE(FileSetCommit::recover(work()));
    EXPECT_EQ(whatIsOnDisk(), s ? "new" : "original");
  }
  // Every sync failing: the side files cannot be made durable.
  writeOriginals();
  {
    FaultVfs vfs;
    vfs.failEverySync(true);
    std::unique_ptr<FileSetCommit> set;
    EXPECT_FALSE(runSet(&set));
  }
  EXPECT_EQ(whatIsOnDisk(), "original");
}

TEST_F(FileSetFaultTest, ASideFileThatCannotBeOpenedStopsTheCommit) {
  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(stageAll(&set));
  {
    FaultVfs vfs;
    vfs.failOpens(".novo");
    EXPECT_FALSE(set->commit());
  }
  EXPECT_EQ(set->state(), State::kStaged);
  EXPECT_EQ(whatIsOnDisk(), "original");
  ASSERT_TRUE(set->commit());
  EXPECT_EQ(whatIsOnDisk(), "new");
}

}  // namespace
}  // namespace vorlam

#endif  // _WIN32
