#include "storage/schema.h"

#include <sstream>

#include "storage/decimal.h"
#include "storage/row_check.h"
#include "storage/sqlite_util.h"

namespace vorlam::schema {
namespace {

using sqlite::quoteIdent;

struct ColumnInfo {
  std::string name;  // unquoted, upper case
  FieldType type;
  int size;
  int places;
};

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

std::string columnName(const TableDef& def, int field, int element) {
  std::string base = upper(def.baseName(field));
  if (def.fields[field].dim > 1) base += "[" + std::to_string(element + 1) + "]";
  return base;
}

std::vector<ColumnInfo> columnsOf(const TableDef& def) {
  std::vector<ColumnInfo> out;
  for (size_t f = 0; f < def.fields.size(); ++f)
    for (int e = 0; e < def.fields[f].dim; ++e)
      out.push_back({columnName(def, static_cast<int>(f), e), def.fields[f].type(), def.fields[f].typeSpec.size,
                     def.fields[f].typeSpec.places});
  return out;
}

const char* typeWord(FieldType t) {
  switch (t) {
    case FieldType::kByte: return "BYTE";
    case FieldType::kShort: return "SHORT";
    case FieldType::kUShort: return "USHORT";
    case FieldType::kLong: return "LONG";
    case FieldType::kULong: return "ULONG";
    case FieldType::kDecimal: return "DECIMAL";
    case FieldType::kString: return "STRING";
  }
  return "?";
}

bool parseType(const std::string& w, FieldType* t) {
  static const FieldType all[] = {FieldType::kByte,  FieldType::kShort,   FieldType::kUShort, FieldType::kLong,
                                  FieldType::kULong, FieldType::kDecimal, FieldType::kString};
  for (FieldType x : all)
    if (w == typeWord(x)) {
      *t = x;
      return true;
    }
  return false;
}

// Limits of a stored layout: what no declaration of the suite comes near,
// and what keeps a crafted file from asking for absurd allocations.
constexpr int kMaxColumns = 2000;  // SQLite's own column limit
constexpr int kMaxText = 65535;
constexpr size_t kMaxName = 128;

bool parseNumber(const std::string& t, int max, int* out) {
  if (t.empty() || t.size() > 9) return false;
  int v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > max) return false;
  *out = v;
  return true;
}

bool validName(const std::string& n) {
  if (n.empty() || n.size() > kMaxName) return false;
  for (unsigned char c : n)
    if (c <= ' ' || c == '"' || c == '[' || c == ']' || c == 0x7F) return false;
  return true;
}

// Parses and validates a stored signature; false on any malformed line.
bool parseSignature(const std::string& sig, std::vector<ColumnInfo>* out) {
  out->clear();
  std::vector<std::string> names;
  size_t start = 0;
  while (start < sig.size()) {
    size_t nl = sig.find('\n', start);
    if (nl == std::string::npos) return false;  // every line ends with a newline
    std::string line = sig.substr(start, nl - start);
    start = nl + 1;
    std::vector<std::string> parts;
    for (size_t p = 0; p <= line.size();) {
      size_t sp = line.find(' ', p);
      if (sp == std::string::npos) sp = line.size();
      parts.push_back(line.substr(p, sp - p));
      p = sp + 1;
    }
    if (parts.size() != 5 || !validName(parts[0])) return false;
    FieldType t;
    int size = 0, places = 0, dim = 0;
    if (!parseType(parts[1], &t) || !parseNumber(parts[2], kMaxText, &size) ||
        !parseNumber(parts[3], 18, &places) || !parseNumber(parts[4], kMaxColumns, &dim) || dim < 1)
      return false;
    if (t == FieldType::kString && (size < 1 || places != 0)) return false;
    if (t == FieldType::kDecimal && (size < 1 || size > 18 || places > size)) return false;
    if (t != FieldType::kString && t != FieldType::kDecimal && (size != 0 || places != 0)) return false;
    for (const auto& n : names)
      if (n == parts[0]) return false;
    names.push_back(parts[0]);
    if (static_cast<int>(out->size()) + dim > kMaxColumns) return false;
    for (int e = 0; e < dim; ++e)
      out->push_back({dim > 1 ? parts[0] + "[" + std::to_string(e + 1) + "]" : parts[0], t, size, places});
  }
  return !out->empty();
}

// SQL expression that turns stored column `c` of type `from` into `to`.
std::string convertExpr(const ColumnInfo& from, const ColumnInfo& to) {
  std::string c = "src." + quoteIdent(from.name);
  bool fromText = from.type == FieldType::kString, toText = to.type == FieldType::kString;
  if (toText) {
    if (fromText) return to.size >= from.size ? c : "rtrim(substr(" + c + ",1," + std::to_string(to.size) + "))";
    return "CAST(" + c + " AS TEXT)";
  }
  std::string v = fromText ? "CAST(trim(" + c + ") AS INTEGER)" : c;
  int fp = from.type == FieldType::kDecimal ? from.places : 0;
  int tp = to.type == FieldType::kDecimal ? to.places : 0;
  if (tp > fp) v = "(" + v + ")*" + std::to_string(pow10i(tp - fp));
  if (tp < fp) {
    std::string d = std::to_string(pow10i(fp - tp));
    v = "((" + v + ") + (CASE WHEN (" + v + ")<0 THEN -" + d + "/2 ELSE " + d + "/2 END))/" + d;
  }
  return "IFNULL(" + v + ",0)";
}

}  // namespace

