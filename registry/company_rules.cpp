#include "registry/company_rules.h"

#include <cstdio>

#include "registry/taxpayer_numbers.h"
#include "storage/date.h"

namespace vorlam::registry {

namespace {

constexpr CompanyChoice kInscription[] = {{1, "C.N.P.J."}, {2, "C.P.F."}};
constexpr CompanyChoice kRegistry[] = {
    {1, "1-Junta Comercial"}, {2, "2-Cartório"},      {3, "3-Prefeitura"},
    {4, "4-PF equiparada a PJ"}, {5, "5-Registro OAB"}, {6, "6-RCPJ(reg civil pesssoa jur)"},
};
constexpr CompanyChoice kSimples[] = {
    {0, "0-Não é Optante Simples"},
    {1, "1-Simples Normal"},
    {2, "2-Simples (Pré-escola,Creche)"},
    {3, "3-Simples (Ensino Fundamental, Lotérica, C.F.C.)"},
    {4, "4-Super Simples ME"},
    {5, "5-Super Simples EPP"},
    {6, "6-Micro Empreendedor Individual MEI"},
};
constexpr CompanyChoice kRegime[] = {
    {1, "1-Simples"},     {2, "2-Estimativa (Lucro Real)"}, {3, "3-Lucro Real"}, {4, "4-Presumido"},
    {5, "5-Arbitrado"},   {6, "6-Imune IRPJ"},              {7, "7-Isenta IRPJ"},
};
constexpr CompanyChoice kQualification[] = {
    {1, "1-Financeira"},
    {2, "2-Sociedade Seguradora(com fins lucra.)"},
    {3, "3-Corretora Autônoma de Seguros"},
    {4, "4-Coop.... de Crédito"},
    {5, "5-Entidade fechada de Previdência(sem fins lucra..)"},
    {6, "6-Sociedade Coop..."},
    {7, "7-Outra Qualificação"},
    {8, "8- PJ em Geral"},
    {9, "9-Sociedade Coop..Produção Agricu.."},
};
constexpr CompanyChoice kPlanType[] = {{1, "1-Geral"}, {2, "2-Individual"}};
constexpr CompanyChoice kSupplierType[] = {{1, "1 - Geral"}, {2, "2 - Individual"}};
constexpr CompanyChoice kLots[] = {{1, "1 Sim "}, {2, "2 Não"}};
constexpr CompanyChoice kNumbering[] = {{0, "Manual"}, {1, "Sequêncial"}, {2, "C.N.P.J."}, {3, "Não Inclui"}};

using C = CompanyControl;
constexpr CompanyFieldText kFields[] = {
    {"EMP:Codigo", "0&1-Código...............", "@n6"},
    {"Emp:RazaoSocial", "0&2-Razão Social.......", "@s40"},
    {"EMP:Endereco", "0&3-Endereço..........", "@s40"},
    {"EMP:Numero", "0&4-Número......", "@n6"},
    {"EMP:Complemento", "0&5-Complemento....", "@s25"},
    {"EMP:Bairro", "0&6-Bairro.........", "@s25"},
    {"EMP:UF", "0&7-U.F....................", "@s2", C::kDropList},
    {"EMP:Cidade", "0&8-Município....", "@s60"},
    {"EMP:CEP", "0&9-CEP..............", "@p<##.###-###p"},
    {"EMP:DDD", "1&0-DDD..................", "@P<###P"},
    {"EMP:Fone", "1&1-Fone.............", "@p<###-####p"},
    {"EMP:RamalFone", "1&2-Ramal....", "@p<<<<<p"},
    {"EMP:Fax", "1&3-Fax......", "@p<###-####p"},
    {"EMP:RamalFax", "1&4-Ramal....", "@p<<<<<p"},
    {"EMP:TipoInscEscrita", "Tipo de Inscrição", "", C::kRadio, kInscription},
    {"EMP:CGC", "", kCnpjPicture},
    {"EMP:CPF", "", kCpfPicture},
    {"EMP:InscEstadual", "1&6-Inscrição Estadual", "@s20"},
    {"EMP:CapitalSocial", "1&7-Capital Social", "@n-15.2"},
    {"EMP:EMail", "1&8-E-Mail", "@s30"},
    {"EMP:PaginaWeb", "1&9-Página Web", "@s30"},
    {"EMP:TipoRegistro", "2&0-Local Registro.....", "", C::kDropList, kRegistry},
    {"EMP:DataRegistro", "2&1-Data do Registro...", "@d06b"},
    {"EMP:JuntaComercial", "2&2-Número do Registro....", "@s20"},
    {"EMP:CNAE", "2&3-C.N.A.E..................", "@p####-#/##p"},
    {"EMP:CCM", "2&4-C.C.M...................", "@s20"},
    {"EMP:SimplesFederal", "2&5-Simples Federal...", "", C::kDropList, kSimples},
    {"EMP:TipoApuracao", "2&6-T. Apuração.....", "", C::kDropList, kRegime},
    {"EMP:QualifPJ", "2&7-Qualif. IR.............", "", C::kDropList, kQualification},
    {"EMP:CodRespCTB", "2&9-Responsável........", "@n-14"},
    {"EMP:PLContas", "3&1-Tipo P Contas........", "", C::kDropList, kPlanType,
     "Tipo de Plano de Contas - Geral/Individual"},
    {"EMP:CodigoPlanoContas", "3&2-Cód P. de Contas..", "@n6"},
    {"EMP:TipoFornecedor", "3&3-Fornecedor/Cliente...", "", C::kDropList, kSupplierType},
    {"EMP:Lotes", "2&9-Trab. com Lotes...........", "", C::kDropList, kLots},
    {"EMP:Logo", "", "@s80"},
    {"EMP:GrupoCliente", "3&4 -Grupo de Clientes...", "@s20", C::kEntry, {}, "", 1},
    {"EMP:GrupoFornecedor", "3&5-Grupo de Fornecedores...", "@s20", C::kEntry, {}, "", 1},
    {"EMP:TipoAutomatica", "Qual do Tipo de Numeração?", "", C::kRadio, kNumbering,
     "Você quer criar as Contas na Ordem Sequencial ou pelo CGC", 1},
};

std::string twoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

}  // namespace

std::span<const CompanyFieldText> companyFormFields() { return kFields; }

std::string cutCharacters(const std::string& utf8, size_t n) {
  size_t chars = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;  // inside a character
    if (chars == n) return utf8.substr(0, i);
    ++chars;
  }
  return utf8;
}

