#include "chart/account_tags.h"

#include <gtest/gtest.h>

#include "dictionary/dictionary.h"
#include "storage/test_util.h"

namespace vorlam::chart {
namespace {

class AccountTagsTest : public ::testing::Test {
 protected:
  int64_t addAccount(Table& t, const std::string& code, uint32_t reduced) {
    t.buffer().clear();
    t.buffer().setText("PLA:Codigo", code);
    t.buffer().setInt("PLA:Reduzido", reduced);
    EXPECT_TRUE(t.insert().isOk());
    return t.buffer().recordId();
  }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
};

TEST_F(AccountTagsTest, SetIsReplacedWholeAndOtherSetsStay) {
  Table tags(dict->find("DasTagFileInd"));
  ASSERT_TRUE(tags.open(dir.file("DasTagIn.dat")).isOk());
  // Another screen's set.
  tags.buffer().clear();
  tags.buffer().setInt("RGS:ARQUIVO", 1);
  tags.buffer().setInt("RGS:REGISTRO", 7);
  ASSERT_TRUE(tags.append().isOk());

  AccountTags set;
  set.tag(3);
  set.tag(5);
  ASSERT_TRUE(set.save(tags).isOk());
  set.toggle(3);
  set.tag(9);
  ASSERT_TRUE(set.save(tags).isOk());

  AccountTags again;
  ASSERT_TRUE(again.load(tags).isOk());
  EXPECT_EQ(again.ids(), (std::set<int64_t>{5, 9}));
  AccountTags other;
  ASSERT_TRUE(other.load(tags, 1).isOk());
  EXPECT_EQ(other.ids(), (std::set<int64_t>{7}));
  Result<int64_t> n = tags.count();
  ASSERT_TRUE(n.isOk());
  EXPECT_EQ(*n, 3);

  again.invert({5, 9, 11});
  EXPECT_EQ(again.ids(), (std::set<int64_t>{11}));
  EXPECT_TRUE(again.matches(11, TagView::kTagged));
  EXPECT_TRUE(again.matches(5, TagView::kUntagged));
  EXPECT_EQ(nextTagView(TagView::kUntagged), TagView::kAll);
  EXPECT_STREQ(tagViewCaption(nextTagView(TagView::kAll)), "Showing Tagged");
}

TEST_F(AccountTagsTest, TagKeepsNamingItsAccountAfterPackAndRebuild) {
  Table chart(dict->find("PlanoContas"));
  ASSERT_TRUE(chart.open(dir.file("PlCon001.dat")).isOk());
  std::vector<int64_t> ids;
  for (int i = 0; i < 20; ++i) ids.push_back(addAccount(chart, "1.1.1.01." + std::to_string(1000 + i), i + 1));
  // Delete every other account, then pack: the space of the deleted ones
  // is reclaimed, the survivors keep their numbers.
  for (int i = 0; i < 20; i += 2) {
    ASSERT_TRUE(chart.getById(ids[i]).isOk());
    ASSERT_TRUE(chart.erase().isOk());
  }
  Table tags(dict->find("DasTagFileInd"));
  ASSERT_TRUE(tags.open(dir.file("DasTagIn.dat")).isOk());
  AccountTags set;
  set.tag(ids[5]);
  set.tag(ids[17]);
  set.tag(ids[19]);
  ASSERT_TRUE(set.save(tags).isOk());
  // The last account goes after it was tagged: its number is never given
  // to a new account, so the stale tag names nothing.
  ASSERT_TRUE(chart.getById(ids[19]).isOk());
  ASSERT_TRUE(chart.erase().isOk());
  ASSERT_TRUE(chart.pack().isOk());
  ASSERT_TRUE(chart.rebuildKeys().isOk());
  // Accounts added after the pack never take a tagged number.
  for (int i = 0; i < 10; ++i) addAccount(chart, "2.1.1.01." + std::to_string(1000 + i), 100 + i);

  AccountTags loaded;
  ASSERT_TRUE(loaded.load(tags).isOk());
  std::set<std::string> codes;
  EXPECT_EQ(loaded.ids().size(), 3u);
  for (int64_t id : loaded.ids()) {
    if (!chart.getById(id).isOk()) continue;
    codes.insert(std::string(chart.buffer().getText("PLA:Codigo")).substr(0, 13));
  }
  EXPECT_EQ(codes, (std::set<std::string>{"1.1.1.01.1005", "1.1.1.01.1017"}));
  EXPECT_FALSE(chart.getById(ids[19]).isOk());
}

}  // namespace
}  // namespace vorlam::chart
