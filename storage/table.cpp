#include "storage/table.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>

#include "storage/file_lock.h"
#include "storage/schema.h"
#include "storage/sqlite_util.h"
#include "storage/text.h"

namespace vorlam {

using sqlite::Statement;

namespace {

constexpr int kFirstChunk = 16;
constexpr int kMaxChunk = 2048;

enum class Dir { kNone, kForward, kBackward };

// Statements of one walk order (a key, or the file order).
struct OrderStatements {
  Statement from[2];  // rows after/before the position: [0] forward, [1] backward
  Statement all[2];   // every row from the start/end
  Statement exact;    // first row equal to the key values
  Statement maxInGroup;
};

std::string holderName() {
  char host[256] = {0};
  gethostname(host, sizeof host - 1);
  return std::string(host) + ":" + std::to_string(getpid());
}

}  // namespace

struct Table::Impl {
  sqlite3* db = nullptr;
  FileLock lock;
  OpenMode mode = OpenMode::kShared;
  int busyMs = 10000;
  std::vector<std::string> cols;  // quoted column names
  std::string selectList;
  std::vector<OrderStatements> orders;  // [0] file order, [k+1] key k
  Statement insert, erase, getById, stampOf, count;
  std::vector<std::pair<std::string, Statement>> updates;  // by changed-column mask

  // Walk state: the position is the tuple (key values, record number) of the
  // last entry read, or a sentinel; reads continue strictly after / before it.
  int walkKey = kFileOrder;
  enum class Anchor { kStart, kEnd, kTuple } anchor = Anchor::kStart;
  std::vector<Cell> tuple;  // key component values
  int64_t tupleId = 0;
  Dir dir = Dir::kNone;
  sqlite3_stmt* active = nullptr;  // walk statement being stepped
  int chunk = kFirstChunk;
  int stepped = 0;

  ~Impl() { closeDb(); }
  void finalizeStatements() {
    resetWalk();
    size_t n = orders.size();
    orders.clear();
    orders.resize(n);
    insert = Statement();
    updates.clear();
    erase = Statement();
    getById = Statement();
    stampOf = Statement();
    count = Statement();
  }
  void closeDb() {
    finalizeStatements();
    orders.clear();
    if (db) sqlite3_close_v2(db);
    db = nullptr;
    lock.release();
  }
  void resetWalk() {
    if (active) sqlite3_reset(active);
    active = nullptr;
    dir = Dir::kNone;
  }
};

Table::Table(const TableDef* def) : def_(def), buffer_(def), impl_(std::make_unique<Impl>()) {}
Table::~Table() { close(); }

bool Table::isOpen() const { return impl_->db != nullptr; }
sqlite3* Table::connection() const { return impl_->db; }
void Table::setBusyTimeout(int ms) {
  impl_->busyMs = ms;
  if (impl_->db) sqlite3_busy_timeout(impl_->db, ms);
}

void Table::close() {
  if (bulk_) rollbackBulk();
  impl_->closeDb();
  bulk_ = false;
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

Status makeDirectories(const std::string& path) {
  if (path.empty()) return Status::ok();
  std::string cur;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (!cur.empty() && !fileExists(cur) && ::mkdir(cur.c_str(), 0777) != 0 && errno != EEXIST)
        return makeStatus(errno == EACCES ? StatusCode::kAccessDenied : StatusCode::kIoError, cur);
    }
    if (i < path.size()) cur += path[i];
  }
  return Status::ok();
}

namespace {

std::string directoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

Status openConnection(const std::string& path, bool readOnly, int busyMs, sqlite3** out) {
  int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) | SQLITE_OPEN_NOMUTEX;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    Status s = sqlite::toStatus(rc, db, path);
    sqlite3_close_v2(db);
    return s;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, busyMs);
  sqlite::registerCollation(db);
  if (!readOnly) {
    Status s = sqlite::exec(db, "PRAGMA journal_mode=WAL");
    if (s) s = sqlite::exec(db, "PRAGMA synchronous=NORMAL");
    if (!s) {
      sqlite3_close_v2(db);
      return s;
    }
  }
  *out = db;
  return Status::ok();
}

