#include "adjust/adjust_plan.h"

#include <algorithm>
#include <functional>

#include "adjust/file_routines.h"
#include "shell/startup.h"
#include "storage/date.h"
#include "storage/table.h"
#include "storage/text.h"

namespace vorlam::adjust {
namespace {

bool isUnder(const std::string& path, const std::string& dir) {
  return !dir.empty() && path.compare(0, dir.size(), dir) == 0;
}

std::string baseName(const std::string& path) {
  size_t p = path.find_last_of(shell::kPathSeparator);
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string joinCodes(const std::vector<uint16_t>& codes) {
  std::string s;
  for (uint16_t c : codes) s += (s.empty() ? "" : ", ") + std::to_string(c);
  return s;
}

// The structure a file's codes are written in, as the file records it: 0
// when the file records none, -1 when what it records is no structure.
int recordedStructure(const Dictionary& dict, const char* label, const std::string& path, const std::string& property) {
  Table t(dict.find(label));
  if (!t.open(path, OpenMode::kReadOnly)) return 0;
  Result<std::string> p = t.property(property);
  if (!p || p.value().empty()) return 0;
  int n = shell::numberFromText(p.value());
  return n > 0 && n <= 999 && std::to_string(n) == p.value() ? n : -1;
}

}  // namespace

std::string structurePropertyOf(int routine, uint16_t company) {
  return routine == 1 ? std::string(kStructureProperty) + ":" + std::to_string(company) : kStructureProperty;
}

std::string CompanyPlan::pathOf(const Dictionary& dict, const char* label) const {
  const TableDef* def = dict.find(label);
  if (!def) return {};
  auto it = names.find(def->binding);
  return it == names.end() ? std::string() : it->second;
}

std::string UnitPlan::codes() const {
  std::vector<uint16_t> c;
  for (const auto& p : companies) c.push_back(p.code);
  return joinCodes(c);
}

Planner::Planner(const Dictionary& dict, const shell::AppState& state, const chart::AccountStructure& newStructure,
                 uint16_t year)
    : dict_(dict), state_(state), newStructure_(newStructure), year_(year) {}

Status Planner::loadCompany(uint16_t code, CompanyPlan* out) const {
  const TableDef* empDef = dict_.find("Empresa");
  const TableDef* altDef = dict_.find("AltContratuais");
  Table emp(empDef), alt(altDef);
  if (Status s = emp.open(state_.pathFor(empDef->binding), OpenMode::kReadOnly); !s) return s;
  emp.buffer().setInt("Codigo", code);
  if (Status s = emp.get(empDef->keyIndex("EMP:KEY:CODIGO")); !s) {
    if (s.is(StatusCode::kNotFound))
      return Status(StatusCode::kNotFound, "A empresa " + std::to_string(code) + " não está cadastrada", "Empresa");
    return s;
  }
  out->code = code;
  out->record = shell::companyRecordFrom(emp.buffer());
  (void)alt.open(state_.pathFor(altDef->binding), OpenMode::kReadOnly);  // no history: the record's values stand
  shell::ChartInForce inForce = shell::planoVigente(
      alt, code, year_, shell::ChartInForce{out->record.plContas, out->record.codigoPlanoContas});
  out->oldStructure = static_cast<uint16_t>(inForce.codPlanoContas);
  shell::CurrentCompany& cur = out->current;
  cur.codigo = code;
  cur.razao = out->record.razaoSocial;
  cur.uf = out->record.uf;
  cur.plContas = out->record.plContas;
  cur.codPlanoContas = out->oldStructure;
  cur.lotes = out->record.lotes;
  cur.tipoFornecedor = out->record.tipoFornecedor;
  cur.tipoCfo = out->record.tipoCfo;
  cur.tipoContaIss = out->record.tipoContaIss;
  cur.ano = year_;
  cur.mes = shell::kWholeYear;
  const std::string& root = state_.dataRoot();
  out->names = shell::sharedFileNames(root);
  shell::CompanyNames company = shell::nomeiaArquivosEmpresa(root, cur, out->record, alt, false);
  cur.tipoFornecedor = company.tipoFornecedor;
  for (auto& [k, v] : company.names) out->names[k] = v;
  for (auto& [k, v] : shell::nomeiaArquivosAno(root, cur, false)) out->names[k] = v;
  shell::CurrentCompany next = cur;
  next.codPlanoContas = newStructure_.code;
  out->newChartPath = shell::nomeiaArquivosEmpresa(root, next, out->record, alt, false).names[shell::kPlanoContasFile];
  out->oldChartPath = out->pathOf(dict_, "PlanoContas2");
  out->companyDir = shell::companyDirectories(root, code, year_).company;
  out->refusal = laterChange(*out);
  return Status::ok();
}

// A change of chart type (40) or structure (41) dated after the year of the
// run: the files that hold no year (chart companions, customers and
// suppliers, CFOP, service codes, the company record) are written in the
// structure of that later change, not in the one of the year, and moving
// the year would leave the later years on a structure their files are not in.
std::string Planner::laterChange(const CompanyPlan& c) const {
  const TableDef* altDef = dict_.find("AltContratuais");
  Table alt(altDef);
  if (!alt.open(state_.pathFor(altDef->binding), OpenMode::kReadOnly)) return {};
  int key = altDef->keyIndex("AltCont:Key:Codigo");
  std::optional<int32_t> after = toDayNumber(year_, 1, 2);
  if (key < 0 || !after) return {};
  for (int change : {shell::kChangePlContas, shell::kChangeCodigoPlano}) {
    alt.buffer().clear();
    alt.buffer().setInt("CODIGO", c.code);
    alt.buffer().setInt("CODALT", change);
    alt.buffer().setInt("DATA", *after);
    if (!alt.seek(key) || !alt.next()) continue;
    if (alt.buffer().getInt("CODIGO") != c.code || alt.buffer().getInt("CODALT") != change) continue;
    std::string date = formatDate(static_cast<int32_t>(alt.buffer().getInt("DATA")));
    return std::string("a empresa tem alteração contratual ") + std::to_string(change) +
           (change == shell::kChangeCodigoPlano ? " (estrutura do plano de contas)" : " (tipo do plano de contas)") +
           " em " + date + ", depois do ano do ajuste (" + std::to_string(year_) +
           "); seus arquivos já estão na estrutura atual e não na do ano. Ajuste a partir do ano da última "
           "alteração ou exclua-a antes";
  }
  return {};
}

std::vector<FileTask> Planner::filesOf(const CompanyPlan& c) const {
  std::vector<FileTask> out;
  auto add = [&](int routine, const char* label, const std::string& path) {
    FileTask f;
    f.routine = routine;
    f.label = label;
    f.path = path;
    f.exists = !path.empty() && fileExists(path);
    f.shared = !isUnder(path, c.companyDir);
    int recorded = f.exists ? recordedStructure(dict_, label, path, kStructureProperty) : 0;
    f.writtenIn = static_cast<uint16_t>(recorded == 0 ? c.oldStructure : std::max(recorded, 0));
    f.companies = {c.code};
    out.push_back(std::move(f));
  };
  for (const auto& r : routines()) {
    if (r.number == 1) continue;  // rows of every company, rewritten in place
    if (r.number == 2) {
      FileTask f;
      f.routine = 2;
      f.label = "PlanoContas";
      f.path = c.newChartPath;
      f.source = c.oldChartPath;
      f.exists = fileExists(c.oldChartPath);
      f.shared = !isUnder(c.oldChartPath, c.companyDir);
      f.writtenIn = c.oldStructure;  // the chart file is named after its structure
      f.companies = {c.code};
      out.push_back(std::move(f));
      continue;
    }
    add(r.number, r.label, c.pathOf(dict_, r.label));
    if (r.number == 6)
      add(0, "Configuracao_Contas_ISS_Integracao", c.pathOf(dict_, "Configuracao_Contas_ISS_Integracao"));
  }
  return out;
}

Planner::PathsByCompany Planner::rewrittenPaths(const std::vector<uint16_t>& codes) const {
  std::map<uint16_t, std::set<std::string>> out;
  for (uint16_t code : codes) {
    CompanyPlan c;
    if (!loadCompany(code, &c) || c.oldStructure == newStructure_.code) continue;
    for (const FileTask& f : filesOf(c))
      if (f.routine != 2 && f.exists && f.shared && f.writtenIn != newStructure_.code) out[code].insert(f.path);
  }
  return out;
}

// Files of every company of the unit, each path once.  A shared file that
// records no structure is in the structure of its companies, which must
// then agree.
void Planner::addFiles(UnitPlan& unit) const {
  std::map<std::string, size_t> byPath;
  for (const CompanyPlan& c : unit.companies) {
    for (FileTask f : filesOf(c)) {
      auto it = byPath.find(f.path);
      if (it == byPath.end()) {
        byPath.emplace(f.path, unit.files.size());
        unit.files.push_back(std::move(f));
        continue;
      }
      FileTask& seen = unit.files[it->second];
      seen.companies.push_back(c.code);
      if (seen.writtenIn != f.writtenIn || seen.source != f.source) seen.writtenIn = 0;
    }
  }
  for (FileTask& f : unit.files) {
    if (f.routine != 2 || !f.exists || !fileExists(f.path)) continue;
    Table existing(dict_.find("PlanoContas"));
    if (!existing.open(f.path, OpenMode::kReadOnly)) continue;
    Result<int64_t> n = existing.count();
    if (!n || n.value() == 0) continue;
    Result<std::string> from = existing.property(kChartSourceProperty);
    if (from && from.value() == baseName(f.source)) {
      f.completeChart = true;
    } else if (unit.refusal.empty()) {
      unit.refusal = "o plano de contas da nova estrutura já existe com contas (" + f.path +
                     ") e está em uso por outras empresas ou anos; nada foi alterado";
    }
  }
  for (const FileTask& f : unit.files)
    if (f.exists && f.writtenIn == 0 && unit.refusal.empty())
      unit.refusal = "não se sabe em que estrutura estão as contas do arquivo " + f.path +
                     " (as empresas que o usam estão em estruturas diferentes e o arquivo não registra a "
                     "sua); ajuste antes as empresas que o usam para uma mesma estrutura";
}

std::vector<uint16_t> Planner::companiesOutside(const std::set<uint16_t>& listed) const {
  std::vector<uint16_t> others;
  const TableDef* empDef = dict_.find("Empresa");
  Table emp(empDef);
  if (emp.open(state_.pathFor(empDef->binding), OpenMode::kReadOnly) && emp.seekStart(kFileOrder))
    while (emp.next()) {
      auto code = static_cast<uint16_t>(emp.buffer().getInt("Codigo"));
      if (!listed.count(code)) others.push_back(code);
    }
  return others;
}

// Grows a unit from one company: every listed company that shares a file
// with it, and the companies outside the list that do (added with
// `withSharers`, else noted as sharers), until nothing more joins.
void Planner::growUnit(UnitPlan& unit, std::vector<CompanyPlan>& work, std::vector<bool>& placed,
                       PathsByCompany& paths, PathsByCompany& otherPaths, bool withSharers) const {
  std::set<std::string> unitPaths;
  auto touches = [&](const std::set<std::string>& files) {
    return std::any_of(files.begin(), files.end(), [&](const std::string& p) { return unitPaths.count(p) > 0; });
  };
  std::vector<CompanyPlan> pending;
  auto take = [&](CompanyPlan c, const std::set<std::string>& files) {
    unitPaths.insert(files.begin(), files.end());
    pending.push_back(std::move(c));
  };
  for (size_t i = 0; i < work.size(); ++i)
    if (!placed[i]) {
      placed[i] = true;
      take(work[i], paths[work[i].code]);
      break;
    }
  while (!pending.empty()) {
    unit.companies.push_back(std::move(pending.back()));
    pending.pop_back();
    for (size_t j = 0; j < work.size(); ++j)
      if (!placed[j] && touches(paths[work[j].code])) {
        placed[j] = true;
        take(work[j], paths[work[j].code]);
      }
    for (auto it = otherPaths.begin(); it != otherPaths.end();) {
      if (!touches(it->second)) {
        ++it;
        continue;
      }
      unit.sharers.push_back(it->first);
      CompanyPlan s;
      if (withSharers && loadCompany(it->first, &s)) take(std::move(s), it->second);
      it = otherPaths.erase(it);
    }
  }
  std::sort(unit.sharers.begin(), unit.sharers.end());
}

RunPlan Planner::plan(const std::vector<uint16_t>& listed, bool withSharers) const {
  RunPlan out;
  std::vector<uint16_t> order;
  std::set<uint16_t> seen;
  for (uint16_t code : listed)
    if (seen.insert(code).second) order.push_back(code);
  std::vector<CompanyPlan> work;
  for (uint16_t code : order) {
    CompanyPlan c;
    if (Status s = loadCompany(code, &c); !s) {
      c.code = code;
      c.refusal = s.message();
      out.refused.push_back(std::move(c));
    } else if (c.oldStructure == newStructure_.code) {
      out.alreadyInForce.push_back(std::move(c));
    } else {
      work.push_back(std::move(c));
    }
  }
  PathsByCompany otherPaths = rewrittenPaths(companiesOutside(seen));
  std::vector<uint16_t> workCodes;
  for (const auto& c : work) workCodes.push_back(c.code);
  PathsByCompany paths = rewrittenPaths(workCodes);
  auto position = [&](uint16_t code) { return std::find(order.begin(), order.end(), code) - order.begin(); };
  std::vector<bool> placed(work.size(), false);
  while (std::find(placed.begin(), placed.end(), false) != placed.end()) {
    UnitPlan unit;
    growUnit(unit, work, placed, paths, otherPaths, withSharers);
    // List order first, then the sharers the caller let in.
    std::stable_sort(unit.companies.begin(), unit.companies.end(),
                     [&](const CompanyPlan& a, const CompanyPlan& b) { return position(a.code) < position(b.code); });
    if (!withSharers && !unit.sharers.empty())
      unit.refusal = "arquivos compartilhados desta empresa também são usados pelas empresas " +
                     joinCodes(unit.sharers) +
                     ", que não estão no ajuste; inclua-as no ajuste (todas passam juntas para a nova estrutura)";
    for (const CompanyPlan& c : unit.companies)
      if (!c.refusal.empty() && unit.refusal.empty())
        unit.refusal = unit.companies.size() > 1 ? "empresa " + std::to_string(c.code) + ": " + c.refusal : c.refusal;
    addFiles(unit);
    out.units.push_back(std::move(unit));
  }
  return out;
}

}  // namespace vorlam::adjust
