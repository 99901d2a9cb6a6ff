#include "storage/server_file_set.h"

#ifndef VORLAM_HAVE_POSTGRES
// Built without the PostgreSQL client: nothing lies below a server location.
namespace vorlam {
namespace {
Status noClient(const std::string& path) {
  return Status(StatusCode::kUnsupported, "Esta versão do sistema não acessa servidores PostgreSQL", path);
}
}  // namespace

Result<std::unique_ptr<ServerFileSet>> beginServerFileSet(const std::string& workDir, const std::string&) {
  return noClient(workDir);
}
Result<FileSetCommit::Journal> readServerJournal(const std::string& workDir) { return noClient(workDir); }
Status recoverServerFileSet(const std::string& workDir) { return noClient(workDir); }
Status restoreServerFileSet(const std::string& workDir) { return noClient(workDir); }
Status writeServerText(const std::string& path, const std::string&) { return noClient(path); }
Result<std::string> readServerText(const std::string& path) { return noClient(path); }
bool serverTextExists(const std::string&) { return false; }
Status removeServerText(const std::string& path) { return noClient(path); }
Result<std::vector<std::string>> listServerDirectories(const std::string& path) { return noClient(path); }
bool serverDirectoryExists(const std::string&) { return false; }
}  // namespace vorlam
#endif
