// The integration reference codes of `Contas_Integracao_Contabil`
// (`CIC:CODIGO_REFERENCIA`) and the text of each, as the integration list
// of the company form ("Imposto", cut to 50 characters) and the tax
// integration form show them.  Codes 1-12 are the accounts used when
// instalments are settled, 13-30 the provision and payment of taxes.
//
// Constant data; safe from any thread.
#pragma once

#include <array>
#include <string_view>

namespace vorlam::registry {

inline constexpr int kFirstIntegrationReference = 1;
inline constexpr int kLastIntegrationReference = 30;

inline constexpr std::array<std::string_view, 30> kIntegrationReferences = {
    "(BAIXA) Valor da Duplicata de entrada",
    "(BAIXA) Desconto da Duplicata de entrada",
    "(BAIXA) Multa da Duplicata de entrada",
    "(BAIXA) Juros da Duplicata de entrada",
    "(BAIXA) Valor da Duplicata de saída",
    "(BAIXA) Desconto da Duplicata de saída",
    "(BAIXA) Multa da Duplicata de saída",
    "(BAIXA) Juros da Duplicata de saída",
    "(BAIXA) Valor da Duplicata de serviço",
    "(BAIXA) Desconto da Duplicata de serviço",
    "(BAIXA) Multa da Duplicata de serviço",
    "(BAIXA) Juros da Duplicata de serviço",
    "(PROVISÃO) Valor do imposto ICMS",
    "(PAGAMENTO) Valor do imposto ICMS",
    "(PROVISÃO) Valor do imposto IPI",
    "(PAGAMENTO) Valor do imposto IPI",
    "(PROVISÃO) Valor do imposto Simples Federal",
    "(PAGAMENTO) Valor do imposto Simples Federal",
    "(PROVISÃO) Valor do imposto Simples Estadual",
    "(PAGAMENTO) Valor do imposto Simples Estadual",
    "(PROVISÃO) Valor do imposto PIS",
    "(PAGAMENTO) Valor do imposto PIS",
    "(PROVISÃO) Valor do imposto Cofins",
    "(PAGAMENTO) Valor do imposto Cofins",
    "(PROVISÃO) Valor do imposto Contribuição Social",
    "(PAGAMENTO) Valor do imposto Contribuição Social",
    "(PROVISÃO) Valor do imposto IRPJ",
    "(PAGAMENTO) Valor do imposto IRPJ",
    "(PROVISÃO) Valor do imposto Substituição Tributária",
    "(PAGAMENTO) Valor do imposto Substituição Tributária",
};

// The text of reference `code` (UTF-8); empty outside 1-30.
inline std::string_view integrationReferenceText(int code) {
  if (code < kFirstIntegrationReference || code > kLastIntegrationReference) return {};
  return kIntegrationReferences[size_t(code - 1)];
}

}  // namespace vorlam::registry
