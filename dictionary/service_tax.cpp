// Service-tax invoice tables of one company and year (models 51 and 53),
// their accounting integration lines, the instalments of every kind of
// invoice and the record of paid instalments.
//
// The layouts reproduce the suite's record files byte for byte: every field in
// its order, type and width, every key with its components and attributes.
// Do not reorder or resize anything here without converting the files.
#include "dictionary/table_sets.h"

namespace vorlam::tables {
namespace {

TableDef iss51() {
  return TableBuilder("ISS51", "ISS", "NotIss51.dat")
      .field("ISS:Data", kLONG)
      .field("ISS:NaturezaOperacao", STRING(1))
      .field("ISS:Numero", kULONG)
      .field("ISS:Ate", kULONG)
      .field("ISS:Serie", STRING(5))
      .field("ISS:Especie", STRING(5))
      .field("ISS:CodServico", kULONG)
      .field("ISS:SubCodServico", kBYTE)
      .field("ISS:CodServico2", kULONG)
      .field("ISS:SubCodServico2", kBYTE)
      .field("ISS:CodServico3", kULONG)
      .field("ISS:SubCodServico3", kBYTE)
      .field("ISS:CodServico4", kULONG)
      .field("ISS:SubCodServico4", kBYTE)
      .field("ISS:CodServico5", kULONG)
      .field("ISS:SubCodServico5", kBYTE)
      .field("ISS:TipoOperacao", kBYTE)
      .field("ISS:Aliquota", DECIMAL(7, 4))
      .field("ISS:Aliquota2", DECIMAL(7, 4))
      .field("ISS:Aliquota3", DECIMAL(7, 4))
      .field("ISS:Aliquota4", DECIMAL(7, 4))
      .field("ISS:Aliquota5", DECIMAL(7, 4))
      .field("ISS:ValorNota", DECIMAL(11, 2))
      .field("ISS:ValorImposto", DECIMAL(11, 2))
      .field("ISS:ValorImposto2", DECIMAL(11, 2))
      .field("ISS:ValorImposto3", DECIMAL(11, 2))
      .field("ISS:ValorImposto4", DECIMAL(11, 2))
      .field("ISS:ValorImposto5", DECIMAL(11, 2))
      .field("ISS:IRF", DECIMAL(11, 2))
      .field("ISS:ISSRF", DECIMAL(11, 2))
      .field("ISS:INSSRF", DECIMAL(11, 2))
      .field("ISS:Vista", DECIMAL(11, 2))
      .field("ISS:Observacao", STRING(200))
      .field("ISS:Isentas", DECIMAL(11, 2))
      .field("ISS:BaseCalculo", DECIMAL(11, 2))
      .field("ISS:BaseCalculo2", DECIMAL(11, 2))
      .field("ISS:BaseCalculo3", DECIMAL(11, 2))
      .field("ISS:BaseCalculo4", DECIMAL(11, 2))
      .field("ISS:BaseCalculo5", DECIMAL(11, 2))
      .field("ISS:Remessas", DECIMAL(11, 2))
      .field("ISS:Inscricao", STRING(20))
      .field("ISS:MesImport", kBYTE)
      .field("ISS:Debito", STRING(40))
      .field("ISS:Credito", STRING(40))
      .field("ISS:Historico", kUSHORT)
      .field("ISS:Complemento", STRING(40))
      .field("ISS:PrazoDebito", STRING(40))
      .field("ISS:PrazoCredito", STRING(40))
      .field("ISS:PrazoHistorico", kUSHORT)
      .field("ISS:PrazoComplemento", STRING(500))
      .field("ISS:IRPJDebito", STRING(40))
      .field("ISS:IRPJCredito", STRING(40))
      .field("ISS:IRPJHistorico", kUSHORT)
      .field("ISS:IRPJComplemento", STRING(500))
      .field("ISS:INSSRFDebito", STRING(40))
      .field("ISS:INSSRFCredito", STRING(40))
      .field("ISS:INSSRFHistorico", kUSHORT)
      .field("ISS:INSSRFComplemento", STRING(500))
      .field("ISS:Cancelada", kBYTE)
      .field("ISS:RetidoPis", DECIMAL(11, 2))
      .field("ISS:RetidoCofins", DECIMAL(11, 2))
      .field("ISS:RetidoCSocial", DECIMAL(11, 2))
      .field("ISS:Mes_Unifica", kBYTE)
      .field("ISS:AliquotaIRRF", DECIMAL(11, 2))
      .field("ISS:BaseCalculoIRRF", DECIMAL(11, 2))
      .field("ISS:Codigo", kLONG)
      .field("ISS:TipoOpTributavel", STRING(1))
      .field("ISS:TipoCalcSimples", kBYTE)
      .field("ISS:UF", STRING(2))
      .field("ISS:Municipio", STRING(60))
      .field("ISS:MotivoCanc", kBYTE)
      .field("ISS:TipoOpTribSoro", STRING(1))
      .field("ISS:LocalTrab", kULONG)
      .field("ISS:ChaveNFS", STRING(60))
      .field("ISS:DataExecucao", kLONG)
      .field("ISS:ValorDesconto", DECIMAL(11, 2))
      .field("ISS:VlrBC_PIS", DECIMAL(11, 2))
      .field("ISS:VlrBC_COFINS", DECIMAL(11, 2))
      .key("ISS:KEY:NUMERO", {"ISS:Data", "ISS:Numero", "ISS:Serie", "ISS:Especie"},
           kDuplicates, "Numero da Nota")
      .key("ISS:Key:Inscricao", {"ISS:Inscricao"}, kDuplicates)
      .key("ISS:Key:Parcela", {"ISS:Numero", "ISS:Serie", "ISS:Especie"}, kDuplicates)
      .key("ISS:KEY:CODIGO", {"ISS:CodServico", "ISS:Data", "ISS:Numero"},
           kDuplicates, "Código do Serviço e Data do Lançamento")
      .key("ISS:KEY:DATA", {"ISS:Data", "ISS:CodServico", "ISS:Numero"}, kDuplicates, "Data de Lançamento")
      .key("ISS:KEY:NUMERO_NF", {"ISS:Numero"}, kDuplicates, "Número da Nota Fiscal")
      .key("ISS:Key:ID", {"ISS:Codigo"}, kDuplicates, "", 1)
      .inList("ISS:NaturezaOperacao", {"A", "B", "C", "D", "E", "F", "G", "I"},
              "ISS:NaturezaOperacao",
              "'A-Sem Deducao','B-Com Deducao','C-Isenta de ISSQN','D-Devolucao/Simples Remessa',"
              "'E-Nao Incidencia','F-Imune','G-Construcao Civil','I-Sociedade Civil'")
      .inList("ISS:TipoOperacao", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "10", "11"},
              "ISS:TipoOperacao",
              "'0                          ','1-ISS Recolher','2-NF Cancelada','3-Imunidade/Isenção',"
              "'4-Retenção ISS Normal','5-Fora Munic. sem Recolhimento','6-Fora Munic. com Recolhimento',"
              "'7-Retenção ISS por Substituição','8-Extravio NF','10-Imposto Recolhido NFA',"
              "'11-Não Incidência'")
      .inList("ISS:Cancelada", {"0", "1", "2", "3", "4", "5", "6", "7", "8"},
              "Verifica se a NF é cancelada",
              "'0-Normal','1-Cancelada','2-Extraviada','3-Nota Avulsa','4-Devolução','5-Retorno',"
              "'6-ISS Retido(Órgãos Públicos)','7-Pago em Outro Município','8-Vencidas'")
      .inList("ISS:TipoOpTributavel", {"O", "D", "I", "P"},
              "ISS:TipoOpTributavel",
              "'O-Operação Trib. Origem','D-Operação Trib. Destino','I-Operação Isenta ou Imunes',"
              "'P-Outras Operações'")
      .inList("ISS:TipoCalcSimples", {"0", "1", "2"},
              "Tipo do Calculo do Simples",
              "'0-Conforme Cadastro','1-Creche/Pre-Escola','2-Ensino Fundamental'")
      .inList("ISS:MotivoCanc", {"0", "1", "2", "3", "4"},
              "ISS:MotivoCanc",
              "'0 - Desistência do Cliente','1 - Erro de Preenchimento','2 - Lacuna','3 - Rasura',"
              "'4 - Validade Vencida'")
      .inList("ISS:TipoOpTribSoro", {"C", "E", "F", "K", "N", "T", "G", "H", "P"},
              "Tipo Operação Tributável Sorocaba",
              "'C - Isenta de ISS','E - Não Incidência no Município','F - Imune','K - Depósito em Juízo',"
              "'N - Não Tributável','T - Tributável','G - Tributável Fixo',"
              "'H - Tributável Simples Nacional','P - Pagamento Antecipado'")
      .build();
}

TableDef iss53() {
  return TableBuilder("ISS53", "ISS53", "NotIss53.dat")
      .field("ISS53:Data", kLONG)
      .field("ISS53:NaturezaOperacao", STRING(1))
      .field("ISS53:TipoOperacao", kBYTE)
      .field("ISS53:Numero", kULONG)
      .field("ISS53:Ate", kULONG)
      .field("ISS53:Serie", STRING(5))
      .field("ISS53:Especie", STRING(5))
      .field("ISS53:CodServico", kULONG)
      .field("ISS53:SubCodServico", kBYTE)
      .field("ISS53:Aliquota", DECIMAL(7, 4))
      .field("ISS53:ValorNota", DECIMAL(11, 2))
      .field("ISS53:ValorImposto", DECIMAL(11, 2))
      .field("ISS53:ISSRF", DECIMAL(11, 2))
      .field("ISS53:IRF", DECIMAL(11, 2))
      .field("ISS53:Vista", DECIMAL(11, 2))
      .field("ISS53:Observacao", STRING(200))
      .field("ISS53:Isentas", DECIMAL(11, 2))
      .field("ISS53:BaseCalculo", DECIMAL(11, 2))
      .field("ISS53:Remessas", DECIMAL(11, 2))
      .field("ISS53:Materias", DECIMAL(11, 2))
      .field("ISS53:Empreitadas", DECIMAL(11, 2))
      .field("ISS53:Inscricao", STRING(20))
      .field("ISS53:MesImport", kBYTE)
      .field("ISS53:Debito", STRING(40))
      .field("ISS53:Credito", STRING(40))
      .field("ISS53:Historico", kUSHORT)
      .field("ISS53:Complemento", STRING(500))
      .field("ISS53:PrazoDebito", STRING(40))
      .field("ISS53:PrazoCredito", STRING(40))
      .field("ISS53:PrazoHistorico", kUSHORT)
      .field("ISS53:PrazoComplemento", STRING(500))
      .field("ISS53:IRPJDebito", STRING(40))
      .field("ISS53:IRPJCredito", STRING(40))
      .field("ISS53:IRPJHistorico", kUSHORT)
      .field("ISS53:IRPJComplemento", STRING(500))
      .field("ISS53:Cancelada", kBYTE)
      .field("ISS53:RetidoPis", DECIMAL(11, 2))
      .field("ISS53:RetidoCofins", DECIMAL(11, 2))
      .field("ISS53:RetidoCSocial", DECIMAL(11, 2))
      .field("ISS53:Mes_Unifica", kBYTE)
      .field("ISS53:INSSRF", DECIMAL(11, 2))
      .field("ISS53:InscMateriais", STRING(14))
      .field("ISS53:CodInscMateriais", kUSHORT)
      .field("ISS53:InscSubEmpreitadas", STRING(14))
      .field("ISS53:CodInscSubEmpreitadas", kUSHORT)
      .field("ISS53:AliquotaIRRF", DECIMAL(11, 2))
      .field("ISS53:BaseCalculoIRRF", DECIMAL(11, 2))
      .field("ISS53:Codigo", kLONG)
      .field("ISS53:TipoOpTributavel", STRING(1))
      .field("ISS53:TipoCalcSimples", kBYTE)
      .field("ISS53:UF", STRING(2))
      .field("ISS53:Municipio", STRING(60))
      .field("ISS53:MotivoCanc", kBYTE)
      .field("ISS53:TipoOpTribSoro", STRING(1))
      .field("ISS53:LocalTrab", kULONG)
      .field("ISS53:ChaveNFS", STRING(60))
      .field("ISS53:DataExecucao", kLONG)
      .field("ISS53:ValorDesconto", DECIMAL(11, 2))
      .field("ISS53:VlrBC_PIS", DECIMAL(11, 2))
      .field("ISS53:VlrBC_COFINS", DECIMAL(11, 2))
      .key("ISS53:Key:Numero", {"ISS53:Data", "ISS53:Numero", "ISS53:Serie", "ISS53:Especie"},
           kDuplicates, "Numero da Nota")
      .key("ISS53:Key:Inscricao", {"ISS53:Inscricao"}, kDuplicates)
      .key("ISS53:KEY:NUMERO_NF", {"ISS53:Numero"}, kDuplicates, "Número da Nota Fiscal")
      .key("ISS53:Key:Parcela", {"ISS53:Numero", "ISS53:Serie", "ISS53:Especie"}, kDuplicates)
      .key("ISS53:KEY:CODIGO", {"ISS53:CodServico", "ISS53:Data", "ISS53:Numero"},
           kDuplicates, "Código do Serviço e Data do Lançamento")
      .key("ISS53:Key:Data", {"ISS53:Data", "ISS53:CodServico"}, kDuplicates, "Data de Lançamento")
      .key("ISS53:Key:ID", {"ISS53:Codigo"}, kDuplicates, "", 1)
      .inList("ISS53:NaturezaOperacao", {"A", "B", "C", "D", "E", "F", "G", "I"},
              "ISS53:NaturezaOperacao",
              "'A-Sem Deducao','B-Com Deducao','C-Isenta de ISSQN','D-Devolucao/Simples Remessa',"
              "'E-Nao Incidencia','F-Imune','G-Construcao Civil','I-Sociedade Civil'")
      .inList("ISS53:TipoOperacao", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "10", "11"},
              "ISS53:TipoOperacao",
              "'0                          ','1-ISS Recolher','2-NF Cancelada','3-Imunidade/Isenção',"
              "'4-Retenção ISS Normal','5-Fora Munic. sem Recolhimento','6-Fora Munic. com Recolhimento',"
              "'7-Retenção ISS por Substituição','8-Extravio NF','10-Imposto Recolhido NFA',"
              "'11-Não Incidência'")
      .inList("ISS53:Cancelada", {"0", "1", "2", "3", "4", "5", "6", "7"},
              "Verifica se a NF é cancelada",
              "'0-Normal','1-Cancelada','2-Extraviada','3-Nota Avulsa','4-Devolução','5-Retorno',"
              "'6-ISS Retido(Órgãos Públicos)','7-Pago em Outro Município'")
      .inList("ISS53:TipoOpTributavel", {"O", "D", "I", "P"},
              "ISS53:TipoOpTributavel",
              "'O-Operação Trib. Origem','D-Operação Trib. Destino','I-Operação Isenta ou Imunes',"
              "'P-Outras Operações'")
      .inList("ISS53:TipoCalcSimples", {"0", "1", "2"},
              "Tipo do Calculo do Simples",
              "'0-Conforme Cadastro','1-Creche/Pre-Escola','2-Ensino Fundamental'")
      .inList("ISS53:MotivoCanc", {"0", "1", "2", "3", "4"},
              "ISS53:MotivoCanc",
              "'0 - Desistência do Cliente','1 - Erro de Preenchimento','2 - Lacuna','3 - Rasura',"
              "'4 - Validade Vencida'")
      .inList("ISS53:TipoOpTribSoro", {"C", "E", "F", "K", "N", "T", "G", "H", "P"},
              "Tipo de Operação Tributável Sorocaba",
              "'C - Isenta de ISS','E - Não Incidência no Município','F - Imune','K - Depósito em Juízo',"
              "'N - Não Tributável','T - Tributável','G - Tributável Fixo',"
              "'H - Tributável Simples Nacional','P - Pagamento Antecipado'")
      .build();
}

