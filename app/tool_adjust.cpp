// vorlam-tool adjust: the chart-of-accounts adjustment from the command line.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <string>

#include "adjust/adjust_run.h"
#include "app/tool_commands.h"
#include "dictionary/dictionary.h"
#include "shell/startup.h"
#include "storage/table.h"
#include "storage/table_backend.h"

namespace vorlam::tool {
namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool adjust --root DIR --structure N --year A --company C [--company C ...]\n"
    "                        [--with-sharers] [--dry-run]\n"
    "     vorlam-tool adjust --root DIR --resume\n"
    "     vorlam-tool adjust --root DIR --restore --company C\n"
    "\n"
    "Ajusta o plano de contas das empresas indicadas para a estrutura N a partir\n"
    "do ano A: reconstrói o plano de contas na nova estrutura, converte todas as\n"
    "contas gravadas nos arquivos da empresa e registra a alteração contratual\n"
    "(código 41) em 1º de janeiro do ano.\n"
    "\n"
    "Opções:\n"
    "  --root DIR       diretório de dados (contém BComuns, BCTB, BEscrita)\n"
    "  --structure N    código da nova estrutura (ConfPlanoContas)\n"
    "  --year A         ano de trabalho e do ajuste\n"
    "  --company C      empresa a ajustar (repita para várias, na ordem dada)\n"
    "  --with-sharers   inclui no ajuste as empresas que usam arquivos\n"
    "                   compartilhados com as indicadas (sem esta opção, uma\n"
    "                   empresa que compartilha arquivos com outra fora da lista\n"
    "                   é recusada)\n"
    "  --dry-run        não altera nada: informa, por empresa e tabela, quantos\n"
    "                   registros e campos mudariam e os códigos que impedem o ajuste\n"
    "  --resume         só conclui os ajustes interrompidos (veja abaixo)\n"
    "  --restore        devolve a empresa (e as ajustadas junto com ela) ao estado\n"
    "                   anterior ao seu último ajuste concluído\n"
    "  --help           mostra esta ajuda\n"
    "\n"
    "Cada empresa termina ou exatamente como estava ou inteiramente ajustada. Os\n"
    "arquivos são convertidos em cópias, conferidos e só então postos no lugar;\n"
    "os originais ficam em Temp/Ajuste. Um ajuste interrompido (queda de energia,\n"
    "processo encerrado) é desfeito antes de qualquer novo ajuste: os originais\n"
    "voltam ao lugar e a empresa é ajustada de novo desde o início.\n"
    "\n"
    "O relatório final conta também as contas no código antigo que ficam em\n"
    "arquivos que o ajuste não altera (parcelas, integração do ISS, conciliação\n"
    "e os arquivos dos outros anos).\n"
    "\n"
    "O registro do processamento vai para a saída padrão; o progresso, para a\n"
    "saída de erros.\n"
    "\n"
    "Saída: 0 todas as empresas ajustadas sem falha; 1 houve falhas (veja o\n"
    "registro); 2 uso incorreto ou ajuste recusado antes de qualquer alteração.\n";

constexpr const char* kPrefix = "vorlam-tool adjust: ";

class ConsoleObserver : public adjust::Observer {
 public:
  ConsoleObserver(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void logLine(const std::string& line) override { out_ << line << "\n"; }
  void companiesRange(int total) override { companies_ = total; }
  void companiesPosition(int done) override {
    err_ << "\rEmpresas: " << done << "/" << companies_ << "          \n";
  }
  void fileRange(int64_t total) override { fileTotal_ = total; }
  void filePosition(int64_t pos) override {
    if (fileTotal_ > 10000) err_ << "\rArquivos da empresa: " << pos << "/" << fileTotal_ << std::flush;
  }

 private:
  std::ostream& out_;
  std::ostream& err_;
  int companies_ = 0;
  int64_t fileTotal_ = 0;
};

bool parseNumber(const std::string& s, long max, long* out) {
  char* end = nullptr;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end != '\0' || v < 0 || v > max) return false;
  *out = v;
  return true;
}

const char* outcomeText(adjust::CompanyOutcome o) {
  switch (o) {
    case adjust::CompanyOutcome::kConverted: return "ajustada";
    case adjust::CompanyOutcome::kAlreadyInForce: return "já na estrutura";
    case adjust::CompanyOutcome::kSkipped: return "não ajustada";
    case adjust::CompanyOutcome::kFailed: return "falhou";
    case adjust::CompanyOutcome::kDryRun: return "simulação";
  }
  return "";
}

void printReport(const adjust::AdjustReport& report, bool dryRun, std::ostream& out) {
  out << "\n";
  for (const auto& c : report.companies) {
    out << "Empresa\t" << c.code << "\t" << c.name << "\t" << outcomeText(c.outcome) << "\testrutura anterior "
        << c.oldStructure << "\tfalhas " << c.failures;
    if (!c.reason.empty()) out << "\t" << c.reason;
    out << "\n";
    for (const auto& t : c.tables)
      out << "  Tabela\t" << t.label << "\tregistros " << t.total << "\tregistros " << (dryRun ? "a alterar " : "alterados ")
          << t.changedRecords << "\tcampos " << t.changedFields << "\tfalhas " << t.failures << "\n";
    for (const auto& f : c.sharedFiles) out << "  Arquivo compartilhado\t" << f << "\n";
    if (c.balance.done)
      out << "  Conferência de saldos do diário\t" << c.balance.accounts << " contas\t"
          << (c.balance.matches ? "saldos conferem" : "SALDOS DIVERGENTES") << "\n";
    for (const auto& d : c.balance.differences) out << "    Saldo divergente\t" << d << "\n";
    for (const auto& b : c.blockers)
      out << "  Impede\t" << b.table << "\t" << b.key << "\t" << b.field << "\t" << b.oldCode << "\t" << b.newCode
          << "\t" << b.why << "\n";
    if (!c.sharers.empty()) {
      out << "  Compartilha arquivos com\t";
      for (uint16_t s : c.sharers) out << s << " ";
      out << "\n";
    }
    for (const auto& u : c.untouched) {
      out << "  Não alterado\t" << u.label << "\t" << (u.year ? std::to_string(u.year) : std::string("-"));
      if (!u.error.empty())
        out << "\terro " << u.error;
      else
        out << "\tregistros " << u.records << "\tcontas antigas " << u.fields << "\tnão caberiam " << u.notFitting;
      out << "\t" << u.path << "\n";
    }
  }
  out << report.finalMessage << "\n";
}

struct AdjustOptions {
  std::string root;
  long structure = -1;
  long year = -1;
  adjust::AdjustRequest request;
  bool resumeOnly = false;
  bool restore = false;
  bool help = false;
};

// One option of `args` at *i into `o`; false for an unknown option, one
// without its value or a value out of range.
bool takeAdjustOption(const Args& args, size_t* i, AdjustOptions* o) {
  const std::string& a = args[*i];
  std::string v;
  long n = 0;
  auto with = [&](const char* name) { return takeOption(args, i, name, &v) == OptionMatch::kTaken; };
  if (a == "--help" || a == "-h") return o->help = true;
  if (a == "--resume") return o->resumeOnly = true;
  if (a == "--restore") return o->restore = true;
  if (a == "--with-sharers") return o->request.withSharers = true;
  if (a == "--dry-run") return o->request.dryRun = true;
  if (with("--root")) {
    o->root = v;
    return !v.empty();
  }
  if (with("--structure")) {
    if (!parseNumber(v, 999, &n)) return false;
    o->structure = n;
    return true;
  }
  if (with("--year")) {
    if (!parseNumber(v, 9999, &n) || n < 1801) return false;
    o->year = n;
    return true;
  }
  if (with("--company")) {
    if (!parseNumber(v, 65535, &n) || n == 0) return false;
    o->request.companies.push_back(static_cast<uint16_t>(n));
    return true;
  }
  return false;
}

// The options of the command line, checked together; false (with the
// message written to `err`) for bad usage.
bool parseAdjustOptions(const Args& args, AdjustOptions* o, std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const size_t at = i;
    if (!takeAdjustOption(args, &i, o)) {
      // A value that was taken and refused is named with its option.
      if (i != at) err << kPrefix << "valor inválido para " << args[at] << ": " << args[i] << "\n" << kUsage;
      else err << kPrefix << "opção inválida ou sem valor: " << args[i] << "\n" << kUsage;
      return false;
    }
    if (o->help) return true;
  }
  if (o->restore && (o->root.empty() || o->request.companies.size() != 1)) {
    err << kPrefix << "informe --root e uma --company para restaurar\n" << kUsage;
    return false;
  }
  if (o->root.empty() ||
      (!o->resumeOnly && !o->restore && (o->structure < 0 || o->year < 0 || o->request.companies.empty()))) {
    err << kPrefix << "informe --root, --structure, --year e ao menos um --company\n" << kUsage;
    return false;
  }
  o->request.newStructure = static_cast<uint16_t>(std::max(o->structure, 0L));
  o->request.year = static_cast<uint16_t>(std::max(o->year, 0L));
  return true;
}

