#include <iostream>

#include "app/tool_commands.h"

int main(int argc, char** argv) {
  using vorlam::tool::commands;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::ostream& os = args.empty() ? std::cerr : std::cout;
    os << "Uso: vorlam-tool COMANDO [opções]\n\nComandos:\n";
    for (const auto& c : commands()) os << "  " << c.name << "\t" << c.summary << "\n";
    os << "\nvorlam-tool COMANDO --help descreve cada comando.\n"
          "Saída: 0 sucesso; 2 uso incorreto ou dado recusado; 1 outra falha.\n";
    return args.empty() ? 2 : 0;
  }
  for (const auto& c : commands()) {
    if (args[0] == c.name) {
      args.erase(args.begin());
      return c.run(args, std::cout, std::cerr);
    }
  }
  std::cerr << "vorlam-tool: comando desconhecido: " << args[0] << " (veja vorlam-tool --help)\n";
  return 2;
}
