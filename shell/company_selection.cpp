#include "shell/company_selection.h"

#include <ctime>

#include "storage/platform.h"

namespace vorlam::shell {

std::string monthDescription(int mes, const std::string& previous) {
  static const char* const kNames[] = {"Janeiro", "Fevereiro", "Março",    "Abril",
                                       "Maio",    "Junho",     "Julho",    "Agosto",
                                       "Setembro", "Outubro",  "Novembro", "Dezembro",
                                       "Todo o Ano"};
  if (mes < 1 || mes > 13) return previous;
  return kNames[mes - 1];
}

void preparePeriod(CurrentCompany& company, const CivilDate& today) {
  if (company.codigo == 0) company.ano = 0;
  if (company.ano == 0) {
    company.ano = static_cast<uint16_t>(today.year);
    company.mes = today.month;
  }
}

Handover handoverFrom(int value) {
  if (value == 2) return Handover::kPreset;
  if (value == 3) return Handover::kLocked;
  return Handover::kFree;
}

bool applyRepair(Record& empresa, Repair repair) {
  switch (repair) {
    case Repair::kChartType:
      if (empresa.getInt("EMP:PLContas") != 0) return false;
      return empresa.setInt("EMP:PLContas", 1).isOk();
    case Repair::kStructure:
      if (empresa.getInt("EMP:CodigoPlanoContas") != 0) return false;
      // A structure-1 chart starts with the suite's standard group accounts.
      (void)empresa.setInt("EMP:CodigoPlanoContas", 1);
      (void)empresa.setText("EMP:GrupoFornecedor", "2.1.1.04");
      (void)empresa.setText("EMP:GrupoCliente", "1.1.2.01");
      return true;
    case Repair::kResponsible: {
      int64_t escrita = empresa.getInt("EMP:CodRespEscr");
      if (empresa.getInt("EMP:CodRespCTB") != 0 || escrita == 0) return false;
      return empresa.setInt("EMP:CodRespCTB", escrita).isOk();
    }
  }
  return false;
}

std::string repairFailureMessage(Repair repair, int errorNumber) {
  const char* text = repair == Repair::kResponsible ? "Atenção!!! Erro no responsável : "
                                                    : "Atenção!!! Erro no plano de contas : ";
  return text + std::to_string(errorNumber);
}

void takeCompanyRecord(CurrentCompany& company, const CompanyRecord& record) {
  company.uf = record.uf;
  company.razao = record.razaoSocial;
  company.plContas = record.plContas;
  company.codPlanoContas = static_cast<uint16_t>(record.codigoPlanoContas);
  company.lotes = record.lotes;
  company.tipoFornecedor = record.tipoFornecedor;
  company.tipoCfo = record.tipoCfo;
  company.tipoContaIss = record.tipoContaIss;
  company.tpContasDesc = chartTypeDescription(company.plContas, company.tpContasDesc);
}

SelectionMemo rememberSelection(const CurrentCompany& company) {
  return {company.codigo, company.razao, company.uf, company.plContas, company.codPlanoContas};
}

void restoreSelection(CurrentCompany& company, const SelectionMemo& memo) {
  company.codigo = memo.codigo;
  company.razao = memo.razao;
  company.uf = memo.uf;
  company.plContas = memo.plContas;
  company.codPlanoContas = memo.codPlanoContas;
}

bool mayCloseSelection(const CurrentCompany& company, Handover handover) {
  return company.codigo != 0 || handover == Handover::kLocked;
}

bool validYear(int ano) { return ano >= kFirstYear && ano <= kLastYear; }
bool validMonth(int mes) { return mes >= 1 && mes <= kWholeYear; }

CivilDate localToday() {
  const std::tm local = platform::localTime(static_cast<int64_t>(std::time(nullptr)));
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

// --- CompanySelection ----------------------------------------------------

namespace {

// Message numbers of the record failures this screen raises.
constexpr uint16_t kMsgOpenFailed = 26;  // the company file cannot be opened
constexpr uint16_t kMsgReadFailed = 21;  // the company record cannot be read

}  // namespace

CompanySelection::CompanySelection(AppState& state, const Dictionary& dictionary,
                                   ErrorManager& errors, SettingsFiles& settings, Picker picker,
                                   CivilDate today)
    : state_(state),
      dictionary_(dictionary),
      errors_(errors),
      settings_(settings),
      picker_(std::move(picker)),
      today_(today),
      files_(dictionary.find("Empresa"), dictionary.find("AltContratuais")) {}

CompanySelection::~CompanySelection() {
  if (pushed_) errors_.popProcedure();
}

Status CompanySelection::open() {
  if (opened_ || closed_) return Status::ok();
  errors_.pushProcedure(kSelectionProcedure);
  pushed_ = true;
  before_ = state_.company();
  memo_ = rememberSelection(before_);
  edit_ = before_;
  acceptedCode_ = edit_.codigo;
  preparePeriod(edit_, today_);
  monthText_ = monthDescription(edit_.mes, "");
  // The company kept as it is still needs its record: its file types are
  // the defaults of the names bound when the screen closes.
  if (edit_.codigo != 0) {
    Result<CompanyRecord> current = files_.readCompany(state_, edit_.codigo);
    if (current.isOk()) record_ = current.value();
  }
  const TableDef* def = dictionary_.find("Empresa");
  std::string path = state_.pathFor(kEmpresaFile);
  empresa_ = std::make_unique<Table>(def);
  Status s = def == nullptr ? makeStatus(StatusCode::kInvalidArgument, "Empresa")
                            : empresa_->open(path, OpenMode::kShared);
  if (!s) {
    empresa_.reset();
    errors_.throwFile(kMsgOpenFailed, path, s);
    return s;
  }
  opened_ = true;
  changed();
  return Status::ok();
}

Handover CompanySelection::handover() const {
  return handoverFrom(
      numberFromText(settings_.read(kHandoverSection, kHandoverEntry, "0", kHandoverFile)));
}

void CompanySelection::windowUp() {
  if (!isOpen()) return;
  Handover h = handover();
  if (h == Handover::kPreset && edit_.codigo != 0) {
    codeEnabled_ = false;
    acceptCode();
  }
  if (h == Handover::kLocked) codeEnabled_ = false;
  changed();
}

CompanySelection::Focus CompanySelection::takeFocusRequest() {
  Focus f = focus_;
  focus_ = Focus::kNone;
  return f;
}

void CompanySelection::setCode(uint16_t codigo) {
  if (!isOpen() || (!codeEnabled_ && codigo != edit_.codigo)) return;
  edit_.codigo = codigo;
  changed();
}

void CompanySelection::acceptCode() {
  if (!isOpen()) return;
  readAndTake(edit_.codigo, !searching_);
}

bool CompanySelection::readAndTake(uint16_t codigo, bool searchWhenMissing) {
  Table& t = *empresa_;
  const int key = t.def().keyIndex("EMP:KEY:CODIGO");
  t.buffer().clear();
  Status s = t.buffer().setInt("EMP:Codigo", codigo);
  if (s) s = key < 0 ? makeStatus(StatusCode::kInvalidArgument, "EMP:KEY:CODIGO") : t.get(key);
  if (s.is(StatusCode::kNotFound)) {
    if (searchWhenMissing && codeEnabled_) search();
    // A code no company has must not stay next to another company's name.
    if (edit_.codigo == codigo && codigo != acceptedCode_) {
      edit_.codigo = acceptedCode_;
      focus_ = Focus::kCode;
      changed();
    }
    return false;
  }
  if (!s) {
    errors_.throwFile(kMsgReadFailed, t.path(), s);
    return false;
  }
  if (codigo != 0) repair(t);
  record_ = companyRecordFrom(t.buffer());
  edit_.codigo = codigo;
  acceptedCode_ = codigo;
  takeCompanyRecord(edit_, record_);
  changed();
  return true;
}

void CompanySelection::repair(Table& table) {
  for (Repair r : kRepairs) {
    if (!applyRepair(table.buffer(), r)) continue;
    // A failed write leaves the repaired values in memory: the selection
    // goes on with them.
    if (Status s = table.update(); !s)
      errors_.message(repairFailureMessage(r, s.errorNumber()), kWarningTitle, MessageIcon::kError,
                      kButtonOk, kButtonOk);
    else
      reportWrite(writes_, table.buffer(), WriteKind::kChange);
  }
}

void CompanySelection::search() {
  if (!isOpen() || !codeEnabled_ || !picker_ || searching_) return;
  searching_ = true;
  std::optional<uint16_t> chosen = picker_();
  if (chosen) {
    edit_.codigo = *chosen;
    readAndTake(*chosen, false);
    focus_ = Focus::kCode;
    changed();
  }
  searching_ = false;
}

void CompanySelection::warn(const std::string& text) {
  errors_.message(text, kWarningTitle, MessageIcon::kExclamation, kButtonOk, kButtonOk);
}

bool CompanySelection::refuse(const char* message, Focus focus) {
  warn(message);
  focus_ = focus;
  changed();
  return false;
}

bool CompanySelection::setYear(int ano) {
  if (!isOpen()) return false;
  if (!validYear(ano)) return refuse(kInvalidYearMessage, Focus::kYear);
  edit_.ano = static_cast<uint16_t>(ano);
  changed();
  return true;
}

bool CompanySelection::setMonth(int mes) {
  if (!isOpen()) return false;
  if (!validMonth(mes)) return refuse(kInvalidMonthMessage, Focus::kMonth);
  edit_.mes = mes;
  monthText_ = monthDescription(mes, monthText_);
  changed();
  return true;
}

bool CompanySelection::select() { return tryClose(); }

bool CompanySelection::cancel() {
  if (!isOpen()) return tryClose();
  restoreSelection(edit_, memo_);
  // The rest of the previous company comes back with it, and its record
  // gives the defaults of the names bound on closing.
  edit_.tpContasDesc = before_.tpContasDesc;
  edit_.lotes = before_.lotes;
  edit_.tipoFornecedor = before_.tipoFornecedor;
  edit_.tipoCfo = before_.tipoCfo;
  edit_.tipoContaIss = before_.tipoContaIss;
  acceptedCode_ = edit_.codigo;
  record_ = {};
  if (edit_.codigo != 0) {
    Result<CompanyRecord> previous = files_.readCompany(state_, edit_.codigo);
    if (previous.isOk()) record_ = previous.value();
  }
  changed();
  return tryClose();
}

bool CompanySelection::requestClose() { return tryClose(); }

bool CompanySelection::tryClose() {
  if (closed_) return true;
  if (!opened_) {
    // The company file could not be opened: nothing was chosen.
    closed_ = true;
    if (pushed_) errors_.popProcedure();
    pushed_ = false;
    return true;
  }
  if (!mayCloseSelection(edit_, handover())) {
    errors_.message(kNoCompanyMessage, kNoCompanyTitle, MessageIcon::kInformation, kButtonOk,
                    kButtonOk);
    focus_ = Focus::kCode;
    changed();
    return false;
  }
  if (!validYear(edit_.ano)) return refuse(kInvalidYearMessage, Focus::kYear);
  if (!validMonth(edit_.mes)) return refuse(kInvalidMonthMessage, Focus::kMonth);
  empresa_.reset();
  files_.selectCompany(state_, edit_, record_);
  edit_ = state_.company();
  (void)settings_.write(kHandoverSection, kHandoverEntry, "0", kHandoverFile);
  closed_ = true;
  errors_.popProcedure();
  pushed_ = false;
  changed();
  return true;
}

void CompanySelection::help() {
  errors_.message(helpText(), "Ajuda", MessageIcon::kInformation, kButtonOk, kButtonOk);
}

const char* CompanySelection::helpText() {
  return "Informe o código da empresa de trabalho, ou pesquise-a com o botão ao lado do "
         "código.|Informe o ano e o mês do período; para selecionar o ano inteiro informe o mês "
         "como 13.|Selecionar confirma a escolha; Cancelar volta à empresa anterior.";
}

}  // namespace vorlam::shell
