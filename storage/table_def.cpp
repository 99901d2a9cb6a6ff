#include "storage/table_def.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "storage/decimal.h"

namespace vorlam {
namespace {

std::string_view stripPrefix(std::string_view name, std::string_view prefix) {
  if (name.size() > prefix.size() && name[prefix.size()] == ':' &&
      sameName(name.substr(0, prefix.size()), prefix))
    return name.substr(prefix.size() + 1);
  return name;
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int FieldDef::elementWidth() const {
  switch (typeSpec.type) {
    case FieldType::kByte: return 1;
    case FieldType::kShort:
    case FieldType::kUShort: return 2;
    case FieldType::kLong:
    case FieldType::kULong: return 4;
    case FieldType::kDecimal: return typeSpec.size / 2 + 1;
    case FieldType::kString: return typeSpec.size;
  }
  return 0;
}

int64_t FieldDef::minValue() const {
  switch (typeSpec.type) {
    case FieldType::kByte:
    case FieldType::kUShort:
    case FieldType::kULong: return 0;
    case FieldType::kShort: return -32768;
    case FieldType::kLong: return INT32_MIN;
    case FieldType::kDecimal: return -(pow10i(typeSpec.size) - 1);
    case FieldType::kString: return 0;
  }
  return 0;
}

int64_t FieldDef::maxValue() const {
  switch (typeSpec.type) {
    case FieldType::kByte: return 255;
    case FieldType::kShort: return 32767;
    case FieldType::kUShort: return 65535;
    case FieldType::kLong: return INT32_MAX;
    case FieldType::kULong: return UINT32_MAX;
    case FieldType::kDecimal: return pow10i(typeSpec.size) - 1;
    case FieldType::kString: return 0;
  }
  return 0;
}

std::string FieldDef::typeText() const {
  std::string t;
  switch (typeSpec.type) {
    case FieldType::kByte: t = "BYTE"; break;
    case FieldType::kShort: t = "SHORT"; break;
    case FieldType::kUShort: t = "USHORT"; break;
    case FieldType::kLong: t = "LONG"; break;
    case FieldType::kULong: t = "ULONG"; break;
    case FieldType::kDecimal:
      t = "DECIMAL(" + std::to_string(typeSpec.size) + "," + std::to_string(typeSpec.places) + ")";
      break;
    case FieldType::kString: t = "STRING(" + std::to_string(typeSpec.size) + ")"; break;
  }
  if (dim > 1) t += " \xC3\x97" + std::to_string(dim);
  return t;
}

std::string KeyDef::attributesText() const {
  std::string s = unique ? "unique" : "duplicates";
  if (primary) s += ", primary";
  // The order of the dictionary's key tables: "duplicates, excludes empty,
  // case-insensitive".
  if (excludeEmpty) s += ", excludes empty";
  if (noCase) s += ", case-insensitive";
  if (dynamic) s += ", dynamic index";
  if (autoNumber > 0) s += ", auto-numbered component " + std::to_string(autoNumber);
  return s;
}

int TableDef::recordSize() const {
  int n = 0;
  for (const auto& f : fields) n += f.width();
  return n;
}

int TableDef::columnCount() const {
  int n = 0;
  for (const auto& f : fields) n += f.dim;
  return n;
}

int TableDef::fieldIndex(std::string_view name) const {
  std::string_view bare = stripPrefix(name, prefix);
  for (size_t i = 0; i < fields.size(); ++i) {
    std::string_view own = stripPrefix(fields[i].name, prefix);
    if (sameName(own, bare) || sameName(fields[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

int TableDef::keyIndex(std::string_view name) const {
  for (size_t i = 0; i < keys.size(); ++i) {
    if (sameName(keys[i].name, name)) return static_cast<int>(i);
    std::string_view own = stripPrefix(keys[i].name, prefix);
    if (sameName(own, name) || sameName(stripPrefix(own, "KEY"), name)) return static_cast<int>(i);
  }
  return -1;
}

int TableDef::primaryKey() const {
  for (size_t i = 0; i < keys.size(); ++i)
    if (keys[i].primary) return static_cast<int>(i);
  return -1;
}

std::string TableDef::baseName(int field) const {
  return std::string(stripPrefix(fields[field].name, prefix));
}

const FieldRule* TableDef::ruleFor(int field) const {
  for (const auto& r : rules)
    if (r.field == field) return &r;
  return nullptr;
}

void TableDef::finish() {
  int offset = 0, column = 0;
  for (auto& f : fields) {
    f.offset = offset;
    f.column = column;
    offset += f.width();
    column += f.dim;
  }
}

TableBuilder::TableBuilder(std::string label, std::string prefix, std::string binding) {
  def_.label = std::move(label);
  def_.prefix = std::move(prefix);
  def_.binding = std::move(binding);
}

TableBuilder& TableBuilder::version(int v) {
  def_.version = v;
  return *this;
}

TableBuilder& TableBuilder::field(std::string name, TypeSpec typeSpec, int dim) {
  def_.fields.push_back(FieldDef{std::move(name), typeSpec, dim < 1 ? 1 : dim, 0, 0});
  return *this;
}

TableBuilder& TableBuilder::key(std::string name, std::initializer_list<const char*> components, unsigned flags,
                                std::string description, int autoNumber) {
  KeyDef k;
  k.name = std::move(name);
  for (const char* c : components) {
    std::string_view s(c);
    bool desc = !s.empty() && s[0] == '-';
    if (desc) s.remove_prefix(1);
    int f = def_.fieldIndex(s);
    if (f < 0) throw std::logic_error("key " + k.name + ": unknown field " + std::string(s));
    k.components.push_back({f, desc});
  }
  k.unique = (flags & kUnique) != 0;
  k.primary = (flags & kPrimary) != 0;
  k.excludeEmpty = (flags & kExcludeEmpty) != 0;
  k.dynamic = (flags & kDynamic) != 0;
  k.autoNumber = autoNumber;
  k.description = description.empty() ? k.name : std::move(description);
  def_.keys.push_back(std::move(k));
  return *this;
}

TableBuilder& TableBuilder::inList(const char* field, std::vector<std::string> values, std::string description,
                                   std::string choiceText) {
  int f = def_.fieldIndex(field);
  if (f < 0) throw std::logic_error("rule: unknown field " + std::string(field));
  FieldRule r;
  r.field = f;
  r.kind = RuleKind::kInList;
  r.values = std::move(values);
  r.description = std::move(description);
  r.choiceText = std::move(choiceText);
  def_.rules.push_back(std::move(r));
  return *this;
}

TableBuilder& TableBuilder::range(const char* field, std::string low, std::string high, std::string description) {
  int f = def_.fieldIndex(field);
  if (f < 0) throw std::logic_error("rule: unknown field " + std::string(field));
  FieldRule r;
  r.field = f;
  r.kind = RuleKind::kRange;
  r.low = std::move(low);
  r.high = std::move(high);
  r.description = std::move(description);
  def_.rules.push_back(std::move(r));
  return *this;
}

TableBuilder& TableBuilder::upperLimit(const char* field, std::string high, std::string description) {
  int f = def_.fieldIndex(field);
  if (f < 0) throw std::logic_error("rule: unknown field " + std::string(field));
  FieldRule r;
  r.field = f;
  r.kind = RuleKind::kUpperLimit;
  r.high = std::move(high);
  r.description = std::move(description);
  def_.rules.push_back(std::move(r));
  return *this;
}

TableDef TableBuilder::build() {
  def_.finish();
  return std::move(def_);
}

TableDef makeAlias(const TableDef& original, std::string label, std::string prefix) {
  TableDef a = original;
  a.copies = original.label;
  for (auto& f : a.fields) f.name = prefix + ":" + std::string(stripPrefix(f.name, original.prefix));
  for (auto& k : a.keys) {
    bool described = k.description != k.name;
    k.name = prefix + ":" + std::string(stripPrefix(k.name, original.prefix));
    if (!described) k.description = k.name;
  }
  a.label = std::move(label);
  a.prefix = std::move(prefix);
  return a;
}

}  // namespace vorlam
