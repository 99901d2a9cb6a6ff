#include "framework/page_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "framework/filter_pictures.h"
#include "framework/list_test_table.h"

namespace vorlam {
namespace {

using list_test::codes;
using list_test::span;
using list_test::TownFile;
using testing::Backend;

// Every case runs on a file on disk and on a table of the test server
// (skipped, saying why, without one).
class PageCacheTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!file.unavailable().empty()) GTEST_SKIP() << file.unavailable();
  }
  bool onServer() const { return GetParam() == Backend::kPostgres; }
  int key(const char* name) const { return def.keyIndex(name); }
  BoundFilter filter(const char* expression) {
    Result<Filter> f = Filter::compile(expression, def, displayPictureFormatter());
    EXPECT_TRUE(f.isOk()) << f.status().message();
    Result<BoundFilter> b = f->bind(FilterVariableMap());
    EXPECT_TRUE(b.isOk());
    return *b;
  }

  TableDef def = list_test::townDef();
  TownFile file{&def, GetParam()};
};

TEST_P(PageCacheTest, PagesWalkTheKeyAndTheLastPageIsAlwaysFull) {
  file.addMany("SP", 25);
  PageCache cache(file.table, 10);
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:CODIGO")).isOk());
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_EQ(codes(cache.rows()), span(1, 10));
  EXPECT_TRUE(cache.atStart());
  EXPECT_FALSE(cache.atEnd());
  ASSERT_TRUE(cache.nextPage().isOk());
  EXPECT_EQ(codes(cache.rows()), span(11, 20));
  ASSERT_TRUE(cache.nextPage().isOk());
  EXPECT_EQ(codes(cache.rows()), span(16, 25)) << "filled up with the rows before it";
  EXPECT_TRUE(cache.atEnd());
  EXPECT_TRUE(cache.nextPage().is(StatusCode::kNotFound));
  EXPECT_EQ(codes(cache.rows()), span(16, 25));
  ASSERT_TRUE(cache.previousPage().isOk());
  EXPECT_EQ(codes(cache.rows()), span(6, 15));
  ASSERT_TRUE(cache.previousPage().isOk());
  EXPECT_EQ(codes(cache.rows()), span(1, 10));
  EXPECT_TRUE(cache.atStart());
  EXPECT_TRUE(cache.previousPage().is(StatusCode::kNotFound));
}

TEST_P(PageCacheTest, TheLastPageCostsNoMoreThanTheFirst) {
  file.addMany("SP", 300);
  PageCache cache(file.table, 20);
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:NOME")).isOk());
  ASSERT_TRUE(cache.last().isOk());
  EXPECT_EQ(codes(cache.rows()), span(281, 300));
  EXPECT_LE(cache.recordsRead(), 21);
  cache.resetRecordsRead();
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_LE(cache.recordsRead(), 21);
}

TEST_P(PageCacheTest, RangeDescendingAndExcludedEmptyKeys) {
  file.add("SP", 1, "Santos", 400, "SAN");
  file.add("RJ", 1, "Niterói", 500);
  file.add("SP", 2, "Campinas", 1100, "CPS");
  file.add("SP", 3, "Bauru", 300);
  PageCache cache(file.table, 10);
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:NOME")).isOk());
  Record sp(&def);
  sp.setText("CID:UF", "sp");  // the range compares as the key does, without case
  ASSERT_TRUE(cache.setRange(1, sp).isOk());
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{3, 2, 1}));  // Bauru, Campinas, Santos

  ASSERT_TRUE(cache.setOrder(key("CID:KEY:POPULACAO")).isOk());
  EXPECT_EQ(cache.rangeComponents(), 1) << "still fits the new key";
  cache.clearRange();
  ASSERT_TRUE(cache.first().isOk());
  std::vector<int64_t> population;
  for (const Record& r : cache.rows()) population.push_back(r.getInt("CID:Populacao"));
  EXPECT_EQ(population, (std::vector<int64_t>{1100, 500, 400, 300}));

  ASSERT_TRUE(cache.setOrder(key("CID:KEY:APELIDO")).isOk());
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_EQ(cache.rows().size(), 2u) << "records with a blank nickname have no entry";
  EXPECT_FALSE(cache.setOrder(99).isOk());
}

