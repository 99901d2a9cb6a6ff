#include "sampledata/record_writer.h"

#include "dictionary/field_rules.h"
#include "storage/text.h"

namespace vorlam::sampledata {

RecordWriter::RecordWriter(const TableDef* def) : table_(def) {}

RecordWriter::~RecordWriter() {
  if (table_.isOpen()) {
    if (table_.inBulk()) table_.flush();
    table_.close();
  }
}

void RecordWriter::keep(Status s) {
  if (status_.isOk() && !s.isOk()) status_ = std::move(s);
}

Status RecordWriter::open(const std::string& path, bool allowExisting) {
  keep(table_.open(path, OpenMode::kShared));
  if (!status_) return status_;
  if (!allowExisting) {
    Result<int64_t> n = table_.count();
    if (!n.isOk()) {
      keep(n.status());
    } else if (*n > 0) {
      keep(Status(StatusCode::kInvalidArgument,
                  "o arquivo já contém registros; gere os dados de exemplo num diretório vazio",
                  path));
    }
  }
  if (status_) keep(table_.beginBulk());
  return status_;
}

void RecordWriter::begin() { table_.buffer().clear(); }

int RecordWriter::field(std::string_view name) {
  // Generators set the same few names on every record: remember them, the
  // declaration's own look-up ignores case and prefixes and is far slower.
  if (auto it = fieldCache_.find(name); it != fieldCache_.end()) return it->second;
  int f = table_.def().fieldIndex(name);
  fieldCache_.emplace(std::string(name), f);
  if (f < 0)
    keep(Status(StatusCode::kInvalidArgument, "campo desconhecido", std::string(name)));
  return f;
}

void RecordWriter::setIntAt(int f, int64_t value, int element) {
  if (f >= 0) keep(table_.buffer().setInt(f, value, element));
}

void RecordWriter::setTextAt(int f, std::string_view latin1, int element) {
  if (f >= 0) keep(table_.buffer().setText(f, latin1, element));
}

void RecordWriter::setUnitsAt(int f, int64_t units, int element) {
  if (f < 0) return;
  keep(table_.buffer().setDecimal(
      f, Decimal::fromUnits(units, table_.def().fields[f].typeSpec.places), element));
}

void RecordWriter::setInt(std::string_view name, int64_t value, int element) {
  setIntAt(field(name), value, element);
}

void RecordWriter::setText(std::string_view name, std::string_view utf8, int element) {
  setTextAt(field(name), utf8ToLatin1(utf8), element);
}

void RecordWriter::setUnits(std::string_view name, int64_t units, int element) {
  setUnitsAt(field(name), units, element);
}

void RecordWriter::setDecimal(std::string_view name, const Decimal& value, int element) {
  int f = field(name);
  if (f >= 0) keep(table_.buffer().setDecimal(f, value, element));
}

Status RecordWriter::write() {
  if (!status_) return status_;
  if (!satisfyRules(table_.buffer())) {
    FieldCheck c = checkRecord(table_.buffer());
    keep(Status(StatusCode::kInvalidArgument, "registro gerado fora das regras do campo",
                table_.def().label + " " + c.name));
    return status_;
  }
  keep(table_.append());
  if (status_) ++written_;
  return status_;
}

Status RecordWriter::finish() {
  if (table_.isOpen()) {
    if (table_.inBulk()) keep(table_.flush());
    table_.close();
  }
  return status_;
}

bool satisfyRules(Record& record) {
  const TableDef& def = record.def();
  for (const FieldRule& rule : def.rules) {
    for (int e = 0; e < def.fields[rule.field].dim; ++e) {
      if (checkField(record, rule.field, e).valid) continue;
      std::string value;
      switch (rule.kind) {
        case RuleKind::kInList: value = rule.values.empty() ? "" : rule.values.front(); break;
        case RuleKind::kRange: value = rule.low; break;
        case RuleKind::kUpperLimit: value = "0"; break;
      }
      record.setFromText(rule.field, utf8ToLatin1(value), e);
      if (!checkField(record, rule.field, e).valid) return false;
    }
  }
  return true;
}

}  // namespace vorlam::sampledata
