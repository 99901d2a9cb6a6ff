// The screen model: what one screen shows and what the user can do on it,
// without any user interface.  Every screen controller exposes one; the Qt
// views and the script runner (`vorlam-tool screen`) both read and drive
// it, so a screen cannot look different in a window and in a script.
//
// A screen is declared once, mostly as data plus reactions:
//
//   ScreenModel m("UConfigContas", "Configuração do Plano de Contas");
//   m.addControl({.name = "CONP:Nome", .prompt = "Nome do Plano de Contas",
//                 .picture = "@s40",
//                 .value = [&] { return form.text(name); },
//                 .complete = [&](const std::string& v) { return form.type(name, v); }});
//   m.addButton({.caption = "&Grava", .press = [&] { ok(); }, .isDefault = [] { return true; }});
//   m.addKey({.name = "Esc", .action = [&] { m.requestClose(); }});
//
// Helpers declare the usual groups at once: bindForm() (form_screen.h) the
// fields of a FormController, bindList() (list_screen.h) a ListController
// with its columns, tabs and locator.
//
// Parts of a model:
//  - procedure and title (the title may follow the screen's state);
//  - tabs: captions, which is current, what selecting one does;
//  - controls: entry fields, check boxes, radio groups, drop lists and
//    display fields, each with its field or variable name ("EMP:CGC",
//    "LOC:ANO"), its prompt exactly as shown ("0&2-Razão Social......."), its
//    picture, its stored value as text and its state;
//  - buttons: caption, tip, status text, enabled, default;
//  - keys the screen reacts to ("Insert", "Delete", "Enter", "Esc", "F2"),
//    optionally only while a given control or list has the focus;
//  - lists: headers, the displayed rows, the highlighted row, the locator;
//  - the focus (a control, list or button name; empty when none);
//  - beeps, told to the observer (a search that found nothing);
//  - the menu (the main frame's): items by their captions;
//  - children: a screen opens a lookup or a form with runChild(), which
//    returns once the child has closed; meanwhile the child receives every
//    action.  The ScreenHost decides how (a window-modal window, or the
//    script runner reading the next commands).
//
// Values.  A control's value() is the stored value as plain text ("5",
// "Nome", "0"); displayValue() shows it through the picture.  type() takes
// what the user types, turns it into the stored value through the picture
// (refusals are shown as a message box titled "Atenção!!!", as the windows
// do) and hands it to complete(), which runs the field's reactions and
// checks as when the user leaves the field.  For choice controls the text
// is the stored value or a choice's caption.
//
// Errors.  Actions return kNotFound for names the screen does not have
// (unknown control, button, key, tab or list: a script error), and
// kInvalidArgument for what the screen refuses now (a disabled button, a
// read-only control).  Messages the screen shows go through its Dialogs as
// before; the model does not see them.
//
// Work on another thread.  A screen whose long work runs on a worker thread
// of its own (the adjustment's run) hands what must happen on the screen's
// thread over with post().  A host that keeps the screen's thread free
// while such work goes on (a window) sets a waker: it runs the posted tasks
// soon, in order, on the screen's thread and shows the model again.  A host
// without one (a script) expects every action to have finished its work
// when it returns: the screen waits for its worker and calls runPosted()
// itself.
//
// Not thread-safe, but for setWaker(), runsInBackground() and post(): the
// model lives on its screen's thread.  The callbacks refer to the screen's
// controller, which must outlive the model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dialogs.h"
#include "storage/status.h"
#include "storage/table_def.h"

