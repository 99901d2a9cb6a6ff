#include "framework/screen_context.h"

#include "storage/text.h"

namespace vorlam {

ProcedureScope::ProcedureScope(ErrorManager& errors, std::string_view procedure) : errors_(errors) {
  // A screen without a procedure name has nothing to report; pushing an
  // empty name would hide the caller's name from %Procedure.
  if (!procedure.empty()) {
    errors_.pushProcedure(procedure);
    pushed_ = true;
  }
}

ProcedureScope::~ProcedureScope() {
  if (pushed_) errors_.popProcedure();
}

std::string_view writeKindName(WriteKind kind) {
  switch (kind) {
    case WriteKind::kInsert: return "insert";
    case WriteKind::kChange: return "change";
    case WriteKind::kDelete: return "delete";
  }
  return "";
}

std::vector<std::string> primaryKeyTexts(const Record& record) {
  const TableDef& def = record.def();
  const int primary = def.primaryKey();
  if (primary < 0) return {std::to_string(record.recordId())};
  std::vector<std::string> values;
  for (const KeyComponent& c : def.keys[size_t(primary)].components)
    values.push_back(latin1ToUtf8(record.getAsText(c.field)));
  return values;
}

void reportWrite(const ScreenContext& context, const Record& record, WriteKind kind) {
  reportWrite(context.writes, record, kind);
}

void reportWrite(WriteListener* writes, const Record& record, WriteKind kind) {
  if (writes == nullptr) return;
  std::string key;
  for (const std::string& v : primaryKeyTexts(record)) {
    if (!key.empty()) key += ' ';
    key += v;
  }
  writes->written(record.def().label, kind, key);
}

}  // namespace vorlam
