#include "sampledata/demo_data.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>

#include "chart/account_structure.h"
#include "registry/taxpayer_numbers.h"
#include "shell/company_files.h"
#include "shell/company_selection.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "storage/date.h"
#include "storage/table.h"
#include "sampledata/demo_plan.h"
#include "sampledata/reference_data.h"
#include "sampledata/reference_lists.h"
#include "sampledata/taxpayer_ids.h"

namespace vorlam::sampledata {

namespace {

constexpr int kCompanyLimit = 500;
constexpr int64_t kEntryLimit = 10'000'000;
constexpr int kPartiesPerFile = 12;

// How each company of a group of five is set up; the groups repeat.
//  0: shared chart (structure 1) and shared reference files; head office of 3.
//  1: own chart (structure 2) and own files; head office of 4, unified accounts.
//  2: registered by CPF; shared chart of structure 1 until the last year,
//     own chart of structure 3 from then on (contract changes 40 and 41).
//  3: branch of 0; shared chart, own customers and suppliers with the
//     chart's general accounts (numbering "Manual").
//  4: branch of 1; own chart of structure 2, structure 4 from the last year.
CompanyPlan planCompany(int index, int lastYear, DemoRandom& rng) {
  const int profile = index % 5;
  const uint16_t code = static_cast<uint16_t>(index + 1);
  const uint16_t groupHead = static_cast<uint16_t>(index - profile + 1);
  CompanyPlan c;
  DemoCompany& i = c.info;
  i.codigo = code;
  auto sn = surnames();
  auto bw = businessWords();
  std::string family = sn[rng.between(0, sn.size() - 1)];
  std::string partner = sn[rng.between(0, sn.size() - 1)];
  int business = static_cast<int>(rng.between(0, bw.size() - 1));
  i.razaoSocial = family + " & " + partner + " " + bw[business] + " Ltda";
  switch (profile) {
    case 0:
      i.charts = {{0, 1, 1}};
      break;
    case 1:
      i.charts = {{0, 2, 2}};
      i.tipoFornecedor = i.tipoCfo = i.tipoContaIss = 2;
      break;
    case 2: {
      auto fn = firstNames();
      i.cpf = true;
      i.razaoSocial = std::string(fn[rng.between(0, fn.size() - 1)]) + " " + family + " " + partner;
      i.charts = {{0, 1, 1}, {lastYear, 2, 3}};
      i.tipoFornecedor = i.tipoCfo = i.tipoContaIss = 2;
      break;
    }
    case 3:
      i.charts = {{0, 1, 1}};
      i.headOffice = groupHead;
      i.tipoFornecedor = 2;
      c.tipoAutomatica = 0;
      break;
    case 4:
      i.charts = {{0, 2, 2}, {lastYear, 2, 4}};
      i.headOffice = static_cast<uint16_t>(groupHead + 1);
      i.tipoFornecedor = i.tipoCfo = i.tipoContaIss = 2;
      break;
  }
  if (i.razaoSocial.size() > 40) i.razaoSocial.resize(40);
  while (!i.razaoSocial.empty() && (static_cast<unsigned char>(i.razaoSocial.back()) & 0xC0) == 0x80)
    i.razaoSocial.pop_back();  // never leave half a UTF-8 character behind
  if (!i.razaoSocial.empty() && static_cast<unsigned char>(i.razaoSocial.back()) >= 0xC0)
    i.razaoSocial.pop_back();
  if (i.cpf) {
    c.cpf = makeCpf(100000000L + rng.between(0, 899999999));
  } else {
    // Head office and branches share the CNPJ root, as the branch form
    // expects: the root follows the head office's code, the order tells
    // the establishments apart.
    const long owner = i.headOffice != 0 ? i.headOffice : code;
    c.cgc = makeCnpj(10000000 + (owner * 7919 + 3) % 89999999, i.headOffice != 0 ? 2 : 1);
  }
  const MunicipalityRow& m = rng.pick(municipalities());
  c.uf = m.uf;
  c.cidade = m.nome;
  auto st = streetNames();
  c.endereco = st[rng.between(0, st.size() - 1)];
  c.bairro = "Centro";
  // An activity that fits the name: the business word's, or a liberal
  // profession for a person.
  auto cnae = cnaeCandidates(i.cpf ? -1 : business);
  c.cnae = cnae[static_cast<size_t>(rng.between(0, static_cast<int64_t>(cnae.size()) - 1))];
  return c;
}

// A supplier whose CNPJ holds letters, as the federal revenue issues them
// from July 2026.  The books do not use it (it is in no customer or supplier
// list of the file) and it keeps the chart's general supplier account.
DemoParty alphanumericSupplier(DemoRandom& rng) {
  static const char kAlnum[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  DemoParty p;
  p.codigo = kPartiesPerFile + 1;
  auto sn = surnames();
  p.nome = std::string(sn[rng.between(0, sn.size() - 1)]) + " Importadora Ltda";
  std::string base;
  for (int k = 0; k < 8; ++k) base += kAlnum[rng.between(k < 2 ? 10 : 0, 35)];  // two letters first
  base += "0001";
  p.cgc = base + registry::cnpjCheckDigits(base);
  p.fornecedor = true;
  const MunicipalityRow& m = rng.pick(municipalities());
  p.uf = m.uf;
  p.cidade = m.nome;
  return p;
}

PartyFile planParties(const std::string& path, uint64_t salt, DemoRandom base) {
  DemoRandom rng = base.fork(salt);
  PartyFile f;
  f.path = path;
  auto sn = surnames();
  auto fn = firstNames();
  auto bw = businessWords();
  for (int k = 0; k < kPartiesPerFile; ++k) {
    DemoParty p;
    p.codigo = static_cast<uint32_t>(k + 1);
    p.cliente = k % 2 == 0 || k % 4 == 1;
    p.fornecedor = k % 2 == 1 || k % 4 == 0;
    p.person = p.cliente && !p.fornecedor && k % 3 == 0;
    if (p.person) {
      p.nome = std::string(fn[rng.between(0, fn.size() - 1)]) + " " + sn[rng.between(0, sn.size() - 1)];
      p.cpf = makeCpf(100000000L + rng.between(0, 899999999));
    } else {
      p.nome = std::string(sn[rng.between(0, sn.size() - 1)]) + " " + bw[rng.between(0, bw.size() - 1)] +
               (k % 2 ? " S/A" : " Ltda");
      p.cgc = makeCnpj(10000000L + rng.between(0, 89999999), 1);
    }
    const MunicipalityRow& m = rng.pick(municipalities());
    p.uf = m.uf;
    p.cidade = m.nome;
    if (p.cliente) f.customers.push_back(f.parties.size());
    if (p.fornecedor) f.suppliers.push_back(f.parties.size());
    f.parties.push_back(std::move(p));
  }
  f.parties.push_back(alphanumericSupplier(rng));
  return f;
}

// The company-level names of a company under one chart setting.
shell::BindingMap companyNames(const Dictionary& dict, const std::string& root,
                               const CompanyPlan& c, const DemoChartPeriod& period) {
  shell::CurrentCompany cur;
  cur.codigo = c.info.codigo;
  cur.plContas = period.plContas;
  cur.codPlanoContas = static_cast<uint16_t>(period.structure);
  cur.mes = shell::kWholeYear;
  shell::CompanyRecord rec;
  rec.found = true;
  rec.codigo = c.info.codigo;
  rec.tipoFornecedor = c.info.tipoFornecedor;
  rec.tipoCfo = c.info.tipoCfo;
  rec.tipoContaIss = c.info.tipoContaIss;
  Table closed(dict.find("AltContratuais"));  // no history: the record's settings apply
  return shell::nomeiaArquivosEmpresa(root, cur, rec, closed, true).names;
}

struct ChartPlan {
  int structure = 0;
  std::vector<std::string> customers, suppliers;
  std::vector<uint16_t> filials;
  PartyFile* parties = nullptr;  // whose accounts go into this chart
};

void report(const DemoProgress& progress, const std::string& phase, int64_t done, int64_t total) {
  if (progress) progress(phase, done, total);
}

}  // namespace

int32_t dayOf(int year, int month, int day) { return toDayNumber(year, month, day).value_or(0); }

std::string pathOf(const Dictionary& dict, const shell::BindingMap& names, const char* label) {
  const TableDef* t = dict.find(label);
  if (t == nullptr) return {};
  auto it = names.find(t->binding);
  return it == names.end() ? std::string() : it->second;
}

const DemoChartPeriod& periodFor(const DemoCompany& c, int year) {
  const DemoChartPeriod* p = &c.charts.front();
  for (const DemoChartPeriod& q : c.charts)
    if (q.fromYear <= year) p = &q;
  return *p;
}

const std::vector<MunicipalityRow>& municipalities() {
  static const std::vector<MunicipalityRow> kRows = [] {
    std::vector<MunicipalityRow> rows;
    for (const auto& r : csvRows(kMunicipiosCsv)) {
      if (r.size() < 3) continue;
      MunicipalityRow m;
      m.uf = r[0];
      m.nome = r[2];
      if (r.size() > 3 && !r[3].empty()) m.ibge = static_cast<uint32_t>(std::stoul(r[3]));
      rows.push_back(std::move(m));
    }
    return rows;
  }();
  return kRows;
}

const std::vector<chart::AccountStructure>& demoStructures() {
  static const std::vector<chart::AccountStructure> kStructures = [] {
    struct Def {
      uint16_t code;
      const char* name;
      std::initializer_list<int> widths;
    };
    const Def defs[] = {
        {1, "Padrão 1.1.1.2.4", {1, 1, 1, 2, 4}},
        {2, "Padrão 1.1.1.2.6", {1, 1, 1, 2, 6}},
        {3, "Dois dígitos no 1º nível 2.1.1.2.4", {2, 1, 1, 2, 4}},
        {4, "Seis níveis 1.1.1.1.2.5", {1, 1, 1, 1, 2, 5}},
        {5, "Quatro níveis 2.2.3.5", {2, 2, 3, 5}},
        {6, "Último nível de 9 dígitos 1.1.1.2.9", {1, 1, 1, 2, 9}},
    };
    std::vector<chart::AccountStructure> out;
    for (const Def& d : defs) {
      chart::AccountStructure s = chart::makeStructure(d.code, d.widths);
      s.name = d.name;  // UTF-8 here; written through the UTF-8 setter
      s.mask = chart::buildMask(s);
      s.referentialChart = 10;
      out.push_back(std::move(s));
    }
    return out;
  }();
  return kStructures;
}

const chart::AccountStructure& demoStructure(int code) {
  for (const auto& s : demoStructures())
    if (s.code == code) return s;
  return demoStructures().front();
}

int currentYear() {
  auto now = std::chrono::system_clock::now();
  std::chrono::year_month_day ymd{std::chrono::floor<std::chrono::days>(now)};
  return static_cast<int>(ymd.year());
}

Status normalizeDemoOptions(DemoOptions* o) {
  auto bad = [](std::string text) { return Status(StatusCode::kInvalidArgument, std::move(text)); };
  if (o->root.empty()) return bad("informe o diretório de dados");
  if (o->companies < 1 || o->companies > kCompanyLimit)
    return bad("número de empresas fora do intervalo de 1 a " + std::to_string(kCompanyLimit));
  if (o->entries < 0 || o->entries > kEntryLimit)
    return bad("número de lançamentos fora do intervalo de 0 a " + std::to_string(kEntryLimit));
  if (o->bigJournal < 0 || o->bigJournal > kEntryLimit)
    return bad("número de lançamentos do diário grande fora do intervalo de 0 a " + std::to_string(kEntryLimit));
  if (o->years.empty()) {
    int y = currentYear();
    o->years = {y - 1, y};
  }
  for (size_t i = 0; i < o->years.size(); ++i) {
    if (o->years[i] < 1801 || o->years[i] > 9998)
      return bad("ano fora do intervalo de 1801 a 9998: " + std::to_string(o->years[i]));
    if (i > 0 && o->years[i] <= o->years[i - 1])
      return bad("os anos devem ser distintos e em ordem crescente");
  }
  if (o->years.size() > 20) return bad("no máximo 20 anos");
  return Status::ok();
}

namespace {

// DemoOptions::unifiedBranch: company 1 a branch of company 2, with
// company 2's CNPJ root, when no company is a branch yet.
void giveSmallRootABranch(std::vector<CompanyPlan>& companies) {
  if (companies.size() < 2) return;
  for (const CompanyPlan& c : companies)
    if (c.info.headOffice != 0) return;
  CompanyPlan& branch = companies[0];
  const CompanyPlan& head = companies[1];
  if (branch.info.cpf || head.info.cpf || head.info.charts.back().plContas != shell::kOwnCopy) return;
  branch.info.headOffice = head.info.codigo;
  branch.cgc = makeCnpj(10000000 + (long(head.info.codigo) * 7919 + 3) % 89999999, 2);
}

// Everything the generator decides before writing: the companies, their
// customer/supplier files and their charts, each file once by path.
struct DemoLayout {
  std::vector<CompanyPlan> companies;
  std::map<std::string, PartyFile> partyFiles;
  std::map<std::string, ChartPlan> chartPlans;
  std::map<std::string, ChartModel> charts;
  std::vector<std::string> currentChartPath;    // per company
  std::vector<shell::BindingMap> currentNames;  // per company, in its last year
};

void planCompanies(const DemoOptions& options, int lastYear, DemoRandom& rng, DemoLayout* l) {
  DemoRandom companyRng = rng.fork(1);
  for (int i = 0; i < options.companies; ++i) l->companies.push_back(planCompany(i, lastYear, companyRng));
  if (options.unifiedBranch) giveSmallRootABranch(l->companies);
  for (CompanyPlan& c : l->companies) {
    // A head office whose branches keep unified accounts separates them in
    // its own chart.
    for (const CompanyPlan& b : l->companies)
      if (b.info.headOffice == c.info.codigo && c.info.charts.back().plContas == shell::kOwnCopy) {
        if (c.chartFilials.empty()) c.chartFilials.push_back(c.info.codigo);
        c.chartFilials.push_back(b.info.codigo);
      }
  }
}

// The file names of each company, its charts' plans and its parties' file.
void planFiles(const Dictionary& dict, const std::string& root, DemoRandom& rng, DemoLayout* l) {
  l->currentChartPath.resize(l->companies.size());
  l->currentNames.resize(l->companies.size());
  for (size_t i = 0; i < l->companies.size(); ++i) {
    CompanyPlan& c = l->companies[i];
    for (const DemoChartPeriod& p : c.info.charts) {
      shell::BindingMap names = companyNames(dict, root, c, p);
      ChartPlan& chartPlan = l->chartPlans[names.at(shell::kPlanoContasFile)];
      chartPlan.structure = p.structure;
      if (&p == &c.info.charts.back()) {
        l->currentChartPath[i] = names.at(shell::kPlanoContasFile);
        if (chartPlan.filials.empty()) chartPlan.filials = c.chartFilials;
        l->currentNames[i] = names;
      }
    }
    std::string forCli = pathOf(dict, l->currentNames[i], "ForCli");
    if (!l->partyFiles.count(forCli)) {
      PartyFile f = planParties(forCli, l->partyFiles.size() + 11, rng);
      f.chartPath = l->currentChartPath[i];
      l->partyFiles.emplace(forCli, std::move(f));
      // Numbering "Manual" keeps the chart's general accounts; the others
      // get accounts of their own in the chart.
      if (c.tipoAutomatica != 0) l->chartPlans[l->currentChartPath[i]].parties = &l->partyFiles.at(forCli);
    }
  }
}

// The charts, with the accounts of the parties they hold; parties of a
// chart without accounts of their own take its general accounts.
void buildCharts(DemoLayout* l) {
  for (auto& [path, chartPlan] : l->chartPlans) {
    std::vector<std::string> customers, suppliers;
    if (chartPlan.parties) {
      for (size_t k : chartPlan.parties->customers) customers.push_back(chartPlan.parties->parties[k].nome);
      for (size_t k : chartPlan.parties->suppliers) suppliers.push_back(chartPlan.parties->parties[k].nome);
    }
    ChartModel m = buildChart(demoStructure(chartPlan.structure), customers, suppliers, chartPlan.filials);
    if (chartPlan.parties) {
      for (size_t n = 0; n < chartPlan.parties->customers.size(); ++n)
        chartPlan.parties->parties[chartPlan.parties->customers[n]].contaCliente = m.customerAccounts[n];
      for (size_t n = 0; n < chartPlan.parties->suppliers.size(); ++n)
        chartPlan.parties->parties[chartPlan.parties->suppliers[n]].contaFornecedor = m.supplierAccounts[n];
    }
    l->charts.emplace(path, std::move(m));
  }
  for (auto& [path, f] : l->partyFiles) {
    const ChartModel& m = l->charts.at(f.chartPath);
    for (DemoParty& p : f.parties) {
      if (p.cliente && p.contaCliente.empty()) p.contaCliente = m.code("clientes");
      if (p.fornecedor && p.contaFornecedor.empty()) p.contaFornecedor = m.code("fornecedores");
    }
  }
}

// The chart companions, CFO and service-code files of each company, each
// file once.
Status writeCompanyReferenceFiles(const Dictionary& dict, const DemoLayout& l, int64_t* records) {
  std::set<std::string> written;
  std::map<std::string, std::vector<std::string>> cfoStates;
  for (size_t i = 0; i < l.companies.size(); ++i) {
    auto& states = cfoStates[pathOf(dict, l.currentNames[i], "CFO")];
    if (std::find(states.begin(), states.end(), l.companies[i].uf) == states.end())
      states.push_back(l.companies[i].uf);
  }
  for (size_t i = 0; i < l.companies.size(); ++i) {
    const shell::BindingMap& names = l.currentNames[i];
    const ChartModel& m = l.charts.at(l.currentChartPath[i]);
    std::string his = pathOf(dict, names, "Historico");
    if (written.insert(his).second)
      if (Status s = writeChartCompanions(dict, names, m, records); !s) return s;
    std::string cfo = pathOf(dict, names, "CFO");
    if (written.insert(cfo).second)
      if (Status s = writeCfo(dict, cfo, m, cfoStates[cfo], records); !s) return s;
    std::string cta = pathOf(dict, names, "CtaISS");
    if (written.insert(cta).second)
      if (Status s = writeServiceCodes(dict, cta, pathOf(dict, names, "Configuracao_Contas_ISS_Integracao"),
                                       m, records);
          !s)
        return s;
  }
  return Status::ok();
}

// Registry, charts and reference files.
Status writeSharedFiles(const Dictionary& dict, const shell::BindingMap& shared, const DemoLayout& l,
                        int lastYear, int64_t* records) {
  std::vector<const ChartModel*> current;
  for (const std::string& p : l.currentChartPath) current.push_back(&l.charts.at(p));
  if (Status s = writeCompanyRegistry(dict, shared, l.companies, current, lastYear, records); !s) return s;
  for (const auto& [path, m] : l.charts)
    if (Status s = writeChart(dict, path, m, records); !s) return s;
  for (size_t i = 0; i < l.companies.size(); ++i)
    if (Status s = writeResponsibles(dict, pathOf(dict, l.currentNames[i], "Funcionarios"), records); !s)
      return s;
  for (const auto& [path, f] : l.partyFiles)
    if (Status s = writeParties(dict, f, records); !s) return s;
  return writeCompanyReferenceFiles(dict, l, records);
}

// The company as selecting it in `year` sets it up.
shell::CurrentCompany selectionOf(const shell::CompanyRecord& rec, uint16_t code, int year) {
  shell::CurrentCompany cur;
  cur.codigo = code;
  shell::takeCompanyRecord(cur, rec);
  cur.ano = static_cast<uint16_t>(year);
  cur.mes = shell::kWholeYear;
  return cur;
}

// The books of one company and year, in the files selecting the company
// names (the history written before decides the chart in force).
Status writeYearBooks(const Dictionary& dict, const DemoOptions& options, const DemoLayout& l, size_t i,
                      int year, shell::AppState& state, shell::CompanyFiles& files,
                      const shell::CompanyRecord& rec, const DemoProgress& progress, int64_t* records) {
  const CompanyPlan& c = l.companies[i];
  files.selectCompany(state, selectionOf(rec, c.info.codigo, year), rec);
  shell::AppSnapshot snap = state.snapshot();
  const DemoChartPeriod& period = periodFor(c.info, year);
  if (snap.company.plContas != period.plContas || snap.company.codPlanoContas != period.structure)
    return Status(StatusCode::kCorrupt, "plano em vigor diferente do planejado",
                  std::to_string(c.info.codigo) + "/" + std::to_string(year));
  auto chartIt = l.charts.find(snap.pathFor(shell::kPlanoContasFile));
  if (chartIt == l.charts.end())
    return Status(StatusCode::kCorrupt, "plano de contas em vigor não gerado", snap.pathFor(shell::kPlanoContasFile));
  BookContext ctx;
  ctx.dict = &dict;
  ctx.company = &c;
  ctx.year = year;
  ctx.names = *snap.bindings;
  ctx.chart = &chartIt->second;
  ctx.parties = &l.partyFiles.at(snap.pathFor(dict.find("ForCli")->binding));
  ctx.partyAccountsInChart = ctx.parties->chartPath == chartIt->first;
  ctx.entries = options.entries;
  if (options.bigJournal > 0 && i == 0 && year == options.years.back()) ctx.entries = options.bigJournal;
  ctx.seed = options.seed * 1000003ull + c.info.codigo * 131ull + static_cast<uint64_t>(year);
  return writeBooks(ctx, progress, records);
}

// The books of every company and year.
Status writeAllBooks(const Dictionary& dict, const std::string& root, const shell::BindingMap& shared,
                     const DemoOptions& options, const DemoLayout& l, const DemoProgress& progress,
                     int64_t* records) {
  shell::AppState state(shell::locationsUnder(root));
  state.bind(shared);
  shell::CompanyFiles files(dict.find("Empresa"), dict.find("AltContratuais"));
  int64_t step = 0, steps = static_cast<int64_t>(l.companies.size() * options.years.size());
  for (size_t i = 0; i < l.companies.size(); ++i) {
    const uint16_t code = l.companies[i].info.codigo;
    Result<shell::CompanyRecord> rec = files.readCompany(state, code);
    if (!rec.isOk()) return rec.status();
    for (int year : options.years) {
      report(progress, "Livros da empresa " + std::to_string(code) + "/" + std::to_string(year), step, steps);
      if (Status s = writeYearBooks(dict, options, l, i, year, state, files, *rec, progress, records); !s)
        return s;
      ++step;
    }
  }
  report(progress, "Concluído", steps, steps);
  return Status::ok();
}

}  // namespace

Result<DemoSummary> generateDemo(DemoOptions options, const DemoProgress& progress) {
  if (Status s = normalizeDemoOptions(&options); !s) return s;
  std::error_code ec;
  std::filesystem::create_directories(options.root, ec);
  if (!std::filesystem::is_directory(options.root, ec))
    return Status(StatusCode::kFileNotFound, "não foi possível criar o diretório de dados", options.root);
  DemoSummary summary;
  summary.root =
      shell::withTrailingSeparator(std::filesystem::absolute(options.root, ec).lexically_normal().string());
  summary.years = options.years;
  const std::string& root = summary.root;
  shell::createDataDirectories(shell::locationsUnder(root));
  auto dictPtr = buildDictionary();
  const Dictionary& dict = *dictPtr;
  shell::BindingMap shared = shell::sharedFileNames(root);
  DemoRandom rng(options.seed);
  const int lastYear = options.years.back();

  report(progress, "Tabelas de referência", 0, 1);
  if (Status s = writeReferenceTables(dict, shared, &summary.records); !s) return s;
  for (const auto& st : demoStructures()) summary.structures.push_back(st.code);

  DemoLayout layout;
  planCompanies(options, lastYear, rng, &layout);
  planFiles(dict, root, rng, &layout);
  buildCharts(&layout);

  report(progress, "Cadastro de empresas", 0, 1);
  if (Status s = writeSharedFiles(dict, shared, layout, lastYear, &summary.records); !s) return s;
  if (Status s = writeAllBooks(dict, root, shared, options, layout, progress, &summary.records); !s) return s;
  for (const CompanyPlan& c : layout.companies) summary.companies.push_back(c.info);
  return summary;
}

}  // namespace vorlam::sampledata
