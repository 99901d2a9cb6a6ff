// Sample data roots: a complete, deterministic set of record files for
// demonstrations, tests and benchmarks.
//
// generateDemo() writes, under a data root, the shared tables (states,
// municipalities, CNAE codes, contract-change codes, account-code
// structures, integration accounts, companies, branches and their history),
// the charts of accounts with their histories, standard entries and group
// configuration, the fiscal reference tables (CFOP, service codes,
// customers and suppliers) and, per company and year, the journal, the
// entry and exit invoices, the service-tax notes, their instalments and
// settlements and the reconciliation totals.
//
// Determinism: the same options (seed included) give the same records, value
// for value, on every run and machine.  Nothing depends on the clock except
// the default years, which the caller may fix in DemoOptions::years.
//
// Every record written passes the dictionary's field rules (checkRecord).
// Journal entries balance per company and year; every analytic account has
// its synthetic parents; the instalments of an invoice never exceed its
// total.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "storage/status.h"

namespace vorlam::sampledata {

struct DemoOptions {
  std::string root;          // data root; created (with its module directories) when missing
  int companies = 5;         // 1..500
  int64_t entries = 2000;    // journal lines per company and year, 0..10,000,000
  // When above 0: the journal of the first company in the last year has
  // this many lines instead (0..10,000,000), for a root with one large
  // journal beside small ones.
  int64_t bigJournal = 0;
  std::vector<int> years;    // ascending, distinct; empty: the previous and the current year
  uint64_t seed = 1;
  // A root too small for the branch profiles (fewer than four companies)
  // gets a head office keeping its branch's accounts in its own chart:
  // company 1 becomes a branch of company 2 (unified accounting), sharing
  // its CNPJ root.  Larger roots have such a pair of their own.
  bool unifiedBranch = false;
};

// Called between steps: a phase text (UTF-8), the work done and the total of
// that phase.  Called often during the journal; keep it cheap.
using DemoProgress = std::function<void(const std::string& phase, int64_t done, int64_t total)>;

// One chart setting of a company from a year on.
struct DemoChartPeriod {
  int fromYear = 0;     // first year of the period (the first period starts before every year)
  int plContas = 0;     // 1 shared chart, 2 own chart
  int structure = 0;    // `CONP:Codigo` in force
};

// What was generated for one company.
struct DemoCompany {
  uint16_t codigo = 0;
  std::string razaoSocial;        // UTF-8
  bool cpf = false;               // registered by CPF (else CNPJ)
  uint16_t headOffice = 0;        // 0 when the company is no branch
  int tipoFornecedor = 1, tipoCfo = 1, tipoContaIss = 1;  // 1 shared, 2 own copy
  // Chart settings in year order; the last one is the company record's.
  std::vector<DemoChartPeriod> charts;
};

struct DemoSummary {
  std::string root;               // absolute, ending with the path separator
  std::vector<int> years;
  std::vector<DemoCompany> companies;
  std::vector<int> structures;    // structure codes written to `ConfPlanoContas`
  int64_t records = 0;            // records written, all tables together
};

// Checks the options: kInvalidArgument with a message (Portuguese) on the
// first value out of range.  Fills in the default years.
Status normalizeDemoOptions(DemoOptions* options);

// Writes the sample root.  Tables that already hold records are refused
// (kInvalidArgument): the generator fills empty roots only, so that a second
// run never mixes two data sets.  Memory use does not grow with `entries`
// (the journal is written in bulk mode, line by line).  Not thread-safe with
// respect to other writers of the same root.
Result<DemoSummary> generateDemo(DemoOptions options, const DemoProgress& progress = {});

// The current year from the system clock (the default working year).
int currentYear();

}  // namespace vorlam::sampledata
