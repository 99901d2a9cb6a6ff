// An account-code conversion written apart from the converter, used to
// check the converter's work: the checks before a run, the verification of
// every converted field and the balance check recompute each new code with
// this code, never with chart::ConversionPlan.
//
// It knows only well-formed codes: a code written in the old structure
// (one to all of its levels, each exactly as wide as the structure says,
// separated by "."), or an analytic code already written in the new
// structure.  Anything else has no defined conversion: the run refuses the
// company and names the code, rather than let a positional cut turn it into
// some other account.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "chart/account_structure.h"

namespace vorlam::adjust {

// The code `code` (record text, trailing blanks ignored) in the structure
// `to`, for a code written in `from`:
//  - blank gives blank; "FORNECEDOR"/"CLIENTE" in any case come back as
//    they are;
//  - an analytic code already written in `to` comes back as it is;
//  - a code of 1..n levels of `from` gets each level widened with leading
//    zeros to its width in `to`;
//  - anything else gives nullopt.
// The result has no trailing blanks.
std::optional<std::string> recomputeCode(const chart::AccountStructure& from, const chart::AccountStructure& to,
                                         std::string_view code);

}  // namespace vorlam::adjust