// Creates `path` as a new, empty record file of `def`.
Status createFile(const TableDef& def, const std::string& path, sqlite3** out) {
  sqlite3* db = nullptr;
  if (Status s = openConnection(path, false, 10000, &db); !s) return s;
  Status s = sqlite::exec(db, "BEGIN");
  if (s) s = schema::create(db, def);
  if (s) s = sqlite::exec(db, "COMMIT");
  if (!s || !out) sqlite3_close_v2(db);
  if (s && out) *out = db;
  return s;
}

void removeSidecars(const std::string& path) {
  std::remove((path + "-wal").c_str());
  std::remove((path + "-shm").c_str());
}

}  // namespace

Status Table::open(const std::string& path, OpenMode mode) {
  close();
  path_ = path;
  if (path.empty()) return makeStatus(StatusCode::kNoName, def_->label);
  bool readOnly = mode == OpenMode::kReadOnly;
  bool exists = fileExists(path);
  if (!exists && (readOnly || !fileExists(directoryOf(path)))) return makeStatus(StatusCode::kFileNotFound, path);
  Impl& im = *impl_;
  im.mode = mode;
  if (Status s = im.lock.acquire(path, mode == OpenMode::kExclusive); !s) return s;
  if (Status s = openConnection(path, readOnly, im.busyMs, &im.db); !s) {
    im.closeDb();
    return s;
  }
  schema::StoredLayout stored;
  Status s = schema::readLayout(im.db, &stored);
  if (s && !stored.present && !readOnly) {
    // Another workstation may be creating the same file right now: decide
    // inside the write lock.
    s = sqlite::exec(im.db, "BEGIN IMMEDIATE");
    if (s) s = schema::readLayout(im.db, &stored);
    if (s && !stored.present) s = schema::create(im.db, *def_);
    if (s) s = sqlite::exec(im.db, "COMMIT");
    else sqlite::exec(im.db, "ROLLBACK");
    if (s && !stored.present) {
      stored.present = true;
      stored.signature = schema::layoutSignature(*def_);
      stored.version = def_->version;
    }
  } else if (s && !stored.present) {
    s = makeStatus(StatusCode::kCorrupt, path);
  }
  if (s && stored.signature != schema::layoutSignature(*def_)) {
    if (stored.version > def_->version)
      s = Status(StatusCode::kCorrupt, "Arquivo gravado por uma versão mais nova do sistema", path);
    else if (readOnly)
      s = Status(StatusCode::kAccessDenied, "Arquivo de versão antiga; abra para gravação para convertê-lo", path);
    else
      s = upgradeInPlace(stored.signature);
  }
  if (!s) {
    im.closeDb();
    return s;
  }
  im.cols = schema::columnNames(*def_);
  im.selectList = "_id, _stamp";
  for (const auto& c : im.cols) im.selectList += ", " + c;
  im.orders.clear();
  im.orders.resize(def_->keys.size() + 1);
  return Status::ok();
}

Status Table::upgradeInPlace(const std::string& storedSignature) {
  Impl& im = *impl_;
  // Nobody else may have the file open while it is replaced.
  if (im.mode != OpenMode::kExclusive) {
    if (Status s = im.lock.upgrade(); !s)
      return Status(StatusCode::kBusy, "Arquivo de versão antiga em uso por outra estação; não pode ser convertido",
                    path_);
  }
  im.finalizeStatements();
  sqlite3_close_v2(im.db);
  im.db = nullptr;
  std::string tmp = path_ + ".new";
  std::remove(tmp.c_str());
  removeSidecars(tmp);
  sqlite3* fresh = nullptr;
  Status s = createFile(*def_, tmp, &fresh);
  if (s) s = schema::copyRecords(fresh, *def_, path_, storedSignature);
  if (fresh) sqlite3_close_v2(fresh);
  if (s && std::rename(tmp.c_str(), path_.c_str()) != 0) s = makeStatus(StatusCode::kIoError, path_);
  if (!s) {
    std::remove(tmp.c_str());
    removeSidecars(tmp);
  } else {
    removeSidecars(path_);
  }
  Status o = openConnection(path_, false, im.busyMs, &im.db);
  if (im.mode != OpenMode::kExclusive) {
    im.lock.release();
    Status l = im.lock.acquire(path_, false);
    if (o) o = l;
  }
  return s ? o : s;
}

