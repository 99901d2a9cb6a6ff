// Payroll tables of one company: employees, dependants with vaccinations and
// allowance suspensions, the field change log, leave movements and the three
// levels of reference values for averages.
//
// The layouts reproduce the suite's record files byte for byte: every field in
// its order, type and width, every key with its components and attributes.
// Do not reorder or resize anything here without converting the files.
#include "dictionary/table_sets.h"

namespace vorlam::tables {
namespace {

TableDef funcionarios() {
  return TableBuilder("Funcionarios", "FUN", "Funciona.dat")
      .field("FUN:CODIGO", kULONG)
      .field("Fun:Nome", STRING(70))
      .field("FUN:ENDERECO", STRING(40))
      .field("FUN:NUMERO", kUSHORT)
      .field("FUN:COMPLEMENTO", STRING(25))
      .field("FUN:BAIRRO", STRING(25))
      .field("FUN:CEP", kULONG)
      .field("FUN:UF", STRING(2))
      .field("FUN:RG", STRING(15))
      .field("FUN:ORGAO", STRING(10))
      .field("FUN:DATAEMISSAORG", kLONG)
      .field("FUN:CPF", STRING(11))
      .field("FUN:CNPJ", STRING(14))
      .field("FUN:ADMISSAO", kLONG)
      .field("FUN:DTEXAMEADMISSIONAL", kLONG)
      .field("FUN:DEMISSAO", kLONG)
      .field("FUN:DTEXAMEDEMISSIONAL", kLONG)
      .field("FUN:CIDADE", STRING(60))
      .field("FUN:EMAIL", STRING(40))
      .field("FUN:DDD", kSHORT)
      .field("FUN:TELEFONE", kULONG)
      .field("FUN:RAMAL", kSHORT)
      .field("FUN:TELEFONE_2", kULONG)
      .field("FUN:CATEGORIA", kBYTE)
      .field("FUN:NPAI", STRING(70))
      .field("FUN:NMAE", STRING(70))
      .field("FUN:ESTADOCIVIL", kBYTE)
      .field("FUN:SEXO", kBYTE)
      .field("FUN:NASCIMENTO", kLONG)
      .field("FUN:NATURALDE", STRING(20))
      .field("FUN:GRAUINSTRUCAO", kBYTE)
      .field("FUN:CHAPA", kUSHORT)
      .field("FUN:RACA", kBYTE)
      .field("FUN:NACIONALIDADE", kBYTE)
      .field("FUN:ANOCHEGADA", kLONG)
      .field("FUN:PIS", DECIMAL(11, 0))
      .field("FUN:TITELEITOR", DECIMAL(13, 0))
      .field("FUN:TITELEITORZONA", kUSHORT)
      .field("FUN:TITELEITORSECAO", kUSHORT)
      .field("FUN:DEFICIENTEFISICO", kBYTE)
      .field("FUN:CTPS:NUMERO", kULONG)
      .field("FUN:CTPS:SERIE", kULONG)
      .field("FUN:CTPS:UF", STRING(2))
      .field("FUN:DATAEMISSAOCTPS", kLONG)
      .field("FUN:LIVRONUMERO", STRING(3))
      .field("FUN:LIVROPAGINA", kUSHORT)
      .field("FUN:CERTIFICADOMILITAR", STRING(12))
      .field("FUN:HABILITACAO", DECIMAL(11, 0))
      .field("FUN:HABILITACAOCATEGORIIA", STRING(3))
      .field("FUN:DATAOPCAOFGTS", kLONG)
      .field("FUN:OPCAOCAGED", kBYTE)
      .field("FUN:QTDHORASSEM", kBYTE)
      .field("FUN:QTDHORASMES", DECIMAL(5, 2))
      .field("FUN:EXPERIENCIA1", kLONG)
      .field("FUN:EXPERIENCIA2", kLONG)
      .field("FUN:CONTAFGTS", DECIMAL(11, 0))
      .field("FUN:BANCOCONTA", kUSHORT)
      .field("FUN:BANCOFGTS", kUSHORT)
      .field("FUN:CONTACORRENTE", STRING(40))
      .field("FUN:CONTARAZAO", kLONG)
      .field("FUN:SINDICATO", kUSHORT)
      .field("FUN:VINCULORAIS", kBYTE)
      .field("FUN:FOTO", STRING(100))
      .field("FUN:INSCRICAOCLASSE", STRING(20))
      .field("FUN:DESCRICAODACLASSE", STRING(20))
      .field("FUN:DTAVISOPREVIO", kLONG)
      .field("FUN:TIPOAVISOPREVIO", kBYTE)
      .field("FUN:IMPRESCISAO", kBYTE)
      .field("FUN:CAUSARESCISAO", kUSHORT)
      .field("FUN:DTRECRESCISAO", kLONG)
      .field("FUN:PCTCAPTOTAL", DECIMAL(7, 4))
      .field("FUN:PCTCAPVOTANTE", DECIMAL(7, 4))
      .field("FUN:FGTSEMGRFC", DECIMAL(11, 2))
      .field("FUN:CONTACONTABILDISTRLUCRO", STRING(40))
      .field("FUN:RECOLHERGRFC", kBYTE)
      .field("FUN:DATARECGRFC", kLONG)
      .field("FUN:DEPOSMESANTERIOR", kBYTE)
      .field("FUN:Transporte", kBYTE)
      .field("FUN:ALVARA", kBYTE)
      .field("FUN:CODADMRAIS", kBYTE)
      .field("FUN:CABELO", STRING(20))
      .field("FUN:OLHOS", STRING(20))
      .field("FUN:ALTURA", DECIMAL(3, 2))
      .field("FUN:PESO", DECIMAL(7, 2))
      .field("FUN:PASSAPORTE_NUM", kLONG)
      .field("FUN:PASSAPORTE_VALIDADE", kLONG)
      .field("FUN:AGENCIACEF", kUSHORT)
      .field("FUN:DATAPIS", kULONG)
      .field("FUN:PPP:DADOSADMBR_PDH", kUSHORT)
      .field("FUN:PPP:CATDATA", kLONG, 4)
      .field("FUN:PPP:CATNUMERO", STRING(15), 4)
      .field("FUN:PPP:LOTACAODATAINICIAL", kLONG, 4)
      .field("FUN:PPP:LOTACAODATAFINAL", kLONG, 4)
      .field("FUN:PPP:LOTACAOINSCRICAO", STRING(20), 4)
      .field("FUN:PPP:LOTACAOSETOR", STRING(15), 4)
      .field("FUN:PPP:LOTACAOFUNCAO", STRING(30), 4)
      .field("FUN:PPP:PROFISSIOGRAFIADATAINICIAL", kLONG, 4)
      .field("FUN:PPP:PROFISSIOGRAFIADATAFINAL", kLONG, 4)
      .field("FUN:PPP:PROFISSIOGRAFIADESCRICAO", STRING(255), 4)
      .field("FUN:PPP:EXPORISCODATAINICIAL", kLONG, 4)
      .field("FUN:PPP:EXPORISCODATAFINAL", kLONG, 4)
      .field("FUN:PPP:EXPORISCOTIPO", STRING(1), 4)
      .field("FUN:PPP:EXPORISCOFATORRISCO", STRING(40), 4)
      .field("FUN:PPP:EXPORISCOINTENSIDADE", STRING(15), 4)
      .field("FUN:PPP:EXPORISCOTECNICA", STRING(40), 4)
      .field("FUN:PPP:EXPORISCOEPCEFICAZ", STRING(1), 4)
      .field("FUN:PPP:EXPORISCOEPIEFICAZ", STRING(1), 4)
      .field("FUN:PPP:EXPORISCOCAEPI", STRING(5), 4)
      .field("FUN:PPP:REGAMBIENTAISDATAINICIAL", kLONG, 3)
      .field("FUN:PPP:REGAMBIENTAISDATAFINAL", kLONG, 3)
      .field("FUN:PPP:REGAMBIENTAISREGCONSELHO", STRING(9), 3)
      .field("FUN:PPP:REGAMBIENTAISNOMEPROF", STRING(40), 3)
      .field("FUN:PPP:EXAMEMEDICODATA", kLONG, 4)
      .field("FUN:PPP:EXAMEMEDICOTIPO", STRING(1), 4)
      .field("FUN:PPP:EXAMEMEDICONATUREZA", STRING(50), 4)
      .field("FUN:PPP:EXAMEMEDICOEXAME", STRING(1), 4)
      .field("FUN:PPP:SECAOII159A", STRING(1))
      .field("FUN:PPP:SECAOII159B", STRING(1))
      .field("FUN:PPP:SECAOII159C", STRING(1))
      .field("FUN:PPP:SECAOII159D", STRING(1))
      .field("FUN:PPP:SECAOII159E", STRING(1))
      .field("FUN:PPP:EXAMEMEDICORESULTNORMAL", kBYTE, 4)
      .field("FUN:PPP:EXAMEMEDICORESULTALTERADO", kBYTE, 4)
      .field("FUN:PPP:EXAMEMEDICORESULTESTAVEL", kBYTE, 4)
      .field("FUN:PPP:EXAMEMEDICORESULTAGRAVAMENTO", kBYTE, 4)
      .field("FUN:PPP:EXAMEMEDICORESULTOCUPACIONAL", kBYTE, 4)
      .field("FUN:PPP:EXAMEMEDICORESULTNOCUPACIONAL", kBYTE, 4)
      .field("FUN:PPP:MONITBIOLOGICADATAINICIAL", kLONG, 3)
      .field("FUN:PPP:MONITBIOLOGICADATAFINAL", kLONG, 3)
      .field("FUN:PPP:MONITBIOLOGICANIT", STRING(20), 3)
      .field("FUN:PPP:MONITBIOLOGICAREGCONSELHO", STRING(9), 3)
      .field("FUN:PPP:MONITBIOLOGICANOMEPROF", STRING(40), 3)
      .field("FUN:PPP:RESPONSAVEISDATAEMISSAO", kLONG)
      .field("FUN:PPP:RESPONSAVEISOBSERVACOES", STRING(1500))
      .field("FUN:PERIODOEXAMEMEDICO", kUSHORT)
      .field("FUN:GPSAUTONOMO", kLONG)
      .field("FUN:HOMOLOGACAODATA", kLONG)
      .field("FUN:HOMOLOGACAOLOCAL", STRING(50))
      .field("FUN:HOMOLOGACAOENDERECO", STRING(50))
      .field("FUN:HOMOLOGACAONUMERO", kUSHORT)
      .field("FUN:HOMOLOGACAOHORA", kLONG)
      .field("FUN:HOMOLOGACAOMOTIVOJUSTACAUSA", STRING(500))
      .field("FUN:NAODESCONTARAVPREVIO", kBYTE)
      .field("FUN:AVISOPREVIO", kBYTE)
      .field("FUN:VLRRECMESANTERIOR", DECIMAL(11, 2))
      .field("FUN:VLRRECMESRESCISAO", DECIMAL(11, 2))
      .field("FUN:VLRRECAVISOPREVIOIND", DECIMAL(11, 2))
      .field("FUN:VLRRECMULTARESCISORIA", DECIMAL(11, 2))
      .field("FUN:ResponsavelReceitaFederal", kBYTE)
      .field("FUN:PENSAOALCALC", kBYTE)
      .field("FUN:PENSAOALCODSAL", kUSHORT)
      .field("FUN:PENSAOALPCT", DECIMAL(7, 2))
      .field("FUN:PENSAOAL", kBYTE)
      .field("FUN:SINDICALIZADO", kBYTE)
      .field("FUN:CalcHoras", kBYTE)
      .field("FUN:CalcMediasalario", kBYTE)
      .field("FUN:TIPOTERMINO1", kBYTE)
      .field("FUN:TIPOTERMINO2", kBYTE)
      .field("FUN:QUANTIDADE1", kUSHORT)
      .field("FUN:QUANTIDADE2", kUSHORT)
      .field("FUN:REMFINSRESC", DECIMAL(11, 2))
      .field("FUN:RemFinsRescManual", kBYTE)
      .field("FUN:TIPOCALCHORAS", kBYTE)
      .field("FUN:EMP_RESP_NOME", STRING(40))
      .field("FUN:EMP_RESP_RG", STRING(15))
      .field("FUN:EMP_RESP_RG_ORGAO", STRING(15))
      .field("FUN:EMP_RESP_RG_UF", STRING(15))
      .field("FUN:EMP_EESP_CPF", STRING(11))
      .field("FUN:REPVAGA", STRING(1))
      .field("FUN:CODEMPRESATRANSF", kULONG)
      .field("FUN:CODFUNCTRANSF", kULONG)
      .field("FUN:DATATRANSF", kLONG)
      .field("FUN:TIPOTRANSF", kBYTE)
      .field("FUN:CalcularD13Rescisao", kBYTE)
      .field("FUN:Inativo", kBYTE)
      .field("FUN:TRANSFERENCIAFUNC", kBYTE)
      .field("FUN:QTDEDIASFERIASRESCISAO", kBYTE)
      .field("FUN:PERMITIRMAISRECBMES", kBYTE)
      .field("FUN:INSCMUNICIPAL", STRING(20))
      .field("FUN:NCALCULARIRRF", kBYTE)
      .field("FUN:ASSINATURADIGITAL", STRING(80))
      .field("FUN:FUNCIONARIAGRAVIDA", kBYTE)
      .field("FUN:QTDEMESESGRAVIDA", kBYTE)
      .field("FUN:RESCISAOTRAVADA", kBYTE)
      .field("FUN:NAOCALCULACONTRIBUICOES", kBYTE)
      .field("FUN:VisuAssinaturaRel", kBYTE)
      .field("FUN:TipoContratoHomolognet", kBYTE)
      .field("FUN:ComprovouEmpregoPerAviso", kBYTE)
      .field("FUN:PENSAOFGTS", DECIMAL(5, 2))
      .field("FUN:VLRREMUMESANTHOMOLOGNET", DECIMAL(11, 2))
      .field("FUN:CODAFASTAMENTOHOMOLOGNET", STRING(5))
      .field("FUN:LeiAviso", kBYTE)
      .field("FUN:ContagemDias", kBYTE)
      .field("FUN:DiasAcrescimo", kBYTE)
      .field("FUN:REMFINSRESCCOMP", DECIMAL(11, 2))
      .field("FUN:DATAAFASTHOMOLOGNET", kLONG)
      .field("FUN:CTDTipo", kBYTE)
      .field("FUN:CTDDATAEMISSAO", kLONG)
      .field("FUN:CTDTERMO_MATRICULA", STRING(40))
      .field("FUN:CTDLIVRO", STRING(20))
      .field("FUN:CTDFOLHA", STRING(20))
      .field("FUN:CTDCARTORIO", STRING(20))
      .field("FUN:CTDUF", STRING(2))
      .field("FUN:CTDMUNICIPIO", STRING(50))
      .field("FUN:CNHEMISSAO", kLONG)
      .field("FUN:CNHVALIDADE", kLONG)
      .field("FUN:PCTCAPVOLANTE", DECIMAL(7, 2))
      .field("FUN:ENTRADAHORTRAB", kLONG)
      .field("FUN:INTERVALOINIHORTRAB", kLONG)
      .field("FUN:INTERVALOFIMHORTRAB", kLONG)
      .field("FUN:SAIDAHORTRAB", kLONG)
      .field("FUN:FERIASPROGRAMADAS", kLONG)
      .field("FUN:CAGEDGERADO", kLONG)
      .field("FUN:CAGEDENVIADO", kLONG)
      .field("FUN:VEICDATA", kLONG)
      .field("FUN:VEICPLACA", STRING(20))
      .field("FUN:VEICMARCAMODELO", STRING(50))
      .field("FUN:VEICRENAVAM", STRING(20))
      .field("FUN:VEICUF", STRING(2))
      .field("FUN:RENADDATAINICIAL", kLONG)
      .field("FUN:RENADDATAFINAL", kLONG)
      .key("FUN:Key:Codigo", {"FUN:CODIGO"}, kUnique | kPrimary, "", 1)
      .key("FUN:Key:Nome", {"Fun:Nome"}, kDuplicates)
      .key("FUN:Key:CPF", {"FUN:CPF"}, kDuplicates)
      .key("FUN:KEY:CUSTOM", {}, kDynamic, "Key Customizada")
      .key("FUN:Key:PIS", {"FUN:PIS"}, kDuplicates)
      .key("FUN:Key:Admissao", {"FUN:ADMISSAO"}, kExcludeEmpty)
      .inList("FUN:ESTADOCIVIL", {"1", "2", "3", "4"},
              "Estado civil do funcionário",
              "'1-Solteiro','2-Casado','3-Viúvo','4-Outros'")
      .inList("FUN:SEXO", {"1", "2"},
              "Sexo do funcionário",
              "'1-Masculino','2-Feminino'")
      .inList("FUN:GRAUINSTRUCAO", {"1", "2", "3", "4", "5", "6", "7", "8", "9"},
              "Grau de instrução do funcionário",
              "'1-Analfabeto','2-Até a 4º incompleta do EF','3-Com a 4º completa do EF',"
              "'4-De 5º a 8º Incompleta do EF','5-Ensino Fundamental completo','6-Ensino Médio incompleto',"
              "'7-Ensino Médio completo','8-Superior incompleto','9-Superior completo'")
      .inList("FUN:RACA", {"1", "2", "4", "6", "8", "9"},
              "Raça do funcionário",
              "'1-Indígena','2-Branca','4-Negra','6-Amarela','8-Parda','9-Não informado'")
      .inList("FUN:DEFICIENTEFISICO", {"0", "1", "2", "3", "4", "5", "6"},
              "Informar se o funcionário é deficiente físico",
              "'0 -Não','1 - Física','2 - Autidiva','3 - Visual','4 - Mental','5 - Múltipla',"
              "'6 - Reabilitado'")
      .upperLimit("FUN:QTDHORASSEM", "44", "Quantidade de horas trabalhadas por semana")
      .inList("FUN:RECOLHERGRFC", {"0", "1"},
              "Recolher a GRFC",
              "'Sim','Não'")
      .inList("FUN:DEPOSMESANTERIOR", {"0", "1"},
              "Despositar Mês Anterior",
              "'Sim','Não'")
      .inList("FUN:Transporte", {"0", "1"},
              "FUN:Transporte",
              "'0-Carga','1-Passageiros'")
      .inList("FUN:AVISOPREVIO", {"0", "1"},
              "o funcionario trabalhou no dia da comunicação do aviso, sim  ou não",
              "'0-Sim','1-Não'")
      .inList("FUN:ResponsavelReceitaFederal", {"0", "1"},
              "FUN:ResponsavelReceitaFederal",
              "'0 - Sim','1 - Não'")
      .inList("FUN:PENSAOALCALC", {"0", "1", "2", "3", "4"},
              "Valor da Pensão",
              "'0-Não calcula','1-Salário Tabela','2-Salário do Funcionário','3-Valor Bruto',"
              "'4-Valor Líquido'")
      .inList("FUN:PENSAOAL", {"0", "1"},
              "Pensão Alimentícia",
              "'0-Não','1-Sim'")
      .inList("FUN:CalcHoras", {"0", "1", "2", "3", "4", "5", "6"},
              "FUN:CalcHoras",
              "'0 - Qtde horas mês (30 dias) ','1 - Qtde de horas fixa pelas horas do mês',"
              "'2 - Calcula pelo horario de trabalho','3 - Não Calcula Automático',"
              "'4 - Multiplicar horas por 4.5','5 - Fixar a quantidade no mês','6 - Multiplicar por 5.25'")
      .inList("FUN:CalcMediasalario", {"0", "1"},
              "FUN:CalcMediasalario",
              "'0-media periodo','1- Qtde horas fixa'")
      .inList("FUN:TIPOTERMINO1", {"0", "1", "2", "3"},
              "Tipo de Termino1",
              "'0 - Livre','1 - Qtde  dias','2 - Mes','3 - anos'")
      .inList("FUN:TIPOTERMINO2", {"0", "1", "2", "3"},
              "Tipo de Termino2",
              "'0 - Livre','1 - Qtde  dias','2 - Mes','3 - anos'")
      .inList("FUN:RemFinsRescManual", {"0", "1", "2", "3", "4"},
              "FUN:RemFinsRescManual",
              "'0-Automático','1-Manual','2-Manual (Impressão)','3-Salário','4-Salário (Impressão)'")
      .inList("FUN:TIPOTRANSF", {"0", "1"},
              "Tipo de Transferencia",
              "'0 - Entrada','1 - Saida'")
      .inList("FUN:CalcularD13Rescisao", {"0", "1", "2"},
              "FUN:CalcularD13Rescisao",
              "'0 - Não foi respondido','1 - Sim','2 - Não'")
      .inList("FUN:Inativo", {"0", "1"},
              "FUN:Inativo",
              "'0-Ativo','1-Inativo'")
      .inList("FUN:VisuAssinaturaRel", {"0", "1"},
              "FUN:VisuAssinaturaRel",
              "'Sim','Não'")
      .inList("FUN:TipoContratoHomolognet", {"0", "1", "2"},
              "FUN:TipoContratoHomolognet",
              "'0-Por prazo indeterminado',"
              "'1-Por prazo determinado com cláusula assecuratória de direito recíproco de rescisão antecip"
              "ada',"
              "'2-Por prazo determinado sem cláusula assecuratória de direito recíproco de rescisão antecip"
              "ada'")
      .inList("FUN:ComprovouEmpregoPerAviso", {"0", "1", "2"},
              "FUN:ComprovouEmpregoPerAviso",
              "'0-Não Informado','1-Sim','2-Não'")
      .inList("FUN:LeiAviso", {"0", "1"},
              "FUN:LeiAviso",
              "'0-Anterior','1-Lei nº 12.506/2011'")
      .inList("FUN:ContagemDias", {"0", "1"},
              "FUN:ContagemDias",
              "'0-A partir do 2º Ano','1-A partir do 1º Ano'")
      .inList("FUN:DiasAcrescimo", {"0", "1"},
              "FUN:DiasAcrescimo",
              "'0-Cumprido','1-Indenizado'")
      .inList("FUN:CTDTipo", {"0", "1", "2", "3"},
              "FUN:CTDTipo",
              "'0 - Certidão de Nascimento','1 - Certidão de Casamento',"
              "'2 - Certidão Administrativa de Nascimento Indígena','3 - Certidão de Óbito'")
      .build();
}

TableDef dependentes() {
  return TableBuilder("Dependentes", "DEP", "Dependent.dat")
      .field("DEP:CODIGOFUNCIONARIO", kULONG)
      .field("DEP:CODIGODEPENDENTE", kBYTE)
      .field("DEP:NOME", STRING(40))
      .field("DEP:TIPO", kBYTE)
      .field("DEP:NASCIMENTO", kLONG)
      .field("DEP:DATAENTREGA", kLONG)
      .field("DEP:LOCALNASCIMENTO", STRING(20))
      .field("DEP:CARTORIO", STRING(20))
      .field("DEP:NUMEROREGISTRO", STRING(50))
      .field("DEP:NUMEROFOLHA", kUSHORT)
      .field("DEP:FOLHAFV", kBYTE)
      .field("DEP:LIVROREGISTRO", STRING(7))
      .field("DEP:DEPEDENTEIRRF", kBYTE)
      .field("DEP:DEPENDENTESF", kBYTE)
      .field("DEP:SEXO", kBYTE)
      .field("DEP:DEPIDADEESCOLAR", kBYTE)
      .key("DEP:KEY:CODIGO", {"DEP:CODIGOFUNCIONARIO", "DEP:CODIGODEPENDENTE"},
           kUnique | kPrimary, "Codigo Funcionário_Dependente", 2)
      .key("DEP:KEY:NOME", {"DEP:NOME"}, kDuplicates, "Nome")
      .inList("DEP:TIPO", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15"},
              "Tipo do dependente",
              "'1-Cônjuge','2-Filho','3-Filho universi.','4-Filho incapacitado','5-Filha','6-Neto/bisneto',"
              "'7-Neto/bisneto universi.','8-Neto/bisneto incapacitado','9-Pais/avós/bisavós',"
              "'10-Irmão incapacitado','11-Menor','12-Menor universi.','13-Incapacitado',"
              "'14-Filho inválido','15-Enteado'")
      .inList("DEP:SEXO", {"1", "2"},
              "Sexo Dependente",
              "'1-Masculino','2-Feminino'")
      .build();
}

TableDef depVacinacao() {
  return TableBuilder("DepVacinacao", "DVaci", "DepVacina.dat")
      .field("DVACI:CODIGOFUNCIONARIO", kULONG)
      .field("DVACI:CODIGODEPENDENTE", kBYTE)
      .field("DVACI:CODIGOVACINA", kBYTE)
      .field("DVACI:NUMERODOSE", kBYTE)
      .field("DVACI:DATA", kLONG)
      .key("DVACI:KEY:CODIGO",
           {"DVACI:CODIGOFUNCIONARIO", "DVACI:CODIGODEPENDENTE", "DVACI:CODIGOVACINA", "DVACI:NUMERODOSE"},
           kUnique | kPrimary, "Codigo Fun_Dep_Vac_Dose", 4)
      .build();
}

TableDef depSuspSF() {
  return TableBuilder("DepSuspSF", "DSSF", "DepSupSF.dat")
      .field("DSSF:CODIGOFUNCIONARIO", kULONG)
      .field("DSSF:CODIGODEPENDENTE", kBYTE)
      .field("DSSF:DATAINICIO", kLONG)
      .field("DSSF:DATAFINAL", kLONG)
      .key("DSSF:KEY:CODIGO", {"DSSF:CODIGOFUNCIONARIO", "DSSF:CODIGODEPENDENTE", "-DSSF:DATAINICIO"},
           kUnique | kPrimary, "Codigo Func_Dep_DataI")
      .build();
}

TableDef acFuncionarios() {
  return TableBuilder("ACFuncionarios", "ACFun", "ACFunc.dat")
      .field("ACFUN:CODIGOFUN", kULONG)
      .field("ACFUN:CODIGOCAMPO", kBYTE)
      .field("ACFUN:DATA", kLONG)
      .field("ACFUN:VALOR", DECIMAL(11, 4))
      .field("ACFUN:ALTERACAO", STRING(50))
      .field("ACFUN:ANOTACAO", STRING(50))
      .field("ACFUN:DATAEX", kLONG)
      .key("ACFUN:KEY:CODIGO", {"ACFUN:CODIGOFUN", "ACFUN:CODIGOCAMPO", "-ACFUN:DATA"},
           kUnique | kPrimary, "Funcionario_Campo_Data")
      .build();
}

TableDef movFuncionarios() {
  return TableBuilder("MovFuncionarios", "MovFunc", "MovFunci.dat")
      .field("MOVFUNC:FUNCIONARIO", kULONG)
      .field("MOVFUNC:FERIASEMDOBRO", kBYTE)
      .field("MOVFUNC:CLANCAMENTO", kBYTE)
      .field("MOVFUNC:TIPO", kBYTE)
      .field("MOVFUNC:INICIO", kLONG)
      .field("MOVFUNC:FINAL", kLONG)
      .field("MOVFUNC:PERAQINICIAL", kLONG)
      .field("MOVFUNC:PERAQFINAL", kLONG)
      .field("MOVFUNC:PERGOZOINICIAL", kLONG)
      .field("MOVFUNC:PERGOZOFINAL", kLONG)
      .field("MOVFUNC:PERABPECINICIAL", kLONG)
      .field("MOVFUNC:PERABPECFINAL", kLONG)
      .field("MOVFUNC:DTRECFERIAS", kLONG)
      .field("MOVFUNC:DTAVFERIAS", kLONG)
      .field("MOVFUNC:SALARIO1", DECIMAL(11, 2))
      .field("MOVFUNC:SALARIO2", DECIMAL(11, 2))
      .field("MOVFUNC:SALARIO3", DECIMAL(11, 2))
      .field("MOVFUNC:SALARIO4", DECIMAL(11, 2))
      .field("MOVFUNC:SALARIO5", DECIMAL(11, 2))
      .field("MOVFUNC:SOMASALARIO", DECIMAL(11, 2))
      .field("MOVFUNC:SOMASALREFLEXOS", DECIMAL(11, 2))
      .field("MOVFUNC:AFASTAMENTO", kLONG)
      .field("MOVFUNC:RETORNO", kLONG)
      .field("MOVFUNC:ATESTADO", kLONG)
      .field("MOVFUNC:TERMINOATESTADO", kLONG)
      .field("MOVFUNC:DATANASCIMENTO", kLONG)
      .field("MOVFUNC:CODRAIS", kBYTE)
      .field("MovFunc:Paga13Salario", kBYTE)
      .field("MOVFUNC:NCONSFERIADOFERIAS", kBYTE)
      .field("MOVFUNC:FERIAS_COLETIVAS", kBYTE)
      .field("MOVFUNC:FERIAS_INCOMPLETA", kBYTE)
      .field("MOVFUNC:QTDDIASLICREM", kBYTE)
      .field("MOVFUNC:QTDEFERIASPROPORCIONAIS", DECIMAL(7, 2))
      .field("MOVFUNC:NAODESCFALTAS", kBYTE)
      .field("MOVFUNC:QTDEFERIASDOBRO", kBYTE)
      .field("MOVFUNC:AFASTMESMADECOR", kBYTE)
      .field("MOVFUNC:VESPERAS", kBYTE)
      .field("MOVFUNC:FERIASTRAVADA", kBYTE)
      .field("MOVFUNC:NUMBENEFICIO", STRING(20))
      .field("MOVFUNC:NAOSOMARREFLEXOS", kBYTE)
      .field("MOVFUNC:FALTAMANUAL", kBYTE)
      .field("MOVFUNC:QTDEFALTAS", kBYTE)
      .field("MOVFUNC:PERDEUFERIAS", kBYTE)
      .field("MOVFUNC:QTDEMESESAFASTADOS", kBYTE)
      .field("MOVFUNC:NVPERIODOAQUISITIVO", kLONG)
      .key("MOVFUNC:KEY:FUNCINICIO", {"MOVFUNC:FUNCIONARIO", "MOVFUNC:INICIO", "MOVFUNC:TIPO"},
           kDuplicates, "Funcionario + Periodo inicial")
      .key("MOVFUNC:KEY:FUNCCLANC", {"MOVFUNC:FUNCIONARIO", "MOVFUNC:CLANCAMENTO"},
           kUnique | kPrimary, "Funcionario + Codigo Lançamento", 2)
      .key("MOVFUNC:KEY:FUNCTIPO", {"MOVFUNC:FUNCIONARIO", "MOVFUNC:TIPO", "MOVFUNC:INICIO"},
           kDuplicates, "Funcionario + Tipo + Inicio")
      .key("MovFunc:Key:FunTipoPerAq", {"MOVFUNC:FUNCIONARIO", "MOVFUNC:TIPO", "MOVFUNC:PERAQINICIAL"},
           kDuplicates)
      .inList("MOVFUNC:TIPO", {
               "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16"},
              "Tipo de lançamentos",
              "'0-Férias','1-Lic.Mater.','2-Lic.Amamenta.','3-Aux.Doença','4-Ac.Trab.','5-Serv.Militar',"
              "'6-Lic.s/Remun.','7-Susp.Contrato','8-Lic.Remu.','9-Reclusão','10-Afas.Tempo/mandato Sind.',"
              "'11-Férias Comple.','12-Férias Comple.','13-Apos.Invalidez','14-Lic.Mat.Adoção','15-','16-'")
      .inList("MovFunc:Paga13Salario", {"0", "1"},
              "MovFunc:Paga13Salario",
              "'0-Não','1-Sim'")
      .build();
}

TableDef refTotalMedia() {
  return TableBuilder("RefTotalMedia", "RefTotMed", "RefTotMe.dat")
      .field("REFTOTMED:FUNCIONARIO", kULONG)
      .field("REFTOTMED:LANCAMENTO", kUSHORT)
      .field("REFTOTMED:COMPLEMENTO", kBYTE)
      .field("REFTOTMED:CALCULO", kBYTE)
      .field("REFTOTMED:REFERENCIA", kLONG)
      .field("REFTOTMED:QTDEMESMEDIA", kBYTE)
      .field("REFTOTMED:VALORTOTAL", DECIMAL(11, 2))
      .field("REFTOTMED:MESI", kLONG)
      .field("REFTOTMED:MESF", kLONG)
      .field("REFTOTMED:SELECIONA", kBYTE)
      .field("REFTOTMED:PERAQFERIASINICIO", kLONG)
      .field("REFTOTMED:PERAQFERIASFINAL", kLONG)
      .field("REFTOTMED:QTDEMESESFERIAS", kBYTE)
      .field("REFTOTMED:QTDEFALTAS", kULONG)
      .field("REFTOTMED:MESINIMEDIA", kLONG)
      .field("REFTOTMED:MESFINMEDIA", kLONG)
      .key("REFTOTMED:KEY:FUNCLANCCOMPQMM",
           {"REFTOTMED:FUNCIONARIO", "REFTOTMED:LANCAMENTO", "REFTOTMED:CALCULO", "REFTOTMED:REFERENCIA",
            "REFTOTMED:COMPLEMENTO", "REFTOTMED:QTDEMESMEDIA"},
           kUnique | kPrimary, "Funcionario+Lancamento+Comp+QMM")
      .key("REFTOTMED:KEY:FUNCLANCCOMPVALOR",
           {"REFTOTMED:FUNCIONARIO", "REFTOTMED:LANCAMENTO", "REFTOTMED:COMPLEMENTO", "REFTOTMED:CALCULO",
            "REFTOTMED:REFERENCIA", "-REFTOTMED:VALORTOTAL"},
           kDuplicates, "Funcionario+Lançamento+Complemento-Valor")
      .build();
}

TableDef refMedCta() {
  return TableBuilder("RefMedCta", "RefMedCta", "RefMedCT.dat")
      .field("REFMEDCTA:FUNCIONARIO", kULONG)
      .field("REFMEDCTA:LANCAMENTO", kUSHORT)
      .field("REFMEDCTA:COMPLEMENTO", kBYTE)
      .field("REFMEDCTA:CALCULO", kBYTE)
      .field("REFMEDCTA:REFERENCIA", kLONG)
      .field("REFMEDCTA:QTDEMESMEDIA", kBYTE)
      .field("REFMEDCTA:CONTA", kUSHORT)
      .field("REFMEDCTA:TOTAL", DECIMAL(11, 2))
      .field("REFMEDCTA:DIVISOR", kBYTE)
      .field("REFMEDCTA:MEDIA", DECIMAL(11, 2))
      .field("REFMEDCTA:VALOR", DECIMAL(11, 2))
      .field("REFMEDCTA:MESI", kLONG)
      .field("REFMEDCTA:MESF", kLONG)
      .field("REFMEDCTA:ALTEROUVLR", kBYTE)
      .field("REFMEDCTA:INCLUIMANUAL", kBYTE)
      .field("REFMEDCTA:INCLUIMANUALVALOR", kBYTE)
      .key("REFMEDCTA:KEY:FUNCLANCQMM",
           {"REFMEDCTA:FUNCIONARIO", "REFMEDCTA:LANCAMENTO", "REFMEDCTA:CALCULO", "REFMEDCTA:REFERENCIA",
            "REFMEDCTA:COMPLEMENTO", "REFMEDCTA:QTDEMESMEDIA", "REFMEDCTA:CONTA"},
           kUnique | kPrimary, "Funcionario+Lançamento+Qtde Mês Média")
      .key("REFMEDCTA:KEY:FUNCLANCCONTA",
           {"REFMEDCTA:FUNCIONARIO", "REFMEDCTA:LANCAMENTO", "REFMEDCTA:CALCULO", "REFMEDCTA:REFERENCIA",
            "REFMEDCTA:CONTA"},
           kDuplicates, "Funcionário+Lançamento+Conta")
      .build();
}

TableDef refVlrMensais() {
  return TableBuilder("RefVlrMensais", "RefVlrMen", "RefVlMen.dat")
      .field("REFVLRMEN:FUNCIONARIO", kULONG)
      .field("REFVLRMEN:LANCAMENTO", kUSHORT)
      .field("REFVLRMEN:CALCULO", kBYTE)
      .field("REFVLRMEN:REFERENCIA", kLONG)
      .field("REFVLRMEN:CONTA", kUSHORT)
      .field("REFVLRMEN:MES", kLONG)
      .field("REFVLRMEN:VALOR", DECIMAL(11, 2))
      .field("REFVLRMEN:INCLUIMANUAL", kBYTE)
      .key("REFVLRMEN:KEY:FUNCLANCCTA",
           {"REFVLRMEN:FUNCIONARIO", "REFVLRMEN:LANCAMENTO", "REFVLRMEN:CALCULO", "REFVLRMEN:REFERENCIA",
            "REFVLRMEN:CONTA", "REFVLRMEN:MES"},
           kUnique | kPrimary, "Funcionario+Lançamento+Conta+Mes")
      .build();
}

}  // namespace

void addPayrollTables(std::vector<TableDef>& out) {
  out.push_back(funcionarios());
  out.push_back(dependentes());
  out.push_back(depVacinacao());
  out.push_back(depSuspSF());
  out.push_back(acFuncionarios());
  out.push_back(movFuncionarios());
  out.push_back(refTotalMedia());
  out.push_back(refMedCta());
  out.push_back(refVlrMensais());
}

}  // namespace vorlam::tables
