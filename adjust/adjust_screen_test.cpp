#include "adjust/adjust_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "storage/platform.h"
#include "framework/page_cache.h"
#include "shell/company_files.h"
#include "shell/company_selection.h"
#include "shell/startup.h"
#include "storage/date.h"
#include "storage/text.h"

namespace vorlam::adjust {
namespace {

namespace fs = std::filesystem;

// Counts the worker's calls; optionally stops the run once the given log
// line has been written.
class CountingListener : public AdjustScreen::Listener {
 public:
  void runChanged() override {
    ++changes;
    if (screen == nullptr) return;
    screen->progress();  // re-arm: be told of every change
    if (stopAfter.empty()) return;
    for (const std::string& line : screen->logLines())
      if (line.starts_with(stopAfter)) screen->requestStop();
  }
  void runEnded() override { ++ended; }

  std::atomic<int> changes{0};
  std::atomic<int> ended{0};
  AdjustScreen* screen = nullptr;
  std::string stopAfter;
};

// A data root with structures 1 (1.1.1.2.4), 2 (1.1.1.2.6) and 3 (2.2.2)
// and three companies on structure 1 with their own files: 10 (CNPJ, a
// chart and a journal), 20 (CPF) and 30 (CEI, first by name).  Working
// year 2024.
class AdjustScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = platform::makeTempDirectory("vorlam-adjscreen-").value() + "/";
    dict_ = buildDictionary();
    shell::DataLocations loc = shell::locationsUnder(root_);
    state_ = std::make_unique<shell::AppState>(loc);
    shell::createDataDirectories(loc);
    state_->bind(shell::sharedFileNames(loc.root));
    addStructure(1, {1, 1, 1, 2, 4});
    addStructure(2, {1, 1, 1, 2, 6});
    addStructure(3, {2, 2, 2});
    addCompany(10, "Alfa Comércio Ltda", "12345678000195", "", "");
    addCompany(20, "Beta Serviços", "", "12345678909", "");
    addCompany(30, "Acme Obras", "", "", "123456789012");
    fillCompany(10);
    shell::CurrentCompany period;
    period.ano = 2024;
    period.mes = shell::kWholeYear;
    state_->setCompany(period);
    errors_ = std::make_unique<ErrorManager>(services_, dialogs_, shutdown_);
    screen_ = std::make_unique<AdjustScreen>(*dict_, *state_, *errors_, &shutdown_);
    screen_->setBeep([this] { ++beeps_; });
  }
  void TearDown() override {
    screen_.reset();
    fs::remove_all(root_);
  }

