#include "framework/query_builder.h"

#include <cctype>
#include <optional>
#include <string_view>

#include "framework/filter.h"
#include "storage/date.h"
#include "storage/decimal.h"
#include "storage/text.h"

namespace vorlam {
namespace {

enum class ColumnKind { kText, kNumber, kDate, kDirectDate };

// What one typed value asks for.
struct Typed {
  bool caseless = false;
  std::string op;     // as typed; empty = "="
  bool contains = false;
  bool begins = false;
  std::string text;   // the value proper, UTF-8
};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool startsWithWord(std::string_view s, std::string_view word) {
  if (s.size() < word.size() || !sameName(s.substr(0, word.size()), word)) return false;
  return s.size() == word.size() || !std::isalnum(static_cast<unsigned char>(s[word.size()]));
}

bool takeCaret(std::string_view* s) {
  if (s->empty() || s->front() != '^') return false;
  *s = trimmed(s->substr(1));
  return true;
}

Typed readTyped(std::string_view value) {
  Typed t;
  std::string_view s = trimmed(value);
  t.caseless = takeCaret(&s);
  if (startsWithWord(s, "Diferente")) {
    t.op = "<>";
    s = trimmed(s.substr(9));
  } else {
    size_t n = 0;
    while (n < s.size() && std::string_view("=<>~").find(s[n]) != std::string_view::npos) ++n;
    t.op = std::string(s.substr(0, n));
    s = trimmed(s.substr(n));
  }
  if (takeCaret(&s)) t.caseless = true;
  if (!s.empty() && s.front() == '*') {
    t.contains = true;
    s.remove_prefix(1);
    if (!s.empty() && s.back() == '*') s.remove_suffix(1);
  } else if (!s.empty() && s.back() == '*') {
    t.begins = true;
    s.remove_suffix(1);
  }
  t.text = std::string(s);
  return t;
}

bool knownOperator(const std::string& op) {
  static const char* const kOps[] = {"", "=", "<", ">", "<=", ">=", "<>", "=<", "=>", "~", "~=", "~<", "~>"};
  for (const char* k : kOps)
    if (op == k) return true;
  return false;
}

std::string quoted(std::string_view utf8) {
  std::string out = "'";
  for (char c : utf8) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

std::optional<std::string> plainNumber(std::string_view s) {
  size_t point = s.find_first_of(".,");
  int places = point == std::string_view::npos ? 0 : static_cast<int>(s.size() - point - 1);
  bool digits = false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (std::isdigit(static_cast<unsigned char>(c))) digits = true;
    else if (!((c == '-' || c == '+') && i == 0) && i != point) return std::nullopt;
  }
  auto d = digits && places <= 18 ? Decimal::parse(s, places) : std::nullopt;
  if (!d) return std::nullopt;
  return d->toString();
}

std::string bare(std::string_view picture) {
  picture = trimmed(picture);
  if (!picture.empty() && picture.front() == '@') picture.remove_prefix(1);
  return std::string(picture);
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && sameName(s.substr(0, prefix.size()), prefix);
}

ColumnKind kindOf(const FieldDef& f, const std::string& picture) {
  if (f.isText()) return ColumnKind::kText;
  std::string pic = bare(picture);
  if (!startsWithNoCase(pic, "d")) return ColumnKind::kNumber;
  bool direct = startsWithNoCase(pic, "D4") || startsWithNoCase(pic, "D17") || startsWithNoCase(pic, "D18");
  return direct ? ColumnKind::kDirectDate : ColumnKind::kDate;
}

// A picture goes into FORMAT bare, as the list writes it, unless it holds a
// character that would end a bare picture; then it goes as a quoted text.
std::string pictureOperand(const std::string& picture) {
  std::string pic = "@" + bare(picture);
  int depth = 0;
  for (char c : pic) {
    if (std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == '\'' || (c == ')' && depth-- == 0))
      return quoted(pic);
    if (c == '(') ++depth;
  }
  return pic;
}

// The declared field of `name` ("EMP:Telefone[2]"), or -1.
int resolveField(const TableDef& table, std::string_view name, int* element) {
  *element = 0;
  std::string_view base = trimmed(name);
  size_t open = base.find('[');
  if (open != std::string_view::npos) {
    if (base.back() != ']') return -1;
    std::string_view idx = base.substr(open + 1, base.size() - open - 2);
    if (idx.empty() || idx.size() > 5 || idx.find_first_not_of("0123456789") != std::string_view::npos) return -1;
    *element = std::stoi(std::string(idx)) - 1;
    base = base.substr(0, open);
  }
  size_t colon = base.find(':');
  if (colon != std::string_view::npos && !sameName(base.substr(0, colon), table.prefix)) return -1;
  int f = table.fieldIndex(base);
  if (f < 0) return -1;
  int dim = table.fields[f].dim;
  if (open == std::string_view::npos ? dim > 1 : (*element < 0 || *element >= dim)) return -1;
  return f;
}

Status notFiltered(const QueryColumn& c, const char* why) {
  return Status(StatusCode::kInvalidArgument, why, c.field);
}

std::string caseless(const std::string& operand, bool upper) { return upper ? "UPPER(" + operand + ")" : operand; }

}  // namespace

Result<std::string> queryCondition(const QueryColumn& column, const TableDef& table) {
  if (trimmed(column.value).empty()) return std::string();
  int element = 0;
  int f = resolveField(table, column.field, &element);
  if (f < 0) return notFiltered(column, "coluna sem campo na tabela");
  const FieldDef& def = table.fields[f];
  std::string col = def.name + (def.dim > 1 ? "[" + std::to_string(element + 1) + "]" : "");
  ColumnKind kind = kindOf(def, column.picture);
  Typed t = readTyped(column.value);
  if (!knownOperator(t.op)) return notFiltered(column, "operador inválido");
  bool upper = t.caseless && kind == ColumnKind::kText;
  if (kind == ColumnKind::kDate || ((t.contains || t.begins) && kind == ColumnKind::kDirectDate))
    col = "FORMAT(" + col + "," + pictureOperand(column.picture) + ")";
  if (t.contains || t.begins) {
    if (t.op != "" && t.op != "=" && t.op != "<>") return notFiltered(column, "operador inválido");
    bool negated = t.op == "<>";
    std::string v = quoted(t.text);
    if (t.contains)
      return "INSTRING(" + caseless(v, upper) + "," + caseless(col, upper) + ",1,1) " + (negated ? "= 0" : "<> 0");
    std::string n = std::to_string(utf8ToLatin1(t.text).size());
    std::string head = "SUB(" + (kind == ColumnKind::kText ? "LEFT(" + col + ")" : col) + ",1," + n + ")";
    return caseless(head, upper) + (negated ? " <> " : " = ") + caseless(v, upper);
  }
  std::string op = t.op.empty() ? "=" : t.op;
  std::string value;
  switch (kind) {
    case ColumnKind::kText:
    case ColumnKind::kDate: value = quoted(t.text); break;
    case ColumnKind::kNumber: {
      auto number = plainNumber(t.text);
      if (!number) return notFiltered(column, "valor não numérico");
      value = *number;
      break;
    }
    case ColumnKind::kDirectDate: {
      auto date = parseDate(t.text);
      if (!date) return notFiltered(column, "data inválida");
      value = std::to_string(*date);
      break;
    }
  }
  return caseless(col, upper) + " " + op + " " + caseless(value, upper);
}

QueryMessage filterFailedMessage(const Status& why) {
  return QueryMessage{kMessageFilterFailed, {{"%ErrorText", why.message()}}};
}

QueryFilter buildQueryFilter(const std::vector<QueryColumn>& columns, const TableDef& table) {
  QueryFilter out;
  for (const QueryColumn& c : columns) {
    auto condition = queryCondition(c, table);
    if (!condition) {
      out.messages.push_back(QueryMessage{kMessageColumnNotFiltered, {{"%Field", c.field}}});
      continue;
    }
    if (condition->empty()) continue;
    if (!out.expression.empty()) out.expression += " AND ";
    out.expression += *condition;
  }
  if (!out.expression.empty()) {
    auto compiled = Filter::compile(out.expression, table);
    if (!compiled) {
      out.messages.push_back(filterFailedMessage(compiled.status()));
      out.expression.clear();
    }
  }
  return out;
}

}  // namespace vorlam
