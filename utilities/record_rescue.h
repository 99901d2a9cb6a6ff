// The repair of a damaged record file (what recfix does): every readable
// record is rescued (record_scan.h) into a new file of the layout, keeping
// its record number, the keys are rebuilt, the new file gets the full check
// (Table::verifyFile), and only then is it put in place of the damaged
// file.  The damaged original is kept beside it, byte for byte, as
// "<file>.danificado" (".danificado.2", ... when that exists), and a report
// of what could not be read goes to "<file>.recfix.txt".
//
// The file is held exclusively (storage/file_lock.h) from start to end: a
// file another workstation has open is refused and left untouched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/status.h"
#include "storage/table_def.h"
#include "utilities/record_scan.h"

namespace vorlam::utilities {

// Why a file on a PostgreSQL server is not rescued: there are no pages of
// ours to read, and the server recovers its own data after a failure.
inline constexpr char kServerRescueRefused[] =
    "Arquivo no servidor PostgreSQL: o reparo de registros não se aplica, pois o servidor mantém sua própria "
    "recuperação de falhas";

struct RescueOptions {
  bool rebuildKeys = true;  // /K: rebuild the keys of the new file
  // /A: put the rescued copy in place of the damaged file.  Without it the
  // copy is left beside it as "<file>.recuperado" and the file is untouched.
  bool replace = true;
};

struct RescueReport {
  std::string source;      // the damaged file
  std::string kept;        // its copy as found; empty when none was made
  std::string rebuilt;     // the rescued file (`source` once replaced)
  std::string reportFile;  // "<file>.recfix.txt"
  ScanResult scan;         // what the scan found (records dropped once written)
  int64_t rescued = 0;     // records written to the new file
  int64_t found = 0;       // records the scan found
  std::vector<RecordProblem> refused;  // found, but refused by the new file's keys
  bool replaced = false;
  Status status;  // ok when the rescued file was written, checked and (with replace) put in place

  // The report, as written to standard output and to `reportFile`.
  std::string text() const;
};

// A file below a server location is refused (kUnsupported,
// kServerRescueRefused) and nothing is written.
RescueReport rescueFile(const TableDef& def, const std::string& path, const RescueOptions& options = {});

}  // namespace vorlam::utilities
