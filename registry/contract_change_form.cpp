#include "registry/contract_change_form.h"

#include "framework/form_support.h"
#include "storage/text.h"

namespace vorlam::registry {

namespace {

constexpr char kCodeField[] = "ALTCONT:CODALT";
constexpr char kHistoryKey[] = "AltCont:Key:Codigo";

}  // namespace

ContractChangeForm::ContractChangeForm(shell::ScreenServices& services, Request request,
                                       std::vector<std::string> keys)
    : HostedScreen(services),
      request_(request),
      keys_(std::move(keys)),
      changes_(context_.dictionary.find("AltContratuais")),
      codes_(context_.dictionary.find("CodAltContratuais")),
      empresa_(context_.dictionary.find("Empresa")),
      definition_{kContractChangeFormProcedure, "Alterações Contratuais", "Incluindo uma Alteração Contratual",
                  "Alterando uma Alteração Contratual", "Excluindo uma Alteração Contratual", {}},
      model_(kContractChangeFormProcedure, "Alterações Contratuais") {}

ContractChangeForm::~ContractChangeForm() = default;

Status ContractChangeForm::open() {
  ProcedureScope procedure(errors_, kContractChangeFormProcedure);
  if (keys_.empty()) return Status(StatusCode::kInvalidArgument, "informe a empresa");
  if (!openBound(context_, changes_) || !openBound(context_, codes_, OpenMode::kReadOnly) ||
      !openBound(context_, empresa_, OpenMode::kReadOnly)) {
    model_.close();
    return Status::ok();  // reported
  }
  int64_t id = 0;
  if (request_ != Request::kInsert) {
    Result<int64_t> found = findRecord(changes_, keys_, kHistoryKey);
    if (!found.isOk()) return found.status();
    id = found.value();
  }
  // The codes of the drop list, in code order.
  const int byCode = codes_.def().keyIndex("CAContr:Key:Codigo");
  if (codes_.seekStart(byCode)) {
    while (codes_.next()) {
      const std::string code = std::to_string(codes_.buffer().getInt("CACONTR:CODIGO"));
      choices_.push_back({code, code + " " + latin1ToUtf8(std::string(codes_.buffer().getText("CACONTR:DESCRICAO")))});
    }
  }

  form_ = std::make_unique<FormController>(context_, definition_, changes_, request_);
  code_ = form_->fieldIndex(kCodeField);
  value_ = form_->fieldIndex("ALTCONT:VALOR");
  FormState state;
  if (request_ == Request::kInsert) {
    Record prototype(&changes_.def());
    prototype.clear();
    prototype.setInt("ALTCONT:CODIGO", keyNumber(keys_[0]));
    state = form_->openNew(&prototype);
    form_->setEnabled(value_, false);
  } else {
    state = form_->openRecord(id);
    codeChosen();
  }
  Record& e = empresa_.buffer();
  e.clear();
  e.setInt("EMP:Codigo", form_->record().getInt("ALTCONT:CODIGO"));
  if (empresa_.get(empresa_.def().keyIndex("EMP:KEY:CODIGO")))
    companyName_ = latin1ToUtf8(std::string(e.getText("Emp:RazaoSocial")));
  declare();
  if (state != FormState::kOpen) model_.close();
  return Status::ok();
}

void ContractChangeForm::declare() {
  model_.addControl({.prompt = "Alterações Contratuais da Empresa", .kind = ControlKind::kDisplay,
                     .value = [] { return std::string(); }});
  bindForm(model_, *form_, {{.field = "ALTCONT:CODIGO", .kind = ControlKind::kDisplay, .picture = "@n6"}});
  model_.addControl({.name = "LOC:RazaoSocial", .kind = ControlKind::kDisplay, .picture = "@s40",
                     .value = [this] { return companyName_; }});
  bindForm(model_, *form_,
           {{.field = kCodeField,
             .prompt = "0&1-Código da Alteração........",
             .kind = ControlKind::kDropList,
             .picture = "@n3",
             .choices = choices_,
             .tip = "003-Código da alteração",
             .accepted =
                 [this] {
                   codeChosen();
                   return Status::ok();
                 }}});
  model_.addControl({.name = "LOC:Descricao", .kind = ControlKind::kDisplay, .picture = "@s30",
                     .value = [this] { return description_; }});
  bindForm(model_, *form_,
           {{.field = "ALTCONT:DATA",
             .prompt = "0&2-Data da Alteração............",
             .picture = "@d06b",
             .tip = "002-Data da Alteração Contratual"},
            {.field = "ALTCONT:VALOR",
             .prompt = "0&3-Capital Social...................",
             .picture = "@n-15.2",
             .tip = "Valor do Capital Social da Emppresa"},
            {.field = "ALTCONT:OBS",
             .prompt = "0&4-Observação......................",
             .picture = "@s40",
             .tip = "Observação, para alterações de CGC/CEI, colocar CGC/CEI anterior da Empresa"}});
  const bool deleting = request_ == Request::kDelete;
  addFormButtons(model_, *form_,
                 deleting ? FormButtonText{"&Exclui", "Exclui a Alteração Contratual exibida na janela"}
                          : FormButtonText{"&Grava", "Grava a Alteração Contratual"},
                 deleting ? FormButtonText{"&Cancela", "Cancela exclusão da Alteração Contratual exibida na janela"}
                          : FormButtonText{"&Cancela"},
                 {"&Ajuda"},
                 "Cada alteração contratual tem um código, a data a partir da qual vale e uma observação; o "
                 "capital social só se informa na alteração de código 3.");
  addArrowNavigation(model_, {kCodeField, "ALTCONT:DATA", "ALTCONT:VALOR", "ALTCONT:OBS"}, {kCodeField});
  model_.addKey({.name = "F6", .action = [this] { calculate(); }});
  model_.setFocus(kCodeField);
}

void ContractChangeForm::calculate() {
  const std::string field = model_.focus();
  const ScreenControl* control = model_.control(field);
  if (control == nullptr || control->kind != ControlKind::kEntry || !services_.has(kCalculatorProcedure)) return;
  const ControlState state = model_.state(*control);
  if (!state.enabled || state.readOnly) return;
  // The field's text goes to the calculator as the clipboard would carry
  // it; what the calculator hands back is typed into the field.
  Result<std::unique_ptr<Screen>> calculator =
      services_.open(kCalculatorProcedure, {.keys = {model_.displayValue(*control)}});
  if (!calculator.isOk()) return;
  if (!calculator.value()->model().closed()) model_.runChild(calculator.value()->model());
  const std::vector<std::string> result = calculator.value()->chosenKeys();
  if (!result.empty()) model_.type(field, result.front());
}

void ContractChangeForm::codeChosen() {
  Record& c = codes_.buffer();
  c.clear();
  c.setInt("CACONTR:CODIGO", form_->record().getInt(code_));
  if (!codes_.get(codes_.def().keyIndex("CAContr:Key:Codigo"))) {
    description_.clear();
    return;
  }
  description_ = latin1ToUtf8(std::string(c.getText("CACONTR:DESCRICAO")));
  form_->setEnabled(value_, form_->record().getInt(code_) == 3);
}

}  // namespace vorlam::registry
