#include "framework/query_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/filter.h"
#include "storage/date.h"
#include "storage/record.h"
#include "storage/text.h"

namespace vorlam {
namespace {

const TableDef& firm() {
  static const TableDef def = TableBuilder("Empresa", "EMP", "")
                                  .field("EMP:Codigo", kUSHORT)
                                  .field("EMP:RazaoSocial", STRING(40))
                                  .field("EMP:Capital", DECIMAL(11, 2))
                                  .field("EMP:Telefone", STRING(10), 2)
                                  .field("EMP:Abertura", kLONG)
                                  .build();
  return def;
}

std::string condition(const char* field, const char* picture, const char* value) {
  auto c = queryCondition(QueryColumn{field, picture, value}, firm());
  return c.isOk() ? *c : "<44: " + c.status().message() + ">";
}

TEST(QueryBuilderTest, OperatorsFromLeadingCharacters) {
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "Beta"), "EMP:RazaoSocial = 'Beta'");
  EXPECT_EQ(condition("EMP:Codigo", "@n6", ">=100"), "EMP:Codigo >= 100");
  EXPECT_EQ(condition("EMP:Codigo", "@n6", " < 7 "), "EMP:Codigo < 7");
  EXPECT_EQ(condition("EMP:Codigo", "@n6", "=>7"), "EMP:Codigo => 7");
  EXPECT_EQ(condition("EMP:Codigo", "@n6", "<>7"), "EMP:Codigo <> 7");
  EXPECT_EQ(condition("EMP:Codigo", "@n6", "~=7"), "EMP:Codigo ~= 7");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "~com"), "EMP:RazaoSocial ~ 'com'");
  EXPECT_EQ(condition("EMP:Codigo", "@n6", "Diferente 5"), "EMP:Codigo <> 5");
  EXPECT_EQ(condition("EMP:Codigo", "@n6", "diferente5"), "<44: valor não numérico>");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "Diferentes"), "EMP:RazaoSocial = 'Diferentes'");
  EXPECT_EQ(condition("EMP:Capital", "@n12.2", "-1500,5"), "EMP:Capital = -1500.5");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "O'Brien"), "EMP:RazaoSocial = 'O''Brien'");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "="), "EMP:RazaoSocial = ''");
  EXPECT_EQ(condition("EMP:Telefone[2]", "@s10", "3333"), "EMP:Telefone[2] = '3333'");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "   "), "");
}

TEST(QueryBuilderTest, ContainsBeginsWithAndCaseInsensitive) {
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "*com"), "INSTRING('com',EMP:RazaoSocial,1,1) <> 0");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "*com*"), "INSTRING('com',EMP:RazaoSocial,1,1) <> 0");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "<>*com"), "INSTRING('com',EMP:RazaoSocial,1,1) = 0");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "^*com"),
            "INSTRING(UPPER('com'),UPPER(EMP:RazaoSocial),1,1) <> 0");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "Com*"), "SUB(LEFT(EMP:RazaoSocial),1,3) = 'Com'");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "=^ção*"), "UPPER(SUB(LEFT(EMP:RazaoSocial),1,3)) = UPPER('ção')");
  EXPECT_EQ(condition("EMP:Codigo", "@n6", "12*"), "SUB(EMP:Codigo,1,2) = '12'");
  EXPECT_EQ(condition("EMP:Codigo", "@n6", "^12"), "EMP:Codigo = 12");  // no letters to fold
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "^beta"), "UPPER(EMP:RazaoSocial) = UPPER('beta')");
  EXPECT_EQ(condition("EMP:RazaoSocial", "@s40", "<*com"), "<44: operador inválido>");
}

TEST(QueryBuilderTest, DateColumnsFollowTheirPicture) {
  EXPECT_EQ(condition("EMP:Abertura", "@d6", "10/05/2003"), "FORMAT(EMP:Abertura,@d6) = '10/05/2003'");
  EXPECT_EQ(condition("EMP:Abertura", "@D6.", ">10/05/2003"), "FORMAT(EMP:Abertura,@D6.) > '10/05/2003'");
  std::string day = std::to_string(*toDayNumber(2003, 1, 1));
  EXPECT_EQ(condition("EMP:Abertura", "@d17", ">01/01/2003"), "EMP:Abertura > " + day);
  EXPECT_EQ(condition("EMP:Abertura", "@D18", "01/01/2003"), "EMP:Abertura = " + day);
  EXPECT_EQ(condition("EMP:Abertura", "@d4", "01/01/2003"), "EMP:Abertura = " + day);
  EXPECT_EQ(condition("EMP:Abertura", "@d4", "*2003"), "INSTRING('2003',FORMAT(EMP:Abertura,@d4),1,1) <> 0");
  EXPECT_EQ(condition("EMP:Abertura", "@d17", "31/02/2003"), "<44: data inválida>");
  // A picture that cannot stand bare in the expression goes quoted.
  EXPECT_EQ(condition("EMP:Abertura", "@d6 b", "1"), "FORMAT(EMP:Abertura,'@d6 b') = '1'");
}

