// The generic list screen ("Visualização da Tabela ..."): the records of one
// table in a scrollable list, one sort order per tab with a locator field,
// the buttons the screen defines, the right-button menu and the navigation
// toolbar.  Rows come from a RecordListModel, page by page.
//
// The window does not edit records itself: insert, change, delete and view
// go to the screen's form through the FormOpener; select hands the record
// to the caller.  Lives on the GUI thread; the Table must be open and
// outlive the window.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/qt/list_model.h"
#include "framework/screen_context.h"
#include "storage/table.h"

class QLineEdit;
class QMenu;
class QPushButton;
class QTabBar;
class QTableView;
class QToolBar;
class QAction;
class QLabel;

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

  // Builds the columns and shows the first page of the first tab.  Returns
  // kInvalidArgument for a faulty FORMAT string or unknown field or key.
  Status open();

  void setFormOpener(FormOpener opener) { opener_ = std::move(opener); }
  // Called with the record chosen by select (the window then closes).
  void setOnSelect(std::function<void(const Record&)> onSelect) { onSelect_ = std::move(onSelect); }
  void setOnQuery(std::function<void()> onQuery) { onQuery_ = std::move(onQuery); }
  void setOnToolbox(std::function<void()> onToolbox) { onToolbox_ = std::move(onToolbox); }
  // What "Im&prime" does; by default it asks for a PDF file name and prints
  // the list into it.
  void setOnPrint(std::function<void()> onPrint) { onPrint_ = std::move(onPrint); }

  // A button of the definition, or nullptr.
  QPushButton* button(ListButton which) const;
  void setButtonEnabled(ListButton which, bool enabled);
  // The right-button menu as it stands now (caller owns it).
  QMenu* contextMenu();

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
  // Prints the whole list to a PDF file: the title, the column headers and
  // every row, page by page.
  Status printToPdf(const QString& path);

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
};

// Tooltips of the list's navigation toolbar, in toolbar order: first page,
// previous page, previous record, next record, next page, last page, insert.
extern const char* const kListNavigationTips[7];

}  // namespace vorlam::qt
