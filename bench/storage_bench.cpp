// Record-file engine against plain SQLite on the same schema.
//
// Both sides work on a journal-like table (24 fields, about 900 bytes, four
// keys): add N records in one transaction, walk them all in key order, and
// rewrite two text fields of every record.  Prints records per second for
// each side and the ratio engine/plain (time).  Usage: storage_bench [N].
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "storage/sqlite_util.h"
#include "storage/table.h"

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
  double add = 0, walk = 0, rewrite = 0;
};

Times runEngine(const TableDef& def, const std::string& path, int64_t n) {
  Times t;
  Table table(&def);
  if (!table.open(path)) std::abort();
  Record& r = table.buffer();
  auto t0 = Clock::now();
  table.beginBulk();
  for (int64_t i = 1; i <= n; ++i) {
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
  return t;
}

Times runPlain(const TableDef& def, const std::string& path, int64_t n) {
  {  // Same schema, created by the engine.
    Table table(&def);
    if (!table.open(path)) std::abort();
  }
  Times t;
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite::registerCollation(db);
  // Plain SQLite keeps no check values: without the engine's triggers the
  // plain side writes and reads the rows alone.
  sqlite::exec(db, "DROP TRIGGER _check_insert; DROP TRIGGER _check_update");
  sqlite::exec(db, "PRAGMA journal_mode=WAL");
  sqlite::exec(db, "PRAGMA synchronous=NORMAL");
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
  sqlite3_finalize(ins);

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
  sqlite3_close(db);
  return t;
}

void report(const char* what, int64_t n, double engine, double plain) {
  std::printf("%-28s engine %10.0f rec/s   plain %10.0f rec/s   ratio %.2f\n", what, n / engine, n / plain,
              engine / plain);
}

}  // namespace

int main(int argc, char** argv) {
  int64_t n = argc > 1 ? std::atoll(argv[1]) : 1000000;
  // A second argument names the directory of the temporary files (a memory
  // file system gives figures free of disk noise).
  std::string tmpl = std::string(argc > 2 ? argv[2] : "/tmp") + "/vorlam-bench-XXXXXX";
  std::string dir = mkdtemp(tmpl.data());
  TableDef def = journalDef();
  std::printf("%lld records of %d bytes, %zu keys\n", static_cast<long long>(n), def.recordSize(), def.keys.size());
  Times plain = runPlain(def, dir + "/plain.dat", n);
  Times engine = runEngine(def, dir + "/engine.dat", n);
  report("bulk add", n, engine.add, plain.add);
  report("walk in key order", n, engine.walk, plain.walk);
  report("rewrite two text fields", n, engine.rewrite, plain.rewrite);
  std::system(("rm -rf '" + dir + "'").c_str());
  return 0;
}
