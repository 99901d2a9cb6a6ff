// What saving an instalment does to the records around it: its settlement
// record (`ParcPagas`, one file per company and year) and the cash value of
// its invoice's register lines.
//
// Settlement.  An instalment that was paid may have a settlement record,
// keyed by origin (1 entries, 2 exits, 3 and 4 the service-note models),
// the invoice's identity and the due date.  Saving the instalment never
// creates one; when one exists:
//  - a deleted instalment, or one whose payment date was cleared, deletes
//    it;
//  - otherwise each of the four amounts (value, discount, fine, interest)
//    gives its integration group the instalment's accounts, history and
//    complement when it is greater than zero and clears them when it is not,
//    and the value, payment date, discount, fine and interest are copied.
// The settlement is looked up under the instalment as it stood when the
// form opened (identity, due date and payment date), since that is where it
// was filed; it then takes the instalment's new identity and due date, so
// that it still belongs to the instalment after a due date was corrected.
// It lives in the `PARCPAGA.dat` of the year of that payment date (the
// selected year's when there is none): a payment made in the following year
// is filed there.
//
// Cash re-derivation.  The instalments of an invoice stand for the part of
// its value paid in instalments; what remains of the value of its register
// lines, visited in key order, is the cash ("à vista") value of each line:
// with R the instalments' total, a line worth V gets V - R when R < V (and R
// becomes 0), else 0 (and R decreases by V).
//
// Not thread-safe: each screen owns the Tables it passes in.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "fiscal/instalment_kind.h"
#include "shell/app_state.h"
#include "storage/decimal.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::fiscal {

// The invoice and due date an instalment stands for, with its payment date.
// Texts as stored (Latin-1, without trailing blanks).
struct InstalmentKey {
  int32_t invoiceDate = 0;
  int64_t number = 0;
  std::string species, series, inscription;
  int32_t due = 0;
  int32_t payment = 0;
  bool operator==(const InstalmentKey&) const = default;
};
InstalmentKey instalmentKey(const InstalmentKind& kind, const Record& instalment);

// Whether `a` and `b` name the same invoice (due and payment dates aside).
bool sameInvoiceKey(const InstalmentKind& kind, const InstalmentKey& a, const InstalmentKey& b);

// Whether `line` of the kind's register belongs to the invoice of `key`.
bool sameInvoice(const InstalmentKind& kind, const Record& line, const InstalmentKey& key);

// The year of the settlement file of an instalment opened with payment
// date `openedPayment` and saved with `payment`: the year of the first that
// is non-zero; `selectedYear` when both are 0.
int settlementYear(int32_t openedPayment, int32_t payment, int selectedYear);

// The `PARCPAGA.dat` of `company` in `year` (built as the year's file names
// are, without creating anything).
std::string settlementPath(const std::string& dataRoot, shell::CurrentCompany company, int year);

// Reads the settlement of `key` into the table's buffer; kNotFound when
// there is none.
Status readSettlement(Table& settlements, int origin, const InstalmentKey& key);

enum class SettlementOutcome { kNone, kUpdated, kDeleted };

// Applies a saved instalment to its settlement in `settlements` (open),
// found under `opened`.  `saved` is the instalment as written, nullptr when
// it was deleted.  kNone when there is no settlement.  A read failure other
// than a missing record writes nothing and is returned.
Result<SettlementOutcome> applySettlement(Table& settlements, const InstalmentKind& kind,
                                          const InstalmentKey& opened, const Record* saved);

// The figures of one invoice: its register lines and instalments.
struct InvoiceTotals {
  Decimal nfTotal;          // sum of the lines' total field
  Decimal cashTotal;        // sum of the lines' cash field
  Decimal instalmentTotal;  // sum of the instalments' values
  int64_t lines = 0;
  int64_t instalments = 0;
};

// Sums the register lines of the invoice of `key` (`registers` open on the
// kind's register) and its instalments (`instalments` open on the kind's
// instalment table: a second view, so that the caller's position stays).
Result<InvoiceTotals> invoiceTotals(const InstalmentKind& kind, Table& registers, Table& instalments,
                                    const InstalmentKey& key);

// Re-derives and writes the cash value of every register line of the
// invoice of `key` from the instalments' total, telling `written` of each.
// Returns the lines written.
Result<int64_t> rederiveCash(const InstalmentKind& kind, Table& registers, const InstalmentKey& key,
                             const Decimal& instalmentTotal,
                             const std::function<void(const Record&)>& written = {});

// The cash value of a line worth `lineTotal` while `remaining` of the
// instalments is still to be placed; lowers `remaining` by what the line took.
Decimal cashOfLine(const Decimal& lineTotal, Decimal* remaining);

}  // namespace vorlam::fiscal
