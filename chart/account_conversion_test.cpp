#include "chart/account_conversion.h"

#include <gtest/gtest.h>

#include "storage/text.h"

namespace vorlam::chart {
namespace {

// Converts with a plan that must be accepted; returns the result clipped.
std::string convert(const AccountStructure& from, const AccountStructure& to,
                    std::string_view code) {
  Result<ConversionPlan> plan = ConversionPlan::make(from, to);
  EXPECT_TRUE(plan.isOk()) << plan.status().message();
  const std::string result = plan->convert(fitText(code, kAccountCodeLength));
  EXPECT_EQ(result.size(), kAccountCodeLength);
  return std::string(clipText(result));
}

const AccountStructure kOld5 = makeStructure(1, {1, 1, 1, 2, 4});
const AccountStructure kNew5 = makeStructure(2, {1, 1, 1, 2, 6});

TEST(ConversionTest, WorkedExamples) {
  EXPECT_EQ(convert(kOld5, kNew5, "1.1.1.01.0001"), "1.1.1.01.000001");
  EXPECT_EQ(convert(kOld5, kNew5, "1.1.1.01"), "1.1.1.01");
  EXPECT_EQ(convert(kOld5, kNew5, "1.1.1.01.000001"), "1.1.1.01.000001");
  EXPECT_EQ(convert(kOld5, kNew5, "CLIENTE"), "CLIENTE");

  const AccountStructure from = makeStructure(3, {1, 2, 3});
  const AccountStructure to = makeStructure(4, {2, 2, 4});
  EXPECT_EQ(convert(from, to, "1.01.001"), "01.01.0001");
  EXPECT_EQ(convert(from, to, "1.01"), "01.01");
  EXPECT_EQ(convert(from, to, "1"), "01");
}

TEST(ConversionTest, SpecialWordsInAnyCasePassThrough) {
  for (const char* word : {"FORNECEDOR", "fornecedor", "Fornecedor", "CLIENTE", "cliente",
                           "cLiEnTe", "CLIENTE   "}) {
    EXPECT_TRUE(isSpecialWord(word)) << word;
    EXPECT_EQ(convert(kOld5, kNew5, word), clipText(word)) << word;
  }
  // Exactly as stored, case included.
  Result<ConversionPlan> plan = ConversionPlan::make(kOld5, kNew5);
  EXPECT_EQ(plan->convert("fornecedor"), fitText("fornecedor", 40));
  EXPECT_FALSE(isSpecialWord(" CLIENTE"));
  EXPECT_FALSE(isSpecialWord("CLIENTES"));
  EXPECT_FALSE(isSpecialWord(""));
}

TEST(ConversionTest, FullLengthWithSameWidthsIsUnchanged) {
  // Same widths for levels 1 to 9, different level counts.
  AccountStructure to = kOld5;
  to.code = 9;
  to.levelCount = 4;
  EXPECT_EQ(fullCodeLength(to), 8);
  EXPECT_EQ(convert(kOld5, to, "1.1.1.01"), "1.1.1.01");
  // Same structure both sides: analytic codes convert to themselves.
  EXPECT_EQ(convert(kOld5, kOld5, "2.2.2.02.0002"), "2.2.2.02.0002");
}

TEST(ConversionTest, SyntheticCodesKeepTheirLevelCount) {
  EXPECT_EQ(convert(kOld5, kNew5, "1"), "1");  // one level, same width
  EXPECT_EQ(convert(kOld5, kNew5, "1.1.1"), "1.1.1");
  EXPECT_EQ(convert(makeStructure(1, {1, 2}), makeStructure(2, {3, 2}), "7"), "007");
  EXPECT_EQ(convert(makeStructure(1, {1, 2}), makeStructure(2, {3, 2}), "7.05"), "007.05");
}

TEST(ConversionTest, GrownLevelsGetLeadingZeros) {
  const AccountStructure from = makeStructure(1, {1, 1, 1, 2, 4});
  const AccountStructure to = makeStructure(2, {2, 3, 1, 4, 4, 2});
  EXPECT_EQ(convert(from, to, "1.2.3.45.6789"), "01.002.3.0045.6789");
}

TEST(ConversionTest, TextAfterTheNinthLevelIsDropped) {
  const AccountStructure nine = makeStructure(1, {1, 1, 1, 1, 1, 1, 1, 1, 1});
  const AccountStructure wider = makeStructure(2, {1, 1, 1, 1, 1, 1, 1, 1, 2});
  EXPECT_EQ(convert(nine, wider, "1.2.3.4.5.6.7.8.9.1.2"), "1.2.3.4.5.6.7.8.09");
}

TEST(ConversionTest, TextBeyondTheNewLevelsLeavesNoDanglingDot) {
  EXPECT_EQ(convert(kOld5, kNew5, "1.1.1.01.0001.5"), "1.1.1.01.000001");
  EXPECT_EQ(convert(kOld5, kNew5, "1.1.1.01.0001.5.6.7"), "1.1.1.01.000001");
  // Levels inside the new count keep their separator even without digits.
  const AccountStructure gap = makeStructure(1, {2, 0, 2});
  EXPECT_EQ(convert(gap, gap, "11..22"), "11..22");
}

TEST(ConversionTest, SeparatorIsSkippedWhateverItIs) {
  EXPECT_EQ(convert(kOld5, kNew5, "1-1-1-01-0001"), "1.1.1.01.000001");
  EXPECT_EQ(convert(kOld5, kNew5, "1.1.1.01."), "1.1.1.01");
}

TEST(ConversionTest, ResultCutByCallerToItsField) {
  const AccountStructure from = makeStructure(1, {2, 2, 2, 2, 2, 2});
  const AccountStructure to = makeStructure(2, {4, 4, 4, 4, 4, 4});
  Result<ConversionPlan> plan = ConversionPlan::make(from, to);
  const std::string result = plan->convert("11.22.33.44.55.66");
  EXPECT_EQ(clipText(result), "0011.0022.0033.0044.0055.0066");
  EXPECT_EQ(fitText(result, 20), "0011.0022.0033.0044.");
}

TEST(ConversionTest, ResultNeverPassesFortyCharacters) {
  const AccountStructure from = makeStructure(1, {9, 9, 9});
  const AccountStructure to = makeStructure(2, {20, 20, 20});
  Result<ConversionPlan> plan = ConversionPlan::make(from, to);
  const std::string result = plan->convert("123456789.123456789.123456789");
  EXPECT_EQ(result, std::string(11, '0') + "123456789." + std::string(11, '0') + "12345678");
}

TEST(ConversionTest, BlankAndShortInputs) {
  Result<ConversionPlan> plan = ConversionPlan::make(kOld5, kNew5);
  EXPECT_EQ(plan->convert(""), std::string(40, ' '));
  EXPECT_EQ(plan->convert(std::string(40, ' ')), std::string(40, ' '));
  // Unpadded input behaves as its padded form.
  EXPECT_EQ(plan->convert("1.1.1.01.0001"), plan->convert(fitText("1.1.1.01.0001", 40)));
  // Only the first 40 characters of the field count.
  EXPECT_EQ(plan->convert(fitText("1.1", 40) + "9.9"), plan->convert("1.1"));
}

// A code is taken as written in the new structure only when its dots stand
// exactly at the new level boundaries, not merely when its length matches.
TEST(ConversionTest, FullLengthNeedsDotsAtTheNewBoundaries) {
  // Levels 4 and 5 of the new structure are stored but beyond its count, so
  // the new full length is 8 — the length of the old synthetic 1.1.1.01.
  AccountStructure to = makeStructure(2, {2, 2, 2, 2, 4});
  to.levelCount = 3;
  ASSERT_EQ(fullCodeLength(to), 8);
  // Judged by length alone, its digits would be regrouped into other levels:
  ASSERT_EQ(formataConta(to, trocaCaracter("1.1.1.01", '.', "")), "11.10.1");
  EXPECT_EQ(convert(kOld5, to, "1.1.1.01"), "01.01.01.01");
  // A code really written in the new structure is regrouped to itself.
  EXPECT_EQ(convert(kOld5, to, "11.10.01"), "11.10.01");
}

TEST(ConversionTest, FullLengthWithoutDotsConvertsLevelByLevel) {
  // Length 15 = new full length, but no dots: not a code of the new structure.
  EXPECT_EQ(convert(kOld5, kNew5, "111010000010000"), "1.1.1.00.000100");
  // Dots at the boundaries plus one elsewhere: not a new code either.
  EXPECT_EQ(convert(kOld5, kNew5, "1.1.1.01.00.001"), "1.1.1.01.0000.0");
}

TEST(ConversionTest, RegroupingDropsDotsLikeTrocaCaracter) {
  // New structure with other widths whose full length happens to be reached.
  const AccountStructure from = makeStructure(1, {1, 1, 1});
  AccountStructure to = makeStructure(2, {1, 1, 3});
  EXPECT_EQ(convert(from, to, "1.2.345"), "1.2.345");
  EXPECT_EQ(convert(from, to, "1.2.3"), "1.2.003");
}

TEST(ConversionTest, OutputOverloadGivesTheSameResult) {
  Result<ConversionPlan> plan = ConversionPlan::make(kOld5, kNew5);
  std::string out;
  for (const char* code : {"1.1.1.01.0001", "CLIENTE", "1", "1.1.1.01.000001"}) {
    plan->convert(code, &out);
    EXPECT_EQ(out, plan->convert(code)) << code;
  }
}

TEST(ConversionTest, EmptyPlanReturnsCodesUnchanged) {
  ConversionPlan plan;
  EXPECT_EQ(plan.convert("1.1.1"), fitText("1.1.1", 40));
}

TEST(ConversionTest, OneOffConversion) {
  Result<std::string> r = converteConta(kOld5, kNew5, "1.1.1.01.0001");
  ASSERT_TRUE(r.isOk());
  EXPECT_EQ(clipText(*r), "1.1.1.01.000001");
  EXPECT_FALSE(converteConta(kNew5, kOld5, "1.1.1.01.000001").isOk());
}

TEST(ConversionPairTest, AcceptsGrowingAndEqualLevels) {
  EXPECT_TRUE(checkConversionPair(kOld5, kNew5).isOk());
  EXPECT_TRUE(checkConversionPair(kOld5, kOld5).isOk());
  EXPECT_TRUE(checkConversionPair(makeStructure(1, {1, 2}), makeStructure(2, {1, 2, 3})).isOk());
}

TEST(ConversionPairTest, RefusesAShrinkingLevel) {
  const Status st = checkConversionPair(kNew5, kOld5);
  EXPECT_TRUE(st.is(StatusCode::kInvalidArgument));
  EXPECT_NE(st.message().find("5º nível tem 6 dígito(s) na estrutura atual e 4"),
            std::string::npos)
      << st.message();
  // 1,1,1,2,4 to 2,2,2: levels 4 and 5 would lose their digits.
  const Status lost = checkConversionPair(kOld5, makeStructure(3, {2, 2, 2}));
  EXPECT_NE(lost.message().find("4º nível"), std::string::npos) << lost.message();
  EXPECT_FALSE(ConversionPlan::make(kOld5, makeStructure(3, {2, 2, 2})).isOk());
  // Level 1 shrinking.
  EXPECT_FALSE(checkConversionPair(makeStructure(1, {2, 2}), makeStructure(2, {1, 3})).isOk());
}

TEST(ConversionPairTest, RefusesLevelCounts) {
  const Status none = checkConversionPair(AccountStructure{}, kNew5);
  EXPECT_TRUE(none.is(StatusCode::kInvalidArgument));
  EXPECT_NE(none.message().find("estrutura atual tem 0 níveis"), std::string::npos);
  const AccountStructure ten = makeStructure(3, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
  const Status tooMany = checkConversionPair(kOld5, ten);
  EXPECT_NE(tooMany.message().find("nova estrutura tem 10 níveis"), std::string::npos)
      << tooMany.message();
  EXPECT_FALSE(checkConversionPair(ten, ten).isOk());
  const AccountStructure nine = makeStructure(3, {1, 1, 1, 1, 1, 1, 1, 1, 1});
  EXPECT_TRUE(checkConversionPair(nine, nine).isOk());
}

TEST(ConversionPairTest, RefusesAbsentStructures) {
  const Status noOld = checkConversionPair(std::nullopt, kNew5);
  EXPECT_TRUE(noOld.is(StatusCode::kNotFound));
  EXPECT_EQ(noOld.message(),
            "Atenção!!! A estrutura atual do plano de contas não está cadastrada!!!");
  const Status noNew = checkConversionPair(kOld5, std::nullopt);
  EXPECT_EQ(noNew.message(),
            "Atenção!!! A nova estrutura do plano de contas não está cadastrada!!!");
}

TEST(ConversionPairTest, RefusesCodesAbove999) {
  AccountStructure big = kNew5;
  big.code = 1000;
  EXPECT_FALSE(checkConversionPair(kOld5, big).isOk());
  EXPECT_FALSE(checkConversionPair(big, kNew5).isOk());
}

}  // namespace
}  // namespace vorlam::chart
