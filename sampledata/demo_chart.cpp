#include "sampledata/demo_chart.h"

#include <cstdio>

#include "storage/text.h"

namespace vorlam::sampledata {

namespace {

struct TemplateAccount {
  const char* key;
  const char* name;
};

// Level-3 group with its analytic accounts; l1/l2/l3 are the numbers of the
// class, subclass and group.
struct TemplateGroup {
  int l1, l2, l3;
  const char* key;
  const char* name;
  std::vector<TemplateAccount> accounts;
};

struct TemplateNode {
  int l1, l2;  // l2 = 0: a class
  const char* key;
  const char* name;
};

const std::vector<TemplateNode>& upperNodes() {
  static const std::vector<TemplateNode> kNodes = {
      {1, 0, "ativo", "ATIVO"},
      {1, 1, "ativo_circulante", "ATIVO CIRCULANTE"},
      {1, 2, "ativo_nao_circulante", "ATIVO NÃO CIRCULANTE"},
      {2, 0, "passivo", "PASSIVO"},
      {2, 1, "passivo_circulante", "PASSIVO CIRCULANTE"},
      {2, 2, "passivo_nao_circulante", "PASSIVO NÃO CIRCULANTE"},
      {2, 3, "patrimonio_liquido", "PATRIMÔNIO LÍQUIDO"},
      {3, 0, "receitas", "RECEITAS"},
      {3, 1, "receita_operacional", "RECEITA OPERACIONAL"},
      {4, 0, "despesas", "CUSTOS E DESPESAS"},
      {4, 1, "custos", "CUSTOS"},
      {4, 2, "despesas_operacionais", "DESPESAS OPERACIONAIS"},
      {5, 0, "transitorias", "CONTAS TRANSITÓRIAS"},
      {5, 1, "transitorias_encerramento", "ENCERRAMENTO DO EXERCÍCIO"},
  };
  return kNodes;
}

const std::vector<TemplateGroup>& groups() {
  static const std::vector<TemplateGroup> kGroups = {
      {1, 1, 1, "g_disponivel", "DISPONÍVEL",
       {{"caixa", "Caixa Geral"},
        {"banco", "Banco do Brasil S/A"},
        {"banco2", "Caixa Econômica Federal"},
        {"banco3", "Banco Itaú S/A"},
        {"aplicacoes", "Aplicações Financeiras"}}},
      {1, 1, 2, "g_clientes", "CLIENTES", {{"clientes", "Clientes Diversos"}}},
      {1, 1, 3, "g_estoques", "ESTOQUES",
       {{"mercadorias", "Mercadorias para Revenda"}, {"materia_prima", "Matéria-Prima"}}},
      {1, 1, 4, "g_impostos_recuperar", "IMPOSTOS A RECUPERAR",
       {{"icms_recuperar", "ICMS a Recuperar"},
        {"ipi_recuperar", "IPI a Recuperar"},
        {"pis_recuperar", "PIS a Recuperar"},
        {"cofins_recuperar", "COFINS a Recuperar"},
        {"irrf_recuperar", "IRRF a Recuperar"},
        {"inss_recuperar", "INSS Retido a Recuperar"}}},
      {1, 2, 1, "g_longo_prazo", "REALIZÁVEL A LONGO PRAZO",
       {{"emprestimos_socios", "Empréstimos a Sócios"}}},
      {1, 2, 2, "g_imobilizado", "IMOBILIZADO",
       {{"moveis", "Móveis e Utensílios"},
        {"veiculos", "Veículos"},
        {"computadores", "Computadores e Periféricos"},
        {"depreciacao_acumulada", "(-) Depreciação Acumulada"}}},
      {2, 1, 1, "g_fornecedores", "FORNECEDORES", {{"fornecedores", "Fornecedores Diversos"}}},
      {2, 1, 2, "g_obrigacoes_tributarias", "OBRIGAÇÕES TRIBUTÁRIAS",
       {{"icms_recolher", "ICMS a Recolher"},
        {"ipi_recolher", "IPI a Recolher"},
        {"iss_recolher", "ISS a Recolher"},
        {"pis_recolher", "PIS a Recolher"},
        {"cofins_recolher", "COFINS a Recolher"},
        {"irrf_recolher", "IRRF a Recolher"},
        {"simples_recolher", "Simples Nacional a Recolher"},
        {"provisao_irpj", "Provisão para IRPJ"},
        {"provisao_csll", "Provisão para CSLL"}}},
      {2, 1, 3, "g_obrigacoes_trabalhistas", "OBRIGAÇÕES TRABALHISTAS",
       {{"salarios_pagar", "Salários a Pagar"},
        {"fgts_recolher", "FGTS a Recolher"},
        {"inss_recolher", "INSS a Recolher"}}},
      {2, 2, 1, "g_financiamentos", "EMPRÉSTIMOS E FINANCIAMENTOS",
       {{"financiamentos", "Financiamentos Bancários"}}},
      {2, 3, 1, "g_capital", "CAPITAL SOCIAL", {{"capital", "Capital Subscrito"}}},
      {2, 3, 2, "g_lucros", "LUCROS OU PREJUÍZOS ACUMULADOS",
       {{"lucros_acumulados", "Lucros Acumulados"},
        {"prejuizos_acumulados", "Prejuízos Acumulados"},
        {"lucro_exercicio", "Lucro do Exercício"},
        {"prejuizo_exercicio", "Prejuízo do Exercício"}}},
      {3, 1, 1, "g_receita_bruta", "RECEITA BRUTA",
       {{"vendas", "Venda de Mercadorias"}, {"servicos", "Prestação de Serviços"}}},
      {3, 1, 2, "g_deducoes", "DEDUÇÕES DA RECEITA",
       {{"icms_vendas", "(-) ICMS sobre Vendas"},
        {"iss_servicos", "(-) ISS sobre Serviços"},
        {"pis_faturamento", "(-) PIS sobre Faturamento"},
        {"cofins_faturamento", "(-) COFINS sobre Faturamento"},
        {"devolucoes", "(-) Devoluções de Vendas"}}},
      {3, 1, 3, "g_receitas_financeiras", "RECEITAS FINANCEIRAS",
       {{"juros_recebidos", "Juros Recebidos"}, {"descontos_obtidos", "Descontos Obtidos"}}},
      {4, 1, 1, "g_cmv", "CUSTO DAS MERCADORIAS VENDIDAS",
       {{"compras", "Compras de Mercadorias"}, {"fretes", "Fretes sobre Compras"}}},
      {4, 2, 1, "g_despesas_administrativas", "DESPESAS ADMINISTRATIVAS",
       {{"salarios", "Salários e Ordenados"},
        {"alugueis", "Aluguéis"},
        {"energia", "Energia Elétrica"},
        {"telefone", "Telefone e Internet"},
        {"material_escritorio", "Material de Escritório"},
        {"servicos_terceiros", "Serviços de Terceiros"},
        {"depreciacao", "Depreciação"}}},
      {4, 2, 2, "g_despesas_financeiras", "DESPESAS FINANCEIRAS",
       {{"juros_pagos", "Juros Pagos"},
        {"descontos_concedidos", "Descontos Concedidos"},
        {"multas_pagas", "Multas Pagas"},
        {"tarifas", "Tarifas Bancárias"}}},
      {4, 2, 3, "g_provisoes", "PROVISÕES DE IMPOSTOS",
       {{"despesa_irpj", "Despesa com IRPJ"}, {"despesa_csll", "Despesa com CSLL"}}},
      {5, 1, 1, "g_transitorias", "TRANSITÓRIAS",
       {{"transitoria_abertura", "Transitória de Abertura"},
        {"transitoria_fechamento", "Transitória de Fechamento"},
        {"apuracao_resultado", "Apuração do Resultado"}}},
  };
  return kGroups;
}

std::string joinPieces(const chart::AccountStructure& s, const std::vector<int>& numbers) {
  std::string code;
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) code += '.';
    code += levelPiece(numbers[i], s.levelDigits(static_cast<int>(i) + 1));
  }
  return code;
}