std::vector<std::string> columnNames(const TableDef& def) {
  std::vector<std::string> out;
  for (const auto& c : columnsOf(def)) out.push_back(quoteIdent(c.name));
  return out;
}

std::string indexColumns(const TableDef& def, const KeyDef& key, bool reverse) {
  std::string s;
  for (const auto& comp : key.components) {
    if (!s.empty()) s += ", ";
    s += quoteIdent(columnName(def, comp.field, 0));
    if (comp.descending != reverse) s += " DESC";
  }
  return s;
}

std::string emptyKeyCondition(const TableDef& def, const KeyDef& key) {
  if (!key.excludeEmpty || key.components.empty()) return {};
  std::string s;
  for (const auto& comp : key.components) {
    if (!s.empty()) s += " OR ";
    s += quoteIdent(columnName(def, comp.field, 0));
    s += def.fields[comp.field].isText() ? " <> ''" : " <> 0";
  }
  return "(" + s + ")";
}

std::string layoutSignature(const TableDef& def) {
  std::string s;
  for (size_t f = 0; f < def.fields.size(); ++f) {
    const FieldDef& fd = def.fields[f];
    s += upper(def.baseName(static_cast<int>(f))) + " " + typeWord(fd.type()) + " " + std::to_string(fd.typeSpec.size) +
         " " + std::to_string(fd.typeSpec.places) + " " + std::to_string(fd.dim) + "\n";
  }
  return s;
}

