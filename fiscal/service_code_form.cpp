#include "fiscal/service_code_form.h"

#include <vector>

#include "fiscal/posting_screen.h"
#include "framework/screen_binding.h"

namespace vorlam::fiscal {

namespace {

constexpr int kTabRegister = 0;
constexpr int kTabPosting = 1;

const std::vector<ControlChoice> kIncomeTaxBases = {
    {"0.0000", "0"}, {"1.6000", "1.6"}, {"8.0000", "8"}, {"16.0000", "16"}, {"32.0000", "32"}};

struct ServiceGroup {
  PostingGroup group;
  int tab;
  const char* picture;
};

const std::vector<ServiceGroup>& serviceGroups() {
  static const std::vector<ServiceGroup> kGroups = {
      {{"Valor à vista.", "CTA:CTADEBITO", "CTA:CTACREDITO", "CTA:CODHISTORICO", "CTA:COMPLEMENTO", true, true},
       kTabRegister, "@s20"},
      {{"Valor a prazo.", "CTA:CONTADEBITOPRAZO", "CTA:CONTACREDITOPRAZO", "CTA:HISTORICOPRAZO",
        "CTA:COMPLEMENTOPRAZO", true, true},
       kTabRegister, "@s40"},
      {{"Valor de isentas.", "CTA:ISENTADEBITO", "CTA:ISENTACREDITO", "CTA:ISENTAHISTORICO", "CTA:ISENTACOMPL", true,
        true},
       kTabPosting, "@s40"},
      {{"Valor IRRF.", "CTA:IRPJDEBITO", "CTA:IRPJCREDITO", "CTA:IRPJHISTORICO", "CTA:IRPJCOMPLEMENTO", true, true},
       kTabPosting, "@s40"},
      {{"Valor de I.N.S.S.R.F.", "CTA:INSSRFDEBITO", "CTA:INSSRFCREDITO", "CTA:INSSRFHISTORICO",
        "CTA:INSSRFCOMPLEMENTO", false, true},
       kTabPosting, "@s40"},
  };
  return kGroups;
}

// The fields of the first tab before the posting groups, in tab order.
const std::vector<FormFieldBinding>& serviceFields() {
  using K = ControlKind;
  static const std::vector<FormFieldBinding> kFields = {
      {"CTA:CODIGO", "01 Código....", K::kEntry, "@n13", {}, "", kTabRegister},
      {"CTA:SUBCODSERVICO", "Sub Cód..", K::kEntry, "@n3", {}, "", kTabRegister},
      {"CTA:DESCRICAO", "02 Descrição.....", K::kEntry, "@s40", {}, "", kTabRegister},
      {"CTA:APELIDO", "Apelido", K::kEntry, "@s10", {}, "", kTabRegister},
      {"CTA:BASEIRPJ", "03-Base IRPJ....", K::kDropList, "", kIncomeTaxBases, "", kTabRegister},
      {"CTA:ALIQUOTAISS", "04 Alíquota ISS.....", K::kEntry, "@n-9.4", {}, "", kTabRegister},
  };
  return kFields;
}

const FormDefinition& serviceFormDefinition() {
  static const FormDefinition kDefinition = [] {
    FormDefinition d;
    d.procedure = kServiceFormProcedure;
    d.title = kServiceFormTitle;
    d.insertCaption = d.changeCaption = d.deleteCaption = kServiceFormTitle;
    for (const FormFieldBinding& f : serviceFields()) d.fields.push_back(f.field);
    for (const ServiceGroup& g : serviceGroups())
      for (const std::string& f : {g.group.debit, g.group.credit, g.group.history, g.group.complement})
        d.fields.push_back(f);
    return d;
  }();
  return kDefinition;
}

PostingStyle serviceStyle() {
  PostingStyle s;
  s.syntheticText = " é uma conta Sintética!!!";
  s.clearSynthetic = false;
  return s;
}

std::string serviceHelp() {
  return "Cada registro é um código de serviço da lista do ISS, com seu subcódigo: a descrição, a base do IRPJ, "
         "a alíquota do ISS e as contas, históricos e complementos que integram as notas de serviço com a "
         "contabilidade (à vista, a prazo, isentas, IRRF e INSS retidos). As contas são conferidas com o plano "
         "de contas da empresa quando a verificação está ligada em BComuns\\ctb.ini (UsuEscritaQuelma, "
         "Parametros=1).";
}

}  // namespace

ServiceCodeForm::ServiceCodeForm(ScreenContext& context, Table& table, Request request, PostingLookup& lookup,
                                 bool checked)
    : ctx_(context),
      form_(context, serviceFormDefinition(), table, request),
      postings_(form_, lookup, context.errors, checked, serviceStyle()),
      model_(kServiceFormProcedure, kServiceFormTitle) {
  form_.setEnabled(form_.fieldIndex("CTA:CODIGO"), request == Request::kInsert);
  form_.setKeepNumbers(true);
  for (const ServiceGroup& g : serviceGroups()) postings_.addGroup(g.group);
  declareScreen();
}

FormState ServiceCodeForm::open(int64_t recordId) {
  FormState state = form_.request() == Request::kInsert ? form_.openNew() : form_.openRecord(recordId);
  if (state != FormState::kOpen) return state;
  postings_.fillDescriptions();
  model_.setFocus(form_.request() == Request::kInsert ? "CTA:CODIGO" : "CTA:DESCRICAO");
  return form_.state();
}

void ServiceCodeForm::declareScreen() {
  int* shown = &tab_;
  model_.addTab({.caption = "Cadastro / Integração Contábil",
                 .current = [shown] { return *shown == kTabRegister; },
                 .select = [shown] { *shown = kTabRegister; }});
  model_.addTab({.caption = "Integração Contábil",
                 .current = [shown] { return *shown == kTabPosting; },
                 .select = [shown] { *shown = kTabPosting; }});
  bindForm(model_, form_, serviceFields());
  for (const ServiceGroup& g : serviceGroups())
    declarePostingGroup(model_, form_, postings_, g.group, {.tab = g.tab, .accountPicture = g.picture});

  auto finish = [this](FormState state) {
    if (state != FormState::kOpen) model_.close();
  };
  ScreenButton ok{.caption = "&Grava", .press = [this, finish] { finish(form_.ok()); },
                  .isDefault = [] { return true; }};
  ScreenButton cancel{.caption = "&Cancela", .press = [this, finish] { finish(form_.cancel()); }};
  if (form_.request() == Request::kDelete) {
    ok.caption = "&Exclui";
    ok.tip = "Exclui o Plano de Contas do ISS da Tabela";
    ok.status = "Exclui o Plano de Contas do ISS exibido na janela";
    cancel.tip = cancel.status = "Cancela a exclusão do Plano de Contas do ISS exibido na janela";
  }
  model_.addButton(std::move(ok));
  model_.addButton(std::move(cancel));
  model_.addButton({.caption = "&Ajuda", .press = [this] {
                      ctx_.errors.message(serviceHelp(), "Ajuda", MessageIcon::kInformation, kButtonOk, kButtonOk);
                    }});
  model_.setCloseRequest([this] { return form_.cancel() != FormState::kOpen; });
}

}  // namespace vorlam::fiscal
