#include "chart/structure_record.h"

#include <string>

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

}  // namespace vorlam::chart
