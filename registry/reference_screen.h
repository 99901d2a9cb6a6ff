// The list and form screens behind registry/reference_lists.h, declared as
// data: a list over one table with its FORMAT columns, sort tabs and
// locators, which opens a form screen by procedure name; a form over one
// record with its captions and fields.  Screens with a rule of their own
// (the municipality's state) subclass the form.
//
// Not thread-safe: a screen runs on its own thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/form_controller.h"
#include "framework/list_controller.h"
#include "framework/screen_binding.h"
#include "registry/form_support.h"
#include "shell/screen_registry.h"

namespace vorlam::registry {

struct ReferenceListLayout {
  std::string procedure;
  std::string title;
  std::string table;  // dictionary label
  std::string format;
  std::vector<std::string> columns;  // the field of each column
  std::vector<ListTabDefinition> tabs;
  // Per tab; "" for none.  A part-name tab's prompt stands beside an entry
  // of its own (the tab's variable): completing it filters the list and
  // moves the focus to the list.
  std::vector<std::string> locatorPrompts;
  std::string formProcedure;  // the form of insert, change and delete
  // Button captions and tips, in order: insert, change, delete, select.
  std::vector<FormButtonText> buttons;
  std::string selectTip = {};
  std::string legendProcedure = {};  // "&Legenda"; "" none
  bool queryButtons = false;    // "&Limpa" and "&Filtro"
};

class ReferenceList : public shell::HostedScreen {
 public:
  ReferenceList(shell::ScreenServices& services, ReferenceListLayout layout, bool selecting);
  ScreenModel& model() override { return model_; }
  // Opens the table (message 26 and a closed screen when it cannot be).
  Status open() override;
  std::vector<std::string> chosenKeys() const override;
  ListController& list() { return list_; }
  // What "&Filtro" does (the view's query window); nothing by default.
  void setOnQuery(std::function<void()> query) { query_ = std::move(query); }

 private:
  void declare();
  void declareButtons();
  bool runForm(Request request, const Record* row);

  ReferenceListLayout layout_;
  bool selecting_;
  ListDefinition definition_;
  Table table_;
  ListController list_;
  ScreenModel model_;
  std::optional<Record> chosen_;
  std::function<void()> query_;
};

struct ReferenceFormLayout {
  std::string table;          // dictionary label
  FormDefinition definition;  // procedure, title, captions
  std::string heading = {};   // a line above the fields; "" none
  std::vector<FormFieldBinding> fields;
  FormButtonText ok, cancel, help;
  FormButtonText deleteOk, deleteCancel;
  std::string helpText;
};

class ReferenceForm : public shell::HostedScreen {
 public:
  ReferenceForm(shell::ScreenServices& services, ReferenceFormLayout layout, Request request,
                std::vector<std::string> keys);
  ScreenModel& model() override { return model_; }
  // Opens the table and the record the keys name (insert: a blank one).
  // kNotFound when the keys name no record.
  Status open() override;

  FormController& form() { return *form_; }
  const Record& record() const { return form_->record(); }
  bool completed() const { return form_ && form_->state() == FormState::kCompleted; }

 protected:
  // Declares what the subclass adds, after the fields and before the
  // buttons.
  virtual void extend() {}

  ReferenceFormLayout layout_;
  Request request_;
  std::vector<std::string> keys_;
  Table table_;
  std::unique_ptr<FormController> form_;
  ScreenModel model_;
};

}  // namespace vorlam::registry
