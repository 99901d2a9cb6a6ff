// The screen models of the customer/supplier list, its form and the
// missing-accounts screen (framework/screen_model.h).

#include "fiscal/party_form.h"
#include "fiscal/party_list.h"
#include "framework/screen_binding.h"
#include "registry/taxpayer_numbers.h"
#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

void showHelp(ScreenModel& model, const std::string& text) {
  if (model.dialogs() == nullptr) return;
  model.dialogs()->messageBox({"Ajuda", messageBoxText(text), MessageIcon::kInformation, kButtonOk, kButtonOk});
}

constexpr char kFormHelp[] =
    "Cadastro do cliente ou fornecedor.|Ao marcar Cliente ou Fornecedor a conta é proposta conforme a numeração "
    "da empresa; a conta digitada é refeita sob o grupo da empresa.|Ao gravar, as contas que faltam são "
    "incluídas no Plano de Contas.";
constexpr char kListHelp[] =
    "Clientes e fornecedores, por código, por razão social, pela parte da razão social digitada, só "
    "fornecedores ou só clientes.|Cria Contas lista os cadastros sem conta no Plano de Contas e as inclui de uma "
    "vez.";

}  // namespace

void PartyForm::addSpecialControl(const char* field, const char* prompt, ControlKind kind,
                                  std::function<Status(const std::string&)> complete) {
  const int index = form_.fieldIndex(field);
  model_.addControl({.name = field,
                     .prompt = prompt,
                     .kind = kind,
                     .text = form_.table().def().fields[size_t(index)].isText(),
                     .value = [this, index] { return form_.text(index); },
                     .complete = std::move(complete),
                     .state =
                         [this, index] {
                           const FieldState s = form_.fieldState(index);
                           return ControlState{s.enabled, s.visible, s.readOnly};
                         }});
}

