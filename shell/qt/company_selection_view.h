// The window "Selecionar empresa e período" over the CompanySelection
// controller (shell/company_selection.h).
//
// The view only shows the controller: every value and every enabled state
// is read back from it after each event, and every decision (what the code
// entry does, whether the window may close) is the controller's.  The label
// "Atenção!!! " blinks on a timer beside the period.  The view may stand in
// the main frame's work area (the frame's "Seleciona Empresa") or in a modal
// dialog over a screen that needs a company (runCompanySelection()).
//
// Lives on the GUI thread.
#pragma once

#include <QWidget>
#include <memory>

#include "framework/error_manager.h"
#include "shell/company_selection.h"
#include "shell/company_selection_screen.h"
#include "shell/qt/shell_services.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;

namespace vorlam::shell::qt {

// Period of the blinking label, in milliseconds.
inline constexpr int kWarningBlinkMs = 500;

class CompanySelectionView : public QWidget {
  Q_OBJECT
 public:
  // `errors` is the calling screen's error manager, or nullptr for one of
  // the view's own.  Opens the controller at once; when the company file
  // cannot be opened the view closes itself as soon as it can.
  CompanySelectionView(ShellServices& services, ErrorManager* errors, QWidget* parent = nullptr);
  ~CompanySelectionView() override;

  CompanySelection& controller() { return *controller_; }

  QLineEdit* codeEntry() const { return code_; }
  QToolButton* searchButton() const { return search_; }
  QLineEdit* stateField() const { return uf_; }
  QLineEdit* nameField() const { return razao_; }
  QComboBox* yearEntry() const { return year_; }
  QLineEdit* monthEntry() const { return month_; }
  QLabel* monthName() const { return monthName_; }
  QLabel* warningLabel() const { return warning_; }
  QPushButton* selectButton() const { return select_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }

  // Reads every value and state back from the screen model.
  void refresh();

 signals:
  // The controller closed: its choice is current (or nothing was chosen
  // when the company file could not be opened).  The host closes.
  void finished();

 protected:
  void showEvent(QShowEvent* event) override;
  // Any request to close goes through the controller, which may refuse.
  void closeEvent(QCloseEvent* event) override;

 private:
  void build();
  // Runs one controller step, then shows its outcome.
  template <typename Step>
  void run(Step step);
  // Hands typed but not yet accepted text to the controller.
  void commitPending();
  void acceptCode();
  void acceptYear();
  void acceptMonth(bool report);
  void applyFocusRequest();
  void finishIfClosed();

  ShellServices& services_;
  std::unique_ptr<ErrorManager> ownErrors_;
  std::unique_ptr<CompanySelectionScreen> screen_;  // what the window shows
  CompanySelection* controller_ = nullptr;            // the screen's controller
  QLineEdit* code_ = nullptr;
  QToolButton* search_ = nullptr;
  QLineEdit* uf_ = nullptr;
  QLineEdit* razao_ = nullptr;
  QComboBox* year_ = nullptr;
  QLineEdit* month_ = nullptr;
  QLabel* monthName_ = nullptr;
  QLabel* warning_ = nullptr;
  QPushButton* select_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* help_ = nullptr;
  QTimer* blink_ = nullptr;
  bool busy_ = false;         // a controller step is running (it may show boxes)
  bool windowUpDone_ = false;
  bool finished_ = false;
};

// Runs the selection modally over `parent` (a screen that needs a company)
// and waits for it to close.  Returns true when a company is current
// afterwards.
bool runCompanySelection(ShellServices& services, QWidget* parent, ErrorManager* errors = nullptr);

// runCompanySelection() only when no company is current; true when one is.
bool ensureCompanySelected(ShellServices& services, QWidget* parent,
                           ErrorManager* errors = nullptr);

}  // namespace vorlam::shell::qt
