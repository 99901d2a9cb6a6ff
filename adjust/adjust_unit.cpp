// The phases of one unit of the adjustment (see adjust_run.h): prepare,
// check, convert into side files, verify, commit.  Each phase returns a
// status whose message (Portuguese) says why the unit stops there; until
// FileSetCommit::commit() nothing of the originals has changed, and after
// it any failure puts them back.
#include <algorithm>
#include <filesystem>

#include "adjust/adjust_rows.h"
#include "adjust/adjust_run.h"
#include "adjust/code_check.h"
#include "shell/paths.h"
#include "storage/file_lock.h"
#include "storage/file_set_commit.h"
#include "storage/table_backend.h"
#include "storage/text.h"

namespace vorlam::adjust {
namespace {

// Passes progress and stop requests on; the routines' own log lines are
// dropped, the unit writes each company's block itself once the unit is
// converted.
class Muted : public Observer {
 public:
  explicit Muted(Observer* inner) : inner_(inner) {}
  void logLine(const std::string&) override {}
  void fileRange(int64_t total) override {
    if (inner_) inner_->fileRange(total);
  }
  void filePosition(int64_t position) override {
    if (inner_) inner_->filePosition(position);
  }
  bool stopRequested() override { return inner_ && inner_->stopRequested(); }

 private:
  Observer* inner_;
};

// The integration rows of the service codes, rewritten as a whole file.
const RoutineDef& integrationRowsDef() {
  static const RoutineDef kDef{0, "Configuracao_Contas_ISS_Integracao", "CCIS:KEY:SERVICO_ID",
                               {{"CCIS:CONTA_CREDITO", 40}, {"CCIS:CONTA_DEBITO", 40}}, WriteBack::kAlways, "", ""};
  return kDef;
}

const RoutineDef& defOf(int routine) {
  return routine == 0 ? integrationRowsDef() : routines()[static_cast<size_t>(routine - 1)];
}

// The account fields a file's check reads: the chart's own code under the
// old chart's alias, the routine's fields elsewhere.
std::vector<AccountField> checkedFields(int routine) {
  if (routine == 2) return {{"Codigo", 40}};
  return defOf(routine).fields;
}

std::string baseName(const std::string& path) {
  size_t p = path.find_last_of(shell::kPathSeparator);
  return p == std::string::npos ? path : path.substr(p + 1);
}

Status failure(const std::string& why) { return Status(StatusCode::kInvalidArgument, why); }

// Size and modification time of a file ("" when it does not exist).
std::string fileStamp(const std::string& path) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (ec) return {};
  auto time = std::filesystem::last_write_time(path, ec);
  return std::to_string(size) + "/" + std::to_string(time.time_since_epoch().count());
}

// One report per company of the unit, as known before any work: its name
// and structure, the unit and its sharers, and the shared files it uses.
std::vector<CompanyReport> unitReports(const UnitPlan& plan) {
  std::vector<CompanyReport> reports;
  std::vector<uint16_t> codes;
  for (const CompanyPlan& c : plan.companies) codes.push_back(c.code);
  for (const CompanyPlan& c : plan.companies) {
    CompanyReport r;
    r.code = c.code;
    r.name = c.record.razaoSocial;
    r.oldStructure = c.oldStructure;
    r.unit = codes;
    r.sharers = plan.sharers;
    for (const FileTask& f : plan.files)
      if (f.shared && f.exists && std::find(f.companies.begin(), f.companies.end(), c.code) != f.companies.end())
        r.sharedFiles.push_back(f.routine == 2 ? f.source : f.path);
    reports.push_back(std::move(r));
  }
  return reports;
}

}  // namespace

struct AdjustRun::Unit {
  const UnitPlan* plan = nullptr;
  bool dryRun = false;
  uint16_t newCode = 0;
  std::map<uint16_t, std::vector<ReferenceCount>> untouched;
  std::map<uint16_t, chart::AccountStructure> structures;
  std::map<uint16_t, chart::ConversionPlan> plans;  // by structure converted from
  std::vector<std::unique_ptr<Table>> originals;   // per file (routine 2: the old chart); null when missing
  std::vector<TableOutcome> outcomes;              // per file
  std::vector<bool> converted;                     // per file: a side file was written
  std::map<uint16_t, int64_t> integrationRows;     // per company
  std::map<uint16_t, BalanceCheck> balances;
  std::vector<Blocker> blockers;
  std::vector<std::string> problems;
  std::unique_ptr<FileSetCommit> set;
  std::vector<std::unique_ptr<Table>> heldTargets;  // server root: targets held open until the unit is done
  bool leaveForRecovery = false;  // rows could not be put back: recovery at the next start does it
  bool needsConversion(size_t i) const {
    const FileTask& f = plan->files[i];
    return originals[i] != nullptr && f.writtenIn != newCode;
  }
};

