// Account references the adjustment does not rewrite.
//
// The run converts the tables of the working year that its routines walk.
// Other tables of the company also hold account codes (instalments of the
// invoices, service-tax integration rows, reconciliation totals) and so do
// the files of every other year.  They keep their codes; the run counts
// them, so that the user knows what still holds codes of the old
// structure.  Counting only reads: files are opened shared, and a file that
// cannot be opened is reported, not counted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adjust/file_routines.h"
#include "chart/account_conversion.h"
#include "dictionary/dictionary.h"
#include "shell/app_state.h"

namespace vorlam::adjust {

// Codes of one file that a conversion would change.
struct ReferenceCount {
  std::string label;
  std::string path;
  uint16_t year = 0;       // year of the file; 0 for files of the company as a whole
  int64_t records = 0;     // records with at least one code the conversion changes
  int64_t fields = 0;      // codes the conversion changes
  int64_t notFitting = 0;  // codes whose conversion would not fit their field
  std::string error;       // UTF-8; set when the file exists but could not be read
};

// A table with account fields and the fields the count looks at.
struct ReferenceTable {
  const char* label;
  std::vector<AccountField> fields;
};

// Tables of the working year that hold account codes and that no routine
// rewrites.
const std::vector<ReferenceTable>& untouchedYearTables();

// Counts, in `table` (open), the records and codes that `plan` would change.
ReferenceCount countReferences(Table& table, const std::vector<AccountField>& fields,
                               const chart::ConversionPlan& plan);

// Counts the references left in old codes for one company: the untouched
// tables of `workingYear` and every table with account fields of each other
// year whose directories exist under the company's directory.  `current`
// is the company under its old structure.  Files that do not exist are
// left out.
std::vector<ReferenceCount> countUntouchedReferences(const Dictionary& dict, const std::string& root,
                                                     const shell::CurrentCompany& current, uint16_t workingYear,
                                                     const chart::ConversionPlan& plan);

// One log line for a count, e.g.
// "   Parcelas de NF entradas (2025): 12 registros com 20 contas no código antigo".
std::string referenceLine(const ReferenceCount& count);

}  // namespace vorlam::adjust
