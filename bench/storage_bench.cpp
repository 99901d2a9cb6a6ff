// Record-file engine against plain SQLite on the same schema.
//
// Both sides work on a journal-like table (24 fields, about 900 bytes, four
// keys): add N records in one transaction, walk them all in key order,
// rewrite two text fields of every record, and add C records one commit
// each (what a form does).  Each runs in both journal modes, plain SQLite in
// the same mode and synchronisation as the engine: the rollback journal with
// synchronous=FULL (the safe mode of shared folders) and WAL with
// synchronous=NORMAL (local disks).  Prints records per second for each side
// and the ratio engine/plain (time), the two modes side by side.
// Every measure is the best of R rounds.  Usage: storage_bench [N [C [R]]].
// With VORLAM_BENCH_POSTGRES set to a database ("postgresql:///banco"), the
// engine also runs on that PostgreSQL server, printed beside the files.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "storage/platform.h"
#include "storage/sqlite_util.h"
#include "storage/table.h"
#include "storage/table_backend.h"

namespace {

using namespace vorlam;
using Clock = std::chrono::steady_clock;

TableDef journalDef() {
  return TableBuilder("Diario", "DIA", "Diario.dat")
      .field("DIA:Data", kLONG)
      .field("DIA:Numero", DECIMAL(13, 4))
      .field("DIA:Lote", STRING(15))
      .field("DIA:ContaCredito", STRING(40))
      .field("DIA:ContaDebito", STRING(40))
      .field("DIA:Historico", kUSHORT)
      .field("DIA:ValorCredito", DECIMAL(11, 2))
      .field("DIA:ValorDebito", DECIMAL(11, 2))
      .field("DIA:Complemento", STRING(500))
      .field("DIA:Documento", STRING(60))
      .field("DIA:Padrao", STRING(30))
      .field("DIA:Origem", STRING(3))
      .field("DIA:DataImportacao", kLONG)
      .field("DIA:CodigoEmpresa", kUSHORT)
      .field("DIA:Conciliacao_Debito", kBYTE)
      .field("DIA:Data_Conciliacao_Debito", kLONG)
      .field("DIA:Conciliacao_Credito", kBYTE)
      .field("DIA:Data_Conciliacao_Credito", kLONG)
      .field("DIA:Usuario", STRING(20))
      .field("DIA:TipoDoc", kBYTE)
      .field("DIA:NumeroCheque", STRING(50))
      .field("DIA:Favorecido", STRING(40))
      .field("DIA:CcDebito", STRING(40))
      .field("DIA:CcCredito", STRING(20))
      .key("DIA:KEY:DATA", {"DIA:Data", "DIA:Numero"}, kDuplicates)
      .key("DIA:KEY:DOCUMENTO", {"DIA:Documento"}, kDuplicates)
      .key("DIA:KEY:CONTACREDITO", {"DIA:ContaCredito", "DIA:Data"}, kDuplicates)
      .key("DIA:KEY:CONTADEBITO", {"DIA:ContaDebito", "DIA:Data"}, kDuplicates)
      .build();
}

// Deterministic field values of record i.
struct Values {
  int date;
  int64_t number;
  std::string credit, debit, complement, document;
};
Values valuesOf(int64_t i) {
  uint64_t h = static_cast<uint64_t>(i) * 2654435761u;
  char acc[32];
  Values v;
  v.date = 80000 + static_cast<int>(h % 365);
  v.number = i * 10000;
  snprintf(acc, sizeof acc, "1.1.%d.%02d.%04d", 1 + static_cast<int>(h % 3), static_cast<int>(h % 17),
           static_cast<int>(h % 997));
  v.credit = acc;
  snprintf(acc, sizeof acc, "2.1.%d.%02d.%04d", 1 + static_cast<int>(h % 5), static_cast<int>(h % 13),
           static_cast<int>(h % 883));
  v.debit = acc;
  v.complement = "Pagamento referente a nota fiscal " + std::to_string(i) + " conforme contrato";
  v.document = "DOC" + std::to_string(h % 100000);
  return v;
}

double seconds(Clock::time_point a) { return std::chrono::duration<double>(Clock::now() - a).count(); }

struct Times {
  double add = 0, walk = 0, rewrite = 0, commits = 0;
};

void setRecord(Record& r, int64_t i) {
  Values v = valuesOf(i);
  r.clear();
  r.setInt(0, v.date);
  r.setDecimal(1, Decimal::fromUnits(v.number, 4));
  r.setText(2, "LOTE1");
  r.setText(3, v.credit);
  r.setText(4, v.debit);
  r.setInt(5, 12);
  r.setDecimal(6, Decimal::fromUnits(i * 7 % 100000, 2));
  r.setText(8, v.complement);
  r.setText(9, v.document);
  r.setText(18, "SUPORTE");
}

Times runEngine(const TableDef& def, const std::string& path, JournalMode mode, int64_t n, int64_t commits,
                OpenMode open = OpenMode::kShared) {
  Times t;
  Table table(&def);
  table.setJournalPolicy(mode == JournalMode::kWal ? JournalPolicy::kWal : JournalPolicy::kRollback);
  if (Status s = table.open(path, open); !s || table.journalMode() != mode) {
    std::fprintf(stderr, "%s: %s %s\n", path.c_str(), s.toString().c_str(), s.detail().c_str());
    std::abort();
  }
  Record& r = table.buffer();
  auto t0 = Clock::now();
  table.beginBulk();
  for (int64_t i = 1; i <= n; ++i) {
    setRecord(r, i);
    if (!table.append()) std::abort();
  }
  table.flush();
  t.add = seconds(t0);
  t0 = Clock::now();
  int64_t seen = 0;
  table.seekStart(2);
  while (table.next()) ++seen;
  t.walk = seconds(t0);
  if (seen != n) std::abort();
  t0 = Clock::now();
  table.beginBulk();
  table.seekStart(kFileOrder);
  while (table.next()) {
    r.setText(3, "9." + std::string(r.getText(3)));
    r.setText(4, "9." + std::string(r.getText(4)));
    if (!table.update()) std::abort();
  }
  table.flush();
  t.rewrite = seconds(t0);
  t0 = Clock::now();
  for (int64_t i = n + 1; i <= n + commits; ++i) {
    setRecord(r, i);
    if (!table.append()) std::abort();
  }
  t.commits = seconds(t0);
  return t;
}

Times runPlain(const TableDef& def, const std::string& path, JournalMode mode, int64_t n, int64_t commits) {
  {  // Same schema, created by the engine.
    Table table(&def);
    table.setJournalPolicy(mode == JournalMode::kWal ? JournalPolicy::kWal : JournalPolicy::kRollback);
    if (!table.open(path)) std::abort();
  }
  Times t;
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite::registerCollation(db);
  // Plain SQLite keeps no check values: without the engine's triggers the
  // plain side writes and reads the rows alone.
  sqlite::exec(db, "DROP TRIGGER _check_insert; DROP TRIGGER _check_update");
  sqlite::exec(db, mode == JournalMode::kWal ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE");
  sqlite::exec(db, mode == JournalMode::kWal ? "PRAGMA synchronous=NORMAL" : "PRAGMA synchronous=FULL");
  sqlite3_stmt* ins;
  sqlite3_prepare_v2(db,
                     "INSERT INTO records(\"DATA\",\"NUMERO\",\"LOTE\",\"CONTACREDITO\",\"CONTADEBITO\",\"HISTORICO\","
                     "\"VALORCREDITO\",\"COMPLEMENTO\",\"DOCUMENTO\",\"USUARIO\") VALUES (?,?,?,?,?,?,?,?,?,?)",
                     -1, &ins, nullptr);
  auto t0 = Clock::now();
  sqlite::exec(db, "BEGIN");
  for (int64_t i = 1; i <= n; ++i) {
    Values v = valuesOf(i);
    sqlite3_bind_int(ins, 1, v.date);
    sqlite3_bind_int64(ins, 2, v.number);
    sqlite3_bind_text(ins, 3, "LOTE1", -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 4, v.credit.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 5, v.debit.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(ins, 6, 12);
    sqlite3_bind_int64(ins, 7, i * 7 % 100000);
    sqlite3_bind_text(ins, 8, v.complement.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 9, v.document.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 10, "SUPORTE", -1, SQLITE_STATIC);
    if (sqlite3_step(ins) != SQLITE_DONE) std::abort();
    sqlite3_reset(ins);
  }
  sqlite::exec(db, "COMMIT");
  t.add = seconds(t0);

  sqlite3_stmt* walk;
  sqlite3_prepare_v2(db, "SELECT * FROM records ORDER BY \"CONTACREDITO\", \"DATA\", _id", -1, &walk, nullptr);
  t0 = Clock::now();
  int64_t seen = 0;
  while (sqlite3_step(walk) == SQLITE_ROW) {
    // Each column read as what it holds, as the engine reads it.
    for (int c = 0; c < sqlite3_column_count(walk); ++c) {
      if (sqlite3_column_type(walk, c) == SQLITE_INTEGER) (void)sqlite3_column_int64(walk, c);
      else (void)sqlite3_column_text(walk, c);
    }
    ++seen;
  }
  t.walk = seconds(t0);
  sqlite3_finalize(walk);
  if (seen != n) std::abort();

  sqlite3_stmt* sel;
  sqlite3_stmt* upd;
  sqlite3_prepare_v2(db, "SELECT _id, \"CONTACREDITO\", \"CONTADEBITO\" FROM records ORDER BY _id", -1, &sel, nullptr);
  sqlite3_prepare_v2(db, "UPDATE records SET \"CONTACREDITO\" = ?, \"CONTADEBITO\" = ? WHERE _id = ?", -1, &upd,
                     nullptr);
  t0 = Clock::now();
  sqlite::exec(db, "BEGIN");
  while (sqlite3_step(sel) == SQLITE_ROW) {
    std::string c = "9." + std::string(reinterpret_cast<const char*>(sqlite3_column_text(sel, 1)));
    std::string d = "9." + std::string(reinterpret_cast<const char*>(sqlite3_column_text(sel, 2)));
    sqlite3_bind_text(upd, 1, c.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(upd, 2, d.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int64(upd, 3, sqlite3_column_int64(sel, 0));
    if (sqlite3_step(upd) != SQLITE_DONE) std::abort();
    sqlite3_reset(upd);
  }
  sqlite::exec(db, "COMMIT");
  t.rewrite = seconds(t0);
  sqlite3_finalize(sel);
  sqlite3_finalize(upd);

  // One commit per record, the statement kept as the engine keeps its own.
  t0 = Clock::now();
  for (int64_t i = n + 1; i <= n + commits; ++i) {
    Values v = valuesOf(i);
    sqlite3_reset(ins);
    sqlite3_bind_int(ins, 1, v.date);
    sqlite3_bind_int64(ins, 2, v.number);
    sqlite3_bind_text(ins, 4, v.credit.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 5, v.debit.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(ins, 7, i * 7 % 100000);
    sqlite3_bind_text(ins, 8, v.complement.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 9, v.document.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(ins) != SQLITE_DONE) std::abort();
  }
  t.commits = seconds(t0);
  sqlite3_finalize(ins);
  sqlite3_close(db);
  return t;
}

// One operation in both modes: records per second of each side and the
// ratio engine/plain of their times.
void report(const char* what, int64_t n, double eR, double pR, double eW, double pW) {
  std::printf("%-26s %9.0f %9.0f %5.2f   | %9.0f %9.0f %5.2f\n", what, n / eR, n / pR, eR / pR, n / eW, n / pW,
              eW / pW);
}

// The engine on a PostgreSQL database, against its own figures on the
// files: the file opened shared (each write answered before the next) and
// exclusively (bulk writes deferred and sent a thousand rows at a time, as
// the adjustment and the copy of a data root open their files).
void runOnServer(const TableDef& def, const std::string& dir, int64_t n, int64_t c, int rounds,
                 const Times& rollback, const Times& wal) {
  Times best[2];
  const OpenMode modes[2] = {OpenMode::kShared, OpenMode::kExclusive};
  for (int round = 0; round < rounds; ++round) {
    for (int m = 0; m < 2; ++m) {
      if (!removeServerFiles(dir) || !makeServerDirectories(dir)) std::abort();
      Times t = runEngine(def, dir + "/Diario.dat", JournalMode::kRollback, n, c, modes[m]);
      if (round == 0) best[m] = t;
      best[m].add = std::min(best[m].add, t.add);
      best[m].walk = std::min(best[m].walk, t.walk);
      best[m].rewrite = std::min(best[m].rewrite, t.rewrite);
      best[m].commits = std::min(best[m].commits, t.commits);
    }
  }
  (void)removeServerFiles(dir);
  std::printf("\n%-26s %9s %9s %9s %9s   (ratio: exclusive on the server / on the files)\n", "rec/s postgres",
              "shared", "exclusive", "/rollback", "/wal");
  auto row = [&](const char* what, int64_t count, double Times::*field) {
    std::printf("%-26s %9.0f %9.0f %9.2f %9.2f\n", what, count / (best[0].*field), count / (best[1].*field),
                best[1].*field / (rollback.*field), best[1].*field / (wal.*field));
  };
  row("bulk add", n, &Times::add);
  row("walk in key order", n, &Times::walk);
  row("rewrite two text fields", n, &Times::rewrite);
  row("add, one commit each", c, &Times::commits);
}

}  // namespace

int main(int argc, char** argv) {
  int64_t n = argc > 1 ? std::atoll(argv[1]) : 1000000;
  int64_t c = argc > 2 ? std::atoll(argv[2]) : 300;
  int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  Result<std::string> made = platform::makeTempDirectory("vorlam-bench-");
  if (!made) std::abort();
  const std::string dir = made.value();
  TableDef def = journalDef();
  std::string fs;
  platform::volumeKind(dir, &fs);
  std::printf("%lld records of %d bytes, %zu keys; %lld single commits; best of %d; %s on %s\n",
              static_cast<long long>(n), def.recordSize(), def.keys.size(), static_cast<long long>(c), rounds,
              dir.c_str(), fs.c_str());
  Times times[2][2];  // [rollback, wal][plain, engine]
  const JournalMode modes[2] = {JournalMode::kRollback, JournalMode::kWal};
  for (int m = 0; m < 2; ++m) {
    const std::string tag = journalModeName(modes[m]);
    // Rounds alternate which side goes first (the one that follows pays
    // for the other's writes still reaching the disk); each side keeps its
    // best time of every operation.
    for (int round = 0; round < rounds; ++round) {
      for (int k = 0; k < 2; ++k) {
        const bool engine = (round + k) % 2 == 1;
        const std::string file = dir + (engine ? "/engine-" : "/plain-") + tag + ".dat";
        (void)platform::removeFile(file);
        Times t = engine ? runEngine(def, file, modes[m], n, c) : runPlain(def, file, modes[m], n, c);
        (void)platform::removeFile(file);
        Times& best = times[m][engine ? 1 : 0];
        if (round == 0) best = t;
        best.add = std::min(best.add, t.add);
        best.walk = std::min(best.walk, t.walk);
        best.rewrite = std::min(best.rewrite, t.rewrite);
        best.commits = std::min(best.commits, t.commits);
      }
    }
  }
  std::printf("%-26s %-27s | %s\n", "rec/s", "rollback + FULL", "wal + NORMAL");
  std::printf("%-26s %9s %9s %5s   | %9s %9s %5s\n", "", "engine", "plain", "ratio", "engine", "plain", "ratio");
  auto row = [&](const char* what, int64_t count, double Times::*field) {
    report(what, count, times[0][1].*field, times[0][0].*field, times[1][1].*field, times[1][0].*field);
  };
  row("bulk add", n, &Times::add);
  row("walk in key order", n, &Times::walk);
  row("rewrite two text fields", n, &Times::rewrite);
  row("add, one commit each", c, &Times::commits);
  (void)platform::removeTree(dir);
  const std::string server = platform::environmentVariable("VORLAM_BENCH_POSTGRES");
  if (!server.empty()) runOnServer(def, server + "/BENCH", n, c, rounds, times[0][1], times[1][1]);
  return 0;
}
