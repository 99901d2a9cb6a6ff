// The adjustment on generated sample roots (the generator of "vorlam-tool
// demo"): a past year under a later structure change, codes too long for
// their fields, shared files of companies left out, a journal whose
// accounts would merge, the dry run and the log.  Sample root: five
// companies over 2025 and 2026; company 1 shares its files with company 4,
// company 2 has its own files on structure 2, company 3 moved from the
// shared chart of structure 1 to its own chart of structure 3 in 2026.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "adjust/adjust_test_fixture.h"
#include "adjust/code_check.h"
#include "storage/fault_vfs.h"
#include "sampledata/demo_data.h"

namespace vorlam::adjust {
namespace {

class AdjustSampleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string tmpl = testing::scratchBase() + "/vorlam-adjust-sample-XXXXXX";
    pristine_ = new std::string(std::string(mkdtemp(tmpl.data())) + "/pristine/");
    sampledata::DemoOptions o;
    o.root = *pristine_;
    o.companies = 5;
    o.entries = 60;
    o.years = {2025, 2026};
    Result<sampledata::DemoSummary> demo = sampledata::generateDemo(o);
    ASSERT_TRUE(demo) << demo.status().message();
  }
  static void TearDownTestSuite() {
    fs::remove_all(fs::path(*pristine_).parent_path().parent_path());
    delete pristine_;
  }
  void SetUp() override {
    root_ = pristine_->substr(0, pristine_->size() - 9) + "root-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    fs::remove_all(root_);
    fs::copy(*pristine_, root_, fs::copy_options::recursive);
    dict_ = buildDictionary();
    state_ = std::make_unique<shell::AppState>(shell::locationsUnder(root_));
    state_->bind(shell::sharedFileNames(root_));
    setYear(2026);
  }
  void TearDown() override { fs::remove_all(root_); }
  void setYear(uint16_t year) {
    shell::CurrentCompany period;
    period.ano = year;
    period.mes = shell::kWholeYear;
    state_->setCompany(period);
  }
  Result<AdjustReport> adjust(std::vector<uint16_t> companies, uint16_t structure, uint16_t year,
                              bool dryRun = false, bool withSharers = false) {
    setYear(year);
    AdjustRun run(*dict_, *state_, &log_);
    return run.run(AdjustRequest{structure, year, std::move(companies), dryRun, withSharers});
  }
  // The bytes of every record file under the root (the work directories
  // of the adjustment left out): nothing written means all equal.
  std::map<std::string, std::string> files() {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root_)) {
      std::string p = e.path().string();
      if (!e.is_regular_file() || p.find("/Temp/") != std::string::npos) continue;
      if (p.size() < 4 || p.substr(p.size() - 4) != ".dat") continue;
      std::ifstream in(p, std::ios::binary);
      std::ostringstream s;
      s << in.rdbuf();
      out[p.substr(root_.size())] = s.str();
    }
    return out;
  }
  int64_t structureOf(uint16_t code) {
    Table emp(dict_->find("Empresa"));
    EXPECT_TRUE(emp.open(state_->pathFor(dict_->find("Empresa")->binding), OpenMode::kReadOnly));
    emp.buffer().setInt("Codigo", code);
    return emp.get(0) ? emp.buffer().getInt("CodigoPlanoContas") : -1;
  }
  void addStructure(int code, std::initializer_list<int> widths) {
    Table t(dict_->find("ConfPlanoContas"));
    ASSERT_TRUE(t.open(state_->pathFor(dict_->find("ConfPlanoContas")->binding)));
    t.buffer().setInt("Codigo", code);
    t.buffer().setInt("Graus", static_cast<int>(widths.size()));
    int n = 1;
    for (int w : widths) t.buffer().setInt("G" + std::to_string(n++), w);
    ASSERT_TRUE(t.append());
  }

  static std::string* pristine_;
  std::string root_;
  std::shared_ptr<const Dictionary> dict_;
  std::unique_ptr<shell::AppState> state_;
  LogObserver log_;
};
std::string* AdjustSampleTest::pristine_ = nullptr;

