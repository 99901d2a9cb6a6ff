// The list screens of the ledger's two registries (standard histories and
// standard entries): one table in one order per tab, each tab with its
// locator, the buttons "&Incluir", "&Alterar", "&Excluir", "&Selecionar"
// (only when opened to select a record for a caller, and then the default
// button) and "&Fechar", the keys Insert, Delete and Enter, and the
// registry's form opened as a child for insert, change and delete.
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/form_controller.h"
#include "framework/list_controller.h"
#include "framework/screen_model.h"
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

// Builds the form for `request` on `table` (the list's own) and opens it on
// record `recordId` (0 for insert); nullptr when it could not be opened
// (the form has said why).
using RegistryFormFactory =
    std::function<std::unique_ptr<RegistryForm>(ScreenContext& context, Table& table, Request request, int64_t recordId)>;

struct RegistryListTab {
  ListTabDefinition tab;
  std::string locatorPrompt;  // "" when none
};

struct RegistryListLayout {
  std::string procedure;
  std::string title;
  std::string table;   // the dictionary's label
  std::string format;  // FORMAT string of the list
  std::vector<std::string> columns;  // the field of each column
  std::vector<RegistryListTab> tabs;
  std::string closeTip;  // tip of "&Fechar"; "" for none
};

class RegistryList : public shell::HostedScreen {
 public:
  RegistryList(shell::ScreenServices& services, RegistryListLayout layout, RegistryFormFactory form, bool selecting);

  ScreenModel& model() override { return model_; }
  // Opens the table (message 26 and a closed screen when it cannot be) and
  // shows the first tab.
  Status open() override;
  std::vector<std::string> chosenKeys() const override;

  ListController& list() { return list_; }
  Table& table() { return table_; }

 private:
  void declare();
  bool runForm(Request request, const Record* row);

  RegistryListLayout layout_;
  ListDefinition definition_;
  RegistryFormFactory form_;
  bool selecting_;
  Table table_;
  ListController list_;
  ScreenModel model_;
  std::optional<Record> chosen_;
};

// A registry form opened on its own (a script's `open UHistorico insert`):
// the registry's table opened, the record found by its primary key.
class StandaloneRegistryForm : public shell::HostedScreen {
 public:
  StandaloneRegistryForm(shell::ScreenServices& services, std::string table, std::string procedure,
                         RegistryFormFactory form, Request request, std::vector<std::string> keys);
  ScreenModel& model() override { return form_ ? form_->screen() : placeholder_; }
  Status open() override;

 private:
  Table table_;
  RegistryFormFactory factory_;
  Request request_;
  std::vector<std::string> keys_;
  std::unique_ptr<RegistryForm> form_;
  ScreenModel placeholder_;
};

// Opens `table` on the file bound to it; message 26 on failure.
Status openBound(ScreenContext& context, Table& table, OpenMode mode = OpenMode::kShared);

// The form's buttons: "&Grava" (deleting: "&Exclui" with `deleteTip`) and
// "&Cancela"; the screen closes once the form completes or is cancelled.
// Esc and the window's close cancel.
void addFormButtons(ScreenModel& model, FormController& form, const std::string& deleteTip);

// Opens `procedure` in select mode as a child of `parent` and returns the
// primary key of the record chosen; empty when that screen is not built,
// refused to open, or nothing was chosen.
std::vector<std::string> runLookup(shell::ScreenServices& services, ScreenModel& parent, std::string_view procedure);

// Registers the list (plain and select mode) and the form of a registry.
void registerRegistry(shell::ScreenRegistry& registry, const RegistryListLayout& layout, const std::string& formProcedure,
                      std::function<RegistryFormFactory(shell::ScreenServices&)> form);

}  // namespace vorlam::ledger
