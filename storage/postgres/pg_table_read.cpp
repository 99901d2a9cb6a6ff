// Reading a record file on the server: keyset walks, exact reads, counts.

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "storage/postgres/pg_table.h"
#include "storage/row_check.h"
#include "storage/schema.h"
#include "storage/text.h"

namespace vorlam::pg {

namespace {

constexpr int kFirstChunk = 16;
constexpr int kMaxChunk = 2048;

bool validKey(const TableDef& def, int key) {
  return key == kFileOrder || (key >= 0 && key < static_cast<int>(def.keys.size()));
}

// "$n::text" or "$n::bigint": the parameter typed as the column it meets.
std::string typedParam(const FieldDef& f, int n) { return "$" + std::to_string(n) + (f.isText() ? "::text" : "::bigint"); }

// "(a, b) > ($1, $2)": the entries strictly after (before) a position in
// the order of the sort columns `exprs`, compared with `params` by `ops`
// ('>' or '<' each); the last may be `inclusive` of equal entries.
std::string keysetCondition(const std::vector<std::string>& exprs, const std::vector<std::string>& params,
                            const std::vector<char>& ops, bool inclusive) {
  const std::string last = std::string(1, ops.back()) + (inclusive ? "=" : "");
  bool same = true;
  for (char op : ops) same = same && op == ops[0];
  std::string cond;
  if (same) {
    // A row comparison: the server seeks the index at the position.
    std::string lhs, rhs;
    for (size_t i = 0; i < exprs.size(); ++i) {
      lhs += (i ? ", " : "") + exprs[i];
      rhs += (i ? ", " : "") + params[i];
    }
    return "(" + lhs + ") " + last + " (" + rhs + ")";
  }
  // Mixed directions: the lexicographic expansion, led by a range on the
  // first column so that the index is still used.
  for (int i = static_cast<int>(exprs.size()) - 1; i >= 0; --i) {
    std::string op = i == static_cast<int>(exprs.size()) - 1 ? last : std::string(1, ops[i]);
    std::string term = exprs[i] + " " + op + " " + params[i];
    cond = cond.empty() ? term : "(" + term + " OR (" + exprs[i] + " = " + params[i] + " AND " + cond + "))";
  }
  return exprs[0] + " " + ops[0] + "= " + params[0] + " AND " + cond;
}

}  // namespace

std::string PgTable::cellParam(const FieldDef& f, const Cell& c) const {
  if (!f.isText()) return std::to_string(c.i);
  return latin1ToUtf8(clipText(c.s));
}

void PgTable::addKeyParams(Params& p, int key, const std::vector<Cell>& values) const {
  const auto& comps = def_.keys[key].components;
  for (size_t i = 0; i < comps.size() && i < values.size(); ++i)
    p.add(cellParam(def_.fields[comps[i].field], values[i]));
}

Status PgTable::readRow(const Rows& rows, int row) {
  // As in the files: every value checked against its field and the whole
  // record against its check value, so a damaged record is an error.
  int64_t id = 0, stamp = 0, check = 0;
  bool sound = rows.integer(row, 0, &id) && rows.integer(row, 1, &stamp) && rows.integer(row, 2, &check);
  buffer_.setRecordId(id);
  buffer_.setStamp(stamp);
  auto& cells = buffer_.cells();
  int col = 3;
  for (const auto& f : def_.fields) {
    for (int e = 0; e < f.dim; ++e, ++col) {
      Cell& c = cells[f.column + e];
      if (f.isText()) {
        const size_t w = static_cast<size_t>(f.typeSpec.size);
        std::string latin = utf8ToLatin1(std::string_view(rows.text(row, col), rows.length(row, col)));
        sound = sound && !rows.isNull(row, col) && latin.size() <= w;
        c.s.assign(latin, 0, latin.size() > w ? w : latin.size());
        c.s.resize(w, ' ');
      } else {
        sound = rows.integer(row, col, &c.i) && fitsField(f, c.i) && sound;
      }
    }
  }
  sound = sound && recordCheck(def_, cells, stamp) == check;
  buffer_.markClean();
  if (sound) return Status::ok();
  return Status(StatusCode::kCorrupt, defaultMessage(StatusCode::kCorrupt), path_ + ": registro " + std::to_string(id));
}

void PgTable::captureTuple(int key, std::vector<Cell>* out) const {
  out->clear();
  if (key == kFileOrder) return;
  for (const auto& comp : def_.keys[key].components) {
    const FieldDef& f = def_.fields[comp.field];
    const Cell& c = buffer_.cells()[f.column];
    out->push_back(Cell{c.i, f.isText() ? std::string(clipText(c.s)) : std::string()});
  }
}

void PgTable::rememberPosition() {
  captureTuple(walkKey_, &tuple_);
  tupleId_ = buffer_.recordId();
  anchor_ = Anchor::kTuple;
}

void PgTable::dropChunk() {
  chunk_ = Rows();
  chunkNext_ = 0;
  chunkDir_ = 0;
  chunkLast_ = false;
}

// The entries after (or before) the position, `inclusive` of entries equal
// to its key values (seek, seekBefore of a unique key, which has no record
// number to order them by).
std::string PgTable::walkSql(bool forward, bool fromTuple, bool inclusive) const {
  std::vector<std::string> exprs, params, order;
  std::vector<char> ops;
  std::string where;
  if (walkKey_ == kFileOrder) {
    order.push_back(forward ? "_id" : "_id DESC");
    if (fromTuple) where = forward ? "_id > $1::bigint" : "_id < $1::bigint";
  } else {
    const KeyDef& key = def_.keys[walkKey_];
    const int n = static_cast<int>(key.components.size());
    for (const KeyAtom& a : keyAtoms(def_, key)) {
      const FieldDef& f = def_.fields[key.components[a.component].field];
      exprs.push_back(a.stored());
      params.push_back(a.over(typedParam(f, a.component + 1)));
      ops.push_back(a.descending == !forward ? '>' : '<');
      order.push_back(exprs.back() + (a.descending == forward ? " DESC" : ""));
    }
    if (keyTakesId(key)) {
      exprs.push_back("_id");
      params.push_back("$" + std::to_string(n + 1) + "::bigint");
      ops.push_back(forward ? '>' : '<');
      order.push_back(forward ? "_id" : "_id DESC");
      inclusive = false;
    }
    where = schema::emptyKeyCondition(def_, key);
    if (fromTuple) {
      std::string cond = keysetCondition(exprs, params, ops, inclusive);
      where = where.empty() ? cond : where + " AND " + cond;
    }
  }
  std::string sql = "SELECT " + selectList_ + " FROM " + table_;
  if (!where.empty()) sql += " WHERE " + where;
  sql += " ORDER BY ";
  for (size_t i = 0; i < order.size(); ++i) sql += (i ? ", " : "") + order[i];
  // The chunk size is written into the statement (one statement per size,
  // a handful in all): the server's generic plan of a parameter limit
  // would guess a tenth of the table and may sort it all for every chunk.
  return sql + " LIMIT " + std::to_string(chunkSize_);
}

Status PgTable::fetchChunk(bool forward) {
  const bool fromTuple = anchor_ == Anchor::kTuple;
  const bool inclusive = fromTuple && walkKey_ != kFileOrder && (tupleId_ == 0 || tupleId_ == INT64_MAX);
  Params p;
  if (fromTuple && walkKey_ == kFileOrder) {
    p.add(tupleId_);
  } else if (fromTuple) {
    addKeyParams(p, walkKey_, tuple_);
    if (keyTakesId(def_.keys[walkKey_])) p.add(tupleId_);
  }
  Result<Rows> r = conn_.run(walkSql(forward, fromTuple, inclusive), p, "leitura");
  if (!r) return r.status();
  chunk_ = std::move(r).value();
  chunkNext_ = 0;
  chunkDir_ = forward ? 1 : -1;
  chunkLast_ = chunk_.size() < chunkSize_;
  if (chunkSize_ < kMaxChunk) chunkSize_ *= 2;
  return Status::ok();
}

Status PgTable::walk(bool forward) {
  const int want = forward ? 1 : -1;
  if (chunkDir_ != want || chunkNext_ >= chunk_.size()) {
    const bool ended = chunkDir_ == want && chunkLast_;
    dropChunk();
    if (ended || (forward && anchor_ == Anchor::kEnd) || (!forward && anchor_ == Anchor::kStart))
      return makeStatus(StatusCode::kNotFound, def_.label);
    if (Status s = fetchChunk(forward); !s) return s;
    if (chunk_.size() == 0) {
      dropChunk();
      return makeStatus(StatusCode::kNotFound, def_.label);
    }
  }
  // A damaged record still moves the position, so that a walk can go on
  // past it; the buffer keeps nothing of it.
  Status read = readRow(chunk_, chunkNext_++);
  rememberPosition();
  if (!read) buffer_.clear();
  return read;
}

Status PgTable::seekStart(int key) {
  if (!validKey(def_, key)) return makeStatus(StatusCode::kInvalidArgument, "chave inexistente");
  if (key != kFileOrder && def_.keys[key].dynamic) key = kFileOrder;
  dropChunk();
  walkKey_ = key;
  anchor_ = Anchor::kStart;
  tuple_.clear();
  tupleId_ = 0;
  chunkSize_ = kFirstChunk;
  return Status::ok();
}

Status PgTable::seekEnd(int key) {
  Status s = seekStart(key);
  if (s) anchor_ = Anchor::kEnd;
  return s;
}

Status PgTable::seek(int key) {
  Status s = seekStart(key);
  if (!s || walkKey_ == kFileOrder) return s;
  captureTuple(walkKey_, &tuple_);
  tupleId_ = 0;  // record numbers start at 1: "after (values, 0)" is ">= values"
  anchor_ = Anchor::kTuple;
  return Status::ok();
}

Status PgTable::seekBefore(int key) {
  Status s = seek(key);
  if (s && walkKey_ != kFileOrder) tupleId_ = INT64_MAX;
  return s;
}

Status PgTable::seekId(int64_t id) {
  Status s = seekStart(kFileOrder);
  if (!s) return s;
  tupleId_ = id - 1;
  anchor_ = Anchor::kTuple;
  return Status::ok();
}

std::string PgTable::equalityWhere(const KeyDef& key, int components, int firstParam) const {
  std::string where;
  for (const KeyAtom& a : keyAtoms(def_, key)) {
    if (a.component >= components) break;
    const FieldDef& f = def_.fields[key.components[a.component].field];
    where += (where.empty() ? "" : " AND ") + a.stored() + " = " +
             a.over(typedParam(f, firstParam + a.component));
  }
  return where;
}

Status PgTable::readOne(const std::string& sql, const Params& params, int key) {
  dropChunk();
  Result<Rows> r = conn_.run(sql, params, "leitura");
  if (!r) return r.status();
  if (r->size() == 0) return makeStatus(StatusCode::kNotFound, def_.label);
  Status read = readRow(*r, 0);
  if (!read) {
    buffer_.clear();
    return read;
  }
  walkKey_ = key;
  chunkSize_ = kFirstChunk;
  rememberPosition();
  return Status::ok();
}

Status PgTable::get(int key) {
  if (key < 0 || key >= static_cast<int>(def_.keys.size()) || def_.keys[key].dynamic)
    return makeStatus(StatusCode::kInvalidArgument, "chave inexistente");
  const KeyDef& k = def_.keys[key];
  std::string where = schema::emptyKeyCondition(def_, k);
  std::string eq = equalityWhere(k, static_cast<int>(k.components.size()), 1);
  where = where.empty() ? eq : where + " AND " + eq;
  std::string order;
  for (const KeyAtom& a : keyAtoms(def_, k)) order += a.stored() + (a.descending ? " DESC, " : ", ");
  std::vector<Cell> values;
  captureTuple(key, &values);
  Params p;
  addKeyParams(p, key, values);
  return readOne("SELECT " + selectList_ + " FROM " + table_ + " WHERE " + where + " ORDER BY " + order + "_id LIMIT 1",
                 p, key);
}

Status PgTable::getById(int64_t id) {
  return readOne("SELECT " + selectList_ + " FROM " + table_ + " WHERE _id = $1::bigint", Params().add(id),
                 kFileOrder);
}

Result<int64_t> PgTable::count() {
  Result<Rows> r = conn_.run("SELECT count(*) FROM " + table_, "contagem");
  if (!r) return r.status();
  int64_t n = 0;
  if (!r->integer(0, 0, &n)) return Status(StatusCode::kIoError, "contagem sem resultado", path_);
  return n;
}

}  // namespace vorlam::pg

