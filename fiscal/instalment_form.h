// The instalment form ("UBDEntradas", "UBDSaidas", "UBDISS51", "UBDISS53")
// without its window: one instalment inserted, changed or settled, deleted
// or viewed, on two tabs.
//
// "&Duplicata": the invoice's identity (number, date, species, series,
// inscription with the supplier search and name), a summary of the invoice
// (instalment count, cash, accounting value, instalments, difference), the
// due date and value, and the payment: date, discount, fine, interest and
// the amount paid.  The figures of the summary are those of the invoice the
// form names now: the accounting and cash values of its register lines, and
// its stored instalments with this one's value in place of what it had
// stored; the difference is the accounting value less the cash value less
// the instalments.  Paid = value - discount + fine + interest.  Beside each
// amount a button moves to the integration tab when the amount is above 0;
// once that group's complement is completed the focus comes back to the
// field after the amount.
//
// "&Integração Contábil": the four integration groups of the settlement
// (value, discount, fine, interest).  They show the settlement's accounts
// when the form opens on a stored instalment that has one.
//
// Saving ("&Gravar"): the instalment is written first; only once that
// succeeded is its settlement updated or deleted (fiscal/instalment_settlement.h),
// in the settlement file of the payment's year, opened on a table of the
// form's own.  A settlement that cannot be written is reported (messages 28
// and 13) and the instalment stays saved.  An insert starts from a blank
// record: nothing of the instalment highlighted in the list is carried over.
//
// Not thread-safe: the form runs on its screen's thread.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fiscal/instalment_kind.h"
#include "fiscal/instalment_settlement.h"
#include "fiscal/integration_rules.h"
#include "framework/form_controller.h"
#include "framework/screen_context.h"
#include "framework/screen_model.h"
#include "shell/app_state.h"
#include "storage/table.h"

namespace vorlam::fiscal {

// The tables an instalment screen works on, opened together on the files
// bound for the current company and year.
struct InstalmentTables {
  InstalmentTables(const Dictionary& dict, const InstalmentKind& kind);
  // Opens every table; message 26 names the file that cannot be opened.
  Status open(const ScreenContext& context);

  const InstalmentKind& kind;
  Table instalments;  // the list's and the form's
  Table view;         // a second view of the instalments, for the totals
  Table registers;    // the invoices' register lines
  Table settlements;  // the selected year's settlement file
  Table other;        // another year's settlement file, open for one save
  Table parties;      // customers and suppliers, for names and inscriptions
};

// Where the form stands in the program: the data root and the current
// company and year (the settlement file of another year is built from them),
// and what the integration rules read: the chart and histories, the
// posting-account switch, the chart and history searches.
struct InstalmentEnvironment {
  std::string dataRoot = {};
  shell::CurrentCompany company = {};
  PostingLookup* lookup = nullptr;  // required
  bool postingChecked = false;
  IntegrationSearch search = {};
};

class InstalmentForm {
 public:
  // Opens the customer/supplier search over the form and returns the chosen
  // code (FOR:Codigo as text); nullopt when nothing was chosen.
  using PartySearch = std::function<std::optional<std::string>(ScreenModel& over)>;

  // Every referent must outlive the form; the tables are open.
  InstalmentForm(ScreenContext& context, InstalmentTables& tables, InstalmentEnvironment env, Request request);

  // Insert: a blank instalment.  Otherwise the stored instalment `recordId`
  // (message 1 and kClosed when it cannot be read).
  FormState open(int64_t recordId = 0);

  FormController& controller() { return form_; }
  ScreenModel& screen() { return model_; }
  // Empty: the search button stays disabled.
  void setPartySearch(PartySearch search) { partySearch_ = std::move(search); }
  IntegrationRules& rules() { return rules_; }

  // "&Gravar": saves the instalment, then its settlement.
  FormState save();
  // The instalment as it was when the form opened (insert: as saved).
  const InstalmentKey& opened() const { return opened_; }
  // The instalment as saved (delete: as it was).
  InstalmentKey saved() const { return instalmentKey(tables_.kind, form_.record()); }
  // What the save did to the settlement; nullopt before a save.
  std::optional<SettlementOutcome> settlementOutcome() const { return outcome_; }

  // The summary figures shown, as stored values.
  const InvoiceTotals& summary() const { return summary_; }
  Decimal difference() const;
  Decimal paid() const;
  // The screen tab shown (0 "&Duplicata", 1 "&Integração Contábil").
  int tab() const { return tab_; }
  // The party's name beside the inscription (UTF-8).
  const std::string& partyName() const { return partyName_; }

 private:
  // The form's record for the rules, showing the settlement's values while
  // a view or delete form shows them, and telling the form which field the
  // rules set.
  class Fields : public FormIntegrationFields {
   public:
    explicit Fields(InstalmentForm& owner) : FormIntegrationFields(owner.form_), owner_(owner) {}
    std::string text(const std::string& field) const override;
    Status setText(const std::string& field, const std::string& utf8) override;

   private:
    InstalmentForm& owner_;
  };

  int field(const char* suffix) const { return form_.fieldIndex(tables_.kind.name(suffix)); }
  IntegrationGroup integrationGroup(int group) const;
  void declareScreen();
  void declareIdentity();
  void declareSummary();
  void declareAmounts();
  void declareIntegration();
  void declareButtons();
  void amountButton(int group, const char* nextField);
  void complementCompleted(const std::string& field);
  void fillFromSettlement();
  void refreshSummary();
  void refreshPartyName();
  void searchParty();
  void updateSettlement();

  ScreenContext& ctx_;
  InstalmentTables& tables_;
  InstalmentEnvironment env_;
  FormDefinition definition_;
  FormController form_;
  Fields fields_;
  IntegrationRules rules_;
  InstalmentKey opened_;
  Decimal openedValue_;
  std::optional<SettlementOutcome> outcome_;
  InvoiceTotals summary_;
  std::map<std::string, std::string> shownIntegration_;  // field -> the settlement's text
  std::string partyName_;
  PartySearch partySearch_;
  int tab_ = 0;
  int pendingGroup_ = -1;  // the amount whose button led to the integration tab
  std::string returning_;  // the field the focus goes back to, once
  std::array<std::string, kSettlementGroups> returnTo_;  // the field after each amount
  ScreenModel model_;
};

// The name of the customer or supplier with inscription `inscription`
// (CNPJ, else CPF, else the code read as a number); empty when none.
std::string partyNameOf(Table& parties, std::string_view inscription);

}  // namespace vorlam::fiscal
