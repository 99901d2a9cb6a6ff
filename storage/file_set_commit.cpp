#include "storage/file_set_commit.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>

#include "storage/file_set_journal.h"
#include "storage/server_file_set.h"
#include "storage/table_backend.h"
#include "storage/sqlite_util.h"

namespace vorlam {

namespace {

using State = FileSetCommit::State;
using Entry = FileSetCommit::Entry;
using Journal = FileSetCommit::Journal;

constexpr const char* kJournalName = "file-set.journal";

struct StateName {
  State state;
  const char* name;
};
constexpr StateName kStateNames[] = {
    {State::kNone, "none"},           {State::kStaged, "staged"},     {State::kCommitting, "committing"},
    {State::kCommitted, "committed"}, {State::kFinished, "finished"}, {State::kRestored, "restored"},
    {State::kRestoring, "restoring"},
};

std::string journalPath(const std::string& workDir) { return workDir + "/" + kJournalName; }

std::string absolutePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) p = path;
  std::string s = p.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

bool isInside(const std::string& path, const std::string& dir) {
  std::filesystem::path rel = std::filesystem::path(path).lexically_relative(dir);
  return !rel.empty() && *rel.begin() != "..";
}

// Names inside the work directory: "<n>-<file name>.<role>", n counting the
// targets from 1 so two targets with one name never meet.
std::string placeIn(const std::string& workDir, size_t index, const std::string& target, const char* role) {
  std::string base = std::filesystem::path(target).filename().string();
  return workDir + "/" + std::to_string(index + 1) + "-" + base + "." + role;
}
std::string sidePath(const std::string& w, size_t i, const std::string& t) { return placeIn(w, i, t, "novo"); }
std::string originalPath(const std::string& w, size_t i, const std::string& t) { return placeIn(w, i, t, "original"); }
std::string convertedPath(const std::string& w, size_t i, const std::string& t) {
  return placeIn(w, i, t, "convertido");
}

// Reads the journal of `workDir`; state kNone when there is none.
Result<Journal> loadJournal(const std::string& workDir) {
  std::string path = journalPath(workDir);
  if (!pathExists(path)) return Journal{};
  Result<std::string> text = readWholeFile(path);
  if (!text) return text.status();
  return parseFileSetJournal(*text, path);
}

// The journal of a work directory on disk or below a server location.
Result<Journal> loadJournalAt(const std::string& workDir) {
  return isServerLocation(workDir) ? readServerJournal(workDir) : loadJournal(absolutePath(workDir));
}

Status saveJournal(const FileSetIo& io, const std::string& workDir, const Journal& j) {
  return io.writeDurably(journalPath(workDir), fileSetJournalText(j));
}

// --- engine side files -----------------------------------------------------

// A rollback journal the engine would play back: it starts with the magic
// bytes (a committed journal kept by PERSIST mode has them zeroed).
bool hotJournal(const std::string& path) {
  static const unsigned char kMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
  if (fileSizeOf(path) < 8) return false;
  Result<std::string> head = readPrefix(path, sizeof kMagic);
  if (!head) return true;  // unreadable: assume the worst
  return head->size() == sizeof kMagic && std::memcmp(head->data(), kMagic, sizeof kMagic) == 0;
}

bool hasEngineLeftover(const std::string& path) {
  return fileSizeOf(path + "-wal") > 0 || hotJournal(path + "-journal");
}

Status sqliteFailure(int rc, sqlite3* db, const std::string& path) {
  StatusCode code = StatusCode::kIoError;
  int primary = rc & 0xff;
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) code = StatusCode::kBusy;
  else if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) code = StatusCode::kCorrupt;
  else if (primary == SQLITE_CANTOPEN) code = StatusCode::kFileNotFound;
  else if (primary == SQLITE_PERM || primary == SQLITE_READONLY || primary == SQLITE_AUTH)
    code = StatusCode::kAccessDenied;
  std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  return Status(code, std::string(defaultMessage(code)) + " (" + text + ")", path).setDriverCode(rc);
}

