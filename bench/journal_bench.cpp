// The journal screen over a journal of a million lines: opening on its
// first page, the jump to a date, the jump to the end, and the refresh of
// the list after a line is saved.  Each figure is the median of several
// rounds, in milliseconds, with the page size read; the target is 50 ms.
//
// Usage: journal_bench [--root DIR] [--lines N] [--rounds R]
//   Without --root a sample root with one journal of N lines (default
//   1,000,000) is generated in a temporary directory first (a minute or
//   two) and removed at the end; with --root, DIR must hold a root written
//   by `vorlam-tool demo --companies 1 --years 2024 --big-journal N`, whose
//   journal then keeps the lines the rounds save.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ledger/journal_screen.h"
#include "sampledata/demo_data.h"
#include "shell/company_files.h"
#include "shell/session.h"
#include "storage/date.h"
#include "storage/text.h"
#include <unistd.h>

namespace {

using namespace vorlam;
using Clock = std::chrono::steady_clock;

constexpr int kYear = 2024;

class BenchServices : public shell::ScreenServices {
 public:
  explicit BenchServices(shell::Session& session) : session_(session) {}
  shell::Session& session() override { return session_; }
  Dialogs& dialogs() override { return dialogs_; }
  WriteListener* writes() override { return nullptr; }
  void attach(ScreenModel& model) override { model.setDialogs(&dialogs_); }
  Result<std::unique_ptr<Screen>> open(std::string_view, const shell::ScreenRequest&) override {
    return Status(StatusCode::kNotFound, "sem telas");
  }
  bool has(std::string_view) const override { return false; }
  ScriptedDialogs dialogs_;

 private:
  shell::Session& session_;
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double timeIt(const std::function<void()>& f) {
  const auto start = Clock::now();
  f();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void report(const char* what, const std::vector<double>& times, size_t rows) {
  const double m = median(times);
  std::printf("%-34s %8.2f ms  (linhas lidas na página: %zu)%s\n", what, m, rows, m < 50.0 ? "" : "  ACIMA DE 50 ms");
}

}  // namespace

int main(int argc, char** argv) {
  std::string root;
  int64_t lines = 1000000;
  int rounds = 7;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--root") root = argv[i + 1];
    else if (a == "--lines") lines = std::atoll(argv[i + 1]);
    else if (a == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
  }
  std::filesystem::path generated;
  if (root.empty()) {
    generated = std::filesystem::temp_directory_path() / ("vorlam_journal_bench_" + std::to_string(::getpid()));
    root = generated.string();
    std::printf("Gerando diário de %lld linhas em %s...\n", static_cast<long long>(lines), root.c_str());
    sampledata::DemoOptions o;
    o.root = root;
    o.companies = 1;
    o.entries = 0;
    o.bigJournal = lines;
    o.years = {kYear};
    if (Result<sampledata::DemoSummary> r = sampledata::generateDemo(o); !r.isOk()) {
      std::fprintf(stderr, "demo: %s\n", r.status().message().c_str());
      return 1;
    }
  }
  Result<std::unique_ptr<shell::Session>> session = shell::Session::start({root, root});
  if (!session.isOk()) {
    std::fprintf(stderr, "sessão: %s\n", session.status().message().c_str());
    return 1;
  }
  shell::Session& s = *session.value();
  shell::CompanyFiles files(s.dictionary().find("Empresa"), s.dictionary().find("AltContratuais"));
  Result<shell::CompanyRecord> company = files.readCompany(s.state(), 1);
  if (!company.isOk() || !company->found) {
    std::fprintf(stderr, "empresa 1 não encontrada em %s\n", root.c_str());
    return 1;
  }
  shell::CurrentCompany current;
  current.codigo = 1;
  current.razao = company->razaoSocial;
  current.uf = company->uf;
  current.plContas = company->plContas;
  current.codPlanoContas = static_cast<uint16_t>(company->codigoPlanoContas);
  current.tipoFornecedor = company->tipoFornecedor;
  current.tipoCfo = company->tipoCfo;
  current.tipoContaIss = company->tipoContaIss;
  current.ano = kYear;
  current.mes = shell::kWholeYear;
  files.selectCompany(s.state(), current, *company);
  BenchServices services(s);

  std::vector<double> opening, byDate, toEnd, afterSave, saveAll;
  int pageSize = 0;
  size_t rows = 0;
  int32_t day = *toDayNumber(kYear, 7, 1);
  for (int round = 0; round < rounds; ++round) {
    std::unique_ptr<ledger::JournalScreen> screen;
    opening.push_back(timeIt([&] {
      screen = std::make_unique<ledger::JournalScreen>(services);
      services.attach(screen->model());
      screen->open();
    }));
    if (screen->model().closed()) {
      std::fprintf(stderr, "a tela não abriu\n");
      return 1;
    }
    rows = screen->list().rows().size();
    ScreenModel& m = screen->model();
    byDate.push_back(timeIt([&] { m.type("Loc:DataPesquisa", formatDate(day + round * 11)); }));
    toEnd.push_back(timeIt([&] { screen->list().lastPage(); }));
    // A new line saved through the strip (its commit included), then the
    // list brought around it alone, as the save does.
    Record sample = screen->list().rows().front();
    for (const Record& r : screen->list().rows())
      if (!clipText(r.getText("ContaDebito")).empty() && !clipText(r.getText("ContaCredito")).empty()) sample = r;
    m.press("&Incluir");
    m.type("DIAE:Data", formatDate(day));
    m.type("DIAE:ContaDebito", latin1ToUtf8(sample.getText("ContaDebito")));
    m.type("DIAE:ContaCredito", latin1ToUtf8(sample.getText("ContaCredito")));
    m.type("DIAE:Historico", "1");
    m.type("DIAE:ValorDebito", "10,00");
    const size_t boxes = services.dialogs_.boxes.size();
    saveAll.push_back(timeIt([&] { m.press("&Grava"); }));
    if (services.dialogs_.boxes.size() != boxes) {
      for (const MessageBoxRequest& b : services.dialogs_.boxes) std::fprintf(stderr, "mensagem: %s\n", b.text.c_str());
      std::fprintf(stderr, "a gravação foi recusada (débito %s, crédito %s)\n",
                   latin1ToUtf8(sample.getText("ContaDebito")).c_str(), latin1ToUtf8(sample.getText("ContaCredito")).c_str());
      return 1;
    }
    m.press("&Cancela");
    const Record saved = *screen->list().selected();
    afterSave.push_back(timeIt([&] { screen->list().showAround(saved); }));
    pageSize = screen->list().cache().pageSize();
  }
  std::printf("Diário: %lld linhas; página de %d linhas\n", static_cast<long long>(lines), pageSize);
  report("abrir na primeira página", opening, rows);
  report("ir para uma data", byDate, rows);
  report("ir para o fim", toEnd, rows);
  report("atualizar após gravar", afterSave, rows);
  report("gravar (com o commit) e atualizar", saveAll, rows);
  if (!generated.empty()) std::filesystem::remove_all(generated);
  return 0;
}
