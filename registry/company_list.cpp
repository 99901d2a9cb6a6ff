#include "registry/company_list.h"

namespace vorlam::registry {

namespace {

constexpr const char* kColumns[] = {
    "EMP:Codigo",      "Emp:RazaoSocial", "EMP:CGC", "EMP:CPF",        "EMP:Endereco", "EMP:Numero",
    "EMP:Complemento", "EMP:Bairro",      "EMP:Cidade", "EMP:UF",      "EMP:CEP",      "EMP:PaginaWeb",
    "EMP:EMail",       "EMP:DDD",         "EMP:Fone", "EMP:Fax",
};

constexpr const char* kLocatorPrompts[] = {"Pesquisa por Código:", "Pesquisa por Razão Social:",
                                           "Parte da Razão Social:"};

}  // namespace

const char kCompanyListFormat[] =
    "28R(2)|M~Código~C(0)@n6@"
    "160L(2)|M~Razão Social~@s40@"
    "76C(2)|M~C.N.P.J.~@p##.###.###/####-##pb@"
    "60C(2)|M~C.P.F.~@p###.###.###-##pb@"
    "160L(2)|M~Endereço~@s40@"
    "28R(2)|M~Número~C(0)@n6@"
    "100L(2)|M~Complemento~@s25@"
    "100L(2)|M~Bairro~@s25@"
    "100L(2)|M~Cidade~@s25@"
    "16C(2)|M~UF~@k^^k@"
    "40C(2)|M~CEP~@p##.###-###pb@"
    "120L(2)|M~Pagina Web~@s30@"
    "120L(2)|M~E-Mail~@s30@"
    "24C(2)|M~DDD~@p<###pb@"
    "40C(2)|M~Fone~@p<###-####pb@"
    "40C(2)|M~Fax~@p<###-####pb@";

std::span<const char* const> companyListColumns() { return kColumns; }

std::span<const char* const> companyListLocatorPrompts() { return kLocatorPrompts; }

const ListDefinition& companyListDefinition() {
  static const ListDefinition kDefinition = [] {
    ListDefinition d;
    d.procedure = kCompanyListProcedure;
    d.title = kCompanyListTitle;
    d.tabs.push_back({"&Código", "EMP:KEY:CODIGO", "EMP:Codigo", "", 0, ""});
    d.tabs.push_back({"&Razão Social", "EMP:KEY:RAZAOSOCIAL", "Emp:RazaoSocial", "", 0, ""});
    d.tabs.push_back({"&Parte da  Razão Social", "EMP:KEY:RAZAOSOCIAL", "", kPartNameVariable, kPartNameWidth,
                      kPartNameFilter});
    return d;
  }();
  return kDefinition;
}

CompanyListButtonText companyListButton(CompanyListButton button, bool selecting) {
  switch (button) {
    case CompanyListButton::kInsert: return {"&Incluir", ""};
    case CompanyListButton::kChange: return {"Al&terar", selecting ? "" : "Altera Registro Selecionado"};
    case CompanyListButton::kDelete: return {"&Excluir", ""};
    case CompanyListButton::kSelect: return {"&Seleciona", ""};
    case CompanyListButton::kHelp: return {"&Ajuda", ""};
    case CompanyListButton::kClose: return {"&Fechar", ""};
    case CompanyListButton::kFilter: return {"F&iltra", ""};
    case CompanyListButton::kClearFilter: return {"&Limp. Filtro", ""};
  }
  return {};
}

std::string companyListHelp(bool selecting) {
  std::string text =
      "As empresas cadastradas, por código, por razão social ou pela parte da razão social digitada.|"
      "Filtra monta um filtro pelas colunas; Limp. Filtro volta a mostrar todas as empresas.";
  if (selecting) text += "|Escolha a empresa e confirme com Seleciona (ou Enter).";
  return text;
}

}  // namespace vorlam::registry
