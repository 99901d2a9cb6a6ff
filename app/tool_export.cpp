// vorlam-tool export: the records of one table as CSV.

#include <ostream>
#include <string>

#include "app/tool_commands.h"
#include "dictionary/dictionary.h"
#include "storage/table.h"
#include "utilities/csv_export.h"
#include "utilities/data_root.h"
#include "utilities/file_info.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool export TABELA --root DIR [--company N --year A]\n"
    "\n"
    "Escreve na saída padrão os registros da tabela TABELA (rótulo do\n"
    "dicionário, como em vorlam-tool tables; maiúsculas e minúsculas são\n"
    "iguais) em CSV (RFC 4180, UTF-8, linhas terminadas por CR LF): uma linha\n"
    "de cabeçalho com os nomes declarados dos campos, um elemento de vetor\n"
    "por coluna como NOME[1], NOME[2], ..., e uma linha por registro na ordem\n"
    "da chave primária (na ordem do arquivo quando a tabela não tem uma).\n"
    "Os valores saem como gravados: inteiros e datas (número do dia) sem\n"
    "formatação, decimais com \".\" e todas as casas, textos sem os brancos\n"
    "do fim. Os registros são lidos um a um; o arquivo é aberto só para\n"
    "leitura, verificado antes (integridade do banco) e cada registro é\n"
    "conferido ao ser lido: um arquivo danificado é o erro 47 \"Arquivo\n"
    "danificado\", com o nome do arquivo, e a saída 1.\n"
    "\n"
    "As tabelas da empresa pedem --company e --year, que escolhem o arquivo\n"
    "como a seleção da empresa no ano A o associa.\n"
    "\n"
    "Opções:\n"
    "  --root DIR    diretório de dados (o que contém BComuns, BCTB, ...)\n"
    "                ou o endereço do banco de dados PostgreSQL que o guarda\n"
    "                (postgresql://usuário@servidor:porta/banco)\n"
    "  --company N   código da empresa, de 1 a 65535 (com --year)\n"
    "  --year A      ano de trabalho, de 1801 a 9998 (com --company)\n"
    "  --help        mostra esta ajuda\n"
    "\n"
    "Saída: 0 sucesso; 2 uso incorreto, tabela desconhecida ou sem arquivo\n"
    "associado, empresa não cadastrada; 1 arquivo inexistente, ilegível ou danificado, cadastro de empresas\n"
    "ilegível ou falha ao escrever a saída.\n";

constexpr const char* kPrefix = "vorlam-tool export: ";

int usageError(std::ostream& err, const std::string& text) {
  err << kPrefix << text << "\nVeja vorlam-tool export --help\n";
  return 2;
}

}  // namespace

int runExport(const Args& args, std::ostream& out, std::ostream& err) {
  utilities::RootSelection sel;
  std::vector<std::string> labels;
  Status parsed = utilities::parseRootSelection(args, &sel, &labels);
  if (sel.help) {
    out << kUsage;
    return 0;
  }
  if (!parsed) return usageError(err, parsed.message());
  if (labels.size() != 1)
    return usageError(err, labels.empty() ? "informe a tabela" : "informe uma única tabela");
  auto dict = buildDictionary();
  const TableDef* def = dict->find(labels[0]);
  if (def == nullptr) return usageError(err, "tabela desconhecida: " + labels[0]);
  if (def->binding.empty()) return usageError(err, "a tabela não tem arquivo: " + def->label);
  Result<shell::BindingMap> names = utilities::bindingsFor(*dict, sel);
  if (!names.isOk()) {
    err << kPrefix << names.status().message() << "\n";
    return names.status().is(StatusCode::kNotFound) ? 2 : 1;
  }
  Table table(def);
  Status s = utilities::openBound(table, *names);
  if (s.is(StatusCode::kNoName)) return usageError(err, def->label + ": " + s.message());
  // The database's own check first: a damaged index or page would
  // otherwise let the walk skip or repeat records with every record sound.
  if (s) s = table.integrityCheck();
  if (s.is(StatusCode::kCorrupt) && s.detail().find(table.path()) == std::string::npos)
    s = Status(StatusCode::kCorrupt, s.message(), table.path() + ": " + s.detail().substr(0, s.detail().find('\n')));
  if (s) s = utilities::exportCsv(table, out);
  if (!s) {
    err << kPrefix << def->label << ": " << utilities::maintenanceErrorText(s);
    if (!s.detail().empty()) err << " (" << s.detail() << ")";
    err << "\n";
    return 1;
  }
  return 0;
}

}  // namespace vorlam::tool