Status Table::ensureWritable() const {
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (impl_->mode == OpenMode::kReadOnly) return makeStatus(StatusCode::kAccessDenied, def_->label);
  return Status::ok();
}

// --- reading --------------------------------------------------------------

namespace {

// `copy`: the statement keeps running after the cell changes (walks), so
// SQLite must take its own copy of the text.
void bindCell(sqlite3_stmt* st, int index, const FieldDef& f, const Cell& c, bool copy = false) {
  if (f.isText()) {
    std::string_view t = clipText(c.s);
    sqlite3_bind_text(st, index, t.data(), static_cast<int>(t.size()), copy ? SQLITE_TRANSIENT : SQLITE_STATIC);
  } else {
    sqlite3_bind_int64(st, index, c.i);
  }
}

}  // namespace

void Table::readRow(sqlite3_stmt* st) {
  buffer_.setRecordId(sqlite3_column_int64(st, 0));
  buffer_.setStamp(sqlite3_column_int64(st, 1));
  auto& cells = buffer_.cells();
  int col = 2;
  for (const auto& f : def_->fields) {
    for (int e = 0; e < f.dim; ++e, ++col) {
      Cell& c = cells[f.column + e];
      if (f.isText()) {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        int n = sqlite3_column_bytes(st, col);
        size_t w = static_cast<size_t>(f.typeSpec.size);
        c.s.assign(p ? p : "", n > static_cast<int>(w) ? w : static_cast<size_t>(n));
        c.s.resize(w, ' ');
      } else {
        c.i = sqlite3_column_int64(st, col);
      }
    }
  }
  buffer_.markClean();
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
        bool same = true;
        for (const auto& c : key.components) {
          names.push_back(im.cols[def_->fields[c.field].column]);
          ops.push_back((c.descending == !forward) ? '>' : '<');
          if (ops.back() != ops.front()) same = false;
        }
        names.push_back("_id");
        ops.push_back(forward ? '>' : '<');
        if (ops.back() != ops.front()) same = false;
        std::string cond;
        if (same) {
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
      readRow(im.active);
      rememberPosition();
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

Status Table::next() { return walk(true); }
Status Table::previous() { return walk(false); }

void Table::endWalk() { impl_->resetWalk(); }

namespace {
bool validKey(const TableDef& def, int key) {
  return key == kFileOrder || (key >= 0 && key < static_cast<int>(def.keys.size()));
}
}  // namespace

Status Table::seekStart(int key) {
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
  Status s = seekStart(key);
  if (s) impl_->anchor = Impl::Anchor::kEnd;
  return s;
}

Status Table::seek(int key) {
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
  Status s = seek(key);
  if (s && impl_->walkKey != kFileOrder) impl_->tupleId = INT64_MAX;
  return s;
}

Status Table::seekId(int64_t id) {
  Status s = seekStart(kFileOrder);
  if (!s) return s;
  impl_->tupleId = id - 1;
  impl_->anchor = Impl::Anchor::kTuple;
  return Status::ok();
}

Status Table::get(int key) {
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
    readRow(st.get());
    st.reset();
    im.walkKey = key;
    im.chunk = kFirstChunk;
    rememberPosition();
    return Status::ok();
  }
  st.reset();
  return rc == SQLITE_DONE ? makeStatus(StatusCode::kNotFound, def_->label) : sqlite::toStatus(rc, im.db, "leitura");
}

Status Table::getById(int64_t id) {
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
    readRow(im.getById.get());
    im.getById.reset();
    im.walkKey = kFileOrder;
    rememberPosition();
    return Status::ok();
  }
  im.getById.reset();
  return rc == SQLITE_DONE ? makeStatus(StatusCode::kNotFound, def_->label) : sqlite::toStatus(rc, im.db, "leitura");
}

