#include "ledger/registry_list.h"

#include <cstdlib>

#include "framework/screen_binding.h"
#include "storage/text.h"

namespace vorlam::ledger {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;  // "Arquivo %File não pôde ser aberto."

ListDefinition listDefinition(const RegistryListLayout& layout) {
  ListDefinition d;
  d.procedure = layout.procedure;
  d.title = layout.title;
  for (const RegistryListTab& t : layout.tabs) d.tabs.push_back(t.tab);
  d.deleteThroughForm = true;  // the forms ask "Confirma Exclusão" themselves
  return d;
}

}  // namespace

Status openBound(ScreenContext& context, Table& table, OpenMode mode) {
  const std::string path = context.resolve(table.def().binding);
  Status s = table.open(path, mode);
  if (!s) context.errors.throwFile(kMsgOpenFailed, path, s);
  return s;
}

RegistryList::RegistryList(shell::ScreenServices& services, RegistryListLayout layout, RegistryFormFactory form,
                           bool selecting)
    : HostedScreen(services),
      layout_(std::move(layout)),
      definition_(listDefinition(layout_)),
      form_(std::move(form)),
      selecting_(selecting),
      table_(context_.dictionary.find(layout_.table)),
      list_(context_, definition_, table_, selecting),
      model_(layout_.procedure, layout_.title) {
  list_.setFormOpener([this](Request r, const Record* row) { return runForm(r, row); });
}

Status RegistryList::open() {
  ProcedureScope procedure(errors_, layout_.procedure);
  Status s = openBound(context_, table_);
  // Part-name tabs filter by their variable: blank until the user types.
  for (const ListTabDefinition& t : definition_.tabs)
    if (!t.locatorVariable.empty()) list_.variables().set(t.locatorVariable, FilterValue::text(std::string(size_t(t.locatorWidth), ' ')));
  if (s) s = list_.open();
  if (!s) {
    model_.close();
    return Status::ok();
  }
  declare();
  return Status::ok();
}

std::vector<std::string> RegistryList::chosenKeys() const {
  return chosen_ ? primaryKeyTexts(*chosen_) : std::vector<std::string>{};
}

bool RegistryList::runForm(Request request, const Record* row) {
  if (request == Request::kView || !form_) return false;
  if (request != Request::kInsert && row == nullptr) return false;
  std::unique_ptr<RegistryForm> form = form_(context_, table_, request, row == nullptr ? 0 : row->recordId());
  if (!form) return false;
  model_.runChild(form->screen());
  return form->controller().state() == FormState::kCompleted;
}

void RegistryList::declare() {
  ListBinding binding;
  binding.format = layout_.format;
  binding.columnFields = layout_.columns;
  for (const RegistryListTab& t : layout_.tabs) binding.locatorPrompts.push_back(t.locatorPrompt);
  bindList(model_, list_, binding);
  model_.setFocus("lista");

  auto request = [this](Request r) {
    if (list_.canRequest(r)) list_.request(r);
  };
  model_.addButton({.caption = "&Incluir", .press = [request] { request(Request::kInsert); }});
  model_.addButton({.caption = "&Alterar",
                    .press = [request] { request(Request::kChange); },
                    .enabled = [this] { return list_.canRequest(Request::kChange); },
                    .isDefault = [this] { return !selecting_; }});
  model_.addButton({.caption = "&Excluir",
                    .press = [request] { request(Request::kDelete); },
                    .enabled = [this] { return list_.canRequest(Request::kDelete); }});
  if (selecting_) {
    model_.addButton({.caption = "&Selecionar",
                      .press =
                          [this] {
                            chosen_ = list_.chooseSelected();
                            if (chosen_) model_.close();
                          },
                      .enabled = [this] { return list_.canSelect(); },
                      .isDefault = [] { return true; }});
  }
  model_.addButton({.caption = "&Fechar", .tip = layout_.closeTip, .press = [this] { model_.requestClose(); }});
  model_.addKey({.name = "Insert", .scope = "lista", .action = [request] { request(Request::kInsert); }});
  model_.addKey({.name = "Delete", .scope = "lista", .action = [request] { request(Request::kDelete); }});
}