TEST_P(PageCacheTest, TextKeysOrderWithoutCaseAndAccentsFirst) {
  file.add("SP", 1, "Óleo");
  file.add("SP", 2, "agua");
  file.add("SP", 3, "Água");
  file.add("SP", 4, "Bela");
  file.add("SP", 5, "oca");
  PageCache cache(file.table, 10);
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:NOME")).isOk());
  ASSERT_TRUE(cache.first().isOk());
  std::vector<int64_t> order = codes(cache.rows());
  ASSERT_EQ(order.size(), 5u);
  // agua and Água side by side, then Bela, oca, Óleo.
  EXPECT_EQ(std::min(order[0], order[1]), 2);
  EXPECT_EQ(std::max(order[0], order[1]), 3);
  EXPECT_EQ(std::vector<int64_t>(order.begin() + 2, order.end()), (std::vector<int64_t>{4, 5, 1}));
  for (size_t i = 0; i + 1 < cache.rows().size(); ++i)
    EXPECT_LE(cache.compareRows(cache.rows()[i], cache.rows()[i + 1]), 0);
}

TEST_P(PageCacheTest, FiltersGiveTheSameRowsPushedDownOrRecordByRecord) {
  file.addMany("SP", 60);
  PageCache pushed(file.table, 10), evaluated(file.table, 10);
  for (PageCache* c : {&pushed, &evaluated}) ASSERT_TRUE(c->setOrder(key("CID:KEY:CODIGO")).isOk());
  pushed.setFilter(filter("CID:Codigo > 40 OR CID:Codigo <= 3"));
  EXPECT_TRUE(pushed.filterPushedDown());
  // The same rows, through the picture, which the storage cannot run: codes
  // 4 to 9 show as "04" to "09".
  evaluated.setFilter(filter("SUB(FORMAT(CID:Codigo,@n02),1,1) >= '4' AND CID:Codigo <> 40 OR CID:Codigo <= 3"));
  EXPECT_FALSE(evaluated.filterPushedDown());
  EXPECT_TRUE(evaluated.filterPrefiltered()) << "the code conditions still narrow the selection";
  EXPECT_FALSE(pushed.filterPrefiltered());
  for (PageCache* c : {&pushed, &evaluated}) {
    ASSERT_TRUE(c->first().isOk());
    EXPECT_EQ(codes(c->rows()), (std::vector<int64_t>{1, 2, 3, 41, 42, 43, 44, 45, 46, 47}));
    ASSERT_TRUE(c->nextPage().isOk());
    EXPECT_EQ(codes(c->rows()), span(48, 57));
    ASSERT_TRUE(c->nextPage().isOk());
    EXPECT_EQ(codes(c->rows()), span(51, 60)) << "filled up to a full page";
    EXPECT_TRUE(c->atEnd());
    ASSERT_TRUE(c->last().isOk());
    EXPECT_EQ(codes(c->rows()), span(51, 60));
  }
  // Only the rows the storage's part selects are read: code 40 never is.
  evaluated.setFilter(filter("SUB(FORMAT(CID:Codigo,@n02),1,1) = '4' AND CID:Codigo > 40"));
  evaluated.resetRecordsRead();
  ASSERT_TRUE(evaluated.first().isOk());
  EXPECT_EQ(codes(evaluated.rows()), span(41, 49));
  // Codes 41 to 60, nothing below, on disk and on the server alike.
  EXPECT_EQ(evaluated.recordsRead(), 20);
  evaluated.clearFilter();
  ASSERT_TRUE(evaluated.first().isOk());
  EXPECT_EQ(codes(evaluated.rows()), span(1, 10));
}

TEST_P(PageCacheTest, RecordSetsNarrowPagesWithTheFilterAndTheRange) {
  std::vector<int64_t> ids;
  for (int i = 1; i <= 60; ++i) ids.push_back(file.add(i % 2 ? "SP" : "RJ", i, "Cidade " + std::to_string(i)));
  file.add("SP", 99, "Fora");
  // Marked: codes 3, 5 and 21 to 59 (record numbers, any order, repeated).
  std::vector<int64_t> marked = {ids[4], ids[2], ids[2]};
  for (int i = 21; i <= 59; ++i) marked.push_back(ids[size_t(i - 1)]);
  PageCache cache(file.table, 5);
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:CODIGO")).isOk());
  Record sp(&def);
  sp.clear();
  sp.setText("CID:UF", "SP");
  ASSERT_TRUE(cache.setRange(1, sp).isOk());
  cache.setRecordSet(marked, true);
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{3, 5, 21, 23, 25}));
  ASSERT_TRUE(cache.last().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{51, 53, 55, 57, 59}));
  cache.setFilter(filter("CID:Codigo < 30"));
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{3, 5, 21, 23, 25}));
  ASSERT_TRUE(cache.nextPage().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{21, 23, 25, 27, 29}));
  EXPECT_TRUE(cache.atEnd());
  cache.clearFilter();
  // The others: unmarked towns of the range only.
  cache.setRecordSet(marked, false);
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{1, 7, 9, 11, 13}));
  ASSERT_TRUE(cache.last().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{13, 15, 17, 19, 99}));
  // A marked town is no row of this list: the page stays where it stood
  // and the row after the town's place is highlighted.
  ASSERT_TRUE(cache.first().isOk());
  Record three = cache.rows()[0];
  ASSERT_TRUE(file.table.getById(ids[2]).isOk());
  three = file.table.buffer();
  Result<size_t> at = cache.refreshAround(three);
  ASSERT_TRUE(at.isOk());
  EXPECT_EQ(*at, 1u);
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{1, 7, 9, 11, 13}));
  cache.setRecordSet({}, true);
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_TRUE(cache.rows().empty());
  cache.clearRecordSet();
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{1, 3, 5, 7, 9}));
}

