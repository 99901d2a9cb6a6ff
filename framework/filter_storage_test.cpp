// Push-down against a real record file, on disk and on a server: the
// fragments must select, through the storage's own layout, collation and
// folding, exactly the records the evaluator accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/filter.h"
#include "framework/filter_test_rows.h"
#include "storage/table.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam {
namespace {

using testing::Backend;

// A company file whose name is a key (kept folded on a server) and whose
// phones are not (folded by the server as it reads them).
TableDef companyDef() {
  return TableBuilder("Empresa", "EMP", "")
      .field("EMP:Codigo", kUSHORT)
      .field("EMP:RazaoSocial", STRING(40))
      .field("EMP:Capital", DECIMAL(11, 2))
      .field("EMP:Telefone", STRING(10), 2)
      .field("EMP:Abertura", kLONG)
      .key("EMP:KEY:CODIGO", {"EMP:Codigo"}, kUnique | kPrimary, "Código")
      .key("EMP:KEY:RAZAO", {"EMP:RazaoSocial"}, kDuplicates, "Razão")
      .build();
}

class FilterStorageTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!root.unavailable().empty()) GTEST_SKIP() << root.unavailable();
    ASSERT_TRUE(table.open(root.file("empresa.dat")).isOk());
    struct { int code; const char* name; const char* capital; const char* phone; int opened; } data[] = {
        {1, "Comércio de Tecidos Ltda", "1500.50", "3333", 80000},
        {2, "  Alfa Serviços", "0", "", 0},
        {3, "comercial abc", "99999.99", "3333-1", 81522},
        {4, "Æon Importações", "1500.49", "4444", 81553},
        {5, "COMÉRCIO GERAL", "-10", "3333", 79999},
        {6, "beta_50%", "7", "x", 81522},
        {7, "Œuvre Câmbio €", "0.01", "ção", 90000},
        {8, "ªtica ŠÁ ÿ", "-0.01", "ÇÃO", 1},
        {9, "", "1", "Ab ", 81553},
        {10, "Éder", "2", "éDER", 70000},
        {11, "eder", "3", "EDER", 70001},
        {12, "Zé da Esquina", "4", "zÉ", 70002},
    };
    for (auto& d : data) {
      Record& r = table.buffer();
      r.clear();
      ASSERT_TRUE(r.setInt("EMP:Codigo", d.code));
      ASSERT_TRUE(r.setText("EMP:RazaoSocial", utf8ToLatin1(d.name)));
      ASSERT_TRUE(r.setDecimal("EMP:Capital", *Decimal::parse(d.capital, 2)));
      ASSERT_TRUE(r.setText("EMP:Telefone", utf8ToLatin1(d.phone), 1));
      ASSERT_TRUE(r.setInt("EMP:Abertura", d.opened));
      ASSERT_TRUE(table.insert());
    }
  }
  SqlDialect dialect() const { return GetParam() == Backend::kPostgres ? SqlDialect::kPostgres : SqlDialect::kSqlite; }

  std::vector<int64_t> evaluated(const BoundFilter& b) {
    std::vector<int64_t> ids;
    EXPECT_TRUE(table.seekStart(kFileOrder));
    while (table.next()) {
      if (b.matches(table.buffer())) ids.push_back(table.buffer().recordId());
    }
    table.endWalk();
    return ids;
  }
  // The records the storage selects under `where`, by record number.
  std::vector<int64_t> selected(const std::string& where, const std::vector<SqlParam>& params) {
    PageRequest r;
    r.limit = 1000;
    r.condition = where;
    r.conditionParams = params;
    r.conditionDialect = dialect();
    PageSelection page;
    Status s = table.selectPage(r, &page);
    EXPECT_TRUE(s.isOk()) << s.toString() << " " << s.detail() << ": " << where;
    std::sort(page.ids.begin(), page.ids.end());
    return page.ids;
  }
  // Checks the filter's SQL form, or its prefilter, against the evaluator;
  // returns whether the whole filter was translated.
  bool agrees(const std::string& source, const FilterVariables& vars) {
    auto f = Filter::compile(source, def);
    EXPECT_TRUE(f.isOk()) << source << ": " << f.status().message();
    if (!f) return false;
    auto b = f->bind(vars);
    EXPECT_TRUE(b.isOk()) << b.status().message();
    if (!b) return false;
    std::vector<int64_t> ids = evaluated(*b);
    std::string where;
    std::vector<SqlParam> params;
    if (b->toSql(&where, &params, dialect())) {
      EXPECT_EQ(selected(where, params), ids) << source << " -> " << where;
      return true;
    }
    if (b->toSqlPrefilter(&where, &params, dialect())) {
      std::vector<int64_t> wider = selected(where, params);
      for (int64_t id : ids)
        EXPECT_TRUE(std::binary_search(wider.begin(), wider.end(), id)) << source << " -> " << where << ": " << id;
    }
    return false;
  }

  TableDef def = companyDef();
  testing::TestRoot root{GetParam()};
  Table table{&def};
};

