// Push-down against a real record file: the fragments must select, through
// the storage's own connection, layout and collation, exactly the records the
// evaluator accepts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/filter.h"
#include "framework/filter_test_rows.h"
#include "storage/table.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam {
namespace {

TEST(FilterStorageTest, PushedDownFiltersSelectWhatTheEvaluatorAccepts) {
  testing::TempDir dir;
  TableDef def = filter_test::firmTable();
  Table table(&def);
  ASSERT_TRUE(table.open(dir.file("empresa.dat")));
  struct { int code; const char* name; const char* capital; const char* phone; } data[] = {
      {1, "Comércio de Tecidos Ltda", "1500.50", "3333"}, {2, "  Alfa Serviços", "0", ""},
      {3, "comercial abc", "99999.99", "3333-1"},        {4, "Æon Importações", "1500.49", "4444"},
      {5, "COMÉRCIO GERAL", "-10", "3333"},              {6, "beta_50%", "7", "x"},
  };
  for (auto& d : data) {
    Record& r = table.buffer();
    r.clear();
    ASSERT_TRUE(r.setInt("EMP:Codigo", d.code));
    ASSERT_TRUE(r.setText("EMP:RazaoSocial", utf8ToLatin1(d.name)));
    ASSERT_TRUE(r.setDecimal("EMP:Capital", *Decimal::parse(d.capital, 2)));
    ASSERT_TRUE(r.setText("EMP:Telefone", d.phone, 1));
    ASSERT_TRUE(table.insert());
  }

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
  };
  for (const char* source : filters) {
    auto f = Filter::compile(source, def);
    ASSERT_TRUE(f.isOk()) << source << ": " << f.status().message();
    auto b = f->bind(vars);
    ASSERT_TRUE(b.isOk()) << b.status().message();
    std::vector<int64_t> evaluated;
    ASSERT_TRUE(table.seekStart(kFileOrder));
    while (table.next()) {
      if (b->matches(table.buffer())) evaluated.push_back(table.buffer().recordId());
    }
    std::string where;
    std::vector<SqlParam> params;
    ASSERT_TRUE(b->toSql(&where, &params)) << source;
    EXPECT_EQ(filter_test::selectIds(table.connection(), "_id", where, params), evaluated) << source << " -> " << where;
    EXPECT_FALSE(evaluated.empty()) << source;
  }
}

}  // namespace
}  // namespace vorlam
