// How record files are laid out in a PostgreSQL database.
//
// The database keeps a catalog of its record files, "vorlam_files" (the
// file's normalized path, its table's name, and the label, version and
// field list it was written with, as a file's "_layout" table holds them),
// "vorlam_properties" (Table::setProperty), "vorlam_dirs", the
// directories made (makeDirectories()), and "vorlam_texts", small texts
// kept beside the files (server_file_set.h).  Each record file is one
// table with the columns of a file's "records" table: "_id" (the record
// number, never reused), "_stamp", "_check", then one column per field
// element (bigint for numbers and decimal units, text for texts, stored
// UTF-8 without trailing blanks).
//
// A text component of a key is sorted twice, by vorlam_base(col) then by
// vorlam_upper(col): the accent-free upper case, then the upper case with its
// accents, each mapped to Latin-1 code points and compared byte by byte
// ("C").  Both are stored generated columns ("COL~base", "COL~upper"; real
// columns have no lower-case letters) that the key's index covers: reads
// never compute them (the server would, for every row a walk returns, were
// they index expressions), writes compute them once.  That is exactly the order and equality of
// compareText() (text.h) that the SQLite files' collation gives: "Éder" sorts
// with "Eder", "JOÃO" equals "joão", "João" differs from "Joao".  Both
// functions are generated from text.h's own tables, so the two engines
// cannot disagree.  Chosen over an ICU nondeterministic collation because
// ICU orders punctuation and blanks its own way, which would change the
// order of every list against the embedded files.
//
// A non-unique key ends with "_id", so equal values walk in record order
// and every entry of a walk has a distinct position.  A key that leaves out
// empty values is a partial index with the same condition as in SQLite.
#pragma once

#include <string>
#include <vector>

#include "storage/postgres/pg_connection.h"
#include "storage/status.h"
#include "storage/table_def.h"

namespace vorlam::pg {

// A record file below a server location: the connection URI and the file's
// path relative to it (upper case, '/' between directories).
struct Location {
  std::string uri;
  std::string file;
  std::string spelled;  // `file` with its letters as written
};
// kInvalidArgument when `path` names no database or escapes it ("..").
Result<Location> parseLocation(const std::string& path);

// Makes sure the catalog and the folding functions exist (once per
// database; creators wait for each other).
Status ensureCatalog(Connection& c);

// Whether directory `dir` (a relative path as in Location) exists: made by
// makeDirectories(), or holding a file.  The root always exists.
Status directoryExists(Connection& c, const std::string& dir, bool* exists);
// Records `dir` and its parents as directories.
Status makeDirectories(Connection& c, const std::string& dir);

struct FileEntry {
  int id = 0;
  std::string table;  // unquoted
  std::string label;
  int version = 0;
  std::string fields;  // layout signature (schema.h)
};
// Finds `file` in the catalog; `found` false when it is not there.
Status findFile(Connection& c, const std::string& file, FileEntry* out, bool* found);
// Creates `loc`'s file with the layout of `def`, inside the caller's
// transaction (which holds catalogLockSql()).  The catalog keeps the path as
// written too, so that a copy back to disk gives the files their names.
// Without `keys` the key indexes wait for createKeys(): a table filled in
// one statement builds each index once, faster than row by row.
Status createFile(Connection& c, const TableDef& def, const Location& loc, FileEntry* out, bool keys = true);
// Creates table `name` (unquoted) with the columns and keys of `def`, its
// indexes named after file number `id` followed by `indexSuffix` (a table
// built to replace another one takes a suffix until the old one is gone).
Status createTable(Connection& c, const TableDef& def, const std::string& name, int id,
                   const std::string& indexSuffix, bool keys = true);
// Creates the key indexes of table `name` (as createTable() names them).
Status createKeys(Connection& c, const TableDef& def, const std::string& name, int id,
                  const std::string& indexSuffix);
// Drops the table of `entry` and its catalog rows (caller's transaction).
Status dropFile(Connection& c, const FileEntry& entry);
// The statement that serializes changes of the catalog until commit.
const char* catalogLockSql();

// One sort column of a key: a column, or a folded form of a text column.
struct KeyAtom {
  std::string column;  // quoted column name
  int component = 0;   // index into the key's components
  int fold = 0;        // 0 plain, 1 vorlam_base, 2 vorlam_upper
  bool descending = false;
  // The stored column that holds the sort value.
  std::string stored() const;
  // The sort value of `value` (a parameter).
  std::string over(const std::string& value) const;
};
// The quoted names of the folded columns of `column` (a quoted name).
std::string foldedColumn(const std::string& column, int fold);
std::vector<KeyAtom> keyAtoms(const TableDef& def, const KeyDef& key);
// Whether walks of the key need "_id" after its values (non-unique keys).
bool keyTakesId(const KeyDef& key);
// Index name of key `k` of file `id` (index names are per database).
std::string indexName(int id, size_t k);
// Key number of an index name of file `id`, -1 when it is none of them.
int keyOfIndex(int id, const std::string& index);

}  // namespace vorlam::pg
