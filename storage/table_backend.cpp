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

std::string displayPath(const std::string& path) {
  if (!isServerLocation(path)) return path;
  const size_t start = path.find("//") + 2;
  const size_t end = path.find_first_of("/?", start);
  const size_t at = path.rfind('@', end == std::string::npos ? std::string::npos : end);
  if (at == std::string::npos || at < start) return path;
  const size_t colon = path.find(':', start);
  if (colon == std::string::npos || colon > at) return path;
  return path.substr(0, colon) + path.substr(at);
}

#ifndef VORLAM_HAVE_POSTGRES
// Built without the PostgreSQL client (the Windows cross build): a server
// location is refused plainly.

namespace {
// "host:port/database" of a server location, without user or password.
std::string serverName(const std::string& path) {
  const size_t start = path.find("//") == std::string::npos ? 0 : path.find("//") + 2;
  const size_t hostEnd = path.find('/', start);
  const size_t at = path.rfind('@', hostEnd);
  const size_t host = at != std::string::npos && at >= start ? at + 1 : start;
  if (hostEnd == std::string::npos) return path.substr(host);
  const size_t dbEnd = path.find_first_of("/?", hostEnd + 1);
  return path.substr(host, dbEnd == std::string::npos ? std::string::npos : dbEnd - host);
}

Status noClient(const std::string& path) {
  return Status(StatusCode::kUnsupported,
                "Esta versão do sistema não acessa servidores PostgreSQL: " + serverName(path));
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