Status AdjustRun::prepareUnit(const AdjustRequest& request, Unit& u) {
  std::set<uint16_t> from;
  for (const FileTask& f : u.plan->files) if (f.exists) from.insert(f.writtenIn);
  for (const CompanyPlan& c : u.plan->companies) from.insert(c.oldStructure);
  from.erase(newStructure_.code);
  for (uint16_t code : from) {
    Result<chart::AccountStructure> s = readStructure(dict_, state_, code);
    if (!s) return failure(s.status().message());
    Result<chart::ConversionPlan> p = chart::ConversionPlan::make(s.value(), newStructure_);
    if (!p) return failure(p.status().message());
    u.structures[code] = s.value();
    u.plans.emplace(code, std::move(p.value()));
  }
  if (u.plans.empty()) u.plans.emplace(newStructure_.code, chart::ConversionPlan());
  // Every file is held exclusively until the unit is done (read-only in a
  // dry run): what another workstation wrote meanwhile would be lost.
  const OpenMode mode = request.dryRun ? OpenMode::kReadOnly : OpenMode::kExclusive;
  for (const FileTask& f : u.plan->files) {
    u.outcomes.emplace_back();
    u.outcomes.back().label = f.routine == 2 ? "PlanoContas" : f.label;
    u.converted.push_back(false);
    const std::string& path = f.routine == 2 ? f.source : f.path;
    if (!f.exists) {
      u.originals.emplace_back();
      continue;
    }
    auto t = std::make_unique<Table>(dict_.find(f.routine == 2 ? "PlanoContas2" : f.label.c_str()));
    if (Status s = t->open(path, mode); !s)
      return failure("não foi possível abrir " + (f.routine == 2 ? std::string("o plano de contas atual") : f.label) +
                     " (" + path + "): " + s.toString());
    Result<int64_t> n = t->count();
    u.outcomes.back().total = n ? n.value() : 0;
    u.outcomes.back().walked = u.outcomes.back().total;
    u.originals.push_back(std::move(t));
  }
  return Status::ok();
}

Status AdjustRun::checkUnit(Unit& u) {
  CodeChecker checker(newStructure_);
  const UnitPlan& p = *u.plan;
  auto scopesOf = [&](const std::vector<uint16_t>& companies) {
    std::vector<std::string> scopes;
    for (const CompanyPlan& c : p.companies)
      if (std::find(companies.begin(), companies.end(), c.code) != companies.end() &&
          std::find(scopes.begin(), scopes.end(), c.oldChartPath) == scopes.end())
        scopes.push_back(c.oldChartPath);
    return scopes;
  };
  for (size_t i = 0; i < p.files.size(); ++i) {
    if (!u.needsConversion(i)) continue;
    const FileTask& f = p.files[i];
    checker.checkTable(*u.originals[i], checkedFields(f.routine), u.plans.at(f.writtenIn), scopesOf(f.companies));
  }
  const TableDef* empDef = dict_.find("Empresa");
  const TableDef* cicDef = dict_.find("Contas_Integracao_Contabil");
  Table emp(empDef), cic(cicDef);
  if (Status s = emp.open(state_.pathFor(empDef->binding), OpenMode::kReadOnly); !s)
    return failure("não foi possível abrir o cadastro de empresas: " + s.toString());
  Status cicOpen = cic.open(state_.pathFor(cicDef->binding), OpenMode::kReadOnly);
  for (const CompanyPlan& c : p.companies) {
    const chart::ConversionPlan& plan = u.plans.at(c.oldStructure);
    std::vector<std::string> scopes = {c.oldChartPath};
    emp.buffer().setInt("Codigo", c.code);
    if (emp.get(empDef->keyIndex("EMP:KEY:CODIGO")))
      checker.checkRecord(emp.buffer(), "Empresa", std::to_string(c.code), companyAccountFields(), plan, scopes);
    if (!cicOpen) continue;
    checker.checkTable(cic, routines()[0].fields, plan, scopes, c.code);
    int64_t rows = 0;
    cic.seekStart(kFileOrder);
    while (cic.next())
      if (cic.buffer().getInt("CODIGO_EMPRESA") == c.code) ++rows;
    cic.endWalk();
    u.integrationRows[c.code] = rows;
  }
  u.blockers = checker.blockers();
  if (!u.blockers.empty())
    return failure(std::to_string(u.blockers.size()) +
                   " código(s) não podem ser convertidos com segurança; nada foi alterado");
  return Status::ok();
}