  std::unique_ptr<Table> openTable(const char* label) {
    auto t = std::make_unique<Table>(dict_->find(label));
    EXPECT_TRUE(t->open(state_->pathFor(t->def().binding))) << label;
    return t;
  }
  void addStructure(int code, std::initializer_list<int> widths) {
    Table t(dict_->find("ConfPlanoContas"));
    ASSERT_TRUE(t.open(state_->pathFor(t.def().binding)));
    t.buffer().setInt("Codigo", code);
    t.buffer().setInt("Graus", int(widths.size()));
    int level = 1;
    for (int w : widths) t.buffer().setInt("G" + std::to_string(level++), w);
    ASSERT_TRUE(t.append());
  }
  void addCompany(int code, const char* name, const char* cgc, const char* cpf, const char* cei) {
    Table t(dict_->find("Empresa"));
    ASSERT_TRUE(t.open(state_->pathFor(t.def().binding)));
    Record& r = t.buffer();
    r.setInt("Codigo", code);
    r.setText("RazaoSocial", utf8ToLatin1(name));
    r.setText("CGC", cgc);
    r.setText("CPF", cpf);
    r.setText("CEI", cei);
    r.setInt("CodigoPlanoContas", 1);
    for (const char* f : {"PLContas", "TipoFornecedor", "TipoCFO", "TipoContaISS"}) r.setInt(f, shell::kOwnCopy);
    ASSERT_TRUE(t.append());
  }
  // Selects the company (binding its files) to write a chart and journal.
  void fillCompany(int code) {
    shell::CompanyFiles files(dict_->find("Empresa"), dict_->find("AltContratuais"));
    Result<shell::CompanyRecord> rec = files.readCompany(*state_, uint16_t(code));
    ASSERT_TRUE(rec);
    shell::CurrentCompany company;
    company.codigo = uint16_t(code);
    company.ano = 2024;
    company.mes = shell::kWholeYear;
    shell::takeCompanyRecord(company, rec.value());
    files.selectCompany(*state_, company, rec.value());
    auto chart = openTable("PlanoContas");
    for (const char* account : {"1", "1.1", "1.1.1", "1.1.1.01", "1.1.1.01.0001", "1.1.1.01.0002"}) {
      chart->buffer().clear();
      chart->buffer().setText("Codigo", account);
      chart->buffer().setInt("SintAnali", std::string_view(account).size() == 13 ? 2 : 1);
      ASSERT_TRUE(chart->insert());
    }
    auto diario = openTable("Diario");
    diarioPath_ = diario->path();
    Record& line = diario->buffer();
    for (int i = 1; i <= 4; ++i) {
      line.clear();
      line.setInt("Data", *toDayNumber(2024, i, 5));
      line.setText("ContaDebito", "1.1.1.01.0001");
      line.setText("ContaCredito", "1.1.1.01.0002");
      line.setDecimal("ValorDebito", *Decimal::parse("10.00", 2));
      line.setDecimal("ValorCredito", *Decimal::parse("10.00", 2));
      ASSERT_TRUE(diario->insert());
    }
  }
  int64_t structureOf(uint16_t code) {
    std::optional<Record> r = screen_->companyRecord(code);
    EXPECT_TRUE(r) << code;
    return r ? r->getInt("CodigoPlanoContas") : -1;
  }
  // Highlights company `code` in the list and presses Incluir, as the view
  // does: the list's part of the reaction afterwards.
  Reaction include(uint16_t code) {
    Reaction show;
    show.showCompany = code;
    EXPECT_TRUE(screen_->applyToCompanyList(show));
    EXPECT_EQ(highlightedCompany(), code);
    Reaction r = screen_->include();
    EXPECT_TRUE(screen_->applyToCompanyList(r));
    return r;
  }
  int64_t highlightedCompany() {
    const Record* row = screen_->companyList().selected();
    return row ? row->getInt("Codigo") : 0;
  }
  std::vector<int64_t> listedCodes() {
    std::vector<int64_t> codes;
    for (const Record& r : screen_->companyList().rows()) codes.push_back(r.getInt("Codigo"));
    return codes;
  }
  std::vector<uint16_t> selectedCodes() {
    std::vector<uint16_t> out;
    for (const SelectedCompany& c : screen_->selected()) out.push_back(c.code);
    return out;
  }
  // Opens the screen, answers the backup question Sim, sets the fields.
  void prepare(uint16_t structure, uint16_t year, std::initializer_list<uint16_t> companies) {
    dialogs_.answerQuestion(2);
    ASSERT_TRUE(screen_->open());
    screen_->acceptStructure(structure);
    screen_->acceptYear(year);
    for (uint16_t c : companies) include(c);
    dialogs_.boxes.clear();
    dialogs_.questions.clear();
    beeps_ = 0;
  }
  // Ajustar confirmed, the worker waited for, the run completed.
  Reaction runToEnd(CountingListener* listener) {
    dialogs_.answerQuestion(2);
    screen_->adjust(listener);
    EXPECT_TRUE(screen_->running());
    screen_->waitForRun();
    return screen_->completeRun();
  }
  bool logHas(const std::string& line) {
    std::vector<std::string> log = screen_->logLines();
    return std::find(log.begin(), log.end(), line) != log.end();
  }

