// The screen model of the company form: its three tabs, the fields with
// their reactions, the buttons and lookups, and the three child lists.

#include <cstdlib>

#include "framework/screen_binding.h"
#include "registry/company_form.h"
#include "registry/integration_references.h"
#include "registry/taxpayer_numbers.h"
#include "storage/text.h"

namespace vorlam::registry {

struct CompanyForm::ChildText {
  const char* list;
  const char* table;
  const char* key;
  const char* rangeField;
  const char* format;
  std::vector<const char*> columns;
  const char* form;
  int tab;
  std::array<std::pair<const char*, const char*>, 3> buttons;  // insert, change, delete: caption, tip
};


namespace {

ControlKind kindOf(CompanyControl c) {
  switch (c) {
    case CompanyControl::kEntry: return ControlKind::kEntry;
    case CompanyControl::kRadio: return ControlKind::kRadioGroup;
    case CompanyControl::kDropList: return ControlKind::kDropList;
    case CompanyControl::kDisplay: return ControlKind::kDisplay;
  }
  return ControlKind::kEntry;
}

using ChildText = CompanyForm::ChildText;

const ChildText& childText(int i) {
  static const ChildText kChildren[] = {
      {"filiais", "Filiais", "Filiais:Key:CodigoMatrizFilial", "Filiais:Matriz",
       "28R(2)|M~Código~C(0)@n6@160L(2)|M~Razão Social~@s40@0L(2)|M~Contabilidade~@n3@40C(2)|M~Unificação~@s1@",
       {"Filiais:Filial", "", "Filiais:Contabilidade", ""}, kBranchChildForm, 1,
       {{{"&Inclusão", "Seleciona nova filial."},
         {"Alteração", "Altera filial selecionada."},
         {"&Exclui", "Exclui filial selecionada."}}}},
      {"integracao", "Contas_Integracao_Contabil", "CIC:KEY:CODIGO_EMPRESA_REFERENCIA", "CIC:CODIGO_EMPRESA",
       "0R(2)|M~Empresa~C(0)@n6@20R(2)|M~Código~C(0)@n3@200L(2)|M~Imposto~@s50@120L(2)|M~Conta Débito~@s40@"
       "120L(2)|M~Conta Crédito~@s40@28R(2)|M~Histórico~C(0)@n6@200L(2)|M~Complemento~@s255@",
       {"CIC:CODIGO_EMPRESA", "CIC:CODIGO_REFERENCIA", "", "CIC:CONTA_DEBITO", "CIC:CONTA_CREDITO",
        "CIC:HISTORICO", "CIC:COMPLEMENTO"},
       kIntegrationChildForm, 1,
       {{{"&Incluir", "Incluir integração imposto/baixa de impostos."},
         {"&Alterar", "Alterar integração imposto/baixa de impostos."},
         {"&Excluir", "Excluir integração imposto/baixa de impostos."}}}},
      {"alteracoes", "AltContratuais", "AltCont:Key:Codigo", "ALTCONT:CODIGO",
       "28R(2)|M~Código~C(0)@n6@40R(2)|M~Data~C(0)@d06b@28R(2)|M~Código da Alteração~C(0)@n3@"
       "160L(2)|M~Observação~@s40@60D(12)|M~Valor~C(0)@n-15.2@0R(2)|M~Cod Alt Escrita~C(0)@n3@",
       {"ALTCONT:CODIGO", "ALTCONT:DATA", "ALTCONT:CODALT", "ALTCONT:OBS", "ALTCONT:VALOR",
        "ALTCONT:CODALTESCRITA"},
       kChangeChildForm, 2,
       {{{"&Inclui", ""}, {"&Altera", ""}, {"&Exclui", ""}}}},
  };
  return kChildren[i];
}

}  // namespace

void CompanyForm::declareScreen() {
  for (int i = 0; i < 3; ++i) {
    model_.addTab({.caption = kCompanyFormTabs[i],
                   .current = [this, i] { return tab_ == i; },
                   .select = [this, i] { tab_ = i; }});
  }
  declareButtons();
  declareFields();
  declareChildren();
  model_.setTitle([this] { return form_->caption(); });
  model_.addAfterAction([this] {
    const int f = form_->takeFocusRequest();
    if (f < 0) return;
    // The field's tab comes to the front with it.
    const std::string& name = empresa_.def().fields[size_t(f)].name;
    for (const CompanyFieldText& t : companyFormFields())
      if (sameName(t.field, name)) tab_ = t.tab;
    model_.setFocus(name);
  });
  model_.setCloseRequest([this] {
    const FormState state = form_->cancel();
    if (state == FormState::kOpen) return false;
    finished_ = true;
    clearCurrent();
    return true;
  });
}

std::vector<ControlChoice> CompanyForm::stateChoices() {
  std::vector<ControlChoice> out;
  if (!estados_.isOpen()) return out;
  const TableDef& d = estados_.def();
  if (!estados_.seekStart(d.keyIndex("EST:KEY:SIGLA"))) return out;
  while (estados_.next()) {
    const std::string uf = latin1ToUtf8(estados_.buffer().getAsText(d.fieldIndex("EST:UF")));
    const std::string desc = latin1ToUtf8(estados_.buffer().getAsText(d.fieldIndex("EST:DESC")));
    out.push_back({uf, uf + " " + desc});
  }
  estados_.endWalk();
  return out;
}

std::vector<std::vector<std::string>> CompanyForm::municipalityRows() {
  const std::string uf = textOf("EMP:UF");
  if (uf == municipalityUf_) return municipalityRows_;
  std::vector<std::vector<std::string>> rows;
  municipalityUf_ = uf;
  municipalityRows_.clear();
  municipalityNames_.clear();
  if (!municipios_.isOpen() || uf.empty()) return rows;
  const TableDef& d = municipios_.def();
  if (!municipios_.seekStart(d.keyIndex("MUN:KEY:NOME"))) return rows;
  const int state = d.fieldIndex("MUN:ESTADO"), name = d.fieldIndex("MUN:Nome");
  while (municipios_.next()) {
    if (latin1ToUtf8(municipios_.buffer().getAsText(state)) != uf) continue;
    municipalityNames_.push_back(latin1ToUtf8(municipios_.buffer().getAsText(name)));
    rows.push_back({cutCharacters(municipalityNames_.back(), 25)});
  }
  municipios_.endWalk();
  municipalityRows_ = rows;
  return rows;
}

void CompanyForm::declareFields() {
  for (const CompanyFieldText& f : companyFormFields()) {
    const int index = field(f.field);
    const std::string name = f.field;
    ScreenControl c{.name = f.field,
                    .prompt = f.prompt,
                    .kind = kindOf(f.control),
                    .picture = f.picture,
                    .tip = f.tip,
                    .tab = f.tab,
                    .text = empresa_.def().fields[size_t(index)].isText()};
    for (const CompanyChoice& choice : f.choices) c.choices.push_back({std::to_string(choice.value), choice.caption});
    if (sameName(name, "EMP:UF")) c.choices = stateChoices();
    if (sameName(name, "EMP:CGC")) {
      c.format = [](const std::string& v) { return formatCnpj(v); };
      c.parse = [](std::string_view t) { return parseCnpj(t); };
    } else if (sameName(name, "EMP:CPF")) {
      c.format = [](const std::string& v) { return formatCpf(v); };
      c.parse = [](std::string_view t) { return parseCpf(t); };
    }
    c.value = [this, index] { return form_->text(index); };
    c.state = [this, index] {
      const FieldState s = form_->fieldState(index);
      return ControlState{s.enabled, s.visible, s.readOnly};
    };
    c.complete = [this, index, name](const std::string& v) -> Status {
      if (sameName(name, "EMP:Codigo") && std::strtoll(v.c_str(), nullptr, 10) > int64_t(kMaxCompanyCode)) {
        warn(kCodeTooLargeMessage, kWarning, "EMP:Codigo");
        return Status(StatusCode::kOutOfRange, kCodeTooLargeMessage);
      }
      Status s = form_->type(index, v);
      if (!s) {
        warn(s.message(), kWarning, nullptr);
        form_->requestFocus(index);
        return s;
      }
      form_->validateField(index);
      return reaction(name);
    };
    model_.addControl(std::move(c));
    if (sameName(name, "EMP:Cidade")) {
      model_.addList({.name = "municipios",
                      .headers = {"Nome"},
                      .tab = 0,
                      .rows = [this] { return municipalityRows(); },
                      .highlighted = [] { return std::optional<size_t>(); },
                      .highlight = [this, index](size_t row) -> Status {
                        const auto rows = municipalityRows();
                        if (row >= rows.size()) return Status(StatusCode::kOutOfRange, "linha");
                        // The list shows 25 characters; the name is read whole.
                        Status s = form_->type(index, municipalityNames_[row]);
                        return s ? reaction("EMP:Cidade") : s;
                      }});
    }
    if (sameName(name, "EMP:CodRespCTB"))
      model_.addControl({.name = "Fun:Nome", .kind = ControlKind::kDisplay, .picture = "@s40", .tab = 0,
                         .value = [this] { return responsibleName_; }});
  }
}

void CompanyForm::declareButtons() {
  const bool deleting = request_ == Request::kDelete;
  model_.addButton({.caption = deleting ? "&Exclui" : "&Gravar",
                    .tip = deleting ? "Exclui a Empresa exibida na janela" : "",
                    .press =
                        [this] {
                          if (checkSave()) finish(form_->ok());
                        },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = deleting ? "&Cancela" : "&Cancelar",
                    .tip = deleting ? "Cancela exclusão da Empresa exibida na janela" : "",
                    .press = [this] { finish(form_->cancel()); }});
  model_.addButton({.caption = "&Ajuda", .press = [this] {
                      ctx_.errors.message(
                          "Cadastro da empresa: dados cadastrais, integração com clientes e fornecedores, filiais e "
                          "alterações contratuais.|Ao gravar uma alteração de opção do Simples, tipo de apuração ou "
                          "plano de contas, o sistema pergunta se deve registrá-la nas alterações contratuais.",
                          "Ajuda", MessageIcon::kInformation, kButtonOk, kButtonOk);
                    }});
  const bool editing = request_ == Request::kInsert || request_ == Request::kChange;
  const std::pair<const char*, const char*> lookups[] = {{"EMP:CNAE", kCnaeLookup},
                                                         {"EMP:CodRespCTB", kResponsibleLookup},
                                                         {"EMP:CodigoPlanoContas", kStructureLookup}};
  const char* tips[] = {"Pesquisa na Tabela de C.N.A.E.", "Tabela de responsáveis",
                        "Pesquisa na Tabela da Configuração do Plano de Contas"};
  for (size_t i = 0; i < std::size(lookups); ++i) {
    const char* name = lookups[i].first;
    const char* procedure = lookups[i].second;
    model_.addButton({.tip = tips[i],
                      .tab = 0,
                      .press = [this, name] {
                        if (pick(name)) form_->requestFocus(field(name));
                      },
                      .enabled = [this, editing, procedure, name] {
                        return editing && services_.has(procedure) && form_->fieldState(field(name)).enabled;
                      }});
  }
  model_.addButton({.name = "logo",
                    .tip = "Logotipo da empresa",
                    .tab = 0,
                    .press = [this] { chooseLogo(); },
                    .enabled = [this, editing] { return editing && logoChooser_ != nullptr; }});
}

void CompanyForm::declareChildren() {
  const uint16_t code = static_cast<uint16_t>(intOf("EMP:Codigo"));
  for (int i = 0; i < 3; ++i) {
    const ChildText& text = childText(i);
    auto child = std::make_unique<Child>(ctx_.dictionary.find(text.table));
    child->text = &text;
    child->definition.procedure = kCompanyFormProcedure;
    child->definition.title = kCompanyFormTitle;
    child->definition.tabs.push_back({"", text.key, "", "", 0, ""});
    child->definition.rangeFields = {text.rangeField};
    const std::string path = ctx_.resolve(child->table.def().binding);
    if (!path.empty()) (void)child->table.open(path, OpenMode::kReadOnly);
    child->list = std::make_unique<ListController>(ctx_, child->definition, child->table);
    Record range(&child->table.def());
    range.setInt(child->table.def().fieldIndex(text.rangeField), code);
    child->list->setRange(range);
    if (child->table.isOpen()) (void)child->list->open(0);
    Child* c = child.get();
    ListBinding binding{.name = text.list, .format = text.format, .tab = text.tab};
    for (const char* f : text.columns) binding.columnFields.push_back(f);
    binding.locatorPrompts = {""};
    if (i == 0) {
      binding.cellText = [this](const Record& row, int column) -> std::optional<std::string> {
        const TableDef& d = row.def();
        if (column == 3) return row.getInt(d.fieldIndex("Filiais:Contabilidade")) != 0 ? "X" : "";
        if (column != 1 || !empresa0_.isOpen()) return std::nullopt;
        const TableDef& e = empresa0_.def();
        empresa0_.buffer().clear();
        empresa0_.buffer().setInt(e.fieldIndex("EMP0:Codigo"), row.getInt(d.fieldIndex("Filiais:Filial")));
        Status s = empresa0_.get(e.primaryKey());
        empresa0_.endWalk();
        return s ? latin1ToUtf8(empresa0_.buffer().getAsText(e.fieldIndex("EMP0:RazaoSocial"))) : "";
      };
    } else if (i == 1) {
      binding.cellText = [](const Record& row, int column) -> std::optional<std::string> {
        if (column != 2) return std::nullopt;
        const int64_t ref = row.getInt(row.def().fieldIndex("CIC:CODIGO_REFERENCIA"));
        return cutCharacters(std::string(integrationReferenceText(int(ref))), 50);
      };
    }
    if (c->table.isOpen()) (void)bindList(model_, *c->list, binding);
    const Request requests[] = {Request::kInsert, Request::kChange, Request::kDelete};
    for (int b = 0; b < 3; ++b) {
      const Request r = requests[b];
      model_.addButton({.caption = text.buttons[size_t(b)].first,
                        .tip = text.buttons[size_t(b)].second,
                        .tab = text.tab,
                        .press = [this, c, r] { openChild(*c, r); },
                        .enabled = [this, c, r] {
                          const bool editing = request_ == Request::kInsert || request_ == Request::kChange;
                          return editing && c->table.isOpen() && services_.has(c->text->form) &&
                                 intOf("EMP:Codigo") != 0 && (r == Request::kInsert || c->list->selected());
                        }});
    }
    children_.push_back(std::move(child));
  }
}

void CompanyForm::openChild(Child& child, Request request) {
  shell::ScreenRequest r;
  r.mode = request == Request::kInsert ? "insert" : request == Request::kChange ? "change" : "delete";
  if (request == Request::kInsert) {
    r.keys = {std::to_string(intOf("EMP:Codigo"))};
  } else {
    const Record* row = child.list->selected();
    if (row == nullptr) return;
    r.keys = primaryKeyTexts(*row);
  }
  Result<std::unique_ptr<Screen>> form = services_.open(child.text->form, r);
  if (!form.isOk()) return;
  if (!form.value()->model().closed()) model_.runChild(form.value()->model());
  rangeChildren();
}

void CompanyForm::rangeChildren() {
  for (const std::unique_ptr<Child>& child : children_) {
    if (!child->table.isOpen()) continue;
    Record range(&child->table.def());
    range.setInt(child->table.def().fieldIndex(child->text->rangeField), intOf("EMP:Codigo"));
    (void)child->list->setRange(range);
  }
}

}  // namespace vorlam::registry
