// vorlam-tool maintain: file maintenance from the command line, for
// scripted maintenance over many companies.  "check" is the full check of
// the files; the other operations are those of the screen "Atualização
// Arquivos" (utilities/file_maintenance.h).

#include <iostream>
#include <ostream>
#include <string>

#include "app/tool_commands.h"
#include "dictionary/dictionary.h"
#include "framework/dialogs.h"
#include "utilities/data_root.h"
#include "utilities/file_info.h"
#include "utilities/file_maintenance.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool maintain OPERAÇÃO [--root DIR] [--company N --year A] [TABELA...]\n"
    "\n"
    "Opera nos arquivos das tabelas TABELA (rótulos do dicionário; sem\n"
    "TABELA, as da lista de manutenção de arquivos). OPERAÇÃO:\n"
    "  check    verifica por inteiro: a verificação de integridade do banco de\n"
    "           dados e cada registro lido e conferido com a sua soma de\n"
    "           verificação e com os tipos dos campos; nada é gravado\n"
    "  reindex  reconstrói as chaves (acesso exclusivo)\n"
    "  pack     compacta o arquivo, recuperando o espaço dos excluídos\n"
    "           (acesso exclusivo)\n"
    "  release  libera os registros que ficaram reservados (acesso exclusivo)\n"
    "  repair   recupera os registros legíveis de um arquivo danificado com o\n"
    "           utilitário recfix (o original fica como ARQUIVO.danificado, o\n"
    "           relatório em ARQUIVO.recfix.txt)\n"
    "  rebuild  copia os registros para um arquivo novo do layout atual\n"
    "           (acesso exclusivo)\n"
    "  info     mostra o número de registros e o nome do arquivo (com a\n"
    "           verificação completa)\n"
    "  create   cria os arquivos que não existem\n"
    "\n"
    "Escreve uma linha por arquivo, separada por tabulações: o rótulo, o\n"
    "número de registros (\"?\" quando não lido, vazio quando não mudou), o\n"
    "nome do arquivo e o resultado. O andamento e as mensagens saem na saída\n"
    "de erros. Um arquivo aberto em outra estação é recusado pelas operações\n"
    "de acesso exclusivo e os demais continuam.\n"
    "\n"
    "Sem TABELA, um arquivo inexistente ou sem nome associado (tabelas da\n"
    "empresa sem --company) é listado e não conta como falha; uma TABELA\n"
    "informada tem de existir (exceto em create).\n"
    "\n"
    "Opções:\n"
    "  --root DIR    diretório de dados (o diretório atual quando omitido)\n"
    "                ou o endereço do banco de dados PostgreSQL que o guarda\n"
    "                (postgresql://usuário@servidor:porta/banco); num servidor,\n"
    "                repair é recusado: o servidor mantém sua própria recuperação\n"
    "  --company N   código da empresa, de 1 a 65535 (com --year)\n"
    "  --year A      ano de trabalho, de 1801 a 9998 (com --company)\n"
    "  --help        mostra esta ajuda\n"
    "\n"
    "Saída: 0 a operação deu certo em todos os arquivos; 1 algum arquivo\n"
    "falhou, foi recusado ou está danificado; 2 uso incorreto, tabela\n"
    "desconhecida ou empresa não cadastrada.\n";

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
    out << file << "\tíntegro" << (info.bytes >= 0 ? ", " + std::to_string(info.bytes) + " bytes" : "") << "\n";
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

// Progress and messages of one file, on standard error.
class ErrListener : public utilities::StepListener {
 public:
  ErrListener(std::ostream& err, std::string label) : err_(err), label_(std::move(label)) {}
  void action(const std::string& text) override { err_ << label_ << ": " << text << "\n"; }
  void progress(int64_t done, int64_t total) override {
    const int pct = utilities::progressPercent(done, total);
    if (pct / 10 == shown_) return;
    shown_ = pct / 10;
    err_ << label_ << ": " << pct << "%\n";
  }
  bool cancelled() override { return false; }
  void message(const std::string& title, const std::string& text) override {
    err_ << label_ << ": " << title << ": " << messageBoxText(text) << "\n";
  }

 private:
  std::ostream& err_;
  std::string label_;
  int shown_ = -1;
};

bool operateOne(utilities::MaintenanceOp op, const utilities::MaintenanceContext& context,
                const utilities::MaintainedFile& entry, bool named, std::ostream& out, std::ostream& err) {
  ErrListener listener(err, entry.label);
  utilities::MaintenanceResult r = utilities::runMaintenance(op, context, entry, listener);
  const TableDef* def = context.dict->find(entry.label);
  auto bound = context.names.find(def->binding);
  const std::string file = bound == context.names.end() || bound->second.empty() ? "-" : bound->second;
  // The repair's own report goes with the progress.
  if (op == utilities::MaintenanceOp::kRepair && !r.detail.empty()) err << r.detail;
  out << entry.label << "\t" << r.count.value_or("") << "\t" << file << "\t";
  if (r.status) {
    const std::string what = op == utilities::MaintenanceOp::kRepair ? "recuperado" : r.detail;
    out << "ok: " << what << "\n";
    return true;
  }
  out << "falhou: " << utilities::maintenanceErrorText(r.status) << "\n";
  const bool absent = r.status.is(StatusCode::kFileNotFound) || r.status.is(StatusCode::kNoName);
  return absent && !named;
}

}  // namespace

int runMaintain(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return usageError(err, "informe a operação");
  const bool check = args[0] == "check";
  const std::optional<utilities::MaintenanceOp> op = utilities::parseOperationWord(args[0]);
  const bool help = args[0] == "--help" || args[0] == "-h";
  if (!check && !op && !help) return usageError(err, "operação desconhecida: " + args[0]);
  std::vector<std::string> rest(args.begin() + (help ? 0 : 1), args.end());
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
    return names.status().is(StatusCode::kNotFound) ? 2 : 1;
  }
  utilities::MaintenanceContext context;
  context.dict = dict.get();
  context.names = *names;
  context.recfix = utilities::recfixProgram();
  bool sound = true;
  for (const auto& entry : entries) {
    const bool named = !labels.empty();
    sound = (check ? checkOne(*dict, *names, entry, named, out, err)
                   : operateOne(*op, context, entry, named, out, err)) &&
            sound;
  }
  out.flush();
  return out && sound ? 0 : 1;
}

}  // namespace vorlam::tool
