// The rows a unit changes in place in files that hold every company: the
// company record (structure code and account fields), its history row
// (change 41) and its rows of the shared integration table.  Their values
// before the change are saved in the unit's work directory before any is
// written, so that recovery after a crash and a later restore put them back
// (undoRows is idempotent: it writes the saved values, whatever is there).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "chart/account_conversion.h"
#include "dictionary/dictionary.h"
#include "framework/screen_context.h"
#include "shell/app_state.h"
#include "storage/file_set_io.h"
#include "storage/status.h"

namespace vorlam::adjust {

struct SavedRows {
  struct Company {
    uint16_t code = 0;
    uint16_t oldStructure = 0;
    int64_t recordStructure = 0;                       // EMP:CodigoPlanoContas before
    std::vector<std::pair<std::string, std::string>> fields;  // account fields of Empresa, as stored
    bool historyExisted = false;                       // the row of 1 January existed
    std::string integrationProperty;                   // structure property of its integration rows
    struct Row {
      int64_t id = 0;
      std::string debit, credit;
    };
    std::vector<Row> integration;
  };
  uint16_t newStructure = 0;
  uint16_t year = 0;
  std::vector<Company> companies;
};

// File of the saved rows inside a work directory.
std::string savedRowsPath(const std::string& workDir);

// Reads the rows of `companies` (code, structure in force) as they are now.
Result<SavedRows> captureRows(const Dictionary& dict, const shell::AppState& state,
                              const std::vector<std::pair<uint16_t, uint16_t>>& companies, uint16_t newStructure,
                              uint16_t year);
// Writes / reads the saved rows (durably, through `io`).
Status saveRows(const SavedRows& rows, const std::string& workDir, const FileSetIo& io);
Result<SavedRows> loadRows(const std::string& workDir);

// Converts the saved companies' rows with `plans` (by old structure) and
// sets their structure: integration rows, history row, company record, in
// that order, each file in one transaction.  `writes` (may be null) is told
// of each row once it is in its file (the integration rows once their
// transaction is committed), in the order they were written.
Status applyRows(const Dictionary& dict, const shell::AppState& state, const SavedRows& rows,
                 const std::map<uint16_t, chart::ConversionPlan>& plans, WriteListener* writes = nullptr);
// Puts the saved values back, telling `writes` as applyRows() does.
Status undoRows(const Dictionary& dict, const shell::AppState& state, const SavedRows& rows,
                WriteListener* writes = nullptr);

}  // namespace vorlam::adjust
