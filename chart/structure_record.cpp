#include "chart/structure_record.h"

#include <string>

#include "shell/company_files.h"
#include "storage/text.h"

namespace vorlam::chart {

namespace {

// The code key of the original or of the alias: the file's first key.
constexpr int kCodeKey = 0;

}  // namespace

AccountStructure structureFromRecord(const Record& r) {
  AccountStructure s;
  s.code = static_cast<uint16_t>(r.getInt("Codigo"));
  s.name = latin1ToUtf8(r.getText("Nome"));
  s.levelCount = static_cast<uint8_t>(r.getInt("Graus"));
  for (int n = 1; n <= kStoredLevels; ++n)
    s.setLevelDigits(n, static_cast<uint8_t>(r.getInt("G" + std::to_string(n))));
  s.mask = latin1ToUtf8(r.getText("Formato"));
  s.operatorType = static_cast<uint8_t>(r.getInt("TipoOperadora"));
  s.referentialChart = static_cast<uint8_t>(r.getInt("CodPlanoReferencial"));
  return s;
}

Result<std::vector<AccountStructure>> readStructures(Table& table) {
  std::vector<AccountStructure> out;
  Status s = table.seekStart(kCodeKey);
  while (s) {
    s = table.next();
    if (s) out.push_back(structureFromRecord(table.buffer()));
  }
  table.endWalk();
  if (!s.is(StatusCode::kNotFound)) return s;
  return out;
}

Result<uint32_t> highestStructureCode(Table& table) {
  Status s = table.seekEnd(kCodeKey);
  if (s) s = table.previous();
  table.endWalk();
  if (s.is(StatusCode::kNotFound)) return uint32_t{0};
  if (!s) return s;
  return static_cast<uint32_t>(table.buffer().getInt("Codigo"));
}

namespace {

// Walks `table` in file order and keeps the lowest company code of the rows
// `uses` accepts; a table that is not open holds none.
template <typename Pred>
Status lowestUser(Table& table, const char* companyField, Pred uses, uint16_t* lowest) {
  if (!table.isOpen()) return Status::ok();
  Status s = table.seekStart(kFileOrder);
  while (s) {
    s = table.next();
    if (!s || !uses(table.buffer())) continue;
    const auto company = static_cast<uint16_t>(table.buffer().getInt(companyField));
    if (*lowest == 0 || company < *lowest) *lowest = company;
  }
  table.endWalk();
  return s.is(StatusCode::kNotFound) ? Status::ok() : s;
}

}  // namespace

Result<uint16_t> companyUsingStructure(Table& empresa, Table& history, uint16_t code) {
  uint16_t lowest = 0;
  Status s = lowestUser(
      empresa, "EMP:Codigo", [code](const Record& r) { return r.getInt("CodigoPlanoContas") == code; },
      &lowest);
  if (!s) return s;
  s = lowestUser(
      history, "ALTCONT:CODIGO",
      [code](const Record& r) {
        return r.getInt("CODALT") == shell::kChangeCodigoPlano && shell::numberFromText(r.getText("OBS")) == code;
      },
      &lowest);
  if (!s) return s;
  return lowest;
}

}  // namespace vorlam::chart
