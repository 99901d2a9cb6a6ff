#include "shell/company_files.h"

#include <optional>

#include "shell/startup.h"
#include "storage/date.h"
#include "storage/text.h"

namespace vorlam::shell {

namespace {

// Where a per-company file lives.
enum class Place {
  kCompany,
  kCtb,
  kEscrita,
  kCtbYear,
  kEscritaYear,
  kSharedComuns,
  kSharedCtb,
  kSharedEscrita,
};

struct Name {
  const char* binding;  // also the file name
  Place place;
};

constexpr Name kCompanyLevel[] = {
    {"DasTagIn.dat", Place::kCompany},  {"Funciona.dat", Place::kCompany},
    {"ACFunc.dat", Place::kCompany},    {"DepSupSF.dat", Place::kCompany},
    {"DepVacina.dat", Place::kCompany}, {"Dependent.dat", Place::kCompany},
    {"MovFunci.dat", Place::kCompany},  {"RefTotMe.dat", Place::kCompany},
    {"RefMedCT.dat", Place::kCompany},  {"RefVlMen.dat", Place::kCompany},
    {"Departam.dat", Place::kCtb},      {"Secao.dat", Place::kCtb},
    {"Setor.dat", Place::kCtb},
};

// Own and shared copies of one file.
struct Choice {
  const char* binding;
  Place own;
  Place shared;
};

// Decided by the chart type (the chart itself is named apart: its file
// name carries the structure).
constexpr Choice kChartCompanions[] = {
    {"Historic.dat", Place::kCompany, Place::kSharedCtb},
    {"LanPadra.dat", Place::kCompany, Place::kSharedCtb},
    {"Grupos.dat", Place::kCtb, Place::kSharedCtb},
};
constexpr Choice kForCli[] = {{"ForCli.dat", Place::kEscrita, Place::kSharedComuns}};
constexpr Choice kCfo[] = {{"Cfo.dat", Place::kEscrita, Place::kSharedEscrita}};
constexpr Choice kServiceCodes[] = {
    {"CtaISS.dat", Place::kEscrita, Place::kSharedEscrita},
    {"IntCtISS.dat", Place::kEscrita, Place::kSharedEscrita},
};

constexpr Name kYearLevel[] = {
    {"Diario.dat", Place::kCtbYear},       {"Concilia.dat", Place::kCtbYear},
    {"DipiEntr.dat", Place::kEscritaYear}, {"DipiSaid.dat", Place::kEscritaYear},
    {"ParREntr.dat", Place::kEscritaYear}, {"ParRSaid.dat", Place::kEscritaYear},
    {"RegEntra.dat", Place::kEscritaYear}, {"RegSaida.dat", Place::kEscritaYear},
    {"NotIss51.dat", Place::kEscritaYear}, {"ParRISS1.dat", Place::kEscritaYear},
    {"IntISS51.dat", Place::kEscritaYear}, {"NotIss53.dat", Place::kEscritaYear},
    {"ParRISS3.dat", Place::kEscritaYear}, {"IntISS53.dat", Place::kEscritaYear},
    {"PARCPAGA.dat", Place::kEscritaYear},
};

std::string dirOf(Place place, const std::string& root, const CompanyDirectories& d) {
  std::string base = trimTrailingBlanks(root);
  switch (place) {
    case Place::kCompany: return d.company;
    case Place::kCtb: return d.ctb;
    case Place::kEscrita: return d.escrita;
    case Place::kCtbYear: return d.ctbYear;
    case Place::kEscritaYear: return d.escritaYear;
    case Place::kSharedComuns: return base + kSharedDir;
    case Place::kSharedCtb: return base + kAccountingDir;
    case Place::kSharedEscrita: return base + kFiscalBooksDir;
  }
  return d.company;
}

template <size_t N>
void bindChoices(const Choice (&choices)[N], bool own, const std::string& root,
                 const CompanyDirectories& d, BindingMap& names) {
  for (const Choice& c : choices)
    names[c.binding] = joinPath(dirOf(own ? c.own : c.shared, root, d), c.binding);
}

// The create-directory routine's result is not examined: a directory that
// exists or cannot be created never stops the naming.
void createDirectory(const std::string& dir) { (void)makeDirectories(dir); }

// Day number of the first day of the month after (year, month); nullopt for
// a month outside 1..12 or a year outside the calendar.
std::optional<int32_t> firstDayAfter(int year, int month) {
  if (month < 1 || month > 12) return std::nullopt;
  if (month == 12) return toDayNumber(year + 1, 1, 1);
  return toDayNumber(year, month + 1, 1);
}

struct HistoryFields {
  int codigo, data, codAlt, obs, key;
  bool valid() const { return codigo >= 0 && data >= 0 && codAlt >= 0 && obs >= 0 && key >= 0; }
};

HistoryFields historyFields(const TableDef& def) {
  return {def.fieldIndex("ALTCONT:CODIGO"), def.fieldIndex("ALTCONT:DATA"),
          def.fieldIndex("ALTCONT:CODALT"), def.fieldIndex("ALTCONT:OBS"),
          def.keyIndex("AltCont:Key:Codigo")};
}

// Positions the history on (company, code, date); false when it cannot.
bool seekHistory(Table& t, const HistoryFields& f, uint16_t codigo, int code, int32_t date) {
  Record& b = t.buffer();
  b.clear();
  if (!b.setInt(f.codigo, codigo) || !b.setInt(f.codAlt, code) || !b.setInt(f.data, date))
    return false;
  return t.seek(f.key).isOk();
}

bool sameGroup(const Table& t, const HistoryFields& f, uint16_t codigo, int code) {
  const Record& b = t.buffer();
  return b.getInt(f.codigo) == codigo && b.getInt(f.codAlt) == code;
}

// The first `length` characters of the observation in the buffer, UTF-8.
std::string observation(const Table& t, const HistoryFields& f, int length) {
  std::string_view obs = t.buffer().getText(f.obs);
  if (length >= 0 && obs.size() > static_cast<size_t>(length)) obs = obs.substr(0, length);
  return latin1ToUtf8(obs);
}

// The value in force of one chart setting (code 40 or 41), or `current`.
int chartSettingInForce(Table& t, const HistoryFields& f, uint16_t codigo, int code, int length,
                        int32_t firstOfYear, int current) {
  if (!seekHistory(t, f, codigo, code, firstOfYear)) return current;
  while (t.next().isOk() && sameGroup(t, f, codigo, code)) {
    if (t.buffer().getInt(f.data) == firstOfYear) continue;
    int value = numberFromText(observation(t, f, length));
    return value > 0 ? value : current;
  }
  return current;
}

}  // namespace

CompanyRecord companyRecordFrom(const Record& empresa) {
  CompanyRecord r;
  r.found = true;
  r.codigo = static_cast<uint16_t>(empresa.getInt("EMP:Codigo"));
  r.razaoSocial = latin1ToUtf8(empresa.getText("Emp:RazaoSocial"));
  r.uf = latin1ToUtf8(empresa.getText("EMP:UF"));
  r.plContas = static_cast<int>(empresa.getInt("EMP:PLContas"));
  r.codigoPlanoContas = static_cast<int>(empresa.getInt("EMP:CodigoPlanoContas"));
  r.lotes = static_cast<int>(empresa.getInt("EMP:Lotes"));
  r.tipoFornecedor = static_cast<int>(empresa.getInt("EMP:TipoFornecedor"));
  r.tipoCfo = static_cast<int>(empresa.getInt("EMP:TipoCFO"));
  r.tipoContaIss = static_cast<int>(empresa.getInt("EMP:TipoContaISS"));
  return r;
}

CompanyDirectories companyDirectories(const std::string& root, uint16_t codigo, int ano) {
  CompanyDirectories d;
  d.company = trimTrailingBlanks(root) + zeroPadded(codigo, 8);
  d.ctb = joinPath(d.company, "Ctb");
  d.escrita = joinPath(d.company, "Escrita");
  d.folha = joinPath(d.company, "Folha");
  d.livroCaixa = joinPath(d.company, "LivroCaixa");
  std::string year = zeroPadded(ano, 4);
  d.ctbYear = joinPath(d.ctb, year);
  d.escritaYear = joinPath(d.escrita, year);
  d.folhaYear = joinPath(d.folha, year);
  d.livroCaixaYear = joinPath(d.livroCaixa, year);
  return d;
}

std::string chartFileName(int codPlanoContas) {
  return "PlCon" + zeroPadded(codPlanoContas, 3) + ".dat";
}

int numberFromText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1000000000) break;  // far beyond any setting; keeps it in range
  }
  return static_cast<int>(value);
}

