#include "ledger/standard_entry.h"

#include "framework/screen_binding.h"
#include "ledger/chart_accounts.h"
#include "ledger/history.h"
#include "storage/text.h"

namespace vorlam::ledger {

namespace {

constexpr char kTitle[] = "Atenção!!!";

const FormDefinition& formDefinition() {
  static const FormDefinition kDefinition{
      .procedure = kStandardFormProcedure,
      .title = "Lançamento Padrão",
      .insertCaption = "Incluindo um Lançamento Padrão",
      .changeCaption = "Alterando um Lançamento Padrão",
      .deleteCaption = "Excluindo um Lançamento Padrão",
      .fields = {"LPR:CODIGO", "LPR:APELIDO", "LPR:DESCRICAO", "LPR:DEBITO", "LPR:CREDITO", "LPR:HISTORICO"},
  };
  return kDefinition;
}

struct AccountSide {
  const char* field;
  const char* prompt;
  const char* description;  // the variable showing the account's description
  const char* lookupTip;
  const char* name;         // "Débito", as the messages name it
};
constexpr AccountSide kDebit{"LPR:DEBITO", "0&4 Conta Débito...........", "Loc:DescDebito", "Pesquisa conta débito.",
                             "Débito"};
constexpr AccountSide kCredit{"LPR:CREDITO", "0&5 Conta Crédito..........", "Loc:DescCredito",
                              "Pesquisa conta crédito.", "Crédito"};

class StandardForm : public RegistryForm {
 public:
  StandardForm(shell::ScreenServices& services, ScreenContext& context, Table& table, Request request)
      : services_(services),
        ctx_(context),
        form_(context, formDefinition(), table, request),
        model_(kStandardFormProcedure, formDefinition().title),
        chart_(context.dictionary, services.session().state()),
        histories_(context.dictionary.find("Historico")) {
    debit_ = form_.fieldIndex(kDebit.field);
    credit_ = form_.fieldIndex(kCredit.field);
    history_ = form_.fieldIndex("LPR:HISTORICO");
    form_.setKeepNumbers(true);
    form_.setEnabled(form_.fieldIndex("LPR:CODIGO"), request == Request::kInsert);
    form_.setValidator([this](FormController&) { return checkSave(); });
    declare();
  }
  FormController& controller() override { return form_; }
  ScreenModel& screen() override { return model_; }

  bool open(int64_t recordId) {
    chart_.open();  // an unreadable chart finds no account
    const std::string path = ctx_.resolve(histories_.def().binding);
    histories_.open(path, OpenMode::kReadOnly);
    const FormState s = recordId == 0 ? form_.openNew() : form_.openRecord(recordId);
    if (s != FormState::kOpen) return false;
    for (const AccountSide* side : {&kDebit, &kCredit}) {
      auto a = chart_.byCode(form_.text(field(*side)));
      descriptions_[side == &kDebit ? 0 : 1] = a ? a->description : std::string();
    }
    historyText_ = historyDescription(form_.record().getInt(history_)).value_or("");
    model_.setFocus(form_.request() == Request::kInsert ? "LPR:CODIGO" : "LPR:APELIDO");
    return true;
  }

 private:
  int field(const AccountSide& side) const { return &side == &kDebit ? debit_ : credit_; }
  std::string& description(const AccountSide& side) { return descriptions_[&side == &kDebit ? 0 : 1]; }

  std::optional<std::string> historyDescription(int64_t code) {
    if (code <= 0 || !histories_.isOpen()) return std::nullopt;
    histories_.buffer().clear();
    histories_.buffer().setInt("HIS:CODIGO", code);
    Status s = histories_.get(histories_.def().keyIndex("HIS:KEY:CODIGO"));
    histories_.endWalk();
    if (!s) return std::nullopt;
    return latin1ToUtf8(histories_.buffer().getText("HIS:Descricao"));
  }

  void warn(const std::string& text) { ctx_.errors.message(text, kTitle, MessageIcon::kExclamation, kButtonOk, kButtonOk); }

  Status refuse(int field) {
    form_.requestFocus(field);
    model_.setFocus(form_.table().def().fields[size_t(field)].name);
    return Status(StatusCode::kInvalidArgument, "recusado");
  }

  // A blank account opens the chart list; otherwise it is looked up.
  Status completeAccount(const AccountSide& side, const std::string& typed) {
    std::optional<Account> found;
    if (typed.find_first_not_of(' ') == std::string::npos) {
      std::vector<std::string> keys = shell::runLookup(services_, model_, "PlanoContas");
      if (!keys.empty()) found = chart_.fromChosenKey(keys[0]);
      if (!found) {
        form_.assignText(field(side), "");
        description(side).clear();
        return Status::ok();
      }
    } else {
      found = chart_.findMaskedFirst(typed);
    }
    if (!found) {
      warn(std::string("Atenção!!! Conta ") + side.name + " não encontrada!!!");
      form_.assignText(field(side), "");
      description(side).clear();
      return refuse(field(side));
    }
    form_.assignText(field(side), found->code);
    description(side) = found->description;
    return Status::ok();
  }

  Status completeHistory(int64_t code) {
    form_.assignInt(history_, code);
    historyText_.clear();
    if (code == 0) return Status::ok();
    std::optional<std::string> text = historyDescription(code);
    if (!text) {
      warn("Atenção!!! Histórico Padrão não encontrado!!!");
      form_.assignInt(history_, 0);
      return refuse(history_);
    }
    historyText_ = *text;
    return Status::ok();
  }

