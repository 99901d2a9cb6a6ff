#include "shell/company_selection.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dictionary/dictionary.h"
#include "shell/startup.h"
#include "storage/fault_vfs.h"
#include "storage/test_util.h"

namespace vorlam::shell {
namespace {

const Dictionary& dictionary() {
  static const std::shared_ptr<const Dictionary> kDictionary = buildDictionary();
  return *kDictionary;
}

TEST(CompanySelection, MonthNames) {
  EXPECT_EQ(monthDescription(1, ""), "Janeiro");
  EXPECT_EQ(monthDescription(3, ""), "Março");
  EXPECT_EQ(monthDescription(12, ""), "Dezembro");
  EXPECT_EQ(monthDescription(13, ""), "Todo o Ano");
  EXPECT_EQ(monthDescription(0, "Maio"), "Maio");
  EXPECT_EQ(monthDescription(14, "Maio"), "Maio");
}

TEST(CompanySelection, OpeningWithoutCompanyOrYearTakesToday) {
  CurrentCompany none;
  none.ano = 2010;  // a year without a company is cleared first
  none.mes = 4;
  preparePeriod(none, {2024, 7, 15});
  EXPECT_EQ(none.ano, 2024);
  EXPECT_EQ(none.mes, 7);

  CurrentCompany set;
  set.codigo = 3;
  set.ano = 2015;
  set.mes = kWholeYear;
  preparePeriod(set, {2024, 7, 15});
  EXPECT_EQ(set.ano, 2015);
  EXPECT_EQ(set.mes, kWholeYear);
}

TEST(CompanySelection, Handover) {
  EXPECT_EQ(handoverFrom(0), Handover::kFree);
  EXPECT_EQ(handoverFrom(2), Handover::kPreset);
  EXPECT_EQ(handoverFrom(3), Handover::kLocked);
  EXPECT_EQ(handoverFrom(4), Handover::kFree);
  CurrentCompany none;
  EXPECT_FALSE(mayCloseSelection(none, Handover::kFree));
  EXPECT_FALSE(mayCloseSelection(none, Handover::kPreset));
  EXPECT_TRUE(mayCloseSelection(none, Handover::kLocked));
  none.codigo = 1;
  EXPECT_TRUE(mayCloseSelection(none, Handover::kFree));
}

TEST(CompanySelection, RepairsOfABlankCompanyRecord) {
  Record emp(dictionary().find("Empresa"));
  emp.setInt("EMP:Codigo", 8);
  emp.setInt("EMP:CodRespEscr", 44);
  EXPECT_TRUE(applyRepair(emp, Repair::kChartType));
  EXPECT_TRUE(applyRepair(emp, Repair::kStructure));
  EXPECT_TRUE(applyRepair(emp, Repair::kResponsible));
  EXPECT_EQ(emp.getInt("EMP:PLContas"), 1);
  EXPECT_EQ(emp.getInt("EMP:CodigoPlanoContas"), 1);
  EXPECT_EQ(emp.getText("EMP:GrupoFornecedor"), "2.1.1.04");
  EXPECT_EQ(emp.getText("EMP:GrupoCliente"), "1.1.2.01");
  EXPECT_EQ(emp.getInt("EMP:CodRespCTB"), 44);
  // Nothing more is due once repaired.
  for (Repair r : kRepairs) EXPECT_FALSE(applyRepair(emp, r));

  Record kept(dictionary().find("Empresa"));
  kept.setInt("EMP:CodigoPlanoContas", 5);
  kept.setText("EMP:GrupoFornecedor", "9.9");
  EXPECT_FALSE(applyRepair(kept, Repair::kStructure));
  EXPECT_EQ(kept.getText("EMP:GrupoFornecedor"), "9.9");
  EXPECT_FALSE(applyRepair(kept, Repair::kResponsible));  // no fiscal responsible either

  EXPECT_EQ(repairFailureMessage(Repair::kStructure, 5), "Atenção!!! Erro no plano de contas : 5");
  EXPECT_EQ(repairFailureMessage(Repair::kResponsible, 33), "Atenção!!! Erro no responsável : 33");
}

TEST(CompanySelection, TakeRecordAndChartDescription) {
  CompanyRecord rec;
  rec.found = true;
  rec.razaoSocial = "Padaria São João";
  rec.uf = "SP";
  rec.plContas = 2;
  rec.codigoPlanoContas = 4;
  rec.tipoCfo = 2;
  CurrentCompany c;
  c.codigo = 12;
  c.ano = 2015;
  takeCompanyRecord(c, rec);
  EXPECT_EQ(c.razao, "Padaria São João");
  EXPECT_EQ(c.tpContasDesc, "Individual");
  EXPECT_EQ(c.codPlanoContas, 4);
  EXPECT_EQ(c.tipoCfo, 2);
  EXPECT_EQ(c.ano, 2015);
  rec.plContas = 7;  // an unknown type keeps the description
  takeCompanyRecord(c, rec);
  EXPECT_EQ(c.tpContasDesc, "Individual");
}

TEST(CompanySelection, CancelRestoresThePreviousCompanyAndItsNames) {
  testing::TempDir tmp;
  auto state = startUp(tmp.path() + "/dados", nullptr);
  CompanyFiles files(dictionary().find("Empresa"), dictionary().find("AltContratuais"));
  CurrentCompany first;
  first.codigo = 1;
  first.razao = "Primeira";
  first.plContas = 2;
  first.codPlanoContas = 3;
  first.ano = 2015;
  first.mes = 1;
  files.selectCompany(*state, first, {});

  CurrentCompany editing = state->company();
  SelectionMemo memo = rememberSelection(editing);
  editing.codigo = 2;
  CompanyRecord other;
  other.razaoSocial = "Segunda";
  other.plContas = 1;
  other.codigoPlanoContas = 9;
  takeCompanyRecord(editing, other);
  editing.ano = 2016;  // the period edit survives Cancel
  restoreSelection(editing, memo);
  files.selectCompany(*state, editing, {});

  AppSnapshot s = state->snapshot();
  EXPECT_EQ(s.company.codigo, 1);
  EXPECT_EQ(s.company.razao, "Primeira");
  EXPECT_EQ(s.company.ano, 2016);
  EXPECT_EQ(s.pathFor(kPlanoContasFile), testing::nativePath(state->dataRoot() + "00000001/PlCon003.dat"));
  EXPECT_EQ(s.pathFor("Diario.dat"), testing::nativePath(state->dataRoot() + "00000001/Ctb/2016/Diario.dat"));
}

// --- The screen's controller, dialogs answered by script -----------------

struct CompanyRow {
  uint16_t code = 0;
  std::string razao = "Empresa";
  std::string uf = "SP";
  int plContas = 1;
  int plano = 1;
  int tipoFornecedor = 1;
  int respEscrita = 0;
};

class SelectionTest : public ::testing::Test {
 protected:
  SelectionTest()
      : state_(startUp(tmp_.path() + "/dados", nullptr)),
        settings_(tmp_.path() + "/ini"),
        errors_(services_, dialogs_, application_) {}

