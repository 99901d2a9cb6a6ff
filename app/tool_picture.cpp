// vorlam-tool format / parse: the display pictures seen from the command line.
#include <ostream>

#include "app/tool_commands.h"
#include "framework/picture.h"

namespace vorlam::tool {
namespace {

constexpr const char* kFormatHelp =
    "Uso: vorlam-tool format MÁSCARA VALOR\n"
    "Mostra VALOR como a MÁSCARA o exibe.  VALOR é escrito como é gravado:\n"
    "  número inteiro (1234), número decimal com \".\" (-1234.5), texto, ou o\n"
    "  número do dia para máscaras de data (@d06, D17) e o valor gravado da hora\n"
    "  (centésimos desde a meia-noite mais um) para T8.\n"
    "Números ficam alinhados à direita na largura da máscara.\n"
    "Exemplos: vorlam-tool format @n-15.2 -1234.5     ->       -1.234,50\n"
    "          vorlam-tool format @p####-#/##p 4711500 -> 4711-5/00\n";

constexpr const char* kParseHelp =
    "Uso: vorlam-tool parse [--text] MÁSCARA TEXTO\n"
    "Mostra o valor gravado que digitar TEXTO no campo com a MÁSCARA produz, na\n"
    "mesma notação de 'format' (decimais com \".\", datas como número do dia).\n"
    "--text  para máscaras de dígitos (@p...p): grava os dígitos como texto,\n"
    "        com os zeros à esquerda (campos como o CNPJ).\n"
    "Um texto que a máscara não aceita é recusado com saída 2.\n"
    "Exemplo: vorlam-tool parse @n-15.2 \"1.234,5\"      -> 1234.50\n";

bool wantsHelp(const Args& args) {
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

// VALOR in stored notation, read as the picture's kind of value.
Result<PictureValue> storedValue(const Picture& picture, const std::string& text) {
  Status bad(StatusCode::kInvalidArgument, "valor inválido para a máscara " + picture.text() + ": \"" + text +
                                               "\" (escreva o valor como é gravado: decimais com \".\")");
  switch (picture.kind()) {
    case Picture::Kind::kText:
    case Picture::Kind::kKeyIn: return PictureValue(text);
    case Picture::Kind::kPattern:
      if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) return PictureValue(text);
      [[fallthrough]];
    default: {
      size_t point = text.find('.');
      int places = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
      if (text.find(',') != std::string::npos || places > 18) return bad;
      std::optional<Decimal> d = Decimal::parse(text, places);
      if (!d) return bad;
      if (places > 0 || picture.kind() == Picture::Kind::kNumber) return PictureValue(*d);
      if (picture.kind() == Picture::Kind::kDate) return PictureValue(DayNumber{static_cast<int32_t>(d->units())});
      if (picture.kind() == Picture::Kind::kTime) return PictureValue(TimeOfDay{static_cast<int32_t>(d->units())});
      return PictureValue(d->units());
    }
  }
}


}  // namespace

int runFormat(const Args& args, std::ostream& out, std::ostream& err) {
  if (wantsHelp(args)) {
    out << kFormatHelp;
    return 0;
  }
  if (args.size() != 2) {
    err << "vorlam-tool format: esperados MÁSCARA e VALOR, recebidos " << args.size() << " argumento(s)\n"
        << kFormatHelp;
    return 2;
  }
  Result<Picture> picture = Picture::compile(args[0]);
  if (!picture) {
    err << "vorlam-tool format: " << picture.status().message() << "\n";
    return 2;
  }
  Result<PictureValue> value = storedValue(*picture, args[1]);
  Result<std::string> shown = value ? picture->format(*value) : Result<std::string>(value.status());
  if (!shown) {
    err << "vorlam-tool format: " << shown.status().message() << "\n";
    return 2;
  }
  out << *shown << "\n";
  return 0;
}

int runParse(const Args& args, std::ostream& out, std::ostream& err) {
  if (wantsHelp(args)) {
    out << kParseHelp;
    return 0;
  }
  Args rest = args;
  bool asText = !rest.empty() && rest[0] == "--text";
  if (asText) rest.erase(rest.begin());
  if (rest.size() != 2) {
    err << "vorlam-tool parse: esperados MÁSCARA e TEXTO, recebidos " << rest.size() << " argumento(s)\n"
        << kParseHelp;
    return 2;
  }
  Result<Picture> picture = Picture::compile(rest[0]);
  if (!picture) {
    err << "vorlam-tool parse: " << picture.status().message() << "\n";
    return 2;
  }
  ValueType type = picture->naturalType();
  if (asText && picture->kind() == Picture::Kind::kPattern) type = ValueType::kText;
  Result<PictureValue> value = picture->parse(rest[1], type);
  if (!value) {
    err << "vorlam-tool parse: " << value.status().message() << "\n";
    return 2;
  }
  out << plainValueText(*value) << "\n";
  return 0;
}

}  // namespace vorlam::tool