// An engine connection used for the checks; closed on destruction.
class Connection {
 public:
  ~Connection() { sqlite3_close_v2(db_); }
  Status open(const std::string& path) {
    int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
      sqlite3_extended_result_codes(db_, 1);
      sqlite3_busy_timeout(db_, 2000);
      // Text keys are ordered by the engine's collation: without it the
      // integrity check cannot read their indexes.
      rc = sqlite::registerCollation(db_);
    }
    if (rc == SQLITE_OK) return Status::ok();
    return sqliteFailure(rc, db_, path);
  }
  // Runs `sql` and returns its rows' first columns joined by newlines.
  Result<std::string> query(const char* sql, const std::string& path) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &st, nullptr);
    std::string out;
    while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
      const unsigned char* t = sqlite3_column_text(st, 0);
      if (!out.empty()) out += "\n";
      out += t ? reinterpret_cast<const char*>(t) : "";
      rc = SQLITE_OK;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return sqliteFailure(rc, db_, path);
    return out;
  }
  // Syncs the database file through the engine's own file handle, so no
  // second descriptor is opened (closing one would drop the engine's locks).
  Status sync(const std::string& path) {
    sqlite3_file* file = nullptr;
    int rc = sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file);
    if (rc == SQLITE_OK && (!file || !file->pMethods)) rc = SQLITE_CANTOPEN;
    if (rc == SQLITE_OK) rc = file->pMethods->xSync(file, SQLITE_SYNC_NORMAL);
    return rc == SQLITE_OK ? Status::ok() : sqliteFailure(rc, db_, path);
  }
  Status close(const std::string& path) {
    int rc = sqlite3_close(db_);
    if (rc != SQLITE_OK) return sqliteFailure(rc, db_, path);
    db_ = nullptr;
    return Status::ok();
  }

 private:
  sqlite3* db_ = nullptr;
};

// Lets the engine checkpoint a leftover write-ahead log or roll back a hot
// journal of `path` by opening and closing it; kBusy when one remains (the
// file is still open somewhere).
Status settleEngineFiles(const FileSetIo& io, const std::string& path) {
  if (!hasEngineLeftover(path)) return Status::ok();
  if (Status s = io.check(FileOp::kCheck, path); !s) return s;
  {
    Connection c;
    Status s = c.open(path);
    if (s) s = c.query("SELECT count(*) FROM sqlite_master", path).status();
    if (s) s = c.close(path);
    if (!s) return s;
  }
  if (hasEngineLeftover(path))
    return Status(StatusCode::kBusy,
                  "Arquivo ainda aberto por outro programa ou estação, ou seu registro de alterações não pôde ser "
                  "incorporado",
                  path);
  return Status::ok();
}

// A side file must be a sound, closed record file; it is then synced.
Status checkSideFile(const FileSetIo& io, const std::string& side) {
  if (!pathExists(side)) return Status(StatusCode::kFileNotFound, "Arquivo novo não foi gravado", side);
  if (Status s = settleEngineFiles(io, side); !s) return s;
  if (Status s = io.check(FileOp::kCheck, side); !s) return s;
  Connection c;
  if (Status s = c.open(side); !s) return s;
  Result<std::string> report = c.query("PRAGMA integrity_check", side);
  if (!report) return report.status();
  if (*report != "ok") return Status(StatusCode::kCorrupt, "Arquivo novo danificado", side + ": " + *report);
  Result<std::string> layout = c.query("SELECT count(*) FROM sqlite_master WHERE name = '_layout'", side);
  if (!layout) return layout.status();
  if (*layout != "1") return Status(StatusCode::kCorrupt, "Arquivo novo não é um arquivo de registros", side);
  if (Status s = io.check(FileOp::kSync, side); !s) return s;
  if (Status s = c.sync(side); !s) return s;
  if (Status s = c.close(side); !s) return s;
  if (hasEngineLeftover(side))
    return Status(StatusCode::kBusy, "Arquivo novo ainda aberto por outro programa", side);
  return Status::ok();
}

