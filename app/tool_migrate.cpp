// vorlam-tool migrate: copies a data root between a directory and a
// PostgreSQL database, either way, checked record by record.

#include <cstdlib>
#include <ostream>
#include <string>

#include "app/tool_commands.h"
#include "dictionary/dictionary.h"
#include "utilities/root_copy.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool migrate --from ORIGEM --to DESTINO [--company C] [--force]\n"
    "\n"
    "Copia os arquivos de dados de ORIGEM para DESTINO: um diretório de dados\n"
    "para um banco de dados PostgreSQL (postgresql://usuario@servidor/banco)\n"
    "ou de volta. Cada arquivo vai com o mesmo caminho relativo, os mesmos\n"
    "números de registro e propriedades, numa transação própria; depois os\n"
    "dois são lidos de novo e comparados registro a registro. A origem só é\n"
    "lida.\n"
    "\n"
    "Opções:\n"
    "  --from ORIGEM  diretório de dados ou endereço postgresql://\n"
    "  --to DESTINO   diretório de dados ou endereço postgresql://\n"
    "  --company C    só os arquivos da empresa C (1 a 65535)\n"
    "  --force        substitui os arquivos que o destino já tiver\n"
    "  --help         mostra esta ajuda\n"
    "\n"
    "Saída: 0 sucesso; 2 uso incorreto ou destino com arquivos (sem --force);\n"
    "1 falha de leitura, gravação ou comparação (a saída de erros diz qual).\n";

constexpr const char* kPrefix = "vorlam-tool migrate: ";

Status parse(const Args& args, utilities::RootCopyOptions* o, bool* help) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    auto with = [&](const char* name) { return takeOption(args, &i, name, &v) == OptionMatch::kTaken; };
    if (a == "--help" || a == "-h") {
      *help = true;
    } else if (a == "--force") {
      o->force = true;
    } else if (with("--from")) {
      o->from = v;
    } else if (with("--to")) {
      o->to = v;
    } else if (with("--company")) {
      char* end = nullptr;
      long c = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end != '\0' || c < 1 || c > 65535)
        return Status(StatusCode::kInvalidArgument, "código de empresa inválido: " + v);
      o->company = static_cast<int>(c);
    } else {
      return Status(StatusCode::kInvalidArgument, "argumento desconhecido ou sem valor: " + a);
    }
  }
  if (!*help && (o->from.empty() || o->to.empty()))
    return Status(StatusCode::kInvalidArgument, "informe --from e --to");
  return Status::ok();
}

}  // namespace

int runMigrate(const Args& args, std::ostream& out, std::ostream& err) {
  utilities::RootCopyOptions options;
  bool help = false;
  Status s = parse(args, &options, &help);
  if (help) {
    out << kUsage;
    return 0;
  }
  if (!s) {
    err << kPrefix << s.message() << "\nVeja vorlam-tool migrate --help\n";
    return 2;
  }
  auto dict = buildDictionary();
  utilities::RootCopyProgress progress;
  progress.file = [&](const std::string& file, int index, int total) {
    out << "[" << index << "/" << total << "] " << file << "\n" << std::flush;
  };
  progress.records = [&](int64_t records) { out << "  " << records << " registros\n" << std::flush; };
  utilities::RootCopyReport report;
  s = utilities::copyDataRoot(*dict, options, &report, progress);
  for (const auto& skipped : report.skipped) err << kPrefix << "ignorado: " << skipped << "\n";
  if (!s) {
    err << kPrefix << s.message() << (s.detail().empty() ? "" : " (" + s.detail() + ")") << "\n";
    return s.is(StatusCode::kInvalidArgument) ? 2 : 1;
  }
  out << report.files << " arquivos e " << report.records << " registros copiados e conferidos\n";
  return 0;
}

}  // namespace vorlam::tool