  std::string root_;
  std::shared_ptr<const Dictionary> dict_;
  std::unique_ptr<shell::AppState> state_;
  ErrorServices services_;
  ScriptedDialogs dialogs_;
  ShutdownCoordinator shutdown_;
  std::unique_ptr<ErrorManager> errors_;
  std::unique_ptr<AdjustScreen> screen_;
  int beeps_ = 0;
  std::string diarioPath_;  // journal of company 10
};

TEST_F(AdjustScreenTest, OpeningNamesTheProcedureAndAsksForTheBackup) {
  EXPECT_EQ(errors_->procedure(), "Ajuste_Plano_Contas");
  EXPECT_TRUE(screen_->needsCompanySelection());
  dialogs_.answerQuestion(1);
  EXPECT_FALSE(screen_->open());
  ASSERT_EQ(dialogs_.questions.size(), 1u);
  const QuestionRequest& q = dialogs_.questions[0];
  EXPECT_EQ(q.title, "Atenção!!!");
  EXPECT_EQ(q.text,
            "Atenção!!! É recomendado que antes de efetuar o ajuste em um plano de contas seja feito um backup como "
            "segurança de algum eventual erro. Já foi efetuado um backup???");
  EXPECT_EQ(q.buttonList, "&Não|&Sim");
  EXPECT_EQ(q.icon, MessageIcon::kQuestion);
  dialogs_.answerQuestion(2);
  EXPECT_TRUE(screen_->open());
  EXPECT_TRUE(screen_->companyTable().isOpen());
  screen_.reset();
  EXPECT_EQ(errors_->procedure(), "");
}

TEST_F(AdjustScreenTest, StructureFieldShowsTheMaskOrOpensTheLookup) {
  prepare(0, 2024, {});
  Reaction r = screen_->acceptStructure(2);
  EXPECT_FALSE(r.openLookup);
  EXPECT_EQ(screen_->structureCode(), 2);
  EXPECT_EQ(screen_->formato(), "9.9.9.99.999999");

  r = screen_->acceptStructure(9);  // no such structure
  EXPECT_TRUE(r.openLookup);
  EXPECT_EQ(screen_->structureCode(), 0);
  EXPECT_EQ(screen_->formato(), "");
  r = screen_->lookupClosed(3);
  EXPECT_EQ(r.focus, Control::kStructure);
  EXPECT_EQ(screen_->structureCode(), 3);
  EXPECT_EQ(screen_->formato(), "99.99.99");
  // Closing the list without a choice leaves the field as it is.
  screen_->lookupClosed(std::nullopt);
  EXPECT_EQ(screen_->structureCode(), 3);
  EXPECT_TRUE(screen_->acceptStructure(70000).openLookup);  // beyond any structure code
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(AdjustScreenTest, InscricaoShowsTheFirstRegistrationNumberPresent) {
  prepare(0, 0, {});
  auto inscricaoOf = [&](uint16_t code) { return inscricao(screen_->companyRecord(code).value()); };
  EXPECT_EQ(inscricaoOf(10), "12.345.678/0001-95");
  EXPECT_EQ(inscricaoOf(20), "123.456.789-09");
  EXPECT_EQ(inscricaoOf(30), "12.345.67890-12");  // all twelve digits of the CEI
  Record blank(dict_->find("Empresa"));
  EXPECT_EQ(inscricao(blank), "");
}

TEST_F(AdjustScreenTest, CompanyListTabsOrderByNameThenByCode) {
  prepare(0, 0, {});
  for (const std::string& f : kCompanyListFields) {
    if (!f.empty()) {
      EXPECT_GE(screen_->companyTable().def().fieldIndex(f), 0) << f;
    }
  }
  EXPECT_TRUE(kCompanyListFields[kInscricaoColumn].empty());
  EXPECT_EQ(screen_->companyList().currentTab(), 0);  // "&Razão Social" first
  EXPECT_EQ(listedCodes(), (std::vector<int64_t>{30, 10, 20}));
  const std::vector<Record>& rows = screen_->companyList().rows();
  EXPECT_EQ(screen_->companyRowColour(rows[0]), std::nullopt);
  EXPECT_EQ(screen_->companyRowColour(rows[1]), std::optional<uint32_t>(0xE0E0E0));
  EXPECT_EQ(screen_->companyRowColour(rows[2]), std::nullopt);
  ASSERT_TRUE(screen_->companyList().selectTab(1));  // "Código"
  EXPECT_EQ(listedCodes(), (std::vector<int64_t>{10, 20, 30}));
}

TEST_F(AdjustScreenTest, IncluirWithNoCompanyInTheList) {
  {
    auto emp = openTable("Empresa");
    emp->seekStart(kFileOrder);
    while (emp->next()) ASSERT_TRUE(emp->erase());
  }
  prepare(0, 0, {});
  Reaction r = screen_->include();
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].text, "Atenção!!! É necessário selecionar uma empresa!!!");
  EXPECT_EQ(dialogs_.boxes[0].title, "Atenção!!!");
  EXPECT_EQ(dialogs_.boxes[0].icon, MessageIcon::kError);
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(r.focus, Control::kCompanyList);
  EXPECT_EQ(r.companyStep, 0);
  EXPECT_TRUE(screen_->selected().empty());
}

