// The settlement of a saved instalment and the cash values of its invoice,
// on small files of every kind of instalment.

#include "fiscal/instalment_settlement.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dictionary/dictionary.h"
#include "storage/date.h"
#include "storage/test_util.h"

namespace vorlam::fiscal {
namespace {

Decimal money(const char* text) { return Decimal::parse(text, 2).value(); }
int32_t day(int y, int m, int d) { return toDayNumber(y, m, d).value(); }

class SettlementFixture : public ::testing::Test {
 protected:
  void openAll(const InstalmentKind& kind) {
    kind_ = &kind;
    registers = std::make_unique<Table>(dict->find(kind.registerTable));
    instalments = std::make_unique<Table>(dict->find(kind.table));
    settlements = std::make_unique<Table>(dict->find("ParcPagas"));
    const std::string name = kind.table;
    ASSERT_TRUE(registers->open(dir.file(name + "_reg.dat")).isOk());
    ASSERT_TRUE(instalments->open(dir.file(name + ".dat")).isOk());
    ASSERT_TRUE(settlements->open(dir.file(name + "_paga.dat")).isOk());
  }

  InstalmentKey invoice() const {
    InstalmentKey k;
    k.invoiceDate = day(2024, 3, 10);
    k.number = 1013;
    k.species = "NF";
    k.series = "1";
    k.inscription = kind_->inscriptionInIdentity ? "12345678000195" : "";
    return k;
  }

  void addLine(const char* total, uint32_t number = 1013) {
    Record& r = registers->buffer();
    r.clear();
    const InstalmentKey k = invoice();
    r.setInt(kind_->registerDate, k.invoiceDate);
    r.setInt(kind_->registerNumber, number);
    r.setText(kind_->registerSpecies, k.species);
    r.setText(kind_->registerSeries, k.series);
    if (kind_->registerInscription != nullptr) r.setText(kind_->registerInscription, k.inscription);
    r.setDecimal(kind_->totalField, money(total));
    r.setDecimal(kind_->cashField, money(total));
    ASSERT_TRUE(registers->append().isOk());
  }

  Record instalment(int32_t due, const char* value, int32_t paid = 0) {
    Record r(&instalments->def());
    const InstalmentKey k = invoice();
    r.setInt(kind_->name(kind_->invoiceDate), k.invoiceDate);
    r.setInt(kind_->name("Numero"), k.number);
    r.setText(kind_->name("Especie"), k.species);
    r.setText(kind_->name("Serie"), k.series);
    r.setText(kind_->name("Inscricao"), k.inscription);
    r.setInt(kind_->name("Data"), due);
    r.setDecimal(kind_->name("Valor"), money(value));
    r.setInt(kind_->name("Pagamento"), paid);
    return r;
  }

  void store(const Record& r) {
    instalments->buffer() = r;
    instalments->buffer().markAllDirty();
    ASSERT_TRUE(instalments->append().isOk());
  }

  std::vector<std::string> cashValues() {
    std::vector<std::string> out;
    EXPECT_TRUE(registers->seekStart(registers->def().keyIndex(kind_->registerKey)).isOk());
    while (registers->next()) out.push_back(registers->buffer().getDecimal(kind_->cashField).toString());
    return out;
  }

