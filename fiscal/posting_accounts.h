// The posting accounts of the fiscal reference forms (CFOP, service codes):
// groups of debit account, credit account, history code and complement that
// post a document's values to the accounting, and the rules that check them
// against the current company's chart of accounts and standard histories.
//
// The checks run only while the posting-account switch is on: section
// "UsuEscritaQuelma", key "Parametros" of "BComuns\ctb.ini" under the data
// root (dataRootSettingsFile) holds 1.  With it off any text is taken, no history is required and
// the search buttons are hidden.
//
// An account field, when the user completes it (switch on):
//  - "FORNECEDOR" and "CLIENTE", in any letter case, stand for the
//    document's supplier or customer and are taken as they are;
//  - a blank field clears its description;
//  - any other text loses its dots, is regrouped by the levels of the
//    company's structure and is looked up by code, else by the typed digits
//    as a reduced code, else by the text without dots (its inner blanks
//    kept, as nicknames have them) as a nickname; the first analytic
//    account found puts its full code in the field and its
//    description beside it; otherwise "Conta X não encontrada!!!" or
//    "Conta X é uma Conta Sintética!!!" under the group's title, and the
//    chart-of-accounts search opens on the field;
//  - debit and credit filled and equal: "Atenção!!! Conta débito e crédito
//    estão com conta igual!!!", and the focus returns to the field.
// A history field: with an account of the group filled, 0 is refused ("Atenção,
// não se pode deixar de informar o Histórico!!!") and a code that does not
// exist opens the history search; with both accounts blank a code is
// refused ("Atenção, não se pode informar o Histórico sem a Conta Débito e
// Conta Crédito!!!") and cleared.
//
// An account code that does not fit its field (a 40-character chart code in
// a 20-character field) is refused rather than cut, since a cut code names
// another account or none.
//
// Not thread-safe: the rules run on their form's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/current_structure.h"
#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "framework/form_controller.h"
#include "framework/settings_file.h"
#include "shell/app_state.h"
#include "shell/screen_registry.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::fiscal {

inline constexpr char kPostingSwitchFile[] = "BComuns\\ctb.ini";
inline constexpr char kPostingSwitchSection[] = "UsuEscritaQuelma";
inline constexpr char kPostingSwitchKey[] = "Parametros";

// Procedures of the searches the posting fields open (select mode).
inline constexpr char kChartLookupProcedure[] = "PlanoContas";
inline constexpr char kHistoryLookupProcedure[] = "Historico";

// Whether the data root's "BComuns\ctb.ini" holds 1 under the switch.
bool postingAccountsChecked(const SettingsFiles& settings, const std::string& dataRoot);

// "FORNECEDOR" or "CLIENTE", letter case and surrounding blanks aside.
bool isPartyWord(std::string_view text);

// An account of the chart; texts UTF-8, code without trailing blanks.
struct ChartAccount {
  std::string code;
  bool analytic = false;   // `PLA:SintAnali` = 2
  bool synthetic = false;  // `PLA:SintAnali` = 1
  std::string description;
};

// Reads the current company's chart of accounts (`PlanoContas` of the
// structure in force) and standard histories (`Historico`) through the file
// names bound in the state.  A missing file holds nothing; other failures
// are errors.
class PostingLookup {
 public:
  // `dict` and `state` must outlive the object.
  PostingLookup(const Dictionary& dict, const shell::AppState& state);

  struct Typed {
    std::string normalised;                // dots removed, regrouped by the structure
    std::optional<ChartAccount> account;  // by code, reduced code or nickname
  };
  Result<Typed> findTyped(std::string_view typedUtf8);
  // The order of the documents' integration forms: the typed digits as a
  // reduced code first, else the regrouped code, else the text without dots
  // as a nickname; the first account found, analytic or not.
  Result<Typed> findReducedFirst(std::string_view typedUtf8);
  // The account of exactly `code`.
  Result<std::optional<ChartAccount>> findCode(std::string_view codeUtf8);
  // The account with record number `id` (a chart list without a primary
  // key names its choice by record number).
  Result<std::optional<ChartAccount>> findRecord(int64_t id);
  // The description of history `code`; nullopt when there is none.
  Result<std::optional<std::string>> history(int64_t code);