Status create(sqlite3* db, const TableDef& def) {
  std::string sql =
      "CREATE TABLE records(_id INTEGER PRIMARY KEY AUTOINCREMENT, _stamp INTEGER NOT NULL DEFAULT 1, _check INTEGER";
  for (const auto& c : columnsOf(def)) {
    sql += ", " + quoteIdent(c.name);
    sql += c.type == FieldType::kString ? " TEXT COLLATE VNOCASE NOT NULL DEFAULT ''" : " INTEGER NOT NULL DEFAULT 0";
  }
  sql += ");\n";
  for (size_t k = 0; k < def.keys.size(); ++k) {
    const KeyDef& key = def.keys[k];
    if (key.dynamic || key.components.empty()) continue;
    sql += std::string("CREATE ") + (key.unique ? "UNIQUE " : "") + "INDEX " +
           quoteIdent("k" + std::to_string(k) + "_" + upper(key.name)) + " ON records(" +
           indexColumns(def, key, false) + ")";
    std::string cond = emptyKeyCondition(def, key);
    if (!cond.empty()) sql += " WHERE " + cond;
    sql += ";\n";
  }
  sql +=
      "CREATE TABLE _layout(name TEXT PRIMARY KEY, value TEXT);\n"
      "CREATE TABLE _holds(id INTEGER PRIMARY KEY, holder TEXT, since INTEGER);\n";
  if (Status s = sqlite::exec(db, sql); !s) return s;
  sqlite::Statement ins;
  ins.prepare(db, "INSERT INTO _layout(name, value) VALUES (?1, ?2)");
  const std::pair<std::string, std::string> rows[] = {
      {"label", def.label}, {"version", std::to_string(def.version)}, {"fields", layoutSignature(def)}};
  for (const auto& [n, v] : rows) {
    sqlite3_bind_text(ins.get(), 1, n.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins.get(), 2, v.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(ins.get());
    if (rc != SQLITE_DONE) return sqlite::toStatus(rc, db, "layout");
    ins.reset();
  }
  return createChecks(db, def);
}

namespace {

Status badLayout(sqlite3* db, const std::string& what) {
  const char* file = sqlite3_db_filename(db, "main");
  return Status(StatusCode::kCorrupt, "Arquivo danificado: layout gravado inválido",
                std::string(file ? file : "") + ": " + what);
}

}  // namespace

Status validateSignature(const std::string& signature, int* columns) {
  std::vector<StoredColumn> cols;
  Status s = storedColumns(signature, &cols);
  if (s && columns) *columns = static_cast<int>(cols.size());
  return s;
}

Status storedColumns(const std::string& signature, std::vector<StoredColumn>* out) {
  std::vector<ColumnInfo> cols;
  out->clear();
  if (!parseSignature(signature, &cols))
    return Status(StatusCode::kCorrupt, "Arquivo danificado: layout gravado inválido", "campos");
  for (const ColumnInfo& c : cols) out->push_back({c.name, c.type, c.size, c.places});
  return Status::ok();
}

Status readLayout(sqlite3* db, StoredLayout* out) {
  *out = StoredLayout();
  sqlite::Statement st;
  int rc = st.prepare(db, "SELECT count(*) FROM sqlite_master WHERE name='_layout'");
  if (rc != SQLITE_OK) return sqlite::toStatus(rc, db, "esquema");
  rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW) return sqlite::toStatus(rc, db, "esquema");
  if (sqlite3_column_int(st.get(), 0) == 0) {
    // No layout: an empty database is a file still to be created; one with
    // tables of its own is not a record file.
    rc = st.prepare(db, "SELECT count(*) FROM sqlite_master");
    if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
    if (rc != SQLITE_ROW) return sqlite::toStatus(rc, db, "esquema");
    if (sqlite3_column_int(st.get(), 0) != 0) return badLayout(db, "sem tabela _layout");
    return Status::ok();
  }
  rc = st.prepare(db, "SELECT name, value FROM _layout");
  if (rc != SQLITE_OK) return sqlite::toStatus(rc, db, "esquema");
  out->present = true;
  bool seen[3] = {false, false, false};
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    if (sqlite3_column_type(st.get(), 0) != SQLITE_TEXT || sqlite3_column_type(st.get(), 1) != SQLITE_TEXT)
      return badLayout(db, "linha sem nome ou valor");
    std::string n = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
    std::string value(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)),
                      static_cast<size_t>(sqlite3_column_bytes(st.get(), 1)));
    int which = n == "label" ? 0 : n == "version" ? 1 : n == "fields" ? 2 : -1;
    if (which >= 0 && seen[which]) return badLayout(db, "linha repetida: " + n);
    if (which >= 0) seen[which] = true;
    if (which == 0) {
      out->label = value;
    } else if (which == 1) {
      if (!parseNumber(value, 999999, &out->version)) return badLayout(db, "versão: " + value.substr(0, 20));
    } else if (which == 2) {
      out->signature = value;
    } else if (n == "checks") {
      out->checks = value == "1";
    }
  }
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, db, "esquema");
  if (!seen[0] || !seen[1] || !seen[2]) return badLayout(db, "linha ausente");
  std::vector<ColumnInfo> cols;
  if (!parseSignature(out->signature, &cols)) return badLayout(db, "campos");
  return Status::ok();
}