void AdjustRun::countUnit(Unit& u) {
  Muted muted(observer_);
  for (size_t i = 0; i < u.plan->files.size(); ++i) {
    if (!u.needsConversion(i)) continue;
    const FileTask& f = u.plan->files[i];
    RoutineContext ctx{&u.plans.at(f.writtenIn), &newStructure_, f.companies.front(), true, &muted};
    if (f.routine == 2) {
      Table scratch(dict_.find("PlanoContas"));
      u.outcomes[i] = rebuildChart(*u.originals[i], scratch, ctx, f.completeChart);
    } else {
      u.outcomes[i] = rewriteTable(defOf(f.routine), *u.originals[i], nullptr, ctx);
    }
  }
}

Status AdjustRun::convertUnit(Unit& u) {
  const UnitPlan& p = *u.plan;
  Result<std::unique_ptr<FileSetCommit>> set = FileSetCommit::begin(
      newWorkDir([&] {
        std::vector<uint16_t> c;
        for (const auto& x : p.companies) c.push_back(x.code);
        return c;
      }()),
      "ajuste das empresas " + p.codes() + " para a estrutura " + std::to_string(newStructure_.code) + ", ano " +
          std::to_string(workingYear_),
      hook_);
  if (!set) return failure("não foi possível preparar a gravação: " + set.status().toString());
  u.set = std::move(set.value());
  Muted muted(observer_);
  const std::string newCode = std::to_string(newStructure_.code);
  for (size_t i = 0; i < p.files.size(); ++i) {
    if (!u.needsConversion(i)) continue;
    if (observer_ && observer_->stopRequested()) return failure("ajuste interrompido");
    const FileTask& f = p.files[i];
    Result<std::string> side = u.set->stage(f.path);
    if (!side) return failure("não foi possível preparar " + f.path + ": " + side.status().toString());
    Status s = Status::ok();
    if (f.routine == 2 && f.completeChart) {
      Table current(dict_.find("PlanoContas"));
      s = current.open(f.path, OpenMode::kExclusive);
      if (s) s = current.copyTo(side.value());
    } else if (f.routine != 2) {
      s = u.originals[i]->copyTo(side.value());
    }
    if (!s) return failure("não foi possível copiar " + f.path + ": " + s.toString());
    Table t(dict_.find(f.routine == 2 ? "PlanoContas" : f.label.c_str()));
    if (s = t.open(side.value(), OpenMode::kExclusive); !s)
      return failure("não foi possível abrir a cópia de " + f.path + ": " + s.toString());
    if (s = t.beginBulk(); !s) return failure("modo de gravação em lote recusado: " + s.toString());
    RoutineContext ctx{&u.plans.at(f.writtenIn), &newStructure_, f.companies.front(), false, &muted};
    u.outcomes[i] = f.routine == 2 ? rebuildChart(*u.originals[i], t, ctx, f.completeChart)
                                   : rewriteTable(defOf(f.routine), t, nullptr, ctx);
    if (f.routine == 2) s = t.setProperty(kChartSourceProperty, baseName(f.source));
    if (s) s = t.setProperty(kStructureProperty, newCode);
    if (s) s = t.flush();
    t.close();
    if (!s) return failure("falha ao gravar a cópia de " + f.path + ": " + s.toString());
    if (u.outcomes[i].failures > 0) {
      u.problems = u.outcomes[i].problems;
      return failure(std::to_string(u.outcomes[i].failures) + " falha(s) ao converter " + f.path +
                     "; nada foi alterado");
    }
    u.converted[i] = true;
    if (observer_) observer_->fileCommitted(side.value());
  }
  return Status::ok();
}