void PartyForm::declareScreen() {
  auto plain = [this](std::vector<FormFieldBinding> fields) { bindForm(model_, form_, fields); };
  plain({{.field = "FOR:Codigo", .prompt = "0&1-Código..............", .picture = "@n6"},
         {.field = "FOR:Nome", .prompt = "0&2-Razão Social........", .picture = "@s100"},
         {.field = "FOR:Endereco", .prompt = "0&3-Endereço............", .picture = "@s40"},
         {.field = "FOR:Numero", .prompt = "0&4-Número.............."},
         {.field = "FOR:Complemento", .prompt = "0&5-Complemento.........", .picture = "@s25"},
         {.field = "FOR:Bairro", .prompt = "0&6-Bairro..............", .picture = "@s25"},
         {.field = "FOR:Estado",
          .prompt = "0&7-Estado..............",
          .kind = tables_.stateChoices.empty() ? ControlKind::kEntry : ControlKind::kDropList,
          .picture = "@s2",
          .choices = tables_.stateChoices},
         {.field = "FOR:Cidade", .prompt = "0&8-Cidade..............", .picture = "@s60"},
         {.field = "FOR:Cep", .prompt = "0&9-CEP.................", .picture = "@p##.###-###p"},
         {.field = "FOR:DDD", .prompt = "1&0-DDD................."},
         {.field = "FOR:Telefone", .prompt = "1&1-Telefone............"},
         {.field = "FOR:Ramal", .prompt = "Ramal"},
         {.field = "FOR:Fax", .prompt = "1&2-Fax................."},
         {.field = "FOR:InscricaoEstadual", .prompt = "1&3-Inscrição Estadual..", .picture = "@s20"},
         {.field = "FOR:TipoInscricao",
          .prompt = "1&4-Tipo Inscricao",
          .kind = ControlKind::kRadioGroup,
          .choices = {{"1", "CNPJ"}, {"2", "CPF"}}}});
  addSpecialControl("FOR:CGC", "1&5-CNPJ................", ControlKind::kEntry,
                    [this](const std::string& v) { return typeNumber(cgc_, v); });
  addSpecialControl("FOR:CPF", "1&5-CPF.................", ControlKind::kEntry,
                    [this](const std::string& v) { return typeNumber(cpf_, v); });
  const char* flagPrompts[] = {"O Cadastro é de Cliente", "O Cadastro é de Fornecedor"};
  const char* accountPrompts[] = {"1&6-C. Cliente.......", "1&7-C. Fornecedor...."};
  const char* lookupTips[] = {"Pesquisa a conta do cliente no Plano de Contas",
                              "Pesquisa a conta do fornecedor no Plano de Contas"};
  for (Side& s : sides_) {
    const size_t i = size_t(s.side);
    addSpecialControl(sideFields(s.side).flag, flagPrompts[i], ControlKind::kCheckBox, [this, &s](const std::string& v) {
      if (v != "0" && v != "1") return Status(StatusCode::kInvalidArgument, "marque 0 ou 1", v);
      return form_.type(s.flag, v);
    });
    addSpecialControl(sideFields(s.side).account, accountPrompts[i], ControlKind::kEntry,
                      [this, &s](const std::string& v) { return typeAccount(s, v, /*chosen=*/false); });
    model_.addButton({.name = i == 0 ? "contas-clientes" : "contas-fornecedores",
                      .tip = lookupTips[i],
                      .press = [this, &s] { lookUp(s); },
                      // Nothing to choose on a delete or a view: the account stays as it is.
                      .enabled = [this, &s] {
                        const FieldState st = form_.fieldState(s.account);
                        return bool(lookup_) && st.enabled && !st.readOnly;
                      }});
  }
  model_.setFocus(form_.request() == Request::kInsert ? "FOR:Nome" : "FOR:Nome");

  auto finish = [this](FormState state) {
    if (state != FormState::kOpen) model_.close();
  };
  model_.addButton({.caption = "&Grava", .press = [this, finish] { finish(save()); }, .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Cancela", .press = [this, finish] { finish(form_.cancel()); }});
  model_.addButton({.caption = "&Ajuda", .press = [this] { showHelp(model_, kFormHelp); }});
  model_.setCloseRequest([this] { return form_.cancel() != FormState::kOpen; });
}

void PartyList::declare() {
  ListBinding binding;
  binding.format = kPartyListFormat;
  for (const char* field : partyListColumns()) binding.columnFields.push_back(field);
  binding.locatorPrompts = {"C&ódigo a ser procurado..........", "", "Parte da Razão Social:", "", ""};
  // The numbers, alphanumeric CNPJs included, through the registry's masks.
  binding.cellText = [](const Record& row, int column) -> std::optional<std::string> {
    if (column == 2) return registry::formatCnpj(row.getText("FOR:CGC"), registry::kCnpjListPicture);
    if (column == 3) return registry::formatCpf(row.getText("FOR:CPF"), registry::kCpfListPicture);
    return std::nullopt;
  };
  bindList(model_, list_, binding);
  model_.addControl({.name = "dica", .kind = ControlKind::kDisplay, .value = [] { return std::string(kPartyListTip); }});
  model_.setFocus("lista");

  auto add = [this](const char* caption, std::function<void()> press, std::function<bool()> enabled = {},
                    bool byDefault = false) {
    ScreenButton b{.caption = caption, .press = std::move(press), .enabled = std::move(enabled)};
    if (byDefault) b.isDefault = [] { return true; };
    model_.addButton(std::move(b));
  };
  add("Inclui", [this] { request(Request::kInsert); });
  add("Altera", [this] { request(Request::kChange); }, [this] { return list_.canRequest(Request::kChange); },
      !selecting_);
  add("Elimina", [this] { request(Request::kDelete); }, [this] { return list_.canRequest(Request::kDelete); });
  if (selecting_) {
    add(
        "Seleciona",
        chooseAndClose(model_, list_, chosen_),
        [this] { return list_.canSelect(); }, true);
  }
  add("Ajuda", [this] { showHelp(model_, kListHelp); });
  add("Fecha", [this] { model_.requestClose(); });
  add("&Query", [this] { if (query_) query_(); }, [this] { return bool(query_); });
  add("Cria &Contas", [this] { missingAccounts(); });
  model_.addKey({.name = "Insert", .scope = "lista", .action = [this] { request(Request::kInsert); }});
  model_.addKey({.name = "Delete", .scope = "lista", .action = [this] { request(Request::kDelete); }});
}

void MissingAccountsScreen::declare() {
  model_.addList({.name = "faltando",
                  .headers = {"Código", "Razão Social", "Tipo", "Conta atual", "Conta", "Ação", "Motivo"},
                  .rows =
                      [this] {
                        std::vector<std::vector<std::string>> out;
                        for (const MissingAccount& r : rows_)
                          out.push_back({std::to_string(r.party), r.name, sideName(r.side), latin1ToUtf8(r.stored),
                                         latin1ToUtf8(r.account), planName(r.plan), r.reason});
                        return out;
                      },
                  .highlighted = [this] { return rows_.empty() ? std::optional<size_t>() : highlighted_; },
                  .highlight =
                      [this](size_t row) {
                        if (row >= rows_.size()) return Status(StatusCode::kOutOfRange, "linha inexistente");
                        highlighted_ = row;
                        return Status::ok();
                      }});
  model_.addControl({.name = "progresso", .prompt = "Progresso:", .kind = ControlKind::kDisplay,
                     .value = [this] { return progress_; }});
  model_.addList({.name = "relatorio",
                  .headers = {"Relatório"},
                  .rows =
                      [this] {
                        std::vector<std::vector<std::string>> out;
                        for (const std::string& l : log_) out.push_back({l});
                        return out;
                      },
                  .highlighted = [] { return std::optional<size_t>(); },
                  .highlight = [](size_t) { return Status(StatusCode::kInvalidArgument, "somente leitura"); }});
  model_.addButton({.caption = "&Cria Contas",
                    .press = [this] { create(); },
                    .enabled =
                        [this] {
                          for (const MissingAccount& r : rows_)
                            if (r.plan != AccountPlan::kSkip) return true;
                          return false;
                        },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Fecha", .press = [this] { model_.requestClose(); }});
  model_.setFocus("faltando");
}

}  // namespace vorlam::fiscal
