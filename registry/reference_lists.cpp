#include "registry/reference_lists.h"

#include "registry/reference_screen.h"
#include "storage/text.h"

namespace vorlam::registry {

namespace {

const std::vector<FormButtonText> kListButtons = {
    {"&Inclui"}, {"&Altera"}, {"&Exclui"}, {"&Seleciona"}};
constexpr char kChangeSelected[] = "Altera Registro Selecionado";

shell::RecordListLayout cnaeList() {
  return {.procedure = kCnaeListProcedure,
          .title = "Visualização da Tabela de C.N.A.E.",
          .table = "CNAE",
          .format = "52L(2)|M~Código~@p####-#/##pb@1020L(2)|M~Descrição da atividade~@s255@",
          .columns = {"CNAE:CODIGO", "CNAE:Descricao"},
          .tabs = {{"&Ordem Númerica", "CNAE:KEY:CODIGO", "CNAE:CODIGO", "", 0, ""},
                   {"Ordem &Alfabética", "CNAE:KEY:DESCRICAO", "CNAE:Descricao", "", 0, ""},
                   {"Parte A&lfabética", "CNAE:KEY:DESCRICAO", "", "Loc:Nome", 255,
                    "(InString(Upper(Clip(Loc:Nome)),Upper(Clip(CNAE:Descricao)),1,1))"}},
          .locatorPrompts = {"Código do CNAE a ser pesquisado........", "Descrição a ser pesquisada.......",
                             "Pesquisar parte de Nome................."},
          .formProcedure = kCnaeFormProcedure,
          .buttons = kListButtons,
          .changeStatus = kChangeSelected};
}

shell::RecordListLayout stateList() {
  return {.procedure = kStateListProcedure,
          .title = "Visualização da Tabela Unidade de Federação",
          .table = "Estados",
          .format = "16L(2)|M~UF~@s2@80L(2)|M~Descrição~@s20@",
          .columns = {"EST:UF", "EST:DESC"},
          .tabs = {{"&Sigla", "EST:KEY:SIGLA", "EST:UF", "", 0, ""},
                   {"&Alfabética", "EST:KEY:DESCRICAO", "EST:DESC", "", 0, ""}},
          .locatorPrompts = {"Sigla.............", "Descrição Estado..........."},
          .formProcedure = kStateFormProcedure,
          .buttons = kListButtons,
          .changeStatus = kChangeSelected};
}

shell::RecordListLayout municipalityList() {
  return {.procedure = kMunicipalityListProcedure,
          .title = "Visualização da Tabela  de Municípios",
          .table = "Municipios",
          .format = "100L(2)|M~Municípios~@s25@28R(2)|M~Código~C(0)@n6@20L(2)|M~Estado~@K^^K@",
          .columns = {"MUN:Nome", "MUN:CODIGO", "MUN:ESTADO"},
          .tabs = {{"&Código", "MUN:KEY:CODIGO", "MUN:CODIGO", "", 0, ""},
                   {"&Alfabética", "MUN:KEY:NOME", "MUN:Nome", "", 0, ""},
                   {"&Parte do Nome", "MUN:KEY:NOME", "", "Loc:ParteNome", 20,
                    "(InString(Upper(Clip(Loc:ParteNome)),Upper(Clip(MUN:Nome)),1,1))"}},
          .locatorPrompts = {"Código do Município.................", "Alfabética.........................",
                             "Parte do Nome.............."},
          .formProcedure = kMunicipalityFormProcedure,
          .buttons = kListButtons,
          .changeStatus = kChangeSelected};
}

shell::RecordListLayout responsibleList() {
  return {.procedure = kResponsibleListProcedure,
          .title = "Tabela de responsáveis",
          .table = "Funcionarios",
          .format = "52R(2)|M~Codigo~C(0)@n13@160L(2)|M~Nome~@s40@160L(2)|M~Endereco~@s40@"
                    "28R(2)|M~Número~C(0)@n6@100L(2)|M~Complemento~@s25@100L(2)|M~Bairro~@s25@"
                    "44C(2)|M~CEP~@p##.###-###p@16C(2)|M~UF~@k^^k@60L(2)|M~RG~@s15@16R(2)|M~Status~C(0)@n3@",
          .columns = {"FUN:CODIGO", "Fun:Nome", "FUN:ENDERECO", "FUN:NUMERO", "FUN:COMPLEMENTO", "FUN:BAIRRO",
                      "FUN:CEP", "FUN:UF", "FUN:RG", "FUN:Inativo"},
          .tabs = {{"Código", "FUN:Key:Codigo", "FUN:CODIGO", "", 0, ""},
                   {"Nome", "FUN:Key:Nome", "Fun:Nome", "", 0, ""},
                   {"Parte Nome", "FUN:Key:Nome", "", "Loc:Nome", 40, "(InString(Clip(Loc:Nome),Fun:Nome,1,1) > 0)"}},
          .locatorPrompts = {"", "", "Parte nome:"},
          .formProcedure = kPersonFormProcedure,
          .buttons = kListButtons,
          .changeStatus = kChangeSelected,
          .selectTip = "Seleciona o funcionário",
          .legendProcedure = kPersonLegendProcedure,
          .queryButtons = true};
}

ReferenceFormLayout cnaeForm() {
  return {.table = "CNAE",
          .definition = {kCnaeFormProcedure, "Atualização da Tabela do CNAE ", "Incluindo um CNAE",
                         "Alterando um CNAE", "Excluindo um CNEA", {}},
          .fields = {{.field = "CNAE:CODIGO",
                      .prompt = "01 &Código atividade...",
                      .picture = "@p####-#/##p",
                      .tip = "Código atividade CNAE, conforme instrução orgãos competentes"},
                     {.field = "CNAE:Descricao",
                      .prompt = "02 &Descrição da atividade",
                      .picture = "@s255",
                      .tip = "Descrição da atividade CNAE, conforme instrução orgão competente"}},
          .ok = {"&OK"},
          .cancel = {"&Cancela"},
          .help = {"&Ajuda"},
          .deleteOk = {"&Exclui", "Exclui o CNAE exibido na janela"},
          .deleteCancel = {"&Cancela", "Cancela a exclusão do CNAE exibido na janela"},
          .helpText = "O código da atividade econômica (CNAE) e sua descrição, conforme a tabela oficial."};
}

ReferenceFormLayout stateForm() {
  return {.table = "Estados",
          .definition = {kStateFormProcedure, "Atualização da Tabela dos Estados", "Incluindo um Estado",
                         "Alterando um Estado", "Excluindo um Estado", {}},
          .heading = "Atualização das informações da Unidade de Federação",
          .fields = {{.field = "EST:UF",
                      .prompt = "0&1-Unidade da Federação..........",
                      .picture = "@K^^K",
                      .tip = "Sigla da Unidade da Federação"},
                     {.field = "EST:DESC",
                      .prompt = "0&2-Descrição da Unidade..........",
                      .picture = "@s20",
                      .tip = "Descrição da Unidade da Federação"}},
          .ok = {"&OK"},
          .cancel = {"&Cancela"},
          .help = {"&Ajuda"},
          .deleteOk = {"&Exclui", "Exclui o Estado mostrado na janela"},
          .deleteCancel = {"&Cancela", "Cancela a exclusão do Estado mostrado na janela"},
          .helpText = "A sigla da Unidade da Federação e seu nome."};
}

ReferenceFormLayout municipalityForm() {
  return {.table = "Municipios",
          .definition = {kMunicipalityFormProcedure, "Atualização da Tabela de Municípios", "Incluindo um Município",
                         "Alterando um Município", "Excluindo um Município", {}},
          .fields = {{.field = "MUN:CODIGO", .prompt = "0&1-Código......................", .picture = "@n6"},
                     // The whole stored name: a form must not cut what it edits.
                     {.field = "MUN:Nome", .prompt = "0&2-Nome................................", .picture = "@s60"},
                     {.field = "MUN:ESTADO", .prompt = "0&3-Estado......................", .picture = "@K^^K"}},
          .ok = {"&OK"},
          .cancel = {"&Cancela"},
          .help = {"&Ajuda"},
          .deleteOk = {"&Exclui", "Exclui o Município mostrado na janela"},
          .deleteCancel = {"&Cancela", "Cancela a exclusão do Município mostrado na janela"},
          .helpText = "O código do município, seu nome e a sigla do seu estado (que deve existir na tabela de "
                      "Estados)."};
}

constexpr char kStateSearchTip[] = "Pesquisa na Tabela de Estados";

// The municipality form: its state must exist in `Estados`.
class MunicipalityForm : public ReferenceForm {
 public:
  MunicipalityForm(shell::ScreenServices& s, Request request, std::vector<std::string> keys)
      : ReferenceForm(s, municipalityForm(), request, std::move(keys)), states_(context_.dictionary.find("Estados")) {
    layout_.fields[2].accepted = [this] { return checkState(); };
  }

