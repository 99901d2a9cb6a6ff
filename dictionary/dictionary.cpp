#include "dictionary/dictionary.h"

#include "dictionary/table_sets.h"

namespace vorlam {
namespace {

using L = Location;

// The catalogue: every declaration in catalogue order with its prefix, the
// table an alias copies and the directory class of its file.
struct CatalogueEntry {
  const char* label;
  const char* prefix;
  const char* copies;  // "" for an original declaration
  Placement placement;
};

const CatalogueEntry kCatalogue[] = {
    {"AltContratuais", "AltCont", "", {L::kSharedComuns, L::kUnbound, false}},
    {"CNAE", "CNAE", "", {L::kSharedComuns, L::kUnbound, false}},
    {"CodAltContratuais", "CAContr", "", {L::kSharedComuns, L::kUnbound, false}},
    {"Contas_Integracao_Contabil", "CIC", "", {L::kSharedComuns, L::kUnbound, false}},
    {"Empresa", "EMP", "", {L::kSharedComuns, L::kUnbound, false}},
    {"Empresa0", "EMP0", "Empresa", {L::kSharedComuns, L::kUnbound, false}},
    {"Estados", "EST", "", {L::kSharedComuns, L::kUnbound, false}},
    {"Filiais", "Filiais", "", {L::kSharedComuns, L::kUnbound, false}},
    {"Filiais0", "Filiais0", "Filiais", {L::kSharedComuns, L::kUnbound, false}},
    {"Municipios", "MUN", "", {L::kSharedComuns, L::kUnbound, false}},
    {"Conciliacao", "CONC", "", {L::kCompanyCtb, L::kUnbound, true}},
    {"ConfPlanoContas", "CONP", "", {L::kSharedCtb, L::kUnbound, false}},
    {"ConfPlanoContas0", "CONP0", "ConfPlanoContas", {L::kSharedCtb, L::kUnbound, false}},
    {"ConfiguracaoGrupos", "CON", "", {L::kCompanyCtb, L::kSharedCtb, false}},
    {"ConfiguracaoGrupos2", "CONE", "ConfiguracaoGrupos", {L::kCompanyCtb, L::kSharedCtb, false}},
    {"ConfiguracaoGrupos3", "CONE3", "ConfiguracaoGrupos", {L::kCompanyCtb, L::kSharedCtb, false}},
    {"Departamento", "DPT", "", {L::kCompanyCtb, L::kUnbound, false}},
    {"Diario", "DIA", "", {L::kCompanyCtb, L::kUnbound, true}},
    {"Diario2", "DIAE", "Diario", {L::kCompanyCtb, L::kUnbound, true}},
    {"Historico", "HIS", "", {L::kCompany, L::kSharedCtb, false}},
    {"LanPadrao", "LPR", "", {L::kCompany, L::kSharedCtb, false}},
    {"PlanoContas", "PLA", "", {L::kCompany, L::kSharedCtb, false}},
    {"PlanoContas2", "PLAP", "PlanoContas", {L::kCompany, L::kSharedCtb, false}},
    {"PlanoContas3", "PL3", "PlanoContas", {L::kCompany, L::kSharedCtb, false}},
    {"PlanoContas4", "PL4", "PlanoContas", {L::kCompany, L::kSharedCtb, false}},
    {"Secao", "SEC", "", {L::kCompanyCtb, L::kUnbound, false}},
    {"Setor", "SET", "", {L::kCompanyCtb, L::kUnbound, false}},
    {"DipiEntradas", "DipE", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"DipiEntradas0", "DipE0", "DipiEntradas", {L::kCompanyEscrita, L::kUnbound, true}},
    {"DipiSaida", "DipS", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"DipiSaida0", "DipS0", "DipiSaida", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ISS51", "ISS", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ISS53", "ISS53", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"Lanc_Combustivel", "LCombust", "", {L::kUnbound, L::kUnbound, false}},
    {"ProdRegEntrada", "PRE", "", {L::kUnbound, L::kUnbound, false}},
    {"ProdRegSaida", "PRS", "", {L::kUnbound, L::kUnbound, false}},
    {"RegEntrada", "REG", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"RegSaida", "REGS", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"RegistroEntradas", "REGII", "RegEntrada", {L::kCompanyEscrita, L::kUnbound, true}},
    {"RegistroISS51", "REG51", "ISS51", {L::kCompanyEscrita, L::kUnbound, true}},
    {"RegistroISS53", "REG53", "ISS53", {L::kCompanyEscrita, L::kUnbound, true}},
    {"RegistroSaida", "REGSII", "RegSaida", {L::kCompanyEscrita, L::kUnbound, true}},
    {"CFO", "CFO", "", {L::kCompanyEscrita, L::kSharedEscrita, false}},
    {"Configuracao_Contas_ISS_Integracao", "CCIS", "", {L::kCompanyEscrita, L::kSharedEscrita, false}},
    {"CtaISS", "CTA", "", {L::kCompanyEscrita, L::kSharedEscrita, false}},
    {"ForCli", "FOR", "", {L::kCompanyEscrita, L::kSharedComuns, false}},
    {"ForCli0", "FOR0", "ForCli", {L::kCompanyEscrita, L::kSharedComuns, false}},
    {"ISS51_Integracao_Contabil", "ISIC", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ISS53_Integracao_Contabil", "ISIC53", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ParcPagas", "ParcPg", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ParcRegEntrada", "PREntr", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ParcRegEntrada0", "PREntr0", "ParcRegEntrada", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ParcRegISS51", "PRISS51", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ParcRegISS510", "PRISS510", "ParcRegISS51", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ParcRegISS53", "PRISS53", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ParcRegISS530", "PRISS530", "ParcRegISS53", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ParcRegSaida", "PRSaid", "", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ParcRegSaida0", "PRSaid0", "ParcRegSaida", {L::kCompanyEscrita, L::kUnbound, true}},
    {"ACFuncionarios", "ACFun", "", {L::kCompany, L::kUnbound, false}},
    {"DepSuspSF", "DSSF", "", {L::kCompany, L::kUnbound, false}},
    {"DepVacinacao", "DVaci", "", {L::kCompany, L::kUnbound, false}},
    {"Dependentes", "DEP", "", {L::kCompany, L::kUnbound, false}},
    {"Funcionarios", "FUN", "", {L::kCompany, L::kUnbound, false}},
    {"MovFuncionarios", "MovFunc", "", {L::kCompany, L::kUnbound, false}},
    {"RefMedCta", "RefMedCta", "", {L::kCompany, L::kUnbound, false}},
    {"RefTotalMedia", "RefTotMed", "", {L::kCompany, L::kUnbound, false}},
    {"RefVlrMensais", "RefVlrMen", "", {L::kCompany, L::kUnbound, false}},
    {"DasTagFileInd", "RGS", "", {L::kCompany, L::kUnbound, false}},
};

// Registration with the file-upgrade manager: label, prefix and layout
// version, in registration order.  An alias carries the version of the table
// it copies; Lanc_Combustivel is never registered.
struct RegistrationEntry {
  const char* label;
  const char* prefix;
  int version;
};

const RegistrationEntry kRegistrations[] = {
    {"ACFuncionarios", "ACFun", 5},
    {"AltContratuais", "AltCont", 9},
    {"CFO", "CFO", 78},
    {"CNAE", "CNAE", 8},
    {"CodAltContratuais", "CAContr", 2},
    {"Conciliacao", "CONC", 14},
    {"ConfPlanoContas", "CONP", 34},
    {"ConfPlanoContas0", "CONP0", 34},
    {"ConfiguracaoGrupos", "CON", 26},
    {"ConfiguracaoGrupos2", "CONE", 26},
    {"ConfiguracaoGrupos3", "CONE3", 26},
    {"Configuracao_Contas_ISS_Integracao", "CCIS", 8},
    {"Contas_Integracao_Contabil", "CIC", 6},
    {"CtaISS", "CTA", 39},
    {"DasTagFileInd", "RGS", 3},
    {"DepSuspSF", "DSSF", 4},
    {"DepVacinacao", "DVaci", 0},
    {"Departamento", "DPT", 10},
    {"Dependentes", "DEP", 6},
    {"Diario", "DIA", 68},
    {"Diario2", "DIAE", 68},
    {"DipiEntradas", "DipE", 12},
    {"DipiEntradas0", "DipE0", 12},
    {"DipiSaida", "DipS", 9},
    {"DipiSaida0", "DipS0", 9},
    {"Empresa", "EMP", 206},
    {"Empresa0", "EMP0", 206},
    {"Estados", "EST", 11},
    {"Filiais", "Filiais", 6},
    {"Filiais0", "Filiais0", 6},
    {"ForCli", "FOR", 43},
    {"ForCli0", "FOR0", 43},
    {"Funcionarios", "FUN", 138},
    {"Historico", "HIS", 8},
    {"ISS51", "ISS", 67},
    {"ISS51_Integracao_Contabil", "ISIC", 2},
    {"ISS53", "ISS53", 58},
    {"ISS53_Integracao_Contabil", "ISIC53", 2},
    {"LanPadrao", "LPR", 14},
    {"MovFuncionarios", "MovFunc", 44},
    {"Municipios", "MUN", 24},
    {"ParcPagas", "ParcPg", 13},
    {"ParcRegEntrada", "PREntr", 16},
    {"ParcRegEntrada0", "PREntr0", 16},
    {"ParcRegISS51", "PRISS51", 20},
    {"ParcRegISS510", "PRISS510", 20},
    {"ParcRegISS53", "PRISS53", 18},
    {"ParcRegISS530", "PRISS530", 18},
    {"ParcRegSaida", "PRSaid", 17},
    {"ParcRegSaida0", "PRSaid0", 17},
    {"PlanoContas", "PLA", 45},
    {"PlanoContas2", "PLAP", 45},
    {"PlanoContas3", "PL3", 45},
    {"PlanoContas4", "PL4", 45},
    {"ProdRegEntrada", "PRE", 26},
    {"ProdRegSaida", "PRS", 30},
    {"RefMedCta", "RefMedCta", 11},
    {"RefTotalMedia", "RefTotMed", 7},
    {"RefVlrMensais", "RefVlrMen", 3},
    {"RegEntrada", "REG", 101},
    {"RegSaida", "REGS", 93},
    {"RegistroEntradas", "REGII", 101},
    {"RegistroISS51", "REG51", 67},
    {"RegistroISS53", "REG53", 58},
    {"RegistroSaida", "REGSII", 93},
    {"Secao", "SEC", 8},
    {"Setor", "SET", 8},
};

// The tag table records marked records: which table (RGS:ARQUIVO) and which
// record of it (RGS:REGISTRO).
TableDef dasTagFileInd() {
  return TableBuilder("DasTagFileInd", "RGS", "DasTagIn.dat")
      .field("RGS:ARQUIVO", kBYTE)
      .field("RGS:REGISTRO", kLONG)
      .key("RGS:Key:Chave", {"RGS:ARQUIVO", "RGS:REGISTRO"}, kUnique | kPrimary)
      .build();
}

// Parent-child relations; every one cascades updates and deletes.  Links are
// (parent field, child field) pairs.
struct RelationEntry {
  std::string parent;
  std::string child;
  std::string childKey;
  std::vector<std::pair<std::string, std::string>> links;
};

std::vector<RelationEntry> relationList() {
  return {
      {"Empresa", "Contas_Integracao_Contabil", "CIC:KEY:CODIGO_EMPRESA",
       {{"EMP:Codigo", "CIC:CODIGO_EMPRESA"}}},
      {"Empresa", "AltContratuais", "AltCont:Key:Codigo", {{"EMP:Codigo", "ALTCONT:CODIGO"}}},
      {"Empresa", "Filiais", "Filiais:Key:CodigoMatrizFilial", {{"EMP:Codigo", "Filiais:Matriz"}}},
      {"Funcionarios", "MovFuncionarios", "MOVFUNC:KEY:FUNCINICIO", {{"FUN:CODIGO", "MOVFUNC:FUNCIONARIO"}}},
      {"Funcionarios", "Dependentes", "DEP:KEY:CODIGO", {{"FUN:CODIGO", "DEP:CODIGOFUNCIONARIO"}}},
      {"Funcionarios", "ACFuncionarios", "ACFUN:KEY:CODIGO", {{"FUN:CODIGO", "ACFUN:CODIGOFUN"}}},
      {"Dependentes", "DepVacinacao", "DVACI:KEY:CODIGO",
       {{"DEP:CODIGOFUNCIONARIO", "DVACI:CODIGOFUNCIONARIO"},
        {"DEP:CODIGODEPENDENTE", "DVACI:CODIGODEPENDENTE"}}},
      {"Dependentes", "DepSuspSF", "DSSF:KEY:CODIGO",
       {{"DEP:CODIGOFUNCIONARIO", "DSSF:CODIGOFUNCIONARIO"},
        {"DEP:CODIGODEPENDENTE", "DSSF:CODIGODEPENDENTE"}}},
      {"MovFuncionarios", "RefTotalMedia", "REFTOTMED:KEY:FUNCLANCCOMPVALOR",
       {{"MOVFUNC:FUNCIONARIO", "REFTOTMED:FUNCIONARIO"}, {"MOVFUNC:CLANCAMENTO", "REFTOTMED:LANCAMENTO"}}},
      {"RefTotalMedia", "RefMedCta", "REFMEDCTA:KEY:FUNCLANCQMM",
       {{"REFTOTMED:FUNCIONARIO", "REFMEDCTA:FUNCIONARIO"}, {"REFTOTMED:LANCAMENTO", "REFMEDCTA:LANCAMENTO"},
        {"REFTOTMED:CALCULO", "REFMEDCTA:CALCULO"}, {"REFTOTMED:REFERENCIA", "REFMEDCTA:REFERENCIA"},
        {"REFTOTMED:COMPLEMENTO", "REFMEDCTA:COMPLEMENTO"},
        {"REFTOTMED:QTDEMESMEDIA", "REFMEDCTA:QTDEMESMEDIA"}}},
      {"RefMedCta", "RefVlrMensais", "REFVLRMEN:KEY:FUNCLANCCTA",
       {{"REFMEDCTA:FUNCIONARIO", "REFVLRMEN:FUNCIONARIO"}, {"REFMEDCTA:LANCAMENTO", "REFVLRMEN:LANCAMENTO"},
        {"REFMEDCTA:CALCULO", "REFVLRMEN:CALCULO"}, {"REFMEDCTA:REFERENCIA", "REFVLRMEN:REFERENCIA"},
        {"REFMEDCTA:CONTA", "REFVLRMEN:CONTA"}}},
      {"Departamento", "Setor", "SET:KEY:CODIGO", {{"DPT:CODIGO", "SET:CODIGODEPARTAMENTO"}}},
      {"Setor", "Secao", "SEC:KEY:CODIGO",
       {{"SET:CODIGODEPARTAMENTO", "SEC:CODIGODEPARTAMENTO"}, {"SET:CODIGO", "SEC:CODIGOSETOR"}}},
      {"RegEntrada", "ProdRegEntrada", "PRE:KEY:CODIGO", {{"REG:Codigo", "PRE:CODIGO"}}},
      {"RegEntrada", "ParcRegEntrada", "PREntr:Key:Data",
       {{"REG:DataLancamento", "PREntr:DataLancamento"}, {"REG:Numero", "PREntr:Numero"},
        {"REG:Especie", "PREntr:Especie"}, {"REG:Serie", "PREntr:Serie"},
        {"REG:Inscricao", "PREntr:Inscricao"}}},
      {"RegEntrada", "DipiEntradas", "DIPE:KEY:NUMERO",
       {{"REG:DataLancamento", "DipE:DataLancamento"}, {"REG:Numero", "DipE:Numero"},
        {"REG:Especie", "DipE:Especie"}, {"REG:Serie", "DipE:Serie"}, {"REG:Inscricao", "DipE:Inscricao"}}},
      {"RegistroEntradas", "ParcRegEntrada0", "PREntr0:Key:Data",
       {{"REGII:DataLancamento", "PREntr0:DataLancamento"}, {"REGII:Numero", "PREntr0:Numero"},
        {"REGII:Especie", "PREntr0:Especie"}, {"REGII:Serie", "PREntr0:Serie"},
        {"REGII:Inscricao", "PREntr0:Inscricao"}}},
      {"RegistroEntradas", "DipiEntradas0", "DIPE0:KEY:NUMERO",
       {{"REGII:DataLancamento", "DipE0:DataLancamento"}, {"REGII:Numero", "DipE0:Numero"},
        {"REGII:Especie", "DipE0:Especie"}, {"REGII:Serie", "DipE0:Serie"},
        {"REGII:Inscricao", "DipE0:Inscricao"}}},
      {"RegSaida", "ProdRegSaida", "PRS:KEY:CODIGO", {{"REGS:Codigo", "PRS:CODIGO"}}},
      {"RegSaida", "ParcRegSaida", "PRSaid:Key:Data",
       {{"REGS:DataLancamento", "PRSaid:DataLancamento"}, {"REGS:Numero", "PRSaid:Numero"},
        {"REGS:Especie", "PRSaid:Especie"}, {"REGS:Serie", "PRSaid:Serie"},
        {"REGS:Inscricao", "PRSaid:Inscricao"}}},
      {"RegSaida", "DipiSaida", "DIPS:KEY:NUMERO",
       {{"REGS:DataLancamento", "DipS:DataLancamento"}, {"REGS:Numero", "DipS:Numero"},
        {"REGS:Especie", "DipS:Especie"}, {"REGS:Serie", "DipS:Serie"}, {"REGS:Inscricao", "DipS:Inscricao"}}},
      {"RegistroSaida", "ParcRegSaida0", "PRSaid0:Key:Data",
       {{"REGSII:DataLancamento", "PRSaid0:DataLancamento"}, {"REGSII:Numero", "PRSaid0:Numero"},
        {"REGSII:Especie", "PRSaid0:Especie"}, {"REGSII:Serie", "PRSaid0:Serie"},
        {"REGSII:Inscricao", "PRSaid0:Inscricao"}}},
      {"RegistroSaida", "DipiSaida0", "DIPS0:KEY:NUMERO",
       {{"REGSII:DataLancamento", "DipS0:DataLancamento"}, {"REGSII:Numero", "DipS0:Numero"},
        {"REGSII:Especie", "DipS0:Especie"}, {"REGSII:Serie", "DipS0:Serie"},
        {"REGSII:Inscricao", "DipS0:Inscricao"}}},
      {"ISS51", "ISS51_Integracao_Contabil", "ISIC:KEY:DATA_NUMERO_SERIE_ESP_IDCAMPO",
       {{"ISS:Data", "ISIC:DATA_NF"}, {"ISS:Numero", "ISIC:NUMERO_NF"}, {"ISS:Serie", "ISIC:SERIE_NF"},
        {"ISS:Especie", "ISIC:ESPECIE_NF"}}},
      {"ISS51", "ParcRegISS51", "PRISS51:Key:Data",
       {{"ISS:Data", "PRISS51:DataNF"}, {"ISS:Numero", "PRISS51:Numero"}, {"ISS:Serie", "PRISS51:Serie"},
        {"ISS:Especie", "PRISS51:Especie"}}},
      {"RegistroISS51", "ParcRegISS510", "PRISS510:Key:Data",
       {{"REG51:Data", "PRISS510:DataNF"}, {"REG51:Numero", "PRISS510:Numero"},
        {"REG51:Serie", "PRISS510:Serie"}, {"REG51:Especie", "PRISS510:Especie"}}},
      {"ISS53", "ISS53_Integracao_Contabil", "ISIC53:KEY:DATA_NUMERO_SERIE_ESP_IDCAMPO",
       {{"ISS53:Data", "ISIC53:DATA_NF"}, {"ISS53:Numero", "ISIC53:NUMERO_NF"},
        {"ISS53:Serie", "ISIC53:SERIE_NF"}, {"ISS53:Especie", "ISIC53:ESPECIE_NF"}}},
      {"ISS53", "ParcRegISS53", "PRISS53:Key:Data",
       {{"ISS53:Data", "PRISS53:DataNF"}, {"ISS53:Numero", "PRISS53:Numero"}, {"ISS53:Serie", "PRISS53:Serie"},
        {"ISS53:Especie", "PRISS53:Especie"}}},
      {"RegistroISS53", "ParcRegISS530", "PRISS530:Key:Data",
       {{"REG53:Data", "PRISS530:DataNF"}, {"REG53:Numero", "PRISS530:Numero"},
        {"REG53:Serie", "PRISS530:Serie"}, {"REG53:Especie", "PRISS530:Especie"}}},
      {"CtaISS", "Configuracao_Contas_ISS_Integracao", "CCIS:KEY:SERVICO_ID",
       {{"CTA:CODIGO", "CCIS:CODIGO_SERVICO"}, {"CTA:SUBCODSERVICO", "CCIS:SUBCODSERVICO"}}},
      {"Lanc_Combustivel", "ProdRegEntrada", "PRE:KEY:DATA",
       {{"LCOMBUST:DATALANCAMENTO", "PRE:DATALANCAMENTO"}, {"LCOMBUST:NUMERO", "PRE:NUMERO"},
        {"LCOMBUST:ESPECIE", "PRE:ESPECIE"}, {"LCOMBUST:SERIE", "PRE:SERIE"},
        {"LCOMBUST:INSCRICAO", "PRE:INSCRICAO"}}},
      {"Lanc_Combustivel", "ProdRegSaida", "PRS:KEY:DATANUMERO",
       {{"LCOMBUST:DATALANCAMENTO", "PRS:DATALANCAMENTO"}, {"LCOMBUST:NUMERO", "PRS:NUMERO"},
        {"LCOMBUST:ESPECIE", "PRS:ESPECIE"}, {"LCOMBUST:SERIE", "PRS:SERIE"},
        {"LCOMBUST:INSCRICAO", "PRS:INSCRICAO"}}},
      {"Lanc_Combustivel", "ParcRegEntrada", "PREntr:Key:Data",
       {{"LCOMBUST:DATALANCAMENTO", "PREntr:DataLancamento"}, {"LCOMBUST:NUMERO", "PREntr:Numero"},
        {"LCOMBUST:ESPECIE", "PREntr:Especie"}, {"LCOMBUST:SERIE", "PREntr:Serie"},
        {"LCOMBUST:INSCRICAO", "PREntr:Inscricao"}}},
      {"Lanc_Combustivel", "ParcRegSaida", "PRSaid:Key:Data",
       {{"LCOMBUST:DATALANCAMENTO", "PRSaid:DataLancamento"}, {"LCOMBUST:NUMERO", "PRSaid:Numero"},
        {"LCOMBUST:ESPECIE", "PRSaid:Especie"}, {"LCOMBUST:SERIE", "PRSaid:Serie"},
        {"LCOMBUST:INSCRICAO", "PRSaid:Inscricao"}}},

  };
}

std::vector<TableDef> originalTables() {
  std::vector<TableDef> all;
  tables::addSharedRegistryTables(all);
  tables::addAccountingTables(all);
  tables::addInvoiceRegisterTables(all);
  tables::addPayrollTables(all);
  tables::addServiceTaxTables(all);
  tables::addFiscalReferenceTables(all);
  all.push_back(dasTagFileInd());
  return all;
}

TableDef* findIn(std::vector<TableDef>& list, std::string_view label) {
  for (auto& t : list)
    if (sameName(t.label, label)) return &t;
  return nullptr;
}

// Resolves the names of a relation; leaves -1 where a name is unknown (the
// dictionary's tests guarantee there is none).
void resolve(RelationDef& r, const Dictionary& d) {
  const TableDef* parent = d.find(r.parent);
  const TableDef* child = d.find(r.child);
  if (parent == nullptr || child == nullptr) return;
  r.childKeyIndex = child->keyIndex(r.childKey);
  for (const auto& [p, c] : r.links) {
    r.parentFields.push_back(parent->fieldIndex(p));
    r.childFields.push_back(child->fieldIndex(c));
  }
}

// An alias of `copied`.  A rule named after its field (no description of its
// own) is named after the alias's field instead.
TableDef aliasOf(const TableDef& copied, const char* label, const char* prefix) {
  TableDef a = makeAlias(copied, label, prefix);
  for (auto& rule : a.rules)
    if (rule.description == copied.fields[rule.field].name) rule.description = a.fields[rule.field].name;
  return a;
}

}  // namespace

const TableDef* Dictionary::find(std::string_view label) const {
  int i = indexOf(label);
  return i < 0 ? nullptr : &tables_[i];
}

int Dictionary::indexOf(std::string_view label) const {
  for (size_t i = 0; i < tables_.size(); ++i)
    if (sameName(tables_[i].label, label)) return static_cast<int>(i);
  return -1;
}

const Placement& Dictionary::placement(std::string_view label) const {
  static const Placement kNone{};
  int i = indexOf(label);
  return i < 0 ? kNone : placements_[i];
}

std::vector<const RelationDef*> Dictionary::childRelations(std::string_view label) const {
  std::vector<const RelationDef*> out;
  for (const auto& r : relations_)
    if (sameName(r.parent, label)) out.push_back(&r);
  return out;
}

std::vector<const RelationDef*> Dictionary::parentRelations(std::string_view label) const {
  std::vector<const RelationDef*> out;
  for (const auto& r : relations_)
    if (sameName(r.child, label)) out.push_back(&r);
  return out;
}

std::shared_ptr<const Dictionary> buildDictionary() {
  std::shared_ptr<Dictionary> d(new Dictionary());
  std::vector<TableDef> originals = originalTables();

  // Versions come from the registration catalogue; set them on the originals
  // first so that every alias copies its table's version.
  for (const auto& r : kRegistrations)
    if (TableDef* t = findIn(originals, r.label)) t->version = r.version;

  for (const auto& e : kCatalogue) {
    if (*e.copies == '\0') {
      TableDef* t = findIn(originals, e.label);
      d->tables_.push_back(t ? *t : TableDef{});
    } else {
      const TableDef* copied = findIn(originals, e.copies);
      d->tables_.push_back(copied ? aliasOf(*copied, e.label, e.prefix) : TableDef{});
    }
    d->placements_.push_back(e.placement);
  }

  for (auto& e : relationList()) {
    RelationDef r;
    r.parent = std::move(e.parent);
    r.child = std::move(e.child);
    r.childKey = std::move(e.childKey);
    r.links = std::move(e.links);
    resolve(r, *d);
    d->relations_.push_back(std::move(r));
  }

  for (const auto& e : kRegistrations) {
    Registration reg{e.label, e.prefix, e.version, {}, {}};
    const TableDef* t = d->find(e.label);
    if (t != nullptr && !t->copies.empty()) {
      reg.copies = t->copies;
      const TableDef* copied = d->find(t->copies);
      for (size_t i = 0; copied != nullptr && i < t->fields.size(); ++i)
        reg.fieldPairs.emplace_back(t->fields[i].name, copied->fields[i].name);
    }
    d->registrations_.push_back(std::move(reg));
  }
  return d;
}

}  // namespace vorlam
