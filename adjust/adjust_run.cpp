#include "adjust/adjust_run.h"

#include <algorithm>
#include <set>

#include "adjust/adjust_rows.h"
#include "chart/account_conversion.h"
#include "shell/company_files.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "storage/file_set_commit.h"
#include "storage/table_backend.h"
#include "storage/text.h"

namespace vorlam::adjust {
namespace {

constexpr char kWarningPrefix[] = "Atenção!!! ";
constexpr char kSuccess[] = "Ajuste concluído com sucesso!!!";

// The units' work directories lie beside the files they swap: in the data
// root's "Temp", also when this machine keeps its other work files
// elsewhere (a data root on a database server).
std::string workRoot(const shell::AppState& state) {
  const std::string& root = state.locations().root;
  const std::string temp = isServerLocation(root) ? shell::joinPath(root, shell::kTempDir) : state.locations().temp;
  return temp + shell::kPathSeparator + "Ajuste";
}

std::string joinCodes(const std::vector<uint16_t>& codes) {
  std::string s;
  for (uint16_t c : codes) s += (s.empty() ? "" : ", ") + std::to_string(c);
  return s;
}

// A unit's work directory is named "<sequence>-e<c1>_<c2>...-s<new>-a<year>",
// so that what a cut-off unit was doing is known even when it was cut off
// before it wrote anything else.
struct WorkDirName {
  unsigned sequence = 0;
  std::vector<uint16_t> companies;
  uint16_t newStructure = 0;
  uint16_t year = 0;
};

bool parseWorkDir(const std::string& name, WorkDirName* out) {
  unsigned seq = 0, s = 0, a = 0;
  char companies[256] = {};
  // A server keeps directory names in capitals.
  std::string lower = name;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  if (std::sscanf(lower.c_str(), "%u-e%255[0-9_]-s%u-a%u", &seq, companies, &s, &a) != 4) return false;
  out->sequence = seq;
  out->newStructure = static_cast<uint16_t>(s);
  out->year = static_cast<uint16_t>(a);
  out->companies.clear();
  std::string list = companies;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('_', start);
    if (end == std::string::npos) end = list.size();
    out->companies.push_back(static_cast<uint16_t>(std::stoul(list.substr(start, end - start))));
    start = end + 1;
  }
  return !out->companies.empty() && s > 0 && a > 0;
}

// Work directories of the data root, in sequence order.
std::vector<std::pair<WorkDirName, std::string>> workDirs(const shell::AppState& state) {
  std::vector<std::pair<WorkDirName, std::string>> out;
  const std::string root = workRoot(state);
  for (const std::string& dir : subdirectories(root)) {
    WorkDirName n;
    if (!parseWorkDir(dir, &n)) continue;
    // Named as made (a server gives the name in capitals; it takes it in
    // any case).
    std::string name = dir;
    for (char& c : name)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    out.emplace_back(n, root + shell::kPathSeparator + name);
  }
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first.sequence < b.first.sequence; });
  return out;
}

bool cutOff(FileSetCommit::State s) {
  return s == FileSetCommit::State::kStaged || s == FileSetCommit::State::kCommitting ||
         s == FileSetCommit::State::kCommitted || s == FileSetCommit::State::kRestoring;
}

}  // namespace

AdjustRun::AdjustRun(const Dictionary& dict, shell::AppState& state, Observer* observer)
    : dict_(dict), state_(state), observer_(observer) {}

void AdjustRun::log(const std::string& line) {
  if (observer_) observer_->logLine(line);
}

std::string AdjustRun::newWorkDir(const std::vector<uint16_t>& companies) const {
  unsigned next = 1;
  for (const auto& [n, path] : workDirs(state_)) next = std::max(next, n.sequence + 1);
  std::string list;
  for (uint16_t c : companies) list += (list.empty() ? "" : "_") + std::to_string(c);
  char seq[16];
  std::snprintf(seq, sizeof seq, "%06u", next);
  return workRoot(state_) + shell::kPathSeparator + seq + "-e" + list + "-s" + std::to_string(newStructure_.code) +
         "-a" + std::to_string(workingYear_);
}