TableDef iss51IntegracaoContabil() {
  return TableBuilder("ISS51_Integracao_Contabil", "ISIC", "IntISS51.dat")
      .field("ISIC:DATA_NF", kLONG)
      .field("ISIC:NUMERO_NF", kULONG)
      .field("ISIC:SERIE_NF", STRING(5))
      .field("ISIC:ESPECIE_NF", STRING(5))
      .field("ISIC:ID_CAMPO", kBYTE)
      .field("ISIC:CONTA_DEBITO", STRING(40))
      .field("ISIC:CONTA_CREDITO", STRING(40))
      .field("ISIC:CCUSTOC", kULONG)
      .field("ISIC:CCUSTOD", kULONG)
      .field("ISIC:HISTORICO", kUSHORT)
      .field("ISIC:COMPLEMENTO", STRING(500))
      .key("ISIC:KEY:DATA_NUMERO_SERIE_ESP_IDCAMPO",
           {"ISIC:DATA_NF", "ISIC:NUMERO_NF", "ISIC:SERIE_NF", "ISIC:ESPECIE_NF", "ISIC:ID_CAMPO"},
           kUnique | kPrimary, "Data + Número +Série + Espécie + ID Campo")
      .build();
}

TableDef iss53IntegracaoContabil() {
  return TableBuilder("ISS53_Integracao_Contabil", "ISIC53", "IntISS53.dat")
      .field("ISIC53:DATA_NF", kLONG)
      .field("ISIC53:NUMERO_NF", kULONG)
      .field("ISIC53:SERIE_NF", STRING(5))
      .field("ISIC53:ESPECIE_NF", STRING(5))
      .field("ISIC53:ID_CAMPO", kBYTE)
      .field("ISIC53:CONTA_DEBITO", STRING(40))
      .field("ISIC53:CONTA_CREDITO", STRING(40))
      .field("ISIC53:CCUSTOC", kULONG)
      .field("ISIC53:CCUSTOD", kULONG)
      .field("ISIC53:HISTORICO", kUSHORT)
      .field("ISIC53:COMPLEMENTO", STRING(500))
      .key("ISIC53:KEY:DATA_NUMERO_SERIE_ESP_IDCAMPO",
           {"ISIC53:DATA_NF", "ISIC53:NUMERO_NF", "ISIC53:SERIE_NF", "ISIC53:ESPECIE_NF", "ISIC53:ID_CAMPO"},
           kUnique | kPrimary, "Data + Numero + Serie + Especie + ID")
      .build();
}