std::string valorVigente(Table& altContratuais, const CurrentCompany& current, int code,
                         int length, int month, int year, std::string_view defaultValue) {
  std::string fallback(defaultValue);
  if (!altContratuais.isOpen()) return fallback;
  HistoryFields f = historyFields(altContratuais.def());
  if (!f.valid()) return fallback;
  if (month == 0) month = current.mes;
  if (month == kWholeYear) month = 12;
  if (year == 0) year = current.ano;
  std::optional<int32_t> date = firstDayAfter(year, month);
  if (!date) return fallback;
  if (!seekHistory(altContratuais, f, current.codigo, code, *date)) return fallback;
  if (!altContratuais.next().isOk()) return fallback;
  if (!sameGroup(altContratuais, f, current.codigo, code)) return fallback;
  return observation(altContratuais, f, length);
}

ChartInForce planoVigente(Table& altContratuais, uint16_t codigo, int year,
                          ChartInForce fromRecord) {
  if (!altContratuais.isOpen()) return fromRecord;
  HistoryFields f = historyFields(altContratuais.def());
  std::optional<int32_t> firstOfYear = toDayNumber(year, 1, 1);
  if (!f.valid() || !firstOfYear) return fromRecord;
  ChartInForce r;
  r.plContas = chartSettingInForce(altContratuais, f, codigo, kChangePlContas, 1, *firstOfYear,
                                   fromRecord.plContas);
  r.codPlanoContas = chartSettingInForce(altContratuais, f, codigo, kChangeCodigoPlano, 3,
                                         *firstOfYear, fromRecord.codPlanoContas);
  return r;
}