 protected:
  void extend() override {
    state_ = form_->fieldIndex("MUN:ESTADO");
    if (request_ == Request::kInsert || request_ == Request::kChange) {
      if (!openBound(context_, states_, OpenMode::kReadOnly)) return;
    }
    form_->setValidator([this](FormController&) {
      if (checkState()) return true;
      form_->requestFocus(state_);
      return false;
    });
    model_.addButton({.name = "search",
                      .tip = kStateSearchTip,
                      .press = [this] { chooseState(); },
                      .enabled = [this] {
                        return services_.has(kStateListProcedure) && !form_->fieldState(state_).readOnly;
                      }});
  }

 private:
  // A blank state is accepted; another must exist, or be chosen now.
  Status checkState() {
    const std::string uf = form_->text(state_);
    if (uf.empty()) return Status::ok();
    states_.buffer().clear();
    states_.buffer().setText("EST:UF", utf8ToLatin1(uf));
    if (states_.get(states_.def().keyIndex("EST:KEY:SIGLA"))) return Status::ok();
    if (chooseState()) return Status::ok();
    return Status(StatusCode::kNotFound, "estado não encontrado", uf);
  }

  // The state list in select mode; true when a state was taken into the
  // field.  Either way the focus returns to the field.
  bool chooseState() {
    form_->requestFocus(state_);
    const std::vector<std::string> keys = shell::runLookup(services_, model_, kStateListProcedure);
    if (keys.empty()) return false;
    return form_->assignText(state_, keys[0]).isOk();
  }

