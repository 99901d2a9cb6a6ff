// The integration rules of the documents' accounting groups, over an entry
// invoice record, against a small chart; the integration label; the
// selected period of the document lists.

#include "fiscal/integration_rules.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chart/account_structure.h"
#include "dictionary/dictionary.h"
#include "fiscal/fiscal_period.h"
#include "framework/dialogs.h"
#include "framework/error_manager.h"
#include "shell/app_state.h"
#include "storage/date.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::fiscal {
namespace {

const IntegrationGroup kCash{"Valor à vista.", "REG:CDebito", "REG:CCredito", "REG:Historico", "REG:Complemento"};

class IntegrationFixture : public ::testing::Test {
 protected:
  IntegrationFixture() {
    shell::DataLocations where;
    where.root = dir.path() + "/";
    state = std::make_unique<shell::AppState>(where);
    shell::BindingMap names;
    for (const char* f : {"ConfPlan.dat", "Historic.dat"}) names[f] = dir.file(f);
    names["PlCon###.dat"] = dir.file("PlCon001.dat");
    shell::CurrentCompany company;
    company.codigo = 1;
    company.codPlanoContas = 1;
    company.ano = 2024;
    state->switchCompany(company, names);
    lookup = std::make_unique<PostingLookup>(*dict, *state);
    storeChart();
  }

  void storeChart() {
    Table s(dict->find("ConfPlanoContas"));
    ASSERT_TRUE(s.open(dir.file("ConfPlan.dat")).isOk());
    s.buffer().clear();
    s.buffer().setInt("Codigo", 1);
    s.buffer().setInt("Graus", 5);
    const int digits[] = {1, 1, 1, 2, 4};
    for (int n = 1; n <= 5; ++n) s.buffer().setInt("G" + std::to_string(n), digits[n - 1]);
    ASSERT_TRUE(s.append().isOk());
    Table p(dict->find("PlanoContas"));
    ASSERT_TRUE(p.open(dir.file("PlCon001.dat")).isOk());
    struct Account {
      const char* code;
      int64_t reduced;
      const char* nickname;
      const char* description;
      int type;
    };
    // The digits of the cash account's code are the reduced code of the
    // suppliers' account: the reduced code wins.
    for (const Account& a : {Account{"1.1.1.01", 4, "", "DISPONÍVEL", 1},
                             Account{"1.1.1.01.0001", 5, "CAIXA", "Caixa Geral", 2},
                             Account{"2.1.1.01.0001", 111010001, "", "Fornecedores", 2},
                             Account{"3.1.1.01.0002", 77, "", "Compras", 2}}) {
      p.buffer().clear();
      p.buffer().setText("PLA:Codigo", a.code);
      p.buffer().setInt("PLA:Reduzido", a.reduced);
      p.buffer().setText("PLA:Apelido", a.nickname);
      p.buffer().setText("PLA:Descricao", utf8ToLatin1(a.description));
      p.buffer().setInt("PLA:SintAnali", a.type);
      ASSERT_TRUE(p.append().isOk());
    }
    Table h(dict->find("Historico"));
    ASSERT_TRUE(h.open(dir.file("Historic.dat")).isOk());
    h.buffer().clear();
    h.buffer().setInt("HIS:CODIGO", 4);
    h.buffer().setText("HIS:Descricao", utf8ToLatin1("Compra conforme nota"));
    ASSERT_TRUE(h.append().isOk());
  }