 private:
  Status openOnce(Table& table, bool* opened);
  // The typed text without dots, and regrouped by the structure.
  Status normalise(std::string_view typedUtf8, std::string* bare, Typed* out);
  Result<std::optional<ChartAccount>> read(int key);
  Result<std::optional<ChartAccount>> byReduced(std::string_view bare);
  Result<std::optional<ChartAccount>> byNickname(std::string_view typedUtf8);

  const shell::AppState& state_;
  chart::CurrentStructure structure_;
  Table chart_;
  Table history_;
  bool chartOpen_ = false;
  bool historyOpen_ = false;
};

// One group of posting fields, by field name.
struct PostingGroup {
  std::string title;  // message title: "Valor à vista."
  std::string debit, credit, history, complement;
  bool checkHistory = true;
  // An account not found stays in the field instead of being cleared.
  bool keepNotFound = false;
  // The equal-accounts message starts with the group's title.
  bool titledEqualMessage = false;
};

// How the form words and treats a synthetic account.
struct PostingStyle {
  std::string syntheticText = " é uma Conta Sintética!!!";
  bool clearSynthetic = true;
};

enum class LookupKind { kAccount, kHistory };

// Whether the chart-of-accounts or standard-history search of `kind` is built.
bool postingSearchAvailable(shell::ScreenServices& services, LookupKind kind);
// Opens that search by procedure name in select mode as a child of `over`
// and returns the chosen primary-key values (empty: nothing chosen);
// nullopt when it is not built, could not open, or `over` is null.
std::optional<std::vector<std::string>> openPostingSearch(shell::ScreenServices& services, ScreenModel* over,
                                                         LookupKind kind);

class PostingRules {
 public:
  // Opens a search over the form and returns the primary-key values of
  // what was chosen (empty: nothing); nullopt when the search is not built.
  using Opener = std::function<std::optional<std::vector<std::string>>(LookupKind kind)>;
  // Whether the search of `kind` is built (its buttons stay disabled until it is).
  using Available = std::function<bool(LookupKind kind)>;

  // Every referent must outlive the rules.  `checked`: the switch is on.
  PostingRules(FormController& form, PostingLookup& lookup, ErrorManager& errors, bool checked,
               PostingStyle style = {});

  void setOpener(Opener opener, Available available) {
    opener_ = std::move(opener);
    available_ = std::move(available);
  }
  // Registers the group's reactions.  Fields the table lacks are skipped.
  void addGroup(const PostingGroup& group);

  bool checked() const { return checked_; }
  const std::vector<PostingGroup>& groups() const { return groups_; }
  // Fills the descriptions of the stored accounts and histories (switch on).
  void fillDescriptions();
  // The description shown beside `field` (UTF-8); empty when none.
  std::string description(std::string_view field) const;
  // The search button of `field`: opens the chart or history search and
  // puts the choice in the field.
  void search(std::string_view field);
  bool searchAvailable(std::string_view field) const;

 private:
  struct Fields {
    int debit = -1, credit = -1, history = -1;
  };
  void accountAccepted(size_t group, int field);
  void historyAccepted(size_t group);
  bool fits(int field, const std::string& code, const std::string& title);
  void checkEqual(size_t group, int field);
  void assign(int field, const std::string& utf8);
  void show(int field, std::string text) { descriptions_[field] = std::move(text); }
  void searchField(int field, LookupKind kind);
  bool reportFailure(const Status& status);
  void say(const std::string& text, const std::string& title);
  std::optional<size_t> groupOf(int field) const;
  std::string trimmedText(int field) const;

  FormController& form_;
  PostingLookup& lookup_;
  ErrorManager& errors_;
  bool checked_;
  PostingStyle style_;
  Opener opener_;
  Available available_;
  std::vector<PostingGroup> groups_;
  std::vector<Fields> fields_;
  std::map<int, std::string> descriptions_;
  bool applying_ = false;  // the rules themselves are setting a field
};

}  // namespace vorlam::fiscal
