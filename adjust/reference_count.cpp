#include "adjust/reference_count.h"

#include <deque>
#include <set>

#include "shell/company_files.h"
#include "shell/paths.h"
#include "storage/text.h"

namespace vorlam::adjust {
namespace {

// The eight account fields of an instalment table with prefix `prefix`.
std::vector<AccountField> instalmentFields(const char* prefix) {
  // Names live as long as the process: the field lists are built once.
  static std::deque<std::string> names;
  std::vector<AccountField> out;
  for (const char* part : {"Conta", "Desc", "Multa", "Juros"})
    for (const char* side : {"Debito", "Credito"}) {
      names.push_back(std::string(prefix) + ":" + part + side);
      out.push_back({names.back().c_str(), 40});
    }
  return out;
}

// Years of the company's year directories ("<company>/<module>/<yyyy>").
std::set<uint16_t> companyYears(const std::string& companyDir) {
  std::set<uint16_t> years;
  for (const std::string& module : subdirectories(companyDir)) {
    for (const std::string& name : subdirectories(companyDir + shell::kPathSeparator + module)) {
      if (name.size() == 4 && name.find_first_not_of("0123456789") == std::string::npos)
        years.insert(static_cast<uint16_t>(std::stoi(name)));
    }
  }
  return years;
}

void countFile(const Dictionary& dict, const shell::BindingMap& names, const char* label,
               const std::vector<AccountField>& fields, uint16_t year, const chart::ConversionPlan& plan,
               std::vector<ReferenceCount>* out) {
  const TableDef* def = dict.find(label);
  if (!def) return;
  auto it = names.find(def->binding);
  if (it == names.end() || !fileExists(it->second)) return;
  Table table(def);
  ReferenceCount c;
  if (Status s = table.open(it->second, OpenMode::kReadOnly); !s) {
    c.error = s.toString();
  } else {
    c = countReferences(table, fields, plan);
  }
  c.label = label;
  c.path = it->second;
  c.year = year;
  if (c.fields > 0 || c.notFitting > 0 || !c.error.empty()) out->push_back(std::move(c));
}

}  // namespace

const std::vector<ReferenceTable>& untouchedYearTables() {
  static const std::vector<ReferenceTable> kTables = {
      {"Conciliacao", {{"CONC:CONTA", 40}}},
      {"ISS51_Integracao_Contabil", {{"ISIC:CONTA_DEBITO", 40}, {"ISIC:CONTA_CREDITO", 40}}},
      {"ISS53_Integracao_Contabil", {{"ISIC53:CONTA_DEBITO", 40}, {"ISIC53:CONTA_CREDITO", 40}}},
      {"ParcRegEntrada", instalmentFields("PREntr")},
      {"ParcRegSaida", instalmentFields("PRSaid")},
      {"ParcRegISS51", instalmentFields("PRISS51")},
      {"ParcRegISS53", instalmentFields("PRISS53")},
  };
  return kTables;
}

ReferenceCount countReferences(Table& table, const std::vector<AccountField>& fields,
                               const chart::ConversionPlan& plan) {
  ReferenceCount c;
  c.label = table.def().label;
  c.path = table.path();
  std::vector<std::pair<int, int>> resolved;
  for (const auto& f : fields)
    if (int idx = table.def().fieldIndex(f.name); idx >= 0) resolved.emplace_back(idx, f.width);
  table.seekStart(kFileOrder);
  Status s;
  while ((s = table.next())) {
    int64_t changed = 0;
    for (auto [field, width] : resolved) {
      std::string_view old = table.buffer().getText(field);
      if (old.empty() || chart::isSpecialWord(old)) continue;
      std::string converted = plan.convert(old);
      std::string_view clipped = clipText(converted);
      if (static_cast<int>(clipped.size()) > width) ++c.notFitting;
      if (clipped != old) ++changed;
    }
    if (changed > 0) {
      ++c.records;
      c.fields += changed;
    }
  }
  if (!s.is(StatusCode::kNotFound)) c.error = s.toString();
  table.endWalk();
  return c;
}

std::vector<ReferenceCount> countUntouchedReferences(const Dictionary& dict, const std::string& root,
                                                     const shell::CurrentCompany& current, uint16_t workingYear,
                                                     const chart::ConversionPlan& plan) {
  std::vector<ReferenceCount> out;
  shell::CurrentCompany cur = current;
  cur.ano = workingYear;
  shell::BindingMap names = shell::nomeiaArquivosAno(root, cur, false);
  for (const auto& t : untouchedYearTables()) countFile(dict, names, t.label, t.fields, workingYear, plan, &out);

  const std::string companyDir = shell::companyDirectories(root, current.codigo, workingYear).company;
  for (uint16_t year : companyYears(companyDir)) {
    if (year == workingYear) continue;
    cur.ano = year;
    names = shell::nomeiaArquivosAno(root, cur, false);
    // Every table of that year with account fields, walked by a routine or not.
    for (const auto& r : routines())
      countFile(dict, names, r.label, r.fields, year, plan, &out);
    for (const auto& t : untouchedYearTables()) countFile(dict, names, t.label, t.fields, year, plan, &out);
  }
  return out;
}

std::string referenceLine(const ReferenceCount& c) {
  std::string where = c.label + (c.year ? " (" + std::to_string(c.year) + ")" : std::string());
  if (!c.error.empty()) return "   Não foi possível contar as contas de " + where + ": " + c.error;
  std::string line = "   " + where + ": " + std::to_string(c.records) + " registro(s) com " +
                     std::to_string(c.fields) + " conta(s) ainda no código antigo";
  if (c.notFitting > 0) line += ", " + std::to_string(c.notFitting) + " que não caberiam no campo";
  return line + " - " + c.path;
}

}  // namespace vorlam::adjust