// The data root is the given directory itself, not the launcher's setting,
// and it is never created here: a mistyped path would otherwise get an
// empty tree and an adjustment of nothing.
std::optional<shell::DataLocations> existingRoot(const std::string& root, std::ostream& err) {
  const bool server = isServerLocation(root);
  std::string absolute = server || std::filesystem::path(root).is_absolute()
                             ? root
                             : shell::currentWorkingDirectory() + shell::kPathSeparator + root;
  shell::DataLocations loc;
  loc.root = shell::withTrailingSeparator(absolute);
  loc.shared = loc.root + "BComuns";
  loc.fiscalBooks = loc.root + "BEscrita";
  loc.accounting = loc.root + "BCTB";
  loc.temp = loc.root + "Temp";
  loc.upgrade = loc.shared;
  if (server) {
    if (Status s = checkServerLocation(loc.root); !s) {
      err << kPrefix << s.message() << "\n";
      return std::nullopt;
    }
  }
  if (!directoryExists(loc.root) || !directoryExists(loc.shared)) {
    err << kPrefix << "diretório de dados inexistente ou sem BComuns: " << root << "\n";
    return std::nullopt;
  }
  return loc;
}

// Completes (or, in a dry run, lists) the adjustments a cut-off run left
// pending; false when one of them failed.
bool resumePending(const Dictionary& dict, shell::AppState& state, const shell::CurrentCompany& period,
                   bool dryRun, ConsoleObserver& observer, std::ostream& out, std::ostream& err) {
  bool ok = true;
  for (const auto& pending : adjust::pendingAdjustments(state)) {
    if (dryRun) {
      out << "Ajuste interrompido pendente: empresa(s)";
      for (uint16_t c : pending.companies) out << " " << c;
      out << " (estrutura " << pending.newStructure << ", ano " << pending.year << ")\n";
      continue;
    }
    shell::CurrentCompany unitPeriod = period;
    unitPeriod.ano = pending.year;
    state.setCompany(unitPeriod);
    adjust::AdjustRun resume(dict, state, &observer);
    Result<adjust::AdjustReport> r = resume.resume(pending);
    if (!r) {
      err << kPrefix << r.status().message() << "\n";
      ok = false;
      continue;
    }
    printReport(r.value(), false, out);
    ok = ok && r->success;
  }
  return ok;
}

}  // namespace

