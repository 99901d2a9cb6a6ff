// The SQL form of a table declaration, private to the storage engine.
//
// Each record file holds table "records" (one column per field element, named
// by the field's name without prefix; "_id" the record number, "_stamp" a
// write counter for the optimistic change check, "_check" the record's check
// value, row_check.h), one index per key, table "_layout" with the label,
// version and field list the file was written with, table "_holds" with
// records held by workstations, and two triggers that keep "_check" and
// "_stamp" right when another SQLite client adds or changes a record.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "storage/status.h"
#include "storage/table_def.h"

namespace vorlam::schema {

// Column names of every storage column, in order (quoted).
std::vector<std::string> columnNames(const TableDef& def);
// "A" DESC, "B" for the key's components.
std::string indexColumns(const TableDef& def, const KeyDef& key, bool reverse);
// Partial-index condition of an excludes-empty key ("" when none).
std::string emptyKeyCondition(const TableDef& def, const KeyDef& key);

// Canonical text of the layout: one "NAME TYPE size places dim" line per field.
std::string layoutSignature(const TableDef& def);

// Creates records, indexes and metadata in an empty database.
Status create(sqlite3* db, const TableDef& def);

struct StoredLayout {
  bool present = false;  // false: empty database
  std::string label;
  int version = 0;
  std::string signature;
  bool checks = false;  // marked as carrying check values (informative)
};
// Reads and validates the stored layout: a malformed row, an unknown type,
// an absurd size or count is kCorrupt naming the file, never a crash or an
// allocation beyond what SQLite itself allows.
Status readLayout(sqlite3* db, StoredLayout* out);
// Validates a layout signature as readLayout() does (for fuzzing and tests);
// `columns` receives the number of storage columns it declares.
Status validateSignature(const std::string& signature, int* columns);

// One storage column of a stored layout signature: "NAME" or "NAME[2]".
struct StoredColumn {
  std::string name;  // unquoted, upper case
  FieldType type;
  int size;
  int places;
};
// The storage columns a layout signature declares, validated as
// validateSignature() does (kCorrupt when malformed).
Status storedColumns(const std::string& signature, std::vector<StoredColumn>* out);

// --- record checks (schema_checks.cpp) ---
// SQL expression of the check value (row_check.h: the write stamp, then
// every column) of a row whose values are named `row` + column ("NEW." or
// "") with write stamp `stamp`.
std::string checkExpr(const TableDef& def, const std::string& row, const std::string& stamp);
// The check call over (type token "B=NAME", SQL expression) pairs, the
// stamp's ("I=_stamp", ...) first.
std::string checkCall(const std::vector<std::pair<std::string, std::string>>& items);
// The same over one SQL expression per storage column.
std::string checkExpr(const TableDef& def, const std::vector<std::string>& values, const std::string& stamp);
// Creates the check triggers and marks the file as checked (in `db`'s
// current transaction).
Status createChecks(sqlite3* db, const TableDef& def);
// Gives a file written before records carried check values (no "_check"
// column) its check column, triggers and values.  Runs inside the caller's
// write transaction.
Status addChecks(sqlite3* db, const TableDef& def);
// Whether both check triggers are there.
Status hasCheckTriggers(sqlite3* db, bool* present);
// Confirms that table "records" has every column of `def` (kCorrupt
// otherwise); `hasCheck` tells whether it has "_check".
Status checkColumns(sqlite3* db, const TableDef& def, bool* hasCheck);

// Copies every record of database `sourcePath` (written with `stored`) into
// `db` (created with `def`), field by field by name, with the file's
// properties.  Values of fields that
// no longer exist are dropped; new fields start blank/zero; decimals are
// rescaled and texts cut to their new widths.  A source whose records carry
// check values is verified first: a damaged record stops the copy with
// kCorrupt (a copy never makes a damaged record look sound).
Status copyRecords(sqlite3* db, const TableDef& def, const std::string& sourcePath, const std::string& storedSignature);

}  // namespace vorlam::schema
