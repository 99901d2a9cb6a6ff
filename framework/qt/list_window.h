// The generic list screen ("Visualização da Tabela ..."): the records of one
// table in a scrollable list, one sort order per tab with a locator field,
// the buttons the screen defines, the right-button menu and the navigation
// toolbar.  Rows come from a RecordListModel, page by page.
//
// The window does not edit records itself: insert, change, delete and view
// go to the screen's form through the FormOpener; select hands the record
// to the caller.  "&Query" pops up the query entries: the query window
// ("Configurações do Filtro", query_window.h), "Visualiza" (the filter in
// force), "&Limpa" (the list unfiltered) and the list's saved queries.  The
// query's filter is built by framework/query_builder.h and applied together
// with the screen's own filter; a column that cannot be filtered raises
// message 44, a filter that cannot be applied message 43 (the list is then
// shown without the query).  The window has the focus highlight and the
// keyboard navigation of every screen.
//
// Lives on the GUI thread; the Table must be open and outlive the window.
#pragma once

#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/dialogs.h"
#include "framework/error_manager.h"
#include "framework/filter.h"
#include "framework/qt/list_model.h"
#include "framework/qt/list_query.h"
#include "framework/qt/screen_behaviour.h"
#include "framework/query_builder.h"
#include "framework/saved_queries.h"
#include "framework/screen_context.h"
#include "framework/settings_file.h"
#include "storage/table.h"

class QLineEdit;
class QMenu;
class QPushButton;
class QTabBar;
class QTableView;
class QToolBar;
class QAction;
class QLabel;
class QPrinter;

namespace vorlam::qt {

// The buttons a list screen may have, as bits of ListWindowDefinition::buttons.
enum ListButton : uint32_t {
  kListInsert = 1u << 0,   // "&Inclui"
  kListChange = 1u << 1,   // "&Altera"
  kListDelete = 1u << 2,   // "&Exclui"
  kListView = 1u << 3,     // "&Visualiza"
  kListPrint = 1u << 4,    // "Im&prime"
  kListQuery = 1u << 5,    // "&Query"
  kListSelect = 1u << 6,   // "&Seleciona"
  kListToolbox = 1u << 7,  // "&Toolbox"
};
inline constexpr int kListButtonCount = 8;
// Caption of one button bit; empty for anything else.
QString listButtonCaption(ListButton button);

struct ListTab {
  std::string caption;        // "Código do Plano de Contas"
  std::string key;            // key name: "CONP:KEY:CODIGO"
  std::string locatorPrompt;  // "Pesquisa por Código:"; empty: no locator
  std::string locatorField;   // field the locator types into
};

struct ListWindowDefinition {
  std::string procedure;  // "BPlanoISS"
  std::string title;      // "Visualização do Plano de Contas do ISS"
  std::string format;     // the FORMAT string
  std::vector<std::string> columnFields;  // field per column ("" for none)
  std::vector<ListTab> tabs;               // at least one
  uint32_t buttons = 0;                    // ListButton bits
  int pageSize = 60;
  // The screen's own filter ("CFO:Codigo > 999"); empty for none.  Names
  // other than the table's fields are variables (setFilterVariables).
  std::string filter;
};

// What the list raises messages and keeps its saved queries through; each
// may be null (no catalogue messages; no saved queries).  All must outlive
// the window.
struct ListServices {
  ErrorManager* errors = nullptr;
  Dialogs* dialogs = nullptr;  // the window's own message boxes; null: QtDialogs
  SavedQueryIndex* savedQueries = nullptr;
  SettingsFiles* settings = nullptr;
};

class ListWindow : public QWidget {
  Q_OBJECT
 public:
  // Opens the form for `request` on `row` (nullptr for insert); returns true
  // when the form completed, false when it was cancelled.
  using FormOpener = std::function<bool(Request request, const Record* row)>;

  // `selecting`: the list was opened to pick a record for a caller; Enter
  // selects and "&Seleciona" is the default button.
  ListWindow(const ListWindowDefinition& definition, Table& table, bool selecting,
             QWidget* parent = nullptr);
  ~ListWindow() override;

  // Before open().
  void setServices(const ListServices& services);
  // Values of the variables of the screen's filter; must outlive the
  // window.  Call applyFilters() after they change.
  void setFilterVariables(const FilterVariables* variables) { variables_ = variables; }
  void setLook(const ScreenLook& look);

  // Builds the columns and shows the first page of the first tab.  Returns
  // kInvalidArgument for a faulty FORMAT string or unknown field or key, or
  // a screen filter that does not compile.
  Status open();

