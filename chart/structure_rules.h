// Rules of the account-code structure form ("Configuração do Plano de
// Contas"), free of any screen: which level fields are editable, how the
// levels and the mask follow the level count, and whether a save request is
// accepted.  The screen applies the outcome (message box, focus, sound).
// All functions are pure and thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "chart/account_structure.h"

namespace vorlam::chart {

enum class FormRequest { kInsert, kChange, kDelete };

// Window caption of the form for a request: "Incluindo um Plano de Contas",
// "Alterando um Plano de Contas", "Excluindo um Plano de Contas".
const char* structureFormCaption(FormRequest request);

// True when the field of level n (1..9) is enabled: n is at most the level
// count ("Número de Níveis").
bool levelEditable(const AccountStructure& s, int n);

// What the form does when it opens and when "Número de Níveis" is accepted:
// levels 1..9 beyond the level count are set to 0 and the mask is rebuilt.
// Levels 10 to 13 are carried unchanged.
void applyLevelCount(AccountStructure* s);

// What the form does when the digits of a level are accepted: rebuilds the
// mask.
void applyLevelDigits(AccountStructure* s);

// The stored structure with the lowest code that differs from `edited`'s code
// and has the same level count and the same digits for levels 1 to 9 (name,
// levels 10 to 13 and the other fields take no part); nullopt when none.
std::optional<uint16_t> findDuplicateLayout(const AccountStructure& edited,
                                            std::span<const AccountStructure> stored);

enum class StructureField { kCodigo, kNumeroNiveis, kLevel1 };
enum class MessageIcon { kInformation, kStop };

// Why a save was refused, and how the form shows it.
struct SaveRefusal {
  std::string title;
  std::string message;
  MessageIcon icon = MessageIcon::kStop;
  bool errorSound = false;       // play the system error sound first
  StructureField focus = StructureField::kLevel1;  // field focused afterwards
};

// The refusal of a structure code above 999 (it cannot be written in the
// three digits of chart file names and history rows), focused on "Código";
// nullopt for 0 .. 999.
std::optional<SaveRefusal> structureCodeRefusal(uint32_t code);

// The refusal of deleting a structure that company `company` uses (its
// record or its structure history names it), focused on "Código".
SaveRefusal structureInUseRefusal(uint16_t company);

// The checks of "&Grava", before anything is written, in order:
//  1. for every request, deletion included: the digit total G1 + ... + G9
//     must be below 30;
//  2. a deletion goes on;
//  3. the structure code must be at most 999 (it is written in three digits
//     in chart file names and history rows);
//  4. the level count must be 1 to 13 (the levels the record can hold);
//  5. no other stored structure may have the same level layout.
// `stored` is every stored structure, in any order (it may include the
// structure being changed, which the duplicate scan skips by its code).
// Returns nullopt when the request may go on.
std::optional<SaveRefusal> checkStructureSave(const AccountStructure& edited, FormRequest request,
                                              std::span<const AccountStructure> stored);

}  // namespace vorlam::chart
