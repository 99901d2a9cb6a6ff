// The adjustment on a data root kept in a PostgreSQL database: a sample root
// copied into the server, adjusted (or adjusted and restored) there and
// copied back must equal the same done on the files, record by record.  Skipped (saying why) without a
// test server.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "adjust/adjust_run.h"
#include "sampledata/demo_data.h"
#include "shell/company_files.h"
#include "shell/startup.h"
#include "storage/table.h"
#include "storage/test_tables.h"
#include "storage/test_util.h"
#include "utilities/root_copy.h"

namespace vorlam::adjust {
namespace {

using vorlam::testing::Backend;
using vorlam::testing::TempDir;
using vorlam::testing::TestRoot;
using vorlam::testing::expectSameFile;

class Quiet : public Observer {
 public:
  void logLine(const std::string&) override {}
};

// Ends the process at once when the run reports its `at`-th committed file
// (side files, then the swap, then the saved rows).
class Killer : public Observer {
 public:
  explicit Killer(int at) : at_(at) {}
  void logLine(const std::string&) override {}
  void fileCommitted(const std::string&) override {
    if (++seen_ == at_) raise(SIGKILL);
  }

 private:
  int at_;
  int seen_ = 0;
};

// Relative path of every record file below `root`, outside "Temp".
std::vector<std::string> recordFiles(const std::string& root) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    const std::string rel = std::filesystem::relative(e.path(), root).generic_string();
    if (e.is_regular_file() && e.path().extension() == ".dat" && rel.rfind("Temp/", 0) != 0) out.push_back(rel);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// The declaration a record file was written for.
const TableDef* declarationOf(const Dictionary& dict, const std::string& path) {
  for (const TableDef& d : dict.tables()) {
    Table t(&d);
    if (t.open(path, OpenMode::kReadOnly)) return &d;
  }
  return nullptr;
}

class AdjustPostgresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server_.unavailable().empty()) GTEST_SKIP() << server_.unavailable();
    sampledata::DemoOptions options;
    options.root = files_;
    options.companies = 2;
    options.entries = 60;
    options.years = {2024};
    Result<sampledata::DemoSummary> demo = sampledata::generateDemo(options);
    ASSERT_TRUE(demo.isOk()) << demo.status().toString();
    utilities::RootCopyReport report;
    Status s = utilities::copyDataRoot(*dict_, {files_, server_.path()}, &report);
    ASSERT_TRUE(s) << s.toString() << " " << s.detail();
  }

  // The state of a session on `root` with the whole of 2024 selected.
  static std::unique_ptr<shell::AppState> session(const std::string& root) {
    auto state = std::make_unique<shell::AppState>(shell::locationsUnder(shell::withTrailingSeparator(root)));
    state->bind(shell::sharedFileNames(state->locations().root));
    shell::CurrentCompany period;
    period.ano = 2024;
    period.mes = shell::kWholeYear;
    state->setCompany(period);
    return state;
  }

  // Adjusts `companies` of the data root `root` to structure 2 for 2024.
  AdjustReport adjust(const std::string& root, std::vector<uint16_t> companies) {
    std::unique_ptr<shell::AppState> state = session(root);
    AdjustRun run(*dict_, *state, &quiet_);
    AdjustRequest request;
    request.newStructure = 2;
    request.year = 2024;
    request.companies = std::move(companies);
    Result<AdjustReport> r = run.run(request);
    EXPECT_TRUE(r) << r.status().toString();
    return r ? r.value() : AdjustReport{};
  }

  Status restore(const std::string& root, uint16_t company) {
    std::unique_ptr<shell::AppState> state = session(root);
    AdjustRun run(*dict_, *state, &quiet_);
    return run.restore(company).status();
  }

  // Copies the server root back to disk and compares it with `expected`.
  void expectServerEquals(const std::string& expected) {
    const std::string back = tmp_.path() + "/volta" + std::to_string(++copies_);
    utilities::RootCopyReport report;
    Status s = utilities::copyDataRoot(*dict_, {server_.path(), back}, &report);
    ASSERT_TRUE(s) << s.toString() << " " << s.detail();
    const std::vector<std::string> files = recordFiles(expected);
    ASSERT_EQ(recordFiles(back), files);
    for (const std::string& rel : files) {
      const TableDef* def = declarationOf(*dict_, expected + "/" + rel);
      ASSERT_NE(def, nullptr) << rel;
      expectSameFile(*def, expected + "/" + rel, back + "/" + rel, rel);
    }
  }

  std::shared_ptr<const Dictionary> dict_ = buildDictionary();
  TempDir tmp_;
  TestRoot server_{Backend::kPostgres};
  std::string files_ = tmp_.path() + "/dados";
  Quiet quiet_;
  int copies_ = 0;
};

