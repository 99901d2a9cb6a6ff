#include "storage/table_backend.h"

#include "storage/table.h"

namespace vorlam {

bool isServerLocation(const std::string& path) {
  for (const char* scheme : {"postgresql://", "postgres://"}) {
    size_t i = 0;
    for (; scheme[i] && i < path.size(); ++i) {
      char c = path[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      if (c != scheme[i]) break;
    }
    if (!scheme[i]) return true;
  }
  return false;
}

#ifndef VORLAM_HAVE_POSTGRES
// Built without the PostgreSQL client (the Windows cross build): a server
// location is refused plainly.

namespace {
Status noClient(const std::string& path) {
  return Status(StatusCode::kUnsupported, "Esta versão do sistema não acessa servidores PostgreSQL", path);
}
}  // namespace

Result<std::unique_ptr<TableBackend>> openServerTable(const TableDef&, Record&, const std::string& path, OpenMode,
                                                      int) {
  return noClient(path);
}
bool serverFileExists(const std::string&) { return false; }
Status checkServerLocation(const std::string& root) { return noClient(root); }
Result<std::vector<ServerFile>> listServerFiles(const std::string& root) { return noClient(root); }
Status makeServerDirectories(const std::string& path) { return noClient(path); }
Status removeServerFiles(const std::string& path, int*) { return noClient(path); }
#endif

}  // namespace vorlam
