#include "registry/company_form.h"

#include <filesystem>

#include "chart/structure_record.h"
#include "registry/taxpayer_numbers.h"
#include "shell/company_selection.h"
#include "storage/text.h"

namespace vorlam::registry {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;
constexpr uint16_t kMsgAddFailed = 4;
constexpr uint16_t kMsgChangeFailed = 28;

const FormDefinition& companyFormDefinition() {
  static const FormDefinition kDefinition = [] {
    FormDefinition d;
    d.procedure = kCompanyFormProcedure;
    d.title = kCompanyFormTitle;
    d.insertCaption = kInsertCaption;
    d.changeCaption = kChangeCaption;
    d.deleteCaption = kDeleteCaption;
    for (const CompanyFieldText& f : companyFormFields()) d.fields.push_back(f.field);
    return d;
  }();
  return kDefinition;
}

// Settings a new company starts with, and that an old record holding 0
// shows as 1: the form cannot save a 0 there.
constexpr const char* kOneWhenZero[] = {"EMP:MesDataBase", "EMP:ClassEstabIPI"};
constexpr const char* kStoredSettings[] = {"EMP:Lotes", "EMP:TipoPagamento"};

}  // namespace

CompanyForm::CompanyForm(shell::ScreenServices& services, ScreenContext& context, Request request)
    : services_(services),
      ctx_(context),
      request_(request),
      files_(context.dictionary.find("Empresa"), context.dictionary.find("AltContratuais")),
      empresa_(context.dictionary.find("Empresa")),
      empresa0_(context.dictionary.find("Empresa0")),
      estados_(context.dictionary.find("Estados")),
      municipios_(context.dictionary.find("Municipios")),
      cnae_(context.dictionary.find("CNAE")),
      structures_(context.dictionary.find("ConfPlanoContas")),
      history_(context.dictionary.find("AltContratuais")),
      funcionarios_(context.dictionary.find("Funcionarios")),
      model_(kCompanyFormProcedure, kCompanyFormTitle) {
  // The windows' file dialog picks the logo; without one the path is typed.
  if (services.dialogs().canChooseFiles()) {
    logoChooser_ = [&services](const LogoRequest& r) {
      return services.dialogs().chooseFile({r.title, r.filter, r.directory});
    };
  }
}

CompanyForm::~CompanyForm() = default;

Status CompanyForm::openTables() {
  const std::string path = ctx_.resolve(empresa_.def().binding);
  Status s = empresa_.open(path, OpenMode::kShared);
  if (!s) {
    ProcedureScope procedure(ctx_.errors, kCompanyFormProcedure);
    ctx_.errors.throwFile(kMsgOpenFailed, path, s);
    return s;
  }
  // The reference tables may be missing on a new installation: the form
  // then finds nothing in them.  The history is written, so it is opened
  // for writing (created when missing).
  for (Table* t : {&empresa0_, &estados_, &municipios_, &cnae_, &structures_}) {
    const std::string p = ctx_.resolve(t->def().binding);
    if (!p.empty()) (void)t->open(p, OpenMode::kReadOnly);
  }
  const std::string h = ctx_.resolve(history_.def().binding);
  if (!h.empty()) (void)history_.open(h, OpenMode::kShared);
  const std::string f = services_.session().state().pathFor(funcionarios_.def().binding);
  if (!f.empty()) (void)funcionarios_.open(f, OpenMode::kReadOnly);
  return Status::ok();
}

Status CompanyForm::open(uint16_t code) {
  if (Status s = openTables(); !s) {
    model_.close();
    return s;
  }
  form_ = std::make_unique<FormController>(ctx_, companyFormDefinition(), empresa_, request_);
  form_->setKeepNumbers(true);
  form_->setCheckShownFieldsOnly(true);
  form_->setValidator([this](FormController&) { return checkRecord(); });
  FormState state;
  if (request_ == Request::kInsert) {
    Record blank(&empresa_.def());
    blank.setInt(field("EMP:TipoApuracao"), 2);
    for (const char* name : kOneWhenZero) blank.setInt(field(name), 1);
    // A new company cannot be saved with 0 in its stored settings either.
    for (const char* name : kStoredSettings) blank.setInt(field(name), 1);
    state = form_->openNew(&blank);
  } else {
    empresa_.buffer().clear();
    empresa_.buffer().setInt(field("EMP:Codigo"), code);
    Status found = empresa_.get(empresa_.def().keyIndex("EMP:KEY:CODIGO"));
    empresa_.endWalk();
    if (!found) {
      model_.close();
      return Status(StatusCode::kNotFound, "Empresa não encontrada", std::to_string(code));
    }
    state = form_->openRecord(empresa_.buffer().recordId());
  }
  if (state != FormState::kOpen) {
    model_.close();
    return Status::ok();
  }
  if (request_ != Request::kInsert) makeCurrent(code, true);
  applyOpeningDefaults();
  declareScreen();
  model_.setFocus("EMP:Codigo");
  return Status::ok();
}

