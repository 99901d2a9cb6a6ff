// The adjustment's all-or-nothing guarantee: killed at many points
// (including during recovery), with a full disk at many levels and with
// file operations of the commit failing, each company ends exactly as it
// was or exactly as an uninterrupted run leaves it, record by record.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "adjust/adjust_test_fixture.h"
#include "adjust/pending_completion.h"
#include "storage/crash_test_util.h"
#include "storage/fault_vfs.h"

namespace vorlam::adjust {
namespace {

using Snapshot = std::map<std::string, std::vector<std::string>>;

// Companies 123 (own files) and 200 + 201 (sharing the shared files): two
// units in one run.
class AdjustRecoveryTest : public AdjustTest {
 protected:
  void SetUp() override {
    AdjustTest::SetUp();
    addCompany(201, "Gama Indústria", 1);
    fillCompany(201);
    pristine_ = root_.substr(0, root_.size() - 1) + "-pristine";
    fs::copy(root_, pristine_, fs::copy_options::recursive);
    before_ = snapshot();
    ASSERT_TRUE(adjustAll(nullptr));
    after_ = snapshot();
    ASSERT_NE(before_, after_);
    reset();
  }
  void TearDown() override {
    AdjustTest::TearDown();
    fs::remove_all(pristine_);
  }
  // The data root as it was before any adjustment.
  void reset() {
    fs::remove_all(root_);
    fs::copy(pristine_, root_, fs::copy_options::recursive);
    shell::CurrentCompany period;
    period.ano = 2024;
    period.mes = 13;
    state_->setCompany(period);
  }
  bool adjustAll(FileOpHook* hook) {
    AdjustRun run(*dict_, *state_, &log_);
    run.setFileOpHook(hook);
    AdjustRequest r;
    r.newStructure = 2;
    r.year = 2024;
    r.companies = {123, 200, 201};
    Result<AdjustReport> rep = run.run(r);
    return rep && rep->success;
  }
  // Every record of every file the run may touch, as text, by file.
  Snapshot snapshot() {
    static const char* kLabels[] = {"PlanoContas", "LanPadrao", "ForCli", "CFO", "CtaISS",
                                    "Configuracao_Contas_ISS_Integracao", "Diario", "RegEntrada", "RegSaida", "ISS51",
                                    "ISS53", "ParcPagas", "ConfiguracaoGrupos"};
    std::map<std::string, const char*> files;
    for (int code : {123, 200, 201})
      for (int s : {1, 2})
        for (const char* label : kLabels) files[path(code, label, s)] = label;
    files[shared("Empresa")] = "Empresa";
    files[shared("AltContratuais")] = "AltContratuais";
    files[shared("Contas_Integracao_Contabil")] = "Contas_Integracao_Contabil";
    Snapshot out;
    for (const auto& [file, label] : files) {
      Table t(dict_->find(label));
      if (!t.open(file, OpenMode::kReadOnly)) continue;
      std::vector<std::string> rows;
      t.seekStart(kFileOrder);
      // History rows taken out and added again get new record numbers.
      const bool byContent = std::string(label) == "AltContratuais";
      while (t.next()) {
        std::string row = byContent ? std::string() : std::to_string(t.buffer().recordId());
        for (size_t f = 0; f < t.def().fields.size(); ++f) row += "|" + t.buffer().getAsText(static_cast<int>(f));
        rows.push_back(std::move(row));
      }
      if (byContent) std::sort(rows.begin(), rows.end());
      if (!rows.empty()) out[file.substr(root_.size())] = std::move(rows);
    }
    return out;
  }
  // Which of the two states the disk is in: "before", "after" or "mixed".
  std::string which() {
    Snapshot now = snapshot();
    if (now == before_) return "before";
    if (now == after_) return "after";
    auto rowsOf = [](const Snapshot& s, const std::string& file) {
      auto it = s.find(file);
      return it == s.end() ? std::vector<std::string>() : it->second;
    };
    std::string files;
    for (const auto& [file, rows] : now)
      if (rows != rowsOf(before_, file) && rows != rowsOf(after_, file)) files += " " + file;
    for (const auto& [file, rows] : after_)
      if (!now.count(file)) files += " -" + file;
    return "mixed:" + files;
  }