TEST_F(AdjustScreenTest, IncluirKeepsCodeOrderAndRefusesRepeats) {
  prepare(0, 0, {});
  Reaction r = include(30);  // first row by name
  EXPECT_EQ(r.companyStep, 1);
  EXPECT_EQ(r.focus, Control::kCompanyList);
  EXPECT_EQ(highlightedCompany(), 10);  // one row down: the next press takes the next company
  screen_->include();
  EXPECT_EQ(selectedCodes(), (std::vector<uint16_t>{10, 30}));
  EXPECT_EQ(screen_->selected()[0].name, "Alfa Comércio Ltda");
  EXPECT_EQ(screen_->selectedHighlight(), 1);  // the last row
  r = include(10);
  EXPECT_EQ(dialogs_.boxes.back().text, "Atenção!!! Empresa já inclusa no ajuste de plano de contas!!!");
  EXPECT_EQ(r.companyStep, 1);
  EXPECT_EQ(selectedCodes(), (std::vector<uint16_t>{10, 30}));
  EXPECT_EQ(beeps_, 1);
  include(20);
  EXPECT_EQ(highlightedCompany(), 20);  // the last row stays highlighted
  EXPECT_EQ(selectedCodes(), (std::vector<uint16_t>{10, 20, 30}));

  // Excluir puts the company list back on the company taken out.
  screen_->setSelectedHighlight(0);
  r = screen_->exclude();
  EXPECT_EQ(r.showCompany, std::optional<uint16_t>(10));
  EXPECT_EQ(r.focus, Control::kSelectedList);
  ASSERT_TRUE(screen_->applyToCompanyList(r));
  EXPECT_EQ(highlightedCompany(), 10);
  EXPECT_EQ(selectedCodes(), (std::vector<uint16_t>{20, 30}));
  EXPECT_EQ(screen_->selectedHighlight(), 0);
  ASSERT_TRUE(screen_->companyList().selectTab(1));
  screen_->setSelectedHighlight(1);
  ASSERT_TRUE(screen_->applyToCompanyList(screen_->exclude()));
  EXPECT_EQ(highlightedCompany(), 30);
  screen_->exclude();
  EXPECT_TRUE(screen_->selected().empty());
  EXPECT_EQ(screen_->selectedHighlight(), -1);
  EXPECT_FALSE(screen_->exclude().showCompany);  // nothing left to exclude
}

