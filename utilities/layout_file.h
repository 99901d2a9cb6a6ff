// The layout file handed to the repair utility: a table's current record
// layout (fields, keys) as a small text file, so that recfix can rebuild a
// damaged record file without the data dictionary.
//
// Format, one item per line (UTF-8):
//   VORLAM-LAYOUT 1
//   LABEL <label>           PREFIX <prefix>          VERSION <n>
//   FIELD <name> <TYPE> <size> <places> <dim>
//   KEY <name> <flags> <autonumber> <component>[,<component>...]
//   KEYDESC <description>   (the line after its KEY)
// TYPE is BYTE, SHORT, USHORT, LONG, ULONG, DECIMAL or STRING; flags are
// letters U unique, P primary, C case-insensitive, E excludes empty, D
// dynamic ("-" for none); a component is a field name, "-" first when
// descending.
#pragma once

#include <string>

#include "storage/status.h"
#include "storage/table_def.h"

namespace vorlam::utilities {

std::string layoutText(const TableDef& def);
// The declaration a layout text describes; kCorrupt naming the line on the
// first fault.
Result<TableDef> parseLayout(const std::string& text);

// The layout file's name for record file `path`: the name without its
// extension, then ".lay".
std::string layoutFileName(const std::string& path);
// `path` with ".dat" added when its name has no extension.
std::string withDataExtension(const std::string& path);

Status writeLayoutFile(const TableDef& def, const std::string& layoutPath);
Result<TableDef> readLayoutFile(const std::string& layoutPath);

}  // namespace vorlam::utilities
