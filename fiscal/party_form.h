// The customer/supplier form `UFornecedores` ("Atualização da Tabela de
// Clientes/Fornecedores") without its window: one `ForCli` record, its
// taxpayer-number checks, the account it proposes for the customer and
// supplier sides, and the creation of those accounts in the company's chart
// of accounts when it is saved.
//
//  - CNPJ (numeric or alphanumeric) and CPF are checked with their check
//    digits; an invalid number is shown and keeps the focus;
//  - switching a side's flag on enables its account and, when the account
//    is blank, proposes one (numbering 1 or 2, fiscal/party_accounts.h);
//    switching it off disables and empties it, and switching it on again
//    puts back the value last typed;
//  - a typed account is rewritten under the side's group (the last level
//    taken from what was typed, zero-padded); one chosen in the chart
//    lookup stays as chosen;
//  - "&Grava" refuses a record without CNPJ and CPF, asks before adding a
//    second record with the same number, and (unless deleting or under
//    numbering 3) adds the accounts the chart lacks.
//
// The accounts and the record: the accounts are added, in one transaction,
// before the record is written.  A failure to add one (three reduced-code
// clashes, a file that cannot be written) shows message 4 and the record is
// not saved: the form stays open on the account.  A record whose write then
// fails takes the accounts it had just added out again.  An account the user
// declines to add (the change questions) is not saved either.  So a saved
// record never names an account missing from the chart.
//
// Not thread-safe: the form runs on its screen's thread.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fiscal/party_accounts.h"
#include "framework/form_controller.h"
#include "framework/screen_context.h"
#include "framework/screen_model.h"
#include "storage/table.h"

namespace vorlam::fiscal {

inline constexpr char kPartyFormProcedure[] = "UFornecedores";
inline constexpr char kPartyFormTitle[] = "Atualização da Tabela de Clientes/Fornecedores";

inline constexpr char kBlankInscriptionText[] = "A inscrição do Clientes/Fornecedor está em branco";
inline constexpr char kSameNumberQuestion[] =
    "ATENÇÃO !!! Foi encontrado um fornecedor/cliente com o mesmo número do CNPJ/CPF. Deseja continuar com a "
    "inclusão mesmo assim ?";
inline constexpr char kSameNumberTitle[] = "Confirma inclusão do fornecedor/cliente";

const FormDefinition& partyFormDefinition();

// The tables a party screen works on, opened together.
struct PartyTables {
  explicit PartyTables(const Dictionary& dict);
  // Opens `ForCli`, its second cursor `ForCli0` and the chart, and reads the
  // company's settings.  Message 26 names a file that cannot be opened,
  // message 21 a company record that cannot be read.
  Status open(const ScreenContext& context, const Dictionary& dict, const shell::AppState& state);

  Table parties;  // ForCli: the list's and the form's
  Table scan;     // ForCli0: the same-number search
  Table chart;    // PlanoContas of the structure in force
  Table states;   // Estados, read for the state choices
  PartyAccountSettings settings;
  std::vector<ControlChoice> stateChoices;
};

class PartyForm {
 public:
  // Runs the chart lookup over `parent` and returns the chosen account's
  // primary-key values (its record number while the chart has no primary
  // key); empty when nothing was chosen.  Empty when the lookup screen is
  // not built.
  using ChartLookup = std::function<std::vector<std::string>(ScreenModel& parent)>;

  // `context` and `tables` (open) must outlive the form.
  PartyForm(ScreenContext& context, PartyTables& tables, Request request, ChartLookup lookup = {});

  // Insert: a blank record.  Otherwise the stored record `recordId`
  // (message 1 and kClosed when it cannot be read).
  FormState open(int64_t recordId = 0);

  FormController& controller() { return form_; }
  ScreenModel& screen() { return model_; }
  // OK as "&Grava" does it: the form's save and, when it fails after the
  // accounts were added, their removal.
  FormState save();

  // Where a test stands in for another workstation adding accounts.
  void setBeforeAdd(std::function<void(Table&, uint32_t)> hook) { beforeAdd_ = std::move(hook); }

 private:
  struct Side {
    PartySide side;
    int flag = -1, account = -1;
    std::string opening;  // the account when the form opened
    std::string typed;    // the last account typed or chosen
  };
  struct Added {
    std::string code;
    uint32_t reduced;
  };

  void declareScreen();
  void addSpecialControl(const char* field, const char* prompt, ControlKind kind,
                         std::function<Status(const std::string&)> complete);
  void inscriptionTypeChanged();
  void flagChanged(Side& side, bool propose);
  Status typeNumber(int field, const std::string& typed);
  Status typeAccount(Side& side, const std::string& typed, bool chosen);
  void lookUp(Side& side);

  bool checkSave(FormController& form);
  bool sameNumberStored();
  // Adds the accounts the chart lacks; false (shown why) to keep the form open.
  bool addAccounts();
  bool addSideAccount(ChartAccountWriter& writer, Side& side, bool* added);

  ScreenContext& ctx_;
  PartyTables& tables_;
  FormController form_;
  ChartLookup lookup_;
  std::array<Side, 2> sides_;
  int cgc_, cpf_, type_;
  std::vector<Added> added_;
  std::function<void(Table&, uint32_t)> beforeAdd_;
  ScreenModel model_;
};

}  // namespace vorlam::fiscal
