// Table declarations: the record layout, keys, field rules and relations of
// one table, as plain data.
//
// A TableDef is built once (the dictionary builds every table of the suite at
// start-up) and is immutable afterwards, so it may be shared by every thread.
// Names are case-insensitive; a field may be named with or without its
// table's prefix ("PLA:Codigo" or "Codigo").
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlam {

enum class FieldType { kByte, kShort, kUShort, kLong, kULong, kDecimal, kString };

// Type part of a field declaration: STRING(n), DECIMAL(d,p) or an integer.
struct TypeSpec {
  FieldType type = FieldType::kByte;
  int size = 0;    // characters of a STRING, digits of a DECIMAL
  int places = 0;  // decimal places of a DECIMAL
};
constexpr TypeSpec kBYTE{FieldType::kByte, 0, 0};
constexpr TypeSpec kSHORT{FieldType::kShort, 0, 0};
constexpr TypeSpec kUSHORT{FieldType::kUShort, 0, 0};
constexpr TypeSpec kLONG{FieldType::kLong, 0, 0};
constexpr TypeSpec kULONG{FieldType::kULong, 0, 0};
constexpr TypeSpec STRING(int n) { return {FieldType::kString, n, 0}; }
constexpr TypeSpec DECIMAL(int d, int p) { return {FieldType::kDecimal, d, p}; }

struct FieldDef {
  std::string name;  // declared name, prefix included: "PLA:Codigo"
  TypeSpec typeSpec;
  int dim = 1;       // number of array elements (1 = not an array)
  int offset = 0;    // byte offset in the record (computed)
  int column = 0;    // first storage column of the field (computed)

  FieldType type() const { return typeSpec.type; }
  bool isText() const { return typeSpec.type == FieldType::kString; }
  bool isDecimal() const { return typeSpec.type == FieldType::kDecimal; }
  // Bytes of one element and of the whole field.
  int elementWidth() const;
  int width() const { return elementWidth() * dim; }
  // Smallest and largest value of an integer element (decimals: in units).
  int64_t minValue() const;
  int64_t maxValue() const;
  // "BYTE", "DECIMAL(7,2)", "STRING(40)", with " ×N" for arrays.
  std::string typeText() const;
};

struct KeyComponent {
  int field = 0;  // index into TableDef::fields
  bool descending = false;
};

struct KeyDef {
  std::string name;
  std::vector<KeyComponent> components;
  bool unique = false;
  bool primary = false;
  bool noCase = true;
  bool excludeEmpty = false;
  bool dynamic = false;
  int autoNumber = 0;  // 1-based number of the auto-numbered component, 0 = none
  std::string description;  // UTF-8; the key's name when the dictionary gives none

  // "unique, primary, case-insensitive, auto-numbered component 1".
  std::string attributesText() const;
};

enum class RuleKind { kInList, kRange, kUpperLimit };

struct FieldRule {
  int field = 0;
  RuleKind kind = RuleKind::kInList;
  std::vector<std::string> values;  // kInList: allowed values as text (UTF-8)
  std::string low, high;            // kRange: bounds; kUpperLimit: high
  std::string description;          // %Field of the message (UTF-8)
  std::string choiceText;           // %Message of message 17 (UTF-8)
};

struct TableDef {
  std::string label;    // "PlanoContas"
  std::string prefix;   // "PLA"
  std::string binding;  // name of the file-name variable; empty = never bound
  std::string copies;   // label of the table an alias copies; empty otherwise
  int version = 1;      // layout version registered for upgrades
  std::vector<FieldDef> fields;
  std::vector<KeyDef> keys;
  std::vector<FieldRule> rules;

  int recordSize() const;
  int columnCount() const;
  // Index of a field by name, with or without prefix; -1 when unknown.
  int fieldIndex(std::string_view name) const;
  // Index of a key by name, with or without prefix; -1 when unknown.
  int keyIndex(std::string_view name) const;
  int primaryKey() const;  // -1 when none
  // Field name without the table prefix ("Codigo").
  std::string baseName(int field) const;
  const FieldRule* ruleFor(int field) const;
  // Fills offsets and storage columns; called by the builder.
  void finish();
};

// Fluent construction of a TableDef in the dictionary's source:
//   TableBuilder("Setor", "SET", "Setor")
//       .field("SET:CodigoDepartamento", kUSHORT)
//       .key("SET:KEY:CODIGO", {"SET:CodigoDepartamento", "SET:Codigo"},
//            kUnique | kPrimary, "", 2)
//       .build();
enum KeyFlags : unsigned {
  kDuplicates = 0,
  kUnique = 1,
  kPrimary = 2,
  kExcludeEmpty = 4,
  kDynamic = 8,
};
class TableBuilder {
 public:
  TableBuilder(std::string label, std::string prefix, std::string binding);
  TableBuilder& version(int v);
  TableBuilder& field(std::string name, TypeSpec typeSpec, int dim = 1);
  // Components name fields; a leading "-" marks a descending component.
  TableBuilder& key(std::string name, std::initializer_list<const char*> components, unsigned flags,
                    std::string description = {}, int autoNumber = 0);
  TableBuilder& inList(const char* field, std::vector<std::string> values, std::string description,
                       std::string choiceText);
  TableBuilder& range(const char* field, std::string low, std::string high, std::string description);
  TableBuilder& upperLimit(const char* field, std::string high, std::string description);
  TableDef build();

 private:
  TableDef def_;
};

// An alias: the same layout, keys and binding under another label and prefix.
TableDef makeAlias(const TableDef& original, std::string label, std::string prefix);

// Case-insensitive ASCII equality of names.
bool sameName(std::string_view a, std::string_view b);

}  // namespace vorlam