Status AdjustRun::check(const AdjustRequest& request) {
  workingYear_ = state_.company().ano;
  if (request.year == 0) return Status(StatusCode::kInvalidArgument, "Atenção!!! É necessário informar o ano do ajuste!!!");
  if (workingYear_ != 0 && request.year != workingYear_)
    return Status(StatusCode::kInvalidArgument,
                  "Atenção!!! O ano do ajuste (" + std::to_string(request.year) + ") difere do ano de trabalho (" +
                      std::to_string(workingYear_) + "). Selecione o período do ano do ajuste!!!");
  if (workingYear_ == 0) workingYear_ = request.year;
  if (request.newStructure == 0)
    return Status(StatusCode::kInvalidArgument, "Atenção!!! É necessário informar o novo código do plano de contas!!!");
  Result<chart::AccountStructure> s = readStructure(dict_, state_, request.newStructure);
  if (!s) return Status(s.status().code(), "Atenção!!! " + s.status().message() + "!!!");
  newStructure_ = s.value();
  Planner planner(dict_, state_, newStructure_, workingYear_);
  std::set<uint16_t> seen;
  for (uint16_t code : request.companies) {
    if (!seen.insert(code).second) continue;
    CompanyPlan c;
    if (Status st = planner.loadCompany(code, &c); !st) return Status(st.code(), "Atenção!!! " + st.message() + "!!!");
    if (c.oldStructure == request.newStructure) continue;
    Result<chart::AccountStructure> old = readStructure(dict_, state_, c.oldStructure);
    std::optional<chart::AccountStructure> from;
    if (old) from = old.value();
    Status pair = chart::checkConversionPair(from, newStructure_);
    if (!pair) {
      std::string why = pair.message();
      if (why.rfind(kWarningPrefix, 0) == 0) why.erase(0, sizeof kWarningPrefix - 1);
      return Status(pair.code(), kWarningPrefix + std::string("Empresa ") + std::to_string(code) + " - " +
                                     c.record.razaoSocial + ": " + why);
    }
  }
  return Status::ok();
}

std::vector<uint16_t> AdjustRun::sharers(const AdjustRequest& request) {
  if (!check(request)) return {};
  RunPlan plan = Planner(dict_, state_, newStructure_, workingYear_).plan(request.companies, false);
  std::set<uint16_t> out;
  for (const UnitPlan& u : plan.units) out.insert(u.sharers.begin(), u.sharers.end());
  return {out.begin(), out.end()};
}

Result<AdjustReport> AdjustRun::run(const AdjustRequest& request) {
  if (Status s = check(request); !s) return s;
  return runCompanies(request);
}