std::optional<std::string> maskGroupAccount(const std::optional<chart::AccountStructure>& structure,
                                            std::string_view value) {
  const std::string bare = chart::trocaCaracter(value, '.', "");
  if (bare.empty()) return std::string();
  if (!structure || structure->levelCount < 2 || structure->levelCount > chart::kUsedLevels) return std::nullopt;
  const std::string masked = chart::formataConta(*structure, bare);
  const int wanted = chart::tamanhoNivel(*structure, structure->levelCount - 1);
  if (wanted <= 0 || static_cast<int>(masked.size()) != wanted) return std::nullopt;
  return masked;
}

std::optional<std::string> numberingByIdRefusal(const chart::AccountStructure& structure) {
  if (structure.levelCount < 1 || structure.levelCount > chart::kUsedLevels) return std::nullopt;
  const int digits = structure.levelDigits(structure.levelCount);
  if (digits >= 9) return std::nullopt;
  return "Atenção!!! Para controlar as contas de clientes/fornecedores por CNPJ/CPF é necessário ter no "
         "mínimo 9 dígitos no último Grau do seu plano de contas e o plano selecionado tem " +
         std::to_string(digits) + " dígitos.";
}

int historyCode(HistoryItem item) {
  switch (item) {
    case HistoryItem::kSimples: return 9;
    case HistoryItem::kApuracao: return 38;
    case HistoryItem::kMensagem: return 39;
    case HistoryItem::kTipoPlano: return 40;
    case HistoryItem::kCodigoPlano: return 41;
  }
  return 0;
}

