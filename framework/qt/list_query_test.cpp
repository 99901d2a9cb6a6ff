#include "framework/qt/list_query.h"

#include <gtest/gtest.h>

#include "framework/filter_pictures.h"
#include "storage/date.h"
#include "storage/record.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::qt {
namespace {

class ListQueryStoreTest : public ::testing::Test {
 protected:
  vorlam::testing::TempDir dir;
  SettingsFiles files{dir.path()};
  SavedQueryIndex index;
  ListQueryStore store{index, files, "BPlanoISS", "CtaISS"};
};

TEST_F(ListQueryStoreTest, SavedQueryRoundTripKeepsTypedTextAsTyped) {
  SavedQuery query{"Limpeza", {{"CTA:DESCRICAO", " ^*limpeza \"geral\""}, {"CTA:CODIGO", ">=10"}}};
  ASSERT_TRUE(store.save(query).isOk());
  EXPECT_EQ(index.lines(), (std::vector<SavedQueryRef>{{"BPlanoISS", "CtaISS", "Limpeza"}}));
  EXPECT_EQ(files.read("BPlanoISS_CtaISS$$Limpeza", "CTA:CODIGO", "", "Vorlam.INI"), ">=10");

  // Read back from the file by a store of its own.
  ListQueryStore again(index, files, "BPlanoISS", "CtaISS");
  Result<SavedQuery> loaded = again.load("Limpeza");
  ASSERT_TRUE(loaded.isOk());
  EXPECT_EQ(loaded->values, query.values);

  // Saving under the same name replaces the values, not the index line.
  ASSERT_TRUE(store.save({"Limpeza", {{"CTA:CODIGO", "5"}}}).isOk());
  EXPECT_EQ(store.load("Limpeza")->values, (std::vector<std::pair<std::string, std::string>>{{"CTA:CODIGO", "5"}}));
  EXPECT_EQ(index.lines().size(), 1u);
}

TEST_F(ListQueryStoreTest, EachListSeesOnlyItsOwnQueries) {
  ListQueryStore other(index, files, "BEmpresa", "Empresa");
  ASSERT_TRUE(store.save({"A", {{"CTA:CODIGO", "1"}}}).isOk());
  ASSERT_TRUE(other.save({"B", {{"EMP:Codigo", "2"}}}).isOk());
  ASSERT_TRUE(store.save({"C", {{"CTA:CODIGO", "3"}}}).isOk());
  EXPECT_EQ(store.names(), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(other.names(), (std::vector<std::string>{"B"}));
  EXPECT_TRUE(store.load("B").status().is(StatusCode::kNotFound));

  ASSERT_TRUE(store.remove("A").isOk());
  EXPECT_EQ(store.names(), (std::vector<std::string>{"C"}));
  EXPECT_TRUE(files.load("Vorlam.INI")->entries("BPlanoISS_CtaISS$$A").empty()) << "section deleted";
  EXPECT_TRUE(store.remove("A").is(StatusCode::kNotFound));
}

TEST_F(ListQueryStoreTest, RefusesNamesTheIndexCannotHold) {
  const std::vector<std::pair<std::string, std::string>> values{{"CTA:CODIGO", "1"}};
  EXPECT_FALSE(store.save({"   ", values}).isOk());
  EXPECT_FALSE(store.save({"a,b", values}).isOk());
  EXPECT_FALSE(store.save({"a]b", values}).isOk());
  EXPECT_FALSE(store.save({std::string(100, 'x'), values}).isOk());
  EXPECT_TRUE(store.save({std::string(99, 'x'), values}).isOk());
  EXPECT_FALSE(store.save({"Vazio", {}}).isOk()) << "a query without values is no query";
  EXPECT_EQ(index.lines().size(), 1u) << "refused names leave the index alone";
}

TEST(SavedQueryValues, BlankColumnsAreLeftOutAndRestoredBlank) {
  std::vector<QueryColumn> columns{{"CTA:CODIGO", "@n13", "<10"}, {"CTA:DESCRICAO", "@s40", "  "}};
  SavedQuery q = savedQueryOf("x", columns);
  EXPECT_EQ(q.values, (std::vector<std::pair<std::string, std::string>>{{"CTA:CODIGO", "<10"}}));
  columns[1].value = "old";
  std::vector<QueryColumn> filled = withSavedValues(columns, {"x", {{"cta:descricao", "Novo*"}}});
  EXPECT_EQ(filled[0].value, "");
  EXPECT_EQ(filled[1].value, "Novo*") << "field names match without letter case";
}

TEST(ListQueryFilter, DateColumnsFilterThroughTheirPicture) {
  const TableDef def = TableBuilder("Nota", "NOT", "")
                           .field("NOT:Emissao", kLONG)
                           .field("NOT:Valor", DECIMAL(11, 2))
                           .build();
  QueryFilter built = buildQueryFilter({{"NOT:Emissao", "@d6", "*/03/2024"}}, def);
  ASSERT_FALSE(built.expression.empty());
  Result<Filter> f = Filter::compile(built.expression, def, displayPictureFormatter());
  ASSERT_TRUE(f.isOk()) << f.status().message();
  Result<BoundFilter> b = f->bind(FilterVariableMap());
  ASSERT_TRUE(b.isOk());
  Record march(&def);
  march.setInt("NOT:Emissao", *parseDate("15/03/2024"));
  Record april(&def);
  april.setInt("NOT:Emissao", *parseDate("15/04/2024"));
  EXPECT_TRUE(b->matches(march));
  EXPECT_FALSE(b->matches(april));
}

}  // namespace
}  // namespace vorlam::qt
