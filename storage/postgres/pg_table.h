// A record file kept as a table of a PostgreSQL database (pg_schema.h),
// behind the Table interface (table_backend.h).
//
// How each promise of table.h is kept on the server:
// - Walks are keyset reads: each chunk is "the next N entries after the
//   position (key values, record number)" through the key's index, never
//   an OFFSET; chunks grow from 16 to 2048 entries as a walk goes on.
// - Optimistic writes compare "_stamp" in the UPDATE/DELETE itself.
// - Auto-numbering takes the file's numbering lock (a transaction-level
//   advisory lock) from the look-up of the highest number to the commit.
// - Bulk mode is one transaction.  A write that may break a unique key runs
//   under a savepoint, so that a duplicate is an error of that write only;
//   any other failure inside the transaction undoes the whole bulk run, and
//   flush() then reports it (never a silent success).
// - In bulk mode on a file opened exclusively no other writer can come
//   between a read and a write, so writes are deferred (table.h): rows
//   added, and rows changed in the same columns, are gathered and sent as
//   one statement per thousand rows, whose answers are read only when
//   something must wait for them (a read, flush()).  Record numbers of
//   added rows are given out here, following the highest in use.
// - The open lock and record holds are session-level advisory locks on
//   (file number, 0) and (file number, record number): the server drops
//   them when the holder's session ends, also when its process dies.
//   Read-write opens also take the write lock (file number, kWriteLockKey):
//   shared opens share it, a deny-write open takes it alone.
// - The wait limit is the session's lock_timeout.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "storage/postgres/pg_connection.h"
#include "storage/postgres/pg_schema.h"
#include "storage/table.h"
#include "storage/table_backend.h"

namespace vorlam::pg {

// Second key of the file's write lock (the numbering lock is -1).
inline constexpr int kWriteLockKey = -2;

class PgTable : public TableBackend {
 public:
  PgTable(const TableDef& def, Record& buffer) : def_(def), buffer_(buffer) {}
  Status open(const std::string& path, OpenMode mode, int busyMs);

  void setBusyTimeout(int ms) override;
  Status get(int key) override;
  Status getById(int64_t id) override;
  Status seek(int key) override;
  Status seekStart(int key) override;
  Status seekEnd(int key) override;
  Status seekBefore(int key) override;
  Status seekId(int64_t id) override;
  Status next() override { return walk(true); }
  Status previous() override { return walk(false); }
  Result<int64_t> count() override;
  Status selectPage(const PageRequest& request, PageSelection* out) override;
  void endWalk() override { dropChunk(); }

  Status insert() override;
  Status append() override;
  Status appendNumbered(int64_t id) override;
  Status update() override;
  Status erase() override;
  Status beginBulk() override;
  Status flush() override;
  Status rollbackBulk() override;
  bool inBulk() const override { return bulk_; }
  int duplicatedKey() const override { return duplicatedKey_; }

  Status rebuildKeys(const Progress& progress) override;
  Status pack() override;
  Status integrityCheck(std::string* report) override;
  Status hold() override;
  Status unhold() override;
  Result<std::vector<int64_t>> heldRecords() override;
  Status releaseHolds() override;
  Status copyTo(const std::string& target) override;
  Status rebuildFile() override;
  Status setProperty(const std::string& name, const std::string& value) override;
  Result<std::string> property(const std::string& name) override;
  Result<std::vector<std::pair<std::string, std::string>>> properties() override;
  void setEngineTick(std::function<bool()> tick) override { conn_.setTick(std::move(tick)); }
  Result<int64_t> storedBytes() override;
  Result<int64_t> lastNumber() override;
  Status keepNumbersAbove(int64_t last) override;

 private:
  enum class Anchor { kStart, kEnd, kTuple };
  // pg_table.cpp
  Status openFile(const Location& loc, OpenMode mode);
  Status checkLayout();
  Status ensureWritable() const;
  // pg_table_copy.cpp
  // Reads every record in record order into the buffer, calling `visit`
  // after each, in one snapshot; the buffer is restored afterwards.
  Status eachRecord(const std::function<Status()>& visit);
  Status copyWithin(const Location& to, const std::string& target);
  Status copyAcross(const std::string& target);
  Status carryNumbering(const std::string& copy);
  Status countIndexes(std::string* report);
  Result<std::string> sequence(const std::string& table);
  Status convertLayout();
  Status convertRows(const FileEntry& old);
  // The converted table `fresh` and its keys take the names of `old`'s.
  Status takeOldPlace(const FileEntry& old, const std::string& fresh);
  // pg_table_read.cpp
  Status walk(bool forward);
  Status fetchChunk(bool forward);
  std::string walkSql(bool forward, bool fromTuple, bool inclusive) const;
  std::string equalityWhere(const KeyDef& key, int components, int firstParam) const;
  void addKeyParams(Params& p, int key, const std::vector<Cell>& values) const;
  Status readRow(const Rows& rows, int row);
  void captureTuple(int key, std::vector<Cell>* out) const;
  void rememberPosition();
  void dropChunk();
  Status readOne(const std::string& sql, const Params& params, int key);
  // False when the request's condition and its values do not agree.
  bool pageSql(const PageRequest& request, Params* p, std::string* sql) const;
  std::string pageParam(const Record& rec, int key, int component, Params* p) const;
  std::string pagePosition(const PageRequest& request, const std::vector<KeyAtom>& atoms, Params* p) const;
  // pg_table_write.cpp
  Status insertRow(int64_t id = 0);  // 0: the next number
  Status syncNumbers();
  Status nextNumber(int key);
  Status findDuplicate();
  Status staleOutcome();
  std::string cellParam(const FieldDef& f, const Cell& c) const;
  // pg_table_batch.cpp
  bool deferring() const { return bulk_ && mode_ == OpenMode::kExclusive; }
  Status takeNumber(int64_t* id);
  Status queueInsert(int64_t id);
  Status queueUpdate(const std::vector<char>& dirty);
  Status sendBatch();
  void dropBatch();
  void endFailedBulk();

  // Rows gathered for one statement: one array per column written.
  struct Batch {
    enum class Kind { kNone, kInsert, kUpdate } kind = Kind::kNone;
    std::vector<char> dirty;  // the columns an update sets
    std::vector<std::string> arrays;
    std::set<int64_t> ids;  // a record changed twice goes in two statements
    int rows = 0;
    size_t bytes = 0;
  };

  const TableDef& def_;
  Record& buffer_;
  Connection conn_;
  FileEntry file_;
  std::string path_;
  std::string table_;  // quoted
  std::vector<std::string> cols_;  // quoted column names
  std::string selectList_;
  OpenMode mode_ = OpenMode::kShared;
  bool bulk_ = false;
  bool numberingLocked_ = false;  // the bulk transaction holds the numbering lock
  int duplicatedKey_ = -1;
  bool numbersBehind_ = false;  // records were added with their own numbers
  std::set<int64_t> holds_;
  Batch batch_;
  int64_t nextId_ = 0;  // the next record number given out in a deferred run; 0: not known yet

  // Walk state: the position is the tuple (key values, record number) of
  // the last entry read, or a sentinel; a chunk of the entries that follow
  // it may be at hand.
  int walkKey_ = kFileOrder;
  Anchor anchor_ = Anchor::kStart;
  std::vector<Cell> tuple_;
  int64_t tupleId_ = 0;
  Rows chunk_;
  int chunkNext_ = 0;
  int chunkDir_ = 0;  // 1 forward, -1 backward, 0 none
  bool chunkLast_ = false;  // nothing follows the chunk
  int chunkSize_ = 16;
};

}  // namespace vorlam::pg
