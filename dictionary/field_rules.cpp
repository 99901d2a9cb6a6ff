#include "dictionary/field_rules.h"

#include <optional>

#include "storage/decimal.h"
#include "storage/text.h"

namespace vorlam {
namespace {

// A numeric field's value as an exact decimal (integers at 0 places).
Decimal numericValue(const Record& record, int field, int element) {
  if (record.def().fields[field].isDecimal()) return record.getDecimal(field, element);
  return Decimal::fromInteger(record.getInt(field, element));
}

// Compares the field's value with a bound written as text: numbers
// numerically, texts with the key comparison.  nullopt when the bound is not
// a number for a numeric field (a broken rule never fails a value).
std::optional<int> compareWithBound(const Record& record, int field, int element, const std::string& bound) {
  const FieldDef& f = record.def().fields[field];
  if (f.isText()) {
    int c = compareText(record.getText(field, element), utf8ToLatin1(bound));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  Decimal value = numericValue(record, field, element);
  std::optional<Decimal> b = Decimal::parse(bound, value.places());
  if (!b) return std::nullopt;
  auto order = value <=> *b;
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

FieldCheck failure(const FieldRule& rule, int message, std::string detail) {
  FieldCheck c;
  c.valid = false;
  c.message = message;
  c.field = rule.field;
  c.name = rule.description;
  c.detail = std::move(detail);
  return c;
}

}  // namespace

std::string ruleValueText(const Record& record, int field, int element) {
  const FieldDef& f = record.def().fields[field];
  if (f.isText()) return latin1ToUtf8(record.getText(field, element));
  if (!f.isDecimal()) return std::to_string(record.getInt(field, element));
  std::string s = record.getDecimal(field, element).toString();
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string listText(const FieldRule& rule) {
  std::string list;
  for (const auto& v : rule.values) list += "]" + v + "[";
  return list;
}

FieldCheck checkField(const Record& record, int field, int element) {
  FieldCheck ok;
  ok.field = field;
  const TableDef& def = record.def();
  if (field < 0 || field >= static_cast<int>(def.fields.size())) return ok;
  if (element < 0 || element >= def.fields[field].dim) return ok;
  const FieldRule* rule = def.ruleFor(field);
  if (rule == nullptr) return ok;
  switch (rule->kind) {
    case RuleKind::kInList: {
      std::string probe = "]" + ruleValueText(record, field, element) + "[";
      if (listText(*rule).find(probe) == std::string::npos)
        return failure(*rule, kMsgNotInList, rule->choiceText);
      return ok;
    }
    case RuleKind::kRange: {
      auto low = compareWithBound(record, field, element, rule->low);
      auto high = compareWithBound(record, field, element, rule->high);
      if ((low && *low < 0) || (high && *high > 0))
        return failure(*rule, kMsgNotInRange, rule->low + " .. " + rule->high);
      return ok;
    }
    case RuleKind::kUpperLimit: {
      auto high = compareWithBound(record, field, element, rule->high);
      if (high && *high > 0) return failure(*rule, kMsgAboveLimit, rule->high);
      return ok;
    }
  }
  return ok;
}

FieldCheck checkRecord(const Record& record) {
  const TableDef& def = record.def();
  for (const auto& rule : def.rules) {
    for (int e = 0; e < def.fields[rule.field].dim; ++e) {
      FieldCheck c = checkField(record, rule.field, e);
      if (!c.valid) return c;
    }
  }
  FieldCheck ok;
  return ok;
}

}  // namespace vorlam