Result<int64_t> Table::count() {
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

// --- writing --------------------------------------------------------------

Status Table::writeFailure(int rc, const char* what) {
  Impl& im = *impl_;
  if ((rc & 0xFF) != SQLITE_CONSTRAINT) return sqlite::toStatus(rc, im.db, what);
  // Find which unique key the record clashes with, for the message.
  for (size_t k = 0; k < def_->keys.size(); ++k) {
    const KeyDef& key = def_->keys[k];
    if (!key.unique || key.dynamic || key.components.empty()) continue;
    if (key.excludeEmpty && buffer_.keyIsEmpty(key)) continue;
    std::string where;
    int i = 1;
    for (const auto& c : key.components) {
      if (!where.empty()) where += " AND ";
      where += im.cols[def_->fields[c.field].column] + " = ?" + std::to_string(i++);
    }
    Statement st;
    st.prepare(im.db, "SELECT _id FROM records WHERE " + where + " AND _id <> ?" + std::to_string(i) + " LIMIT 1");
    std::vector<Cell> values;
    captureTuple(static_cast<int>(k), &values);
    bindKeyValues(st.get(), static_cast<int>(k), values, 1);
    sqlite3_bind_int64(st.get(), i, buffer_.recordId());
    if (sqlite3_step(st.get()) == SQLITE_ROW) {
      duplicatedKey_ = static_cast<int>(k);
      return makeStatus(StatusCode::kDuplicateKey, key.name);
    }
  }
  return makeStatus(StatusCode::kDuplicateKey, sqlite3_errmsg(im.db));
}

Status Table::insertRow() {
  Impl& im = *impl_;
  if (!im.insert.valid()) {
    std::string cols = "_stamp", vals = "1";
    for (size_t i = 0; i < im.cols.size(); ++i) {
      cols += ", " + im.cols[i];
      vals += ", ?" + std::to_string(i + 1);
    }
    int rc = im.insert.prepare(im.db, "INSERT INTO records(" + cols + ") VALUES (" + vals + ")");
    if (rc != SQLITE_OK) return sqlite::toStatus(rc, im.db, "preparar inclusão");
  }
  sqlite3_stmt* st = im.insert.get();
  int idx = 1;
  for (const auto& f : def_->fields)
    for (int e = 0; e < f.dim; ++e) bindCell(st, idx++, f, buffer_.cells()[f.column + e]);
  int rc = sqlite3_step(st);
  im.insert.reset();
  if (rc != SQLITE_DONE) {
    buffer_.setRecordId(0);  // the record is new: any holder of its values is the clash
    return writeFailure(rc, "inclusão");
  }
  buffer_.setRecordId(sqlite3_last_insert_rowid(im.db));
  buffer_.setStamp(1);
  buffer_.markClean();
  return Status::ok();
}

Status Table::nextNumber(int key) {
  Impl& im = *impl_;
  const KeyDef& k = def_->keys[key];
  int numbered = k.autoNumber - 1;
  if (numbered < 0 || numbered >= static_cast<int>(k.components.size())) return Status::ok();
  Statement& st = im.orders[key + 1].maxInGroup;
  const FieldDef& nf = def_->fields[k.components[numbered].field];
  if (!st.valid()) {
    std::string where;
    for (int i = 0; i < numbered; ++i) {
      if (!where.empty()) where += " AND ";
      where += im.cols[def_->fields[k.components[i].field].column] + " = ?" + std::to_string(i + 1);
    }
    std::string sql = "SELECT max(" + im.cols[nf.column] + ") FROM records";
    if (!where.empty()) sql += " WHERE " + where;
    int rc = st.prepare(im.db, sql);
    if (rc != SQLITE_OK) return sqlite::toStatus(rc, im.db, "preparar numeração");
  }
  st.reset();
  std::vector<Cell> values;
  captureTuple(key, &values);
  values.resize(numbered);
  bindKeyValues(st.get(), key, values, 1);
  int rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW) {
    st.reset();
    return sqlite::toStatus(rc, im.db, "numeração automática");
  }
  int64_t top = sqlite3_column_int64(st.get(), 0);
  st.reset();
  // "One more" is one whole unit, also for a decimal numbered field.
  const int64_t one = nf.isDecimal() ? pow10i(nf.typeSpec.places) : 1;
  if (top > nf.maxValue() - one)
    return Status(StatusCode::kOutOfRange, "Numeração automática esgotou o limite do campo", nf.name);
  if (nf.isDecimal()) {
    int64_t whole = top - top % one;  // numbers are whole; a fractional top counts from its whole part
    return buffer_.setDecimal(k.components[numbered].field, Decimal::fromUnits(whole + one, nf.typeSpec.places));
  }
  return buffer_.setInt(k.components[numbered].field, top + 1);
}

