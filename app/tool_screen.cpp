// vorlam-tool screen: runs a screen script (framework/screen_script.h)
// against the real screens on the files of a data root.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "app/tool_commands.h"
#include "app/tool_screens.h"
#include "framework/screen_script.h"
#include "storage/table_backend.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool screen --root DIR [--company C] [--period MM/AAAA] SCRIPT|-\n"
    "\n"
    "Executa um roteiro de telas (SCRIPT, ou a entrada padrão com -) sobre as\n"
    "telas reais e os arquivos do diretório de dados DIR, com as mesmas regras\n"
    "das janelas. A tela principal (Main) abre primeiro.\n"
    "\n"
    "Um comando por linha; # inicia um comentário; palavras separadas por\n"
    "brancos, e uma palavra com brancos entre aspas (\\\" dentro delas):\n"
    "  company C | period MM/AAAA | setting ARQUIVO SEÇÃO CHAVE VALOR\n"
    "  menu ITEM... | open PROCEDIMENTO [insert|change|delete|view|select] [CHAVE...]\n"
    "  tab LEGENDA | type CONTROLE TEXTO | press LEGENDA | key TECLA\n"
    "  row N | locate TEXTO | answer LEGENDA\n"
    "  expect message TÍTULO TEXTO | expect no-message | expect beep\n"
    "  expect value CONTROLE TEXTO\n"
    "  expect state CONTROLE enabled|disabled|hidden|visible|read-only\n"
    "  expect focus CONTROLE | expect screen PROCEDIMENTO | expect closed\n"
    "  expect title TEXTO | expect rows N | expect cell LINHA COLUNA TEXTO\n"
    "  expect record TABELA CAMPO=VALOR... [count N]\n"
    "(veja o README para o significado de cada um).\n"
    "\n"
    "Transcrição na saída padrão, uma linha por evento: open, message, focus,\n"
    "beep, write, close e fail.\n"
    "\n"
    "Opções:\n"
    "  --root DIR         diretório de dados (o que contém BComuns, BCTB, ...), ou\n"
    "                     um banco PostgreSQL (postgresql://usuario@servidor/banco);\n"
    "                     deste, os arquivos .INI ficam no diretório de\n"
    "                     configurações da máquina (VORLAM_SETTINGS_DIR)\n"
    "  --company C        empresa atual antes do roteiro\n"
    "  --period MM/AAAA   período atual antes do roteiro\n"
    "  --help             mostra esta ajuda\n"
    "\n"
    "Saída: 0 todas as verificações passaram; 1 uma verificação falhou (o\n"
    "roteiro para nela); 2 roteiro que não pode ser executado (comando, tela,\n"
    "controle ou botão desconhecido) ou uso incorreto.\n";

constexpr const char* kPrefix = "vorlam-tool screen: ";

int usageError(std::ostream& err, const std::string& text) {
  err << kPrefix << text << "\nVeja vorlam-tool screen --help\n";
  return 2;
}

struct Options {
  std::string root;
  std::string company;
  std::string period;
  std::string script;
};

// Reads the options; an empty string when they are sound, else the fault.
std::string parseOptions(const Args& args, Options* o, bool* help) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      *help = true;
      return {};
    }
    std::string* target = a == "--root" ? &o->root : a == "--company" ? &o->company : a == "--period" ? &o->period : nullptr;
    if (target != nullptr) {
      if (i + 1 >= args.size()) return "falta o valor de " + a;
      *target = args[++i];
    } else if (a != "-" && !a.empty() && a[0] == '-') {
      return "opção desconhecida: " + a;
    } else if (!o->script.empty()) {
      return "informe um único roteiro";
    } else {
      o->script = a;
    }
  }
  if (o->root.empty()) return "informe --root";
  if (o->script.empty()) return "informe o roteiro (ou - para a entrada padrão)";
  std::error_code ec;
  if (!isServerLocation(o->root) && !std::filesystem::is_directory(o->root, ec))
    return "não é um diretório: " + o->root;
  return {};
}

}  // namespace

int runScreen(const Args& args, std::ostream& out, std::ostream& err) {
  Options o;
  bool help = false;
  const std::string fault = parseOptions(args, &o, &help);
  if (help) {
    out << kUsage;
    return 0;
  }
  if (!fault.empty()) return usageError(err, fault);

  std::string text;
  if (o.script == "-") {
    std::ostringstream all;
    all << std::cin.rdbuf();
    text = all.str();
  } else {
    std::ifstream in(o.script, std::ios::binary);
    if (!in) return usageError(err, "não foi possível ler o roteiro: " + o.script);
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
  }
  Result<std::vector<ScriptCommand>> script = parseScript(text);
  if (!script.isOk()) {
    err << kPrefix << script.status().message() << "\n";
    return 2;
  }
  // The options are the first commands of the script.
  std::vector<ScriptCommand> commands;
  if (!o.company.empty()) commands.push_back({0, {"company", o.company}});
  if (!o.period.empty()) commands.push_back({0, {"period", o.period}});
  commands.insert(commands.end(), script.value().begin(), script.value().end());

  Result<std::unique_ptr<ScreenCatalogue>> catalogue = ScreenCatalogue::start(o.root);
  if (!catalogue.isOk()) {
    err << kPrefix << catalogue.status().message() << "\n";
    return 1;
  }
  ScriptRunner runner(*catalogue.value(), out, err);
  catalogue.value()->attach(runner);
  return runner.run(commands);
}

}  // namespace vorlam::tool
