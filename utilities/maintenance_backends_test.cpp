// File maintenance, information and export on a sample root kept either as
// files on disk or in a PostgreSQL database: the same operations give the
// same results, and what has no meaning on a server is refused plainly.
// The server cases skip (saying why) without a test server.
#include <gtest/gtest.h>

#include <sstream>

#include "dictionary/dictionary.h"
#include "sampledata/demo_data.h"
#include "storage/platform.h"
#include "storage/table.h"
#include "storage/table_backend.h"
#include "storage/test_util.h"
#include "utilities/csv_export.h"
#include "utilities/data_root.h"
#include "utilities/file_info.h"
#include "utilities/file_maintenance.h"
#include "utilities/maintenance_test_util.h"
#include "utilities/record_rescue.h"
#include "utilities/root_copy.h"

namespace vorlam::utilities {
namespace {

using vorlam::testing::Backend;
using vorlam::testing::TempDir;
using vorlam::testing::TestRoot;

// A sample root on disk and, on a server, a copy of it in the test database.
class SampleRoot {
 public:
  explicit SampleRoot(Backend backend) : server_(backend) {}
  // Empty when ready, else why the case cannot run.
  std::string setUp(const Dictionary& dict) {
    if (!server_.unavailable().empty()) return server_.unavailable();
    sampledata::DemoOptions options;
    options.root = tmp_.path() + "/dados";
    options.companies = 1;
    options.entries = 30;
    options.years = {2024};
    Result<sampledata::DemoSummary> demo = sampledata::generateDemo(options);
    if (!demo) return demo.status().toString();
    disk_ = demo->root;
    root_ = disk_;
    if (server_.onServer()) {
      RootCopyReport report;
      Status s = copyDataRoot(dict, {disk_, server_.path()}, &report);
      if (!s) return s.toString() + " " + s.detail();
      root_ = server_.path();
    }
    Result<shell::BindingMap> names = bindingsFor(dict, root_, 1, 2024);
    if (!names) return names.status().toString();
    names_ = *names;
    return "";
  }
  const std::string& root() const { return root_; }
  const std::string& disk() const { return disk_; }
  const shell::BindingMap& names() const { return names_; }
  bool onServer() const { return server_.onServer(); }

 private:
  TempDir tmp_;
  TestRoot server_;
  std::string disk_, root_;
  shell::BindingMap names_;
};

class MaintenanceBackendTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    const std::string why = sample_.setUp(*dict_);
    if (!why.empty()) GTEST_SKIP() << why;
    context_.dict = dict_.get();
    context_.names = sample_.names();
    context_.busyMs = 100;
  }
  std::string pathOf(const char* label) const { return sample_.names().at(dict_->find(label)->binding); }
  int64_t countOf(const char* label) const {
    Table t(dict_->find(label));
    EXPECT_TRUE(t.open(pathOf(label), OpenMode::kReadOnly)) << label;
    Result<int64_t> n = t.count();
    return n ? *n : -1;
  }
  void expectSound(const char* label) const {
    Table t(dict_->find(label));
    ASSERT_TRUE(t.open(pathOf(label), OpenMode::kReadOnly)) << label;
    Status s = t.verifyFile();
    EXPECT_TRUE(s) << label << ": " << s.toString() << " " << s.detail();
  }

  std::shared_ptr<const Dictionary> dict_ = buildDictionary();
  SampleRoot sample_{GetParam()};
  MaintenanceContext context_;
};

TEST_P(MaintenanceBackendTest, EveryOperationKeepsTheRecordsAndReportsProgress) {
  for (const char* label : {"Municipios", "PlanoContas", "Diario"}) {
    const int64_t before = countOf(label);
    ASSERT_GT(before, 0) << label;
    const MaintainedFile file{label, ""};
    for (MaintenanceOp op : {MaintenanceOp::kReindex, MaintenanceOp::kPack, MaintenanceOp::kRelease,
                             MaintenanceOp::kRebuild, MaintenanceOp::kInfo}) {
      RecordingListener l;
      MaintenanceResult r = runMaintenance(op, context_, file, l);
      ASSERT_TRUE(r.status) << label << " " << operationWord(op) << ": " << r.status.toString() << " "
                            << r.status.detail();
      EXPECT_EQ(r.count.value_or(""), std::to_string(before)) << label << " " << operationWord(op);
      EXPECT_TRUE(l.messages.empty()) << l.messages[0];
      if (op == MaintenanceOp::kReindex) {
        ASSERT_GE(l.actions.size(), 2u);
        EXPECT_EQ(l.actions[0], kBuildingFile);
        EXPECT_EQ(l.actions[1], kKeyPrefix + dict_->find(label)->keys[0].name);
      }
      if (op == MaintenanceOp::kPack) {
        EXPECT_EQ(l.actions, std::vector<std::string>{kPackingFile});
      }
      // Work of unknown size still moves the bar.
      // (The embedded engine reports only every few thousand of its steps,
      // which a small file may not take.)
      const bool reports = op == MaintenanceOp::kReindex || op == MaintenanceOp::kRelease ||
                           (sample_.onServer() && op != MaintenanceOp::kInfo);
      if (reports) {
        EXPECT_FALSE(l.percents.empty()) << label << " " << operationWord(op);
      }
      if (op == MaintenanceOp::kInfo) {
        EXPECT_EQ(r.name.value_or(""), pathOf(label));
      }
    }
    expectSound(label);
  }
}

