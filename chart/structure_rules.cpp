#include "chart/structure_rules.h"

namespace vorlam::chart {

const char* structureFormCaption(FormRequest request) {
  switch (request) {
    case FormRequest::kInsert:
      return "Incluindo um Plano de Contas";
    case FormRequest::kChange:
      return "Alterando um Plano de Contas";
    case FormRequest::kDelete:
      return "Excluindo um Plano de Contas";
  }
  return "";
}

bool levelEditable(const AccountStructure& s, int n) {
  return n >= 1 && n <= kUsedLevels && n <= s.levelCount;
}

void applyLevelCount(AccountStructure* s) {
  for (int n = 1; n <= kUsedLevels; ++n) {
    if (!levelEditable(*s, n)) s->setLevelDigits(n, 0);
  }
  applyLevelDigits(s);
}

void applyLevelDigits(AccountStructure* s) { s->mask = buildMask(*s); }

std::optional<uint16_t> findDuplicateLayout(const AccountStructure& edited,
                                            std::span<const AccountStructure> stored) {
  std::optional<uint16_t> found;
  for (const AccountStructure& other : stored) {
    if (other.code == edited.code || other.levelCount != edited.levelCount) continue;
    if (!sameLevelWidths(other, edited)) continue;
    // The form scans in code order, so the lowest code is the one it names.
    if (!found || other.code < *found) found = other.code;
  }
  return found;
}

std::optional<SaveRefusal> structureCodeRefusal(uint32_t code) {
  Status st = checkStructureCode(code);
  if (st.isOk()) return std::nullopt;
  return SaveRefusal{"Atenção!!!", st.message(), MessageIcon::kStop, true, StructureField::kCodigo};
}

SaveRefusal structureInUseRefusal(uint16_t company) {
  return SaveRefusal{"Atenção!!!",
                     "Este Plano de Contas não pode ser excluído: a empresa " + std::to_string(company) +
                         " o utiliza.",
                     MessageIcon::kStop, true, StructureField::kCodigo};
}

std::optional<SaveRefusal> checkStructureSave(const AccountStructure& edited, FormRequest request,
                                              std::span<const AccountStructure> stored) {
  if (digitTotal(edited) >= kDigitTotalLimit) {
    return SaveRefusal{"Atenção",
                       "Esse Plano de Contas não pode ser criado. Entre em contato com a QUELMA "
                       "Informática",
                       MessageIcon::kInformation, false, StructureField::kLevel1};
  }
  if (request == FormRequest::kDelete) return std::nullopt;
  if (std::optional<SaveRefusal> refusal = structureCodeRefusal(edited.code)) return refusal;
  if (edited.levelCount < 1 || edited.levelCount > kStoredLevels) {
    // A structure without levels cannot write any account, and the record
    // holds no more than 13 level widths.
    return SaveRefusal{"Atenção!!!",
                       "O Número de Níveis deve estar entre 1 e " + std::to_string(kStoredLevels) +
                           ".",
                       MessageIcon::kStop, true, StructureField::kNumeroNiveis};
  }
  if (std::optional<uint16_t> other = findDuplicateLayout(edited, stored)) {
    return SaveRefusal{"Atenção!!!",
                       "Atenção!!! O plano " + std::to_string(*other) +
                           " já está cadastrado com a quantidade de níveis informada!!!",
                       MessageIcon::kStop, true, StructureField::kNumeroNiveis};
  }
  return std::nullopt;
}

}  // namespace vorlam::chart
