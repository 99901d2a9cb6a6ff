#include "utilities/reference_data.h"

#include "utilities/reference_lists.h"

namespace vorlam::utilities {

namespace {

constexpr CnaeRow kCnae[] = {
    {111301, "Cultivo de arroz"},
    {151201, "Criação de bovinos para corte"},
    {1011201, "Frigorífico - abate de bovinos"},
    {1091101, "Fabricação de produtos de panificação industrial"},
    {1412601, "Confecção de peças de vestuário, exceto roupas íntimas"},
    {1622699, "Fabricação de outros artigos de carpintaria para construção"},
    {2512800, "Fabricação de esquadrias de metal"},
    {3101200, "Fabricação de móveis com predominância de madeira"},
    {4120400, "Construção de edifícios"},
    {4321500, "Instalação e manutenção elétrica"},
    {4511101, "Comércio a varejo de automóveis, camionetas e utilitários novos"},
    {4520001, "Serviços de manutenção e reparação mecânica de veículos automotores"},
    {4530703, "Comércio a varejo de peças e acessórios novos para veículos automotores"},
    {4632001, "Comércio atacadista de cereais e leguminosas beneficiados"},
    {4711302, "Comércio varejista de mercadorias em geral - supermercados"},
    {4712100, "Comércio varejista de mercadorias em geral - minimercados, mercearias e armazéns"},
    {4721102, "Padaria e confeitaria com predominância de revenda"},
    {4731800, "Comércio varejista de combustíveis para veículos automotores"},
    {4744001, "Comércio varejista de ferragens e ferramentas"},
    {4751201, "Comércio varejista especializado de equipamentos e suprimentos de informática"},
    {4771701, "Comércio varejista de produtos farmacêuticos, sem manipulação de fórmulas"},
    {4781400, "Comércio varejista de artigos do vestuário e acessórios"},
    {4930202, "Transporte rodoviário de carga, exceto produtos perigosos e mudanças, intermunicipal"},
    {5611201, "Restaurantes e similares"},
    {5620104, "Fornecimento de alimentos preparados preponderantemente para consumo domiciliar"},
    {6201501, "Desenvolvimento de programas de computador sob encomenda"},
    {6202300, "Desenvolvimento e licenciamento de programas de computador customizáveis"},
    {6311900, "Tratamento de dados, provedores de serviços de aplicação e de hospedagem na internet"},
    {6810202, "Aluguel de imóveis próprios"},
    {6911701, "Serviços advocatícios"},
    {6920601, "Atividades de contabilidade"},
    {7020400, "Atividades de consultoria em gestão empresarial, exceto consultoria técnica específica"},
    {7112000, "Serviços de engenharia"},
    {7319002, "Promoção de vendas"},
    {8219999, "Preparação de documentos e serviços especializados de apoio administrativo"},
    {8511200, "Educação infantil - creche"},
    {8513900, "Ensino fundamental"},
    {8599604, "Treinamento em desenvolvimento profissional e gerencial"},
    {8630503, "Atividade médica ambulatorial restrita a consultas"},
    {9602501, "Cabeleireiros, manicure e pedicure"},
};

constexpr ChangeCodeRow kChangeCodes[] = {
    {1, "Razão Social"},         {2, "Endereço"},
    {3, "Capital Social"},       {4, "CNPJ/CEI"},
    {5, "Inscrição Estadual"},   {6, "Sócios"},
    {7, "Atividade"},            {9, "Opção Simples"},
    {13, "Tipo Forn./Clientes"}, {15, "Tipo Código Serviço"},
    {17, "Tipo CFOP"},           {38, "Regime Tributário"},
    {39, "Mensagem Contábil"},   {40, "Tipo Plano Contas"},
    {41, "Código Plano Contas"},
};

constexpr CfopRow kCfops[] = {
    {1101, "Compra para industrialização ou produção rural", CfopKind::kPurchase},
    {1102, "Compra para comercialização", CfopKind::kPurchase},
    {1202, "Devolução de venda de mercadoria adquirida ou recebida de terceiros", CfopKind::kReturn},
    {1403, "Compra para comercialização em operação com mercadoria sujeita ao regime de substituição tributária", CfopKind::kPurchase},
    {1556, "Compra de material para uso ou consumo", CfopKind::kPurchase},
    {1933, "Aquisição de serviço tributado pelo ISSQN", CfopKind::kOther},
    {1949, "Outra entrada de mercadoria ou prestação de serviço não especificada", CfopKind::kOther},
    {2102, "Compra para comercialização", CfopKind::kPurchase},
    {2556, "Compra de material para uso ou consumo", CfopKind::kPurchase},
    {5101, "Venda de produção do estabelecimento", CfopKind::kSale},
    {5102, "Venda de mercadoria adquirida ou recebida de terceiros", CfopKind::kSale},
    {5202, "Devolução de compra para comercialização", CfopKind::kReturn},
    {5405, "Venda de mercadoria adquirida ou recebida de terceiros em operação com mercadoria sujeita ao regime de substituição tributária", CfopKind::kSale},
    {5933, "Prestação de serviço tributado pelo ISSQN", CfopKind::kSale},
    {5949, "Outra saída de mercadoria ou prestação de serviço não especificado", CfopKind::kOther},
    {6102, "Venda de mercadoria adquirida ou recebida de terceiros", CfopKind::kSale},
    {6108, "Venda de mercadoria adquirida ou recebida de terceiros, destinada a não contribuinte", CfopKind::kSale},
};

constexpr ServiceRow kServices[] = {
    {101, 0, "Análise e desenvolvimento de sistemas", 200},
    {102, 0, "Programação", 200},
    {105, 0, "Licenciamento de programas de computador", 200},
    {107, 0, "Suporte técnico em informática", 300},
    {401, 0, "Medicina e biomedicina", 200},
    {702, 0, "Execução de obras de construção civil", 300},
    {702, 1, "Construção civil - subempreitada", 300},
    {710, 0, "Limpeza e conservação de imóveis", 500},
    {1401, 0, "Manutenção e conservação de máquinas", 500},
    {1701, 0, "Assessoria ou consultoria", 500},
    {1719, 0, "Contabilidade, auditoria e técnicos", 200},
    {1706, 0, "Propaganda e publicidade", 500},
};

constexpr HistoryRow kHistories[] = {
    {"Valor referente pagamento conforme documento", "PAGAMENTO"},
    {"Valor referente recebimento conforme documento", "RECEBIMENTO"},
    {"Valor referente venda conforme nota fiscal", "VENDA"},
    {"Valor referente compra conforme nota fiscal", "COMPRA"},
    {"Valor referente depósito bancário", "DEPOSITO"},
    {"Valor referente saque para o caixa", "SAQUE"},
    {"Valor referente pagamento de salários do mês", "SALARIOS"},
    {"Valor referente recolhimento de FGTS", "FGTS"},
    {"Valor referente recolhimento de INSS", "INSS"},
    {"Valor referente tarifas bancárias", "TARIFAS"},
    {"Valor referente juros sobre pagamento em atraso", "JUROS"},
    {"Valor referente desconto obtido", "DESCONTO"},
    {"Valor referente multa por atraso", "MULTA"},
    {"Valor referente aluguel do mês", "ALUGUEL"},
    {"Valor referente energia elétrica do mês", "ENERGIA"},
    {"Valor referente telefone e internet do mês", "TELEFONE"},
    {"Valor referente prestação de serviços conforme nota fiscal", "SERVICOS"},
    {"Valor referente ISS retido na fonte", "ISS RETIDO"},
    {"Valor referente provisão do IRPJ do período", "PROV IRPJ"},
    {"Valor referente provisão da CSLL do período", "PROV CSLL"},
    {"Valor referente depreciação do mês", "DEPRECIACAO"},
    {"Saldo de abertura do exercício", "ABERTURA"},
    {"Encerramento do exercício", "ENCERRAMENTO"},
    {"Valor referente integralização de capital", "CAPITAL"},
    {"Valor referente ICMS apurado no mês", "ICMS"},
    {"Valor referente PIS apurado no mês", "PIS"},
    {"Valor referente COFINS apurada no mês", "COFINS"},
    {"Valor referente duplicata paga", "DUPLICATA PAGA"},
    {"Valor referente duplicata recebida", "DUPLICATA REC"},
    {"Valor referente aplicação financeira", "APLICACAO"},
};

constexpr const char* kSurnames[] = {
    "Silva", "Santos", "Oliveira", "Souza", "Rodrigues", "Ferreira", "Alves", "Pereira",
    "Lima", "Gomes", "Costa", "Ribeiro", "Martins", "Carvalho", "Araújo", "Melo",
    "Barbosa", "Rocha", "Dias", "Nascimento", "Andrade", "Moreira", "Nunes", "Marques",
    "Machado", "Mendes", "Freitas", "Cardoso", "Ramos", "Gonçalves", "Teixeira", "Correia",
};

constexpr const char* kFirstNames[] = {
    "José", "João", "Antônio", "Francisco", "Carlos", "Paulo", "Pedro", "Lucas",
    "Maria", "Ana", "Francisca", "Antônia", "Adriana", "Juliana", "Márcia", "Fernanda",
    "Luís", "Marcos", "Rafael", "Daniel", "Patrícia", "Aline", "Sandra", "Camila",
};

constexpr const char* kBusinessWords[] = {
    "Comércio de Alimentos", "Materiais de Construção", "Informática", "Transportes",
    "Distribuidora", "Indústria Metalúrgica", "Autopeças", "Confecções", "Farmácia",
    "Serviços Contábeis", "Engenharia", "Papelaria", "Móveis", "Supermercado",
    "Consultoria", "Padaria e Confeitaria", "Comércio de Combustíveis", "Ferragens",
};

constexpr const char* kStreets[] = {
    "Rua das Flores", "Avenida Brasil", "Rua Sete de Setembro", "Rua XV de Novembro",
    "Avenida Getúlio Vargas", "Rua Tiradentes", "Rua São João", "Avenida Paulista",
    "Rua Dom Pedro II", "Rua Marechal Deodoro", "Avenida Rio Branco", "Rua da Conceição",
};

}  // namespace

std::span<const CnaeRow> cnaeRows() { return kCnae; }
std::span<const ChangeCodeRow> changeCodeRows() { return kChangeCodes; }
std::span<const CfopRow> cfopRows() { return kCfops; }
std::span<const ServiceRow> serviceRows() { return kServices; }
std::span<const HistoryRow> historyRows() { return kHistories; }
std::span<const char* const> surnames() { return kSurnames; }
std::span<const char* const> firstNames() { return kFirstNames; }
std::span<const char* const> businessWords() { return kBusinessWords; }
std::span<const char* const> streetNames() { return kStreets; }

std::vector<std::vector<std::string>> csvRows(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  bool header = true;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (header) {
      header = false;
      continue;
    }
    std::vector<std::string> cells;
    size_t start = 0;
    while (true) {
      size_t comma = line.find(',', start);
      cells.emplace_back(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

}  // namespace vorlam::utilities
