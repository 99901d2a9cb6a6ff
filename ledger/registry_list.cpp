#include "ledger/registry_list.h"

#include "storage/text.h"

namespace vorlam::ledger {

shell::RecordListLayout registryListLayout(std::string procedure, std::string title, std::string table,
                                           std::string format, std::vector<std::string> columns,
                                           std::vector<ListTabDefinition> tabs,
                                           std::vector<std::string> locatorPrompts, std::string formProcedure,
                                           std::string closeTip) {
  return {.procedure = std::move(procedure),
          .title = std::move(title),
          .table = std::move(table),
          .format = std::move(format),
          .columns = std::move(columns),
          .tabs = std::move(tabs),
          .locatorPrompts = std::move(locatorPrompts),
          .partNameEntries = false,
          .formProcedure = std::move(formProcedure),
          .buttons = {{"&Incluir"}, {"&Alterar"}, {"&Excluir"}, {"&Selecionar"}},
          .closeTip = std::move(closeTip)};
}

StandaloneRegistryForm::StandaloneRegistryForm(shell::ScreenServices& services, std::string table,
                                               std::string procedure, RegistryFormFactory form, Request request,
                                               std::vector<std::string> keys)
    : RecordForm(services),
      table_(context_.dictionary.find(table)),
      factory_(std::move(form)),
      request_(request),
      keys_(std::move(keys)),
      placeholder_(std::move(procedure), "") {}

Status StandaloneRegistryForm::open() {
  if (Status s = openBound(context_, table_); !s) {
    placeholder_.close();
    return Status::ok();  // reported
  }
  int64_t id = 0;
  if (request_ != Request::kInsert) {
    Result<int64_t> found = findRecord(table_, keys_);
    if (!found.isOk()) return found.status();
    table_.endWalk();
    id = found.value();
  }
  form_ = factory_(context_, table_, request_, id);
  if (!form_) {
    placeholder_.close();
    return Status::ok();
  }
  services_.attach(form_->screen());
  return Status::ok();
}

void addRegistryFormButtons(ScreenModel& model, FormController& form, const std::string& deleteTip) {
  const bool deleting = form.request() == Request::kDelete;
  addFormButtons(model, form, {deleting ? "&Exclui" : "&Grava", deleting ? deleteTip : std::string()}, {"&Cancela"});
}

void registerRegistry(shell::ScreenRegistry& registry, const shell::RecordListLayout& layout,
                      std::function<RegistryFormFactory(shell::ScreenServices&)> form) {
  registry.add(layout.procedure, shell::recordListFactory([layout] { return layout; }));
  const std::string formProcedure = layout.formProcedure;
  registry.add(formProcedure, [layout, formProcedure, form](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                  -> Result<std::unique_ptr<Screen>> {
    std::optional<Request> request = r.formRequest();
    if (!request) return Status(StatusCode::kNotFound, "pedido inválido para o formulário", formProcedure);
    return std::unique_ptr<Screen>(new StandaloneRegistryForm(s, layout.table, formProcedure, form(s), *request, r.keys));
  });
}

}  // namespace vorlam::ledger