namespace {

// Verifies every record of the attached source "src" against its check value
// (when its records carry them: *checked).
Status verifySource(sqlite3* db, const std::vector<ColumnInfo>& cols, const std::string& sourcePath,
                    bool* checked) {
  sqlite::Statement st;
  int rc = st.prepare(db, "SELECT count(*) FROM pragma_table_info('records', 'src') WHERE name = '_check'");
  if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW) return sqlite::toStatus(rc, db, "esquema");
  *checked = sqlite3_column_int(st.get(), 0) == 1;
  if (!*checked) return Status::ok();
  std::vector<std::pair<std::string, std::string>> items = {{"I=_stamp", "src._stamp"}};
  for (const ColumnInfo& c : cols) {
    FieldDef f;
    f.typeSpec = TypeSpec{c.type, c.size, c.places};
    items.push_back({checkTypeToken(f) + "=" + c.name, "src." + quoteIdent(c.name)});
  }
  rc = st.prepare(db, "SELECT src._id FROM src.records AS src WHERE src._check IS NOT " + checkCall(items) +
                          " LIMIT 1");
  if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
  if (rc == SQLITE_DONE) return Status::ok();
  std::string what = rc == SQLITE_ROW ? "registro " + std::to_string(sqlite3_column_int64(st.get(), 0))
                                      : std::string(sqlite3_errmsg(db));
  return Status(StatusCode::kCorrupt, defaultMessage(StatusCode::kCorrupt), sourcePath + ": " + what);
}

}  // namespace

Status copyRecords(sqlite3* db, const TableDef& def, const std::string& sourcePath,
                   const std::string& storedSignature) {
  sqlite::Statement att;
  att.prepare(db, "ATTACH DATABASE ?1 AS src");
  sqlite3_bind_text(att.get(), 1, sourcePath.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(att.get());
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, db, "anexar arquivo antigo");
  att = sqlite::Statement();
  std::vector<ColumnInfo> old;
  if (!parseSignature(storedSignature, &old))
    return Status(StatusCode::kCorrupt, "Arquivo danificado: layout gravado inválido", sourcePath);
  std::string cols = "_id, _stamp", exprs = "src._id, src._stamp";
  bool sourceChecked = false;
  if (Status s = verifySource(db, old, sourcePath, &sourceChecked); !s) {
    sqlite::exec(db, "DETACH DATABASE src");
    return s;
  }
  // The engine's connections fire no triggers: the check value of every
  // copied record is written here, the verified one as it stands when the
  // layout is the same, else computed over the converted values.
  std::vector<std::string> values;
  for (const auto& c : columnsOf(def)) {
    values.push_back(c.type == FieldType::kString ? "''" : "0");
    for (const auto& o : old) {
      if (o.name != c.name) continue;
      cols += ", " + quoteIdent(c.name);
      exprs += ", " + convertExpr(o, c);
      values.back() = convertExpr(o, c);
      break;
    }
  }
  cols += ", _check";
  exprs += sourceChecked && storedSignature == layoutSignature(def) ? ", src._check"
                                                                     : ", " + checkExpr(def, values, "src._stamp");
  Status s = sqlite::exec(db, "BEGIN");
  if (s) s = sqlite::exec(db, "INSERT INTO records(" + cols + ") SELECT " + exprs + " FROM src.records AS src");
  if (s) s = sqlite::exec(db, "INSERT INTO _holds SELECT * FROM src._holds");
  // Numbering goes on after every number the source ever gave: a deleted
  // last record's number is not given again.
  if (s)
    s = sqlite::exec(db, "DELETE FROM main.sqlite_sequence WHERE name = 'records'; "
                         "INSERT INTO main.sqlite_sequence(name, seq) SELECT 'records', max("
                         "coalesce((SELECT seq FROM src.sqlite_sequence WHERE name = 'records'), 0), "
                         "coalesce((SELECT max(_id) FROM main.records), 0))");
  // The file's properties go with its records.
  if (s)
    s = sqlite::exec(db, "INSERT OR REPLACE INTO _layout(name, value) SELECT name, value FROM src._layout "
                         "WHERE substr(name, 1, 5) = 'prop:'");
  if (s) s = sqlite::exec(db, "COMMIT");
  else sqlite::exec(db, "ROLLBACK");
  Status d = sqlite::exec(db, "DETACH DATABASE src");
  return s ? d : s;
}

}  // namespace vorlam::schema
