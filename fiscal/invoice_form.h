// The invoice form (`UEntradas`, `USaidas`): one invoice shown read-only
// whatever the list's request (caption by request: "Lançando uma Nota de
// Entrada", "Alterando uma Nota de Entrada", "Excluindo uma Nota de
// Entrada", "View Record"), with the party, municipality and CFOP
// description beside its codes, the party and CFOP searches and the
// calculation button disabled.
//
// Integration: one button per group opens the integration form for that
// group (invoice_integration.h); afterwards the invoice is read again, the
// labels ("CFOP", "Manual" or blank, integration_rules.h) recomputed over
// the ones shown, and the focus goes to the group's next field.
//
// Tab "Lançamento à &Prazo": the instalments (invoice_instalments.h) and
// the summary lines:
//   "Total duplicatas"         the invoice's instalments;
//   "(+) Soma da NF"           the accounting value of every register line
//                              of the invoice (same identity);
//   "(-) Vlr pago a vista"     the cash value of the invoice's other lines;
//   "(-) Vlr das duplicatas"   the instalments;
//   "(=) Diferença"            the three above: sum less cash less instalments;
//   "(-) V.à vista deste lanc." the cash value of this line;
//   "(=) Diferença"            what is left: zero when the invoice is whole.
//
// Closing writes nothing of the invoice: the integration form and the
// instalment actions have written what they changed.
//
// Not thread-safe: the form runs on its list's thread.
#pragma once

#include <string>
#include <vector>

#include "fiscal/invoice_instalments.h"
#include "fiscal/invoice_kind.h"
#include "fiscal/invoice_lookups.h"
#include "fiscal/posting_accounts.h"
#include "framework/form_controller.h"
#include "framework/screen_model.h"
#include "shell/screen_registry.h"

namespace vorlam::fiscal {

class InvoiceForm {
 public:
  // Every referent must outlive the form; `invoices` is open.
  InvoiceForm(shell::ScreenServices& services, ScreenContext& context, const InvoiceKind& kind, Table& invoices,
              Request request, InvoiceLookups& lookups, PostingLookup& posting, bool checked);

  // Reads the invoice (message 1 and kClosed when it cannot be read).
  FormState open(int64_t recordId);
  ScreenModel& screen() { return model_; }
  std::string caption() const;
  const Record& invoice() const { return invoice_; }
  const std::vector<std::string>& labels() const { return labels_; }
  // True once an integration or an instalment was written.
  bool changed() const { return changed_ || instalments_.changed(); }
  // Opens the integration form of group `group` (an index of the kind's).
  void integrate(size_t group);

 private:
  bool read();
  void declareInvoice();
  void declareIntegration();
  void declareInstalments();
  void summarise();
  void shownField(const std::string& field, const std::string& prompt, const std::string& picture,
                  ControlKind kind = ControlKind::kEntry);

  shell::ScreenServices& services_;
  ScreenContext& ctx_;
  const InvoiceKind& kind_;
  Table& invoices_;
  Request request_;
  InvoiceLookups& lookups_;
  PostingLookup& posting_;
  bool checked_;
  int64_t id_ = 0;
  Record invoice_;
  InvoiceInstalments instalments_;
  ScreenModel model_;
  int tab_ = 0;
  std::vector<std::string> labels_;
  std::string partyName_, partyCity_, cfopDescription_;
  // The summary lines, in their order.
  std::vector<Decimal> summary_;
  bool changed_ = false;
};

}  // namespace vorlam::fiscal
