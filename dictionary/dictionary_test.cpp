#include "dictionary/dictionary.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace vorlam {
namespace {

const Dictionary& dict() {
  static const std::shared_ptr<const Dictionary> d = buildDictionary();
  return *d;
}

struct Expected {
  const char* label;
  int bytes;
  int fields;
  int keys;
};

// The catalogue: record bytes, field count and key count of every
// declaration, in catalogue order.
const Expected kCatalogue[] = {
    {"AltContratuais", 54, 6, 1},
    {"CNAE", 322, 7, 2},
    {"CodAltContratuais", 21, 2, 1},
    {"Contas_Integracao_Contabil", 626, 9, 3},
    {"Empresa", 13617, 301, 6},
    {"Empresa0", 13617, 301, 6},
    {"Estados", 32, 9, 3},
    {"Filiais", 10, 8, 3},
    {"Filiais0", 10, 8, 3},
    {"Municipios", 209, 14, 8},
    {"Conciliacao", 390, 7, 1},
    {"ConfPlanoContas", 1078, 88, 2},
    {"ConfPlanoContas0", 1078, 88, 2},
    {"ConfiguracaoGrupos", 51, 7, 4},
    {"ConfiguracaoGrupos2", 51, 7, 4},
    {"ConfiguracaoGrupos3", 51, 7, 4},
    {"Departamento", 62, 2, 2},
    {"Diario", 900, 24, 6},
    {"Diario2", 900, 24, 6},
    {"Historico", 82, 3, 3},
    {"LanPadrao", 236, 10, 3},
    {"PlanoContas", 409, 16, 6},
    {"PlanoContas2", 409, 16, 6},
    {"PlanoContas3", 409, 16, 6},
    {"PlanoContas4", 409, 16, 6},
    {"Secao", 66, 4, 2},
    {"Setor", 64, 3, 2},
    {"DipiEntradas", 93, 14, 1},
    {"DipiEntradas0", 93, 14, 1},
    {"DipiSaida", 93, 14, 1},
    {"DipiSaida0", 93, 14, 1},
    {"ISS51", 2448, 78, 7},
    {"ISS53", 2286, 60, 7},
    {"Lanc_Combustivel", 551, 78, 7},
    {"ProdRegEntrada", 407, 70, 2},
    {"ProdRegSaida", 386, 69, 2},
    {"RegEntrada", 5199, 175, 9},
    {"RegSaida", 3368, 144, 8},
    {"RegistroEntradas", 5199, 175, 9},
    {"RegistroISS51", 2448, 78, 7},
    {"RegistroISS53", 2286, 60, 7},
    {"RegistroSaida", 3368, 144, 8},
    {"CFO", 6057, 112, 6},
    {"Configuracao_Contas_ISS_Integracao", 668, 9, 2},
    {"CtaISS", 6383, 81, 3},
    {"ForCli", 562, 41, 8},
    {"ForCli0", 562, 41, 8},
    {"ISS51_Integracao_Contabil", 609, 11, 1},
    {"ISS53_Integracao_Contabil", 609, 11, 1},
    {"ParcPagas", 2488, 44, 3},
    {"ParcRegEntrada", 2630, 45, 7},
    {"ParcRegEntrada0", 2630, 45, 7},
    {"ParcRegISS51", 2648, 48, 6},
    {"ParcRegISS510", 2648, 48, 6},
    {"ParcRegISS53", 2648, 48, 6},
    {"ParcRegISS530", 2648, 48, 6},
    {"ParcRegSaida", 2630, 45, 7},
    {"ParcRegSaida0", 2630, 45, 7},
    {"ACFuncionarios", 119, 7, 1},
    {"DepSuspSF", 13, 4, 1},
    {"DepVacinacao", 11, 5, 1},
    {"Dependentes", 158, 16, 2},
    {"Funcionarios", 6181, 221, 6},
    {"MovFuncionarios", 153, 45, 4},
    {"RefMedCta", 45, 16, 2},
    {"RefTotalMedia", 49, 16, 2},
    {"RefVlrMensais", 24, 8, 1},
    {"DasTagFileInd", 5, 2, 1},
};

struct ExpectedOffset {
  const char* label;
  int number;  // 1-based field number
  const char* name;
  int offset;
};

const ExpectedOffset kOffsets[] = {
    {"Empresa", 151, "EMP:ISSComplementoDupJuros", 9984},
    {"Empresa", 301, "EMP:BancoConvenio", 13597},
    {"Filiais", 5, "Filiais:IRPJ", 6},
    {"Filiais", 8, "Filiais:Contabilidade", 9},
    {"AltContratuais", 4, "ALTCONT:OBS", 7},
    {"AltContratuais", 6, "ALTCONT:CODALTESCRITA", 53},
    {"CodAltContratuais", 2, "CACONTR:DESCRICAO", 1},
    {"Contas_Integracao_Contabil", 5, "CIC:CCUSTOC", 83},
    {"Contas_Integracao_Contabil", 9, "CIC:VLRIMPBRUT", 625},
    {"Estados", 5, "EST:CODSISTGIAMSENT", 24},
    {"Estados", 9, "EST:CODIGOUFGNRE", 28},
    {"Municipios", 8, "MUN:CODMUNDIPAMB", 170},
    {"Municipios", 14, "MUN:CODMUNDFCPR", 207},
    {"CNAE", 4, "CNAE:NOVOPERCSAT", 262},
    {"CNAE", 7, "CNAE:LOGIN", 272},
    {"ConfPlanoContas", 45, "CONP:G11PS3", 361},
    {"ConfPlanoContas", 88, "CONP:CodPlanoReferencial", 1077},
    {"PlanoContas", 9, "PLA:Codigo_Sem_Ponto", 208},
    {"PlanoContas", 16, "PLA:ExpurgoFcont", 408},
    {"Historico", 2, "HIS:Descricao", 2},
    {"Historico", 3, "HIS:APELIDO", 62},
    {"LanPadrao", 6, "LPR:APELIDO", 126},
    {"LanPadrao", 10, "LPR:CCCREDITO", 216},
    {"Diario", 13, "DIA:DataImportacao", 713},
    {"Diario", 24, "DIA:CcCredito", 880},
    {"Conciliacao", 4, "CONC:VALORDEBITOMES", 54},
    {"Conciliacao", 7, "CONC:VALORCREDITOFECHA", 306},
    {"ConfiguracaoGrupos", 4, "CON:Codigo_Departamento", 43},
    {"ConfiguracaoGrupos", 7, "CON:Filial", 49},
    {"Departamento", 2, "DPT:DESCRICAO", 2},
    {"Setor", 2, "SET:CODIGO", 2},
    {"Setor", 3, "SET:DESCRICAO", 4},
    {"Secao", 3, "SEC:CODIGO", 4},
    {"Secao", 4, "SEC:DESCRICAO", 6},
    {"RegEntrada", 88, "REG:ContaCreditoCofins", 1311},
    {"RegEntrada", 175, "REG:CST_PIS_Cofins", 5198},
    {"RegSaida", 73, "REGS:PrazoHistorico", 1180},
    {"RegSaida", 144, "REGS:FuncRegistro", 3367},
    {"DipiEntradas", 8, "DipE:Quantidade", 66},
    {"DipiEntradas", 14, "DipE:CFO", 91},
    {"DipiSaida", 8, "DipS:Quantidade", 66},
    {"DipiSaida", 14, "DipS:CFO", 91},
    {"ProdRegEntrada", 36, "PRE:INDICADORMOVFISICAMERC", 194},
    {"ProdRegEntrada", 70, "PRE:CSOSN", 403},
    {"ProdRegSaida", 35, "PRS:NATUREZAOPERACAO", 183},
    {"ProdRegSaida", 69, "PRS:CSOSN", 382},
    {"Lanc_Combustivel", 40, "LCOMBUST:ALIQUOTA4", 335},
    {"Lanc_Combustivel", 78, "LCOMBUST:MES_UNIFICA", 550},
    {"Funcionarios", 111, "FUN:PPP:REGAMBIENTAISREGCONSELHO", 2827},
    {"Funcionarios", 221, "FUN:RENADDATAFINAL", 6177},
    {"Dependentes", 9, "DEP:NUMEROREGISTRO", 94},
    {"Dependentes", 16, "DEP:DEPIDADEESCOLAR", 157},
    {"DepVacinacao", 3, "DVACI:CODIGOVACINA", 5},
    {"DepVacinacao", 5, "DVACI:DATA", 7},
    {"DepSuspSF", 3, "DSSF:DATAINICIO", 5},
    {"DepSuspSF", 4, "DSSF:DATAFINAL", 9},
    {"ACFuncionarios", 4, "ACFUN:VALOR", 9},
    {"ACFuncionarios", 7, "ACFUN:DATAEX", 115},
    {"MovFuncionarios", 23, "MOVFUNC:RETORNO", 93},
    {"MovFuncionarios", 45, "MOVFUNC:NVPERIODOAQUISITIVO", 149},
    {"RefTotalMedia", 9, "REFTOTMED:MESF", 23},
    {"RefTotalMedia", 16, "REFTOTMED:MESFINMEDIA", 45},
    {"RefMedCta", 9, "REFMEDCTA:DIVISOR", 21},
    {"RefMedCta", 16, "REFMEDCTA:INCLUIMANUALVALOR", 44},
    {"RefVlrMensais", 5, "REFVLRMEN:CONTA", 11},
    {"RefVlrMensais", 8, "REFVLRMEN:INCLUIMANUAL", 23},
    {"ISS51", 40, "ISS:Remessas", 365},
    {"ISS51", 78, "ISS:VlrBC_COFINS", 2442},
    {"ISS53", 31, "ISS53:PrazoComplemento", 978},
    {"ISS53", 60, "ISS53:VlrBC_COFINS", 2280},
    {"ISS51_Integracao_Contabil", 6, "ISIC:CONTA_DEBITO", 19},
    {"ISS51_Integracao_Contabil", 11, "ISIC:COMPLEMENTO", 109},
    {"ISS53_Integracao_Contabil", 6, "ISIC53:CONTA_DEBITO", 19},
    {"ISS53_Integracao_Contabil", 11, "ISIC53:COMPLEMENTO", 109},
    {"ParcRegEntrada", 23, "PREntr:Complemento", 349},
    {"ParcRegEntrada", 45, "PREntr:CodConta", 2628},
    {"ParcRegSaida", 23, "PRSaid:Complemento", 349},
    {"ParcRegSaida", 45, "PRSaid:CodConta", 2628},
    {"ParcRegISS51", 25, "PRISS51:Historico", 365},
    {"ParcRegISS51", 48, "PRISS51:CodConta", 2646},
    {"ParcRegISS53", 25, "PRISS53:Historico", 365},
    {"ParcRegISS53", 48, "PRISS53:CodConta", 2646},
    {"ParcPagas", 23, "PARCPG:CCUSTODESCD", 765},
    {"ParcPagas", 44, "PARCPG:CODCONTA", 2486},
    {"CFO", 57, "CFO:CONTACREDITOPRAZO", 3218},
    {"CFO", 112, "CFO:IPI_EMBUTIDO", 6056},
    {"CtaISS", 41, "CTA:ISENTAHISTORICO", 3524},
    {"CtaISS", 81, "CTA:CODATIVIDADE", 6375},
    {"Configuracao_Contas_ISS_Integracao", 5, "CCIS:CONTA_CREDITO", 46},
    {"Configuracao_Contas_ISS_Integracao", 9, "CCIS:COMPLEMENTO", 168},
    {"ForCli", 21, "FOR:ContaProdutor", 383},
    {"ForCli", 41, "FOR:Publica", 561},
};

TEST(Catalogue, EveryDeclarationInOrderWithItsSizes) {
  ASSERT_EQ(dict().size(), 68);
  ASSERT_EQ(std::size(kCatalogue), 68u);
  for (int i = 0; i < 68; ++i) {
    const TableDef& t = dict().tables()[i];
    const Expected& e = kCatalogue[i];
    SCOPED_TRACE(e.label);
    EXPECT_EQ(t.label, e.label);
    EXPECT_EQ(t.recordSize(), e.bytes);
    EXPECT_EQ(static_cast<int>(t.fields.size()), e.fields);
    EXPECT_EQ(static_cast<int>(t.keys.size()), e.keys);
  }
}

TEST(Catalogue, OffsetsFollowTheLayouts) {
  for (const auto& e : kOffsets) {
    SCOPED_TRACE(e.name);
    const TableDef* t = dict().find(e.label);
    ASSERT_NE(t, nullptr);
    const FieldDef& f = t->fields[e.number - 1];
    EXPECT_EQ(f.name, e.name);
    EXPECT_EQ(f.offset, e.offset);
  }
  // No gaps anywhere: each field starts where the previous one ends.
  for (const auto& t : dict().tables()) {
    int offset = 0;
    for (const auto& f : t.fields) {
      EXPECT_EQ(f.offset, offset) << f.name;
      offset += f.width();
    }
  }
}

TEST(Catalogue, FieldAndKeyNamesCarryTheTablePrefix) {
  std::set<std::string> prefixes;
  for (const auto& t : dict().tables()) {
    std::string upper;
    for (char c : t.prefix) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(prefixes.insert(upper).second) << "prefix repeated: " << t.prefix;
    for (const auto& f : t.fields) EXPECT_TRUE(sameName(f.name.substr(0, t.prefix.size() + 1), t.prefix + ":")) << f.name;
    for (const auto& k : t.keys) EXPECT_TRUE(sameName(k.name.substr(0, t.prefix.size() + 1), t.prefix + ":")) << k.name;
  }
}

TEST(Catalogue, FindIsCaseInsensitive) {
  ASSERT_NE(dict().find("empresa"), nullptr);
  EXPECT_EQ(dict().find("empresa")->label, "Empresa");
  EXPECT_EQ(dict().find("PLANOCONTAS3")->prefix, "PL3");
  EXPECT_EQ(dict().find("Nada"), nullptr);
  EXPECT_EQ(dict().indexOf("AltContratuais"), 0);
  EXPECT_EQ(dict().indexOf("DasTagFileInd"), 67);
}

TEST(Catalogue, TypesAndArrays) {
  const TableDef& conc = *dict().find("Conciliacao");
  EXPECT_EQ(conc.fields[3].typeText(), "DECIMAL(13,2) \u00d712");
  EXPECT_EQ(conc.fields[3].width(), 84);
  EXPECT_EQ(conc.columnCount(), 3 + 4 * 12);
  const TableDef& fun = *dict().find("Funcionarios");
  int f = fun.fieldIndex("FUN:PPP:CATNUMERO");
  ASSERT_GE(f, 0);
  EXPECT_EQ(fun.fields[f].typeText(), "STRING(15) \u00d74");
  // Arrays occur only in these two tables.
  for (const auto& t : dict().tables())
    for (const auto& fd : t.fields)
      if (fd.dim > 1) {
        EXPECT_TRUE(t.label == "Funcionarios" || t.label == "Conciliacao") << fd.name;
      }
  const TableDef& dia = *dict().find("Diario");
  EXPECT_EQ(dia.fields[dia.fieldIndex("DIA:CcDebito")].typeText(), "STRING(40)");
  EXPECT_EQ(dia.fields[dia.fieldIndex("DIA:CcCredito")].typeText(), "STRING(20)");
  EXPECT_EQ(dia.fields[dia.fieldIndex("DIA:Numero")].typeSpec.places, 4);
  const TableDef& tag = *dict().find("DasTagFileInd");
  EXPECT_EQ(tag.fields[1].name, "RGS:REGISTRO");
  EXPECT_EQ(tag.fields[1].offset, 1);
  EXPECT_EQ(tag.keys[0].attributesText(), "unique, primary, case-insensitive");
}

TEST(Keys, AttributesAndDescriptions) {
  const TableDef& emp = *dict().find("Empresa");
  const KeyDef& code = emp.keys[0];
  EXPECT_EQ(code.name, "EMP:KEY:CODIGO");
  EXPECT_EQ(code.attributesText(), "unique, primary, case-insensitive, auto-numbered component 1");
  EXPECT_EQ(code.description, "C\u00f3digo");
  EXPECT_EQ(emp.keys[1].description, "EMP:Key:CNPJ");  // none given: its own name
  EXPECT_EQ(emp.keys[3].attributesText(), "duplicates, case-insensitive, dynamic index");
  EXPECT_TRUE(emp.keys[3].components.empty());
  EXPECT_EQ(emp.keys[4].components[0].field, emp.fieldIndex("Emp:RazaoSocial"));

  const TableDef& set = *dict().find("Setor");
  EXPECT_EQ(set.keys[0].autoNumber, 2);
  EXPECT_EQ(dict().find("Secao")->keys[0].autoNumber, 3);
  EXPECT_EQ(dict().find("DepVacinacao")->keys[0].autoNumber, 4);

  const TableDef& regs = *dict().find("RegSaida");
  const KeyDef& custom = regs.keys[regs.keyIndex("REGS:Key:Customizado")];
  EXPECT_EQ(custom.attributesText(), "duplicates, excludes empty, case-insensitive, dynamic index");
}

TEST(Keys, ExcludesEmptyAndDynamicWhereTheCatalogueSays) {
  std::set<std::string> excl, dyn;
  for (const auto& t : dict().tables()) {
    if (!t.copies.empty()) continue;
    for (const auto& k : t.keys) {
      if (k.excludeEmpty) excl.insert(k.name);
      if (k.dynamic) dyn.insert(t.label);
      EXPECT_TRUE(k.noCase);
      if (k.primary) {
        EXPECT_TRUE(k.unique) << k.name;
      }
    }
  }
  std::set<std::string> wantExcl = {"FUN:Key:Admissao", "REG:KEY:DATALANCAMENTOCODIGO", "EST:Key:CodGia",
                                    "PRSaid:Key:NumeroDoc", "REGS:Key:Customizado", "PREntr:Key:Data_Pagamento",
                                    "PRSaid:Key:Data_Pagamento", "PRISS51:Key:Data_Pagamento",
                                    "PRISS53:Key:Data_Pagamento", "ParcPg:Key:Pagamento"};
  EXPECT_EQ(excl, wantExcl);
  std::set<std::string> wantDyn = {"Empresa", "ForCli", "CFO", "Diario", "Funcionarios", "RegEntrada", "RegSaida"};
  EXPECT_EQ(dyn, wantDyn);
  EXPECT_EQ(dict().find("ForCli")->keys[5].description, "Ind\u00edce customizado pelo relat\u00f3rio");
}

TEST(Keys, DescendingComponents) {
  const TableDef& ac = *dict().find("ACFuncionarios");
  ASSERT_EQ(ac.keys[0].components.size(), 3u);
  EXPECT_FALSE(ac.keys[0].components[1].descending);
  EXPECT_TRUE(ac.keys[0].components[2].descending);
  EXPECT_EQ(ac.fields[ac.keys[0].components[2].field].name, "ACFUN:DATA");
  const TableDef& ds = *dict().find("DepSuspSF");
  EXPECT_TRUE(ds.keys[0].components[2].descending);
  const TableDef& rt = *dict().find("RefTotalMedia");
  EXPECT_TRUE(rt.keys[1].components[5].descending);
  int descending = 0;
  for (const auto& t : dict().tables())
    if (t.copies.empty())
      for (const auto& k : t.keys)
        for (const auto& c : k.components) descending += c.descending;
  EXPECT_EQ(descending, 3);
}

TEST(Bindings, SharedByEveryDeclarationOfAFile) {
  EXPECT_EQ(dict().find("Empresa")->binding, "Empresas.dat");
  EXPECT_EQ(dict().find("Empresa0")->binding, "Empresas.dat");
  for (const char* l : {"PlanoContas", "PlanoContas2", "PlanoContas3", "PlanoContas4"})
    EXPECT_EQ(dict().find(l)->binding, "PlCon###.dat");
  for (const char* l : {"ProdRegEntrada", "ProdRegSaida", "Lanc_Combustivel"}) {
    EXPECT_EQ(dict().find(l)->binding, "");
    EXPECT_FALSE(dict().placement(l).bound());
  }
  EXPECT_EQ(dict().find("DepVacinacao")->binding, "DepVacina.dat");
  EXPECT_EQ(dict().find("ParcPagas")->binding, "PARCPAGA.dat");
  std::map<std::string, int> files;
  for (const auto& t : dict().tables())
    if (!t.binding.empty()) ++files[t.binding];
  EXPECT_EQ(files.size() + 3, 48u);  // 48 physical files, three of them never bound
  EXPECT_EQ(files["RegEntra.dat"], 2);
  EXPECT_EQ(files["Grupos.dat"], 3);
}

TEST(Bindings, DirectoryClasses) {
  const Placement& emp = dict().placement("Empresa");
  EXPECT_EQ(emp.own, Location::kSharedComuns);
  EXPECT_FALSE(emp.ownOrShared());
  EXPECT_FALSE(emp.yearSubdir);
  EXPECT_EQ(dict().placement("ConfPlanoContas").own, Location::kSharedCtb);
  const Placement& dia = dict().placement("Diario2");
  EXPECT_EQ(dia.own, Location::kCompanyCtb);
  EXPECT_TRUE(dia.yearSubdir);
  const Placement& pla = dict().placement("PlanoContas");
  EXPECT_EQ(pla.own, Location::kCompany);
  EXPECT_EQ(pla.shared, Location::kSharedCtb);
  const Placement& grp = dict().placement("ConfiguracaoGrupos");
  EXPECT_EQ(grp.own, Location::kCompanyCtb);
  EXPECT_EQ(grp.shared, Location::kSharedCtb);
  const Placement& forcli = dict().placement("ForCli0");
  EXPECT_EQ(forcli.own, Location::kCompanyEscrita);
  EXPECT_EQ(forcli.shared, Location::kSharedComuns);
  EXPECT_EQ(dict().placement("CFO").shared, Location::kSharedEscrita);
  const Placement& reg = dict().placement("RegEntrada");
  EXPECT_EQ(reg.own, Location::kCompanyEscrita);
  EXPECT_TRUE(reg.yearSubdir);
  EXPECT_EQ(dict().placement("Funcionarios").own, Location::kCompany);
  EXPECT_EQ(dict().placement("Setor").own, Location::kCompanyCtb);
  EXPECT_EQ(dict().placement("DasTagFileInd").own, Location::kCompany);
}

TEST(Aliases, ShareLayoutKeysRulesAndBinding) {
  int aliases = 0;
  for (const auto& a : dict().tables()) {
    if (a.copies.empty()) continue;
    ++aliases;
    SCOPED_TRACE(a.label);
    const TableDef* t = dict().find(a.copies);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->copies.empty());
    EXPECT_EQ(a.binding, t->binding);
    EXPECT_EQ(a.version, t->version);
    EXPECT_EQ(dict().placement(a.label).own, dict().placement(t->label).own);
    ASSERT_EQ(a.fields.size(), t->fields.size());
    for (size_t i = 0; i < a.fields.size(); ++i) {
      EXPECT_EQ(a.fields[i].typeText(), t->fields[i].typeText());
      EXPECT_EQ(a.fields[i].offset, t->fields[i].offset);
      EXPECT_EQ(a.baseName(static_cast<int>(i)), t->baseName(static_cast<int>(i)));
    }
    ASSERT_EQ(a.keys.size(), t->keys.size());
    for (size_t i = 0; i < a.keys.size(); ++i) {
      EXPECT_EQ(a.keys[i].attributesText(), t->keys[i].attributesText());
      ASSERT_EQ(a.keys[i].components.size(), t->keys[i].components.size());
      for (size_t c = 0; c < a.keys[i].components.size(); ++c) {
        EXPECT_EQ(a.keys[i].components[c].field, t->keys[i].components[c].field);
        EXPECT_EQ(a.keys[i].components[c].descending, t->keys[i].components[c].descending);
      }
    }
    EXPECT_EQ(a.rules.size(), t->rules.size());
  }
  EXPECT_EQ(aliases, 20);
  const TableDef& emp0 = *dict().find("Empresa0");
  EXPECT_EQ(emp0.fields[emp0.fieldIndex("EMP0:Codigo")].offset, 95);
  EXPECT_EQ(emp0.keys[0].name, "EMP0:KEY:CODIGO");
  EXPECT_EQ(emp0.keys[0].description, "C\u00f3digo");
  EXPECT_EQ(emp0.keys[1].description, "EMP0:Key:CNPJ");
}

