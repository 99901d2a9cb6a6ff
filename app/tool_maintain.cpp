// vorlam-tool maintain check: the full check of record files, as file
// maintenance's "&Informações" runs it.

#include <ostream>
#include <string>

#include "app/tool_commands.h"
#include "dictionary/dictionary.h"
#include "utilities/data_root.h"
#include "utilities/file_info.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool maintain check [--root DIR] [--company N --year A] [TABELA...]\n"
    "\n"
    "Verifica por inteiro os arquivos das tabelas TABELA (rótulos do\n"
    "dicionário; sem TABELA, as da lista de manutenção de arquivos): a\n"
    "verificação de integridade do banco de dados e cada registro lido e\n"
    "conferido com a sua soma de verificação e com os tipos dos campos.\n"
    "Escreve uma linha por arquivo, separada por tabulações: o rótulo, o\n"
    "número de registros (\"?\" quando não verificado), o nome do arquivo e o\n"
    "resultado: \"íntegro\", \"danificado: \" e o que foi encontrado, ou\n"
    "\"não verificado: \" e o motivo. O andamento sai na saída de erros.\n"
    "Os arquivos são abertos só para leitura; nada é gravado.\n"
    "\n"
    "Sem TABELA, um arquivo inexistente ou sem nome associado (tabelas da\n"
    "empresa sem --company) é listado como não verificado e não conta como\n"
    "falha; uma TABELA informada tem de existir e estar íntegra.\n"
    "\n"
    "Opções:\n"
    "  --root DIR    diretório de dados (o diretório atual quando omitido)\n"
    "  --company N   código da empresa, de 1 a 65535 (com --year)\n"
    "  --year A      ano de trabalho, de 1801 a 9998 (com --company)\n"
    "  --help        mostra esta ajuda\n"
    "\n"
    "Saída: 0 todos os arquivos verificados estão íntegros; 1 algum arquivo\n"
    "danificado, ilegível ou ausente; 2 uso incorreto ou tabela desconhecida.\n";

constexpr const char* kPrefix = "vorlam-tool maintain: ";

int usageError(std::ostream& err, const std::string& text) {
  err << kPrefix << text << "\nVeja vorlam-tool maintain --help\n";
  return 2;
}

// Checks one file; returns false when it counts as a failure.
bool checkOne(const Dictionary& dict, const shell::BindingMap& names, const utilities::MaintainedFile& entry,
              bool named, std::ostream& out, std::ostream& err) {
  int lastShown = -1;
  auto progress = [&](int, int64_t done, int64_t total) {
    int pct = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (pct / 10 == lastShown) return;
    lastShown = pct / 10;
    err << entry.label << ": " << pct << "% (" << done << " de " << total << " registros)\n";
  };
  err << entry.label << ": verificando\n";
  utilities::FileInfo info = utilities::describeFile(dict, names, entry, progress);
  const Status& s = info.status;
  const std::string file = info.path.empty() ? "-" : info.path;
  out << entry.label << "\t" << info.count << "\t";
  if (s) {
    out << file << "\tíntegro\n";
    return true;
  }
  const bool absent = s.is(StatusCode::kFileNotFound) || s.is(StatusCode::kNoName);
  if (s.is(StatusCode::kCorrupt)) {
    out << file << "\tdanificado: " << utilities::maintenanceErrorText(s) << " (" << s.detail() << ")\n";
  } else {
    out << file << "\tnão verificado: " << utilities::maintenanceErrorText(s) << "\n";
  }
  return absent && !named;
}

}  // namespace

int runMaintain(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || (args[0] != "check" && args[0] != "--help" && args[0] != "-h"))
    return usageError(err, args.empty() ? "informe a operação (check)" : "operação desconhecida: " + args[0]);
  std::vector<std::string> rest(args.begin() + (args[0] == "check" ? 1 : 0), args.end());
  bool hasRoot = false;
  for (const auto& a : rest) hasRoot = hasRoot || a == "--root" || a.starts_with("--root=");
  if (!hasRoot) rest.insert(rest.begin(), {"--root", "."});
  utilities::RootSelection sel;
  std::vector<std::string> labels;
  Status s = utilities::parseRootSelection(rest, &sel, &labels);
  if (sel.help) {
    out << kUsage;
    return 0;
  }
  if (!s) return usageError(err, s.message());
  auto dict = buildDictionary();
  std::vector<utilities::MaintainedFile> entries;
  for (const std::string& label : labels) {
    const TableDef* def = dict->find(label);
    if (def == nullptr) return usageError(err, "tabela desconhecida: " + label);
    if (def->binding.empty()) return usageError(err, "a tabela não tem arquivo: " + def->label);
    entries.push_back({def->label.c_str(), ""});
  }
  if (labels.empty())
    for (const auto& m : utilities::maintainedFiles()) entries.push_back(m);
  Result<shell::BindingMap> names = utilities::bindingsFor(*dict, sel);
  if (!names.isOk()) {
    err << kPrefix << names.status().message() << "\n";
    return 1;
  }
  bool sound = true;
  for (const auto& entry : entries) sound = checkOne(*dict, *names, entry, !labels.empty(), out, err) && sound;
  out.flush();
  return out && sound ? 0 : 1;
}

}  // namespace vorlam::tool