// Moves `from` onto `to` and makes both directory entries durable.
Status moveDurably(const FileSetIo& io, const std::string& from, const std::string& to) {
  Status s = io.rename(from, to);
  if (s) s = io.syncDir(parentDir(to));
  if (s && parentDir(from) != parentDir(to)) s = io.syncDir(parentDir(from));
  return s;
}

Status unexpectedFile(const std::string& path) {
  return Status(StatusCode::kInvalidArgument, "Arquivo inesperado no lugar de um arquivo do ajuste; verifique",
                path);
}

// Undoes the swap of one target, from whatever point it reached: the new
// file goes back to its side name, the original back to its place.  Decided
// only by which files exist, so running it again after an interruption
// continues where it stopped.
bool newInPlace(const std::string& workDir, size_t i, const Entry& e) {
  return pathExists(e.target) && (!e.existed || pathExists(originalPath(workDir, i, e.target)));
}

Status unswap(const FileSetIo& io, const std::string& workDir, size_t i, const Entry& e) {
  std::string side = sidePath(workDir, i, e.target), orig = originalPath(workDir, i, e.target);
  if (newInPlace(workDir, i, e)) {
    if (pathExists(side)) return unexpectedFile(side);
    if (Status s = settleEngineFiles(io, e.target); !s) return s;
    if (Status s = moveDurably(io, e.target, side); !s) return s;
  }
  if (e.existed && pathExists(orig)) return moveDurably(io, orig, e.target);
  return Status::ok();
}

// Removes what the engine and the open lock left beside a side file that
// is settled or gone: empty logs, journals the engine would not play back,
// shared-memory indexes and lock files.  Anything that may hold data stays.
Status removeLeftoversBeside(const FileSetIo& io, const std::string& side) {
  bool holdsData = hasEngineLeftover(side);
  for (const char* suffix : {"-journal", "-wal", "-shm", "-lck"}) {
    if (holdsData && std::strcmp(suffix, "-lck") != 0) continue;
    if (!pathExists(side + suffix)) continue;
    if (Status s = io.remove(side + suffix); !s) return s;
  }
  return Status::ok();
}

// Removes the side files of the set and what was left beside them.
Status removeSideFiles(const FileSetIo& io, const std::string& workDir, const Journal& j) {
  for (size_t i = 0; i < j.entries.size(); ++i) {
    std::string side = sidePath(workDir, i, j.entries[i].target);
    if (pathExists(side)) {
      if (Status s = settleEngineFiles(io, side); !s) return s;
      if (Status s = io.remove(side); !s) return s;
    }
    if (Status s = removeLeftoversBeside(io, side); !s) return s;
  }
  return io.syncDir(workDir);
}

// Undoes the swap of every target, newest first.  Every new file in place
// must be free before the first one moves, so a file still open elsewhere
// stops it with nothing moved.
Status unswapAll(const FileSetIo& io, const std::string& workDir, const Journal& j) {
  for (size_t i = 0; i < j.entries.size(); ++i) {
    if (!newInPlace(workDir, i, j.entries[i])) continue;
    if (Status s = settleEngineFiles(io, j.entries[i].target); !s) return s;
  }
  for (size_t i = j.entries.size(); i-- > 0;) {
    if (Status s = unswap(io, workDir, i, j.entries[i]); !s) return s;
  }
  return Status::ok();
}

// Puts every original back and drops the side files; journal "restored".
Status putOriginalsBack(const FileSetIo& io, const std::string& workDir, Journal& j) {
  if (j.state == State::kCommitting || j.state == State::kCommitted) {
    if (Status s = unswapAll(io, workDir, j); !s) return s;
  }
  if (Status s = removeSideFiles(io, workDir, j); !s) return s;
  j.state = State::kRestored;
  return saveJournal(io, workDir, j);
}