void CompanyForm::applyOpeningDefaults() {
  form_->setEnabled(field("EMP:Codigo"), request_ == Request::kInsert);
  const bool editing = request_ == Request::kInsert || request_ == Request::kChange;
  if (request_ != Request::kInsert) {
    refreshResponsibleName();
    // Stored settings: 1 only where the record holds 0.
    if (editing)
      for (const char* name : kStoredSettings)
        if (intOf(name) == 0) setInt(name, 1);
  }
  if (editing)
    for (const char* name : kOneWhenZero)
      if (intOf(name) == 0) setInt(name, 1);
  groupsEnabled_ = request_ != Request::kInsert && structureExists();
  groupsChanged();
  opening_.clear();
  for (HistoryItem item : kHistoryItems) opening_.push_back(intOf(historyField(item)));
  if (editing) form_->keepAsOpened();
}

void CompanyForm::makeCurrent(uint16_t code, bool fromRecord) {
  shell::AppState& state = services_.session().state();
  shell::CurrentCompany company = state.company();
  company.codigo = code;
  shell::CompanyRecord record = shell::companyRecordFrom(form_->record());
  record.found = fromRecord;
  shell::takeCompanyRecord(company, record);
  files_.selectCompany(state, company, record);
  // The per-company tables follow the company.
  funcionarios_.close();
  const std::string f = state.pathFor(funcionarios_.def().binding);
  if (!f.empty()) (void)funcionarios_.open(f, OpenMode::kReadOnly);
}

void CompanyForm::clearCurrent() {
  shell::AppState& state = services_.session().state();
  shell::CurrentCompany company = state.company();
  company.codigo = 0;
  company.razao.clear();
  company.codPlanoContas = 0;
  company.plContas = 0;
  company.tpContasDesc.clear();
  state.setCompany(company);
}

void CompanyForm::finish(FormState state) {
  if (state == FormState::kOpen || finished_) return;
  finished_ = true;
  clearCurrent();
  model_.close();
}

int CompanyForm::field(const char* name) const { return empresa_.def().fieldIndex(name); }

int64_t CompanyForm::intOf(const char* name) const { return form_->record().getInt(field(name)); }

std::string CompanyForm::textOf(const char* name) const { return form_->text(field(name)); }

void CompanyForm::setInt(const char* name, int64_t value) { (void)form_->assignInt(field(name), value); }

void CompanyForm::setText(const char* name, const std::string& value) {
  (void)form_->assignText(field(name), value);
}

void CompanyForm::warn(const std::string& text, const std::string& title, const char* focus) {
  ctx_.errors.message(text, title, MessageIcon::kExclamation, kButtonOk, kButtonOk);
  if (focus != nullptr) form_->requestFocus(field(focus));
}

std::optional<chart::AccountStructure> CompanyForm::structure(int64_t code) {
  if (!structures_.isOpen() || code <= 0) return std::nullopt;
  Record& b = structures_.buffer();
  b.clear();
  b.setInt(structures_.def().fieldIndex("CONP:Codigo"), code);
  const int key = structures_.def().primaryKey();
  Status s = structures_.get(key);
  structures_.endWalk();
  if (!s) return std::nullopt;
  return chart::structureFromRecord(structures_.buffer());
}

bool CompanyForm::structureExists() { return structure(intOf("EMP:CodigoPlanoContas")).has_value(); }

void CompanyForm::refreshResponsibleName() {
  responsibleName_.clear();
  const int64_t code = intOf("EMP:CodRespCTB");
  if (!funcionarios_.isOpen() || code == 0) return;
  Record& b = funcionarios_.buffer();
  b.clear();
  b.setInt(funcionarios_.def().fieldIndex("FUN:CODIGO"), code);
  Status s = funcionarios_.get(funcionarios_.def().keyIndex("FUN:Key:Codigo"));
  funcionarios_.endWalk();
  if (s) responsibleName_ = latin1ToUtf8(b.getAsText(funcionarios_.def().fieldIndex("Fun:Nome")));
}

