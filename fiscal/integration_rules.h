// The accounting integration of a fiscal document (an invoice, a service
// note, an instalment's settlement): groups of debit account, credit
// account, standard-history code and complement, the rules that check them
// when the user completes one of their fields, and the label that tells
// whether a document posts by the accounts of its source (the CFOP, the
// service code) or by accounts of its own.
//
// Rules, for the group being edited, when one of its fields is completed:
//  1. An account, with the posting-account switch on ("BComuns\ctb.ini",
//     section "UsuEscritaQuelma", key "Parametros" = 1): the party words of
//     the policy (compared in upper case) are taken as they are; a blank
//     account clears its description; any other text is regrouped by the
//     company's structure and looked up by the typed digits as a reduced
//     code, else by code, else by the text without dots as a nickname.
//     Not found: "Conta X não encontrada!!!"; synthetic: "Conta X é uma
//     conta Sintética!!!" (X the regrouped text; title: the group's); the
//     description is cleared and the focus returns to the account.  Found
//     analytic: its full code goes into the field and its description
//     beside it.  With the switch off any text is taken.
//  2. Debit and credit the same non-blank account: "Atenção!!! Conta débito
//     e crédito estão com conta igual!!!", focus back on the account just
//     completed (switch on or off).
//  3. The history: with an account of the group filled and the code 0,
//     "Atenção histórico deve ser informado!!!"; a non-zero code that is no
//     standard history, "Atenção histórico não encontrado!!!"; the focus
//     goes to the history (switch on or off).
// checkGroup() runs the three rules over the whole group, in field order,
// so that a screen refuses to save a group the user left half checked.
//
// An account code that does not fit its field (a 40-character code in a
// 20-character field) is refused rather than cut, since a cut code names
// another account or none.
//
// The rules read and write the group's values through IntegrationFields, so
// that a form over the document's own table and a form that keeps another
// table's record (an instalment's settlement) use them alike.
//
// Not thread-safe: the rules run on their form's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fiscal/posting_accounts.h"
#include "framework/error_manager.h"
#include "framework/form_controller.h"
#include "framework/screen_model.h"
#include "storage/record.h"
#include "storage/status.h"

namespace vorlam::fiscal {

// One integration group by field name.
struct IntegrationGroup {
  std::string title;  // title of the group's messages: "Valor à vista."
  std::string debit, credit, history, complement;
};

// The words that stand for the document's party in an account field.
inline const std::vector<std::string> kPartyWords = {"FORNECEDOR", "CLIENTE"};
inline const std::vector<std::string> kSupplierWord = {"FORNECEDOR"};

struct IntegrationPolicy {
  bool checked = false;  // the posting-account switch (postingAccountsChecked)
  std::vector<std::string> partyWords = kPartyWords;
};

// Where the values of the groups live.  Texts are UTF-8 without trailing
// blanks; a history code reads as its number ("0" when none).
class IntegrationFields {
 public:
  virtual ~IntegrationFields() = default;
  virtual bool has(const std::string& field) const = 0;
  virtual std::string text(const std::string& field) const = 0;
  virtual Status setText(const std::string& field, const std::string& utf8) = 0;
  // Characters `field` holds; 0 when it sets no limit.
  virtual size_t width(const std::string& field) const = 0;
};

// The fields of a form's record; values are set as the screen's code sets
// them (FormController::assignText).
class FormIntegrationFields : public IntegrationFields {
 public:
  explicit FormIntegrationFields(FormController& form) : form_(form) {}
  bool has(const std::string& field) const override { return form_.fieldIndex(field) >= 0; }
  std::string text(const std::string& field) const override;
  Status setText(const std::string& field, const std::string& utf8) override;
  size_t width(const std::string& field) const override;

 private:
  FormController& form_;
};

// The fields of a record the screen keeps itself (a settlement read
// alongside the form's own record).
class RecordIntegrationFields : public IntegrationFields {
 public:
  explicit RecordIntegrationFields(Record& record) : record_(record) {}
  bool has(const std::string& field) const override { return record_.def().fieldIndex(field) >= 0; }
  std::string text(const std::string& field) const override;
  Status setText(const std::string& field, const std::string& utf8) override;
  size_t width(const std::string& field) const override;

