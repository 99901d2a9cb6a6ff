#include "adjust/adjust_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "adjust/adjust_test_fixture.h"

namespace vorlam::adjust {
namespace {


TEST_F(AdjustTest, ConvertsEveryReferenceOfTheCompany) {
  Result<AdjustReport> r = adjust({123});
  ASSERT_TRUE(r) << r.status().message();
  ASSERT_EQ(r->companies.size(), 1u);
  const CompanyReport& c = r->companies[0];
  EXPECT_EQ(c.outcome, CompanyOutcome::kConverted) << c.reason;
  EXPECT_EQ(c.failures, 0);
  EXPECT_TRUE(r->success);
  EXPECT_EQ(r->finalMessage, "Ajuste concluído com sucesso!!!");
  EXPECT_TRUE(c.balance.done && c.balance.matches);

  // The chart was rebuilt under the new structure, keeping every field.
  std::string newChart = path(123, "PlanoContas", 2);
  EXPECT_NE(newChart, path(123, "PlanoContas", 1));
  auto chart = open("PlanoContas", newChart);
  chart->buffer().setText("Codigo", "1.1.1.01.000002");
  ASSERT_TRUE(chart->get(chart->def().keyIndex("PLA:KEY:CODIGO")));
  EXPECT_EQ(chart->buffer().getText("Indice"), "1.1.1.01");
  EXPECT_EQ(chart->buffer().getText("Codigo_Sem_Ponto"), "11101000002");
  EXPECT_EQ(chart->buffer().getText("DescrIngles"), "english");
  EXPECT_EQ(chart->buffer().getInt("NaturezaContas"), 3);
  EXPECT_EQ(chart->buffer().getInt("Reduzido"), 6);
  chart->buffer().setText("Codigo", "1.1.1.01");
  ASSERT_TRUE(chart->get(chart->def().keyIndex("PLA:KEY:CODIGO")));
  EXPECT_EQ(chart->buffer().getText("Indice"), "1.1.1.01");  // synthetic: its own code

  for (const auto& v : column("Diario", path(123, "Diario"), "ContaDebito"))
    EXPECT_TRUE(v == "1.1.1.01.000001" || v == "1.1.1.01.000002") << v;
  EXPECT_EQ(column("CFO", path(123, "CFO"), "CONTA_CREDITO"), std::vector<std::string>{"fornecedor"});
  EXPECT_EQ(column("CFO", path(123, "CFO"), "CONTA_DEBITO"), std::vector<std::string>{"1.1.1.01.000001"});
  // Only the company's own integration rows change.
  EXPECT_EQ(column("Contas_Integracao_Contabil", shared("Contas_Integracao_Contabil"), "CONTA_DEBITO"),
            (std::vector<std::string>{"1.1.1.01.000002", "1.1.1.01.0002"}));

  // Company record and history.
  auto emp = open("Empresa", shared("Empresa"));
  emp->buffer().setInt("Codigo", 123);
  ASSERT_TRUE(emp->get(0));
  EXPECT_EQ(emp->buffer().getInt("CodigoPlanoContas"), 2);
  EXPECT_EQ(emp->buffer().getText("CreditoICMS"), "1.1.1.01.000002");
  EXPECT_EQ(emp->buffer().getText("GrupoFornecedor"), "2.1.1.01");
  EXPECT_EQ(emp->buffer().getText("GrupoProdutor"), "2.1.1.03.000001");
  EXPECT_EQ(column("AltContratuais", shared("AltContratuais"), "OBS"),
            std::vector<std::string>{"001 . Conteúdo anterior"});

  // The log, as the suite writes it.
  ASSERT_FALSE(log_.lines.empty());
  EXPECT_EQ(log_.lines[0], "-Alterando cadastro da empresa 123 - Alfa Comércio Ltda no código do plano de contas.");
  auto has = [&](const std::string& l) { return std::find(log_.lines.begin(), log_.lines.end(), l) != log_.lines.end(); };
  EXPECT_TRUE(has("   Ajustando lançamentos da contabilidade."));
  EXPECT_TRUE(has("   Lançamentos da contabilidade ajustado. Registros do aquivo 40 Registros ajustados 40"));
  EXPECT_TRUE(has("   Plano de contas ajustado. Registros do aquivo 6 Registros ajustados 6"));
  EXPECT_TRUE(has("   Integração dos impostos/baixa ajustados. Registros do aquivo 1 Registros ajustados 1"));
  EXPECT_TRUE(has("   Conferência dos saldos do diário: 2 conta(s), saldos conferem."));

  // The state follows the converted company.
  EXPECT_EQ(state_->company().codigo, 123);
  EXPECT_EQ(state_->company().codPlanoContas, 2);

  // A second run for the same year finds the new structure in force.
  log_.lines.clear();
  Result<AdjustReport> again = adjust({123});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->companies[0].outcome, CompanyOutcome::kAlreadyInForce);
  EXPECT_TRUE(log_.lines.empty());
}

TEST_F(AdjustTest, EmptyJournalAndBlankRecordsAreCountedNotChanged) {
  {
    // An empty journal for the year, and a CFOP row without accounts.
    auto diario = open("Diario", path(123, "Diario"));
    ASSERT_TRUE(diario->seekStart(kFileOrder));
    std::vector<int64_t> ids;
    while (diario->next()) ids.push_back(diario->buffer().recordId());
    for (int64_t id : ids) ASSERT_TRUE(diario->getById(id) && diario->erase());
    auto cfo = open("CFO", path(123, "CFO"));
    cfo->buffer().clear();
    cfo->buffer().setInt("Codigo", 5102);
    ASSERT_TRUE(cfo->append());
  }
  Result<AdjustReport> r = adjust({123});
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->success);
  auto has = [&](const std::string& l) { return std::find(log_.lines.begin(), log_.lines.end(), l) != log_.lines.end(); };
  EXPECT_TRUE(has("   Lançamentos da contabilidade ajustado. Registros do aquivo 0 Registros ajustados 0"));
  for (const TableOutcome& t : r->companies[0].tables)
    if (t.label == "CFO") {
      EXPECT_EQ(t.total, 2);
      EXPECT_EQ(t.changedRecords, 1);
    }
  EXPECT_EQ(column("CFO", path(123, "CFO"), "CONTA_DEBITO"), (std::vector<std::string>{"1.1.1.01.000001", ""}));
}

