#include "chart/account_structure.h"

#include <gtest/gtest.h>

namespace vorlam::chart {
namespace {

// The structure of the form's own instructions: "2.2.2.02.0002".
AccountStructure example() { return makeStructure(7, {1, 1, 1, 2, 4}); }

TEST(AccountStructureTest, MakeStructureSetsCountAndWidths) {
  AccountStructure s = example();
  EXPECT_EQ(s.code, 7);
  EXPECT_EQ(s.levelCount, 5);
  EXPECT_EQ(s.levelDigits(4), 2);
  EXPECT_EQ(s.levelDigits(5), 4);
  EXPECT_EQ(s.levelDigits(6), 0);
  EXPECT_EQ(s.levelDigits(0), 0);
  EXPECT_EQ(s.levelDigits(14), 0);
  s.setLevelDigits(14, 3);  // ignored
  s.setLevelDigits(13, 3);
  EXPECT_EQ(s.digits[12], 3);
}

TEST(AccountStructureTest, LevelEndPositions) {
  const AccountStructure s = example();
  const int expected[] = {1, 3, 5, 8, 13, 14, 15, 16, 17};
  for (int n = 1; n <= 9; ++n) EXPECT_EQ(tamanhoNivel(s, n), expected[n - 1]) << n;
  EXPECT_EQ(tamanhoNivel(s, 4), 8);
  EXPECT_EQ(tamanhoNivel(s, 7), 15);  // levels 6 and 7 add a dot each
  EXPECT_EQ(tamanhoNivel(s, 0), 0);
  EXPECT_EQ(tamanhoNivel(s, 10), 0);
  EXPECT_EQ(tamanhoNivel(s, -1), 0);
  EXPECT_EQ(fullCodeLength(s), 13);
  EXPECT_EQ(fullCodeLength(AccountStructure{}), 0);
}

TEST(AccountStructureTest, LevelsBeyondTheCountAddNoDigits) {
  AccountStructure s = makeStructure(1, {1, 1, 1, 2, 4});
  s.levelCount = 3;  // levels 4 and 5 still hold digits
  EXPECT_EQ(tamanhoNivel(s, 3), 5);
  EXPECT_EQ(tamanhoNivel(s, 5), 7);
  EXPECT_EQ(fullCodeLength(s), 5);
}

TEST(AccountStructureTest, DigitTotalCountsLevelsOneToNine) {
  AccountStructure s = makeStructure(1, {9, 9, 9, 2});
  EXPECT_EQ(digitTotal(s), 29);
  s.setLevelDigits(10, 5);  // level 10 is carried, not counted
  EXPECT_EQ(digitTotal(s), 29);
}

TEST(AccountStructureTest, Masks) {
  EXPECT_EQ(buildMask(example()), "9.9.9.99.9999");
  EXPECT_EQ(buildMask(makeStructure(1, {1, 2, 3})), "9.99.999");
  EXPECT_EQ(buildMask(makeStructure(1, {1, 1, 1})), "9.9.9");
  EXPECT_EQ(buildMask(AccountStructure{}), "");
  // Levels with no digits add nothing, wherever they are.
  EXPECT_EQ(buildMask(makeStructure(1, {2, 0, 3})), "99.999");
  EXPECT_EQ(buildMask(makeStructure(1, {0, 3})), ".999");
  // Never longer than a code field.
  const std::string wide = buildMask(makeStructure(1, {9, 9, 9, 9, 9}));
  EXPECT_EQ(wide.size(), 40u);
  EXPECT_EQ(wide, "999999999.999999999.999999999.999999999.");
}

TEST(AccountStructureTest, StructureCodesUpTo999) {
  EXPECT_TRUE(checkStructureCode(0).isOk());
  EXPECT_TRUE(checkStructureCode(999).isOk());
  const Status refused = checkStructureCode(1000);
  EXPECT_TRUE(refused.is(StatusCode::kInvalidArgument));
  EXPECT_NE(refused.message().find("1000"), std::string::npos);
  EXPECT_FALSE(checkStructureCode(65535).isOk());
}

TEST(TrocaCaracterTest, DropsDotsAndBlanks) {
  EXPECT_EQ(trocaCaracter("2.2.2.02.0002", '.', ""), "222020002");
  EXPECT_EQ(trocaCaracter("2.2 .3", '.', ""), "223");
  EXPECT_EQ(trocaCaracter("2 3", '.', ""), "23");
  EXPECT_EQ(trocaCaracter(" 12", '.', ""), "12");
  EXPECT_EQ(trocaCaracter("1.1.1.01.0001                           ", '.', ""), "111010001");
  EXPECT_EQ(trocaCaracter("", '.', ""), "");
}

TEST(TrocaCaracterTest, ReplacesTheCharacter) {
  EXPECT_EQ(trocaCaracter("1.2.3", '.', "-"), "1-2-3");
  EXPECT_EQ(trocaCaracter("1.2", '.', "::"), "1::2");
  EXPECT_EQ(trocaCaracter("abc", '.', ""), "abc");
  // A blank replacement is lost like any other blank.
  EXPECT_EQ(trocaCaracter("1.2", '.', " "), "12");
}

TEST(FormataContaTest, RegroupsByLevels) {
  const AccountStructure s = example();
  EXPECT_EQ(formataConta(s, "222020002"), "2.2.2.02.0002");
  EXPECT_EQ(formataConta(s, "2220"), "2.2.2.0");  // incomplete last group
  EXPECT_EQ(formataConta(s, "2"), "2");
  EXPECT_EQ(formataConta(s, ""), "");
  // Characters beyond the last level are dropped.
  EXPECT_EQ(formataConta(s, "2220200029999"), "2.2.2.02.0002");
  // A 40-character padded input gives the same code.
  EXPECT_EQ(formataConta(s, std::string("222020002") + std::string(31, ' ')), "2.2.2.02.0002");
}

TEST(FormataContaTest, BlankSlicesAreLeftOut) {
  const AccountStructure s = example();
  EXPECT_EQ(formataConta(s, "222  0002"), "2.2.2.0002");
  EXPECT_EQ(formataConta(s, " 22"), ".2.2");
}

TEST(FormataContaTest, NoLevelsGivesEmptyCode) {
  EXPECT_EQ(formataConta(AccountStructure{}, "222020002"), "");
}

TEST(FormataContaTest, OnlyNineLevelsAndFortyCharacters) {
  AccountStructure s = makeStructure(1, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
  EXPECT_EQ(formataConta(s, "12345678901"), "1.2.3.4.5.6.7.8.9");
  // Slices past the 40th character are blank, never read past the text.
  AccountStructure wide = makeStructure(1, {20, 20, 20});
  const std::string digits(40, '7');
  const std::string code = formataConta(wide, digits);
  EXPECT_EQ(code, std::string(20, '7') + "." + std::string(19, '7'));
  EXPECT_EQ(formataConta(wide, std::string(60, '1')).size(), 40u);
}

TEST(FormataContaTest, OutputOverloadReusesTheString) {
  std::string out = "old contents that must go";
  formataConta(example(), "1110", &out);
  EXPECT_EQ(out, "1.1.1.0");
}

}  // namespace
}  // namespace vorlam::chart
