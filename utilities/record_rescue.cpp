#include "utilities/record_rescue.h"

#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "storage/file_lock.h"
#include "storage/platform.h"
#include "storage/table.h"
#include "storage/table_backend.h"

namespace vorlam::utilities {

namespace {

constexpr const char* kSidecars[] = {"-journal", "-wal", "-shm", "-lck"};

Status readWhole(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Status(StatusCode::kIoError, "não foi possível ler o arquivo", path);
  bytes->assign(std::istreambuf_iterator<char>(in), {});
  return in.bad() ? Status(StatusCode::kIoError, "erro de leitura", path) : Status::ok();
}

Status copyWhole(const std::string& from, const std::string& to) {
  std::string bytes;
  if (Status s = readWhole(from, &bytes); !s) return s;
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) return Status(StatusCode::kIoError, "não foi possível gravar a cópia", to);
  return platform::syncFile(to);
}

std::string freeName(const std::string& base) {
  if (!platform::exists(base)) return base;
  for (int i = 2;; ++i) {
    std::string name = base + "." + std::to_string(i);
    if (!platform::exists(name)) return name;
  }
}

void removeWithSidecars(const std::string& path) {
  (void)platform::removeFile(path);
  for (const char* s : kSidecars) (void)platform::removeFile(path + s);
}

// A hot journal or a write-ahead log beside the file holds writes the file
// itself lacks or must lose: the engine settles them before the pages are
// read.  A file too damaged for that is read as it stands.
void settleJournal(const std::string& path) {
  if (!platform::exists(path + "-journal") && !platform::exists(path + "-wal")) return;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE); SELECT count(*) FROM sqlite_master;", nullptr, nullptr,
                 nullptr);
  sqlite3_close_v2(db);
}

// Writes the scanned records into the new file `target` (created here).
Status writeRescued(const TableDef& def, const std::string& target, const RescueOptions& options,
                    RescueReport* report) {
  Table t(&def);
  if (Status s = t.open(target, OpenMode::kExclusive); !s) return s;
  if (Status s = t.beginBulk(); !s) return s;
  const int columns = def.columnCount();
  std::string sql = "INSERT INTO records VALUES (?1";
  for (int i = 2; i <= columns + 3; ++i) sql += ", ?" + std::to_string(i);
  sql += ")";
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(t.connection(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    Status s(StatusCode::kCorrupt, "arquivo novo sem a tabela de registros esperada", sqlite3_errmsg(t.connection()));
    t.rollbackBulk();
    return s;
  }
  Status failure;
  for (const auto& [id, r] : report->scan.records) {
    sqlite3_bind_int64(st, 1, id);
    sqlite3_bind_int64(st, 2, r.stamp);
    sqlite3_bind_int64(st, 3, r.check);
    for (const FieldDef& f : def.fields)
      for (int e = 0; e < f.dim; ++e) {
        const Cell& c = r.cells[size_t(f.column + e)];
        const int at = 4 + f.column + e;
        if (f.isText()) sqlite3_bind_text(st, at, c.s.data(), int(c.s.size()), SQLITE_STATIC);
        else sqlite3_bind_int64(st, at, c.i);
      }
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc == SQLITE_DONE) {
      ++report->rescued;
    } else if ((rc & 0xff) == SQLITE_CONSTRAINT) {
      report->refused.push_back({id, r.pages.empty() ? 0 : r.pages[0], "recusado: chave única já usada por outro registro"});
    } else {
      failure = Status(StatusCode::kIoError, "erro ao gravar o arquivo novo", sqlite3_errmsg(t.connection()));
      break;
    }
  }
  sqlite3_finalize(st);
  if (!failure) {
    t.rollbackBulk();
    return failure;
  }
  if (Status s = t.flush(); !s) return s;
  if (options.rebuildKeys)
    if (Status s = t.rebuildKeys(); !s) return s;
  int64_t n = 0;
  if (Status s = t.verifyFile(&n); !s) return s;
  if (n != report->rescued)
    return Status(StatusCode::kCorrupt, "o arquivo novo não tem os registros gravados", target);
  return Status::ok();
}

