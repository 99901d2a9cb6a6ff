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

void reportWrite(const ScreenContext& context, const Record& record, WriteKind kind) {
  if (context.writes == nullptr) return;
  const TableDef& def = record.def();
  std::string key;
  const int primary = def.primaryKey();
  if (primary >= 0) {
    for (const KeyComponent& c : def.keys[size_t(primary)].components) {
      if (!key.empty()) key += ' ';
      key += latin1ToUtf8(record.getAsText(c.field));
    }
  } else {
    key = std::to_string(record.recordId());
  }
  context.writes->written(def.label, kind, key);
}

}  // namespace vorlam