int runAdjust(const Args& args, std::ostream& out, std::ostream& err) {
  AdjustOptions o;
  if (!parseAdjustOptions(args, &o, err)) return 2;
  if (o.help) {
    out << kUsage;
    return 0;
  }
  std::optional<shell::DataLocations> loc = existingRoot(o.root, err);
  if (!loc) return 2;
  auto state = std::make_unique<shell::AppState>(*loc);
  state->bind(shell::sharedFileNames(loc->root));
  shell::CurrentCompany period;
  period.ano = o.request.year;
  period.mes = shell::kWholeYear;
  state->setCompany(period);

  std::shared_ptr<const Dictionary> dict = buildDictionary();
  ConsoleObserver observer(out, err);
  if (o.restore) {
    adjust::AdjustRun run(*dict, *state, &observer);
    Result<adjust::RestoreReport> r = run.restore(o.request.companies.front());
    if (!r) {
      err << kPrefix << r.status().message() << "\n";
      return 1;
    }
    return 0;
  }
  // Companies whose commit was cut off are completed first.
  const bool resumedOk = resumePending(*dict, *state, period, o.request.dryRun, observer, out, err);
  if (o.resumeOnly) return resumedOk ? 0 : 1;
  if (!o.request.dryRun) state->setCompany(period);  // a completed company must not change the working year
  adjust::AdjustRun run(*dict, *state, &observer);
  Result<adjust::AdjustReport> report = run.run(o.request);
  if (!report) {
    err << kPrefix << report.status().message() << "\n";
    return 2;
  }
  printReport(report.value(), o.request.dryRun, out);
  return report->success && resumedOk ? 0 : 1;
}

}  // namespace vorlam::tool
