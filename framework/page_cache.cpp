#include "framework/page_cache.h"

#include <sqlite3.h>

#include <algorithm>

#include "storage/text.h"

namespace vorlam {

namespace {

// The storage column of a field (its first element), quoted: the field's
// name without prefix in ASCII upper case, the layout BoundFilter::toSql
// relies on as well.
std::string columnOf(const TableDef& def, int field) {
  std::string name = def.baseName(field);
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (def.fields[field].dim > 1) name += "[1]";
  std::string quoted = "\"";
  for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

SqlParam paramOf(const Record& r, int field) {
  const FieldDef& f = r.def().fields[field];
  const Cell& c = r.cells()[f.column];
  if (f.isText()) return SqlParam::ofText(std::string(clipText(c.s)));
  return SqlParam::ofInteger(c.i);
}

void bindAll(sqlite3_stmt* st, const std::vector<SqlParam>& params) {
  for (size_t i = 0; i < params.size(); ++i) {
    int n = static_cast<int>(i + 1);
    if (params[i].kind == SqlParam::Kind::kInteger)
      sqlite3_bind_int64(st, n, params[i].integer);
    else
      sqlite3_bind_text(st, n, params[i].text.data(), static_cast<int>(params[i].text.size()), SQLITE_TRANSIENT);
  }
}

int compareField(const Record& a, const Record& b, int field) {
  const FieldDef& f = a.def().fields[field];
  const Cell& x = a.cells()[f.column];
  const Cell& y = b.cells()[f.column];
  if (f.isText()) return compareText(x.s, y.s);
  return x.i < y.i ? -1 : (x.i > y.i ? 1 : 0);
}

// One term of a position condition: a column, its comparison in the walk's
// direction, and the anchor's value.
struct Term {
  std::string column;
  char op;  // '>' or '<'
  SqlParam value;
};

// "(c0 op ? OR (c0 = ? AND (c1 op ? OR ...)))": strict lexicographic order
// over terms whose directions differ.  The last term may be inclusive.
std::string expandTerms(const std::vector<Term>& t, size_t i, bool inclusive, std::vector<SqlParam>* params) {
  std::string op(1, t[i].op);
  if (i + 1 == t.size()) {
    params->push_back(t[i].value);
    return t[i].column + " " + op + (inclusive ? "= ?" : " ?");
  }
  params->push_back(t[i].value);
  params->push_back(t[i].value);
  std::string rest = expandTerms(t, i + 1, inclusive, params);
  return "(" + t[i].column + " " + op + " ? OR (" + t[i].column + " = ? AND " + rest + "))";
}

std::string positionCondition(const std::vector<Term>& terms, bool inclusive, std::vector<SqlParam>* params) {
  bool same = std::all_of(terms.begin(), terms.end(), [&](const Term& t) { return t.op == terms[0].op; });
  if (same) {
    // A row-value comparison lets the planner seek the index directly.
    std::string lhs, rhs;
    for (const Term& t : terms) {
      lhs += (lhs.empty() ? "" : ", ") + t.column;
      rhs += rhs.empty() ? "?" : ", ?";
      params->push_back(t.value);
    }
    return "(" + lhs + ") " + terms[0].op + (inclusive ? "= (" : " (") + rhs + ")";
  }
  // Lead with a range term on the first column so the index is still used.
  params->push_back(terms[0].value);
  std::string lead = terms[0].column + " " + terms[0].op + "= ?";
  return lead + " AND " + expandTerms(terms, 0, inclusive, params);
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
  pushed_ = filter_.toSql(&pushedWhere_, &pushedParams_);
  if (!pushed_) filter_.toSqlPrefilter(&pushedWhere_, &pushedParams_);
  pushedChecked_ = false;
  dropUnpreparableFilter();
  setPage({}, true, true);
}

void PageCache::dropUnpreparableFilter() {
  sqlite3* db = table_.connection();
  if (pushedChecked_ || pushedWhere_.empty() || db == nullptr) return;
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

Status PageCache::selectIds(bool forward, From from, const Record* anchor, size_t limit, std::vector<int64_t>* ids) {
  const TableDef& def = table_.def();
  const KeyDef& key = def.keys[key_];
  std::vector<std::string> where;
  std::vector<SqlParam> params;
  if (key.excludeEmpty) {
    // Records whose key is all blank or zero have no entry in this key.
    std::string any;
    for (const auto& c : key.components)
      any += (any.empty() ? "" : " OR ") + columnOf(def, c.field) + (def.fields[c.field].isText() ? " <> ''" : " <> 0");
    where.push_back("(" + any + ")");
  }
  for (int i = 0; i < rangeCount_; ++i) {
    where.push_back(columnOf(def, key.components[i].field) + " = ?");
    params.push_back(paramOf(*rangeValues_, key.components[i].field));
  }
  if (from == From::kLocate && rangeCount_ < static_cast<int>(key.components.size())) {
    const KeyComponent& c = key.components[rangeCount_];
    where.push_back(columnOf(def, c.field) + (c.descending ? " <= ?" : " >= ?"));
    params.push_back(paramOf(*anchor, c.field));
  } else if (from == From::kBeyond || from == From::kAtOrBeyond) {
    std::vector<Term> terms;
    for (const auto& c : key.components)
      terms.push_back({columnOf(def, c.field), (forward != c.descending) ? '>' : '<', paramOf(*anchor, c.field)});
    terms.push_back({"_id", forward ? '>' : '<', SqlParam::ofInteger(anchor->recordId())});
    where.push_back(positionCondition(terms, from == From::kAtOrBeyond, &params));
  }
  if (recordSet_) {
    // Record numbers are integers of our own: written into the statement,
    // they need no parameter per number (a set may hold the whole file).
    std::string list;
    for (int64_t id : recordSet_->ids) list += (list.empty() ? "" : ",") + std::to_string(id);
    where.push_back(std::string("_id ") + (recordSet_->inside ? "IN (" : "NOT IN (") + list + ")");
  }
  if (!pushedWhere_.empty()) {  // the whole filter, or the part the storage can apply
    where.push_back("(" + pushedWhere_ + ")");
    params.insert(params.end(), pushedParams_.begin(), pushedParams_.end());
  }
  std::string order;
  for (const auto& c : key.components)
    order += columnOf(def, c.field) + ((c.descending == forward) ? " DESC, " : ", ");
  order += forward ? "_id" : "_id DESC";
  std::string sql = "SELECT _id FROM records";
  for (size_t i = 0; i < where.size(); ++i) sql += (i ? " AND " : " WHERE ") + where[i];
  sql += " ORDER BY " + order + " LIMIT " + std::to_string(limit);

  sqlite3* db = table_.connection();
  if (db == nullptr && table_.isOpen())
    return Status(StatusCode::kUnsupported, "Listas paginadas ainda não disponíveis no servidor PostgreSQL",
                  table_.path());
  if (db == nullptr) return makeStatus(StatusCode::kNotOpen, def.label);
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
  if (rc != SQLITE_OK) {
    Status s(StatusCode::kIoError, sqlite3_errmsg(db), table_.path());
    sqlite3_finalize(st);
    return s;
  }
  bindAll(st, params);
  ids->clear();
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) ids->push_back(sqlite3_column_int64(st, 0));
  // Finalizing ends the statement's read transaction: no snapshot is kept.
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE)
    return Status(rc == SQLITE_BUSY ? StatusCode::kBusy : StatusCode::kIoError, sqlite3_errstr(rc), table_.path());
  return Status::ok();
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
  while (status) {
    size_t need = target - out->rows.size();
    size_t limit = perRecord ? std::max<size_t>(need * 2, 64) : need + 1;
    std::vector<int64_t> ids;
    status = selectIds(forward, from, last ? &*last : anchor, limit, &ids);
    if (!status) break;
    bool exhausted = ids.size() < limit;
    for (int64_t id : ids) {
      if (out->rows.size() == target) break;
      Status s = table_.getById(id);
      if (s.is(StatusCode::kNotFound)) continue;  // deleted since the selection
      if (!s) {
        status = s;
        break;
      }
      ++recordsRead_;
      last = table_.buffer();
      if (perRecord && !filter_.matches(table_.buffer())) continue;
      out->rows.push_back(table_.buffer());
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
