// Internal to the sample-data generator: the in-memory plan of the data set
// (companies, charts, customers and suppliers) shared by its two halves, the
// registry and reference files (demo_data.cpp) and the books of each company
// and year (demo_books.cpp).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "storage/status.h"
#include "sampledata/demo_chart.h"
#include "sampledata/demo_data.h"
#include "sampledata/demo_random.h"

namespace vorlam::sampledata {

// A customer or supplier of one `ForCli` file.
struct DemoParty {
  uint32_t codigo = 0;
  std::string nome;         // UTF-8
  bool person = false;      // CPF instead of CNPJ
  std::string cgc, cpf;     // digits; the other one blank
  bool cliente = false, fornecedor = false;
  std::string contaCliente, contaFornecedor;  // accounts of the chart they were made in
  std::string uf, cidade;   // UTF-8
  std::string inscricao() const { return person ? cpf : cgc; }
};

struct PartyFile {
  std::string path;
  std::string chartPath;    // the chart holding the parties' accounts
  std::vector<DemoParty> parties;
  std::vector<size_t> customers, suppliers;  // indexes into parties
};

// Where a company's files are and what its record holds.
struct CompanyPlan {
  DemoCompany info;
  std::string cgc, cpf;     // digits of the company's own number
  std::string uf, cidade, endereco, bairro;
  uint32_t cnae = 0;
  int tipoAutomatica = 1;   // customer/supplier account numbering
  std::vector<uint16_t> chartFilials;  // head office + unified branches, for its own chart
};

// The chart in force for a company in a year (the last period whose
// fromYear is not after `year`).
const DemoChartPeriod& periodFor(const DemoCompany& c, int year);

// What the per-year writer needs for one company and year.
struct BookContext {
  const Dictionary* dict = nullptr;
  const CompanyPlan* company = nullptr;
  int year = 0;
  shell::BindingMap names;       // every binding in force for the company and year
  const ChartModel* chart = nullptr;  // the chart in force
  const PartyFile* parties = nullptr;
  bool partyAccountsInChart = false;  // the parties' accounts belong to `chart`
  int64_t entries = 0;
  uint64_t seed = 0;
};

// Writes the journal, invoices, service-tax notes, instalments, settlements
// and reconciliation totals of one company and year.  Adds the records
// written to *records.
Status writeBooks(const BookContext& ctx, const DemoProgress& progress, int64_t* records);

// The path bound to the file of table `label`; empty when unbound.
std::string pathOf(const Dictionary& dict, const shell::BindingMap& names, const char* label);

// Day number of a date known to be valid.
int32_t dayOf(int year, int month, int day);

}  // namespace vorlam::sampledata

namespace vorlam::sampledata {

struct MunicipalityRow {
  std::string uf, nome;  // UTF-8
  uint32_t ibge = 0;     // 0 when unknown
};
// The municipalities of the compiled-in list, in list order.
const std::vector<MunicipalityRow>& municipalities();

// The account-code structures of the sample data (codes 1 to 6), masks
// built.  Structure 1 is the one of every shared chart.
const std::vector<chart::AccountStructure>& demoStructures();
const chart::AccountStructure& demoStructure(int code);

// --- Writers of the files outside the books (demo_registry.cpp) -----------
// Each writes one whole file (refusing a file that already holds records)
// and adds its record count to *records.
Status writeReferenceTables(const Dictionary& dict, const shell::BindingMap& shared,
                            int64_t* records);
Status writeCompanyRegistry(const Dictionary& dict, const shell::BindingMap& shared,
                            const std::vector<CompanyPlan>& companies,
                            const std::vector<const ChartModel*>& currentCharts, int lastYear,
                            int64_t* records);
// The responsible persons of a company's `Funcionarios` (codes 1 to 3;
// person 1 answers for the company's accounting).
Status writeResponsibles(const Dictionary& dict, const std::string& path, int64_t* records);
Status writeChart(const Dictionary& dict, const std::string& path, const ChartModel& chart,
                  int64_t* records);
Status writeChartCompanions(const Dictionary& dict, const shell::BindingMap& names,
                            const ChartModel& chart, int64_t* records);
Status writeParties(const Dictionary& dict, const PartyFile& file, int64_t* records);
Status writeCfo(const Dictionary& dict, const std::string& path, const ChartModel& chart,
                const std::vector<std::string>& states, int64_t* records);
Status writeServiceCodes(const Dictionary& dict, const std::string& ctaPath,
                         const std::string& integrationPath, const ChartModel& chart,
                         int64_t* records);

}  // namespace vorlam::sampledata