TableDef parcRegEntrada() {
  return TableBuilder("ParcRegEntrada", "PREntr", "ParREntr.dat")
      .field("PREntr:DataLancamento", kLONG)
      .field("PREntr:Numero", kULONG)
      .field("PREntr:Especie", STRING(5))
      .field("PREntr:Serie", STRING(5))
      .field("PREntr:Inscricao", STRING(20))
      .field("PREntr:Data", kLONG)
      .field("PREntr:Valor", DECIMAL(11, 2))
      .field("PREntr:Pagamento", kLONG)
      .field("PREntr:Documento", STRING(20))
      .field("PREntr:Desconto", DECIMAL(11, 2))
      .field("PREntr:Multa", DECIMAL(11, 2))
      .field("PREntr:Juros", DECIMAL(11, 2))
      .field("PREntr:MesImport", kBYTE)
      .field("PREntr:Mes_Unifica", kBYTE)
      .field("PREntr:NumeroDuplicata", STRING(15))
      .field("PREntr:LPDuplicata", STRING(40))
      .field("PREntr:LPDesconto", STRING(40))
      .field("PREntr:LPJuros", STRING(40))
      .field("PREntr:LPMulta", STRING(40))
      .field("PREntr:ContaDebito", STRING(40))
      .field("PREntr:ContaCredito", STRING(40))
      .field("PREntr:Historico", kUSHORT)
      .field("PREntr:Complemento", STRING(500))
      .field("PREntr:CCustoC", kULONG)
      .field("PREntr:CCustoD", kULONG)
      .field("PREntr:DescDebito", STRING(40))
      .field("PREntr:DescCredito", STRING(40))
      .field("PREntr:DescHistorico", kUSHORT)
      .field("PREntr:DescComplemento", STRING(500))
      .field("PREntr:CCustoDescC", kULONG)
      .field("PREntr:CCustoDescD", kULONG)
      .field("PREntr:MultaDebito", STRING(40))
      .field("PREntr:MultaCredito", STRING(40))
      .field("PREntr:MultaHistorico", kUSHORT)
      .field("PREntr:MultaComplemento", STRING(500))
      .field("PREntr:CCustoMultaC", kULONG)
      .field("PREntr:CCustoMultaD", kULONG)
      .field("PREntr:JurosDebito", STRING(40))
      .field("PREntr:JurosCredito", STRING(40))
      .field("PREntr:JurosHistorico", kUSHORT)
      .field("PREntr:JurosComplemento", STRING(500))
      .field("PREntr:CCustoJurosC", kULONG)
      .field("PREntr:CCustoJurosD", kULONG)
      .field("PREntr:IntCXBCO", kBYTE)
      .field("PREntr:CodConta", kUSHORT)
      .key("PREntr:Key:Data",
           {"PREntr:DataLancamento", "PREntr:Numero", "PREntr:Especie", "PREntr:Serie", "PREntr:Inscricao",
            "PREntr:Data"},
           kUnique | kPrimary)
      .key("PREntr:Key:NumeroDoc", {"PREntr:Numero", "PREntr:Data", "PREntr:Inscricao"}, kDuplicates)
      .key("PREntr:Key:Inscricao", {"PREntr:Inscricao", "PREntr:Data"}, kDuplicates)
      .key("PREntr:Key:Vencimento", {"PREntr:Data", "PREntr:Inscricao"}, kDuplicates)
      .key("PREntr:Key:NumeroDup", {"PREntr:NumeroDuplicata"}, kDuplicates)
      .key("PREntr:Key:NumeroDocumentoctb", {"PREntr:Documento"}, kDuplicates)
      .key("PREntr:Key:Data_Pagamento", {"PREntr:Pagamento"}, kExcludeEmpty)
      .inList("PREntr:IntCXBCO", {"0", "1"},
              "Integração Livro Caixa/Banco",
              "'0-Caixa','1-Banco'")
      .build();
}