TEST_P(PageCacheTest, FiltersSqliteCannotPrepareAreTriedOnEachRecord) {
  file.addMany("SP", 120);
  // 100 OR-ed terms overflow SQLite's parser stack, and so do 60 nested
  // parentheses: the rows are those the expression selects record by record.
  // The server takes both, and the widest filter the language compiles.
  std::string wide = "CID:Codigo = 7";
  for (int i = 1; i < 100; ++i) wide += " OR CID:Codigo = " + std::to_string(i <= 9 ? 110 + i : 1000 + i);
  std::string deep = "CID:Codigo = 7";
  for (int i = 0; i < 60; ++i) deep = "CID:Codigo = " + std::to_string(i < 3 ? 50 + i : 200 + i) + " OR (" + deep + ")";
  std::string widest = "CID:Codigo = 7";
  for (int i = 1; i < 240; ++i) widest += " OR CID:Codigo = " + std::to_string(i <= 2 ? 110 + i : 1000 + i);
  const std::vector<int64_t> wideRows = {7, 111, 112, 113, 114, 115, 116, 117, 118, 119};
  const std::vector<int64_t> deepRows = {7, 50, 51, 52};
  const std::vector<int64_t> widestRows = {7, 111, 112};
  for (const auto& [source, rows] :
       {std::pair{wide, wideRows}, std::pair{deep, deepRows}, std::pair{widest, widestRows}}) {
    PageCache cache(file.table, 20);
    ASSERT_TRUE(cache.setOrder(key("CID:KEY:CODIGO")).isOk());
    cache.setFilter(filter(source.c_str()));
    EXPECT_EQ(cache.filterPushedDown(), onServer()) << source.substr(0, 60);
    ASSERT_TRUE(cache.first().isOk()) << source.substr(0, 60);
    EXPECT_EQ(codes(cache.rows()), rows);
  }
}

TEST_P(PageCacheTest, LocateStartsThePageAtTheTypedValue) {
  file.addMany("SP", 30);
  PageCache cache(file.table, 10);
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:NOME")).isOk());
  Record probe(&def);
  probe.setText("CID:UF", "SP");
  ASSERT_TRUE(cache.setRange(1, probe).isOk());
  probe.setText("CID:Nome", "cidade 012");
  Result<size_t> at = cache.locate(probe);
  ASSERT_TRUE(at.isOk());
  EXPECT_EQ(*at, 0u);
  EXPECT_EQ(codes(cache.rows()), span(12, 21));
  probe.setText("CID:Nome", "Cidade 0275");  // between 027 and 028, near the end
  at = cache.locate(probe);
  ASSERT_TRUE(at.isOk());
  EXPECT_EQ(codes(cache.rows()), span(21, 30));
  EXPECT_EQ(cache.rows()[*at].getInt("CID:Codigo"), 28);
  probe.setText("CID:Nome", "Z");
  at = cache.locate(probe);
  ASSERT_TRUE(at.isOk());
  EXPECT_EQ(*at, cache.rows().size()) << "every row is before it";
}

