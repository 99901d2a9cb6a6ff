#include "framework/page_cache.h"

#include <sqlite3.h>

#include <algorithm>

#include "storage/table_backend.h"
#include "storage/text.h"

namespace vorlam {

namespace {

// The most a condition sent to the server may nest or bind: its parser
// gives up some thousands of levels deep, and a statement binds at most
// 65535 values (the page's own among them).  The filter compiler's own
// limits keep every filter below both today; these keep it so.
constexpr int kServerMaxDepth = 1000;
constexpr size_t kServerMaxParams = 30000;

int nestingOf(const std::string& sql) {
  int depth = 0, most = 0;
  for (char c : sql) {
    if (c == '(') most = std::max(most, ++depth);
    else if (c == ')') --depth;
  }
  return most;
}

int compareField(const Record& a, const Record& b, int field) {
  const FieldDef& f = a.def().fields[field];
  const Cell& x = a.cells()[f.column];
  const Cell& y = b.cells()[f.column];
  if (f.isText()) return compareText(x.s, y.s);
  return x.i < y.i ? -1 : (x.i > y.i ? 1 : 0);
}

}  // namespace

PageCache::PageCache(Table& table, int pageSize) : table_(table), pageSize_(std::max(1, pageSize)) {}

Status PageCache::setOrder(int key) {
  const TableDef& def = table_.def();
  if (key < 0 || key >= static_cast<int>(def.keys.size()) || def.keys[key].dynamic ||
      def.keys[key].components.empty())
    return Status(StatusCode::kInvalidArgument, "Ordem de lista inválida", def.label);
  key_ = key;
  if (rangeCount_ > static_cast<int>(def.keys[key].components.size())) clearRange();
  setPage({}, true, true);
  return Status::ok();
}

Status PageCache::setRange(int components, const Record& values) {
  const KeyDef& key = table_.def().keys[key_];
  if (components < 0 || components > static_cast<int>(key.components.size()) || &values.def() != &table_.def())
    return Status(StatusCode::kInvalidArgument, "Faixa de lista inválida", table_.def().label);
  rangeCount_ = components;
  if (components == 0) rangeValues_.reset();
  else rangeValues_ = values;
  setPage({}, true, true);
  return Status::ok();
}

void PageCache::clearRange() {
  rangeCount_ = 0;
  rangeValues_.reset();
  setPage({}, true, true);
}

void PageCache::setFilter(const BoundFilter& filter) {
  filter_ = filter;
  filtered_ = true;
  pushedWhere_.clear();
  pushedParams_.clear();
  dialect_ = isServerLocation(table_.path()) ? SqlDialect::kPostgres : SqlDialect::kSqlite;
  pushed_ = filter_.toSql(&pushedWhere_, &pushedParams_, dialect_);
  if (!pushed_) filter_.toSqlPrefilter(&pushedWhere_, &pushedParams_, dialect_);
  pushedChecked_ = false;
  dropUnpreparableFilter();
  setPage({}, true, true);
}

void PageCache::dropUnpreparableFilter() {
  if (pushedWhere_.empty()) return;
  if (dialect_ == SqlDialect::kPostgres) {
    // The server's form is written for it; only its size may be too much.
    if (nestingOf(pushedWhere_) <= kServerMaxDepth && pushedParams_.size() <= kServerMaxParams) return;
    pushed_ = false;
    pushedWhere_.clear();
    pushedParams_.clear();
    return;
  }
  sqlite3* db = table_.connection();
  if (pushedChecked_ || db == nullptr) return;
  pushedChecked_ = true;
  const std::string sql = "SELECT _id FROM records WHERE (" + pushedWhere_ + ")";
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
  sqlite3_finalize(st);
  if (rc == SQLITE_OK) return;
  pushed_ = false;
  pushedWhere_.clear();
  pushedParams_.clear();
}

void PageCache::clearFilter() {
  filter_ = BoundFilter();
  filtered_ = false;
  pushed_ = false;
  pushedWhere_.clear();
  pushedParams_.clear();
  setPage({}, true, true);
}

void PageCache::setRecordSet(std::vector<int64_t> ids, bool inside) {
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  recordSet_ = RecordSet{std::move(ids), inside};
  setPage({}, true, true);
}

void PageCache::clearRecordSet() {
  recordSet_.reset();
  setPage({}, true, true);
}

Status PageCache::select(bool forward, From from, const Record* anchor, size_t limit, PageSelection* out) {
  PageRequest r;
  r.key = key_;
  r.forward = forward;
  r.from = from;
  r.anchor = anchor;
  r.rangeComponents = rangeCount_;
  r.range = rangeValues_ ? &*rangeValues_ : nullptr;
  if (recordSet_) {
    r.recordSet = &recordSet_->ids;
    r.insideSet = recordSet_->inside;
  }
  r.limit = limit;
  r.condition = pushedWhere_;  // the whole filter, or the part the storage can apply
  r.conditionParams = pushedParams_;
  r.conditionDialect = dialect_;
  return table_.selectPage(r, out);
}

bool PageCache::inRangeAndFilter(const Record& r) const {
  const KeyDef& key = table_.def().keys[key_];
  if (key.excludeEmpty && r.keyIsEmpty(key)) return false;
  for (int i = 0; i < rangeCount_; ++i)
    if (compareField(r, *rangeValues_, key.components[i].field) != 0) return false;
  if (recordSet_ && std::binary_search(recordSet_->ids.begin(), recordSet_->ids.end(), r.recordId()) !=
                        recordSet_->inside)
    return false;
  return !filtered_ || filter_.matches(r);
}

Status PageCache::fetch(bool forward, From from, const Record* anchor, size_t want, Fetch* out) {
  out->rows.clear();
  out->exhausted = false;
  // A filter the storage cannot apply is tried on each record; one match
  // beyond `want` tells whether more rows follow.
  dropUnpreparableFilter();
  const bool perRecord = filtered_ && !pushed_;
  const size_t target = perRecord ? want + 1 : want;
  std::optional<Record> last;
  Status status;
  int rounds = 0;
  while (status) {
    size_t need = target - out->rows.size();
    size_t limit = perRecord ? std::max<size_t>(need * 2, 64) : need + 1;
    // On a server each selection is a round trip: a filter that keeps few
    // rows reads in growing batches.
    if (perRecord && table_.connection() == nullptr) limit = std::max<size_t>(limit, size_t{64} << std::min(rounds, 5));
    ++rounds;
    PageSelection page;
    status = select(forward, from, last ? &*last : anchor, limit, &page);
    if (!status) break;
    bool exhausted = page.ids.size() < limit;
    // Records that came with the selection were read, whether looked at or not.
    recordsRead_ += static_cast<int64_t>(page.records.size());
    for (size_t i = 0; i < page.ids.size(); ++i) {
      if (out->rows.size() == target) break;
      const Record* record = i < page.records.size() ? &page.records[i] : nullptr;
      if (record == nullptr) {
        Status s = table_.getById(page.ids[i]);
        if (s.is(StatusCode::kNotFound)) continue;  // deleted since the selection
        if (!s) {
          status = s;
          break;
        }
        record = &table_.buffer();
        ++recordsRead_;
      }
      last = *record;
      if (perRecord && !filter_.matches(*record)) continue;
      out->rows.push_back(*record);
    }
    if (!status) break;
    if (out->rows.size() == target) break;
    if (exhausted) {
      out->exhausted = true;
      break;
    }
    if (!last) {
      // Every selected record vanished meanwhile: select again from here.
      continue;
    }
    from = From::kBeyond;
  }
  table_.endWalk();
  if (!status) return status;
  if (perRecord && out->rows.size() > want) out->rows.pop_back();
  else if (perRecord) out->exhausted = true;
  return Status::ok();
}

void PageCache::setPage(std::vector<Record> rows, bool atStart, bool atEnd) {
  rows_ = std::move(rows);
  atStart_ = atStart;
  atEnd_ = atEnd;
}

namespace {
std::vector<Record> joined(std::vector<Record> backward, std::vector<Record> forward) {
  std::reverse(backward.begin(), backward.end());
  for (auto& r : forward) backward.push_back(std::move(r));
  return backward;
}
}  // namespace

Status PageCache::first() {
  Fetch f;
  if (Status s = fetch(true, From::kEdge, nullptr, pageSize_, &f); !s) return s;
  setPage(std::move(f.rows), true, f.exhausted);
  return Status::ok();
}

Status PageCache::last() {
  Fetch b;
  if (Status s = fetch(false, From::kEdge, nullptr, pageSize_, &b); !s) return s;
  setPage(joined(std::move(b.rows), {}), b.exhausted, true);
  return Status::ok();
}

Status PageCache::loadForwardFilled(From from, const Record* anchor, size_t* firstForward) {
  Fetch f, b;
  if (Status s = fetch(true, from, anchor, pageSize_, &f); !s) return s;
  size_t missing = pageSize_ - f.rows.size();
  if (missing > 0) {
    Status s = f.rows.empty() ? fetch(false, From::kEdge, nullptr, missing, &b)
                              : fetch(false, From::kBeyond, &f.rows.front(), missing, &b);
    if (!s) return s;
  }
  *firstForward = b.rows.size();
  bool atStart = missing > 0 ? b.exhausted : false;
  setPage(joined(std::move(b.rows), std::move(f.rows)), atStart, f.exhausted);
  if (rows_.size() < static_cast<size_t>(pageSize_)) atStart_ = true;
  return Status::ok();
}

Status PageCache::nextPage() {
  if (rows_.empty()) return first();
  Fetch f;
  if (Status s = fetch(true, From::kBeyond, &rows_.back(), pageSize_, &f); !s) return s;
  if (f.rows.empty()) {
    atEnd_ = true;
    return makeStatus(StatusCode::kNotFound, table_.def().label);
  }
  if (f.rows.size() == static_cast<size_t>(pageSize_)) {
    setPage(std::move(f.rows), false, f.exhausted);
    return Status::ok();
  }
  Record anchor = f.rows.front();
  size_t ignored = 0;
  return loadForwardFilled(From::kAtOrBeyond, &anchor, &ignored);
}

Status PageCache::previousPage() {
  if (rows_.empty()) return last();
  Fetch b;
  if (Status s = fetch(false, From::kBeyond, &rows_.front(), pageSize_, &b); !s) return s;
  if (b.rows.empty()) {
    atStart_ = true;
    return makeStatus(StatusCode::kNotFound, table_.def().label);
  }
  if (b.rows.size() == static_cast<size_t>(pageSize_) && !b.exhausted) {
    setPage(joined(std::move(b.rows), {}), false, false);
    return Status::ok();
  }
  // Fewer rows than a page before this one: that is the first page.
  return first();
}

Result<size_t> PageCache::locate(const Record& probe) {
  if (&probe.def() != &table_.def()) return Status(StatusCode::kInvalidArgument, "Localizador inválido");
  size_t firstForward = 0;
  if (Status s = loadForwardFilled(From::kLocate, &probe, &firstForward); !s) return s;
  return firstForward;
}

Status PageCache::reload() {
  if (rows_.empty()) return first();
  Record top = rows_.front();
  size_t ignored = 0;
  return loadForwardFilled(From::kAtOrBeyond, &top, &ignored);
}

Result<size_t> PageCache::refreshAround(const Record& row) {
  if (&row.def() != &table_.def()) return Status(StatusCode::kInvalidArgument, "Registro de outra tabela");
  // Where the record stands now: its new key values when it still belongs
  // to the list, else the place it had.
  Record target = row;
  bool present = false;
  if (row.recordId() != 0) {
    Status s = table_.getById(row.recordId());
    table_.endWalk();
    if (s) {
      ++recordsRead_;
      present = inRangeAndFilter(table_.buffer());
      if (present) target = table_.buffer();
    } else if (!s.is(StatusCode::kNotFound)) {
      return s;
    }
  }
  if (!rows_.empty()) {
    Record top = rows_.front();
    size_t ignored = 0;
    if (Status s = loadForwardFilled(From::kAtOrBeyond, &top, &ignored); !s) return s;
    if (present) {
      if (auto i = indexOf(target.recordId())) return *i;
    } else if (!rows_.empty() && compareRows(target, rows_.front()) >= 0 &&
               (atEnd_ || compareRows(target, rows_.back()) <= 0)) {
      size_t i = 0;
      while (i < rows_.size() && compareRows(rows_[i], target) < 0) ++i;
      return std::min(i, rows_.size() - 1);
    }
  }
  size_t firstForward = 0;
  if (Status s = loadForwardFilled(From::kAtOrBeyond, &target, &firstForward); !s) return s;
  if (rows_.empty()) return size_t{0};
  if (present)
    if (auto i = indexOf(target.recordId())) return *i;
  return std::min(firstForward, rows_.size() - 1);
}

std::optional<size_t> PageCache::indexOf(int64_t id) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].recordId() == id) return i;
  return std::nullopt;
}

int PageCache::compareRows(const Record& a, const Record& b) const {
  for (const auto& c : table_.def().keys[key_].components) {
    int d = compareField(a, b, c.field);
    if (d != 0) return c.descending ? -d : d;
  }
  return a.recordId() < b.recordId() ? -1 : (a.recordId() > b.recordId() ? 1 : 0);
}

}  // namespace vorlam
