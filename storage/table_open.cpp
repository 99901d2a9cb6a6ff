#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "storage/schema.h"
#include "storage/table.h"
#include "storage/table_impl.h"

namespace vorlam {

using table_detail::createFile;
using table_detail::removeSidecars;

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

}  // namespace

namespace table_detail {

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

}  // namespace table_detail

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
  if (!readOnly) table_detail::removeLeftoverRebuild(path);
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
  if (s) s = prepareChecks();
  if (!s) {
    im.closeDb();
    return s;
  }
  im.cols = schema::columnNames(*def_);
  im.selectList = im.verify ? "_id, _stamp, _check" : "_id, _stamp, NULL";
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

}  // namespace vorlam
