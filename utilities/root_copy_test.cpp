// A sample root copied into a PostgreSQL database and back, compared with
// the original file by file and record by record.  Skipped (saying why)
// without a test server.
#include "utilities/root_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "sampledata/demo_data.h"
#include "storage/table.h"
#include "storage/test_tables.h"
#include "storage/test_util.h"

namespace vorlam::utilities {
namespace {

using vorlam::testing::Backend;
using vorlam::testing::TempDir;
using vorlam::testing::TestRoot;
using vorlam::testing::expectSameFile;

// Relative path -> label of every record file of a directory.
std::map<std::string, std::string> recordFiles(const std::string& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (!e.is_regular_file() || e.path().extension() != ".dat") continue;
    out[std::filesystem::relative(e.path(), root).generic_string()] = "";
  }
  return out;
}

class RootCopyPostgresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server_.unavailable().empty()) GTEST_SKIP() << server_.unavailable();
    sampledata::DemoOptions options;
    options.root = tmp_.path() + "/dados";
    options.companies = 2;
    options.entries = 40;
    options.years = {2024};
    Result<sampledata::DemoSummary> demo = sampledata::generateDemo(options);
    ASSERT_TRUE(demo.isOk()) << demo.status().toString();
    root_ = tmp_.path() + "/dados";
  }
  std::shared_ptr<const Dictionary> dict_ = buildDictionary();
  TempDir tmp_;
  TestRoot server_{Backend::kPostgres};
  std::string root_;
};

TEST_F(RootCopyPostgresTest, RoundTripKeepsEveryFileRecordAndName) {
  RootCopyReport there, back;
  int reports = 0;
  RootCopyProgress progress;
  progress.file = [&](const std::string&, int index, int total) {
    EXPECT_LE(index, total);
    ++reports;
  };
  Status s = copyDataRoot(*dict_, {root_, server_.path()}, &there, progress);
  ASSERT_TRUE(s) << s.toString() << " " << s.detail();
  const auto files = recordFiles(root_);
  EXPECT_EQ(there.files, static_cast<int>(files.size()));
  EXPECT_EQ(reports, there.files);
  EXPECT_GT(there.records, 0);
  EXPECT_TRUE(there.skipped.empty());

  // A target with files is refused unless told to replace them.
  EXPECT_EQ(copyDataRoot(*dict_, {root_, server_.path()}, &there).code(), StatusCode::kInvalidArgument);
  ASSERT_TRUE(copyDataRoot(*dict_, {root_, server_.path(), 0, true}, &there));

  const std::string again = tmp_.path() + "/volta";
  s = copyDataRoot(*dict_, {server_.path(), again}, &back);
  ASSERT_TRUE(s) << s.toString() << " " << s.detail();
  EXPECT_EQ(back.records, there.records);
  ASSERT_EQ(recordFiles(again), files);  // the same names, letters as they were
  for (const auto& [rel, unused] : files) {
    const std::string a = root_ + "/" + rel;
    // The label the file was written for decides its declaration.
    const TableDef* def = nullptr;
    for (const TableDef& d : dict_->tables()) {
      Table t(&d);
      if (!def && t.open(a, OpenMode::kReadOnly)) def = &d;
    }
    ASSERT_NE(def, nullptr) << rel;
    expectSameFile(*def, a, again + "/" + rel, rel);
  }
}

TEST_F(RootCopyPostgresTest, OneCompanyCopiesOnlyItsDirectory) {
  RootCopyReport report;
  Status s = copyDataRoot(*dict_, {root_, server_.path(), 2}, &report);
  ASSERT_TRUE(s) << s.toString() << " " << s.detail();
  EXPECT_GT(report.files, 0);
  Result<std::vector<ServerFile>> copied = listServerFiles(server_.path());
  ASSERT_TRUE(copied);
  EXPECT_EQ(static_cast<int>(copied->size()), report.files);
  for (const auto& f : *copied) EXPECT_EQ(f.path.rfind("00000002/", 0), 0u) << f.path;
  // Another company may go in beside it without --force.
  ASSERT_TRUE(copyDataRoot(*dict_, {root_, server_.path(), 1}, &report));
}

}  // namespace
}  // namespace vorlam::utilities
