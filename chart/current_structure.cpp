#include "chart/current_structure.h"

#include "chart/structure_record.h"
#include "storage/table.h"

namespace vorlam::chart {

namespace {

Status missing(uint16_t code) {
  return Status(StatusCode::kNotFound, "A estrutura " + std::to_string(code) + " não existe", "ConfPlanoContas");
}

}  // namespace

Result<AccountStructure> readStructure(const Dictionary& dict, const shell::AppState& state, uint16_t code) {
  const TableDef* def = dict.find("ConfPlanoContas");
  Table t(def);
  if (Status s = t.open(state.pathFor(def->binding), OpenMode::kReadOnly); !s)
    return s.is(StatusCode::kFileNotFound) ? missing(code) : s;
  t.buffer().setInt("Codigo", code);
  if (Status s = t.get(t.def().keyIndex("CONP:KEY:CODIGO")); !s) return s.is(StatusCode::kNotFound) ? missing(code) : s;
  return structureFromRecord(t.buffer());
}

CurrentStructure::CurrentStructure(const Dictionary& dict, const shell::AppState& state)
    : dict_(dict), state_(state) {}

Result<std::string> CurrentStructure::formataConta(std::string_view bareDigits) {
  Result<AccountStructure> s = readStructure(dict_, state_, state_.company().codPlanoContas);
  if (!s.isOk()) {
    loaded_ = AccountStructure();
    if (s.status().is(StatusCode::kNotFound)) return std::string();
    return s.status();
  }
  loaded_ = std::move(s).value();
  return chart::formataConta(loaded_, bareDigits);
}

}  // namespace vorlam::chart