TEST_F(AdjustTest, SecondAdjustmentOfTheYearKeepsWhatEarlierYearsUse) {
  addStructure(4, {1, 1, 1, 2, 8});
  ASSERT_EQ(adjust({123})->companies[0].outcome, CompanyOutcome::kConverted);
  Result<AdjustReport> r = adjust({123}, 4);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kConverted) << r->companies[0].reason;
  // The row of 1 January still names the structure of the years before.
  EXPECT_EQ(column("AltContratuais", shared("AltContratuais"), "OBS"),
            std::vector<std::string>{"001 . Conteúdo anterior"});
  Table alt(dict_->find("AltContratuais"));
  ASSERT_TRUE(alt.open(shared("AltContratuais")));
  EXPECT_EQ(shell::planoVigente(alt, 123, 2023, {2, 4}).codPlanoContas, 1);
  EXPECT_EQ(shell::planoVigente(alt, 123, 2024, {2, 4}).codPlanoContas, 4);
  for (const auto& v : column("Diario", path(123, "Diario", 4), "ContaDebito"))
    EXPECT_TRUE(v == "1.1.1.01.00000001" || v == "1.1.1.01.00000002") << v;
}

TEST_F(AdjustTest, RefusesBeforeWritingAnything) {
  EXPECT_FALSE(adjust({123}, 9));        // no such structure
  EXPECT_FALSE(adjust({123}, 3));        // a level gets fewer digits
  EXPECT_FALSE(adjust({123}, 2, 2023));  // not the working year
  EXPECT_FALSE(adjust({123}, 2, 0));
  EXPECT_FALSE(adjust({999}, 2));        // no such company
  EXPECT_EQ(column("AltContratuais", shared("AltContratuais"), "OBS").size(), 0u);
  EXPECT_FALSE(fs::exists(path(123, "PlanoContas", 2)));
}

