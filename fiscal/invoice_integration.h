// The integration form of an invoice (`UEntradasContabilidade`,
// `USaidaContabilidade`): every integration group of the invoice, each with
// its debit and credit accounts, history and complement and their
// descriptions; only the group the form was opened for can be edited, and
// only it is checked (integration_rules.h), as each field is completed and
// again before the record is written.  "&OK" writes the invoice back;
// "&Cancela" leaves it.
//
// Not thread-safe: the form runs on its invoice form's thread.
#pragma once

#include <memory>

#include "fiscal/integration_rules.h"
#include "fiscal/invoice_kind.h"
#include "framework/form_controller.h"
#include "framework/screen_model.h"

namespace vorlam::fiscal {

class InvoiceIntegrationForm {
 public:
  // Every referent must outlive the form; `invoices` is open.
  InvoiceIntegrationForm(ScreenContext& context, const InvoiceKind& kind, Table& invoices, size_t group,
                         PostingLookup& lookup, bool checked, IntegrationSearch search);

  // Reads the invoice; kClosed (message 1 raised) when it cannot be read.
  FormState open(int64_t recordId);
  ScreenModel& screen() { return model_; }
  FormController& controller() { return form_; }
  IntegrationRules& rules() { return rules_; }

 private:
  void declare();

  const InvoiceKind& kind_;
  size_t group_;
  FormDefinition definition_;
  FormController form_;
  FormIntegrationFields fields_;
  IntegrationRules rules_;
  IntegrationSearch search_;
  ScreenModel model_;
};

}  // namespace vorlam::fiscal
