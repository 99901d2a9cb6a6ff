#include "framework/picture.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <optional>
#include <vector>

#include "storage/date.h"
#include "storage/text.h"

namespace vorlam {
namespace {

Status refuse(std::string message) { return Status(StatusCode::kInvalidArgument, std::move(message)); }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string_view clipRight(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool allDigits(std::string_view s) { return std::all_of(s.begin(), s.end(), isDigit); }
char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The characters of a UTF-8 text, one string each.
std::vector<std::string> utf8Chars(std::string_view s) {
  std::vector<std::string> out;
  for (size_t i = 0; i < s.size();) {
    size_t n = 1;
    while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
    out.emplace_back(s.substr(i, n));
    i += n;
  }
  return out;
}

size_t utf8Length(std::string_view s) { return utf8Chars(s).size(); }

bool isLetter(const std::string& utf8Char) {
  std::string l = utf8ToLatin1(utf8Char);
  if (l.size() != 1) return false;
  unsigned char c = static_cast<unsigned char>(l[0]);
  if (std::isalpha(c)) return true;
  return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

std::string upperUtf8(std::string_view s) { return latin1ToUtf8(upperLatin1(utf8ToLatin1(s))); }

// Reads a "123" or "-12.5" stored-notation number; blank is zero.
std::optional<Decimal> plainNumber(std::string_view text) {
  text = trimBlanks(text);
  if (text.empty()) return Decimal();
  size_t point = text.find_first_of(".,");
  int places = point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
  if (places > 18) return std::nullopt;
  return Decimal::parse(text, places);
}

std::optional<Decimal> asDecimal(const PictureValue& v) {
  if (auto* i = std::get_if<int64_t>(&v)) return Decimal::fromInteger(*i);
  if (auto* d = std::get_if<Decimal>(&v)) return *d;
  if (auto* s = std::get_if<std::string>(&v)) return plainNumber(*s);
  if (auto* d = std::get_if<DayNumber>(&v)) return Decimal::fromInteger(d->value);
  return Decimal::fromInteger(std::get<TimeOfDay>(v).value);
}

std::string plainText(const PictureValue& v) {
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  if (auto* i = std::get_if<int64_t>(&v)) return std::to_string(*i);
  if (auto* d = std::get_if<Decimal>(&v)) return d->toString();
  if (auto* d = std::get_if<DayNumber>(&v)) return std::to_string(d->value);
  return std::to_string(std::get<TimeOfDay>(v).value);
}

// A whole number as the picture value of the requested type.
Result<PictureValue> wholeAs(int64_t n, ValueType type) {
  switch (type) {
    case ValueType::kDecimal: return PictureValue(Decimal::fromInteger(n));
    case ValueType::kText: return PictureValue(std::to_string(n));
    case ValueType::kDate:
    case ValueType::kTime:
      // Day numbers and times are 32-bit: a wider number is refused, never
      // cut to another value.
      if (n < INT32_MIN || n > INT32_MAX) return refuse("Número grande demais: " + std::to_string(n));
      if (type == ValueType::kDate) return PictureValue(DayNumber{static_cast<int32_t>(n)});
      return PictureValue(TimeOfDay{static_cast<int32_t>(n)});
    case ValueType::kInteger: break;
  }
  return PictureValue(n);
}

std::string hashes(size_t n) { return std::string(std::max<size_t>(n, 1), '#'); }

// Reads "N" at s[i...]; -1 when there are no digits.
int readCount(std::string_view s, size_t& i) {
  if (i >= s.size() || !isDigit(s[i])) return -1;
  int n = 0;
  while (i < s.size() && isDigit(s[i]) && n < 100000) n = n * 10 + (s[i++] - '0');
  return n;
}

}  // namespace

Result<Picture> Picture::compile(std::string_view picture) {
  std::string_view s = trimBlanks(picture);
  Status bad = refuse("Máscara inválida: \"" + std::string(picture) + "\"");
  size_t i = (!s.empty() && s[0] == '@') ? 1 : 0;
  if (i >= s.size()) return bad;
  Picture p;
  p.text_ = std::string(s);
  char c = lower(s[i++]);
  auto blankSuffix = [&] {
    if (i < s.size() && lower(s[i]) == 'b') {
      p.blankZero_ = true;
      ++i;
    }
  };
  switch (c) {
    case 's':
      p.kind_ = Kind::kText;
      p.width_ = readCount(s, i);
      if (p.width_ <= 0) return bad;
      break;
    case 'n':
      p.kind_ = Kind::kNumber;
      if (i < s.size() && s[i] == '-') p.minus_ = true, ++i;
      if (i < s.size() && s[i] == '0') p.zeroFill_ = true, ++i;
      p.width_ = std::max(readCount(s, i), 0);
      if (i < s.size() && s[i] == '.' && !(i + 1 < s.size() && isDigit(s[i + 1]))) ++i;  // "." = group marker
      if (i < s.size() && s[i] == '.') {
        ++i;
        p.places_ = readCount(s, i);
        if (p.places_ < 0 || p.places_ > 18) return bad;
      }
      blankSuffix();
      break;
    case 'p':
    case 'k': {
      p.kind_ = c == 'p' ? Kind::kPattern : Kind::kKeyIn;
      size_t end = s.size();
      if (c == 'p' && end >= 2 && lower(s[end - 1]) == 'b' && lower(s[end - 2]) == 'p') p.blankZero_ = true, --end;
      if (end <= i || lower(s[end - 1]) != c) return bad;
      p.body_ = std::string(s.substr(i, end - 1 - i));
      if (p.body_.empty()) return bad;
      p.width_ = static_cast<int>(utf8Length(p.body_));
      i = s.size();
      break;
    }
    case 'd': {
      p.kind_ = Kind::kDate;
      int n = readCount(s, i);
      if (n != 6 && n != 17) return refuse("Máscara de data não suportada: \"" + std::string(picture) + "\"");
      p.width_ = 10;
      blankSuffix();
      break;
    }
    case 't': {
      p.kind_ = Kind::kTime;
      if (readCount(s, i) != 8) return refuse("Máscara de hora não suportada: \"" + std::string(picture) + "\"");
      p.width_ = 8;
      blankSuffix();
      break;
    }
    default: return bad;
  }
  if (i != s.size()) return bad;
  return p;
}

int Picture::width() const { return width_; }

ValueType Picture::naturalType() const {
  switch (kind_) {
    case Kind::kText:
    case Kind::kKeyIn: return ValueType::kText;
    case Kind::kNumber: return places_ > 0 ? ValueType::kDecimal : ValueType::kInteger;
    case Kind::kPattern: return ValueType::kInteger;
    case Kind::kDate: return ValueType::kDate;
    case Kind::kTime: return ValueType::kTime;
  }
  return ValueType::kText;
}

Result<std::string> Picture::format(const PictureValue& value) const {
  switch (kind_) {
    case Kind::kNumber: return formatNumber(value);
    case Kind::kPattern: return formatPattern(value);
    case Kind::kDate: return formatDate(value);
    case Kind::kTime: return formatTime(value);
    case Kind::kText:
    case Kind::kKeyIn: return formatText(value);
  }
  return std::string();
}

// `value` already has places_ decimals.  Signs are always shown: a negative
// stored in a field whose picture has no '-' must not read as positive.
std::string Picture::numberText(const Decimal& value) const {
  uint64_t units = value.units() < 0 ? 0 - static_cast<uint64_t>(value.units()) : value.units();
  std::string digits = std::to_string(units);
  if (digits.size() < static_cast<size_t>(places_) + 1) digits.insert(0, places_ + 1 - digits.size(), '0');
  std::string whole = digits.substr(0, digits.size() - places_);
  if (!zeroFill_)
    for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3) whole.insert(at, ".");
  std::string body = places_ > 0 ? whole + "," + digits.substr(digits.size() - places_) : whole;
  bool negative = value.units() < 0;
  if (zeroFill_ && width_ > 0) {
    size_t used = body.size() + (negative ? 1 : 0);
    if (used < static_cast<size_t>(width_)) body.insert(0, width_ - used, '0');
  }
  return negative ? "-" + body : body;
}

Result<std::string> Picture::formatNumber(const PictureValue& value) const {
  std::optional<Decimal> d = asDecimal(value);
  if (!d) return refuse("Valor não numérico: \"" + plainText(value) + "\"");
  if (blankZero_ && d->isZero()) return std::string(width_, ' ');
  std::optional<Decimal> scaled = d->rescaled(places_);
  if (!scaled) return hashes(width_);
  std::string text = numberText(*scaled);
  if (width_ == 0) return text;
  if (text.size() > static_cast<size_t>(width_)) return hashes(width_);
  return std::string(width_ - text.size(), ' ') + text;
}

Result<std::string> Picture::formatPattern(const PictureValue& value) const {
  std::string digits;
  if (auto* s = std::get_if<std::string>(&value)) {
    std::string_view t = trimBlanks(*s);
    if (!allDigits(t)) return refuse("Valor não numérico: \"" + *s + "\"");
    digits = std::string(t);
  } else {
    std::optional<Decimal> d = asDecimal(value);
    std::optional<Decimal> whole = d ? d->rescaled(0) : std::nullopt;
    if (!whole || whole->isNegative()) return hashes(width_);
    digits = std::to_string(whole->units());
  }
  size_t first = digits.find_first_not_of('0');
  digits = first == std::string::npos ? "" : digits.substr(first);
  size_t slots = std::count_if(body_.begin(), body_.end(), [](char c) { return c == '#' || c == '<'; });
  if (digits.size() > slots) return hashes(width_);
  if (blankZero_ && digits.empty()) return std::string(width_, ' ');
  digits.insert(0, slots - digits.size(), '0');
  std::string out;
  size_t k = 0;
  bool significant = false;
  for (char c : body_) {
    if (c != '#' && c != '<') {
      out += c;
      continue;
    }
    char d = digits[k++];
    significant = significant || d != '0';
    out += (c == '<' && !significant) ? ' ' : d;
  }
  return out;
}

Result<std::string> Picture::formatDate(const PictureValue& value) const {
  std::optional<Decimal> d = asDecimal(value);
  if (!d || d->places() != 0) return refuse("Data inválida: \"" + plainText(value) + "\"");
  int64_t day = d->units();
  if (day == 0) return blankZero_ ? std::string(10, ' ') : std::string("00/00/0000");
  if (day < 0 || day > 3000000) return hashes(10);
  return vorlam::formatDate(static_cast<int32_t>(day));
}

Result<std::string> Picture::formatTime(const PictureValue& value) const {
  std::optional<Decimal> d = asDecimal(value);
  if (!d || d->places() != 0) return refuse("Hora inválida: \"" + plainText(value) + "\"");
  int64_t t = d->units();
  if (t == 0) return std::string(8, ' ');
  if (t < 0 || t > 100LL * 360000) return hashes(8);
  --t;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(t / 360000), static_cast<int>(t / 6000 % 60),
                static_cast<int>(t / 100 % 60));
  return std::string(buf);
}

Result<std::string> Picture::formatText(const PictureValue& value) const {
  std::vector<std::string> chars = utf8Chars(plainText(value));
  std::string out;
  if (kind_ == Kind::kText) {
    for (size_t i = 0; i < chars.size() && i < static_cast<size_t>(width_); ++i) out += chars[i];
  } else {
    size_t k = 0;
    for (const std::string& pos : utf8Chars(body_)) {
      if (pos != "^" && pos != "#" && pos != "?") {
        out += pos;
      } else if (k < chars.size()) {
        out += pos == "^" ? upperUtf8(chars[k++]) : chars[k++];
      } else {
        out += ' ';
      }
    }
  }
  return std::string(clipRight(out));
}

Result<PictureValue> Picture::parse(std::string_view typed, ValueType type) const {
  switch (kind_) {
    case Kind::kNumber: return parseNumber(typed, type);
    case Kind::kPattern: return parsePattern(typed, type);
    case Kind::kKeyIn: return parseKeyIn(typed);
    case Kind::kText: return parseText(typed);
    case Kind::kDate: {
      std::string_view t = trimBlanks(typed);
      std::optional<int32_t> day = parseDate(t);
      if (!day) return refuse("Data inválida: \"" + std::string(t) + "\". Informe a data como dd/mm/aaaa.");
      if (type == ValueType::kInteger) return PictureValue(int64_t{*day});
      return PictureValue(DayNumber{*day});
    }
    case Kind::kTime: {
      std::string_view t = trimBlanks(typed);
      Status bad = refuse("Hora inválida: \"" + std::string(t) + "\". Informe a hora como hh:mm:ss.");
      if (t.empty()) return PictureValue(TimeOfDay{0});
      std::string digits;
      std::vector<int> parts;
      for (char c : std::string(t) + ":") {
        if (isDigit(c)) {
          digits += c;
        } else if (c == ':' && !digits.empty() && digits.size() <= 2) {
          parts.push_back(std::stoi(digits));
          digits.clear();
        } else if (c == ':' && parts.empty() && (digits.size() == 4 || digits.size() == 6)) {
          for (size_t i = 0; i < digits.size(); i += 2) parts.push_back(std::stoi(digits.substr(i, 2)));
          digits.clear();
        } else {
          return bad;
        }
      }
      if (parts.size() < 2 || parts.size() > 3) return bad;
      int h = parts[0], m = parts[1], s = parts.size() == 3 ? parts[2] : 0;
      if (h > 23 || m > 59 || s > 59) return bad;
      int32_t v = ((h * 60 + m) * 60 + s) * 100 + 1;
      if (type == ValueType::kInteger) return PictureValue(int64_t{v});
      return PictureValue(TimeOfDay{v});
    }
  }
  return refuse("Máscara inválida");
}

Result<PictureValue> Picture::parseNumber(std::string_view typed, ValueType type) const {
  std::string_view t = trimBlanks(typed);
  const std::string shown = "\"" + std::string(t) + "\"";
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t = trimBlanks(t.substr(1));
  } else if (!t.empty() && t.back() == '-') {
    negative = true;
    t = trimBlanks(t.substr(0, t.size() - 1));
  }
  if (negative && !minus_) return refuse("Este campo não aceita valores negativos.");
  // A sign alone is no number (blank text is zero, a lone "-" is not).
  if (t.empty() && trimBlanks(typed).size() > 0) return refuse("Número inválido: " + shown);
  size_t comma = t.find(',');
  std::string_view whole = t.substr(0, comma);
  std::string_view fraction = comma == std::string_view::npos ? std::string_view() : t.substr(comma + 1);
  if (comma != std::string_view::npos && whole.empty() && fraction.empty()) return refuse("Número inválido: " + shown);
  if (!allDigits(fraction)) return refuse("Número inválido: " + shown);
  std::string digits;
  if (whole.find('.') != std::string_view::npos) {
    // Dots group thousands: 1 to 3 digits, then groups of exactly three.
    std::vector<std::string_view> groups;
    for (size_t start = 0;;) {
      size_t dot = whole.find('.', start);
      groups.push_back(whole.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
      if (dot == std::string_view::npos) break;
      start = dot + 1;
    }
    for (size_t g = 0; g < groups.size(); ++g) {
      size_t n = groups[g].size();
      if (!allDigits(groups[g]) || (g == 0 ? (n < 1 || n > 3) : n != 3))
        return refuse("Número inválido: " + shown + ". Use \",\" para separar os decimais e \".\" para os milhares.");
      digits += groups[g];
    }
  } else {
    if (!allDigits(whole)) return refuse("Número inválido: " + shown);
    digits = std::string(whole);
  }
  if (fraction.size() > static_cast<size_t>(places_)) {
    if (places_ == 0) return refuse("Este campo não aceita casas decimais.");
    return refuse("Este campo aceita no máximo " + std::to_string(places_) + " casas decimais.");
  }
  std::string plain = (digits.empty() ? "0" : digits) + (fraction.empty() ? "" : "." + std::string(fraction));
  std::optional<Decimal> d = Decimal::parse(plain, places_);
  if (!d) return refuse("Número grande demais: " + shown);
  if (negative) *d = d->negated();
  if (width_ > 0 && numberText(*d).size() > static_cast<size_t>(width_))
    return refuse("O valor " + shown + " não cabe no campo (" + std::to_string(width_) + " posições).");
  switch (type) {
    case ValueType::kDecimal: return PictureValue(*d);
    case ValueType::kText: return PictureValue(d->toString());
    default: {
      std::optional<Decimal> w = d->rescaled(0);
      if (!w || !(*w == *d)) return refuse("Este campo não aceita casas decimais.");
      return wholeAs(w->units(), type);
    }
  }
}

Result<PictureValue> Picture::parsePattern(std::string_view typed, ValueType type) const {
  std::string_view t = trimBlanks(typed);
  const std::string shown = "\"" + std::string(t) + "\"";
  size_t slots = std::count_if(body_.begin(), body_.end(), [](char c) { return c == '#' || c == '<'; });
  std::string digits;
  std::string_view raw = clipRight(typed);
  bool shaped = raw.size() == body_.size();
  for (size_t i = 0; shaped && i < body_.size(); ++i) {
    char b = body_[i], c = raw[i];
    if (b == '#' || b == '<') {
      if (isDigit(c)) digits += c;
      else if (b == '<' && c == ' ') digits += '0';
      else shaped = false;
    } else if (b != c) {
      shaped = false;
    }
  }
  if (!shaped) {
    // Typed without the picture's own characters, or with only some of them.
    digits.clear();
    for (char c : t) {
      if (isDigit(c)) digits += c;
      else if (c == ' ' || (c != '#' && c != '<' && body_.find(c) != std::string::npos)) continue;
      else return refuse("Caractere inválido " + shown + ": este campo aceita somente dígitos.");
    }
  }
  size_t first = digits.find_first_not_of('0');
  std::string significant = first == std::string::npos ? "" : digits.substr(first);
  if (significant.size() > slots)
    return refuse("O valor " + shown + " tem dígitos demais (máximo " + std::to_string(slots) + ").");
  if (type == ValueType::kText) {
    if (t.empty()) return PictureValue(std::string());
    return PictureValue(std::string(slots - significant.size(), '0') + significant);
  }
  if (significant.size() > 18) return refuse("Número grande demais: " + shown);
  return wholeAs(significant.empty() ? 0 : std::stoll(significant), type);
}

Result<PictureValue> Picture::parseKeyIn(std::string_view typed) const {
  std::vector<std::string> chars = utf8Chars(clipRight(typed));
  std::string out;
  size_t k = 0;
  for (const std::string& pos : utf8Chars(body_)) {
    if (k >= chars.size()) break;
    if (pos != "^" && pos != "#" && pos != "?") {
      if (chars[k] == pos) ++k;  // the picture's own character, typed along
      continue;
    }
    const std::string& c = chars[k++];
    if (pos == "^" && c != " " && !isLetter(c)) return refuse("Informe somente letras: \"" + c + "\" não é letra.");
    if (pos == "#" && !(c.size() == 1 && (isDigit(c[0]) || c[0] == ' ')))
      return refuse("Informe somente dígitos: \"" + c + "\" não é dígito.");
    out += pos == "^" ? upperUtf8(c) : c;
  }
  if (k < chars.size())
    return refuse("O texto \"" + std::string(clipRight(typed)) + "\" é mais longo que o campo.");
  if (latin1ToUtf8(utf8ToLatin1(out)) != out)
    return refuse("O texto contém caracteres que o arquivo não pode guardar.");
  return PictureValue(std::string(clipRight(out)));
}

Result<PictureValue> Picture::parseText(std::string_view typed) const {
  std::string_view t = clipRight(typed);
  if (utf8Length(t) > static_cast<size_t>(width_))
    return refuse("O texto tem mais de " + std::to_string(width_) + " caracteres.");
  if (latin1ToUtf8(utf8ToLatin1(t)) != t) return refuse("O texto contém caracteres que o arquivo não pode guardar.");
  return PictureValue(std::string(t));
}

Result<std::string> formatPicture(std::string_view picture, const PictureValue& value) {
  Result<Picture> p = Picture::compile(picture);
  if (!p) return p.status();
  return p->format(value);
}

std::string plainValueText(const PictureValue& v) {
  if (auto* i = std::get_if<int64_t>(&v)) return std::to_string(*i);
  if (auto* d = std::get_if<Decimal>(&v)) return d->toString();
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  if (auto* d = std::get_if<DayNumber>(&v)) return std::to_string(d->value);
  return std::to_string(std::get<TimeOfDay>(v).value);
}

}  // namespace vorlam
