// The original table declarations of the suite, grouped as the modules own
// them.  Internal to the dictionary: everything else reaches the tables
// through Dictionary (dictionary/dictionary.h), which adds the aliases and
// puts the declarations in catalogue order.
#pragma once

#include <vector>

#include "storage/table_def.h"

namespace vorlam::tables {

// Each appends the declarations of its group (aliases excluded) to `out`.
void addSharedRegistryTables(std::vector<TableDef>& out);
void addAccountingTables(std::vector<TableDef>& out);
void addInvoiceRegisterTables(std::vector<TableDef>& out);
void addPayrollTables(std::vector<TableDef>& out);
void addServiceTaxTables(std::vector<TableDef>& out);
void addFiscalReferenceTables(std::vector<TableDef>& out);

}  // namespace vorlam::tables
