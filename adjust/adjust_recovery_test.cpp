// The adjustment's guarantees beyond the plain conversion: a commit cut off
// midway is completed on the next run, every account field of a rewritten
// record follows, references the run leaves alone are counted, and a dry run
// finds the chart codes that would collide.
#include <gtest/gtest.h>

#include "adjust/adjust_test_fixture.h"
#include "adjust/pending_completion.h"

namespace vorlam::adjust {
namespace {

#ifndef _WIN32  // the runs are killed in forked children
// Runs the adjustment of company 123 to structure 2 in a child process that
// kills itself once `files` files of the company have been committed.
void killAfterCommittedFiles(const Dictionary& dict, shell::AppState& state, int files) {
  struct Killer : Observer {
    int left = 0;
    void logLine(const std::string&) override {}
    void fileCommitted(const std::string&) override {
      if (--left == 0) platform::killCurrentProcess();
    }
  } killer;
  killer.left = files;
  runUntilKilled(dict, state, killer);
}
#endif

class AdjustRecoveryTest : public AdjustTest {
 protected:
  void SetUp() override {
    AdjustTest::SetUp();
    // A code whose conversion converted again would move on: it shows a
    // file converted twice.
    auto cic = open("Contas_Integracao_Contabil", shared("Contas_Integracao_Contabil"));
    cic->seekStart(kFileOrder);
    ASSERT_TRUE(cic->next());
    cic->buffer().setText("CONTA_CREDITO", "1.1.1.01.1");
    ASSERT_TRUE(cic->update());
  }
  void expectConverted() {
    for (const auto& v : column("Diario", path(123, "Diario"), "ContaDebito"))
      EXPECT_TRUE(v == "1.1.1.01.000001" || v == "1.1.1.01.000002") << v;
    EXPECT_EQ(column("CFO", path(123, "CFO"), "CONTA_DEBITO"), std::vector<std::string>{"1.1.1.01.000001"});
    // Converted once, never twice: the integration rows of 123 and the
    // untouched row of 200.
    EXPECT_EQ(column("Contas_Integracao_Contabil", shared("Contas_Integracao_Contabil"), "CONTA_DEBITO"),
              (std::vector<std::string>{"1.1.1.01.000002", "1.1.1.01.0002"}));
    EXPECT_EQ(column("PlanoContas", path(123, "PlanoContas", 2), "Codigo").size(), 6u);
    EXPECT_EQ(column("Contas_Integracao_Contabil", shared("Contas_Integracao_Contabil"), "CONTA_CREDITO"),
              (std::vector<std::string>{"1.1.1.01.001", ""}));
    auto emp = open("Empresa", shared("Empresa"));
    emp->buffer().setInt("Codigo", 123);
    ASSERT_TRUE(emp->get(0));
    EXPECT_EQ(emp->buffer().getInt("CodigoPlanoContas"), 2);
    EXPECT_EQ(emp->buffer().getText("CreditoICMS"), "1.1.1.01.000002");
    EXPECT_EQ(column("AltContratuais", shared("AltContratuais"), "OBS"),
              std::vector<std::string>{"001 . Conteúdo anterior"});
  }
};

#ifndef _WIN32
TEST_F(AdjustRecoveryTest, CommitCutOffIsCompletedExactlyOnce) {
  for (int files : {1, 3}) {
    SCOPED_TRACE(files);
    TearDown();
    SetUp();
    killAfterCommittedFiles(*dict_, *state_, files);
    std::vector<PendingAdjustment> pending = pendingAdjustments(*state_);
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].company, 123);
    EXPECT_EQ(pending[0].oldStructure, 1);
    EXPECT_EQ(pending[0].newStructure, 2);
    EXPECT_EQ(pending[0].year, 2024);

    AdjustRun run(*dict_, *state_, &log_);
    Result<AdjustReport> r = run.resume(pending[0]);
    ASSERT_TRUE(r) << r.status().message();
    ASSERT_EQ(r->companies.size(), 1u);
    EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kConverted) << r->companies[0].reason;
    EXPECT_EQ(r->failures, 0);
    expectConverted();
    EXPECT_TRUE(pendingAdjustments(*state_).empty());
  }
}

TEST_F(AdjustRecoveryTest, StartUpOffersAndCompletesThePendingCompanies) {
  killAfterCommittedFiles(*dict_, *state_, 2);
  std::vector<PendingAdjustment> pending = pendingAdjustments(*state_);
  ASSERT_EQ(pending.size(), 1u);
  QuestionRequest q = pendingQuestion(pending);
  EXPECT_EQ(q.text,
            "Atenção!!! O ajuste do plano de contas da empresa 123 foi interrompido durante a gravação.|"
            "Deseja concluí-lo agora???");
  EXPECT_EQ(q.buttonList, "&Não|&Sim");
  PendingOutcome out = completePending(*dict_, *state_, pending, &log_);
  EXPECT_EQ(out.completed, 1);
  EXPECT_EQ(out.failed, 0);
  EXPECT_EQ(pendingSummary(out), "Ajuste concluído com sucesso!!!");
  expectConverted();
  EXPECT_TRUE(pendingAdjustments(*state_).empty());
}
#endif