CompanyNames nomeiaArquivosEmpresa(const std::string& root, const CurrentCompany& current,
                                   const CompanyRecord& record, Table& altContratuais,
                                   bool createDirectories) {
  CompanyDirectories d = companyDirectories(root, current.codigo, current.ano);
  if (createDirectories) {
    for (const std::string* dir : {&d.company, &d.ctb, &d.escrita, &d.folha, &d.livroCaixa})
      createDirectory(*dir);
  }
  CompanyNames out;
  for (const Name& n : kCompanyLevel) out.names[n.binding] = joinPath(dirOf(n.place, root, d), n.binding);

  bool ownChart = current.plContas == kOwnCopy;
  std::string chart = chartFileName(current.codPlanoContas);
  out.names[kPlanoContasFile] =
      ownChart ? joinPath(d.company, chart) : joinPath(dirOf(Place::kSharedCtb, root, d), chart);
  bindChoices(kChartCompanions, ownChart, root, d, out.names);

  auto inForce = [&](int code, int fromRecord) {
    return numberFromText(valorVigente(altContratuais, current, code, 1, 0, 0,
                                       std::to_string(fromRecord)));
  };
  out.tipoFornecedor = inForce(kChangeTipoFornecedor, record.tipoFornecedor);
  bindChoices(kForCli, out.tipoFornecedor == kOwnCopy, root, d, out.names);
  bindChoices(kCfo, inForce(kChangeTipoCfo, record.tipoCfo) == kOwnCopy, root, d, out.names);
  bindChoices(kServiceCodes, inForce(kChangeTipoContaIss, record.tipoContaIss) == kOwnCopy, root,
              d, out.names);
  return out;
}

BindingMap nomeiaArquivosAno(const std::string& root, const CurrentCompany& current,
                             bool createDirectories) {
  CompanyDirectories d = companyDirectories(root, current.codigo, current.ano);
  if (createDirectories) {
    for (const std::string* dir : {&d.ctbYear, &d.folhaYear, &d.livroCaixaYear, &d.escritaYear})
      createDirectory(*dir);
  }
  BindingMap names;
  for (const Name& n : kYearLevel) names[n.binding] = joinPath(dirOf(n.place, root, d), n.binding);
  return names;
}

// --- CompanyFiles ------------------------------------------------------

