#include "registry/taxpayer_numbers.h"

#include "framework/picture.h"

namespace vorlam::registry {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isAsciiLetter(char c) { return isUpperLetter(c) || (c >= 'a' && c <= 'z'); }

bool allDigits(std::string_view s) {
  for (char c : s)
    if (!isDigit(c)) return false;
  return true;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Weighted sum of the positions of `s`, each counting as its character code
// minus 48 (a digit as itself, 'A' as 17).
int weightedSum(std::string_view s, const int* weights) {
  int sum = 0;
  for (size_t i = 0; i < s.size(); ++i) sum += (s[i] - '0') * weights[i];
  return sum;
}

// 0 when the remainder is below 2, else 11 - remainder.  (The CPF and PIS
// rule, "11 - remainder, 0 when that is 10 or 11", gives the same digit.)
char checkDigit(int sum) {
  int r = sum % 11;
  return static_cast<char>('0' + (r < 2 ? 0 : 11 - r));
}

// A digits-only text read as a number and written with leading zeros to
// `width`; empty when the number needs more digits than that.
std::string asNumber(std::string_view digits, size_t width) {
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  if (digits.size() > width) return {};
  return std::string(width - digits.size(), '0') + std::string(digits);
}

struct Kind {
  const char* title;
  size_t width;
  size_t checkDigits;
  const char* malformed;  // why a text that is no number is refused
  std::string (*digits)(std::string_view base);
};

const Kind kCnpj = {kCnpjTitle, kCnpjWidth, 2,
                    "Número inválido: o CNPJ tem 14 posições, as 12 primeiras letras maiúsculas "
                    "(A a Z) ou dígitos e as 2 últimas dígitos.",
                    cnpjCheckDigits};
const Kind kCpf = {kCpfTitle, kCpfWidth, 2, "Número inválido: o CPF tem no máximo 11 dígitos, sem letras.",
                   cpfCheckDigits};
const Kind kPis = {kPisTitle, kPisWidth, 1, "Número inválido: o PIS tem no máximo 11 dígitos, sem letras.",
                   pisCheckDigit};

TaxpayerCheck refused(const Kind& kind, std::string text, std::string probable = {}) {
  TaxpayerCheck c;
  c.title = kind.title;
  c.text = std::move(text);
  c.probable = std::move(probable);
  return c;
}

// Compares the check digits of a normalised number with those its base gives.
TaxpayerCheck compare(const Kind& kind, std::string number) {
  const size_t base = kind.width - kind.checkDigits;
  std::string probable = kind.digits(std::string_view(number).substr(0, base));
  if (number.compare(base, std::string::npos, probable) != 0)
    return refused(kind, kProbableDigitText + probable, probable);
  TaxpayerCheck c;
  c.valid = true;
  c.number = std::move(number);
  c.probable = std::move(probable);
  return c;
}

TaxpayerCheck validateDigits(const Kind& kind, std::string_view text) {
  text = trimBlanks(text);
  if (!allDigits(text)) return refused(kind, kind.malformed);
  std::string number = asNumber(text, kind.width);
  if (number.empty()) return refused(kind, kind.malformed);
  return compare(kind, std::move(number));
}

std::string formatWith(std::string_view picture, std::string_view digits) {
  Result<std::string> shown = formatPicture(picture, std::string(digits.empty() ? "0" : digits));
  return shown.isOk() ? shown.value() : std::string(digits);
}

// Typed digits through the field's picture, then leading zeros to `width`.
Result<std::string> parseDigits(std::string_view typed, std::string_view picture, size_t width) {
  Result<Picture> p = Picture::compile(picture);
  if (!p.isOk()) return p.status();
  Result<PictureValue> v = p->parse(typed, ValueType::kText);
  if (!v.isOk()) return v.status();
  std::string number = asNumber(std::get<std::string>(v.value()), width);
  if (number.empty())
    return Status(StatusCode::kInvalidArgument,
                  "O valor \"" + std::string(typed) + "\" tem dígitos demais (máximo " +
                      std::to_string(width) + ").");
  return number;
}

}  // namespace

MessageBoxRequest TaxpayerCheck::message() const {
  MessageBoxRequest r;
  r.title = title;
  r.text = text;
  r.icon = MessageIcon::kInformation;
  r.buttons = kButtonOk;
  r.defaultButton = kButtonOk;
  return r;
}

std::string cnpjCheckDigits(std::string_view first12) {
  if (first12.size() != 12) return {};
  for (char c : first12)
    if (!isDigit(c) && !isUpperLetter(c)) return {};
  static const int kW1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int kW2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  std::string s(first12);
  s += checkDigit(weightedSum(s, kW1));
  s += checkDigit(weightedSum(s, kW2));
  return s.substr(12);
}

std::string cpfCheckDigits(std::string_view first9) {
  if (first9.size() != 9 || !allDigits(first9)) return {};
  static const int kW1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int kW2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
  std::string s(first9);
  s += checkDigit(weightedSum(s, kW1));
  s += checkDigit(weightedSum(s, kW2));
  return s.substr(9);
}

std::string pisCheckDigit(std::string_view first10) {
  if (first10.size() != 10 || !allDigits(first10)) return {};
  static const int kW[] = {3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  return std::string(1, checkDigit(weightedSum(first10, kW)));
}

bool isAlphanumericCnpj(std::string_view stored) {
  for (char c : stored)
    if (isAsciiLetter(c)) return true;
  return false;
}

TaxpayerCheck ValidaCNPJ(std::string_view text) {
  text = trimBlanks(text);
  if (!isAlphanumericCnpj(text)) return validateDigits(kCnpj, text);
  // An alphanumeric number is taken as it stands: 12 letters or digits and
  // two positions compared with the computed check digits.
  if (text.size() != kCnpjWidth) return refused(kCnpj, kCnpj.malformed);
  for (char c : text)
    if (!isDigit(c) && !isUpperLetter(c)) return refused(kCnpj, kCnpj.malformed);
  return compare(kCnpj, std::string(text));
}

TaxpayerCheck ValidaCPF(std::string_view text) { return validateDigits(kCpf, text); }

TaxpayerCheck ValidaPIS(std::string_view text) {
  std::string_view t = trimBlanks(text);
  if (allDigits(t) && t.find_first_not_of('0') == std::string_view::npos) {
    TaxpayerCheck c;  // no PIS: nothing to check
    c.valid = true;
    c.number.assign(kPisWidth, '0');
    return c;
  }
  return validateDigits(kPis, t);
}

std::string formatCnpj(std::string_view stored, std::string_view picture) {
  stored = trimBlanks(stored);
  if (!isAlphanumericCnpj(stored)) return formatWith(picture, stored);
  // Positions of the pattern filled left to right; the letters are what the
  // digit pattern cannot show.
  std::string_view body = picture;
  if (!body.empty() && body.front() == '@') body.remove_prefix(1);
  if (body.size() >= 2) body = body.substr(1, body.find_last_of("pP") - 1);
  std::string out;
  size_t next = 0;
  for (char c : body) {
    if (c == '#' || c == '<')
      out += next < stored.size() ? stored[next++] : ' ';
    else
      out += c;
  }
  return out;
}

std::string formatCpf(std::string_view stored, std::string_view picture) {
  return formatWith(picture, trimBlanks(stored));
}

std::string formatPis(std::string_view stored) { return formatWith(kPisPicture, trimBlanks(stored)); }

Result<std::string> parseCnpj(std::string_view typed) {
  if (!isAlphanumericCnpj(typed)) return parseDigits(typed, kCnpjPicture, kCnpjWidth);
  std::string number;
  for (char c : typed) {
    if (c == '.' || c == '/' || c == '-' || c == ' ') continue;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!isDigit(c) && !isUpperLetter(c))
      return Status(StatusCode::kInvalidArgument,
                    "Caractere inválido \"" + std::string(typed) +
                        "\": o CNPJ aceita somente letras e dígitos.");
    number += c;
  }
  if (number.size() != kCnpjWidth)
    return Status(StatusCode::kInvalidArgument,
                  "O CNPJ \"" + std::string(typed) + "\" com letras deve ter 14 posições.");
  if (!isDigit(number[12]) || !isDigit(number[13]))
    return Status(StatusCode::kInvalidArgument,
                  "Os dígitos verificadores do CNPJ \"" + std::string(typed) +
                      "\" devem ser numéricos.");
  return number;
}

Result<std::string> parseCpf(std::string_view typed) { return parseDigits(typed, kCpfPicture, kCpfWidth); }

Result<std::string> parsePis(std::string_view typed) { return parseDigits(typed, kPisPicture, kPisWidth); }

}  // namespace vorlam::registry
