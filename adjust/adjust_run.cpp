#include "adjust/adjust_run.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "adjust/reference_count.h"
#include "chart/account_conversion.h"
#include "shell/company_files.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "storage/date.h"
#include "storage/platform.h"
#include "storage/text.h"

namespace vorlam::adjust {
namespace {

constexpr char kWarningPrefix[] = "Atenção!!! ";
constexpr char kStructureProperty[] = "estrutura_contas";  // structure the references are written in
constexpr char kChartSourceProperty[] = "convertido_de";   // old chart file a chart was rebuilt from
constexpr char kSuccess[] = "Ajuste concluído com sucesso!!!";

// The property that records the structure a file's references are written
// in.  The integration table holds the rows of every company, each company
// converted on its own.
std::string structureProperty(int routine, uint16_t company) {
  return routine == 1 ? std::string(kStructureProperty) + ":" + std::to_string(company) : kStructureProperty;
}

std::string baseName(const std::string& path) {
  size_t p = path.find_last_of(shell::kPathSeparator);
  return p == std::string::npos ? path : path.substr(p + 1);
}

bool isUnder(const std::string& path, const std::string& dir) {
  return !dir.empty() && path.compare(0, dir.size(), dir) == 0;
}

// The journal files that belong to one record file's contents.  The lock
// file "-lck" is not among them: it stays, so that a lock another
// workstation holds on it keeps excluding whoever opens the file next.
void removeJournals(const std::string& path) {
  for (const char* suffix : {"-wal", "-shm", "-journal"}) (void)platform::removeFile(path + suffix);
}

void removeFileAndSidecars(const std::string& path) {
  (void)platform::removeFile(path);
  removeJournals(path);
}

// Sums of debits and credits per account code.
using Balances = std::map<std::string, std::pair<Decimal, Decimal>>;

void addTo(Balances& b, std::string code, const Decimal& debit, const Decimal& credit) {
  auto& e = b[std::move(code)];
  e.first = *e.first.plus(debit);
  e.second = *e.second.plus(credit);
}

// Balances of the journal, each code passed through `map` first.
template <typename Map>
Balances journalBalances(Table& diario, Map map) {
  Balances b;
  const TableDef& d = diario.def();
  int fDeb = d.fieldIndex("ContaDebito"), fCred = d.fieldIndex("ContaCredito");
  int vDeb = d.fieldIndex("ValorDebito"), vCred = d.fieldIndex("ValorCredito");
  diario.seekStart(kFileOrder);
  while (diario.next()) {
    std::string deb(diario.buffer().getText(fDeb)), cred(diario.buffer().getText(fCred));
    Decimal zero = Decimal::fromUnits(0, 2);
    if (!deb.empty()) addTo(b, map(deb), diario.buffer().getDecimal(vDeb), zero);
    if (!cred.empty()) addTo(b, map(cred), zero, diario.buffer().getDecimal(vCred));
  }
  return b;
}

}  // namespace

std::string balanceLine(const BalanceCheck& b) {
  if (b.matches)
    return "   Conferência dos saldos do diário: " + std::to_string(b.accounts) + " conta(s), saldos conferem.";
  std::string line = "   Atenção!!! Conferência dos saldos do diário: saldos divergentes em " +
                     std::to_string(b.differences.size()) + " conta(s):";
  for (size_t i = 0; i < b.differences.size() && i < 20; ++i) line += " " + b.differences[i];
  return line;
}

// Everything the run needs to know about one company, read once.
struct AdjustRun::Company {
  shell::CompanyRecord record;
  uint16_t oldStructure = 0;
  shell::CurrentCompany current;  // under the old structure
  shell::BindingMap names;        // under the old structure
  std::string newChartPath;
  std::string companyDir;
  std::string pathOf(const Dictionary& dict, const char* label) const {
    const TableDef* def = dict.find(label);
    if (!def) return {};
    auto it = names.find(def->binding);
    return it == names.end() ? std::string() : it->second;
  }
};

AdjustRun::AdjustRun(const Dictionary& dict, shell::AppState& state, Observer* observer)
    : dict_(dict), state_(state), observer_(observer) {}

void AdjustRun::log(const std::string& line) {
  if (observer_) observer_->logLine(line);
}

Status AdjustRun::loadCompany(uint16_t code, Company* out) {
  const TableDef* empDef = dict_.find("Empresa");
  const TableDef* altDef = dict_.find("AltContratuais");
  Table emp(empDef), alt(altDef);
  if (Status s = emp.open(state_.pathFor(empDef->binding)); !s) return s;
  emp.buffer().setInt("Codigo", code);
  if (Status s = emp.get(empDef->keyIndex("EMP:KEY:CODIGO")); !s) {
    if (s.is(StatusCode::kNotFound))
      return Status(StatusCode::kNotFound, "A empresa " + std::to_string(code) + " não está cadastrada", "Empresa");
    return s;
  }
  out->record = shell::companyRecordFrom(emp.buffer());
  (void)alt.open(state_.pathFor(altDef->binding));  // no history: the record's values stand
  shell::ChartInForce inForce = shell::planoVigente(
      alt, code, workingYear_, shell::ChartInForce{out->record.plContas, out->record.codigoPlanoContas});
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
  cur.ano = workingYear_;
  cur.mes = shell::kWholeYear;
  const std::string& root = state_.dataRoot();
  out->names = shell::sharedFileNames(root);
  shell::CompanyNames company = shell::nomeiaArquivosEmpresa(root, cur, out->record, alt);
  cur.tipoFornecedor = company.tipoFornecedor;
  for (auto& [k, v] : company.names) out->names[k] = v;
  for (auto& [k, v] : shell::nomeiaArquivosAno(root, cur)) out->names[k] = v;
  shell::CurrentCompany next = cur;
  next.codPlanoContas = newStructure_.code;
  shell::CompanyNames newNames = shell::nomeiaArquivosEmpresa(root, next, out->record, alt, false);
  out->newChartPath = newNames.names[shell::kPlanoContasFile];
  out->companyDir = shell::companyDirectories(root, code, workingYear_).company;
  return Status::ok();
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
  std::set<uint16_t> seen;
  for (uint16_t code : request.companies) {
    if (!seen.insert(code).second) continue;
    Company c;
    if (Status st = loadCompany(code, &c); !st) return Status(st.code(), "Atenção!!! " + st.message() + "!!!");
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

std::vector<std::string> AdjustRun::sharedFileWarnings(const AdjustRequest& request) {
  AdjustReport report;
  warnSharedFiles(request, &report);
  return report.warnings;
}

void AdjustRun::warnSharedFiles(const AdjustRequest& request, AdjustReport* report) {
  // Shared files the listed companies use, and which listed company uses each.
  std::map<std::string, uint16_t> shared;
  std::set<uint16_t> listed(request.companies.begin(), request.companies.end());
  for (uint16_t code : listed) {
    Company c;
    if (!loadCompany(code, &c) || c.oldStructure == request.newStructure) continue;
    for (const auto& r : routines()) {
      std::string path = r.number == 2 ? c.pathOf(dict_, "PlanoContas2") : c.pathOf(dict_, r.label);
      if (!path.empty() && !isUnder(path, c.companyDir) && r.number != 1) shared.emplace(path, code);
    }
  }
  if (shared.empty()) return;
  const TableDef* empDef = dict_.find("Empresa");
  Table emp(empDef);
  if (!emp.open(state_.pathFor(empDef->binding), OpenMode::kReadOnly)) return;
  std::vector<uint16_t> others;
  emp.seekStart(kFileOrder);
  while (emp.next()) {
    auto code = static_cast<uint16_t>(emp.buffer().getInt("Codigo"));
    if (!listed.count(code)) others.push_back(code);
  }
  for (uint16_t code : others) {
    Company c;
    // A company already in the new structure no longer reads the old files
    // in the old codes: converting them does not change what it sees.
    if (!loadCompany(code, &c) || c.oldStructure == request.newStructure) continue;
    for (const auto& r : routines()) {
      std::string path = r.number == 2 ? c.pathOf(dict_, "PlanoContas2") : c.pathOf(dict_, r.label);
      if (shared.count(path))
        report->warnings.push_back("Atenção!!! O arquivo compartilhado " + path + " também é usado pela empresa " +
                                   std::to_string(code) + ", que não está na lista do ajuste.");
    }
  }
}

Result<AdjustReport> AdjustRun::run(const AdjustRequest& request) {
  if (Status s = check(request); !s) return s;
  return runCompanies(request);
}

std::string pendingJournalPath(const shell::AppState& state, uint16_t company) {
  return state.locations().temp + shell::kPathSeparator + "Ajuste_" + shell::zeroPadded(company, 8) + ".pendente";
}

std::vector<PendingAdjustment> pendingAdjustments(const shell::AppState& state) {
  std::vector<PendingAdjustment> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(state.locations().temp, ec)) {
    std::string name = e.path().filename().string();
    if (name.rfind("Ajuste_", 0) != 0 || name.size() < 9 || name.substr(name.size() - 9) != ".pendente") continue;
    std::ifstream in(e.path());
    PendingAdjustment p;
    unsigned code = 0, oldS = 0, newS = 0, year = 0;
    if (!(in >> code >> oldS >> newS >> year) || code == 0 || code > 65535 || newS == 0 || newS > 999 || year == 0 ||
        year > 9999)
      continue;  // not a journal of ours
    p.company = static_cast<uint16_t>(code);
    p.oldStructure = static_cast<uint16_t>(oldS);
    p.newStructure = static_cast<uint16_t>(newS);
    p.year = static_cast<uint16_t>(year);
    p.path = e.path().string();
    out.push_back(p);
  }
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.company < b.company; });
  return out;
}