TEST(Registration, CatalogueOrderVersionsAndAliasPairs) {
  const auto& regs = dict().registrations();
  ASSERT_EQ(regs.size(), 67u);
  EXPECT_EQ(regs.front().label, "ACFuncionarios");
  EXPECT_EQ(regs.back().label, "Setor");
  std::set<std::string> seen;
  for (size_t i = 0; i < regs.size(); ++i) {
    const Registration& r = regs[i];
    SCOPED_TRACE(r.label);
    EXPECT_NE(r.label, "Lanc_Combustivel");
    EXPECT_TRUE(seen.insert(r.label).second);
    if (i > 0) {
      EXPECT_LT(regs[i - 1].label, r.label);  // listed in name order
    }
    const TableDef* t = dict().find(r.label);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->prefix, r.prefix);
    EXPECT_EQ(t->version, r.version);
    EXPECT_EQ(r.copies, t->copies);
    EXPECT_EQ(r.fieldPairs.size(), t->copies.empty() ? 0u : t->fields.size());
  }
  EXPECT_EQ(dict().find("Empresa")->version, 206);
  EXPECT_EQ(dict().find("DepVacinacao")->version, 0);
  EXPECT_EQ(dict().find("RegistroISS51")->version, 67);
  const Registration& conp0 = regs[7];
  EXPECT_EQ(conp0.label, "ConfPlanoContas0");
  ASSERT_EQ(conp0.fieldPairs.size(), 88u);
  EXPECT_EQ(conp0.fieldPairs[0].first, "CONP0:Codigo");
  EXPECT_EQ(conp0.fieldPairs[0].second, "CONP:Codigo");
  const Registration& emp0 = regs[26];
  EXPECT_EQ(emp0.label, "Empresa0");
  EXPECT_EQ(emp0.fieldPairs.size(), 301u);
  EXPECT_EQ(emp0.fieldPairs[9].first, "EMP0:BancoConta");
}

