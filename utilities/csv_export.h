// CSV export of a record file (RFC 4180, UTF-8, CRLF line ends).
//
// The header holds the declared field names, an array field one column per
// element named NAME[1], NAME[2], ...; each record gives one line with its
// values as stored: integers (dates included, as day numbers) plain,
// decimals with "." and all their places, texts without trailing blanks.
// Fields holding a comma, a double quote or a line break are quoted, inner
// quotes doubled.  Records are streamed one at a time, so memory does not
// grow with the file.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "storage/status.h"
#include "storage/table.h"
#include "storage/table_def.h"

namespace vorlam::utilities {

// One CSV field, quoted when needed.
std::string csvField(std::string_view text);

// The header line (without its line end).
std::string csvHeader(const TableDef& def);

// The order the export walks: the primary key, or the file order when the
// table has none (or its primary key cannot list every record).
int exportOrder(const TableDef& def);

// Writes the header and every record of the open `table`, in exportOrder().
// Returns the first read failure, or kIoError when `out` fails.
Status exportCsv(Table& table, std::ostream& out);

}  // namespace vorlam::utilities
