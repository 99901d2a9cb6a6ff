// The instalments of one invoice on its form's tab "Lançamento à &Prazo":
// the list "Data e Valor das Parcelas" (due date and value, in key order),
// its total, and, for entry invoices, their editing.
//
// Editing.  "&Inclui" starts an insert from cleared fields; "Altera" and
// "&Exclui" start a change or a delete of the highlighted instalment (its
// date and value shown).  While an action is pending the list and those
// three buttons are disabled and "Data:", "Valor:", "&Grava" and "&Cancela"
// enabled (the two fields stay read-only for a delete).  "&Grava":
//  - insert adds an instalment with the invoice's identity, the date and
//    value typed and `MesImport` 0;
//  - change reads the instalment under the due date it had when the change
//    started and writes the typed date and value over it; when it cannot
//    be read nothing is written;
//  - delete removes the instalment that was highlighted.
// A second instalment with the same due date is refused with "Atenção!!! Já
// existe uma duplicata com este vencimento nesta nota!!!"; any other file
// error shows the runtime's text under the title "Erro número " + its code.
// Whatever happened, the fields and "&Grava" / "&Cancela" are disabled
// again, the list refilled and the focus goes back to it.  Keys on the list:
// Insert, Delete and Space press "&Inclui", "&Exclui" and "Altera".
//
// Exit invoices: the list only; every button stays disabled.
//
// Not thread-safe: the instalments run on their form's thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fiscal/invoice_kind.h"
#include "framework/screen_context.h"
#include "framework/screen_model.h"
#include "storage/decimal.h"
#include "storage/record.h"
#include "storage/table.h"

namespace vorlam::fiscal {

class InvoiceInstalments {
 public:
  enum class Action { kNone, kInsert, kChange, kDelete };

  // `context` must outlive the object.
  InvoiceInstalments(ScreenContext& context, const InvoiceKind& kind);

  // Opens the instalment table (message 26 when it cannot be) and lists the
  // instalments of `invoice`.
  Status open(const Record& invoice);
  // Declares the list, fields, buttons and keys on `tab` of `model`;
  // `refilled` runs after every refill (the form's summary follows it).
  void declare(ScreenModel& model, int tab, std::function<void()> refilled);

  const std::vector<Record>& rows() const { return rows_; }
  const Decimal& total() const { return total_; }
  Action pending() const { return action_; }
  bool changed() const { return changed_; }

 private:
  Status refill();
  void start(Action action);
  void save();
  void finish();
  // The edit fields take the highlighted row (blank without rows).
  void showHighlighted();
  Status insertRow();
  Status changeRow();
  Status deleteRow();
  void report(const Status& s);
  bool identityOf(const Record& row) const;

  ScreenContext& ctx_;
  const InvoiceKind& kind_;
  Table table_;
  std::optional<Record> invoice_;
  std::vector<Record> rows_;
  size_t highlighted_ = 0;
  Decimal total_;
  Action action_ = Action::kNone;
  int32_t date_ = 0;           // the edit field "Data:"
  Decimal value_;              // the edit field "Valor:"
  int32_t previousDate_ = 0;   // the due date the change started from
  int64_t targetId_ = 0;       // the row a change or delete started on
  bool changed_ = false;
  ScreenModel* model_ = nullptr;
  std::function<void()> refilled_;
};

}  // namespace vorlam::fiscal
