// Several processes on one record file: contention, exclusive use, record
// holds and processes killed in the middle of writing.  The children are
// this test program started again (see test_util.h), so the cases run the
// same on every platform.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "storage/table.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam {
namespace {


// A counter table: one numbered key, a value to increment, a text to rewrite.
TableDef counterDef() {
  return TableBuilder("Contador", "CNT", "Contador.dat")
      .field("CNT:Grupo", kUSHORT)
      .field("CNT:Numero", kULONG)
      .field("CNT:Valor", kLONG)
      .field("CNT:Texto", STRING(20))
      .key("CNT:KEY:NUMERO", {"CNT:Grupo", "CNT:Numero"}, kUnique | kPrimary, "", 2)
      .build();
}

Status addCounter(Table& t, int group, const char* text) {
  t.buffer().clear();
  t.buffer().setInt("Grupo", group);
  t.buffer().setText("Texto", text);
  return t.insert();
}

// --- children ------------------------------------------------------------------
// Each takes the file name first; exit codes above 1 say where it failed.

// Adds args[1] numbered records to group 1.
int childNumber(const std::vector<std::string>& args) {
  TableDef def = counterDef();
  Table t(&def);
  if (!t.open(args[0])) return 3;
  for (int i = 0, n = std::stoi(args[1]); i < n; ++i)
    if (!addCounter(t, 1, "Concorrente")) return 4;
  return 0;
}

// Adds one to record 1's value args[1] times, reading it again whenever
// another process changed it first.
int childIncrement(const std::vector<std::string>& args) {
  TableDef def = counterDef();
  Table t(&def);
  if (!t.open(args[0])) return 3;
  for (int i = 0, n = std::stoi(args[1]); i < n; ++i) {
    for (;;) {
      if (!t.getById(1)) return 4;
      t.buffer().setInt("Valor", t.buffer().getInt("Valor") + 1);
      Status s = t.update();
      if (s) break;
      if (!s.is(StatusCode::kChangedByOther) && !s.is(StatusCode::kBusy)) return 5;
    }
  }
  return 0;
}

// Opens the file (args[1]: "shared" or "exclusive"), holds record 1 when
// args[2] is "hold", signals through the file args[3] and waits to be killed.
int childHoldOpen(const std::vector<std::string>& args) {
  TableDef def = counterDef();
  Table t(&def);
  if (!t.open(args[0], args[1] == "exclusive" ? OpenMode::kExclusive : OpenMode::kShared)) return 3;
  if (args[2] == "hold" && (!t.getById(1) || !t.hold())) return 4;
  testing::touch(args[3]);
  for (;;) platform::sleepMilliseconds(1000);
}

// Bulk-adds 2000 records and ends without flushing.
int childBulkAbandoned(const std::vector<std::string>& args) {
  TableDef def = counterDef();
  Table t(&def);
  if (!t.open(args[0])) return 3;
  t.beginBulk();
  for (int i = 0; i < 2000; ++i) addCounter(t, 3, "Interrompido");
  return 0;  // leaves without flush() or close(), as a crash would
}

// Rewrites every record in one bulk run, signals half-way through the file
// args[1] and waits to be killed there.
int childBulkRewrite(const std::vector<std::string>& args) {
  TableDef def = counterDef();
  Table t(&def);
  if (!t.open(args[0]) || !t.beginBulk() || !t.seekStart(kFileOrder)) return 3;
  int n = 0;
  while (t.next()) {
    t.buffer().setText("Texto", "Reescrito");
    if (!t.update()) return 4;
    if (++n == 60) {
      testing::touch(args[1]);
      for (;;) platform::sleepMilliseconds(1000);
    }
  }
  return 5;
}

// Commits one record at a time for ever; after each commit, writes the
// number of records in the file to the file args[1].
int childCommitLoop(const std::vector<std::string>& args) {
  TableDef def = counterDef();
  Table t(&def);
  Result<int64_t> before = t.open(args[0]) ? t.count() : Result<int64_t>(makeStatus(StatusCode::kNotOpen));
  if (!before) return 3;
  for (int64_t i = before.value() + 1;; ++i) {
    if (!addCounter(t, 2, "Gravado")) return 4;
    std::ofstream(args[1] + ".tmp") << i;
    if (!platform::replaceFile(args[1] + ".tmp", args[1])) return 5;
  }
}

// Waits for the file args[1] to appear, then creates the table's file (or
// opens it, when another child got there first) and adds one record.
int childCreateTogether(const std::vector<std::string>& args) {
  if (!testing::waitForFile(args[1])) return 2;
  TableDef def = counterDef();
  Table t(&def);
  if (Status s = t.open(args[0]); !s) return 3;
  return addCounter(t, 1, "Criador") ? 0 : 4;
}

const bool kChild = testing::runChildRole({
    {"create-together", childCreateTogether},
    {"number", childNumber},
    {"increment", childIncrement},
    {"hold-open", childHoldOpen},
    {"bulk-abandoned", childBulkAbandoned},
    {"bulk-rewrite", childBulkRewrite},
    {"commit-loop", childCommitLoop},
});

// --- cases ---------------------------------------------------------------------

class TableProcessTest : public ::testing::TestWithParam<testing::Backend> {
 protected:
  void SetUp() override {
    if (!dir_.unavailable().empty()) GTEST_SKIP() << dir_.unavailable();
  }
  testing::JournalModeScope journal_{testing::journalModeOf(GetParam())};
  testing::TestRoot dir_{GetParam()};
  TableDef def_ = counterDef();
  std::string file_ = dir_.file("Contador.dat");

