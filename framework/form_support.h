// What the forms and list screens of every subsystem share: opening a
// form on the record a caller names, fields with a reaction of their own
// when the user completes them, the OK / Cancel / Help buttons, the
// screens' own message boxes and questions, and Up / Down between fields.
//
// Not thread-safe: everything here runs on its screen's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/form_controller.h"
#include "framework/screen_binding.h"
#include "framework/screen_model.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam {

// The title of the screens' own business messages.
inline constexpr char kAttention[] = "Atenção!!!";

struct FormButtonText {
  std::string caption;
  std::string tip = {};
};

// The record of `table` (open) that a caller names by `keys`: the values of
// the table's primary key in key order, as primaryKeyTexts() writes them
// (UTF-8), or the record id for a table without a primary key.  A table
// without one also takes the values of `fallbackKey`'s components.  Leaves
// the record in the table's buffer and returns its id; kNotFound when there
// is none, kInvalidArgument when the keys do not fit.
Result<int64_t> findRecord(Table& table, const std::vector<std::string>& keys, std::string_view fallbackKey = {});

// Opens `table` on its bound file (created when missing); a failure raises
// message 26 through the context's error manager.
Status openBound(ScreenContext& context, Table& table, OpenMode mode = OpenMode::kShared);

// "OK", "Cancel" and "Help" of a form: OK and Cancel close the model once
// the form is no longer open; Help shows `helpText` (no Help button when its
// caption is empty).  Esc and the window's close cancel.
void addFormButtons(ScreenModel& model, FormController& form, const FormButtonText& ok, const FormButtonText& cancel,
                    const FormButtonText& help = {}, std::string helpText = {});

// A message box of the screen: OK only.
void showMessage(ScreenModel& model, std::string_view title, std::string_view text,
                 MessageIcon icon = MessageIcon::kExclamation);
// A question with a button list ("&Não|&Sim"); the 1-based answer, or
// `defaultButton` when the screen has no dialogs.
int ask(ScreenModel& model, std::string_view title, std::string_view text, std::string_view buttonList,
        int defaultButton = 1);

// Down moves the focus to the next of `fields` (in order), Up to the
// previous; on a drop list (`lists`) both keep their list meaning and do
// nothing here.
void addArrowNavigation(ScreenModel& model, std::vector<std::string> fields, std::vector<std::string> lists = {});

// The text of an unsigned value as typed keys carry it (0 for none).
int64_t keyNumber(const std::string& text);

}  // namespace vorlam