  std::string pristine_;
  Snapshot before_, after_;
};

// Counts the steps of a run: each write and sync of the database files and
// each file operation of the commit.
struct StepCounter : FileOpHook {
  testing::KillSwitch* kill = nullptr;
  FaultVfs vfs;
  StepCounter() {
    vfs.setHook([this](FaultVfs::Op op, const std::string&) {
      if (op != FaultVfs::Op::kOpen && kill) kill->step();
    });
  }
  Status before(FileOp, const std::string&) override {
    if (kill) kill->step();
    return Status::ok();
  }
};

TEST_F(AdjustRecoveryTest, KilledAnywhereEachCompanyEndsBeforeOrAfter) {
  int64_t steps = 0;
  {
    testing::KillSwitch count;
    StepCounter counter;
    counter.kill = &count;
    ASSERT_TRUE(adjustAll(&counter));
    steps = count.steps();
  }
  ASSERT_GT(steps, 20);
  reset();
  // Kill points spread over the whole run, and every one of the last ones
  // (the swap and the company records).
  std::vector<int64_t> points;
  for (int i = 1; i <= 30; ++i) points.push_back(steps * i / 31);
  for (int64_t k = std::max<int64_t>(1, steps - 20); k <= steps; ++k) points.push_back(k);
  int killedWithPending = 0;
  for (int64_t k : points) {
    SCOPED_TRACE("kill at step " + std::to_string(k) + " of " + std::to_string(steps));
    reset();
    testing::ChildEnd end = testing::runInChild([&] {
      testing::KillSwitch kill(k);
      StepCounter counter;
      counter.kill = &kill;
      return adjustAll(&counter) ? 0 : 3;
    });
    ASSERT_TRUE(end.killed || end.completed()) << end.describe();
    std::vector<PendingAdjustment> pending = pendingAdjustments(*state_);
    // Each unit alone is before or after: compare after putting back.
    if (!pending.empty()) ++killedWithPending;
    for (const auto& p : pending) {
      AdjustRun run(*dict_, *state_, &log_);
      ASSERT_TRUE(run.putBack(p));
    }
    std::string state = which();
    // A run cut off between its two units leaves the first converted: each
    // unit is before or after, and finishing the run gives the same files
    // as the uninterrupted run.
    if (state != "after") {
      AdjustRun run(*dict_, *state_, &log_);
      Result<AdjustReport> rest = run.run(AdjustRequest{2, 2024, {123, 200, 201}, false, false});
      ASSERT_TRUE(rest && rest->success) << state << (rest ? rest->finalMessage : rest.status().message());
      state = which();
    }
    EXPECT_TRUE(pendingAdjustments(*state_).empty());
    EXPECT_EQ(state, "after") << "after finishing the run";
  }
  EXPECT_GT(killedWithPending, 5);
}

// Runs the whole adjustment in a child killed in the middle of the second
// unit's swap (its companies 200 and 201 share the CFOP file).
void killInSecondSwap(const std::function<bool(FileOpHook*)>& adjustAll) {
  testing::ChildEnd end = testing::runInChild([&] {
    struct Killer : FileOpHook {
      int renames = 0;
      Status before(FileOp op, const std::string& path) override {
        if (op == FileOp::kRename && path.find("Cfo.dat") != std::string::npos && ++renames == 3)
          testing::killSelf();
        return Status::ok();
      }
    } killer;
    return adjustAll(&killer) ? 0 : 3;
  });
  ASSERT_TRUE(end.killed) << end.describe();
}

TEST_F(AdjustRecoveryTest, StartUpOffersToCompleteACutOffUnitAndRedoesIt) {
  killInSecondSwap([&](FileOpHook* h) { return adjustAll(h); });
  std::vector<PendingAdjustment> pending = pendingAdjustments(*state_);
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].companies, (std::vector<uint16_t>{200, 201}));
  QuestionRequest q = pendingQuestion(pending);
  EXPECT_EQ(q.text,
            "Atenção!!! O ajuste do plano de contas das empresas 200, 201 foi interrompido durante a gravação.|"
            "Deseja concluí-lo agora???");
  EXPECT_EQ(q.buttonList, "&Não|&Sim");
  PendingOutcome out = completePending(*dict_, *state_, pending, &log_);
  EXPECT_EQ(out.completed, 1);
  EXPECT_EQ(out.failed, 0);
  EXPECT_EQ(pendingSummary(out), "Ajuste concluído com sucesso!!!");
  EXPECT_TRUE(pendingAdjustments(*state_).empty());
  EXPECT_EQ(which(), "after");
}

TEST_F(AdjustRecoveryTest, KilledDuringRecoveryRecoversAgain) {
  killInSecondSwap([&](FileOpHook* h) { return adjustAll(h); });
  std::vector<PendingAdjustment> pending = pendingAdjustments(*state_);
  ASSERT_EQ(pending.size(), 1u);
  // Recovery itself killed at each of its file operations in turn, each
  // time taken up again, until one gets through.
  bool through = false;
  for (int k = 1; k < 80 && !through; ++k) {
    testing::ChildEnd again = testing::runInChild([&] {
      testing::KillSwitch kill(k);
      testing::KillingFileOpHook hook(kill);
      AdjustRun run(*dict_, *state_, nullptr);
      run.setFileOpHook(&hook);
      return run.putBack(pending[0]) ? 0 : 3;
    });
    ASSERT_TRUE(again.killed || again.completed()) << again.describe();
    through = again.completed();
  }
  ASSERT_TRUE(through);
  EXPECT_TRUE(pendingAdjustments(*state_).empty());
  // 123 converted, 200 and 201 exactly as before; adjusting them again
  // gives the uninterrupted result.
  AdjustRun run(*dict_, *state_, &log_);
  Result<AdjustReport> r = run.run(AdjustRequest{2, 2024, {200, 201}, false, false});
  ASSERT_TRUE(r && r->success);
  EXPECT_EQ(which(), "after");
}

