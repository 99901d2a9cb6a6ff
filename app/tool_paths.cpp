// vorlam-tool paths: the file name every table gets for one company and
// period under a data root, as selecting that company binds them.

#include <charconv>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "app/tool_commands.h"
#include "app/tool_company.h"
#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "shell/company_files.h"
#include "shell/startup.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool paths --root DIR --company N --year A [--month M]\n"
    "\n"
    "Lista o nome de arquivo de cada tabela do dicionário, na ordem do\n"
    "catálogo, para a empresa N no período A/M sob o diretório de dados DIR:\n"
    "uma linha por tabela com o rótulo, uma tabulação e o caminho completo.\n"
    "Tabelas sem nome de arquivo saem com o caminho vazio. O cadastro da\n"
    "empresa e suas alterações contratuais em DIR decidem entre os arquivos\n"
    "próprios e os comuns; sem cadastro vale o plano geral, estrutura 1.\n"
    "Nada é gravado nem criado em DIR.\n"
    "\n"
    "Opções:\n"
    "  --root DIR    diretório de dados (o que contém BComuns, BCTB, ...)\n"
    "  --company N   código da empresa, de 1 a 65535\n"
    "  --year A      ano de trabalho, de 1801 a 9998\n"
    "  --month M     mês de trabalho, de 1 a 12, ou 13 para o ano todo (padrão 13)\n"
    "  --help        mostra esta ajuda\n"
    "\n"
    "Saída: 0 sucesso; 2 uso incorreto; 1 cadastro de empresas ilegível.\n";

constexpr const char* kPrefix = "vorlam-tool paths: ";

struct Options {
  std::string root;
  std::string company;
  std::string year;
  std::string month = "13";
  bool help = false;
};

bool parseOptions(const Args& args, Options* opt, std::ostream& err) {
  struct Named {
    const char* name;
    std::string* value;
  };
  const Named named[] = {{"--root", &opt->root},
                         {"--company", &opt->company},
                         {"--year", &opt->year},
                         {"--month", &opt->month}};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      opt->help = true;
      continue;
    }
    bool known = false;
    for (const Named& n : named) {
      OptionMatch m = takeOption(args, &i, n.name, n.value);
      if (m == OptionMatch::kMissingValue) {
        err << kPrefix << "falta o valor de " << n.name << "\n";
        return false;
      }
      if (m == OptionMatch::kTaken) {
        known = true;
        break;
      }
    }
    if (!known) {
      err << kPrefix << "argumento desconhecido: " << a << "\n";
      return false;
    }
  }
  return true;
}

// A whole number in [low, high]; false for anything else.
bool parseNumber(std::string_view text, long low, long high, long* value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() &&
         *value >= low && *value <= high;
}

}  // namespace

// The current company as selecting it sets it: the record's values, with a
// blank chart type or structure taken as 1 (selection repairs them so).
shell::CurrentCompany companyFor(const shell::CompanyRecord& rec, long code, long year,
                                 long month) {
  shell::CurrentCompany c;
  c.codigo = static_cast<uint16_t>(code);
  c.ano = static_cast<uint16_t>(year);
  c.mes = static_cast<int>(month);
  c.razao = rec.razaoSocial;
  c.uf = rec.uf;
  c.plContas = rec.plContas == 0 ? shell::kSharedCopy : rec.plContas;
  c.codPlanoContas = static_cast<uint16_t>(rec.codigoPlanoContas == 0 ? 1 : rec.codigoPlanoContas);
  c.lotes = rec.lotes;
  c.tipoFornecedor = rec.tipoFornecedor;
  c.tipoCfo = rec.tipoCfo;
  c.tipoContaIss = rec.tipoContaIss;
  c.tpContasDesc = shell::chartTypeDescription(c.plContas, "");
  return c;
}

int runPaths(const Args& args, std::ostream& out, std::ostream& err) {
  Options opt;
  if (!parseOptions(args, &opt, err)) {
    err << "Veja vorlam-tool paths --help\n";
    return 2;
  }
  if (opt.help) {
    out << kUsage;
    return 0;
  }
  if (opt.root.empty() || opt.company.empty() || opt.year.empty()) {
    err << kPrefix << "informe --root, --company e --year\n" << kUsage;
    return 2;
  }
  long code = 0, year = 0, month = 0;
  if (!parseNumber(opt.company, 1, 65535, &code)) {
    err << kPrefix << "código de empresa inválido (use de 1 a 65535): " << opt.company << "\n";
    return 2;
  }
  if (!parseNumber(opt.year, 1801, 9998, &year)) {
    err << kPrefix << "ano inválido (use de 1801 a 9998): " << opt.year << "\n";
    return 2;
  }
  if (!parseNumber(opt.month, 1, 13, &month)) {
    err << kPrefix << "mês inválido (use de 1 a 12, ou 13 para o ano todo): " << opt.month << "\n";
    return 2;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(opt.root, ec)) {
    err << kPrefix << "diretório de dados não encontrado: " << opt.root << "\n";
    return 2;
  }
  std::string root = shell::withTrailingSeparator(
      std::filesystem::absolute(opt.root, ec).lexically_normal().string());

  auto dict = buildDictionary();
  shell::AppState state(shell::locationsUnder(root));
  state.bind(shell::sharedFileNames(root));
  // Read-only: listing names must not convert, create or change any file.
  shell::CompanyFiles files(dict->find("Empresa"), dict->find("AltContratuais"),
                            OpenMode::kReadOnly);
  Result<shell::CompanyRecord> rec = files.readCompany(state, static_cast<uint16_t>(code));
  if (!rec.isOk()) {
    err << kPrefix << "não foi possível ler o cadastro de empresas: " << rec.status().toString()
        << " (" << state.pathFor(shell::kEmpresaFile) << ")\n";
    return 1;
  }
  files.selectCompany(state, companyFor(*rec, code, year, month), *rec,
                      /*createDirectories=*/false);

  shell::AppSnapshot s = state.snapshot();
  for (const TableDef& t : dict->tables()) {
    out << t.label << "\t" << (t.binding.empty() ? std::string() : s.pathFor(t.binding)) << "\n";
  }
  return 0;
}

}  // namespace vorlam::tool