TEST(Relations, ResolvedThroughLeadingKeyComponents) {
  const auto& rels = dict().relations();
  ASSERT_EQ(rels.size(), 34u);
  for (const auto& r : rels) {
    SCOPED_TRACE(r.parent + " -> " + r.child);
    const TableDef* parent = dict().find(r.parent);
    const TableDef* child = dict().find(r.child);
    ASSERT_NE(parent, nullptr);
    ASSERT_NE(child, nullptr);
    ASSERT_GE(r.childKeyIndex, 0);
    ASSERT_EQ(r.parentFields.size(), r.links.size());
    const KeyDef& key = child->keys[r.childKeyIndex];
    ASSERT_GE(key.components.size(), r.childFields.size());
    for (size_t i = 0; i < r.links.size(); ++i) {
      ASSERT_GE(r.parentFields[i], 0);
      ASSERT_GE(r.childFields[i], 0);
      EXPECT_EQ(key.components[i].field, r.childFields[i]);
      EXPECT_EQ(parent->fields[r.parentFields[i]].isText(), child->fields[r.childFields[i]].isText());
    }
  }
  auto kids = dict().childRelations("empresa");
  ASSERT_EQ(kids.size(), 3u);
  EXPECT_EQ(kids[0]->child, "Contas_Integracao_Contabil");
  EXPECT_EQ(dict().parentRelations("ProdRegEntrada").size(), 2u);
  EXPECT_EQ(dict().childRelations("RegEntrada").size(), 3u);
}

}  // namespace
}  // namespace vorlam