Status Table::insert() {
  if (Status s = ensureWritable(); !s) return s;
  duplicatedKey_ = -1;
  bool numbered = false;
  for (const auto& k : def_->keys) numbered = numbered || k.autoNumber > 0;
  if (!numbered) return insertRow();
  Impl& im = *impl_;
  Status s;
  for (int attempt = 0; attempt < 3; ++attempt) {
    // The write lock is held from numbering to adding, so the number taken is
    // ours across every process; the retries only cover lost races with a
    // writer that does not take it.
    bool own = !bulk_;
    if (own) {
      s = sqlite::exec(im.db, "BEGIN IMMEDIATE");
      if (!s) return s;
    }
    s = Status::ok();
    for (size_t k = 0; k < def_->keys.size() && s; ++k)
      if (def_->keys[k].autoNumber > 0) s = nextNumber(static_cast<int>(k));
    if (s) s = insertRow();
    if (own) {
      if (s) s = sqlite::exec(im.db, "COMMIT");
      if (!s) sqlite::exec(im.db, "ROLLBACK");
    }
    if (s || !s.is(StatusCode::kDuplicateKey)) return s;
    const KeyDef* dup = duplicatedKey_ >= 0 ? &def_->keys[duplicatedKey_] : nullptr;
    if (dup && dup->autoNumber == 0) return s;  // a real duplicate, not the number
  }
  return Status(StatusCode::kAutoNumberFailed, defaultMessage(StatusCode::kAutoNumberFailed), def_->label);
}

Status Table::append() {
  if (Status s = ensureWritable(); !s) return s;
  duplicatedKey_ = -1;
  return insertRow();
}

// Why a write guarded by the record's stamp touched nothing.
Status Table::staleOutcome() {
  Impl& im = *impl_;
  if (!im.stampOf.valid()) im.stampOf.prepare(im.db, "SELECT _stamp FROM records WHERE _id = ?1");
  im.stampOf.reset();
  sqlite3_bind_int64(im.stampOf.get(), 1, buffer_.recordId());
  bool exists = sqlite3_step(im.stampOf.get()) == SQLITE_ROW;
  im.stampOf.reset();
  return makeStatus(exists ? StatusCode::kChangedByOther : StatusCode::kDeletedByOther, def_->label);
}

Status Table::update() {
  if (Status s = ensureWritable(); !s) return s;
  Impl& im = *impl_;
  duplicatedKey_ = -1;
  if (buffer_.recordId() == 0) return Status(StatusCode::kInvalidArgument, "Nenhum registro lido para alterar");
  // Only the columns changed since the read are written, so that the keys
  // of untouched columns are not rewritten.
  const std::vector<char>& dirty = buffer_.dirtyColumns();
  std::string mask(dirty.begin(), dirty.end());
  Statement* upd = nullptr;
  for (auto& [m, st] : im.updates)
    if (m == mask) upd = &st;
  if (!upd) {
    if (im.updates.size() >= 16) im.updates.clear();
    std::string set = "_stamp = _stamp + 1";
    int n = 0;
    for (size_t i = 0; i < im.cols.size(); ++i)
      if (dirty[i]) set += ", " + im.cols[i] + " = ?" + std::to_string(++n);
    im.updates.emplace_back(mask, Statement());
    upd = &im.updates.back().second;
    int rc = upd->prepare(im.db, "UPDATE records SET " + set + " WHERE _id = ?" + std::to_string(n + 1) +
                                     " AND _stamp = ?" + std::to_string(n + 2));
    if (rc != SQLITE_OK) {
      im.updates.pop_back();
      return sqlite::toStatus(rc, im.db, "preparar alteração");
    }
  }
  // A change of the walk key's values would let the pending walk statement
  // meet the record again; end it (the position stays at the old values).
  if (im.active && im.walkKey != kFileOrder) {
    std::vector<Cell> now;
    captureTuple(im.walkKey, &now);
    bool same = now.size() == im.tuple.size();
    for (size_t i = 0; same && i < now.size(); ++i) same = now[i].i == im.tuple[i].i && now[i].s == im.tuple[i].s;
    if (!same) im.resetWalk();
  }
  sqlite3_stmt* st = upd->get();
  int idx = 1;
  for (const auto& f : def_->fields)
    for (int e = 0; e < f.dim; ++e)
      if (dirty[f.column + e]) bindCell(st, idx++, f, buffer_.cells()[f.column + e]);
  sqlite3_bind_int64(st, idx++, buffer_.recordId());
  sqlite3_bind_int64(st, idx, buffer_.stamp());
  int rc = sqlite3_step(st);
  upd->reset();
  if (rc != SQLITE_DONE) return writeFailure(rc, "alteração");
  if (sqlite3_changes(im.db) == 1) {
    buffer_.setStamp(buffer_.stamp() + 1);
    buffer_.markClean();
    return Status::ok();
  }
  return staleOutcome();
}

