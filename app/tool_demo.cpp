// vorlam-tool demo: writes a complete sample data root.

#include <charconv>
#include <ostream>
#include <string>
#include <string_view>

#include "app/tool_commands.h"
#include "sampledata/demo_data.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool demo --root DIR [--companies N] [--entries N] [--years A1,A2,...]\n"
    "                      [--seed S] [--big-journal N] [--unified-branch]\n"
    "\n"
    "Cria em DIR um diretório de dados de exemplo completo: tabelas comuns\n"
    "(estados, municípios, CNAE, códigos de alteração contratual, estruturas\n"
    "do plano de contas, contas de integração), empresas com matriz e filiais\n"
    "e histórico de alterações, planos de contas com históricos, lançamentos\n"
    "padrão e grupos, CFOP, códigos de serviço, clientes e fornecedores e, por\n"
    "empresa e ano, o diário, as notas de entrada e saída, as notas de ISS,\n"
    "as parcelas, as parcelas pagas e a conciliação.\n"
    "\n"
    "A mesma semente gera sempre os mesmos registros. DIR deve estar vazio (ou\n"
    "não existir): arquivos que já têm registros são recusados.\n"
    "\n"
    "Opções:\n"
    "  --root DIR       diretório de dados a criar\n"
    "  --companies N    número de empresas, de 1 a 500 (padrão 5)\n"
    "  --entries N      linhas do diário por empresa e ano, de 0 a 10000000\n"
    "                   (padrão 2000)\n"
    "  --years A1,A2    anos em ordem crescente (padrão: o ano anterior e o atual)\n"
    "  --seed S         semente dos dados, número inteiro sem sinal (padrão 1)\n"
    "  --big-journal N  o diário da primeira empresa no último ano com N linhas\n"
    "                   (de 0 a 10000000; 1000000 para medir a tela de lançamentos)\n"
    "  --unified-branch com menos de 4 empresas: a empresa 1 é filial da empresa 2,\n"
    "                   com contabilidade unificada na matriz\n"
    "  --quiet          sem barra de progresso\n"
    "  --help           mostra esta ajuda\n"
    "\n"
    "Saída: 0 sucesso; 2 uso incorreto; 1 falha ao gravar.\n";

constexpr const char* kPrefix = "vorlam-tool demo: ";

template <typename T>
bool parseWhole(std::string_view text, T* value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

bool parseYears(std::string_view text, std::vector<int>* years) {
  years->clear();
  while (true) {
    size_t comma = text.find(',');
    int y = 0;
    if (!parseWhole(text.substr(0, comma), &y)) return false;
    years->push_back(y);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

// A one-line progress bar redrawn in place, only when what it shows changes.
class ProgressBar {
 public:
  explicit ProgressBar(std::ostream& err) : err_(err) {}
  void operator()(const std::string& phase, int64_t done, int64_t total) {
    int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (phase == phase_ && percent == percent_) return;
    phase_ = phase;
    percent_ = percent;
    std::string bar(static_cast<size_t>(percent / 4), '#');
    bar.resize(25, ' ');
    err_ << "\r[" << bar << "] " << percent << "% " << phase << "\x1b[K" << std::flush;
  }
  void end() {
    if (!phase_.empty()) err_ << "\n";
  }

 private:
  std::ostream& err_;
  std::string phase_;
  int percent_ = -1;
};

}  // namespace

// The command line into `opt` and `quiet`: 0 to go on, -1 after --help
// (the usage written to `out`), 2 for bad usage (the message written to
// `err`).
int parseDemoOptions(const Args& args, sampledata::DemoOptions* opt, bool* quiet, std::ostream& out,
                     std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      out << kUsage;
      return -1;
    }
    if (a == "--quiet" || a == "--unified-branch") {
      (a == "--quiet" ? *quiet : opt->unifiedBranch) = true;
      continue;
    }
    std::string value;
    std::string_view name;
    OptionMatch m = OptionMatch::kOther;
    for (std::string_view n : {"--root", "--companies", "--entries", "--years", "--seed", "--big-journal"}) {
      if ((m = takeOption(args, &i, n, &value)) != OptionMatch::kOther) {
        name = n;
        break;
      }
    }
    if (m == OptionMatch::kOther) {
      err << kPrefix << "argumento desconhecido: " << a << "\nVeja vorlam-tool demo --help\n";
      return 2;
    }
    if (m == OptionMatch::kMissingValue) {
      err << kPrefix << "falta o valor de " << a << "\n";
      return 2;
    }
    bool ok = true;
    if (name == "--root") opt->root = value, ok = !value.empty();
    else if (name == "--companies") ok = parseWhole(value, &opt->companies);
    else if (name == "--entries") ok = parseWhole(value, &opt->entries);
    else if (name == "--years") ok = parseYears(value, &opt->years);
    else if (name == "--seed") ok = parseWhole(value, &opt->seed);
    else ok = parseWhole(value, &opt->bigJournal);
    if (!ok) {
      err << kPrefix << "valor inválido de " << name << ": " << value << "\n";
      return 2;
    }
  }
  return 0;
}

int runDemo(const Args& args, std::ostream& out, std::ostream& err) {
  sampledata::DemoOptions opt;
  bool quiet = false;
  if (int parsed = parseDemoOptions(args, &opt, &quiet, out, err); parsed != 0) return parsed < 0 ? 0 : parsed;
  if (opt.root.empty()) {
    err << kPrefix << "informe --root\n\n" << kUsage;
    return 2;
  }
  if (Status s = sampledata::normalizeDemoOptions(&opt); !s) {
    err << kPrefix << s.message() << "\n";
    return 2;
  }
  ProgressBar bar(err);
  sampledata::DemoProgress progress;
  if (!quiet) progress = [&bar](const std::string& p, int64_t d, int64_t t) { bar(p, d, t); };
  Result<sampledata::DemoSummary> r = sampledata::generateDemo(opt, progress);
  if (!quiet) bar.end();
  if (!r.isOk()) {
    err << kPrefix << r.status().message();
    if (!r.status().detail().empty()) err << ": " << r.status().detail();
    err << "\n";
    return r.status().is(StatusCode::kInvalidArgument) ? 2 : 1;
  }
  out << "Diretório de dados: " << r->root << "\n"
      << "Empresas: " << r->companies.size() << "\n"
      << "Anos:";
  for (int y : r->years) out << " " << y;
  out << "\nRegistros gravados: " << r->records << "\n";
  return 0;
}

}  // namespace vorlam::tool