Status rescueLocked(const TableDef& def, const std::string& path, const RescueOptions& options, RescueReport* r) {
  r->kept = freeName(path + ".danificado");
  if (Status s = copyWhole(path, r->kept); !s) {
    r->kept.clear();
    return s;
  }
  for (const char* side : {"-journal", "-wal"})
    if (platform::exists(path + side)) (void)copyWhole(path + side, r->kept + side);
  settleJournal(path);
  std::string bytes;
  if (Status s = readWhole(path, &bytes); !s) return s;
  r->scan = scanRecordFile(def, bytes);
  r->found = int64_t(r->scan.records.size());
  const std::string target = path + ".recfix-novo";
  removeWithSidecars(target);
  Status s = writeRescued(def, target, options, r);
  r->scan.records.clear();
  if (!s) {
    removeWithSidecars(target);
    return Status(s.code(), "a cópia recuperada não passou na verificação; o arquivo não foi substituído",
                  s.toString());
  }
  if (!options.replace) {
    r->rebuilt = freeName(path + ".recuperado");
    s = platform::replaceFile(target, r->rebuilt);
    removeWithSidecars(target);
    return s;
  }
  // The old journal files must not meet the new file: the engine would
  // apply them to it.
  for (const char* side : {"-journal", "-wal", "-shm"}) (void)platform::removeFile(path + side);
  s = platform::replaceFile(target, path);
  removeWithSidecars(target);
  if (!s) return s;
  (void)platform::syncDirectory(platform::parentDirectory(path));
  r->rebuilt = path;
  r->replaced = true;
  return Status::ok();
}

}  // namespace

RescueReport rescueFile(const TableDef& def, const std::string& path, const RescueOptions& options) {
  RescueReport r;
  r.source = path;
  if (isServerLocation(path)) {
    r.status = Status(StatusCode::kUnsupported, kServerRescueRefused, path);
    return r;
  }
  r.reportFile = path + ".recfix.txt";
  if (!platform::exists(path) || platform::isDirectory(path)) {
    r.status = makeStatus(StatusCode::kFileNotFound, path);
  } else {
    FileLock lock;
    Status s = lock.acquire(path, /*exclusive=*/true, /*readOnly=*/false, /*waitMs=*/0);
    if (!s) r.status = Status(StatusCode::kAccessDenied, "o arquivo está aberto em outra estação", path);
    else r.status = rescueLocked(def, path, options, &r);
  }
  std::ofstream out(r.reportFile, std::ios::binary | std::ios::trunc);
  out << r.text();
  return r;
}

std::string RescueReport::text() const {
  std::string t = "recfix: relatório de recuperação\n";
  t += "Arquivo: " + source + "\n";
  if (scan.pageSize > 0) {
    t += "Tamanho de página: " + std::to_string(scan.pageSize) + "; páginas no arquivo: " +
         std::to_string(scan.pagesPresent);
    if (scan.pagesDeclared != scan.pagesPresent) t += " (o cabeçalho indica " + std::to_string(scan.pagesDeclared) + ")";
    t += "\n";
    if (!scan.headerSound) t += "Cabeçalho ilegível: o tamanho de página foi deduzido das páginas.\n";
    if (!scan.treeFound) t += "Árvore de registros não encontrada: os registros foram procurados página a página.\n";
  }
  t += "Registros recuperados: " + std::to_string(rescued);
  if (scan.outsideTree > 0) t += " (" + std::to_string(scan.outsideTree) + " encontrados fora da árvore de registros)";
  t += "\n";
  t += "Registros ilegíveis: " + std::to_string(scan.badRecords.size()) + "\n";
  for (const RecordProblem& p : scan.badRecords)
    t += "  registro " + (p.id > 0 ? std::to_string(p.id) : std::string("?")) + " (página " + std::to_string(p.page) +
         "): " + p.why + "\n";
  if (!refused.empty()) {
    t += "Registros recusados pelo arquivo novo: " + std::to_string(refused.size()) + "\n";
    for (const RecordProblem& p : refused) t += "  registro " + std::to_string(p.id) + ": " + p.why + "\n";
  }
  t += "Páginas ilegíveis: " + std::to_string(scan.badPages.size()) + "\n";
  for (const PageProblem& p : scan.badPages) t += "  página " + std::to_string(p.page) + ": " + p.why + "\n";
  if (!kept.empty()) t += "Original danificado guardado em: " + kept + "\n";
  if (status && replaced) t += "Resultado: arquivo substituído pela cópia recuperada e verificada.\n";
  else if (status) t += "Resultado: cópia recuperada gravada em " + rebuilt + "; o arquivo não foi alterado.\n";
  else t += "Resultado: arquivo não substituído: " + status.toString() + "\n";
  return t;
}

}  // namespace vorlam::utilities
