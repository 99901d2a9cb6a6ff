// vorlam-tool info: the record count and file name of every table of the
// file-maintenance list, as its "&Informações" step shows them.

#include <ostream>
#include <string>

#include "app/tool_commands.h"
#include "dictionary/dictionary.h"
#include "utilities/data_root.h"
#include "utilities/file_info.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool info --root DIR [--company N --year A]\n"
    "\n"
    "Mostra, para cada tabela da lista de manutenção de arquivos e na ordem\n"
    "dessa lista, uma linha com o rótulo da tabela, o número de registros e\n"
    "o nome completo do arquivo, separados por tabulações. Cada arquivo é\n"
    "verificado por inteiro (a verificação de integridade do banco e cada\n"
    "registro conferido); o número é o dos registros lidos íntegros. Um\n"
    "arquivo que não existe, não pode ser aberto ou está danificado sai com\n"
    "\"?\" como número de registros e, no lugar do nome, \"Error \", o número\n"
    "do erro, \" : \" e o texto do erro (47 : Arquivo danificado).\n"
    "\n"
    "Sem --company só as tabelas comuns a todas as empresas têm arquivo; as\n"
    "tabelas da empresa saem com o erro de arquivo sem nome. Com --company e\n"
    "--year os nomes são os que a seleção da empresa no ano A (ano todo)\n"
    "associa, o histórico de alterações contratuais decidindo o plano em\n"
    "vigor. Os arquivos são abertos só para leitura: nada é criado, convertido\n"
    "ou gravado em DIR.\n"
    "\n"
    "Opções:\n"
    "  --root DIR    diretório de dados (o que contém BComuns, BCTB, ...)\n"
    "                ou o endereço do banco de dados PostgreSQL que o guarda\n"
    "                (postgresql://usuário@servidor:porta/banco)\n"
    "  --company N   código da empresa, de 1 a 65535 (com --year)\n"
    "  --year A      ano de trabalho, de 1801 a 9998 (com --company)\n"
    "  --help        mostra esta ajuda\n"
    "\n"
    "Saída: 0 sucesso (também quando falta algum arquivo); 2 uso incorreto\n"
    "ou empresa não cadastrada;\n"
    "1 cadastro de empresas ilegível ou algum arquivo danificado (que a saída\n"
    "de erros nomeia).\n";

constexpr const char* kPrefix = "vorlam-tool info: ";

}  // namespace

int runInfo(const Args& args, std::ostream& out, std::ostream& err) {
  utilities::RootSelection sel;
  std::vector<std::string> extra;
  Status s = utilities::parseRootSelection(args, &sel, &extra);
  if (sel.help) {
    out << kUsage;
    return 0;
  }
  if (s && !extra.empty()) s = Status(StatusCode::kInvalidArgument, "argumento desconhecido: " + extra[0]);
  if (!s) {
    err << kPrefix << s.message() << "\nVeja vorlam-tool info --help\n";
    return 2;
  }
  auto dict = buildDictionary();
  Result<shell::BindingMap> names = utilities::bindingsFor(*dict, sel);
  if (!names.isOk()) {
    err << kPrefix << names.status().message() << "\n";
    return names.status().is(StatusCode::kNotFound) ? 2 : 1;
  }
  bool damaged = false;
  for (const utilities::FileInfo& f : utilities::describeMaintainedFiles(*dict, *names)) {
    out << f.label << "\t" << f.count << "\t" << f.name << "\n";
    if (f.status.is(StatusCode::kCorrupt)) {
      damaged = true;
      err << kPrefix << f.label << ": " << f.status.message() << " (" << f.status.detail() << ")\n";
    }
  }
  out.flush();
  return out && !damaged ? 0 : 1;
}

}  // namespace vorlam::tool