TEST_F(AdjustTest, DryRunChangesNothing) {
  Result<AdjustReport> r = adjust({123, 200}, 2, 2024, true);
  ASSERT_TRUE(r);
  ASSERT_EQ(r->companies.size(), 2u);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kDryRun);
  int64_t diarioChanges = 0;
  for (const auto& t : r->companies[0].tables)
    if (t.label == "Diario") diarioChanges = t.changedRecords;
  EXPECT_EQ(diarioChanges, 40);
  EXPECT_FALSE(r->companies[0].balance.done);
  EXPECT_EQ(r->finalMessage, "Simulação do ajuste concluída sem falhas. Nenhum arquivo foi alterado.");
  EXPECT_EQ(column("Diario", path(123, "Diario"), "ContaDebito")[0], "1.1.1.01.0001");
  EXPECT_FALSE(fs::exists(path(123, "PlanoContas", 2)));
  EXPECT_EQ(column("AltContratuais", shared("AltContratuais"), "OBS").size(), 0u);
}

TEST_F(AdjustTest, CodeThatDoesNotFitRefusesTheCompanyBeforeAnythingIsWritten) {
  // CFO:CONTA_DEBITO keeps 20 characters; 1.1.1.01.0001 grows to 24 under
  // widths 1,1,1,2,15.
  addStructure(4, {1, 1, 1, 2, 15});
  Result<AdjustReport> r = adjust({123}, 4);
  ASSERT_TRUE(r);
  const CompanyReport& c = r->companies[0];
  EXPECT_EQ(c.outcome, CompanyOutcome::kSkipped);
  EXPECT_FALSE(r->success);
  EXPECT_NE(r->finalMessage, "Ajuste concluído com sucesso!!!");
  // Each blocking code is named: table, key, field, old and new code.
  EXPECT_TRUE(std::any_of(c.blockers.begin(), c.blockers.end(), [&](const Blocker& b) {
    return b.table == "CFO" && b.field == "CFO:CONTA_DEBITO" && b.oldCode == "1.1.1.01.0001" &&
           b.newCode == "1.1.1.01.000000000000001" && b.why == "não cabe em 20 caracteres";
  }));
  EXPECT_TRUE(std::any_of(c.blockers.begin(), c.blockers.end(), [&](const Blocker& b) {
    return b.table == "Empresa" && b.field == "EMP:GrupoProdutor" && b.key == "123";
  }));
  auto has = [&](const std::string& l) { return std::find(log_.lines.begin(), log_.lines.end(), l) != log_.lines.end(); };
  EXPECT_TRUE(has("   CFO [1225 / 0]: CFO:CONTA_DEBITO 1.1.1.01.0001 -> 1.1.1.01.000000000000001: não cabe em 20 caracteres"))
      << ::testing::PrintToString(log_.lines);
  // For a refused company, the reason only.
  EXPECT_FALSE(has("-Alterando cadastro da empresa 123 - Alfa Comércio Ltda no código do plano de contas."));
  // Nothing written.
  EXPECT_EQ(column("CFO", path(123, "CFO"), "CONTA_DEBITO"), std::vector<std::string>{"1.1.1.01.0001"});
  EXPECT_EQ(column("Diario", path(123, "Diario"), "ContaDebito")[0], "1.1.1.01.0001");
  EXPECT_FALSE(fs::exists(path(123, "PlanoContas", 4)));
  EXPECT_TRUE(column("AltContratuais", shared("AltContratuais"), "OBS").empty());
  EXPECT_TRUE(pendingAdjustments(*state_).empty());
}