namespace vorlam {

class ListController;
class Record;
class ScreenModel;

// kProgress: a bar of long work; its value is a percentage, "0" to "100".
enum class ControlKind { kEntry, kCheckBox, kRadioGroup, kDropList, kDisplay, kProgress };

struct ControlChoice {
  std::string value;    // stored ("1", "10")
  std::string caption;  // shown ("1 Empresa Normal")
};

struct ControlState {
  bool enabled = true;
  bool visible = true;
  bool readOnly = false;
};

// Every member has a default, so declarations name only what they set.
struct ScreenControl {
  std::string name = {};    // field or variable name, as the dictionary declares it
  std::string prompt = {};  // as shown, with its '&'; may be empty
  ControlKind kind = ControlKind::kEntry;
  std::string picture = {};  // "@n6"; empty: the value as it stands
  // The picture in force when it follows the screen's state (a code shown
  // one way before a year and another from it); empty: `picture`.
  std::function<std::string()> pictureNow = {};
  std::vector<ControlChoice> choices = {};
  std::string tip = {};
  std::string status = {};
  int tab = -1;  // the screen tab it stands on; -1 on every tab
  // The stored value is a text: a digit pattern keeps its leading zeros.
  bool text = false;
  // The stored value as plain text.  Required.
  std::function<std::string()> value = {};
  // The user completed the control with stored value `v` (already through
  // the picture).  Empty for display fields.  A failure keeps the focus on
  // the control (the screen has shown why).
  std::function<Status(const std::string& v)> complete = {};
  // Empty: enabled, visible, editable.
  std::function<ControlState()> state = {};
  // For values no picture describes (an alphanumeric CNPJ in a digit mask):
  // the shown text of the stored value, and the stored value of what the
  // user typed (a refusal's message is shown as the picture's are).  Empty:
  // the picture does both.
  std::function<std::string(const std::string& stored)> format = {};
  std::function<Result<std::string>(std::string_view typed)> parse = {};
  // Layout, for the views.  `group`: the caption of the frame the control
  // stands in (consecutive controls of one caption share it; captions keep
  // their blanks).  `beside`: on the line of the control declared before
  // it, after it.  `blink`: shown and hidden in turn (a warning label).
  std::string group = {};
  bool beside = false;
  bool blink = false;
  // Values an entry offers in a drop-down; typing stays free.
  std::vector<std::string> suggestions = {};
};

struct ScreenButton {
  std::string caption = {};  // with its '&'; empty for an icon-only button
  std::string name = {};     // how an icon-only button is named ("search")
  std::string tip = {};
  std::string status = {};
  int tab = -1;
  std::function<void()> press = {};
  std::function<bool()> enabled = {};    // empty: always
  std::function<bool()> isDefault = {};  // empty: never
  std::function<bool()> visible = {};    // empty: always
};

struct ScreenKey {
  std::string name = {};   // "Insert", "Delete", "Enter", "Esc", "F2", ...
  std::string scope = {};  // only while this control or list has the focus; empty: always
  std::function<void()> action = {};
};

struct ScreenTab {
  std::string caption = {};
  // The caption in force when it follows the screen's state; empty:
  // `caption`.  selectTab() matches either.
  std::function<std::string()> captionNow = {};
  // Empty for the screen's own tabs; a list's name for that list's sort
  // tabs (which currentTab() does not count).
  std::string list = {};
  std::function<bool()> current = {};
  std::function<void()> select = {};
};

// Colours of one shown row as 0xRRGGBB; nullopt: the view's own.
struct RowColours {
  std::optional<uint32_t> text = {};
  std::optional<uint32_t> background = {};
};

struct ScreenList {
  std::string name = {};  // how the screen names it ("lista", "selecionadas")
  std::vector<std::string> headers = {};  // of the shown columns
  int tab = -1;
  // The shown rows as displayed text, one string per header.
  std::function<std::vector<std::vector<std::string>>()> rows = {};
  std::function<std::optional<size_t>()> highlighted = {};  // 0-based
  std::function<Status(size_t row)> highlight = {};
  // The locator of the current tab: its prompt, its text, typing into it.
  // Empty when the list has none.
  std::function<std::string()> locatorPrompt = {};
  std::function<std::string()> locatorText = {};
  std::function<Status(const std::string& text)> locate = {};
  // The colours of the shown rows, one per row of rows(); empty: the
  // view's own colours everywhere.  The text colour applies to the shown
  // columns listed in colouredColumns (0-based among the shown headers),
  // or to every column when that is empty.
  std::function<std::vector<RowColours>()> colours = {};
  std::vector<int> colouredColumns = {};
  // A click on cell `column` (0-based among the shown headers) of row
  // `row`, once the row is highlighted: what the screen does with it (the
  // chart's first column toggles the row's tag).  Empty: a click only
  // highlights.
  std::function<Status(size_t row, int column)> clickCell = {};
  // A list over a ListController (bindList fills these): a view may page
  // and scroll through the controller itself, showing the same columns.
  // Null for a list known by its rows() alone.
  ListController* controller = nullptr;
  std::string format = {};                     // the FORMAT string
  std::vector<std::string> columnFields = {};  // per column; "" for none
  std::vector<std::string> locatorPrompts = {};  // per controller tab
  std::function<std::optional<std::string>(const Record& row, int column)> cellText = {};
  // The colours of one of the controller's records, for a view that draws
  // the controller's rows itself; empty: colours() by the row's place.
  std::function<RowColours(const Record& row)> rowColour = {};
};

struct MenuItem {
  std::vector<std::string> path = {};  // {"&Arquivo", "&CFOP"}
  std::string status = {};             // status text ("Em construção" when not built)
  std::function<bool()> enabled = {};  // empty: always
  std::function<void()> choose = {};
  // The status text in force when it follows the screen's state; empty:
  // `status`.
  std::function<std::string()> statusNow = {};
};

// Shows a child screen and returns once it has closed.
class ScreenHost {
 public:
  virtual ~ScreenHost() = default;
  virtual void run(ScreenModel& child, ScreenModel* parent) = 0;
};

// What a model tells whoever watches it (the transcript, a window).
class ScreenObserver {
 public:
  virtual ~ScreenObserver() = default;
  virtual void focusChanged(ScreenModel& screen, const std::string& focus) = 0;
  virtual void closed(ScreenModel& screen) = 0;
  // The screen beeps (a search that found nothing).
  virtual void beeped(ScreenModel& /*screen*/) {}
};

// Names match letter case aside (sameName of storage/table_def.h); captions
// match with or without their '&'.
bool sameCaption(std::string_view a, std::string_view b);
std::string withoutMnemonic(std::string_view caption);

class ScreenModel {
 public:
  ScreenModel(std::string procedure, std::string title);
  ScreenModel(const ScreenModel&) = delete;
  ScreenModel& operator=(const ScreenModel&) = delete;

