// Shared registry tables of the BComuns directory: the company record and its
// branches, contract changes and integration accounts, and the reference
// tables of states, municipalities and economic activities.
//
// The layouts reproduce the suite's record files byte for byte: every field in
// its order, type and width, every key with its components and attributes.
// Do not reorder or resize anything here without converting the files.
#include "dictionary/table_sets.h"

namespace vorlam::tables {
namespace {

TableDef empresa() {
  return TableBuilder("Empresa", "EMP", "Empresas.dat")
      .field("EMP:AgenPisFunc", kULONG)
      .field("EMP:Sindicalizada", kBYTE)
      .field("EMP:PcMatFiliaisTContas", kBYTE)
      .field("EMP:Aliquota_IRPJ", DECIMAL(7, 4))
      .field("EMP:Aliquota_PrestServ", DECIMAL(7, 2))
      .field("EMP:Autonomo", kBYTE)
      .field("EMP:AgenPisEmpr", kULONG)
      .field("EMP:AtivEmp", STRING(40))
      .field("EMP:Bairro", STRING(25))
      .field("EMP:BancoConta", kUSHORT)
      .field("EMP:BancoDebFGTS", kUSHORT)
      .field("EMP:CapitalSocial", DECIMAL(11, 2))
      .field("EMP:EmpregadorDomestico", kBYTE)
      .field("EMP:Codigo", kUSHORT)
      .field("EMP:Complemento", STRING(25))
      .field("EMP:CGC", STRING(14))
      .field("EMP:CEI", STRING(12))
      .field("EMP:CPF", STRING(11))
      .field("EMP:CEP", kULONG)
      .field("EMP:Cidade", STRING(60))
      .field("EMP:CNAE", kULONG)
      .field("EMP:CatEmpFGTS", kBYTE)
      .field("EMP:ClassEstabIPI", kBYTE)
      .field("EMP:ContaFgts", DECIMAL(15, 0))
      .field("EMP:CodEmprBco", kULONG)
      .field("EMP:ConCorEmpr", DECIMAL(13, 0))
      .field("EMP:CodRespEscr", kLONG)
      .field("EMP:CodRespFolha", kLONG)
      .field("EMP:CodRespCaixa", kLONG)
      .field("EMP:CCM", STRING(20))
      .field("EMP:CodigoPlanoContas", kUSHORT)
      .field("EMP:CodRespCTB", kLONG)
      .field("EMP:Comercio", kBYTE)
      .field("EMP:ClasseEPP", kBYTE)
      .field("EMP:CreditoICMS", STRING(40))
      .field("EMP:ComplICMS", STRING(500))
      .field("EMP:CreditoIPI", STRING(40))
      .field("EMP:ComplIPI", STRING(500))
      .field("EMP:CreditoPIS", STRING(40))
      .field("EMP:ComplPIS", STRING(500))
      .field("EMP:CreditoCOFINS", STRING(40))
      .field("EMP:ComplCOFINS", STRING(500))
      .field("EMP:CreditoSIMPLES", STRING(40))
      .field("EMP:ComplSIMPLES", STRING(500))
      .field("EMP:CreditoCSOCIAL", STRING(40))
      .field("EMP:ComplCSOCIAL", STRING(500))
      .field("EMP:CreditoIRPJ", STRING(40))
      .field("EMP:ComplIRPJ", STRING(500))
      .field("EMP:CreditoSIMPLESEST", STRING(40))
      .field("EMP:ComplSIMPLESEST", STRING(500))
      .field("EMP:CreditoSUBTRIBUTARIA", STRING(40))
      .field("EMP:ComplSUBTRIBUTARIA", STRING(500))
      .field("EMP:ContaDebFGTS", DECIMAL(15, 0))
      .field("EMP:CodigoMensagemCTB", kUSHORT)
      .field("EMP:CodRecGAREICMS", kUSHORT)
      .field("EMP:CPRICMS", kUSHORT)
      .field("EMP:CPRICMSST", kUSHORT)
      .field("EMP:CDarfPIS", kUSHORT)
      .field("EMP:CDarfPISComp", kBYTE)
      .field("EMP:CDarfCOFINS", kUSHORT)
      .field("EMP:CDarfCOFINSComp", kBYTE)
      .field("EMP:CDarfCSocial", kUSHORT)
      .field("EMP:CDarfCSocialComp", kBYTE)
      .field("EMP:CDarfIRPJ", kUSHORT)
      .field("EMP:CDarfIRPJComp", kBYTE)
      .field("EMP:CDarfIPI", kUSHORT)
      .field("EMP:CDarfIPIComp", kBYTE)
      .field("EMP:DataRegistro", kLONG)
      .field("EMP:DataInicio", kLONG)
      .field("EMP:DataCadSEFAZ", kLONG)
      .field("EMP:DigitosCGC", kBYTE)
      .field("EMP:DDD", kUSHORT)
      .field("EMP:DebitoICMS", STRING(40))
      .field("EMP:DebitoIPI", STRING(40))
      .field("EMP:DebitoPIS", STRING(40))
      .field("EMP:DebitoCOFINS", STRING(40))
      .field("EMP:DebitoSIMPLES", STRING(40))
      .field("EMP:DebitoCSOCIAL", STRING(40))
      .field("EMP:DebitoIRPJ", STRING(40))
      .field("EMP:DebitoSIMPLESEST", STRING(40))
      .field("EMP:DebitoSUBTRIBUTARIA", STRING(40))
      .field("EMP:DiaPgto1", kBYTE)
      .field("EMP:DiaPgto2", kBYTE)
      .field("EMP:EMail", STRING(100))
      .field("EMP:Endereco", STRING(40))
      .field("EMP:Equiparado", kBYTE)
      .field("EMP:EncAtiv", kLONG)
      .field("EMP:DataProtocoloEncAtiv", kLONG)
      .field("EMP:EntDebitoDup", STRING(40))
      .field("EMP:EntCreditoDup", STRING(40))
      .field("EMP:EntHistoricoDup", kUSHORT)
      .field("EMP:EntComplementoDup", STRING(500))
      .field("EMP:EntDebitoDupDesc", STRING(40))
      .field("EMP:EntCreditoDupDesc", STRING(40))
      .field("EMP:EntHistoricoDupDesc", kUSHORT)
      .field("EMP:EntComplementoDupDesc", STRING(500))
      .field("EMP:EntDebitoDupMulta", STRING(40))
      .field("EMP:EntCreditoDupMulta", STRING(40))
      .field("EMP:EntHistoricoDupMulta", kUSHORT)
      .field("EMP:EntComplementoDupMulta", STRING(500))
      .field("EMP:EntDebitoDupJuros", STRING(40))
      .field("EMP:EntCreditoDupJuros", STRING(40))
      .field("EMP:EntHistoricoDupJuros", kUSHORT)
      .field("EMP:EntComplementoDupJuros", STRING(500))
      .field("EMP:Fax", kULONG)
      .field("EMP:FPAS", kUSHORT)
      .field("EMP:Fone", kULONG)
      .field("EMP:FPAS:SalEducacao", kBYTE)
      .field("EMP:FPAS:INCRA", kBYTE)
      .field("EMP:FPAS:SENAI", kBYTE)
      .field("EMP:FPAS:SESI", kBYTE)
      .field("EMP:FPAS:SENAC", kBYTE)
      .field("EMP:FPAS:SESC", kBYTE)
      .field("EMP:FPAS:SEBRAE", kBYTE)
      .field("EMP:FPAS:DPC", kBYTE)
      .field("EMP:FPAS:FundoAeroviario", kBYTE)
      .field("EMP:FPAS:SENAR", kBYTE)
      .field("EMP:FPAS:SEST", kBYTE)
      .field("EMP:FPAS:SENAT", kBYTE)
      .field("EMP:FPAS:SESCOOP", kBYTE)
      .field("EMP:GrupoFornecedor", STRING(20))
      .field("EMP:GrupoCliente", STRING(20))
      .field("EMP:GrupoProdutor", STRING(20))
      .field("EMP:HistoricoICMS", kUSHORT)
      .field("EMP:HistoricoIPI", kUSHORT)
      .field("EMP:HistoricoPIS", kUSHORT)
      .field("EMP:HistoricoCOFINS", kUSHORT)
      .field("EMP:HistoricoSIMPLES", kUSHORT)
      .field("EMP:HistoricoCSOCIAL", kUSHORT)
      .field("EMP:HistoricoIRPJ", kUSHORT)
      .field("EMP:HistoricoSIMPLESEST", kUSHORT)
      .field("EMP:HistoricoSUBTRIBUTARIA", kUSHORT)
      .field("EMP:InscEstadual", STRING(20))
      .field("EMP:Industria", kBYTE)
      .field("EMP:IndicadorPAT", kBYTE)
      .field("EMP:ISSDebitoDup", STRING(40))
      .field("EMP:ISSCreditoDup", STRING(40))
      .field("EMP:ISSHistoricoDup", kUSHORT)
      .field("EMP:ISSComplementoDup", STRING(500))
      .field("EMP:ISSDebitoDupDesc", STRING(40))
      .field("EMP:ISSCreditoDupDesc", STRING(40))
      .field("EMP:ISSHistoricoDupDesc", kUSHORT)
      .field("EMP:ISSComplementoDupDesc", STRING(500))
      .field("EMP:ISSDebitoDupMulta", STRING(40))
      .field("EMP:ISSCreditoDupMulta", STRING(40))
      .field("EMP:ISSHistoricoDupMulta", kUSHORT)
      .field("EMP:ISSComplementoDupMulta", STRING(500))
      .field("EMP:ISSDebitoDupJuros", STRING(40))
      .field("EMP:ISSCreditoDupJuros", STRING(40))
      .field("EMP:ISSHistoricoDupJuros", kUSHORT)
      .field("EMP:ISSComplementoDupJuros", STRING(500))
      .field("EMP:JuntaComercial", STRING(20))
      .field("EMP:Logo", STRING(80))
      .field("EMP:Lotes", kBYTE)
      .field("EMP:MesDataBase", kBYTE)
      .field("EMP:Numero", kUSHORT)
      .field("EMP:NatuEstab", kUSHORT)
      .field("EMP:QualifPJ", kBYTE)
      .field("EMP:NRegEspecial", STRING(20))
      .field("EMP:PLContas", kBYTE)
      .field("EMP:PaginaWeb", STRING(30))
      .field("EMP:PctIsEntFilan", DECIMAL(7, 2))
      .field("EMP:PATServicoProprio", DECIMAL(5, 2))
      .field("EMP:PATAdmCozinhas", DECIMAL(5, 2))
      .field("EMP:PATRefTransportadas", DECIMAL(5, 2))
      .field("EMP:PATRefConvenio", DECIMAL(5, 2))
      .field("EMP:PATCestaAlimentacao", DECIMAL(5, 2))
      .field("EMP:ProdutorRural", kBYTE)
      .field("EMP:PATAlimConvenio", DECIMAL(5, 2))
      .field("EMP:RG", STRING(15))
      .field("Emp:RazaoSocial", STRING(40))
      .field("EMP:RamalFone", kUSHORT)
      .field("EMP:RamalFax", kUSHORT)
      .field("EMP:RegimeIPI", kBYTE)
      .field("EMP:RegimeICMS", kBYTE)
      .field("EMP:RegimeIRPJ", kBYTE)
      .field("EMP:RecolhimentoIRPJ", kBYTE)
      .field("EMP:RegimeCSL", kBYTE)
      .field("EMP:RegimeCofins", kBYTE)
      .field("EMP:RegimePIS", kBYTE)
      .field("EMP:RecolhimentoCSL", kBYTE)
      .field("EMP:RazaoContaCorrente", kLONG)
      .field("EMP:RegExportacao", DECIMAL(15, 0))
      .field("EMP:Simples", kBYTE)
      .field("EMP:SimplesMunicipal", kBYTE)
      .field("EMP:SimplesEstadual", kBYTE)
      .field("EMP:SimplesFederal", kBYTE)
      .field("EMP:Servico", kBYTE)
      .field("EMP:Sindicato", kUSHORT)
      .field("EMP:SaiDebitoDup", STRING(40))
      .field("EMP:SaiCreditoDup", STRING(40))
      .field("EMP:SaiHistoricoDup", kUSHORT)
      .field("EMP:SaiComplementoDup", STRING(500))
      .field("EMP:SaiDebitoDupDesc", STRING(40))
      .field("EMP:SaiCreditoDupDesc", STRING(40))
      .field("EMP:SaiHistoricoDupDesc", kUSHORT)
      .field("EMP:SaiComplementoDupDesc", STRING(500))
      .field("EMP:SaiDebitoDupMulta", STRING(40))
      .field("EMP:SaiCreditoDupMulta", STRING(40))
      .field("EMP:SaiHistoricoDupMulta", kUSHORT)
      .field("EMP:SaiComplementoDupMulta", STRING(500))
      .field("EMP:SaiDebitoDupJuros", STRING(40))
      .field("EMP:SaiCreditoDupJuros", STRING(40))
      .field("EMP:SaiHistoricoDupJuros", kUSHORT)
      .field("EMP:SaiComplementoDupJuros", STRING(500))
      .field("EMP:TipoHist", kBYTE)
      .field("EMP:TipoEstab", kBYTE)
      .field("EMP:TipoInscEscrita", kBYTE)
      .field("EMP:TipoRegistro", kBYTE)
      .field("EMP:TipoApuracao", kBYTE)
      .field("EMP:TipoFornecedor", kBYTE)
      .field("EMP:TipoCFO", kBYTE)
      .field("EMP:TipoNBM", kBYTE)
      .field("EMP:TipoContaISS", kBYTE)
      .field("EMP:TipoAutomatica", kBYTE)
      .field("EMP:TipoPagamento", kBYTE)
      .field("EMP:Transportadora", kBYTE)
      .field("EMP:UF", STRING(2))
      .field("EMP:CTBDataDescDup", kBYTE)
      .field("EMP:ApuracaoDCA", kBYTE)
      .field("EMP:PercentualFunrural", DECIMAL(5, 2))
      .field("EMP:CIAP", kBYTE)
      .field("EMP:Usuario", STRING(20))
      .field("EMP:DataExclusao", kLONG)
      .field("EMP:HoraExclusao", kLONG)
      .field("EMP:EmpresaInativa", kBYTE)
      .field("EMP:RazaoSocialRelatorio", STRING(100))
      .field("EMP:DtPrimDecCAGED", kLONG)
      .field("EMP:CodRecGPS", kSHORT)
      .field("EMP:GPSLTrabIndiv", kBYTE)
      .field("EMP:Departamento", kBYTE)
      .field("EMP:Setor", kBYTE)
      .field("EMP:Secao", kBYTE)
      .field("EMP:LocalTrabalho", kBYTE)
      .field("EMP:QHoraExtra1", DECIMAL(7, 2))
      .field("EMP:QHoraExtra2", DECIMAL(7, 2))
      .field("EMP:QHoraExtra3", DECIMAL(7, 2))
      .field("EMP:PercentualHE1", DECIMAL(7, 2))
      .field("EMP:PercentualHE2", DECIMAL(7, 2))
      .field("EMP:PercentualHE3", DECIMAL(7, 2))
      .field("EMP:ContaHE1", kUSHORT)
      .field("EMP:ContaHE2", kUSHORT)
      .field("EMP:ContaHE3", kUSHORT)
      .field("EMP:ContaHEN1", kUSHORT)
      .field("EMP:ContaHEN2", kUSHORT)
      .field("EMP:ContaHEN3", kUSHORT)
      .field("EMP:TipoCalculo", kBYTE)
      .field("EMP:PercentualHED", kUSHORT)
      .field("EMP:ContaHED", kUSHORT)
      .field("EMP:ContaHEDAD_N", kUSHORT)
      .field("EMP:C_Trabalhadas", kUSHORT)
      .field("EMP:C_AdicionalN", kUSHORT)
      .field("EMP:C_Falta", kUSHORT)
      .field("EMP:C_FaltaDia", kUSHORT)
      .field("EMP:Tolerancia", kLONG)
      .field("EMP:DiaAPCInicial", kBYTE)
      .field("EMP:Habilita_Pis_Cofins", kBYTE)
      .field("EMP:RateioLTrab", kBYTE)
      .field("EMP:InformaLTrab", kBYTE)
      .field("EMP:FolhaSobrePIS", kBYTE)
      .field("EMP:CNGas", kLONG)
      .field("EMP:CNAlcool", kLONG)
      .field("EMP:CNDiesel", kLONG)
      .field("EMP:CNGasAd", kLONG)
      .field("EMP:CNAlcoolAd", kLONG)
      .field("EMP:CNDieselAd", kLONG)
      .field("EMP:CNGNV", kLONG)
      .field("EMP:DistGas", STRING(30))
      .field("EMP:DistAlcool", STRING(30))
      .field("EMP:DistDiesel", STRING(30))
      .field("EMP:DistGasAd", STRING(30))
      .field("EMP:DistAlcoolAd", STRING(30))
      .field("EMP:DistDieselAd", STRING(30))
      .field("EMP:DistGasNV", STRING(30))
      .field("EMP:TipoFunRural", kBYTE)
      .field("EMP:TipoEntidade", kBYTE)
      .field("EMP:Parc13oSalario", kBYTE)
      .field("EMP:Reflexos", kBYTE)
      .field("EMP:NaoCalcDedPCAuto", kBYTE)
      .field("EMP:AnexoSuperSimples", kBYTE)
      .field("EMP:CodAcessoDAS", DECIMAL(13, 0))
      .field("EMP:TransportaSaldo", kBYTE)
      .field("EMP:DataStatus", kLONG)
      .field("EMP:NFP_Digitacao", kBYTE)
      .field("EMP:NFP_Integracao", kBYTE)
      .field("EMP:Dia_Pro_Labore", kBYTE)
      .field("EMP:Dia_Pgto_Autonomo", kBYTE)
      .field("EMP:CodGareST", kUSHORT)
      .field("EMP:Perfil", kBYTE)
      .field("EMP:AdotaLei", kBYTE)
      .field("EMP:CTB_CTR_LOTE_DATA", kBYTE)
      .field("EMP:NaoCalcContribuicoes", kBYTE)
      .field("EMP:FAP", DECIMAL(7, 4))
      .field("EMP:DataCadastro", kLONG)
      .field("EMP:CodAcessoSitFiscal", kULONG)
      .field("EMP:SenhaSitFiscal", STRING(8))
      .field("EMP:Suframa", STRING(9))
      .field("EMP:Ind_Atividade", kBYTE)
      .field("EMP:INSSMP540", kBYTE)
      .field("EMP:CartaoPonto", kBYTE)
      .field("EMP:BancoConvenio", STRING(20))
      .key("EMP:KEY:CODIGO", {"EMP:Codigo"}, kUnique | kPrimary, "Código", 1)
      .key("EMP:Key:CNPJ", {"EMP:CGC"}, kDuplicates)
      .key("EMP:Key:CPF", {"EMP:CPF"}, kDuplicates)
      .key("EMP:KEY:CUSTOM", {}, kDynamic, "Indice customizado pelo relatorio")
      .key("EMP:KEY:RAZAOSOCIAL", {"Emp:RazaoSocial"}, kDuplicates, "Razão Social")
      .key("EMP:KEY:INSCESTADUAL", {"EMP:InscEstadual"}, kDuplicates, "Inscrição Estadual")
      .inList("EMP:PcMatFiliaisTContas", {"0", "1"},
              "Aparece todas as contas quando matriz e filial",
              "'0-Não','1-Sim'")
      .inList("EMP:ClassEstabIPI", {"1", "2", "3", "4", "5", "10", "11", "12", "13"},
              "Classificação do estabelecimento de acordo com IPI",
              "'1-Transformação','2-Beneficiamento','3-Montagem','4-Acondicionamento',"
              "'5-Recondicionamento','10-Equiparados - geral','11-Por opção','12-Importador direto',"
              "'13-Esquiparados por força de lei'")
      .inList("EMP:Lotes", {"1", "2"},
              "Contabilidade: Empresa Trabalha com Lotes",
              "'1 Sim ','2 Não'")
      .range("EMP:MesDataBase", "1", "12", "Mês data base")
      .inList("EMP:QualifPJ", {"1", "2", "3", "4", "5", "6", "7", "8", "9"},
              "Qualificação Pessora Jurídica",
              "'1-Financeira','2-Sociedade Seguradora(com fins lucra.)','3-Corretora Autônoma de Seguros',"
              "'4-Coop.... de Crédito','5-Entidade fechada de Previdência(sem fins lucra..)',"
              "'6-Sociedade Coop...','7-Outra Qualificação','8- PJ em Geral',"
              "'9-Sociedade Coop..Produção Agricu..'")
      .inList("EMP:RegimeIPI", {"0", "1", "2", "3"},
              "Imposto: Regime de Apuração do IPI",
              "'0-Não calcula','1 - Mensal','2 - Decendial','3 - Quinzenal'")
      .inList("EMP:RegimeICMS", {"0", "1", "2", "3", "4", "5", "6", "7"},
              "Imposto: Regime de Apuração do ICMS",
              "'0-Não calcula','1-RPA (dispensado)','2-Estimativa','3-RPA/Normal','4-Simples - ST',"
              "'5-Simples','6-ME','7-RPA/Anual'")
      .inList("EMP:RegimeIRPJ", {"0", "1", "2", "3"},
              "Imposto: Regime de Apuração do IRPJ",
              "'0-Não Calcula','1 - Mensal','2 - Trimestral','3 - Anual'")
      .inList("EMP:RecolhimentoIRPJ", {"0", "1"},
              "Recolhimento do IRPJ, 0-Conf.Regime, 1-Mensal",
              "'0-Conf.Regime','1-Mensal'")
      .inList("EMP:RegimeCSL", {"0", "1", "2", "3"},
              "Imposto: Regime de Apuração da CLSS",
              "'0-Não calcula','1 - Mensal','2 - Trimestral','3 - Anual'")
      .inList("EMP:RegimeCofins", {"0", "1"},
              "Tipo de Regime do Cofins",
              "'0-Cumulativo','1-Não Cumulativo'")
      .inList("EMP:RegimePIS", {"0", "1"},
              "Tipo de Regime do PIS",
              "'0-Cumulativo','1-Não Cumulativo'")
      .inList("EMP:RecolhimentoCSL", {"0", "1"},
              "Recolhimento",
              "'0-Trimestral','1-Mensal'")
      .inList("EMP:SimplesEstadual", {"0", "1", "2"},
              "Imposto: Simples Estadual",
              "'0-Não Optante','1-EPP-Simples Normal','2- ME- Micro Empresa'")
      .inList("EMP:SimplesFederal", {"0", "1", "2", "3", "4", "5", "6"},
              "Imposto: Simples Federal",
              "'0-Não é Optante Simples','1-Simples Normal','2-Simples (Pré-escola,Creche)',"
              "'3-Simples (Ensino Fundamental, Lotérica, C.F.C.)','4-Super Simples ME',"
              "'5-Super Simples EPP','6-Micro Empreendedor Individual MEI'")
      .inList("EMP:TipoHist", {"1", "2"},
              "Arquivo: Codigo Histórico LC",
              "'1-Geral','2-Individual'")
      .inList("EMP:TipoRegistro", {"1", "2", "3", "4", "5", "6"},
              "Local onde a Empresa foi Registrada",
              "'1-Junta Comercial','2-Cartório','3-Prefeitura','4-PF equiparada a PJ','5-Registro OAB',"
              "'6-RCPJ(reg civil pesssoa jur)'")
      .inList("EMP:TipoApuracao", {"1", "2", "3", "4", "5", "6", "7"},
              "Tipo de Apuração da Empresa",
              "'1-Simples','2-Estimativa (Lucro Real)','3-Lucro Real','4-Presumido','5-Arbitrado',"
              "'6-Imune IRPJ','7-Isenta IRPJ'")
      .inList("EMP:TipoAutomatica", {"0", "1", "2", "3"},
              "Contabilidade: Tipo Numeração Aut.das Contas da CTB",
              "'Manual','Sequêncial','CGC','Não Inclui'")
      .inList("EMP:TipoPagamento", {"1", "2", "3", "4"},
              "Tipo de pagamento 1-Mensal, 2-Quinzenal, 3-Semanal, 4-Outros",
              "'1-Mensal','2-Quinzenal','3-Semanal','4-Outros'")
      .inList("EMP:CTBDataDescDup", {"0", "1"},
              "Data Desconto de Duplicata: 0 - Data Pagamento, 1 - NF",
              "'0 - Data de Pagamento','1 - NF'")
      .inList("EMP:ApuracaoDCA", {"0", "1"},
              "Apuração DCA 0-Não, 1-Sim",
              "'0-Não','1-Sim'")
      .inList("EMP:CIAP", {"0", "1"},
              "CIAP - Lança Ocorrência Automática 0-Sim, 1-Não",
              "'0-Não','1-Sim'")
      .inList("EMP:EmpresaInativa", {"0", "1", "2", "3", "4"},
              "Quando a empresa for inativa",
              "'0-Ativa','1-Inativa','2-Devolvida','3-Encerradas','4-Bloqueada'")
      .inList("EMP:TipoCalculo", {"0", "1"},
              "Tipo de Calculo",
              "'TotalDiario','TotalMensal'")
      .inList("EMP:TipoFunRural", {"0", "1"},
              "Tipo de importação para o contabilidade do FunRual",
              "'0-Vlr Lançamento = (Vlr Contabil - Vlr FunRural)','1- Vlr Lançamento = Vlr Contabil'")
      .inList("EMP:TipoEntidade", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "99"},
              "Tipo de Entidade",
              "'00-Não se Aplica','01-Assistencia Social','02-Educacional',"
              "'03-Sindicato dos Trabalhadores','04-Associação Civil','05-Cultural',"
              "'06-Entidade Fechada de Previdência Complementar','07-Filantrópica','08-Sindicato',"
              "'09-Recreativa','10-Cientifica','99-Outras'")
      .inList("EMP:Parc13oSalario", {"0", "1", "12", "10"},
              "Tipo da parcela do 13o salario",
              "'0-Utiliza Imformação do Parametros','1-Utiliza no mês selecionado','12-Conta até dezembro',"
              "'10-Em Novembro calc até outubro'")
      .inList("EMP:Reflexos", {"0", "1", "2"},
              "EMP:Reflexos",
              "'0-Paga','1-Não Paga','2-Paga na 2ª Parcela'")
      .inList("EMP:AnexoSuperSimples", {"0", "1", "2", "3"},
              "EMP:AnexoSuperSimples",
              "'0 - Anexo I,II,III','1 - Anexo IV','2 - AnexoV','3 - Simultâneo I, II ou III com IV ou V'")
      .inList("EMP:NFP_Digitacao", {"0", "1"},
              "EMP:NFP_Digitacao",
              "'0-Completa','1-Somente Campos Obrigatórios'")
      .inList("EMP:NFP_Integracao", {"0", "1"},
              "EMP:NFP_Integracao",
              "'0-Não Integra','1-Integração com a Escrita'")
      .inList("EMP:Perfil", {"0", "1", "2"},
              "EMP:Perfil",
              "'0 - Perfil A','1 - Perfil B','2 - Perfil C'")
      .inList("EMP:Ind_Atividade", {"0", "1", "2", "3", "4", "9"},
              "EMP:Ind_Atividade",
              "'0-Industrial ou Equiparado a Indústria','1-Prestador de Serviços',"
              "'2-Atividade de Comércio','3-Atividade Financeira','4-Atividade Imobiliária','9-Outros'")
      .inList("EMP:INSSMP540", {"0", "1", "2", "3", "4", "5", "6", "7", "8"},
              "EMP:INSSMP540",
              "'0-Não Beneficiada','1-MP 540/2011','2-MP 563/2012','3-MP 563/01-2013','4-MP 601/04-2013',"
              "'5-MP 601/04-2013 (5)','6-MP 601/01-2014 [6]','7-MP 627/11-2013','8-MP 612/2013'")
      .inList("EMP:CartaoPonto", {"0", "1", "2", "3", "4", "5", "6"},
              "EMP:CartaoPonto",
              "'Sem Vínculo (RAIS Negativa)','Não Adotou','Adotou Manual','Adotou Mecânico','Adotou SREP',"
              "'Adotou Não Eletrônico','Adotou Eletrônico'")
      .build();
}

TableDef filiais() {
  return TableBuilder("Filiais", "Filiais", "Filiais.dat")
      .field("Filiais:Matriz", kUSHORT)
      .field("Filiais:Filial", kUSHORT)
      .field("Filiais:PIS", kBYTE)
      .field("Filiais:COFINS", kBYTE)
      .field("Filiais:IRPJ", kBYTE)
      .field("Filiais:ContrSocial", kBYTE)
      .field("Filiais:Simples", kBYTE)
      .field("Filiais:Contabilidade", kBYTE)
      .key("Filiais:Key:CodigoMatrizFilial", {"Filiais:Matriz", "Filiais:Filial"}, kUnique | kPrimary)
      .key("Filiais:Key:CodigoFilial", {"Filiais:Filial"}, kUnique)
      .key("FILIAIS:KEY:CODIGOMATRIZ", {"Filiais:Matriz"}, kDuplicates, "Código da Matriz")
      .build();
}

TableDef altContratuais() {
  return TableBuilder("AltContratuais", "AltCont", "AltContr.dat")
      .field("ALTCONT:CODIGO", kUSHORT)
      .field("ALTCONT:DATA", kLONG)
      .field("ALTCONT:CODALT", kBYTE)
      .field("ALTCONT:OBS", STRING(40))
      .field("ALTCONT:VALOR", DECIMAL(11, 2))
      .field("ALTCONT:CODALTESCRITA", kBYTE)
      .key("AltCont:Key:Codigo", {"ALTCONT:CODIGO", "ALTCONT:CODALT", "ALTCONT:DATA"}, kDuplicates)
      .build();
}

TableDef codAltContratuais() {
  return TableBuilder("CodAltContratuais", "CAContr", "CodAltCo.dat")
      .field("CACONTR:CODIGO", kBYTE)
      .field("CACONTR:DESCRICAO", STRING(20))
      .key("CAContr:Key:Codigo", {"CACONTR:CODIGO"}, kUnique | kPrimary)
      .build();
}

TableDef contasIntegracaoContabil() {
  return TableBuilder("Contas_Integracao_Contabil", "CIC", "CIntegra.dat")
      .field("CIC:CODIGO_EMPRESA", kUSHORT)
      .field("CIC:CODIGO_REFERENCIA", kBYTE)
      .field("CIC:CONTA_DEBITO", STRING(40))
      .field("CIC:CONTA_CREDITO", STRING(40))
      .field("CIC:CCUSTOC", STRING(20))
      .field("CIC:CCUSTOD", STRING(20))
      .field("CIC:HISTORICO", kUSHORT)
      .field("CIC:COMPLEMENTO", STRING(500))
      .field("CIC:VLRIMPBRUT", kBYTE)
      .key("CIC:KEY:CODIGO_EMPRESA_REFERENCIA", {"CIC:CODIGO_EMPRESA", "CIC:CODIGO_REFERENCIA"},
           kUnique | kPrimary, "Código da empresa + Referencia")
      .key("CIC:KEY:CODIGO_EMPRESA", {"CIC:CODIGO_EMPRESA"}, kDuplicates, "Código da empresa")
      .key("CIC:KEY:CODIGO_REFERENCIA", {"CIC:CODIGO_REFERENCIA"}, kDuplicates, "Referência da empresa")
      .build();
}

TableDef estados() {
  return TableBuilder("Estados", "EST", "Estados.dat")
      .field("EST:UF", STRING(2))
      .field("EST:DESC", STRING(20))
      .field("EST:SIMPLES", kBYTE)
      .field("EST:CODIGOGIA", kBYTE)
      .field("EST:CODSISTGIAMSENT", kBYTE)
      .field("EST:CODSISTGIAMSSAI", kBYTE)
      .field("EST:CODGIARJ", kBYTE)
      .field("EST:NIMPLENTRADARESFAT", kBYTE)
      .field("EST:CODIGOUFGNRE", STRING(4))
      .key("EST:KEY:SIGLA", {"EST:UF"}, kUnique | kPrimary, "Sigla")
      .key("EST:Key:CodGia", {"EST:CODIGOGIA"}, kExcludeEmpty)
      .key("EST:KEY:DESCRICAO", {"EST:DESC"}, kDuplicates, "Alfabética")
      .build();
}

TableDef municipios() {
  return TableBuilder("Municipios", "MUN", "Municipi.dat")
      .field("MUN:CODIGO", kUSHORT)
      .field("MUN:Nome", STRING(60))
      .field("MUN:ESTADO", STRING(2))
      .field("MUN:SIMPLES", kBYTE)
      .field("MUN:TEXTO", STRING(100))
      .field("MUN:ZFM_ALC", kBYTE)
      .field("MUN:CODMUNGIA", kULONG)
      .field("MUN:CODMUNDIPAMB", kUSHORT)
      .field("MUN:CODMUNIRPJ", kUSHORT)
      .field("MUN:CODMUNRAIS", kULONG)
      .field("MUN:CODMUNGIARJ", kUSHORT)
      .field("MUN:NOME_DOS", STRING(25))
      .field("MUN:CODMUNSEFPE", kUSHORT)
      .field("MUN:CODMUNDFCPR", kUSHORT)
      .key("MUN:KEY:CODIGO", {"MUN:CODIGO"}, kUnique | kPrimary, "Codigo", 1)
      .key("MUN:Key:CodMunRAIS", {"MUN:CODMUNRAIS"}, kDuplicates)
      .key("MUN:KEY:CODIRPJ", {"MUN:CODMUNIRPJ"}, kDuplicates, "Código de IRPJ")
      .key("MUN:KEY:ESTADONOME", {"MUN:ESTADO", "MUN:Nome"}, kDuplicates, "Estado e Nome")
      .key("MUN:Key:CodGia", {"MUN:CODMUNGIA"}, kDuplicates)
      .key("MUN:KEY:NOME", {"MUN:Nome"}, kDuplicates, "Nome")
      .key("MUN:KEY:NOME_MAIUS", {"MUN:ESTADO", "MUN:NOME_DOS"}, kDuplicates, "Nome Maiusculo")
      .key("MUN:Key:Cod_DipamB", {"MUN:CODMUNDIPAMB"}, kDuplicates)
      .build();
}

TableDef cnae() {
  return TableBuilder("CNAE", "CNAE", "CNAE.dat")
      .field("CNAE:CODIGO", kULONG)
      .field("CNAE:Descricao", STRING(255))
      .field("CNAE:PERCACITRAB", DECIMAL(5, 2))
      .field("CNAE:NOVOPERCSAT", DECIMAL(5, 2))
      .field("CNAE:PERCJAN2010", DECIMAL(5, 2))
      .field("CNAE:DATAGRAVADA", kLONG)
      .field("CNAE:LOGIN", STRING(50))
      .key("CNAE:KEY:CODIGO", {"CNAE:CODIGO"}, kUnique | kPrimary, "Ordem Númerica")
      .key("CNAE:KEY:DESCRICAO", {"CNAE:Descricao"}, kDuplicates, "Desscrição")
      .build();
}

}  // namespace

void addSharedRegistryTables(std::vector<TableDef>& out) {
  out.push_back(empresa());
  out.push_back(filiais());
  out.push_back(altContratuais());
  out.push_back(codAltContratuais());
  out.push_back(contasIntegracaoContabil());
  out.push_back(estados());
  out.push_back(municipios());
  out.push_back(cnae());
}

}  // namespace vorlam::tables
