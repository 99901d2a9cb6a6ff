// The window of the account-code structure list `ConfigContas`
// (chart/structure_list.h) and the opener the main frame registers for the
// menu item "Níveis do Plano de Contas".
//
// The window is the generic list window over the list's own table, with the
// tip line above the list, "Formato do Plano Selecionado :" below it
// (following the cursor), the buttons "&Incluir", "&Alterar", "&Excluir",
// "&Selecionar" (when picking), "&Ajuda" and "&Fechar" (the right-button
// menu repeats them under the same captions).  Insert, change and delete run
// the structure form modally on the list's thread.
//
// Lives on the GUI thread.
#pragma once

#include <functional>
#include <memory>

#include "chart/account_structure.h"
#include "chart/structure_list.h"
#include "framework/error_manager.h"
#include "framework/qt/list_window.h"
#include "framework/qt/qt_dialogs.h"
#include "shell/app_state.h"

class QLabel;
class QPushButton;

namespace vorlam::chart::qt {

// Called with the structure chosen by "&Selecionar" (the window then closes).
using StructureChosen = std::function<void(const AccountStructure& chosen)>;

// Opens the structure list as a window of its own (Qt::Window over
// `parent`), not yet shown, deleted when it closes.  With `onSelect` the list is opened to pick a structure
// for the caller.  Returns nullptr when the structure file cannot be opened
// (message 26 has been raised).  `dictionary`, `state`, `errorServices` and
// `application` must outlive the window.
QWidget* openStructureList(const Dictionary& dictionary, const shell::AppState& state,
                           ErrorServices& errorServices, ApplicationControl& application,
                           QWidget* parent = nullptr, StructureChosen onSelect = {});

// What the window refers to, built and opened before it: the screen's
// dialogs, error manager, context and list.
struct StructureListScreen {
  StructureListScreen(const Dictionary& dictionary, PathResolver resolve, ErrorServices& errorServices,
                      ApplicationControl& application, bool selecting, QWidget* dialogParent);

  vorlam::qt::QtDialogs dialogs;
  ErrorManager errors;
  ScreenContext context;
  StructureList list;
  vorlam::qt::ListWindowDefinition definition;
};

namespace internal {
// Holds the screen so that it is built before, and destroyed after, the
// list window that refers to it.
struct ScreenHolder {
  std::unique_ptr<StructureListScreen> held;
};
}  // namespace internal

class StructureListWindow : private internal::ScreenHolder, public vorlam::qt::ListWindow {
 public:
  // `screen` must be open (StructureList::open()).
  StructureListWindow(std::unique_ptr<StructureListScreen> screen, QWidget* parent = nullptr);

  // Builds the columns and shows the first page (see ListWindow::open()).
  Status open();

  StructureListScreen& screen() { return *held; }
  QLabel* selectedFormatLabel() const { return format_; }
  QLabel* tipLine() const { return tip_; }
  QPushButton* helpButton() const { return help_; }
  QPushButton* closeButton() const { return close_; }

  // Runs the form for `request` on `row`; with `run` empty the form window
  // is shown modally.  True when the form completed.
  bool runForm(Request request, const Record* row);
  // Replaces the modal form window (tests drive the form themselves).
  void setFormRunner(StructureList::FormRunner run) { formRunner_ = std::move(run); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void decorate();
  void showSelectedFormat();

  QLabel* tip_ = nullptr;
  QLabel* format_ = nullptr;
  QPushButton* help_ = nullptr;
  QPushButton* close_ = nullptr;
  StructureList::FormRunner formRunner_;
};

}  // namespace vorlam::chart::qt