StandaloneRegistryForm::StandaloneRegistryForm(shell::ScreenServices& services, std::string table,
                                               std::string procedure, RegistryFormFactory form, Request request,
                                               std::vector<std::string> keys)
    : HostedScreen(services),
      table_(context_.dictionary.find(table)),
      factory_(std::move(form)),
      request_(request),
      keys_(std::move(keys)),
      placeholder_(std::move(procedure), "") {}

Status StandaloneRegistryForm::open() {
  if (Status s = openBound(context_, table_); !s) {
    placeholder_.close();
    return Status::ok();
  }
  int64_t id = 0;
  if (request_ != Request::kInsert) {
    const TableDef& def = table_.def();
    const int primary = def.primaryKey();
    if (primary < 0 || keys_.size() != def.keys[size_t(primary)].components.size())
      return Status(StatusCode::kNotFound, "informe o código do registro");
    table_.buffer().clear();
    for (size_t i = 0; i < keys_.size(); ++i)
      table_.buffer().setFromText(def.keys[size_t(primary)].components[i].field, utf8ToLatin1(keys_[i]));
    if (Status s = table_.get(primary); !s) return Status(StatusCode::kNotFound, "registro inexistente", keys_[0]);
    table_.endWalk();
    id = table_.buffer().recordId();
  }
  form_ = factory_(context_, table_, request_, id);
  if (!form_) {
    placeholder_.close();
    return Status::ok();
  }
  services_.attach(form_->screen());
  return Status::ok();
}

std::vector<std::string> runLookup(shell::ScreenServices& services, ScreenModel& parent, std::string_view procedure) {
  if (!services.has(procedure)) return {};
  Result<std::unique_ptr<Screen>> child = services.open(procedure, {.mode = "select"});
  if (!child.isOk() || !child.value()) return {};
  Screen& screen = *child.value();
  if (!screen.model().closed()) parent.runChild(screen.model());
  return screen.chosenKeys();
}

void addFormButtons(ScreenModel& model, FormController& form, const std::string& deleteTip) {
  auto finish = [&model](FormState state) {
    if (state != FormState::kOpen) model.close();
  };
  const bool deleting = form.request() == Request::kDelete;
  model.addButton({.caption = deleting ? "&Exclui" : "&Grava",
                   .tip = deleting ? deleteTip : std::string(),
                   .press = [&form, finish] { finish(form.ok()); },
                   .isDefault = [] { return true; }});
  model.addButton({.caption = "&Cancela", .press = [&form, finish] { finish(form.cancel()); }});
  model.setCloseRequest([&form] { return form.cancel() != FormState::kOpen; });
}

void registerRegistry(shell::ScreenRegistry& registry, const RegistryListLayout& layout, const std::string& formProcedure,
                      std::function<RegistryFormFactory(shell::ScreenServices&)> form) {
  registry.add(layout.procedure, [layout, form](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                   -> Result<std::unique_ptr<Screen>> {
    if (!r.mode.empty() && !r.selecting())
      return Status(StatusCode::kNotFound, "a lista abre só para selecionar", layout.procedure);
    return std::unique_ptr<Screen>(new RegistryList(s, layout, form(s), r.selecting()));
  });
  registry.add(formProcedure, [layout, formProcedure, form](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                  -> Result<std::unique_ptr<Screen>> {
    std::optional<Request> request = r.formRequest();
    if (!request) return Status(StatusCode::kNotFound, "pedido inválido para o formulário", formProcedure);
    return std::unique_ptr<Screen>(new StandaloneRegistryForm(s, layout.table, formProcedure, form(s), *request, r.keys));
  });
}

}  // namespace vorlam::ledger
