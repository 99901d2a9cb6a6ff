// Accounting tables: account-code structures, the chart of accounts, standard
// histories and entries, the journal, reconciliation totals, group accounts
// and the department / sector / section hierarchy.
//
// The layouts reproduce the suite's record files byte for byte: every field in
// its order, type and width, every key with its components and attributes.
// Do not reorder or resize anything here without converting the files.
#include "dictionary/table_sets.h"

namespace vorlam::tables {
namespace {

TableDef confPlanoContas() {
  return TableBuilder("ConfPlanoContas", "CONP", "ConfPlan.dat")
      .field("CONP:Codigo", kUSHORT)
      .field("CONP:Nome", STRING(40))
      .field("CONP:Graus", kBYTE)
      .field("CONP:G1", kBYTE)
      .field("CONP:G2", kBYTE)
      .field("CONP:G3", kBYTE)
      .field("CONP:G4", kBYTE)
      .field("CONP:G5", kBYTE)
      .field("CONP:G6", kBYTE)
      .field("CONP:G7", kBYTE)
      .field("CONP:G8", kBYTE)
      .field("CONP:G9", kBYTE)
      .field("CONP:G10", kBYTE)
      .field("CONP:G11", kBYTE)
      .field("CONP:G12", kBYTE)
      .field("CONP:G13", kBYTE)
      .field("CONP:Formato", STRING(40))
      .field("CONP:GrausPS", kBYTE)
      .field("CONP:G1PS", kBYTE)
      .field("CONP:G2PS", kBYTE)
      .field("CONP:G3PS", kBYTE)
      .field("CONP:G4PS", kBYTE)
      .field("CONP:G5PS", kBYTE)
      .field("CONP:G6PS", kBYTE)
      .field("CONP:G7PS", kBYTE)
      .field("CONP:G8PS", kBYTE)
      .field("CONP:G9PS", kBYTE)
      .field("CONP:G10PS", kBYTE)
      .field("CONP:G11PS", kBYTE)
      .field("CONP:G12PS", kBYTE)
      .field("CONP:G13PS", kBYTE)
      .field("CONP:FormatoPS", STRING(40))
      .field("CONP:GruposPS", STRING(200))
      .field("CONP:GrausPS3", kBYTE)
      .field("CONP:G1PS3", kBYTE)
      .field("CONP:G2PS3", kBYTE)
      .field("CONP:G3PS3", kBYTE)
      .field("CONP:G4PS3", kBYTE)
      .field("CONP:G5PS3", kBYTE)
      .field("CONP:G6PS3", kBYTE)
      .field("CONP:G7PS3", kBYTE)
      .field("CONP:G8PS3", kBYTE)
      .field("CONP:G9PS3", kBYTE)
      .field("CONP:G10PS3", kBYTE)
      .field("CONP:G11PS3", kBYTE)
      .field("CONP:G12PS3", kBYTE)
      .field("CONP:G13PS3", kBYTE)
      .field("CONP:FormatoPS3", STRING(40))
      .field("CONP:GruposPS3", STRING(200))
      .field("CONP:GrausPS4", kBYTE)
      .field("CONP:G1PS4", kBYTE)
      .field("CONP:G2PS4", kBYTE)
      .field("CONP:G3PS4", kBYTE)
      .field("CONP:G4PS4", kBYTE)
      .field("CONP:G5PS4", kBYTE)
      .field("CONP:G6PS4", kBYTE)
      .field("CONP:G7PS4", kBYTE)
      .field("CONP:G8PS4", kBYTE)
      .field("CONP:G9PS4", kBYTE)
      .field("CONP:G10PS4", kBYTE)
      .field("CONP:G11PS4", kBYTE)
      .field("CONP:G12PS4", kBYTE)
      .field("CONP:G13PS4", kBYTE)
      .field("CONP:FormatoPS4", STRING(40))
      .field("CONP:GruposPS4", STRING(200))
      .field("CONP:ContaIRAti", STRING(40))
      .field("CONP:Cod_CCusto", kBYTE)
      .field("CONP:G1CCusto", kBYTE)
      .field("CONP:G2CCusto", kBYTE)
      .field("CONP:G3CCusto", kBYTE)
      .field("CONP:G4CCusto", kBYTE)
      .field("CONP:G5CCusto", kBYTE)
      .field("CONP:G6CCusto", kBYTE)
      .field("CONP:G7CCusto", kBYTE)
      .field("CONP:G8CCusto", kBYTE)
      .field("CONP:G9CCusto", kBYTE)
      .field("CONP:G10CCusto", kBYTE)
      .field("CONP:G11CCusto", kBYTE)
      .field("CONP:G12CCusto", kBYTE)
      .field("CONP:G13CCusto", kBYTE)
      .field("CONP:FormatoCentroCusto", STRING(40))
      .field("CONP:ContaIRPas", STRING(40))
      .field("CONP:ContaContSocialAti", STRING(40))
      .field("CONP:ContaContSocialPas", STRING(40))
      .field("CONP:HistoricoIR", kUSHORT)
      .field("CONP:HistoricoCSLL", kUSHORT)
      .field("CONP:TipoOperadora", kBYTE)
      .field("CONP:CodPlanoReferencial", kBYTE)
      .key("CONP:KEY:CODIGO", {"CONP:Codigo"}, kUnique | kPrimary, "Código do Plano de Contas", 1)
      .key("CONP:KEY:NOME", {"CONP:Nome"}, kDuplicates, "Nome")
      .inList("CONP:TipoOperadora", {"0", "1"},
              "Tipo de operação da empresa",
              "'1 Empresa Normal','2 Operadora de Plano de Saúde'")
      .inList("CONP:CodPlanoReferencial", {"10", "20"},
              "CONP:CodPlanoReferencial",
              "'10-Secretaria da Receita Federal','20-Banco Central do Brasil (Cosif)\xC2\x81\xC2\x81'")
      .build();
}

TableDef planoContas() {
  return TableBuilder("PlanoContas", "PLA", "PlCon###.dat")
      .field("PLA:Codigo", STRING(40))
      .field("PLA:Reduzido", kULONG)
      .field("PLA:Descricao", STRING(100))
      .field("PLA:Apelido", STRING(20))
      .field("PLA:TipoConta", kBYTE)
      .field("PLA:SintAnali", kBYTE)
      .field("PLA:Indice", STRING(40))
      .field("PLA:Filial", kUSHORT)
      .field("PLA:Codigo_Sem_Ponto", STRING(40))
      .field("PLA:CodigoPlanoReferencial", STRING(40))
      .field("PLA:DescrIngles", STRING(100))
      .field("PLA:NImpbalANS", kBYTE)
      .field("PLA:NaturezaContas", kBYTE)
      .field("PLA:CodForCli", kULONG)
      .field("PLA:CNPJForCli", STRING(14))
      .field("PLA:ExpurgoFcont", kBYTE)
      .key("PLA:KEY:CODIGO", {"PLA:Codigo"}, kUnique, "Código da Conta")
      .key("PLA:KEY:REDUZIDO", {"PLA:Reduzido"}, kUnique, "Código Reduzido", 1)
      .key("PLA:KEY:DESCRICAO", {"PLA:Descricao"}, kDuplicates, "Descrição")
      .key("PLA:KEY:APELIDO", {"PLA:Apelido"}, kDuplicates, "Apelido")
      .key("PLA:KEY:CONTADESCRICAO", {"PLA:Indice", "PLA:SintAnali", "PLA:Descricao"},
           kDuplicates, "Conta + Descrição")
      .key("PLA:Key:Codigo_Sem_Ponto", {"PLA:Codigo_Sem_Ponto"}, kDuplicates)
      .inList("PLA:SintAnali", {"1", "2"},
              "Tipo de Conta Analítica ou Sintética",
              "'1 Sintética','2 Analítica'")
      .inList("PLA:NaturezaContas", {"0", "1", "2", "3", "4", "5", "9"},
              "Natureza das Contas",
              "'00 - Define automaticamente','01 - Contas de ativo','02 - Contas de passivo',"
              "'03 - Patrimônio líquido','04 - Contas de resultado','05 - Contas de compensação',"
              "'09 - Outras'")
      .build();
}

TableDef historico() {
  return TableBuilder("Historico", "HIS", "Historic.dat")
      .field("HIS:CODIGO", kUSHORT)
      .field("HIS:Descricao", STRING(60))
      .field("HIS:APELIDO", STRING(20))
      .key("HIS:KEY:CODIGO", {"HIS:CODIGO"}, kUnique | kPrimary, "Código", 1)
      .key("HIS:Key:Apelido", {"HIS:APELIDO"}, kDuplicates)
      .key("HIS:KEY:DESCRICAO", {"HIS:Descricao"}, kDuplicates, "Descrição")
      .build();
}

TableDef lanPadrao() {
  return TableBuilder("LanPadrao", "LPR", "LanPadra.dat")
      .field("LPR:CODIGO", kULONG)
      .field("LPR:DESCRICAO", STRING(40))
      .field("LPR:CREDITO", STRING(40))
      .field("LPR:DEBITO", STRING(40))
      .field("LPR:HISTORICO", kUSHORT)
      .field("LPR:APELIDO", STRING(30))
      .field("LPR:CCUSTODEBITO", STRING(20))
      .field("LPR:CCUSTOCREDITO", STRING(20))
      .field("LPR:CCDEBITO", STRING(20))
      .field("LPR:CCCREDITO", STRING(20))
      .key("LPR:KEY:CODIGO", {"LPR:CODIGO"}, kUnique | kPrimary, "Codigo", 1)
      .key("LPR:KEY:DESCRICAO", {"LPR:DESCRICAO"}, kDuplicates, "Descrição")
      .key("LPR:KEY:APELIDO", {"LPR:APELIDO"}, kDuplicates, "apelido")
      .build();
}

TableDef diario() {
  return TableBuilder("Diario", "DIA", "Diario.dat")
      .field("DIA:Data", kLONG)
      .field("DIA:Numero", DECIMAL(13, 4))
      .field("DIA:Lote", STRING(15))
      .field("DIA:ContaCredito", STRING(40))
      .field("DIA:ContaDebito", STRING(40))
      .field("DIA:Historico", kUSHORT)
      .field("DIA:ValorCredito", DECIMAL(11, 2))
      .field("DIA:ValorDebito", DECIMAL(11, 2))
      .field("DIA:Complemento", STRING(500))
      .field("DIA:Documento", STRING(60))
      .field("DIA:Padrao", STRING(30))
      .field("DIA:Origem", STRING(3))
      .field("DIA:DataImportacao", kLONG)
      .field("DIA:CodigoEmpresa", kUSHORT)
      .field("DIA:Conciliacao_Debito", kBYTE)
      .field("DIA:Data_Conciliacao_Debito", kLONG)
      .field("DIA:Conciliacao_Credito", kBYTE)
      .field("DIA:Data_Conciliacao_Credito", kLONG)
      .field("DIA:Usuario", STRING(20))
      .field("DIA:TipoDoc", kBYTE)
      .field("DIA:NumeroCheque", STRING(50))
      .field("DIA:Favorecido", STRING(40))
      .field("DIA:CcDebito", STRING(40))
      .field("DIA:CcCredito", STRING(20))
      .key("DIA:KEY:DATA", {"DIA:Data", "DIA:Numero"}, kDuplicates, "Data do Lançamento + Numero")
      .key("DIA:KEY:NUMERO", {"DIA:Numero"}, kDuplicates, "Numero do Lançamento", 1)
      .key("DIA:KEY:DOCUMENTO", {"DIA:Documento"}, kDuplicates, "Documento")
      .key("DIA:KEY:CUSTOMIZADO", {}, kDynamic, "Indice Customizado")
      .key("DIA:KEY:CONTACREDITO", {"DIA:ContaCredito", "DIA:Data"},
           kDuplicates, "Conta Crédito + Data do Lançamento")
      .key("DIA:KEY:CONTADEBITO", {"DIA:ContaDebito", "DIA:Data"},
           kDuplicates, "Conta Débito + Data do Lançamento")
      .inList("DIA:TipoDoc", {"0", "1", "2"},
              "DIA:TipoDoc",
              "'0 - Cheque','1 - Ordem de Pagamento','2 - Débito Automatico'")
      .build();
}

TableDef conciliacao() {
  return TableBuilder("Conciliacao", "CONC", "Concilia.dat")
      .field("CONC:CONTA", STRING(40))
      .field("CONC:VALORDEBITOABERTURA", DECIMAL(13, 2))
      .field("CONC:VALORCREDITOABERTURA", DECIMAL(13, 2))
      .field("CONC:VALORDEBITOMES", DECIMAL(13, 2), 12)
      .field("CONC:VALORCREDITOMES", DECIMAL(13, 2), 12)
      .field("CONC:VALORDEBITOFECHA", DECIMAL(13, 2), 12)
      .field("CONC:VALORCREDITOFECHA", DECIMAL(13, 2), 12)
      .key("CONC:KEY:CONTA", {"CONC:CONTA"}, kUnique | kPrimary, "Conta")
      .build();
}

TableDef configuracaoGrupos() {
  return TableBuilder("ConfiguracaoGrupos", "CON", "Grupos.dat")
      .field("CON:TipoConta", kBYTE)
      .field("CON:Conta", STRING(40))
      .field("CON:Historico", kUSHORT)
      .field("CON:Codigo_Departamento", kUSHORT)
      .field("CON:Codigo_Setor", kUSHORT)
      .field("CON:Codigo_Secao", kUSHORT)
      .field("CON:Filial", kUSHORT)
      .key("CON:KEY:TIPO", {"CON:TipoConta"}, kDuplicates, "Tipo")
      .key("CON:KEY:TIPOCONTA", {"CON:TipoConta", "CON:Conta"}, kDuplicates, "Tipo + Conta")
      .key("CON:KEY:TIPOCONTA_DPTO_SETOR_SECAO",
           {"CON:TipoConta", "CON:Codigo_Departamento", "CON:Codigo_Setor", "CON:Codigo_Secao"},
           kDuplicates, "Tipo da conta + Departamento + Setor + Seção")
      .key("CON:KEY:TIPOCONTA_FILIAL", {"CON:TipoConta", "CON:Filial"}, kDuplicates, "TipoConta + Filial")
      .build();
}

TableDef departamento() {
  return TableBuilder("Departamento", "DPT", "Departam.dat")
      .field("DPT:CODIGO", kUSHORT)
      .field("DPT:DESCRICAO", STRING(60))
      .key("DPT:KEY:CODIGO", {"DPT:CODIGO"}, kUnique | kPrimary, "Codigo", 1)
      .key("DPT:KEY:DESCRICAO", {"DPT:DESCRICAO"}, kDuplicates, "Descrição")
      .build();
}

TableDef setor() {
  return TableBuilder("Setor", "SET", "Setor.dat")
      .field("SET:CODIGODEPARTAMENTO", kUSHORT)
      .field("SET:CODIGO", kUSHORT)
      .field("SET:DESCRICAO", STRING(60))
      .key("SET:KEY:CODIGO", {"SET:CODIGODEPARTAMENTO", "SET:CODIGO"}, kUnique | kPrimary, "Código", 2)
      .key("SET:KEY:DESCRICAO", {"SET:CODIGODEPARTAMENTO", "SET:DESCRICAO"}, kDuplicates, "Descrição")
      .build();
}

TableDef secao() {
  return TableBuilder("Secao", "SEC", "Secao.dat")
      .field("SEC:CODIGODEPARTAMENTO", kUSHORT)
      .field("SEC:CODIGOSETOR", kUSHORT)
      .field("SEC:CODIGO", kUSHORT)
      .field("SEC:DESCRICAO", STRING(60))
      .key("SEC:KEY:CODIGO", {"SEC:CODIGODEPARTAMENTO", "SEC:CODIGOSETOR", "SEC:CODIGO"},
           kUnique | kPrimary, "Código", 3)
      .key("SEC:KEY:DESCRICAO", {"SEC:CODIGODEPARTAMENTO", "SEC:CODIGOSETOR", "SEC:DESCRICAO"},
           kDuplicates, "Descrição")
      .build();
}

}  // namespace

void addAccountingTables(std::vector<TableDef>& out) {
  out.push_back(confPlanoContas());
  out.push_back(planoContas());
  out.push_back(historico());
  out.push_back(lanPadrao());
  out.push_back(diario());
  out.push_back(conciliacao());
  out.push_back(configuracaoGrupos());
  out.push_back(departamento());
  out.push_back(setor());
  out.push_back(secao());
}

}  // namespace vorlam::tables