TableDef parcRegSaida() {
  return TableBuilder("ParcRegSaida", "PRSaid", "ParRSaid.dat")
      .field("PRSaid:DataLancamento", kLONG)
      .field("PRSaid:Numero", kULONG)
      .field("PRSaid:Especie", STRING(5))
      .field("PRSaid:Serie", STRING(5))
      .field("PRSaid:Inscricao", STRING(20))
      .field("PRSaid:Data", kLONG)
      .field("PRSaid:Valor", DECIMAL(11, 2))
      .field("PRSaid:Pagamento", kLONG)
      .field("PRSaid:Documento", STRING(20))
      .field("PRSaid:Desconto", DECIMAL(11, 2))
      .field("PRSaid:Multa", DECIMAL(11, 2))
      .field("PRSaid:Juros", DECIMAL(11, 2))
      .field("PRSaid:MesImport", kBYTE)
      .field("PRSaid:Mes_Unifica", kBYTE)
      .field("PRSaid:NumeroDuplicata", STRING(15))
      .field("PRSaid:LPDuplicata", STRING(40))
      .field("PRSaid:LPDesconto", STRING(40))
      .field("PRSaid:LPMulta", STRING(40))
      .field("PRSaid:LPJuros", STRING(40))
      .field("PRSaid:ContaDebito", STRING(40))
      .field("PRSaid:ContaCredito", STRING(40))
      .field("PRSaid:Historico", kUSHORT)
      .field("PRSaid:Complemento", STRING(500))
      .field("PRSaid:CCustoC", kULONG)
      .field("PRSaid:CCustoD", kULONG)
      .field("PRSaid:DescDebito", STRING(40))
      .field("PRSaid:DescCredito", STRING(40))
      .field("PRSaid:DescHistorico", kUSHORT)
      .field("PRSaid:DescComplemento", STRING(500))
      .field("PRSaid:CCustoDescC", kULONG)
      .field("PRSaid:CCustoDescD", kULONG)
      .field("PRSaid:MultaDebito", STRING(40))
      .field("PRSaid:MultaCredito", STRING(40))
      .field("PRSaid:MultaHistorico", kUSHORT)
      .field("PRSaid:MultaComplemento", STRING(500))
      .field("PRSaid:CCustoMultaC", kULONG)
      .field("PRSaid:CCustoMultaD", kULONG)
      .field("PRSaid:JurosDebito", STRING(40))
      .field("PRSaid:JurosCredito", STRING(40))
      .field("PRSaid:JurosHistorico", kUSHORT)
      .field("PRSaid:JurosComplemento", STRING(500))
      .field("PRSaid:CCustoJurosC", kULONG)
      .field("PRSaid:CCustoJurosD", kULONG)
      .field("PRSaid:IntCXBCO", kBYTE)
      .field("PRSaid:CodConta", kUSHORT)
      .key("PRSaid:Key:Data",
           {"PRSaid:DataLancamento", "PRSaid:Numero", "PRSaid:Especie", "PRSaid:Serie", "PRSaid:Inscricao",
            "PRSaid:Data"},
           kDuplicates)
      .key("PRSaid:Key:NumeroDoc", {"PRSaid:Numero", "PRSaid:Data", "PRSaid:Inscricao"}, kExcludeEmpty)
      .key("PRSaid:Key:Incricao", {"PRSaid:Inscricao", "PRSaid:Data"}, kDuplicates)
      .key("PRSaid:Key:Vencimento", {"PRSaid:Data", "PRSaid:Inscricao"}, kDuplicates)
      .key("PRSaid:Key:NumeroDup", {"PRSaid:NumeroDuplicata"}, kDuplicates)
      .key("PRSaid:Key:NumeroDocumentoctb", {"PRSaid:Documento"}, kDuplicates)
      .key("PRSaid:Key:Data_Pagamento", {"PRSaid:Pagamento"}, kExcludeEmpty)
      .inList("PRSaid:IntCXBCO", {"0", "1"},
              "Integração Livro Caixa/Banco",
              "'0-Caixa','1-Banco'")
      .build();
}

