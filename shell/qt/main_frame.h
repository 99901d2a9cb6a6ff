// The main frame "Vorlam Banco de Dados" (procedure Main): the one top-level
// window, with the menu that reaches every screen, the toolbar that shows
// the current company, and the work area where screens open.
//
// Everything the frame shows comes from its screen model (MainScreen,
// shell/main_menu.h): the title, the menus and their items with their
// status texts ("Em construção" for a screen not built), the toolbar's
// prompts, values, buttons and their tips, and the F2 key.  The frame
// stays a window of its own because a menu bar, a toolbar and a work area
// of windows are no screen the generic model window draws.
//
// Screens reach the menu through a registry.  Each subsystem registers, for
// a menu item, an opener that builds a new, independent copy of its screen
// (its own tables, its own error manager) and returns its top widget:
//
//   frame.registerScreen(menu::kPlanoContas, [&] { return new ChartList(services); });
//
// Choosing the item calls the opener and shows what it returns as a new
// window of the work area, so the same item opens as many copies as it is
// chosen; the frame stays usable meanwhile.  "Atualiação" (file
// maintenance) alone runs modally: the frame is blocked until its window
// closes.  An item without an opener is shown disabled.  "&Sair" closes the
// frame; "Aj&uda" does nothing.
//
// Lives on the GUI thread, for the life of the process.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/error_manager.h"
#include "shell/main_menu.h"
#include "shell/screen_registry.h"
#include "shell/qt/shell_services.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class QToolButton;
class QTimer;

namespace vorlam::shell::qt {

// The menu and its items live with the frame's screen model.
namespace menu = vorlam::shell::menu;
using vorlam::shell::kFrameProcedure;
using vorlam::shell::kFrameTitle;
using vorlam::shell::MenuItemDef;
using vorlam::shell::menuItems;

class MainFrame : public QMainWindow {
  Q_OBJECT
 public:
  // Builds a new screen and returns its top widget (the frame takes it
  // over), or nullptr when the screen did not open (it has said why).
  using ScreenOpener = std::function<QWidget*()>;

  // Opens the frame: binds the shared file names, names "Main" on the error
  // manager, sets the highlight colour in `services`, restores the window
  // state of "Main" and starts the focus highlight and keyboard navigation
  // of the toolbar.  `services` must outlive the frame.
  explicit MainFrame(ShellServices& services, QWidget* parent = nullptr);
  ~MainFrame() override;

  // Makes `item` (one of menu::) open the screen `opener` builds, and
  // enables it.  An opener registered again replaces the earlier one.
  // Returns false for a text that is no menu item.
  bool registerScreen(std::string_view item, ScreenOpener opener);
  bool isRegistered(std::string_view item) const;

  // What choosing `item` does.  Returns the screen opened in the work area;
  // nullptr for an unregistered item, an opener that gave nothing, or the
  // modal item (its window is gone when this returns).
  QWidget* openScreen(std::string_view item);
  // The work-area windows now open, oldest first.
  std::vector<QMdiSubWindow*> screens() const;

  // "Seleciona Empresa" (F2): the company and period selection (in the
  // generic model window) in the work area; when one is open already it is
  // brought to the front.
  void openCompanySelection();
  // Shows the current company in the toolbar.
  void refreshCompany();

  ScreenModel& model() { return screen_->model(); }
  QAction* menuAction(std::string_view item) const;
  QAction* exitAction() const { return exit_; }
  QAction* helpAction() const { return help_; }
  QToolBar* companyBar() const { return bar_; }
  QToolButton* selectButton() const { return selectButton_; }
  QToolButton* exitButton() const { return exitButton_; }
  QLabel* codeValue() const { return code_; }
  QLabel* chartTypeValue() const { return chartType_; }
  QLabel* structureValue() const { return structure_; }
  QLabel* nameValue() const { return name_; }
  QMdiArea* workArea() const { return area_; }
  ErrorManager& errors() { return *errors_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Alt+letter reaches the active screen's own controls before the menu
  // bar, as in a dialog: a screen's "&Selecionar" wins over "&Sair".
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void buildToolbar();
  // Reads the model again: toolbar values, menu items' state and status.
  void refreshModel();
  // Runs a user action on the model, then shows it again (or closes).
  void act(const std::function<void()>& action);
  QWidget* runModal(QWidget* screen);
  QMdiSubWindow* showInArea(QWidget* screen);
  void fitInArea(QMdiSubWindow* sub);
  void watchState();
  void paintWallpaper();

  ShellServices& services_;
  std::unique_ptr<ErrorManager> errors_;
  // The screens the frame opens itself (the selection) when the services
  // name no registry.
  std::unique_ptr<ScreenRegistry> ownRegistry_;
  std::unique_ptr<MainScreen> screen_;
  std::vector<std::pair<const ScreenControl*, QLabel*>> values_;  // toolbar values
  QMdiArea* area_ = nullptr;
  QToolBar* bar_ = nullptr;
  QToolButton* selectButton_ = nullptr;
  QToolButton* exitButton_ = nullptr;
  QLabel* code_ = nullptr;
  QLabel* chartType_ = nullptr;
  QLabel* structure_ = nullptr;
  QLabel* name_ = nullptr;
  QAction* exit_ = nullptr;
  QAction* help_ = nullptr;
  QAction* selectAction_ = nullptr;
  QTimer* watch_ = nullptr;
  QMdiSubWindow* selection_ = nullptr;
  std::map<std::string, QAction*, std::less<>> actions_;
  std::map<std::string, ScreenOpener, std::less<>> openers_;
  uint64_t shownGeneration_ = ~uint64_t(0);
  bool procedurePushed_ = false;
};

}  // namespace vorlam::shell::qt
