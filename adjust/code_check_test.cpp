#include "adjust/code_check.h"

#include <gtest/gtest.h>

#include "adjust/adjust_test_fixture.h"
#include "adjust/adjust_verify.h"

namespace vorlam::adjust {
namespace {

TEST(RecomputeCode, WidensEachLevelAndRefusesWhatIsNotInTheOldStructure) {
  chart::AccountStructure from = chart::makeStructure(1, {1, 1, 1, 2, 4});
  chart::AccountStructure to = chart::makeStructure(2, {2, 1, 3, 2, 6});
  EXPECT_EQ(recomputeCode(from, to, "1.1.1.01.0001"), "01.1.001.01.000001");
  EXPECT_EQ(recomputeCode(from, to, "1.1.1.01      "), "01.1.001.01");
  EXPECT_EQ(recomputeCode(from, to, "2"), "02");
  EXPECT_EQ(recomputeCode(from, to, "01.1.001.01.000001"), "01.1.001.01.000001");  // already new
  EXPECT_EQ(recomputeCode(from, to, ""), "");
  EXPECT_EQ(recomputeCode(from, to, "cliente"), "cliente");
  EXPECT_EQ(recomputeCode(from, to, "1.1.1.1"), std::nullopt);        // level 4 too short
  EXPECT_EQ(recomputeCode(from, to, "1.1.1.01.0001.1"), std::nullopt);  // a sixth level
  EXPECT_EQ(recomputeCode(from, to, "11101"), std::nullopt);
  EXPECT_EQ(recomputeCode(from, to, "1..1"), std::nullopt);
}

class BalanceCheckTest : public AdjustTest {
 protected:
  std::unique_ptr<Table> journal(const std::string& name,
                                 std::initializer_list<std::pair<const char*, const char*>> lines) {
    auto t = open("Diario", root_ + name);
    for (auto [debit, credit] : lines) {
      t->buffer().clear();
      t->buffer().setText("ContaDebito", debit);
      t->buffer().setText("ContaCredito", credit);
      t->buffer().setDecimal("ValorDebito", *Decimal::parse("10.00", 2));
      t->buffer().setDecimal("ValorCredito", *Decimal::parse("10.00", 2));
      EXPECT_TRUE(t->insert());
    }
    return t;
  }
  chart::AccountStructure from_ = chart::makeStructure(1, {1, 1, 1, 2, 4});
  chart::AccountStructure to_ = chart::makeStructure(2, {1, 1, 1, 2, 6});
};

TEST_F(BalanceCheckTest, MergedAccountsAndMovedBalancesFail) {
  auto before = journal("antes.dat", {{"1.1.1.01.0001", "1.1.1.01.0002"}, {"1.1.1.01.0003", "1.1.1.01.0002"}});
  // Right.
  auto good = journal("certo.dat", {{"1.1.1.01.000001", "1.1.1.01.000002"}, {"1.1.1.01.000003", "1.1.1.01.000002"}});
  BalanceCheck ok = checkBalances(*before, *good, from_, to_);
  EXPECT_TRUE(ok.matches) << balanceLine(ok);
  EXPECT_EQ(ok.accounts, 3);
  EXPECT_EQ(balanceLine(ok), "   Conferência dos saldos do diário: 3 conta(s), saldos conferem.");
  // Two old accounts met in one new account: fewer accounts with movement.
  auto merged = journal("junto.dat", {{"1.1.1.01.000001", "1.1.1.01.000002"}, {"1.1.1.01.000001", "1.1.1.01.000002"}});
  BalanceCheck m = checkBalances(*before, *merged, from_, to_);
  EXPECT_FALSE(m.matches);
  EXPECT_EQ(m.accountsAfter, 2);
  EXPECT_NE(balanceLine(m).find("1.1.1.01.0003 -> 1.1.1.01.000003 saldo diferente"), std::string::npos)
      << balanceLine(m);
  // An old journal holding one account in both forms: they meet.
  auto both = journal("ambas.dat", {{"1.1.1.01.0001", "1.1.1.01.000001"}});
  auto one = journal("uma.dat", {{"1.1.1.01.000001", "1.1.1.01.000001"}});
  BalanceCheck b = checkBalances(*both, *one, from_, to_);
  EXPECT_FALSE(b.matches);
  EXPECT_NE(balanceLine(b).find("se juntam em 1.1.1.01.000001"), std::string::npos) << balanceLine(b);
}

TEST_F(BalanceCheckTest, VerifyFileMeetsEachTwinByRecordNumber) {
  const std::vector<AccountField> fields = {{"ContaDebito", 40}, {"ContaCredito", 40}};
  auto before = journal("antes.dat", {{"1.1.1.01.0001", "1.1.1.01.0002"},
                                      {"1.1.1.01.0003", "1.1.1.01.0002"},
                                      {"1.1.1.01.0004", ""}});
  auto good = journal("certo.dat", {{"1.1.1.01.000001", "1.1.1.01.000002"},
                                    {"1.1.1.01.000003", "1.1.1.01.000002"},
                                    {"1.1.1.01.000004", ""}});
  EXPECT_TRUE(verifyFile(*before, *good, fields, from_, to_).empty());

  // The middle twin gone: it alone is reported, beside the counts.
  auto gap = journal("falta.dat", {{"1.1.1.01.000001", "1.1.1.01.000002"},
                                   {"1.1.1.01.000003", "1.1.1.01.000002"},
                                   {"1.1.1.01.000004", ""}});
  ASSERT_TRUE(gap->getById(2));
  ASSERT_TRUE(gap->erase());
  std::vector<std::string> g = verifyFile(*before, *gap, fields, from_, to_);
  ASSERT_EQ(g.size(), 2u) << ::testing::PrintToString(g);
  EXPECT_NE(g[0].find("3 registros no original e 2 no convertido"), std::string::npos) << g[0];
  EXPECT_NE(g[1].find("registro ausente no arquivo convertido"), std::string::npos) << g[1];

  // The last twin gone, a value changed and a code left unconverted.
  auto bad = journal("errado.dat", {{"1.1.1.01.000001", "1.1.1.01.0002"}, {"1.1.1.01.000003", "1.1.1.01.000002"}});
  ASSERT_TRUE(bad->getById(2));
  bad->buffer().setDecimal("ValorDebito", *Decimal::parse("11.00", 2));
  ASSERT_TRUE(bad->update());
  std::vector<std::string> b = verifyFile(*before, *bad, fields, from_, to_);
  ASSERT_EQ(b.size(), 4u) << ::testing::PrintToString(b);
  EXPECT_NE(b[1].find("ContaCredito 1.1.1.01.0002 ficou 1.1.1.01.0002, esperado 1.1.1.01.000002"),
            std::string::npos) << b[1];
  EXPECT_NE(b[2].find("campo alterado fora das contas"), std::string::npos) << b[2];
  EXPECT_NE(b[3].find("registro ausente no arquivo convertido"), std::string::npos) << b[3];
}

}  // namespace
}  // namespace vorlam::adjust
