// The ledger's two registries (standard histories and standard entries): the
// list of each (shell/record_list.h, buttons "&Incluir", "&Alterar",
// "&Excluir", "&Selecionar" and "&Fechar") and its form, which the list opens
// by procedure name for insert, change and delete, as scripts do.
//
// Not thread-safe: the screens run on their screen's thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/form_controller.h"
#include "framework/form_support.h"
#include "framework/screen_model.h"
#include "shell/record_list.h"
#include "shell/screen_registry.h"
#include "storage/table.h"

namespace vorlam::ledger {

// A form of a registry: its controller and its screen.
class RegistryForm {
 public:
  virtual ~RegistryForm() = default;
  virtual FormController& controller() = 0;
  virtual ScreenModel& screen() = 0;
};

// Builds the form for `request` on `table` (open) and opens it on record
// `recordId` (0 for insert); nullptr when it could not be opened (the form
// has said why).
using RegistryFormFactory =
    std::function<std::unique_ptr<RegistryForm>(ScreenContext& context, Table& table, Request request, int64_t recordId)>;

// The list of a ledger registry: `tabs` and `locatorPrompts` side by side; a
// part-name tab's filter is typed into the list's locator.
shell::RecordListLayout registryListLayout(std::string procedure, std::string title, std::string table,
                                           std::string format, std::vector<std::string> columns,
                                           std::vector<ListTabDefinition> tabs,
                                           std::vector<std::string> locatorPrompts, std::string formProcedure,
                                           std::string closeTip);

// A registry form on its own table, found by the primary key the request
// names (the list's `change` and `delete`, a script's `open UHistorico
// insert`).
class StandaloneRegistryForm : public shell::RecordForm {
 public:
  StandaloneRegistryForm(shell::ScreenServices& services, std::string table, std::string procedure,
                         RegistryFormFactory form, Request request, std::vector<std::string> keys);
  ScreenModel& model() override { return form_ ? form_->screen() : placeholder_; }
  Status open() override;
  bool completed() const override { return form_ && form_->controller().state() == FormState::kCompleted; }
  const Record& record() const override { return form_ ? form_->controller().record() : table_.buffer(); }

 private:
  Table table_;
  RegistryFormFactory factory_;
  Request request_;
  std::vector<std::string> keys_;
  std::unique_ptr<RegistryForm> form_;
  ScreenModel placeholder_;
};

// The form's buttons: "&Grava" (deleting: "&Exclui" with `deleteTip`) and
// "&Cancela"; the screen closes once the form completes or is cancelled.
// Esc and the window's close cancel.
void addRegistryFormButtons(ScreenModel& model, FormController& form, const std::string& deleteTip);

// Registers the list (plain and select mode) and the form of a registry.
void registerRegistry(shell::ScreenRegistry& registry, const shell::RecordListLayout& layout,
                      std::function<RegistryFormFactory(shell::ScreenServices&)> form);

}  // namespace vorlam::ledger
