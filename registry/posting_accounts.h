// The posting-account switch and the account search behind the account
// fields of the tax integration accounts.
//
// The switch is entry "Parametros" of section "UsuEscritaQuelma" in
// "BComuns\ctb.ini" under the data root (dataRootSettingsFile); when it holds 1, account and
// history fields are checked against the company's chart of accounts and
// standard histories, and their search buttons are shown.
//
// findAccount() resolves what the user typed into an account field, in this
// order: the text without dots read as a reduced code (`PLA:KEY:REDUZIDO`),
// the text in capitals as an alias (`PLA:KEY:APELIDO`, 20 characters), and
// the typed digits regrouped into a written code under the company's
// structure (FormataConta, `PLA:KEY:CODIGO`).  An empty text and the words
// "FORNECEDOR" and "CLIENTE" (upper case, exactly) are no accounts and are
// taken as they stand.
//
// Pure functions over open tables; not thread-safe for one table.
#pragma once

#include <string>
#include <string_view>

#include "chart/account_structure.h"
#include "framework/settings_file.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::registry {

inline constexpr char kPostingSwitchFile[] = "BComuns\\ctb.ini";
inline constexpr char kPostingSwitchSection[] = "UsuEscritaQuelma";
inline constexpr char kPostingSwitchEntry[] = "Parametros";

// True when the switch under `dataRoot` holds 1.
bool postingAccountsOn(SettingsFiles& settings, const std::string& dataRoot);

enum class AccountOutcome {
  kNoAccount,  // blank, "FORNECEDOR" or "CLIENTE": accepted unchanged
  kAnalytic,   // found, analytic: the field takes its full code
  kSynthetic,  // found, but synthetic
  kNotFound,
};

struct AccountMatch {
  AccountOutcome outcome = AccountOutcome::kNotFound;
  std::string code;         // the account's full code (UTF-8), when found
  std::string description;  // its description (UTF-8), when found
};

// The text of an account field as the switch's rules take it (UTF-8).
// `chart` is the company's open `PlanoContas`; its buffer is moved.
// Errors only for a chart that cannot be read.
Result<AccountMatch> findAccount(Table& chart, const chart::AccountStructure& structure, std::string_view typed);

// The account of `chart` in its buffer, as findAccount() reports a match.
AccountMatch accountMatchOf(const Record& account);

}  // namespace vorlam::registry