  void setFormOpener(FormOpener opener) { opener_ = std::move(opener); }
  // Called with the record chosen by select (the window then closes).
  void setOnSelect(std::function<void(const Record&)> onSelect) { onSelect_ = std::move(onSelect); }
  void setOnQuery(std::function<void()> onQuery) { onQuery_ = std::move(onQuery); }
  void setOnToolbox(std::function<void()> onToolbox) { onToolbox_ = std::move(onToolbox); }
  // What "Im&prime" does; by default the print dialog (a printer, or a PDF
  // file) and printList().
  void setOnPrint(std::function<void()> onPrint) { onPrint_ = std::move(onPrint); }
  // The screen's per-row colours of the columns marked "*" in the FORMAT.
  void setCellColours(RecordListModel::CellColours colours);

  // A button of the definition, or nullptr.
  QPushButton* button(ListButton which) const;
  void setButtonEnabled(ListButton which, bool enabled);
  // The right-button menu as it stands now (caller owns it).
  QMenu* contextMenu();
  // The popup of "&Query" as it stands now (caller owns it).
  QMenu* queryMenu();

  // --- Query and filters ---------------------------------------------
  // The queryable columns (every shown column with a field), with the
  // values of the query in force.
  std::vector<QueryColumn> queryColumns() const;
  QStringList queryPrompts() const;
  // Builds the query's filter from the typed columns and shows the list
  // narrowed to it (first page).  Raises 44 per column left out and 43 when
  // the filter cannot be applied; the list is then shown without the query
  // and the status returned.
  Status applyQuery(const std::vector<QueryColumn>& typed);
  // Drops the query ("&Limpa"); the screen's own filter stays.
  Status clearQuery();
  // Applies a saved query of the list.
  Status applySavedQuery(const QString& name);
  // The query's filter in force; empty when none.
  const std::string& queryExpression() const { return queryExpression_; }
  // Opens the query window on the values of the query in force; OK applies
  // what was typed.  Returns true when OK was pressed.
  bool openQueryWindow();
  // Compiles and applies the screen's filter and the query together, then
  // shows the first page.
  Status applyFilters();
  // Fixes the first `components` components of every tab's key to their
  // values in `values` (a buffer of the table); 0 drops the range.
  Status setRange(int components, const Record& values);

  QTableView* view() const { return view_; }
  RecordListModel* model() const { return model_; }
  QTabBar* tabs() const { return tabs_; }
  QLineEdit* locator() const { return locator_; }
  QToolBar* navigation() const { return navigation_; }
  bool selecting() const { return selecting_; }

  // The record under the cursor, or nullptr.
  const Record* current() const;
  // Shows tab `index`'s order (first page) and its locator.
  Status showTab(int index);
  // Runs a button's action as the button would.
  void trigger(ListButton which);
  // Prints the whole list (list_print.h) to a PDF file or a printer.
  Status printToPdf(const QString& path);
  Status printTo(QPrinter& printer);
  // The floating toolbox of "&Toolbox" (created on first use).
  QWidget* toolbox();
  KeyboardNavigation* keyboardNavigation() const { return behaviour_.navigation; }
  FocusHighlight* focusHighlight() const { return behaviour_.highlight; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildButtons();
  void buildNavigation();
  void applyColumnWidths();
  void moveCursor(int row);
  void nextRecord(int step);
  void pageStep(int direction);
  void openForm(Request request);
  void selectCurrent();
  void print();
  void locate(const QString& text);
  void topReached();
  void addQueryEntries(QMenu* menu);
  void showFilterInForce();
  void raise(const QueryMessage& message);
  Status installFilter();
  Dialogs& dialogs();

  ListWindowDefinition def_;
  Table& table_;
  bool selecting_;
  std::vector<int> tabKeys_;
  QTableView* view_ = nullptr;
  RecordListModel* model_ = nullptr;
  QTabBar* tabs_ = nullptr;
  QLabel* locatorPrompt_ = nullptr;
  QLineEdit* locator_ = nullptr;
  QToolBar* navigation_ = nullptr;
  std::vector<QPushButton*> buttons_;  // per ListButton bit; null when absent
  FormOpener opener_;
  std::function<void(const Record&)> onSelect_;
  std::function<void()> onQuery_;
  std::function<void()> onToolbox_;
  std::function<void()> onPrint_;
  ListServices services_;
  std::unique_ptr<Dialogs> ownDialogs_;
  std::unique_ptr<ListQueryStore> queryStore_;
  const FilterVariables* variables_ = nullptr;
  std::vector<QueryColumn> query_;
  std::string queryExpression_;
  ScreenBehaviour behaviour_;
  ScreenLook look_;
  QWidget* toolbox_ = nullptr;
  std::vector<QAction*> toolboxActions_ = std::vector<QAction*>(kListButtonCount, nullptr);
  RecordListModel::CellColours colours_;
};

// Tooltips of the list's navigation toolbar, in toolbar order: first page,
// previous page, previous record, next record, next page, last page, insert.
extern const char* const kListNavigationTips[7];

}  // namespace vorlam::qt
