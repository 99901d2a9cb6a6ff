// Fiscal reference tables, not tied to a year: fiscal operation codes,
// service codes with their integration accounts, customers and suppliers.
//
// The layouts reproduce the suite's record files byte for byte: every field in
// its order, type and width, every key with its components and attributes.
// Do not reorder or resize anything here without converting the files.
#include "dictionary/table_sets.h"

namespace vorlam::tables {
namespace {

TableDef cfo() {
  return TableBuilder("CFO", "CFO", "Cfo.dat")
      .field("CFO:Codigo", kSHORT)
      .field("CFO:COMPLEMENTO", kSHORT)
      .field("CFO:ESTADO", STRING(2))
      .field("CFO:Descricao", STRING(100))
      .field("CFO:APELIDO", STRING(10))
      .field("CFO:TRIBUTACAO_ICMS", kBYTE)
      .field("CFO:ALIQUOTA_ICMS", DECIMAL(7, 4))
      .field("CFO:BASEREDUZ", DECIMAL(7, 4))
      .field("CFO:EMPARA", kBYTE)
      .field("CFO:REGIMESUB", kBYTE)
      .field("CFO:TRIBUTACAO_IPI", kBYTE)
      .field("CFO:IPI_50", kBYTE)
      .field("CFO:INFAPUR", kBYTE)
      .field("CFO:ALIQUOTACSOCIAL", kBYTE)
      .field("CFO:IMPORTA_GRF", kBYTE)
      .field("CFO:CONTA_DEBITO", STRING(20))
      .field("CFO:CONTA_CREDITO", STRING(20))
      .field("CFO:CCUSTOD", STRING(20))
      .field("CFO:CCUSTOC", STRING(20))
      .field("CFO:CODIGO_HISTORIO", kUSHORT)
      .field("CFO:COMPLEMENTO_H", STRING(500))
      .field("CFO:ICMS_DEBITO", STRING(20))
      .field("CFO:ICMS_CREDITO", STRING(20))
      .field("CFO:CCUSTOICMSD", STRING(20))
      .field("CFO:CCUSTOICMSC", STRING(20))
      .field("CFO:HISTORICO", kUSHORT)
      .field("CFO:COMPLEMENTO_ICMS", STRING(500))
      .field("CFO:IPI_DEBITO", STRING(20))
      .field("CFO:IPI_CREDITO", STRING(20))
      .field("CFO:CCUSTOIPIC", STRING(20))
      .field("CFO:CCUSTOIPID", STRING(20))
      .field("CFO:HISTORICO_IPI", kUSHORT)
      .field("CFO:COMPLEMENTO_IPI", STRING(500))
      .field("CFO:COMPLEMENTOLIVROCAIXA", STRING(255))
      .field("CFO:COMPLEMENTOLIVROCAIXAPZ", STRING(255))
      .field("CFO:COMPLEMENTOLIVROCAIXAPZDESC", STRING(255))
      .field("CFO:COMPLEMENTOLIVROCAIXAPZMULTA", STRING(255))
      .field("CFO:COMPLEMENTOLIVROCAIXAPZJUROS", STRING(255))
      .field("CFO:CODHISTLC", kUSHORT)
      .field("CFO:CODHISTLCPZ", kUSHORT)
      .field("CFO:CODHISTLCPZDESC", kUSHORT)
      .field("CFO:CODHISTLCPZMULTA", kUSHORT)
      .field("CFO:CODHISTLCPZJUROS", kUSHORT)
      .field("CFO:PIS", kBYTE)
      .field("CFO:COFINS", kBYTE)
      .field("CFO:IRPJ", kBYTE)
      .field("CFO:SIMPLES", kBYTE)
      .field("CFO:SIMPLESESTADUAL", kBYTE)
      .field("CFO:CSL", kBYTE)
      .field("CFO:CONTROLECFOCAT17", kSHORT)
      .field("CFO:COLUNA", kBYTE)
      .field("CFO:COLUNAVEIC", kBYTE)
      .field("CFO:CONTRIBUINTE", kBYTE)
      .field("CFO:CODSISTGIAMS", kBYTE)
      .field("CFO:ALIQIR", DECIMAL(5, 2))
      .field("CFO:CONTADEBITOPRAZO", STRING(40))
      .field("CFO:CONTACREDITOPRAZO", STRING(40))
      .field("CFO:CCUSTOPRAZOC", STRING(20))
      .field("CFO:CCUSTOPRAZOD", STRING(20))
      .field("CFO:HISTORICOPRAZO", kUSHORT)
      .field("CFO:COMPLEMENTOPRAZO", STRING(500))
      .field("CFO:CODREDBASEICMSMT", kUSHORT)
      .field("CFO:CONTADEBITOICMSFONTE", STRING(20))
      .field("CFO:CONTACREDITOICMSFONTE", STRING(20))
      .field("CFO:CCUSTOICMSFONTEC", STRING(20))
      .field("CFO:CCUSTOICMSFONTED", STRING(20))
      .field("CFO:HISTORICOICMSFONTE", kUSHORT)
      .field("CFO:COMPLEMENTOICMSFONTE", STRING(500))
      .field("CFO:CODIGO_CFO_ARQUIVOMAGNETICO_CAT17", kSHORT)
      .field("CFO:USUARIO", STRING(20))
      .field("CFO:DATAEXCLUSAO", kLONG)
      .field("CFO:HORAEXCLUSAO", kLONG)
      .field("CFO:ADC50PCTSFSERV", kBYTE)
      .field("CFO:MES_UNIFICA", kBYTE)
      .field("CFO:TIPOENSINO", kBYTE)
      .field("CFO:LP_VALOR_A_VISTA", kUSHORT)
      .field("CFO:LP_VALOR_A_PRAZO", kUSHORT)
      .field("CFO:LP_ICMS", kUSHORT)
      .field("CFO:LP_IPI", kUSHORT)
      .field("CFO:LP_ICMS_FONTE", kUSHORT)
      .field("CFO:OBSERVACOESICMS", STRING(80))
      .field("CFO:OBSERVACOESIPI", STRING(80))
      .field("CFO:LP_ICMS_PRAZO", STRING(30))
      .field("CFO:ICMS_DEBITO_PRAZO", STRING(20))
      .field("CFO:ICMS_CREDITO_PRAZO", STRING(20))
      .field("CFO:CCUSTOICMSD_PRAZO", STRING(20))
      .field("CFO:CCUSTOICMSC_PRAZO", STRING(20))
      .field("CFO:HISTORICO_PRAZO", kUSHORT)
      .field("CFO:COMPLEMENTO_ICMS_PRAZO", STRING(255))
      .field("CFO:LP_IPI_PRAZO", STRING(30))
      .field("CFO:IPI_DEBITO_PRAZO", STRING(20))
      .field("CFO:IPI_CREDITO_PRAZO", STRING(20))
      .field("CFO:CCUSTOIPID_PRAZO", STRING(20))
      .field("CFO:CCUSTOIPIC_PRAZO", STRING(20))
      .field("CFO:HISTORICO_IPI_PRAZO", kUSHORT)
      .field("CFO:COMPLEMENTO_IPI_PRAZO", STRING(255))
      .field("CFO:LP_ST", STRING(30))
      .field("CFO:ST_DEBITO", STRING(20))
      .field("CFO:ST_CREDITO", STRING(20))
      .field("CFO:CCUSTOSTD", STRING(20))
      .field("CFO:CCUSTOSTC", STRING(20))
      .field("CFO:HISTORICOST", kUSHORT)
      .field("CFO:COMPLEMENTOST", STRING(255))
      .field("CFO:LP_ST_PRAZO", STRING(30))
      .field("CFO:ST_PRAZO_DEBITO", STRING(20))
      .field("CFO:ST_PRAZO_CREDITO", STRING(20))
      .field("CFO:CCUSTOSTPRAZOD", STRING(20))
      .field("CFO:CCUSTOSTPRAZOC", STRING(20))
      .field("CFO:HISTORICO_ST_PRAZO", kUSHORT)
      .field("CFO:COMPLEMENTO_ST_PRAZO", STRING(255))
      .field("CFO:APURACAOPISCOFINS", kBYTE)
      .field("CFO:IPI_EMBUTIDO", kBYTE)
      .key("CFO:KEY:CODIGO", {"CFO:ESTADO", "CFO:Codigo", "CFO:COMPLEMENTO"},
           kUnique | kPrimary, "Estado + Código + Complemento")
      .key("CFO:KEY:CFO", {"CFO:Codigo", "CFO:COMPLEMENTO"}, kDuplicates, "Somente o CFO")
      .key("CFO:KEY:CFOCAT17", {"CFO:Codigo", "CFO:COLUNA", "CFO:CONTROLECFOCAT17"},
           kDuplicates, "Indíce para o Cat 17")
      .key("CFO:KEY:APELIDO", {"CFO:ESTADO", "CFO:Codigo", "CFO:APELIDO"},
           kDuplicates, "Estado + Código + Apelido")
      .key("CFO:KEY:ALFABETICA", {"CFO:ESTADO", "CFO:Descricao"}, kDuplicates, "Estado + Descrição")
      .key("CFO:KEY:CUSTOM", {}, kDynamic, "Indíce Customizado")
      .inList("CFO:TRIBUTACAO_IPI", {"0", "1", "2", "3", "4", "5", "6"},
              "Tributação IPI",
              "'0-Manual','1-Tributada','2-Isentas','3-Outras','4-Tributadas Isentas',"
              "'5-Tributadas Outras','6-Não tributada'")
      .inList("CFO:ALIQUOTACSOCIAL", {"0", "1"},
              "Aíquota da contribuição Social",
              "'0-12%','1-32%'")
      .inList("CFO:IMPORTA_GRF", {"0", "1"},
              "Se esse CFO importa no programa de combustivel",
              "'0 - Sim','1 - Não'")
      .inList("CFO:COLUNAVEIC", {"1", "2", "3"},
              "Coluna de Impressão dos Veículos",
              "'CFO de Entrada de Veículo','Base Cálculo da Retenção Saída para Comercialização',"
              "'Base Cálculo Efetiva Consumidor Final'")
      .inList("CFO:ADC50PCTSFSERV", {"0", "1"},
              "CFO:ADC50PCTSFSERV",
              "'0 - Sim','1 - Não'")
      .inList("CFO:TIPOENSINO", {"0", "1", "2"},
              "Campo para calculo do Simples Federal",
              "'0-Empresa Normal','1-Creche','2-Ensino Fundamental'")
      .build();
}

TableDef ctaISS() {
  return TableBuilder("CtaISS", "CTA", "CtaISS.dat")
      .field("CTA:CODIGO", kULONG)
      .field("CTA:DATAINATIVO", kLONG)
      .field("CTA:SERVICOINATIVO", kBYTE)
      .field("CTA:SUBCODSERVICO", kBYTE)
      .field("CTA:APELIDO", STRING(10))
      .field("CTA:DESCRICAO", STRING(40))
      .field("CTA:BASEIRPJ", DECIMAL(7, 4))
      .field("CTA:ALIQUOTAISS", DECIMAL(7, 4))
      .field("CTA:BASEREDUCAO", DECIMAL(7, 4))
      .field("CTA:EMPARA", kBYTE)
      .field("CTA:ALIQUOTACSOCIAL", kBYTE)
      .field("CTA:TIPOCOFINS", kBYTE)
      .field("CTA:CTADEBITO", STRING(20))
      .field("CTA:CTACREDITO", STRING(20))
      .field("CTA:CODHISTORICO", kUSHORT)
      .field("CTA:COMPLEMENTO", STRING(500))
      .field("CTA:CODLIVROCAIXA", kUSHORT)
      .field("CTA:CODLIVROCAIXAPZ", kUSHORT)
      .field("CTA:CODLIVROCAIXAPZDESC", kUSHORT)
      .field("CTA:CODLIVROCAIXAPZMULTA", kUSHORT)
      .field("CTA:CODLIVROCAIXAPZJUROS", kUSHORT)
      .field("CTA:CODLIVROCAIXAIRRF", kUSHORT)
      .field("CTA:CODLIVROCAIXAINSSRF", kUSHORT)
      .field("CTA:CODLIVROCAIXAPIS", kUSHORT)
      .field("CTA:CODLIVROCAIXACOFINS", kUSHORT)
      .field("CTA:CODLIVROCAIXACSOCIAL", kUSHORT)
      .field("CTA:CODLIVROCAIXAISS", kUSHORT)
      .field("CTA:COMPHISTLIVROCAIXA", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXAPZ", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXAPZDESC", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXAPZJUROS", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXAPZMULTA", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXAIRRF", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXAINSSRF", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXAPIS", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXACOFINS", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXACSOCIAL", STRING(255))
      .field("CTA:COMPHISTLIVROCAIXAISS", STRING(255))
      .field("CTA:ISENTADEBITO", STRING(40))
      .field("CTA:ISENTACREDITO", STRING(40))
      .field("CTA:ISENTAHISTORICO", kUSHORT)
      .field("CTA:ISENTACOMPL", STRING(500))
      .field("CTA:CONTADEBITOPRAZO", STRING(40))
      .field("CTA:CONTACREDITOPRAZO", STRING(40))
      .field("CTA:HISTORICOPRAZO", kUSHORT)
      .field("CTA:COMPLEMENTOPRAZO", STRING(500))
      .field("CTA:IRPJDEBITO", STRING(40))
      .field("CTA:IRPJCREDITO", STRING(40))
      .field("CTA:IRPJHISTORICO", kUSHORT)
      .field("CTA:IRPJCOMPLEMENTO", STRING(500))
      .field("CTA:INSSRFDEBITO", STRING(40))
      .field("CTA:INSSRFCREDITO", STRING(40))
      .field("CTA:INSSRFHISTORICO", kUSHORT)
      .field("CTA:INSSRFCOMPLEMENTO", STRING(500))
      .field("CTA:Tributacao_Retido", kBYTE)
      .field("CTA:PORC_ISS_RETIDO", DECIMAL(5, 2))
      .field("CTA:PORC_INSS_RETIDO", DECIMAL(5, 2))
      .field("CTA:PORC_PIS_RETIDO", DECIMAL(5, 2))
      .field("CTA:PORC_COFINS_RETIDO", DECIMAL(5, 2))
      .field("CTA:PORC_CSOCIAL_RETIDO", DECIMAL(5, 2))
      .field("CTA:PORC_IRPF_RETIDO", DECIMAL(5, 2))
      .field("CTA:MES_UNIFICA", kBYTE)
      .field("CTA:EXPORTACAO", kBYTE)
      .field("CTA:ATIVIDADE", STRING(5))
      .field("CTA:CFPS", STRING(9))
      .field("CTA:ISSRETIDO", kUSHORT)
      .field("CTA:COMPLEMENTOISSRETIDO", STRING(255))
      .field("CTA:TipoSuperSimples", kBYTE)
      .field("CTA:ESCSERVCONT", kBYTE)
      .field("CTA:LOCBENSMOVEIS", kBYTE)
      .field("CTA:CODIGOBL", kUSHORT)
      .field("CTA:TIPOBL", STRING(1))
      .field("CTA:NUMEROBL", kUSHORT)
      .field("CTA:ANOBL", kSHORT)
      .field("CTA:ARTIGOBL", kUSHORT)
      .field("CTA:INCISOBL", STRING(6))
      .field("CTA:PARAGRAFOBL", kUSHORT)
      .field("CTA:ALINEABL", STRING(1))
      .field("CTA:ABREVIATURABL", STRING(35))
      .field("CTA:DESCRICAOBL", STRING(255))
      .field("CTA:CODATIVIDADE", STRING(8))
      .key("CTA:KEY:CODIGO", {"CTA:CODIGO", "CTA:SUBCODSERVICO"}, kUnique | kPrimary, "Código")
      .key("CTA:KEY:DESCRICAO", {"CTA:DESCRICAO"}, kDuplicates, "Descrição")
      .key("CTA:KEY:CODIGO_APELIDO", {"CTA:CODIGO", "CTA:APELIDO"}, kDuplicates, "Código + Apelido")
      .inList("CTA:EMPARA", {"0", "1"},
              "Redução de Em ou Para",
              "'0-Em','1-Para'")
      .inList("CTA:ALIQUOTACSOCIAL", {"0", "1"},
              "Aíquota da contribuição Social",
              "'0- 32%','1- 12%'")
      .inList("CTA:TIPOCOFINS", {"0", "1"},
              "Tipo de Calculo para o Cofins",
              "'0-Cumulátivo','1-Não Cumulátivo'")
      .inList("CTA:Tributacao_Retido", {"0", "1"},
              "CTA:Tributacao_Retido",
              "'0-Manual','1-Automática'")
      .inList("CTA:TipoSuperSimples", {"0", "1", "2"},
              "CTA:TipoSuperSimples",
              "'0 - Anexo III','1 - Anexo IV','2 - Anexo V'")
      .build();
}

TableDef configuracaoContasISSIntegracao() {
  return TableBuilder("Configuracao_Contas_ISS_Integracao", "CCIS", "IntCtISS.dat")
      .field("CCIS:CODIGO_SERVICO", kULONG)
      .field("CCIS:SUBCODSERVICO", kBYTE)
      .field("CCIS:ID_CAMPO", kBYTE)
      .field("CCIS:CONTA_DEBITO", STRING(40))
      .field("CCIS:CONTA_CREDITO", STRING(40))
      .field("CCIS:CCUSTOC", STRING(40))
      .field("CCIS:CCUSTOD", STRING(40))
      .field("CCIS:HISTORICO", kUSHORT)
      .field("CCIS:COMPLEMENTO", STRING(500))
      .key("CCIS:KEY:SERVICO_ID", {"CCIS:CODIGO_SERVICO", "CCIS:SUBCODSERVICO", "CCIS:ID_CAMPO"},
           kUnique | kPrimary, "Código de serviço + ID")
      .key("CCIS:KEY:ID", {"CCIS:ID_CAMPO"}, kDuplicates, "ID do campo")
      .build();
}

TableDef forCli() {
  return TableBuilder("ForCli", "FOR", "ForCli.dat")
      .field("FOR:Codigo", kULONG)
      .field("FOR:TipoProdutos", kBYTE)
      .field("FOR:TipoInscricao", kBYTE)
      .field("FOR:CGC", STRING(14))
      .field("FOR:CPF", STRING(11))
      .field("FOR:InscricaoEstadual", STRING(20))
      .field("FOR:Nome", STRING(100))
      .field("FOR:Endereco", STRING(40))
      .field("FOR:Numero", kULONG)
      .field("FOR:Complemento", STRING(25))
      .field("FOR:Bairro", STRING(25))
      .field("FOR:Cidade", STRING(60))
      .field("FOR:Estado", STRING(2))
      .field("FOR:DDD", kUSHORT)
      .field("FOR:Telefone", kULONG)
      .field("FOR:Ramal", kUSHORT)
      .field("FOR:Fax", kULONG)
      .field("FOR:Cep", kULONG)
      .field("FOR:ContaFornecedor", STRING(30))
      .field("FOR:ContaCliente", STRING(30))
      .field("FOR:ContaProdutor", STRING(30))
      .field("FOR:Clientes", kBYTE)
      .field("FOR:Fornecedor", kBYTE)
      .field("FOR:ProdutorRural", kBYTE)
      .field("FOR:MesImport", kLONG)
      .field("FOR:InscSUFRAMA", kULONG)
      .field("FOR:CCM", STRING(20))
      .field("FOR:Usuario", STRING(20))
      .field("FOR:DataExclusao", kLONG)
      .field("FOR:HoraExclusao", kLONG)
      .field("FOR:Mes_Unifica", kBYTE)
      .field("FOR:NLinha", kULONG)
      .field("FOR:ME", kBYTE)
      .field("FOR:Email", STRING(50))
      .field("FOR:TipoCtrc", kBYTE)
      .field("FOR:SeuCodigo", kLONG)
      .field("FOR:Inativo", kBYTE)
      .field("FOR:SuperSimples", kBYTE)
      .field("FOR:SuperSimplesRecAcuPerc", DECIMAL(11, 2))
      .field("FOR:Pais", STRING(20))
      .field("FOR:Publica", kBYTE)
      .key("FOR:KEY:CODIGO", {"FOR:Codigo", "FOR:Inativo"}, kDuplicates, "Código - Inativo")
      .key("FOR:KEY:NOME", {"FOR:Nome"}, kDuplicates, "Alfabética")
      .key("FOR:KEY:CGC", {"FOR:CGC", "FOR:Inativo"}, kDuplicates, "CGC - Inativo")
      .key("FOR:KEY:CPF", {"FOR:CPF", "FOR:Inativo"}, kDuplicates, "CPF - Inativo")
      .key("FOR:KEY:CODIGO1", {"FOR:Codigo"}, kUnique | kPrimary, "Código", 1)
      .key("FOR:KEY:CUSTOM", {}, kDynamic, "Indíce customizado pelo relatório")
      .key("FOR:KEY:SEUCODIGO", {"FOR:SeuCodigo"}, kDuplicates, "Codigo indicado Pelo Cliente")
      .key("FOR:KEY:UF_CIDADE", {"FOR:Estado", "FOR:Cidade"}, kDuplicates, "UF + Cidade")
      .inList("FOR:TipoProdutos", {"0", "1", "2", "3"},
              "Tipo de produtos que é comercializado pelo fornecedor/cliente",
              "'0-Não Usa','1-Petroleo','2-Outros Produtos','3-Energia'")
      .inList("FOR:TipoInscricao", {"1", "2"},
              "Tipo da Inscrição do Cliente/Fornecedor",
              "'CGC','CPF'")
      .inList("FOR:ME", {"0", "1", "2"},
              "Micro Empresa usado para Apuração DCA",
              "'0-Sem Informação','1-ME','2-EPP'")
      .inList("FOR:TipoCtrc", {"0", "1", "2"},
              "Tipo de Cadastro Destinaário o Remetente para CTRC",
              "'0-Cliente/Fornecedor','1-Rementente','2-Destinatario'")
      .inList("FOR:SuperSimples", {"0", "1"},
              "FOR:SuperSimples",
              "'0-Sim','1-Não'")
      .build();
}

}  // namespace

void addFiscalReferenceTables(std::vector<TableDef>& out) {
  out.push_back(cfo());
  out.push_back(ctaISS());
  out.push_back(configuracaoContasISSIntegracao());
  out.push_back(forCli());
}

}  // namespace vorlam::tables
