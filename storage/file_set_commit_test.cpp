// POSIX only for now: the kill harness forks (crash_test_util.h).  Windows
// runs need it rebuilt over child processes started afresh.
#ifndef _WIN32
#include "storage/file_set_commit.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "storage/file_lock.h"
#include "storage/file_set_test_fixture.h"

namespace vorlam {
namespace {

using State = FileSetCommit::State;
using testing::FileSetFixture;
using testing::fileRecords;

class FileSetCommitTest : public FileSetFixture {};

TEST_F(FileSetCommitTest, CommitsFinishesAndRestoresTheWholeSet) {
  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(stageAll(&set));
  EXPECT_EQ(whatIsOnDisk(), "original");  // side files touch nothing
  for (const std::string& t : targets_) EXPECT_TRUE(fileRecords(def_, set->sideFile(t)));  // as a verifier would
  ASSERT_TRUE(set->commit());
  EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kCommitted);
  EXPECT_EQ(whatIsOnDisk(), "new");
  ASSERT_TRUE(set->finish());
  EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kFinished);
  EXPECT_EQ(*FileSetCommit::label(work()), "empresa 3: estrutura 1 -> 2");
  EXPECT_EQ(*FileSetCommit::targets(work()), targets_);
  set.reset();  // a finished set stays as it is
  ASSERT_TRUE(FileSetCommit::recover(work()));  // nothing to do once finished
  EXPECT_EQ(whatIsOnDisk(), "new");
  EXPECT_EQ(workFiles(".original").size(), 2u);
  EXPECT_TRUE(workFiles(".novo").empty());
  for (const char* left : {".novo-lck", ".novo-wal", ".novo-shm", ".novo-journal"})
    EXPECT_TRUE(workFiles(left).empty()) << left;

  ASSERT_TRUE(FileSetCommit::restore(work()));
  EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kRestored);
  EXPECT_EQ(whatIsOnDisk(), "original");
  // The converted files are kept in the work directory, the one the set
  // created included.
  EXPECT_EQ(fileRecords(def_, work() + "/2-Item.dat.convertido")->size(), 4u);
  EXPECT_EQ(fileRecords(def_, work() + "/3-Outro.dat.convertido")->size(), 5u);
  EXPECT_TRUE(workFiles(".original").empty());
  ASSERT_TRUE(FileSetCommit::restore(work()));  // again: nothing more
  EXPECT_EQ(whatIsOnDisk(), "original");
}

TEST_F(FileSetCommitTest, AbandonBeforeOrAfterCommitLeavesTheOriginals) {
  for (bool committed : {false, true}) {
    SCOPED_TRACE(committed ? "after commit" : "before commit");
    writeOriginals();
    std::unique_ptr<FileSetCommit> set;
    ASSERT_TRUE(stageAll(&set));
    if (committed) {
      ASSERT_TRUE(set->commit());
    }
    ASSERT_TRUE(set->abandon());
    EXPECT_EQ(set->state(), State::kRestored);
    EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kRestored);
    EXPECT_EQ(whatIsOnDisk(), "original");
    EXPECT_TRUE(workFiles(".novo").empty());
    EXPECT_TRUE(workFiles(".original").empty());
    EXPECT_FALSE(set->finish());
    EXPECT_FALSE(set->commit());
  }
}

TEST_F(FileSetCommitTest, DestroyingAnUnfinishedSetAbandonsIt) {
  {
    std::unique_ptr<FileSetCommit> set;
    ASSERT_TRUE(stageAll(&set));
    ASSERT_TRUE(set->commit());
  }
  EXPECT_EQ(whatIsOnDisk(), "original");
  EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kRestored);
}

