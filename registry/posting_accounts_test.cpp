#include "registry/posting_accounts.h"

#include <gtest/gtest.h>

#include <memory>

#include "dictionary/dictionary.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::registry {
namespace {

class FindAccountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(chart.open(dir.file("PlCon001.dat")).isOk());
    add("1", 1, "ATIVO", "", 1);
    add("1.1", 2, "CIRCULANTE", "", 1);
    add("1.1.01", 3, "DISPONIVEL", "", 1);
    add("1.1.01.0001", 5, "Caixa geral", "CAIXA", 2);
    add("1.1.01.0002", 6, "Banco do Brasil", "BANCO", 2);
    // A reduced code made of the digits of another account's written code:
    // the reduced code is looked up first.
    add("2.1.01.0003", 11010002, "Fornecedores diversos", "", 2);
  }
  void add(const char* code, int reduced, const char* description, const char* alias, int kind) {
    Record& r = chart.buffer();
    r.clear();
    r.setText("PLA:Codigo", code);
    r.setInt("PLA:Reduzido", reduced);
    r.setText("PLA:Descricao", utf8ToLatin1(description));
    r.setText("PLA:Apelido", alias);
    r.setInt("PLA:SintAnali", kind);
    ASSERT_TRUE(chart.append().isOk());
  }
  AccountMatch find(const char* typed) {
    Result<AccountMatch> m = findAccount(chart, structure, typed);
    EXPECT_TRUE(m.isOk());
    return m.isOk() ? m.value() : AccountMatch{};
  }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  Table chart{dict->find("PlanoContas")};
  chart::AccountStructure structure = chart::makeStructure(1, {1, 1, 2, 4});
};

TEST_F(FindAccountTest, BlankAndTheTwoWordsAreNoAccounts) {
  for (const char* typed : {"", "   ", "FORNECEDOR", "CLIENTE"}) {
    AccountMatch m = find(typed);
    EXPECT_EQ(m.outcome, AccountOutcome::kNoAccount) << typed;
    EXPECT_TRUE(m.description.empty());
  }
  // The words count only as written, in capitals.
  EXPECT_EQ(find("cliente").outcome, AccountOutcome::kNotFound);
}

TEST_F(FindAccountTest, ReducedCodeThenAliasThenWrittenCode) {
  AccountMatch byReduced = find("5");
  EXPECT_EQ(byReduced.outcome, AccountOutcome::kAnalytic);
  EXPECT_EQ(byReduced.code, "1.1.01.0001");
  EXPECT_EQ(byReduced.description, "Caixa geral");

  AccountMatch byAlias = find("banco");
  EXPECT_EQ(byAlias.outcome, AccountOutcome::kAnalytic);
  EXPECT_EQ(byAlias.code, "1.1.01.0002");

  // Digits regrouped under the structure: 1.1.01.0001.
  EXPECT_EQ(find("11010001").code, "1.1.01.0001");
  EXPECT_EQ(find("1.1.01.0001").code, "1.1.01.0001");
  // The same digits as a reduced code win over the written code.
  EXPECT_EQ(find("1.1.01.0002").code, "2.1.01.0003");
}

TEST_F(FindAccountTest, SyntheticAndMissingAccounts) {
  AccountMatch synthetic = find("1.1.01");
  EXPECT_EQ(synthetic.outcome, AccountOutcome::kSynthetic);
  EXPECT_EQ(synthetic.code, "1.1.01");
  EXPECT_EQ(find("9.9").outcome, AccountOutcome::kNotFound);
  EXPECT_EQ(find("NADA").outcome, AccountOutcome::kNotFound);
  // A number too large for a reduced code is no reduced code.
  EXPECT_EQ(find("99999999999999").outcome, AccountOutcome::kNotFound);
}

TEST(PostingSwitch, OnOnlyWhenTheEntryHoldsOne) {
  vorlam::testing::TempDir dir;
  SettingsFiles settings(dir.path());
  EXPECT_FALSE(postingAccountsOn(settings, dir.path()));
  std::filesystem::create_directories(dir.file("BComuns"));
  for (auto [value, on] : {std::pair{"0", false}, {"2", false}, {"1", true}}) {
    ASSERT_TRUE(settings.write(kPostingSwitchSection, kPostingSwitchEntry, value, dir.file("BComuns/Ctb.ini")).isOk());
    EXPECT_EQ(postingAccountsOn(settings, dir.path()), on) << value;
  }
}

}  // namespace
}  // namespace vorlam::registry
