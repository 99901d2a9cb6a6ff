#include "registry/reference_screen.h"

namespace vorlam::registry {

namespace {

constexpr char kChangeSelected[] = "Altera Registro Selecionado";

std::string modeWord(Request request) {
  switch (request) {
    case Request::kInsert: return "insert";
    case Request::kChange: return "change";
    case Request::kDelete: return "delete";
    case Request::kView: return "view";
  }
  return {};
}

ListDefinition listDefinition(const ReferenceListLayout& layout) {
  ListDefinition d;
  d.procedure = layout.procedure;
  d.title = layout.title;
  d.tabs = layout.tabs;
  d.deleteThroughForm = true;  // the form asks "Confirma Exclusão" itself
  return d;
}

}  // namespace

ReferenceList::ReferenceList(shell::ScreenServices& services, ReferenceListLayout layout, bool selecting)
    : HostedScreen(services),
      layout_(std::move(layout)),
      selecting_(selecting),
      definition_(listDefinition(layout_)),
      table_(context_.dictionary.find(layout_.table)),
      list_(context_, definition_, table_, selecting),
      model_(layout_.procedure, layout_.title) {
  list_.setFormOpener([this](Request r, const Record* row) { return runForm(r, row); });
}

Status ReferenceList::open() {
  ProcedureScope procedure(errors_, layout_.procedure);
  Status s = openBound(context_, table_);
  if (s) s = list_.open();
  if (!s) {
    model_.close();
    return Status::ok();  // reported
  }
  declare();
  return Status::ok();
}

std::vector<std::string> ReferenceList::chosenKeys() const {
  if (!chosen_) return {};
  return primaryKeyTexts(*chosen_);
}

void ReferenceList::declare() {
  ListBinding binding;
  binding.format = layout_.format;
  binding.columnFields = layout_.columns;
  for (size_t t = 0; t < layout_.tabs.size(); ++t) {
    const bool partName = !layout_.tabs[t].locatorVariable.empty();
    binding.locatorPrompts.push_back(partName ? "" : layout_.locatorPrompts[t]);
  }
  bindList(model_, list_, binding);
  // The part-name entries: completing one filters and goes to the list.
  for (size_t t = 0; t < layout_.tabs.size(); ++t) {
    const ListTabDefinition& tab = layout_.tabs[t];
    if (tab.locatorVariable.empty()) continue;
    const int index = static_cast<int>(t);
    model_.addControl({.name = tab.locatorVariable,
                       .prompt = layout_.locatorPrompts[t],
                       .picture = "@s" + std::to_string(tab.locatorWidth),
                       .text = true,
                       .value = [this] { return list_.locatorText(); },
                       .complete =
                           [this](const std::string& v) {
                             Status s = list_.locate(v);
                             model_.setFocus("lista");
                             return s;
                           },
                       .state = [this, index] {
                         return ControlState{.visible = list_.currentTab() == index};
                       }});
    // Enter in the entry acts as Tab does.
    model_.addKey({.name = "Enter", .scope = tab.locatorVariable, .action = [this] { model_.setFocus("lista"); }});
  }
  model_.setFocus("lista");
  declareButtons();
}

void ReferenceList::declareButtons() {
  const bool hasForm = !layout_.formProcedure.empty() && services_.has(layout_.formProcedure);
  const Request requests[] = {Request::kInsert, Request::kChange, Request::kDelete};
  for (size_t i = 0; i < 3; ++i) {
    const Request r = requests[i];
    ScreenButton b{.caption = layout_.buttons[i].caption, .tip = layout_.buttons[i].tip};
    if (r == Request::kChange && !selecting_) b.tip = b.status = kChangeSelected;
    b.press = [this, r] { list_.request(r); };
    b.enabled = [this, r, hasForm] { return hasForm && list_.canRequest(r); };
    if (r == Request::kChange && !selecting_) b.isDefault = [] { return true; };
    model_.addButton(std::move(b));
  }
  if (selecting_) {
    model_.addButton({.caption = layout_.buttons[3].caption,
                      .tip = layout_.selectTip,
                      .press =
                          [this] {
                            chosen_ = list_.chooseSelected();
                            if (chosen_) model_.close();
                          },
                      .enabled = [this] { return list_.canSelect(); },
                      .isDefault = [] { return true; }});
  }
  if (layout_.queryButtons) {
    model_.addButton({.caption = "&Limpa", .tip = "Cancela o filtro", .press = [this] { list_.clearQuery(); }});
    model_.addButton({.caption = "&Filtro", .tip = "Filtra os funcionários", .press = [this] {
                        if (query_) query_();
                      }});
  }
  if (!layout_.legendProcedure.empty()) {
    const std::string legend = layout_.legendProcedure;
    model_.addButton({.caption = "&Legenda",
                      .press =
                          [this, legend] {
                            Result<std::unique_ptr<Screen>> child = services_.open(legend, {});
                            if (child.isOk()) model_.runChild(child.value()->model());
                          },
                      .enabled = [this, legend] { return services_.has(legend); }});
  }
  model_.addButton({.caption = "&Fechar", .press = [this] { model_.requestClose(); }});
  model_.addKey({.name = "Insert", .scope = "lista", .action = [this, hasForm] {
                   if (hasForm) list_.request(Request::kInsert);
                 }});
  model_.addKey({.name = "Delete", .scope = "lista", .action = [this, hasForm] {
                   if (hasForm && list_.canRequest(Request::kDelete)) list_.request(Request::kDelete);
                 }});
}

bool ReferenceList::runForm(Request request, const Record* row) {
  shell::ScreenRequest r{.mode = modeWord(request)};
  if (row != nullptr) r.keys = primaryKeyTexts(*row);
  Result<std::unique_ptr<Screen>> child = services_.open(layout_.formProcedure, r);
  if (!child.isOk()) return false;
  Screen& screen = *child.value();
  if (!screen.model().closed()) model_.runChild(screen.model());
  auto* form = dynamic_cast<ReferenceForm*>(&screen);
  if (form == nullptr) {
    // A form of another subsystem: what it did is not known here.
    list_.refresh();
    return false;
  }
  if (!form->completed()) return false;
  // After an insert the list looks for the record where the buffer says.
  if (request == Request::kInsert) table_.buffer() = form->record();
  return true;
}

ReferenceForm::ReferenceForm(shell::ScreenServices& services, ReferenceFormLayout layout, Request request,
                             std::vector<std::string> keys)
    : HostedScreen(services),
      layout_(std::move(layout)),
      request_(request),
      keys_(std::move(keys)),
      table_(context_.dictionary.find(layout_.table)),
      model_(layout_.definition.procedure, layout_.definition.title) {}

Status ReferenceForm::open() {
  ProcedureScope procedure(errors_, layout_.definition.procedure);
  if (!openBound(context_, table_)) {
    model_.close();
    return Status::ok();  // reported
  }
  int64_t id = 0;
  if (request_ != Request::kInsert) {
    Result<int64_t> found = findRecord(table_, keys_);
    if (!found.isOk()) return found.status();
    id = found.value();
  }
  form_ = std::make_unique<FormController>(context_, layout_.definition, table_, request_);
  // A code the user types is kept; a zero is numbered.
  form_->setKeepNumbers(true);
  const FormState state = request_ == Request::kInsert ? form_->openNew() : form_->openRecord(id);
  if (!layout_.heading.empty()) model_.addControl({.prompt = layout_.heading, .kind = ControlKind::kDisplay,
                                                 .value = [] { return std::string(); }});
  bindForm(model_, *form_, layout_.fields);
  extend();
  const bool deleting = request_ == Request::kDelete;
  addFormButtons(model_, *form_, deleting ? layout_.deleteOk : layout_.ok, deleting ? layout_.deleteCancel : layout_.cancel,
                 layout_.help, layout_.helpText);
  model_.setFocus(layout_.fields.front().field);
  if (state != FormState::kOpen) model_.close();
  return Status::ok();
}

}  // namespace vorlam::registry
