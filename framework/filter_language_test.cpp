#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/filter.h"
#include "framework/filter_test_rows.h"
#include "storage/date.h"
#include "storage/text.h"

namespace vorlam {
namespace {

using filter_test::addText;
using filter_test::firmTable;
using filter_test::Ids;
using filter_test::Rows;

// Evaluates a record-independent expression.
bool holds(const std::string& source, const FilterVariables& vars = FilterVariableMap()) {
  static const TableDef def = firmTable();
  auto f = Filter::compile(source, def);
  EXPECT_TRUE(f.isOk()) << source << ": " << f.status().message();
  if (!f) return false;
  auto b = f->bind(vars);
  EXPECT_TRUE(b.isOk()) << b.status().message();
  return b && b->matches(Record(&def));
}

Status compileError(const std::string& source) {
  static const TableDef def = firmTable();
  auto f = Filter::compile(source, def);
  return f.isOk() ? Status::ok() : f.status();
}

class FirmRows : public ::testing::Test {
 protected:
  FirmRows() : rows_(firmTable()) {
    struct { int code; const char* name; const char* capital; const char* phone2; } data[] = {
        {1, "Comércio de Tecidos Ltda", "1500.50", "3333"},
        {2, "  Alfa Serviços", "0", ""},
        {3, "comercial abc", "99999.99", "3333-1"},
        {4, "Æon Importações", "1500.49", "4444"},
        {5, "Beta", "-10.00", "3333"},
    };
    for (auto& d : data) {
      Record& r = rows_.add();
      EXPECT_TRUE(r.setInt("EMP:Codigo", d.code));
      addText(r, "EMP:RazaoSocial", d.name);
      EXPECT_TRUE(r.setDecimal("EMP:Capital", *Decimal::parse(d.capital, 2)));
      addText(r, "EMP:Telefone", "1111");
      EXPECT_TRUE(r.setText("EMP:Telefone", d.phone2, 1));
    }
  }
  Ids run(const std::string& source, bool* pushed = nullptr) { return rows_.run(source, vars_, pushed); }
  Rows rows_;
  FilterVariableMap vars_;
};

TEST_F(FirmRows, NumbersAndDecimalsCompareExactly) {
  bool pushed = false;
  EXPECT_EQ(run("EMP:Capital = 1500.5", &pushed), (Ids{1}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(run("EMP:Capital > 1500.49 AND EMP:Capital < 1500.51", &pushed), (Ids{1}));
  EXPECT_TRUE(pushed);
  // More places than the field: exact on evaluation, never rounded into SQL.
  EXPECT_EQ(run("EMP:Capital = 1500.495", &pushed), (Ids{}));
  EXPECT_FALSE(pushed);
  EXPECT_EQ(run("EMP:Capital > 1500.495", &pushed), (Ids{1, 3}));
  EXPECT_EQ(run("EMP:Capital < 0", &pushed), (Ids{5}));
  EXPECT_EQ(run("EMP:Capital = -10", &pushed), (Ids{5}));
  EXPECT_EQ(run("0 = EMP:Capital", &pushed), (Ids{2}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(run("2 < EMP:Codigo AND EMP:Codigo <> 4", &pushed), (Ids{3, 5}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(run("EMP:Codigo = '3'", &pushed), (Ids{3}));  // a numeric text is a number
  EXPECT_TRUE(pushed);
}

TEST_F(FirmRows, TextComparisonsAreCaseSensitiveAndIgnoreTrailingBlanks) {
  bool pushed = false;
  EXPECT_EQ(run("EMP:RazaoSocial = 'Beta'", &pushed), (Ids{5}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(run("EMP:RazaoSocial = 'BETA'"), (Ids{}));
  EXPECT_EQ(run("EMP:RazaoSocial = 'Beta    '"), (Ids{5}));
  EXPECT_EQ(run("CLIP(EMP:RazaoSocial) <> 'Beta'", &pushed), (Ids{1, 2, 3, 4}));
  EXPECT_TRUE(pushed);
  // Byte order: upper-case before lower-case, accented letters last.
  EXPECT_EQ(run("EMP:RazaoSocial < 'C'", &pushed), (Ids{2, 5}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(run("EMP:RazaoSocial >= 'c'", &pushed), (Ids{3, 4}));
  EXPECT_EQ(run("EMP:Telefone[2] = '3333'", &pushed), (Ids{1, 5}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(run("EMP:Telefone[2]", &pushed), (Ids{1, 3, 4, 5}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(run("EMP:Telefone[1] = EMP:Telefone[2]", &pushed), (Ids{}));
  EXPECT_FALSE(pushed);  // field against field stays with the evaluator
}

TEST_F(FirmRows, UpperComparisonsPushDownOnlyWhenVnocaseAgrees) {
  bool pushed = false;
  EXPECT_EQ(run("UPPER(EMP:RazaoSocial) = 'COMÉRCIO DE TECIDOS LTDA'", &pushed), (Ids{1}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(run("UPPER(CLIP(EMP:RazaoSocial)) <> 'BETA'", &pushed), (Ids{1, 2, 3, 4}));
  EXPECT_TRUE(pushed);
  // VNOCASE would also match "comércio..." against an accent-free text.
  EXPECT_EQ(run("UPPER(EMP:RazaoSocial) = 'COMERCIO DE TECIDOS LTDA'", &pushed), (Ids{}));
  EXPECT_TRUE(pushed);
  // Lower-case letters never equal an upper-cased text; VNOCASE would say so.
  EXPECT_EQ(run("UPPER(EMP:RazaoSocial) = 'Beta'", &pushed), (Ids{}));
  EXPECT_FALSE(pushed);
  // Æ folds differently in the collation.
  EXPECT_EQ(run("UPPER(EMP:RazaoSocial) = 'ÆON IMPORTAÇÕES'", &pushed), (Ids{4}));
  EXPECT_FALSE(pushed);
  EXPECT_EQ(run("UPPER(EMP:RazaoSocial) < 'B'", &pushed), (Ids{2}));
  EXPECT_FALSE(pushed);
}

TEST_F(FirmRows, BeginsWithAndNegatedOperators) {
  bool pushed = true;
  EXPECT_EQ(run("EMP:RazaoSocial ~ 'COM'", &pushed), (Ids{1, 3}));
  EXPECT_FALSE(pushed);
  EXPECT_EQ(run("EMP:RazaoSocial ~ 'æ'"), (Ids{4}));
  EXPECT_EQ(run("EMP:RazaoSocial ~ ''"), (Ids{1, 2, 3, 4, 5}));
  EXPECT_EQ(run("EMP:Codigo ~= 2 and EMP:Codigo ~< 2 and EMP:Codigo ~> 4", &pushed), (Ids{3, 4}));
  EXPECT_TRUE(pushed);
  EXPECT_EQ(run("EMP:Codigo =< 2 or EMP:Codigo => 5"), (Ids{1, 2, 5}));
}

TEST_F(FirmRows, FunctionsOverFields) {
  EXPECT_EQ(run("SUB(EMP:RazaoSocial,1,4) = 'Comé'"), (Ids{1}));
  EXPECT_EQ(run("SUB(LEFT(EMP:RazaoSocial),1,4) = 'Alfa'"), (Ids{2}));
  EXPECT_EQ(run("SUB(EMP:RazaoSocial,1,4) = 'Alfa'"), (Ids{}));
  EXPECT_EQ(run("INSTRING('3333',EMP:Telefone[2],1,1) <> 0"), (Ids{1, 3, 5}));
  EXPECT_EQ(run("INSTRING('3333',EMP:Telefone[2],1,1) = 0"), (Ids{2, 4}));
  EXPECT_EQ(run("SUB(EMP:Codigo,1,1) = 4"), (Ids{4}));
  EXPECT_EQ(run("FORMAT(EMP:Codigo,@n04) = '0004'"), (Ids{4}));
}

TEST_F(FirmRows, RecordOfAnotherLayoutNeverMatches) {
  TableDef other = TableBuilder("Outra", "OUT", "").field("OUT:X", kLONG).build();
  auto f = Filter::compile("1 = 1 OR EMP:Codigo = 0", rows_.def());
  ASSERT_TRUE(f.isOk());
  auto b = f->bind(vars_);
  ASSERT_TRUE(b.isOk());
  EXPECT_TRUE(b->matches(Record(&rows_.def())));
  EXPECT_FALSE(b->matches(Record(&other)));
}

// Random combinations of the shapes the push-down knows, with constants
// chosen around the data (case variants, accents, Æ, LIKE wildcards): every
// translated one must select what the evaluator selects.
TEST_F(FirmRows, RandomExpressionsAgreeWithSql) {
  filter_test::RandomFilters filters(
      20240611,
      {"Beta", "BETA", "beta", "C", "c", "COMÉRCIO DE TECIDOS LTDA", "ÆON IMPORTAÇÕES", "Æon Importações", "3333", "",
       "  Alfa Serviços", "com", "COM", "É", "é", "%", "_", "a c"},
      {"0", "1", "3", "5", "-10", "1500.5", "1500.49", "1500.495", "99999.99", "'3'", "'x'"});
  int pushed = 0;
  for (int i = 0; i < 400; ++i) {
    bool sql = false;
    run(filters.next(), &sql);
    pushed += sql;
  }
  EXPECT_GT(pushed, 100);
}

TEST(FilterLanguageTest, MixedTextAndNumberComparisons) {
  EXPECT_TRUE(holds("SUB('0099',3,2) = 99"));
  EXPECT_TRUE(holds("'  12,50 ' = 12.5"));
  EXPECT_TRUE(holds("'' = 0"));
  EXPECT_FALSE(holds("'abc' = 0"));
  EXPECT_TRUE(holds("'abc' > 99"));  // compared as texts: "abc" > "99"
  EXPECT_TRUE(holds("10 > '9'"));
  EXPECT_FALSE(holds("'10' < 9"));
}

TEST(FilterLanguageTest, TextFunctions) {
  EXPECT_TRUE(holds("SUB('abcdef',5,10) = 'ef'"));
  EXPECT_TRUE(holds("SUB('abcdef',2) = 'bcdef'"));
  EXPECT_TRUE(holds("SUB('abc',0,2) = ''"));
  EXPECT_TRUE(holds("SUB('abc',4,2) = ''"));
  EXPECT_TRUE(holds("LEFT('  ab') = 'ab'"));
  EXPECT_TRUE(holds("SUB(LEFT('  ab'),4,1) = ' ' AND SUB(LEFT('  ab', 5),5,1) = ''"));
  EXPECT_TRUE(holds("UPPER('ação ÿ') = 'AÇÃO Ÿ'"));
  EXPECT_TRUE(holds("CLIP('ab   ') = 'ab' AND SUB(CLIP('ab  ') , 3, 1) = ''"));
  EXPECT_TRUE(holds("'it''s' = 'it''s' AND SUB('it''s',3,1) = ''''"));
  EXPECT_TRUE(holds("FORMAT(12,@n04) = '12'"));  // no picture engine: plain text
  EXPECT_TRUE(holds("DATE(3,15,2003) = " + std::to_string(*toDayNumber(2003, 3, 15))));
  EXPECT_TRUE(holds("DATE(2,30,2003) = 0"));
}

TEST(FilterLanguageTest, Instring) {
  EXPECT_TRUE(holds("INSTRING('cd','abcdef',1,1) = 3"));
  EXPECT_TRUE(holds("INSTRING('cd','abcdef',2,1) = 2"));  // position counted in steps
  EXPECT_TRUE(holds("INSTRING('bc','abcdef',2,1) = 0"));
  EXPECT_TRUE(holds("INSTRING('a','aaa',1,3) = 3"));
  EXPECT_TRUE(holds("INSTRING('a','aaa',1,4) = 0"));
  EXPECT_TRUE(holds("INSTRING('','abc',1,1) = 1"));
  EXPECT_TRUE(holds("INSTRING('abcd','abc',1,1) = 0"));
  EXPECT_TRUE(holds("INSTRING('a','abc',0,1) = 0"));
}

TEST(FilterLanguageTest, LogicPrecedenceAndKeywords) {
  EXPECT_TRUE(holds("1 = 1 or 1 = 0 and 1 = 0"));     // AND before OR
  EXPECT_FALSE(holds("(1 = 1 Or 1 = 0) AND 1 = 0"));
  EXPECT_TRUE(holds("nOt 1 = 0"));
  EXPECT_TRUE(holds("~(1 = 0) aNd ~~(1 = 1)"));
  EXPECT_FALSE(holds("'   '"));
  EXPECT_TRUE(holds("'x'"));
  EXPECT_FALSE(holds("0"));
  EXPECT_TRUE(holds("-0.5"));
}

TEST(FilterLanguageTest, VariablesAreCaseInsensitiveAndListedOnce) {
  static const TableDef def = firmTable();
  auto f = Filter::compile("LOC:Nome = 'a' or Loc:nome = 'b' or GLO:ANO > 2000 or emp:codigo = Glo:Ano", def);
  ASSERT_TRUE(f.isOk()) << f.status().message();
  EXPECT_EQ(f->variableNames(), (std::vector<std::string>{"LOC:Nome", "GLO:ANO"}));
  FilterVariableMap vars;
  vars.set("loc:NOME", FilterValue::textUtf8("b"));
  EXPECT_FALSE(f->bind(vars).isOk());
  vars.set("glo:ano", FilterValue::number(1999));
  auto b = f->bind(vars);
  ASSERT_TRUE(b.isOk());
  EXPECT_TRUE(b->matches(Record(&def)));
}

TEST(FilterLanguageTest, BlankExpressionMatchesEverything) {
  static const TableDef def = firmTable();
  auto f = Filter::compile("   ", def);
  ASSERT_TRUE(f.isOk());
  auto b = f->bind(FilterVariableMap());
  ASSERT_TRUE(b.isOk());
  EXPECT_TRUE(b->matches(Record(&def)));
  std::string where;
  std::vector<SqlParam> params;
  EXPECT_TRUE(b->toSql(&where, &params));
  EXPECT_EQ(where, "1");
  EXPECT_TRUE(BoundFilter().matches(Record(&def)));
}

TEST(FilterLanguageTest, SqlFragmentShape) {
  static const TableDef def = firmTable();
  FilterVariableMap vars;
  vars.set("Loc:Nome", FilterValue::text(fitText("ab_c", 40)));
  auto f = Filter::compile(
      "EMP:Codigo = 7 and EMP:Telefone[2] <> 'x' or INSTRING(UPPER(CLIP(Loc:Nome)),UPPER(EMP:RazaoSocial),1,1)",
      def);
  ASSERT_TRUE(f.isOk());
  auto b = f->bind(vars);
  ASSERT_TRUE(b.isOk());
  std::string where;
  std::vector<SqlParam> params;
  ASSERT_TRUE(b->toSql(&where, &params));
  EXPECT_EQ(where,
            "(((\"CODIGO\" = ?) AND (\"TELEFONE[2]\" <> ? COLLATE BINARY)) OR (\"RAZAOSOCIAL\" LIKE ? ESCAPE '\\'))");
  EXPECT_EQ(params, (std::vector<SqlParam>{SqlParam::ofInteger(7), SqlParam::ofText("x"),
                                            SqlParam::ofText("%AB\\_C%")}));
}

TEST(FilterLanguageTest, MalformedExpressionsAreErrorsWithPosition) {
  struct Case {
    const char* source;
    const char* position;
    const char* words;
  } cases[] = {
      {"(", "2", "incompleta"},
      {"EMP:Codigo =", "13", "incompleta"},
      {"EMP:Codigo = = 1", "14", "valor"},
      {"EMP:RazaoSocial = 'abc", "19", "apóstrofo"},
      {"EMP:Nada = 1", "1", "campo desconhecido 'EMP:Nada'"},
      {"FOO(1)", "1", "função desconhecida"},
      {"SUB('a')", "1", "SUB espera 2 ou 3 argumentos"},
      {"INSTRING('a','b',1,1,1)", "1", "INSTRING espera 4"},
      {"EMP:Codigo # 1", "12", "caractere inesperado '#'"},
      {"1 = 1 = 1", "7", "encadeadas"},
      {"EMP:Telefone = '1'", "1", "vetor"},
      {"EMP:Telefone[3] = '1'", "14", "índice"},
      {"(1 = 1))", "8", "parêntese"},
      {"1 = 1 2", "7", "após o fim"},
      {"ação = 1", "2", "inesperado"},
      {"'ç' = 1 AND", "12", "incompleta"},
      {"AND 1", "1", "valor"},
      {"1.", "1", "número"},
      {"12ab = 1", "1", "número"},
      {"- 'a'", "1", "número"},
      {"UPPER('a'", "10", "')'"},
  };
  for (const auto& c : cases) {
    Status s = compileError(c.source);
    ASSERT_FALSE(s.isOk()) << c.source;
    EXPECT_EQ(s.code(), StatusCode::kInvalidArgument);
    EXPECT_EQ(s.detail(), c.position) << c.source << ": " << s.message();
    EXPECT_NE(s.message().find(c.words), std::string::npos) << c.source << ": " << s.message();
    EXPECT_EQ(s.message().rfind("Erro no filtro, posição ", 0), 0u) << s.message();
  }
}

TEST(FilterLanguageTest, DeepNestingAndTruncationsNeverCrash) {
  EXPECT_FALSE(compileError(std::string(5000, '(') + "1" + std::string(5000, ')')).isOk());
  EXPECT_FALSE(compileError(std::string(3000, '~') + "1").isOk());
  EXPECT_TRUE(compileError(std::string(50, '(') + "1" + std::string(50, ')')).isOk());
  std::string chain = "1 = 1";
  for (int i = 0; i < 2000; ++i) chain += " and 1 = 1";
  Status s = compileError(chain);
  EXPECT_FALSE(s.isOk());
  EXPECT_NE(s.message().find("longa demais"), std::string::npos) << s.message();
  const std::string full =
      "(InString(Upper(Clip(Loc:Nome)),Upper(Clip(Emp:RazaoSocial)),1,1) <> 0 and EMP:Telefone[2] = 'a''b' "
      "or Sub(Format(EMP:Codigo,@n04),3,2) => -1.5)";
  for (size_t n = 0; n <= full.size(); ++n) {
    static const TableDef def = firmTable();
    auto f = Filter::compile(full.substr(0, n), def);
    if (f) {
      FilterVariableMap vars;
      vars.set("Loc:Nome", FilterValue::textUtf8("x"));
      auto b = f->bind(vars);
      if (b) b->matches(Record(&def));
    }
  }
  EXPECT_TRUE(compileError(full).isOk());
}

}  // namespace
}  // namespace vorlam
