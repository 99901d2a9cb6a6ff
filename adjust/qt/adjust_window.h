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
// in hand, and the window closes once the run has stopped).  The screen has
// the focus highlight and keyboard navigation of every screen.
//
// Lives on the GUI thread.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "adjust/adjust_screen.h"
#include "shell/qt/shell_services.h"

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

// What the screen asks of others, replaceable for tests.
struct AdjustScreenHooks {
  // The company-and-period selection, run first when no company is
  // current.  Empty: shell::qt::ensureCompanySelected().
  std::function<void(QWidget* parent)> selectCompany;
  // The structure list opened to pick a structure: the code chosen, or
  // nullopt when it closed without a choice.  Empty: pickStructure()
  // (structure_lookup.h).
  std::function<std::optional<uint16_t>(QWidget* parent)> pickStructure;
};

// Opens the screen for the main frame: the company-and-period selection
// first when no company is current, then the backup question.  Returns the
// screen's widget, not yet shown (a window of its own over `parent` until
// the frame puts it in its work area; it is deleted when it closes), or
// nullptr when the screen closed at once (the answer was "&Não", or the
// company file could not be opened and message 26 was raised).  `services`
// must outlive the screen.
QWidget* openAdjustScreen(shell::qt::ShellServices& services, QWidget* parent = nullptr,
                          AdjustScreenHooks hooks = {});

class SelectedCompaniesModel;

class AdjustWindow : public QWidget, private AdjustScreen::Listener {
  Q_OBJECT
 public:
  AdjustWindow(shell::qt::ShellServices& services, AdjustScreenHooks hooks, QWidget* parent = nullptr);
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
  void acceptStructureField();
  void acceptYearField();
  void runLookup();
  void include();
  void exclude();
  void startRun();
  void pullProgress();
  void workerDone();
  void setRunning(bool running);
  // Closes the screen, or the work-area window that holds it.
  void closeScreen();

  shell::qt::ShellServices& services_;
  AdjustScreenHooks hooks_;
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
  QPushButton* restore_ = nullptr;  // "&Restaurar"
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
