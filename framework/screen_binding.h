// Declaring the usual parts of a screen model (framework/screen_model.h) at
// once: the fields of a FormController, and a ListController with its
// FORMAT columns, sort tabs and locator.  A new list or form screen is then
// its definitions plus its own reactions:
//
//   ScreenModel model(def.procedure, def.title);
//   bindList(model, list, {.name = "lista", .format = kFormat, .columnFields = {...},
//                          .locatorPrompts = {...}});
//   model.addButton({.caption = "&Incluir", .press = [&] { list.request(Request::kInsert); }});
//
// ListCells is the text of a list's cells (a field through its column's
// picture, or a computed text), shared by the model and the Qt list model
// so that a list shows the same text everywhere.
//
// The bound controllers must outlive the model.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/form_controller.h"
#include "framework/list_controller.h"
#include "framework/list_format.h"
#include "framework/picture.h"
#include "framework/screen_model.h"
#include "storage/record.h"

namespace vorlam {

// The value of `field` of `row` as `picture` reads it.
PictureValue pictureValueOf(const Record& row, int field, const Picture& picture);

class ListCells {
 public:
  // A computed column's text; nullopt falls back to the field.
  using CellText = std::function<std::optional<std::string>(const Record& row, int column)>;

  ListCells() = default;
  // `fields` gives, per column, the field shown (-1: none).
  ListCells(std::vector<ListColumn> columns, std::vector<int> fields);

  void setCellText(CellText cellText) { cellText_ = std::move(cellText); }
  const std::vector<ListColumn>& columns() const { return columns_; }
  // UTF-8, without the picture's padding (the column aligns it).
  std::string text(const Record& row, int column) const;
  // The shown columns' texts of `row`, and their headers.
  std::vector<std::string> shownTexts(const Record& row) const;
  std::vector<std::string> shownHeaders() const;

 private:
  std::vector<ListColumn> columns_;
  std::vector<int> fields_;
  std::vector<Picture> pictures_;
  CellText cellText_;
};

// One control of a form, as the screen declares it.
struct FormFieldBinding {
  std::string field = {};   // "CONP:Nome"
  std::string prompt = {};  // "Nome do Plano de Contas"
  ControlKind kind = ControlKind::kEntry;
  std::string picture = {};
  std::vector<ControlChoice> choices = {};
  std::string tip = {};
  int tab = -1;
  // The field's own reaction once the typed value was taken and its
  // dictionary rule checked (the "accepted" event); empty: none.  A failure
  // keeps the focus on the field unless the reaction moved it.
  std::function<Status()> accepted = {};
};

// Declares one control per binding on the form's field: its value is the
// form's, typing goes through FormController::type() and then the field's
// dictionary rule (messages 17-19), its state is the form's.  The title
// follows the form's caption, and focus requests of the form
// (requestFocus) move the model's focus.  kInvalidArgument for a field the
// table does not have.
Status bindForm(ScreenModel& model, FormController& form, const std::vector<FormFieldBinding>& fields);

struct ListBinding {
  std::string name = "lista";
  std::string format = {};                     // the FORMAT string
  std::vector<std::string> columnFields = {};  // per column; "" for none
  // Per tab of the controller: the locator's prompt; "" for none.
  std::vector<std::string> locatorPrompts = {};
  ListCells::CellText cellText = {};
  int tab = -1;  // the screen tab the list stands on
  // A row's colours (ScreenList::colours); empty: the view's own.
  std::function<RowColours(const Record& row)> rowColours = {};
  // The shown columns (0-based among the shown headers) the text colour
  // applies to; empty: every column.
  std::vector<int> colouredColumns = {};
  // A click on a cell of a highlighted row (ScreenList::clickCell).
  std::function<Status(size_t row, int column)> clickCell = {};
};

// Declares the list (headers, displayed rows of the page, highlight,
// locator of the current tab) and its sort tabs.  kInvalidArgument for a
// faulty FORMAT string or unknown field.
Status bindList(ScreenModel& model, ListController& list, const ListBinding& binding);

// The press of a selecting list's "Seleciona" button: the selected record
// becomes the screen's choice (`chosen`) and the screen closes; with no
// record selected nothing happens.  The three must outlive the model.
std::function<void()> chooseAndClose(ScreenModel& model, const ListController& list,
                                     std::optional<Record>& chosen);

// The cells a binding shows, for views that draw the same list.
Result<ListCells> listCells(const ListController& list, const ListBinding& binding);

}  // namespace vorlam
