#include "fiscal/invoice_integration.h"

namespace vorlam::fiscal {

namespace {

FormDefinition definitionOf(const InvoiceKind& kind) {
  FormDefinition d;
  d.procedure = kind.integrationProcedure;
  d.title = kind.integrationTitle;
  d.insertCaption = "Inclusão de integração.";
  d.changeCaption = "Altera integração";
  d.deleteCaption = "Exclui integração";
  for (const InvoiceGroup& g : kind.groups)
    for (const std::string& f : {g.fields.debit, g.fields.credit, g.fields.history, g.fields.complement})
      d.fields.push_back(f);
  return d;
}

}  // namespace

InvoiceIntegrationForm::InvoiceIntegrationForm(ScreenContext& context, const InvoiceKind& kind, Table& invoices,
                                               size_t group, PostingLookup& lookup, bool checked,
                                               IntegrationSearch search)
    : kind_(kind),
      group_(group),
      definition_(definitionOf(kind)),
      form_(context, definition_, invoices, Request::kChange),
      fields_(form_),
      rules_(lookup, context.errors, fields_, IntegrationPolicy{.checked = checked}),
      search_(std::move(search)),
      model_(kind.integrationProcedure, kind.integrationTitle) {
  // The invoice's other values are the fiscal books' own: a stored value
  // this form cannot edit never keeps the integration from being saved.
  form_.setCheckShownFieldsOnly(true);
  form_.setValidator([this](FormController&) { return rules_.checkGroup(kind_.groups[group_].fields); });
}

FormState InvoiceIntegrationForm::open(int64_t recordId) {
  const FormState state = form_.openRecord(recordId);
  if (state != FormState::kOpen) return state;
  for (const InvoiceGroup& g : kind_.groups) rules_.describe(g.fields);
  declare();
  model_.setFocus(kind_.groups[group_].fields.debit);
  return state;
}

void InvoiceIntegrationForm::declare() {
  model_.setTitle([this] { return form_.caption(); });
  const bool narrow = kind_.side == InvoiceSide::kEntry;
  for (size_t g = 0; g < kind_.groups.size(); ++g) {
    const InvoiceGroup& group = kind_.groups[g];
    model_.addControl({.name = "LOC:GRUPO_" + std::to_string(g + 1), .kind = ControlKind::kDisplay,
                       .value = [heading = group.heading] { return heading; }});
    IntegrationGroupScreen screen;
    screen.editable = [this, g] { return g == group_; };
    // The ICMS Fonte accounts hold 20 characters.
    if (narrow && group.fields.debit == "REG:ContaDebitoICMSFonte") screen.accountPicture = "@s20";
    declareIntegrationGroup(model_, rules_, group.fields, screen, search_);
  }
  model_.addButton({.caption = "&OK", .press = [this] {
                      const FormState s = form_.ok();
                      if (s == FormState::kOpen) {
                        if (std::optional<std::string> f = rules_.takeFocus()) model_.setFocus(*f);
                        return;
                      }
                      model_.close();
                    },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Cancela", .press = [this] {
                      if (form_.cancel() != FormState::kOpen) model_.close();
                    }});
  model_.addKey({.name = "Esc", .action = [this] {
                   if (form_.cancel() != FormState::kOpen) model_.close();
                 }});
  model_.setCloseRequest([this] { return form_.state() != FormState::kOpen || form_.cancel() != FormState::kOpen; });
}

}  // namespace vorlam::fiscal
