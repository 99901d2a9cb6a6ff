// The account-code services for the current company: the structure its
// settings name (`GLO:EMPRESA:CODPLANOCONTAS`), read from the bound
// `ConfPlanoContas`, regrouping bare digits into written codes and giving
// level end positions.
//
// Each screen or worker owns its CurrentStructure, as the suite keeps one
// structure record per thread: what one loads never changes what another
// has loaded.  Not thread-safe itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "chart/account_structure.h"
#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "storage/status.h"

namespace vorlam::chart {

// Structure `code` of the bound `ConfPlanoContas`.  kNotFound (with a
// message for the user) when the file or the structure does not exist.
Result<AccountStructure> readStructure(const Dictionary& dict, const shell::AppState& state, uint16_t code);

class CurrentStructure {
 public:
  // `dict` and `state` must outlive the object.
  CurrentStructure(const Dictionary& dict, const shell::AppState& state);

  // FormataConta: loads the structure of the state's current company and
  // regroups `bareDigits` under it (formataConta of account_structure.h).
  // When that structure is not stored the loaded structure is cleared and
  // the code is empty; a file that cannot be read is an error.
  Result<std::string> formataConta(std::string_view bareDigits);

  // TamanhoNivel: L(n) of the structure last loaded; 0 before any load,
  // after a cleared one, and for n outside 1..9.
  int tamanhoNivel(int n) const { return chart::tamanhoNivel(loaded_, n); }

  // The structure last loaded (cleared when none was found).
  const AccountStructure& loaded() const { return loaded_; }

 private:
  const Dictionary& dict_;
  const shell::AppState& state_;
  AccountStructure loaded_;
};

}  // namespace vorlam::chart