TEST_F(AdjustTest, CodesThatWouldMeetOrHaveNoConversionRefuseTheCompany) {
  {
    // Already written in the new form: it would meet 1.1.1.01.0001.
    auto chart = open("PlanoContas", path(123, "PlanoContas"));
    addAccount(*chart, "1.1.1.01.000001", 2, "Caixa (novo)");
    // Not written in the old structure: a positional cut would make it
    // some other account.
    auto cfo = open("CFO", path(123, "CFO"));
    cfo->buffer().clear();
    cfo->buffer().setInt("Codigo", 5102);
    cfo->buffer().setText("CONTA_DEBITO", "1.1.1.1");
    ASSERT_TRUE(cfo->append());
  }
  for (bool dryRun : {true, false}) {
    Result<AdjustReport> r = adjust({123}, 2, 2024, dryRun);
    ASSERT_TRUE(r);
    const CompanyReport& c = r->companies[0];
    EXPECT_EQ(c.outcome, CompanyOutcome::kSkipped);
    EXPECT_FALSE(r->success);
    EXPECT_TRUE(std::any_of(c.blockers.begin(), c.blockers.end(), [](const Blocker& b) {
      return b.newCode == "1.1.1.01.000001" && b.why.find("também passa a ser") != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(c.blockers.begin(), c.blockers.end(), [](const Blocker& b) {
      return b.table == "CFO" && b.oldCode == "1.1.1.1" && b.why.find("fora da estrutura 1") != std::string::npos;
    }));
  }
  EXPECT_FALSE(fs::exists(path(123, "PlanoContas", 2)));
}

TEST_F(AdjustTest, CompanyWithFilesInUseIsSkippedUntouched) {
  Table other(dict_->find("Diario"));
  ASSERT_TRUE(other.open(path(123, "Diario")));
  Result<AdjustReport> r = adjust({123});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kSkipped);
  EXPECT_FALSE(r->success);
  other.close();
  EXPECT_EQ(column("Diario", path(123, "Diario"), "ContaDebito")[0], "1.1.1.01.0001");
  // The chart being rebuilt counts as one of its files.
  Table chart(dict_->find("PlanoContas"));
  ASSERT_TRUE(chart.open(path(123, "PlanoContas")));
  r = adjust({123});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kSkipped);
  EXPECT_NE(r->companies[0].reason.find("plano de contas atual"), std::string::npos) << r->companies[0].reason;
  EXPECT_TRUE(pendingAdjustments(*state_).empty());
  EXPECT_FALSE(fs::exists(path(123, "PlanoContas", 2)));
}

TEST_F(AdjustTest, ExistingChartOfTheNewStructureIsNeverDestroyed) {
  {
    auto chart = open("PlanoContas", path(123, "PlanoContas", 2));
    addAccount(*chart, "9", 1, "Conta de outro ano");
  }
  Result<AdjustReport> r = adjust({123});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kSkipped);
  EXPECT_EQ(column("PlanoContas", path(123, "PlanoContas", 2), "Codigo"), std::vector<std::string>{"9"});
}

TEST_F(AdjustTest, SharedChartAndFilesAreConvertedOnce) {
  addCompany(201, "Gama Indústria", 1);
  fillCompany(201);
  ASSERT_EQ(path(200, "PlanoContas"), path(201, "PlanoContas"));  // both use the shared chart
  Result<AdjustReport> r = adjust({200, 201});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kConverted) << r->companies[0].reason;
  EXPECT_EQ(r->companies[1].outcome, CompanyOutcome::kConverted) << r->companies[1].reason;
  // Shared CFO rows (both companies) converted exactly once.
  for (const auto& v : column("CFO", path(200, "CFO"), "CONTA_DEBITO")) EXPECT_EQ(v, "1.1.1.01.000001");
  EXPECT_EQ(column("PlanoContas", path(200, "PlanoContas", 2), "Codigo").size(), 6u);
}