TEST_F(AdjustSampleTest, PastYearUnderALaterStructureChangeIsRefused) {
  auto before = files();
  for (bool dryRun : {true, false}) {
    Result<AdjustReport> r = adjust({3}, 2, 2025, dryRun);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->success);
    EXPECT_NE(r->finalMessage, "Ajuste concluído com sucesso!!!");
    ASSERT_EQ(r->companies.size(), 1u);
    EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kSkipped);
    EXPECT_NE(r->companies[0].reason.find("01/01/2026, depois do ano do ajuste (2025)"), std::string::npos)
        << r->companies[0].reason;
  }
  EXPECT_EQ(files(), before);
  EXPECT_EQ(structureOf(3), 3);
}

TEST_F(AdjustSampleTest, CodesTooLongForTheirFieldsRefuseTheCompanyWithTheList) {
  addStructure(7, {2, 2, 3, 2, 12});  // 25 characters per analytic code
  auto before = files();
  Result<AdjustReport> r = adjust({2}, 7, 2026);
  ASSERT_TRUE(r);
  const CompanyReport& c = r->companies[0];
  EXPECT_EQ(c.outcome, CompanyOutcome::kSkipped);
  EXPECT_FALSE(r->success);
  ASSERT_FALSE(c.blockers.empty());
  std::set<std::string> tables;
  for (const Blocker& b : c.blockers) {
    tables.insert(b.table);
    EXPECT_FALSE(b.key.empty());
    EXPECT_FALSE(b.field.empty());
    EXPECT_EQ(b.why, "não cabe em 20 caracteres") << blockerLine(b);
    EXPECT_GT(b.newCode.size(), 20u);
  }
  EXPECT_TRUE(tables.count("CFO")) << ::testing::PrintToString(tables);
  EXPECT_EQ(files(), before);
  EXPECT_EQ(structureOf(2), 2);
}

TEST_F(AdjustSampleTest, SharedFilesOfACompanyLeftOutRefuseTheUnit) {
  auto before = files();
  Result<AdjustReport> r = adjust({1}, 6, 2026);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kSkipped);
  EXPECT_EQ(r->companies[0].sharers, std::vector<uint16_t>{4});
  EXPECT_EQ(files(), before);
  // With the sharers both move, and no company is left on the old
  // structure with converted shared files.
  r = adjust({1}, 6, 2026, false, true);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->success) << r->finalMessage;
  EXPECT_EQ(structureOf(1), 6);
  EXPECT_EQ(structureOf(4), 6);
}

TEST_F(AdjustSampleTest, ConversionIsCheckedIndependentlyAndAllOrNothing) {
  Result<AdjustReport> r = adjust({2}, 6, 2026);
  ASSERT_TRUE(r);
  ASSERT_TRUE(r->success) << r->finalMessage;
  const CompanyReport& c = r->companies[0];
  EXPECT_TRUE(c.balance.done && c.balance.matches);
  EXPECT_GT(c.balance.accounts, 10);
  // Every account field of every converted file holds the independent
  // conversion of what the original held (the originals are kept).
  std::string work;
  for (const auto& e : fs::directory_iterator(root_ + "Temp/Ajuste")) work = e.path().string();
  chart::AccountStructure from = chart::makeStructure(2, {1, 1, 1, 2, 6});
  chart::AccountStructure to = chart::makeStructure(6, {1, 1, 1, 2, 9});
  int64_t compared = 0;
  for (const auto& e : fs::directory_iterator(work)) {
    std::string name = e.path().filename().string();
    if (name.find("Diario.dat.original") == std::string::npos) continue;
    Table old(dict_->find("Diario")), now(dict_->find("Diario"));
    ASSERT_TRUE(old.open(e.path().string(), OpenMode::kReadOnly));
    ASSERT_TRUE(now.open(root_ + "00000002/Ctb/2026/Diario.dat", OpenMode::kReadOnly));
    old.seekStart(kFileOrder);
    while (old.next()) {
      ASSERT_TRUE(now.getById(old.buffer().recordId()));
      for (const char* f : {"ContaDebito", "ContaCredito"}) {
        std::optional<std::string> want = recomputeCode(from, to, old.buffer().getText(f));
        ASSERT_TRUE(want);
        EXPECT_EQ(now.buffer().getText(f), *want);
        ++compared;
      }
    }
  }
  EXPECT_EQ(compared, 120);
}

