// File maintenance on a sample root: the opening questions, tags and the
// cursor entry, the access message for a file open elsewhere, creating,
// progress of empty files and of work of unknown size, cancelling, and the
// repair through recfix of a file whose name holds blanks and quotes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "dictionary/dictionary.h"
#include "sampledata/demo_data.h"
#include "storage/platform.h"
#include "storage/table.h"
#include "storage/test_util.h"
#include "utilities/data_root.h"
#include "utilities/file_manager.h"
#include "utilities/layout_file.h"
#include "utilities/maintenance_test_util.h"
#include "utilities/record_scan.h"

namespace vorlam::utilities {
namespace {

namespace fs = std::filesystem;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int rowOf(const char* label) {
  int i = 0;
  for (const MaintainedFile& f : maintainedFiles()) {
    if (std::string(f.label) == label) return i;
    ++i;
  }
  return -1;
}

// Every file under `dir` with its size and time.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> listing(const std::string& dir) {
  std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> out;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    out[e.path().string()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
  return out;
}

class FileManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sampledata::DemoOptions options;
    options.root = tmp_.path() + "/dados";
    options.companies = 1;
    options.entries = 30;
    options.years = {2024};
    Result<sampledata::DemoSummary> demo = sampledata::generateDemo(options);
    ASSERT_TRUE(demo.isOk()) << demo.status().toString();
    root_ = demo->root;
    Result<shell::BindingMap> names = bindingsFor(*dict_, root_, 1, 2024);
    ASSERT_TRUE(names.isOk());
    names_ = *names;
  }
  std::unique_ptr<FileManager> manager() {
    return std::make_unique<FileManager>(*dict_, [this] { return names_; }, dialogs_, recfix());
  }
  std::unique_ptr<FileManager> opened() {
    dialogs_.answerQuestion(2);
    dialogs_.answerQuestion(2);
    auto m = manager();
    EXPECT_TRUE(m->open());
    return m;
  }
  std::string pathOf(const char* label) const { return names_.at(dict_->find(label)->binding); }
  int64_t countOf(const char* label) const {
    Table t(dict_->find(label));
    EXPECT_TRUE(t.open(pathOf(label), OpenMode::kReadOnly));
    return *t.count();
  }
  static std::string recfix() {
#ifdef VORLAM_RECFIX_PATH
    return VORLAM_RECFIX_PATH;
#else
    return recfixProgram();
#endif
  }

  testing::TempDir tmp_;
  std::shared_ptr<const Dictionary> dict_ = buildDictionary();
  std::string root_;
  shell::BindingMap names_;
  ScriptedDialogs dialogs_;
};

TEST_F(FileManagerTest, NaoToEitherQuestionTouchesNothing) {
  for (int sims = 0; sims < 2; ++sims) {
    const auto before = listing(root_);
    ScriptedDialogs dialogs;
    for (int i = 0; i < sims; ++i) dialogs.answerQuestion(2);
    dialogs.answerQuestion(1);
    FileManager m(*dict_, [this] { return names_; }, dialogs, recfix());
    EXPECT_FALSE(m.open());
    ASSERT_EQ(dialogs.questions.size(), size_t(sims + 1));
    const QuestionRequest& q = dialogs.questions.back();
    EXPECT_EQ(q.title, "ATENÇÃO!!!");
    EXPECT_EQ(q.buttonList, "&Não|&Sim");
    EXPECT_EQ(q.text, sims == 0 ? kFirstQuestion : kSecondQuestion);
    EXPECT_EQ(listing(root_), before) << "a file was created or changed";
  }
}

TEST_F(FileManagerTest, NothingTaggedActsOnTheCursorEntryOnly) {
  auto m = opened();
  EXPECT_TRUE(m->operationsEnabled());
  m->setCursor(rowOf("Estados"));
  ASSERT_TRUE(m->start(MaintenanceOp::kInfo));
  m->waitForRun();
  const auto entries = m->entries();
  ASSERT_EQ(entries.size(), 34u);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (int(i) == rowOf("Estados")) {
      EXPECT_EQ(entries[i].count, std::to_string(countOf("Estados")));
      EXPECT_EQ(entries[i].name, pathOf("Estados"));
    } else {
      EXPECT_EQ(entries[i].count, "") << entries[i].label;
      EXPECT_EQ(entries[i].name, "") << entries[i].label;
    }
  }
  const ProgressState p = m->progress();
  EXPECT_FALSE(p.running);
  EXPECT_EQ(p.filesTotal, 1);
  EXPECT_EQ(p.filesLeft, 0);
  EXPECT_EQ(p.overallPercent, 100);
  EXPECT_EQ(p.currentFile, "Estados");
}

