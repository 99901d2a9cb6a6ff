// vorlam-tool check-id: the check digits of CNPJ, CPF and PIS numbers, as
// the company, customer/supplier and employee forms check them.

#include <ostream>
#include <string>

#include "app/tool_commands.h"
#include "registry/taxpayer_numbers.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool check-id cnpj|cpf|pis NÚMERO...\n"
    "\n"
    "Confere os dígitos verificadores de cada NÚMERO como os formulários de\n"
    "empresas, clientes/fornecedores e funcionários conferem, e escreve uma\n"
    "linha por número, na ordem dada: \"ok\" quando o número está certo, senão\n"
    "a mensagem que o formulário mostra (por exemplo \"Digito incorreto, o\n"
    "digito provavel é 81\").\n"
    "\n"
    "O número pode vir com ou sem a máscara (11.222.333/0001-81 ou\n"
    "11222333000181) e é lido como número, com zeros à esquerda: \"191\" é o\n"
    "CPF 000.000.001-91; um número vazio são só zeros. O CNPJ pode ser\n"
    "alfanumérico: as 12 primeiras posições letras (A a Z) ou dígitos, as 2\n"
    "últimas dígitos (12.ABC.345/01DE-35). Um PIS zero é aceito sem conferência.\n"
    "\n"
    "Opções:\n"
    "  --help   mostra esta ajuda\n"
    "\n"
    "Saída: 0 quando todos os números estão certos; 1 quando algum está\n"
    "errado; 2 uso incorreto.\n";

struct IdKind {
  const char* name;
  Result<std::string> (*parse)(std::string_view typed);
  registry::TaxpayerCheck (*check)(std::string_view text);
};

constexpr IdKind kKinds[] = {
    {"cnpj", registry::parseCnpj, registry::ValidaCNPJ},
    {"cpf", registry::parseCpf, registry::ValidaCPF},
    {"pis", registry::parsePis, registry::ValidaPIS},
};

}  // namespace

int runCheckId(const Args& args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return 0;
  }
  const IdKind* kind = nullptr;
  if (!args.empty())
    for (const IdKind& k : kKinds)
      if (args[0] == k.name) kind = &k;
  if (kind == nullptr || args.size() < 2) {
    err << (args.empty() ? std::string("vorlam-tool check-id: informe o tipo e os números")
            : kind == nullptr ? "vorlam-tool check-id: tipo desconhecido: " + args[0] + " (cnpj, cpf ou pis)"
                              : std::string("vorlam-tool check-id: informe ao menos um número"))
        << "\n\n"
        << kUsage;
    return 2;
  }
  bool allValid = true;
  for (size_t i = 1; i < args.size(); ++i) {
    // The mask's punctuation is what the field drops when the number is
    // typed; a text the field would refuse goes to the routine as it is, so
    // that its own message explains the refusal.
    Result<std::string> stored = kind->parse(args[i]);
    registry::TaxpayerCheck c = kind->check(stored.isOk() ? std::string_view(stored.value()) : args[i]);
    out << (c ? std::string("ok") : c.text) << "\n";
    allValid = allValid && c.valid;
  }
  return allValid ? 0 : 1;
}

}  // namespace vorlam::tool
