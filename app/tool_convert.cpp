// vorlam-tool convert-account: converts account codes from one account-code
// structure to another, as the chart-of-accounts adjustment does.

#include <algorithm>
#include <charconv>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/tool_commands.h"
#include "chart/account_conversion.h"
#include "chart/account_structure.h"
#include "storage/text.h"

namespace vorlam::tool {

namespace {

constexpr const char* kUsage =
    "Uso: vorlam-tool convert-account --from W1,W2,... --to W1,W2,... CÓDIGO...\n"
    "\n"
    "Converte códigos de conta da estrutura de origem para a nova estrutura,\n"
    "nível a nível, como o ajuste do plano de contas: cada nível mantém seu\n"
    "número e recebe zeros à esquerda quando cresce. Imprime um código\n"
    "convertido por linha, sem brancos à direita. As palavras FORNECEDOR e\n"
    "CLIENTE (em qualquer caixa) são impressas como estão.\n"
    "\n"
    "Opções:\n"
    "  --from W1,W2,...  dígitos de cada nível da estrutura de origem\n"
    "                    (o número de níveis é o número de valores)\n"
    "  --to W1,W2,...    dígitos de cada nível da nova estrutura\n"
    "  --help            mostra esta ajuda\n"
    "\n"
    "Exemplo: vorlam-tool convert-account --from 1,1,1,2,4 --to 1,1,1,2,6 1.1.1.01.0001\n"
    "         imprime 1.1.1.01.000001\n"
    "\n"
    "Saída: 0 sucesso; 2 uso incorreto, código com mais de 40 caracteres ou\n"
    "par de estruturas que a conversão não aceita (motivo na saída de erros).\n";

constexpr const char* kPrefix = "vorlam-tool convert-account: ";

// Parses "1,1,1,2,4" into a structure whose level count is the number of
// values.  Returns false on an empty list or a value outside 0..255.
bool parseWidths(std::string_view text, chart::AccountStructure* s) {
  *s = chart::AccountStructure{};
  if (text.empty()) return false;
  size_t count = 0;
  while (true) {
    const size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    unsigned value = 0;
    auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (item.empty() || ec != std::errc() || end != item.data() + item.size() || value > 255) {
      return false;
    }
    if (count < s->digits.size()) s->digits[count] = static_cast<uint8_t>(value);
    ++count;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  // Counts the conversion cannot take are kept so that its check names them.
  s->levelCount = static_cast<uint8_t>(std::min<size_t>(count, 255));
  return true;
}

struct Options {
  std::string from;
  std::string to;
  bool haveFrom = false;
  bool haveTo = false;
  bool help = false;
  std::vector<std::string> codes;
};

bool parseOptions(const Args& args, Options* opt, std::ostream& err) {
  bool codesOnly = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (codesOnly || a.empty() || a[0] != '-') {
      opt->codes.push_back(a);
    } else if (a == "--") {
      codesOnly = true;
    } else if (a == "--help" || a == "-h") {
      opt->help = true;
    } else if (OptionMatch m = takeOption(args, &i, "--from", &opt->from); m != OptionMatch::kOther) {
      if (m == OptionMatch::kMissingValue) {
        err << kPrefix << "falta o valor de --from\n";
        return false;
      }
      opt->haveFrom = true;
    } else if (OptionMatch m = takeOption(args, &i, "--to", &opt->to); m != OptionMatch::kOther) {
      if (m == OptionMatch::kMissingValue) {
        err << kPrefix << "falta o valor de --to\n";
        return false;
      }
      opt->haveTo = true;
    } else {
      err << kPrefix << "opção desconhecida: " << a << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int runConvertAccount(const Args& args, std::ostream& out, std::ostream& err) {
  Options opt;
  if (!parseOptions(args, &opt, err)) {
    err << "Veja vorlam-tool convert-account --help\n";
    return 2;
  }
  if (opt.help) {
    out << kUsage;
    return 0;
  }
  if (!opt.haveFrom || !opt.haveTo || opt.codes.empty()) {
    err << kPrefix << "informe --from, --to e ao menos um código\n" << kUsage;
    return 2;
  }
  chart::AccountStructure from;
  chart::AccountStructure to;
  if (!parseWidths(opt.from, &from) || !parseWidths(opt.to, &to)) {
    err << kPrefix << "dígitos por nível inválidos: use números de 0 a 255 separados por vírgula\n";
    return 2;
  }
  Result<chart::ConversionPlan> plan = chart::ConversionPlan::make(from, to);
  if (!plan.isOk()) {
    err << kPrefix << plan.status().message() << "\n";
    return 2;
  }
  // Check every code before printing any, so a refused run prints nothing.
  std::vector<std::string> codes;
  codes.reserve(opt.codes.size());
  for (const std::string& code : opt.codes) {
    std::string text = utf8ToLatin1(code);
    if (text.size() > chart::kAccountCodeLength) {
      err << kPrefix << "código com mais de 40 caracteres: " << code << "\n";
      return 2;
    }
    codes.push_back(std::move(text));
  }
  std::string converted;
  for (const std::string& code : codes) {
    plan->convert(code, &converted);
    out << latin1ToUtf8(clipText(converted)) << "\n";
  }
  return 0;
}

}  // namespace vorlam::tool