TEST_F(FileSetCommitTest, RefusesBadStagesAndBadSideFiles) {
  auto set = FileSetCommit::begin(work(), "x");
  ASSERT_TRUE(set);
  EXPECT_FALSE(FileSetCommit::begin(work(), "again"));  // directory already used
  ASSERT_TRUE((*set)->stage(targets_[0]));
  EXPECT_EQ((*set)->stage(targets_[0]).status().code(), StatusCode::kInvalidArgument);
  EXPECT_EQ((*set)->stage(dir_.file("dados/nada/X.dat")).status().code(), StatusCode::kFileNotFound);
  EXPECT_EQ((*set)->stage(work() + "/X.dat").status().code(), StatusCode::kInvalidArgument);
  // The side file was never written.
  EXPECT_EQ((*set)->commit().code(), StatusCode::kFileNotFound);
  EXPECT_EQ((*set)->state(), State::kStaged);
  // A side file that is not a database, then one that is not a record file.
  std::string side = (*set)->sideFile(targets_[0]);
  {
    FILE* f = fopen(side.c_str(), "w");
    fputs("not a database at all, just some text long enough to be read as a header", f);
    fclose(f);
  }
  EXPECT_FALSE((*set)->commit());
  std::remove(side.c_str());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(side.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_EQ((*set)->commit().code(), StatusCode::kCorrupt);
  EXPECT_EQ((*set)->state(), State::kStaged);
  EXPECT_EQ(whatIsOnDisk(), "original");
}

TEST_F(FileSetCommitTest, RefusesAWorkDirectoryOnAnotherFileSystem) {
  testing::TempDir other("/tmp");
  uint64_t a = 0, b = 0;
  if (!deviceOf(other.path(), &a) || !deviceOf(dir_.path(), &b) || a == b) GTEST_SKIP() << "one file system only";
  auto set = FileSetCommit::begin(other.file("w"), "x");
  ASSERT_TRUE(set);
  EXPECT_EQ((*set)->stage(targets_[0]).status().code(), StatusCode::kInvalidArgument);
}

TEST_F(FileSetCommitTest, AJournalThatCannotBeReadIsNeverActedOn) {
  testing::ChildEnd end = crashAfterCommit();
  ASSERT_TRUE(end.killed) << end.describe();
  std::string journal = work() + "/file-set.journal";
  std::string text = *readWholeFile(journal);
  std::vector<std::string> bads = {text.substr(0, text.size() - 4), text + "extra\n", "lixo\n",
                                   std::string(text).replace(text.find("committed"), 9, "perhaps")};
  for (const std::string& bad : bads) {
    FILE* f = fopen(journal.c_str(), "w");
    fputs(bad.c_str(), f);
    fclose(f);
    EXPECT_EQ(FileSetCommit::stateOf(work()).status().code(), StatusCode::kCorrupt) << bad;
    EXPECT_EQ(FileSetCommit::recover(work()).code(), StatusCode::kCorrupt);
    EXPECT_EQ(FileSetCommit::restore(work()).code(), StatusCode::kCorrupt);
    EXPECT_EQ(whatIsOnDisk(), "new");
  }
  FILE* f = fopen(journal.c_str(), "w");
  fputs(text.c_str(), f);
  fclose(f);
  ASSERT_TRUE(FileSetCommit::recover(work()));
  EXPECT_EQ(whatIsOnDisk(), "original");
}

TEST_F(FileSetCommitTest, LabelsAndPathsWithAnyCharactersRoundTrip) {
  std::string label = "empresa 3\nlinha \\n dois\r\nação";
  auto set = FileSetCommit::begin(work(), label);
  ASSERT_TRUE(set);
  std::string odd = dir_.file("dados/a/com espaço \\ e\nquebra.dat");
  ASSERT_TRUE((*set)->stage(odd));
  EXPECT_EQ(*FileSetCommit::label(work()), label);
  EXPECT_EQ(*FileSetCommit::targets(work()), std::vector<std::string>{odd});
  EXPECT_EQ(FileSetCommit::stateOf(dir_.file("nada")).value(), State::kNone);
  EXPECT_EQ(FileSetCommit::targets(dir_.file("nada")).status().code(), StatusCode::kFileNotFound);
}

TEST_F(FileSetCommitTest, ASetInProgressIsNeverRecoveredFromUnderIt) {
  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(stageAll(&set));
  ASSERT_TRUE(set->commit());
  // Another workstation starting up finds the set committing and tries to
  // recover it, or to restore it.
  EXPECT_EQ(FileSetCommit::recover(work()).code(), StatusCode::kBusy);
  EXPECT_EQ(FileSetCommit::restore(work()).code(), StatusCode::kBusy);
  EXPECT_EQ(FileSetCommit::begin(work(), "outro").status().code(), StatusCode::kBusy);
  EXPECT_EQ(whatIsOnDisk(), "new");
  EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kCommitted);
  ASSERT_TRUE(set->finish());
  ASSERT_TRUE(FileSetCommit::restore(work()));  // the set's lock went with finish()
  EXPECT_EQ(whatIsOnDisk(), "original");
}

