#include "registry/branch_form.h"

#include "framework/form_support.h"
#include "registry/taxpayer_numbers.h"
#include "storage/text.h"

namespace vorlam::registry {

namespace {

constexpr char kBranchField[] = "Filiais:Filial";
constexpr char kSearchTip[] = "Pesquisa empresa.";

std::string textOf(const Record& r, const char* field) { return latin1ToUtf8(std::string(r.getText(field))); }

}  // namespace

BranchForm::BranchForm(shell::ScreenServices& services, Request request, std::vector<std::string> keys)
    : HostedScreen(services),
      request_(request),
      keys_(std::move(keys)),
      filiais_(context_.dictionary.find("Filiais")),
      filiais0_(context_.dictionary.find("Filiais")),
      empresa0_(context_.dictionary.find("Empresa")),
      definition_{kBranchFormProcedure, "Cadastro de Filiiais", "Inclusão de filial", "Alteração de filial",
                  "Exclusão de filial", {}},
      model_(kBranchFormProcedure, "Cadastro de Filiiais") {}

BranchForm::~BranchForm() = default;

Status BranchForm::open() {
  ProcedureScope procedure(errors_, kBranchFormProcedure);
  if (keys_.empty()) return Status(StatusCode::kInvalidArgument, "informe a empresa matriz");
  if (!openBound(context_, filiais_) || !openBound(context_, filiais0_, OpenMode::kReadOnly) ||
      !openBound(context_, empresa0_, OpenMode::kReadOnly)) {
    model_.close();
    return Status::ok();  // reported
  }
  int64_t id = 0;
  if (request_ == Request::kInsert) {
    head_ = keyNumber(keys_[0]);
  } else {
    Result<int64_t> found = findRecord(filiais_, keys_);
    if (!found.isOk()) return found.status();
    id = found.value();
    head_ = filiais_.buffer().getInt("Filiais:Matriz");
  }
  if (readCompany(head_)) headCnpj_ = std::string(empresa0_.buffer().getText("EMP:CGC"));

  form_ = std::make_unique<FormController>(context_, definition_, filiais_, request_);
  branch_ = form_->fieldIndex(kBranchField);
  FormState state;
  if (request_ == Request::kInsert) {
    Record prototype(&filiais_.def());
    prototype.clear();
    prototype.setInt("Filiais:Matriz", head_);
    state = form_->openNew(&prototype);
  } else {
    state = form_->openRecord(id);
    form_->setEnabled(branch_, false);
    showCompany(readCompany(form_->record().getInt(branch_)));
  }
  declare();
  if (state != FormState::kOpen) model_.close();
  return Status::ok();
}

void BranchForm::declare() {
  model_.addControl({.prompt = "Seleção de filiais.", .kind = ControlKind::kDisplay,
                     .value = [] { return std::string(); }});
  bindForm(model_, *form_,
           {{.field = kBranchField,
             .prompt = "01 Código Filial..........",
             .picture = "@n6",
             .tip = "Código da Empresa Filial",
             .accepted = [this] { return branchAccepted(); }}});
  model_.addControl({.name = "LOC:RazaoSocial", .kind = ControlKind::kDisplay, .picture = "@s40",
                     .value = [this] { return name_; }});
  model_.addControl({.name = "LOC:CNPJ", .kind = ControlKind::kDisplay, .picture = "@s18",
                     .value = [this] { return number_; }});
  bindForm(model_, *form_,
           {{.field = "Filiais:Contabilidade",
             .prompt = " Utilizar separação nas contas para Matriz e Filiais???",
             .kind = ControlKind::kCheckBox,
             .tip = "Verifica se Irá usar separação das filiais no plano de contas"}});
  model_.setTitle([this] {
    return request_ == Request::kView ? std::string("Visualização das Filiais") : form_->caption();
  });
  model_.addButton({.name = "search",
                    .tip = kSearchTip,
                    .press = [this] { chooseCompany(); },
                    .enabled = [this] { return request_ == Request::kInsert; }});
  form_->setValidator([this](FormController&) { return checkSave(); });
  const bool deleting = request_ == Request::kDelete;
  addFormButtons(model_, *form_,
                 deleting ? FormButtonText{"&Exclui", "Exclui filial selecionada."}
                          : FormButtonText{"&Gravar", "Confirma inclusão."},
                 {"&Cancela", "Cancela e retorna."}, {"&Ajuda"},
                 "O código da empresa filial desta matriz; a caixa indica se o plano de contas separa as contas "
                 "da matriz e das filiais.");
  model_.setFocus(request_ == Request::kInsert ? kBranchField : "Filiais:Contabilidade");
}

bool BranchForm::readCompany(int64_t code) {
  if (code <= 0) return false;
  Record& b = empresa0_.buffer();
  b.clear();
  b.setInt("EMP:Codigo", code);
  return empresa0_.get(empresa0_.def().keyIndex("EMP:KEY:CODIGO")).isOk();
}

void BranchForm::showCompany(bool found) {
  name_.clear();
  number_.clear();
  if (!found) return;
  const Record& b = empresa0_.buffer();
  name_ = textOf(b, "Emp:RazaoSocial");
  // The branch's own number: a person's CPF, otherwise its CNPJ.
  if (b.getInt("EMP:TipoInscEscrita") == 2)
    number_ = formatCpf(b.getText("EMP:CPF"));
  else
    number_ = formatCnpj(b.getText("EMP:CGC"));
}

Status BranchForm::branchAccepted() {
  const bool found = readCompany(form_->record().getInt(branch_));
  showCompany(found);
  if (found || chooseCompany()) return Status::ok();
  return Status(StatusCode::kNotFound, "empresa inexistente");
}

bool BranchForm::chooseCompany() {
  form_->requestFocus(branch_);
  const std::vector<std::string> chosen = shell::runLookup(services_, model_, kCompanySearchProcedure);
  if (chosen.empty()) return false;
  const int64_t code = keyNumber(chosen[0]);
  if (!form_->assignInt(branch_, code).isOk()) return false;
  showCompany(readCompany(code));
  form_->requestFocus(branch_);
  return true;
}

bool BranchForm::stop(const std::string& text) {
  if (beep_) beep_();
  showMessage(model_, kAttention, text);
  form_->requestFocus(branch_);
  return false;
}

bool BranchForm::checkSave() {
  if (request_ != Request::kInsert) return true;
  int64_t code = form_->record().getInt(branch_);
  if (!readCompany(code)) {
    // As when the code is completed: a code of no company opens the search.
    if (!chooseCompany()) return false;
    code = form_->record().getInt(branch_);
    if (!readCompany(code)) return false;
  }
  if (code == head_) return stop("Atenção!!! A empresa selecionada é a própria matriz.");
  const std::string cnpj(empresa0_.buffer().getText("EMP:CGC"));
  if (cnpj.substr(0, 8) != headCnpj_.substr(0, 8)) {
    if (beep_) beep_();
    const int answer = ask(model_, kAttention,
                           "Atenção!!! O CNPJ da empresa selecionada é não possui os 8 primeiros dígitos iguais. "
                           "Deseja continuar???",
                           "&Não|&Sim");
    if (answer != 2) {
      form_->requestFocus(branch_);
      return false;
    }
  }
  Record& f = filiais0_.buffer();
  f.clear();
  f.setInt("Filiais:Filial", code);
  if (filiais0_.get(filiais0_.def().keyIndex("Filiais:Key:CodigoFilial")).isOk())
    return stop("Atenção!!! A empresa selecionada já está selecionada como filial da empresa " +
                std::to_string(f.getInt("Filiais:Matriz")) + ".");
  f.clear();
  f.setInt("Filiais:Matriz", code);
  if (filiais0_.get(filiais0_.def().keyIndex("FILIAIS:KEY:CODIGOMATRIZ")).isOk())
    return stop("Atenção!!! A empresa selecionada já está selecionada como matriz da outras empresas.");
  return true;
}

}  // namespace vorlam::registry
