#include "registry/tax_integration_form.h"

#include "chart/current_structure.h"
#include "framework/form_support.h"
#include "registry/integration_references.h"
#include "registry/posting_accounts.h"
#include "storage/text.h"

namespace vorlam::registry {

namespace {

constexpr char kTitle[] = "Configura Integração dos Impostos";
constexpr char kReferenceField[] = "CIC:CODIGO_REFERENCIA";
constexpr uint16_t kMsgOpenFailed = 26;

std::string clipped(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

bool numeric(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

TaxIntegrationForm::TaxIntegrationForm(shell::ScreenServices& services, Request request,
                                       std::vector<std::string> keys)
    : HostedScreen(services),
      request_(request),
      keys_(std::move(keys)),
      rows_(context_.dictionary.find("Contas_Integracao_Contabil")),
      empresa_(context_.dictionary.find("Empresa")),
      chart_(context_.dictionary.find("PlanoContas")),
      histories_(context_.dictionary.find("Historico")),
      definition_{kTaxIntegrationFormProcedure, kTitle, kTitle, kTitle, kTitle, {}},
      model_(kTaxIntegrationFormProcedure, kTitle) {
  debit_.searchTip = "Pesquisa conta débito. < F5 >.";
  credit_.searchTip = "Pesquisa conta crédito. < F5 >.";
}

TaxIntegrationForm::~TaxIntegrationForm() = default;

Status TaxIntegrationForm::open() {
  ProcedureScope procedure(errors_, kTaxIntegrationFormProcedure);
  if (keys_.empty()) return Status(StatusCode::kInvalidArgument, "informe a empresa");
  if (!openBound(context_, rows_) || !openBound(context_, empresa_, OpenMode::kReadOnly)) {
    model_.close();
    return Status::ok();  // reported
  }
  int64_t id = 0;
  if (request_ != Request::kInsert) {
    Result<int64_t> found = findRecord(rows_, keys_);
    if (!found.isOk()) return found.status();
    id = found.value();
  }
  form_ = std::make_unique<FormController>(context_, definition_, rows_, request_);
  reference_ = form_->fieldIndex(kReferenceField);
  history_ = form_->fieldIndex("CIC:HISTORICO");
  debit_.field = form_->fieldIndex("CIC:CONTA_DEBITO");
  credit_.field = form_->fieldIndex("CIC:CONTA_CREDITO");
  FormState state;
  if (request_ == Request::kInsert) {
    Record prototype(&rows_.def());
    prototype.clear();
    prototype.setInt("CIC:CODIGO_EMPRESA", keyNumber(keys_[0]));
    state = form_->openNew(&prototype);
  } else {
    state = form_->openRecord(id);
    form_->setEnabled(reference_, false);
    referenceText_ = std::string(integrationReferenceText(int(form_->record().getInt(reference_))));
  }
  // The company and its structure.
  Record& e = empresa_.buffer();
  e.clear();
  e.setInt("EMP:Codigo", form_->record().getInt("CIC:CODIGO_EMPRESA"));
  if (empresa_.get(empresa_.def().keyIndex("EMP:KEY:CODIGO")))
    companyName_ = latin1ToUtf8(std::string(e.getText("Emp:RazaoSocial")));
  shell::AppState& appState = services_.session().state();
  switchOn_ = postingAccountsOn(services_.session().settings(), appState.dataRoot());
  if (switchOn_) {
    if (Result<chart::AccountStructure> s =
            chart::readStructure(context_.dictionary, appState, uint16_t(e.getInt("EMP:CodigoPlanoContas")));
        s.isOk())
      structure_ = s.value();
    if (!openLookups()) {
      model_.close();
      return Status::ok();  // reported
    }
  }
  declare();
  if (state != FormState::kOpen) model_.close();
  return Status::ok();
}

// The chart and the histories the switch checks against; read only, never
// created here.
Status TaxIntegrationForm::openLookups() {
  for (Table* t : {&chart_, &histories_}) {
    const std::string path = context_.resolve(t->def().binding);
    if (Status s = t->open(path, OpenMode::kReadOnly); !s) {
      context_.errors.throwFile(kMsgOpenFailed, path, s);
      return s;
    }
  }
  if (request_ != Request::kInsert) {
    for (AccountField* a : {&debit_, &credit_})
      if (storedAccount(*a)) a->description = accountMatchOf(chart_.buffer()).description;
    readHistory(form_->record().getInt(history_));
  }
  return Status::ok();
}

bool TaxIntegrationForm::storedAccount(const AccountField& account) {
  const std::string code = clipped(form_->text(account.field));
  if (code.empty()) return false;
  chart_.buffer().clear();
  chart_.buffer().setText("PLA:Codigo", utf8ToLatin1(code));
  return chart_.get(chart_.def().keyIndex("PLA:KEY:CODIGO")).isOk();
}

void TaxIntegrationForm::declare() {
  bindForm(model_, *form_, {{.field = "CIC:CODIGO_EMPRESA", .prompt = "0&1 Empresa....", .kind = ControlKind::kDisplay,
                             .picture = "@n6"}});
  model_.addControl({.name = "EMP:RAZAOSOCIAL", .kind = ControlKind::kDisplay, .picture = "@s40",
                     .value = [this] { return companyName_; }});
  bindForm(model_, *form_,
           {{.field = kReferenceField,
             .prompt = "0&2 Imposto......",
             .picture = "@n3",
             .accepted = [this] { return referenceAccepted(); }}});
  model_.addControl({.name = "LOC:DESCRICAO_IMPOSTO", .kind = ControlKind::kDisplay, .picture = "@s55",
                     .value = [this] { return referenceText_; }});
  declareAccount(debit_, "0&3 Conta Débito");
  model_.addControl({.name = "LOC:DESCRICAO_DEBITO", .kind = ControlKind::kDisplay,
                     .value = [this] { return debit_.description; }});
  declareAccount(credit_, "0&4 Conta Crédito");
  model_.addControl({.name = "LOC:DESCRICAO_CREDITO", .kind = ControlKind::kDisplay,
                     .value = [this] { return credit_.description; }});
  bindForm(model_, *form_,
           {{.field = "CIC:HISTORICO",
             .prompt = "0&5 Histórico",
             .picture = "@n6",
             .accepted = [this] { return historyAccepted(); }}});
  model_.addControl({.name = "LOC:DESCRICAO_HISTORICO", .kind = ControlKind::kDisplay,
                     .value = [this] { return historyText_; }});
  const bool editable = request_ == Request::kInsert || request_ == Request::kChange;
  model_.addButton({.name = "historico",
                    .tip = "Pesquisa histórico. < F5 >.",
                    .press = [this] { searchHistory(); },
                    .enabled = [this, editable] { return editable && services_.has(kHistoryListProcedure); },
                    .visible = [this] { return switchOn_; }});
  if (switchOn_ && editable)
    model_.addKey({.name = "F5", .scope = "CIC:HISTORICO", .action = [this] { searchHistory(); }});
  bindForm(model_, *form_, {{.field = "CIC:COMPLEMENTO", .prompt = "0&6 Complemento", .picture = "@s500"}});
  model_.setTitle([] { return std::string(kTitle); });
  form_->setValidator([this](FormController&) { return checkSave(); });
  addFormButtons(model_, *form_, {"&Gravar", "Grava configuração de integração.< Alt + G >."},
                 {"&Cancelar", "Cancela e retorna. < Alt + C >."}, {"&Ajuda"},
                 "Informe o imposto (código de referência), as contas de débito e de crédito, o histórico "
                 "padrão e, se quiser, o complemento usados na integração contábil.");
  model_.setFocus(request_ == Request::kInsert ? kReferenceField : "CIC:CONTA_DEBITO");
}

void TaxIntegrationForm::declareAccount(AccountField& account, const char* prompt) {
  AccountField* a = &account;
  const std::string name = form_->table().def().fields[size_t(account.field)].name;
  bindForm(model_, *form_,
           {{.field = name, .prompt = prompt, .picture = "@s40", .accepted = [this, a] { return accountAccepted(*a); }}});
  const bool editable = request_ == Request::kInsert || request_ == Request::kChange;
  model_.addButton({.name = name == "CIC:CONTA_DEBITO" ? "debito" : "credito",
                    .tip = account.searchTip,
                    .press = [this, a] { searchAccount(*a); },
                    .enabled = [this, editable] { return editable && services_.has(kChartListProcedure); },
                    .visible = [this] { return switchOn_; }});
  if (switchOn_ && editable) model_.addKey({.name = "F5", .scope = name, .action = [this, a] { searchAccount(*a); }});
}

Status TaxIntegrationForm::referenceAccepted() {
  const int64_t code = form_->record().getInt(reference_);
  if (code > kLastIntegrationReference) {
    if (beep_) beep_();
    showMessage(model_, kAttention, "Atenção!!! imposto não encontrado!!!");
    referenceText_.clear();
    form_->requestFocus(reference_);
    return Status(StatusCode::kNotFound, "imposto não encontrado");
  }
  referenceText_ = std::string(integrationReferenceText(int(code)));
  return Status::ok();
}

Status TaxIntegrationForm::accountAccepted(AccountField& account) {
  if (!switchOn_) return Status::ok();
  Result<AccountMatch> m = findAccount(chart_, structure_, form_->text(account.field));
  if (!m.isOk()) return m.status();
  account.description.clear();
  switch (m.value().outcome) {
    case AccountOutcome::kNoAccount: return Status::ok();
    case AccountOutcome::kAnalytic:
      account.description = m.value().description;
      return form_->assignText(account.field, m.value().code);
    case AccountOutcome::kSynthetic:
      showMessage(model_, kAttention, "Atenção!!! A conta selecionada deve ser uma conta analítica!!!");
      break;
    case AccountOutcome::kNotFound: break;
  }
  if (searchAccount(account)) return Status::ok();
  return Status(StatusCode::kNotFound, "conta inválida");
}

bool TaxIntegrationForm::searchAccount(AccountField& account) {
  form_->requestFocus(account.field);
  if (!chart_.isOpen()) return false;
  const std::vector<std::string> chosen = shell::runLookup(services_, model_, kChartListProcedure);
  if (chosen.empty()) return false;
  // The chart has no primary key: the list names the record by its number;
  // a written code is taken too.
  bool found = chosen.size() == 1 && numeric(chosen[0]) && chart_.getById(std::stoll(chosen[0])).isOk();
  if (!found) {
    chart_.buffer().clear();
    chart_.buffer().setText("PLA:Codigo", utf8ToLatin1(chosen[0]));
    found = chart_.get(chart_.def().keyIndex("PLA:KEY:CODIGO")).isOk();
  }
  if (!found) return false;
  const AccountMatch m = accountMatchOf(chart_.buffer());
  if (m.outcome != AccountOutcome::kAnalytic) {
    showMessage(model_, kAttention, "Atenção!!! A conta selecionada deve ser uma conta analítica!!!");
    account.description.clear();
    return false;
  }
  account.description = m.description;
  return form_->assignText(account.field, m.code).isOk();
}

bool TaxIntegrationForm::readHistory(int64_t code) {
  historyText_.clear();
  if (code <= 0 || !histories_.isOpen()) return false;
  histories_.buffer().clear();
  histories_.buffer().setInt("HIS:CODIGO", code);
  if (!histories_.get(histories_.def().keyIndex("HIS:KEY:CODIGO"))) return false;
  historyText_ = latin1ToUtf8(std::string(histories_.buffer().getText("HIS:Descricao")));
  return true;
}

Status TaxIntegrationForm::historyAccepted() {
  if (!switchOn_) return Status::ok();
  const int64_t code = form_->record().getInt(history_);
  if (code == 0 || readHistory(code) || searchHistory()) return Status::ok();
  return Status(StatusCode::kNotFound, "histórico inexistente");
}

bool TaxIntegrationForm::searchHistory() {
  form_->requestFocus(history_);
  historyText_.clear();
  const std::vector<std::string> chosen = shell::runLookup(services_, model_, kHistoryListProcedure);
  if (chosen.empty()) return false;
  const int64_t code = keyNumber(chosen[0]);
  if (!form_->assignInt(history_, code).isOk()) return false;
  return readHistory(code);
}

bool TaxIntegrationForm::refuse(const char* text, int focus) {
  if (beep_) beep_();
  showMessage(model_, kAttention, text);
  form_->requestFocus(focus);
  return false;
}

bool TaxIntegrationForm::checkSave() {
  const bool debit = !clipped(form_->text(debit_.field)).empty();
  const bool credit = !clipped(form_->text(credit_.field)).empty();
  const bool history = form_->record().getInt(history_) != 0;
  if (form_->record().getInt(reference_) == 0)
    return refuse("Atenção!!! Conta é necessário informar o imposto!!!", reference_);
  if (!referenceAccepted()) return false;
  if (debit && !credit) return refuse("Atenção!!! Conta é necessário informar a conta crédito!!!", debit_.field);
  if (!debit && credit) return refuse("Atenção!!! Conta é necessário informar a conta débio!!!", debit_.field);
  if (debit && credit && !history) return refuse("Atenção!!! Conta é necessário informar o histórico!!!", history_);
  if (!debit && !credit && !history)
    return refuse("Atenção!!! Conta é necessário informar a conta débito e conta crédito e histórico!!!",
                  debit_.field);
  if (!debit && !credit)
    return refuse("Atenção!!! Conta é necessário informar a conta débito e conta crédito!!!", debit_.field);
  // With the switch on, what the fields hold is checked again: an analytic
  // account's full code stands; anything else goes through the rules of
  // the field.
  if (!switchOn_) return true;
  for (AccountField* a : {&debit_, &credit_}) {
    const bool analytic = storedAccount(*a) && accountMatchOf(chart_.buffer()).outcome == AccountOutcome::kAnalytic;
    if (!analytic && !accountAccepted(*a).isOk()) return false;
  }
  return historyAccepted().isOk();
}

}  // namespace vorlam::registry
