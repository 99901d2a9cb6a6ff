// The controls of a posting group on a form's screen model: debit and credit
// accounts, history and complement, each account and history with its
// description beside it and its search button (hidden while the
// posting-account switch is off, disabled while its search is not built).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "fiscal/posting_accounts.h"
#include "framework/form_controller.h"
#include "framework/screen_model.h"

namespace vorlam::fiscal {

// "LOC:DESC_CONTA_DEBITO" for "CFO:CONTA_DEBITO": the description display.
std::string descriptionControl(std::string_view field);
// "Pesquisa_CONTA_DEBITO": the search button of the field.
std::string searchButton(std::string_view field);

struct PostingGroupScreen {
  int tab = -1;
  std::string accountPicture = "@s20";
  // Empty: always shown.
  std::function<bool()> shown = {};
};

// Declares the group's controls in tab order: debit, its description and
// search; credit, its description and search; history, its description and
// search; complement.  kInvalidArgument for a field the form lacks.
Status declarePostingGroup(ScreenModel& model, FormController& form, PostingRules& rules,
                           const PostingGroup& group, const PostingGroupScreen& screen);

}  // namespace vorlam::fiscal
