#include "dictionary/field_rules.h"

#include <gtest/gtest.h>

#include "dictionary/dictionary.h"

namespace vorlam {
namespace {

class FieldRules : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { dict_ = buildDictionary(); }
  static const TableDef& table(const char* label) { return *dict_->find(label); }
  static std::shared_ptr<const Dictionary> dict_;
};
std::shared_ptr<const Dictionary> FieldRules::dict_;

// Sets an integer field and returns its check.
FieldCheck checkInt(Record& r, const char* field, int64_t value) {
  int f = r.def().fieldIndex(field);
  EXPECT_GE(f, 0) << field;
  EXPECT_TRUE(r.setInt(f, value).isOk()) << field << " = " << value;
  return checkField(r, f);
}

FieldCheck checkText(Record& r, const char* field, const char* latin1) {
  int f = r.def().fieldIndex(field);
  EXPECT_TRUE(r.setText(f, latin1).isOk());
  return checkField(r, f);
}

TEST_F(FieldRules, ValueInListReportsDescriptionAndChoiceText) {
  Record r(&table("Funcionarios"));
  for (int v : {1, 2, 3, 4}) EXPECT_TRUE(checkInt(r, "FUN:EstadoCivil", v).valid) << v;
  FieldCheck bad = checkInt(r, "FUN:EstadoCivil", 5);
  EXPECT_FALSE(bad.valid);
  EXPECT_EQ(bad.message, kMsgNotInList);
  EXPECT_EQ(bad.field, r.def().fieldIndex("FUN:ESTADOCIVIL"));
  EXPECT_EQ(bad.name, "Estado civil do funcion\u00e1rio");
  EXPECT_EQ(bad.detail, "'1-Solteiro','2-Casado','3-Vi\u00favo','4-Outros'");
  EXPECT_FALSE(checkInt(r, "FUN:EstadoCivil", 0).valid);

  const FieldRule* sexo = r.def().ruleFor(r.def().fieldIndex("FUN:Sexo"));
  ASSERT_NE(sexo, nullptr);
  EXPECT_EQ(listText(*sexo), "]1[]2[");
}

TEST_F(FieldRules, WholeValuesOnlyNoPartialMatches) {
  Record r(&table("Empresa"));
  // 1..5 and 10..13: "1" must not match inside "]10[", nor "0" nor "3" alone.
  for (int v : {1, 5, 10, 13}) EXPECT_TRUE(checkInt(r, "EMP:ClassEstabIPI", v).valid) << v;
  for (int v : {0, 6, 9, 14, 101}) EXPECT_FALSE(checkInt(r, "EMP:ClassEstabIPI", v).valid) << v;
  // The trailing note after the values is not a value of the list.
  const FieldRule* hist = r.def().ruleFor(r.def().fieldIndex("EMP:TipoHist"));
  ASSERT_NE(hist, nullptr);
  EXPECT_EQ(listText(*hist), "]1[]2[");
  EXPECT_EQ(hist->choiceText, "'1-Geral','2-Individual'");
  // A list without a stated description is named after the field.
  FieldCheck reflexos = checkInt(r, "EMP:Reflexos", 3);
  EXPECT_EQ(reflexos.name, "EMP:Reflexos");
  EXPECT_EQ(reflexos.detail, "'0-Paga','1-N\u00e3o Paga','2-Paga na 2\u00aa Parcela'");

  Record s(&table("RegSaida"));
  EXPECT_TRUE(checkInt(s, "REGS:IndCredito", 99).valid);
  EXPECT_FALSE(checkInt(s, "REGS:IndCredito", 4).valid);
  EXPECT_FALSE(checkInt(s, "REGS:IndCredito", 9).valid);

  Record d(&table("Dependentes"));
  EXPECT_TRUE(checkInt(d, "DEP:TIPO", 15).valid);
  EXPECT_FALSE(checkInt(d, "DEP:TIPO", 16).valid);
  EXPECT_FALSE(checkInt(d, "DEP:TIPO", 0).valid);
}

TEST_F(FieldRules, TextListsCompareLetters) {
  Record r(&table("ISS51"));
  for (const char* v : {"A", "B", "C", "D", "E", "F", "G", "I"})
    EXPECT_TRUE(checkText(r, "ISS:NaturezaOperacao", v).valid) << v;
  for (const char* v : {"H", "J", "a", " ", ""}) {
    FieldCheck c = checkText(r, "ISS:NaturezaOperacao", v);
    EXPECT_FALSE(c.valid) << "'" << v << "'";
    EXPECT_EQ(c.message, kMsgNotInList);
  }
  Record p(&table("ProdRegEntrada"));
  EXPECT_TRUE(checkText(p, "PRE:INDICADORTRIBUTACAOIPI", "3").valid);
  EXPECT_FALSE(checkText(p, "PRE:INDICADORTRIBUTACAOIPI", "4").valid);
  EXPECT_TRUE(checkText(p, "PRE:INDICADORMOVFISICAMERC", "S").valid);
  EXPECT_FALSE(checkText(p, "PRE:INDICADORMOVFISICAMERC", "s").valid);
}

TEST_F(FieldRules, RangeOfMesDataBase) {
  Record r(&table("Empresa"));
  EXPECT_TRUE(checkInt(r, "EMP:MesDataBase", 1).valid);
  EXPECT_TRUE(checkInt(r, "EMP:MesDataBase", 12).valid);
  for (int v : {0, 13, 255}) {
    FieldCheck c = checkInt(r, "EMP:MesDataBase", v);
    EXPECT_FALSE(c.valid) << v;
    EXPECT_EQ(c.message, kMsgNotInRange);
    EXPECT_EQ(c.name, "M\u00eas data base");
    EXPECT_EQ(c.detail, "1 .. 12");
  }
  // The alias carries the same rule on its own field.
  Record a(&table("Empresa0"));
  FieldCheck alias = checkInt(a, "EMP0:MesDataBase", 13);
  EXPECT_FALSE(alias.valid);
  EXPECT_EQ(alias.name, "M\u00eas data base");
  EXPECT_EQ(checkInt(a, "EMP0:Reflexos", 3).name, "EMP0:Reflexos");
}

TEST_F(FieldRules, UpperLimitOfWeeklyHours) {
  Record r(&table("Funcionarios"));
  EXPECT_TRUE(checkInt(r, "FUN:QtdHorasSem", 0).valid);
  EXPECT_TRUE(checkInt(r, "FUN:QtdHorasSem", 44).valid);
  FieldCheck c = checkInt(r, "FUN:QtdHorasSem", 45);
  EXPECT_FALSE(c.valid);
  EXPECT_EQ(c.message, kMsgAboveLimit);
  EXPECT_EQ(c.name, "Quantidade de horas trabalhadas por semana");
  EXPECT_EQ(c.detail, "44");
}

TEST_F(FieldRules, FieldsWithoutRulesAndWholeRecords) {
  Record r(&table("Funcionarios"));
  EXPECT_TRUE(checkField(r, 0).valid);   // FUN:CODIGO has no rule
  EXPECT_TRUE(checkField(r, -1).valid);  // no such field: nothing to break
  EXPECT_TRUE(checkField(r, 9999).valid);
  // A blank employee breaks the marital-status list first.
  FieldCheck first = checkRecord(r);
  EXPECT_FALSE(first.valid);
  EXPECT_EQ(r.def().fields[first.field].name, "FUN:ESTADOCIVIL");

  Record t(&table("DasTagFileInd"));
  EXPECT_TRUE(checkRecord(t).valid);
}

TEST_F(FieldRules, StoredChoiceTextKeepsItsTrailingBytes) {
  const TableDef& conp = table("ConfPlanoContas");
  const FieldRule* rule = conp.ruleFor(conp.fieldIndex("CONP:CodPlanoReferencial"));
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->choiceText,
            "'10-Secretaria da Receita Federal','20-Banco Central do Brasil (Cosif)\u0081\u0081'");
  EXPECT_EQ(rule->description, "CONP:CodPlanoReferencial");
  const TableDef& iss = table("ISS51");
  const FieldRule* op = iss.ruleFor(iss.fieldIndex("ISS:TipoOperacao"));
  ASSERT_NE(op, nullptr);
  EXPECT_EQ(op->choiceText.substr(0, 30), "'0                          ',");
}

TEST_F(FieldRules, ValueTextForTheList) {
  Record r(&table("ACFuncionarios"));
  int valor = r.def().fieldIndex("ACFUN:VALOR");
  ASSERT_TRUE(r.setDecimal(valor, *Decimal::parse("12.5000", 4)).isOk());
  EXPECT_EQ(ruleValueText(r, valor), "12.5");
  ASSERT_TRUE(r.setDecimal(valor, *Decimal::parse("3", 4)).isOk());
  EXPECT_EQ(ruleValueText(r, valor), "3");
  int alt = r.def().fieldIndex("ACFUN:ALTERACAO");
  ASSERT_TRUE(r.setText(alt, "S\xe3o  ").isOk());
  EXPECT_EQ(ruleValueText(r, alt), "S\u00e3o");
}

}  // namespace
}  // namespace vorlam
