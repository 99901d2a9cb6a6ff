#include "ledger/journal_numbers.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "dictionary/dictionary.h"
#include "storage/test_util.h"

namespace vorlam::ledger {
namespace {

Decimal number(const char* text) { return *Decimal::parse(text, kNumberPlaces); }

class JournalNumbers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(a_.open(dir_.file("Diario.dat")));
    ASSERT_TRUE(b_.open(dir_.file("Diario.dat")));
  }
  // A line of the journal's alias, as the strip holds it.
  Record line(const char* n, int64_t debit, int64_t credit) {
    Record r(dict_->find("Diario2"));
    r.clear();
    r.setInt("Data", 80000);
    r.setDecimal("Numero", number(n));
    r.setText("ContaDebito", debit ? "1.1.1" : "");
    r.setText("ContaCredito", credit ? "2.1.1" : "");
    r.setDecimal("ValorDebito", Decimal::fromUnits(debit, 2));
    r.setDecimal("ValorCredito", Decimal::fromUnits(credit, 2));
    r.setInt("Historico", 1);
    return r;
  }
  std::multiset<std::string> numbers() {
    std::multiset<std::string> out;
    Table t(dict_->find("Diario"));
    EXPECT_TRUE(t.open(dir_.file("Diario.dat")));
    EXPECT_TRUE(t.seekStart(kFileOrder));
    while (t.next()) out.insert(t.buffer().getDecimal("Numero").toString());
    return out;
  }

  std::shared_ptr<const Dictionary> dict_ = buildDictionary();
  testing::TempDir dir_;
  Table a_{dict_->find("Diario")};
  Table b_{dict_->find("Diario2")};
};

TEST_F(JournalNumbers, AnEmptyJournalProposesOneAndTheNextEntryFollowsTheHighestWholeNumber) {
  EXPECT_EQ(proposeEntryNumber(a_).value(), number("1"));
  ASSERT_TRUE(addJournalLine(a_, line("12", 100, 0)).isOk());
  ASSERT_TRUE(addJournalLine(a_, line("12.01", 0, 100)).isOk());
  EXPECT_EQ(proposeEntryNumber(b_).value(), number("13"));
  // After a line whose values differ, the next line of the same entry;
  // after a balanced one, the next entry.
  EXPECT_EQ(numberAfter(number("12"), false), number("12.01"));
  EXPECT_EQ(numberAfter(number("12.01"), false), number("12.02"));
  EXPECT_EQ(numberAfter(number("12.03"), true), number("13"));
  EXPECT_EQ(numberAfter(number("7"), true), number("8"));
  EXPECT_TRUE(hasDecimals(number("12.0001")));
  EXPECT_FALSE(hasDecimals(number("12")));
}

TEST_F(JournalNumbers, TwoWorkstationsOfferedOneNumberAddTwoEntries) {
  // Both were offered 1 before either added.
  const Decimal offered = proposeEntryNumber(a_).value();
  ASSERT_EQ(proposeEntryNumber(b_).value(), offered);
  Result<Decimal> first = addJournalLine(a_, line("1", 100, 100));
  Result<Decimal> second = addJournalLine(b_, line("1", 50, 50));
  ASSERT_TRUE(first.isOk());
  ASSERT_TRUE(second.isOk());
  EXPECT_EQ(first.value(), number("1"));
  EXPECT_EQ(second.value(), number("2"));
  EXPECT_EQ(b_.buffer().getDecimal("ValorDebito"), Decimal::fromUnits(50, 2));  // the line added, as added
  EXPECT_EQ(numbers(), (std::multiset<std::string>{"1.0000", "2.0000"}));
}

TEST_F(JournalNumbers, ALineOfACompositeEntryStaysInItsEntry) {
  ASSERT_TRUE(addJournalLine(a_, line("5", 300, 0)).isOk());
  ASSERT_TRUE(addJournalLine(a_, line("6", 10, 10)).isOk());
  ASSERT_TRUE(addJournalLine(a_, line("6.01", 10, 10)).isOk());
  // Both workstations add the next line of entry 5.
  ASSERT_EQ(addJournalLine(a_, line("5.01", 0, 100)).value(), number("5.01"));
  EXPECT_EQ(addJournalLine(b_, line("5.01", 0, 200)).value(), number("5.02"));
  EXPECT_EQ(numbers(), (std::multiset<std::string>{"5.0000", "5.0100", "5.0200", "6.0000", "6.0100"}));
}

TEST_F(JournalNumbers, WritersRacingInThreadsNeverShareANumber) {
  constexpr int kLines = 40;
  auto writer = [this](Table& t, int64_t value) {
    for (int i = 0; i < kLines; ++i) {
      Result<Decimal> offered = proposeEntryNumber(t);
      ASSERT_TRUE(offered.isOk());
      Record r = line("1", value, value);
      r.setDecimal("Numero", offered.value());
      ASSERT_TRUE(addJournalLine(t, r).isOk());
    }
  };
  std::thread one([&] { writer(a_, 100); });
  std::thread two([&] { writer(b_, 200); });
  one.join();
  two.join();
  std::multiset<std::string> all = numbers();
  EXPECT_EQ(all.size(), size_t(2 * kLines));
  EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
}

}  // namespace
}  // namespace vorlam::ledger
