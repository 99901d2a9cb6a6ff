// Reading a data root from outside the application: the file names the
// shell binds for the shared tables and for one company and year, the list
// of tables offered by file maintenance, and the CSV export of a table.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::utilities {

// One entry of the file-maintenance list: table label and the text of its
// "Arquivo" column (UTF-8).
struct MaintainedFile {
  const char* label;
  const char* description;
};
// The 34 entries, in the list's order.
std::span<const MaintainedFile> maintainedFiles();

// The bindings in force under `root` (a directory; made absolute, separator
// added): the shared names, and when `company` is not 0 the company and year
// names as selecting that company for `year` (whole year) binds them, the
// contract-change history deciding the chart in force.  Nothing is created
// or written.  A missing company record binds as for a company with the
// shared chart of structure 1.  Fails only when the company file cannot be
// read.
Result<shell::BindingMap> bindingsFor(const Dictionary& dict, const std::string& root,
                                      uint16_t company, int year);

// Opens `table` read-only on the file bound to its declaration; kNoName when
// no file is bound (a company table without a company).
Status openBound(Table& table, const shell::BindingMap& names);

// "Error " + number + " : " + text, as file maintenance shows a failure.
std::string maintenanceErrorText(const Status& s);

// Writes every record of the open `table` as CSV (RFC 4180, UTF-8, CRLF line
// ends): a header of the declared field names (array elements as NAME[1],
// NAME[2], ...), then one line per record in primary-key order (file order
// when the table has no primary key).  Integers plain, decimals with ".",
// texts without trailing blanks; fields holding a comma, a quote or a line
// break are quoted.  Returns the first read failure.
Status exportCsv(Table& table, std::ostream& out);

// One CSV field, quoted when needed.
std::string csvField(std::string_view text);

}  // namespace vorlam::utilities