Status Table::erase() {
  if (Status s = ensureWritable(); !s) return s;
  Impl& im = *impl_;
  if (buffer_.recordId() == 0) return Status(StatusCode::kInvalidArgument, "Nenhum registro lido para excluir");
  if (!im.erase.valid()) im.erase.prepare(im.db, "DELETE FROM records WHERE _id = ?1 AND _stamp = ?2");
  im.resetWalk();
  im.erase.reset();
  sqlite3_bind_int64(im.erase.get(), 1, buffer_.recordId());
  sqlite3_bind_int64(im.erase.get(), 2, buffer_.stamp());
  int rc = sqlite3_step(im.erase.get());
  im.erase.reset();
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, im.db, "exclusão");
  if (sqlite3_changes(im.db) == 1) return Status::ok();
  return staleOutcome();
}

Status Table::beginBulk() {
  if (Status s = ensureWritable(); !s) return s;
  if (bulk_) return Status::ok();
  Status s = sqlite::exec(impl_->db, "BEGIN IMMEDIATE");
  bulk_ = s.isOk();
  return s;
}

Status Table::flush() {
  if (!bulk_) return Status::ok();
  Status s = sqlite::exec(impl_->db, "COMMIT");
  if (s) bulk_ = false;
  return s;
}

Status Table::rollbackBulk() {
  if (!bulk_) return Status::ok();
  impl_->resetWalk();
  bulk_ = false;
  return sqlite::exec(impl_->db, "ROLLBACK");
}

// --- maintenance ----------------------------------------------------------

Status Table::rebuildKeys(const Progress& progress) {
  if (Status s = ensureWritable(); !s) return s;
  Result<int64_t> n = count();
  int64_t total = n ? n.value() : 0;
  for (size_t k = 0; k < def_->keys.size(); ++k) {
    const KeyDef& key = def_->keys[k];
    if (key.dynamic || key.components.empty()) continue;
    if (progress) progress(static_cast<int>(k), 0, total);
    std::string name = sqlite::quoteIdent("k" + std::to_string(k) + "_" + [&] {
      std::string u = key.name;
      for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      return u;
    }());
    if (Status s = sqlite::exec(impl_->db, "REINDEX " + name); !s) return s;
    if (progress) progress(static_cast<int>(k), total, total);
  }
  return Status::ok();
}

Status Table::pack() {
  if (Status s = ensureWritable(); !s) return s;
  if (bulk_) return Status(StatusCode::kInvalidArgument, "Arquivo em modo de gravação em lote");
  impl_->resetWalk();
  return sqlite::exec(impl_->db, "VACUUM");
}