void CompanyForm::groupsChanged() {
  form_->setEnabled(field("EMP:GrupoCliente"), groupsEnabled_);
  form_->setEnabled(field("EMP:GrupoFornecedor"), groupsEnabled_);
  numberingEnabled_ = !textOf("EMP:GrupoCliente").empty() || !textOf("EMP:GrupoFornecedor").empty();
  form_->setEnabled(field("EMP:TipoAutomatica"), numberingEnabled_);
  const int64_t type = intOf("EMP:TipoInscEscrita");
  form_->setVisible(field("EMP:CGC"), type == 1);
  form_->setVisible(field("EMP:CPF"), type == 2);
}

// --- Field reactions -------------------------------------------------------

Status CompanyForm::reaction(const std::string& name) {
  auto is = [&](const char* n) { return sameName(name, n); };
  if (is("EMP:Codigo")) return codeCompleted();
  if (is("EMP:CGC")) return idCompleted(true);
  if (is("EMP:CPF")) return idCompleted(false);
  if (is("EMP:TipoInscEscrita")) {
    groupsChanged();
    return Status::ok();
  }
  if (is("EMP:Cidade")) {
    if (!municipios_.isOpen()) return Status::ok();
    Record& b = municipios_.buffer();
    b.clear();
    b.setText(municipios_.def().fieldIndex("MUN:Nome"), utf8ToLatin1(textOf("EMP:Cidade")));
    Status s = municipios_.get(municipios_.def().keyIndex("MUN:KEY:NOME"));
    municipios_.endWalk();
    const std::string uf = s ? latin1ToUtf8(b.getAsText(municipios_.def().fieldIndex("MUN:ESTADO"))) : "";
    if (!uf.empty()) setText("EMP:UF", uf);
    return Status::ok();
  }
  if (is("EMP:SimplesFederal")) {
    if (intOf("EMP:SimplesFederal") != 0) setInt("EMP:TipoApuracao", 1);
    else if (intOf("EMP:TipoApuracao") == 1) setInt("EMP:TipoApuracao", 2);
    return Status::ok();
  }
  if (is("EMP:TipoApuracao")) {
    const bool optant = intOf("EMP:SimplesFederal") != 0;
    const int64_t regime = intOf("EMP:TipoApuracao");
    if (optant && regime != 1) {
      warn(kOptantMessage, kWarning, nullptr);
      setInt("EMP:TipoApuracao", 1);
    } else if (!optant && regime == 1) {
      warn(kNotOptantMessage, kWarning, nullptr);
      setInt("EMP:TipoApuracao", 2);
    }
    return Status::ok();
  }
  if (is("EMP:CNAE") || is("EMP:CodRespCTB")) return lookupCompleted(is("EMP:CNAE") ? "EMP:CNAE" : "EMP:CodRespCTB");
  if (is("EMP:CodigoPlanoContas")) return lookupCompleted("EMP:CodigoPlanoContas");
  if (is("EMP:GrupoCliente")) return groupCompleted("EMP:GrupoCliente", kCustomerGroupMessage);
  if (is("EMP:GrupoFornecedor")) return groupCompleted("EMP:GrupoFornecedor", kSupplierGroupMessage);
  return Status::ok();
}

Status CompanyForm::codeCompleted() {
  makeCurrent(static_cast<uint16_t>(intOf("EMP:Codigo")), false);
  rangeChildren();
  return Status::ok();
}

Status CompanyForm::idCompleted(bool cnpj) {
  const char* name = cnpj ? "EMP:CGC" : "EMP:CPF";
  TaxpayerCheck check = cnpj ? ValidaCNPJ(textOf(name)) : ValidaCPF(textOf(name));
  if (!check) {
    ctx_.errors.message(check.text, check.title, MessageIcon::kInformation, kButtonOk, kButtonOk);
    form_->requestFocus(field(name));
    return Status(StatusCode::kInvalidArgument, check.text);
  }
  // A blank number passes (its check digits are 0) and stays blank: zeros
  // would stand for a number nobody typed.
  if (!textOf(name).empty()) setText(name, check.number);
  return Status::ok();
}

Status CompanyForm::groupCompleted(const char* name, const char* message) {
  std::optional<std::string> masked = maskGroupAccount(structure(intOf("EMP:CodigoPlanoContas")), textOf(name));
  Status result = Status::ok();
  if (!masked) {
    warn(message, kWarning, name);
    result = Status(StatusCode::kInvalidArgument, message);
  } else if (*masked != textOf(name)) {
    setText(name, *masked);
  }
  groupsChanged();
  if (!numberingEnabled_ && intOf("EMP:TipoAutomatica") != 0) setInt("EMP:TipoAutomatica", 0);
  return result;
}

