// The logic of a form screen: one record of one table, edited for one
// request (insert, change, delete or view), without any user interface.
//
// The form keeps its own copy of the record and a model of its fields
// (enabled, visible, read-only) as plain data; the Qt view mirrors that
// model and calls type() when the user edits a field, validateField() when a
// field loses the focus, and ok() / cancel() for the buttons.  Screens
// register reactions per field (compute other fields, enable, disable or hide
// fields) and an optional validator of their own business rules.
//
// Record failures are raised by number through the screen's ErrorManager:
// 1 the record can no longer be read (the form closes), 4 a failed add, 7 a
// delete refused because another workstation changed the record, 8 a change
// refused for the same reason (the other workstation's values are shown and
// nothing is overwritten; the user's edits can be recalled), 10 cancelling
// unsaved changes, 11 confirming a delete, 13 a failed delete, 15 a duplicate
// key with the key's description, 17/18/19 the dictionary's field rules,
// 28 a failed change, 35 three failed attempts to number the record (asks
// whether to try again).  Changes of link fields and deletes cascade to the
// child tables of the dictionary's relations.
//
// Not thread-safe: a form runs on its screen's thread.  The Table may be the
// calling list's own instance; the form reads and writes through it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/screen_context.h"
#include "storage/decimal.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam {

// Caption of every form opened to view a record.
inline constexpr std::string_view kViewCaption = "View Record";

struct FormDefinition {
  std::string procedure;  // "UEmpresa": what %Procedure names while open
  std::string title;      // "Atualização da Tabela ..."
  std::string insertCaption;
  std::string changeCaption;
  std::string deleteCaption;
  // Fields shown, by name (with or without prefix); empty: every field.
  // Only the rules of the fields shown are checked when the form saves.
  std::vector<std::string> fields;
};

struct FieldState {
  bool enabled = true;
  bool visible = true;
  bool readOnly = false;
  bool operator==(const FieldState&) const = default;
};

enum class FormState {
  kOpen,       // still being edited
  kCompleted,  // OK: the record was added, changed or deleted (or viewed)
  kCancelled,  // the user gave up; nothing was written
  kClosed,     // the record could not be read, or a fatal message ended it
};

class FormController {
 public:
  using FieldReaction = std::function<void(FormController& form, int field)>;
  // Returns false to keep the form open (the validator shows its own message).
  using Validator = std::function<bool(FormController& form)>;

  // `context`, `definition` and `table` (open) must outlive the form.
  // Pushes the definition's procedure name until the form is destroyed.
  FormController(ScreenContext& context, const FormDefinition& definition, Table& table, Request request);

  // Opens an insert form on a blank record, or on a copy of `prototype`
  // (a buffer of the table: a list fills in its range values).
  FormState openNew(const Record* prototype = nullptr);
  // Opens a change, view or delete form on the record `recordId`.  When it
  // cannot be read, raises message 1 and returns kClosed.
  FormState openRecord(int64_t recordId);

  Request request() const { return request_; }
  FormState state() const { return state_; }
  const std::string& title() const { return def_.title; }
  // The caption of the request ("View Record" for view).
  std::string caption() const;
  const Table& table() const { return table_; }

  // --- The record --------------------------------------------------------
  const Record& record() const { return record_; }
  int64_t recordId() const { return record_.recordId(); }
  // Index of a field by name; -1 when unknown.
  int fieldIndex(std::string_view name) const { return table_.def().fieldIndex(name); }
  // A field's value as UTF-8 text (texts clipped, numbers plain).
  std::string text(int field) const;
  // The user typed `utf8` into `field`.  Refused (kInvalidArgument) when the
  // field cannot be edited: view and delete forms, disabled, hidden or
  // read-only fields.  kOutOfRange / kInvalidArgument for values the field
  // cannot hold.  Runs the field's reactions.
  Status type(int field, std::string_view utf8);
  // The screen's code sets a field (reactions, defaults), whatever its
  // state; refused only in view and delete forms.  Runs the reactions.
  Status assignText(int field, std::string_view utf8);
  Status assignInt(int field, int64_t value);
  Status assignDecimal(int field, const Decimal& value);
  // True when the record differs from the one read (insert: from the blank
  // or prototype record).
  bool hasUnsavedChanges() const;