TEST(QueryBuilderTest, ColumnsThatCannotBeFilteredRaise44AndAreLeftOut) {
  std::vector<QueryColumn> columns = {
      {"EMP:RazaoSocial", "@s40", "^*com"}, {"LOC:Inscricao", "@s20", "123"}, {"EMP:Codigo", "@n6", "abc"},
      {"EMP:Codigo", "@n6", "><5"},         {"EMP:Telefone", "@s10", "1"},    {"EMP:Capital", "@n12.2", ">0"},
      {"EMP:Nada", "@s10", ""},
  };
  QueryFilter q = buildQueryFilter(columns, firm());
  EXPECT_EQ(q.expression, "INSTRING(UPPER('com'),UPPER(EMP:RazaoSocial),1,1) <> 0 AND EMP:Capital > 0");
  std::vector<QueryMessage> expected = {
      {44, {{"%Field", "LOC:Inscricao"}}},
      {44, {{"%Field", "EMP:Codigo"}}},
      {44, {{"%Field", "EMP:Codigo"}}},
      {44, {{"%Field", "EMP:Telefone"}}},
  };
  EXPECT_EQ(q.messages, expected);
}

TEST(QueryBuilderTest, NoConditionsGiveNoFilter) {
  QueryFilter q = buildQueryFilter({{"EMP:RazaoSocial", "@s40", ""}, {"EMP:Codigo", "@n6", "  "}}, firm());
  EXPECT_EQ(q.expression, "");
  EXPECT_TRUE(q.messages.empty());
}

TEST(QueryBuilderTest, FilterThatCannotBeAppliedRaises43AndIsDropped) {
  std::vector<QueryColumn> columns(400, QueryColumn{"EMP:Codigo", "@n6", ">1"});
  QueryFilter q = buildQueryFilter(columns, firm());
  EXPECT_EQ(q.expression, "");
  ASSERT_EQ(q.messages.size(), 1u);
  EXPECT_EQ(q.messages[0].number, kMessageFilterFailed);
  ASSERT_EQ(q.messages[0].values.size(), 1u);
  EXPECT_EQ(q.messages[0].values[0].first, "%ErrorText");
  EXPECT_NE(q.messages[0].values[0].second.find("longa demais"), std::string::npos);

  QueryMessage m = filterFailedMessage(Status(StatusCode::kIoError, "Falha de leitura"));
  EXPECT_EQ(m, (QueryMessage{43, {{"%ErrorText", "Falha de leitura"}}}));
}

// The built expressions mean what the user typed.
TEST(QueryBuilderTest, BuiltFiltersSelectTheTypedRecords) {
  const char* names[] = {"Comércio de Tecidos", "  Alfa Comercial", "COMÉRCIO GERAL", "Beta"};
  std::vector<Record> records;
  for (int i = 0; i < 4; ++i) {
    records.emplace_back(&firm());
    ASSERT_TRUE(records.back().setInt("EMP:Codigo", i + 1));
    ASSERT_TRUE(records.back().setText("EMP:RazaoSocial", utf8ToLatin1(names[i])));
  }
  auto select = [&](std::vector<QueryColumn> columns) {
    QueryFilter q = buildQueryFilter(columns, firm());
    EXPECT_TRUE(q.messages.empty());
    auto f = Filter::compile(q.expression, firm());
    EXPECT_TRUE(f.isOk()) << q.expression;
    std::vector<int> ids;
    if (!f) return ids;
    auto b = f->bind(FilterVariableMap());
    for (const Record& r : records)
      if (b->matches(r)) ids.push_back(static_cast<int>(r.getInt("EMP:Codigo")));
    return ids;
  };
  using Ids = std::vector<int>;
  EXPECT_EQ(select({{"EMP:RazaoSocial", "@s40", "Comé*"}}), (Ids{1}));
  EXPECT_EQ(select({{"EMP:RazaoSocial", "@s40", "^comé*"}}), (Ids{1, 3}));
  EXPECT_EQ(select({{"EMP:RazaoSocial", "@s40", "Alfa*"}}), (Ids{2}));  // leading blanks ignored
  EXPECT_EQ(select({{"EMP:RazaoSocial", "@s40", "^*COMERC"}}), (Ids{2}));
  EXPECT_EQ(select({{"EMP:RazaoSocial", "@s40", "<>*é"}}), (Ids{2, 3, 4}));
  EXPECT_EQ(select({{"EMP:RazaoSocial", "@s40", "^beta"}}), (Ids{4}));
  EXPECT_EQ(select({{"EMP:RazaoSocial", "@s40", "^*o"}, {"EMP:Codigo", "@n6", "Diferente 1"}}), (Ids{2, 3}));
}

}  // namespace
}  // namespace vorlam
