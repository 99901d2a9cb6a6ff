// Record counts and file names of the tables offered by file maintenance,
// as its "&Informações" step shows them.
//
// Every table is opened read-only with sharing, fully checked (the
// database's integrity check and every record verified, Table::verifyFile)
// and closed: nothing is created, converted or written.  A damaged file
// shows "?" and error 47 instead of a count.  Thread-safe: each call uses its own
// table instances.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::utilities {

// One entry of the file-maintenance list: table label and the text of its
// "Arquivo" column (UTF-8).
struct MaintainedFile {
  const char* label;
  const char* description;
};
// The 34 entries, in the list's order.
std::span<const MaintainedFile> maintainedFiles();

// What "&Informações" shows for one entry.
struct FileInfo {
  std::string label;
  std::string description;  // "Arquivo" column (UTF-8)
  std::string count;        // "Registros": the record count, "?" when the file could not be read
  std::string name;         // "Nome do Arquivo": the full file name, or the error text
  std::string path;         // the full file name bound, even when it failed (empty when none)
  int64_t bytes = -1;       // the space the file takes (on a server, its table and keys); -1 when unknown
  Status status;            // ok when the file was opened and counted
};

// "Error " + number + " : " + text, as file maintenance shows a failure.
std::string maintenanceErrorText(const Status& s);

// The entry for `file`, its table opened on the name bound in `names`.
// Names shown (`name`, and `path`) never carry a server's password.  A
// table with no name bound (a company table when no company is selected)
// reports kNoName.  `progress` follows the check of the file.
FileInfo describeFile(const Dictionary& dict, const shell::BindingMap& names,
                      const MaintainedFile& file, const Table::Progress& progress = {});

// describeFile() for every entry of the list, in its order.
std::vector<FileInfo> describeMaintainedFiles(const Dictionary& dict,
                                              const shell::BindingMap& names);

}  // namespace vorlam::utilities