TEST_F(FileSetCommitTest, TheCallersOpenLocksOnTheTargetsSurviveTheSwap) {
  FileLock held[2];
  ASSERT_TRUE(held[0].acquire(targets_[0], true));
  ASSERT_TRUE(held[1].acquire(targets_[1], true));
  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(stageAll(&set));
  ASSERT_TRUE(set->commit());
  ASSERT_TRUE(set->finish());
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(fileExists(targets_[i] + "-lck"));
    FileLock other;
    EXPECT_FALSE(other.acquire(targets_[i], false)) << "the swap dropped the lock on " << targets_[i];
  }
  ASSERT_TRUE(FileSetCommit::restore(work()));
  FileLock other;
  EXPECT_FALSE(other.acquire(targets_[0], false));
  held[0].release();
  EXPECT_TRUE(other.acquire(targets_[0], false));
}

// --- engine side files --------------------------------------------------

// Runs SQL on a raw connection to `path` in a child that then dies with the
// connection open.
testing::ChildEnd dieWithSqlPending(const std::string& path, const std::string& sql) {
  return testing::runInChild([&] {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return 1;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) return 2;
    testing::killSelf();
  });
}

bool hasTable(const std::string& path, const char* table) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE name = ?1", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, table, -1, SQLITE_STATIC);
  bool found = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) > 0;
  sqlite3_finalize(st);
  sqlite3_close(db);
  return found;
}

TEST_F(FileSetCommitTest, AnOriginalsUncheckpointedLogIsKeptWithIt) {
  // A workstation wrote three records and died before the log was folded in.
  testing::ChildEnd end = testing::runInChild([&] {
    Table t(&def_);
    if (!t.open(targets_[0]) || !testing::writeItems(def_, targets_[0], "ultimo", 3, 100)) return 1;
    testing::killSelf();
  });
  ASSERT_TRUE(end.killed) << end.describe();
  ASSERT_GT(fileSizeOf(targets_[0] + "-wal"), 0);
  before_[0] = fileRecords(def_, targets_[0]);
  ASSERT_EQ(before_[0]->size(), 8u);

  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(stageAll(&set));
  ASSERT_TRUE(set->commit());
  EXPECT_LE(fileSizeOf(targets_[0] + "-wal"), 0);  // folded in, not left beside the new file
  EXPECT_EQ(whatIsOnDisk(), "new");
  ASSERT_TRUE(set->finish());
  ASSERT_TRUE(FileSetCommit::restore(work()));
  EXPECT_EQ(whatIsOnDisk(), "original");
}

TEST_F(FileSetCommitTest, ATargetStillOpenElsewhereIsRefusedAndNothingMoves) {
  Table holder(&def_);
  ASSERT_TRUE(holder.open(targets_[1]));
  ASSERT_TRUE(testing::writeItems(def_, targets_[1], "aberto", 1, 50));
  before_[1] = fileRecords(def_, targets_[1]);
  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(stageAll(&set));
  Status s = set->commit();
  EXPECT_EQ(s.code(), StatusCode::kBusy) << s.toString();
  EXPECT_EQ(set->state(), State::kStaged);
  EXPECT_TRUE(workFiles(".original").empty());
  holder.close();
  EXPECT_EQ(whatIsOnDisk(), "original");
  ASSERT_TRUE(set->commit());
  EXPECT_EQ(whatIsOnDisk(), "new");
}

TEST_F(FileSetCommitTest, ANewFileStillOpenStopsAbandonAndRecoveryBeforeAnythingMoves) {
  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(stageAll(&set));
  ASSERT_TRUE(set->commit());
  {
    Table holder(&def_);
    ASSERT_TRUE(holder.open(targets_[0]));  // the first file: the last one put back
    ASSERT_TRUE(testing::writeItems(def_, targets_[0], "aberto", 1, 500));
    EXPECT_EQ(set->abandon().code(), StatusCode::kBusy);
    EXPECT_TRUE(isNew(1));
    EXPECT_TRUE(isNew(2));
    EXPECT_TRUE(workFiles(".novo").empty());
    EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kCommitted);
  }
  ASSERT_TRUE(set->abandon());
  EXPECT_EQ(whatIsOnDisk(), "original");
}

