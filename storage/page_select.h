// One page of a list, selected by the storage: the record numbers of the
// entries of a key that follow a position, narrowed to a range of leading
// key values and to a set of record numbers, at most `limit` of them.
//
// The page is found through the key's index from the position (a seek, never
// a count of rows from the start), in the key's order with the record number
// last, so equal key values page in record order and every entry has a
// distinct position.  Text components compare as compareText() (text.h)
// does: "Éder" sorts with "Eder", "JOÃO" equals "joão".  Records whose key is
// all blank or zero are no entries of a key that leaves them out.
//
// Table::selectPage() runs it; a selection holds no read snapshot afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "storage/record.h"

namespace vorlam {

// A value bound to one '?' of a condition in SQL, in order.
struct SqlParam {
  enum class Kind { kInteger, kText };
  Kind kind = Kind::kInteger;
  int64_t integer = 0;
  std::string text;  // Windows-1252 bytes, bound as SQL text

  static SqlParam ofInteger(int64_t v) { return {Kind::kInteger, v, {}}; }
  static SqlParam ofText(std::string t) { return {Kind::kText, 0, std::move(t)}; }
  bool operator==(const SqlParam&) const = default;
};

// Which engine's SQL a condition is written in: the embedded files' (over
// their "records" table, with the VNOCASE collation) or a PostgreSQL
// server's (over a file's table: texts UTF-8 in "C" order, the
// vorlam_upper() folding, '?' for parameters all the same).
enum class SqlDialect { kSqlite, kPostgres };

// Where a page starts.
enum class PageFrom {
  kEdge,        // the start of the key (forward) or its end (backward)
  kBeyond,      // strictly after (before) the anchor's key values and number
  kAtOrBeyond,  // at the anchor's position or after (before) it
  // At the first entry whose first component after the range is >= the
  // anchor's value of it (<= for a descending component); the anchor's
  // record number and other values are not looked at.
  kLocate,
};

struct PageRequest {
  int key = 0;  // a key of the table, not a dynamic one
  bool forward = true;
  PageFrom from = PageFrom::kEdge;
  const Record* anchor = nullptr;  // a buffer of the same table, unless kEdge
  // The first `rangeComponents` key components equal `range`'s values.
  int rangeComponents = 0;
  const Record* range = nullptr;
  // Only the records whose numbers are in `recordSet` (sorted, distinct),
  // or only those not in it (!insideSet).  Null: no such narrowing.
  const std::vector<int64_t>* recordSet = nullptr;
  bool insideSet = true;
  size_t limit = 1;
  // A further condition ('?' bound to `conditionParams`, in order), such as
  // a list filter's SQL form, in `conditionDialect`: a file on disk takes
  // the embedded engine's, a server table its own; each refuses the other's.
  std::string condition;
  std::vector<SqlParam> conditionParams;
  SqlDialect conditionDialect = SqlDialect::kSqlite;
};

struct PageSelection {
  std::vector<int64_t> ids;  // in the walk's order
  // The records of `ids`, in the same order, when the storage read them
  // with the selection (a server table, where each read is a round trip);
  // empty otherwise, and the caller reads each one with Table::getById().
  std::vector<Record> records;
};

}  // namespace vorlam