  platform::Process start(const std::string& role, std::vector<std::string> args) {
    args.insert(args.begin(), file_);
    Result<platform::Process> p = testing::startChild(role, args);
    EXPECT_TRUE(p) << p.status().toString();
    return std::move(p).value();
  }
  void seed(int records) {
    Table t(&def_);
    ASSERT_TRUE(t.open(file_));
    ASSERT_TRUE(t.beginBulk());
    for (int i = 0; i < records; ++i) ASSERT_TRUE(addCounter(t, 1, "Original"));
    ASSERT_TRUE(t.flush());
  }
};

TEST_P(TableProcessTest, TwoWritersLoseNoUpdateAndShareNoNumber) {
  seed(1);
  // Every commit of the safe mode waits for the disk: few rounds suffice to
  // interleave the writers.
  constexpr int kEach = 40;
  platform::Process a = start("number", {std::to_string(kEach)});
  platform::Process b = start("number", {std::to_string(kEach)});
  platform::Process c = start("increment", {std::to_string(kEach)});
  platform::Process d = start("increment", {std::to_string(kEach)});
  for (platform::Process* p : {&a, &b, &c, &d}) EXPECT_EQ(p->wait().value(), 0);
  Table t(&def_);
  ASSERT_TRUE(t.open(file_));
  EXPECT_EQ(t.journalMode(), testing::journalModeOf(GetParam()));
  ASSERT_TRUE(t.getById(1));
  EXPECT_EQ(t.buffer().getInt("Valor"), 2 * kEach);  // every increment counted
  std::set<int64_t> numbers;
  ASSERT_TRUE(t.seekStart(0));
  while (t.next()) numbers.insert(t.buffer().getInt("Numero"));
  ASSERT_EQ(numbers.size(), 2u * kEach + 1);  // no duplicate
  EXPECT_EQ(*numbers.rbegin(), 2 * kEach + 1);  // and no gap
  EXPECT_TRUE(t.integrityCheck());
}

TEST_P(TableProcessTest, ExclusiveUseAndHoldsEndWithTheirHolder) {
  seed(2);
  const std::string ready = dir_.local("pronto");
  platform::Process holder = start("hold-open", {"shared", "hold", ready});
  ASSERT_TRUE(testing::waitForFile(ready));
  Table t(&def_);
  t.setBusyTimeout(200);
  EXPECT_EQ(t.open(file_, OpenMode::kExclusive).code(), StatusCode::kAccessDenied);
  ASSERT_TRUE(t.open(file_));
  ASSERT_TRUE(t.getById(1));
  EXPECT_EQ(t.hold().code(), StatusCode::kBusy);
  EXPECT_EQ(*t.heldRecords(), std::vector<int64_t>{1});
  ASSERT_TRUE(t.getById(2));
  ASSERT_TRUE(t.hold());
  EXPECT_EQ(*t.heldRecords(), (std::vector<int64_t>{1, 2}));
  t.close();

  // Killed, the holder lets go of the file and of its record.
  ASSERT_TRUE(holder.kill());
  holder.wait();
  ASSERT_TRUE(t.open(file_, OpenMode::kExclusive));
  EXPECT_TRUE(t.heldRecords()->empty());
  ASSERT_TRUE(t.getById(1));
  ASSERT_TRUE(t.hold());
  t.close();

  // Held exclusively by another process, the file refuses shared opens.
  const std::string ready2 = dir_.local("pronto2");
  platform::Process owner = start("hold-open", {"exclusive", "-", ready2});
  ASSERT_TRUE(testing::waitForFile(ready2));
  EXPECT_EQ(t.open(file_).code(), StatusCode::kAccessDenied);
  ASSERT_TRUE(owner.kill());
  owner.wait();
  EXPECT_TRUE(t.open(file_));
}

TEST_P(TableProcessTest, AbandonedBulkRunLeavesTheFileAsBefore) {
  seed(1);
  platform::Process p = start("bulk-abandoned", {});
  EXPECT_EQ(p.wait().value(), 0);
  Table t(&def_);
  ASSERT_TRUE(t.open(file_));
  EXPECT_EQ(*t.count(), 1);
  std::string report;
  EXPECT_TRUE(t.integrityCheck(&report)) << report;
}

TEST_P(TableProcessTest, WriterKilledMidRewriteLeavesEveryRecordAsItWas) {
  seed(100);
  const std::string halfway = dir_.local("metade");
  platform::Process p = start("bulk-rewrite", {halfway});
  ASSERT_TRUE(testing::waitForFile(halfway));
  ASSERT_TRUE(p.kill());
  EXPECT_EQ(p.wait().value(), -1);
  Table t(&def_);
  ASSERT_TRUE(t.open(file_));
  EXPECT_EQ(*t.count(), 100);
  ASSERT_TRUE(t.seekStart(kFileOrder));
  while (t.next()) EXPECT_EQ(t.buffer().getText("Texto"), "Original");
  EXPECT_TRUE(t.integrityCheck());
}

TEST_P(TableProcessTest, WriterKilledMidCommitLosesNothingCommitted) {
  seed(0);
  const std::string progress = dir_.local("gravados");
  for (int round = 0; round < 3; ++round) {
    platform::Process p = start("commit-loop", {progress});
    ASSERT_TRUE(testing::waitForFile(progress));
    platform::sleepMilliseconds(30 + 40 * round);
    ASSERT_TRUE(p.kill());
    p.wait();
    int reported = 0;
    std::ifstream(progress) >> reported;
    Table t(&def_);
    ASSERT_TRUE(t.open(file_));
    // Committed records are there; the one being written when the process
    // died may be too.
    EXPECT_GE(*t.count(), reported);
    EXPECT_LE(*t.count(), reported + 1);
    std::string report;
    EXPECT_TRUE(t.integrityCheck(&report)) << report;
    (void)platform::removeFile(progress);
  }
}

TEST_P(TableProcessTest, ProcessesCreatingOneFileTogetherAllWaitTheirTurn) {
  const std::string go = dir_.local("ja");
  std::vector<platform::Process> creators;
  for (int i = 0; i < 6; ++i) creators.push_back(start("create-together", {go}));
  testing::touch(go);
  for (auto& p : creators) EXPECT_EQ(p.wait().value(), 0);
  Table t(&def_);
  ASSERT_TRUE(t.open(file_));
  EXPECT_EQ(*t.count(), 6);
}

INSTANTIATE_TEST_SUITE_P(Backends, TableProcessTest,
                         ::testing::Values(testing::Backend::kRollback, testing::Backend::kWal,
                                           testing::Backend::kPostgres),
                         [](const auto& info) { return testing::backendTestName(info.param); });

}  // namespace
}  // namespace vorlam
