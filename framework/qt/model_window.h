// A window that draws any screen model (framework/screen_model.h), so that
// a screen needs no Qt code of its own.
//
// Layout.  The screen's own tabs become the pages of a tab widget; what
// stands on every tab goes above it.  On each page the controls and lists
// follow in the order the screen declared them, one per line: the prompt,
// then the control by kind (an entry field sized from its picture, typed
// or picked from the values it offers, a check box, a group of radio
// buttons, a drop list, a display field, a progress bar); a control
// declared `beside` and an icon-only button go on the line of the control
// declared before them.  Consecutive controls of one group stand in a frame
// with its caption; a blinking control is shown and hidden in turn.  The
// captioned buttons of a page form a row below it, those of every tab a row
// at the bottom.  A list over a ListController is the framework's list
// window (its pages read from the file as the user scrolls, its columns
// sized from their pictures and headers, its sort tabs and locator); any
// other list is a table of the rows the screen gives.
//
// Behaviour.  Every user action goes to the model (type, press, key,
// selectTab, highlightRow, locate) and the window then reads the whole
// model again: values, states, captions, the title, the lists.  The keys
// the screen declares act while the window has the focus, a scoped key
// only while its control or list has it; Esc asks the screen to close, as
// the window's close button does.  The focus follows the model both ways.
// A child screen (a form, a lookup) opens as a window of its own, modal to
// this window only: the frame and every other screen stay usable.  The
// window closes when its screen closes.  Long work of the screen on a
// worker thread of its own goes on while the window stays usable: what the
// worker posts (ScreenModel::post) runs on the GUI thread, after the action
// in hand when one is (a question of the screen's may be up), and the
// window then shows the model again.
//
// Lives on the GUI thread.  The model must outlive the window (or be owned
// by it, adopt()).
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dialogs.h"
#include "framework/qt/list_window.h"
#include "framework/qt/screen_behaviour.h"
#include "framework/screen_model.h"

class QAbstractButton;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace vorlam::qt {

// The message boxes of one screen, shown modal to the screen's window on
// top: the screen's own, or that of a child sharing its dialogs (a form the
// screen runs itself).  Before any window is shown, over `fallback`.
class ScreenDialogs : public Dialogs {
 public:
  explicit ScreenDialogs(QWidget* fallback = nullptr) : fallback_(fallback) {}
  void setFallback(QWidget* fallback) { fallback_ = fallback; }
  void push(QWidget* window);
  void remove(QWidget* window);
  // The window boxes are shown over now; may be null.
  QWidget* window() const;

  uint32_t messageBox(const MessageBoxRequest& request) override;
  int question(const QuestionRequest& request) override;
  bool canChooseFiles() const override { return true; }
  std::optional<std::string> chooseFile(const FileRequest& request) override;
  bool canPrint() const override { return true; }
  Result<bool> print(const PrintRequest& request) override;

 private:
  std::vector<QPointer<QWidget>> windows_;
  QPointer<QWidget> fallback_;
};

// How long a blinking control stays shown, and hidden.
inline constexpr int kBlinkMs = 500;

struct ModelWindowOptions {
  ScreenLook look = {};
  // Saved queries and settings of the lists.
  ListServices list = {};
};

class ModelWindow : public QWidget, public ScreenHost, public ScreenObserver {
  Q_OBJECT
 public:
  // Builds the window over `model`, whose parts are declared (the screen is
  // open), and becomes its host and observer.  A ScreenDialogs of the model
  // shows its boxes over this window while it lives.
  explicit ModelWindow(ScreenModel& model, ModelWindowOptions options = {}, QWidget* parent = nullptr);
  ~ModelWindow() override;

  // The window owns the screen behind the model from now on.
  void adopt(std::unique_ptr<Screen> screen) { owned_ = std::move(screen); }
  ScreenModel& model() const { return model_; }
  const ModelWindowOptions& options() const { return options_; }

  // Reads the model again and shows it.
  void refresh();