TEST_F(AdjustScreenTest, AjustarRefusesBeforeAskingAndCancelsOnNao) {
  prepare(0, 2024, {10});
  Reaction r = screen_->adjust(nullptr);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].text, "Atenção!!! É necessário informar o novo código do plano de contas!!!");
  EXPECT_EQ(dialogs_.boxes[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(r.focus, Control::kStructure);
  EXPECT_TRUE(dialogs_.questions.empty());

  // A year other than the working year: the run's own refusal, no question.
  screen_->acceptStructure(2);
  screen_->acceptYear(2023);
  r = screen_->adjust(nullptr);
  EXPECT_EQ(r.focus, Control::kYear);
  EXPECT_EQ(dialogs_.boxes.size(), 2u);
  EXPECT_NE(dialogs_.boxes[1].text.find("2023"), std::string::npos) << dialogs_.boxes[1].text;
  EXPECT_TRUE(dialogs_.questions.empty());
  // A structure with fewer digits in a level is refused too.
  screen_->acceptStructure(3);
  screen_->acceptYear(2024);
  r = screen_->adjust(nullptr);
  EXPECT_EQ(r.focus, Control::kStructure);
  EXPECT_TRUE(dialogs_.questions.empty());

  screen_->acceptStructure(2);
  dialogs_.boxes.clear();
  beeps_ = 0;
  dialogs_.answerQuestion(1);
  r = screen_->adjust(nullptr);
  ASSERT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_EQ(dialogs_.questions[0].text,
            "Atenção!!! As emrpesas selecionadas terão seu plano de contas alterado a partir do ano 2024 para a "
            "estrutura selecionada. Confirma alteração???");
  EXPECT_EQ(dialogs_.questions[0].buttonList, "&Não|&Sim");
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].text, "Operação cancelada!!!");
  EXPECT_EQ(dialogs_.boxes[0].icon, MessageIcon::kError);
  EXPECT_EQ(beeps_, 1);  // the question's; the cancellation is silent
  EXPECT_EQ(r.focus, Control::kClose);
  EXPECT_FALSE(screen_->running());
  EXPECT_EQ(structureOf(10), 1);
}

TEST_F(AdjustScreenTest, CompaniesSharingFilesAreOfferedAndGoTogether) {
  {
    auto empresa = openTable("Empresa");
    for (int code : {20, 30}) {
      empresa->buffer().setInt("Codigo", code);
      ASSERT_TRUE(empresa->get(empresa->def().keyIndex("EMP:KEY:CODIGO")));
      empresa->buffer().setInt("PLContas", shell::kSharedCopy);
      ASSERT_TRUE(empresa->update());
    }
    // The shared standard entries both use.
    Table lanPadrao(dict_->find("LanPadrao"));
    ASSERT_TRUE(lanPadrao.open(root_ + "BCTB/LanPadra.dat"));
    lanPadrao.buffer().setInt("CODIGO", 1);
    lanPadrao.buffer().setText("DEBITO", "1.1.1.01.0001");
    ASSERT_TRUE(lanPadrao.append());
  }
  // "&Não": nothing runs, 30 is not added.
  prepare(2, 2024, {20});
  dialogs_.answerQuestion(1);
  Reaction r = screen_->adjust(nullptr);
  ASSERT_EQ(dialogs_.questions.size(), 1u) << "the confirmation is not reached";
  EXPECT_NE(dialogs_.questions[0].text.find("A empresa 30 usa(m) arquivos compartilhados"), std::string::npos);
  EXPECT_EQ(dialogs_.questions[0].buttonList, "&Não|&Sim");
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].text, "Operação cancelada!!!");
  EXPECT_EQ(r.focus, Control::kClose);
  EXPECT_FALSE(screen_->running());
  EXPECT_EQ(structureOf(20), 1);
  EXPECT_EQ(selectedCodes(), (std::vector<uint16_t>{20}));
  // "&Sim" to the offer and to the confirmation: both are adjusted.
  dialogs_.answerQuestion(2);
  dialogs_.answerQuestion(2);
  screen_->adjust(nullptr);
  EXPECT_EQ(selectedCodes(), (std::vector<uint16_t>{20, 30}));
  screen_->waitForRun();
  screen_->completeRun();
  EXPECT_EQ(structureOf(20), 2);
  EXPECT_EQ(structureOf(30), 2);
  // "Restaurar" on 30 puts both back; 20 being current, the toolbar's
  // structure follows.
  shell::CurrentCompany current = state_->company();
  current.codigo = 20;
  current.codPlanoContas = 2;
  state_->setCompany(current);
  screen_->setSelectedHighlight(1);
  dialogs_.answerQuestion(2);
  screen_->restore();
  EXPECT_EQ(dialogs_.questions.back().text, restoreQuestion(30));
  EXPECT_EQ(structureOf(20), 1);
  EXPECT_EQ(structureOf(30), 1);
  EXPECT_EQ(state_->company().codPlanoContas, 1);
}