bool CompanyForm::lookupExists(const char* name, int64_t value) {
  if (sameName(name, "EMP:CodigoPlanoContas")) return structure(value).has_value();
  const bool cnae = sameName(name, "EMP:CNAE");
  Table& t = cnae ? cnae_ : funcionarios_;
  if (!t.isOpen()) return false;
  t.buffer().clear();
  t.buffer().setInt(t.def().fieldIndex(cnae ? "CNAE:CODIGO" : "FUN:CODIGO"), value);
  Status s = t.get(t.def().keyIndex(cnae ? "CNAE:KEY:CODIGO" : "FUN:Key:Codigo"));
  t.endWalk();
  return s.isOk();
}

// Opens the lookup of field `name` to select; true when a record was
// chosen and taken into the field.
bool CompanyForm::pick(const char* name) {
  const char* procedure = sameName(name, "EMP:CNAE")     ? kCnaeLookup
                          : sameName(name, "EMP:CodRespCTB") ? kResponsibleLookup
                                                             : kStructureLookup;
  if (!services_.has(procedure)) return false;
  Result<std::unique_ptr<Screen>> list = services_.open(procedure, {.mode = "select"});
  if (!list.isOk() || list.value()->model().closed()) return false;
  model_.runChild(list.value()->model());
  const std::vector<std::string> keys = list.value()->chosenKeys();
  if (keys.empty()) return false;
  (void)form_->assignText(field(name), keys.front());
  if (sameName(name, "EMP:CodRespCTB")) refreshResponsibleName();
  if (sameName(name, "EMP:CodigoPlanoContas")) {
    groupsEnabled_ = structureExists();
    groupsChanged();
  }
  return true;
}

Status CompanyForm::lookupCompleted(const char* name) {
  const int64_t value = intOf(name);
  const bool plan = sameName(name, "EMP:CodigoPlanoContas");
  // CNAE and responsible person may stay 0; a structure must exist.
  if ((plan || value != 0) && !lookupExists(name, value) && !pick(name)) {
    form_->requestFocus(field(name));
    if (sameName(name, "EMP:CodRespCTB")) refreshResponsibleName();
    return Status(StatusCode::kNotFound, name);
  }
  if (sameName(name, "EMP:CodRespCTB")) refreshResponsibleName();
  if (plan) {
    groupsEnabled_ = true;
    groupsChanged();
  }
  return Status::ok();
}

// --- Saving ------------------------------------------------------------

// The six checks of "&Gravar", ahead of the record's own field rules.
bool CompanyForm::checkSave() {
  if (request_ != Request::kInsert && request_ != Request::kChange) return true;
  estados_.buffer().clear();
  estados_.buffer().setText(estados_.def().fieldIndex("EST:UF"), utf8ToLatin1(textOf("EMP:UF")));
  Status state = estados_.isOpen() ? estados_.get(estados_.def().keyIndex("EST:KEY:SIGLA"))
                                   : Status(StatusCode::kNotFound, "Estados");
  estados_.endWalk();
  if (!state) {
    warn(kStateMessage, kStateTitle, "EMP:UF");
    return false;
  }
  if (intOf("EMP:PLContas") == 0) {
    warn(kPlanTypeMessage, kPlanTypeTitle, "EMP:PLContas");
    return false;
  }
  const std::optional<chart::AccountStructure> s = structure(intOf("EMP:CodigoPlanoContas"));
  const std::pair<const char*, const char*> groups[] = {{"EMP:GrupoCliente", kCustomerGroupMessage},
                                                        {"EMP:GrupoFornecedor", kSupplierGroupMessage}};
  for (auto [name, message] : groups) {
    std::optional<std::string> masked = maskGroupAccount(s, textOf(name));
    if (!masked) {
      warn(message, kWarning, name);
      return false;
    }
    if (*masked != textOf(name)) setText(name, *masked);
  }
  const std::string customers = textOf("EMP:GrupoCliente"), suppliers = textOf("EMP:GrupoFornecedor");
  if (!customers.empty() && !suppliers.empty() && customers == suppliers) {
    warn(kSameGroupsMessage, kWarning, "EMP:GrupoCliente");
    return false;
  }
  if (intOf("EMP:TipoAutomatica") == 2 && s) {
    if (std::optional<std::string> refusal = numberingByIdRefusal(*s)) {
      warn(*refusal, kWarning, "EMP:CodigoPlanoContas");
      return false;
    }
  }
  return true;
}