TEST_F(AdjustRecoveryTest, FullDiskAtManyLevelsLeavesEachUnitBeforeOrAfter) {
  int64_t written = 0;
  {
    FaultVfs vfs;
    ASSERT_TRUE(adjustAll(nullptr));
    written = vfs.counts().bytesWritten;
  }
  ASSERT_GT(written, 0);
  for (int i = 1; i <= 12; ++i) {
    int64_t limit = written * i / 13;
    SCOPED_TRACE("free bytes " + std::to_string(limit));
    reset();
    Result<AdjustReport> r = [&] {
      FaultVfs vfs;
      vfs.setSpaceLimit(limit);
      AdjustRun run(*dict_, *state_, &log_);
      return run.run(AdjustRequest{2, 2024, {123, 200, 201}, false, false});
    }();
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->success);
    EXPECT_NE(r->finalMessage, "Ajuste concluído com sucesso!!!");
    // A unit whose rows could not be put back on the full disk is left for
    // the recovery of the next start.
    for (const auto& p : pendingAdjustments(*state_)) ASSERT_TRUE(AdjustRun(*dict_, *state_, nullptr).putBack(p));
    // Failed units are as before; finishing the run gives the uninterrupted result.
    for (const CompanyReport& c : r->companies)
      EXPECT_TRUE(c.outcome == CompanyOutcome::kConverted || c.outcome == CompanyOutcome::kFailed ||
                  c.outcome == CompanyOutcome::kSkipped);
    AdjustRun run(*dict_, *state_, &log_);
    Result<AdjustReport> rest = run.run(AdjustRequest{2, 2024, {123, 200, 201}, false, false});
    ASSERT_TRUE(rest && rest->success);
    EXPECT_EQ(which(), "after");
  }
}

TEST_F(AdjustRecoveryTest, EveryFailingCommitOperationPutsTheUnitBack) {
  int64_t ops = 0;
  {
    testing::FailingFileOpHook count;
    ASSERT_TRUE(adjustAll(&count));
    ops = count.count();
  }
  // Every operation of the last unit's commit, and a sample of the others.
  std::vector<int64_t> points;
  for (int64_t k = 1; k <= ops; ++k)
    if (k > ops - 16 || k % 10 == 0) points.push_back(k);
  for (int64_t k : points) {
    SCOPED_TRACE("failing operation " + std::to_string(k) + " of " + std::to_string(ops));
    reset();
    testing::FailingFileOpHook hook(k);
    AdjustRun run(*dict_, *state_, &log_);
    run.setFileOpHook(&hook);
    Result<AdjustReport> r = run.run(AdjustRequest{2, 2024, {123, 200, 201}, false, false});
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->success);
    // A unit put back is exactly as before: running again converts it.
    for (const auto& p : pendingAdjustments(*state_)) ASSERT_TRUE(AdjustRun(*dict_, *state_, nullptr).putBack(p));
    AdjustRun again(*dict_, *state_, &log_);
    Result<AdjustReport> rest = again.run(AdjustRequest{2, 2024, {123, 200, 201}, false, false});
    ASSERT_TRUE(rest && rest->success);
    EXPECT_EQ(which(), "after");
  }
}

TEST_F(AdjustRecoveryTest, RestorePutsTheUnitBackAndKeepsTheConvertedFiles) {
  ASSERT_TRUE(adjustAll(nullptr));
  AdjustRun run(*dict_, *state_, &log_);
  Result<RestoreReport> r = run.restore(201);
  ASSERT_TRUE(r) << r.status().message();
  EXPECT_EQ(r->companies, (std::vector<uint16_t>{200, 201}));
  Snapshot now = snapshot();
  // 200 and 201 as before; 123 still converted.
  std::set<std::string> rowsOfAll;
  for (const char* label : {"Empresa", "AltContratuais", "Contas_Integracao_Contabil"})
    rowsOfAll.insert(shared(label).substr(root_.size()));
  std::set<std::string> files;
  for (const Snapshot* s : {&now, &before_, &after_})
    for (const auto& [file, rows] : *s) files.insert(file);
  for (const std::string& file : files) {
    if (rowsOfAll.count(file)) continue;
    if (file.find("00000123") != std::string::npos)
      EXPECT_EQ(now[file], after_.count(file) ? after_.at(file) : std::vector<std::string>()) << file;
    else
      EXPECT_EQ(now[file], before_.count(file) ? before_.at(file) : std::vector<std::string>()) << file;
  }
  EXPECT_FALSE(run.restore(200));  // nothing finished left for it
  ASSERT_TRUE(run.restore(123));
  EXPECT_EQ(which(), "before");
}

}  // namespace
}  // namespace vorlam::adjust
