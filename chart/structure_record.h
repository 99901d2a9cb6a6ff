// Account-code structures as records of `ConfPlanoContas` (or of its alias
// `ConfPlanoContas0`, whose fields carry the same names under prefix CONP0).
//
// Only the fields AccountStructure holds are read; the other layouts of the
// record (second to fourth layouts, cost centres, tax accounts) stay in the
// record.  Not thread-safe beyond what Table is: each caller owns its Table.
#pragma once

#include <cstdint>
#include <vector>

#include "chart/account_structure.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::chart {

// The structure a record holds (name and mask as UTF-8).
AccountStructure structureFromRecord(const Record& record);

// Every stored structure, in code order, read through `table` (open on the
// structure file, original or alias).  The walk is ended before returning,
// so no read snapshot is kept.  The table's buffer is overwritten.
Result<std::vector<AccountStructure>> readStructures(Table& table);

// The highest stored structure code; 0 when the file holds none.
Result<uint32_t> highestStructureCode(Table& table);

// The lowest-numbered company that uses structure `code`: its record
// (`EMP:CodigoPlanoContas`) or its structure history (an `AltContratuais`
// row of change code 41, whose observation names the structure in force
// before that date, so earlier years still need it).  0 when none does.
// `empresa` and `history` are open tables (a table that is not open is
// passed over); their walks are ended and their buffers overwritten.
Result<uint16_t> companyUsingStructure(Table& empresa, Table& history, uint16_t code);

}  // namespace vorlam::chart