  // --- The field model -------------------------------------------------
  // Fields shown, in order.
  const std::vector<int>& shownFields() const { return shown_; }
  // State of a field.  In view and delete forms every field is read-only.
  FieldState fieldState(int field) const;
  void setEnabled(int field, bool enabled);
  void setVisible(int field, bool visible);
  void setReadOnly(int field, bool readOnly);
  // Adds a reaction run after every change of `field` (several may be added;
  // they run in order).  Reactions that change fields run those fields'
  // reactions in turn, up to a fixed depth that stops cycles.
  void onChange(int field, FieldReaction reaction);
  // The validator runs before every insert and change; with `onDelete` it
  // runs before a deletion too, ahead of message 11.
  void setValidator(Validator validator, bool onDelete = false) {
    validator_ = std::move(validator);
    validateDeletes_ = onDelete;
  }
  // By default an insert numbers the auto-numbered key components afresh.
  // With `keep`, a record whose numbered components are all non-zero (a code
  // the user typed) is added as it stands, and a clash with a stored record
  // is a duplicate key (message 15); a zero is still numbered.
  void setKeepNumbers(bool keep) { keepNumbers_ = keep; }
  // By default OK checks the dictionary rule of every field of the record.
  // With `shownOnly`, only the rules of the fields the form shows: a stored
  // value the form cannot edit does not keep the record from being saved.
  void setCheckShownFieldsOnly(bool shownOnly) { checkShownOnly_ = shownOnly; }
  // Makes the record as it stands the one the form compares against: the
  // defaults a screen fills in as it opens are no edit of the user's (a
  // form left untouched then writes nothing and cancels without asking).
  void keepAsOpened() { original_ = record_; }
  // Asks the view to move the focus to `field` once the reaction or button
  // being handled is done; takeFocusRequest() returns it once (-1: none).
  void requestFocus(int field) { focusRequest_ = field; }
  int takeFocusRequest() { return std::exchange(focusRequest_, -1); }

  // Applies the dictionary's rule of `field`; when it fails and `report`,
  // raises 17, 18 or 19 with the rule's description and values.
  bool validateField(int field, bool report = true);

  // --- Buttons ---------------------------------------------------------
  // OK: validates (field rules, then the screen's validator) and adds,
  // changes or deletes the record (delete asks message 11 first; No leaves
  // the record and cancels the form).  View completes at once, and so does
  // a change without changes.  Returns the new state.
  FormState ok();
  // Cancel: with unsaved changes asks message 10; No keeps the form open.
  FormState cancel();

  // After message 8 the form shows the other workstation's values; this puts
  // the user's own edits back on top of them (the next OK writes them).
  bool canRecall() const { return !recall_.empty(); }
  void recallEdits();

  // The last catalogue message raised by open, ok or cancel (0: none).
  int lastMessage() const { return lastMessage_; }
  // The field that failed validation in the last ok(); -1 when none.
  int invalidField() const { return invalidField_; }

 private:
  int raise(uint16_t number, std::string_view argument = {});
  int raiseFile(uint16_t number, const Status& status);
  bool editable(int field) const;
  bool validFieldIndex(int field) const;
  Status changed(int field, Status set);
  void runReactions(int field);
  bool validateAll();
  bool keepsNumbers() const;
  FormState insertRecord();
  FormState changeRecord();
  FormState deleteRecord();
  void raiseDuplicate(const Status& status);
  void rememberEditsAfterConflict(const Record& fresh);

  ScreenContext& ctx_;
  const FormDefinition& def_;
  Table& table_;
  Request request_;
  ProcedureScope procedure_;
  FormState state_ = FormState::kOpen;
  Record record_;
  Record original_;
  std::vector<int> shown_;
  std::vector<FieldState> fields_;
  std::vector<std::vector<FieldReaction>> reactions_;
  Validator validator_;
  bool validateDeletes_ = false;
  bool keepNumbers_ = false;
  bool checkShownOnly_ = false;
  int focusRequest_ = -1;
  std::vector<std::pair<int, Cell>> recall_;  // storage column, the user's value
  int reactionDepth_ = 0;
  int lastMessage_ = 0;
  int invalidField_ = -1;
};

}  // namespace vorlam