CompanyFiles::CompanyFiles(const TableDef* empresa, const TableDef* altContratuais, OpenMode mode)
    : empresa_(empresa), altContratuais_(altContratuais), mode_(mode) {}

void CompanyFiles::openHistory(const AppSnapshot& s, Table& table) const {
  std::string path = s.pathFor(kAltContratuaisFile);
  // Opening a missing file would create it; no history is what it means.
  if (path.empty() || !fileExists(path)) return;
  (void)table.open(path, mode_);
}

Result<CompanyRecord> CompanyFiles::readCompany(const AppState& state, uint16_t codigo) const {
  std::string path = state.pathFor(kEmpresaFile);
  if (path.empty() || !fileExists(path)) return CompanyRecord{};
  Table t(empresa_);
  if (Status s = t.open(path, mode_); !s) return s;
  int key = empresa_->keyIndex("EMP:KEY:CODIGO");
  if (key < 0) return makeStatus(StatusCode::kInvalidArgument, "EMP:KEY:CODIGO");
  if (Status s = t.buffer().setInt("EMP:Codigo", codigo); !s) return s;
  Status s = t.get(key);
  if (s.is(StatusCode::kNotFound)) return CompanyRecord{};
  if (!s) return s;
  return companyRecordFrom(t.buffer());
}

std::string CompanyFiles::valorVigente(const AppState& state, int code, int length, int month,
                                       int year, std::string_view defaultValue) const {
  AppSnapshot s = state.snapshot();
  Table history(altContratuais_);
  openHistory(s, history);
  return shell::valorVigente(history, s.company, code, length, month, year, defaultValue);
}

void CompanyFiles::planoVigente(AppState& state) const {
  state.transact([&](const AppSnapshot& before, CurrentCompany& company, BindingMap&) {
    Table history(altContratuais_);
    openHistory(before, history);
    ChartInForce chart = shell::planoVigente(history, company.codigo, company.ano,
                                             {company.plContas, company.codPlanoContas});
    company.plContas = chart.plContas;
    company.codPlanoContas = static_cast<uint16_t>(chart.codPlanoContas);
  });
}

void CompanyFiles::nomeiaArquivosEmpresa(AppState& state, const CompanyRecord& record,
                                         bool createDirectories) const {
  state.transact([&](const AppSnapshot& before, CurrentCompany& company, BindingMap& names) {
    Table history(altContratuais_);
    openHistory(before, history);
    CompanyNames out = shell::nomeiaArquivosEmpresa(state.dataRoot(), company, record, history,
                                                    createDirectories);
    company.tipoFornecedor = out.tipoFornecedor;
    names = std::move(out.names);
  });
}

void CompanyFiles::nomeiaArquivosAno(AppState& state, bool createDirectories) const {
  state.transact([&](const AppSnapshot&, CurrentCompany& company, BindingMap& names) {
    names = shell::nomeiaArquivosAno(state.dataRoot(), company, createDirectories);
  });
}

void CompanyFiles::selectCompany(AppState& state, CurrentCompany selected,
                                 const CompanyRecord& record, bool createDirectories) const {
  state.transact([&](const AppSnapshot& before, CurrentCompany& company, BindingMap& names) {
    company = selected;
    Table history(altContratuais_);
    openHistory(before, history);
    // The history reads back from the record's newest values: the company
    // being selected again for another year holds what the earlier year
    // derived, which the history cannot lead forward from.
    const ChartInForce newest = record.found && record.codigo == company.codigo
                                    ? ChartInForce{record.plContas, record.codigoPlanoContas}
                                    : ChartInForce{company.plContas, company.codPlanoContas};
    ChartInForce chart = shell::planoVigente(history, company.codigo, company.ano, newest);
    company.plContas = chart.plContas;
    company.codPlanoContas = static_cast<uint16_t>(chart.codPlanoContas);
    company.tpContasDesc = chartTypeDescription(company.plContas, company.tpContasDesc);
    if (company.codigo == 0) return;
    CompanyNames out = shell::nomeiaArquivosEmpresa(state.dataRoot(), company, record, history,
                                                    createDirectories);
    company.tipoFornecedor = out.tipoFornecedor;
    names = std::move(out.names);
    names.merge(shell::nomeiaArquivosAno(state.dataRoot(), company, createDirectories));
  });
}

}  // namespace vorlam::shell
