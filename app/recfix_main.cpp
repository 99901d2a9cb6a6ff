// recfix: the repair utility for damaged record files.
//
//   recfix FILE /E:LAYOUT [/K] [/A]
//
// Rescues every readable record of FILE into a new file of the layout
// LAYOUT (a layout file written by file maintenance, utilities/layout_file.h)
// and writes a report of what could not be read to standard output and to
// FILE.recfix.txt (utilities/record_rescue.h).

#include <cctype>
#include <iostream>
#include <string>
#include <vector>

#include "storage/platform.h"
#include "utilities/layout_file.h"
#include "utilities/record_rescue.h"

namespace {

constexpr const char* kUsage =
    "Uso: recfix ARQUIVO /E:LAYOUT [/K] [/A]\n"
    "\n"
    "Recupera os registros legíveis de um arquivo de registros danificado num\n"
    "arquivo novo do layout LAYOUT (arquivo de layout gravado pela manutenção\n"
    "de arquivos), com o mesmo número de registro, e escreve na saída e em\n"
    "ARQUIVO.recfix.txt o que não pôde ser lido (registros e páginas).\n"
    "O original danificado é guardado, byte a byte, como ARQUIVO.danificado.\n"
    "\n"
    "  /E:LAYOUT  o arquivo de layout\n"
    "  /K         reconstrói as chaves do arquivo novo\n"
    "  /A         põe a cópia recuperada, depois de verificada, no lugar do\n"
    "             arquivo; sem /A ela fica ao lado como ARQUIVO.recuperado\n"
    "\n"
    "Saída: 0 arquivo recuperado; 1 não recuperado (nada foi substituído);\n"
    "2 uso incorreto.\n";

bool option(const std::string& arg, const char* name) {
  if (arg.size() != 2 || (arg[0] != '/' && arg[0] != '-')) return false;
  return std::toupper(static_cast<unsigned char>(arg[1])) == name[0];
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
  // The program's own arguments as the system passed them (UTF-8).
  std::vector<std::string> line = vorlam::platform::commandLine();
  if (line.size() == args.size() + 1) args.assign(line.begin() + 1, line.end());
#endif
  std::string file, layout;
  vorlam::utilities::RescueOptions options;
  options.rebuildKeys = false;
  options.replace = false;
  for (const std::string& a : args) {
    if (a.empty()) continue;
    if (a == "--help" || a == "/?" || a == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (a.size() > 3 && (a[0] == '/' || a[0] == '-') && (a[1] == 'E' || a[1] == 'e') && a[2] == ':') {
      layout = a.substr(3);
    } else if (option(a, "K")) {
      options.rebuildKeys = true;
    } else if (option(a, "A")) {
      options.replace = true;
    } else if (file.empty()) {
      file = a;
    } else {
      std::cerr << "recfix: argumento desconhecido: " << a << "\n" << kUsage;
      return 2;
    }
  }
  if (file.empty() || layout.empty()) {
    std::cerr << "recfix: informe o arquivo e o layout (/E:LAYOUT)\n" << kUsage;
    return 2;
  }
  vorlam::Result<vorlam::TableDef> def = vorlam::utilities::readLayoutFile(layout);
  if (!def.isOk()) {
    std::cerr << "recfix: " << def.status().toString() << "\n";
    return 1;
  }
  vorlam::utilities::RescueReport report = vorlam::utilities::rescueFile(*def, file, options);
  std::cout << report.text();
  std::cout.flush();
  return report.status ? 0 : 1;
}
