#include "fiscal/invoice_kind.h"

#include <cctype>

#include "storage/text.h"

namespace vorlam::fiscal {

namespace {

InvoiceGroup group(const std::string& title, const std::string& heading, const std::string& button,
                   const std::string& label, const std::string& listLabel, std::vector<std::string> f,
                   std::vector<std::string> cfo, const std::string& next) {
  return {IntegrationGroup{title, f[0], f[1], f[2], f[3]}, heading, button, label, listLabel, cfo[0], cfo[1], cfo[2],
          next};
}

InvoiceKind makeEntry() {
  InvoiceKind k{.side = InvoiceSide::kEntry,
                .table = "RegEntrada",
                .p = "REG:",
                .instalments = "ParcRegEntrada",
                .ip = "PREntr:",
                .listProcedure = "Entradas_NF",
                .listTitle = "Visualização da Tabela do Registro de Entradas",
                .formProcedure = "UEntradas",
                .formTitle = "Atualização do Registro de Entradas",
                .formHeading = "Atualização dos Lançamentos de Entrada",
                .mainTab = "Lançamento das Notas de &Entrada",
                .insertCaption = "Lançando uma Nota de Entrada",
                .changeCaption = "Alterando uma Nota de Entrada",
                .deleteCaption = "Excluindo uma Nota de Entrada",
                .integrationProcedure = "UEntradasContabilidade",
                .integrationTitle = "Contas de integração contábil",
                .instalmentsEditable = true,
                .groups = {}};
  k.groups = {
      group("I.P.I.", "I.P.I.", "Integração I.P.I.", "LOC:INTEGRA_IPI", "I.P.I........",
            {"REG:IPICDebito", "REG:IPICCredito", "REG:IPIHistorico", "REG:IPIComplemento"},
            {"CFO:IPI_DEBITO", "CFO:IPI_CREDITO", "CFO:HISTORICO_IPI"}, "REG:BaseCalculoIPI"),
      group("I.C.M.S.", "I.C.M.S.", "Integração I.C.M.S.", "LOC:INTEGRA_ICMS", "I.C.M.S...",
            {"REG:ICMSCDebito", "REG:ICMSCCredito", "REG:ICMSHistorico", "REG:ICMSComplemento"},
            {"CFO:ICMS_DEBITO", "CFO:ICMS_CREDITO", "CFO:HISTORICO"}, "REG:BaseCalculo1"),
      group("I.C.M.S. Fonte", " I.C.M.S. Fonte ", "Integração I.C.M.S. Fonte", "LOC:INTEGRA_ICMSFONTE", "",
            {"REG:ContaDebitoICMSFonte", "REG:ContaCreditoICMSFonte", "REG:HistoricoICMSFonte",
             "REG:ComplementoICMSFonte"},
            {"CFO:CONTADEBITOICMSFONTE", "CFO:CONTACREDITOICMSFONTE", "CFO:HISTORICOICMSFONTE"}, "REG:Vista"),
      group("Valor à vista.", "Valor á vista.", "Integração à vista", "LOC:INTEGRA_VISTA", "À vista....",
            {"REG:CDebito", "REG:CCredito", "REG:Historico", "REG:Complemento"},
            {"CFO:CONTA_DEBITO", "CFO:CONTA_CREDITO", "CFO:CODIGO_HISTORIO"}, "REG:Cancelada"),
      group("Valor a prazo.", "Valor a prazo.", "Integração a prazo", "LOC:INTEGRA_PRAZO", "A Prazo...",
            {"REG:PrazoDebito", "REG:PrazoCredito", "REG:PrazoHistorico", "REG:PrazoComplemento"},
            {"CFO:CONTADEBITOPRAZO", "CFO:CONTACREDITOPRAZO", "CFO:HISTORICOPRAZO"}, "REG:Cancelada"),
  };
  return k;
}

InvoiceKind makeExit() {
  InvoiceKind k{.side = InvoiceSide::kExit,
                .table = "RegSaida",
                .p = "REGS:",
                .instalments = "ParcRegSaida",
                .ip = "PRSaid:",
                .listProcedure = "Saidas_NF",
                .listTitle = "Visualização da Tabela do Registro de Saídas",
                .formProcedure = "USaidas",
                .formTitle = "Atualização do Registro de Saídas",
                .formHeading = "Atualização dos Lançamentos de Saída",
                .mainTab = "Lançamento das Notas de &Saída",
                .insertCaption = "Lançando uma Nota de Saída",
                .changeCaption = "Alterando  uma Nota de Saída",
                .deleteCaption = "Excluindo uma Nota de Saída",
                .integrationProcedure = "USaidaContabilidade",
                .integrationTitle = "Contas de integração contábil",
                .instalmentsEditable = false,
                .groups = {}};
  k.groups = {
      group("Valor do I.P.I.", "I.P.I.", "Integração I.P.I.", "LOC:INTEGRA_IPI", "I.P.I........",
            {"REGS:IPIDebito", "REGS:IPICredito", "REGS:IPIHistorico", "REGS:IPIComplemento"},
            {"CFO:IPI_DEBITO", "CFO:IPI_CREDITO", "CFO:HISTORICO_IPI"}, "REGS:BaseCalculoIPI"),
      group("Valor do I.C.M.S.", "I.C.M.S.", "Integração I.C.M.S.", "LOC:INTEGRA_ICMS", "I.C.M.S...",
            {"REGS:ICMSDebito", "REGS:ICMSCredito", "REGS:ICMSHistorico", "REGS:ICMSComplemento"},
            {"CFO:ICMS_DEBITO", "CFO:ICMS_CREDITO", "CFO:HISTORICO"}, "REGS:BaseCalculo1"),
      group("Valor à vista.", "Valor à vista.", "Integração à vista", "LOC:INTEGRA_VISTA", "À vista....",
            {"REGS:CDebito", "REGS:CCredito", "REGS:Historico", "REGS:Complemento"},
            {"CFO:CONTA_DEBITO", "CFO:CONTA_CREDITO", "CFO:CODIGO_HISTORIO"}, "REGS:Cancelada"),
      group("Valor a prazo.", "Valor a prazo.", "Integração a prazo", "LOC:INTEGRA_PRAZO", "A Prazo...",
            {"REGS:PrazoDebito", "REGS:PrazoCredito", "REGS:PrazoHistorico", "REGS:PrazoComplemento"},
            {"CFO:CONTADEBITOPRAZO", "CFO:CONTACREDITOPRAZO", "CFO:HISTORICOPRAZO"}, "REGS:Cancelada"),
  };
  return k;
}

bool isText(const Record& r, int field) { return r.def().fields[size_t(field)].typeSpec.type == FieldType::kString; }

std::string folded(std::string_view text) {
  std::string out(clipText(text));
  for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

void copyIdentity(const Record& from, const std::string& fromPrefix, Record& to, const std::string& toPrefix) {
  for (const char* f : kInvoiceIdentity) {
    const int source = from.def().fieldIndex(fromPrefix + f), target = to.def().fieldIndex(toPrefix + f);
    if (source < 0 || target < 0) continue;
    if (isText(to, target)) to.setText(target, from.getText(source));
    else to.setInt(target, from.getInt(source));
  }
}

bool sameIdentity(const Record& a, const std::string& aPrefix, const Record& b, const std::string& bPrefix) {
  for (const char* f : kInvoiceIdentity) {
    const int x = a.def().fieldIndex(aPrefix + f), y = b.def().fieldIndex(bPrefix + f);
    if (x < 0 || y < 0) return false;
    if (isText(a, x) ? folded(a.getText(x)) != folded(b.getText(y)) : a.getInt(x) != b.getInt(y)) return false;
  }
  return true;
}

const InvoiceKind& entryInvoices() {
  static const InvoiceKind kind = makeEntry();
  return kind;
}

const InvoiceKind& exitInvoices() {
  static const InvoiceKind kind = makeExit();
  return kind;
}

}  // namespace vorlam::fiscal
