#include "sampledata/reference_data.h"

#include <gtest/gtest.h>

#include <set>

#include "sampledata/reference_lists.h"

namespace vorlam::sampledata {
namespace {

TEST(ReferenceListsTest, CsvRowsReadQuotedFields) {
  auto rows = csvRows("a,b\r\n1,\"x, y\"\r\n\r\n2,\"say \"\"hi\"\"\",z\n3,\n");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "x, y"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "say \"hi\"", "z"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"3", ""}));
}

TEST(ReferenceListsTest, CutAtWordKeepsWholeWordsWithinTheLimit) {
  EXPECT_EQ(cutAtWord("Compra para comercialização", 100), "Compra para comercialização");
  // Characters, not bytes, count: "ção" is three characters.
  EXPECT_EQ(cutAtWord("Compra para comercialização", 27), "Compra para comercialização");
  EXPECT_EQ(cutAtWord("Compra para comercialização", 26), "Compra para");
  // A word that ends exactly at the limit stays; the punctuation before a
  // cut goes.
  EXPECT_EQ(cutAtWord("Venda de mercadoria, destinada", 19), "Venda de mercadoria");
  EXPECT_EQ(cutAtWord("Venda de mercadoria, destinada", 21), "Venda de mercadoria");
  EXPECT_EQ(cutAtWord("Supercalifragilistico", 5), "Super");
  EXPECT_EQ(cutAtWord("", 5), "");
}

TEST(ReferenceListsTest, OfficialTablesAsCompiledIn) {
  EXPECT_EQ(cnaeRows().size(), 1332u);
  std::set<uint32_t> codes;
  for (const CnaeRow& r : cnaeRows()) {
    EXPECT_TRUE(codes.insert(r.code).second) << r.code;
    EXPECT_LT(r.code, 10000000u);
  }
  EXPECT_TRUE(codes.count(6201501));
  for (int word = -1; word < static_cast<int>(businessWords().size()); ++word)
    for (uint32_t c : cnaeCandidates(word)) EXPECT_TRUE(codes.count(c)) << word << " " << c;

  EXPECT_EQ(cfopCatalogue().size(), 619u);
  for (const CfopRow& r : cfopRows()) {
    bool listed = false;
    for (const CfopEntry& e : cfopCatalogue()) listed = listed || e.code == r.code;
    EXPECT_TRUE(listed) << r.code;
  }
  EXPECT_EQ(serviceCatalogue().size(), 201u);
  EXPECT_EQ(serviceCatalogue().front().code, 101u);
  EXPECT_EQ(serviceCatalogue().back().code, 9901u);
}

}  // namespace
}  // namespace vorlam::sampledata
