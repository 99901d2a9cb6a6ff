#include "framework/filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/filter_test_rows.h"
#include "storage/date.h"
#include "storage/text.h"

namespace vorlam {
namespace {

using filter_test::addText;
using filter_test::firmTable;
using filter_test::Ids;
using filter_test::Rows;

// --- Fixtures: small tables in the shape of the suite's ------------------

TableDef funDef() { return TableBuilder("Funcionario", "FUN", "").field("FUN:Nome", STRING(40)).build(); }

TableDef cfoDef() {
  return TableBuilder("CFO", "CFO", "")
      .field("CFO:ESTADO", STRING(2))
      .field("CFO:Codigo", kULONG)
      .field("CFO:Descricao", STRING(60))
      .build();
}

TableDef forDef() {
  return TableBuilder("Fornecedores", "FOR", "")
      .field("FOR:Nome", STRING(40))
      .field("FOR:Fornecedor", kBYTE)
      .field("FOR:Clientes", kBYTE)
      .build();
}

TableDef regDef(const char* label, const char* prefix, const char* dateField) {
  return TableBuilder(label, prefix, "").field(std::string(prefix) + ":Numero", kLONG).field(dateField, kLONG).build();
}

TableDef diaDef() {
  return TableBuilder("Diario", "DIA", "").field("DIA:Data", kLONG).field("DIA:Lote", STRING(6)).build();
}

int32_t day(int d, int m, int y) { return *toDayNumber(y, m, d); }

// --- The part-name filters of the list screens ---------------------------

class PartNameTest : public ::testing::Test {
 protected:
  PartNameTest() : rows_(firmTable()) {
    const char* names[] = {"Comércio de Tecidos Ltda", "COMÉRCIO GERAL", "Indústria Açúcar", "comercial abc",
                           "Padaria 50% Pão"};
    for (const char* n : names) addText(rows_.add(), "EMP:RazaoSocial", n);
  }
  Ids part(const char* typed, bool* pushed = nullptr) {
    vars_.set("Loc:Nome", FilterValue::text(fitText(utf8ToLatin1(typed), 40)));
    return rows_.run("(InString(Upper(Clip(Loc:Nome)),Upper(Clip(Emp:RazaoSocial)),1,1))", vars_, pushed);
  }
  Rows rows_;
  FilterVariableMap vars_;
};

TEST_F(PartNameTest, MatchesAnyLetterCaseAndAccentedLetters) {
  EXPECT_EQ(part("comércio"), (Ids{1, 2}));
  EXPECT_EQ(part("COMÉRCIO"), (Ids{1, 2}));
  EXPECT_EQ(part("açúcar"), (Ids{3}));
  // Without the accent it is another word.
  EXPECT_EQ(part("comercio"), (Ids{}));
}

TEST_F(PartNameTest, PlainAsciiTextIsPushedDownAsLike) {
  bool pushed = false;
  EXPECT_EQ(part("comerc", &pushed), (Ids{4}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(part("50%", &pushed), (Ids{5}));  // '%' is escaped, not a wildcard
  EXPECT_TRUE(pushed);
  EXPECT_EQ(part("l", &pushed), (Ids{1, 2, 4}));
  EXPECT_TRUE(pushed);
}

TEST_F(PartNameTest, AccentedTextIsNotPushedDown) {
  bool pushed = true;
  EXPECT_EQ(part("ção", &pushed), (Ids{}));
  part("é", &pushed);
  EXPECT_FALSE(pushed);
}

TEST_F(PartNameTest, EmptySearchTextShowsEveryRecord) {
  bool pushed = false;
  EXPECT_EQ(part("", &pushed), (Ids{1, 2, 3, 4, 5}));
  EXPECT_TRUE(pushed);
}

TEST(FilterSpecTest, OtherPartNameFiltersOfTheReferenceLists) {
  FilterVariableMap vars;
  Rows cnae(TableBuilder("CNAE", "CNAE", "").field("CNAE:Descricao", STRING(255)).build());
  addText(cnae.add(), "CNAE:Descricao", "Comércio varejista");
  addText(cnae.add(), "CNAE:Descricao", "Transporte");
  vars.set("Loc:Nome", FilterValue::textUtf8("COMÉRCIO"));
  EXPECT_EQ(cnae.run("(InString(Upper(Clip(Loc:Nome)),Upper(Clip(CNAE:Descricao)),1,1))", vars), (Ids{1}));

  Rows mun(TableBuilder("Municipios", "MUN", "").field("MUN:Nome", STRING(25)).build());
  addText(mun.add(), "MUN:Nome", "São Paulo");
  addText(mun.add(), "MUN:Nome", "Paulínia");
  addText(mun.add(), "MUN:Nome", "Campinas");
  vars.set("Loc:ParteNome", FilterValue::textUtf8("paul"));
  EXPECT_EQ(mun.run("(InString(Upper(Clip(Loc:ParteNome)),Upper(Clip(MUN:Nome)),1,1))", vars), (Ids{1, 2}));

  Rows fornecedores(forDef());
  addText(fornecedores.add(), "FOR:Nome", "Distribuidora Sul");
  addText(fornecedores.add(), "FOR:Nome", "Mercado Norte");
  vars.set("Loc:Nome", FilterValue::textUtf8("SUL"));
  EXPECT_EQ(fornecedores.run("(InString(Upper(Clip(Loc:Nome)),Upper(Clip(FOR:Nome)),1,1))", vars), (Ids{1}));

  Rows cfo(cfoDef());
  addText(cfo.add(), "CFO:Descricao", "Venda de mercadoria");
  addText(cfo.add(), "CFO:Descricao", "Compra para revenda");
  vars.set("Loc:Nome", FilterValue::textUtf8("revenda"));
  bool pushed = false;
  EXPECT_EQ(cfo.run("(InString(Clip(Upper(Loc:Nome)),Clip(Upper(CFO:Descricao)),1,1))", vars, &pushed), (Ids{2}));
  EXPECT_TRUE(pushed);
}

TEST(FilterSpecTest, ResponsiblePersonFilterIsCaseSensitive) {
  Rows fun(funDef());
  addText(fun.add(), "FUN:Nome", "José da Silva");
  addText(fun.add(), "FUN:Nome", "JOSÉ DA SILVA");
  addText(fun.add(), "FUN:Nome", "Maria Silvana");
  FilterVariableMap vars;
  const char* filter = "(InString(Clip(Loc:Nome),Fun:Nome,1,1) > 0)";
  bool pushed = false;
  vars.set("Loc:Nome", FilterValue::text(fitText(utf8ToLatin1("Silva"), 40)));
  EXPECT_EQ(fun.run(filter, vars, &pushed), (Ids{1, 3}));
  EXPECT_TRUE(pushed);
  vars.set("Loc:Nome", FilterValue::textUtf8("JOSÉ"));
  EXPECT_EQ(fun.run(filter, vars, &pushed), (Ids{2}));
  EXPECT_TRUE(pushed);
  vars.set("Loc:Nome", FilterValue::textUtf8("josé"));
  EXPECT_EQ(fun.run(filter, vars), (Ids{}));
}

TEST(FilterSpecTest, HistoryFilterTriesTypedAndUpperCase) {
  Rows his(TableBuilder("Historico", "HIS", "").field("HIS:Descricao", STRING(40)).build());
  addText(his.add(), "HIS:Descricao", "PAGTO DUPLICATA");
  addText(his.add(), "HIS:Descricao", "pagto de aluguel");
  addText(his.add(), "HIS:Descricao", "Pagto Diversos");
  FilterVariableMap vars;
  const char* filter =
      "(InString(Clip(Loc:ParteDesc),HIS:Descricao,1,1) <> 0 or "
      "InString(Upper(Clip(Loc:ParteDesc)),HIS:Descricao,1,1) <> 0)";
  bool pushed = false;
  vars.set("Loc:ParteDesc", FilterValue::text(fitText("pagto", 20)));
  EXPECT_EQ(his.run(filter, vars, &pushed), (Ids{1, 2}));
  EXPECT_TRUE(pushed);
  vars.set("Loc:ParteDesc", FilterValue::text(fitText("Pagto", 20)));
  EXPECT_EQ(his.run(filter, vars), (Ids{1, 3}));
}

// --- Date-range and year filters -----------------------------------------

TEST(FilterSpecTest, DateRangeFiltersOfTheInvoiceLists) {
  FilterVariableMap vars;
  vars.set("Loc:DataInicial", FilterValue::date(day(1, 3, 2003)));
  vars.set("Loc:DataFinal", FilterValue::date(day(31, 3, 2003)));
  struct Case {
    TableDef def;
    const char* field;
    const char* filter;
  } cases[] = {
      {regDef("Entradas", "REG", "REG:DataLancamento"), "REG:DataLancamento",
       "(REG:DataLancamento >= Loc:DataInicial and REG:DataLancamento <= Loc:DataFinal)"},
      {regDef("Saidas", "REGS", "REGS:DataLancamento"), "REGS:DataLancamento",
       "(REGS:DataLancamento >= Loc:DataInicial and REGS:DataLancamento <= Loc:DataFinal)"},
      {regDef("ISS53", "ISS53", "ISS53:Data"), "ISS53:Data",
       "(ISS53:Data => Loc:DataInicial And ISS53:Data <= Loc:DataFinal)"},
      {regDef("ISS", "ISS", "ISS:Data"), "ISS:Data", "(ISS:Data => Loc:DataInicial And ISS:Data <= Loc:DataFinal)"},
  };
  for (auto& c : cases) {
    Rows rows(c.def);
    for (int32_t d : {day(28, 2, 2003), day(1, 3, 2003), day(15, 3, 2003), day(31, 3, 2003), day(1, 4, 2003), 0})
      ASSERT_TRUE(rows.add().setInt(c.field, d));
    bool pushed = false;
    EXPECT_EQ(rows.run(c.filter, vars, &pushed), (Ids{2, 3, 4})) << c.filter;
    EXPECT_TRUE(pushed) << c.filter;
  }
}

TEST(FilterSpecTest, UnsetBoundsSelectOnlyRecordsWithoutDate) {
  // The screens leave both bounds at zero.
  Rows rows(regDef("Entradas", "REG", "REG:DataLancamento"));
  ASSERT_TRUE(rows.add().setInt("REG:DataLancamento", day(2, 1, 2003)));
  rows.add();
  FilterVariableMap vars;
  vars.set("Loc:DataInicial", FilterValue::date(0));
  vars.set("Loc:DataFinal", FilterValue::date(0));
  EXPECT_EQ(rows.run("(REG:DataLancamento >= Loc:DataInicial and REG:DataLancamento <= Loc:DataFinal)", vars),
            (Ids{2}));
}

TEST(FilterSpecTest, JournalLotFilterComparesWithTheLotRecord) {
  Rows rows(diaDef());
  struct { int32_t date; const char* lot; } data[] = {
      {day(5, 1, 2004), "L1"}, {day(6, 1, 2004), "L2"}, {day(7, 2, 2004), "L1"}, {day(8, 1, 2004), "l1"}};
  for (auto& d : data) {
    Record& r = rows.add();
    ASSERT_TRUE(r.setInt("DIA:Data", d.date));
    addText(r, "DIA:Lote", d.lot);
  }
  FilterVariableMap vars;
  vars.set("Loc:DataIniFiltro", FilterValue::date(day(1, 1, 2004)));
  vars.set("Loc:DataFinalFiltro", FilterValue::date(day(31, 1, 2004)));
  vars.set("DIAE:Lote", FilterValue::text(fitText("L1", 6)));
  bool pushed = false;
  EXPECT_EQ(rows.run("(DIA:Data => Loc:DataIniFiltro And DIA:Data <= Loc:DataFinalFiltro And DIA:Lote = DIAE:Lote)",
                     vars, &pushed),
            (Ids{1}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(rows.run("(DIA:Data => Loc:DataIniFiltro And DIA:Data <= Loc:DataFinalFiltro)", vars), (Ids{1, 2, 4}));
}

TEST(FilterSpecTest, CfopPeriodFilters) {
  Rows rows(cfoDef());
  for (int code : {511, 999, 1000, 5101, 5199, 5191, 6991, 1102}) ASSERT_TRUE(rows.add().setInt("CFO:Codigo", code));
  FilterVariableMap none;
  bool pushed = true;
  EXPECT_EQ(rows.run("CFO:Codigo > 999 and Sub(Format(CFO:Codigo,@n04),3,2) = 99 or CFO:Codigo > 999 and "
                     "Sub(Format(CFO:Codigo,@n04),3,2) = 91 or CFO:Codigo <= 999",
                     none, &pushed),
            (Ids{1, 2, 5, 6, 7}));
  EXPECT_FALSE(pushed);  // FORMAT belongs to the caller's picture engine
  EXPECT_EQ(rows.run("CFO:Codigo > 999 and Sub(Format(CFO:Codigo,@n04),3,2) <> 99 and "
                     "Sub(Format(CFO:Codigo,@n04),3,2) <> 91",
                     none),
            (Ids{3, 4, 8}));
}

TEST(FilterSpecTest, PartsWithASqlFormNarrowTheRowsBeforeEvaluation) {
  TableDef cfo = cfoDef();
  auto prefilter = [&](const char* source, std::string* where, std::vector<SqlParam>* params) {
    auto bound = Filter::compile(source, cfo, filter_test::testFormat)->bind(FilterVariableMap());
    std::string whole;
    std::vector<SqlParam> ignored;
    EXPECT_FALSE(bound->toSql(&whole, &ignored)) << source;
    return bound->toSqlPrefilter(where, params);
  };
  std::string where;
  std::vector<SqlParam> params;
  ASSERT_TRUE(prefilter("CFO:Codigo > 999 and Sub(Format(CFO:Codigo,@n04),3,2) <> 99 and "
                        "Sub(Format(CFO:Codigo,@n04),3,2) <> 91",
                        &where, &params));
  EXPECT_EQ(where, "(\"CODIGO\" > ?)");
  EXPECT_EQ(params, (std::vector<SqlParam>{SqlParam::ofInteger(999)}));
  where.clear();
  params.clear();
  ASSERT_TRUE(prefilter("CFO:ESTADO = 'SP' and Sub(Format(CFO:Codigo,@n04),3,2) = 99 or CFO:Codigo <= 999",
                        &where, &params));
  EXPECT_EQ(where, "((\"ESTADO\" = ? COLLATE BINARY) OR (\"CODIGO\" <= ?))");
  EXPECT_EQ(params, (std::vector<SqlParam>{SqlParam::ofText("SP"), SqlParam::ofInteger(999)}));
  // Nothing implied: an OR with an operand of no SQL form, or a NOT of one.
  where = "untouched";
  EXPECT_FALSE(prefilter("Sub(Format(CFO:Codigo,@n04),3,2) = 99 or CFO:Codigo > 5", &where, &params));
  EXPECT_FALSE(prefilter("not (Sub(Format(CFO:Codigo,@n04),3,2) = 99 and CFO:Codigo > 5)", &where, &params));
  EXPECT_EQ(where, "untouched");
}

TEST(FilterSpecTest, SupplierAndCustomerTabsTestFlags) {
  Rows rows(forDef());
  for (auto [f, c] : {std::pair{1, 0}, {0, 1}, {1, 1}, {0, 0}}) {
    Record& r = rows.add();
    ASSERT_TRUE(r.setInt("FOR:Fornecedor", f));
    ASSERT_TRUE(r.setInt("FOR:Clientes", c));
  }
  FilterVariableMap none;
  bool pushed = false;
  EXPECT_EQ(rows.run("(FOR:Fornecedor)", none, &pushed), (Ids{1, 3}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(rows.run("(FOR:Clientes)", none, &pushed), (Ids{2, 3}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(rows.run("NOT FOR:Clientes AND ~FOR:Fornecedor", none), (Ids{4}));
}

}  // namespace
}  // namespace vorlam
