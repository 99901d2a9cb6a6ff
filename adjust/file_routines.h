// The per-table rewriting of account references of one company.
//
// Each routine walks one table of the company, converts its account fields
// with the conversion plan of the run, writes the changed records back and
// reports two lines in the processing log.  The tables are opened by the
// caller (on the company's files, in bulk mode); the routines only read and
// write them.  A converted code that does not fit its field is not cut into
// another account: the field keeps its value and the record counts as a
// failure.  Routines never stop on a failed record; they count it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adjust/observer.h"
#include "chart/account_conversion.h"
#include "chart/account_structure.h"
#include "storage/table.h"

namespace vorlam::adjust {

// What a routine did to one table.
struct TableOutcome {
  std::string label;
  int64_t total = 0;           // records of the table (routine 1: the company's rows)
  int64_t walked = 0;          // records walked (routine 2: records in the new chart)
  int64_t changedRecords = 0;  // records written back with a changed field
  int64_t changedFields = 0;
  int64_t failures = 0;        // records not read, not written, or with a code that did not fit
  std::vector<std::string> problems;  // one line per failure: table, key, reason (UTF-8)
};

// The account fields of one table that a routine converts.
struct AccountField {
  const char* name;
  int width;  // 20, 30 or 40: characters the field keeps of the new code
};

enum class WriteBack { kAlways, kWhenAnyNotBlank, kWhenConverted };

struct RoutineDef {
  int number;
  const char* label;    // table label
  const char* walkKey;  // key named for the walk
  std::vector<AccountField> fields;
  WriteBack writeBack;
  const char* firstLine;
  const char* secondLine;  // followed by total, " Registros ajustados ", count
};

// The thirteen routines, in the order they run.
const std::vector<RoutineDef>& routines();

// Fields of `Empresa` that hold account codes of the company's chart.
const std::vector<AccountField>& companyAccountFields();

// Converts one field of `record`: blank fields and special words stay; a
// code that does not fit `width` stays and gives false with `*problem` set.
// `*changed` tells whether the field got a new value.
bool convertField(Record& record, int field, int width, const chart::ConversionPlan& plan, bool* changed,
                  std::string* problem);

// Context of the routines for one company.
struct RoutineContext {
  const chart::ConversionPlan* plan = nullptr;
  const chart::AccountStructure* newStructure = nullptr;
  uint16_t company = 0;
  bool dryRun = false;  // count what would change, write nothing
  Observer* observer = nullptr;
};

// Routine 1 and routines 3..13.  Routine 6 also rewrites `child`, the rows
// of `Configuracao_Contas_ISS_Integracao` (null elsewhere), and reports them
// in `*childOutcome` when given.
TableOutcome rewriteTable(const RoutineDef& def, Table& table, Table* child, const RoutineContext& ctx,
                          TableOutcome* childOutcome = nullptr);

// Routine 2: rebuilds the chart `target` (empty, new structure) from `old`
// (alias on the old chart).  Every field of an old account is kept; only the
// code, its index and its dotless form change.  A new code that collides
// with an account already added is a failure.  `complete`: `target` already
// holds the chart another company's run rebuilt from the same old chart;
// only the accounts whose new code it lacks are added (and counted).
TableOutcome rebuildChart(Table& old, Table& target, const RoutineContext& ctx, bool complete = false);

// The key of the record in `t`'s buffer as a short text for failure lines:
// the components of the table's primary key (or of its first key).
std::string keyText(const Table& t);

// The log line that closes a routine.
std::string secondLogLine(const RoutineDef& def, int64_t total, int64_t count);

}  // namespace vorlam::adjust
