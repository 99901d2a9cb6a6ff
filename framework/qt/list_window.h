// The generic list screen ("Visualização da Tabela ..."): the Qt view of a
// ListController (framework/list_controller.h).  It shows the controller's
// page in the columns of the screen's FORMAT string, one tab per sort order
// with its locator, the buttons the screen defines, the right-button menu
// and the navigation toolbar; every action goes to the controller, and the
// view shows its page and highlight afterwards.
//
// "&Query" pops up the query entries: the query window ("Configurações do
// Filtro", query_window.h), "Visualiza" (the query in force), "&Limpa" (the
// list without the query) and the list's saved queries.  The controller
// joins the query with the screen's filters and raises messages 43 and 44.
// The window has the focus highlight and the keyboard navigation of every
// screen.
//
// Lives on the GUI thread; the controller must outlive the window.
#pragma once

#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/dialogs.h"
#include "framework/list_controller.h"
#include "framework/qt/list_model.h"
#include "framework/qt/list_query.h"
#include "framework/qt/record_step.h"
#include "framework/qt/screen_behaviour.h"
#include "framework/query_builder.h"
#include "framework/saved_queries.h"
#include "framework/settings_file.h"

class QAction;
class QBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QPushButton;
class QTabBar;
class QTableView;
class QToolBar;

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

// What the view adds to the controller's definition.
struct ListWindowDefinition {
  std::string format;                      // the FORMAT string
  std::vector<std::string> columnFields;   // field per column ("" for none)
  // Per tab of the controller: the locator's prompt ("Sigla............."),
  // empty for a tab without a locator.
  std::vector<std::string> locatorPrompts;
  uint32_t buttons = 0;                    // ListButton bits
};

// What the window shows its own messages and keeps its saved queries
// through; each may be null (message boxes through QtDialogs; no saved
// queries).  All must outlive the window.
struct ListServices {
  Dialogs* dialogs = nullptr;
  SavedQueryIndex* savedQueries = nullptr;
  SettingsFiles* settings = nullptr;
};

class ListWindow : public QWidget {
  Q_OBJECT
 public:
  ListWindow(ListController& controller, const ListWindowDefinition& definition, QWidget* parent = nullptr);
  ~ListWindow() override;

  // Before open().
  void setServices(const ListServices& services);
  void setLook(const ScreenLook& look);
  // For a list shown inside a screen that has the highlight and navigation
  // of its own: the list's are removed, so that Tab and Enter go through the
  // whole screen.
  void dropOwnBehaviour();
  // The screen's per-row colours of the columns marked "*" in the FORMAT.
  void setCellColours(RecordListModel::CellColours colours);

  // Builds the columns and opens the controller on its first tab.  Returns
  // kInvalidArgument for a faulty FORMAT string or unknown field, or what
  // the controller's open() returns.
  Status open();
  // The same for a controller its screen has opened already: builds the
  // columns and shows the controller's page, tab and highlight as they
  // stand.
  Status showOpen();
  // A computed column's text (before open); nullopt falls back to the field.
  void setCellText(ListCells::CellText cellText) { cellText_ = std::move(cellText); }

  // Called with the record chosen by select (the window then closes).
  void setOnSelect(std::function<void(const Record&)> onSelect) { onSelect_ = std::move(onSelect); }
  // What "&Query" does instead of popping up the query entries.
  void setOnQuery(std::function<void()> onQuery) { onQuery_ = std::move(onQuery); }
  // What "&Toolbox" does instead of showing the floating toolbox.
  void setOnToolbox(std::function<void()> onToolbox) { onToolbox_ = std::move(onToolbox); }
  // What "Im&prime" does; by default the print dialog (a printer, or a PDF
  // file) and printList().
  void setOnPrint(std::function<void()> onPrint) { onPrint_ = std::move(onPrint); }

  // A button of the definition, or nullptr.
  QPushButton* button(ListButton which) const;
  // The row the buttons stand in, for a screen's buttons of its own.
  QBoxLayout* buttonRow() const { return buttonRow_; }
  // The screen's own switch of a button.  A button is enabled while the
  // screen has it on and, for change, delete, view and select, while a row
  // is highlighted.
  void setButtonEnabled(ListButton which, bool enabled);
  // The right-button menu as it stands now (caller owns it).
  QMenu* contextMenu();
  // The popup of "&Query" as it stands now (caller owns it).
  QMenu* queryMenu();

