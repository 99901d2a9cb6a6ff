#include "registry/reference_screen.h"

namespace vorlam::registry {

ReferenceForm::ReferenceForm(shell::ScreenServices& services, ReferenceFormLayout layout, Request request,
                             std::vector<std::string> keys)
    : RecordForm(services),
      layout_(std::move(layout)),
      request_(request),
      keys_(std::move(keys)),
      table_(context_.dictionary.find(layout_.table)),
      model_(layout_.definition.procedure, layout_.definition.title) {}

Status ReferenceForm::open() {
  ProcedureScope procedure(errors_, layout_.definition.procedure);
  if (!openBound(context_, table_)) {
    model_.close();
    return Status::ok();  // reported
  }
  int64_t id = 0;
  if (request_ != Request::kInsert) {
    Result<int64_t> found = findRecord(table_, keys_);
    if (!found.isOk()) return found.status();
    id = found.value();
  }
  form_ = std::make_unique<FormController>(context_, layout_.definition, table_, request_);
  // A code the user types is kept; a zero is numbered.
  form_->setKeepNumbers(true);
  const FormState state = request_ == Request::kInsert ? form_->openNew() : form_->openRecord(id);
  if (!layout_.heading.empty()) model_.addControl({.prompt = layout_.heading, .kind = ControlKind::kDisplay,
                                                 .value = [] { return std::string(); }});
  bindForm(model_, *form_, layout_.fields);
  extend();
  const bool deleting = request_ == Request::kDelete;
  addFormButtons(model_, *form_, deleting ? layout_.deleteOk : layout_.ok, deleting ? layout_.deleteCancel : layout_.cancel,
                 layout_.help, layout_.helpText);
  model_.setFocus(layout_.fields.front().field);
  if (state != FormState::kOpen) model_.close();
  return Status::ok();
}

}  // namespace vorlam::registry
