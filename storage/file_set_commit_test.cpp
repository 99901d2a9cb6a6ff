#include "storage/file_set_commit.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

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
  EXPECT_TRUE(workFiles("-lck").empty());

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

}  // namespace
}  // namespace vorlam
