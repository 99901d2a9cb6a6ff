#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "storage/platform.h"
#include "storage/schema.h"
#include "storage/server_file_set.h"
#include "storage/table.h"
#include "storage/table_impl.h"

namespace vorlam {

using table_detail::createFile;
using table_detail::removeSidecars;

Table::Table(const TableDef* def) : def_(def), buffer_(def), impl_(std::make_unique<Impl>()) {}
Table::~Table() { close(); }

bool Table::isOpen() const { return impl_->db != nullptr || impl_->server != nullptr; }
sqlite3* Table::connection() const { return impl_->db; }
JournalMode Table::journalMode() const { return impl_->journal; }
void Table::setJournalPolicy(JournalPolicy policy) { impl_->policy = policy; }
void Table::setBusyTimeout(int ms) {
  impl_->busyMs = ms;
  if (impl_->server) impl_->server->setBusyTimeout(ms);
  if (impl_->db) sqlite3_busy_timeout(impl_->db, ms);
}

void Table::setEngineTick(std::function<bool()> tick) {
  if (impl_->server) impl_->server->setEngineTick(std::move(tick));
}

void Table::close() {
  if (bulk_) rollbackBulk();
  impl_->closeDb();
  bulk_ = false;
}

bool fileExists(const std::string& path) {
  return isServerLocation(path) ? serverFileExists(path) : platform::exists(path);
}

bool directoryExists(const std::string& path) {
  return isServerLocation(path) ? serverDirectoryExists(path) : platform::isDirectory(path);
}

std::vector<std::string> subdirectories(const std::string& path) {
  if (isServerLocation(path)) {
    Result<std::vector<std::string>> names = listServerDirectories(path);
    return names ? names.value() : std::vector<std::string>();
  }
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(path, ec))
    if (e.is_directory(ec)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

Status makeDirectories(const std::string& path) {
  if (path.empty()) return Status::ok();
  if (isServerLocation(path)) return makeServerDirectories(path);
  // The root of a share ("\\server\share") cannot be created: start below it.
  size_t first = 0;
  if (path.size() > 2 && platform::isSeparator(path[0]) && platform::isSeparator(path[1])) {
    int seen = 0;
    for (first = 2; first < path.size() && seen < 2; ++first)
      if (platform::isSeparator(path[first])) ++seen;
  }
  for (size_t i = first; i <= path.size(); ++i) {
    if (i != path.size() && !platform::isSeparator(path[i])) continue;
    std::string cur = path.substr(0, i);
    if (cur.empty() || (cur.size() == 2 && cur[1] == ':') || platform::isDirectory(cur)) continue;
    if (Status s = platform::makeDirectory(cur); !s) return s;
  }
  return Status::ok();
}

namespace {

// Whether the file's header says it is in WAL mode (bytes 18 and 19 are 2).
bool fileInWalMode(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char header[20];
  return in.read(header, sizeof header) && header[18] == 2 && header[19] == 2;
}

// `path` as an SQLite URI, for the query parameters only URIs take.
std::string uriFor(const std::string& path) {
  std::string uri = "file:";
  if (path.size() > 1 && path[1] == ':') uri += '/';
  static const char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : path) {
    if (c == '\\') c = '/';
    if (c == '%' || c == '?' || c == '#' || c <= ' ' || c >= 0x80) {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri;
}

Status openRaw(const std::string& name, int flags, int busyMs, sqlite3** out) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(name.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    Status s = sqlite::toStatus(rc, db, name);
    sqlite3_close_v2(db);
    return s;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, busyMs);
  sqlite::registerCollation(db);
  // The file's triggers keep check values and change stamps right for other
  // SQLite clients; the engine writes both itself, so its own connections
  // fire none (and pay nothing for them).
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  *out = db;
  return Status::ok();
}

// Runs a statement that must succeed on a new connection; closes it if not.
Status setUp(sqlite3*& db, const std::string& sql) {
  Status s = sqlite::exec(db, sql);
  if (!s) {
    sqlite3_close_v2(db);
    db = nullptr;
  }
  return s;
}

// A connection that reads without writing anything into the directory.  A
// file in rollback mode is opened read-only.  One in WAL mode needs the
// log's index file: where the directory is writable it is opened as a
// writer that never writes, so that closing the last connection removes the
// log files again; on a read-only directory it is read as it stands.
Status openReader(const std::string& path, int busyMs, sqlite3** out) {
  if (!fileInWalMode(path)) return openRaw(path, SQLITE_OPEN_READONLY, busyMs, out);
  if (platform::canWriteIn(platform::parentDirectory(path))) {
    Status s = openRaw(path, SQLITE_OPEN_READWRITE, busyMs, out);
    return s ? setUp(*out, "PRAGMA query_only=1") : s;
  }
  Status s = openRaw(path, SQLITE_OPEN_READONLY, busyMs, out);
  if (s) s = setUp(*out, "SELECT count(*) FROM sqlite_schema");
  if (s || platform::exists(path + "-wal")) return s;
  // Nobody can be writing a file whose directory takes no log: read it as
  // an unchanging file.
  return openRaw(uriFor(path) + "?immutable=1", SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, busyMs, out);
}

// Puts the connection in `want`.  Leaving WAL needs every other connection
// closed, and no file on a shared folder may stay in WAL: that is a wait,
// then kBusy.  Entering WAL is only taken when nobody else objects; the
// file then stays in the safe mode.
Status setJournal(sqlite3*& db, const std::string& path, JournalMode want, JournalMode* got) {
  Statement st;
  int rc = st.prepare(db, want == JournalMode::kWal ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE");
  if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
  std::string mode;
  if (rc == SQLITE_ROW) {
    const unsigned char* t = sqlite3_column_text(st.get(), 0);
    mode = t ? reinterpret_cast<const char*>(t) : "";
  }
  st = Statement();
  Status s;
  const bool busy = (rc & 0xFF) == SQLITE_BUSY;
  if (rc != SQLITE_ROW && busy && want == JournalMode::kWal) {
    mode = "delete";  // others are in the file: it stays as it is
  } else if (rc != SQLITE_ROW && !(busy && fileInWalMode(path))) {
    s = sqlite::toStatus(rc, db, "modo do diário");
  } else if (want == JournalMode::kRollback && (rc != SQLITE_ROW || mode == "wal")) {
    s = Status(StatusCode::kBusy, "Arquivo em uso em modo WAL por outra estação", path);
  }
  if (!s) {
    sqlite3_close_v2(db);
    db = nullptr;
    return s;
  }
  *got = mode == "wal" ? JournalMode::kWal : JournalMode::kRollback;
  return setUp(db, *got == JournalMode::kWal ? "PRAGMA synchronous=NORMAL" : "PRAGMA synchronous=FULL");
}

Status openConnection(const std::string& path, bool readOnly, int busyMs, JournalMode* journal, sqlite3** out) {
  if (readOnly) return openReader(path, busyMs, out);
  Status s = openRaw(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, busyMs, out);
  return s ? setJournal(*out, path, *journal, journal) : s;
}

}  // namespace

namespace table_detail {

Status createFile(const TableDef& def, const std::string& path, JournalMode journal, sqlite3** out) {
  sqlite3* db = nullptr;
  if (Status s = openConnection(path, false, 10000, &journal, &db); !s) return s;
  Status s = sqlite::exec(db, "BEGIN");
  if (s) s = schema::create(db, def);
  if (s) s = sqlite::exec(db, "COMMIT");
  if (!s || !out) sqlite3_close_v2(db);
  if (s && out) *out = db;
  return s;
}

void removeSidecars(const std::string& path) {
  for (const char* suffix : {"-wal", "-shm", "-journal"}) (void)platform::removeFile(path + suffix);
}

}  // namespace table_detail

Status Table::open(const std::string& path, OpenMode mode) {
  close();
  path_ = path;
  if (path.empty()) return makeStatus(StatusCode::kNoName, def_->label);
  if (isServerLocation(path)) {
    Result<std::unique_ptr<TableBackend>> server = openServerTable(*def_, buffer_, path, mode, impl_->busyMs);
    if (!server) return server.status();
    impl_->server = std::move(server).value();
    impl_->mode = mode;
    impl_->journal = JournalMode::kRollback;  // the server keeps its own log
    return Status::ok();
  }
  const bool readOnly = mode == OpenMode::kReadOnly;
  const std::string dir = platform::parentDirectory(path);
  if (!fileExists(path) && (readOnly || !platform::isDirectory(dir)))
    return makeStatus(StatusCode::kFileNotFound, path);
  Impl& im = *impl_;
  im.mode = mode;
  const JournalMode want = journalModeFor(dir, im.policy.value_or(journalPolicyFromEnvironment()));
  if (Status s = im.lock.acquire(path, mode == OpenMode::kExclusive, readOnly, im.busyMs, mode == OpenMode::kDenyWrite); !s) return s;
  if (!readOnly) table_detail::removeLeftoverRebuild(path);
  // SQLite answers "busy" at once in a few places instead of waiting (a
  // change of journal mode, a log being recovered, two creators of one
  // file): the whole open is tried again within the wait limit.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(im.busyMs);
  Status s;
  for (int pause = 5;; pause = pause < 100 ? pause * 2 : pause) {
    const JournalMode now = fileInWalMode(path) ? JournalMode::kWal : JournalMode::kRollback;
    im.journal = readOnly ? now : want;
    // A file goes into WAL only while nobody else has it open: another
    // workstation that opened it in the safe mode must not find it in WAL.
    const bool probe = !readOnly && want == JournalMode::kWal && now != JournalMode::kWal &&
                       mode != OpenMode::kExclusive && im.lock.held();
    const bool alone = probe && im.lock.upgrade(0).isOk();
    if (probe && !alone) im.journal = now;
    s = openConnection(path, readOnly, im.busyMs, &im.journal, &im.db);
    if (alone) {
      Status d = im.lock.downgrade();
      if (s) s = d;
    }
    if (s) s = checkLayout();
    if (s || !s.is(StatusCode::kBusy) || std::chrono::steady_clock::now() >= deadline) break;
    im.closeConnection();
    platform::sleepMilliseconds(pause);
  }
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

// Reads the stored layout: writes a new file's, converts an older one.
Status Table::checkLayout() {
  Impl& im = *impl_;
  const bool readOnly = im.mode == OpenMode::kReadOnly;
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
    s = makeStatus(StatusCode::kCorrupt, path_);
  }
  if (s && stored.signature != schema::layoutSignature(*def_)) {
    if (stored.version > def_->version)
      s = Status(StatusCode::kCorrupt, "Arquivo gravado por uma versão mais nova do sistema", path_);
    else if (readOnly)
      s = Status(StatusCode::kAccessDenied, "Arquivo de versão antiga; abra para gravação para convertê-lo", path_);
    else
      s = upgradeInPlace(stored.signature);
  }
  if (s) s = prepareChecks();
  return s;
}

Status Table::upgradeInPlace(const std::string& storedSignature) {
  Impl& im = *impl_;
  // Nobody else may have the file open while it is replaced.
  if (im.mode != OpenMode::kExclusive) {
    if (Status s = im.lock.upgrade(im.busyMs); !s)
      return Status(StatusCode::kBusy, "Arquivo de versão antiga em uso por outra estação; não pode ser convertido",
                    path_);
  }
  im.closeConnection();
  std::string tmp = path_ + ".new";
  (void)platform::removeFile(tmp);
  removeSidecars(tmp);
  sqlite3* fresh = nullptr;
  Status s = createFile(*def_, tmp, im.journal, &fresh);
  if (s) s = schema::copyRecords(fresh, *def_, path_, storedSignature);
  if (fresh) sqlite3_close_v2(fresh);
  if (s) s = platform::syncFile(tmp);
  // The old file's journal goes first: left beside the new file, it would be
  // played back into it.
  if (s) removeSidecars(path_);
  if (s) s = platform::replaceFile(tmp, path_);
  if (s) (void)platform::syncDirectory(platform::parentDirectory(path_));
  if (!s) {
    (void)platform::removeFile(tmp);
    removeSidecars(tmp);
  }
  Status o = openConnection(path_, false, im.busyMs, &im.journal, &im.db);
  if (im.mode != OpenMode::kExclusive) {
    Status l = im.lock.downgrade();
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
