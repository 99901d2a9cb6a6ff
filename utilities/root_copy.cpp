#include "utilities/root_copy.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#include "shell/paths.h"
#include "storage/platform.h"
#include "storage/table.h"
#include "storage/table_backend.h"

namespace vorlam::utilities {

namespace {

struct SourceFile {
  std::string path;  // relative, '/' between directories
  std::string label;
};

bool underCompany(const std::string& rel, int company) {
  if (company == 0) return true;
  const std::string dir = shell::zeroPadded(company, 8);
  return rel.size() > dir.size() && shell::upperAscii(rel.substr(0, dir.size())) == dir &&
         (rel[dir.size()] == '/' || rel[dir.size()] == '\\');
}

std::string under(std::string root, const std::string& rel) {
  while (!root.empty() && (root.back() == '/' || root.back() == '\\')) root.pop_back();
  return root + "/" + rel;
}

std::string parentOf(const std::string& path) {
  if (isServerLocation(path)) return path.substr(0, path.find_last_of("/\\"));
  return platform::parentDirectory(path);
}

// The label a record file on disk was written for; an error when it is no
// record file.
Result<std::string> labelOfFile(const std::string& path) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  if (rc == SQLITE_OK) rc = sqlite3_prepare_v2(db, "SELECT value FROM _layout WHERE name = 'label'", -1, &st, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_step(st);
  std::string label;
  if (rc == SQLITE_ROW && sqlite3_column_text(st, 0)) label = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  sqlite3_close_v2(db);
  if (rc != SQLITE_ROW) return Status(StatusCode::kCorrupt, "não é um arquivo de registros", path);
  return label;
}

// The record files below `root` (of `company` when not 0); files that are
// none go to `skipped`.
Result<std::vector<SourceFile>> listRoot(const std::string& root, int company, std::vector<std::string>* skipped) {
  std::vector<SourceFile> out;
  if (isServerLocation(root)) {
    Result<std::vector<ServerFile>> files = listServerFiles(root);
    if (!files) return files.status();
    for (const auto& f : *files)
      if (underCompany(f.path, company)) out.push_back({f.path, f.label});
    return out;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(root, ec)) return out;
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec) || shell::upperAscii(it->path().extension().string()) != ".DAT") continue;
    const std::string rel = std::filesystem::relative(it->path(), root, ec).generic_string();
    if (ec || !underCompany(rel, company)) continue;
    Result<std::string> label = labelOfFile(it->path().string());
    if (label) out.push_back({rel, *label});
    else if (skipped) skipped->push_back(rel + ": " + label.status().message());
  }
  if (ec) return Status(StatusCode::kIoError, "Não foi possível ler o diretório de dados", root + ": " + ec.message());
  return out;
}

Status removeTarget(const std::string& path) {
  if (isServerLocation(path)) return removeServerFiles(path);
  for (const char* suffix : {"", "-lck", "-wal", "-shm", "-journal"}) {
    if (!platform::exists(path + suffix)) continue;
    if (Status s = platform::removeFile(path + suffix); !s) return s;
  }
  return Status::ok();
}

// Reads both files again in record order: every record must be there with
// its number and the same values, and nothing more.
Status compareFiles(Table& from, Table& to) {
  if (Status s = from.seekStart(kFileOrder); !s) return s;
  if (Status s = to.seekStart(kFileOrder); !s) return s;
  for (;;) {
    Status a = from.next(), b = to.next();
    if (a.is(StatusCode::kNotFound) && b.is(StatusCode::kNotFound)) return Status::ok();
    if (!a && !a.is(StatusCode::kNotFound)) return a;
    if (!b && !b.is(StatusCode::kNotFound)) return b;
    if (!a || !b || from.buffer().recordId() != to.buffer().recordId() || !from.buffer().sameValues(to.buffer()))
      return Status(StatusCode::kCorrupt, "A cópia difere do original",
                    "registro " + std::to_string(a ? from.buffer().recordId() : to.buffer().recordId()));
  }
}

Status copyFile(const TableDef& def, const std::string& from, const std::string& to, bool replace,
                const RootCopyProgress& progress, int64_t* records) {
  Table src(&def), dst(&def);
  if (Status s = src.open(from, OpenMode::kReadOnly); !s) return s;
  if (replace) {
    if (Status s = removeTarget(to); !s) return s;
  }
  if (Status s = makeDirectories(parentOf(to)); !s) return s;
  if (fileExists(to)) return Status(StatusCode::kInvalidArgument, "O arquivo de destino já existe", to);
  if (Status s = dst.open(to, OpenMode::kExclusive); !s) return s;
  Result<Table::Properties> props = src.properties();
  if (!props) return props.status();
  Status s = dst.beginBulk();
  for (size_t i = 0; s && i < props->size(); ++i) s = dst.setProperty((*props)[i].first, (*props)[i].second);
  if (s) s = src.seekStart(kFileOrder);
  int64_t n = 0;
  while (s) {
    Status read = src.next();
    if (read.is(StatusCode::kNotFound)) break;
    s = read;
    if (!s) break;
    dst.buffer().cells() = src.buffer().cells();
    s = dst.appendNumbered(src.buffer().recordId());
    if (++n % 4096 == 0 && progress.records) progress.records(*records + n);
  }
  if (s) s = dst.flush();
  // The copy never gives a deleted record's number again either.
  Result<int64_t> last = s ? src.lastNumber() : Result<int64_t>(s);
  s = last ? dst.keepNumbersAbove(*last) : last.status();
  if (!s) {
    if (dst.inBulk()) (void)dst.rollbackBulk();
    return s;
  }
  *records += n;
  return compareFiles(src, dst);
}

}  // namespace

Status copyDataRoot(const Dictionary& dict, const RootCopyOptions& options, RootCopyReport* report,
                    const RootCopyProgress& progress) {
  *report = RootCopyReport();
  if (options.from.empty() || options.to.empty())
    return Status(StatusCode::kInvalidArgument, "Informe a origem e o destino da cópia");
  if (!isServerLocation(options.from) && !platform::isDirectory(options.from))
    return Status(StatusCode::kFileNotFound, "Diretório de dados de origem não encontrado", options.from);
  Result<std::vector<SourceFile>> existing = listRoot(options.to, options.company, nullptr);
  if (!existing) return existing.status();
  if (!existing->empty() && !options.force)
    return Status(StatusCode::kInvalidArgument,
                  "O destino já contém arquivos de dados; use --force para substituí-los", options.to);
  Result<std::vector<SourceFile>> files = listRoot(options.from, options.company, &report->skipped);
  if (!files) return files.status();
  if (Status s = makeDirectories(options.to); !s) return s;
  const int total = static_cast<int>(files->size());
  for (int i = 0; i < total; ++i) {
    const SourceFile& f = (*files)[i];
    if (progress.file) progress.file(f.path, i + 1, total);
    const TableDef* def = dict.find(f.label);
    if (!def) {
      report->skipped.push_back(f.path + ": tabela desconhecida " + f.label);
      continue;
    }
    Status s = copyFile(*def, under(options.from, f.path), under(options.to, f.path), options.force, progress,
                        &report->records);
    if (!s) return Status(s.code(), s.message(), f.path + ": " + s.detail());
    ++report->files;
  }
  return Status::ok();
}

}  // namespace vorlam::utilities
