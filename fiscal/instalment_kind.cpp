#include "fiscal/instalment_kind.h"

#include "shell/main_menu.h"

namespace vorlam::fiscal {

const InstalmentKind& entryInstalments() {
  static const InstalmentKind kKind{
      .table = "ParcRegEntrada",
      .prefix = "PREntr",
      .invoiceDate = "DataLancamento",
      .inscriptionInIdentity = true,
      .registerTable = "RegEntrada",
      .registerKey = "REG:KEY:DATANUMERO",
      .registerDate = "REG:DataLancamento",
      .registerNumber = "REG:Numero",
      .registerSpecies = "REG:Especie",
      .registerSeries = "REG:Serie",
      .registerInscription = "REG:Inscricao",
      .totalField = "REG:ValorContabil",
      .cashField = "REG:Vista",
      .origin = 1,
      .listProcedure = "Baixa_Duplicatas_Entradas",
      .listTitle = "Duplicatas entradas",
      .formProcedure = "UBDEntradas",
      .insertCaption = "Incluindo uma duplicata - NF Entrada",
      .changeCaption = "Alterando/Baixa de duplicata-NF Entrada",
      .deleteCaption = "Excluindo uma duplicata - NF Entrada",
      .menuItem = shell::menu::kBaixaEntradas,
      .keyByDate = "PREntr:Key:Data",
      .keyByNumber = "PREntr:Key:NumeroDoc",
      .keyByInscription = "PREntr:Key:Inscricao",
      .keyByDue = "PREntr:Key:Vencimento",
  };
  return kKind;
}

const InstalmentKind& exitInstalments() {
  static const InstalmentKind kKind{
      .table = "ParcRegSaida",
      .prefix = "PRSaid",
      .invoiceDate = "DataLancamento",
      .inscriptionInIdentity = true,
      .registerTable = "RegSaida",
      .registerKey = "REGS:KEY:DATANUMERO",
      .registerDate = "REGS:DataLancamento",
      .registerNumber = "REGS:Numero",
      .registerSpecies = "REGS:Especie",
      .registerSeries = "REGS:Serie",
      .registerInscription = "REGS:Inscricao",
      .totalField = "REGS:ValorContabil",
      .cashField = "REGS:Vista",
      .origin = 2,
      .listProcedure = "Baixa_Duplicatas_Saidas",
      .listTitle = "Tabela Duplicatas NF Saída",
      .formProcedure = "UBDSaidas",
      .insertCaption = "Incluindo uma duplicata - NF Saida",
      .changeCaption = "Alterando uma duplicata - NF Saída",
      .deleteCaption = "Excluindo uma duplicata - NF Saída",
      .menuItem = shell::menu::kBaixaSaidas,
      .keyByDate = "PRSaid:Key:Data",
      .keyByNumber = "PRSaid:Key:NumeroDoc",
      .keyByInscription = "PRSaid:Key:Incricao",
      .keyByDue = "PRSaid:Key:Vencimento",
  };
  return kKind;
}

const InstalmentKind& iss51Instalments() {
  static const InstalmentKind kKind{
      .table = "ParcRegISS51",
      .prefix = "PRISS51",
      .invoiceDate = "DataNF",
      .inscriptionInIdentity = false,
      .registerTable = "ISS51",
      .registerKey = "ISS:KEY:NUMERO",
      .registerDate = "ISS:Data",
      .registerNumber = "ISS:Numero",
      .registerSpecies = "ISS:Especie",
      .registerSeries = "ISS:Serie",
      .registerInscription = nullptr,
      .totalField = "ISS:ValorNota",
      .cashField = "ISS:Vista",
      .origin = 3,
      .listProcedure = "Baixa_Duplicata_ISS51",
      .listTitle = "Duplicatas ISS 51",
      .formProcedure = "UBDISS51",
      .insertCaption = "Incluindo duplicata NF ISS51",
      .changeCaption = "Alterando duplicata NF ISS51",
      .deleteCaption = "Excluindo duplicata NF ISS51",
      .menuItem = shell::menu::kBaixaIss51,
      .keyByDate = "PRISS51:Key:Data",
      .keyByNumber = "PRISS51:Key:Numero",
      .keyByInscription = nullptr,
      .keyByDue = "PRISS51:Key:Vencimento",
  };
  return kKind;
}

const InstalmentKind& iss53Instalments() {
  static const InstalmentKind kKind{
      .table = "ParcRegISS53",
      .prefix = "PRISS53",
      .invoiceDate = "DataNF",
      .inscriptionInIdentity = false,
      .registerTable = "ISS53",
      .registerKey = "ISS53:Key:Numero",
      .registerDate = "ISS53:Data",
      .registerNumber = "ISS53:Numero",
      .registerSpecies = "ISS53:Especie",
      .registerSeries = "ISS53:Serie",
      .registerInscription = nullptr,
      .totalField = "ISS53:ValorNota",
      .cashField = "ISS53:Vista",
      .origin = 4,
      .listProcedure = "Baixa_Duplicata_ISS53",
      .listTitle = "Duplicatas NF ISS53",
      .formProcedure = "UBDISS53",
      .insertCaption = "Incluindo uma duplicata - NF ISS 53",
      .changeCaption = "Alterando uma duplicata - NF ISS 53",
      .deleteCaption = "Excluindo uma duplicata - NF ISS 53",
      .menuItem = shell::menu::kBaixaIss53,
      .keyByDate = "PRISS53:Key:Data",
      .keyByNumber = "PRISS53:Key:Numero",
      .keyByInscription = nullptr,
      .keyByDue = "PRISS53:Key:Vencimento",
  };
  return kKind;
}

const std::vector<const InstalmentKind*>& instalmentKinds() {
  static const std::vector<const InstalmentKind*> kKinds = {&entryInstalments(), &exitInstalments(),
                                                            &iss51Instalments(), &iss53Instalments()};
  return kKinds;
}

const SettlementGroup& settlementGroup(int group) {
  static const SettlementGroup kGroups[kSettlementGroups] = {
      {"Valor da duplicata.", "Valor da Duplicata", "Valor", "ContaDebito", "ContaCredito", "Historico",
       "Complemento", "PARCPG:CONTADEBITO", "PARCPG:CONTACREDITO", "PARCPG:HISTORICO", "PARCPG:COMPLEMENTO"},
      {"Valor do desconto.", "Valor do Desconto", "Desconto", "DescDebito", "DescCredito", "DescHistorico",
       "DescComplemento", "PARCPG:DESCDEBITO", "PARCPG:DESCCREDITO", "PARCPG:DESCHISTORICO",
       "PARCPG:DESCCOMPLEMENTO"},
      {"Valor da multa.", "Valor da Multa", "Multa", "MultaDebito", "MultaCredito", "MultaHistorico",
       "MultaComplemento", "PARCPG:MULTADEBITO", "PARCPG:MULTACREDITO", "PARCPG:MULTAHISTORICO",
       "PARCPG:MULTACOMPLEMENTO"},
      {"Valor do juros.", "Valor do Juros", "Juros", "JurosDebito", "JurosCredito", "JurosHistorico",
       "JurosComplemento", "PARCPG:JUROSDEBITO", "PARCPG:JUROSCREDITO", "PARCPG:JUROSHISTORICO",
       "PARCPG:JUROSCOMPLEMENTO"},
  };
  return kGroups[group];
}

}  // namespace vorlam::fiscal
