// A table instance: one open record file, its record buffer and position.
//
// Every screen or worker owns its own Table objects; a Table is not
// thread-safe, but any number of Tables (in any threads or processes) may
// have the same file open at once.  Each physical record file is one SQLite
// database; records are rows keyed by a stable record number, and every
// non-dynamic key of the declaration is an index.  A path below a server
// location ("postgresql://...", table_backend.h) names a table of that
// database instead, with the same behaviour.
//
// Reading walks a key (or the file order) through a keyed cursor: set a
// position with seek*(), then next()/previous() fill the buffer.  Writes go
// through insert(), update() and erase() with the buffer's values.  All
// operations return a Status; nothing throws.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "storage/journal_mode.h"
#include "storage/page_select.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table_def.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vorlam {

class TableBackend;

enum class OpenMode {
  kShared,     // read-write, others may open too
  kReadOnly,   // read, others may open too
  kExclusive,  // read-write, refused while anyone else has the file open
  // Read-write while others may only read: refused while another has the
  // file open for writing, and keeps others' writing opens out.
  kDenyWrite,
};

// Key number for walks in record-number (file) order.
constexpr int kFileOrder = -1;

class Table {
 public:
  // `def` must outlive the table.
  explicit Table(const TableDef* def);
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  const TableDef& def() const { return *def_; }
  Record& buffer() { return buffer_; }
  const Record& buffer() const { return buffer_; }

  // Opens the file at `path` (extension included).  A missing file is created
  // empty when its directory exists (unless read-only).  An empty path gives
  // kNoName.  A file written under an older layout is converted first.
  Status open(const std::string& path, OpenMode mode = OpenMode::kShared);
  void close();
  bool isOpen() const;
  const std::string& path() const { return path_; }

  // Wait limit for files locked by others, in milliseconds (default 10000).
  // Opening waits within it too: for another workstation's exclusive use
  // to end, for a file another is creating or converting.
  void setBusyTimeout(int ms);
  // Journal mode for the next open, instead of the environment's policy
  // (see journal_mode.h); and the mode the open file is in.
  void setJournalPolicy(JournalPolicy policy);
  JournalMode journalMode() const;

  // --- Reading ---------------------------------------------------------
  // Reads the record whose key `key` equals the key values in the buffer.
  Status get(int key);
  // Reads the record with record number `id`.
  Status getById(int64_t id);
  // Positions before the first entry >= the key values in the buffer (in the
  // key's order, descending components included); next() reads it.
  Status seek(int key);
  // Positions at the start / end of `key` (or kFileOrder).
  Status seekStart(int key);
  Status seekEnd(int key);
  // Positions after the last entry <= the buffer's values; previous() reads it.
  Status seekBefore(int key);
  // Positions at the record number `id` in file order (next() reads it).
  Status seekId(int64_t id);
  // Reads the next / previous entry of the current walk into the buffer.
  // kNotFound at the end.
  Status next();
  Status previous();
  Result<int64_t> count();
  // Selects one page of a list (page_select.h) into *out; the buffer and
  // the walk position are left to the caller's next read.  kInvalidArgument
  // for a request that does not fit the table.
  Status selectPage(const PageRequest& request, PageSelection* out);

  // --- Writing ---------------------------------------------------------
  // Adds the buffer as a new record.  Fills in the auto-numbered component of
  // every auto-numbered key first (the buffer holds the number afterwards).
  // kDuplicateKey with the key's name in detail() when a unique key clashes.
  Status insert();
  // Adds the buffer as it stands, without auto-numbering.
  Status append();
  // Adds the buffer as record number `id` (a copy between data roots keeps
  // record numbers); later records are numbered after it.  kDuplicateKey
  // when the number or a unique key is taken.
  Status appendNumbered(int64_t id);
  // Writes the buffer over the record last read.  A walk by a key whose
  // values the update changes may meet the record again further on; bulk
  // rewrites walk in file order.  kChangedByOther or
  // kDeletedByOther when another writer got there first (nothing written).
  // Only the changed columns are written; the record's new check value is
  // computed from the whole buffer, so its unchanged columns must hold the
  // record as read (as Record's dirty tracking requires anyway).
  Status update();
  // Deletes the record last read (same check as update()).
  Status erase();

  // Bulk mode: holds one transaction across many writes; flush() commits and
  // ends it.  A process killed in bulk mode leaves the file as it was before
  // beginBulk().  Reads see the pending writes.
  //
  // On a file opened kExclusive no other writer can come between a read
  // and a write, and the table may defer the writes of a run (a server
  // answers them in groups; the files answer each at once).  A deferred
  // write returns success meaning "accepted": the buffer holds its record
  // number and stamp as if written.  When such a write is refused (a
  // duplicate key, a record changed by a program that does not open the
  // file, a lost connection) the refusal fails a later call of this table
  // instead: a later write or read, at the latest flush().  From then on
  // every call fails with it; flush() fails too and undoes the whole run,
  // so that nothing of it is written (rollbackBulk() likewise undoes it).
  // A failing flush() never leaves a part of the run behind.
  //
  // On a server, a connection lost during a run fails the operation in
  // hand (or the next one) with a message saying so; the server undoes
  // the run, flush() fails, and the file can be opened again.
  Status beginBulk();
  Status flush();
  // Discards every write since beginBulk().
  Status rollbackBulk();
  bool inBulk() const { return bulk_; }

