#include "ledger/journal_screen.h"

#include <gtest/gtest.h>

#include "dictionary/dictionary.h"

namespace vorlam::ledger {
namespace {

TEST(JournalLines, OriginsShowTheirTextsAndAnyOtherIsTheAccountingsOwn) {
  EXPECT_EQ(originText("CTB"), "Contabilidade");
  EXPECT_EQ(originText("ESC"), "Escrita Fiscal");
  EXPECT_EQ(originText("FLS"), "Folha Pgto.");
  EXPECT_EQ(originText("ABR"), "Abertura Período");
  EXPECT_EQ(originText("FEC"), "Fechamento do Período");
  EXPECT_EQ(originText("XYZ"), "Contabilidade");
  EXPECT_EQ(originText(""), "Contabilidade");
  EXPECT_EQ(originText("esc"), "Contabilidade");  // codes are written in capitals
}

TEST(JournalLines, BalancedLinesAreBlueOrTheirModulesColourAndUnbalancedOnesRed) {
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  Record line(dict->find("Diario"));
  line.clear();
  line.setDecimal("ValorDebito", Decimal::fromUnits(10000, 2));
  line.setDecimal("ValorCredito", Decimal::fromUnits(10000, 2));
  line.setText("Origem", "CTB");
  EXPECT_EQ(lineColour(line), LineColour::kBlue);
  line.setText("Origem", "ESC");
  EXPECT_EQ(lineColour(line), LineColour::kGreen);
  line.setText("Origem", "FLS");
  EXPECT_EQ(lineColour(line), LineColour::kPurple);
  line.setText("Origem", "FEC");
  EXPECT_EQ(lineColour(line), LineColour::kBlue);
  line.setDecimal("ValorCredito", Decimal());
  EXPECT_EQ(lineColour(line), LineColour::kRed);
  line.setText("Origem", "ESC");
  EXPECT_EQ(lineColour(line), LineColour::kRed);
}

TEST(JournalComplement, MarkersStandForTheAccountsDescriptions) {
  EXPECT_EQ(expandComplement("Pago cc conforme NF", "Caixa", "Banco do Brasil"), "Pago Banco do Brasil conforme NF");
  EXPECT_EQ(expandComplement("cd para CC", "Caixa", "Banco"), "Caixa para BANCO");
  EXPECT_EQ(expandComplement("CD", "Água e esgoto", "Banco"), "ÁGUA E ESGOTO");
  // Only the first stand-alone occurrence of each marker.
  EXPECT_EQ(expandComplement("cc e cc", "Caixa", "Banco"), "Banco e cc");
  // A marker inside a word is no marker.
  EXPECT_EQ(expandComplement("ccusto cdb acc cc.", "Caixa", "Banco"), "ccusto cdb acc Banco.");
  // The descriptions count with their first 45 characters.
  const std::string longText(60, 'x');
  EXPECT_EQ(expandComplement("cd", longText, ""), std::string(45, 'x'));
  // No marker: as typed; an empty description leaves nothing in its place.
  EXPECT_EQ(expandComplement("Pagamento", "Caixa", "Banco"), "Pagamento");
  EXPECT_EQ(expandComplement("a cc b", "Caixa", ""), "a  b");
  // The complement never grows past its field.
  EXPECT_EQ(expandComplement(std::string(498, 'a') + " cd", longText, "").size(), 500u);
}

}  // namespace
}  // namespace vorlam::ledger
