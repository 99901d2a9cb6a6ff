#include "sampledata/reference_data.h"

#include "sampledata/reference_lists.h"

namespace vorlam::sampledata {

namespace {

// CNAE subclasses by business word (the order of kBusinessWords), and for
// persons registered by CPF.
constexpr uint32_t kBusinessCnae[][2] = {
    {4639701, 4712100},  // Comércio de Alimentos
    {4744099, 4744005},  // Materiais de Construção
    {4751201, 6201501},  // Informática
    {4930202, 4930201},  // Transportes
    {4639701, 4691500},  // Distribuidora
    {2512800, 2539001},  // Indústria Metalúrgica
    {4530703, 4530701},  // Autopeças
    {1412601, 4781400},  // Confecções
    {4771701, 4771702},  // Farmácia
    {6920601, 6920602},  // Serviços Contábeis
    {7112000, 4120400},  // Engenharia
    {4761003, 4761001},  // Papelaria
    {3101200, 4754701},  // Móveis
    {4711302, 4711301},  // Supermercado
    {7020400, 7490104},  // Consultoria
    {4721102, 1091102},  // Padaria e Confeitaria
    {4731800, 4681801},  // Comércio de Combustíveis
    {4744001, 4744003},  // Ferragens
};
constexpr uint32_t kPersonCnae[] = {6911701, 6920601, 8630503, 7112000, 8599604, 9602501};

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
    {1101, CfopKind::kPurchase}, {1102, CfopKind::kPurchase}, {1202, CfopKind::kReturn},
    {1403, CfopKind::kPurchase}, {1556, CfopKind::kPurchase}, {1933, CfopKind::kOther},
    {1949, CfopKind::kOther},    {2102, CfopKind::kPurchase}, {2556, CfopKind::kPurchase},
    {5101, CfopKind::kSale},     {5102, CfopKind::kSale},     {5202, CfopKind::kReturn},
    {5405, CfopKind::kSale},     {5933, CfopKind::kSale},     {5949, CfopKind::kOther},
    {6102, CfopKind::kSale},     {6108, CfopKind::kSale},
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

const std::vector<CnaeRow>& cnaeRows() {
  static const std::vector<CnaeRow> kRows = [] {
    std::vector<CnaeRow> rows;
    for (auto& r : csvRows(kCnaeCsv))
      if (r.size() >= 2) rows.push_back({static_cast<uint32_t>(std::stoul(r[0])), std::move(r[1])});
    return rows;
  }();
  return kRows;
}

std::span<const uint32_t> cnaeCandidates(int businessWord) {
  if (businessWord < 0 || businessWord >= static_cast<int>(std::size(kBusinessCnae))) return kPersonCnae;
  return kBusinessCnae[businessWord];
}

const std::vector<CfopEntry>& cfopCatalogue() {
  static const std::vector<CfopEntry> kRows = [] {
    std::vector<CfopEntry> rows;
    for (auto& r : csvRows(kCfopCsv))
      if (r.size() >= 2) rows.push_back({static_cast<int16_t>(std::stoi(r[0])), std::move(r[1])});
    return rows;
  }();
  return kRows;
}

const CfopRow* findCfopRow(int code) {
  for (const CfopRow& r : kCfops)
    if (r.code == code) return &r;
  return nullptr;
}

const std::vector<ServiceEntry>& serviceCatalogue() {
  static const std::vector<ServiceEntry> kRows = [] {
    std::vector<ServiceEntry> rows;
    for (auto& r : csvRows(kServicosCsv)) {
      size_t dot = r.size() >= 2 ? r[0].find('.') : std::string::npos;
      if (dot == std::string::npos) continue;
      uint32_t code = static_cast<uint32_t>(std::stoul(r[0].substr(0, dot)) * 100 + std::stoul(r[0].substr(dot + 1)));
      rows.push_back({code, std::move(r[1])});
    }
    return rows;
  }();
  return kRows;
}
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
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
      char c = line[i];
      if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = !quoted;
      } else if (c == ',' && !quoted) {
        cells.emplace_back();
      } else {
        cells.back() += c;
      }
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

std::string cutAtWord(std::string_view utf8, size_t limit) {
  // Byte offset of each character start, to count characters, not bytes.
  std::vector<size_t> starts;
  for (size_t i = 0; i < utf8.size(); ++i)
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) starts.push_back(i);
  if (starts.size() <= limit) return std::string(utf8);
  std::string_view kept = utf8.substr(0, starts[limit]);
  // A blank or punctuation right after the limit ends a word that fits whole.
  bool wordEnds = std::string_view(" ,;:").find(utf8[starts[limit]]) != std::string_view::npos;
  size_t blank = wordEnds ? kept.size() : kept.rfind(' ');
  if (blank != std::string_view::npos && blank > 0) kept = kept.substr(0, blank);
  while (!kept.empty() && std::string_view(" ,;:-").find(kept.back()) != std::string_view::npos)
    kept.remove_suffix(1);
  return std::string(kept);
}

}  // namespace vorlam::sampledata