  // A settlement of the first instalment, every group filled.
  void settle(const Record& r) {
    Record& s = settlements->buffer();
    s.clear();
    const InstalmentKey k = instalmentKey(*kind_, r);
    s.setInt("PARCPG:ORIGEM", kind_->origin);
    s.setInt("PARCPG:DATALANCAMENTO", k.invoiceDate);
    s.setInt("PARCPG:NUMERO", k.number);
    s.setText("PARCPG:ESPECIE", k.species);
    s.setText("PARCPG:SERIE", k.series);
    s.setText("PARCPG:INSCRICAO", k.inscription);
    s.setInt("PARCPG:DATA", k.due);
    s.setInt("PARCPG:PAGAMENTO", k.payment);
    for (int g = 0; g < kSettlementGroups; ++g) {
      s.setText(settlementGroup(g).settledDebit, "1.1.1.01.0001");
      s.setText(settlementGroup(g).settledCredit, "2.1.1.01.0001");
      s.setInt(settlementGroup(g).settledHistory, 12);
      s.setText(settlementGroup(g).settledComplement, "pago");
    }
    s.setText("PARCPG:DOCUMENTO", "DOC-7");
    ASSERT_TRUE(settlements->append().isOk());
  }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  const InstalmentKind* kind_ = nullptr;
  std::unique_ptr<Table> registers, instalments, settlements;
};

TEST_F(SettlementFixture, CashFollowsTheInstalmentsLineByLineForEveryKind) {
  for (const InstalmentKind* kind : instalmentKinds()) {
    SCOPED_TRACE(kind->table);
    openAll(*kind);
    addLine("600.00");
    addLine("400.00");
    addLine("999.00", 2000);  // another invoice: never touched
    store(instalment(day(2024, 4, 10), "300.00"));
    store(instalment(day(2024, 5, 10), "400.00"));
    Table view(dict->find(kind->table));
    ASSERT_TRUE(view.open(dir.file(std::string(kind->table) + ".dat")).isOk());
    Result<InvoiceTotals> t = invoiceTotals(*kind, *registers, view, invoice());
    ASSERT_TRUE(t.isOk());
    EXPECT_EQ(t->nfTotal, money("1000.00"));
    EXPECT_EQ(t->instalmentTotal, money("700.00"));
    EXPECT_EQ(t->instalments, 2);
    EXPECT_EQ(t->lines, 2);
    Result<int64_t> lines = rederiveCash(*kind, *registers, invoice(), t->instalmentTotal);
    ASSERT_TRUE(lines.isOk());
    EXPECT_EQ(*lines, 2);
    EXPECT_EQ(cashValues(), (std::vector<std::string>{"0.00", "300.00", "999.00"}));
    // Instalments of exactly the total leave nothing in cash.
    ASSERT_TRUE(rederiveCash(*kind, *registers, invoice(), money("1000.00")).isOk());
    EXPECT_EQ(cashValues(), (std::vector<std::string>{"0.00", "0.00", "999.00"}));
    // No instalments: the whole value is cash again.
    ASSERT_TRUE(rederiveCash(*kind, *registers, invoice(), Decimal()).isOk());
    EXPECT_EQ(cashValues(), (std::vector<std::string>{"600.00", "400.00", "999.00"}));
  }
}

TEST_F(SettlementFixture, SettlementTakesTheSavedInstalmentAndClearsGroupsWithoutAmount) {
  openAll(entryInstalments());
  const Record opened = instalment(day(2024, 4, 10), "300.00", day(2024, 4, 12));
  settle(opened);
  Record saved = opened;
  // A corrected due date: the settlement is still found under the old one,
  // and moves with the instalment.
  saved.setInt("PREntr:Data", day(2024, 4, 11));
  saved.setInt("PREntr:Pagamento", day(2024, 4, 15));
  saved.setDecimal("PREntr:Multa", money("6.00"));
  saved.setText("PREntr:MultaDebito", "3.1.1.01.0002");
  saved.setText("PREntr:ContaDebito", "2.1.1.01.0009");
  Result<SettlementOutcome> done = applySettlement(*settlements, entryInstalments(), instalmentKey(entryInstalments(), opened), &saved);
  ASSERT_TRUE(done.isOk());
  EXPECT_EQ(*done, SettlementOutcome::kUpdated);
  ASSERT_EQ(readSettlement(*settlements, 1, instalmentKey(entryInstalments(), opened)).code(), StatusCode::kNotFound);
  ASSERT_TRUE(readSettlement(*settlements, 1, instalmentKey(entryInstalments(), saved)).isOk());
  const Record& s = settlements->buffer();
  EXPECT_EQ(s.getDecimal("PARCPG:VALOR"), money("300.00"));
  EXPECT_EQ(s.getInt("PARCPG:PAGAMENTO"), day(2024, 4, 15));
  EXPECT_EQ(s.getDecimal("PARCPG:MULTA"), money("6.00"));
  EXPECT_EQ(s.getText("PARCPG:CONTADEBITO").substr(0, 13), "2.1.1.01.0009");
  EXPECT_EQ(s.getText("PARCPG:MULTADEBITO").substr(0, 13), "3.1.1.01.0002");
  // Discount and interest are 0: their groups are cleared, filled before or not.
  EXPECT_EQ(s.getText("PARCPG:DESCDEBITO").find_first_not_of(' '), std::string_view::npos);
  EXPECT_EQ(s.getInt("PARCPG:DESCHISTORICO"), 0);
  EXPECT_EQ(s.getText("PARCPG:JUROSCOMPLEMENTO").find_first_not_of(' '), std::string_view::npos);
  // What this form does not edit stays.
  EXPECT_EQ(s.getText("PARCPG:DOCUMENTO").substr(0, 5), "DOC-7");
}

TEST_F(SettlementFixture, SettlementIsDeletedWithTheInstalmentOrItsPaymentDateAndNeverCreated) {
  openAll(exitInstalments());
  const Record paid = instalment(day(2024, 4, 10), "300.00", day(2024, 4, 12));
  settle(paid);
  Record cleared = paid;
  cleared.setInt("PRSaid:Pagamento", 0);
  const InstalmentKey key = instalmentKey(exitInstalments(), paid);
  Result<SettlementOutcome> done = applySettlement(*settlements, exitInstalments(), key, &cleared);
  ASSERT_TRUE(done.isOk());
  EXPECT_EQ(*done, SettlementOutcome::kDeleted);
  EXPECT_EQ(*settlements->count(), 0);
  // Nothing to find: nothing is written.
  done = applySettlement(*settlements, exitInstalments(), key, &paid);
  ASSERT_TRUE(done.isOk());
  EXPECT_EQ(*done, SettlementOutcome::kNone);
  EXPECT_EQ(*settlements->count(), 0);
  settle(paid);
  done = applySettlement(*settlements, exitInstalments(), key, nullptr);
  ASSERT_TRUE(done.isOk());
  EXPECT_EQ(*done, SettlementOutcome::kDeleted);
  EXPECT_EQ(*settlements->count(), 0);
}

TEST(InstalmentSettlementFile, YearOfThePaymentAsOpenedElseAsSavedElseTheSelectedOne) {
  EXPECT_EQ(settlementYear(day(2025, 1, 5), day(2024, 12, 30), 2024), 2025);
  EXPECT_EQ(settlementYear(0, day(2025, 1, 5), 2024), 2025);
  EXPECT_EQ(settlementYear(0, 0, 2024), 2024);
  shell::CurrentCompany company;
  company.codigo = 7;
  company.ano = 2024;
  const std::string path = settlementPath("/dados/", company, 2025);
  EXPECT_NE(path.find("00000007"), std::string::npos) << path;
  EXPECT_NE(path.find("2025"), std::string::npos) << path;
  EXPECT_EQ(path.substr(path.size() - 12), "PARCPAGA.dat");
}

}  // namespace
}  // namespace vorlam::fiscal