// Moves one converted target into the work directory and its original back.
Status restoreOne(const FileSetIo& io, const std::string& workDir, size_t i, const Entry& e) {
  std::string orig = originalPath(workDir, i, e.target), conv = convertedPath(workDir, i, e.target);
  bool convertedInPlace = pathExists(e.target) && (!e.existed || pathExists(orig));
  if (convertedInPlace) {
    if (pathExists(conv)) {
      if (!e.existed) return Status::ok();  // created by someone after an earlier restore
      return unexpectedFile(conv);
    }
    if (Status s = settleEngineFiles(io, e.target); !s) return s;
    if (Status s = moveDurably(io, e.target, conv); !s) return s;
  }
  if (e.existed && pathExists(orig)) return moveDurably(io, orig, e.target);
  return Status::ok();
}

// One process at a time per work directory.
Status lockWorkDir(FileLock& lock, const std::string& workDir) {
  if (lock.acquire(workDir + "/file-set", true)) return Status::ok();
  return Status(StatusCode::kBusy, "Ajuste em andamento em outro programa ou estação", workDir);
}

}  // namespace

const char* FileSetCommit::stateName(State state) {
  for (const StateName& s : kStateNames)
    if (s.state == state) return s.name;
  return "?";
}

FileSetCommit::FileSetCommit(std::string workDir, FileOpHook* hook) : workDir_(std::move(workDir)), io_(hook) {}

FileSetCommit::~FileSetCommit() {
  if (server_) return;  // abandons itself
  if (state_ == State::kStaged || state_ == State::kCommitting || state_ == State::kCommitted) abandon();
}

Result<std::unique_ptr<FileSetCommit>> FileSetCommit::begin(const std::string& workDir, const std::string& label,
                                                            FileOpHook* hook) {
  if (workDir.empty()) return Status(StatusCode::kInvalidArgument, "Pasta de trabalho não informada");
  if (isServerLocation(workDir)) {
    Result<std::unique_ptr<ServerFileSet>> server = beginServerFileSet(workDir, label);
    if (!server) return server.status();
    std::unique_ptr<FileSetCommit> set(new FileSetCommit(workDir, hook));
    set->server_ = std::move(server.value());
    return set;
  }
  std::string dir = absolutePath(workDir);
  std::unique_ptr<FileSetCommit> set(new FileSetCommit(dir, hook));
  if (Status s = set->io_.makeDirs(dir); !s) return s;
  if (Status s = lockWorkDir(set->lock_, dir); !s) return s;
  if (pathExists(journalPath(dir)) || pathExists(journalPath(dir) + ".tmp"))
    return Status(StatusCode::kInvalidArgument, "Pasta de trabalho já usada por outro ajuste", dir);
  set->journal_.label = label;
  if (Status s = set->writeJournal(State::kStaged); !s) return s;
  set->state_ = State::kStaged;
  return set;
}

FileSetCommit::State FileSetCommit::state() const { return server_ ? server_->state() : state_; }

Result<std::string> FileSetCommit::stage(const std::string& target) {
  if (server_) return server_->stage(target);
  if (state_ != State::kStaged)
    return Status(StatusCode::kInvalidArgument, "Conjunto de arquivos já gravado ou descartado", workDir_);
  if (target.empty()) return makeStatus(StatusCode::kNoName);
  std::string path = absolutePath(target);
  for (const Entry& e : journal_.entries)
    if (e.target == path) return Status(StatusCode::kInvalidArgument, "Arquivo já incluído no conjunto", path);
  if (isInside(path, workDir_))
    return Status(StatusCode::kInvalidArgument, "Arquivo dentro da pasta de trabalho", path);
  uint64_t targetDev = 0, workDev = 0;
  if (!deviceOf(parentDir(path), &targetDev)) return makeStatus(StatusCode::kFileNotFound, parentDir(path));
  if (!deviceOf(workDir_, &workDev)) return makeStatus(StatusCode::kFileNotFound, workDir_);
  if (targetDev != workDev)
    return Status(StatusCode::kInvalidArgument, "Pasta de trabalho em outro disco que o arquivo", path);
  journal_.entries.push_back(Entry{path, pathExists(path)});
  if (Status s = saveJournal(io_, workDir_, journal_); !s) {
    journal_.entries.pop_back();
    return s;
  }
  return sidePath(workDir_, journal_.entries.size() - 1, path);
}