namespace vorlam::pg {

namespace {

// `condition` with its '?' numbered after the parameters already in *p and
// typed as the values bound to them (texts converted to the database's
// UTF-8); '?' inside quoted names and literals are left alone.  False when
// the count of '?' is not the count of values.
bool numberedCondition(const std::string& condition, const std::vector<SqlParam>& values, Params* p,
                       std::string* out) {
  size_t next = 0;
  char quote = 0;
  for (char c : condition) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '?') {
      if (next == values.size()) return false;
      const SqlParam& v = values[next++];
      if (v.kind == SqlParam::Kind::kText) p->add(latin1ToUtf8(v.text));
      else p->add(v.integer);
      *out += "$" + std::to_string(p->size()) + (v.kind == SqlParam::Kind::kText ? "::text" : "::bigint");
      continue;
    }
    *out += c;
  }
  return next == values.size() && quote == 0;
}

}  // namespace

// The value of component `component` of key `key` in `rec`, as the next
// parameter of `p`: the text of that parameter for the statement.
std::string PgTable::pageParam(const Record& rec, int key, int component, Params* p) const {
  const FieldDef& f = def_.fields[def_.keys[key].components[component].field];
  p->add(cellParam(f, rec.cells()[f.column]));
  return typedParam(f, p->size());
}

