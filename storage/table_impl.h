// Internal state of a Table, shared by the units that implement it
// (table_open.cpp, table_walk.cpp, table_write.cpp, table_maintain.cpp).
// Not part of the storage interface.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "storage/file_lock.h"
#include "storage/journal_mode.h"
#include "storage/sqlite_util.h"
#include "storage/table.h"
#include "storage/table_backend.h"

namespace vorlam {

using sqlite::Statement;

constexpr int kFirstChunk = 16;
constexpr int kMaxChunk = 2048;

enum class Dir { kNone, kForward, kBackward };

// Statements of one walk order (a key, or the file order).
struct OrderStatements {
  Statement from[2];  // rows after/before the position: [0] forward, [1] backward
  Statement all[2];   // every row from the start/end
  Statement exact;    // first row equal to the key values
  Statement maxInGroup;
};

struct Table::Impl {
  sqlite3* db = nullptr;
  // Set for a file below a server location: every operation goes to it.
  std::unique_ptr<TableBackend> server;
  FileLock lock;
  OpenMode mode = OpenMode::kShared;
  std::optional<JournalPolicy> policy;  // the environment's when unset
  JournalMode journal = JournalMode::kRollback;
  int busyMs = 10000;
  std::vector<std::string> cols;  // quoted column names
  std::string selectList;
  bool verify = false;  // the records carry check values (row_check.h)
  std::vector<OrderStatements> orders;  // [0] file order, [k+1] key k
  Statement insert, insertNumbered, erase, getById, stampOf, count;
  std::vector<std::pair<std::string, Statement>> updates;  // by changed-column mask

  // Walk state: the position is the tuple (key values, record number) of the
  // last entry read, or a sentinel; reads continue strictly after / before it.
  int walkKey = kFileOrder;
  enum class Anchor { kStart, kEnd, kTuple } anchor = Anchor::kStart;
  std::vector<Cell> tuple;  // key component values
  int64_t tupleId = 0;
  Dir dir = Dir::kNone;
  sqlite3_stmt* active = nullptr;  // walk statement being stepped
  int chunk = kFirstChunk;
  int stepped = 0;

  ~Impl() { closeDb(); }
  void finalizeStatements() {
    resetWalk();
    size_t n = orders.size();
    orders.clear();
    orders.resize(n);
    insert = Statement();
    insertNumbered = Statement();
    updates.clear();
    erase = Statement();
    getById = Statement();
    stampOf = Statement();
    count = Statement();
  }
  // Closes the connection, keeping the open lock.
  void closeConnection() {
    finalizeStatements();
    if (db) sqlite3_close_v2(db);
    db = nullptr;
  }
  void closeDb() {
    server.reset();
    closeConnection();
    orders.clear();
    lock.release();
  }
  void resetWalk() {
    if (active) sqlite3_reset(active);
    active = nullptr;
    dir = Dir::kNone;
  }
};

namespace table_detail {

// `copy`: the statement keeps running after the cell changes (walks), so
// SQLite must take its own copy of the text.
void bindCell(sqlite3_stmt* st, int index, const FieldDef& f, const Cell& c, bool copy = false);
// Creates `path` as a new, empty record file of `def`.
Status createFile(const TableDef& def, const std::string& path, JournalMode journal, sqlite3** out);
void removeSidecars(const std::string& path);
// Removes what an interrupted rebuild of `path` left: its ".new" copy and
// that copy's journal files.  Called with the file's lock held.
void removeLeftoverRebuild(const std::string& path);

}  // namespace table_detail

}  // namespace vorlam