  // --- Declaring ---------------------------------------------------------
  void setTitle(std::function<std::string()> title) { dynamicTitle_ = std::move(title); }
  void addTab(ScreenTab tab) { tabs_.push_back(std::move(tab)); }
  void addControl(ScreenControl control);
  void addButton(ScreenButton button) {
    parts_.push_back({PartKind::kButton, buttons_.size()});
    buttons_.push_back(std::move(button));
  }
  void addKey(ScreenKey key) { keys_.push_back(std::move(key)); }
  void addList(ScreenList list);
  void addMenuItem(MenuItem item) { menu_.push_back(std::move(item)); }
  // Asked before the screen closes at the user's request ("&Fechar", Esc,
  // the window's close button); false keeps it open.  Empty: it closes.
  void setCloseRequest(std::function<bool()> mayClose) { mayClose_ = std::move(mayClose); }
  // Run after every action, for screens whose controller queues focus
  // requests (FormController::takeFocusRequest).
  void addAfterAction(std::function<void()> sync) { afterAction_.push_back(std::move(sync)); }
  // Where children are shown; a child takes its parent's host.
  void setHost(ScreenHost* host) { host_ = host; }
  ScreenHost* host() const { return host_; }
  void setObserver(ScreenObserver* observer) { observer_ = observer; }
  // Message boxes of the model's own (picture refusals).
  void setDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
  Dialogs* dialogs() const { return dialogs_; }

  // --- Reading -----------------------------------------------------------
  const std::string& procedure() const { return procedure_; }
  std::string title() const;
  const std::vector<ScreenTab>& tabs() const { return tabs_; }
  int currentTab() const;  // -1 when the screen has no tabs
  const std::vector<ScreenControl>& controls() const { return controls_; }
  const std::vector<ScreenButton>& buttons() const { return buttons_; }
  const std::vector<ScreenKey>& keys() const { return keys_; }
  const std::vector<ScreenList>& lists() const { return lists_; }
  const std::vector<MenuItem>& menu() const { return menu_; }
  // Controls, lists and buttons in the order they were declared (the order
  // a window lays them out in).
  enum class PartKind { kControl, kList, kButton };
  struct Part {
    PartKind kind;
    size_t index;  // into controls(), lists() or buttons()
  };
  const std::vector<Part>& parts() const { return parts_; }
  // By name (letter case aside) or by prompt exactly as shown (with '&').
  const ScreenControl* control(std::string_view nameOrPrompt) const;
  const ScreenButton* button(std::string_view caption) const;
  const ScreenList* list(std::string_view name) const;
  // The list actions without a name go to: the focused list, else the first
  // list shown on the current tab; nullptr when none.
  const ScreenList* activeList() const;
  ControlState state(const ScreenControl& control) const;
  bool enabled(const ScreenButton& button) const;
  bool isDefault(const ScreenButton& button) const;
  bool visible(const ScreenButton& button) const;
  // The value shown: through the picture, or a choice's caption.
  std::string displayValue(const ScreenControl& control) const;
  // The picture and tab caption in force (pictureNow / captionNow).
  static std::string pictureOf(const ScreenControl& control);
  static std::string captionOf(const ScreenTab& tab);
  static std::string statusOf(const MenuItem& item) { return item.statusNow ? item.statusNow() : item.status; }
  const std::string& focus() const { return focus_; }
  bool closed() const { return closed_; }

