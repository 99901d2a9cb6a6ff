// File sets, texts and directory listings below a server location
// (server_file_set.h).

#include <cstdint>

#include "storage/file_set_journal.h"
#include "storage/postgres/pg_connection.h"
#include "storage/postgres/pg_schema.h"
#include "storage/server_file_set.h"

namespace vorlam {
namespace pg {
namespace {

using State = FileSetCommit::State;
using Entry = FileSetCommit::Entry;
using Journal = FileSetCommit::Journal;

constexpr char kJournalName[] = "file-set.journal";
// Session advisory locks of file sets are (kSetLockClass, hash of the work
// directory); open locks of files use (file number, 0), file numbers being
// serial from 1, and the catalog's lock is (0, 1).
constexpr int kSetLockClass = -3;

std::string upper(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

int32_t dirKey(const std::string& dir) {
  uint32_t h = 2166136261u;
  for (unsigned char c : upper(dir)) h = (h ^ c) * 16777619u;
  return static_cast<int32_t>(h);
}

std::string baseName(const std::string& rel) {
  const size_t slash = rel.rfind('/');
  return slash == std::string::npos ? rel : rel.substr(slash + 1);
}

std::string parentOf(const std::string& rel) {
  const size_t slash = rel.rfind('/');
  return slash == std::string::npos ? std::string() : rel.substr(0, slash);
}

bool inside(const std::string& rel, const std::string& dir) {
  const std::string a = upper(rel), d = upper(dir);
  return a.size() > d.size() && a.compare(0, d.size(), d) == 0 && a[d.size()] == '/';
}

// Names of a set's files inside its work directory, as on disk:
// "<n>-<file name>.<role>", n counting the targets from 1.
std::string placeIn(const Location& dir, size_t index, const std::string& target, const char* role) {
  return dir.spelled + "/" + std::to_string(index + 1) + "-" + baseName(target) + "." + role;
}
std::string sideOf(const Location& d, size_t i, const std::string& t) { return placeIn(d, i, t, "novo"); }
std::string originalOf(const Location& d, size_t i, const std::string& t) { return placeIn(d, i, t, "original"); }
std::string convertedOf(const Location& d, size_t i, const std::string& t) { return placeIn(d, i, t, "convertido"); }
std::string journalOf(const Location& dir) { return dir.spelled + "/" + kJournalName; }

constexpr int kConnectWaitMs = 10000;

Status connectTo(Connection& c, const Location& loc) {
  if (Status s = c.connect(loc.uri, kConnectWaitMs); !s) return s;
  return ensureCatalog(c);
}

Result<Location> locate(const std::string& path, bool needsName) {
  Result<Location> loc = parseLocation(path);
  if (!loc) return loc.status();
  if (needsName && loc->file.empty()) return Status(StatusCode::kInvalidArgument, "Caminho sem nome de arquivo", path);
  return loc;
}

// --- texts ------------------------------------------------------------------

std::string toHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

bool fromHex(const char* hex, size_t n, std::string* out) {
  auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
  if (n % 2) return false;
  out->clear();
  for (size_t i = 0; i < n; i += 2) {
    int hi = digit(hex[i]), lo = digit(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    *out += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

Status putText(Connection& c, const std::string& spelled, const std::string& text) {
  return c
      .run("INSERT INTO vorlam_texts(path, spelled, body) VALUES ($1, $2, decode($3, 'hex')) "
           "ON CONFLICT (path) DO UPDATE SET spelled = EXCLUDED.spelled, body = EXCLUDED.body",
           Params().add(upper(spelled)).add(spelled).add(toHex(text)), "gravar texto")
      .status();
}

// The text at `spelled`; `found` false when there is none.
Status getText(Connection& c, const std::string& spelled, std::string* text, bool* found) {
  Result<Rows> r =
      c.run("SELECT encode(body, 'hex') FROM vorlam_texts WHERE path = $1", Params().add(upper(spelled)), "ler texto");
  if (!r) return r.status();
  *found = r->size() == 1;
  if (*found && !fromHex(r->text(0, 0), static_cast<size_t>(r->length(0, 0)), text))
    return Status(StatusCode::kCorrupt, "Texto ilegível no servidor", spelled);
  return Status::ok();
}

// --- the catalog's files ------------------------------------------------------

Status fileId(Connection& c, const std::string& spelled, int* id) {
  FileEntry e;
  bool found = false;
  if (Status s = findFile(c, upper(spelled), &e, &found); !s) return s;
  *id = found ? e.id : 0;
  return Status::ok();
}

bool fileThere(Connection& c, const std::string& spelled, Status* s) {
  int id = 0;
  *s = fileId(c, spelled, &id);
  return *s && id != 0;
}

// Gives file `from` the name `to` (both spelled, relative); the caller's
// transaction holds the catalog's lock.
Status renameFile(Connection& c, const std::string& from, const std::string& to) {
  Result<Rows> r = c.run("UPDATE vorlam_files SET path = $2, spelled = $3 WHERE path = $1",
                         Params().add(upper(from)).add(upper(to)).add(to), "trocar arquivos");
  if (!r) return r.status();
  if (r->affected() != 1) return makeStatus(StatusCode::kFileNotFound, from);
  return Status::ok();
}

Status dropNamed(Connection& c, const std::string& spelled) {
  FileEntry e;
  bool found = false;
  if (Status s = findFile(c, upper(spelled), &e, &found); !s || !found) return s;
  return dropFile(c, e);
}

Status unexpectedFile(const std::string& path) {
  return Status(StatusCode::kInvalidArgument, "Arquivo inesperado no lugar de um arquivo do ajuste; verifique",
                path);
}

// Runs `work` in one transaction holding the catalog's lock; on failure
// nothing of it stays.
template <typename Work>
Status inTransaction(Connection& c, const char* what, Work work) {
  Status s = c.exec(std::string("BEGIN; ") + catalogLockSql(), what);
  if (s) s = work();
  if (s) s = c.commit(what);
  if (!s && c.inTransaction()) (void)c.exec("ROLLBACK", what);
  return s;
}

// --- journals -----------------------------------------------------------------

Status readJournal(Connection& c, const Location& dir, Journal* j) {
  std::string text;
  bool found = false;
  if (Status s = getText(c, journalOf(dir), &text, &found); !s) return s;
  if (!found) {
    *j = Journal{};
    return Status::ok();
  }
  Result<Journal> parsed = parseFileSetJournal(text, dir.uri + "/" + journalOf(dir));
  if (!parsed) return parsed.status();
  *j = *parsed;
  return Status::ok();
}

Status writeJournal(Connection& c, const Location& dir, const Journal& j) {
  return putText(c, journalOf(dir), fileSetJournalText(j));
}

Status lockSet(Connection& c, const Location& dir) {
  Result<Rows> r = c.run("SELECT pg_try_advisory_lock($1::int, $2::int)",
                         Params().add(int64_t{kSetLockClass}).add(int64_t{dirKey(dir.file)}), "ajuste");
  if (!r) return r.status();
  if (r->size() == 1 && std::string(r->text(0, 0)) == "t") return Status::ok();
  return Status(StatusCode::kBusy, "Ajuste em andamento em outro programa ou estação", dir.spelled);
}

// Takes the open lock of every file named, exclusively, waiting a little
// for each: kBusy naming the first one still open elsewhere (the locks
// taken are kept for the caller, who ends the session or unlocks them).
constexpr int kFileWaitMs = 2000;
Status lockFiles(Connection& c, const std::vector<std::string>& spelled, const char* busy) {
  if (Status s = c.setLockTimeout(kFileWaitMs); !s) return s;
  Status s;
  for (const std::string& name : spelled) {
    int id = 0;
    if (s = fileId(c, name, &id); !s || id == 0) {
      if (!s) break;
      continue;
    }
    Result<Rows> r = c.run("SELECT pg_advisory_lock($1::int, 0)", Params().add(int64_t{id}), "ajuste");
    if (!r) {
      s = c.lastFailure() == Failure::kLockTimeout ? Status(StatusCode::kBusy, busy, name) : r.status();
      break;
    }
  }
  Status restored = c.setLockTimeout(kConnectWaitMs);
  return s ? restored : s;
}

// Undoes the swap of one target from whatever point it reached.
Status unswap(Connection& c, const Location& dir, size_t i, const Entry& e) {
  Status s;
  const std::string side = sideOf(dir, i, e.target), orig = originalOf(dir, i, e.target);
  const bool origThere = fileThere(c, orig, &s);
  if (!s) return s;
  const bool targetThere = fileThere(c, e.target, &s);
  if (!s) return s;
  if (targetThere && (!e.existed || origThere)) {
    if (fileThere(c, side, &s)) return unexpectedFile(side);
    if (!s) return s;
    if (s = renameFile(c, e.target, side); !s) return s;
  }
  if (e.existed && origThere) return renameFile(c, orig, e.target);
  return Status::ok();
}

// Puts every original back and drops the side files; journal "restored".
// One transaction.
Status putOriginalsBack(Connection& c, const Location& dir, Journal j) {
  return inTransaction(c, "desfazer ajuste", [&] {
    if (j.state == State::kCommitting || j.state == State::kCommitted) {
      for (size_t i = j.entries.size(); i-- > 0;)
        if (Status s = unswap(c, dir, i, j.entries[i]); !s) return s;
    }
    for (size_t i = 0; i < j.entries.size(); ++i)
      if (Status s = dropNamed(c, sideOf(dir, i, j.entries[i].target)); !s) return s;
    j.state = State::kRestored;
    return writeJournal(c, dir, j);
  });
}

Status restoreOne(Connection& c, const Location& dir, size_t i, const Entry& e) {
  Status s;
  const std::string orig = originalOf(dir, i, e.target), conv = convertedOf(dir, i, e.target);
  const bool origThere = fileThere(c, orig, &s);
  if (!s) return s;
  const bool targetThere = fileThere(c, e.target, &s);
  if (!s) return s;
  if (targetThere && (!e.existed || origThere)) {
    const bool convThere = fileThere(c, conv, &s);
    if (!s) return s;
    if (convThere) return e.existed ? unexpectedFile(conv) : Status::ok();
    if (s = renameFile(c, e.target, conv); !s) return s;
  }
  if (e.existed && origThere) return renameFile(c, orig, e.target);
  return Status::ok();
}

// restore() of a finished set, the set's lock held: every converted file
// must be closed everywhere before anything moves.
Status restoreLocked(Connection& c, const Location& dir, Journal j) {
  std::vector<std::string> converted;
  for (const Entry& e : j.entries) converted.push_back(e.target);
  if (Status s = lockFiles(c, converted, "Arquivo convertido ainda aberto por outro programa ou estação"); !s)
    return s;
  return inTransaction(c, "restaurar ajuste", [&] {
    for (size_t i = j.entries.size(); i-- > 0;)
      if (Status s = restoreOne(c, dir, i, j.entries[i]); !s) return s;
    j.state = State::kRestored;
    return writeJournal(c, dir, j);
  });
}

// --- a set --------------------------------------------------------------------

class PgFileSet : public ServerFileSet {
 public:
  ~PgFileSet() override {
    if (state_ == State::kStaged || state_ == State::kCommitted) (void)abandon();
  }

  Status begin(const std::string& workDir, const std::string& label) {
    Result<Location> dir = locate(workDir, true);
    if (!dir) return dir.status();
    dir_ = *dir;
    if (Status s = connectTo(conn_, dir_); !s) return s;
    if (Status s = makeDirectories(conn_, dir_.file); !s) return s;
    if (Status s = lockSet(conn_, dir_); !s) return s;
    bool found = false;
    std::string text;
    if (Status s = getText(conn_, journalOf(dir_), &text, &found); !s) return s;
    if (found) return Status(StatusCode::kInvalidArgument, "Pasta de trabalho já usada por outro ajuste", workDir);
    journal_.label = label;
    journal_.state = State::kStaged;
    if (Status s = writeJournal(conn_, dir_, journal_); !s) return s;
    state_ = State::kStaged;
    return Status::ok();
  }

  Result<std::string> stage(const std::string& target) override {
    if (state_ != State::kStaged)
      return Status(StatusCode::kInvalidArgument, "Conjunto de arquivos já gravado ou descartado", dir_.spelled);
    Result<Location> loc = locate(target, true);
    if (!loc) return loc.status();
    if (loc->uri != dir_.uri)
      return Status(StatusCode::kInvalidArgument, "Arquivo em outro banco de dados que a pasta de trabalho", target);
    if (inside(loc->spelled, dir_.spelled))
      return Status(StatusCode::kInvalidArgument, "Arquivo dentro da pasta de trabalho", target);
    for (const Entry& e : journal_.entries)
      if (upper(e.target) == loc->file) return Status(StatusCode::kInvalidArgument, "Arquivo já incluído no conjunto", target);
    bool dirThere = false;
    if (Status s = directoryExists(conn_, parentOf(loc->file), &dirThere); !s) return s;
    if (!dirThere) return makeStatus(StatusCode::kFileNotFound, dir_.uri + "/" + parentOf(loc->spelled));
    Status s;
    const bool existed = fileThere(conn_, loc->spelled, &s);
    if (!s) return s;
    journal_.entries.push_back(Entry{loc->spelled, existed});
    if (s = writeJournal(conn_, dir_, journal_); !s) {
      journal_.entries.pop_back();
      return s;
    }
    return dir_.uri + "/" + sideOf(dir_, journal_.entries.size() - 1, loc->spelled);
  }

  std::string sideFile(const std::string& target) const override {
    Result<Location> loc = parseLocation(target);
    if (!loc) return {};
    for (size_t i = 0; i < journal_.entries.size(); ++i)
      if (upper(journal_.entries[i].target) == loc->file)
        return dir_.uri + "/" + sideOf(dir_, i, journal_.entries[i].target);
    return {};
  }

  Status commit() override {
    if (state_ != State::kStaged)
      return Status(StatusCode::kInvalidArgument, "Conjunto de arquivos já gravado ou descartado", dir_.spelled);
    std::vector<std::string> sides;
    Status s;
    for (size_t i = 0; i < journal_.entries.size(); ++i) {
      sides.push_back(sideOf(dir_, i, journal_.entries[i].target));
      if (!fileThere(conn_, sides.back(), &s))
        return s ? Status(StatusCode::kFileNotFound, "Arquivo novo não foi gravado", sides.back()) : s;
    }
    // The new files stay closed to others until finish(): the caller has
    // rows to write before its change is complete.
    s = lockFiles(conn_, sides, "Arquivo novo ainda aberto por outro programa");
    if (s) {
      Journal j = journal_;
      s = inTransaction(conn_, "gravar ajuste", [&] {
        for (size_t i = 0; i < j.entries.size(); ++i) {
          Entry& e = j.entries[i];
          Status there;
          e.existed = fileThere(conn_, e.target, &there);
          if (!there) return there;
          if (e.existed) {
            if (Status r = renameFile(conn_, e.target, originalOf(dir_, i, e.target)); !r) return r;
          }
          if (Status r = renameFile(conn_, sides[i], e.target); !r) return r;
        }
        j.state = State::kCommitted;
        return writeJournal(conn_, dir_, j);
      });
      if (s) journal_ = j;
    }
    if (!s) {
      unlockFiles();
      return s;
    }
    state_ = State::kCommitted;
    return Status::ok();
  }

  Status finish() override {
    if (state_ != State::kCommitted)
      return Status(StatusCode::kInvalidArgument, "Conjunto de arquivos não gravado", dir_.spelled);
    Journal j = journal_;
    j.state = State::kFinished;
    if (Status s = writeJournal(conn_, dir_, j); !s) return s;
    journal_ = j;
    state_ = State::kFinished;
    conn_.close();  // lets go of the set and of the new files
    return Status::ok();
  }

  Status abandon() override {
    if (state_ != State::kStaged && state_ != State::kCommitted)
      return Status(StatusCode::kInvalidArgument, "Conjunto de arquivos já concluído ou descartado", dir_.spelled);
    journal_.state = state_;
    if (Status s = putOriginalsBack(conn_, dir_, journal_); !s) return s;
    state_ = State::kRestored;
    conn_.close();
    return Status::ok();
  }

  State state() const override { return state_; }

 private:
  void unlockFiles() {
    // Keeps the set's own lock; drops those of the files.
    (void)conn_.run("SELECT pg_advisory_unlock_all()", "ajuste");
    (void)lockSet(conn_, dir_);
  }

  Connection conn_;
  Location dir_;
  Journal journal_;  // targets relative to the server location, as spelled
  State state_ = State::kNone;
};

Result<Journal> journalAt(Connection& c, const std::string& workDir, Location* dir) {
  Result<Location> loc = locate(workDir, true);
  if (!loc) return loc.status();
  *dir = *loc;
  if (Status s = connectTo(c, *dir); !s) return s;
  Journal j;
  if (Status s = readJournal(c, *dir, &j); !s) return s;
  return j;
}

}  // namespace
}  // namespace pg

Result<std::unique_ptr<ServerFileSet>> beginServerFileSet(const std::string& workDir, const std::string& label) {
  auto set = std::make_unique<pg::PgFileSet>();
  if (Status s = set->begin(workDir, label); !s) return s;
  return std::unique_ptr<ServerFileSet>(std::move(set));
}

Result<FileSetCommit::Journal> readServerJournal(const std::string& workDir) {
  pg::Connection c;
  pg::Location dir;
  Result<FileSetCommit::Journal> j = pg::journalAt(c, workDir, &dir);
  if (!j) return j;
  for (FileSetCommit::Entry& e : j.value().entries) e.target = dir.uri + "/" + e.target;
  return j;
}

Status recoverServerFileSet(const std::string& workDir) {
  pg::Connection c;
  pg::Location dir;
  Result<FileSetCommit::Journal> j = pg::journalAt(c, workDir, &dir);
  if (!j) return j.status();
  using State = FileSetCommit::State;
  if (j->state == State::kNone || j->state == State::kFinished || j->state == State::kRestored) return Status::ok();
  if (Status s = pg::lockSet(c, dir); !s) return s;
  // Read again under the lock: the set's own process may have moved on.
  if (Status s = pg::readJournal(c, dir, &j.value()); !s) return s;
  if (j->state == State::kNone || j->state == State::kFinished || j->state == State::kRestored) return Status::ok();
  if (j->state == State::kRestoring) return pg::restoreLocked(c, dir, *j);
  return pg::putOriginalsBack(c, dir, *j);
}

Status restoreServerFileSet(const std::string& workDir) {
  pg::Connection c;
  pg::Location dir;
  Result<FileSetCommit::Journal> j = pg::journalAt(c, workDir, &dir);
  if (!j) return j.status();
  using State = FileSetCommit::State;
  if (Status s = pg::lockSet(c, dir); !s) return s;
  if (Status s = pg::readJournal(c, dir, &j.value()); !s) return s;
  if (j->state == State::kNone) return Status(StatusCode::kFileNotFound, "Nenhum ajuste nesta pasta", workDir);
  if (j->state == State::kRestored) return Status::ok();
  if (j->state != State::kFinished && j->state != State::kRestoring) return pg::putOriginalsBack(c, dir, *j);
  return pg::restoreLocked(c, dir, *j);
}

Status writeServerText(const std::string& path, const std::string& text) {
  Result<pg::Location> loc = pg::locate(path, true);
  if (!loc) return loc.status();
  pg::Connection c;
  if (Status s = pg::connectTo(c, *loc); !s) return s;
  return pg::putText(c, loc->spelled, text);
}

Result<std::string> readServerText(const std::string& path) {
  Result<pg::Location> loc = pg::locate(path, true);
  if (!loc) return loc.status();
  pg::Connection c;
  if (Status s = pg::connectTo(c, *loc); !s) return s;
  std::string text;
  bool found = false;
  if (Status s = pg::getText(c, loc->spelled, &text, &found); !s) return s;
  if (!found) return makeStatus(StatusCode::kFileNotFound, path);
  return text;
}

bool serverTextExists(const std::string& path) {
  Result<std::string> text = readServerText(path);
  return text.isOk();
}

Status removeServerText(const std::string& path) {
  Result<pg::Location> loc = pg::locate(path, true);
  if (!loc) return loc.status();
  pg::Connection c;
  if (Status s = pg::connectTo(c, *loc); !s) return s;
  return c.run("DELETE FROM vorlam_texts WHERE path = $1", pg::Params().add(loc->file), "remover texto").status();
}

bool serverDirectoryExists(const std::string& path) {
  Result<pg::Location> loc = pg::locate(path, false);
  if (!loc) return false;
  pg::Connection c;
  bool exists = false;
  return pg::connectTo(c, *loc) && pg::directoryExists(c, loc->file, &exists) && exists;
}

Result<std::vector<std::string>> listServerDirectories(const std::string& path) {
  Result<pg::Location> loc = pg::locate(path, false);
  if (!loc) return loc.status();
  pg::Connection c;
  if (Status s = pg::connectTo(c, *loc); !s) return s;
  // Below `dir`: every directory made, and the directories of every file.
  Result<pg::Rows> r = c.run(
      "SELECT DISTINCT split_part(rest, '/', 1) FROM ("
      "  SELECT CASE WHEN $1 = '' THEN path ELSE substr(path, length($1) + 2) END AS rest FROM vorlam_dirs "
      "   WHERE $1 = '' OR starts_with(path, $1 || '/') "
      "  UNION ALL "
      "  SELECT CASE WHEN $1 = '' THEN path ELSE substr(path, length($1) + 2) END FROM vorlam_files "
      "   WHERE ($1 = '' OR starts_with(path, $1 || '/')) AND "
      "         strpos(CASE WHEN $1 = '' THEN path ELSE substr(path, length($1) + 2) END, '/') > 0"
      ") below ORDER BY 1",
      pg::Params().add(loc->file), "listar diretórios");
  if (!r) return r.status();
  std::vector<std::string> names;
  for (int i = 0; i < r->size(); ++i) names.emplace_back(r->text(i, 0));
  return names;
}

}  // namespace vorlam