  void lookupHistory() {
    std::vector<std::string> keys = shell::runLookup(services_, model_, kHistoryListProcedure);
    if (!keys.empty()) completeHistory(leadingNumber(keys[0]));
  }

  void lookupAccount(const AccountSide& side) {
    std::vector<std::string> keys = shell::runLookup(services_, model_, "PlanoContas");
    if (keys.empty()) return;
    if (auto a = chart_.fromChosenKey(keys[0])) {
      form_.assignText(field(side), a->code);
      description(side) = a->description;
    }
  }

  bool checkSave() {
    auto refused = [this](const std::string& text, int field) {
      warn(text);
      form_.requestFocus(field);
      return false;
    };
    if (form_.text(debit_).empty()) return refused("Atenção!!! É obrigatório a informação do Conta Débito!!!", debit_);
    if (form_.text(credit_).empty())
      return refused("Atenção!!! É obrigatório a informação do Conta Crédito!!!", credit_);
    if (form_.record().getInt(history_) == 0)
      return refused("Atenção!!! É obrigatório a informação do Histórico Padrão!!!", history_);
    if (form_.text(debit_) == form_.text(credit_))
      return refused("Atenção!!! Conta Débito não pode ser igual a Conta Crédito!!!", debit_);
    return true;
  }

  ControlState fieldState(int field) const {
    const FieldState s = form_.fieldState(field);
    return ControlState{s.enabled, s.visible, s.readOnly};
  }

  void declareAccount(const AccountSide& side) {
    const int f = field(side);
    model_.addControl({.name = side.field,
                       .prompt = side.prompt,
                       .picture = "@s40",
                       .text = true,
                       .value = [this, f] { return form_.text(f); },
                       .complete = [this, &side](const std::string& v) { return completeAccount(side, v); },
                       .state = [this, f] { return fieldState(f); }});
    model_.addButton({.tip = side.lookupTip,
                      .press = [this, &side] { lookupAccount(side); },
                      .enabled = [this, f] { return services_.has("PlanoContas") && fieldState(f).enabled && !fieldState(f).readOnly; }});
    model_.addControl({.name = side.description,
                       .kind = ControlKind::kDisplay,
                       .value = [this, &side] { return description(side); }});
  }

  void declare() {
    bindForm(model_, form_,
             {{.field = "LPR:CODIGO", .prompt = "0&1 Código....................", .picture = "@n6"},
              {.field = "LPR:APELIDO", .prompt = "0&2 Apelido.......", .picture = "@s30"},
              {.field = "LPR:DESCRICAO", .prompt = "0&3 Descrição...............", .picture = "@s40"}});
    declareAccount(kDebit);
    declareAccount(kCredit);
    model_.addControl({.name = "LPR:HISTORICO",
                       .prompt = "0&6 Histórico...............",
                       .picture = "@n5",
                       .value = [this] { return form_.text(history_); },
                       .complete = [this](const std::string& v) { return completeHistory(leadingNumber(v)); },
                       .state = [this] { return fieldState(history_); }});
    model_.addButton({.tip = "Pesquisa histórico padrão.",
                      .press = [this] { lookupHistory(); },
                      .enabled = [this] { return fieldState(history_).enabled && !fieldState(history_).readOnly; }});
    model_.addControl({.name = "Loc:DescHistorico", .kind = ControlKind::kDisplay, .value = [this] { return historyText_; }});
    addRegistryFormButtons(model_, form_, "Exclui o Lançamento Padrão exibido na janela");
  }

  shell::ScreenServices& services_;
  ScreenContext& ctx_;
  FormController form_;
  ScreenModel model_;
  ChartAccounts chart_;
  Table histories_;
  int debit_ = -1, credit_ = -1, history_ = -1;
  std::string descriptions_[2];
  std::string historyText_;
};

}  // namespace

shell::RecordListLayout standardListLayout() {
  return registryListLayout(
      kStandardListProcedure, kStandardListTitle, "LanPadrao",
      "28R(2)|M~Código~C(0)@n6@120L(2)|M~Descrição~@s40@80L(2)|M~Apelido~@s30@"
      "80L(2)|M~Conta Débito~@s40@80L(2)|M~Conta Crédito~@s40@24R(2)|M~Hist.~C(0)@n5@",
      {"LPR:CODIGO", "LPR:DESCRICAO", "LPR:APELIDO", "LPR:DEBITO", "LPR:CREDITO", "LPR:HISTORICO"},
      {{"Codigo", "LPR:KEY:CODIGO", "LPR:CODIGO", "", 0, ""},
       {"Descrição", "LPR:KEY:DESCRICAO", "LPR:DESCRICAO", "", 0, ""},
       {"Apelido", "LPR:KEY:APELIDO", "LPR:APELIDO", "", 0, ""}},
      {"Pesquisa por Código......", "Pesquisa por Descrição.....", "Pesquisa por Apelido....."},
      kStandardFormProcedure, "");
}

RegistryFormFactory standardForm(shell::ScreenServices& services) {
  return [&services](ScreenContext& context, Table& table, Request request,
                     int64_t recordId) -> std::unique_ptr<RegistryForm> {
    auto form = std::make_unique<StandardForm>(services, context, table, request);
    if (!form->open(recordId)) return nullptr;
    return form;
  };
}

}  // namespace vorlam::ledger
