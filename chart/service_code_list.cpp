#include "chart/service_code_list.h"

#include "framework/screen_binding.h"
#include "shell/shell_screens.h"

namespace vorlam::chart {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;

constexpr const char* kColumns[] = {"CTA:CODIGO",    "CTA:SUBCODSERVICO", "CTA:DESCRICAO",
                                    "CTA:BASEIRPJ",  "CTA:ALIQUOTAISS",   "CTA:CTADEBITO",
                                    "CTA:CTACREDITO", "CTA:CODHISTORICO", "CTA:COMPLEMENTO"};

ListDefinition serviceCodeDefinition() {
  ListDefinition d;
  d.procedure = kServiceCodeListProcedure;
  d.title = kServiceCodeListTitle;
  d.tabs.push_back({"Código", "CTA:KEY:CODIGO", "CTA:CODIGO", "", 0, ""});
  return d;
}

}  // namespace

ServiceCodeList::ServiceCodeList(shell::ScreenServices& services, bool selecting)
    : HostedScreen(services), selecting_(selecting), model_(kServiceCodeListProcedure, kServiceCodeListTitle),
      definition_(serviceCodeDefinition()) {}

std::vector<std::string> ServiceCodeList::chosenKeys() const {
  return chosen_ ? primaryKeyTexts(*chosen_) : std::vector<std::string>{};
}

Status ServiceCodeList::open() {
  if (services_.session().state().company().codigo == 0 && !shell::selectCompanyOver(services_, model_)) {
    model_.close();
    return Status::ok();
  }
  table_ = std::make_unique<Table>(context_.dictionary.find("CtaISS"));
  list_ = std::make_unique<ListController>(context_, definition_, *table_, selecting_);
  const std::string path = context_.resolve(table_->def().binding);
  Status s = table_->open(path, OpenMode::kShared);
  if (s) s = list_->open();
  if (!s) {
    errors_.throwFile(kMsgOpenFailed, path, s);
    model_.close();
    return Status::ok();
  }
  declare();
  return Status::ok();
}

void ServiceCodeList::openForm(const std::string& mode) {
  shell::ScreenRequest request{.mode = mode};
  std::optional<Record> row;
  if (mode != "insert") {
    if (list_->selected() == nullptr) return;
    row = *list_->selected();
    request.keys = primaryKeyTexts(*row);
  }
  Result<std::unique_ptr<Screen>> form = services_.open(kServiceCodeFormProcedure, request);
  if (!form.isOk()) return;
  if (!form.value()->model().closed()) model_.runChild(form.value()->model());
  if (row) list_->showAround(*row);
  else list_->refresh();
}

void ServiceCodeList::declare() {
  ListBinding binding;
  binding.format = kServiceCodeListFormat;
  for (const char* f : kColumns) binding.columnFields.push_back(f);
  binding.locatorPrompts = {"Pesquisa por Código:"};
  bindList(model_, *list_, binding);
  model_.setFocus("lista");
  auto formBuilt = [this] { return services_.has(kServiceCodeFormProcedure); };
  auto onRow = [this, formBuilt] { return formBuilt() && list_->selected() != nullptr; };
  model_.addButton({.caption = "&Seleciona",
                    .press =
                        chooseAndClose(model_, *list_, chosen_),
                    .enabled = [this] { return list_->canSelect(); },
                    .isDefault = [this] { return selecting_; },
                    .visible = [this] { return selecting_; }});
  model_.addButton({.caption = "&Inclui", .press = [this] { openForm("insert"); }, .enabled = formBuilt});
  model_.addButton({.caption = "&Altera",
                    .press = [this] { openForm("change"); },
                    .enabled = onRow,
                    .isDefault = [this] { return !selecting_; }});
  model_.addButton({.caption = "&Exclui", .press = [this] { openForm("delete"); }, .enabled = onRow});
  model_.addButton({.caption = "&Fecha", .press = [this] { model_.requestClose(); }});
  model_.addButton({.caption = "&Ajuda", .press = [this] {
                      if (model_.dialogs() == nullptr) return;
                      model_.dialogs()->messageBox(
                          {"Ajuda",
                           "Códigos de serviço da empresa com as contas de integração das notas fiscais de "
                           "serviço. Insert inclui, Enter altera e Delete exclui o código selecionado.",
                           MessageIcon::kInformation, kButtonOk, kButtonOk});
                    }});
  model_.addKey({.name = "Insert", .scope = "lista", .action = [this, formBuilt] {
                   if (formBuilt()) openForm("insert");
                 }});
  model_.addKey({.name = "Delete", .scope = "lista", .action = [this, onRow] {
                   if (onRow()) openForm("delete");
                 }});
}

}  // namespace vorlam::chart
