// The entry and exit invoice lists ("Visualização da Tabela do Registro de
// Entradas" / "... de Saídas", procedures "Entradas_NF" and "Saidas_NF") of
// the current company and year.
//
// Tabs: "&Data de Lançamento" (launch-date order, locator on the date) and
// "&Número NF" (number order, locator on the number) limited to the
// selected period: launch dates from `Loc:DataInicial` to `Loc:DataFinal`,
// the month of the current period or the whole year when the period is
// the year (fiscal_period.h).  Columns as the register's books show them,
// the CFOP description and the party's CNPJ / CPF read as invoice_lookups.h
// says.  Below the list: the highlighted invoice's values, its party's name,
// "Total Vlr Contábil" (every invoice of the list, exact, recomputed when
// the list is filled) and its integration labels.
//
// "&Altera", "&Exclui" and "&Visualiza" open the invoice form (read-only
// whatever the request, invoice_form.h) on the highlighted invoice.  Without
// a current company the company and period selection runs first.
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fiscal/fiscal_period.h"
#include "fiscal/invoice_kind.h"
#include "fiscal/invoice_lookups.h"
#include "fiscal/posting_accounts.h"
#include "framework/list_controller.h"
#include "framework/screen_model.h"
#include "shell/screen_registry.h"
#include "storage/decimal.h"

namespace vorlam::fiscal {

class InvoiceList : public shell::HostedScreen {
 public:
  InvoiceList(shell::ScreenServices& services, const InvoiceKind& kind);
  ~InvoiceList() override;

  ScreenModel& model() override { return model_; }
  Status open() override;

  ListController& list() { return *list_; }
  const Decimal& total() const { return total_; }
  const DateRange& period() const { return period_; }

 private:
  void declare();
  void declarePanel();
  void fillTotal();
  void follow();
  bool runForm(Request request);
  std::string value(const char* field) const;

  const InvoiceKind& kind_;
  ListDefinition definition_;
  Table table_;
  std::unique_ptr<ListController> list_;
  std::unique_ptr<InvoiceLookups> lookups_;
  std::unique_ptr<PostingLookup> posting_;
  ScreenModel model_;
  DateRange period_;
  Decimal total_;
  int totalTab_ = -1;
  int64_t shownId_ = -1;
  std::optional<Record> shown_;
  std::string partyName_;
  std::vector<std::string> labels_;
};

}  // namespace vorlam::fiscal
