// A file set whose work directory is below a server location: the swap,
// its undoing after a death, a restore, and the locks that keep others out.
// Skipped (saying why) without a test server.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "storage/file_set_commit.h"
#include "storage/server_file_set.h"
#include "storage/table.h"
#include "storage/test_tables.h"
#include "storage/test_util.h"

namespace vorlam {
namespace {

using testing::Backend;
using testing::TestRoot;
using testing::noteDef;

class PostgresFileSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!root_.unavailable().empty()) GTEST_SKIP() << root_.unavailable();
    ASSERT_TRUE(makeDirectories(root_.file("Emp1")));
    write(target(), {"antes 1", "antes 2"});
  }
  std::string target() const { return root_.file("Emp1/Nota.dat"); }
  std::string work() const { return root_.file("Temp/Ajuste/000001-e1-s2-a2024"); }

  void write(const std::string& path, const std::vector<std::string>& texts) {
    Table t(&def_);
    ASSERT_TRUE(t.open(path)) << path;
    for (size_t i = 0; i < texts.size(); ++i) {
      t.buffer().clear();
      t.buffer().setInt("Numero", static_cast<int64_t>(i + 1));
      t.buffer().setText("Texto", texts[i]);
      ASSERT_TRUE(t.append());
    }
  }
  std::vector<std::string> read(const std::string& path) {
    Table t(&def_);
    std::vector<std::string> out;
    if (!t.open(path, OpenMode::kReadOnly)) return {"(ausente)"};
    t.seekStart(kFileOrder);
    while (t.next()) out.emplace_back(t.buffer().getText("Texto"));
    return out;
  }
  // A set with the target staged and its side file written.
  std::unique_ptr<FileSetCommit> staged() {
    Result<std::unique_ptr<FileSetCommit>> set = FileSetCommit::begin(work(), "empresa 1");
    EXPECT_TRUE(set) << set.status().toString();
    if (!set) return nullptr;
    Result<std::string> side = set.value()->stage(target());
    EXPECT_TRUE(side) << side.status().toString();
    if (side) write(side.value(), {"novo"});
    return std::move(set.value());
  }

  TestRoot root_{Backend::kPostgres};
  TableDef def_ = noteDef();
};

TEST_F(PostgresFileSetTest, CommitSwapsFinishKeepsOriginalRestorePutsItBack) {
  std::unique_ptr<FileSetCommit> set = staged();
  ASSERT_TRUE(set);
  EXPECT_EQ(read(target()), (std::vector<std::string>{"antes 1", "antes 2"}));
  Status committed = set->commit();
  ASSERT_TRUE(committed) << committed.toString() << " " << committed.detail();
  EXPECT_EQ(*FileSetCommit::stateOf(work()), FileSetCommit::State::kCommitted);
  // The new file stays closed to others until the set is finished.
  Table other(&def_);
  other.setBusyTimeout(0);
  EXPECT_EQ(other.open(target()).code(), StatusCode::kAccessDenied);
  ASSERT_TRUE(set->finish());
  EXPECT_EQ(read(target()), std::vector<std::string>{"novo"});
  ASSERT_TRUE(other.open(target()));
  EXPECT_EQ(*FileSetCommit::targets(work()), std::vector<std::string>{target()});

  // A restore waits for the converted file to be closed everywhere.
  EXPECT_EQ(FileSetCommit::restore(work()).code(), StatusCode::kBusy);
  EXPECT_EQ(*FileSetCommit::stateOf(work()), FileSetCommit::State::kFinished);
  other.close();
  ASSERT_TRUE(FileSetCommit::restore(work()));
  EXPECT_EQ(read(target()), (std::vector<std::string>{"antes 1", "antes 2"}));
  EXPECT_EQ(read(work() + "/1-Nota.dat.convertido"), std::vector<std::string>{"novo"});
  EXPECT_EQ(*FileSetCommit::stateOf(work()), FileSetCommit::State::kRestored);
}

TEST_F(PostgresFileSetTest, AbandonAndDestructionLeaveTheOriginal) {
  {
    std::unique_ptr<FileSetCommit> set = staged();
    ASSERT_TRUE(set);
    ASSERT_TRUE(set->commit());
  }  // dropped before finish(): everything as before
  EXPECT_EQ(read(target()), (std::vector<std::string>{"antes 1", "antes 2"}));
  EXPECT_FALSE(fileExists(work() + "/1-Nota.dat.novo"));
  EXPECT_EQ(*FileSetCommit::stateOf(work()), FileSetCommit::State::kRestored);
  // A work directory is used once.
  EXPECT_EQ(FileSetCommit::begin(work(), "de novo").status().code(), StatusCode::kInvalidArgument);
}

