#include "storage/postgres/pg_schema.h"

#include <algorithm>
#include <cstdint>

#include "storage/schema.h"
#include "storage/text.h"

namespace vorlam::pg {

namespace {

bool startsWithNoCase(const std::string& s, const char* prefix, size_t* n) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= s.size()) return false;
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != prefix[i]) return false;
  }
  *n = i;
  return true;
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Marks the current definition of the key functions; a database made with
// an earlier one gets them again (same results, faster).
constexpr const char* kFoldVersion = "/*fold 2*/";

// A Latin-1 code point as UTF-8: the key functions map every character to
// one, so that keys compare byte by byte in the Windows-1252 order.
std::string codePoint(unsigned char c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// The key form of a text, for the folded key columns: translate() over
// every character whose key form differs from its stored form (`keyOf`
// gives the key byte of a Windows-1252 byte).  translate() looks every
// character up in that list, which costs more than the rest of writing a
// row; most texts are plain ASCII, which takes a shorter way of the same
// result when the ASCII letters fold as upper() or not at all.  Not
// STRICT (a null still gives null), so that the server inlines the body
// into the expressions of the key columns.
std::string foldFunction(const char* name, unsigned char (*keyOf)(unsigned char)) {
  std::string from, to;
  bool same = true, upper = true;
  for (int c = 1; c < 256; ++c) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (c < 0x80) {
      same = same && keyOf(b) == b;
      upper = upper && keyOf(b) == (c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    std::string stored = latin1ToUtf8(std::string(1, static_cast<char>(b)));
    std::string key = codePoint(keyOf(b));
    if (stored == key) continue;
    from += stored;
    to += key;
  }
  const std::string all = "translate($1, " + quoteText(from) + ", " + quoteText(to) + ")";
  const std::string ascii = same ? "$1" : upper ? "upper($1 COLLATE \"C\")" : "";
  const std::string body = ascii.empty() ? all
                                         : "CASE WHEN octet_length($1) = length($1) THEN " + ascii + " ELSE " + all +
                                               " END";
  return std::string("CREATE OR REPLACE FUNCTION ") + name +
         "(text) RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $vorlam$ SELECT " + kFoldVersion + " " + body +
         " $vorlam$;\n";
}

unsigned char upperOf(unsigned char c) { return static_cast<unsigned char>(upperLatin1(std::string(1, c))[0]); }

uint64_t fnv1a(const std::string& s) {
  uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  return h;
}

// The table of `file`: its path when it fits PostgreSQL's 63 bytes, else a
// cut of it made unique by a hash of the whole.
std::string tableNameFor(const std::string& file) {
  if (file.size() <= 63) return file;
  size_t cut = 46;
  while (cut > 0 && (static_cast<unsigned char>(file[cut]) & 0xC0) == 0x80) --cut;
  static const char kHex[] = "0123456789abcdef";
  uint64_t h = fnv1a(file);
  std::string tail;
  for (int i = 0; i < 16; ++i, h >>= 4) tail += kHex[h & 15];
  return file.substr(0, cut) + "~" + tail;
}

}  // namespace

Result<Location> parseLocation(const std::string& path) {
  size_t n = 0;
  if (!startsWithNoCase(path, "postgresql://", &n) && !startsWithNoCase(path, "postgres://", &n))
    return Status(StatusCode::kInvalidArgument, "Endereço do servidor PostgreSQL inválido", path);
  size_t slash = path.find('/', n);
  if (slash == std::string::npos)
    return Status(StatusCode::kInvalidArgument, "O endereço do servidor PostgreSQL não nomeia o banco de dados",
                  path.substr(0, path.find('@') == std::string::npos ? path.size() : n));
  size_t dbEnd = slash + 1;
  while (dbEnd < path.size() && !isSeparator(path[dbEnd])) ++dbEnd;
  Location loc;
  loc.uri = path.substr(0, dbEnd);
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = dbEnd; i <= path.size(); ++i) {
    if (i < path.size() && !isSeparator(path[i])) {
      part += path[i];
      continue;
    }
    if (part == "..") {
      if (parts.empty()) return Status(StatusCode::kInvalidArgument, "Caminho fora do banco de dados", path);
      parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  }
  for (const auto& p : parts) loc.spelled += (loc.spelled.empty() ? "" : "/") + p;
  for (char c : loc.spelled) loc.file += c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  return loc;
}

const char* catalogLockSql() { return "SELECT pg_advisory_xact_lock(0, 1)"; }

Status ensureCatalog(Connection& c) {
  Result<Rows> there = c.run(
      "SELECT to_regclass('vorlam_properties') IS NOT NULL AND to_regclass('vorlam_dirs') IS NOT NULL AND "
      "to_regclass('vorlam_texts') IS NOT NULL AND "
      "coalesce((SELECT bool_and(strpos(prosrc, $1) > 0) FROM pg_proc WHERE oid IN "
      "(to_regprocedure('vorlam_upper(text)'), to_regprocedure('vorlam_base(text)'))), false) AND "
      "to_regprocedure('vorlam_upper(text)') IS NOT NULL AND to_regprocedure('vorlam_base(text)') IS NOT NULL",
      Params().add(std::string(kFoldVersion)), "catálogo");
  if (!there) return there.status();
  if (there->size() == 1 && std::string(there->text(0, 0)) == "t") return Status::ok();
  std::string sql = std::string("BEGIN;\n") + catalogLockSql() + ";\n" +
                    foldFunction("vorlam_base", baseLetter) + foldFunction("vorlam_upper", upperOf) +
                    "CREATE TABLE IF NOT EXISTS vorlam_files(id serial PRIMARY KEY, path text COLLATE \"C\" NOT NULL "
                    "UNIQUE, spelled text NOT NULL, tbl text NOT NULL UNIQUE, label text NOT NULL, "
                    "version integer NOT NULL, fields text NOT NULL);\n"
                    "CREATE TABLE IF NOT EXISTS vorlam_properties(file integer NOT NULL REFERENCES vorlam_files(id) "
                    "ON DELETE CASCADE, name text NOT NULL, value text NOT NULL, PRIMARY KEY (file, name));\n"
                    "CREATE TABLE IF NOT EXISTS vorlam_dirs(path text COLLATE \"C\" PRIMARY KEY);\n"
                    "CREATE TABLE IF NOT EXISTS vorlam_texts(path text COLLATE \"C\" PRIMARY KEY, "
                    "spelled text NOT NULL, body bytea NOT NULL);\n"
                    "COMMIT;";
  Status s = c.exec(sql, "criar catálogo");
  if (!s && c.inTransaction()) (void)c.exec("ROLLBACK", "criar catálogo");
  return s;
}

Status directoryExists(Connection& c, const std::string& dir, bool* exists) {
  if (dir.empty()) {
    *exists = true;
    return Status::ok();
  }
  Result<Rows> r = c.run(
      "SELECT EXISTS (SELECT 1 FROM vorlam_dirs WHERE path = $1) OR "
      "EXISTS (SELECT 1 FROM vorlam_files WHERE starts_with(path, $1 || '/'))",
      Params().add(dir), "diretório");
  if (!r) return r.status();
  *exists = r->size() == 1 && std::string(r->text(0, 0)) == "t";
  return Status::ok();
}

Status makeDirectories(Connection& c, const std::string& dir) {
  for (size_t i = 0; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    Result<Rows> r = c.run("INSERT INTO vorlam_dirs(path) VALUES ($1) ON CONFLICT DO NOTHING",
                           Params().add(dir.substr(0, i)), "criar diretório");
    if (!r) return r.status();
  }
  return Status::ok();
}

Status findFile(Connection& c, const std::string& file, FileEntry* out, bool* found) {
  Result<Rows> r = c.run("SELECT id, tbl, label, version, fields FROM vorlam_files WHERE path = $1",
                         Params().add(file), "catálogo");
  if (!r) return r.status();
  *found = r->size() == 1;
  if (!*found) return Status::ok();
  int64_t id = 0, version = 0;
  if (!r->integer(0, 0, &id) || !r->integer(0, 3, &version))
    return Status(StatusCode::kCorrupt, "Catálogo do banco de dados danificado", file);
  out->id = static_cast<int>(id);
  out->table = r->text(0, 1);
  out->label = r->text(0, 2);
  out->version = static_cast<int>(version);
  out->fields = r->text(0, 4);
  return Status::ok();
}

std::string foldedColumn(const std::string& column, int fold) {
  const std::string bare = column.substr(1, column.size() - 2);
  return quoteIdent(bare + (fold == 1 ? "~base" : "~upper"));
}

std::string KeyAtom::stored() const { return fold == 0 ? column : foldedColumn(column, fold); }

std::string KeyAtom::over(const std::string& value) const {
  if (fold == 1) return "vorlam_base(" + value + ")";
  if (fold == 2) return "vorlam_upper(" + value + ")";
  return value;
}

std::vector<KeyAtom> keyAtoms(const TableDef& def, const KeyDef& key) {
  std::vector<std::string> cols = schema::columnNames(def);
  std::vector<KeyAtom> out;
  for (size_t i = 0; i < key.components.size(); ++i) {
    const FieldDef& f = def.fields[key.components[i].field];
    KeyAtom a{cols[f.column], static_cast<int>(i), 0, key.components[i].descending};
    if (!f.isText()) {
      out.push_back(a);
      continue;
    }
    a.fold = 1;
    out.push_back(a);
    a.fold = 2;
    out.push_back(a);
  }
  return out;
}

bool keyTakesId(const KeyDef& key) { return !key.unique; }

std::string indexName(int id, size_t k) { return "i" + std::to_string(id) + "_" + std::to_string(k); }

int keyOfIndex(int id, const std::string& index) {
  const std::string prefix = "i" + std::to_string(id) + "_";
  if (index.compare(0, prefix.size(), prefix) != 0 || index.size() == prefix.size()) return -1;
  int k = 0;
  for (size_t i = prefix.size(); i < index.size(); ++i) {
    if (index[i] < '0' || index[i] > '9' || k > 100000) return -1;
    k = k * 10 + (index[i] - '0');
  }
  return k;
}

Status createFile(Connection& c, const TableDef& def, const Location& loc, FileEntry* out, bool keys) {
  const std::string& file = loc.file;
  out->table = tableNameFor(file);
  out->label = def.label;
  out->version = def.version;
  out->fields = schema::layoutSignature(def);
  Result<Rows> r = c.run(
      "INSERT INTO vorlam_files(path, spelled, tbl, label, version, fields) VALUES ($1, $6, $2, $3, $4, $5) "
      "RETURNING id",
      Params().add(file).add(out->table).add(def.label).add(int64_t{def.version}).add(out->fields).add(loc.spelled),
      "criar arquivo");
  if (!r) return r.status();
  int64_t id = 0;
  if (!r->integer(0, 0, &id)) return Status(StatusCode::kIoError, "Catálogo sem número do arquivo", file);
  out->id = static_cast<int>(id);
  return createTable(c, def, out->table, out->id, "", keys);
}

Status createTable(Connection& c, const TableDef& def, const std::string& name, int id,
                   const std::string& indexSuffix, bool keys) {
  const std::string table = quoteIdent(name);
  std::string sql = "CREATE TABLE " + table +
                    "(_id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, _stamp bigint NOT NULL DEFAULT 1, "
                    "_check bigint";
  std::vector<std::string> cols = schema::columnNames(def);
  size_t col = 0;
  for (const FieldDef& f : def.fields)
    for (int e = 0; e < f.dim; ++e, ++col)
      sql += ", " + cols[col] + (f.isText() ? " text COLLATE \"C\" NOT NULL DEFAULT ''" : " bigint NOT NULL DEFAULT 0");
  // The folded forms of every text column a key sorts by.
  std::vector<std::string> folded;
  for (const KeyDef& key : def.keys)
    for (const KeyAtom& a : keyAtoms(def, key))
      if (a.fold != 0 && !key.dynamic && std::find(folded.begin(), folded.end(), a.stored()) == folded.end()) {
        folded.push_back(a.stored());
        sql += ", " + a.stored() + " text COLLATE \"C\" GENERATED ALWAYS AS (" + a.over(a.column) + ") STORED";
      }
  sql += ");\n";
  if (Status s = c.exec(sql, "criar arquivo"); !s || !keys) return s;
  return createKeys(c, def, name, id, indexSuffix);
}

Status createKeys(Connection& c, const TableDef& def, const std::string& name, int id,
                  const std::string& indexSuffix) {
  const std::string table = quoteIdent(name);
  std::string sql;
  for (size_t k = 0; k < def.keys.size(); ++k) {
    const KeyDef& key = def.keys[k];
    if (key.dynamic || key.components.empty()) continue;
    std::string list;
    for (const KeyAtom& a : keyAtoms(def, key))
      list += (list.empty() ? "" : ", ") + a.stored() + (a.descending ? " DESC" : "");
    if (keyTakesId(key)) list += ", _id";
    sql += std::string("CREATE ") + (key.unique ? "UNIQUE " : "") + "INDEX " + quoteIdent(indexName(id, k) + indexSuffix) +
           " ON " + table + " (" + list + ")";
    std::string cond = schema::emptyKeyCondition(def, key);
    if (!cond.empty()) sql += " WHERE " + cond;
    sql += ";\n";
  }
  return sql.empty() ? Status::ok() : c.exec(sql, "criar arquivo");
}

Status dropFile(Connection& c, const FileEntry& entry) {
  Status s = c.exec("DROP TABLE IF EXISTS " + quoteIdent(entry.table), "remover arquivo");
  if (!s) return s;
  Result<Rows> r = c.run("DELETE FROM vorlam_files WHERE id = $1", Params().add(int64_t{entry.id}), "remover arquivo");
  return r.status();
}

}  // namespace vorlam::pg
