// The chart adjustment against a plain SQLite program doing the same work.
//
// Builds one company (own chart of 200 accounts under structure 1.1.1.2.4)
// with N journal lines and N/10 lines in each fiscal register (entries,
// exits, service-tax models 51 and 53), then converts it to 1.1.1.2.6 twice,
// on two copies of the data root: once with the adjustment run, once with a
// plain program that walks the same files, converts the same columns with
// the same conversion function and writes back the changed ones in one
// transaction per file.  Each side runs in its own process so that its peak
// memory can be reported.  Usage: adjust_bench [N] (default 1000000).
// With VORLAM_BENCH_POSTGRES set to a database ("postgresql:///banco"), the
// same company is built below that PostgreSQL server too and the adjustment
// runs there, printed beside the run on the files.
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "adjust/adjust_run.h"
#include "chart/account_conversion.h"
#include "shell/company_files.h"
#include "shell/startup.h"
#include "storage/date.h"
#include "storage/platform.h"
#include "storage/sqlite_util.h"
#include "storage/table_backend.h"
#include "storage/text.h"

namespace {

using namespace vorlam;

// Stops the benchmark on a failed step, saying where.
#define CHECK(cond)                                                        \
  do {                                                                     \
    if (!(cond)) {                                                         \
      std::fprintf(stderr, "adjust_bench:%d: falhou: %s\n", __LINE__, #cond); \
      std::abort();                                                        \
    }                                                                      \
  } while (0)

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr uint16_t kCompany = 1;
constexpr uint16_t kYear = 2024;

shell::DataLocations locationsOf(const std::string& root) {
  shell::DataLocations loc;
  loc.root = root;
  loc.shared = root + "BComuns";
  loc.fiscalBooks = root + "BEscrita";
  loc.accounting = root + "BCTB";
  loc.temp = root + "Temp";
  loc.upgrade = loc.shared;
  return loc;
}

struct Root {
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  std::unique_ptr<shell::AppState> state;
  explicit Root(const std::string& root) {
    state = std::make_unique<shell::AppState>(locationsOf(root));
    shell::createDataDirectories(state->locations());
    state->bind(shell::sharedFileNames(root));
    shell::CurrentCompany period;
    period.ano = kYear;
    period.mes = shell::kWholeYear;
    state->setCompany(period);
  }
  std::string shared(const char* label) const { return state->pathFor(dict->find(label)->binding); }
  // The company's file names under the old structure.
  shell::BindingMap names() const {
    Table emp(dict->find("Empresa")), alt(dict->find("AltContratuais"));
    emp.open(shared("Empresa"), OpenMode::kReadOnly);
    emp.buffer().setInt("Codigo", kCompany);
    emp.get(0);
    shell::CompanyRecord rec = shell::companyRecordFrom(emp.buffer());
    shell::CurrentCompany cur;
    cur.codigo = kCompany;
    cur.plContas = rec.plContas;
    cur.codPlanoContas = 1;
    cur.ano = kYear;
    cur.mes = shell::kWholeYear;
    alt.open(shared("AltContratuais"));
    shell::BindingMap m = shell::nomeiaArquivosEmpresa(state->dataRoot(), cur, rec, alt).names;
    for (auto& [k, v] : shell::nomeiaArquivosAno(state->dataRoot(), cur)) m[k] = v;
    return m;
  }
  std::string path(const char* label) const { return names()[dict->find(label)->binding]; }
};

// One of the 200 analytic accounts of the chart.
std::string account(uint64_t h) {
  unsigned i = static_cast<unsigned>(h % 200);
  char acc[32];
  std::snprintf(acc, sizeof acc, "%u.%u.%u.%02u.%04u", 1 + i % 2, 1 + i / 2 % 2, 1 + i / 4 % 5, 1 + i / 20 % 10,
                1 + i % 7);
  return acc;
}

void fill(Table& t, int64_t n, const std::function<void(Record&, int64_t)>& set) {
  t.beginBulk();
  for (int64_t i = 1; i <= n; ++i) {
    t.buffer().clear();
    set(t.buffer(), i);
    Status s = t.append();
    if (!s) std::fprintf(stderr, "%s: %s\n", t.def().label.c_str(), s.toString().c_str());
    CHECK(s);
  }
  CHECK(t.flush());
}

void build(const std::string& dir, int64_t n) {
  Root r(dir);
  auto add = [&](const char* label, const std::string& path, int64_t count,
                 const std::function<void(Record&, int64_t)>& set) {
    // Exclusively, as a copy of a data root writes: a server takes the
    // rows in groups.
    Table t(r.dict->find(label));
    Status s = t.open(path, OpenMode::kExclusive);
    if (!s) std::fprintf(stderr, "%s: %s %s\n", path.c_str(), s.toString().c_str(), s.detail().c_str());
    CHECK(s);
    fill(t, count, set);
  };
  add("ConfPlanoContas", r.shared("ConfPlanoContas"), 2, [](Record& b, int64_t i) {
    b.setInt("Codigo", i);
    b.setText("Nome", "Estrutura " + std::to_string(i));
    b.setInt("Graus", 5);
    for (int l = 1; l <= 4; ++l) b.setInt("G" + std::to_string(l), l == 4 ? 2 : 1);
    b.setInt("G5", i == 1 ? 4 : 6);
  });
  add("Empresa", r.shared("Empresa"), 1, [](Record& b, int64_t) {
    b.setInt("Codigo", kCompany);
    b.setText("RazaoSocial", "Empresa de teste");
    b.setInt("CodigoPlanoContas", 1);
    b.setInt("PLContas", 2);
    b.setInt("TipoFornecedor", 2);
    b.setInt("TipoCFO", 2);
    b.setInt("TipoContaISS", 2);
  });
  add("PlanoContas", r.path("PlanoContas"), 200, [](Record& b, int64_t i) {
    b.setText("Codigo", account(static_cast<uint64_t>(i)));
    b.setInt("Reduzido", i);
    b.setInt("SintAnali", 2);
    b.setText("Descricao", "Conta " + std::to_string(i));
  });
  add("Diario", r.path("Diario"), n, [](Record& b, int64_t i) {
    uint64_t h = static_cast<uint64_t>(i) * 2654435761u;
    b.setInt("Data", *toDayNumber(kYear, 1 + static_cast<int>(h % 12), 1 + static_cast<int>(h % 28)));
    b.setDecimal("Numero", Decimal::fromUnits(i * 10000, 4));
    b.setText("ContaDebito", account(h));
    b.setText("ContaCredito", account(h >> 7));
    b.setDecimal("ValorDebito", Decimal::fromUnits(static_cast<int64_t>(h % 100000), 2));
    b.setDecimal("ValorCredito", Decimal::fromUnits(static_cast<int64_t>(h % 100000), 2));
    b.setText("Complemento", "Pagamento referente a nota fiscal " + std::to_string(i));
  });
  struct Book {
    const char* label;
    const char* date;
    std::vector<const char*> accounts;
  };
  for (const Book& book : std::vector<Book>{
           {"RegEntrada", "DataLancamento", {"CDebito", "CCredito", "ICMSCDebito", "ICMSCCredito"}},
           {"RegSaida", "DataLancamento", {"CDebito", "CCredito", "ICMSDebito", "ICMSCredito"}},
           {"ISS51", "Data", {"Debito", "Credito"}},
           {"ISS53", "Data", {"Debito", "Credito"}}})
    add(book.label, r.path(book.label), n / 10, [&](Record& b, int64_t i) {
      uint64_t h = static_cast<uint64_t>(i) * 40503u;
      b.setInt(book.date, *toDayNumber(kYear, 1 + static_cast<int>(h % 12), 10));
      b.setInt("Numero", i);
      int k = 0;
      for (const char* f : book.accounts) b.setText(f, account(h >> (3 * k++)));
    });
}

// The plain program: every routine's table of the company (but the chart,
// rebuilt by the run, and the shared integration rows), its account columns
// converted and the changed ones written back.
void plainRun(const std::string& dir) {
  Root r(dir);
  chart::AccountStructure from = *adjust::readStructure(*r.dict, *r.state, 1);
  chart::AccountStructure to = *adjust::readStructure(*r.dict, *r.state, 2);
  chart::ConversionPlan plan = *chart::ConversionPlan::make(from, to);
  shell::BindingMap names = r.names();
  for (const auto& routine : adjust::routines()) {
    if (routine.number <= 2) continue;
    const TableDef* def = r.dict->find(routine.label);
    auto it = names.find(def->binding);
    if (it == names.end() || !fs::exists(it->second)) continue;
    std::vector<std::string> cols;
    for (const auto& f : routine.fields) {
      std::string name = f.name;
      name = name.substr(name.find(':') + 1);
      if (def->fieldIndex(f.name) >= 0) cols.push_back(name);
    }
    sqlite3* db = nullptr;
    CHECK(sqlite3_open(it->second.c_str(), &db) == SQLITE_OK);
    sqlite::registerCollation(db);
    sqlite::exec(db, "PRAGMA journal_mode=WAL");
    sqlite::exec(db, "PRAGMA synchronous=NORMAL");
    std::string select = "SELECT _id";
    for (const auto& c : cols) select += ", \"" + c + "\"";
    select += " FROM records ORDER BY _id";
    sqlite3_stmt* sel = nullptr;
    CHECK(sqlite3_prepare_v2(db, select.c_str(), -1, &sel, nullptr) == SQLITE_OK);
    // One statement per record sets every account column of the routine.
    std::string sql = "UPDATE records SET ";
    for (size_t c = 0; c < cols.size(); ++c)
      sql += (c ? ", \"" : "\"") + cols[c] + "\" = ?" + std::to_string(c + 1);
    sql += " WHERE _id = ?" + std::to_string(cols.size() + 1);
    sqlite3_stmt* upd = nullptr;
    CHECK(sqlite3_prepare_v2(db, sql.c_str(), -1, &upd, nullptr) == SQLITE_OK);
    sqlite::exec(db, "BEGIN IMMEDIATE");
    std::vector<std::string> values(cols.size());
    while (sqlite3_step(sel) == SQLITE_ROW) {
      bool changed = false;
      for (size_t c = 0; c < cols.size(); ++c) {
        const unsigned char* v = sqlite3_column_text(sel, static_cast<int>(c) + 1);
        std::string_view old = v ? reinterpret_cast<const char*>(v) : "";
        values[c] = old;
        if (old.empty() || chart::isSpecialWord(old)) continue;
        std::string converted = plan.convert(old);
        std::string_view clipped = clipText(converted);
        if (clipped == old) continue;
        values[c] = clipped;
        changed = true;
      }
      if (!changed) continue;
      for (size_t c = 0; c < cols.size(); ++c)
        sqlite3_bind_text(upd, static_cast<int>(c) + 1, values[c].data(), static_cast<int>(values[c].size()),
                          SQLITE_STATIC);
      sqlite3_bind_int64(upd, static_cast<int>(cols.size()) + 1, sqlite3_column_int64(sel, 0));
      CHECK(sqlite3_step(upd) == SQLITE_DONE);
      sqlite3_reset(upd);
    }
    sqlite::exec(db, "COMMIT");
    sqlite3_finalize(sel);
    sqlite3_finalize(upd);
    sqlite3_close(db);
  }
}

void engineRun(const std::string& dir) {
  Root r(dir);
  adjust::AdjustRun run(*r.dict, *r.state, nullptr);
  adjust::AdjustRequest req;
  req.newStructure = 2;
  req.year = kYear;
  req.companies = {kCompany};
  Result<adjust::AdjustReport> rep = run.run(req);
  if (!rep || !rep->success) {
    std::fprintf(stderr, "ajuste falhou: %s\n", rep ? rep->finalMessage.c_str() : rep.status().toString().c_str());
    if (rep)
      for (const auto& c : rep->companies)
        if (!c.reason.empty()) std::fprintf(stderr, "  empresa %u: %s\n", unsigned{c.code}, c.reason.c_str());
    std::exit(1);
  }
}

struct Measure {
  double seconds = 0;
  long maxRssKb = 0;
  bool ok = false;
};

// Runs `work` in a child process; its time and peak memory, and whether it
// ended well.
Measure tryInChild(const std::function<void()>& work) {
  std::fflush(stdout);  // the child must not print the parent's lines again
  auto t0 = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    work();
    _exit(0);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  return {std::chrono::duration<double>(Clock::now() - t0).count(), usage.ru_maxrss,
          WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

Measure inChild(const std::function<void()>& work) {
  Measure m = tryInChild(work);
  CHECK(m.ok);
  return m;
}

// The same company below a PostgreSQL server: built, then adjusted; the
// run against the one on the files.  A failure is printed, not hidden.
void runOnServer(const std::string& server, int64_t n, const Measure& files) {
  const std::string dir = server + "/ADJBENCH" + std::to_string(getpid());
  (void)removeServerFiles(dir);
  Measure built = tryInChild([&] { build(dir + "/", n); });
  if (!built.ok) {
    std::printf("PostgreSQL: the company could not be built below %s\n", dir.c_str());
  } else {
    std::printf("data built on PostgreSQL in %.1f s\n", built.seconds);
    Measure run = tryInChild([&] { engineRun(dir + "/"); });
    if (run.ok)
      std::printf("adjustment run on PostgreSQL %8.2f s   peak memory %7ld KiB   ratio to the files %.2f\n",
                  run.seconds, run.maxRssKb, run.seconds / files.seconds);
    else
      std::printf("adjustment run on PostgreSQL failed after %.2f s (message above)\n", run.seconds);
  }
  (void)removeServerFiles(dir);
}

}  // namespace

int main(int argc, char** argv) {
  int64_t n = argc > 1 ? std::atoll(argv[1]) : 1000000;
  char tmpl[] = "/tmp/vorlam-adjust-bench-XXXXXX";
  std::string dir = std::string(mkdtemp(tmpl)) + "/";
  std::string engineDir = dir + "engine/", plainDir = dir + "plain/";
  std::printf("%lld journal lines, %lld lines in each of four fiscal registers\n", static_cast<long long>(n),
              static_cast<long long>(n / 10));
  Measure built = inChild([&] { build(engineDir, n); });
  std::printf("data built in %.1f s\n", built.seconds);
  fs::copy(engineDir, plainDir, fs::copy_options::recursive);
  Measure plain = inChild([&] { plainRun(plainDir); });
  Measure engine = inChild([&] { engineRun(engineDir); });
  std::printf("plain SQLite   %8.2f s   peak memory %7ld KiB\n", plain.seconds, plain.maxRssKb);
  std::printf("adjustment run %8.2f s   peak memory %7ld KiB\n", engine.seconds, engine.maxRssKb);
  std::printf("ratio %.2f\n", engine.seconds / plain.seconds);
  fs::remove_all(dir);
  const std::string server = platform::environmentVariable("VORLAM_BENCH_POSTGRES");
  if (!server.empty()) runOnServer(server, n, engine);
  return 0;
}
