// The accounts of the current company's chart as the ledger screens look
// them up: by code, by reduced code, by nickname, and by what the user typed
// in an account field.  Reads `PlanoContas` directly (read-only), so that a
// screen can check an account without the chart screen.
//
// Texts are UTF-8.  Not thread-safe: each screen owns its ChartAccounts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chart/current_structure.h"
#include "dictionary/cascade.h"
#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::ledger {

struct Account {
  std::string code;         // PLA:Codigo
  std::string description;  // PLA:Descricao
  bool synthetic = false;   // PLA:SintAnali = 1
};

// The leading digits of `text` (blanks before them skipped) as a number; 0
// when there are none or they do not fit.
int64_t leadingNumber(std::string_view text);

class ChartAccounts {
 public:
  // `dict` and `state` must outlive the object.
  ChartAccounts(const Dictionary& dict, const shell::AppState& state);

  // Opens the chart bound now, read-only.  A chart file that does not exist
  // is an empty chart; other failures are returned.
  Status open();
  const std::string& path() const { return path_; }

  std::optional<Account> byCode(std::string_view code);
  std::optional<Account> byReduced(int64_t reduced);
  std::optional<Account> byNickname(std::string_view nickname);
  // The written code of `typed` under the company's structure: its dots
  // dropped and the digits regrouped.
  std::string masked(std::string_view typed);

  // A standard entry's account: the masked code, else the reduced code (the
  // text read as a number), else the nickname.
  std::optional<Account> findMaskedFirst(std::string_view typed);
  // A journal line's account: the reduced code (the text without dots read
  // as a number), else, when the text is not blank, the masked code, else
  // the nickname.
  std::optional<Account> findReducedFirst(std::string_view typed);
  // What a chart lookup returned (its chosen key): an account code, or the
  // record number of a chart without a primary key.
  std::optional<Account> fromChosenKey(std::string_view key);

 private:
  std::optional<Account> readBy(int key);

  const Dictionary& dict_;
  const shell::AppState& state_;
  Table table_;
  chart::CurrentStructure structure_;
  std::string path_;
  int code_ = -1, reduced_ = -1, nickname_ = -1, description_ = -1, kind_ = -1;
  int codeKey_ = -1, reducedKey_ = -1, nicknameKey_ = -1;
};

}  // namespace vorlam::ledger