  // The key whose unique constraint a failed insert or update broke, or -1.
  int duplicatedKey() const { return duplicatedKey_; }

  // --- Maintenance -----------------------------------------------------
  using Progress = std::function<void(int key, int64_t done, int64_t total)>;
  // Rebuilds every index; `progress` is called once per key.
  Status rebuildKeys(const Progress& progress = {});
  // Reclaims the space of deleted records; record numbers are kept.
  Status pack();
  Status integrityCheck(std::string* report = nullptr);
  // The full check of the file: the database's own integrity check, then
  // every record read back and verified against its field types and check
  // value.  kCorrupt naming the file (and the damage) when anything is
  // wrong; `records` receives the number of records read.  `progress` is
  // called with key -1 every few thousand records.
  Status verifyFile(int64_t* records = nullptr, const Progress& progress = {});
  // Whether the file's records carry check values: every file does once
  // opened for writing; a file written before checks existed and opened
  // read-only is read with its values checked against their fields only.
  bool hasRecordChecks() const;
  // Record holds.  hold() holds the record last read for this table until
  // unhold(), close() or the holder's end (a byte-range lock, so a holder
  // that dies lets go); kBusy when another table or workstation holds it.
  // heldRecords() lists the records held now, by anyone; releaseHolds()
  // drops this table's holds and the list's leftovers.
  Status hold();
  Status unhold();
  Result<std::vector<int64_t>> heldRecords();
  Status releaseHolds();
  // The space the file takes, in bytes: the database file on disk; on a
  // server, its table with its keys.
  Result<int64_t> storedBytes();
  // The highest record number the file ever gave, deleted records
  // included (0 for a file that never had one).
  Result<int64_t> lastNumber();
  // Makes new records of the file be numbered after `last` (never lowers
  // the numbering): a copy carries its source's numbering this way.
  Status keepNumbersAbove(int64_t last);
  // Copies every record into a new file `target` written with the current
  // layout (`target` must not exist), on disk or on a server, with the
  // file's properties and numbering.
  Status copyTo(const std::string& target);
  // Copies every record into a new file of the current layout and puts it in
  // place of this table's file (the table must be open exclusively).  The old
  // file stays untouched until the copy is complete.
  Status rebuildFile();

  // Ends a pending walk statement, releasing its read snapshot (the position
  // is kept; the next read continues from it).  List screens call this after
  // loading a page so that other workstations' changes become visible.
  void endWalk();

  // Named properties kept in the file itself (for example which account-code
  // structure a file's references are written in).  Written inside the bulk
  // transaction when one is open, so they commit with the records.
  Status setProperty(const std::string& name, const std::string& value);
  // The property's value; empty when it was never set.
  Result<std::string> property(const std::string& name);
  // Every property set, as (name, value) by name (copies of a file take them).
  using Properties = std::vector<std::pair<std::string, std::string>>;
  Result<Properties> properties();

  // For a file below a server location: while set, a long statement of the
  // server (rebuilding keys, packing, rebuilding the file) calls `tick`
  // about every tenth of a second; once `tick` answers true the server is
  // asked to cancel it, and the operation fails.  Files on disk report
  // their engine's work through connection() instead.
  void setEngineTick(std::function<bool()> tick);

  // Internal connection, for tools that run their own SQL over the file
  // (benchmarks, the export command).  Valid while open; null for a file
  // below a server location.
  sqlite3* connection() const;

 private:
  struct Impl;
  Status checkLayout();
  Status upgradeInPlace(const std::string& storedSignature);
  Status copyToServer(const std::string& target);
  Status walk(bool forward);
  Status prepareWalk(bool forward, bool fromTuple, sqlite3_stmt** out);
  Status readRow(sqlite3_stmt* stmt);
  Status prepareChecks();
  int64_t rowCheck(int64_t stamp) const;
  void bindKeyValues(sqlite3_stmt* stmt, int key, const std::vector<Cell>& values, int first) const;
  void rememberPosition();
  void captureTuple(int key, std::vector<Cell>* out) const;
  Status writeFailure(int rc, const char* what);
  Status nextNumber(int key);
  Status insertRow();
  Status staleOutcome();
  Status serverWrite(Status (TableBackend::*op)());
  Status ensureWritable() const;
  const TableDef* def_;
  Record buffer_;
  std::unique_ptr<Impl> impl_;
  std::string path_;
  bool bulk_ = false;
  int duplicatedKey_ = -1;
};

// Creates a directory and its parents; ok when it already exists.
Status makeDirectories(const std::string& path);
bool fileExists(const std::string& path);
// The names of the directories directly below `path` (on disk or below a
// server location), in name order; empty when there is none or `path`
// cannot be read.
std::vector<std::string> subdirectories(const std::string& path);
// Whether directory `path` exists (on disk, or below a server location:
// made there, or holding a file); false when it cannot be read.
bool directoryExists(const std::string& path);

}  // namespace vorlam