 private:
  Record& record_;
};

class IntegrationRules {
 public:
  // Every referent must outlive the rules.
  IntegrationRules(PostingLookup& lookup, ErrorManager& errors, IntegrationFields& fields, IntegrationPolicy policy);

  const IntegrationPolicy& policy() const { return policy_; }
  IntegrationFields& fields() { return fields_; }
  bool isPartyWord(std::string_view text) const;

  // The user completed the debit or credit account `field` of `group`
  // (rules 1 and 2).  False when refused: the message was shown and the
  // focus asked back.
  bool accountCompleted(const IntegrationGroup& group, const std::string& field);
  // The user completed the group's history (rule 3).
  bool historyCompleted(const IntegrationGroup& group);
  // Every rule over the group, as before a save; stops at the first refusal.
  bool checkGroup(const IntegrationGroup& group);

  // A search's choice for `field` of `group` (primary-key values: an
  // account's code or record number, a history's code), put in the field
  // and checked as if typed.  Nothing happens for an empty choice.
  void choose(const IntegrationGroup& group, const std::string& field, const std::vector<std::string>& keys);

  // Fills the descriptions of the group's stored accounts and history.
  void describe(const IntegrationGroup& group);
  // The description shown beside `field`; empty when none.
  std::string description(const std::string& field) const;

  // The field the rules asked the focus for, once (nullopt: none).
  std::optional<std::string> takeFocus() { return std::exchange(focus_, std::nullopt); }

 private:
  bool checkAccount(const IntegrationGroup& group, const std::string& field);
  bool checkEqual(const IntegrationGroup& group, const std::string& field);
  bool fits(const std::string& field, const std::string& code, const std::string& title);
  bool refuse(const std::string& text, const std::string& title, const std::string& field);
  void reportFailure(const Status& status, const std::string& field);
  void describeAccount(const std::string& field);

  PostingLookup& lookup_;
  ErrorManager& errors_;
  IntegrationFields& fields_;
  IntegrationPolicy policy_;
  std::map<std::string, std::string> descriptions_;
  std::optional<std::string> focus_;
};

// A document's accounts and history for one group.
struct PostingTriple {
  std::string debit;
  std::string credit;
  int64_t history = 0;
};

// The label of one group: `sourceWord` ("CFOP", "C. ISS") when the document
// posts by its source's accounts, "Manual" when by its own, blank when
// neither has any; otherwise `previous` stands.
//  - the source has an account: `sourceWord` when the source has a history
//    and the document has neither accounts nor history; else "Manual";
//  - the source has neither accounts nor history: blank when the document
//    has no account, "Manual" when it has an account and a history;
//  - any other case keeps `previous`.
std::string integrationLabel(std::string_view sourceWord, const PostingTriple& source,
                             const PostingTriple& document, std::string_view previous);

// How a group's controls are declared on a screen model.
struct IntegrationGroupScreen {
  int tab = -1;
  std::string debitPrompt = "Conta Débito....";
  std::string creditPrompt = "Conta Crédito....";
  std::string historyPrompt = "Histórico...........";
  std::string complementPrompt = "Complemento...";
  std::string accountPicture = "@s40";
  std::string complementPicture = "@s500";
  // Whether the group may be edited; empty: always.
  std::function<bool()> editable = {};
};

// Opens the chart of accounts or the standard histories in select mode and
// returns the chosen primary-key values (empty: nothing chosen); nullopt
// when that search is not built.  `available` tells whether it is.
struct IntegrationSearch {
  std::function<std::optional<std::vector<std::string>>(LookupKind kind)> open = {};
  std::function<bool(LookupKind kind)> available = {};
};

// Declares the group's controls in tab order: debit with its description
// ("LOC:DESC_" + field) and search button ("Pesquisa_" + field), credit
// likewise, history likewise, complement; typing runs the rules, and the
// rules' focus requests move the model's focus.  kInvalidArgument for a
// field IntegrationFields cannot hold.
Status declareIntegrationGroup(ScreenModel& model, IntegrationRules& rules, const IntegrationGroup& group,
                               const IntegrationGroupScreen& screen, const IntegrationSearch& search = {});

}  // namespace vorlam::fiscal
