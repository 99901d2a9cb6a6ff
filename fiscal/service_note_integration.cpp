#include "fiscal/service_note_integration.h"

#include "framework/screen_binding.h"

namespace vorlam::fiscal {

namespace {

FormDefinition integrationDefinition(const ServiceNoteLayout& l) {
  FormDefinition d;
  d.procedure = l.integrationProcedure;
  d.title = l.integrationTitle;
  d.insertCaption = "Inclusão de integração.";
  d.changeCaption = "Altera integração";
  d.deleteCaption = "Exclui integração";
  for (const NoteGroup& g : l.groups)
    for (const std::string* f : {&g.debit, &g.credit, &g.history, &g.complement}) d.fields.push_back(*f);
  return d;
}

IntegrationPolicy policyOf(shell::ScreenServices& services) {
  shell::Session& session = services.session();
  return {.checked = postingAccountsChecked(session.settings(), session.state().dataRoot()),
          .partyWords = kPartyWords};
}

// The chart of accounts and the standard histories, opened by procedure
// name over `over` to choose a value.
IntegrationSearch searchOver(shell::ScreenServices& services, ScreenModel& over) {
  return {.open = [&services, &over](LookupKind kind) { return openPostingSearch(services, &over, kind); },
          .available = [&services](LookupKind kind) { return postingSearchAvailable(services, kind); }};
}

}  // namespace

ServiceNoteIntegration::ServiceNoteIntegration(ScreenContext& context, const ServiceNoteLayout& layout,
                                               Table& table, Request request, size_t group,
                                               PostingLookup& lookup, shell::ScreenServices& services)
    : layout_(layout),
      group_(group),
      services_(services),
      definition_(integrationDefinition(layout)),
      form_(context, definition_, table, request == Request::kChange ? Request::kChange : Request::kView),
      fields_(form_),
      rules_(lookup, context.errors, fields_, policyOf(services)),
      model_(layout.integrationProcedure, layout.integrationTitle) {
  for (const NoteGroup& g : layout.groups)
    groups_.push_back({.title = g.title, .debit = g.debit, .credit = g.credit, .history = g.history,
                       .complement = g.complement});
  // The note's other values are the fiscal books' own: a stored value this
  // form cannot edit never keeps the integration from being saved.
  form_.setCheckShownFieldsOnly(true);
  form_.setValidator([this](FormController&) { return rules_.checkGroup(groups_[group_]); });
}

FormState ServiceNoteIntegration::open(int64_t recordId) {
  const FormState state = form_.openRecord(recordId);
  if (state != FormState::kOpen) return state;
  for (const IntegrationGroup& g : groups_) rules_.describe(g);
  declareScreen();
  return state;
}

void ServiceNoteIntegration::declareScreen() {
  model_.setTitle([this] { return form_.caption(); });
  model_.addControl({.name = "LOC:Janela", .kind = ControlKind::kDisplay,
                     .value = [this] { return layout_.integrationTitle; }});
  const IntegrationSearch search = searchOver(services_, model_);
  for (size_t g = 0; g < groups_.size(); ++g) {
    const NoteGroup& group = layout_.groups[g];
    model_.addControl({.name = "LOC:Grupo_" + group.button.substr(group.button.find('_') + 1),
                       .kind = ControlKind::kDisplay,
                       .value = [&group] { return group.caption; }});
    IntegrationGroupScreen screen;
    screen.complementPicture = group.complementPicture;
    screen.editable = [this, g] { return g == group_ && form_.request() == Request::kChange; };
    declareIntegrationGroup(model_, rules_, groups_[g], screen, search);
  }
  model_.setFocus(groups_[group_].debit);
  model_.addButton({.caption = "&OK", .press = [this] { save(); }, .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Cancela", .press = [this] {
                      if (form_.cancel() != FormState::kOpen) model_.close();
                    }});
  model_.addKey({.name = "Esc", .action = [this] { model_.requestClose(); }});
  model_.setCloseRequest([this] { return form_.cancel() != FormState::kOpen; });
}

void ServiceNoteIntegration::save() {
  if (form_.ok() != FormState::kOpen) {
    model_.close();
    return;
  }
  if (std::optional<std::string> focus = rules_.takeFocus()) model_.setFocus(*focus);
}

}  // namespace vorlam::fiscal
