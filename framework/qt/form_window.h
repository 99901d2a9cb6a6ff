// The generic form screen ("Atualização da Tabela ..."): one record edited
// through a FormController (framework/form_controller.h), laid out from a
// form layout of tabs, groups, prompts and controls.
//
// The window mirrors the controller: every value and every field state
// (enabled, visible, read-only) shown is read back from it after each
// change, so reactions of the screen's rules show at once.  Typed text goes
// through the field's picture (the input rule) before it reaches the
// controller; text the picture refuses is answered with a message box and
// the field keeps the focus.  OK and Cancel call the controller, which
// raises its catalogue messages through the screen's error manager.  A
// focus the controller asks for (FormController::requestFocus) is given
// after each change and after a refused OK.
//
// Lives on the GUI thread.  The controller must be open (openNew or
// openRecord) and outlive the window.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/dialogs.h"
#include "framework/form_controller.h"
#include "framework/picture.h"
#include "framework/qt/record_step.h"
#include "framework/qt/screen_behaviour.h"
#include "storage/table.h"

class QAbstractButton;
class QBoxLayout;
class QGridLayout;
class QLabel;
class QPushButton;
class QTabWidget;
class QToolBar;

namespace vorlam::qt {

enum class FieldControl {
  kEntry,       // one-line entry with the picture as input rule
  kDropList,    // choose one of `choices`
  kComboList,   // type a value (picture as input rule) or choose one of `choices`
  kRadioGroup,  // one radio button per choice, in a group titled by the prompt
  kCheckBox,    // checked stores `checkedValue`, unchecked `uncheckedValue`
  kDisplay,     // shown, never edited, takes no focus
};

struct FormChoice {
  std::string value;    // stored text ("1", "SP")
  std::string caption;  // shown text ("&Física", "São Paulo")
};

// Choices read from a table when the window opens, in the order of `key`:
// the stored value is `valueField`, the text shown `captionField` (the value
// itself when empty).  The table must be open while the window is built.
struct FormTableChoices {
  Table* table = nullptr;
  std::string key;  // key name; empty: file order
  std::string valueField;
  std::string captionField;
  int limit = 5000;  // at most this many choices are read
};

// Every member has a default, so that a layout names only what it sets
// ({.field = ..., .prompt = ..., .picture = ...}).
struct FormFieldLayout {
  std::string field = {};   // "CNAE:CODIGO"
  std::string prompt = {};  // "0&1 - Código......"; '&' marks the mnemonic
  FieldControl control = FieldControl::kEntry;
  std::string picture = {};  // "@n6"; empty: plain text as the controller holds it
  std::vector<FormChoice> choices = {};
  std::string checkedValue = "1";
  std::string uncheckedValue = "0";
  std::string tip = {};
  std::string lookupTip = {};  // non-empty: a lookup button beside the field
  // Drop and combo lists: choices from a table, after `choices`.
  std::optional<FormTableChoices> tableChoices = {};
};

struct FormGroupLayout {
  std::string caption;  // empty: no frame
  std::vector<FormFieldLayout> fields;
};

struct FormTabLayout {
  std::string caption;  // ignored when the form has one tab (no tab bar)
  std::vector<FormGroupLayout> groups;
};

struct FormButtonTexts {
  std::string okCaption = "&OK";
  std::string okTip;
  std::string cancelCaption = "&Cancelar";
  std::string cancelTip;
};

struct FormLayout {
  std::vector<FormTabLayout> tabs;
  FormButtonTexts buttons;                       // every request
  std::map<Request, FormButtonTexts> byRequest;  // overrides per request
};

class FormWindow : public QDialog {
  Q_OBJECT
 public:
  // `dialogs` shows the refusals of the pictures ("Atenção!!!").
  FormWindow(FormController& form, const FormLayout& layout, Dialogs& dialogs, QWidget* parent = nullptr);
  ~FormWindow() override;

  // What the lookup button of `field` does; the window shows the field's
  // new value afterwards and gives it the focus.
  void setLookup(const std::string& field, std::function<void()> lookup);

  // The control of a field (entry, drop list, group box, check box or
  // display label), or nullptr.
  QWidget* control(const std::string& field) const;
  QLabel* prompt(const std::string& field) const;
  QAbstractButton* lookupButton(const std::string& field) const;
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }
  QLabel* captionLabel() const { return caption_; }

  void setLook(const ScreenLook& look) { setScreenLook(behaviour_, this, look); }
  KeyboardNavigation* keyboardNavigation() const { return behaviour_.navigation; }
  FocusHighlight* focusHighlight() const { return behaviour_.highlight; }

  // Reads every value and state back from the controller.
  void refresh();
  // Hands the typed text of the field with the focus to the controller; false
  // when it was refused (the field keeps the focus).
  bool commitFocused();

  // Cancel through the controller; the window closes only when the
  // controller lets it.
  void reject() override;

  // Shows the navigation toolbar (a form opened from a list, for change,
  // view or insert).  Each of its buttons saves as OK does; when the form
  // completed, the window closes with the button's step, for the list to
  // move by it and open the form again (ListWindow::continueWith).
  void enableNavigation();
  QToolBar* navigation() const { return navigation_; }
  // The step the window was closed by; nullopt after OK or Cancel.
  std::optional<RecordStep> step() const { return step_; }

 private:
  struct Bound {
    FormFieldLayout layout;
    int field = -1;
    Picture picture;
    QWidget* control = nullptr;
    QLabel* prompt = nullptr;
    QAbstractButton* lookup = nullptr;
    std::function<void()> onLookup;
  };

  QWidget* buildTab(const FormTabLayout& tab);
  void bindField(const FormFieldLayout& f, QWidget* parent, QGridLayout* grid, int row);
  QWidget* buildControl(Bound& b, QWidget* parent);
  QWidget* buildList(Bound& b, QWidget* parent, bool editable);
  void buildButtons(QBoxLayout* layout);
  bool commit(Bound& b);
  bool send(Bound& b, const std::string& utf8);
  void showValue(const Bound& b);
  void applyState(const Bound& b);
  QString displayText(const Bound& b) const;
  Bound* boundOf(QWidget* w);
  void pressOk() { finish(std::nullopt); }
  void finish(std::optional<RecordStep> step);
  void focusField(int field);
  void applyFocusRequest();

  FormController& form_;
  FormLayout layout_;
  Dialogs& dialogs_;
  std::vector<Bound> bound_;
  QTabWidget* tabs_ = nullptr;
  QLabel* caption_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool refreshing_ = false;
  ScreenBehaviour behaviour_;
  QToolBar* navigation_ = nullptr;
  std::optional<RecordStep> step_;
};

}  // namespace vorlam::qt