TEST_F(FileManagerTest, TagChangesLockTheOperationsWhenNothingIsTagged) {
  auto m = opened();
  m->click(3);
  EXPECT_TRUE(m->entries()[3].tagged);
  EXPECT_EQ(m->cursor(), 3);
  EXPECT_TRUE(m->operationsEnabled());
  m->click(3);
  EXPECT_FALSE(m->entries()[3].tagged);
  EXPECT_FALSE(m->operationsEnabled());
  m->tagAll(true);
  for (const FileEntry& e : m->entries()) EXPECT_TRUE(e.tagged);
  EXPECT_TRUE(m->operationsEnabled());
  m->tagAll(false);
  EXPECT_FALSE(m->operationsEnabled());
}

TEST_F(FileManagerTest, ReindexOfAFileOpenElsewhereReportsAndGoesOn) {
  auto m = opened();
  for (const char* label : {"CNAE", "Estados", "Municipios"}) m->click(rowOf(label));
  Table other(dict_->find("Estados"));
  ASSERT_TRUE(other.open(pathOf("Estados"), OpenMode::kShared));
  ASSERT_TRUE(m->start(MaintenanceOp::kReindex));
  m->waitForRun();
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].title, "File Access Error");
  EXPECT_EQ(dialogs_.boxes[0].text.rfind("This option requires exclusive file access.\nPlease ensure no other users are "
                                         "in the system. \nAn error occured trying to open the file : Error ",
                                         0),
            0u)
      << dialogs_.boxes[0].text;
  const auto entries = m->entries();
  EXPECT_EQ(entries[size_t(rowOf("Estados"))].count, "");
  EXPECT_EQ(entries[size_t(rowOf("CNAE"))].count, std::to_string(countOf("CNAE")));
  EXPECT_EQ(entries[size_t(rowOf("Municipios"))].count, std::to_string(countOf("Municipios")));
  EXPECT_EQ(m->progress().filesLeft, 0);
  other.close();
}

TEST_F(FileManagerTest, CreateRefreshesAnExistingFileAndCreatesAMissingOne) {
  auto m = opened();
  const std::string estados = pathOf("Estados"), cnae = pathOf("CNAE");
  const std::string before = slurp(estados);
  ASSERT_TRUE(platform::removeFile(cnae));
  m->click(rowOf("Estados"));
  m->click(rowOf("CNAE"));
  ASSERT_TRUE(m->start(MaintenanceOp::kCreate));
  m->waitForRun();
  const auto entries = m->entries();
  EXPECT_EQ(entries[size_t(rowOf("Estados"))].count, std::to_string(countOf("Estados")));
  EXPECT_EQ(entries[size_t(rowOf("Estados"))].name, estados);
  EXPECT_EQ(slurp(estados), before) << "an existing file was changed";
  EXPECT_EQ(entries[size_t(rowOf("CNAE"))].count, "0");
  EXPECT_EQ(entries[size_t(rowOf("CNAE"))].name, cnae);
  EXPECT_EQ(countOf("CNAE"), 0);
}

TEST_F(FileManagerTest, EmptyFilesAndWorkOfUnknownSizeStillShowProgress) {
  EXPECT_EQ(progressPercent(0, 0), 0);
  EXPECT_EQ(progressPercent(5, 10), 50);
  EXPECT_EQ(progressPercent(12, 10), 100);
  int last = 0;
  for (int64_t k = 1; k <= 150; ++k) {
    const int pct = progressPercent(k, 0);
    EXPECT_GE(pct, last);
    EXPECT_LT(pct, 100);
    last = pct;
  }
  EXPECT_GT(last, 90);

  // An empty file through every operation.
  testing::TempDir dir;
  MaintenanceContext c;
  c.dict = dict_.get();
  c.names[dict_->find("Setor")->binding] = dir.file("Setor.dat");
  c.recfix = recfix();
  const MaintainedFile setor{"Setor", ""};
  RecordingListener l;
  MaintenanceResult r = runMaintenance(MaintenanceOp::kReindex, c, setor, l);
  EXPECT_EQ(r.status.code(), StatusCode::kFileNotFound);
  EXPECT_TRUE(l.messages.empty()) << "a missing file is skipped quietly";
  EXPECT_FALSE(platform::exists(dir.file("Setor.dat"))) << "reindex created a file";
  r = runMaintenance(MaintenanceOp::kCreate, c, setor, l);
  ASSERT_TRUE(r.status) << r.status.toString();
  for (MaintenanceOp op : {MaintenanceOp::kReindex, MaintenanceOp::kPack, MaintenanceOp::kRelease,
                           MaintenanceOp::kRebuild, MaintenanceOp::kInfo}) {
    RecordingListener each;
    r = runMaintenance(op, c, setor, each);
    EXPECT_TRUE(r.status) << operationWord(op) << ": " << r.status.toString();
    EXPECT_EQ(r.count.value_or(""), "0") << operationWord(op);
    for (int pct : each.percents) EXPECT_TRUE(pct >= 0 && pct <= 100) << operationWord(op);
  }

  // Packing a file of records reports steps of unknown size that move.
  c.names[dict_->find("Municipios")->binding] = pathOf("Municipios");
  RecordingListener pack;
  r = runMaintenance(MaintenanceOp::kPack, c, {"Municipios", ""}, pack);
  ASSERT_TRUE(r.status) << r.status.toString();
  EXPECT_EQ(pack.actions, std::vector<std::string>{"Packing File"});
  ASSERT_GE(pack.percents.size(), 2u);
  EXPECT_GT(pack.percents.back(), pack.percents.front());
}

