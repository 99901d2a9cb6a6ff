#include "ledger/history.h"

#include "framework/screen_binding.h"

namespace vorlam::ledger {

namespace {

// The part-of-description tab matches the typed text as it stands or in
// capitals.
constexpr char kPartFilter[] =
    "(InString(Clip(Loc:ParteDesc),HIS:Descricao,1,1) <> 0 or "
    "InString(Upper(Clip(Loc:ParteDesc)),HIS:Descricao,1,1) <> 0)";

const FormDefinition& formDefinition() {
  static const FormDefinition kDefinition{
      .procedure = kHistoryFormProcedure,
      .title = "Atualização da Tabela de Histórico Padrão",
      .insertCaption = "Incluindo um Histórico Padrão",
      .changeCaption = "Alterando um Histórico Padrão",
      .deleteCaption = "Excluindo um Histórico Padrão",
      .fields = {"HIS:CODIGO", "HIS:Descricao"},
  };
  return kDefinition;
}

class HistoryForm : public RegistryForm {
 public:
  HistoryForm(ScreenContext& context, Table& table, Request request)
      : form_(context, formDefinition(), table, request), model_(kHistoryFormProcedure, formDefinition().title) {
    form_.setKeepNumbers(true);  // a code the user types is kept
    form_.setEnabled(form_.fieldIndex("HIS:CODIGO"), request == Request::kInsert);
    bindForm(model_, form_,
             {{.field = "HIS:CODIGO", .prompt = "01-Código........................", .picture = "@n6"},
              {.field = "HIS:Descricao", .prompt = "02-Descrição....................", .picture = "@s40"}});
    addRegistryFormButtons(model_, form_, "Exclui o Histórico Padrão exibido na janela");
  }
  FormController& controller() override { return form_; }
  ScreenModel& screen() override { return model_; }

  bool open(int64_t recordId) {
    const FormState s = recordId == 0 ? form_.openNew() : form_.openRecord(recordId);
    model_.setFocus(form_.request() == Request::kInsert ? "HIS:CODIGO" : "HIS:Descricao");
    return s == FormState::kOpen;
  }

 private:
  FormController form_;
  ScreenModel model_;
};

}  // namespace

shell::RecordListLayout historyListLayout() {
  return registryListLayout(kHistoryListProcedure, kHistoryListTitle, "Historico",
                            "28R(2)|M~Código~C(0)@n6@160L(2)|M~Descrição~@s40@", {"HIS:CODIGO", "HIS:Descricao"},
                            {{"Código", "HIS:KEY:CODIGO", "HIS:CODIGO", "", 0, ""},
                             {"Descrição", "HIS:KEY:DESCRICAO", "HIS:Descricao", "", 0, ""},
                             {"Parte da Descrição", "HIS:KEY:DESCRICAO", "", "Loc:ParteDesc", 20, kPartFilter}},
                            {"Pesquisa por Código:", "Pesquisa por Descrição:", "Parte da Descrição:"},
                            kHistoryFormProcedure, "Fecha e retorna. <Alt + f>.");
}

RegistryFormFactory historyForm() {
  return [](ScreenContext& context, Table& table, Request request, int64_t recordId) -> std::unique_ptr<RegistryForm> {
    auto form = std::make_unique<HistoryForm>(context, table, request);
    if (!form->open(recordId)) return nullptr;
    return form;
  };
}

}  // namespace vorlam::ledger
