// Instalment actions that meet another workstation's writes: what the
// screen scripts cannot stage.

#include "fiscal/invoice_instalments.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dictionary/dictionary.h"
#include "framework/dialogs.h"
#include "framework/error_manager.h"
#include "storage/test_util.h"

namespace vorlam::fiscal {
namespace {

class InstalmentFixture : public ::testing::Test {
 protected:
  InstalmentFixture() {
    invoice.clear();
    invoice.setInt("REG:DataLancamento", 81475);
    invoice.setInt("REG:Numero", 1013);
    invoice.setText("REG:Especie", "NF");
    invoice.setText("REG:Serie", "1");
    invoice.setText("REG:Inscricao", "91515623000152");
    other = std::make_unique<Table>(dict->find("ParcRegEntrada"));
    EXPECT_TRUE(other->open(path()).isOk());
    for (int32_t due : {81505, 81535}) add(due, 1000);
  }

  std::string path() const { return dir.file(dict->find("ParcRegEntrada")->binding); }

  // Another workstation's instalment of the invoice.
  void add(int32_t due, int64_t cents) {
    Record& b = other->buffer();
    b.clear();
    copyIdentity(invoice, "REG:", b, "PREntr:");
    b.setInt("PREntr:Data", due);
    b.setDecimal("PREntr:Valor", Decimal::fromUnits(cents, 2));
    ASSERT_TRUE(other->insert().isOk());
  }
  // Another workstation reads the instalment due `due` for a write.
  void readOther(int32_t due) {
    Record& b = other->buffer();
    b.clear();
    copyIdentity(invoice, "REG:", b, "PREntr:");
    b.setInt("PREntr:Data", due);
    ASSERT_TRUE(other->get(other->def().keyIndex("PREntr:Key:Data")).isOk());
  }
  int64_t count() { return other->count().value(); }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dict, [this](const std::string& binding) { return dir.file(binding); }, errors};
  Record invoice{dict->find("RegEntrada")};
  std::unique_ptr<Table> other;
  ScreenModel model{"UEntradas", "Alterando uma Nota de Entrada"};
};

TEST_F(InstalmentFixture, AChangeWhoseRowWentAwayWritesNothing) {
  InvoiceInstalments parts(context, entryInvoices());
  ASSERT_TRUE(parts.open(invoice).isOk());
  parts.declare(model, -1, {});
  ASSERT_EQ(parts.rows().size(), 2u);
  ASSERT_TRUE(model.highlightRow(0).isOk());
  ASSERT_TRUE(model.press("Altera").isOk());
  ASSERT_TRUE(model.type("PREntr:Valor", "5,00").isOk());
  // Meanwhile the instalment is deleted elsewhere.
  readOther(81505);
  ASSERT_TRUE(other->erase().isOk());
  ASSERT_TRUE(model.press("&Grava").isOk());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes.back().title.rfind("Erro número ", 0), 0u) << dialogs.boxes.back().title;
  EXPECT_EQ(count(), 1) << "nothing was written in its place";
  readOther(81535);
  EXPECT_EQ(other->buffer().getDecimal("PREntr:Valor"), Decimal::fromUnits(1000, 2));
  EXPECT_EQ(parts.pending(), InvoiceInstalments::Action::kNone);
  EXPECT_EQ(parts.rows().size(), 1u) << "the list shows what the file holds";
  EXPECT_FALSE(parts.changed());
}

TEST_F(InstalmentFixture, ADeleteRemovesOnlyTheRowHighlightedWhenItStarted) {
  InvoiceInstalments parts(context, entryInvoices());
  ASSERT_TRUE(parts.open(invoice).isOk());
  parts.declare(model, -1, {});
  ASSERT_TRUE(model.highlightRow(1).isOk());
  ASSERT_TRUE(model.press("&Exclui").isOk());
  // Another workstation moved that instalment to a new due date: the
  // instalment now under the remembered date is not the one highlighted.
  readOther(81535);
  other->buffer().setInt("PREntr:Data", 81600);
  ASSERT_TRUE(other->update().isOk());
  add(81535, 700);
  ASSERT_TRUE(model.press("&Grava").isOk());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(count(), 3) << "neither instalment was deleted";
  // Started again on the refreshed list, the delete goes through.
  ASSERT_TRUE(model.highlightRow(1).isOk());
  ASSERT_TRUE(model.press("&Exclui").isOk());
  ASSERT_TRUE(model.press("&Grava").isOk());
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(count(), 2);
  EXPECT_TRUE(parts.changed());
}

TEST_F(InstalmentFixture, ExitInstalmentsAreListedOnly) {
  Record exitInvoice(dict->find("RegSaida"));
  exitInvoice.clear();
  InvoiceInstalments parts(context, exitInvoices());
  ASSERT_TRUE(parts.open(exitInvoice).isOk());
  parts.declare(model, -1, {});
  for (const char* b : {"&Inclui", "Altera", "&Exclui"})
    EXPECT_FALSE(model.enabled(*model.button(b))) << b;
  model.setFocus("parcelas");
  ASSERT_TRUE(model.key("Insert").isOk());
  EXPECT_EQ(parts.pending(), InvoiceInstalments::Action::kNone);
}

}  // namespace
}  // namespace vorlam::fiscal