TEST_F(FileManagerTest, ReindexNamesEachKeyAndCancelLeavesTheFileSound) {
  MaintenanceContext c;
  c.dict = dict_.get();
  c.names = names_;
  RecordingListener l;
  MaintenanceResult r = runMaintenance(MaintenanceOp::kReindex, c, {"Municipios", ""}, l);
  ASSERT_TRUE(r.status) << r.status.toString();
  ASSERT_FALSE(l.actions.empty());
  EXPECT_EQ(l.actions[0], "Building File");
  EXPECT_EQ(l.actions[1], "Key : " + dict_->find("Municipios")->keys[0].name);
  EXPECT_EQ(l.percents.back(), 100);

  RecordingListener cancel;
  cancel.cancel = true;
  r = runMaintenance(MaintenanceOp::kPack, c, {"Municipios", ""}, cancel);
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.status);
  Table t(dict_->find("Municipios"));
  ASSERT_TRUE(t.open(pathOf("Municipios"), OpenMode::kReadOnly));
  EXPECT_TRUE(t.verifyFile());
}

TEST_F(FileManagerTest, RepairReachesRecfixWithBlanksAndQuotesInTheName) {
#ifdef _WIN32
  const std::string dirName = "pasta com brancos", fileName = "Munic pios.dat";
#else
  const std::string dirName = "pasta \"com\" brancos e 'aspas'", fileName = "Munic \"x\" pios.dat";
#endif
  const std::string dir = tmp_.path() + "/" + dirName;
  ASSERT_TRUE(platform::makeDirectory(dir));
  const std::string path = dir + "/" + fileName;
  std::string bytes = slurp(pathOf("Municipios"));
  const int64_t original = countOf("Municipios");
  // The page of the middle record overwritten.
  const ScanResult map = scanRecordFile(*dict_->find("Municipios"), bytes);
  auto middle = map.records.begin();
  std::advance(middle, map.records.size() / 2);
  const size_t page = size_t(middle->second.pages[0] - 1) * 4096;
  for (size_t k = 0; k < 4096; ++k) bytes[page + k] = char(k * 7);
  std::ofstream(path, std::ios::binary) << bytes;
  names_[dict_->find("Municipios")->binding] = path;

  RepairCommand cmd = repairCommand(path);
  EXPECT_EQ(cmd.args, (std::vector<std::string>{path, "/E:" + layoutFileName(path), "/K", "/A"}));
  EXPECT_EQ(cmd.text, "recfix \"" + path + "\" /E:\"" + cmd.args[1].substr(3) + "\" /K /A   ");

  auto m = opened();
  m->setCursor(rowOf("Municipios"));
  ASSERT_TRUE(m->start(MaintenanceOp::kRepair));
  m->waitForRun();
  EXPECT_TRUE(dialogs_.boxes.empty());
  const std::string report = slurp(path + ".recfix.txt");
  ASSERT_NE(report.find("Arquivo: " + path + "\n"), std::string::npos) << report;
  EXPECT_EQ(slurp(path + ".danificado"), bytes);
  const FileEntry e = m->entries()[size_t(rowOf("Municipios"))];
  EXPECT_EQ(e.name, path);
  const int64_t rescued = std::stoll(e.count);
  EXPECT_GT(rescued, 0);
  EXPECT_LT(rescued, original);
  EXPECT_NE(report.find("Registros recuperados: " + e.count), std::string::npos) << report;
}

}  // namespace
}  // namespace vorlam::utilities
