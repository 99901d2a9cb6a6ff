// The form screens behind registry/reference_lists.h, declared as data: a
// form over one record with its captions and fields, opened by the lists
// (shell/record_list.h) by procedure name.  Screens with a rule of their own
// (the municipality's state) subclass the form.
//
// Not thread-safe: a screen runs on its own thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/form_controller.h"
#include "framework/screen_binding.h"
#include "framework/form_support.h"
#include "shell/record_list.h"

namespace vorlam::registry {

struct ReferenceFormLayout {
  std::string table;          // dictionary label
  FormDefinition definition;  // procedure, title, captions
  std::string heading = {};   // a line above the fields; "" none
  std::vector<FormFieldBinding> fields;
  FormButtonText ok, cancel, help;
  FormButtonText deleteOk, deleteCancel;
  std::string helpText;
};

class ReferenceForm : public shell::RecordForm {
 public:
  ReferenceForm(shell::ScreenServices& services, ReferenceFormLayout layout, Request request,
                std::vector<std::string> keys);
  ScreenModel& model() override { return model_; }
  // Opens the table and the record the keys name (insert: a blank one).
  // kNotFound when the keys name no record.
  Status open() override;

  FormController& form() { return *form_; }
  const Record& record() const override { return form_->record(); }
  bool completed() const override { return form_ && form_->state() == FormState::kCompleted; }

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