TEST_F(PostgresFileSetTest, ProcessKilledAfterTheSwapIsRecovered) {
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::unique_ptr<FileSetCommit> set = staged();
    _exit(set && set->commit() ? 0 : 1);  // dies committed, never finished
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(read(target()), std::vector<std::string>{"novo"});
  EXPECT_EQ(*FileSetCommit::stateOf(work()), FileSetCommit::State::kCommitted);
  // The server ends the dead session's locks once it sees the connection gone.
  Status recovered = FileSetCommit::recover(work());
  for (int i = 0; i < 100 && recovered.code() == StatusCode::kBusy; ++i) {
    platform::sleepMilliseconds(50);
    recovered = FileSetCommit::recover(work());
  }
  ASSERT_TRUE(recovered) << recovered.toString();
  EXPECT_EQ(read(target()), (std::vector<std::string>{"antes 1", "antes 2"}));
  EXPECT_FALSE(fileExists(work() + "/1-Nota.dat.novo"));
  EXPECT_EQ(*FileSetCommit::stateOf(work()), FileSetCommit::State::kRestored);
  ASSERT_TRUE(FileSetCommit::recover(work()));  // again: nothing to do
}

TEST_F(PostgresFileSetTest, SideFileOpenElsewhereStopsTheCommitWithNothingMoved) {
  std::unique_ptr<FileSetCommit> set = staged();
  ASSERT_TRUE(set);
  Table reader(&def_);
  ASSERT_TRUE(reader.open(set->sideFile(target()), OpenMode::kReadOnly));
  EXPECT_EQ(set->commit().code(), StatusCode::kBusy);
  EXPECT_EQ(read(target()), (std::vector<std::string>{"antes 1", "antes 2"}));
  reader.close();
  Status committed = set->commit();
  ASSERT_TRUE(committed) << committed.toString() << " " << committed.detail();
  ASSERT_TRUE(set->finish());
  EXPECT_EQ(read(target()), std::vector<std::string>{"novo"});
}

TEST_F(PostgresFileSetTest, OneProcessAtATimePerWorkDirectory) {
  std::unique_ptr<FileSetCommit> set = staged();
  ASSERT_TRUE(set);
  EXPECT_EQ(FileSetCommit::recover(work()).code(), StatusCode::kBusy);
  EXPECT_EQ(read(target()), (std::vector<std::string>{"antes 1", "antes 2"}));
  // A target in another database is refused.
  EXPECT_EQ(set->stage("postgresql:///outro_banco/Emp1/Outra.dat").status().code(), StatusCode::kInvalidArgument);
}

TEST_F(PostgresFileSetTest, TextsAndDirectories) {
  const std::string text = std::string("linha 1\nDescrição \xE7\x00 fim", 23);
  ASSERT_TRUE(FileSetIo().writeDurably(root_.file("Temp/x.txt"), text));
  EXPECT_EQ(*readWholeFile(root_.file("Temp/x.txt")), text);
  EXPECT_TRUE(pathExists(root_.file("Temp/x.txt")));
  ASSERT_TRUE(FileSetIo().remove(root_.file("Temp/x.txt")));
  EXPECT_FALSE(pathExists(root_.file("Temp/x.txt")));
  EXPECT_EQ(readWholeFile(root_.file("Temp/x.txt")).status().code(), StatusCode::kFileNotFound);
  ASSERT_TRUE(makeDirectories(root_.file("Emp2/Contab/2024")));
  EXPECT_EQ(subdirectories(root_.path()), (std::vector<std::string>{"EMP1", "EMP2"}));
  EXPECT_EQ(subdirectories(root_.file("Emp2/Contab")), std::vector<std::string>{"2024"});
  EXPECT_TRUE(subdirectories(root_.file("Emp1")).empty());  // holds a file only
  EXPECT_TRUE(directoryExists(root_.file("emp2/CONTAB")));  // letters without case
  EXPECT_TRUE(directoryExists(root_.file("Emp1")));
  EXPECT_TRUE(directoryExists(root_.path() + "/"));
  EXPECT_FALSE(directoryExists(root_.file("Emp3")));
  EXPECT_FALSE(directoryExists(root_.file("Emp1/Nota.dat")));  // a file, not a directory
}

}  // namespace
}  // namespace vorlam
