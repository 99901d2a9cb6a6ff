#include "fiscal/service_note_layout.h"

namespace vorlam::fiscal {

namespace {

// The groups both models have, on the note fields of `p` ("ISS:").
std::vector<NoteGroup> commonGroups(const std::string& p, const std::string& cashComplement) {
  NoteGroup cash{.caption = "Valor á vista.",
                 .title = "Valor à vista.",
                 .debit = p + "Debito",
                 .credit = p + "Credito",
                 .history = p + "Historico",
                 .complement = p + "Complemento",
                 .codeDebit = "CTA:CTADEBITO",
                 .codeCredit = "CTA:CTACREDITO",
                 .codeHistory = "CTA:CODHISTORICO",
                 .label = "LOC:IntegracaoVista",
                 .labelPrompt = "À vista",
                 .button = "Integracao_Vista",
                 .buttonCaption = "Integração à vista",
                 .complementPicture = cashComplement};
  NoteGroup term{.caption = "Valor a prazo.",
                 .title = "Valor a prazo.",
                 .debit = p + "PrazoDebito",
                 .credit = p + "PrazoCredito",
                 .history = p + "PrazoHistorico",
                 .complement = p + "PrazoComplemento",
                 .codeDebit = "CTA:CONTADEBITOPRAZO",
                 .codeCredit = "CTA:CONTACREDITOPRAZO",
                 .codeHistory = "CTA:HISTORICOPRAZO",
                 .label = "LOC:IntegracaoPrazo",
                 .labelPrompt = "A prazo",
                 .button = "Integracao_Prazo",
                 .buttonCaption = "Integração a prazo"};
  return {cash, term};
}

ServiceNoteLayout makeModel51() {
  ServiceNoteLayout l;
  l.model51 = true;
  l.table = "ISS51";
  l.prefix = "ISS:";
  l.instalments = "ParcRegISS51";
  l.instalmentPrefix = "PRISS51:";
  l.listProcedure = "ISS_51";
  l.listTitle = "Visualização da Tabela das Notas de Prestação de Serviços Modelo 51";
  l.formProcedure = "UISS";
  l.formTitle = "Lançamento da Nota de ISS Modelo 51";
  l.formHeading = "Lançamento de uma nota de prestação de serviço modelo 51";
  l.integrationProcedure = "UISSContabilidade";
  l.integrationTitle = "Integração do ISS na contabilidade";
  // `ISS:Complemento` holds 40 characters; every other complement 500.
  l.groups = commonGroups(l.prefix, "@s40");
  l.groups.push_back({.caption = "I.R.R.F.",
                      .title = "Valor IRRF.",
                      .debit = "ISS:IRPJDebito",
                      .credit = "ISS:IRPJCredito",
                      .history = "ISS:IRPJHistorico",
                      .complement = "ISS:IRPJComplemento",
                      .codeDebit = "CTA:IRPJDEBITO",
                      .codeCredit = "CTA:IRPJCREDITO",
                      .codeHistory = "CTA:IRPJHISTORICO",
                      .label = "LOC:IntegracaoIRRF",
                      .labelPrompt = "IRRF",
                      .button = "Integracao_IRRF",
                      .buttonCaption = "Integração I.R.R.F."});
  l.groups.push_back({.caption = "I.N.S.S.R.F.",
                      .title = "Valor I.N.S.S.R.F.",
                      .debit = "ISS:INSSRFDebito",
                      .credit = "ISS:INSSRFCredito",
                      .history = "ISS:INSSRFHistorico",
                      .complement = "ISS:INSSRFComplemento",
                      .codeDebit = "CTA:INSSRFDEBITO",
                      .codeCredit = "CTA:INSSRFCREDITO",
                      .codeHistory = "CTA:INSSRFHISTORICO",
                      .label = "LOC:IntegracaoINSSRF",
                      .labelPrompt = "INSSRF",
                      .button = "Integracao_INSSRF",
                      .buttonCaption = "Integração I.N.S.S.R.F.",
                      .listed = false});
  return l;
}

ServiceNoteLayout makeModel53() {
  ServiceNoteLayout l;
  l.table = "ISS53";
  l.prefix = "ISS53:";
  l.instalments = "ParcRegISS53";
  l.instalmentPrefix = "PRISS53:";
  l.listProcedure = "ISS_53";
  l.listTitle = "Visualização da Tabela das Notas de Prestação de Serviços Modelo 53";
  l.formProcedure = "UISS53";
  l.formTitle = "Lançamento da Nota de ISS53";
  l.formHeading = "Lançamento de uma nota de prestação de serviço modelo 53";
  l.integrationProcedure = "UISS53Contabilidade";
  l.integrationTitle = "Integração do ISS na contabilidade";
  l.groups = commonGroups(l.prefix, "@s500");
  return l;
}

// The quoted items of a choice text: "'0-Normal','1-Cancelada'".
std::vector<std::string> quotedItems(const std::string& text) {
  std::vector<std::string> out;
  size_t i = 0;
  while ((i = text.find('\'', i)) != std::string::npos) {
    const size_t end = text.find('\'', i + 1);
    if (end == std::string::npos) break;
    out.push_back(text.substr(i + 1, end - i - 1));
    i = end + 1;
  }
  return out;
}

}  // namespace

const ServiceNoteLayout& model51Layout() {
  static const ServiceNoteLayout kLayout = makeModel51();
  return kLayout;
}

const ServiceNoteLayout& model53Layout() {
  static const ServiceNoteLayout kLayout = makeModel53();
  return kLayout;
}

std::vector<ControlChoice> ruleChoices(const TableDef& def, const std::string& field) {
  const int index = def.fieldIndex(field);
  const FieldRule* rule = index < 0 ? nullptr : def.ruleFor(index);
  if (rule == nullptr || rule->kind != RuleKind::kInList) return {};
  const std::vector<std::string> captions = quotedItems(rule->choiceText);
  std::vector<ControlChoice> out;
  for (size_t i = 0; i < rule->values.size(); ++i)
    out.push_back({rule->values[i], i < captions.size() ? captions[i] : rule->values[i]});
  return out;
}

}  // namespace vorlam::fiscal