  // The widgets, for tests: by control name or prompt, by button caption
  // (or name of an icon-only one), by list name.
  QWidget* control(std::string_view nameOrPrompt) const;
  QLabel* prompt(std::string_view nameOrPrompt) const;
  QAbstractButton* button(std::string_view caption) const;
  ListWindow* listWindow(std::string_view name) const;
  QTableWidget* rowTable(std::string_view name) const;
  QTabWidget* tabs() const { return tabs_; }
  // The widget that stands for a focus name of the model.
  QWidget* focusWidget(const std::string& name) const;

  // ScreenHost: the child opens as a window of its own over this one and
  // this returns once it has closed.
  void run(ScreenModel& child, ScreenModel* parent) override;
  // ScreenObserver.
  void focusChanged(ScreenModel& screen, const std::string& focus) override;
  void closed(ScreenModel& screen) override;
  void beeped(ScreenModel& screen) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Page {
    QWidget* widget = nullptr;
    QGridLayout* grid = nullptr;
    QHBoxLayout* buttons = nullptr;
    int row = 0;
    // The frame of the controls declared last, while they have one.
    std::string group;
    QWidget* frame = nullptr;
    QGridLayout* frameGrid = nullptr;
    int frameRow = 0;
  };
  struct ControlView {
    size_t index = 0;
    QLabel* prompt = nullptr;
    QWidget* widget = nullptr;  // the control (a group box for radio groups)
  };
  struct ListView {
    size_t index = 0;
    ListWindow* window = nullptr;  // over the list's controller
    QTableWidget* table = nullptr;  // rows() alone
    QLabel* locatorPrompt = nullptr;
    QLineEdit* locator = nullptr;
  };

  void build();
  Page makePage(QWidget* parent);
  Page& pageFor(int tab);
  void addControl(size_t index);
  void addList(size_t index);
  // The widget of a list over a ListController (the paging list window) and
  // of a list of the rows the screen gives (a table); `v` takes them.
  QWidget* addPagedList(const ScreenList& l, Page& page, ListView& v);
  QWidget* addRowTable(const ScreenList& l, Page& page, ListView& v);
  void addButton(size_t index, QWidget*& lastControlRow);
  QWidget* makeControl(const ScreenControl& c, QWidget* parent);
  QWidget* makeEntry(const ScreenControl& c, size_t index, QWidget* parent);
  // Opens or closes the frame of `group` on `page`.
  void enterGroup(Page& page, const std::string& group);
  void showControl(const ControlView& v);
  void showList(ListView& v);
  void showButtons();
  // Runs a user action on the model, then shows the model again (or closes
  // once the screen has closed).
  void act(const std::function<void()>& action);
  // Runs what the screen's worker posted, unless an action is in hand.
  void runPosted();
  void completeEntry(size_t control, const QString& typed);
  void userFocus(QWidget* now);
  bool keyPress(QWidget* w, QKeyEvent* key);
  bool contextMenu(QWidget* viewport, const QPoint& at);
  std::string partOf(QWidget* w) const;
  bool hasKey(const std::string& name, const std::string& scope) const;

  ScreenModel& model_;
  ModelWindowOptions options_;
  std::unique_ptr<Screen> owned_;
  ScreenBehaviour behaviour_;
  QTabWidget* tabs_ = nullptr;
  std::vector<int> tabOfPage_;  // the model's tab index per page
  Page common_;
  std::vector<Page> pages_;
  QHBoxLayout* bottomButtons_ = nullptr;
  std::vector<ControlView> controls_;
  std::vector<ListView> lists_;
  std::vector<QAbstractButton*> buttons_;  // per model button
  std::map<QWidget*, std::string> partOfWidget_;
  // The line each control stands on: what is declared beside it joins it.
  std::map<QWidget*, QHBoxLayout*> lineOf_;
  QHBoxLayout* lastLine_ = nullptr;
  QTimer* blink_ = nullptr;  // the blinking controls' turn
  bool blinkShown_ = true;
  bool refreshing_ = false;
  bool moving_ = false;  // the window gives the focus the model asked for
  bool closing_ = false;
  int depth_ = 0;  // actions in progress (a child window may be up)
  bool postedWaiting_ = false;  // posted tasks wait for the action in hand
};

// Shows `child` in a ModelWindow of its own, modal to the screen of `over`
// only, and returns once it has closed.
void runModelWindow(ScreenModel& child, QWidget* over, const ModelWindowOptions& options);

}  // namespace vorlam::qt