TEST_P(FilterStorageTest, PushedDownFiltersSelectWhatTheEvaluatorAccepts) {
  FilterVariableMap vars;
  vars.set("Loc:Nome", FilterValue::text(fitText("comerc", 40)));
  vars.set("Loc:Grande", FilterValue::textUtf8("COMÉRCIO GERAL"));
  vars.set("Loc:Min", FilterValue::decimal(*Decimal::parse("1500.49", 2)));
  const char* filters[] = {
      "(InString(Upper(Clip(Loc:Nome)),Upper(Clip(Emp:RazaoSocial)),1,1))",
      "(InString(Clip(Loc:Nome),EMP:RazaoSocial,1,1) > 0)",
      "InString('_50%',Upper(EMP:RazaoSocial),1,1) = 0",
      "InString('É',EMP:RazaoSocial,1,1)",
      "UPPER(EMP:RazaoSocial) = Loc:Grande or UPPER(EMP:RazaoSocial) = 'BETA_50%'",
      "EMP:Capital >= Loc:Min and EMP:Capital < 99999.99",
      "EMP:RazaoSocial < 'C' or EMP:RazaoSocial > 'c'",
      "not EMP:Telefone[2] or EMP:Telefone[2] = '3333'",
      "EMP:Codigo <> 3 and (EMP:Codigo <= 2 or EMP:Codigo => 5)",
      "EMP:Abertura >= 81522 and EMP:Abertura <= 81553",
  };
  for (const char* source : filters) EXPECT_TRUE(agrees(source, vars)) << source << " was not translated";
}

// The characters of 0x80-0x9F (€, Š, Œ, Ÿ) sort by their Windows-1252 bytes
// in the evaluator, below ª and the accented letters; the server keeps them
// as code points far above those.
TEST_P(FilterStorageTest, TextOrderIsTheOrderOfTheBytes) {
  FilterVariableMap vars;
  EXPECT_TRUE(agrees("EMP:RazaoSocial > 'Œ' and EMP:RazaoSocial < 'ª'", vars));
  EXPECT_TRUE(agrees("EMP:RazaoSocial >= 'Œuvre Câmbio €'", vars));
  // Accented upper case: the server's folding matches it whole, the file's
  // LIKE cannot (its collation could for the equality alone).
  const bool server = GetParam() == Backend::kPostgres;
  EXPECT_EQ(agrees("INSTRING('ÇÃO',UPPER(EMP:Telefone[2]),1,1) AND UPPER(EMP:Telefone[2]) <> 'ÇÃO'", vars), server);
  EXPECT_TRUE(agrees("UPPER(EMP:Telefone[2]) = 'EDER' or UPPER(EMP:RazaoSocial) = 'ÉDER'", vars));
}

// Random combinations of the shapes the push-down knows, with constants
// chosen around the data (case variants, accents, Æ, the characters of
// 0x80-0x9F, LIKE wildcards, blanks): every translated one must select what
// the evaluator selects, every prefilter at least that.
TEST_P(FilterStorageTest, RandomFiltersAgreeWithTheEvaluator) {
  filter_test::RandomFilters filters(
      20261209,
      {"Beta", "BETA", "beta", "C", "c", "COMÉRCIO DE TECIDOS LTDA", "ÆON IMPORTAÇÕES", "Æon", "3333", "", "  Alfa",
       "com", "COM", "É", "é", "%", "_", "a c", "Œ", "ŒUVRE", "€", "ª", "ÿ", "Ÿ", "EDER", "Éder", "ÇÃO", "ção", "ZÉ",
       "Ab", "Ab ", "Š", "ªTICA ŠÁ", "x"},
      {"0", "1", "3", "5", "-10", "1500.5", "1500.49", "1500.495", "99999.99", "'3'", "'x'", "-0.01", "0.01", "81522",
       "70001", "DATE(3,12,2024)"},
      true);
  int pushed = 0;
  for (int i = 0; i < 300; ++i) pushed += agrees(filters.next(), FilterVariableMap());
  // Most shapes translate for both; accented upper case only for the server.
  EXPECT_GT(pushed, GetParam() == Backend::kPostgres ? 105 : 80);
}

INSTANTIATE_TEST_SUITE_P(Backends, FilterStorageTest, ::testing::Values(Backend::kRollback, Backend::kPostgres),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                           return testing::backendTestName(info.param);
                         });

}  // namespace
}  // namespace vorlam