std::string FileSetCommit::sideFile(const std::string& target) const {
  if (server_) return server_->sideFile(target);
  std::string path = absolutePath(target);
  for (size_t i = 0; i < journal_.entries.size(); ++i)
    if (journal_.entries[i].target == path) return sidePath(workDir_, i, path);
  return {};
}

Status FileSetCommit::writeJournal(State state) {
  Journal j = journal_;
  j.state = state;
  if (Status s = saveJournal(io_, workDir_, j); !s) return s;
  journal_.state = state;
  return Status::ok();
}

Status FileSetCommit::checkSideFiles() {
  for (size_t i = 0; i < journal_.entries.size(); ++i) {
    Entry& e = journal_.entries[i];
    if (Status s = checkSideFile(io_, sidePath(workDir_, i, e.target)); !s) return s;
    if (Status s = settleEngineFiles(io_, e.target); !s) return s;
    e.existed = pathExists(e.target);
  }
  return io_.syncDir(workDir_);
}

Status FileSetCommit::swapIn(size_t* swapped) {
  for (size_t i = 0; i < journal_.entries.size(); ++i) {
    const Entry& e = journal_.entries[i];
    if (e.existed) {
      if (Status s = moveDurably(io_, e.target, originalPath(workDir_, i, e.target)); !s) return s;
    }
    if (Status s = moveDurably(io_, sidePath(workDir_, i, e.target), e.target); !s) return s;
    *swapped = i + 1;
  }
  return Status::ok();
}

Status FileSetCommit::rollBack(Status cause) {
  state_ = State::kCommitting;
  journal_.state = State::kCommitting;
  if (!unswapAll(io_, workDir_, journal_)) return cause;
  if (writeJournal(State::kStaged)) state_ = State::kStaged;
  return cause;
}

Status FileSetCommit::commit() {
  if (server_) return server_->commit();
  if (state_ != State::kStaged)
    return Status(StatusCode::kInvalidArgument, "Conjunto de arquivos já gravado ou descartado", workDir_);
  if (Status s = checkSideFiles(); !s) return s;
  if (Status s = writeJournal(State::kCommitting); !s) return rollBack(s);
  state_ = State::kCommitting;
  size_t swapped = 0;
  if (Status s = swapIn(&swapped); !s) return rollBack(s);
  if (Status s = writeJournal(State::kCommitted); !s) return rollBack(s);
  state_ = State::kCommitted;
  return Status::ok();
}

Status FileSetCommit::finish() {
  if (server_) return server_->finish();
  if (state_ != State::kCommitted)
    return Status(StatusCode::kInvalidArgument, "Conjunto de arquivos não gravado", workDir_);
  // The side files' open locks (and the engine's empty files) stayed behind
  // when the files moved.
  for (size_t i = 0; i < journal_.entries.size(); ++i) {
    if (Status s = removeLeftoversBeside(io_, sidePath(workDir_, i, journal_.entries[i].target)); !s) return s;
  }
  if (Status s = writeJournal(State::kFinished); !s) return s;
  state_ = State::kFinished;
  lock_.release();
  return Status::ok();
}

Status FileSetCommit::abandon() {
  if (server_) return server_->abandon();
  if (state_ != State::kStaged && state_ != State::kCommitting && state_ != State::kCommitted)
    return Status(StatusCode::kInvalidArgument, "Conjunto de arquivos já concluído ou descartado", workDir_);
  journal_.state = state_;
  if (Status s = putOriginalsBack(io_, workDir_, journal_); !s) return s;
  state_ = State::kRestored;
  lock_.release();
  return Status::ok();
}