const char* historyField(HistoryItem item) {
  switch (item) {
    case HistoryItem::kSimples: return "EMP:SimplesFederal";
    case HistoryItem::kApuracao: return "EMP:TipoApuracao";
    case HistoryItem::kMensagem: return "EMP:CodigoMensagemCTB";
    case HistoryItem::kTipoPlano: return "EMP:PLContas";
    case HistoryItem::kCodigoPlano: return "EMP:CodigoPlanoContas";
  }
  return "";
}

std::string historyQuestion(HistoryItem item, int month, int year) {
  const std::string period = twoDigits(month) + "/" + std::to_string(year);
  switch (item) {
    case HistoryItem::kSimples:
      return "Alteração na opção Simples Federal no mês " + period + ". Deseja salvar esta alteração ?";
    case HistoryItem::kApuracao:
      return "Alteração no tipo de apuração no mês " + period + ". Deseja salvar esta alteração ?";
    case HistoryItem::kMensagem:
      return "Alteração no código da mensagem no mês " + period + ". Deseja salvar esta alteração ?";
    case HistoryItem::kTipoPlano:
      return "Alteração no tipo do plano de contas no mês " + period +
             ". Deseja salvar esta alteração de maneira que os períodos anteriores seja considerado o tipo de "
             "plano de contas anterior?";
    case HistoryItem::kCodigoPlano:
      return "Alteração no código do plano de contas no mês " + period +
             ". Deseja salvar esta alteração de maneira que períodos anteriores seja considerado o código do "
             "plano de contas anterior?";
  }
  return {};
}

std::string historyObservation(HistoryItem item, int64_t v) {
  std::string text;
  switch (item) {
    case HistoryItem::kSimples:
      text = v == 1   ? "1-SIMPLES Normal. Conteúdo anterior"
             : v == 2 ? "2-SIMPLES Escola (Pré-Escola, Creche, Ensino Fundamental). Conteúdo anterior"
                      : "0-Não optante pelo SIMPLES. Conteúdo anterior";
      break;
    case HistoryItem::kApuracao:
      // Three texts for seven regimes: the estimate and the real profit
      // have their own, every other previous regime the last one.
      text = v == 2   ? "1-Extimativa. Conteúdo anterior"
             : v == 3 ? "2-Lucro Real. Conteúdo anterior"
                      : "0-Simples. Conteúdo anterior";
      break;
    case HistoryItem::kMensagem: text = std::to_string(v) + " . Conteúdo anterior"; break;
    case HistoryItem::kTipoPlano:
      text = v == 1   ? "1-Geral. Conteúdo anterior"
             : v == 2 ? "2-Individual. Conteúdo anterior"
                      : std::to_string(v) + ". Conteúdo anterior";
      break;
    case HistoryItem::kCodigoPlano: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%03d", static_cast<int>(v));
      text = std::string(buf) + " . Conteúdo anterior";
      break;
    }
  }
  return cutCharacters(text, 40);  // ALTCONT:OBS holds 40 characters
}

std::optional<int32_t> historyDate(HistoryItem item, int month, int year) {
  const bool january = item == HistoryItem::kTipoPlano || item == HistoryItem::kCodigoPlano;
  return toDayNumber(year, january ? 1 : month, 1);
}

bool historyKeepsObservation(HistoryItem item) {
  return item == HistoryItem::kTipoPlano || item == HistoryItem::kCodigoPlano;
}

std::string historyFollowUp(HistoryItem item, int year) {
  if (item == HistoryItem::kTipoPlano || item == HistoryItem::kCodigoPlano)
    return "Atenção!!!A alteração selecionada é válida a partir de 01/01/" + std::to_string(year) +
           " portanto, se já existem lançamentos efetuados para o período em questão ou posteriores entre em "
           "contato com a Quelma. Para verificar a alteração verifique alterações contratuais.";
  return "Para verificar a alteração verifique alterações contratuais";
}

}  // namespace vorlam::registry