TEST_F(AdjustPostgresTest, ServerAdjustmentEqualsTheOneOnFiles) {
  AdjustReport onServer = adjust(server_.path(), {1, 2});
  AdjustReport onFiles = adjust(files_, {1, 2});
  ASSERT_TRUE(onFiles.success) << onFiles.finalMessage;
  ASSERT_TRUE(onServer.success) << onServer.finalMessage;
  ASSERT_EQ(onServer.companies.size(), onFiles.companies.size());
  for (size_t i = 0; i < onFiles.companies.size(); ++i) {
    const CompanyReport &f = onFiles.companies[i], &s = onServer.companies[i];
    EXPECT_EQ(s.outcome, f.outcome) << f.code << " " << s.reason;
    ASSERT_EQ(s.tables.size(), f.tables.size());
    for (size_t t = 0; t < f.tables.size(); ++t) {
      EXPECT_EQ(s.tables[t].changedRecords, f.tables[t].changedRecords) << f.tables[t].label;
      EXPECT_EQ(s.tables[t].changedFields, f.tables[t].changedFields) << f.tables[t].label;
    }
  }
  EXPECT_EQ(onFiles.companies.front().outcome, CompanyOutcome::kConverted);
  expectServerEquals(files_);
}

TEST_F(AdjustPostgresTest, RestoreOnTheServerEqualsTheRestoreOnFiles) {
  for (const std::string& root : {server_.path(), files_}) {
    AdjustReport r = adjust(root, {1});
    ASSERT_TRUE(r.success) << root << ": " << r.finalMessage;
    ASSERT_EQ(r.companies.front().outcome, CompanyOutcome::kConverted) << root;
    Status s = restore(root, 1);
    ASSERT_TRUE(s) << root << ": " << s.toString();
  }
  expectServerEquals(files_);
  // Adjusted again after the restore, both end alike.
  ASSERT_TRUE(adjust(server_.path(), {1}).success);
  ASSERT_TRUE(adjust(files_, {1}).success);
  expectServerEquals(files_);
}

// A workstation that dies in the middle of an adjustment on the server
// leaves it for the next start, which puts the originals back and does it
// again: the end is the same as an uninterrupted run on the files.
TEST_F(AdjustPostgresTest, RunKilledMidwayIsRecoveredAndRedone) {
  // The 2nd committed file is a side file (nothing swapped yet); the 14th
  // is the swap itself, before the companies' rows are written.
  for (int at : {2, 14}) {
    SCOPED_TRACE("killed at committed file " + std::to_string(at));
    ASSERT_TRUE(adjust(files_, {1}).success);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::unique_ptr<shell::AppState> state = session(server_.path());
      Killer killer(at);
      AdjustRun run(*dict_, *state, &killer);
      AdjustRequest request;
      request.newStructure = 2;
      request.year = 2024;
      request.companies = {1};
      (void)run.run(request);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before file " << at;
    std::unique_ptr<shell::AppState> state = session(server_.path());
    std::vector<PendingAdjustment> pending = pendingAdjustments(*state);
    ASSERT_EQ(pending.size(), 1u) << at;
    AdjustRun run(*dict_, *state, &quiet_);
    // The dead session's locks go once the server notices it gone.
    Result<AdjustReport> redone = run.resume(pending.front());
    for (int i = 0; i < 50 && !redone && redone.status().code() == StatusCode::kBusy; ++i) {
      usleep(100 * 1000);
      redone = run.resume(pending.front());
    }
    ASSERT_TRUE(redone) << at << ": " << redone.status().toString();
    ASSERT_TRUE(redone->success) << at << ": " << redone->finalMessage;
    expectServerEquals(files_);
    // Both put back as they were for the next kill point.
    ASSERT_TRUE(restore(server_.path(), 1));
    ASSERT_TRUE(restore(files_, 1));
  }
}

}  // namespace
}  // namespace vorlam::adjust
