// vorlam-tool tables / fields / keys: the data dictionary as tab-separated
// text, one line per declaration, field or key, without a header line.

#include <ostream>
#include <string>

#include "app/tool_commands.h"
#include "dictionary/dictionary.h"

namespace vorlam::tool {

namespace {

constexpr const char* kTablesUsage =
    "Uso: vorlam-tool tables\n"
    "\n"
    "Lista as tabelas do dicionário de dados na ordem do catálogo, uma por\n"
    "linha, com os campos separados por tabulação: rótulo, prefixo, bytes do\n"
    "registro, número de campos e número de chaves.\n"
    "\n"
    "Saída: 0 sucesso; 2 uso incorreto.\n";

constexpr const char* kFieldsUsage =
    "Uso: vorlam-tool fields RÓTULO\n"
    "\n"
    "Lista os campos da tabela RÓTULO (sem distinção de maiúsculas), um por\n"
    "linha, separados por tabulação: número, nome declarado, tipo (BYTE,\n"
    "SHORT, USHORT, LONG, ULONG, DECIMAL(d,p), STRING(n), seguido de ×N nos\n"
    "vetores), bytes e deslocamento no registro.\n"
    "\n"
    "Saída: 0 sucesso; 2 uso incorreto ou tabela desconhecida.\n";

constexpr const char* kKeysUsage =
    "Uso: vorlam-tool keys RÓTULO\n"
    "\n"
    "Lista as chaves da tabela RÓTULO (sem distinção de maiúsculas), uma por\n"
    "linha, separadas por tabulação: nome, componentes unidos por \" + \"\n"
    "(os decrescentes precedidos de \"descending \"), atributos e descrição.\n"
    "\n"
    "Saída: 0 sucesso; 2 uso incorreto ou tabela desconhecida.\n";

bool wantsHelp(const Args& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

// Finds the table named by the single argument, or reports why not.
const TableDef* tableArgument(const Dictionary& dict, const char* command, const char* usage,
                              const Args& args, std::ostream& err) {
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
    err << "vorlam-tool " << command << ": informe o rótulo de uma tabela\n\n" << usage;
    return nullptr;
  }
  const TableDef* t = dict.find(args[0]);
  if (t == nullptr)
    err << "vorlam-tool " << command << ": tabela desconhecida: " << args[0]
        << " (veja vorlam-tool tables)\n";
  return t;
}

std::string componentsText(const TableDef& t, const KeyDef& k) {
  std::string s;
  for (const auto& c : k.components) {
    if (!s.empty()) s += " + ";
    if (c.descending) s += "descending ";
    s += t.fields[c.field].name;
  }
  return s;
}

}  // namespace

int runTables(const Args& args, std::ostream& out, std::ostream& err) {
  if (wantsHelp(args)) {
    out << kTablesUsage;
    return 0;
  }
  if (!args.empty()) {
    err << "vorlam-tool tables: argumento inesperado: " << args[0] << "\n\n" << kTablesUsage;
    return 2;
  }
  auto dict = buildDictionary();
  for (const auto& t : dict->tables())
    out << t.label << '\t' << t.prefix << '\t' << t.recordSize() << '\t' << t.fields.size() << '\t'
        << t.keys.size() << '\n';
  return 0;
}

int runFields(const Args& args, std::ostream& out, std::ostream& err) {
  if (wantsHelp(args)) {
    out << kFieldsUsage;
    return 0;
  }
  auto dict = buildDictionary();
  const TableDef* t = tableArgument(*dict, "fields", kFieldsUsage, args, err);
  if (t == nullptr) return 2;
  for (size_t i = 0; i < t->fields.size(); ++i) {
    const FieldDef& f = t->fields[i];
    out << i + 1 << '\t' << f.name << '\t' << f.typeText() << '\t' << f.width() << '\t' << f.offset << '\n';
  }
  return 0;
}

int runKeys(const Args& args, std::ostream& out, std::ostream& err) {
  if (wantsHelp(args)) {
    out << kKeysUsage;
    return 0;
  }
  auto dict = buildDictionary();
  const TableDef* t = tableArgument(*dict, "keys", kKeysUsage, args, err);
  if (t == nullptr) return 2;
  for (const auto& k : t->keys)
    out << k.name << '\t' << componentsText(*t, k) << '\t' << k.attributesText() << '\t' << k.description
        << '\n';
  return 0;
}

}  // namespace vorlam::tool
