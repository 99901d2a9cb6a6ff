#include "utilities/csv_export.h"

#include <ostream>

#include "storage/text.h"

namespace vorlam::utilities {

namespace {

constexpr char kLineEnd[] = "\r\n";

void appendField(std::string* line, bool first, std::string_view text) {
  if (!first) *line += ',';
  *line += csvField(text);
}

void appendRecord(const Record& r, std::string* line) {
  const TableDef& def = r.def();
  line->clear();
  bool first = true;
  for (size_t f = 0; f < def.fields.size(); ++f) {
    const FieldDef& fd = def.fields[f];
    for (int e = 0; e < fd.dim; ++e) {
      int field = static_cast<int>(f);
      // Record texts are Windows-1252; the file is UTF-8 throughout.
      appendField(line, first, fd.isText() ? latin1ToUtf8(r.getText(field, e)) : r.getAsText(field, e));
      first = false;
    }
  }
}

}  // namespace

std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

std::string csvHeader(const TableDef& def) {
  std::string line;
  bool first = true;
  for (const FieldDef& fd : def.fields) {
    for (int e = 0; e < fd.dim; ++e) {
      appendField(&line, first, fd.dim == 1 ? fd.name : fd.name + "[" + std::to_string(e + 1) + "]");
      first = false;
    }
  }
  return line;
}

int exportOrder(const TableDef& def) {
  int key = def.primaryKey();
  // A dynamic key has no index, and one that excludes empty values skips
  // the records whose key is blank.
  if (key < 0 || def.keys[key].dynamic || def.keys[key].excludeEmpty) return kFileOrder;
  return key;
}

Status exportCsv(Table& table, std::ostream& out) {
  out << csvHeader(table.def()) << kLineEnd;
  if (Status s = table.seekStart(exportOrder(table.def())); !s) return s;
  std::string line;
  while (out) {
    Status s = table.next();
    if (s.is(StatusCode::kNotFound)) break;
    if (!s) return s;
    appendRecord(table.buffer(), &line);
    out << line << kLineEnd;
  }
  out.flush();
  return out ? Status::ok() : Status(StatusCode::kIoError, "falha ao escrever a saída");
}

}  // namespace vorlam::utilities