Status AdjustRun::verifyUnit(Unit& u) {
  const UnitPlan& p = *u.plan;
  for (size_t i = 0; i < p.files.size(); ++i) {
    if (!u.converted[i]) continue;
    const FileTask& f = p.files[i];
    Table side(dict_.find(f.routine == 2 ? "PlanoContas" : f.label.c_str()));
    if (Status s = side.open(u.set->sideFile(f.path), OpenMode::kReadOnly); !s)
      return failure("não foi possível conferir " + f.path + ": " + s.toString());
    const chart::AccountStructure& from = u.structures.at(f.writtenIn);
    std::vector<std::string> problems = f.routine == 2 ? verifyChart(*u.originals[i], side, from, newStructure_)
                                                       : verifyFile(*u.originals[i], side, defOf(f.routine).fields,
                                                                    from, newStructure_);
    if (!problems.empty()) {
      u.problems = problems;
      return failure("a conferência da conversão de " + f.path + " falhou; nada foi alterado");
    }
    if (f.routine != 7) continue;
    BalanceCheck b = checkBalances(*u.originals[i], side, from, newStructure_);
    for (uint16_t c : f.companies) u.balances[c] = b;
    if (!b.matches) return failure("a conferência dos saldos do diário falhou; nada foi alterado");
  }
  return Status::ok();
}

// The originals are closed for the swap; their open locks are taken again
// at once and held until the unit is done.  A file another workstation
// wrote in the instant between the two shows in its size or time: the unit
// then stops before the swap.
Status AdjustRun::holdTargets(Unit& u, std::vector<std::unique_ptr<FileLock>>* locks) {
  const UnitPlan& p = *u.plan;
  std::vector<std::pair<std::string, std::string>> held;  // path, stamp while held
  for (size_t i = 0; i < p.files.size(); ++i) {
    const std::string& path = p.files[i].routine == 2 ? p.files[i].source : p.files[i].path;
    if (u.originals[i]) {
      held.emplace_back(path, fileStamp(path));
      u.originals[i]->close();
    }
    if (u.converted[i] && p.files[i].routine == 2) held.emplace_back(p.files[i].path, fileStamp(p.files[i].path));
  }
  for (const auto& [path, stamp] : held) {
    locks->push_back(std::make_unique<FileLock>());
    if (Status s = locks->back()->acquire(path, true); !s || fileStamp(path) != stamp)
      return failure("o arquivo " + path + " foi aberto por outra estação durante o ajuste; nada foi alterado");
  }
  return Status::ok();
}

// On a server the swap renames tables in the catalog while they stay open:
// the originals stay held as they are, and so must an existing new chart
// another company's run made, which the unit completed.
Status AdjustRun::holdServerTargets(Unit& u) {
  const UnitPlan& p = *u.plan;
  for (size_t i = 0; i < p.files.size(); ++i) {
    const FileTask& f = p.files[i];
    if (!u.converted[i] || f.routine != 2 || !fileExists(f.path)) continue;
    auto t = std::make_unique<Table>(dict_.find("PlanoContas"));
    if (Status s = t->open(f.path, OpenMode::kExclusive); !s)
      return failure("o arquivo " + f.path + " foi aberto por outra estação durante o ajuste; nada foi alterado");
    u.heldTargets.push_back(std::move(t));
  }
  return Status::ok();
}

Status AdjustRun::commitUnit(Unit& u) {
  const UnitPlan& p = *u.plan;
  std::vector<std::pair<uint16_t, uint16_t>> companies;
  for (const CompanyPlan& c : p.companies) companies.emplace_back(c.code, c.oldStructure);
  Result<SavedRows> rows = captureRows(dict_, state_, companies, newStructure_.code, workingYear_);
  if (!rows) return failure("não foi possível ler o cadastro das empresas: " + rows.status().toString());
  if (Status s = saveRows(rows.value(), u.set->workDir(), FileSetIo(hook_)); !s)
    return failure("não foi possível guardar o cadastro anterior: " + s.toString());
  std::vector<std::unique_ptr<FileLock>> locks;
  if (Status s = isServerLocation(u.set->workDir()) ? holdServerTargets(u) : holdTargets(u, &locks); !s) return s;
  if (Status s = u.set->commit(); !s) return failure("falha ao colocar os arquivos convertidos no lugar: " + s.toString());
  if (observer_) observer_->fileCommitted(u.set->workDir());
  Status s = applyRows(dict_, state_, rows.value(), u.plans, writes_);
  if (s) {
    if (observer_) observer_->fileCommitted(savedRowsPath(u.set->workDir()));
    s = u.set->finish();
  }
  if (!s) {
    // The files go back only with the rows: should the rows stay as they
    // are, the unit is left committed for the recovery of the next start,
    // which puts both back.
    Status undone = undoRows(dict_, state_, rows.value(), writes_);
    u.leaveForRecovery = !undone;
    return failure("falha ao gravar o cadastro das empresas: " + s.toString() +
                   (undone ? std::string()
                           : "; cadastro e arquivos serão restaurados ao reiniciar (" + undone.toString() + ")"));
  }
  return Status::ok();
}