Result<AdjustReport> AdjustRun::resume(const PendingAdjustment& pending) {
  workingYear_ = pending.year;
  Result<chart::AccountStructure> s = readStructure(dict_, state_, pending.newStructure);
  if (!s) return Status(s.status().code(), "Atenção!!! " + s.status().message() + "!!!");
  newStructure_ = s.value();
  AdjustRequest request;
  request.newStructure = pending.newStructure;
  request.year = pending.year;
  request.companies = {pending.company};
  log("-Concluindo o ajuste interrompido da empresa " + std::to_string(pending.company) + ".");
  Result<AdjustReport> r = runCompanies(request);
  if (r && !r.value().companies.empty() &&
      r.value().companies.front().outcome == CompanyOutcome::kAlreadyInForce)
    std::remove(pending.path.c_str());
  return r;
}

AdjustReport AdjustRun::runCompanies(const AdjustRequest& request) {
  AdjustReport report;
  warnSharedFiles(request, &report);
  for (const auto& w : report.warnings) log(w);
  if (observer_) observer_->companiesRange(static_cast<int>(request.companies.size()));
  int done = 0;
  shell::CurrentCompany last;
  shell::BindingMap lastNames;
  std::set<uint16_t> seen;
  for (uint16_t code : request.companies) {
    if (observer_ && observer_->stopRequested()) break;
    if (seen.insert(code).second) {
      if (observer_) observer_->companyStarted(code);
      CompanyReport c = adjustCompany(request, code);
      if (observer_) observer_->companyFinished(code);
      report.failures += c.failures;
      if (c.outcome == CompanyOutcome::kSkipped || c.outcome == CompanyOutcome::kFailed) ++report.failures;
      if (c.outcome == CompanyOutcome::kConverted) {
        Company now;
        if (loadCompany(code, &now)) {
          last = now.current;
          last.tpContasDesc = shell::chartTypeDescription(last.plContas, "");
          lastNames = now.names;
        }
      }
      report.companies.push_back(std::move(c));
    }
    if (observer_) observer_->companiesPosition(++done);
  }
  if (last.codigo != 0 && !request.dryRun) state_.switchCompany(last, lastNames);
  report.success = report.failures == 0;
  if (request.dryRun)
    report.finalMessage = "Simulação do ajuste concluída " +
                          (report.success ? std::string("sem falhas")
                                          : "com " + std::to_string(report.failures) + " falha(s)") +
                          ". Nenhum arquivo foi alterado.";
  else
    report.finalMessage = report.success ? kSuccess
                                         : "Atenção!!! Ajuste concluído com " + std::to_string(report.failures) +
                                               " falha(s). Verifique o registro do processamento!!!";
  return report;
}

