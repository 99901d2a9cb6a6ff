// The window of the chart-of-accounts adjustment screen ("Ajuste do Plano
// de Contas").  It only shows the AdjustScreen controller
// (adjust/adjust_screen.h) and carries out its reactions; every rule and
// message lives there.
//
// Two tabs: "Selecionar empresas" (fields 01 and 02, the company list with
// its two orders and grey even rows, "&Incluir", the selected companies and
// "&Excluir") and "Dados processados" (the processing log and the bars
// "Empresas" and "Arquivos da empresa"), then "Ajustar" and "&Fechar".
//
// The run goes on a worker thread; its progress reaches the window through
// queued signals, and the window takes no input until the run is complete
// ("&Fechar" alone stays: it asks whether to stop at the end of the company
// in hand, and the window closes once the run has stopped).
//
// Lives on the GUI thread.
#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "adjust/adjust_screen.h"
#include "framework/qt/qt_dialogs.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;

namespace vorlam::qt {
class ListWindow;
}

namespace vorlam::adjust {

// What the screen needs from the application.
struct AdjustScreenServices {
  const Dictionary& dictionary;
  shell::AppState& state;
  ErrorServices& errorServices;     // the process-wide part of the messages
  ShutdownCoordinator& application;  // the run registers as a bulk operation
  // The company-and-period selection, run first when no company is current;
  // empty: the screen opens without it.
  std::function<void(QWidget* parent)> selectCompany;
  // The structure list opened to pick a structure: the code chosen, or
  // nullopt when it closed without a choice.  Empty: pickStructure()
  // (structure_lookup.h).
  std::function<std::optional<uint16_t>(QWidget* parent)> pickStructure;
};

// Opens the screen: the company-and-period selection first when no company
// is current, then the backup question.  Returns the window, not yet shown
// (a top-level window owned by `parent`; it deletes itself when closed), or
// nullptr when the screen closed at once (the answer was "&Não", or the
// company file could not be opened).  `services` must outlive the window.
QWidget* openAdjustScreen(const AdjustScreenServices& services, QWidget* parent);

// Paints the even rows of the company list in the light grey.
class GreyRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

class SelectedCompaniesModel;

class AdjustWindow : public QWidget, private AdjustScreen::Listener {
  Q_OBJECT
 public:
  AdjustWindow(const AdjustScreenServices& services, QWidget* parent = nullptr);
  // Waits for a run in progress to stop at a company boundary.
  ~AdjustWindow() override;

  // The opening steps of openAdjustScreen(); false: close at once.
  bool open();

  AdjustScreen& controller() { return *screen_; }
  QTabWidget* tabs() const { return tabs_; }
  QLineEdit* structureField() const { return structure_; }
  QToolButton* lookupButton() const { return lookup_; }
  QLabel* formatoLabel() const { return formato_; }
  QLineEdit* yearField() const { return year_; }
  vorlam::qt::ListWindow* companyList() const { return companies_; }
  QTableView* selectedList() const { return selected_; }
  QListWidget* log() const { return log_; }
  QProgressBar* companiesBar() const { return companiesBar_; }
  QProgressBar* filesBar() const { return filesBar_; }
  QPushButton* adjustButton() const { return adjust_; }
  QPushButton* closeButton() const { return close_; }
  QWidget* selectionPage() const { return selectionPage_; }

 signals:
  // Emitted on the worker thread, received queued on the GUI thread.
  void workerChanged();
  void workerEnded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void runChanged() override { emit workerChanged(); }
  void runEnded() override { emit workerEnded(); }

  QWidget* buildSelectionPage();
  QWidget* buildProcessedPage();
  bool buildCompanyList();
  void apply(const Reaction& reaction);
  void focusControl(Control control);
  void showFields();
  void showSelected();
  void moveCompanyCursor(int row);
  void acceptStructureField();
  void acceptYearField();
  void runLookup();
  void include();
  void exclude();
  void startRun();
  void pullProgress();
  void workerDone();
  void setRunning(bool running);

  AdjustScreenServices services_;
  vorlam::qt::QtDialogs dialogs_;
  std::unique_ptr<ErrorManager> errors_;
  std::unique_ptr<AdjustScreen> screen_;
  QTabWidget* tabs_ = nullptr;
  QWidget* selectionPage_ = nullptr;
  QLineEdit* structure_ = nullptr;
  QToolButton* lookup_ = nullptr;
  QLabel* formato_ = nullptr;
  QLineEdit* year_ = nullptr;
  vorlam::qt::ListWindow* companies_ = nullptr;
  QPushButton* include_ = nullptr;
  QTableView* selected_ = nullptr;
  SelectedCompaniesModel* selectedModel_ = nullptr;
  QPushButton* exclude_ = nullptr;
  QListWidget* log_ = nullptr;
  QProgressBar* companiesBar_ = nullptr;
  QProgressBar* filesBar_ = nullptr;
  QPushButton* adjust_ = nullptr;
  QPushButton* close_ = nullptr;
  bool inField_ = false;     // a field's reaction is being carried out
  bool asking_ = false;      // the stop question is open
  bool endPending_ = false;  // the worker ended while it was open
};

}  // namespace vorlam::adjust
