#include <algorithm>
#include <climits>

#include "storage/row_check.h"
#include "storage/schema.h"
#include "storage/table.h"
#include "storage/table_impl.h"
#include "storage/text.h"

namespace vorlam {

using table_detail::bindCell;

// --- reading --------------------------------------------------------------

namespace table_detail {

void bindCell(sqlite3_stmt* st, int index, const FieldDef& f, const Cell& c, bool copy) {
  if (f.isText()) {
    std::string_view t = clipText(c.s);
    sqlite3_bind_text(st, index, t.data(), static_cast<int>(t.size()), copy ? SQLITE_TRANSIENT : SQLITE_STATIC);
  } else {
    sqlite3_bind_int64(st, index, c.i);
  }
}

}  // namespace table_detail

Status Table::readRow(sqlite3_stmt* st) {
  // Every value is checked against its field's type and the whole row
  // against its check value as it is read: a damaged record is an error,
  // never a value.
  const int64_t id = sqlite3_column_int64(st, 0);
  buffer_.setRecordId(id);
  buffer_.setStamp(sqlite3_column_int64(st, 1));
  RowCheck check;
  check.addInt(sqlite3_column_int64(st, 1));
  bool sound = sqlite3_column_type(st, 0) == SQLITE_INTEGER && sqlite3_column_type(st, 1) == SQLITE_INTEGER;
  auto& cells = buffer_.cells();
  int col = 3;
  for (const auto& f : def_->fields) {
    for (int e = 0; e < f.dim; ++e, ++col) {
      Cell& c = cells[f.column + e];
      if (f.isText()) {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        int n = sqlite3_column_bytes(st, col);
        size_t w = static_cast<size_t>(f.typeSpec.size);
        sound = sound && p != nullptr && n <= static_cast<int>(w) && sqlite3_column_type(st, col) == SQLITE_TEXT;
        c.s.assign(p ? p : "", n > static_cast<int>(w) ? w : static_cast<size_t>(n));
        c.s.resize(w, ' ');
        if (p) check.addText(p, static_cast<size_t>(n));
      } else {
        c.i = sqlite3_column_int64(st, col);
        sound = sound && sqlite3_column_type(st, col) == SQLITE_INTEGER && fitsField(f, c.i);
        check.addInt(c.i);
      }
    }
  }
  if (impl_->verify)
    sound = sound && sqlite3_column_type(st, 2) == SQLITE_INTEGER && sqlite3_column_int64(st, 2) == check.value();
  buffer_.markClean();
  if (sound) return Status::ok();
  return Status(StatusCode::kCorrupt, defaultMessage(StatusCode::kCorrupt),
                path_ + ": registro " + std::to_string(id));
}

void Table::captureTuple(int key, std::vector<Cell>* out) const {
  if (key == kFileOrder) {
    out->clear();
    return;
  }
  // Taken after every row of a walk: the cells are overwritten in place so
  // that their strings keep their storage from one row to the next.
  const auto& components = def_->keys[key].components;
  out->resize(components.size());
  for (size_t i = 0; i < components.size(); ++i) {
    const FieldDef& f = def_->fields[components[i].field];
    const Cell& c = buffer_.cells()[f.column];
    Cell& copy = (*out)[i];
    copy.i = c.i;
    if (f.isText()) copy.s.assign(clipText(c.s));
    else copy.s.clear();
  }
}

void Table::rememberPosition() {
  Impl& im = *impl_;
  captureTuple(im.walkKey, &im.tuple);
  im.tupleId = buffer_.recordId();
  im.anchor = Impl::Anchor::kTuple;
}

void Table::bindKeyValues(sqlite3_stmt* st, int key, const std::vector<Cell>& values, int first) const {
  if (key == kFileOrder) return;
  const auto& comps = def_->keys[key].components;
  for (size_t i = 0; i < comps.size() && i < values.size(); ++i)
    bindCell(st, first + static_cast<int>(i), def_->fields[comps[i].field], values[i], true);
}

namespace {

// The entries after the one whose values are ?1, ?2, ... over columns
// `names`, each compared in its direction `ops` ('>' or '<').
std::string beyondCondition(const std::vector<std::string>& names, const std::vector<char>& ops) {
  std::string cond;
  if (std::all_of(ops.begin(), ops.end(), [&](char op) { return op == ops.front(); })) {
    // Row-value comparison: the planner seeks the index directly.
    std::string lhs, rhs;
    for (size_t i = 0; i < names.size(); ++i) {
      lhs += (i ? ", " : "") + names[i];
      rhs += (i ? ", ?" : "?") + std::to_string(i + 1);
    }
    cond = "(" + lhs + ") " + ops[0] + " (" + rhs + ")";
  } else {
    // Mixed directions: lexicographic expansion, led by a range term on
    // the first component so that the index is still used.
    for (int i = static_cast<int>(names.size()) - 1; i >= 0; --i) {
      std::string p = "?" + std::to_string(i + 1);
      std::string term = names[i] + " " + ops[i] + " " + p;
      cond = cond.empty() ? term : "(" + term + " OR (" + names[i] + " = " + p + " AND " + cond + "))";
    }
    cond = names[0] + " " + ops[0] + "= ?1 AND " + cond;
  }
  return cond;
}

}  // namespace

Status Table::prepareWalk(bool forward, bool fromTuple, sqlite3_stmt** out) {
  Impl& im = *impl_;
  OrderStatements& o = im.orders[im.walkKey + 1];
  Statement& st = fromTuple ? o.from[forward ? 0 : 1] : o.all[forward ? 0 : 1];
  if (!st.valid()) {
    std::string where, order;
    int n = 0;
    if (im.walkKey == kFileOrder) {
      order = forward ? "_id" : "_id DESC";
      if (fromTuple) where = forward ? "_id > ?1" : "_id < ?1";
    } else {
      const KeyDef& key = def_->keys[im.walkKey];
      n = static_cast<int>(key.components.size());
      order = schema::indexColumns(*def_, key, !forward) + (forward ? ", _id" : ", _id DESC");
      where = schema::emptyKeyCondition(*def_, key);
      if (fromTuple) {
        std::vector<std::string> names;
        std::vector<char> ops;
        for (const auto& c : key.components) {
          names.push_back(im.cols[def_->fields[c.field].column]);
          ops.push_back((c.descending == !forward) ? '>' : '<');
        }
        names.push_back("_id");
        ops.push_back(forward ? '>' : '<');
        const std::string cond = beyondCondition(names, ops);
        where = where.empty() ? cond : where + " AND " + cond;
      }
    }
    std::string sql = "SELECT " + im.selectList + " FROM records";
    if (!where.empty()) sql += " WHERE " + where;
    sql += " ORDER BY " + order + " LIMIT ?" + std::to_string(n + 2);
    int rc = st.prepare(im.db, sql);
    if (rc != SQLITE_OK) return sqlite::toStatus(rc, im.db, "preparar leitura");
  }
  st.reset();
  int n = im.walkKey == kFileOrder ? 0 : static_cast<int>(def_->keys[im.walkKey].components.size());
  if (fromTuple) {
    bindKeyValues(st.get(), im.walkKey, im.tuple, 1);
    sqlite3_bind_int64(st.get(), n + 1, im.tupleId);
  }
  sqlite3_bind_int(st.get(), n + 2, im.chunk);
  *out = st.get();
  return Status::ok();
}

Status Table::walk(bool forward) {
  Impl& im = *impl_;
  if (!im.db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Dir want = forward ? Dir::kForward : Dir::kBackward;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (im.active == nullptr || im.dir != want) {
      im.resetWalk();
      if ((forward && im.anchor == Impl::Anchor::kEnd) || (!forward && im.anchor == Impl::Anchor::kStart))
        return makeStatus(StatusCode::kNotFound, def_->label);
      bool fromTuple = im.anchor == Impl::Anchor::kTuple;
      if (Status s = prepareWalk(forward, fromTuple, &im.active); !s) return s;
      im.dir = want;
      im.stepped = 0;
    }
    int rc = sqlite3_step(im.active);
    if (rc == SQLITE_ROW) {
      // A damaged record still moves the position, so that a walk can go
      // on past it; the buffer keeps nothing of it.
      Status read = readRow(im.active);
      rememberPosition();
      if (!read) {
        sqlite3_reset(im.active);
        im.active = nullptr;
        buffer_.clear();
        return read;
      }
      if (++im.stepped >= im.chunk) {
        // The chunk is used up: end the statement and ask for a larger one
        // next time, so long walks cost one seek per chunk.
        sqlite3_reset(im.active);
        im.active = nullptr;
        if (im.chunk < kMaxChunk) im.chunk *= 2;
      }
      return Status::ok();
    }
    sqlite3_reset(im.active);
    im.active = nullptr;
    if (rc != SQLITE_DONE) return sqlite::toStatus(rc, im.db, "leitura");
    if (im.stepped < im.chunk) {
      // Fewer rows than asked for: the walk reached the end.
      return makeStatus(StatusCode::kNotFound, def_->label);
    }
  }
  return makeStatus(StatusCode::kNotFound, def_->label);
}

Status Table::next() {
  if (impl_->server) return impl_->server->next();
  return walk(true);
}
Status Table::previous() {
  if (impl_->server) return impl_->server->previous();
  return walk(false);
}

void Table::endWalk() {
  if (impl_->server) return impl_->server->endWalk();
  impl_->resetWalk();
}

namespace {
bool validKey(const TableDef& def, int key) {
  return key == kFileOrder || (key >= 0 && key < static_cast<int>(def.keys.size()));
}
}  // namespace

Status Table::seekStart(int key) {
  if (impl_->server) return impl_->server->seekStart(key);
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (!validKey(*def_, key)) return makeStatus(StatusCode::kInvalidArgument, "chave inexistente");
  if (key != kFileOrder && def_->keys[key].dynamic) key = kFileOrder;
  Impl& im = *impl_;
  im.resetWalk();
  im.walkKey = key;
  im.anchor = Impl::Anchor::kStart;
  im.chunk = kFirstChunk;
  return Status::ok();
}

Status Table::seekEnd(int key) {
  if (impl_->server) return impl_->server->seekEnd(key);
  Status s = seekStart(key);
  if (s) impl_->anchor = Impl::Anchor::kEnd;
  return s;
}

Status Table::seek(int key) {
  if (impl_->server) return impl_->server->seek(key);
  Status s = seekStart(key);
  if (!s) return s;
  Impl& im = *impl_;
  if (im.walkKey == kFileOrder) return Status::ok();
  captureTuple(im.walkKey, &im.tuple);
  im.tupleId = 0;  // record numbers start at 1: "after (values, 0)" is ">= values"
  im.anchor = Impl::Anchor::kTuple;
  return Status::ok();
}

Status Table::seekBefore(int key) {
  if (impl_->server) return impl_->server->seekBefore(key);
  Status s = seek(key);
  if (s && impl_->walkKey != kFileOrder) impl_->tupleId = INT64_MAX;
  return s;
}

Status Table::seekId(int64_t id) {
  if (impl_->server) return impl_->server->seekId(id);
  Status s = seekStart(kFileOrder);
  if (!s) return s;
  impl_->tupleId = id - 1;
  impl_->anchor = Impl::Anchor::kTuple;
  return Status::ok();
}

Status Table::get(int key) {
  if (impl_->server) return impl_->server->get(key);
  Impl& im = *impl_;
  if (!im.db) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (key < 0 || key >= static_cast<int>(def_->keys.size()) || def_->keys[key].dynamic)
    return makeStatus(StatusCode::kInvalidArgument, "chave inexistente");
  Statement& st = im.orders[key + 1].exact;
  const KeyDef& k = def_->keys[key];
  if (!st.valid()) {
    std::string where = schema::emptyKeyCondition(*def_, k);
    int i = 1;
    for (const auto& c : k.components) {
      if (!where.empty()) where += " AND ";
      where += im.cols[def_->fields[c.field].column] + " = ?" + std::to_string(i++);
    }
    std::string sql = "SELECT " + im.selectList + " FROM records WHERE " + where + " ORDER BY " +
                      schema::indexColumns(*def_, k, false) + ", _id LIMIT 1";
    int rc = st.prepare(im.db, sql);
    if (rc != SQLITE_OK) return sqlite::toStatus(rc, im.db, "preparar leitura");
  }
  im.resetWalk();
  st.reset();
  std::vector<Cell> values;
  captureTuple(key, &values);
  bindKeyValues(st.get(), key, values, 1);
  int rc = sqlite3_step(st.get());
  if (rc == SQLITE_ROW) {
    Status read = readRow(st.get());
    st.reset();
    if (!read) {
      buffer_.clear();
      return read;
    }
    im.walkKey = key;
    im.chunk = kFirstChunk;
    rememberPosition();
    return Status::ok();
  }
  st.reset();
  return rc == SQLITE_DONE ? makeStatus(StatusCode::kNotFound, def_->label) : sqlite::toStatus(rc, im.db, "leitura");
}

Status Table::getById(int64_t id) {
  if (impl_->server) return impl_->server->getById(id);
  Impl& im = *impl_;
  if (!im.db) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (!im.getById.valid()) {
    int rc = im.getById.prepare(im.db, "SELECT " + im.selectList + " FROM records WHERE _id = ?1");
    if (rc != SQLITE_OK) return sqlite::toStatus(rc, im.db, "preparar leitura");
  }
  im.resetWalk();
  im.getById.reset();
  sqlite3_bind_int64(im.getById.get(), 1, id);
  int rc = sqlite3_step(im.getById.get());
  if (rc == SQLITE_ROW) {
    Status read = readRow(im.getById.get());
    im.getById.reset();
    if (!read) {
      buffer_.clear();
      return read;
    }
    im.walkKey = kFileOrder;
    rememberPosition();
    return Status::ok();
  }
  im.getById.reset();
  return rc == SQLITE_DONE ? makeStatus(StatusCode::kNotFound, def_->label) : sqlite::toStatus(rc, im.db, "leitura");
}

Result<int64_t> Table::count() {
  if (impl_->server) return impl_->server->count();
  Impl& im = *impl_;
  if (!im.db) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (!im.count.valid()) im.count.prepare(im.db, "SELECT count(*) FROM records");
  im.count.reset();
  int rc = sqlite3_step(im.count.get());
  int64_t n = rc == SQLITE_ROW ? sqlite3_column_int64(im.count.get(), 0) : 0;
  im.count.reset();
  if (rc != SQLITE_ROW) return sqlite::toStatus(rc, im.db, "contagem");
  return n;
}

}  // namespace vorlam