TEST_F(FileSetCommitTest, ALogLeftBesideANewFileIsFoldedIntoItBeforeTheOriginalComesBack) {
  for (bool viaRecover : {false, true}) {
    SCOPED_TRACE(viaRecover ? "recover" : "abandon");
    writeOriginals();
    std::unique_ptr<FileSetCommit> set;
    if (viaRecover) {
      ASSERT_TRUE(crashAfterCommit().killed);
    } else {
      ASSERT_TRUE(stageAll(&set));
      ASSERT_TRUE(set->commit());
    }
    // Whoever verified the new files died with them open, after writing.
    for (size_t i = 0; i < 2; ++i) {
      testing::ChildEnd end = testing::runInChild([&] {
        Table t(&def_);
        if (!t.open(targets_[i]) || !testing::writeItems(def_, targets_[i], "conferido", 40, 200)) return 1;
        testing::killSelf();
      });
      ASSERT_TRUE(end.killed) << end.describe();
      ASSERT_GT(fileSizeOf(targets_[i] + "-wal"), 0);
    }
    ASSERT_TRUE(viaRecover ? FileSetCommit::recover(work()) : set->abandon());
    EXPECT_EQ(whatIsOnDisk(), "original");
    EXPECT_LE(fileSizeOf(targets_[0] + "-wal"), 0);
  }
}

TEST_F(FileSetCommitTest, AnOriginalsHotRollbackJournalIsPlayedBackBeforeTheSwap) {
  // A writer on a shared folder (rollback journal) died mid-transaction
  // after part of it reached the file.
  testing::ChildEnd end = dieWithSqlPending(targets_[0],
                                            "PRAGMA journal_mode=DELETE; PRAGMA cache_size=2; BEGIN;"
                                            "CREATE TABLE junk(x);"
                                            "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                                            "WHERE i < 300) INSERT INTO junk SELECT randomblob(3000) FROM c;");
  ASSERT_TRUE(end.killed) << end.describe();
  ASSERT_GT(fileSizeOf(targets_[0] + "-journal"), 0);
  // And a committed journal kept by PERSIST mode (zeroed header) beside the
  // other: harmless, so no reason to refuse.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(targets_[1].c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=PERSIST; CREATE TABLE kept(x); DROP TABLE kept;", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  ASSERT_GT(fileSizeOf(targets_[1] + "-journal"), 0);

  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(stageAll(&set));
  Status s = set->commit();
  ASSERT_TRUE(s) << s.toString();
  EXPECT_EQ(whatIsOnDisk(), "new");
  ASSERT_TRUE(set->abandon());
  EXPECT_EQ(whatIsOnDisk(), "original");
  EXPECT_FALSE(hasTable(targets_[0], "junk"));
}

TEST_F(FileSetCommitTest, RestoreKeepsWhatWasWrittenToTheConvertedFilesSince) {
  std::unique_ptr<FileSetCommit> set;
  ASSERT_TRUE(runSet(&set));
  // Work went on in the converted files; one writer died with its log
  // unfolded, another still has its file open.
  testing::ChildEnd end = testing::runInChild([&] {
    Table t(&def_);
    if (!t.open(targets_[0]) || !testing::writeItems(def_, targets_[0], "depois", 2, 300)) return 1;
    testing::killSelf();
  });
  ASSERT_TRUE(end.killed) << end.describe();
  {
    Table holder(&def_);
    ASSERT_TRUE(holder.open(targets_[2]));
    ASSERT_TRUE(testing::writeItems(def_, targets_[2], "aberto", 1, 400));
    Status s = FileSetCommit::restore(work());
    EXPECT_EQ(s.code(), StatusCode::kBusy) << s.toString();
    // Refused before anything moved: still finished.
    EXPECT_EQ(*FileSetCommit::stateOf(work()), State::kFinished);
    EXPECT_TRUE(workFiles(".convertido").empty());
    EXPECT_TRUE(isNew(1));
  }
  ASSERT_TRUE(FileSetCommit::restore(work()));
  EXPECT_EQ(whatIsOnDisk(), "original");
  auto kept = fileRecords(def_, work() + "/1-Item.dat.convertido");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->size(), static_cast<size_t>(newCount(0)) + 2);
  EXPECT_EQ(kept->back(), "301|depois 301");
  EXPECT_EQ(fileRecords(def_, work() + "/3-Outro.dat.convertido")->back(), "400|aberto 400");
}

}  // namespace
}  // namespace vorlam

#endif  // _WIN32
