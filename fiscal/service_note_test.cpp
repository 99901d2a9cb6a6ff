#include <gtest/gtest.h>

#include "dictionary/dictionary.h"
#include "fiscal/service_note_form.h"
#include "fiscal/service_note_labels.h"
#include "fiscal/service_note_layout.h"
#include "storage/record.h"

namespace vorlam::fiscal {
namespace {

TEST(ServiceNoteSummary, DifferenceIsWhatNeitherInstalmentsNorCashCover) {
  // Two register lines of one note, 1 000,00 with 200,00 cash and 500,00
  // with 100,00 cash, the second shown; instalments of 700,00.
  InstalmentSummary s = summarise({{100000, 20000}, {50000, 10000}}, 1, 70000);
  EXPECT_EQ(s.accounting.toString(), "1500.00");
  EXPECT_EQ(s.instalments.toString(), "700.00");
  EXPECT_EQ(s.otherCash.toString(), "200.00");
  EXPECT_EQ(s.subtotal.toString(), "600.00");
  EXPECT_EQ(s.ownCash.toString(), "100.00");
  EXPECT_EQ(s.difference.toString(), "500.00");
  // A note paid exactly by its cash value and instalments leaves nothing.
  s = summarise({{100000, 30000}}, 0, 70000);
  EXPECT_EQ(s.otherCash.toString(), "0.00");
  EXPECT_EQ(s.difference.toString(), "0.00");
  // Instalments beyond the note show as a negative difference.
  EXPECT_EQ(summarise({{100000, 0}}, 0, 120000).difference.toString(), "-200.00");
}

class ServiceNoteLabels : public ::testing::Test {
 protected:
  ServiceNoteLabels() : dict_(buildDictionary()) {}
  Record note(const ServiceNoteLayout& l) const { return Record(dict_->find(l.table)); }
  Record code() const {
    Record c(dict_->find("CtaISS"));
    c.setText("CTA:CTADEBITO", "1.1.1.01.0001");
    c.setText("CTA:CTACREDITO", "3.1.1.01.0001");
    c.setInt("CTA:CODHISTORICO", 17);
    c.setText("CTA:IRPJDEBITO", "1.1.2.01.0003");
    c.setText("CTA:IRPJCREDITO", "CLIENTE");
    return c;
  }
  std::shared_ptr<const Dictionary> dict_;
};

TEST_F(ServiceNoteLabels, EveryGroupReadsItsOwnFieldsOnNoteAndServiceCode) {
  for (const ServiceNoteLayout* l : {&model53Layout(), &model51Layout()}) {
    for (const NoteGroup& g : l->groups) {
      Record n = note(*l);
      for (const std::string& f : {g.debit, g.credit, g.history, g.complement})
        EXPECT_GE(n.def().fieldIndex(f), 0) << f;
      Record c = code();
      for (const std::string& f : {g.codeDebit, g.codeCredit, g.codeHistory}) EXPECT_GE(c.def().fieldIndex(f), 0) << f;
      // The code's accounts and history, none of the note's own: the code.
      c.setText(g.codeDebit, "1.1.1.01.0001");
      c.setInt(g.codeHistory, 17);
      EXPECT_EQ(noteLabel(g, n, c, ""), kServiceCodeWord) << g.title;
      // One own account is enough to post by the note's own accounts.
      n.setText(g.credit, "2.1.1.01.0001");
      EXPECT_EQ(noteLabel(g, n, c, ""), "Manual") << g.title;
    }
  }
}

TEST_F(ServiceNoteLabels, AMissingServiceCodeHasNeitherAccountsNorHistory) {
  const ServiceNoteLayout& l = model51Layout();
  const NoteGroup& cash = l.groups[0];
  Record n = note(l);
  EXPECT_EQ(noteLabel(cash, n, std::nullopt, "C. ISS"), "");
  n.setText(cash.debit, "1.1.1.01.0001");
  // An own account without a history keeps whatever was shown.
  EXPECT_EQ(noteLabel(cash, n, std::nullopt, "C. ISS"), "C. ISS");
  n.setInt(cash.history, 4);
  EXPECT_EQ(noteLabel(cash, n, std::nullopt, ""), "Manual");
  // A code with the income-tax accounts but no history never gives "C. ISS".
  EXPECT_EQ(noteLabel(l.groups[2], note(l), code(), ""), "Manual");
}

TEST(ServiceNoteLayouts, CancelledFlagOffersTheDictionaryChoices) {
  auto dict = buildDictionary();
  std::vector<ControlChoice> c51 = ruleChoices(*dict->find("ISS51"), "ISS:Cancelada");
  std::vector<ControlChoice> c53 = ruleChoices(*dict->find("ISS53"), "ISS53:Cancelada");
  ASSERT_EQ(c51.size(), 9u);
  ASSERT_EQ(c53.size(), 8u);  // model 53 has no "8-Vencidas"
  EXPECT_EQ(c51[1].value, "1");
  EXPECT_EQ(c51[1].caption, "1-Cancelada");
  EXPECT_EQ(c53[6].caption, "6-ISS Retido(Órgãos Públicos)");
  EXPECT_TRUE(ruleChoices(*dict->find("ISS51"), "ISS:Numero").empty());
}

}  // namespace
}  // namespace vorlam::fiscal