TableDef parcRegISS51() {
  return TableBuilder("ParcRegISS51", "PRISS51", "ParRISS1.dat")
      .field("PRISS51:DataNF", kLONG)
      .field("PRISS51:Numero", kULONG)
      .field("PRISS51:Serie", STRING(5))
      .field("PRISS51:Especie", STRING(5))
      .field("PRISS51:Data", kLONG)
      .field("PRISS51:Valor", DECIMAL(11, 2))
      .field("PRISS51:Pagamento", kLONG)
      .field("PRISS51:Documento", STRING(20))
      .field("PRISS51:Desconto", DECIMAL(11, 2))
      .field("PRISS51:Multa", DECIMAL(11, 2))
      .field("PRISS51:Juros", DECIMAL(11, 2))
      .field("PRISS51:MesImport", kBYTE)
      .field("PRISS51:Mes_Unifica", kBYTE)
      .field("PRISS51:RetidoPis", DECIMAL(11, 2))
      .field("PRISS51:RetidoCofins", DECIMAL(11, 2))
      .field("PRISS51:RetidoCSocial", DECIMAL(11, 2))
      .field("PRISS51:Inscricao", STRING(20))
      .field("PRISS51:NumeroDuplicata", STRING(15))
      .field("PRISS51:LPDuplicata", STRING(40))
      .field("PRISS51:LPDesconto", STRING(40))
      .field("PRISS51:LPJuros", STRING(40))
      .field("PRISS51:LPMultas", STRING(40))
      .field("PRISS51:ContaDebito", STRING(40))
      .field("PRISS51:ContaCredito", STRING(40))
      .field("PRISS51:Historico", kUSHORT)
      .field("PRISS51:Complemento", STRING(500))
      .field("PRISS51:CCustoC", kULONG)
      .field("PRISS51:CCustoD", kULONG)
      .field("PRISS51:DescDebito", STRING(40))
      .field("PRISS51:DescCredito", STRING(40))
      .field("PRISS51:DescHistorico", kUSHORT)
      .field("PRISS51:DescComplemento", STRING(500))
      .field("PRISS51:CCustoDescC", kULONG)
      .field("PRISS51:CCustoDescD", kULONG)
      .field("PRISS51:MultaDebito", STRING(40))
      .field("PRISS51:MultaCredito", STRING(40))
      .field("PRISS51:MultaHistorico", kUSHORT)
      .field("PRISS51:MultaComplemento", STRING(500))
      .field("PRISS51:CCustoMultaC", kULONG)
      .field("PRISS51:CCustoMultaD", kULONG)
      .field("PRISS51:JurosDebito", STRING(40))
      .field("PRISS51:JurosCredito", STRING(40))
      .field("PRISS51:JurosHistorico", kUSHORT)
      .field("PRISS51:JurosComplemento", STRING(500))
      .field("PRISS51:CCustoJurosC", kULONG)
      .field("PRISS51:CCustoJurosD", kULONG)
      .field("PRISS51:IntCXBCO", kBYTE)
      .field("PRISS51:CodConta", kUSHORT)
      .key("PRISS51:Key:Data",
           {"PRISS51:DataNF", "PRISS51:Numero", "PRISS51:Serie", "PRISS51:Especie", "PRISS51:Data"},
           kUnique | kPrimary)
      .key("PRISS51:Key:Numero", {"PRISS51:Numero", "PRISS51:Data"}, kDuplicates)
      .key("PRISS51:Key:Vencimento", {"PRISS51:Data", "PRISS51:DataNF"}, kDuplicates)
      .key("PRISS51:Key:NumeroDup", {"PRISS51:NumeroDuplicata"}, kDuplicates)
      .key("PRISS51:Key:NumeroDocumentoctb", {"PRISS51:Documento"}, kDuplicates)
      .key("PRISS51:Key:Data_Pagamento", {"PRISS51:Pagamento"}, kExcludeEmpty)
      .inList("PRISS51:IntCXBCO", {"0", "1"},
              "Integração Livro Caixa/Banco",
              "'0-Caixa','1-Banco'")
      .build();
}