TEST_P(MaintenanceBackendTest, AFileOpenElsewhereIsRefusedAndLeftAlone) {
  Table other(dict_->find("Municipios"));
  ASSERT_TRUE(other.open(pathOf("Municipios")));
  for (MaintenanceOp op : {MaintenanceOp::kReindex, MaintenanceOp::kPack, MaintenanceOp::kRebuild}) {
    RecordingListener l;
    MaintenanceResult r = runMaintenance(op, context_, {"Municipios", ""}, l);
    EXPECT_FALSE(r.status) << operationWord(op);
    EXPECT_TRUE(r.skipped) << operationWord(op);
    ASSERT_EQ(l.messages.size(), 1u) << operationWord(op);
    EXPECT_EQ(l.messages[0].rfind(std::string(kAccessTitle) + ": This option requires exclusive file access.", 0), 0u)
        << l.messages[0];
  }
  ASSERT_TRUE(other.seekStart(kFileOrder));
  EXPECT_TRUE(other.next()) << "the other workstation reads on";
}

TEST_P(MaintenanceBackendTest, OnlyCreateMakesAMissingFile) {
  const std::string cnae = pathOf("CNAE");
  ASSERT_TRUE(fileExists(cnae));
  ASSERT_TRUE(sample_.onServer() ? removeServerFiles(cnae) : platform::removeFile(cnae));
  ASSERT_FALSE(fileExists(cnae));
  RecordingListener l;
  MaintenanceResult r = runMaintenance(MaintenanceOp::kReindex, context_, {"CNAE", ""}, l);
  EXPECT_EQ(r.status.code(), StatusCode::kFileNotFound);
  EXPECT_TRUE(l.messages.empty()) << "a missing file is skipped quietly";
  r = runMaintenance(MaintenanceOp::kInfo, context_, {"CNAE", ""}, l);
  EXPECT_EQ(r.count.value_or(""), "?");
  EXPECT_FALSE(fileExists(cnae)) << "only create makes a file";
  r = runMaintenance(MaintenanceOp::kCreate, context_, {"CNAE", ""}, l);
  ASSERT_TRUE(r.status) << r.status.toString() << " " << r.status.detail();
  EXPECT_EQ(r.count.value_or(""), "0");
  EXPECT_EQ(r.name.value_or(""), cnae);
  EXPECT_TRUE(fileExists(cnae));
  // Create makes the file's directory too.
  const std::string elsewhere = sample_.root() + "/Nada/Novo/CNAE.dat";
  context_.names[dict_->find("CNAE")->binding] = elsewhere;
  r = runMaintenance(MaintenanceOp::kCreate, context_, {"CNAE", ""}, l);
  EXPECT_TRUE(r.status) << r.status.toString() << " " << r.status.detail();
  EXPECT_TRUE(fileExists(elsewhere));
}

TEST_P(MaintenanceBackendTest, InfoShowsTheSpaceTheFileTakes) {
  const MaintainedFile cnae{"CNAE", ""};
  FileInfo before = describeFile(*dict_, sample_.names(), cnae);
  ASSERT_TRUE(before.status) << before.status.toString();
  EXPECT_GT(before.bytes, 0);
  {
    Table t(dict_->find("CNAE"));
    ASSERT_TRUE(t.open(pathOf("CNAE")));
    ASSERT_TRUE(t.beginBulk());
    for (int i = 0; i < 2000; ++i) {
      t.buffer().clear();
      t.buffer().setInt("CNAE:CODIGO", 90000000 + i);
      t.buffer().setText("CNAE:Descricao", std::string(40, static_cast<char>('A' + i % 26)));
      ASSERT_TRUE(t.append()) << i;
    }
    ASSERT_TRUE(t.flush());
  }
  FileInfo after = describeFile(*dict_, sample_.names(), cnae);
  ASSERT_TRUE(after.status) << after.status.toString();
  EXPECT_EQ(after.count, std::to_string(std::stoll(before.count) + 2000));
  EXPECT_GT(after.bytes, before.bytes + 2000 * 40);
}

