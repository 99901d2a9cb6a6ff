#include "chart/structure_rules.h"

#include <vector>

#include <gtest/gtest.h>

namespace vorlam::chart {
namespace {

AccountStructure named(AccountStructure s, const char* name) {
  s.name = name;
  return s;
}

std::vector<AccountStructure> storedStructures() {
  return {named(makeStructure(1, {1, 1, 1, 2, 4}), "Padrão"),
          named(makeStructure(3, {1, 2, 3}), "Três níveis"),
          named(makeStructure(5, {2, 2, 2, 2}), "Quatro níveis")};
}

TEST(StructureFormTest, Captions) {
  EXPECT_STREQ(structureFormCaption(FormRequest::kInsert), "Incluindo um Plano de Contas");
  EXPECT_STREQ(structureFormCaption(FormRequest::kChange), "Alterando um Plano de Contas");
  EXPECT_STREQ(structureFormCaption(FormRequest::kDelete), "Excluindo um Plano de Contas");
}

TEST(StructureFormTest, LevelsEnabledUpToTheLevelCount) {
  AccountStructure s = makeStructure(1, {1, 1, 1, 2, 4});
  for (int n = 1; n <= 5; ++n) EXPECT_TRUE(levelEditable(s, n)) << n;
  for (int n = 6; n <= 9; ++n) EXPECT_FALSE(levelEditable(s, n)) << n;
  EXPECT_FALSE(levelEditable(s, 0));
  s.levelCount = 12;
  EXPECT_TRUE(levelEditable(s, 9));
  EXPECT_FALSE(levelEditable(s, 10));  // the form edits levels 1 to 9 only
}

TEST(StructureFormTest, OpeningZeroesLevelsBeyondTheCount) {
  AccountStructure s = makeStructure(1, {1, 1, 1, 2, 4, 3, 3});
  s.levelCount = 5;
  s.setLevelDigits(11, 2);  // carried
  applyLevelCount(&s);
  EXPECT_EQ(s.mask, "9.9.9.99.9999");
  for (int n = 6; n <= 9; ++n) EXPECT_EQ(s.levelDigits(n), 0) << n;
  EXPECT_EQ(s.levelDigits(11), 2);
}

TEST(StructureFormTest, LoweringTheLevelCountZeroesLevels) {
  AccountStructure s = makeStructure(1, {1, 1, 1, 2, 4});
  s.levelCount = 3;
  applyLevelCount(&s);
  EXPECT_EQ(s.levelDigits(4), 0);
  EXPECT_EQ(s.levelDigits(5), 0);
  EXPECT_EQ(s.mask, "9.9.9");
  // Raising it again enables the levels, which stay 0 until typed.
  s.levelCount = 5;
  applyLevelCount(&s);
  EXPECT_EQ(s.mask, "9.9.9");
  s.setLevelDigits(4, 3);
  applyLevelDigits(&s);
  EXPECT_EQ(s.mask, "9.9.9.999");
}

TEST(StructureSaveTest, DigitTotalBelowThirty) {
  const auto stored = storedStructures();
  EXPECT_FALSE(checkStructureSave(makeStructure(9, {9, 9, 9, 2}), FormRequest::kInsert, stored));
  const auto refused = checkStructureSave(makeStructure(9, {9, 9, 9, 3}), FormRequest::kInsert,
                                          stored);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->message,
            "Esse Plano de Contas não pode ser criado. Entre em contato com a QUELMA Informática");
  EXPECT_EQ(refused->title, "Atenção");
  EXPECT_EQ(refused->icon, MessageIcon::kInformation);
  EXPECT_FALSE(refused->errorSound);
  EXPECT_EQ(refused->focus, StructureField::kLevel1);
}

TEST(StructureSaveTest, DigitTotalCheckedForEveryRequest) {
  const auto stored = storedStructures();
  const AccountStructure tooWide = makeStructure(1, {9, 9, 9, 3});
  for (FormRequest r : {FormRequest::kInsert, FormRequest::kChange, FormRequest::kDelete}) {
    EXPECT_TRUE(checkStructureSave(tooWide, r, stored)) << static_cast<int>(r);
  }
}

TEST(StructureSaveTest, DuplicateLayoutNamesThePlan) {
  const auto stored = storedStructures();
  const auto refused = checkStructureSave(named(makeStructure(8, {1, 2, 3}), "Outro nome"),
                                          FormRequest::kInsert, stored);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->message,
            "Atenção!!! O plano 3 já está cadastrado com a quantidade de níveis informada!!!");
  EXPECT_EQ(refused->title, "Atenção!!!");
  EXPECT_EQ(refused->icon, MessageIcon::kStop);
  EXPECT_TRUE(refused->errorSound);
  EXPECT_EQ(refused->focus, StructureField::kNumeroNiveis);
  // A change of another structure into the same layout is refused too.
  EXPECT_TRUE(checkStructureSave(makeStructure(5, {1, 2, 3}), FormRequest::kChange, stored));
}

