// Small RAII helpers over the SQLite C API, private to the storage engine.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

#include "storage/page_select.h"
#include "storage/status.h"

namespace vorlam::sqlite {

// Owns one prepared statement.
class Statement {
 public:
  Statement() = default;
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement(Statement&& o) noexcept : stmt_(o.stmt_) { o.stmt_ = nullptr; }
  Statement& operator=(Statement&& o) noexcept {
    if (this != &o) {
      sqlite3_finalize(stmt_);
      stmt_ = o.stmt_;
      o.stmt_ = nullptr;
    }
    return *this;
  }

  int prepare(sqlite3* db, std::string_view sql) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    return sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt_,
                              nullptr);
  }
  sqlite3_stmt* get() const { return stmt_; }
  bool valid() const { return stmt_ != nullptr; }
  void reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Maps an SQLite result code to a Status (`what` names the operation).
Status toStatus(int rc, sqlite3* db, std::string_view what);

// Runs SQL that returns no rows.
Status exec(sqlite3* db, const std::string& sql);

// Binds `params` to the statement's parameters 1, 2, ... in order (texts
// copied).
void bindParams(sqlite3_stmt* st, const std::vector<SqlParam>& params);

// "name" with embedded quotes doubled.
std::string quoteIdent(std::string_view name);

// Registers the VNOCASE collation (trailing blanks ignored, case- and
// accent-folded order of the record text) and the record check function
// (sql_functions.h) on a connection.
int registerCollation(sqlite3* db);

}  // namespace vorlam::sqlite