// Where the page starts: at the located value of the component after the
// range, or at (or beyond) the anchor's entry in the key's order; empty
// from either end of the key.
std::string PgTable::pagePosition(const PageRequest& r, const std::vector<KeyAtom>& atoms, Params* p) const {
  const KeyDef& key = def_.keys[r.key];
  const int n = static_cast<int>(key.components.size());
  std::vector<std::string> exprs, params;
  std::vector<char> ops;
  if (r.from == PageFrom::kLocate && r.rangeComponents < n) {
    const std::string v = pageParam(*r.anchor, r.key, r.rangeComponents, p);
    for (const KeyAtom& a : atoms) {
      if (a.component != r.rangeComponents) continue;
      exprs.push_back(a.stored());
      params.push_back(a.over(v));
      ops.push_back(a.descending ? '<' : '>');
    }
    return keysetCondition(exprs, params, ops, true);
  }
  if (r.from == PageFrom::kBeyond || r.from == PageFrom::kAtOrBeyond) {
    std::string v;
    for (size_t i = 0; i < atoms.size(); ++i) {
      const KeyAtom& a = atoms[i];
      if (i == 0 || atoms[i - 1].component != a.component) v = pageParam(*r.anchor, r.key, a.component, p);
      exprs.push_back(a.stored());
      params.push_back(a.over(v));
      ops.push_back(r.forward != a.descending ? '>' : '<');
    }
    // A unique key orders its entries by their values alone, as its index
    // does: the record number only breaks ties of a key with duplicates.
    if (keyTakesId(key)) {
      p->add(r.anchor->recordId());
      exprs.push_back("_id");
      params.push_back("$" + std::to_string(p->size()) + "::bigint");
      ops.push_back(r.forward ? '>' : '<');
    }
    return keysetCondition(exprs, params, ops, r.from == PageFrom::kAtOrBeyond);
  }
  return {};
}

