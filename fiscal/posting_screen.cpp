#include "fiscal/posting_screen.h"

#include "framework/screen_binding.h"

namespace vorlam::fiscal {

namespace {

std::string bare(std::string_view field) {
  const size_t colon = field.find(':');
  return std::string(colon == std::string_view::npos ? field : field.substr(colon + 1));
}

}  // namespace

std::string descriptionControl(std::string_view field) { return "LOC:DESC_" + bare(field); }

std::string searchButton(std::string_view field) { return "Pesquisa_" + bare(field); }

Status declarePostingGroup(ScreenModel& model, FormController& form, PostingRules& rules,
                           const PostingGroup& group, const PostingGroupScreen& screen) {
  const std::function<bool()> shown = screen.shown ? screen.shown : [] { return true; };
  auto entry = [&](const std::string& field, const char* prompt, const std::string& picture) {
    return bindForm(model, form, {{.field = field, .prompt = prompt, .picture = picture, .tab = screen.tab}});
  };
  auto described = [&](const std::string& field, const char* prompt, const std::string& picture) {
    if (Status s = entry(field, prompt, picture); !s) return s;
    PostingRules* r = &rules;
    model.addControl({.name = descriptionControl(field),
                      .kind = ControlKind::kDisplay,
                      .tab = screen.tab,
                      .value = [r, field] { return r->description(field); },
                      .state = [shown] { return ControlState{true, shown(), true}; }});
    model.addButton({.name = searchButton(field),
                     .tip = "Pesquisa",
                     .tab = screen.tab,
                     .press = [r, field] { r->search(field); },
                     .enabled = [r, field] { return r->searchAvailable(field); },
                     .visible = [r, shown] { return r->checked() && shown(); }});
    return Status::ok();
  };
  if (Status s = described(group.debit, "Conta Débito", screen.accountPicture); !s) return s;
  if (Status s = described(group.credit, "Conta Crédito", screen.accountPicture); !s) return s;
  if (Status s = described(group.history, "Histórico", "@n5"); !s) return s;
  return entry(group.complement, "Complemento", "@s500");
}

}  // namespace vorlam::fiscal
