#include "app/tool_commands.h"

namespace vorlam::tool {

// Each command lives in its own tool_*.cpp file.
// (declarations are added here as commands are added)
int runConvertAccount(const Args& args, std::ostream& out, std::ostream& err);
int runAdjust(const Args& args, std::ostream& out, std::ostream& err);
int runTables(const Args& args, std::ostream& out, std::ostream& err);
int runFields(const Args& args, std::ostream& out, std::ostream& err);
int runKeys(const Args& args, std::ostream& out, std::ostream& err);
int runFormat(const Args& args, std::ostream& out, std::ostream& err);
int runParse(const Args& args, std::ostream& out, std::ostream& err);
int runPaths(const Args& args, std::ostream& out, std::ostream& err);
int runDemo(const Args& args, std::ostream& out, std::ostream& err);
int runInfo(const Args& args, std::ostream& out, std::ostream& err);
int runExport(const Args& args, std::ostream& out, std::ostream& err);
int runMaintain(const Args& args, std::ostream& out, std::ostream& err);
int runCheckId(const Args& args, std::ostream& out, std::ostream& err);
int runScreen(const Args& args, std::ostream& out, std::ostream& err);
int runCreateAccounts(const Args& args, std::ostream& out, std::ostream& err);
int runMigrate(const Args& args, std::ostream& out, std::ostream& err);

const std::vector<Command>& commands() {
  static const std::vector<Command> kCommands = {
      {"adjust", "ajusta o plano de contas de empresas para uma nova estrutura", runAdjust},
      {"convert-account", "converte códigos de conta de uma estrutura para outra",
       runConvertAccount},
      {"tables", "lista as tabelas do dicionário de dados", runTables},
      {"fields", "lista os campos de uma tabela", runFields},
      {"keys", "lista as chaves de uma tabela", runKeys},
      {"format", "mostra um valor gravado como uma máscara o exibe", runFormat},
      {"parse", "mostra o valor gravado que um texto digitado numa máscara produz", runParse},
      {"paths", "lista o arquivo de cada tabela para uma empresa e um período", runPaths},
      {"demo", "cria um diretório de dados de exemplo", runDemo},
      {"info", "mostra o número de registros e o arquivo de cada tabela da manutenção", runInfo},
      {"export", "escreve os registros de uma tabela em CSV", runExport},
      {"maintain", "manutenção de arquivos: check, reindex, pack, release, repair, rebuild, info, create", runMaintain},
      {"check-id", "confere os dígitos verificadores de números de CNPJ, CPF e PIS", runCheckId},
      {"screen", "executa um roteiro de telas sobre um diretório de dados", runScreen},
      {"create-accounts", "inclui no plano de contas as contas que faltam a clientes e fornecedores",
       runCreateAccounts},
      {"migrate", "copia um diretório de dados para um banco PostgreSQL ou de volta, conferindo cada registro",
       runMigrate},
  };
  return kCommands;
}

OptionMatch takeOption(const Args& args, size_t* i, std::string_view name, std::string* value) {
  const std::string& a = args[*i];
  if (a == name) {
    if (*i + 1 >= args.size()) return OptionMatch::kMissingValue;
    *value = args[++*i];
    return OptionMatch::kTaken;
  }
  if (a.size() > name.size() && a.starts_with(name) && a[name.size()] == '=') {
    *value = a.substr(name.size() + 1);
    return OptionMatch::kTaken;
  }
  return OptionMatch::kOther;
}

}  // namespace vorlam::tool