void AdjustRun::logCompanyBlocks(Unit& u) {
  const UnitPlan& p = *u.plan;
  for (const CompanyPlan& c : p.companies) {
    log("-Alterando cadastro da empresa " + std::to_string(c.code) + " - " +
        std::string(clipText(c.record.razaoSocial)) + " no código do plano de contas.");
    for (const RoutineDef& r : routines()) {
      log(r.firstLine);
      int64_t total = 0, walked = 0;
      if (r.number == 1) {
        total = walked = u.integrationRows[c.code];
      } else {
        for (size_t i = 0; i < p.files.size(); ++i)
          if (p.files[i].routine == r.number &&
              std::find(p.files[i].companies.begin(), p.files[i].companies.end(), c.code) != p.files[i].companies.end()) {
            total = u.outcomes[i].total;
            walked = u.outcomes[i].walked;
          }
      }
      log(secondLogLine(r, total, walked));
    }
    if (u.balances.count(c.code)) log(balanceLine(u.balances[c.code]));
    std::vector<ReferenceCount>& left = u.untouched[c.code];
    left = countUntouchedReferences(dict_, state_.dataRoot(), c.current, workingYear_, u.plans.at(c.oldStructure));
    if (!left.empty()) {
      log("   Arquivos que o ajuste não altera e que guardam contas no código antigo:");
      for (const auto& x : left) log(referenceLine(x));
    }
  }
}

std::vector<CompanyReport> AdjustRun::adjustUnit(const AdjustRequest& request, const UnitPlan& plan) {
  std::vector<CompanyReport> reports = unitReports(plan);
  auto stop = [&](CompanyOutcome outcome, const std::string& why, const Unit* u) {
    for (CompanyReport& r : reports) {
      r.outcome = outcome;
      r.reason = why;
      if (u) r.blockers = u->blockers;
      log("-Empresa " + std::to_string(r.code) + " - " + r.name + " não ajustada: " + why);
    }
    if (u) {
      for (size_t i = 0; i < u->blockers.size() && i < 50; ++i) log(blockerLine(u->blockers[i]));
      for (const std::string& problem : u->problems) log("   Falha: " + problem);
    }
    return reports;
  };
  if (!plan.refusal.empty()) return stop(CompanyOutcome::kSkipped, plan.refusal, nullptr);
  Unit u;
  u.plan = &plan;
  u.dryRun = request.dryRun;
  u.newCode = newStructure_.code;
  if (Status s = prepareUnit(request, u); !s) return stop(CompanyOutcome::kSkipped, s.message(), &u);
  if (Status s = checkUnit(u); !s) return stop(CompanyOutcome::kSkipped, s.message(), &u);
  if (request.dryRun) {
    countUnit(u);
  } else {
    Status s = convertUnit(u);
    if (s) s = verifyUnit(u);
    if (!s) {
      if (u.set) u.set->abandon();
      return stop(CompanyOutcome::kFailed, s.message(), &u);
    }
  }
  logCompanyBlocks(u);
  // Each file's counts go to the first company of the unit that uses it, so
  // that a shared file is counted once.
  for (CompanyReport& r : reports) {
    for (size_t i = 0; i < plan.files.size(); ++i)
      if (plan.files[i].companies.front() == r.code) r.tables.push_back(u.outcomes[i]);
    if (u.balances.count(r.code)) r.balance = u.balances[r.code];
    r.untouched = u.untouched[r.code];
    r.outcome = request.dryRun ? CompanyOutcome::kDryRun : CompanyOutcome::kConverted;
  }
  if (request.dryRun) return reports;
  if (Status s = commitUnit(u); !s) {
    Status back = u.leaveForRecovery ? Status(StatusCode::kIoError, "") : u.set->abandon();
    for (CompanyReport& r : reports) r.tables.clear();
    return stop(CompanyOutcome::kFailed,
                s.message() + (back ? std::string() : "; os arquivos originais serão restaurados ao reiniciar"),
                nullptr);
  }
  return reports;
}

}  // namespace vorlam::adjust
