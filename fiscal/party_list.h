// The customer/supplier list `BFornecedores` ("Visualização da Tabela de
// Fornecedores / Clientes") without its window: five tabs ("&Código",
// "&Razão Social", "&Parte da  Razão Social", "&Fornecedores",
// "&Clientes"), eighteen columns, the tip line, the buttons, and the form
// `UFornecedores` for insert, change and delete.  Opened to pick a party
// (select mode, for the invoice screens) "Seleciona" is the default button
// and chosen() holds the party.
//
// "Cria &Contas" opens the missing-accounts screen (fiscal/missing_accounts.h):
// the parties of the current company without an account in its chart, what
// will be done for each, and the creation in one run with its progress and
// report.
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fiscal/missing_accounts.h"
#include "fiscal/party_form.h"
#include "framework/list_controller.h"
#include "framework/screen_model.h"

namespace vorlam::fiscal {

inline constexpr char kPartyListProcedure[] = "BFornecedores";
inline constexpr char kPartyListTitle[] = "Visualização da Tabela de Fornecedores / Clientes";
inline constexpr char kPartyListTip[] =
    "Visualização da tabela de Fornecedores/Clientes, INSERT-Inclui, DELETE-Exclui, ENTER-Altera";
extern const char kPartyListFormat[];
std::span<const char* const> partyListColumns();
const ListDefinition& partyListDefinition();

inline constexpr char kMissingProcedure[] = "ContasFornecedores";
inline constexpr char kMissingTitle[] = "Contas de Clientes/Fornecedores no Plano de Contas";

// The missing-accounts screen: the rows found, "&Cria Contas", the
// progress and the report lines.
class MissingAccountsScreen {
 public:
  MissingAccountsScreen(ScreenContext& context, PartyTables& tables);
  // Scans the parties; a failure is shown (message 21) and the screen closes.
  void open();
  ScreenModel& screen() { return model_; }
  const std::vector<MissingAccount>& rows() const { return rows_; }
  const std::optional<CreateAccountsReport>& report() const { return report_; }

 private:
  void declare();
  void create();

  ScreenContext& ctx_;
  PartyTables& tables_;
  std::vector<MissingAccount> rows_;
  std::optional<CreateAccountsReport> report_;
  std::vector<std::string> log_;
  std::string progress_;
  size_t highlighted_ = 0;
  ScreenModel model_;
};

class PartyList {
 public:
  // `context`, `dict` and `state` must outlive the list.
  PartyList(ScreenContext& context, const Dictionary& dict, const shell::AppState& state, bool selecting,
            PartyForm::ChartLookup lookup = {});

  // Opens the files and shows "&Código"; a failure has been shown (and the
  // model closed).
  Status open();

  ListController& rows() { return list_; }
  PartyTables& tables() { return tables_; }
  ScreenModel& screen() { return model_; }
  const std::optional<Record>& chosen() const { return chosen_; }
  // What "&Query" does (the view's query window); nothing by default.
  void setOnQuery(std::function<void()> query) { query_ = std::move(query); }

  // Opens the form for `request` on `row` (nullptr for insert) as a child
  // of the list; true when it completed.
  bool runForm(Request request, const Record* row);
  bool request(Request request);

 private:
  void declare();
  void missingAccounts();

  ScreenContext& ctx_;
  const Dictionary& dict_;
  const shell::AppState& state_;
  bool selecting_;
  PartyForm::ChartLookup lookup_;
  PartyTables tables_;
  ListController list_;
  ScreenModel model_;
  std::optional<Record> chosen_;
  std::function<void()> query_;
};

}  // namespace vorlam::fiscal
