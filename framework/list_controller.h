// The logic of a list screen ("Visualização da Tabela ..."), without any
// user interface: the records of one table, one sort order per tab, the
// list's filter and range, the locator, the highlighted row, and the
// insert, change, delete, view and select requests.
//
// Rows are read a page at a time through a PageCache on the list's own
// Table; the view shows rows() and moves the highlight with the calls
// below.  Insert, change, view (and delete, when the screen has a form for
// it) go to the screen's form through the FormOpener; the list then shows
// the page around the record.  A list without a delete form removes the
// record itself, after message 11 ("Confirma Exclusão").
//
// Filters.  The list's filter, the filter of the current tab and the query
// of the query window (framework/query_builder.h) are joined with AND.  The
// variables they name (Loc:Nome, GLO:ANO, ...) come from variables(); call
// refresh() after changing one.  A tab's locator either positions the list
// on the typed value of its field or, for part-name tabs, sets a variable of
// the tab's filter.  A filter that cannot be compiled or bound raises
// message 43 and the list is shown without it; a query column that cannot
// be filtered raises message 44 and is left out.
//
// The list pushes its procedure name on the screen's error manager for as
// long as it lives.  Not thread-safe: one list runs on its screen's thread;
// `context`, `definition` and `table` (open) must outlive it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/filter.h"
#include "framework/form_controller.h"
#include "framework/page_cache.h"
#include "framework/query_builder.h"
#include "framework/screen_context.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam {

struct ListTabDefinition {
  std::string caption;  // "&Código"
  std::string key;      // the tab's sort order: "CNAE:KEY:CODIGO"
  // The field the locator types into (the first key component after the
  // range); empty: no positioning locator.
  std::string locatorField;
  // Part-name tabs: the locator sets this variable of the tab's filter
  // instead, as a text of `locatorWidth` characters.
  std::string locatorVariable;
  int locatorWidth = 0;
  std::string filter;  // this tab's own filter expression; empty: none
  // The picture through which the locator reads what is typed ("@d06b":
  // a date typed as shown); empty: the field's stored form.
  std::string locatorPicture = {};
};

struct ListDefinition {
  std::string procedure;  // "BCNAE": what %Procedure names while open
  std::string title;      // "Visualização da Tabela de CNAE"
  std::vector<ListTabDefinition> tabs;  // at least one
  std::string filter;                   // over every tab; empty: none
  // The range: these fields, the leading components of every tab's key,
  // fixed to the values given to setRange().  Empty: no range.
  std::vector<std::string> rangeFields;
  int pageSize = 60;
  // The screen has a form that handles delete requests (it asks message 11
  // itself); otherwise the list deletes the record.
  bool deleteThroughForm = true;
};

class ListController {
 public:
  // Opens the form for `request` on `row` (nullptr for insert) and returns
  // true when the form completed, false when it was cancelled.
  using FormOpener = std::function<bool(Request request, const Record* row)>;

  // `selecting`: the list was opened to pick a record for a caller; its
  // select request is the default action then.
  ListController(ScreenContext& context, const ListDefinition& definition, Table& table, bool selecting = false);

  // Checks the definition against the table (kInvalidArgument for unknown
  // keys or fields, dynamic keys, or range fields that do not lead a key)
  // and shows the first page of `tab`.
  Status open(int tab = 0);

  const ListDefinition& definition() const { return def_; }
  const Table& table() const { return table_; }
  bool selecting() const { return selecting_; }
  void setFormOpener(FormOpener opener) { opener_ = std::move(opener); }