Status Table::integrityCheck(std::string* report) {
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Statement st;
  st.prepare(impl_->db, "PRAGMA integrity_check");
  std::string text;
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    const unsigned char* t = sqlite3_column_text(st.get(), 0);
    if (!text.empty()) text += "\n";
    text += t ? reinterpret_cast<const char*>(t) : "";
  }
  if (report) *report = text;
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, impl_->db, "verificação");
  return text == "ok" ? Status::ok() : Status(StatusCode::kCorrupt, "Arquivo danificado", text);
}

Status Table::hold() {
  if (Status s = ensureWritable(); !s) return s;
  if (buffer_.recordId() == 0) return Status(StatusCode::kInvalidArgument, "Nenhum registro lido");
  Statement st;
  st.prepare(impl_->db, "INSERT OR REPLACE INTO _holds(id, holder, since) VALUES (?1, ?2, ?3)");
  std::string who = holderName();
  sqlite3_bind_int64(st.get(), 1, buffer_.recordId());
  sqlite3_bind_text(st.get(), 2, who.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int64(st.get(), 3, static_cast<int64_t>(std::time(nullptr)));
  int rc = sqlite3_step(st.get());
  return rc == SQLITE_DONE ? Status::ok() : sqlite::toStatus(rc, impl_->db, "reserva");
}

Status Table::unhold() {
  if (Status s = ensureWritable(); !s) return s;
  Statement st;
  st.prepare(impl_->db, "DELETE FROM _holds WHERE id = ?1");
  sqlite3_bind_int64(st.get(), 1, buffer_.recordId());
  int rc = sqlite3_step(st.get());
  return rc == SQLITE_DONE ? Status::ok() : sqlite::toStatus(rc, impl_->db, "reserva");
}

Result<std::vector<int64_t>> Table::heldRecords() {
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Statement st;
  st.prepare(impl_->db, "SELECT id FROM _holds ORDER BY id");
  std::vector<int64_t> ids;
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(st.get(), 0));
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, impl_->db, "reservas");
  return ids;
}

Status Table::releaseHolds() {
  if (Status s = ensureWritable(); !s) return s;
  return sqlite::exec(impl_->db, "DELETE FROM _holds");
}

Status Table::copyTo(const std::string& target) {
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (fileExists(target)) return Status(StatusCode::kInvalidArgument, "O arquivo de destino já existe", target);
  if (bulk_) return Status(StatusCode::kInvalidArgument, "Arquivo em modo de gravação em lote");
  impl_->resetWalk();
  sqlite::exec(impl_->db, "PRAGMA wal_checkpoint(PASSIVE)");
  sqlite3* fresh = nullptr;
  Status s = createFile(*def_, target, &fresh);
  if (s) s = schema::copyRecords(fresh, *def_, path_, schema::layoutSignature(*def_));
  if (fresh) sqlite3_close_v2(fresh);
  if (!s) {
    std::remove(target.c_str());
    removeSidecars(target);
  }
  return s;
}

Status Table::rebuildFile() {
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (impl_->mode != OpenMode::kExclusive)
    return Status(StatusCode::kAccessDenied, "A cópia do arquivo exige acesso exclusivo", path_);
  impl_->resetWalk();
  return upgradeInPlace(schema::layoutSignature(*def_));
}

Status Table::setProperty(const std::string& name, const std::string& value) {
  if (Status s = ensureWritable(); !s) return s;
  Statement st;
  st.prepare(impl_->db, "INSERT OR REPLACE INTO _layout(name, value) VALUES (?1, ?2)");
  std::string key = "prop:" + name;
  sqlite3_bind_text(st.get(), 1, key.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st.get(), 2, value.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(st.get());
  return rc == SQLITE_DONE ? Status::ok() : sqlite::toStatus(rc, impl_->db, "propriedade");
}

Result<std::string> Table::property(const std::string& name) {
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Statement st;
  st.prepare(impl_->db, "SELECT value FROM _layout WHERE name = ?1");
  std::string key = "prop:" + name;
  sqlite3_bind_text(st.get(), 1, key.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(st.get());
  if (rc == SQLITE_ROW) {
    const unsigned char* v = sqlite3_column_text(st.get(), 0);
    return std::string(v ? reinterpret_cast<const char*>(v) : "");
  }
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, impl_->db, "propriedade");
  return std::string();
}

}  // namespace vorlam
