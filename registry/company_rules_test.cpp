#include "registry/company_rules.h"

#include <gtest/gtest.h>

#include "storage/date.h"

namespace vorlam::registry {
namespace {

using chart::makeStructure;

TEST(CompanyRules, GroupAccountIsMaskedAsASyntheticCodeOfTheLevelAboveTheLast) {
  const auto s = makeStructure(1, {1, 1, 1, 2, 4});
  // With or without dots, the same masked code.
  EXPECT_EQ(maskGroupAccount(s, "1.1.2.01"), "1.1.2.01");
  EXPECT_EQ(maskGroupAccount(s, "11201"), "1.1.2.01");
  EXPECT_EQ(maskGroupAccount(s, "1.12.0.1"), "1.1.2.01");
  // Blank stays blank.
  EXPECT_EQ(maskGroupAccount(s, ""), "");
  EXPECT_EQ(maskGroupAccount(s, " . "), "");
  // Too short (level 3) or analytic (level 5) is refused.
  EXPECT_EQ(maskGroupAccount(s, "1.1.2"), std::nullopt);
  EXPECT_EQ(maskGroupAccount(s, "1.1.2.01.0001"), std::nullopt);
  // A three-level structure: the group is a code of level 2.
  const auto three = makeStructure(2, {1, 1, 2});
  EXPECT_EQ(maskGroupAccount(three, "112"), std::nullopt);
  EXPECT_EQ(maskGroupAccount(three, "1.1"), "1.1");
  EXPECT_EQ(maskGroupAccount(three, "11"), "1.1");
}

TEST(CompanyRules, OneLevelOrMissingStructureRefusesAnyGroup) {
  EXPECT_EQ(maskGroupAccount(makeStructure(3, {5}), "1"), std::nullopt);
  EXPECT_EQ(maskGroupAccount(makeStructure(3, {5}), "12345"), std::nullopt);
  EXPECT_EQ(maskGroupAccount(std::nullopt, "1.1.2.01"), std::nullopt);
  EXPECT_EQ(maskGroupAccount(std::nullopt, ""), "");
}

TEST(CompanyRules, NumberingByIdNeedsNineDigitsInTheLastLevel) {
  EXPECT_EQ(numberingByIdRefusal(makeStructure(1, {1, 1, 1, 2, 9})), std::nullopt);
  EXPECT_EQ(numberingByIdRefusal(makeStructure(1, {1, 1, 1, 2, 12})), std::nullopt);
  const std::optional<std::string> refusal = numberingByIdRefusal(makeStructure(1, {1, 1, 1, 2, 8}));
  ASSERT_TRUE(refusal);
  EXPECT_TRUE(refusal->starts_with("Atenção!!! Para controlar as contas")) << *refusal;
  EXPECT_TRUE(refusal->ends_with("o plano selecionado tem 8 dígitos.")) << *refusal;
}

TEST(CompanyRules, HistoryTextsDatesAndObservations) {
  EXPECT_EQ(historyQuestion(HistoryItem::kSimples, 3, 2014),
            "Alteração na opção Simples Federal no mês 03/2014. Deseja salvar esta alteração ?");
  EXPECT_EQ(historyObservation(HistoryItem::kSimples, 4), "0-Não optante pelo SIMPLES. Conteúdo ant");
  EXPECT_EQ(historyObservation(HistoryItem::kSimples, 1), "1-SIMPLES Normal. Conteúdo anterior");
  EXPECT_EQ(historyObservation(HistoryItem::kSimples, 2), "2-SIMPLES Escola (Pré-Escola, Creche, En");
  EXPECT_EQ(historyObservation(HistoryItem::kApuracao, 2), "1-Extimativa. Conteúdo anterior");
  EXPECT_EQ(historyObservation(HistoryItem::kApuracao, 3), "2-Lucro Real. Conteúdo anterior");
  EXPECT_EQ(historyObservation(HistoryItem::kApuracao, 4), "0-Simples. Conteúdo anterior");
  EXPECT_EQ(historyObservation(HistoryItem::kMensagem, 12), "12 . Conteúdo anterior");
  EXPECT_EQ(historyObservation(HistoryItem::kTipoPlano, 2), "2-Individual. Conteúdo anterior");
  EXPECT_EQ(historyObservation(HistoryItem::kCodigoPlano, 5), "005 . Conteúdo anterior");
  EXPECT_EQ(historyDate(HistoryItem::kSimples, 3, 2014), toDayNumber(2014, 3, 1));
  EXPECT_EQ(historyDate(HistoryItem::kApuracao, 12, 2014), toDayNumber(2014, 12, 1));
  EXPECT_EQ(historyDate(HistoryItem::kCodigoPlano, 3, 2014), toDayNumber(2014, 1, 1));
  EXPECT_EQ(historyDate(HistoryItem::kTipoPlano, 11, 2015), toDayNumber(2015, 1, 1));
  // The whole year (13) names no first day of a month.
  EXPECT_EQ(historyDate(HistoryItem::kSimples, 13, 2014), std::nullopt);
  EXPECT_TRUE(historyKeepsObservation(HistoryItem::kCodigoPlano));
  EXPECT_TRUE(historyKeepsObservation(HistoryItem::kTipoPlano));
  EXPECT_FALSE(historyKeepsObservation(HistoryItem::kSimples));
  EXPECT_EQ(historyFollowUp(HistoryItem::kMensagem, 2014), "Para verificar a alteração verifique alterações contratuais");
  EXPECT_TRUE(historyFollowUp(HistoryItem::kCodigoPlano, 2014)
                  .starts_with("Atenção!!!A alteração selecionada é válida a partir de 01/01/2014 portanto"));
}

}  // namespace
}  // namespace vorlam::registry