  void addCompany(const CompanyRow& row) {
    Table t(dictionary().find("Empresa"));
    ASSERT_TRUE(t.open(state_->pathFor(kEmpresaFile)).isOk());
    Record& b = t.buffer();
    b.clear();
    b.setInt("EMP:Codigo", row.code);
    b.setText("Emp:RazaoSocial", row.razao);
    b.setText("EMP:UF", row.uf);
    b.setInt("EMP:PLContas", row.plContas);
    b.setInt("EMP:CodigoPlanoContas", row.plano);
    b.setInt("EMP:TipoFornecedor", row.tipoFornecedor);
    b.setInt("EMP:CodRespEscr", row.respEscrita);
    ASSERT_TRUE(t.append().isOk());
  }

  // The stored record of company `code`.
  Record stored(uint16_t code) {
    Table t(dictionary().find("Empresa"));
    EXPECT_TRUE(t.open(state_->pathFor(kEmpresaFile)).isOk());
    t.buffer().setInt("EMP:Codigo", code);
    EXPECT_TRUE(t.get(t.def().keyIndex("EMP:KEY:CODIGO")).isOk());
    return t.buffer();
  }

  void renameCompany(uint16_t code, const std::string& razao) {
    Table t(dictionary().find("Empresa"));
    ASSERT_TRUE(t.open(state_->pathFor(kEmpresaFile)).isOk());
    t.buffer().setInt("EMP:Codigo", code);
    ASSERT_TRUE(t.get(t.def().keyIndex("EMP:KEY:CODIGO")).isOk());
    t.buffer().setText("Emp:RazaoSocial", razao);
    ASSERT_TRUE(t.update().isOk());
  }

