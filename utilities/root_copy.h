// Copying a data root between a directory of record files and a PostgreSQL
// database (either way), for an office that moves to a server or back.
//
// Every record file of the source (or of one company) is copied into a new
// file of the target with the same relative path, record numbers and
// properties, in one transaction per file; then both files are read again
// side by side and compared record by record.  The source is only read.  A
// target that already holds record files (of that company) is refused
// unless `force`, which replaces the files copied.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "storage/status.h"

namespace vorlam::utilities {

struct RootCopyOptions {
  std::string from;  // a directory or "postgresql://..."
  std::string to;
  int company = 0;  // 0: the whole root; else only that company's directory
  bool force = false;
};

struct RootCopyReport {
  int files = 0;
  int64_t records = 0;
  // Files of the source left alone, each with the reason (not a record
  // file, a table the dictionary does not know).
  std::vector<std::string> skipped;
};

// Called before each file: its relative path, its number (from 1) and the
// number of files; and every few thousand records with `records` copied.
struct RootCopyProgress {
  std::function<void(const std::string& file, int index, int total)> file;
  std::function<void(int64_t records)> records;
};

Status copyDataRoot(const Dictionary& dict, const RootCopyOptions& options, RootCopyReport* report,
                    const RootCopyProgress& progress = {});

}  // namespace vorlam::utilities
