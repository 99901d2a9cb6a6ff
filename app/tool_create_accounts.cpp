// vorlam-tool create-accounts: the customers and suppliers of one company
// without an account in its chart of accounts, and the creation of those
// accounts in one run (fiscal/missing_accounts.h).

#include <charconv>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "app/tool_commands.h"
#include "app/tool_company.h"
#include "dictionary/dictionary.h"
#include "fiscal/missing_accounts.h"
#include "shell/startup.h"
#include "storage/text.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool create-accounts --root DIR --company C [--year A] [--dry-run]\n"
    "\n"
    "Procura os clientes e fornecedores da empresa C sem conta no plano de contas\n"
    "(conta em branco, ou que não existe no plano) e inclui as contas como o\n"
    "cadastro de Fornecedores/Clientes as incluiria: numeração da empresa\n"
    "(1 sequencial, 2 pelo CNPJ/CPF) sob o grupo de clientes ou de fornecedores.\n"
    "Uma conta gravada que cabe na estrutura é incluída com o mesmo código; as\n"
    "demais recebem uma conta nova e o cadastro passa a apontar para ela. Com a\n"
    "numeração 3 (Não Inclui) o plano de contas não é alterado.\n"
    "\n"
    "Tudo é gravado numa transação por arquivo; o plano de contas é gravado\n"
    "antes dos cadastros, e nenhum cadastro aponta para uma conta não incluída.\n"
    "\n"
    "Opções:\n"
    "  --root DIR     diretório de dados (contém BComuns, BCTB, BEscrita)\n"
    "  --company C    empresa\n"
    "  --year A       ano de trabalho (estrutura do plano em vigor); padrão: o atual\n"
    "  --dry-run      só lista o que seria feito\n"
    "  --help         mostra esta ajuda\n"
    "\n"
    "Saída padrão: uma linha por conta faltando (código, razão social, tipo,\n"
    "conta gravada, conta, ação, motivo) e o resumo; o progresso vai para a\n"
    "saída de erros.  Saída: 0 sem falhas; 1 houve falhas; 2 uso incorreto.\n";

constexpr const char* kPrefix = "vorlam-tool create-accounts: ";

struct Options {
  std::string root, company, year;
  bool dryRun = false;
};

bool parseNumber(std::string_view text, long low, long high, long* value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() && *value >= low && *value <= high;
}

long currentYear() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  return tm.tm_year + 1900;
}

// 0 parsed, 1 help shown, 2 bad usage.
int parseOptions(const Args& args, Options* o, std::ostream& out, std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto with = [&](const char* name, std::string* v) {
      return takeOption(args, &i, name, v) == OptionMatch::kTaken;
    };
    if (a == "--help") {
      out << kUsage;
      return 1;
    } else if (a == "--dry-run") {
      o->dryRun = true;
    } else if (!with("--root", &o->root) && !with("--company", &o->company) && !with("--year", &o->year)) {
      err << kPrefix << "opção desconhecida ou sem valor: " << a << "\n" << kUsage;
      return 2;
    }
  }
  if (o->root.empty() || o->company.empty()) {
    err << kPrefix << "informe --root e --company\n" << kUsage;
    return 2;
  }
  return 0;
}

void printRows(const std::vector<fiscal::MissingAccount>& rows, std::ostream& out) {
  for (const fiscal::MissingAccount& r : rows)
    out << r.party << "\t" << r.name << "\t" << fiscal::sideName(r.side) << "\t" << latin1ToUtf8(r.stored) << "\t"
        << latin1ToUtf8(r.account) << "\t" << fiscal::planName(r.plan) << "\t" << r.reason << "\n";
}

}  // namespace

int runCreateAccounts(const Args& args, std::ostream& out, std::ostream& err) {
  Options opt;
  if (int p = parseOptions(args, &opt, out, err); p != 0) return p == 1 ? 0 : p;
  long code = 0, year = 0;
  if (!parseNumber(opt.company, 1, 65535, &code)) {
    err << kPrefix << "código de empresa inválido (use de 1 a 65535): " << opt.company << "\n";
    return 2;
  }
  if (opt.year.empty()) year = currentYear();
  else if (!parseNumber(opt.year, 1801, 9998, &year)) {
    err << kPrefix << "ano inválido (use de 1801 a 9998): " << opt.year << "\n";
    return 2;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(opt.root, ec)) {
    err << kPrefix << "diretório de dados não encontrado: " << opt.root << "\n";
    return 2;
  }
  const std::string root =
      shell::withTrailingSeparator(std::filesystem::absolute(opt.root, ec).lexically_normal().string());
  auto dict = buildDictionary();
  shell::AppState state(shell::locationsUnder(root));
  state.bind(shell::sharedFileNames(root));
  shell::CompanyFiles files(dict->find("Empresa"), dict->find("AltContratuais"), OpenMode::kReadOnly);
  Result<shell::CompanyRecord> rec = files.readCompany(state, static_cast<uint16_t>(code));
  if (!rec.isOk() || !rec->found) {
    err << kPrefix << "empresa " << code << " não cadastrada em " << state.pathFor(shell::kEmpresaFile) << "\n";
    return 2;
  }
  files.selectCompany(state, companyFor(*rec, code, year, shell::kWholeYear), *rec, /*createDirectories=*/false);

  Result<fiscal::PartyAccountSettings> settings = fiscal::readPartyAccountSettings(*dict, state);
  if (!settings.isOk()) {
    err << kPrefix << "configuração da empresa não lida: " << settings.status().toString() << "\n";
    return 1;
  }
  const OpenMode mode = opt.dryRun ? OpenMode::kReadOnly : OpenMode::kShared;
  Table parties(dict->find("ForCli")), chart(dict->find("PlanoContas"));
  for (Table* t : {&parties, &chart}) {
    const std::string path = state.pathFor(t->def().binding);
    if (Status s = t->open(path, mode); !s) {
      err << kPrefix << "arquivo não aberto: " << path << ": " << s.toString() << "\n";
      return 1;
    }
  }
  Result<std::vector<fiscal::MissingAccount>> rows = fiscal::findMissingAccounts(parties, chart, *settings);
  if (!rows.isOk()) {
    err << kPrefix << "leitura falhou: " << rows.status().toString() << "\n";
    return 1;
  }
  printRows(*rows, out);
  int toDo = 0;
  for (const fiscal::MissingAccount& r : *rows) toDo += r.plan != fiscal::AccountPlan::kSkip;
  out << "\nContas faltando: " << rows->size() << "\ta criar ou apontar: " << toDo << "\n";
  if (opt.dryRun || toDo == 0) return 0;

  Result<fiscal::CreateAccountsReport> report = fiscal::createMissingAccounts(
      parties, chart, *settings, *rows, [&err](size_t done, size_t total) {
        if (total > 100 && (done % 100 == 0 || done == total)) err << "\rContas: " << done << "/" << total << std::flush;
      });
  if (!report.isOk()) {
    err << "\n" << kPrefix << "falhou: " << report.status().toString() << "\n";
    return 1;
  }
  for (const std::string& line : report->lines) out << "Falha\t" << line << "\n";
  out << "Contas incluídas: " << report->created << "\tcadastros alterados: " << report->pointed
      << "\tsem conta: " << report->skipped << "\tfalhas: " << report->failed << "\n";
  return report->failed == 0 ? 0 : 1;
}

}  // namespace vorlam::tool
