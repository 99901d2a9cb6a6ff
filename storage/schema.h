// The SQL form of a table declaration, private to the storage engine.
//
// Each record file holds table "records" (one column per field element, named
// by the field's name without prefix; "_id" the record number, "_stamp" a
// write counter for the optimistic change check), one index per key, table
// "_layout" with the label, version and field list the file was written
// with, and table "_holds" with records held by workstations.
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
};
Status readLayout(sqlite3* db, StoredLayout* out);

// Copies every record of database `sourcePath` (written with `stored`) into
// `db` (created with `def`), field by field by name.  Values of fields that
// no longer exist are dropped; new fields start blank/zero; decimals are
// rescaled and texts cut to their new widths.
Status copyRecords(sqlite3* db, const TableDef& def, const std::string& sourcePath, const std::string& storedSignature);

}  // namespace vorlam::schema