// After the field rules: the completed fields' checks again, then the
// history questions of a change.
bool CompanyForm::checkRecord() {
  if (!checkFields()) return false;
  if (request_ == Request::kChange) writeHistory();
  return true;
}

// The completed fields' own checks, once more before the record is saved
// (the code's reaction excepted).
bool CompanyForm::checkFields() {
  const int64_t type = intOf("EMP:TipoInscEscrita");
  if ((type == 1 && !idCompleted(true)) || (type == 2 && !idCompleted(false))) return false;
  for (const char* name : {"EMP:CNAE", "EMP:CodRespCTB", "EMP:CodigoPlanoContas"})
    if (!lookupCompleted(name)) return false;
  return true;
}

void CompanyForm::writeHistory() {
  const shell::CurrentCompany period = services_.session().state().company();
  for (size_t i = 0; i < std::size(kHistoryItems); ++i) {
    const HistoryItem item = kHistoryItems[i];
    if (intOf(historyField(item)) == opening_[i]) continue;
    const uint32_t answer =
        ctx_.errors.message(historyQuestion(item, period.mes, period.ano), kHistoryQuestionTitle,
                            MessageIcon::kQuestion, kButtonYes | kButtonNo, kButtonYes);
    if (answer != kButtonYes) continue;
    std::optional<int32_t> date = historyDate(item, period.mes, period.ano);
    if (!date || !writeHistoryRow(item, *date, historyObservation(item, opening_[i]))) continue;
    ctx_.errors.message(historyFollowUp(item, period.ano), kHistoryFollowUpTitle, MessageIcon::kInformation,
                        kButtonOk, kButtonOk);
  }
}

bool CompanyForm::writeHistoryRow(HistoryItem item, int32_t date, const std::string& observation) {
  if (!history_.isOpen()) {
    ctx_.errors.throwFile(kMsgAddFailed, ctx_.resolve(history_.def().binding),
                          Status(StatusCode::kFileNotFound, "AltContr.dat"));
    return false;
  }
  const TableDef& d = history_.def();
  Record& b = history_.buffer();
  auto key = [&] {
    b.clear();
    b.setInt(d.fieldIndex("ALTCONT:CODIGO"), intOf("EMP:Codigo"));
    b.setInt(d.fieldIndex("ALTCONT:CODALT"), historyCode(item));
    b.setInt(d.fieldIndex("ALTCONT:DATA"), date);
  };
  key();
  Status found = history_.get(d.keyIndex("AltCont:Key:Codigo"));
  history_.endWalk();
  if (found) {
    if (historyKeepsObservation(item)) return true;
    b.setText(d.fieldIndex("ALTCONT:OBS"), utf8ToLatin1(observation));
    Status s = history_.update();
    if (!s) {
      ctx_.errors.throwFile(kMsgChangeFailed, history_.path(), s);
      return false;
    }
    reportWrite(ctx_, b, WriteKind::kChange);
    return true;
  }
  // A row that cannot be read is added as new.
  key();
  b.setText(d.fieldIndex("ALTCONT:OBS"), utf8ToLatin1(observation));
  Status s = history_.append();
  if (!s) {
    ctx_.errors.throwFile(kMsgAddFailed, history_.path(), s);
    return false;
  }
  reportWrite(ctx_, b, WriteKind::kInsert);
  return true;
}

LogoRequest CompanyForm::logoRequest() const {
  const std::filesystem::path folder =
      std::filesystem::path(services_.session().state().dataRoot()) / kLogoFolder;
  return {kLogoDialogTitle, kLogoDialogFilter, folder.string()};
}

void CompanyForm::chooseLogo() {
  if (!logoChooser_ || request_ == Request::kView || request_ == Request::kDelete) return;
  const LogoRequest request = logoRequest();
  std::optional<std::string> chosen = logoChooser_(request);
  if (!chosen || chosen->empty()) return;
  // A bare name is taken from the dialog's folder, never from the working
  // directory, which the dialog leaves alone.
  std::filesystem::path path(*chosen);
  if (path.is_relative()) path = std::filesystem::path(request.directory) / path;
  setText("EMP:Logo", path.lexically_normal().string());
}

}  // namespace vorlam::registry