  Table states_;
  int state_ = -1;
};

template <typename Form>
shell::ScreenFactory formFactory(std::function<std::unique_ptr<Form>(shell::ScreenServices&, Request,
                                                                     std::vector<std::string>)> make) {
  return [make](shell::ScreenServices& s, const shell::ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
    std::optional<Request> request = r.formRequest();
    if (!request) return Status(StatusCode::kNotFound, "pedido inválido para o formulário");
    if (*request != Request::kInsert && r.keys.empty()) return Status(StatusCode::kNotFound, "informe a chave");
    return std::unique_ptr<Screen>(make(s, *request, r.keys));
  };
}

shell::ScreenFactory plainForm(ReferenceFormLayout (*layout)()) {
  return formFactory<ReferenceForm>([layout](shell::ScreenServices& s, Request request, std::vector<std::string> keys) {
    return std::make_unique<ReferenceForm>(s, layout(), request, std::move(keys));
  });
}

}  // namespace

void registerReferenceScreens(shell::ScreenRegistry& registry) {
  registry.add(kCnaeListProcedure, shell::recordListFactory(cnaeList));
  registry.add(kCnaeFormProcedure, plainForm(cnaeForm));
  registry.add(kStateListProcedure, shell::recordListFactory(stateList));
  registry.add(kStateFormProcedure, plainForm(stateForm));
  registry.add(kMunicipalityListProcedure, shell::recordListFactory(municipalityList));
  registry.add(kMunicipalityFormProcedure,
               formFactory<MunicipalityForm>([](shell::ScreenServices& s, Request request, std::vector<std::string> keys) {
                 return std::make_unique<MunicipalityForm>(s, request, std::move(keys));
               }));
  registry.add(kResponsibleListProcedure, shell::recordListFactory(responsibleList));
}

}  // namespace vorlam::registry