TEST_F(AdjustRecoveryTest, EveryAccountFieldOfARewrittenRecordFollows) {
  {
    auto forCli = open("ForCli", path(123, "ForCli"));
    forCli->buffer().setInt("Codigo", 1);
    forCli->buffer().setText("ContaProdutor", "1.1.1.01.0001");
    ASSERT_TRUE(forCli->append());
    auto reg = open("RegEntrada", path(123, "RegEntrada"));
    reg->buffer().setInt("Numero", 10);
    reg->buffer().setInt("Data", *toDayNumber(2024, 3, 1));
    reg->buffer().setText("ContaDebitoPIS", "1.1.1.01.0002");
    ASSERT_TRUE(reg->append());
    auto cfo = open("CFO", path(123, "CFO"));
    cfo->buffer().setInt("Codigo", 5102);
    cfo->buffer().setText("ST_DEBITO", "1.1.1.01.0002");
    ASSERT_TRUE(cfo->append());
  }
  Result<AdjustReport> r = adjust({123});
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->success) << r->finalMessage;
  EXPECT_EQ(column("ForCli", path(123, "ForCli"), "ContaProdutor"), std::vector<std::string>{"1.1.1.01.000001"});
  EXPECT_EQ(column("RegEntrada", path(123, "RegEntrada"), "ContaDebitoPIS"),
            std::vector<std::string>{"1.1.1.01.000002"});
  EXPECT_EQ(column("CFO", path(123, "CFO"), "ST_DEBITO"), (std::vector<std::string>{"", "1.1.1.01.000002"}));
}

TEST_F(AdjustRecoveryTest, ReferencesLeftInOtherFilesAreCountedNotChanged) {
  std::string instalments = path(123, "ParcRegEntrada");
  {
    auto parc = open("ParcRegEntrada", instalments);
    parc->buffer().setText("ContaDebito", "1.1.1.01.0001");
    parc->buffer().setText("JurosCredito", "1.1.1.01.0002");
    ASSERT_TRUE(parc->append());
  }
  // A journal of an earlier year.
  shell::BindingMap earlier = names(123, 1);
  std::string diario2024 = earlier[dict_->find("Diario")->binding];
  std::string diario2023 = diario2024;
  diario2023.replace(diario2023.find("2024"), 4, "2023");
  {
    makeDirectories(diario2023.substr(0, diario2023.find_last_of('/')));
    auto old = open("Diario", diario2023);
    old->buffer().setInt("Data", *toDayNumber(2023, 5, 5));
    old->buffer().setText("ContaDebito", "1.1.1.01.0001");
    ASSERT_TRUE(old->insert());
  }
  Result<AdjustReport> r = adjust({123});
  ASSERT_TRUE(r);
  const auto& untouched = r->companies[0].untouched;
  auto find = [&](const std::string& label, int year) -> const ReferenceCount* {
    for (const auto& u : untouched)
      if (u.label == label && u.year == year) return &u;
    return nullptr;
  };
  const ReferenceCount* parc = find("ParcRegEntrada", 2024);
  ASSERT_NE(parc, nullptr);
  EXPECT_EQ(parc->records, 1);
  EXPECT_EQ(parc->fields, 2);
  const ReferenceCount* old = find("Diario", 2023);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(old->records, 1);
  EXPECT_EQ(column("ParcRegEntrada", instalments, "ContaDebito"), std::vector<std::string>{"1.1.1.01.0001"});
  EXPECT_EQ(column("Diario", diario2023, "ContaDebito"), std::vector<std::string>{"1.1.1.01.0001"});
}

TEST_F(AdjustRecoveryTest, DryRunFindsCollidingChartCodes) {
  {
    // Already written in the new form: it would meet the conversion of
    // 1.1.1.01.0001.
    auto chart = open("PlanoContas", path(123, "PlanoContas"));
    addAccount(*chart, "1.1.1.01.000001", 2, "Caixa (novo)");
  }
  Result<AdjustReport> r = adjust({123}, 2, 2024, true);
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->success);
  int64_t chartFailures = 0;
  for (const auto& t : r->companies[0].tables)
    if (t.label == "PlanoContas") chartFailures = t.failures;
  EXPECT_EQ(chartFailures, 1);
}

}  // namespace
}  // namespace vorlam::adjust