TableDef parcRegISS53() {
  return TableBuilder("ParcRegISS53", "PRISS53", "ParRISS3.dat")
      .field("PRISS53:DataNF", kLONG)
      .field("PRISS53:Numero", kULONG)
      .field("PRISS53:Serie", STRING(5))
      .field("PRISS53:Especie", STRING(5))
      .field("PRISS53:Data", kLONG)
      .field("PRISS53:Valor", DECIMAL(11, 2))
      .field("PRISS53:Pagamento", kLONG)
      .field("PRISS53:Documento", STRING(20))
      .field("PRISS53:Desconto", DECIMAL(11, 2))
      .field("PRISS53:Multa", DECIMAL(11, 2))
      .field("PRISS53:Juros", DECIMAL(11, 2))
      .field("PRISS53:MesImport", kBYTE)
      .field("PRISS53:Mes_Unifica", kBYTE)
      .field("PRISS53:RetidoPis", DECIMAL(11, 2))
      .field("PRISS53:RetidoCofins", DECIMAL(11, 2))
      .field("PRISS53:RetidoCSocial", DECIMAL(11, 2))
      .field("PRISS53:Inscricao", STRING(20))
      .field("PRISS53:NumeroDuplicata", STRING(15))
      .field("PRISS53:LPDuplicata", STRING(40))
      .field("PRISS53:LPDesconto", STRING(40))
      .field("PRISS53:LPJuros", STRING(40))
      .field("PRISS53:LPMulta", STRING(40))
      .field("PRISS53:ContaDebito", STRING(40))
      .field("PRISS53:ContaCredito", STRING(40))
      .field("PRISS53:Historico", kUSHORT)
      .field("PRISS53:Complemento", STRING(500))
      .field("PRISS53:CCustoC", kULONG)
      .field("PRISS53:CCustoD", kULONG)
      .field("PRISS53:DescDebito", STRING(40))
      .field("PRISS53:DescCredito", STRING(40))
      .field("PRISS53:DescHistorico", kUSHORT)
      .field("PRISS53:DescComplemento", STRING(500))
      .field("PRISS53:CCustoDescC", kULONG)
      .field("PRISS53:CCustoDescD", kULONG)
      .field("PRISS53:MultaDebito", STRING(40))
      .field("PRISS53:MultaCredito", STRING(40))
      .field("PRISS53:MultaHistorico", kUSHORT)
      .field("PRISS53:MultaComplemento", STRING(500))
      .field("PRISS53:CCustoMultaC", kULONG)
      .field("PRISS53:CCustoMultaD", kULONG)
      .field("PRISS53:JurosDebito", STRING(40))
      .field("PRISS53:JurosCredito", STRING(40))
      .field("PRISS53:JurosHistorico", kUSHORT)
      .field("PRISS53:JurosComplemento", STRING(500))
      .field("PRISS53:CCustoJurosC", kULONG)
      .field("PRISS53:CCustoJurosD", kULONG)
      .field("PRISS53:IntCXBCO", kBYTE)
      .field("PRISS53:CodConta", kUSHORT)
      .key("PRISS53:Key:Data",
           {"PRISS53:DataNF", "PRISS53:Numero", "PRISS53:Serie", "PRISS53:Especie", "PRISS53:Data"},
           kUnique | kPrimary)
      .key("PRISS53:Key:Numero", {"PRISS53:Numero", "PRISS53:Data"}, kDuplicates)
      .key("PRISS53:Key:Vencimento", {"PRISS53:Data", "PRISS53:Numero"}, kDuplicates)
      .key("PRISS53:Key:NumeroDup", {"PRISS53:NumeroDuplicata"}, kDuplicates)
      .key("PRISS53:Key:NumeroDocumentoctb", {"PRISS53:Documento"}, kDuplicates)
      .key("PRISS53:Key:Data_Pagamento", {"PRISS53:Pagamento"}, kExcludeEmpty)
      .inList("PRISS53:IntCXBCO", {"0", "1"},
              "Integração Livro Caixa/Banco",
              "'0-Caixa','1-Banco'")
      .build();
}