// Every record of a file as text, in file order.
std::vector<std::string> recordsOf(const Dictionary& dict, const char* label, const std::string& path) {
  std::vector<std::string> out;
  Table t(dict.find(label));
  if (!t.open(path, OpenMode::kReadOnly)) return out;
  t.seekStart(kFileOrder);
  while (t.next()) {
    std::string row = std::to_string(t.buffer().recordId());
    for (size_t f = 0; f < t.def().fields.size(); ++f) row += "|" + t.buffer().getAsText(static_cast<int>(f));
    out.push_back(std::move(row));
  }
  return out;
}

TEST_F(AdjustSampleTest, CommitCutBetweenServiceCodesAndTheirRowsIsRedoneInFull) {
  // What an uninterrupted run gives, on a copy.
  std::string copy = root_.substr(0, root_.size() - 1) + "-copia/";
  fs::copy(root_, copy, fs::copy_options::recursive);
  {
    shell::AppState other(shell::locationsUnder(copy));
    other.bind(shell::sharedFileNames(copy));
    shell::CurrentCompany period;
    period.ano = 2026;
    period.mes = shell::kWholeYear;
    other.setCompany(period);
    AdjustRun run(*dict_, other, nullptr);
    ASSERT_TRUE(run.run(AdjustRequest{6, 2026, {2}, false, false})->success);
  }
  const std::string services = "00000002/Escrita/CtaISS.dat", rows = "00000002/Escrita/IntCtISS.dat";
  ASSERT_FALSE(recordsOf(*dict_, "Configuracao_Contas_ISS_Integracao", copy + rows).empty());
  // Cut off once the service codes are in place and before their rows are.
  testing::ChildEnd end = testing::runInChild([&] {
    struct Killer : FileOpHook {
      bool servicesIn = false;
      Status before(FileOp op, const std::string& path) override {
        if (op != FileOp::kRename) return Status::ok();
        if (path.find("CtaISS.dat") != std::string::npos) servicesIn = true;
        if (servicesIn && path.find("IntCtISS.dat") != std::string::npos) testing::killSelf();
        return Status::ok();
      }
    } killer;
    AdjustRun run(*dict_, *state_, nullptr);
    run.setFileOpHook(&killer);
    return run.run(AdjustRequest{6, 2026, {2}, false, false})->success ? 0 : 3;
  });
  ASSERT_TRUE(end.killed) << end.describe();
  std::vector<PendingAdjustment> pending = pendingAdjustments(*state_);
  ASSERT_EQ(pending.size(), 1u);
  AdjustRun run(*dict_, *state_, &log_);
  Result<AdjustReport> r = run.resume(pending[0]);
  ASSERT_TRUE(r && r->success) << (r ? r->finalMessage : r.status().message());
  EXPECT_EQ(recordsOf(*dict_, "CtaISS", root_ + services), recordsOf(*dict_, "CtaISS", copy + services));
  EXPECT_EQ(recordsOf(*dict_, "Configuracao_Contas_ISS_Integracao", root_ + rows),
            recordsOf(*dict_, "Configuracao_Contas_ISS_Integracao", copy + rows));
  EXPECT_EQ(structureOf(2), 6);
  fs::remove_all(copy);
}

