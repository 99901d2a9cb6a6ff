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
// Each company ends either exactly as it was or completely converted.  The
// run goes in phases, per unit of companies that share files
// (adjust_plan.h):
//   plan     which files, in which structure each is written, who shares
//            them; companies whose files are not in the structure of the
//            year, or that share files with companies outside the run, are
//            refused;
//   check    every code is read and must convert, fit its field and not
//            meet another code (adjust_check.h); nothing written;
//   convert  each file is copied into a side file of the unit's
//            FileSetCommit and rewritten there; the originals are untouched;
//   verify   side files against the originals, and the journal's balances,
//            with a conversion of their own (adjust_verify.h);
//   commit   the side files are swapped in, then the rows of the files of
//            every company (company record, history, integration rows) are
//            written, their previous values saved first (adjust_rows.h);
//   restore  the originals stay in the unit's work directory
//            ("Temp/Ajuste/<id>") for restore() and for recovery.
// A process that dies at any point leaves a unit recover() puts back as it
// was; resume() then re-does it from the start.
// Not thread-safe: one AdjustRun per run.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "adjust/adjust_check.h"
#include "adjust/adjust_plan.h"
#include "adjust/adjust_verify.h"
#include "adjust/file_routines.h"
#include "adjust/observer.h"
#include "adjust/reference_count.h"
#include "chart/account_structure.h"
#include "chart/current_structure.h"
#include "dictionary/dictionary.h"
#include "framework/screen_context.h"
#include "shell/app_state.h"
#include "storage/file_lock.h"
#include "storage/file_set_io.h"
#include "storage/status.h"

namespace vorlam::adjust {

struct AdjustRequest {
  uint16_t newStructure = 0;         // LOC:CODIGO_NOVA_ESTRUTURA
  uint16_t year = 0;                 // LOC:ANO; must be the working year
  std::vector<uint16_t> companies;   // in list order
  bool dryRun = false;               // change nothing, report what would change
  bool withSharers = false;          // add the companies that share files with listed ones
};

enum class CompanyOutcome {
  kConverted,
  kAlreadyInForce,  // the new structure was already in force: nothing done
  kSkipped,         // not converted (files in use, unsafe chart file, ...)
  kFailed,          // converted nothing: a failure rolled the company back
  kDryRun,          // dry run: nothing written
};

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
  std::vector<Blocker> blockers;          // codes that kept the company from being converted
  std::vector<uint16_t> sharers;          // companies outside the run sharing its files
  std::vector<uint16_t> unit;             // companies converted (or refused) together with it
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

// A unit whose run was cut off (the process ended between the start of its
// commit and its end).  Its work directory stays in "Temp/Ajuste" until
// resume() has put its originals back and done it again.
struct PendingAdjustment {
  std::vector<uint16_t> companies;
  uint16_t newStructure = 0;
  uint16_t year = 0;
  std::string workDir;
};

// The cut-off units of the data root, oldest first.
std::vector<PendingAdjustment> pendingAdjustments(const shell::AppState& state);

// What restore() did.
struct RestoreReport {
  std::vector<uint16_t> companies;  // the unit put back
  uint16_t structure = 0;           // the structure they are back on
  std::string message;              // UTF-8
};

class AdjustRun {
 public:
  // `dict` and `state` must outlive the run.  The working year is
  // state.company().ano.  `observer` may be null.
  AdjustRun(const Dictionary& dict, shell::AppState& state, Observer* observer);

  // Checks the request as a whole; nothing is written.  The status carries
  // the Portuguese reason of a refusal.
  Status check(const AdjustRequest& request);

  // The companies outside the list (and not already in the new structure)
  // that use files the listed companies would convert, ascending; the run
  // refuses their units unless request.withSharers.  Nothing is written.
  std::vector<uint16_t> sharers(const AdjustRequest& request);

  // Runs the adjustment.  A refused request returns its status and changes
  // nothing; otherwise the report tells what happened to each company.  On
  // success the current company of `state` is the last converted company.
  Result<AdjustReport> run(const AdjustRequest& request);

  // Puts a cut-off unit back as it was before it started: its rows (their
  // saved values), then its files.  Safe to interrupt and run again.
  Status putBack(const PendingAdjustment& pending);
  // putBack(), then the unit is adjusted again from the start (working
  // year: the unit's).
  Result<AdjustReport> resume(const PendingAdjustment& pending);

  // Puts back the files and rows of company `code` as they were before its
  // latest finished adjustment, with every company adjusted together with
  // it.  kNotFound when there is none.
  Result<RestoreReport> restore(uint16_t code);

  // Test hook for the file operations of the commit (may be null).
  void setFileOpHook(FileOpHook* hook) { hook_ = hook; }
  // Told of every row the run writes in the files that hold every company
  // (company records, history rows, integration rows; adjust_rows.h), on
  // the thread that runs it; may be null.  The records rewritten in the
  // companies' own files are not told.
  void setWrites(WriteListener* writes) { writes_ = writes; }

 private:
  struct Unit;
  AdjustReport runCompanies(const AdjustRequest& request);
  // Reports the companies the plan refused or found already in the new
  // structure.
  void notePlanned(const RunPlan& plan, std::map<uint16_t, CompanyReport>* byCode, int* done);
  // Adjusts the plan's units in turn until the observer asks to stop; the
  // sharers let in that the request did not list.
  std::vector<uint16_t> runUnits(const AdjustRequest& request, const RunPlan& plan,
                                 std::map<uint16_t, CompanyReport>* byCode, AdjustReport* report, int* done);
  std::vector<CompanyReport> adjustUnit(const AdjustRequest& request, const UnitPlan& plan);
  Status prepareUnit(const AdjustRequest& request, Unit& u);
  Status checkUnit(Unit& u);
  Status convertUnit(Unit& u);
  Status verifyUnit(Unit& u);
  Status commitUnit(Unit& u);
  Status holdTargets(Unit& u, std::vector<std::unique_ptr<FileLock>>* locks);
  Status holdServerTargets(Unit& u);
  void countUnit(Unit& u);
  void logCompanyBlocks(Unit& u);
  std::string newWorkDir(const std::vector<uint16_t>& companies) const;
  void log(const std::string& line);

  const Dictionary& dict_;
  shell::AppState& state_;
  Observer* observer_;
  FileOpHook* hook_ = nullptr;
  WriteListener* writes_ = nullptr;
  chart::AccountStructure newStructure_;
  uint16_t workingYear_ = 0;
};

}  // namespace vorlam::adjust