  std::unique_ptr<CompanySelection> screen(CompanySelection::Picker picker = nullptr) {
    auto s = std::make_unique<CompanySelection>(*state_, dictionary(), errors_, settings_,
                                                std::move(picker), CivilDate{2024, 7, 15});
    EXPECT_TRUE(s->open().isOk());
    s->windowUp();
    return s;
  }

  // Selects `code` for `ano`/`mes` through the screen.
  void choose(uint16_t code, int ano, int mes) {
    auto s = screen();
    s->setCode(code);
    s->acceptCode();
    ASSERT_TRUE(s->setYear(ano));
    ASSERT_TRUE(s->setMonth(mes));
    ASSERT_TRUE(s->select());
  }

  void setHandover(const std::string& value) {
    ASSERT_TRUE(settings_.write(kHandoverSection, kHandoverEntry, value, kHandoverFile).isOk());
  }
  std::string handover() { return settings_.read(kHandoverSection, kHandoverEntry, "", "Ctb.ini"); }

  testing::TempDir tmp_;
  std::unique_ptr<AppState> state_;
  SettingsFiles settings_;
  ErrorServices services_;
  ScriptedDialogs dialogs_;
  ShutdownCoordinator application_;
  ErrorManager errors_;
};

TEST_F(SelectionTest, NoCompanyNoYearTakesTodayAndCannotClose) {
  CurrentCompany blank;
  blank.ano = 2010;  // left by an earlier screen; cleared without a company
  state_->setCompany(blank);
  auto s = screen();
  EXPECT_EQ(errors_.procedure(), "SelectEmpresa");
  EXPECT_EQ(s->values().ano, 2024);
  EXPECT_EQ(s->values().mes, 7);
  EXPECT_EQ(s->monthText(), "Julho");

  EXPECT_FALSE(s->select());
  EXPECT_FALSE(s->cancel());  // not even Cancel closes without a company
  ASSERT_EQ(dialogs_.boxes.size(), 2u);
  EXPECT_EQ(dialogs_.boxes[0].text, "Selecione uma Empresa !");
  EXPECT_EQ(dialogs_.boxes[0].title, "Atenção");
  EXPECT_EQ(dialogs_.boxes[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(s->takeFocusRequest(), CompanySelection::Focus::kCode);
  EXPECT_TRUE(s->isOpen());
  EXPECT_EQ(state_->company().ano, 2010);  // nothing is current before closing
}

TEST_F(SelectionTest, CompanyWithoutStructureIsRepairedAndBound) {
  addCompany({.code = 5, .razao = "Padaria Sol", .uf = "MG", .plContas = 0, .plano = 0,
              .respEscrita = 44});
  auto s = screen();
  s->setCode(5);
  s->acceptCode();
  EXPECT_EQ(s->values().razao, "Padaria Sol");
  EXPECT_EQ(s->values().uf, "MG");
  EXPECT_EQ(s->values().plContas, 1);
  EXPECT_EQ(s->values().codPlanoContas, 1);
  EXPECT_EQ(s->values().tpContasDesc, "Geral");
  EXPECT_TRUE(dialogs_.boxes.empty());

  Record r = stored(5);
  EXPECT_EQ(r.getInt("EMP:PLContas"), 1);
  EXPECT_EQ(r.getInt("EMP:CodigoPlanoContas"), 1);
  EXPECT_EQ(r.getText("EMP:GrupoFornecedor"), "2.1.1.04");
  EXPECT_EQ(r.getText("EMP:GrupoCliente"), "1.1.2.01");
  EXPECT_EQ(r.getInt("EMP:CodRespCTB"), 44);

  setHandover("1");
  ASSERT_TRUE(s->select());
  EXPECT_TRUE(s->isClosed());
  EXPECT_EQ(errors_.procedure(), "");
  EXPECT_EQ(handover(), "0");
  AppSnapshot now = state_->snapshot();
  EXPECT_EQ(now.company.codigo, 5);
  EXPECT_EQ(now.company.ano, 2024);
  EXPECT_EQ(now.pathFor(kPlanoContasFile), testing::nativePath(state_->dataRoot() + "BCTB/PlCon001.dat"));
  EXPECT_EQ(now.pathFor("Diario.dat"), testing::nativePath(state_->dataRoot() + "00000005/Ctb/2024/Diario.dat"));
  EXPECT_TRUE(std::filesystem::is_directory(testing::nativePath(state_->dataRoot() + "00000005/Escrita/2024")));
}

TEST_F(SelectionTest, FailedRepairWritesAreReportedAndTheSelectionGoesOn) {
  addCompany({.code = 8, .razao = "Oficina", .plContas = 0, .plano = 0, .respEscrita = 3});
  // Every write of the repairs is refused, as by a full disk.
  FaultVfs disk;
  auto s = screen();
  s->setCode(8);
  disk.setSpaceLimit(0);
  s->acceptCode();
  disk.reset();
  ASSERT_EQ(dialogs_.boxes.size(), 3u);
  EXPECT_TRUE(dialogs_.boxes[0].text.starts_with("Atenção!!! Erro no plano de contas : "));
  EXPECT_TRUE(dialogs_.boxes[1].text.starts_with("Atenção!!! Erro no plano de contas : "));
  EXPECT_TRUE(dialogs_.boxes[2].text.starts_with("Atenção!!! Erro no responsável : "));
  EXPECT_GT(dialogs_.boxes[2].text.size(), std::string("Atenção!!! Erro no responsável : ").size());
  for (const auto& box : dialogs_.boxes) {
    EXPECT_EQ(box.title, "Atenção!!!");
    EXPECT_EQ(box.icon, MessageIcon::kError);
  }
  // The values repaired in memory are the ones taken.
  EXPECT_EQ(s->values().codPlanoContas, 1);
  EXPECT_EQ(s->values().plContas, 1);
  EXPECT_EQ(stored(8).getInt("EMP:CodigoPlanoContas"), 0);
  EXPECT_TRUE(s->select());
  EXPECT_EQ(state_->company().codigo, 8);
}

TEST_F(SelectionTest, UnknownCodeOpensTheSearch) {
  addCompany({.code = 3, .razao = "Três"});
  addCompany({.code = 7, .razao = "Sete", .plContas = 2, .plano = 4});
  std::vector<std::optional<uint16_t>> answers = {7, std::nullopt};
  int asked = 0;
  auto s = screen([&]() -> std::optional<uint16_t> { return answers[size_t(asked++)]; });
  s->setCode(99);
  s->acceptCode();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(s->values().codigo, 7);
  EXPECT_EQ(s->values().razao, "Sete");
  EXPECT_EQ(s->values().codPlanoContas, 4);
  EXPECT_EQ(s->values().tpContasDesc, "Individual");
  EXPECT_EQ(s->takeFocusRequest(), CompanySelection::Focus::kCode);

  // Leaving the list without a choice keeps the company shown, and its code.
  s->setCode(98);
  s->acceptCode();
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(s->values().codigo, 7);
  EXPECT_EQ(s->values().razao, "Sete");
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(SelectionTest, PresetCompanyIsReadAgainAndLocked) {
  addCompany({.code = 4, .razao = "Antigo"});
  choose(4, 2015, 3);
  renameCompany(4, "Novo Nome");
  setHandover("2");
  int asked = 0;
  auto s = screen([&]() -> std::optional<uint16_t> { ++asked; return 4; });
  EXPECT_FALSE(s->codeEntryEnabled());
  EXPECT_EQ(s->values().razao, "Novo Nome");
  s->search();
  s->setCode(9);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(s->values().codigo, 4);
  EXPECT_TRUE(s->select());
  EXPECT_EQ(handover(), "0");
  EXPECT_EQ(state_->company().razao, "Novo Nome");
}

TEST_F(SelectionTest, LockedHandoverMayCloseWithoutCompany) {
  setHandover("3");
  auto s = screen();
  EXPECT_FALSE(s->codeEntryEnabled());
  EXPECT_TRUE(s->requestClose());
  EXPECT_TRUE(dialogs_.boxes.empty());
  EXPECT_EQ(state_->company().codigo, 0);
  EXPECT_EQ(state_->company().ano, 2024);
  EXPECT_EQ(state_->pathFor("Diario.dat"), "");  // no company, no company names
  EXPECT_EQ(handover(), "0");
}

TEST_F(SelectionTest, CancelRestoresThePreviousCompanyFromItsRecord) {
  addCompany({.code = 1, .razao = "Primeira", .plContas = 2, .plano = 3, .tipoFornecedor = 2});
  addCompany({.code = 2, .razao = "Segunda", .plContas = 1, .plano = 9, .tipoFornecedor = 1});
  choose(1, 2015, 1);
  auto s = screen();
  s->setCode(2);
  s->acceptCode();
  EXPECT_EQ(s->values().razao, "Segunda");
  ASSERT_TRUE(s->setYear(2016));
  ASSERT_TRUE(s->cancel());
  AppSnapshot now = state_->snapshot();
  EXPECT_EQ(now.company.codigo, 1);
  EXPECT_EQ(now.company.razao, "Primeira");
  EXPECT_EQ(now.company.tpContasDesc, "Individual");
  EXPECT_EQ(now.company.ano, 2016);  // the period edit stays
  const std::string dir = testing::nativePath(state_->dataRoot() + "00000001/");
  EXPECT_EQ(now.pathFor(kPlanoContasFile), dir + "PlCon003.dat");
  EXPECT_EQ(now.pathFor("Diario.dat"), testing::nativePath(dir + "Ctb/2016/Diario.dat"));
  // Company 1 keeps its own suppliers file: its record, not the one shown
  // last, gives the default.
  EXPECT_EQ(now.pathFor("ForCli.dat"), testing::nativePath(dir + "Escrita/ForCli.dat"));
  EXPECT_EQ(now.company.tipoFornecedor, 2);
}

TEST_F(SelectionTest, MonthNamesAndThePeriodRange) {
  addCompany({.code = 6});
  auto s = screen();
  s->setCode(6);
  s->acceptCode();
  ASSERT_TRUE(s->setMonth(13));
  EXPECT_EQ(s->monthText(), "Todo o Ano");
  EXPECT_FALSE(s->setMonth(14));
  EXPECT_FALSE(s->setMonth(0));
  EXPECT_EQ(s->values().mes, 13);
  EXPECT_EQ(s->monthText(), "Todo o Ano");
  EXPECT_EQ(s->takeFocusRequest(), CompanySelection::Focus::kMonth);
  EXPECT_FALSE(s->setYear(0));
  EXPECT_FALSE(s->setYear(9999));
  EXPECT_TRUE(s->setYear(1801));
  ASSERT_TRUE(s->setYear(2015));
  ASSERT_EQ(dialogs_.boxes.size(), 4u);
  EXPECT_EQ(dialogs_.boxes[0].text, kInvalidMonthMessage);
  EXPECT_EQ(dialogs_.boxes[2].text, kInvalidYearMessage);
  EXPECT_EQ(dialogs_.boxes[2].title, "Atenção!!!");
  ASSERT_TRUE(s->select());
  EXPECT_EQ(state_->company().mes, kWholeYear);
  EXPECT_EQ(state_->pathFor("Diario.dat"), testing::nativePath(state_->dataRoot() + "00000006/Ctb/2015/Diario.dat"));
}

TEST_F(SelectionTest, AMonthClearedByAnotherScreenMustBeGivenBeforeClosing) {
  addCompany({.code = 6});
  choose(6, 2015, 4);
  CurrentCompany c = state_->company();
  c.mes = 0;  // the company list clears a whole-year month
  state_->setCompany(c);
  auto s = screen();
  EXPECT_EQ(s->monthText(), "");
  EXPECT_FALSE(s->select());
  EXPECT_EQ(dialogs_.boxes.back().text, kInvalidMonthMessage);
  EXPECT_EQ(s->takeFocusRequest(), CompanySelection::Focus::kMonth);
  ASSERT_TRUE(s->setMonth(5));
  EXPECT_EQ(s->monthText(), "Maio");
  EXPECT_TRUE(s->select());
  EXPECT_EQ(state_->company().mes, 5);
}

TEST_F(SelectionTest, CompanyFileThatCannotBeOpenedStopsTheScreen) {
  std::filesystem::create_directories(state_->pathFor(kEmpresaFile));  // a directory in its place
  CompanySelection s(*state_, dictionary(), errors_, settings_, nullptr, CivilDate{2024, 7, 15});
  EXPECT_FALSE(s.open().isOk());
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].title, "Erro de Acesso de arquivo");
  EXPECT_TRUE(application_.shutdownRequested());
  EXPECT_TRUE(s.requestClose());
  EXPECT_EQ(errors_.procedure(), "");
}

}  // namespace
}  // namespace vorlam::shell