  IntegrationRules& rules(IntegrationPolicy policy) {
    made = std::make_unique<IntegrationRules>(*lookup, errors, fields, std::move(policy));
    return *made;
  }
  // Types `text` into the field and runs the rule of a completed account.
  bool typeAccount(IntegrationRules& r, const std::string& field, const std::string& text) {
    EXPECT_TRUE(fields.setText(field, text).isOk());
    return r.accountCompleted(kCash, field);
  }
  bool typeHistory(IntegrationRules& r, const std::string& text) {
    EXPECT_TRUE(fields.setText(kCash.history, text).isOk());
    return r.historyCompleted(kCash);
  }
  std::string lastText() const { return dialogs.boxes.empty() ? "" : dialogs.boxes.back().text; }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  std::unique_ptr<shell::AppState> state;
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  std::unique_ptr<PostingLookup> lookup;
  Record invoice{dict->find("RegEntrada")};
  RecordIntegrationFields fields{invoice};
  std::unique_ptr<IntegrationRules> made;
};

TEST_F(IntegrationFixture, AccountsAreFoundByReducedCodeFirstThenCodeThenNickname) {
  IntegrationRules& r = rules({.checked = true});
  // Digits that are a reduced code resolve there, though they also spell a code.
  ASSERT_TRUE(typeAccount(r, kCash.debit, "1.1.1.01.0001"));
  EXPECT_EQ(fields.text(kCash.debit), "2.1.1.01.0001");
  EXPECT_EQ(r.description(kCash.debit), "Fornecedores");
  // A code that is no reduced code, then a nickname; the field takes the code.
  ASSERT_TRUE(typeAccount(r, kCash.debit, "311010002"));
  EXPECT_EQ(fields.text(kCash.debit), "3.1.1.01.0002");
  ASSERT_TRUE(typeAccount(r, kCash.credit, "caixa"));
  EXPECT_EQ(fields.text(kCash.credit), "1.1.1.01.0001");
  EXPECT_EQ(r.description(kCash.credit), "Caixa Geral");
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(IntegrationFixture, UnknownAndSyntheticAccountsAreRefusedUnderTheGroupTitle) {
  IntegrationRules& r = rules({.checked = true});
  EXPECT_FALSE(typeAccount(r, kCash.debit, "999"));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes.back().title, "Valor à vista.");
  EXPECT_EQ(lastText(), "Conta 9.9.9 não encontrada!!!");
  EXPECT_EQ(r.takeFocus(), kCash.debit);
  EXPECT_EQ(r.description(kCash.debit), "");
  EXPECT_FALSE(typeAccount(r, kCash.credit, "1.1.1.01"));
  EXPECT_EQ(lastText(), "Conta 1.1.1.01 é uma conta Sintética!!!");
  EXPECT_EQ(r.takeFocus(), kCash.credit);
}

TEST_F(IntegrationFixture, PartyWordsFollowThePolicy) {
  IntegrationRules& both = rules({.checked = true});
  EXPECT_TRUE(typeAccount(both, kCash.debit, "fornecedor"));
  EXPECT_TRUE(typeAccount(both, kCash.credit, " Cliente"));
  EXPECT_TRUE(dialogs.boxes.empty());
  IntegrationRules& supplierOnly = rules({.checked = true, .partyWords = kSupplierWord});
  EXPECT_TRUE(typeAccount(supplierOnly, kCash.debit, "FORNECEDOR"));
  EXPECT_FALSE(typeAccount(supplierOnly, kCash.credit, "CLIENTE"));
  EXPECT_EQ(lastText().rfind("Conta ", 0), 0u);
  EXPECT_NE(lastText().find(" não encontrada!!!"), std::string::npos);
}

TEST_F(IntegrationFixture, EqualAccountsAndHistoryRulesHoldWithTheSwitchOff) {
  IntegrationRules& r = rules({.checked = false});
  // Any text is taken as it stands.
  EXPECT_TRUE(typeAccount(r, kCash.debit, "QUALQUER COISA"));
  EXPECT_EQ(fields.text(kCash.debit), "QUALQUER COISA");
  EXPECT_FALSE(typeAccount(r, kCash.credit, "qualquer coisa"));
  EXPECT_EQ(lastText(), "Atenção!!! Conta débito e crédito estão com conta igual!!!");
  EXPECT_EQ(dialogs.boxes.back().title, "Valor à vista.");
  EXPECT_EQ(r.takeFocus(), kCash.credit);
  EXPECT_TRUE(typeAccount(r, kCash.credit, "3.1.1.01.0002"));
  EXPECT_EQ(r.description(kCash.credit), "Compras") << "a stored code still shows its description";

  EXPECT_FALSE(typeHistory(r, "0"));
  EXPECT_EQ(lastText(), "Atenção histórico deve ser informado!!!");
  EXPECT_EQ(r.takeFocus(), kCash.history);
  EXPECT_FALSE(typeHistory(r, "12"));
  EXPECT_EQ(lastText(), "Atenção histórico não encontrado!!!");
  EXPECT_TRUE(typeHistory(r, "4"));
  EXPECT_EQ(r.description(kCash.history), "Compra conforme nota");
  EXPECT_TRUE(r.checkGroup(kCash));
  // Without accounts no history is required.
  ASSERT_TRUE(fields.setText(kCash.debit, "").isOk());
  ASSERT_TRUE(fields.setText(kCash.credit, "").isOk());
  EXPECT_TRUE(typeHistory(r, "0"));
}

TEST_F(IntegrationFixture, CheckingTheGroupStopsAtItsFirstFault) {
  IntegrationRules& r = rules({.checked = true});
  ASSERT_TRUE(fields.setText(kCash.debit, "5").isOk());
  ASSERT_TRUE(fields.setText(kCash.credit, "77").isOk());
  EXPECT_FALSE(r.checkGroup(kCash));
  EXPECT_EQ(lastText(), "Atenção histórico deve ser informado!!!");
  EXPECT_EQ(fields.text(kCash.debit), "1.1.1.01.0001") << "reduced codes became codes on the way";
  EXPECT_EQ(fields.text(kCash.credit), "3.1.1.01.0002");
  ASSERT_TRUE(fields.setText(kCash.history, "4").isOk());
  EXPECT_TRUE(r.checkGroup(kCash));
  // A history chosen in the search is checked as if typed.
  r.choose(kCash, kCash.history, {"12"});
  EXPECT_EQ(lastText(), "Atenção histórico não encontrado!!!");
}

TEST_F(IntegrationFixture, DeclaredGroupKeepsTheFocusOnARefusedField) {
  IntegrationRules& r = rules({.checked = true});
  ScreenModel model("UEntradasContabilidade", "Integração");
  ASSERT_TRUE(declareIntegrationGroup(model, r, kCash, {}).isOk());
  ASSERT_TRUE(model.type("REG:CDebito", "999").isOk());
  EXPECT_EQ(model.focus(), "REG:CDebito");
  ASSERT_TRUE(model.type("REG:CDebito", "5").isOk());
  EXPECT_EQ(model.displayValue(*model.control("LOC:DESC_CDebito")), "Caixa Geral");
  EXPECT_EQ(model.focus(), "REG:CCredito");
  EXPECT_FALSE(model.button("Pesquisa_CDebito") == nullptr);
  IntegrationGroup wrong = kCash;
  wrong.debit = "REG:NaoExiste";
  EXPECT_FALSE(declareIntegrationGroup(model, r, wrong, {}).isOk());
}

TEST(IntegrationLabel, FollowsTheSourceAndTheDocumentAccounts) {
  const PostingTriple none;
  const PostingTriple full{"1.1", "2.1", 4};
  const PostingTriple accountsOnly{"1.1", "", 0};
  const PostingTriple historyOnly{"", "", 4};
  // The source has accounts.
  EXPECT_EQ(integrationLabel("CFOP", full, none, ""), "CFOP");
  EXPECT_EQ(integrationLabel("C. ISS", full, none, "Manual"), "C. ISS");
  EXPECT_EQ(integrationLabel("CFOP", full, accountsOnly, ""), "Manual");
  EXPECT_EQ(integrationLabel("CFOP", full, historyOnly, ""), "Manual");
  EXPECT_EQ(integrationLabel("CFOP", accountsOnly, none, "CFOP"), "Manual") << "no history on the source";
  // The source has neither accounts nor history.
  EXPECT_EQ(integrationLabel("CFOP", none, none, "Manual"), "");
  EXPECT_EQ(integrationLabel("CFOP", none, historyOnly, "Manual"), "");
  EXPECT_EQ(integrationLabel("CFOP", none, full, ""), "Manual");
  // Anything else keeps what was shown.
  EXPECT_EQ(integrationLabel("CFOP", none, accountsOnly, "CFOP"), "CFOP");
  EXPECT_EQ(integrationLabel("CFOP", historyOnly, none, "Manual"), "Manual");
  EXPECT_EQ(integrationLabel("CFOP", historyOnly, full, ""), "");
  EXPECT_EQ(integrationLabel("CFOP", PostingTriple{"  ", " ", 0}, PostingTriple{" ", "", 0}, "X"), "")
      << "blanks are no account";
}

TEST(SelectedPeriod, IsTheMonthOrTheWholeYear) {
  const DateRange march = selectedPeriod(2024, 3);
  EXPECT_EQ(formatDate(march.first), "01/03/2024");
  EXPECT_EQ(formatDate(march.last), "31/03/2024");
  const DateRange february = selectedPeriod(2024, 2);
  EXPECT_EQ(formatDate(february.last), "29/02/2024");
  const DateRange year = selectedPeriod(2024, shell::kWholeYear);
  EXPECT_EQ(formatDate(year.first), "01/01/2024");
  EXPECT_EQ(formatDate(year.last), "31/12/2024");
  EXPECT_TRUE(year.contains(march.last));
  EXPECT_FALSE(march.contains(february.last));
  const DateRange none = selectedPeriod(0, 1);
  EXPECT_EQ(none.first, 0);
  EXPECT_FALSE(none.contains(0));
}

}  // namespace
}  // namespace vorlam::fiscal