std::string nicknameOf(const std::string& description) {
  // Upper case without accents reads best in the nickname lookups.
  std::string latin = upperLatin1(utf8ToLatin1(description));
  std::string plain;
  for (unsigned char c : latin) {
    unsigned char b = baseLetter(c);
    plain += static_cast<char>(b ? b : c);
  }
  return latin1ToUtf8(clipText(plain.substr(0, 20)));
}

}  // namespace

std::string levelPiece(int number, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*d", width, number);
  return buf;
}

const DemoAccount* ChartModel::byKey(const std::string& key) const {
  auto it = keys.find(key);
  return it == keys.end() ? nullptr : &accounts[it->second];
}

std::string ChartModel::code(const std::string& key) const {
  const DemoAccount* a = byKey(key);
  return a ? a->code : std::string();
}

const DemoAccount* ChartModel::find(const std::string& c) const {
  auto it = codes.find(c);
  return it == codes.end() ? nullptr : &accounts[it->second];
}

ChartModel buildChart(const chart::AccountStructure& structure,
                      const std::vector<std::string>& customerNames,
                      const std::vector<std::string>& supplierNames,
                      const std::vector<uint16_t>& filials) {
  ChartModel m;
  m.structure = structure;
  const int g = structure.levelCount;
  size_t nextFilial = 0;
  auto add = [&](std::vector<int> numbers, const std::string& key, const std::string& name,
                 bool analytic) {
    DemoAccount a;
    a.code = joinPieces(structure, numbers);
    a.description = name;
    a.nickname = nicknameOf(name);
    a.analytic = analytic;
    a.key = key;
    a.indice = analytic ? a.code.substr(0, chart::tamanhoNivel(structure, g - 1)) : a.code;
    if (analytic && !filials.empty()) a.filial = filials[nextFilial++ % filials.size()];
    m.accounts.push_back(std::move(a));
  };
  const auto& nodes = upperNodes();
  for (size_t n = 0; n < nodes.size(); ++n) {
    const TemplateNode& node = nodes[n];
    if (node.l2 == 0) {
      add({node.l1}, node.key, node.name, false);
      continue;
    }
    add({node.l1, node.l2}, node.key, node.name, false);
    for (const TemplateGroup& grp : groups()) {
      if (grp.l1 != node.l1 || grp.l2 != node.l2) continue;
      std::vector<int> path = {grp.l1, grp.l2, grp.l3};
      add(path, grp.key, grp.name, false);
      // One group per level between the template group and its accounts.
      for (int level = 4; level < g; ++level) {
        path.push_back(1);
        add(path, level == g - 1 ? grp.key + std::string("_analiticas") : std::string(),
            grp.name, false);
      }
      int number = 0;
      for (const TemplateAccount& acc : grp.accounts) {
        path.push_back(++number);
        add(path, acc.key, acc.name, true);
        path.pop_back();
      }
      const std::vector<std::string>* extra = nullptr;
      std::vector<std::string>* out = nullptr;
      if (std::string(grp.key) == "g_clientes") extra = &customerNames, out = &m.customerAccounts;
      if (std::string(grp.key) == "g_fornecedores") extra = &supplierNames, out = &m.supplierAccounts;
      if (extra) {
        for (const std::string& name : *extra) {
          path.push_back(++number);
          add(path, std::string(), name, true);
          out->push_back(m.accounts.back().code);
          path.pop_back();
        }
      }
    }
  }
  uint32_t reduced = 0;
  for (size_t i = 0; i < m.accounts.size(); ++i) {
    DemoAccount& a = m.accounts[i];
    a.reduced = ++reduced;
    if (a.analytic) m.analytic.push_back(i);
    if (!a.key.empty()) m.keys[a.key] = i;
    m.codes[a.code] = i;
  }
  return m;
}

}  // namespace vorlam::sampledata