TEST_P(PageCacheTest, OtherWorkstationsChangesShowOnTheNextLoad) {
  file.addMany("SP", 12);
  PageCache cache(file.table, 5);
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:CODIGO")).isOk());
  ASSERT_TRUE(cache.first().isOk());
  ASSERT_TRUE(cache.nextPage().isOk());
  EXPECT_EQ(codes(cache.rows()), span(6, 10));

  // A second connection, as another workstation: the cache holds no read
  // snapshot, so its writes are seen at once.
  Table other(&def);
  ASSERT_TRUE(other.open(file.path()).isOk());
  other.buffer().clear();
  other.buffer().setText("CID:UF", "SP");
  other.buffer().setInt("CID:Codigo", 7);
  ASSERT_TRUE(other.get(key("CID:KEY:CODIGO")).isOk());
  Record seven = other.buffer();
  ASSERT_TRUE(other.erase().isOk());

  Result<size_t> at = cache.refreshAround(seven);
  ASSERT_TRUE(at.isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{6, 8, 9, 10, 11}));
  EXPECT_EQ(cache.rows()[*at].getInt("CID:Codigo"), 8) << "the row now standing at its place";

  other.buffer().clear();
  other.buffer().setText("CID:UF", "SP");
  other.buffer().setInt("CID:Codigo", 100);
  ASSERT_TRUE(other.insert().isOk());
  at = cache.refreshAround(other.buffer());
  ASSERT_TRUE(at.isOk());
  EXPECT_EQ(cache.rows()[*at].getInt("CID:Codigo"), 100);
  EXPECT_TRUE(cache.atEnd());
  ASSERT_TRUE(cache.reload().isOk());
  EXPECT_TRUE(cache.indexOf(other.buffer().recordId()).has_value());
}

TEST_P(PageCacheTest, EqualTextsWithoutCaseOrAccentPageByRecordNumber) {
  // compareText(): the accent-free upper case first, then the upper case
  // with its accents; equal texts in record order.
  const char* names[] = {"João", "Éder", "Ana", "Joao", "EDER", "JOÃO", "éder", "Eder", "joão", "Zé", "eder"};
  for (int i = 0; i < 11; ++i) file.add("SP", i + 1, names[i]);
  // Ana; Eder group (EDER, Eder, eder); Éder group (Éder, éder); Joao;
  // João group (João, JOÃO, joão); Zé.
  const std::vector<int64_t> expected = {3, 5, 8, 11, 2, 7, 4, 1, 6, 9, 10};
  PageCache cache(file.table, 3);
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:NOME")).isOk());
  std::vector<int64_t> seen;
  ASSERT_TRUE(cache.first().isOk());
  for (;;) {
    for (int64_t c : codes(cache.rows()))
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    if (cache.atEnd()) break;
    ASSERT_TRUE(cache.nextPage().isOk());
  }
  EXPECT_EQ(seen, expected);
  // Backwards from the end, page by page, the same order.
  std::vector<int64_t> back;
  ASSERT_TRUE(cache.last().isOk());
  for (;;) {
    std::vector<int64_t> page = codes(cache.rows());
    for (auto it = page.rbegin(); it != page.rend(); ++it)
      if (std::find(back.begin(), back.end(), *it) == back.end()) back.push_back(*it);
    if (cache.atStart()) break;
    ASSERT_TRUE(cache.previousPage().isOk());
  }
  EXPECT_EQ(std::vector<int64_t>(back.rbegin(), back.rend()), expected);
  // A page that starts inside a group of equal names: after "Eder" (code 8)
  // come the rest of its group, then "Éder".
  ASSERT_TRUE(cache.first().isOk());
  ASSERT_TRUE(cache.nextPage().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{11, 2, 7}));
  // Typing a name finds its group whatever its case.
  Record probe(&def);
  probe.setText("CID:UF", "SP");
  ASSERT_TRUE(cache.setRange(1, probe).isOk());
  for (auto [typed, first] : {std::pair{"éDER", 2}, std::pair{"eder", 5}, std::pair{"JOAO", 4}, std::pair{"joão", 1}}) {
    probe.setText("CID:Nome", utf8ToLatin1(typed));
    Result<size_t> at = cache.locate(probe);
    ASSERT_TRUE(at.isOk());
    ASSERT_LT(*at, cache.rows().size()) << typed;
    EXPECT_EQ(cache.rows()[*at].getInt("CID:Codigo"), first) << typed;
  }
  // A range on a name fixes the group, not the spelling.
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:NOME")).isOk());
  probe.setText("CID:Nome", utf8ToLatin1("JOÃO"));
  ASSERT_TRUE(cache.setRange(2, probe).isOk());
  ASSERT_TRUE(cache.first().isOk());
  EXPECT_EQ(codes(cache.rows()), (std::vector<int64_t>{1, 6, 9}));
}

