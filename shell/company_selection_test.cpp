#include "shell/company_selection.h"

#include <gtest/gtest.h>

#include "dictionary/dictionary.h"
#include "shell/startup.h"
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
  EXPECT_EQ(s.pathFor(kPlanoContasFile), state->dataRoot() + "00000001/PlCon003.dat");
  EXPECT_EQ(s.pathFor("Diario.dat"), state->dataRoot() + "00000001/Ctb/2016/Diario.dat");
}

}  // namespace
}  // namespace vorlam::shell
