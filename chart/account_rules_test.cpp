#include "chart/account_rules.h"

#include <gtest/gtest.h>

namespace vorlam::chart {
namespace {

// The example structure 1.1.1.2.4: L = 1, 3, 5, 8, 13.
const AccountStructure kExample = makeStructure(1, {1, 1, 1, 2, 4});

TEST(AccountRules, TypedCodeIsRegroupedAndGetsItsLevel) {
  // Digits taken level by level: the last group is incomplete, so the code
  // fits no level, is level 9, and its L(9) prefix holds blanks.
  const std::string partial = normalizeTypedCode(kExample, "2220002");
  EXPECT_EQ(partial, "2.2.2.00.02");
  EXPECT_EQ(editorLevel(kExample, partial), 9);
  EXPECT_TRUE(prefixHasBlank(kExample, partial, 9));

  const std::string full = normalizeTypedCode(kExample, "222020001");
  EXPECT_EQ(full, "2.2.2.02.0001");
  EXPECT_EQ(editorLevel(kExample, full), 5);
  EXPECT_FALSE(prefixHasBlank(kExample, full, 5));
  EXPECT_EQ(typeByLength(kExample, full), kAnalytic);

  // Dots and blanks typed by the user are dropped before regrouping.
  EXPECT_EQ(normalizeTypedCode(kExample, "2.2.2.02"), "2.2.2.02");
  EXPECT_EQ(editorLevel(kExample, "2.2.2.02"), 4);
  EXPECT_EQ(editorLevel(kExample, "2.2.2"), 3);
  EXPECT_EQ(typeByLength(kExample, "2.2.2.02"), kSynthetic);
}

TEST(AccountRules, PrefixesIndexAndNextProposal) {
  EXPECT_EQ(levelPrefix(kExample, "2.2.2.02.0001", 1), "2");
  EXPECT_EQ(levelPrefix(kExample, "2.2.2.02.0001", 4), "2.2.2.02");
  EXPECT_EQ(exactLevel(kExample, "2.2.2.02.0001"), 5);
  EXPECT_EQ(exactLevel(kExample, "2.2.2.00.02"), 0);
  // The index of an account is its parent group at level 4 (or the
  // synthetic group itself).
  EXPECT_EQ(indexOfNewAccount(kExample, "2.2.2.02.0001"), "2.2.2.02");
  EXPECT_EQ(indexOfNewAccount(kExample, "2.2"), "2.2");
  EXPECT_EQ(repairedIndex(kExample, "2.2.2.02", kSynthetic), "2.2.2.02");
  EXPECT_EQ(repairedIndex(kExample, "2.2.2.02.0001", kAnalytic), "2.2.2.02");
  EXPECT_EQ(nextCodeProposal(kExample, "2.2.2.02.0001", kAnalytic), "2.2.2.02.");
  EXPECT_EQ(nextCodeProposal(kExample, "2.2.2", kSynthetic), "2.2.2.");
  EXPECT_TRUE(isUnder("2.2", "2.2.1"));
  EXPECT_FALSE(isUnder("2.2", "2.2"));
  EXPECT_FALSE(isUnder("2.2.1", "2.2"));
}

TEST(AccountRules, ResultConflictsInBothGroups) {
  const std::vector<std::string> income = {"3.1", "3.2.1.01"};
  const std::vector<std::string> expenses = {"4.1"};
  // Own group: member above, the same account, member below.
  EXPECT_EQ(resultConflict(ResultGroup::kIncome, "3.1.1", income, expenses),
            "Atenção!!! A conta 3.1 já está cadastrada e é correspondente à conta de grau inferior!!!");
  EXPECT_EQ(resultConflict(ResultGroup::kIncome, "3.1", income, expenses),
            "Atenção!!! A conta selecionda já consta na estrutura do resultado!!!");
  EXPECT_EQ(resultConflict(ResultGroup::kIncome, "3.2", income, expenses),
            "Atenção!!! A conta 3.2.1.01 já está cadastrada e é correspondente à conta de grau superior!!!");
  // The other group, from either tab.
  EXPECT_EQ(resultConflict(ResultGroup::kIncome, "4.1.1", income, expenses),
            "Atenção!!! A conta 4.1 já está cadastrada e é correspondente à conta de grau inferior nas despesas!!!");
  EXPECT_EQ(resultConflict(ResultGroup::kExpense, "3.1", expenses, income),
            "Atenção!!! A conta selecionda já consta na estrutura do resultado nas receitas!!!");
  EXPECT_EQ(resultConflict(ResultGroup::kExpense, "3", expenses, income),
            "Atenção!!! A conta 3.1 já está cadastrada e é correspondente à conta de grau superior nas receitas!!!");
  // The own group is scanned first.
  EXPECT_EQ(resultConflict(ResultGroup::kExpense, "4", {"4.1"}, {"4"}),
            "Atenção!!! A conta 4.1 já está cadastrada e é correspondente à conta de grau superior!!!");
  EXPECT_FALSE(resultConflict(ResultGroup::kIncome, "5.1", income, expenses).has_value());
}

TEST(AccountRules, MembershipFollowsParentGroups) {
  const std::vector<std::string> members = {"3.1"};
  EXPECT_TRUE(isResultMember(kExample, "3.1", members));
  EXPECT_TRUE(isResultMember(kExample, "3.1.1.01.0001", members));
  EXPECT_FALSE(isResultMember(kExample, "3", members));
  EXPECT_FALSE(isResultMember(kExample, "3.2.1", members));
}

}  // namespace
}  // namespace vorlam::chart