namespace {

// The reports in the order of the request, then the sharers let in; adds
// up the failures.  The last company converted, 0 for none.
uint16_t collectReports(const AdjustRequest& request, const std::vector<uint16_t>& extra,
                        std::map<uint16_t, CompanyReport>& byCode, AdjustReport* report) {
  std::vector<uint16_t> order;
  for (uint16_t c : request.companies)
    if (std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
  order.insert(order.end(), extra.begin(), extra.end());
  uint16_t last = 0;
  for (uint16_t code : order) {
    auto it = byCode.find(code);
    if (it == byCode.end()) continue;  // not reached: the run was stopped
    CompanyReport& c = it->second;
    report->failures += c.failures;
    if (c.outcome == CompanyOutcome::kSkipped || c.outcome == CompanyOutcome::kFailed) ++report->failures;
    if (c.outcome == CompanyOutcome::kConverted) last = code;
    report->companies.push_back(std::move(c));
  }
  return last;
}

std::string finalMessage(const AdjustReport& report, bool dryRun) {
  if (dryRun)
    return "Simulação do ajuste concluída " +
           (report.success ? std::string("sem falhas") : "com " + std::to_string(report.failures) + " falha(s)") +
           ". Nenhum arquivo foi alterado.";
  return report.success ? kSuccess
                        : "Atenção!!! Ajuste concluído com " + std::to_string(report.failures) +
                              " falha(s). Verifique o registro do processamento!!!";
}

}  // namespace

void AdjustRun::notePlanned(const RunPlan& plan, std::map<uint16_t, CompanyReport>* byCode, int* done) {
  for (const CompanyPlan& c : plan.refused) {
    CompanyReport r;
    r.code = c.code;
    r.outcome = CompanyOutcome::kSkipped;
    r.reason = c.refusal;
    log("-Empresa " + std::to_string(c.code) + " não ajustada: " + r.reason);
    (*byCode)[c.code] = std::move(r);
    if (observer_) observer_->companiesPosition(++*done);
  }
  for (const CompanyPlan& c : plan.alreadyInForce) {
    CompanyReport r;
    r.code = c.code;
    r.name = c.record.razaoSocial;
    r.oldStructure = c.oldStructure;
    r.outcome = CompanyOutcome::kAlreadyInForce;
    (*byCode)[c.code] = std::move(r);
    if (observer_) observer_->companiesPosition(++*done);
  }
}

std::vector<uint16_t> AdjustRun::runUnits(const AdjustRequest& request, const RunPlan& plan,
                                          std::map<uint16_t, CompanyReport>* byCode, AdjustReport* report,
                                          int* done) {
  std::vector<uint16_t> extra;  // sharers let in, after the listed companies
  for (const UnitPlan& u : plan.units) {
    if (observer_ && observer_->stopRequested()) break;
    for (const CompanyPlan& c : u.companies) {
      if (std::find(request.companies.begin(), request.companies.end(), c.code) == request.companies.end()) {
        extra.push_back(c.code);
        report->warnings.push_back("Atenção!!! A empresa " + std::to_string(c.code) +
                                   " usa arquivos compartilhados com as empresas do ajuste e foi incluída nele.");
        log(report->warnings.back());
      }
      if (observer_) observer_->companyStarted(c.code);
    }
    for (CompanyReport& r : adjustUnit(request, u)) {
      if (observer_) observer_->companyFinished(r.code);
      (*byCode)[r.code] = std::move(r);
      if (observer_) observer_->companiesPosition(++*done);
    }
  }
  return extra;
}

AdjustReport AdjustRun::runCompanies(const AdjustRequest& request) {
  AdjustReport report;
  Planner planner(dict_, state_, newStructure_, workingYear_);
  RunPlan plan = planner.plan(request.companies, request.withSharers);
  size_t total = plan.refused.size() + plan.alreadyInForce.size();
  for (const UnitPlan& u : plan.units) total += u.companies.size();
  if (observer_) observer_->companiesRange(static_cast<int>(total));
  int done = 0;
  std::map<uint16_t, CompanyReport> byCode;
  notePlanned(plan, &byCode, &done);
  const std::vector<uint16_t> extra = runUnits(request, plan, &byCode, &report, &done);
  const uint16_t last = collectReports(request, extra, byCode, &report);
  // The working company becomes the last one converted, in its new chart.
  if (last != 0 && !request.dryRun) {
    CompanyPlan now;
    if (planner.loadCompany(last, &now)) {
      now.current.tpContasDesc = shell::chartTypeDescription(now.current.plContas, "");
      state_.switchCompany(now.current, now.names);
    }
  }
  report.success = report.failures == 0;
  report.finalMessage = finalMessage(report, request.dryRun);
  return report;
}

std::vector<PendingAdjustment> pendingAdjustments(const shell::AppState& state) {
  std::vector<PendingAdjustment> out;
  for (const auto& [name, path] : workDirs(state)) {
    Result<FileSetCommit::State> s = FileSetCommit::stateOf(path);
    if (!s || !cutOff(s.value())) continue;
    out.push_back(PendingAdjustment{name.companies, name.newStructure, name.year, path});
  }
  return out;
}

Status AdjustRun::putBack(const PendingAdjustment& pending) {
  // The rows first (their saved values, written again whatever the crash
  // left), then the files.
  if (Result<SavedRows> rows = loadRows(pending.workDir); rows) {
    if (Status s = undoRows(dict_, state_, rows.value(), writes_); !s)
      return Status(s.code(), "Atenção!!! Não foi possível restaurar o cadastro das empresas " +
                                  joinCodes(pending.companies) + ": " + s.toString());
  }
  if (Status s = FileSetCommit::recover(pending.workDir, hook_); !s)
    return Status(s.code(), "Atenção!!! Não foi possível restaurar os arquivos das empresas " +
                                joinCodes(pending.companies) + ": " + s.toString());
  return Status::ok();
}

Result<AdjustReport> AdjustRun::resume(const PendingAdjustment& pending) {
  if (Status s = putBack(pending); !s) return s;
  log("-Ajuste interrompido das empresas " + joinCodes(pending.companies) +
      ": arquivos originais restaurados; o ajuste é refeito desde o início.");
  workingYear_ = pending.year;
  Result<chart::AccountStructure> s = readStructure(dict_, state_, pending.newStructure);
  if (!s) return Status(s.status().code(), "Atenção!!! " + s.status().message() + "!!!");
  newStructure_ = s.value();
  AdjustRequest request;
  request.newStructure = pending.newStructure;
  request.year = pending.year;
  request.companies = pending.companies;
  return runCompanies(request);
}

Result<RestoreReport> AdjustRun::restore(uint16_t code) {
  std::vector<std::pair<WorkDirName, std::string>> dirs = workDirs(state_);
  for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) {
    const auto& [name, path] = *it;
    if (std::find(name.companies.begin(), name.companies.end(), code) == name.companies.end()) continue;
    Result<FileSetCommit::State> st = FileSetCommit::stateOf(path);
    if (!st || st.value() != FileSetCommit::State::kFinished) continue;
    Result<SavedRows> rows = loadRows(path);
    if (!rows) return Status(rows.status().code(), "Atenção!!! " + rows.status().toString());
    if (Status s = FileSetCommit::restore(path, hook_); !s)
      return Status(s.code(), "Atenção!!! Não foi possível restaurar os arquivos: " + s.toString());
    if (Status s = undoRows(dict_, state_, rows.value(), writes_); !s)
      return Status(s.code(), "Atenção!!! Arquivos restaurados, mas não o cadastro das empresas: " + s.toString());
    RestoreReport r;
    r.companies = name.companies;
    r.structure = rows->companies.empty() ? 0 : rows->companies.front().oldStructure;
    r.message = "Empresa(s) " + joinCodes(name.companies) + " restaurada(s) como estavam antes do ajuste para a "
                "estrutura " + std::to_string(name.newStructure) + " (ano " + std::to_string(name.year) +
                "). Os arquivos convertidos ficam em " + path + ".";
    log("-" + r.message);
    return r;
  }
  return Status(StatusCode::kNotFound,
                "Atenção!!! Não há ajuste concluído da empresa " + std::to_string(code) + " para restaurar!!!");
}

}  // namespace vorlam::adjust
