// The chart-of-accounts adjustment: moves companies to a new account-code
// structure from a year on.
//
// For every listed company whose structure in force differs from the new
// one, the run rebuilds its chart of accounts under the new structure and
// rewrites every account reference of its files (see file_routines.h), then
// records the change in the company's contract-change history and company
// record.  It is UI-free: progress and log go to an Observer, and the screen
// and the command both use it.
//
// Safety rules of the run:
// - everything that can be checked is checked before anything is written
//   (structures, year, conversion pairs);
// - the run works on its own copies of the company, its structures and its
//   file names, so other screens cannot change what it converts;
// - a company's files are opened exclusively; a company whose files are
//   open elsewhere is skipped and logged;
// - all rewrites of a company are held in bulk transactions until every
//   routine has succeeded; any failure before that leaves the company
//   exactly as it was;
// - each rewritten file records the structure its references are written
//   in, so a file shared by several companies is converted once, in this
//   run and in later ones;
// - the company record and the history row are written last.
// Not thread-safe: one AdjustRun per run.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "adjust/file_routines.h"
#include "adjust/observer.h"
#include "adjust/reference_count.h"
#include "chart/account_structure.h"
#include "chart/current_structure.h"
#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "storage/status.h"

namespace vorlam::adjust {

struct AdjustRequest {
  uint16_t newStructure = 0;         // LOC:CODIGO_NOVA_ESTRUTURA
  uint16_t year = 0;                 // LOC:ANO; must be the working year
  std::vector<uint16_t> companies;   // in list order
  bool dryRun = false;               // change nothing, report what would change
};

enum class CompanyOutcome {
  kConverted,
  kAlreadyInForce,  // the new structure was already in force: nothing done
  kSkipped,         // not converted (files in use, unsafe chart file, ...)
  kFailed,          // converted nothing: a failure rolled the company back
  kDryRun,          // dry run: nothing written
};

struct BalanceCheck {
  bool done = false;
  bool matches = false;
  int64_t accounts = 0;        // accounts compared
  std::vector<std::string> differences;  // accounts whose balance differs
};

// The log line of a balance check: the accounts compared and whether
// their balances match, or the accounts (the first 20) that differ.
std::string balanceLine(const BalanceCheck& check);

struct CompanyReport {
  uint16_t code = 0;
  std::string name;  // UTF-8
  uint16_t oldStructure = 0;
  CompanyOutcome outcome = CompanyOutcome::kSkipped;
  std::string reason;  // why it was skipped or failed (UTF-8)
  std::vector<TableOutcome> tables;
  int64_t failures = 0;
  BalanceCheck balance;
  std::vector<std::string> sharedFiles;  // shared files this company's run involved
  std::vector<ReferenceCount> untouched;  // old codes left in files the run does not rewrite
};

struct AdjustReport {
  std::vector<CompanyReport> companies;
  std::vector<std::string> warnings;  // e.g. shared files used by companies not listed
  int64_t failures = 0;
  bool success = false;      // every company converted (or already in force) without failure
  std::string finalMessage;  // "Ajuste concluído com sucesso!!!" or the count of failures
};

// The structure record `code` of the bound `ConfPlanoContas`.
using chart::readStructure;

// A company whose commit was cut off (the process ended between the first
// file written and the company record).  Its journal lives in the data
// root's "Temp" directory until the company is complete.
struct PendingAdjustment {
  uint16_t company = 0;
  uint16_t oldStructure = 0;
  uint16_t newStructure = 0;
  uint16_t year = 0;
  std::string path;  // the journal file
};

// The journals of cut-off adjustments, by company code.
std::vector<PendingAdjustment> pendingAdjustments(const shell::AppState& state);

// The journal file of a company's commit.
std::string pendingJournalPath(const shell::AppState& state, uint16_t company);

class AdjustRun {
 public:
  // `dict` and `state` must outlive the run.  The working year is
  // state.company().ano.  `observer` may be null.
  AdjustRun(const Dictionary& dict, shell::AppState& state, Observer* observer);

  // Checks the request as a whole; nothing is written.  The status carries
  // the Portuguese reason of a refusal.
  Status check(const AdjustRequest& request);

  // The warnings about shared files the listed companies would convert
  // that companies outside the list (and not already in the new structure)
  // use too, one text per file and company; nothing is written.
  std::vector<std::string> sharedFileWarnings(const AdjustRequest& request);

  // Runs the adjustment.  A refused request returns its status and changes
  // nothing; otherwise the report tells what happened to each company.  On
  // success the current company of `state` is the last converted company.
  Result<AdjustReport> run(const AdjustRequest& request);

  // Completes the adjustment of a company whose commit was cut off: every
  // file already written in the new structure is left alone, the others
  // are converted, then the company record and its history are written.
  // The working year of the state is not consulted.  The journal is
  // removed once the company is complete.
  Result<AdjustReport> resume(const PendingAdjustment& pending);

 private:
  struct Company;
  AdjustReport runCompanies(const AdjustRequest& request);
  CompanyReport adjustCompany(const AdjustRequest& request, uint16_t code);
  Status loadCompany(uint16_t code, Company* out);
  void warnSharedFiles(const AdjustRequest& request, AdjustReport* report);
  void log(const std::string& line);

  const Dictionary& dict_;
  shell::AppState& state_;
  Observer* observer_;
  chart::AccountStructure newStructure_;
  uint16_t workingYear_ = 0;
};

}  // namespace vorlam::adjust