TEST_F(AdjustTest, CompaniesSharingFilesGoTogetherOrNotAtAll) {
  addCompany(201, "Gama Indústria", 1);
  fillCompany(201);
  AdjustRun probe(*dict_, *state_, nullptr);
  EXPECT_EQ(probe.sharers(AdjustRequest{2, 2024, {200}, false, false}), std::vector<uint16_t>{201});
  EXPECT_TRUE(probe.sharers(AdjustRequest{2, 2024, {123}, false, false}).empty());  // 123 keeps its own files
  EXPECT_TRUE(probe.sharers(AdjustRequest{2, 2024, {200, 201}, false, false}).empty());
  // Alone, 200 is refused with the company that blocks it; nothing written.
  for (bool dryRun : {true, false}) {
    Result<AdjustReport> r = adjust({200}, 2, 2024, dryRun);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kSkipped);
    EXPECT_EQ(r->companies[0].sharers, std::vector<uint16_t>{201});
    EXPECT_NE(r->companies[0].reason.find("empresas 201"), std::string::npos) << r->companies[0].reason;
  }
  for (const auto& v : column("CFO", path(200, "CFO"), "CONTA_DEBITO")) EXPECT_EQ(v, "1.1.1.01.0001");
  EXPECT_FALSE(fs::exists(path(200, "PlanoContas", 2)));
  // With its sharers, both are converted in one unit.
  AdjustRun run(*dict_, *state_, &log_);
  Result<AdjustReport> r = run.run(AdjustRequest{2, 2024, {200}, false, true});
  ASSERT_TRUE(r);
  ASSERT_EQ(r->companies.size(), 2u);
  EXPECT_EQ(r->companies[1].code, 201);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kConverted) << r->companies[0].reason;
  EXPECT_EQ(r->companies[1].outcome, CompanyOutcome::kConverted) << r->companies[1].reason;
  EXPECT_EQ(r->companies[0].unit, (std::vector<uint16_t>{200, 201}));
  for (const auto& v : column("CFO", path(200, "CFO"), "CONTA_DEBITO")) EXPECT_EQ(v, "1.1.1.01.000001");
}

TEST_F(AdjustTest, SharedChartRebuiltEarlierGetsTheAccountsAddedSince) {
  addCompany(201, "Gama Indústria", 1);
  fillCompany(201);
  ASSERT_TRUE(adjust({200, 201})->success);
  {
    auto oldChart = open("PlanoContas", path(201, "PlanoContas"));
    addAccount(*oldChart, "1.1.1.01.0003", 2, "Aplicação");
  }
  // A company on the shared chart, still on the old structure, whose
  // shared files are already in the new one.
  addCompany(202, "Delta", 1);
  Result<AdjustReport> r = adjust({202});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kConverted) << r->companies[0].reason;
  EXPECT_TRUE(r->success);
  std::vector<std::string> codes = column("PlanoContas", path(201, "PlanoContas", 2), "Codigo");
  EXPECT_EQ(codes.size(), 7u);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), "1.1.1.01.000003"), 1);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), "1.1.1.01.000001"), 1);
}

TEST_F(AdjustTest, KilledRunLeavesTheCompanyAsItWas) {
  // The child stops itself in the middle of the journal rewrite.
  struct Killer : LogObserver {
    void logLine(const std::string& line) override {
      if (line == "   Ajustando lançamentos da contabilidade.") kill(getpid(), SIGKILL);
    }
  } killer;
  runUntilKilled(*dict_, *state_, killer);
  EXPECT_EQ(column("Diario", path(123, "Diario"), "ContaDebito")[0], "1.1.1.01.0001");
  EXPECT_EQ(column("CFO", path(123, "CFO"), "CONTA_DEBITO"), std::vector<std::string>{"1.1.1.01.0001"});
  EXPECT_EQ(column("Contas_Integracao_Contabil", shared("Contas_Integracao_Contabil"), "CONTA_DEBITO")[0],
            "1.1.1.01.0002");
  EXPECT_EQ(column("AltContratuais", shared("AltContratuais"), "OBS").size(), 0u);
  EXPECT_FALSE(fs::exists(path(123, "PlanoContas", 2)));
  // And the run can then be done in full.
  Result<AdjustReport> r = adjust({123});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->companies[0].outcome, CompanyOutcome::kConverted) << r->companies[0].reason;
}

}  // namespace
}  // namespace vorlam::adjust