TEST_P(MaintenanceBackendTest, CancelStopsTheWorkAndLeavesTheFileSound) {
  const int64_t before = countOf("Diario");
  for (MaintenanceOp op : {MaintenanceOp::kReindex, MaintenanceOp::kPack, MaintenanceOp::kRebuild}) {
    RecordingListener l;
    l.cancel = true;
    MaintenanceResult r = runMaintenance(op, context_, {"Diario", ""}, l);
    EXPECT_TRUE(r.cancelled) << operationWord(op);
    EXPECT_FALSE(r.status) << operationWord(op) << ": a cancelled run is no success";
    expectSound("Diario");
    EXPECT_EQ(countOf("Diario"), before);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, MaintenanceBackendTest, ::testing::Values(Backend::kRollback, Backend::kPostgres),
                         [](const auto& info) { return vorlam::testing::backendTestName(info.param); });

class MaintenancePostgresTest : public MaintenanceBackendTest {};

TEST_P(MaintenancePostgresTest, RepairAndRescueAreRefusedAndWriteNothing) {
  const std::string path = pathOf("Municipios");
  RecordingListener l;
  MaintenanceResult r = runMaintenance(MaintenanceOp::kRepair, context_, {"Municipios", ""}, l);
  EXPECT_EQ(r.status.code(), StatusCode::kUnsupported);
  EXPECT_TRUE(r.skipped);
  EXPECT_EQ(l.messages, std::vector<std::string>{std::string(kErrorTitle) + ": " + kServerRescueRefused});
  RescueReport rescue = rescueFile(*dict_->find("Municipios"), path);
  EXPECT_EQ(rescue.status.code(), StatusCode::kUnsupported);
  EXPECT_EQ(rescue.status.message(), kServerRescueRefused);
  EXPECT_TRUE(rescue.reportFile.empty());
  EXPECT_FALSE(platform::exists("postgresql:")) << "nothing written on disk under the server's name";
  expectSound("Municipios");
}

TEST_P(MaintenancePostgresTest, ExportOfAServerFileEqualsTheExportOnDisk) {
  Result<shell::BindingMap> disk = bindingsFor(*dict_, sample_.disk(), 1, 2024);
  ASSERT_TRUE(disk);
  int compared = 0;
  for (const MaintainedFile& f : maintainedFiles()) {
    const TableDef* def = dict_->find(f.label);
    Table a(def), b(def);
    Status onDisk = openBound(a, *disk);
    Status onServer = openBound(b, sample_.names());
    ASSERT_EQ(onDisk.code(), onServer.code()) << f.label << ": " << onServer.toString() << " " << onServer.detail();
    if (!onDisk) continue;
    std::ostringstream x, y;
    ASSERT_TRUE(exportCsv(a, x)) << f.label;
    ASSERT_TRUE(exportCsv(b, y)) << f.label;
    EXPECT_EQ(x.str(), y.str()) << f.label;
    compared += x.str().find("\r\n") != x.str().rfind("\r\n") ? 1 : 0;  // holds records
  }
  EXPECT_GE(compared, 10);
}

TEST_P(MaintenancePostgresTest, AServerRootIsAcceptedWhereADirectoryIs) {
  RootSelection sel;
  std::vector<std::string> rest;
  ASSERT_TRUE(parseRootSelection({"Estados", "--root", sample_.root(), "--company", "1", "--year", "2024"}, &sel, &rest));
  EXPECT_EQ(sel.root, sample_.root());
  Result<shell::BindingMap> names = bindingsFor(*dict_, sel);
  ASSERT_TRUE(names) << names.status().toString();
  EXPECT_EQ(*names, sample_.names());
  // Every name bound lies below the root, and the company's files are found.
  for (const auto& [binding, path] : *names) EXPECT_EQ(path.rfind(sample_.root(), 0), 0u) << path;
  std::vector<FileInfo> infos = describeMaintainedFiles(*dict_, *names);
  int counted = 0;
  for (const FileInfo& i : infos) counted += i.status ? 1 : 0;
  EXPECT_GE(counted, 20);
}

INSTANTIATE_TEST_SUITE_P(Server, MaintenancePostgresTest, ::testing::Values(Backend::kPostgres),
                         [](const auto& info) { return vorlam::testing::backendTestName(info.param); });

TEST(RootSelectionTest, AServerThatDoesNotAnswerIsRefusedByName) {
  RootSelection sel;
  std::vector<std::string> rest;
  Status s = parseRootSelection({"--root", "postgresql://contab@127.0.0.1:1/escritorio"}, &sel, &rest);
  EXPECT_EQ(s.code(), StatusCode::kInvalidArgument);
  EXPECT_NE(s.message().find("127.0.0.1:1/escritorio"), std::string::npos) << s.message();
  EXPECT_EQ(s.message().find("contab@"), std::string::npos) << "no user or password in the message";
}

}  // namespace
}  // namespace vorlam::utilities