  ListController& controller() const { return controller_; }
  QTableView* view() const { return view_; }
  RecordListModel* model() const { return model_; }
  QTabBar* tabs() const { return tabs_; }
  QLineEdit* locator() const { return locator_; }
  QToolBar* navigation() const { return navigation_; }
  bool selecting() const { return controller_.selecting(); }
  KeyboardNavigation* keyboardNavigation() const { return behaviour_.navigation; }
  FocusHighlight* focusHighlight() const { return behaviour_.highlight; }

  // The highlighted record, or nullptr.
  const Record* current() const { return controller_.selected(); }
  // Shows tab `index`'s order (first page) and its locator.
  Status showTab(int index);
  // Runs a button's action as the button would (nothing when the button is
  // absent or disabled).
  void trigger(ListButton which);
  // Called by the screen's form opener when its form closed by a step of
  // its navigation toolbar (FormWindow::step()): once the request is over
  // the list moves by the step and opens the form again.
  void continueWith(RecordStep step) { step_ = step; }
  // Moves the highlight by a step of the navigation toolbar.
  Status move(RecordStep step);

  // Runs a controller call that may change its page, then shows the page
  // and highlight (for the screen's own calls: setRange, refresh, ...).
  Status change(const std::function<Status()>& step);

  // --- Query ---------------------------------------------------------
  // The queryable columns (every shown column with a field), with the
  // values of the query in force.
  std::vector<QueryColumn> queryColumns() const;
  QStringList queryPrompts() const;
  // Applies the typed columns through the controller.
  Status applyQuery(const std::vector<QueryColumn>& typed);
  // Drops the query ("&Limpa"); the screen's own filters stay.
  void clearQuery();
  Status applySavedQuery(const QString& name);
  // Opens the query window on the values of the query in force; OK applies
  // what was typed.  Returns true when OK was pressed.
  bool openQueryWindow();

  // Prints the whole list (list_print.h) to a PDF file or a printer.
  Status printToPdf(const QString& path);
  Status printTo(QPrinter& printer);
  // The floating toolbox of "&Toolbox" (created on first use).
  QWidget* toolbox();

  // As wide as the columns need (up to a limit).
  QSize sizeHint() const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Status buildModel();
  void buildButtons();
  void buildNavigation();
  void applyColumnWidths();
  void showPage();
  void showLocator(int tab);
  void refreshButtons();
  int visibleRows() const;
  void request(Request request);
  void selectCurrent();
  void print();
  void addQueryEntries(QMenu* menu);
  void showQueryInForce();
  Dialogs& dialogs();
  bool keyPress(QKeyEvent* key);

  ListController& controller_;
  ListWindowDefinition def_;
  QTableView* view_ = nullptr;
  RecordListModel* model_ = nullptr;
  QTabBar* tabs_ = nullptr;
  QLabel* locatorPrompt_ = nullptr;
  QLineEdit* locator_ = nullptr;
  QToolBar* navigation_ = nullptr;
  QAction* navigationInsert_ = nullptr;  // the toolbar's insert follows the button
  QBoxLayout* buttonRow_ = nullptr;
  std::vector<QPushButton*> buttons_;  // per ListButton bit; null when absent
  std::vector<QAction*> toolboxActions_ = std::vector<QAction*>(kListButtonCount, nullptr);
  QWidget* toolbox_ = nullptr;
  std::function<void(const Record&)> onSelect_;
  std::function<void()> onQuery_;
  std::function<void()> onToolbox_;
  std::function<void()> onPrint_;
  RecordListModel::CellColours colours_;
  ListCells::CellText cellText_;
  ListServices services_;
  std::unique_ptr<Dialogs> ownDialogs_;
  std::unique_ptr<ListQueryStore> queryStore_;
  std::vector<QueryColumn> query_;  // the values typed for the query in force
  ScreenBehaviour behaviour_;
  ScreenLook look_;
  int preferredWidth_ = 0;  // the columns' width, from applyColumnWidths()
  bool showing_ = false;  // the view is being told the controller's page
  uint32_t screenEnabled_ = ~0u;  // ListButton bits the screen has on
  std::optional<RecordStep> step_;  // asked by the form that just closed
};

}  // namespace vorlam::qt
