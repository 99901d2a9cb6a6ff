// Verification of a unit's converted side files before they are put in
// place, against the originals, with the conversion of code_check.h (never
// the converter's own results):
//  - every record of the original is in the converted file under the same
//    record number, and no other;
//  - every account field holds the recomputed code of the original's, and
//    every other field is unchanged;
//  - the rebuilt chart holds every old account under its recomputed code;
//  - the journal's balance per old account equals the balance of the
//    account it becomes, no two old accounts with movement meet in one new
//    account, and the number of accounts with movement is unchanged.
// Only reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adjust/file_routines.h"
#include "chart/account_structure.h"
#include "storage/table.h"

namespace vorlam::adjust {

struct BalanceCheck {
  bool done = false;
  bool matches = false;
  int64_t accounts = 0;                  // accounts with movement before
  int64_t accountsAfter = 0;             // accounts with movement after
  std::vector<std::string> differences;  // UTF-8, the first ones
};

// The log line of a balance check.
std::string balanceLine(const BalanceCheck& check);

// Problems found comparing `converted` with `original` (both open), at most
// `limit`; empty when the file is verified.  `company` >= 0: only that
// company's rows were converted (the integration table).
std::vector<std::string> verifyFile(Table& original, Table& converted, const std::vector<AccountField>& fields,
                                    const chart::AccountStructure& from, const chart::AccountStructure& to,
                                    size_t limit = 20);

// The same for a chart rebuilt from `oldChart`.  `complete`: `newChart` held
// accounts before (only presence of every old account is checked for them).
std::vector<std::string> verifyChart(Table& oldChart, Table& newChart, const chart::AccountStructure& from,
                                     const chart::AccountStructure& to, size_t limit = 20);

// The balance check of a journal (`before`: the original, `after`: the
// converted file).
BalanceCheck checkBalances(Table& before, Table& after, const chart::AccountStructure& from,
                           const chart::AccountStructure& to);

}  // namespace vorlam::adjust