TEST_F(AdjustSampleTest, FullDiskDuringTheRunLeavesTheCompanyAsItWas) {
  auto before = files();
  int64_t written = 0;
  {
    FaultVfs vfs;
    ASSERT_TRUE(adjust({2}, 6, 2026)->success);
    written = vfs.counts().bytesWritten;
  }
  for (int i = 1; i <= 6; ++i) {
    SCOPED_TRACE(i);
    fs::remove_all(root_);
    fs::copy(*pristine_, root_, fs::copy_options::recursive);
    Result<AdjustReport> r = [&] {
      FaultVfs vfs;
      vfs.setSpaceLimit(written * i / 7);
      return adjust({2}, 6, 2026);
    }();
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->success);
    EXPECT_NE(r->companies[0].outcome, CompanyOutcome::kConverted);
    for (const auto& p : pendingAdjustments(*state_)) ASSERT_TRUE(AdjustRun(*dict_, *state_, nullptr).putBack(p));
    EXPECT_EQ(structureOf(2), 2);
    EXPECT_FALSE(fs::exists(root_ + "00000002/PlCon006.dat"));
    auto now = files();
    for (const auto& [file, bytes] : before) {
      if (file.find("00000002") != std::string::npos) {
        EXPECT_TRUE(now[file] == bytes) << file;
      }
    }
  }
}

TEST_F(AdjustSampleTest, DryRunCountsSharedFilesOnceAndTheLogHasABlockPerCompany) {
  addStructure(8, {2, 1, 1, 2, 9});  // wide enough for every company's structure
  auto before = files();
  Result<AdjustReport> dry = adjust({1, 3, 2}, 8, 2025, true, true);
  ASSERT_TRUE(dry);
  EXPECT_EQ(files(), before);
  std::vector<std::string> dryLog = log_.lines;
  log_.lines.clear();
  Result<AdjustReport> real = adjust({1, 3, 2}, 8, 2025, false, true);
  ASSERT_TRUE(real);
  ASSERT_EQ(dry->companies.size(), real->companies.size());
  std::map<std::string, int> perFile;
  for (size_t i = 0; i < dry->companies.size(); ++i) {
    const CompanyReport& d = dry->companies[i];
    const CompanyReport& c = real->companies[i];
    EXPECT_EQ(d.code, c.code);
    ASSERT_EQ(d.tables.size(), c.tables.size()) << c.code;
    for (size_t t = 0; t < d.tables.size(); ++t) {
      EXPECT_EQ(d.tables[t].label, c.tables[t].label);
      EXPECT_EQ(d.tables[t].total, c.tables[t].total) << c.code << " " << c.tables[t].label;
      EXPECT_EQ(d.tables[t].changedRecords, c.tables[t].changedRecords) << c.code << " " << c.tables[t].label;
      EXPECT_EQ(d.tables[t].changedFields, c.tables[t].changedFields) << c.code << " " << c.tables[t].label;
    }
  }
  // 1 and 4 share the chart companions and fiscal files: their tables
  // are reported once, under 1.
  auto tablesOf = [&](uint16_t code) {
    for (const auto& c : real->companies)
      if (c.code == code) return c.tables.size();
    return size_t(0);
  };
  EXPECT_EQ(tablesOf(1), 13u);
  EXPECT_LT(tablesOf(4), 13u);
  // The log: the refused company 3 has its reason only; each converted
  // company has its own block, two lines per routine.
  for (const auto* lines : {&dryLog, &log_.lines}) {
    int blocks = 0;
    for (size_t i = 0; i < lines->size(); ++i) {
      const std::string& l = (*lines)[i];
      EXPECT_EQ(l.find("-Alterando cadastro da empresa 3 "), std::string::npos);
      if (l.rfind("-Alterando cadastro da empresa ", 0) != 0) continue;
      ++blocks;
      ASSERT_LT(i + 26, lines->size());
      for (size_t k = 0; k < 13; ++k) {
        EXPECT_EQ((*lines)[i + 1 + 2 * k], routines()[k].firstLine);
        EXPECT_EQ((*lines)[i + 2 + 2 * k].rfind(routines()[k].secondLine, 0), 0u) << (*lines)[i + 2 + 2 * k];
      }
    }
    EXPECT_EQ(blocks, 3);  // 1, 2 and the sharer 4
    EXPECT_EQ(std::count_if(lines->begin(), lines->end(),
                            [](const std::string& l) { return l.rfind("-Empresa 3 ", 0) == 0; }),
              1);
  }
}

}  // namespace
}  // namespace vorlam::adjust
