// The files of the sample data outside the books of a year: reference
// tables, the company registry, charts of accounts with their companions and
// the fiscal reference tables.

#include <algorithm>
#include <set>

#include "chart/account_structure.h"
#include "storage/text.h"
#include "sampledata/demo_plan.h"
#include "sampledata/record_writer.h"
#include "sampledata/reference_data.h"
#include "sampledata/reference_lists.h"

namespace vorlam::sampledata {

namespace {

// Opens a writer for table `label` at `path`; the caller writes records.
Status openWriter(RecordWriter& w, const std::string& path) {
  if (path.empty()) return Status(StatusCode::kNoName, "tabela sem nome de arquivo");
  return w.open(path);
}

Status done(RecordWriter& w, int64_t* records) {
  Status s = w.finish();
  *records += w.written();
  return s;
}

std::string sharedPath(const Dictionary& dict, const shell::BindingMap& shared, const char* label) {
  return pathOf(dict, shared, label);
}

Status writeStates(const Dictionary& dict, const shell::BindingMap& shared, int64_t* records) {
  RecordWriter w(dict.find("Estados"));
  if (Status s = openWriter(w, sharedPath(dict, shared, "Estados")); !s) return s;
  for (const auto& row : csvRows(kEstadosCsv)) {
    if (row.size() < 2) continue;
    w.begin();
    w.setText("EST:UF", row[0]);
    w.setText("EST:DESC", row[1]);
    w.write();
  }
  return done(w, records);
}

Status writeMunicipalities(const Dictionary& dict, const shell::BindingMap& shared,
                           int64_t* records) {
  RecordWriter w(dict.find("Municipios"));
  if (Status s = openWriter(w, sharedPath(dict, shared, "Municipios")); !s) return s;
  int fCodigo = w.field("MUN:CODIGO"), fNome = w.field("MUN:Nome"), fUf = w.field("MUN:ESTADO");
  int fDos = w.field("MUN:NOME_DOS"), fRais = w.field("MUN:CODMUNRAIS");
  int64_t codigo = 0;
  for (const MunicipalityRow& m : municipalities()) {
    w.begin();
    std::string nome = utf8ToLatin1(m.nome);
    w.setIntAt(fCodigo, ++codigo);
    w.setTextAt(fNome, nome);
    w.setTextAt(fUf, utf8ToLatin1(m.uf));
    w.setTextAt(fDos, upperLatin1(nome));
    // The IBGE code is the municipality code of the RAIS return.
    w.setIntAt(fRais, m.ibge);
    w.write();
  }
  return done(w, records);
}

Status writeCnae(const Dictionary& dict, const shell::BindingMap& shared, int64_t* records) {
  RecordWriter w(dict.find("CNAE"));
  if (Status s = openWriter(w, sharedPath(dict, shared, "CNAE")); !s) return s;
  for (const CnaeRow& r : cnaeRows()) {
    w.begin();
    w.setInt("CNAE:CODIGO", r.code);
    w.setText("CNAE:Descricao", cutAtWord(r.description, 255));
    w.write();
  }
  return done(w, records);
}

Status writeChangeCodes(const Dictionary& dict, const shell::BindingMap& shared,
                        int64_t* records) {
  RecordWriter w(dict.find("CodAltContratuais"));
  if (Status s = openWriter(w, sharedPath(dict, shared, "CodAltContratuais")); !s) return s;
  for (const ChangeCodeRow& r : changeCodeRows()) {
    w.begin();
    w.setInt("CACONTR:CODIGO", r.code);
    w.setText("CACONTR:DESCRICAO", r.description);
    w.write();
  }
  return done(w, records);
}

Status writeStructures(const Dictionary& dict, const shell::BindingMap& shared,
                       int64_t* records) {
  RecordWriter w(dict.find("ConfPlanoContas"));
  if (Status s = openWriter(w, sharedPath(dict, shared, "ConfPlanoContas")); !s) return s;
  for (const chart::AccountStructure& st : demoStructures()) {
    w.begin();
    w.setInt("CONP:Codigo", st.code);
    w.setText("CONP:Nome", st.name);
    w.setInt("CONP:Graus", st.levelCount);
    for (int n = 1; n <= chart::kStoredLevels; ++n)
      w.setInt("CONP:G" + std::to_string(n), st.levelDigits(n));
    w.setText("CONP:Formato", st.mask);
    w.setInt("CONP:TipoOperadora", st.operatorType);
    w.setInt("CONP:CodPlanoReferencial", st.referentialChart);
    w.write();
  }
  return done(w, records);
}

// Debit and credit roles of the integration reference codes 1 to 30; the
// special words stand for the document's supplier or customer.
struct IntegrationRow {
  const char* debit;
  const char* credit;
  int history;
};
constexpr IntegrationRow kIntegration[30] = {
    {"FORNECEDOR", "banco", 28},          {"fornecedores", "descontos_obtidos", 12},
    {"multas_pagas", "banco", 13},        {"juros_pagos", "banco", 11},
    {"banco", "CLIENTE", 29},             {"descontos_concedidos", "clientes", 12},
    {"banco", "juros_recebidos", 13},     {"banco", "juros_recebidos", 11},
    {"banco", "CLIENTE", 29},             {"descontos_concedidos", "clientes", 12},
    {"banco", "juros_recebidos", 13},     {"banco", "juros_recebidos", 11},
    {"icms_vendas", "icms_recolher", 25}, {"icms_recolher", "banco", 1},
    {"devolucoes", "ipi_recolher", 25},   {"ipi_recolher", "banco", 1},
    {"pis_faturamento", "simples_recolher", 26}, {"simples_recolher", "banco", 1},
    {"cofins_faturamento", "simples_recolher", 27}, {"simples_recolher", "banco", 1},
    {"pis_faturamento", "pis_recolher", 26}, {"pis_recolher", "banco", 1},
    {"cofins_faturamento", "cofins_recolher", 27}, {"cofins_recolher", "banco", 1},
    {"despesa_csll", "provisao_csll", 20}, {"provisao_csll", "banco", 1},
    {"despesa_irpj", "provisao_irpj", 19}, {"provisao_irpj", "banco", 1},
    {"icms_vendas", "icms_recolher", 25}, {"icms_recolher", "banco", 1},
};

// The code of a role, or the special word itself.
std::string accountOf(const ChartModel& chart, const std::string& role) {
  if (role == "FORNECEDOR" || role == "CLIENTE" || role == "fornecedor") return role;
  return chart.code(role);
}

void writeCompanyRecord(RecordWriter& w, const CompanyPlan& c, const ChartModel& chart) {
  const DemoCompany& i = c.info;
  const DemoChartPeriod& now = i.charts.back();
  w.begin();
  w.setInt("EMP:Codigo", i.codigo);
  w.setText("Emp:RazaoSocial", i.razaoSocial);
  w.setText("EMP:RazaoSocialRelatorio", i.razaoSocial);
  w.setText("EMP:Endereco", c.endereco);
  w.setInt("EMP:Numero", 100 + i.codigo * 7);
  w.setText("EMP:Bairro", c.bairro);
  w.setText("EMP:Cidade", c.cidade);
  w.setText("EMP:UF", c.uf);
  w.setInt("EMP:CEP", 10000000 + i.codigo * 1234567 % 89999999);
  w.setInt("EMP:DDD", 11 + i.codigo % 80);
  w.setInt("EMP:Fone", 30000000 + i.codigo * 104729 % 9999999);
  w.setInt("EMP:TipoInscEscrita", i.cpf ? 2 : 1);
  w.setText(i.cpf ? "EMP:CPF" : "EMP:CGC", i.cpf ? c.cpf : c.cgc);
  w.setText("EMP:InscEstadual", std::to_string(100000000 + i.codigo * 7919));
  w.setUnits("EMP:CapitalSocial", (50000 + i.codigo * 10000) * 100LL);
  w.setText("EMP:EMail", "contato@empresa" + std::to_string(i.codigo) + ".com.br");
  w.setInt("EMP:TipoRegistro", i.cpf ? 4 : 1);
  w.setInt("EMP:DataRegistro", dayOf(2000 + i.codigo % 20, 1 + i.codigo % 12, 10));
  w.setText("EMP:JuntaComercial", std::to_string(35200000000LL + i.codigo));
  w.setInt("EMP:CNAE", c.cnae);
  w.setInt("EMP:SimplesFederal", 0);
  w.setInt("EMP:TipoApuracao", i.codigo % 2 ? 3 : 4);
  w.setInt("EMP:QualifPJ", 8);
  w.setInt("EMP:CodRespCTB", 1);
  w.setInt("EMP:PLContas", now.plContas);
  w.setInt("EMP:CodigoPlanoContas", now.structure);
  w.setInt("EMP:TipoFornecedor", i.tipoFornecedor);
  w.setInt("EMP:TipoCFO", i.tipoCfo);
  w.setInt("EMP:TipoContaISS", i.tipoContaIss);
  w.setInt("EMP:Lotes", 2);
  w.setInt("EMP:MesDataBase", 1);
  w.setInt("EMP:ClassEstabIPI", 1);
  w.setInt("EMP:TipoPagamento", 1);
  w.setInt("EMP:TipoAutomatica", c.tipoAutomatica);
  const DemoAccount* customers = chart.byKey("clientes");
  const DemoAccount* suppliers = chart.byKey("fornecedores");
  w.setText("EMP:GrupoCliente", customers ? customers->indice : "");
  w.setText("EMP:GrupoFornecedor", suppliers ? suppliers->indice : "");
  w.setText("EMP:DebitoICMS", chart.code("icms_vendas"));
  w.setText("EMP:CreditoICMS", chart.code("icms_recolher"));
  w.setInt("EMP:HistoricoICMS", 25);
}

// The history: the capital at registration, the changes of tax option,
// regime and message code the year before the last, and the chart changes
// of the last year, each keeping the value in force before it.
Status writeContractChanges(const Dictionary& dict, const shell::BindingMap& shared,
                            const std::vector<CompanyPlan>& companies, int lastYear, int64_t* records) {
  RecordWriter alt(dict.find("AltContratuais"));
  if (Status s = openWriter(alt, sharedPath(dict, shared, "AltContratuais")); !s) return s;
  for (const CompanyPlan& c : companies) {
    const DemoCompany& i = c.info;
    alt.begin();
    alt.setInt("ALTCONT:CODIGO", i.codigo);
    alt.setInt("ALTCONT:CODALT", 3);
    alt.setInt("ALTCONT:DATA", dayOf(2000 + i.codigo % 20, 1 + i.codigo % 12, 10));
    alt.setText("ALTCONT:OBS", "Capital inicial");
    alt.setUnits("ALTCONT:VALOR", (50000 + i.codigo * 10000) * 100LL);
    alt.write();
    // The year before the last, the company left the Simples (code 9) and
    // its regime with it (38), and changed its accounting message (39),
    // each dated the first of the month and keeping the previous content
    // as the company form writes it.
    const int32_t left = dayOf(lastYear - 1, 1 + i.codigo % 12, 1);
    for (auto [code, obs] : {std::pair{9, "1-SIMPLES Normal. Conteúdo anterior"},
                             {38, "0-Simples. Conteúdo anterior"}, {39, "1 . Conteúdo anterior"}}) {
      alt.begin();
      alt.setInt("ALTCONT:CODIGO", i.codigo);
      alt.setInt("ALTCONT:CODALT", code);
      alt.setInt("ALTCONT:DATA", left);
      alt.setText("ALTCONT:OBS", obs);
      alt.write();
    }
    for (size_t p = 1; p < i.charts.size(); ++p) {
      const DemoChartPeriod& before = i.charts[p - 1];
      const DemoChartPeriod& after = i.charts[p];
      int32_t date = dayOf(after.fromYear, 1, 1);
      if (before.plContas != after.plContas) {
        alt.begin();
        alt.setInt("ALTCONT:CODIGO", i.codigo);
        alt.setInt("ALTCONT:CODALT", 40);
        alt.setInt("ALTCONT:DATA", date);
        alt.setText("ALTCONT:OBS", std::to_string(before.plContas) + " . Conteúdo anterior");
        alt.write();
      }
      if (before.structure != after.structure) {
        alt.begin();
        alt.setInt("ALTCONT:CODIGO", i.codigo);
        alt.setInt("ALTCONT:CODALT", 41);
        alt.setInt("ALTCONT:DATA", date);
        alt.setText("ALTCONT:OBS", levelPiece(before.structure, 3) + " . Conteúdo anterior");
        alt.write();
      }
    }
  }
  return done(alt, records);
}

}  // namespace

Status writeReferenceTables(const Dictionary& dict, const shell::BindingMap& shared,
                            int64_t* records) {
  if (Status s = writeStates(dict, shared, records); !s) return s;
  if (Status s = writeMunicipalities(dict, shared, records); !s) return s;
  if (Status s = writeCnae(dict, shared, records); !s) return s;
  if (Status s = writeChangeCodes(dict, shared, records); !s) return s;
  return writeStructures(dict, shared, records);
}

Status writeCompanyRegistry(const Dictionary& dict, const shell::BindingMap& shared,
                            const std::vector<CompanyPlan>& companies,
                            const std::vector<const ChartModel*>& currentCharts, int lastYear,
                            int64_t* records) {
  RecordWriter emp(dict.find("Empresa"));
  if (Status s = openWriter(emp, sharedPath(dict, shared, "Empresa")); !s) return s;
  for (size_t i = 0; i < companies.size(); ++i) {
    writeCompanyRecord(emp, companies[i], *currentCharts[i]);
    emp.write();
  }
  if (Status s = done(emp, records); !s) return s;

  RecordWriter fil(dict.find("Filiais"));
  if (Status s = openWriter(fil, sharedPath(dict, shared, "Filiais")); !s) return s;
  for (const CompanyPlan& c : companies) {
    if (c.info.headOffice == 0) continue;
    fil.begin();
    fil.setInt("Filiais:Matriz", c.info.headOffice);
    fil.setInt("Filiais:Filial", c.info.codigo);
    // Unified accounting when the head office's chart separates its branches.
    const CompanyPlan& head = companies[c.info.headOffice - 1];
    fil.setInt("Filiais:Contabilidade", head.chartFilials.empty() ? 0 : 1);
    fil.write();
  }
  if (Status s = done(fil, records); !s) return s;

  if (Status s = writeContractChanges(dict, shared, companies, lastYear, records); !s) return s;

  RecordWriter cic(dict.find("Contas_Integracao_Contabil"));
  if (Status s = openWriter(cic, sharedPath(dict, shared, "Contas_Integracao_Contabil")); !s)
    return s;
  for (size_t i = 0; i < companies.size(); ++i) {
    for (int ref = 1; ref <= 30; ++ref) {
      const IntegrationRow& r = kIntegration[ref - 1];
      cic.begin();
      cic.setInt("CIC:CODIGO_EMPRESA", companies[i].info.codigo);
      cic.setInt("CIC:CODIGO_REFERENCIA", ref);
      cic.setText("CIC:CONTA_DEBITO", accountOf(*currentCharts[i], r.debit));
      cic.setText("CIC:CONTA_CREDITO", accountOf(*currentCharts[i], r.credit));
      cic.setInt("CIC:HISTORICO", r.history);
      cic.write();
    }
  }
  return done(cic, records);
}

Status writeResponsibles(const Dictionary& dict, const std::string& path, int64_t* records) {
  struct Person {
    const char* nome;
    const char* endereco;
    const char* bairro;
    const char* uf;
    const char* rg;
  };
  static constexpr Person kPeople[] = {
      {"Ana Paula Ferreira", "Rua das Acácias", "Centro", "SP", "12.345.678-9"},
      {"Carlos Eduardo Souza", "Avenida Brasil", "Jardim América", "RJ", "23.456.789-0"},
      {"Mariana Costa Lima", "Rua XV de Novembro", "Vila Nova", "PR", "34.567.890-1"},
  };
  RecordWriter w(dict.find("Funcionarios"));
  if (Status s = openWriter(w, path); !s) return s;
  int code = 0;
  for (const Person& p : kPeople) {
    w.begin();
    w.setInt("FUN:CODIGO", ++code);
    w.setText("Fun:Nome", p.nome);
    w.setText("FUN:ENDERECO", p.endereco);
    w.setInt("FUN:NUMERO", 100 * code + 15);
    w.setText("FUN:BAIRRO", p.bairro);
    w.setInt("FUN:CEP", 1310100 + code * 1111);
    w.setText("FUN:UF", p.uf);
    w.setText("FUN:RG", p.rg);
    w.write();
  }
  return done(w, records);
}

Status writeChart(const Dictionary& dict, const std::string& path, const ChartModel& chart,
                  int64_t* records) {
  RecordWriter w(dict.find("PlanoContas"));
  if (Status s = openWriter(w, path); !s) return s;
  for (const DemoAccount& a : chart.accounts) {
    w.begin();
    w.setText("PLA:Codigo", a.code);
    w.setInt("PLA:Reduzido", a.reduced);
    w.setText("PLA:Descricao", a.description);
    w.setText("PLA:Apelido", a.nickname);
    w.setInt("PLA:SintAnali", a.analytic ? 2 : 1);
    w.setText("PLA:Indice", a.indice);
    w.setInt("PLA:Filial", a.filial);
    w.write();
  }
  return done(w, records);
}

namespace {

struct StandardEntry {
  const char* description;
  const char* debit;
  const char* credit;
  int history;
  const char* nickname;
};
constexpr StandardEntry kStandardEntries[] = {
    {"Depósito bancário", "banco", "caixa", 5, "DEPOSITO"},
    {"Saque para o caixa", "caixa", "banco", 6, "SAQUE"},
    {"Pagamento de salários", "salarios_pagar", "banco", 7, "SALARIOS"},
    {"Provisão de salários", "salarios", "salarios_pagar", 7, "PROV SALARIOS"},
    {"Recolhimento de FGTS", "fgts_recolher", "banco", 8, "FGTS"},
    {"Recolhimento de INSS", "inss_recolher", "banco", 9, "INSS"},
    {"Tarifas bancárias", "tarifas", "banco", 10, "TARIFAS"},
    {"Pagamento de aluguel", "alugueis", "banco", 14, "ALUGUEL"},
    {"Pagamento de energia elétrica", "energia", "caixa", 15, "ENERGIA"},
    {"Pagamento de telefone", "telefone", "banco", 16, "TELEFONE"},
    {"Depreciação do mês", "depreciacao", "depreciacao_acumulada", 21, "DEPRECIACAO"},
    {"Provisão de IRPJ", "despesa_irpj", "provisao_irpj", 19, "PROV IRPJ"},
    {"Provisão de CSLL", "despesa_csll", "provisao_csll", 20, "PROV CSLL"},
    {"Aplicação financeira", "aplicacoes", "banco", 30, "APLICACAO"},
};

struct GroupRole {
  int role;
  const char* key;  // account role; empty for history roles
  int history;
};
constexpr GroupRole kGroupRoles[] = {
    {1, "ativo", 0}, {2, "passivo", 0}, {3, "receitas", 0}, {4, "despesas", 0},
    {5, "transitoria_abertura", 0}, {6, "transitoria_fechamento", 0},
    {7, "lucro_exercicio", 0}, {8, "prejuizo_exercicio", 0}, {9, "", 22}, {10, "", 23},
    {11, "caixa", 0}, {12, "provisao_irpj", 0}, {13, "despesa_irpj", 0}, {14, "", 19},
    {15, "provisao_csll", 0}, {16, "despesa_csll", 0}, {17, "", 20},
    {18, "moveis", 0}, {18, "veiculos", 0}, {18, "computadores", 0},
    {19, "ativo_circulante", 0}, {20, "g_disponivel", 0}, {21, "aplicacoes", 0},
    {22, "g_clientes", 0}, {23, "g_estoques", 0}, {24, "g_longo_prazo", 0},
    {25, "passivo_circulante", 0}, {26, "g_fornecedores", 0},
    {27, "passivo_nao_circulante", 0}, {28, "patrimonio_liquido", 0},
    {29, "receita_operacional", 0}, {30, "g_lucros", 0},
};

}  // namespace

Status writeChartCompanions(const Dictionary& dict, const shell::BindingMap& names,
                            const ChartModel& chart, int64_t* records) {
  RecordWriter his(dict.find("Historico"));
  if (Status s = openWriter(his, pathOf(dict, names, "Historico")); !s) return s;
  int code = 0;
  for (const HistoryRow& h : historyRows()) {
    his.begin();
    his.setInt("HIS:CODIGO", ++code);
    his.setText("HIS:Descricao", h.description);
    his.setText("HIS:APELIDO", h.nickname);
    his.write();
  }
  if (Status s = done(his, records); !s) return s;

  RecordWriter lpr(dict.find("LanPadrao"));
  if (Status s = openWriter(lpr, pathOf(dict, names, "LanPadrao")); !s) return s;
  code = 0;
  for (const StandardEntry& e : kStandardEntries) {
    lpr.begin();
    lpr.setInt("LPR:CODIGO", ++code);
    lpr.setText("LPR:DESCRICAO", e.description);
    lpr.setText("LPR:DEBITO", chart.code(e.debit));
    lpr.setText("LPR:CREDITO", chart.code(e.credit));
    lpr.setInt("LPR:HISTORICO", e.history);
    lpr.setText("LPR:APELIDO", e.nickname);
    lpr.write();
  }
  if (Status s = done(lpr, records); !s) return s;

  RecordWriter con(dict.find("ConfiguracaoGrupos"));
  if (Status s = openWriter(con, pathOf(dict, names, "ConfiguracaoGrupos")); !s) return s;
  for (const GroupRole& g : kGroupRoles) {
    con.begin();
    con.setInt("CON:TipoConta", g.role);
    if (g.key[0] != '\0') con.setText("CON:Conta", chart.code(g.key));
    con.setInt("CON:Historico", g.history);
    con.write();
  }
  return done(con, records);
}

Status writeParties(const Dictionary& dict, const PartyFile& file, int64_t* records) {
  RecordWriter w(dict.find("ForCli"));
  if (Status s = openWriter(w, file.path); !s) return s;
  for (const DemoParty& p : file.parties) {
    w.begin();
    w.setInt("FOR:Codigo", p.codigo);
    w.setInt("FOR:TipoInscricao", p.person ? 2 : 1);
    w.setText(p.person ? "FOR:CPF" : "FOR:CGC", p.inscricao());
    w.setText("FOR:Nome", p.nome);
    w.setText("FOR:Endereco", "Rua Comercial");
    w.setInt("FOR:Numero", 10 + p.codigo * 3);
    w.setText("FOR:Cidade", p.cidade);
    w.setText("FOR:Estado", p.uf);
    w.setInt("FOR:Cep", 20000000 + p.codigo * 7777);
    w.setInt("FOR:Clientes", p.cliente ? 1 : 0);
    w.setInt("FOR:Fornecedor", p.fornecedor ? 1 : 0);
    w.setText("FOR:ContaCliente", p.contaCliente);
    w.setText("FOR:ContaFornecedor", p.contaFornecedor);
    w.write();
  }
  return done(w, records);
}

namespace {

// Width of `CFO:Descricao`; longer official descriptions are cut at a word.
constexpr size_t kCfoDescription = 100;

// How the taxes of an operation are calculated ("Cálculo dos Impostos"):
// returns 2, sales, purchases and services 1, the rest (transfers,
// shipments, returns of goods sent) 3.  The form saves no code without it.
int taxCalculationOf(const std::string& description) {
  auto starts = [&](const char* word) { return description.rfind(word, 0) == 0; };
  if (starts("Devolução") || starts("Anulação")) return 2;
  if (starts("Venda") || starts("Compra") || starts("Prestação") || starts("Aquisição")) return 1;
  return 3;
}

// The posting accounts of the codes the sample books use.
void setCfoPostings(RecordWriter& w, const CfopRow& r, const ChartModel& chart) {
  w.setInt("CFO:TRIBUTACAO_ICMS", r.kind == CfopKind::kOther ? 3 : 1);
  w.setUnits("CFO:ALIQUOTA_ICMS", r.kind == CfopKind::kOther ? 0 : 180000);
  w.setInt("CFO:INFAPUR", r.kind == CfopKind::kReturn ? 2 : 1);
  bool entry = r.code < 5000;
  std::string dv, cv, dp, cp, di, ci;
  int hist = entry ? 4 : 3;
  switch (r.kind) {
    case CfopKind::kPurchase:
      dv = chart.code("compras"), cv = chart.code("caixa");
      dp = chart.code("compras");
      // One code keeps the special word in lower case, as typed by hand.
      cp = r.code == 2556 ? "fornecedor" : "FORNECEDOR";
      di = chart.code("icms_recuperar"), ci = chart.code("compras");
      break;
    case CfopKind::kSale:
      dv = chart.code("caixa"), cv = chart.code("vendas");
      dp = "CLIENTE", cp = chart.code("vendas");
      di = chart.code("icms_vendas"), ci = chart.code("icms_recolher");
      break;
    case CfopKind::kReturn:
      if (entry) dv = dp = chart.code("devolucoes"), cv = cp = "CLIENTE";
      else dv = dp = "FORNECEDOR", cv = cp = chart.code("compras");
      break;
    case CfopKind::kOther:
      if (r.code == 1933) dp = chart.code("servicos_terceiros"), cp = "FORNECEDOR";
      break;
  }
  w.setText("CFO:CONTA_DEBITO", dv);
  w.setText("CFO:CONTA_CREDITO", cv);
  w.setInt("CFO:CODIGO_HISTORIO", dv.empty() ? 0 : hist);
  w.setText("CFO:CONTADEBITOPRAZO", dp);
  w.setText("CFO:CONTACREDITOPRAZO", cp);
  w.setInt("CFO:HISTORICOPRAZO", dp.empty() ? 0 : hist);
  w.setText("CFO:ICMS_DEBITO", di);
  w.setText("CFO:ICMS_CREDITO", ci);
  w.setInt("CFO:HISTORICO", di.empty() ? 0 : 25);
  if (r.kind == CfopKind::kPurchase && r.code == 1101) {
    w.setText("CFO:IPI_DEBITO", chart.code("ipi_recuperar"));
    w.setText("CFO:IPI_CREDITO", chart.code("compras"));
  }
}

}  // namespace

Status writeCfo(const Dictionary& dict, const std::string& path, const ChartModel& chart,
                const std::vector<std::string>& states, int64_t* records) {
  RecordWriter w(dict.find("CFO"));
  if (Status s = openWriter(w, path); !s) return s;
  for (const std::string& uf : states) {
    for (const CfopEntry& e : cfopCatalogue()) {
      w.begin();
      w.setText("CFO:ESTADO", uf);
      w.setInt("CFO:Codigo", e.code);
      w.setText("CFO:Descricao", cutAtWord(e.description, kCfoDescription));
      w.setText("CFO:APELIDO", std::to_string(e.code));
      // As the form sets it while still 0.
      w.setInt("CFO:CONTRIBUINTE", e.code == 6108 ? 2 : 1);
      if (const CfopRow* r = findCfopRow(e.code)) {
        setCfoPostings(w, *r, chart);
      } else {
        w.setInt("CFO:INFAPUR", taxCalculationOf(e.description));
      }
      w.write();
    }
  }
  return done(w, records);
}

namespace {

// Widths of `CTA:DESCRICAO` and `CTA:DESCRICAOBL`, and the service-tax rate
// of the codes the books do not use (basis points).
constexpr size_t kServiceDescription = 40;
constexpr size_t kServiceLongDescription = 255;
constexpr int kDefaultIssRate = 500;

}  // namespace

Status writeServiceCodes(const Dictionary& dict, const std::string& ctaPath,
                         const std::string& integrationPath, const ChartModel& chart,
                         int64_t* records) {
  RecordWriter cta(dict.find("CtaISS"));
  if (Status s = openWriter(cta, ctaPath); !s) return s;
  RecordWriter ccis(dict.find("Configuracao_Contas_ISS_Integracao"));
  if (Status s = openWriter(ccis, integrationPath); !s) return s;
  struct Pair {
    const char* debit;
    const char* credit;
    int history;
  };
  const Pair kRows[] = {{"caixa", "servicos", 17},
                        {"CLIENTE", "servicos", 17},
                        {"iss_servicos", "iss_recolher", 18},
                        {"irrf_recuperar", "CLIENTE", 17}};
  // Every subitem of the service list, and the sub-codes the books use;
  // the codes the books use also get their integration rows.
  struct Code {
    uint32_t code;
    uint8_t subCode;
    std::string description;
    const ServiceRow* used;
  };
  std::vector<Code> codes;
  for (const ServiceEntry& e : serviceCatalogue()) codes.push_back({e.code, 0, e.description, nullptr});
  for (const ServiceRow& r : serviceRows()) {
    auto it = std::find_if(codes.begin(), codes.end(),
                           [&](const Code& c) { return c.code == r.code && c.subCode == r.subCode; });
    if (it == codes.end()) {
      codes.push_back({r.code, r.subCode, r.description, nullptr});
      it = codes.end() - 1;
    }
    it->used = &r;
  }
  for (const Code& r : codes) {
    cta.begin();
    cta.setInt("CTA:CODIGO", r.code);
    cta.setInt("CTA:SUBCODSERVICO", r.subCode);
    cta.setText("CTA:APELIDO", "SERV" + std::to_string(r.code));
    cta.setText("CTA:DESCRICAO", cutAtWord(r.description, kServiceDescription));
    cta.setText("CTA:DESCRICAOBL", cutAtWord(r.description, kServiceLongDescription));
    cta.setUnits("CTA:BASEIRPJ", 320000);
    cta.setUnits("CTA:ALIQUOTAISS", (r.used ? r.used->issRateBasisPoints : kDefaultIssRate) * 100LL);
    cta.setText("CTA:CTADEBITO", chart.code("caixa"));
    cta.setText("CTA:CTACREDITO", chart.code("servicos"));
    cta.setInt("CTA:CODHISTORICO", 17);
    cta.setText("CTA:CONTADEBITOPRAZO", "CLIENTE");
    cta.setText("CTA:CONTACREDITOPRAZO", chart.code("servicos"));
    cta.setInt("CTA:HISTORICOPRAZO", 17);
    cta.setText("CTA:IRPJDEBITO", chart.code("irrf_recuperar"));
    cta.setText("CTA:IRPJCREDITO", "CLIENTE");
    cta.setText("CTA:INSSRFDEBITO", chart.code("inss_recuperar"));
    cta.setText("CTA:INSSRFCREDITO", "CLIENTE");
    cta.write();
    if (r.used == nullptr) continue;
    int id = 0;
    for (const Pair& p : kRows) {
      ccis.begin();
      ccis.setInt("CCIS:CODIGO_SERVICO", r.code);
      ccis.setInt("CCIS:SUBCODSERVICO", r.subCode);
      ccis.setInt("CCIS:ID_CAMPO", ++id);
      ccis.setText("CCIS:CONTA_DEBITO", accountOf(chart, p.debit));
      ccis.setText("CCIS:CONTA_CREDITO", accountOf(chart, p.credit));
      ccis.setInt("CCIS:HISTORICO", p.history);
      ccis.write();
    }
  }
  if (Status s = done(cta, records); !s) return s;
  return done(ccis, records);
}

}  // namespace vorlam::sampledata
