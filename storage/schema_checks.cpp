// Check values of the records of a file, on the SQL side: the expression
// that computes one, the triggers that keep them (and the change stamp)
// right when another SQLite client writes, and the upgrade of files written
// before records carried them.

#include "storage/row_check.h"
#include "storage/schema.h"
#include "storage/sql_functions.h"
#include "storage/sqlite_util.h"

namespace vorlam::schema {

namespace {

using sqlite::quoteIdent;

std::string quoteText(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += '\'';
    q += c;
  }
  return q + "'";
}

}  // namespace

std::string checkCall(const std::vector<std::pair<std::string, std::string>>& items) {
  // At most kCheckChunk values per call, each call continuing the value of
  // the one before.
  std::string expr = "0";
  for (size_t i = 0; i < items.size(); i += sqlfn::kCheckChunk) {
    std::string types, args;
    for (size_t j = i; j < items.size() && j < i + sqlfn::kCheckChunk; ++j) {
      types += (j > i ? " " : "") + items[j].first;
      args += ", " + items[j].second;
    }
    expr = "vorlam_check(" + expr + ", " + quoteText(types) + args + ")";
  }
  return expr;
}

std::string checkExpr(const TableDef& def, const std::vector<std::string>& values, const std::string& stamp) {
  // Values in the order the engine hashes them: the stamp, then every column.
  std::vector<std::pair<std::string, std::string>> items = {{"I=_stamp", stamp}};
  std::vector<std::string> names = columnNames(def);
  size_t col = 0;
  for (const FieldDef& f : def.fields)
    for (int e = 0; e < f.dim; ++e, ++col) {
      std::string bare = names[col].substr(1, names[col].size() - 2);
      items.push_back({checkTypeToken(f) + "=" + bare, values[col]});
    }
  return checkCall(items);
}

std::string checkExpr(const TableDef& def, const std::string& row, const std::string& stamp) {
  std::vector<std::string> values = columnNames(def);
  for (auto& v : values) v = row + v;
  return checkExpr(def, values, stamp);
}

Status createChecks(sqlite3* db, const TableDef& def) {
  // The engine always writes "_check" itself; a client that does not (an
  // insert without it, an update that leaves it as it was) gets it computed,
  // and an update also gets the next change stamp, so that the engine's
  // change check sees that the record changed.
  std::string sql =
      "DROP TRIGGER IF EXISTS _check_insert;\n"
      "DROP TRIGGER IF EXISTS _check_update;\n"
      // The bodies read the row itself rather than NEW.*: a trigger that names
      // only "_id" and "_check" costs the engine's own writes (for which it
      // does nothing) next to nothing.
      "CREATE TRIGGER _check_insert AFTER INSERT ON records WHEN NEW._check IS NULL BEGIN "
      "UPDATE records SET _check = " +
      checkExpr(def, "", "_stamp") +
      " WHERE _id = NEW._id; END;\n"
      "CREATE TRIGGER _check_update AFTER UPDATE ON records WHEN NEW._check IS OLD._check BEGIN "
      "UPDATE records SET _stamp = _stamp + 1, _check = " +
      checkExpr(def, "", "_stamp + 1") +
      " WHERE _id = NEW._id; END;\n"
      "INSERT OR REPLACE INTO _layout(name, value) VALUES ('checks', '1');\n";
  return sqlite::exec(db, sql);
}

Status checkColumns(sqlite3* db, const TableDef& def, bool* hasCheck) {
  sqlite::Statement st;
  int rc = st.prepare(db, "SELECT name FROM pragma_table_info('records')");
  if (rc != SQLITE_OK) return sqlite::toStatus(rc, db, "esquema");
  std::vector<std::string> present;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    const unsigned char* n = sqlite3_column_text(st.get(), 0);
    present.push_back(quoteIdent(n ? reinterpret_cast<const char*>(n) : ""));
  }
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, db, "esquema");
  auto has = [&](const std::string& quoted) {
    for (const auto& p : present)
      if (p == quoted) return true;
    return false;
  };
  *hasCheck = has("\"_check\"");
  std::vector<std::string> wanted = columnNames(def);
  wanted.push_back("\"_id\"");
  wanted.push_back("\"_stamp\"");
  for (const auto& w : wanted)
    if (!has(w)) {
      const char* file = sqlite3_db_filename(db, "main");
      return Status(StatusCode::kCorrupt, "Arquivo danificado: falta a coluna " + w,
                    file ? file : "");
    }
  return Status::ok();
}

Status hasCheckTriggers(sqlite3* db, bool* present) {
  sqlite::Statement st;
  int rc = st.prepare(db,
                      "SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND "
                      "name IN ('_check_insert', '_check_update')");
  if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW) return sqlite::toStatus(rc, db, "esquema");
  *present = sqlite3_column_int(st.get(), 0) == 2;
  return Status::ok();
}

Status addChecks(sqlite3* db, const TableDef& def) {
  if (Status s = sqlite::exec(db, "ALTER TABLE records ADD COLUMN _check INTEGER"); !s) return s;
  if (Status s = createChecks(db, def); !s) return s;
  // The update trigger stays quiet: every "_check" changes from NULL.
  return sqlite::exec(db, "UPDATE records SET _check = " + checkExpr(def, "", "_stamp"));
}

}  // namespace vorlam::schema
