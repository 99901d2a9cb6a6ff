// Plan of an adjustment run: which companies, which files, in which
// structure each file is written, and which companies must go together.
//
// Nothing is written while planning (not even directories).  The plan
// groups the listed companies into units: companies that use one shared
// file are one unit, converted and committed together, since a shared file
// can only be in one structure.  A company outside the list that uses a
// file a unit would convert blocks the unit (unless the caller adds it).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "chart/account_structure.h"
#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "shell/company_files.h"

namespace vorlam::adjust {

// Property of a record file naming the structure its account codes are
// written in.  The shared integration table holds one per company
// ("estrutura_contas:<code>").
inline constexpr char kStructureProperty[] = "estrutura_contas";
// Property of a rebuilt chart naming the old chart file it was built from.
inline constexpr char kChartSourceProperty[] = "convertido_de";

// One listed company, read once.
struct CompanyPlan {
  uint16_t code = 0;
  shell::CompanyRecord record;
  uint16_t oldStructure = 0;        // in force in the year of the run
  shell::CurrentCompany current;    // under the old structure
  shell::BindingMap names;          // under the old structure
  std::string oldChartPath, newChartPath, companyDir;
  std::string refusal;              // UTF-8; set when the company cannot be adjusted
  std::string pathOf(const Dictionary& dict, const char* label) const;
};

// One file a unit rewrites into a side file.
struct FileTask {
  int routine = 0;        // 2..13; 0 for the service-code integration rows
  std::string label;      // table label
  std::string path;       // the file (the new chart's file for routine 2)
  std::string source;     // routine 2: the old chart it is rebuilt from
  bool exists = false;    // the file (routine 2: the old chart) exists
  bool shared = false;    // outside the directories of its companies
  uint16_t writtenIn = 0; // structure of its codes; 0 when unknown
  bool completeChart = false;  // routine 2: the new chart exists, rebuilt from
                               // the same old chart; only missing accounts are added
  std::vector<uint16_t> companies;  // companies of the unit using it, in list order
};

// Companies converted together.
struct UnitPlan {
  std::vector<CompanyPlan> companies;  // in list order
  std::vector<FileTask> files;
  std::vector<uint16_t> sharers;       // companies outside the run using a file of the unit
  std::string refusal;                 // UTF-8; set when the unit cannot be adjusted
  std::string codes() const;           // "1, 4"
};

struct RunPlan {
  std::vector<UnitPlan> units;              // in the order of their first company
  std::vector<CompanyPlan> alreadyInForce;  // nothing to do
  std::vector<CompanyPlan> refused;         // could not be read at all
};

// The name of a file's structure property for `routine` and `company`.
std::string structurePropertyOf(int routine, uint16_t company);

class Planner {
 public:
  Planner(const Dictionary& dict, const shell::AppState& state, const chart::AccountStructure& newStructure,
          uint16_t year);
  // Reads company `code` (kNotFound when it is not registered).
  Status loadCompany(uint16_t code, CompanyPlan* out) const;
  // The plan of `companies` (list order, duplicates ignored).  With
  // `withSharers`, the companies outside the list that share a file with
  // a unit are added to it.
  RunPlan plan(const std::vector<uint16_t>& companies, bool withSharers) const;

 private:
  std::string laterChange(const CompanyPlan& c) const;
  std::vector<FileTask> filesOf(const CompanyPlan& c) const;
  void addFiles(UnitPlan& unit) const;
  using PathsByCompany = std::map<uint16_t, std::set<std::string>>;
  // The shared files each company would have rewritten (those not yet in
  // the new structure).
  PathsByCompany rewrittenPaths(const std::vector<uint16_t>& codes) const;
  std::vector<uint16_t> companiesOutside(const std::set<uint16_t>& listed) const;
  void growUnit(UnitPlan& unit, std::vector<CompanyPlan>& work, std::vector<bool>& placed, PathsByCompany& paths,
                PathsByCompany& otherPaths, bool withSharers) const;

  const Dictionary& dict_;
  const shell::AppState& state_;
  chart::AccountStructure newStructure_;
  uint16_t year_;
};

}  // namespace vorlam::adjust
