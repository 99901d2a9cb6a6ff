// The screen models of the structure list and form (framework/screen_model.h).

#include "chart/structure_form.h"
#include "chart/structure_list.h"
#include "framework/screen_binding.h"

namespace vorlam::chart {

namespace {

ControlKind kindOf(StructureControl c) {
  switch (c) {
    case StructureControl::kEntry: return ControlKind::kEntry;
    case StructureControl::kDropList: return ControlKind::kDropList;
    case StructureControl::kDisplay: return ControlKind::kDisplay;
  }
  return ControlKind::kEntry;
}

void showHelp(ScreenModel& model, const std::string& text) {
  if (model.dialogs() == nullptr) return;
  model.dialogs()->messageBox({"Ajuda", text, MessageIcon::kInformation, kButtonOk, kButtonOk});
}

}  // namespace

void StructureForm::declareScreen() {
  std::vector<FormFieldBinding> fields;
  for (const StructureFieldText& f : structureFormFields()) {
    FormFieldBinding b{.field = f.field, .prompt = f.prompt, .kind = kindOf(f.control), .picture = f.picture,
                       .tip = f.tip};
    for (const StructureChoice& c : f.choices) b.choices.push_back({std::to_string(c.value), c.caption});
    fields.push_back(std::move(b));
  }
  bindForm(model_, form_, fields);
  // The instruction and its worked example, below the fields.
  model_.addControl({.kind = ControlKind::kDisplay, .value = [] {
                       return std::string(kStructureFormInstruction) + "\n\n" + kStructureFormExample;
                     }});
  model_.setFocus(form_.request() == Request::kInsert ? "CONP:Codigo" : "CONP:Nome");

  const StructureFormButtons texts = structureFormButtons(form_.request());
  auto finish = [this](FormState state) {
    if (state != FormState::kOpen) model_.close();
  };
  model_.addButton({.caption = texts.ok.caption,
                    .tip = texts.ok.tip,
                    .status = texts.ok.status,
                    .press = [this, finish] { finish(form_.ok()); },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = texts.cancel.caption,
                    .tip = texts.cancel.tip,
                    .status = texts.cancel.status,
                    .press = [this, finish] { finish(form_.cancel()); }});
  model_.addButton({.caption = texts.help.caption,
                    .tip = texts.help.tip,
                    .status = texts.help.status,
                    .press = [this] { showHelp(model_, structureFormHelp()); }});
  model_.setCloseRequest([this] { return form_.cancel() != FormState::kOpen; });
}

void StructureList::declareScreen() {
  ListBinding binding;
  binding.format = kStructureListFormat;
  for (const char* field : structureListColumns()) binding.columnFields.push_back(field);
  for (const StructureListTab& t : structureListTabs()) binding.locatorPrompts.push_back(t.locatorPrompt);
  // The line above the list.
  model_.addControl({.kind = ControlKind::kDisplay, .value = [] { return std::string(kStructureListTip); }});
  bindList(model_, list_, binding);
  model_.addControl({.prompt = kSelectedFormatPrompt,
                     .kind = ControlKind::kDisplay,
                     .value = [this] { return currentFormat(); }});
  model_.setFocus("lista");

  const StructureListButton byDefault = structureListDefault(selecting_);
  for (StructureListButton b : structureListButtons(selecting_)) {
    const ButtonText text = structureListButton(b, selecting_);
    ScreenButton button{.caption = text.caption, .tip = text.tip, .status = text.status};
    if (b == byDefault) button.isDefault = [] { return true; };
    switch (b) {
      case StructureListButton::kInsert:
        button.press = [this] { request(Request::kInsert); };
        break;
      case StructureListButton::kChange:
      case StructureListButton::kDelete: {
        const Request r = b == StructureListButton::kChange ? Request::kChange : Request::kDelete;
        button.press = [this, r] { request(r); };
        button.enabled = [this, r] { return list_.canRequest(r); };
        break;
      }
      case StructureListButton::kSelect:
        button.press = chooseAndClose(model_, list_, chosen_);
        button.enabled = [this] { return list_.canSelect(); };
        break;
      case StructureListButton::kHelp:
        button.press = [this] { showHelp(model_, structureListHelp()); };
        break;
      case StructureListButton::kClose:
        button.press = [this] { model_.requestClose(); };
        break;
    }
    model_.addButton(std::move(button));
  }
  model_.addKey({.name = "Insert", .scope = "lista", .action = [this] { request(Request::kInsert); }});
  model_.addKey({.name = "Delete", .scope = "lista", .action = [this] {
                   if (list_.canRequest(Request::kDelete)) request(Request::kDelete);
                 }});
}

}  // namespace vorlam::chart
