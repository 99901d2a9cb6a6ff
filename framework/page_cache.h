// The rows a list screen shows: one page of a table in one key order,
// optionally narrowed to a range (leading key components fixed to values)
// and a filter.
//
// Pages are read through the key's index from a position (the key values
// and record number of a row), never by counting rows from the start, so the
// first page and the last page of a file of a million records cost the same
// as any other page.  A filter whose whole expression has a SQL form is
// applied by the storage; any other filter is applied to each record read,
// after the storage has narrowed the rows by the parts that have one.
//
// The cache reads through the Table it is given (the list's own instance):
// it selects the page's record numbers with Table::selectPage and reads each
// record with Table::getById (a server table hands the records over with
// the selection), then calls Table::endWalk(), so no read snapshot is held
// between pages and other workstations' changes show on the next load.
// On a server table the filter's server form (BoundFilter::toSql with
// SqlDialect::kPostgres) is sent the same way.
// The table's buffer is overwritten by every load.
//
// Not thread-safe: one list screen owns one cache.  The Table must stay open
// for as long as the cache loads from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/filter.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam {

class PageCache {
 public:
  // `table` must be open and outlive the cache; `pageSize` >= 1.
  PageCache(Table& table, int pageSize);

  // --- What is listed; each setter empties the page (load again) --------
  // Key index of the order (not a dynamic key).  kInvalidArgument otherwise.
  Status setOrder(int key);
  int order() const { return key_; }
  // Fixes the first `components` key components to their values in
  // `values` (a buffer of the same table).  0 components: no range.
  Status setRange(int components, const Record& values);
  void clearRange();
  int rangeComponents() const { return rangeCount_; }
  // Narrows the rows to those the filter matches.
  void setFilter(const BoundFilter& filter);
  void clearFilter();
  // Narrows the rows to the records whose numbers are in `ids` (`inside`)
  // or not in them (!`inside`), beside range and filter; applied by the
  // storage.  A screen's own marks over the list (tagged records) use it.
  void setRecordSet(std::vector<int64_t> ids, bool inside);
  void clearRecordSet();
  bool hasRecordSet() const { return recordSet_.has_value(); }
  // True when the current filter is applied by the storage (known for sure
  // once a page was loaded: a SQL form SQLite cannot prepare is dropped;
  // on a server table one nested too deep for its parser).
  bool filterPushedDown() const { return pushed_; }
  // True when the storage narrows the rows by a part of a filter it cannot
  // apply whole (each row it selects is still checked against the filter).
  bool filterPrefiltered() const { return !pushed_ && !pushedWhere_.empty(); }

  // --- Loading ---------------------------------------------------------
  // Each returns ok with the page loaded (possibly empty), or the storage
  // failure with the page left as it was.
  Status first();
  Status last();
  // The page after / before the current one.  At the end (start) the page
  // is left as it is and kNotFound is returned.  Near the end the page is
  // filled up with the rows before it, so a full page is always shown when
  // the file holds one.
  Status nextPage();
  Status previousPage();
  // Loads the page that starts at the first row whose value of the first
  // free key component (the one after the range) is >= `probe`'s value of
  // that field, in the key's order (<= for a descending component).  The
  // page is filled up with earlier rows near the end.  Returns the index of
  // that row in rows(), or rows().size() when every row is before it.
  Result<size_t> locate(const Record& probe);
  // Reloads after `row` (a row of this table as it was listed) was added,
  // changed or deleted.  Keeps the current page when the record is still
  // on it; otherwise loads the page at the record's position.  Returns the
  // index of the record, or of the row now standing at its place (clamped
  // to the last row; 0 for an empty page).
  Result<size_t> refreshAround(const Record& row);
  // Reloads the current page from its first row (the rows may have changed).
  Status reload();

  // --- The page --------------------------------------------------------
  const std::vector<Record>& rows() const { return rows_; }
  int pageSize() const { return pageSize_; }
  // The page holds the first / last row of the list.
  bool atStart() const { return atStart_; }
  bool atEnd() const { return atEnd_; }
  // Index of the record with number `id` on the page.
  std::optional<size_t> indexOf(int64_t id) const;

  // Records read from the file since construction (or the last reset):
  // every record the cache read, whether the filter kept it or not (from a
  // server table, every record a selection brought).
  int64_t recordsRead() const { return recordsRead_; }
  void resetRecordsRead() { recordsRead_ = 0; }

  // Compares two rows in the current order (record number last): <0, 0, >0.
  int compareRows(const Record& a, const Record& b) const;

 private:
  // Where a walk starts: at the start (forward) or end (backward) of the
  // list, strictly beyond an anchor row, at or beyond it, or at the locator
  // value of an anchor.
  using From = PageFrom;
  struct Fetch {
    std::vector<Record> rows;  // in the walk's direction
    bool exhausted = false;    // no more rows in that direction
  };

  Status fetch(bool forward, From from, const Record* anchor, size_t want, Fetch* out);
  Status select(bool forward, From from, const Record* anchor, size_t limit, PageSelection* out);
  bool inRangeAndFilter(const Record& r) const;
  // Drops the SQL form of the filter when SQLite cannot prepare it (too many
  // terms or too deep for its parser), or when it is too deep or too large
  // for a server: the filter is then tried on each record instead.
  void dropUnpreparableFilter();
  // Forward page from `anchor` (inclusive or not), filled up backwards.
  Status loadForwardFilled(From from, const Record* anchor, size_t* firstForward);
  void setPage(std::vector<Record> rows, bool atStart, bool atEnd);

  Table& table_;
  int pageSize_;
  int key_ = 0;
  int rangeCount_ = 0;
  std::optional<Record> rangeValues_;
  BoundFilter filter_;
  bool filtered_ = false;
  bool pushed_ = false;
  SqlDialect dialect_ = SqlDialect::kSqlite;
  std::string pushedWhere_;
  std::vector<SqlParam> pushedParams_;
  bool pushedChecked_ = false;  // the SQL form was prepared once
  struct RecordSet {
    std::vector<int64_t> ids;  // sorted, distinct
    bool inside = true;
  };
  std::optional<RecordSet> recordSet_;
  std::vector<Record> rows_;
  bool atStart_ = true;
  bool atEnd_ = true;
  int64_t recordsRead_ = 0;
};

}  // namespace vorlam
