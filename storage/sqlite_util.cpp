#include "storage/sqlite_util.h"

#include "storage/sql_functions.h"

namespace vorlam::sqlite {

namespace {

Status statusOf(int rc, const std::string& detail) {
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return makeStatus(StatusCode::kBusy, detail);
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH: return makeStatus(StatusCode::kAccessDenied, detail);
    case SQLITE_CANTOPEN: return makeStatus(StatusCode::kFileNotFound, detail);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return makeStatus(StatusCode::kCorrupt, detail);
    case SQLITE_CONSTRAINT: return makeStatus(StatusCode::kDuplicateKey, detail);
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_NOMEM: return makeStatus(StatusCode::kIoError, detail);
    default: return makeStatus(StatusCode::kIoError, detail);
  }
}

}  // namespace

Status toStatus(int rc, sqlite3* db, std::string_view what) {
  if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return Status::ok();
  std::string detail(what);
  if (db) {
    detail += ": ";
    detail += sqlite3_errmsg(db);
  }
  // The library's own code goes with the status, for the messages that
  // show what the driver reported.
  const int code = db ? sqlite3_extended_errcode(db) : rc;
  Status s = statusOf(rc, detail);
  if (s.is(StatusCode::kCorrupt) && db) {
    // A damaged file is reported with its name, whatever step found it.
    const char* file = sqlite3_db_filename(db, "main");
    if (file && *file) s = Status(StatusCode::kCorrupt, s.message(), std::string(file) + ": " + detail);
  }
  return s.setDriverCode(code != SQLITE_OK ? code : rc);
}

Status exec(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  sqlite3_free(err);
  return toStatus(rc, db, sql.substr(0, 60));
}

void bindParams(sqlite3_stmt* st, const std::vector<SqlParam>& params) {
  for (size_t i = 0; i < params.size(); ++i) {
    int n = static_cast<int>(i + 1);
    if (params[i].kind == SqlParam::Kind::kInteger)
      sqlite3_bind_int64(st, n, params[i].integer);
    else
      sqlite3_bind_text(st, n, params[i].text.data(), static_cast<int>(params[i].text.size()), SQLITE_TRANSIENT);
  }
}

std::string quoteIdent(std::string_view name) {
  std::string q = "\"";
  for (char c : name) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

int registerCollation(sqlite3* db) { return sqlfn::registerAll(db); }

}  // namespace vorlam::sqlite