  // --- Acting ------------------------------------------------------------
  // Types `text` into the control and completes it.  The focus goes to the
  // control first, and on to the next control when it was accepted and the
  // screen asked for no other.
  Status type(std::string_view control, std::string_view text);
  Status press(std::string_view caption);
  // A key: the handler scoped to the focus wins over an unscoped one;
  // "Enter" without a handler presses the default button.
  Status key(std::string_view name);
  Status selectTab(std::string_view caption);
  // Highlights row `row` (0-based) of the active list.
  Status highlightRow(size_t row);
  // Clicks cell `column` (0-based among the shown headers) of row `row` of
  // the active list: highlights the row, then the list's clickCell.
  Status clickCell(size_t row, int column);
  Status locate(std::string_view text);
  Status chooseMenu(const std::vector<std::string>& path);
  // The user asks to close (close-request check first).  True when closed.
  bool requestClose();
  // The screen closes itself (OK, select, a refused open).
  void close();
  // The screen moves the focus; empty clears it.
  void setFocus(const std::string& name);
  // The screen beeps; its observer is told.
  void beep();
  // Runs the after-action hooks; actions call it, views call it after
  // driving the controller directly.
  void sync();

  // Shows `child` over this screen and returns once it has closed.  Without
  // a host the child cannot be shown and is closed at once.
  void runChild(ScreenModel& child);

  // --- Work on another thread (see the top of this file) -------------------
  // `wake` is called, from any thread, when tasks wait to be run; it must
  // only arrange for runPosted() on the screen's thread.  Empty: none.
  void setWaker(std::function<void()> wake);
  // True when a waker is set: long work may go on after an action returns.
  bool runsInBackground() const;
  // Queues `task` for the screen's thread.  Any thread.
  void post(std::function<void()> task);
  // Runs the tasks posted so far, in order, then sync().  Screen's thread.
  void runPosted();

 private:
  // The control or list after `name` in declaration order that can take
  // the focus (Tab's order); `name` itself when there is none.
  std::string nextFocus(const std::string& name) const;
  bool focusable(const std::string& name) const;
  bool onCurrentTab(int tab) const;
  Status refuse(const std::string& text);

  std::string procedure_;
  std::string title_;
  std::function<std::string()> dynamicTitle_;
  std::vector<ScreenTab> tabs_;
  std::vector<ScreenControl> controls_;
  std::vector<ScreenButton> buttons_;
  std::vector<ScreenKey> keys_;
  std::vector<ScreenList> lists_;
  std::vector<MenuItem> menu_;
  std::vector<std::string> focusOrder_;  // controls and lists, as declared
  std::vector<Part> parts_;
  std::function<bool()> mayClose_;
  std::vector<std::function<void()>> afterAction_;
  ScreenHost* host_ = nullptr;
  ScreenObserver* observer_ = nullptr;
  Dialogs* dialogs_ = nullptr;
  mutable std::mutex postMu_;
  std::function<void()> wake_;                // guarded by postMu_
  std::vector<std::function<void()>> posted_;  // guarded by postMu_
  std::string focus_;
  uint64_t focusMoves_ = 0;  // every setFocus(), the same control's included
  bool closed_ = false;
};

// What every screen controller is to the views and the script runner:
// whatever owns the controller and its model.
class Screen {
 public:
  virtual ~Screen() = default;
  virtual ScreenModel& model() = 0;
  // Opens the screen once its model is attached to a host: reads its
  // records, shows its opening messages.  A screen that refuses to open
  // (the user's data does not allow it) shows why, closes its model and
  // returns ok; an error is a request that cannot be served (a form asked
  // for a record that does not exist, keys missing).
  virtual Status open() { return Status::ok(); }
  // In select mode, once closed: the primary-key values of the record the
  // user chose, as `vorlam-tool export` writes them; empty when the user
  // chose nothing.
  virtual std::vector<std::string> chosenKeys() const { return {}; }
};

}  // namespace vorlam