namespace {

// The tables of one company's run, opened on the company's files.
struct OpenTables {
  std::vector<std::unique_ptr<Table>> owned;
  Table* byRoutine[14] = {};  // [n] for routine n; [2] is the new chart
  Table* oldChart = nullptr;
  Table* ccis = nullptr;
  bool skip[14] = {};  // routine already done for a shared file
};

}  // namespace

CompanyReport AdjustRun::adjustCompany(const AdjustRequest& request, uint16_t code) {
  CompanyReport rep;
  rep.code = code;
  Company c;
  if (Status s = loadCompany(code, &c); !s) {
    rep.outcome = CompanyOutcome::kSkipped;
    rep.reason = s.message();
    log("-Empresa " + std::to_string(code) + " não ajustada: " + rep.reason);
    return rep;
  }
  rep.name = c.record.razaoSocial;
  rep.oldStructure = c.oldStructure;
  if (c.oldStructure == request.newStructure) {
    rep.outcome = CompanyOutcome::kAlreadyInForce;
    return rep;
  }
  auto skipCompany = [&](const std::string& why) {
    rep.outcome = CompanyOutcome::kSkipped;
    rep.reason = why;
    log("-Empresa " + std::to_string(code) + " - " + c.record.razaoSocial + " não ajustada: " + why);
    return rep;
  };
  Result<chart::AccountStructure> oldStructure = readStructure(dict_, state_, c.oldStructure);
  if (!oldStructure) return skipCompany(oldStructure.status().message());
  Result<chart::ConversionPlan> plan = chart::ConversionPlan::make(oldStructure.value(), newStructure_);
  if (!plan) return skipCompany(plan.status().message());

  // Open every table of the company exclusively (read-only in a dry run).
  const OpenMode mode = request.dryRun ? OpenMode::kReadOnly : OpenMode::kExclusive;
  OpenTables t;
  auto openTable = [&](const char* label, const std::string& path, OpenMode m, Table** slot) -> Status {
    t.owned.push_back(std::make_unique<Table>(dict_.find(label)));
    Table* table = t.owned.back().get();
    Status s = table->open(path, m);
    if (s.is(StatusCode::kFileNotFound) && m == OpenMode::kReadOnly) return Status::ok();  // nothing to convert
    if (s) *slot = table;
    return s;
  };
  for (const auto& r : routines()) {
    if (r.number == 2) continue;
    std::string path = c.pathOf(dict_, r.label);
    if (Status s = openTable(r.label, path, mode, &t.byRoutine[r.number]); !s)
      return skipCompany("não foi possível abrir " + std::string(r.label) + " (" + path + "): " + s.toString());
    if (!isUnder(path, c.companyDir)) rep.sharedFiles.push_back(path);
  }
  std::string ccisPath = c.pathOf(dict_, "Configuracao_Contas_ISS_Integracao");
  if (Status s = openTable("Configuracao_Contas_ISS_Integracao", ccisPath, mode, &t.ccis); !s)
    return skipCompany("não foi possível abrir Configuracao_Contas_ISS_Integracao: " + s.toString());
  std::string oldChartPath = c.pathOf(dict_, "PlanoContas2");
  // Held exclusively too: an account another workstation added meanwhile
  // would miss the new chart.  A missing chart is not created.
  const OpenMode chartMode = request.dryRun || !fileExists(oldChartPath) ? OpenMode::kReadOnly : OpenMode::kExclusive;
  if (Status s = openTable("PlanoContas2", oldChartPath, chartMode, &t.oldChart); !s)
    return skipCompany("não foi possível abrir o plano de contas atual: " + s.toString());

  // A file already written in the new structure (shared by a company
  // converted before) is not converted again.  One that records a third
  // structure (a shared file another company moved on) is not in the
  // structure this company converts from: converting it would turn its codes
  // into other accounts, so the company is left as it is.
  const std::string newCode = std::to_string(request.newStructure);
  const std::string oldCode = std::to_string(c.oldStructure);
  auto writtenIn = [&](Table& table, const std::string& property, bool* done) -> std::optional<CompanyReport> {
    Result<std::string> p = table.property(property);
    *done = p && p.value() == newCode;
    if (!p || p.value().empty() || *done || p.value() == oldCode) return std::nullopt;
    return skipCompany("o arquivo " + table.path() + " já está na estrutura " + p.value() +
                       ", e não na estrutura atual da empresa (" + oldCode + "); nada foi alterado");
  };
  for (const auto& r : routines()) {
    Table* table = t.byRoutine[r.number];
    if (!table) continue;
    if (std::optional<CompanyReport> refused = writtenIn(*table, structureProperty(r.number, code), &t.skip[r.number]))
      return *refused;
    if (t.skip[r.number]) log("   Arquivo já ajustado para a estrutura " + newCode + ": " + table->path());
  }
  if (t.ccis) {
    bool done = false;
    if (std::optional<CompanyReport> refused = writtenIn(*t.ccis, kStructureProperty, &done)) return *refused;
    if (done) t.ccis = nullptr;
  }
  // The chart of the new structure: rebuilt into a new file put in place
  // at the end; an existing chart file of that structure with accounts is
  // never destroyed.  A shared chart another company's run already rebuilt
  // from the same old chart is completed in place: the accounts added to the
  // old chart since then are added to it.
  bool rebuild = true;
  bool merge = false;
  if (fileExists(c.newChartPath)) {
    Table existing(dict_.find("PlanoContas"));
    if (existing.open(c.newChartPath, OpenMode::kReadOnly)) {
      Result<int64_t> n = existing.count();
      Result<std::string> from = existing.property(kChartSourceProperty);
      if (n && n.value() > 0) {
        if (from && from.value() == baseName(oldChartPath)) {
          rebuild = false;
          merge = true;
          log("   Plano de contas compartilhado já ajustado: " + c.newChartPath);
        } else {
          return skipCompany("o plano de contas da nova estrutura já existe com contas (" + c.newChartPath +
                             ") e está em uso por outras empresas ou anos; nada foi alterado");
        }
      }
    }
  }
  std::string tempChart = c.newChartPath + ".novo";
  if (merge && t.oldChart) {
    if (Status s = openTable("PlanoContas", c.newChartPath, mode, &t.byRoutine[2]); !s)
      return skipCompany("não foi possível abrir o plano de contas da nova estrutura: " + s.toString());
  }
  if (rebuild && t.oldChart) {
    removeFileAndSidecars(tempChart);
    if (!request.dryRun) {
      makeDirectories(tempChart.substr(0, tempChart.find_last_of(shell::kPathSeparator)));
      if (Status s = openTable("PlanoContas", tempChart, OpenMode::kExclusive, &t.byRoutine[2]); !s)
        return skipCompany("não foi possível criar o novo plano de contas: " + s.toString());
    }
  }

  // Journal balances before, by converted code.
  Table* diario = t.skip[7] ? nullptr : t.byRoutine[7];
  Balances expected;
  if (diario && !request.dryRun) expected = journalBalances(*diario, [&](const std::string& code) {
    return chart::isSpecialWord(code) ? code : std::string(clipText(plan.value().convert(code)));
  });

  log("-Alterando cadastro da empresa " + std::to_string(code) + " - " + std::string(clipText(c.record.razaoSocial)) +
      " no código do plano de contas.");
  if (!request.dryRun)
    for (auto& table : t.owned)
      if (table->isOpen() && table.get() != t.oldChart) {
        if (Status s = table->beginBulk(); !s) return skipCompany("modo de gravação em lote recusado: " + s.toString());
      }

  RoutineContext ctx{&plan.value(), &newStructure_, code, request.dryRun, observer_};
  for (const auto& r : routines()) {
    if (observer_ && observer_->stopRequested()) break;
    if (r.number == 2) {
      if ((rebuild || merge) && t.oldChart) {
        Table scratch(dict_.find("PlanoContas"));
        Table* target = t.byRoutine[2] ? t.byRoutine[2] : &scratch;
        rep.tables.push_back(rebuildChart(*t.oldChart, *target, ctx, merge));
      }
      continue;
    }
    Table* table = t.byRoutine[r.number];
    if (!table || t.skip[r.number]) continue;
    Table* child = r.number == 6 ? t.ccis : nullptr;
    TableOutcome childOutcome;
    rep.tables.push_back(rewriteTable(r, *table, child, ctx, &childOutcome));
    if (child) rep.tables.push_back(std::move(childOutcome));
  }
  for (const auto& o : rep.tables) {
    rep.failures += o.failures;
    for (const auto& p : o.problems) log("   Falha: " + p);
  }
  rep.untouched = countUntouchedReferences(dict_, state_.dataRoot(), c.current, workingYear_, plan.value());
  if (!rep.untouched.empty()) {
    log("   Arquivos que o ajuste não altera e que guardam contas no código antigo:");
    for (const auto& u : rep.untouched) log(referenceLine(u));
  }

  // The company record's account fields.
  const TableDef* empDef = dict_.find("Empresa");
  Table emp(empDef);
  Status empStatus = emp.open(state_.pathFor(empDef->binding));
  if (empStatus) {
    emp.buffer().setInt("Codigo", code);
    empStatus = emp.get(empDef->keyIndex("EMP:KEY:CODIGO"));
  }
  TableOutcome empOutcome;
  empOutcome.label = "Empresa";
  empOutcome.total = empStatus ? 1 : 0;
  if (empStatus)
    for (const auto& f : companyAccountFields()) {
      int idx = empDef->fieldIndex(f.name);
      if (idx < 0) continue;
      bool changed = false;
      std::string problem;
      if (!convertField(emp.buffer(), idx, f.width, plan.value(), &changed, &problem)) {
        ++empOutcome.failures;
        empOutcome.problems.push_back("Empresa [" + std::to_string(code) + "]: " + problem);
        log("   Falha: " + empOutcome.problems.back());
      }
      if (changed) ++empOutcome.changedFields;
    }
  if (empOutcome.changedFields > 0) empOutcome.changedRecords = 1;
  rep.failures += empOutcome.failures;
  rep.tables.push_back(empOutcome);

  // Balance check: the journal's balances after the rewrite, under the new codes.
  // A dry run writes nothing, so its journal still holds the old codes.
  if (diario && !request.dryRun) {
    Balances after = journalBalances(*diario, [](const std::string& code) { return code; });
    rep.balance.done = true;
    rep.balance.accounts = static_cast<int64_t>(expected.size());
    rep.balance.matches = after == expected;
    if (!rep.balance.matches)
      for (const auto& [acc, sums] : expected) {
        auto it = after.find(acc);
        if (it == after.end() || it->second != sums) rep.balance.differences.push_back(latin1ToUtf8(acc));
      }
    log(balanceLine(rep.balance));
    if (!rep.balance.matches) ++rep.failures;
  }

  if (request.dryRun || (observer_ && observer_->stopRequested())) {
    for (auto& table : t.owned) table->rollbackBulk();
    rep.outcome = request.dryRun ? CompanyOutcome::kDryRun : CompanyOutcome::kFailed;
    if (!request.dryRun) rep.reason = "ajuste interrompido; empresa mantida como estava";
    return rep;
  }

  // Commit phase.  A journal in Temp says the company is being committed;
  // each file records its structure with its records, so running the same
  // adjustment again completes a commit that was cut off.
  std::string journal = pendingJournalPath(state_, code);
  makeDirectories(state_.locations().temp);
  { std::ofstream(journal) << code << " " << c.oldStructure << " " << request.newStructure << " " << request.year << "\n"; }
  Status commit = Status::ok();
  for (const auto& r : routines()) {
    Table* table = t.byRoutine[r.number];
    if (!table || t.skip[r.number]) continue;
    if (r.number == 2) table->setProperty(kChartSourceProperty, baseName(oldChartPath));
    table->setProperty(structureProperty(r.number, code), newCode);
  }
  if (t.ccis) t.ccis->setProperty(kStructureProperty, newCode);
  for (auto& table : t.owned)
    if (table->inBulk() && commit) {
      commit = table->flush();
      if (commit && observer_) observer_->fileCommitted(table->path());
    }
  if (!commit) {
    for (auto& table : t.owned) table->rollbackBulk();
    rep.outcome = CompanyOutcome::kFailed;
    rep.reason = "falha ao gravar: " + commit.toString() + "; o ajuste da empresa será concluído na próxima execução";
    log("-Empresa " + std::to_string(code) + " não ajustada: " + rep.reason);
    return rep;
  }
  if (t.byRoutine[2] && rebuild) {
    t.byRoutine[2]->close();
    removeJournals(c.newChartPath);
    if (!platform::replaceFile(tempChart, c.newChartPath)) {
      rep.outcome = CompanyOutcome::kFailed;
      rep.reason = "não foi possível colocar o novo plano de contas em " + c.newChartPath;
      return rep;
    }
    removeFileAndSidecars(tempChart);
  }

  // History row: the structure in force before 1 January of the year.  An
  // existing row of that date keeps its observation: it already records
  // what was in force before that date.  Until both it and the company
  // record are written the journal stays, so that the next start offers to
  // complete them (the files, already in the new structure, are not
  // converted again).
  auto unfinished = [&](const std::string& what, const Status& s) {
    ++rep.failures;
    rep.outcome = CompanyOutcome::kFailed;
    rep.reason = what + ": " + s.toString() + "; o ajuste da empresa será concluído na próxima execução";
    log("   Falha: " + rep.reason);
    return rep;
  };
  const TableDef* altDef = dict_.find("AltContratuais");
  Table alt(altDef);
  Status history = alt.open(state_.pathFor(altDef->binding));
  if (history) {
    alt.buffer().setInt("CODIGO", code);
    alt.buffer().setInt("CODALT", shell::kChangeCodigoPlano);
    alt.buffer().setInt("DATA", *toDayNumber(request.year, 1, 1));
    history = alt.get(altDef->keyIndex("AltCont:Key:Codigo"));
    if (history.is(StatusCode::kNotFound)) {
      alt.buffer().setText("OBS", shell::zeroPadded(c.oldStructure, 3) + " . " + utf8ToLatin1("Conteúdo anterior"));
      history = alt.insert();
    }
  }
  if (!history) return unfinished("histórico não gravado", history);
  if (empStatus) {
    emp.buffer().setInt("CodigoPlanoContas", request.newStructure);
    Status s = emp.update();
    if (s.is(StatusCode::kChangedByOther)) {
      // Someone changed the company meanwhile: apply the conversion to the
      // record as it is now.
      Record converted = emp.buffer();
      emp.buffer().setInt("Codigo", code);
      if (emp.get(empDef->keyIndex("EMP:KEY:CODIGO"))) {
        for (const auto& f : companyAccountFields()) {
          int idx = empDef->fieldIndex(f.name);
          bool changed = false;
          std::string problem;
          if (idx >= 0) convertField(emp.buffer(), idx, f.width, plan.value(), &changed, &problem);
        }
        emp.buffer().setInt("CodigoPlanoContas", request.newStructure);
        s = emp.update();
      }
    }
    if (!s) return unfinished("cadastro da empresa não gravado", s);
  }
  std::remove(journal.c_str());
  rep.outcome = CompanyOutcome::kConverted;
  return rep;
}

}  // namespace vorlam::adjust