// The page's entries in the order of the key's index (the folded columns of
// text components, record number last for a key with duplicates), seeking
// it at the position as walks do; every value is a parameter, so that the
// session prepares one statement per shape of request.
bool PgTable::pageSql(const PageRequest& r, Params* p, std::string* sqlOut) const {
  const KeyDef& key = def_.keys[r.key];
  const std::vector<KeyAtom> atoms = keyAtoms(def_, key);
  std::vector<std::string> where;
  if (std::string c = schema::emptyKeyCondition(def_, key); !c.empty()) where.push_back(c);
  for (int i = 0; i < r.rangeComponents; ++i) {
    const std::string v = pageParam(*r.range, r.key, i, p);
    for (const KeyAtom& a : atoms)
      if (a.component == i) where.push_back(a.stored() + " = " + a.over(v));
  }
  if (std::string c = pagePosition(r, atoms, p); !c.empty()) where.push_back(c);
  if (r.recordSet) {
    std::string list;
    for (int64_t id : *r.recordSet) list += (list.empty() ? "" : ",") + std::to_string(id);
    p->add("{" + list + "}");
    const std::string any = "_id = ANY($" + std::to_string(p->size()) + "::bigint[])";
    where.push_back(r.insideSet ? any : "NOT (" + any + ")");
  }
  if (!r.condition.empty()) {
    std::string cond;
    if (!numberedCondition(r.condition, r.conditionParams, p, &cond)) return false;
    where.push_back("(" + cond + ")");
  }
  std::string sql = "SELECT " + selectList_ + " FROM " + table_;
  for (size_t i = 0; i < where.size(); ++i) sql += (i ? " AND " : " WHERE ") + where[i];
  sql += " ORDER BY ";
  for (const KeyAtom& a : atoms) sql += a.stored() + (a.descending == r.forward ? " DESC, " : ", ");
  if (keyTakesId(key)) sql += r.forward ? "_id, " : "_id DESC, ";
  sql.resize(sql.size() - 2);
  // The limit is written in, as for walks: a page has a handful of sizes.
  *sqlOut = sql + " LIMIT " + std::to_string(r.limit);
  return true;
}

Status PgTable::selectPage(const PageRequest& request, PageSelection* out) {
  if (!request.condition.empty() && request.conditionDialect != SqlDialect::kPostgres)
    return Status(StatusCode::kUnsupported, "Condição em SQL do arquivo local não se aplica ao servidor PostgreSQL",
                  path_);
  Params p;
  std::string sql;
  if (!pageSql(request, &p, &sql))
    return Status(StatusCode::kInvalidArgument, "Condição da página sem os valores de seus parâmetros", path_);
  Result<Rows> rows = conn_.run(sql, p, "leitura");
  if (!rows) return rows.status();
  // The records come with their numbers: one round trip for the page.
  for (int i = 0; i < rows->size(); ++i) {
    if (Status s = readRow(*rows, i); !s) {
      buffer_.clear();
      out->ids.clear();
      out->records.clear();
      return s;
    }
    out->ids.push_back(buffer_.recordId());
    out->records.push_back(buffer_);
  }
  return Status::ok();
}

}  // namespace vorlam::pg
