#include "shell/record_list.h"

#include "framework/screen_binding.h"

namespace vorlam::shell {

namespace {

std::string modeWord(Request request) {
  switch (request) {
    case Request::kInsert: return "insert";
    case Request::kChange: return "change";
    case Request::kDelete: return "delete";
    case Request::kView: return "view";
  }
  return {};
}

ListDefinition listDefinition(const RecordListLayout& layout) {
  ListDefinition d;
  d.procedure = layout.procedure;
  d.title = layout.title;
  d.tabs = layout.tabs;
  d.deleteThroughForm = true;  // the form asks "Confirma Exclusão" itself
  return d;
}

bool isPartName(const ListTabDefinition& tab) { return !tab.locatorVariable.empty(); }

}  // namespace

RecordList::RecordList(ScreenServices& services, RecordListLayout layout, bool selecting)
    : HostedScreen(services),
      layout_(std::move(layout)),
      selecting_(selecting),
      definition_(listDefinition(layout_)),
      table_(context_.dictionary.find(layout_.table)),
      list_(context_, definition_, table_, selecting),
      model_(layout_.procedure, layout_.title) {
  list_.setFormOpener([this](Request r, const Record* row) { return runForm(r, row); });
}

Status RecordList::open() {
  ProcedureScope procedure(errors_, layout_.procedure);
  Status s = openBound(context_, table_);
  // A part-name filter typed into the list's locator starts blank: every
  // record matches until the user types.
  if (!layout_.partNameEntries) {
    for (const ListTabDefinition& t : definition_.tabs)
      if (isPartName(t)) list_.variables().set(t.locatorVariable, FilterValue::text(std::string(size_t(t.locatorWidth), ' ')));
  }
  if (s) s = list_.open();
  if (!s) {
    model_.close();
    return Status::ok();  // reported
  }
  declare();
  return Status::ok();
}

std::vector<std::string> RecordList::chosenKeys() const {
  if (!chosen_) return {};
  return primaryKeyTexts(*chosen_);
}

void RecordList::declare() {
  ListBinding binding;
  binding.format = layout_.format;
  binding.columnFields = layout_.columns;
  for (size_t t = 0; t < layout_.tabs.size(); ++t) {
    const std::string prompt = t < layout_.locatorPrompts.size() ? layout_.locatorPrompts[t] : std::string();
    const bool ownEntry = layout_.partNameEntries && isPartName(layout_.tabs[t]);
    binding.locatorPrompts.push_back(ownEntry ? std::string() : prompt);
  }
  bindList(model_, list_, binding);
  if (layout_.partNameEntries) declarePartNameEntries();
  model_.setFocus("lista");
  declareButtons();
}

void RecordList::declarePartNameEntries() {
  for (size_t t = 0; t < layout_.tabs.size(); ++t) {
    const ListTabDefinition& tab = layout_.tabs[t];
    if (!isPartName(tab)) continue;
    const int index = static_cast<int>(t);
    model_.addControl({.name = tab.locatorVariable,
                       .prompt = t < layout_.locatorPrompts.size() ? layout_.locatorPrompts[t] : std::string(),
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
}

void RecordList::declareButtons() {
  const bool hasForm = !layout_.formProcedure.empty() && services_.has(layout_.formProcedure);
  const Request requests[] = {Request::kInsert, Request::kChange, Request::kDelete};
  for (size_t i = 0; i < 3 && i < layout_.buttons.size(); ++i) {
    const Request r = requests[i];
    ScreenButton b{.caption = layout_.buttons[i].caption, .tip = layout_.buttons[i].tip};
    if (r == Request::kChange && !selecting_ && !layout_.changeStatus.empty()) b.tip = b.status = layout_.changeStatus;
    b.press = [this, r] {
      if (list_.canRequest(r)) list_.request(r);
    };
    b.enabled = [this, r, hasForm] { return hasForm && list_.canRequest(r); };
    if (r == Request::kChange && !selecting_) b.isDefault = [] { return true; };
    model_.addButton(std::move(b));
  }
  if (selecting_ && layout_.buttons.size() > 3) {
    model_.addButton({.caption = layout_.buttons[3].caption,
                      .tip = layout_.selectTip,
                      .press =
                          chooseAndClose(model_, list_, chosen_),
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
  model_.addButton({.caption = "&Fechar", .tip = layout_.closeTip, .press = [this] { model_.requestClose(); }});
  model_.addKey({.name = "Insert", .scope = "lista", .action = [this, hasForm] {
                   if (hasForm && list_.canRequest(Request::kInsert)) list_.request(Request::kInsert);
                 }});
  model_.addKey({.name = "Delete", .scope = "lista", .action = [this, hasForm] {
                   if (hasForm && list_.canRequest(Request::kDelete)) list_.request(Request::kDelete);
                 }});
}

bool RecordList::runForm(Request request, const Record* row) {
  ScreenRequest r{.mode = modeWord(request)};
  if (row != nullptr) r.keys = primaryKeyTexts(*row);
  Result<std::unique_ptr<Screen>> child = services_.open(layout_.formProcedure, r);
  if (!child.isOk()) return false;
  Screen& screen = *child.value();
  if (!screen.model().closed()) model_.runChild(screen.model());
  auto* form = dynamic_cast<RecordForm*>(&screen);
  if (form == nullptr) {
    // A form that does not say what it did: show the file as it is now.
    list_.refresh();
    return false;
  }
  if (!form->completed()) return false;
  // After an insert the list looks for the record where the buffer says.
  if (request == Request::kInsert) table_.buffer() = form->record();
  return true;
}

ScreenFactory recordListFactory(std::function<RecordListLayout()> layout) {
  return [layout](ScreenServices& s, const ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
    if (!r.mode.empty() && !r.selecting())
      return Status(StatusCode::kNotFound, "a lista abre só para selecionar", r.mode);
    return std::unique_ptr<Screen>(new RecordList(s, layout(), r.selecting()));
  };
}

}  // namespace vorlam::shell