TEST_P(PageCacheTest, DescendingKeyWithEqualValuesPagesBothWays) {
  // Populations repeat: a page boundary falls inside runs of equal values,
  // which list in record order.
  std::vector<std::pair<int64_t, int64_t>> byKey;  // (-population, code)
  for (int i = 1; i <= 23; ++i) {
    const int64_t population = 100 * (i % 4);
    file.add(i % 2 ? "SP" : "MG", i, "Cidade " + std::to_string(i), population);
    byKey.push_back({-population, i});
  }
  std::sort(byKey.begin(), byKey.end());
  std::vector<int64_t> expected;
  for (const auto& [p, c] : byKey) expected.push_back(c);
  PageCache cache(file.table, 4);
  ASSERT_TRUE(cache.setOrder(key("CID:KEY:POPULACAO")).isOk());
  std::vector<int64_t> forward;
  ASSERT_TRUE(cache.first().isOk());
  do {
    ASSERT_EQ(cache.rows().size(), 4u);
    for (int64_t c : codes(cache.rows()))
      if (std::find(forward.begin(), forward.end(), c) == forward.end()) forward.push_back(c);
  } while (cache.nextPage().isOk());
  EXPECT_EQ(forward, expected);
  EXPECT_TRUE(cache.atEnd());
  EXPECT_EQ(codes(cache.rows()), std::vector<int64_t>(expected.end() - 4, expected.end()));
  ASSERT_TRUE(cache.previousPage().isOk());
  EXPECT_EQ(codes(cache.rows()), std::vector<int64_t>(expected.end() - 8, expected.end() - 4));
  // Located at a population: the first town with at most that many.
  Record probe(&def);
  probe.setInt("CID:Populacao", 250);
  Result<size_t> at = cache.locate(probe);
  ASSERT_TRUE(at.isOk());
  EXPECT_EQ(cache.rows()[*at].getInt("CID:Populacao"), 200);
  EXPECT_EQ(cache.rows()[*at].getInt("CID:Codigo"), 2) << "the first of its run";
}

TEST_P(PageCacheTest, RequestsThatDoNotFitTheTableAreRefused) {
  file.addMany("SP", 3);
  PageSelection page;
  PageRequest bad;
  bad.key = key("CID:KEY:NOME");
  bad.rangeComponents = 1;  // without its values
  EXPECT_TRUE(file.table.selectPage(bad, &page).is(StatusCode::kInvalidArgument));
  bad.rangeComponents = 0;
  bad.from = PageFrom::kBeyond;  // without an anchor
  EXPECT_TRUE(file.table.selectPage(bad, &page).is(StatusCode::kInvalidArgument));
  PageRequest sql;
  sql.key = key("CID:KEY:CODIGO");
  sql.limit = 10;
  sql.condition = "\"CODIGO\" > ?";
  sql.conditionParams = {SqlParam::ofInteger(1)};
  // Each storage takes the SQL written for it and refuses the other's,
  // never ignoring it.
  const SqlDialect own = onServer() ? SqlDialect::kPostgres : SqlDialect::kSqlite;
  sql.conditionDialect = onServer() ? SqlDialect::kSqlite : SqlDialect::kPostgres;
  EXPECT_TRUE(file.table.selectPage(sql, &page).is(StatusCode::kUnsupported));
  sql.conditionDialect = own;
  Status s = file.table.selectPage(sql, &page);
  ASSERT_TRUE(s.isOk()) << s.toString();
  EXPECT_EQ(page.ids.size(), 2u);
  EXPECT_EQ(page.records.size(), onServer() ? 2u : 0u) << "read one by one on disk";
  if (onServer()) {
    // A value missing for a '?' (one inside a quoted name is none).
    sql.condition = "\"CODIGO\" > ? AND \"NOME\" <> '?' AND \"CODIGO\" < ?";
    EXPECT_TRUE(file.table.selectPage(sql, &page).is(StatusCode::kInvalidArgument));
    sql.conditionParams.push_back(SqlParam::ofInteger(3));
    ASSERT_TRUE(file.table.selectPage(sql, &page).isOk());
    EXPECT_EQ(page.ids.size(), 1u);
  }
  file.table.close();
  EXPECT_TRUE(file.table.selectPage(sql, &page).is(StatusCode::kNotOpen));
}

INSTANTIATE_TEST_SUITE_P(Backends, PageCacheTest, ::testing::Values(Backend::kRollback, Backend::kPostgres),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                           return testing::backendTestName(info.param);
                         });

}  // namespace
}  // namespace vorlam