  // --- Tabs and what is listed ------------------------------------------
  int tabCount() const { return static_cast<int>(def_.tabs.size()); }
  int currentTab() const { return tab_; }
  // Shows the tab's order from its first page (the locator is cleared).
  Status selectTab(int tab);
  // Fixes the range fields to their values in `values` (a buffer of the
  // table) and shows the first page.  Before open() it only keeps them.
  Status setRange(const Record& values);
  void clearRange();
  // Values of the variables the filters name.
  FilterVariableMap& variables() { return variables_; }
  // Binds the filters to the current variables and reloads from the top.
  Status refresh();
  // Narrows the list to the records whose numbers are in `ids` (`inside`)
  // or not (!`inside`), beside its filters (a screen's marks: its tagged
  // rows); the list then stands at the highlighted record's place.
  Status setRecordSet(std::vector<int64_t> ids, bool inside);
  Status clearRecordSet();
  // Applies what the user typed in the query window; raises 44 per column
  // left out and 43 when the resulting filter cannot be applied.  An empty
  // query clears it.
  Status applyQuery(const std::vector<QueryColumn>& columns);
  void clearQuery();
  const std::string& queryExpression() const { return query_; }
  // True while some filter narrows the rows (false after a 43).
  bool filtered() const { return filtered_; }

  // --- Rows and the highlight -------------------------------------------
  const std::vector<Record>& rows() const { return cache_.rows(); }
  // The highlighted row's index; nullopt on an empty page.
  std::optional<size_t> selectedIndex() const;
  const Record* selected() const;
  // Highlights row `index` of the page (clamped).
  void select(size_t index);
  // Moves the highlight by `delta` rows, loading the neighbouring page when
  // it leaves the current one.  Stops at the first and last row.
  Status moveSelection(int delta);
  Status firstPage();
  Status lastPage();
  // kNotFound at the end (start); the page and highlight stay then.
  Status nextPage();
  Status previousPage();
  bool atStart() const { return cache_.atStart(); }
  bool atEnd() const { return cache_.atEnd(); }
  // The locator: positions on the first row whose locator field is >= the
  // typed text (UTF-8), or, on a part-name tab, filters by it.
  Status locate(std::string_view typed);
  const std::string& locatorText() const { return locator_; }

  // --- Requests ---------------------------------------------------------
  // Whether the request can be made now: insert always; the others need a
  // highlighted row; select only while selecting.
  bool canRequest(Request request) const;
  bool canSelect() const { return selecting_ && selected() != nullptr; }
  // Opens the form (delete without a delete form: deleteSelected()).
  // Returns true when the form completed; the list then shows the page
  // around the record and highlights it.
  bool request(Request request);
  // Shows the page around `row` (a record of the table as written, or as
  // it was listed before it was deleted) and highlights it, or the row
  // now standing at its place.  For screens that write without a form.
  Status showAround(const Record& row);
  // Asks message 11 and deletes the highlighted record with its cascades.
  // kCancelled when the user answered No (message 11 returns 4 then) or no
  // row is highlighted; kCompleted when deleted; kOpen when the delete
  // failed and was reported (7, 13); kClosed for 1 or a fatal message.
  FormState deleteSelected();
  // The highlighted record, for the caller that opened the list to select.
  std::optional<Record> chooseSelected() const;
  // A blank record holding the range values: what an insert form starts
  // from (FormController::openNew), so that a new record lands in the list.
  Record insertPrototype() const;

  const PageCache& cache() const { return cache_; }

 private:
  struct Tab {
    int key = -1;
    int locatorField = -1;
  };
  Status checkDefinition();
  // Compiles and binds the joined filter; raises 43 and leaves the list
  // unfiltered when that fails.
  void installFilter();
  std::string joinedExpression() const;
  Status applyRange();
  Status show(Status loaded, size_t highlight);
  // Reloads at `around`'s place (the first page without one).
  Status reloadAround(const std::optional<Record>& around);
  void filterFailed(const Status& why);

  ScreenContext& ctx_;
  const ListDefinition& def_;
  Table& table_;
  bool selecting_;
  ProcedureScope procedure_;
  PageCache cache_;
  FormOpener opener_;
  std::vector<Tab> tabs_;
  std::vector<int> rangeFields_;
  std::optional<Record> rangeValues_;
  FilterVariableMap variables_;
  std::string query_;
  std::string locator_;
  bool filtered_ = false;
  int tab_ = 0;
  size_t selected_ = 0;
};

}  // namespace vorlam