TEST(StructureSaveTest, DuplicateScanComparesCountAndNineLevelsOnly) {
  const auto stored = storedStructures();
  // Same widths, different level count: no duplicate.
  AccountStructure s = makeStructure(8, {1, 2, 3});
  s.levelCount = 4;
  EXPECT_FALSE(findDuplicateLayout(s, stored));
  // Levels 10 to 13 take no part.
  AccountStructure t = makeStructure(8, {1, 2, 3});
  t.setLevelDigits(10, 4);
  EXPECT_EQ(findDuplicateLayout(t, stored), 3);
  // The first in code order is named, whatever the order given.
  std::vector<AccountStructure> unordered = {makeStructure(7, {1, 2, 3}), makeStructure(4, {1, 2, 3}),
                                             makeStructure(6, {1, 2, 3})};
  EXPECT_EQ(findDuplicateLayout(makeStructure(9, {1, 2, 3}), unordered), 4);
}

TEST(StructureSaveTest, NameOnlyChangeAccepted) {
  const auto stored = storedStructures();
  EXPECT_FALSE(checkStructureSave(named(makeStructure(3, {1, 2, 3}), "Novo nome"),
                                  FormRequest::kChange, stored));
}

TEST(StructureSaveTest, DeletionSkipsTheDuplicateScan) {
  const auto stored = storedStructures();
  EXPECT_FALSE(checkStructureSave(makeStructure(8, {1, 2, 3}), FormRequest::kDelete, stored));
}

TEST(StructureSaveTest, CodesAbove999Refused) {
  const auto stored = storedStructures();
  const auto refused = checkStructureSave(makeStructure(1000, {2, 3}), FormRequest::kInsert, stored);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->focus, StructureField::kCodigo);
  EXPECT_NE(refused->message.find("1000"), std::string::npos);
  EXPECT_FALSE(checkStructureSave(makeStructure(999, {2, 3}), FormRequest::kInsert, stored));
  // A stray structure of such a code can still be deleted.
  EXPECT_FALSE(checkStructureSave(makeStructure(1000, {2, 3}), FormRequest::kDelete, stored));
}

TEST(StructureSaveTest, LevelCountOutsideTheStoredLevelsRefused) {
  const auto stored = storedStructures();
  AccountStructure none = makeStructure(8, {});
  const auto refused = checkStructureSave(none, FormRequest::kInsert, stored);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->message, "O Número de Níveis deve estar entre 1 e 13.");
  EXPECT_EQ(refused->focus, StructureField::kNumeroNiveis);
  AccountStructure many = makeStructure(8, {2, 2, 2});
  many.levelCount = 14;
  EXPECT_TRUE(checkStructureSave(many, FormRequest::kChange, stored));
  many.levelCount = 13;  // levels 10 to 13 are stored, and carried by the form
  EXPECT_FALSE(checkStructureSave(many, FormRequest::kChange, stored));
  // Such a structure, once stored, can still be deleted.
  EXPECT_FALSE(checkStructureSave(none, FormRequest::kDelete, stored));
}

TEST(StructureSaveTest, EmptyTableAcceptsAnyValidLayout) {
  EXPECT_FALSE(checkStructureSave(makeStructure(1, {1, 1, 1, 2, 4}), FormRequest::kInsert, {}));
}

}  // namespace
}  // namespace vorlam::chart
