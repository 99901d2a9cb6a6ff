#include "storage/schema.h"

#include <sstream>

#include "storage/decimal.h"
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

std::vector<ColumnInfo> parseSignature(const std::string& sig) {
  std::vector<ColumnInfo> out;
  std::istringstream in(sig);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string name, type;
    int size = 0, places = 0, dim = 1;
    ls >> name >> type >> size >> places >> dim;
    FieldType t;
    if (name.empty() || !parseType(type, &t)) continue;
    for (int e = 0; e < dim; ++e)
      out.push_back({dim > 1 ? name + "[" + std::to_string(e + 1) + "]" : name, t, size, places});
  }
  return out;
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
  std::string sql = "CREATE TABLE records(_id INTEGER PRIMARY KEY AUTOINCREMENT, _stamp INTEGER NOT NULL DEFAULT 1";
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
  return Status::ok();
}

Status readLayout(sqlite3* db, StoredLayout* out) {
  *out = StoredLayout();
  sqlite::Statement st;
  int rc = st.prepare(db, "SELECT count(*) FROM sqlite_master WHERE name='_layout'");
  if (rc != SQLITE_OK) return sqlite::toStatus(rc, db, "esquema");
  rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW) return sqlite::toStatus(rc, db, "esquema");
  if (sqlite3_column_int(st.get(), 0) == 0) return Status::ok();
  rc = st.prepare(db, "SELECT name, value FROM _layout");
  if (rc != SQLITE_OK) return sqlite::toStatus(rc, db, "esquema");
  out->present = true;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    std::string n = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
    const unsigned char* v = sqlite3_column_text(st.get(), 1);
    std::string value = v ? reinterpret_cast<const char*>(v) : "";
    if (n == "label") out->label = value;
    else if (n == "version") out->version = std::atoi(value.c_str());
    else if (n == "fields") out->signature = value;
  }
  return rc == SQLITE_DONE ? Status::ok() : sqlite::toStatus(rc, db, "esquema");
}

Status copyRecords(sqlite3* db, const TableDef& def, const std::string& sourcePath,
                   const std::string& storedSignature) {
  sqlite::Statement att;
  att.prepare(db, "ATTACH DATABASE ?1 AS src");
  sqlite3_bind_text(att.get(), 1, sourcePath.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(att.get());
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, db, "anexar arquivo antigo");
  att = sqlite::Statement();
  std::vector<ColumnInfo> old = parseSignature(storedSignature);
  std::string cols = "_id, _stamp", exprs = "src._id, src._stamp";
  for (const auto& c : columnsOf(def)) {
    for (const auto& o : old) {
      if (o.name != c.name) continue;
      cols += ", " + quoteIdent(c.name);
      exprs += ", " + convertExpr(o, c);
      break;
    }
  }
  Status s = sqlite::exec(db, "BEGIN");
  if (s) s = sqlite::exec(db, "INSERT INTO records(" + cols + ") SELECT " + exprs + " FROM src.records AS src");
  if (s) s = sqlite::exec(db, "INSERT INTO _holds SELECT * FROM src._holds");
  if (s) s = sqlite::exec(db, "COMMIT");
  else sqlite::exec(db, "ROLLBACK");
  Status d = sqlite::exec(db, "DETACH DATABASE src");
  return s ? d : s;
}

}  // namespace vorlam::schema
