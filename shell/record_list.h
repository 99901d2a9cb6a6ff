// The list screen of a registry (CNAE, states, municipalities, responsible
// persons, standard histories, standard entries, ...), declared as data: one
// table in one order per tab, each tab with its locator, the buttons of
// insert, change, delete and select (select only when a caller opened the
// list to choose a record, and then the default button), "&Fechar", the keys
// Insert and Delete, and the registry's form opened by procedure name for
// insert, change and delete.
//
// The form is any screen registered under the layout's form procedure; when
// it is a RecordForm the list learns whether it completed and, after an
// insert, positions on the new record.  A form procedure that is not built
// leaves the three request buttons disabled.
//
// Not thread-safe: a screen runs on its own thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/form_support.h"
#include "framework/list_controller.h"
#include "framework/screen_model.h"
#include "shell/screen_registry.h"
#include "storage/table.h"

namespace vorlam::shell {

struct RecordListLayout {
  std::string procedure;
  std::string title;
  std::string table;  // dictionary label
  std::string format;
  std::vector<std::string> columns;  // the field of each column
  std::vector<ListTabDefinition> tabs;
  // Per tab; "" for none.
  std::vector<std::string> locatorPrompts;
  // A part-name tab (one with a locator variable) shows its prompt beside an
  // entry of its own: completing it filters the list and moves the focus to
  // the list.  Otherwise the prompt is the list's locator, which fills the
  // variable as the user types.
  bool partNameEntries = true;
  std::string formProcedure;  // the form of insert, change and delete
  // Button captions and tips, in order: insert, change, delete, select.
  std::vector<FormButtonText> buttons;
  // Tip and status text of the change button when not selecting; "" keeps
  // the button's own tip.
  std::string changeStatus = {};
  std::string selectTip = {};
  std::string closeTip = {};
  std::string legendProcedure = {};  // "&Legenda"; "" none
  bool queryButtons = false;         // "&Limpa" and "&Filtro"
};

// A form a RecordList can open: tells whether the user completed it and the
// record it wrote.
class RecordForm : public HostedScreen {
 public:
  virtual bool completed() const = 0;
  virtual const Record& record() const = 0;

 protected:
  using HostedScreen::HostedScreen;
};

class RecordList : public HostedScreen {
 public:
  RecordList(ScreenServices& services, RecordListLayout layout, bool selecting);
  ScreenModel& model() override { return model_; }
  // Opens the table (message 26 and a closed screen when it cannot be) and
  // shows the first tab.
  Status open() override;
  std::vector<std::string> chosenKeys() const override;
  ListController& list() { return list_; }
  Table& table() { return table_; }
  // What "&Filtro" does (the view's query window); nothing by default.
  void setOnQuery(std::function<void()> query) { query_ = std::move(query); }

 private:
  void declare();
  void declarePartNameEntries();
  void declareButtons();
  bool runForm(Request request, const Record* row);

  RecordListLayout layout_;
  bool selecting_;
  ListDefinition definition_;
  Table table_;
  ListController list_;
  ScreenModel model_;
  std::optional<Record> chosen_;
  std::function<void()> query_;
};

// The factory of a list that opens plain or to select (any other mode is
// refused).
ScreenFactory recordListFactory(std::function<RecordListLayout()> layout);

}  // namespace vorlam::shell
