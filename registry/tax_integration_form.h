// The tax integration form "UConfigura_Integracao_Impostos" ("Configura
// Integração dos Impostos"): one row of `Contas_Integracao_Contabil` — the
// debit and credit accounts, history and complement a company uses for one
// integration reference (registry/integration_references.h).
//
// Request convention: for insert, ScreenRequest::keys = {company code
// (EMP:Codigo)}, which primes `CIC:CODIGO_EMPRESA`; for change, delete and
// view, the row's primary key = {CIC:CODIGO_EMPRESA, CIC:CODIGO_REFERENCIA}.
// The reference code is typed (or chosen) only when inserting.
//
// Rules:
//  - the reference code shows its text for 1-30 and none for 0; above 30
//    the form sounds, shows "Atenção!!! imposto não encontrado!!!" and keeps
//    the focus on the code;
//  - with the posting-account switch on (registry/posting_accounts.h) the
//    account fields are resolved in the company's chart of accounts
//    (reduced code, alias, written code): an analytic account replaces the
//    text by its full code and shows its description; a synthetic one is
//    refused ("Atenção!!! A conta selecionada deve ser uma conta
//    analítica!!!"); an unknown one opens the chart search.  A history must
//    exist in `Historico`, or its search opens.  The three search buttons
//    (and F5 on their fields) open the chart of accounts "PlanoContas" and
//    the standard histories "Historico" in select mode, when those screens
//    are built; they are shown only with the switch on.  Saving checks the
//    accounts and history again, so no row names an account the chart
//    does not have.  With the switch off any text is taken;
//  - "&Gravar" refuses, in order: no reference code; a debit without a
//    credit; a credit without a debit; both accounts without a history;
//    neither account nor history; neither account.  Each failure sounds,
//    shows its message (title "Atenção!!!") and moves the focus.
//
// Not thread-safe: the form runs on its screen's thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/account_structure.h"
#include "framework/form_controller.h"
#include "shell/screen_registry.h"
#include "storage/table.h"

namespace vorlam::registry {

inline constexpr char kTaxIntegrationFormProcedure[] = "UConfigura_Integracao_Impostos";
inline constexpr char kChartListProcedure[] = "PlanoContas";
inline constexpr char kHistoryListProcedure[] = "Historico";

class TaxIntegrationForm : public shell::HostedScreen {
 public:
  TaxIntegrationForm(shell::ScreenServices& services, Request request, std::vector<std::string> keys);
  ~TaxIntegrationForm() override;
  ScreenModel& model() override { return model_; }
  Status open() override;
  FormController& form() { return *form_; }
  bool switchOn() const { return switchOn_; }
  // Played before the messages that have a sound.
  void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

 private:
  struct AccountField {
    int field = -1;
    std::string description;
    const char* searchTip;
  };

  Status openLookups();
  void declare();
  void declareAccount(AccountField& account, const char* prompt);
  Status referenceAccepted();
  // The switch's rules on an account field; failure keeps the focus there.
  Status accountAccepted(AccountField& account);
  Status historyAccepted();
  bool searchAccount(AccountField& account);
  // Reads the account whose full code the field holds into the chart's
  // buffer; false when there is none.
  bool storedAccount(const AccountField& account);
  bool searchHistory();
  bool readHistory(int64_t code);
  bool checkSave();
  bool refuse(const char* text, int focus);

  Request request_;
  std::vector<std::string> keys_;
  Table rows_, empresa_, chart_, histories_;
  chart::AccountStructure structure_;
  FormDefinition definition_;
  std::unique_ptr<FormController> form_;
  ScreenModel model_;
  bool switchOn_ = false;
  int reference_ = -1, history_ = -1;
  AccountField debit_, credit_;
  std::string companyName_, referenceText_, historyText_;
  std::function<void()> beep_;
};

}  // namespace vorlam::registry
