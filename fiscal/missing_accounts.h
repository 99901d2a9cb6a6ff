// Missing accounts in one run: every customer and supplier of the current
// company whose account is not in the company's chart of accounts, and the
// creation of those accounts as the customer/supplier form would create
// them, in one transaction.  Shared by the list action of `BFornecedores`
// and `vorlam-tool create-accounts`.
//
// A side (customer or supplier) of a party needs an account when its flag
// is set or its account field is filled, and the chart does not hold the
// account the field names.  What is done about it:
//  - a blank field gets the account the company's numbering proposes
//    (numbering 1 or 2; an account another party already has under
//    numbering 2, the same CNPJ root, is shared as the form shares it);
//  - a filled field whose code is a well-formed analytic code of the
//    structure, with its parent group in the chart, gets that very account
//    (every record that names the code stays valid);
//  - a filled field whose code cannot be an account of the structure gets a
//    proposed account, and the record is pointed at it;
//  - nothing can be done under numbering 0 without a well-formed code, with
//    no group for the side or a group the chart does not have (the company
//    record names the groups of its latest structure, which a year of an
//    earlier chart does not know), or under numbering 3 ("Não Inclui"),
//    which never touches the chart: the row is listed with the reason.
//
// Creating: the chart's accounts and the records' new account fields are
// written in one bulk transaction per file; the chart commits first, so that
// no record ever names an account that was not created.  A record another
// workstation changed since the scan is left alone and reported; a chart
// add that fails (three reduced-code clashes) is reported and its record
// is left as it was.
//
// Not thread-safe: the tables belong to the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fiscal/party_accounts.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::fiscal {

enum class AccountPlan {
  kCreate,         // the account is added to the chart (and the record pointed at it when it differs)
  kPointExisting,  // the account exists (or is added for an earlier row): only the record changes
  kSkip,           // nothing can be done; `reason` says why
};

struct MissingAccount {
  uint32_t party = 0;     // FOR:Codigo
  int64_t recordId = 0;   // of the `ForCli` record
  std::string name;       // UTF-8
  PartySide side = PartySide::kCustomer;
  std::string stored;     // the account the record names (blank when none), record text
  std::string account;    // the account the record will name; empty when skipped
  AccountPlan plan = AccountPlan::kSkip;
  std::string reason;     // UTF-8; set for skipped rows
};

// "Cliente" or "Fornecedor".
const char* sideName(PartySide side);
// "criar", "apontar", "não criar".
const char* planName(AccountPlan plan);

// Scans every record of `parties` (open) against `chart` (open), in code
// order, and plans each missing account.  Reads only.
Result<std::vector<MissingAccount>> findMissingAccounts(Table& parties, Table& chart,
                                                        const PartyAccountSettings& settings);

struct CreateAccountsReport {
  int created = 0;  // accounts added to the chart
  int pointed = 0;  // records whose account field was written
  int skipped = 0;  // rows planned kSkip
  int failed = 0;   // rows that could not be done (listed in `lines`)
  std::vector<std::string> lines;  // UTF-8, one per failure
};

// Called after each row: rows done, rows in all.
using CreateProgress = std::function<void(size_t done, size_t total)>;

// Carries out `rows` (as findMissingAccounts planned them) in one bulk
// transaction per file.  Fails only when a file cannot be written at all
// (beginning or committing the transaction); nothing is changed then.
Result<CreateAccountsReport> createMissingAccounts(Table& parties, Table& chart,
                                                   const PartyAccountSettings& settings,
                                                   const std::vector<MissingAccount>& rows,
                                                   const CreateProgress& progress = {});

}  // namespace vorlam::fiscal
