// The integration forms of the service-tax notes, `UISS53Contabilidade` and
// `UISSContabilidade` ("Integração do ISS na contabilidade"), without their
// windows: the note's integration groups — "Valor á vista.", "Valor a
// prazo." and, for model 51, "I.R.R.F." and "I.N.S.S.R.F." — each with
// "Conta Débito....", "Conta Crédito....", "Histórico..........." and
// "Complemento...", and the descriptions of its accounts and history.
//
// The form is opened for one group: only that group may be edited, and it
// follows the integration rules of fiscal/integration_rules.h (the words
// "FORNECEDOR" and "CLIENTE" taken as they are), with the message titles
// "Valor à vista.", "Valor a prazo.", "Valor IRRF." and "Valor
// I.N.S.S.R.F.".  "&OK" checks the group once more and writes the note;
// "&Cancela" (or Esc) leaves it as it was.  Captions "Altera integração"
// for a change, "View Record" for a view (every field read-only).
//
// Not thread-safe: the form runs on its note form's thread.
#pragma once

#include <string>
#include <vector>

#include "fiscal/integration_rules.h"
#include "fiscal/posting_accounts.h"
#include "fiscal/service_note_layout.h"
#include "framework/form_controller.h"
#include "framework/screen_model.h"
#include "shell/screen_registry.h"
#include "storage/table.h"

namespace vorlam::fiscal {

class ServiceNoteIntegration {
 public:
  // `table` is the list's open note table; `group` indexes the layout's
  // groups.  Every referent must outlive the form.
  ServiceNoteIntegration(ScreenContext& context, const ServiceNoteLayout& layout, Table& table, Request request,
                         size_t group, PostingLookup& lookup, shell::ScreenServices& services);

  // Reads note `recordId` (message 1 and kClosed when it cannot be read).
  FormState open(int64_t recordId);

  ScreenModel& screen() { return model_; }
  FormController& controller() { return form_; }

 private:
  void declareScreen();
  void save();

  const ServiceNoteLayout& layout_;
  size_t group_;
  shell::ScreenServices& services_;
  FormDefinition definition_;
  FormController form_;
  FormIntegrationFields fields_;
  IntegrationRules rules_;
  std::vector<IntegrationGroup> groups_;
  ScreenModel model_;
};

}  // namespace vorlam::fiscal
