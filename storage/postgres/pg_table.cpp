// Opening a record file on the server, its locks, properties and
// maintenance; and the server-side free functions of table_backend.h.

#include "storage/postgres/pg_table.h"

#include <climits>

#include "storage/schema.h"

namespace vorlam {

Result<std::unique_ptr<TableBackend>> openServerTable(const TableDef& def, Record& buffer, const std::string& path,
                                                      OpenMode mode, int busyMs) {
  auto table = std::make_unique<pg::PgTable>(def, buffer);
  if (Status s = table->open(path, mode, busyMs); !s) return s;
  return std::unique_ptr<TableBackend>(std::move(table));
}

Status checkServerLocation(const std::string& root) {
  Result<pg::Location> loc = pg::parseLocation(root);
  if (!loc) return loc.status();
  pg::Connection c;
  if (Status s = c.connect(loc->uri, 10000); !s) return s;
  return pg::ensureCatalog(c);
}

bool serverFileExists(const std::string& path) {
  Result<pg::Location> loc = pg::parseLocation(path);
  if (!loc || loc->file.empty()) return false;
  pg::Connection c;
  if (!c.connect(loc->uri, 10000)) return false;
  Result<pg::Rows> r = c.run("SELECT to_regclass('vorlam_files') IS NOT NULL", "catálogo");
  if (!r || r->size() != 1 || std::string(r->text(0, 0)) != "t") return false;
  r = c.run("SELECT 1 FROM vorlam_files WHERE path = $1", pg::Params().add(loc->file), "catálogo");
  return r && r->size() == 1;
}

Status makeServerDirectories(const std::string& path) {
  Result<pg::Location> loc = pg::parseLocation(path);
  if (!loc) return loc.status();
  pg::Connection c;
  if (Status s = c.connect(loc->uri, 10000); !s) return s;
  if (Status s = pg::ensureCatalog(c); !s) return s;
  return pg::makeDirectories(c, loc->file);
}

Result<std::vector<ServerFile>> listServerFiles(const std::string& root) {
  Result<pg::Location> loc = pg::parseLocation(root);
  if (!loc) return loc.status();
  pg::Connection c;
  if (Status s = c.connect(loc->uri, 10000); !s) return s;
  if (Status s = pg::ensureCatalog(c); !s) return s;
  Result<pg::Rows> r = c.run(
      "SELECT spelled, label FROM vorlam_files WHERE $1 = '' OR starts_with(path, $1 || '/') ORDER BY path",
      pg::Params().add(loc->file), "catálogo");
  if (!r) return r.status();
  std::vector<ServerFile> files;
  for (int i = 0; i < r->size(); ++i) {
    std::string path = r->text(i, 0);
    if (!loc->file.empty()) path = path.substr(loc->file.size() + 1);
    files.push_back({path, r->text(i, 1)});
  }
  return files;
}

Status removeServerFiles(const std::string& path, int* removed) {
  if (removed) *removed = 0;
  Result<pg::Location> loc = pg::parseLocation(path);
  if (!loc) return loc.status();
  pg::Connection c;
  if (Status s = c.connect(loc->uri, 10000); !s) return s;
  if (Status s = pg::ensureCatalog(c); !s) return s;
  if (Status s = c.exec(std::string("BEGIN; ") + pg::catalogLockSql(), "remover arquivos"); !s) return s;
  Result<pg::Rows> r = c.run("SELECT path FROM vorlam_files WHERE $1 = '' OR path = $1 OR starts_with(path, $1 || '/')",
                             pg::Params().add(loc->file), "remover arquivos");
  Status s = r.status();
  int n = 0;
  for (int i = 0; s && i < r->size(); ++i) {
    pg::FileEntry entry;
    bool found = false;
    s = pg::findFile(c, r->text(i, 0), &entry, &found);
    if (s && found) s = pg::dropFile(c, entry);
    if (s) ++n;
  }
  if (s)
    s = c.run("DELETE FROM vorlam_dirs WHERE $1 = '' OR path = $1 OR starts_with(path, $1 || '/')",
              pg::Params().add(loc->file), "remover arquivos")
            .status();
  if (s)
    s = c.run("DELETE FROM vorlam_texts WHERE $1 = '' OR starts_with(path, $1 || '/')", pg::Params().add(loc->file),
              "remover arquivos")
            .status();
  if (s) s = c.commit("remover arquivos");
  if (!s && c.inTransaction()) (void)c.exec("ROLLBACK", "remover arquivos");
  if (s && removed) *removed = n;
  return s;
}

namespace pg {

Status PgTable::open(const std::string& path, OpenMode mode, int busyMs) {
  path_ = path;
  mode_ = mode;
  Result<Location> loc = parseLocation(path);
  if (!loc) return loc.status();
  if (loc->file.empty()) return Status(StatusCode::kInvalidArgument, "Caminho sem nome de arquivo", path);
  if (Status s = conn_.connect(loc->uri, busyMs); !s) return s;
  // Rows a deferred bulk run still gathers are sent before anything waits
  // for the server, so that every read sees them.
  conn_.setBeforeWait([this] { return sendBatch(); });
  if (Status s = ensureCatalog(conn_); !s) return s;
  return openFile(*loc, mode);
}

Status PgTable::openFile(const Location& loc, OpenMode mode) {
  bool found = false;
  if (Status s = findFile(conn_, loc.file, &file_, &found); !s) return s;
  if (!found && mode == OpenMode::kReadOnly) return makeStatus(StatusCode::kFileNotFound, path_);
  if (!found) {
    const size_t slash = loc.file.rfind('/');
    bool dirThere = false;
    Status s = directoryExists(conn_, slash == std::string::npos ? "" : loc.file.substr(0, slash), &dirThere);
    if (!s) return s;
    if (!dirThere) return makeStatus(StatusCode::kFileNotFound, path_);
  }
  if (!found) {
    // Another workstation may be creating the same file right now: decide
    // under the catalog's lock.
    Status s = conn_.exec(std::string("BEGIN; ") + catalogLockSql(), "criar arquivo");
    if (s) s = findFile(conn_, loc.file, &file_, &found);
    if (s && !found) s = createFile(conn_, def_, loc, &file_);
    if (s) s = conn_.commit("criar arquivo");
    if (!s) {
      if (conn_.inTransaction()) (void)conn_.exec("ROLLBACK", "criar arquivo");
      return s;
    }
  }
  const char* lock = mode == OpenMode::kExclusive ? "pg_advisory_lock" : "pg_advisory_lock_shared";
  Result<Rows> r = conn_.run(std::string("SELECT ") + lock + "($1::int, 0)", Params().add(int64_t{file_.id}),
                             "abrir arquivo");
  if (!r) return conn_.lastFailure() == Failure::kLockTimeout ? makeStatus(StatusCode::kAccessDenied, path_)
                                                              : r.status();
  // Writers share the file's write lock; a deny-write open takes it alone,
  // so it waits for the writers and keeps new ones out, readers not.
  if (mode == OpenMode::kShared || mode == OpenMode::kDenyWrite) {
    lock = mode == OpenMode::kDenyWrite ? "pg_advisory_lock" : "pg_advisory_lock_shared";
    r = conn_.run(std::string("SELECT ") + lock + "($1::int, " + std::to_string(kWriteLockKey) + ")",
                  Params().add(int64_t{file_.id}), "abrir arquivo");
    if (!r) return conn_.lastFailure() == Failure::kLockTimeout ? makeStatus(StatusCode::kAccessDenied, path_)
                                                                : r.status();
  }
  table_ = quoteIdent(file_.table);
  cols_ = schema::columnNames(def_);
  selectList_ = "_id, _stamp, _check";
  for (const auto& c : cols_) selectList_ += ", " + c;
  return checkLayout();
}

Status PgTable::checkLayout() {
  if (file_.fields == schema::layoutSignature(def_)) return Status::ok();
  if (file_.version > def_.version)
    return Status(StatusCode::kCorrupt, "Arquivo gravado por uma versão mais nova do sistema", path_);
  if (mode_ == OpenMode::kReadOnly)
    return Status(StatusCode::kAccessDenied, "Arquivo de versão antiga; abra para gravação para convertê-lo", path_);
  return convertLayout();
}

Status PgTable::ensureWritable() const {
  if (mode_ == OpenMode::kReadOnly) return makeStatus(StatusCode::kAccessDenied, def_.label);
  return Status::ok();
}

void PgTable::setBusyTimeout(int ms) { (void)conn_.setLockTimeout(ms); }

// --- holds ------------------------------------------------------------------

Status PgTable::hold() {
  if (Status s = ensureWritable(); !s) return s;
  const int64_t id = buffer_.recordId();
  if (id == 0) return Status(StatusCode::kInvalidArgument, "Nenhum registro lido");
  if (id > INT_MAX) return Status(StatusCode::kOutOfRange, "Número de registro alto demais para reserva", path_);
  if (holds_.count(id)) return Status::ok();  // a session takes its own locks again: count them once
  Result<Rows> r = conn_.run("SELECT pg_try_advisory_lock($1::int, $2::int)",
                             Params().add(int64_t{file_.id}).add(id), "reserva");
  if (!r) return r.status();
  if (r->size() != 1 || std::string(r->text(0, 0)) != "t")
    return Status(StatusCode::kBusy, "Registro em uso por outra estação", def_.label);
  holds_.insert(id);
  return Status::ok();
}

Status PgTable::unhold() {
  if (Status s = ensureWritable(); !s) return s;
  const int64_t id = buffer_.recordId();
  if (!holds_.count(id)) return Status::ok();
  Result<Rows> r = conn_.run("SELECT pg_advisory_unlock($1::int, $2::int)", Params().add(int64_t{file_.id}).add(id),
                             "reserva");
  if (r) holds_.erase(id);
  return r.status();
}

Result<std::vector<int64_t>> PgTable::heldRecords() {
  // The server lists every session's advisory locks: a holder that died
  // has none left, so nothing stale can show.
  Result<Rows> r = conn_.run(
      "SELECT DISTINCT objid::bigint FROM pg_locks WHERE locktype = 'advisory' AND granted AND objsubid = 2 "
      "AND database = (SELECT oid FROM pg_database WHERE datname = current_database()) "
      "AND classid = $1::int::oid AND objid BETWEEN 1 AND 2147483647 ORDER BY 1",
      Params().add(int64_t{file_.id}), "reservas");
  if (!r) return r.status();
  std::vector<int64_t> ids;
  for (int i = 0; i < r->size(); ++i) {
    int64_t id = 0;
    if (r->integer(i, 0, &id)) ids.push_back(id);
  }
  return ids;
}

Status PgTable::releaseHolds() {
  if (Status s = ensureWritable(); !s) return s;
  for (int64_t id : std::set<int64_t>(holds_)) {
    Result<Rows> r = conn_.run("SELECT pg_advisory_unlock($1::int, $2::int)",
                               Params().add(int64_t{file_.id}).add(id), "reserva");
    if (!r) return r.status();
    holds_.erase(id);
  }
  return Status::ok();
}

// --- properties ---------------------------------------------------------------

Status PgTable::setProperty(const std::string& name, const std::string& value) {
  if (Status s = ensureWritable(); !s) return s;
  return conn_
      .run("INSERT INTO vorlam_properties(file, name, value) VALUES ($1, $2, $3) "
           "ON CONFLICT (file, name) DO UPDATE SET value = EXCLUDED.value",
           Params().add(int64_t{file_.id}).add(name).add(value), "propriedade")
      .status();
}

Result<std::string> PgTable::property(const std::string& name) {
  Result<Rows> r = conn_.run("SELECT value FROM vorlam_properties WHERE file = $1 AND name = $2",
                             Params().add(int64_t{file_.id}).add(name), "propriedade");
  if (!r) return r.status();
  return r->size() == 1 ? std::string(r->text(0, 0)) : std::string();
}

Result<std::vector<std::pair<std::string, std::string>>> PgTable::properties() {
  Result<Rows> r = conn_.run("SELECT name, value FROM vorlam_properties WHERE file = $1 ORDER BY name COLLATE \"C\"",
                             Params().add(int64_t{file_.id}), "propriedades");
  if (!r) return r.status();
  std::vector<std::pair<std::string, std::string>> out;
  for (int i = 0; i < r->size(); ++i) out.emplace_back(r->text(i, 0), r->text(i, 1));
  return out;
}

// --- maintenance --------------------------------------------------------------

Status PgTable::rebuildKeys(const Progress& progress) {
  if (Status s = ensureWritable(); !s) return s;
  Result<int64_t> n = count();
  int64_t total = n ? n.value() : 0;
  for (size_t k = 0; k < def_.keys.size(); ++k) {
    const KeyDef& key = def_.keys[k];
    if (key.dynamic || key.components.empty()) continue;
    if (progress) progress(static_cast<int>(k), 0, total);
    if (Status s = conn_.exec("REINDEX INDEX " + quoteIdent(indexName(file_.id, k)), "recriar chaves"); !s) return s;
    if (progress) progress(static_cast<int>(k), total, total);
  }
  return Status::ok();
}

Status PgTable::pack() {
  if (Status s = ensureWritable(); !s) return s;
  if (bulk_) return Status(StatusCode::kInvalidArgument, "Arquivo em modo de gravação em lote");
  dropChunk();
  return conn_.exec("VACUUM " + table_, "compactar");
}

}  // namespace pg
}  // namespace vorlam