Result<FileSetCommit::State> FileSetCommit::stateOf(const std::string& workDir) {
  Result<Journal> j = loadJournalAt(workDir);
  if (!j) return j.status();
  return j->state;
}

Status FileSetCommit::recover(const std::string& workDir, FileOpHook* hook) {
  if (isServerLocation(workDir)) return recoverServerFileSet(workDir);
  std::string dir = absolutePath(workDir);
  Result<Journal> loaded = loadJournal(dir);
  if (!loaded) return loaded.status();
  Journal j = *loaded;
  switch (j.state) {
    case State::kNone:
    case State::kFinished:
    case State::kRestored:
      return Status::ok();
    case State::kRestoring:
      return restore(dir, hook);
    default:
      break;
  }
  FileLock lock;
  if (Status s = lockWorkDir(lock, dir); !s) return s;
  // Read again under the lock: the set's own process may have moved on.
  loaded = loadJournal(dir);
  if (!loaded) return loaded.status();
  j = *loaded;
  if (j.state == State::kNone || j.state == State::kFinished || j.state == State::kRestored) return Status::ok();
  if (j.state == State::kRestoring) return restoreLocked(dir, j, FileSetIo(hook));
  return putOriginalsBack(FileSetIo(hook), dir, j);
}

Status FileSetCommit::restore(const std::string& workDir, FileOpHook* hook) {
  if (isServerLocation(workDir)) return restoreServerFileSet(workDir);
  std::string dir = absolutePath(workDir);
  FileLock lock;
  if (pathExists(dir)) {
    if (Status s = lockWorkDir(lock, dir); !s) return s;
  }
  Result<Journal> loaded = loadJournal(dir);
  if (!loaded) return loaded.status();
  Journal j = *loaded;
  if (j.state == State::kNone) return Status(StatusCode::kFileNotFound, "Nenhum ajuste nesta pasta", dir);
  if (j.state == State::kRestored) return Status::ok();
  if (j.state != State::kFinished && j.state != State::kRestoring) return putOriginalsBack(FileSetIo(hook), dir, j);
  return restoreLocked(dir, j, FileSetIo(hook));
}

Status FileSetCommit::restoreLocked(const std::string& dir, Journal j, const FileSetIo& io) {
  if (j.state == State::kFinished) {
    // Every converted file must be free before the first one moves, so a
    // refused restore leaves the set finished, not half restored.
    for (const Entry& e : j.entries) {
      if (!pathExists(e.target)) continue;
      if (Status s = settleEngineFiles(io, e.target); !s) return s;
    }
    j.state = State::kRestoring;
    if (Status s = saveJournal(io, dir, j); !s) return s;
  }
  for (size_t i = j.entries.size(); i-- > 0;) {
    if (Status s = restoreOne(io, dir, i, j.entries[i]); !s) return s;
  }
  j.state = State::kRestored;
  return saveJournal(io, dir, j);
}

Result<std::string> FileSetCommit::label(const std::string& workDir) {
  Result<Journal> j = loadJournalAt(workDir);
  if (!j) return j.status();
  if (j->state == State::kNone) return Status(StatusCode::kFileNotFound, "Nenhum ajuste nesta pasta", workDir);
  return j->label;
}

Result<std::vector<std::string>> FileSetCommit::targets(const std::string& workDir) {
  Result<Journal> j = loadJournalAt(workDir);
  if (!j) return j.status();
  if (j->state == State::kNone) return Status(StatusCode::kFileNotFound, "Nenhum ajuste nesta pasta", workDir);
  std::vector<std::string> out;
  for (const Entry& e : j->entries) out.push_back(e.target);
  return out;
}

}  // namespace vorlam