TableDef parcPagas() {
  return TableBuilder("ParcPagas", "ParcPg", "PARCPAGA.dat")
      .field("PARCPG:ORIGEM", kBYTE)
      .field("PARCPG:DATALANCAMENTO", kLONG)
      .field("PARCPG:NUMERO", kULONG)
      .field("PARCPG:ESPECIE", STRING(5))
      .field("PARCPG:SERIE", STRING(5))
      .field("PARCPG:INSCRICAO", STRING(20))
      .field("PARCPG:DATA", kLONG)
      .field("PARCPG:VALOR", DECIMAL(11, 2))
      .field("PARCPG:PAGAMENTO", kLONG)
      .field("PARCPG:DESCONTO", DECIMAL(11, 2))
      .field("PARCPG:MULTA", DECIMAL(11, 2))
      .field("PARCPG:JUROS", DECIMAL(11, 2))
      .field("PARCPG:CONTADEBITO", STRING(40))
      .field("PARCPG:CONTACREDITO", STRING(40))
      .field("PARCPG:CCUSTOC", kULONG)
      .field("PARCPG:CCUSTOD", kULONG)
      .field("PARCPG:HISTORICO", kUSHORT)
      .field("PARCPG:COMPLEMENTO", STRING(500))
      .field("PARCPG:DOCUMENTO", STRING(20))
      .field("PARCPG:DESCDEBITO", STRING(40))
      .field("PARCPG:DESCCREDITO", STRING(40))
      .field("PARCPG:CCUSTODESCC", kULONG)
      .field("PARCPG:CCUSTODESCD", kULONG)
      .field("PARCPG:DESCHISTORICO", kUSHORT)
      .field("PARCPG:DESCCOMPLEMENTO", STRING(500))
      .field("PARCPG:MULTADEBITO", STRING(40))
      .field("PARCPG:MULTACREDITO", STRING(40))
      .field("PARCPG:CCUSTOMULTAC", kULONG)
      .field("PARCPG:CCUSTOMULTAD", kULONG)
      .field("PARCPG:MULTAHISTORICO", kUSHORT)
      .field("PARCPG:MULTACOMPLEMENTO", STRING(500))
      .field("PARCPG:JUROSDEBITO", STRING(40))
      .field("PARCPG:JUROSCREDITO", STRING(40))
      .field("PARCPG:CCUSTOJUROSC", kULONG)
      .field("PARCPG:CCUSTOJUROSD", kULONG)
      .field("PARCPG:JUROSHISTORICO", kUSHORT)
      .field("PARCPG:JUROSCOMPLEMENTO", STRING(500))
      .field("PARCPG:MESIMPORT", kBYTE)
      .field("PARCPG:RETIDOPIS", DECIMAL(11, 2))
      .field("PARCPG:RETIDOCOFINS", DECIMAL(11, 2))
      .field("PARCPG:RETIDOCSOCIAL", DECIMAL(11, 2))
      .field("PARCPG:NUMERODUPLICATA", STRING(15))
      .field("PARCPG:INTCXBCO", kBYTE)
      .field("PARCPG:CODCONTA", kUSHORT)
      .key("ParcPg:Key:Origem_DtVenc",
           {"PARCPG:ORIGEM", "PARCPG:DATALANCAMENTO", "PARCPG:NUMERO", "PARCPG:ESPECIE", "PARCPG:SERIE",
            "PARCPG:INSCRICAO", "PARCPG:DATA"},
           kDuplicates)
      .key("ParcPg:Key:Pagamento", {"PARCPG:PAGAMENTO"}, kExcludeEmpty)
      .key("PARCPG:KEY:ORIGEM_DTPG", {"PARCPG:ORIGEM", "PARCPG:PAGAMENTO"}, kDuplicates, "Origem e Pagamento")
      .inList("PARCPG:ORIGEM", {"1", "2", "3", "4", "5"},
              "Origem da percela 1-Entrada 2-Saida 3-ISS51 4-ISS53  5-ISS56",
              "'1-Entradas','2-Saídas','3-ISS51','4-ISS53','5-ISS56'")
      .inList("PARCPG:INTCXBCO", {"0", "1"},
              "Integração Livro Caixa/Banco",
              "'0-Caixa','1-Banco'")
      .build();
}

}  // namespace

void addServiceTaxTables(std::vector<TableDef>& out) {
  out.push_back(iss51());
  out.push_back(iss53());
  out.push_back(iss51IntegracaoContabil());
  out.push_back(iss53IntegracaoContabil());
  out.push_back(parcRegEntrada());
  out.push_back(parcRegSaida());
  out.push_back(parcRegISS51());
  out.push_back(parcRegISS53());
  out.push_back(parcPagas());
}

}  // namespace vorlam::tables