TEST_F(AdjustScreenTest, RunConvertsTheListAndEndsWithTheSuccessMessage) {
  prepare(2, 2024, {10, 20});
  CountingListener listener;
  dialogs_.answerQuestion(2);
  screen_->adjust(&listener);
  EXPECT_EQ(screen_->tab(), ScreenTab::kProcessedData);
  // Until the run is completed the screen takes no input.
  EXPECT_TRUE(screen_->running());
  screen_->acceptStructure(3);
  screen_->acceptYear(1999);
  include(30);
  screen_->setSelectedHighlight(0);
  screen_->exclude();
  EXPECT_EQ(screen_->structureCode(), 2);
  EXPECT_EQ(screen_->year(), 2024);
  EXPECT_EQ(selectedCodes(), (std::vector<uint16_t>{10, 20}));
  screen_->adjust(&listener);  // a second press does nothing
  EXPECT_EQ(dialogs_.questions.size(), 1u);

  screen_->waitForRun();
  EXPECT_EQ(listener.ended, 1);
  EXPECT_EQ(listener.changes, 1);  // never re-armed by progress()
  Reaction r = screen_->completeRun();
  EXPECT_FALSE(screen_->running());
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].text, "Ajuste concluído com sucesso!!!");
  EXPECT_EQ(dialogs_.boxes[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(r.focus, Control::kClose);
  EXPECT_TRUE(r.refreshCompanies);
  EXPECT_FALSE(r.closeScreen);

  RunProgress p = screen_->progress();
  EXPECT_FALSE(p.running);
  EXPECT_EQ(p.companiesTotal, 2);
  EXPECT_EQ(p.companiesDone, 2);
  EXPECT_EQ(p.logLines, screen_->logLines().size());
  EXPECT_TRUE(logHas("-Alterando cadastro da empresa 10 - Alfa Comércio Ltda no código do plano de contas."));
  EXPECT_TRUE(logHas("-Alterando cadastro da empresa 20 - Beta Serviços no código do plano de contas."));
  EXPECT_TRUE(logHas("   Plano de contas ajustado. Registros do aquivo 6 Registros ajustados 6"));
  EXPECT_TRUE(logHas("   Lançamentos da contabilidade ajustado. Registros do aquivo 4 Registros ajustados 4"));
  EXPECT_EQ(structureOf(10), 2);
  EXPECT_EQ(structureOf(20), 2);
  EXPECT_EQ(structureOf(30), 1);
  EXPECT_EQ(selectedCodes(), (std::vector<uint16_t>{10, 20}));  // left as it was
  EXPECT_EQ(state_->company().codigo, 20);
  EXPECT_EQ(state_->company().codPlanoContas, 2);  // the toolbar follows the current company
  EXPECT_EQ(shutdown_.activeBulkOperations(), 0);

  // A second run empties the log; the companies are already on structure 2.
  Reaction again = runToEnd(nullptr);
  EXPECT_TRUE(screen_->logLines().empty());
  EXPECT_EQ(dialogs_.boxes.back().text, "Ajuste concluído com sucesso!!!");
  EXPECT_EQ(again.focus, Control::kClose);
}

TEST_F(AdjustScreenTest, EmptyListStillAsksAndSucceeds) {
  prepare(2, 2024, {});
  runToEnd(nullptr);
  EXPECT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_EQ(dialogs_.boxes.back().text, "Ajuste concluído com sucesso!!!");
  EXPECT_EQ(screen_->progress().companiesTotal, 0);
}

TEST_F(AdjustScreenTest, StopFinishesTheCompanyInHandAndLeavesTheRest) {
  prepare(2, 2024, {10, 20, 30});
  CountingListener listener;
  listener.screen = screen_.get();
  listener.stopAfter = "-Alterando cadastro da empresa 10 ";
  runToEnd(&listener);
  EXPECT_EQ(structureOf(10), 2);  // finished, not rolled back
  EXPECT_EQ(structureOf(20), 1);
  EXPECT_EQ(structureOf(30), 1);
  EXPECT_TRUE(logHas("-Interrompendo o ajuste ao final da empresa atual."));
  ASSERT_FALSE(dialogs_.boxes.empty());
  EXPECT_EQ(dialogs_.boxes.back().text,
            "Atenção!!! Ajuste interrompido. As empresas que ainda não haviam sido ajustadas não foram alteradas!!!");
  EXPECT_EQ(dialogs_.boxes.back().icon, MessageIcon::kError);
  EXPECT_EQ(screen_->progress().companiesDone, 1);
}

TEST_F(AdjustScreenTest, ShutdownStopsTheRunBeforeTheNextCompany) {
  prepare(2, 2024, {10, 20});
  shutdown_.requestShutdown("teste");
  runToEnd(nullptr);
  EXPECT_EQ(structureOf(10), 1);
  EXPECT_EQ(structureOf(20), 1);
  EXPECT_EQ(shutdown_.activeBulkOperations(), 0);
}

TEST_F(AdjustScreenTest, CloseWhileRunningAsksThenClosesAfterTheRun) {
  prepare(2, 2024, {10});
  EXPECT_TRUE(screen_->close().closeScreen);  // idle: closes at once
  EXPECT_TRUE(dialogs_.questions.empty());

  dialogs_.answerQuestion(2);  // confirmation
  screen_->adjust(nullptr);
  dialogs_.answerQuestion(1);  // keep running
  EXPECT_FALSE(screen_->close().closeScreen);
  ASSERT_EQ(dialogs_.questions.size(), 2u);
  EXPECT_EQ(dialogs_.questions[1].text,
            "Atenção!!! O ajuste está em andamento. Deseja interromper o ajuste ao final da empresa que está sendo "
            "ajustada???");
  dialogs_.answerQuestion(2);  // stop and close
  EXPECT_FALSE(screen_->close().closeScreen);
  EXPECT_FALSE(screen_->close().closeScreen);  // already stopping: not asked again
  EXPECT_EQ(dialogs_.questions.size(), 3u);
  screen_->waitForRun();
  Reaction r = screen_->completeRun();
  EXPECT_TRUE(r.closeScreen);
  EXPECT_EQ(dialogs_.boxes.size(), 1u);  // the outcome is still told
}

TEST_F(AdjustScreenTest, DestroyingTheScreenWaitsForTheRun) {
  prepare(2, 2024, {10, 20});
  dialogs_.answerQuestion(2);
  screen_->adjust(nullptr);
  screen_.reset();  // stops at a company boundary and joins
  EXPECT_EQ(shutdown_.activeBulkOperations(), 0);
  // Company 10 is either converted in full or untouched.
  auto emp = openTable("Empresa");
  emp->buffer().setInt("Codigo", 10);
  ASSERT_TRUE(emp->get(emp->def().keyIndex("EMP:KEY:CODIGO")));
  const std::string expected = emp->buffer().getInt("CodigoPlanoContas") == 2 ? "1.1.1.01.000001" : "1.1.1.01.0001";
  Table diario(dict_->find("Diario"));
  ASSERT_TRUE(diario.open(diarioPath_, OpenMode::kReadOnly));
  diario.seekStart(kFileOrder);
  int rows = 0;
  while (diario.next()) {
    EXPECT_EQ(diario.buffer().getText("ContaDebito"), expected);
    ++rows;
  }
  EXPECT_EQ(rows, 4);
}

}  // namespace
}  // namespace vorlam::adjust
