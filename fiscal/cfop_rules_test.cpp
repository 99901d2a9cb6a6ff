#include "fiscal/cfop_rules.h"

#include <gtest/gtest.h>

#include "dictionary/dictionary.h"
#include "framework/filter.h"
#include "framework/filter_pictures.h"
#include "storage/record.h"

namespace vorlam::fiscal {
namespace {

TEST(CfopRules, GiaMsCodeFollowsTheRowsAndLeavesOthers) {
  EXPECT_EQ(giaMsCode(512), 32);
  EXPECT_EQ(giaMsCode(515), 32);
  EXPECT_EQ(giaMsCode(518), std::nullopt);  // between 517 and 521
  // Both ends of ranges, single codes and the gaps around them.
  EXPECT_EQ(giaMsCode(111), 4);
  EXPECT_EQ(giaMsCode(114), 4);
  EXPECT_EQ(giaMsCode(110), std::nullopt);
  EXPECT_EQ(giaMsCode(115), std::nullopt);
  EXPECT_EQ(giaMsCode(165), 8);
  EXPECT_EQ(giaMsCode(191), 9);
  EXPECT_EQ(giaMsCode(199), 13);
  EXPECT_EQ(giaMsCode(399), 30);
  EXPECT_EQ(giaMsCode(400), std::nullopt);
  EXPECT_EQ(giaMsCode(761), 51);
  EXPECT_EQ(giaMsCode(799), 54);
  EXPECT_EQ(giaMsCode(5102), std::nullopt);  // the table knows three-digit codes only
  EXPECT_EQ(giaMsCode(0), std::nullopt);
}

TEST(CfopRules, ContributorDefaultsToNonContributorForThreeCodes) {
  EXPECT_EQ(defaultContributor(6108), kNonContributor);
  EXPECT_EQ(defaultContributor(618), kNonContributor);
  EXPECT_EQ(defaultContributor(619), kNonContributor);
  EXPECT_EQ(defaultContributor(6107), kContributor);
  EXPECT_EQ(defaultContributor(5102), kContributor);
}

TEST(CfopRules, PicturesFollowTheYearAndTheCode) {
  EXPECT_EQ(codeEntryPicture(5102, 2024), "@n5");
  EXPECT_EQ(codeEntryPicture(512, 2003), "@n5");
  EXPECT_EQ(codeEntryPicture(512, 2002), "@n4");
  EXPECT_EQ(codeEntryPicture(5102, 2002), "@p###.#p");
  EXPECT_EQ(writtenCode(512, 2024), "0512");
  EXPECT_EQ(writtenCode(512, 2002), "512");
  EXPECT_EQ(writtenCode(5102, 2002), "5102");
  EXPECT_EQ(writtenCode(12, 2002), "012");
  // The contributor shows for exits: the first written digit is 5 or more.
  EXPECT_TRUE(showsContributor(512, 2002));
  EXPECT_FALSE(showsContributor(512, 2024));  // "0512"
  EXPECT_TRUE(showsContributor(6108, 2024));
  EXPECT_FALSE(showsContributor(1102, 2024));
  EXPECT_FALSE(showsContributor(0, 2024));
}

TEST(CfopRules, FourDigitCodesBefore2003AreSaoPaulosAlone) {
  EXPECT_FALSE(codeAllowedInState(5102, 2002, "MG"));
  EXPECT_TRUE(codeAllowedInState(5102, 2002, "SP"));
  EXPECT_TRUE(codeAllowedInState(5102, 2003, "MG"));
  EXPECT_TRUE(codeAllowedInState(999, 2002, "MG"));
  EXPECT_FALSE(codeAllowedInState(1000, 1998, ""));
}

TEST(CfopRules, IncomeTaxRateAndExitCodes) {
  for (int c : {574, 560, 660, 5405, 5350, 5357, 6350, 6357}) EXPECT_TRUE(showsIncomeTaxRate(c, true)) << c;
  for (int c : {575, 5349, 5358, 6349, 6358, 5102}) EXPECT_FALSE(showsIncomeTaxRate(c, true)) << c;
  EXPECT_FALSE(showsIncomeTaxRate(574, false));
  for (int c : {500, 799, 5000, 7949}) EXPECT_TRUE(isExitCode(c)) << c;
  for (int c : {499, 800, 4999, 7950, 1102}) EXPECT_FALSE(isExitCode(c)) << c;
}

// The list's filter, run by the filter engine with the screen's pictures,
// keeps exactly the codes of the year, over the whole range of the field.
TEST(CfopRules, PeriodFilterAgreesWithThePeriodRule) {
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  const TableDef* cfo = dict->find("CFO");
  ASSERT_NE(cfo, nullptr);
  Record r(cfo);
  const int code = cfo->fieldIndex("CFO:Codigo");
  for (int year : {2002, 2003}) {
    Result<Filter> f = Filter::compile(periodFilter(year), *cfo, displayPictureFormatter());
    ASSERT_TRUE(f.isOk()) << f.status().message();
    FilterVariableMap none;
    Result<BoundFilter> bound = f.value().bind(none);
    ASSERT_TRUE(bound.isOk());
    for (int c = 0; c <= 9999; ++c) {
      r.setInt(code, c);
      ASSERT_EQ(bound.value().matches(r), codeOfPeriod(c, year)) << c << " in " << year;
    }
  }
  EXPECT_TRUE(codeOfPeriod(512, 2002));
  EXPECT_TRUE(codeOfPeriod(5199, 2002));
  EXPECT_TRUE(codeOfPeriod(5191, 2002));
  EXPECT_FALSE(codeOfPeriod(5102, 2002));
  EXPECT_TRUE(codeOfPeriod(5102, 2003));
  EXPECT_FALSE(codeOfPeriod(512, 2003));
  EXPECT_FALSE(codeOfPeriod(5199, 2003));
}

}  // namespace
}  // namespace vorlam::fiscal
