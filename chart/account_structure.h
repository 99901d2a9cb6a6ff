// Account-code structures and the account-code services built on them.
//
// An account code is a string of digit groups, one group per level of the
// chart of accounts, written with "." between the groups ("2.2.2.02.0002").
// An account-code structure (a record of `ConfPlanoContas`) says how many
// levels a chart has and how many digits each level takes.  Every service
// here works on a structure value handed in by the caller; none of them reads
// a table or any process-wide state, so all are pure and thread-safe.
//
// Texts are record text (Windows-1252 bytes); account codes are at most
// kAccountCodeLength characters.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "storage/status.h"

namespace vorlam::chart {

// Width of an account-code field and of every code these services return.
inline constexpr size_t kAccountCodeLength = 40;
// Levels stored in a structure record (`CONP:G1` ... `CONP:G13`).
inline constexpr int kStoredLevels = 13;
// Levels that the maintenance form edits, that masks, codes and the
// account-code conversion use.  Levels 10 to 13 are stored and carried only.
inline constexpr int kUsedLevels = 9;
// The digit total G1 + ... + G9 must stay below this.
inline constexpr int kDigitTotalLimit = 30;
// Highest structure code: the code is written in three digits in the names of
// chart-of-accounts files and in contract-change history rows.
inline constexpr uint32_t kMaxStructureCode = 999;

// `CONP:TipoOperadora` values.
inline constexpr uint8_t kOrdinaryCompany = 0;    // "1 Empresa Normal"
inline constexpr uint8_t kHealthPlanOperator = 1;  // "2 Operadora de Plano de Saúde"

// The part of a structure record that this system reads and edits.  The other
// layouts of the record (second to fourth layouts, cost centres, tax accounts
// and histories) are not held here: whoever writes a structure back writes
// only these fields and leaves the others as stored.
struct AccountStructure {
  uint16_t code = 0;            // `CONP:Codigo`
  std::string name;             // `CONP:Nome`, up to 40 characters
  uint8_t levelCount = 0;       // `CONP:Graus` ("Número de Níveis")
  // `CONP:G1` ... `CONP:G13`: digits[0] is level 1.  A level beyond
  // levelCount should hold 0.
  std::array<uint8_t, kStoredLevels> digits{};
  std::string mask;             // `CONP:Formato`
  uint8_t operatorType = kOrdinaryCompany;  // `CONP:TipoOperadora`
  uint8_t referentialChart = 0;             // `CONP:CodPlanoReferencial`

  // Digits of level n (1-based) as stored; 0 for n outside 1..13.
  int levelDigits(int n) const {
    return (n >= 1 && n <= kStoredLevels) ? digits[n - 1] : 0;
  }
  // Sets the digits of level n (1-based); ignored for n outside 1..13.
  void setLevelDigits(int n, uint8_t value) {
    if (n >= 1 && n <= kStoredLevels) digits[n - 1] = value;
  }

  friend bool operator==(const AccountStructure&, const AccountStructure&) = default;
};

// A structure with the given code and level widths (level count = number of
// widths, at most 13; extra widths are ignored).  Mask left empty.
AccountStructure makeStructure(uint16_t code, std::initializer_list<int> widths);

// True when levels 1 to 9 of the two structures have the same digits.  Level
// counts, levels 10 to 13 and every other field are not compared.
bool sameLevelWidths(const AccountStructure& a, const AccountStructure& b);

// Level end position L(n) for n = 1..9: the length of a code of level n
// written with dots, G1 + ... + Gn + (n - 1).  Levels beyond the structure's
// level count contribute no digits but still count their dot.  0 for any
// other n.
int tamanhoNivel(const AccountStructure& s, int n);

// Length of an analytic (full) code: L(levelCount); 0 when the level count is
// 0 or above 9.
int fullCodeLength(const AccountStructure& s);

// G1 + ... + G9 as stored.
int digitTotal(const AccountStructure& s);

// The display mask: G1 "9"s, then for each of levels 2..9 with digits a "."
// and that many "9"s ("9.9.9.99.9999" for 1,1,1,2,4).  Levels with 0 digits
// add nothing.  At most 40 characters.
std::string buildMask(const AccountStructure& s);

// Ok when `code` can name a structure (0..999); otherwise an
// kInvalidArgument status with a message for the user.
Status checkStructureCode(uint32_t code);

// Replaces each `ch` of `text` by `replacement`, or drops it when the
// replacement is empty.  The result is built by appending to itself with its
// trailing blanks removed, so every blank of the text is lost as well:
// ("2.2 .3", '.', "") gives "223".  The result has no trailing blanks.
std::string trocaCaracter(std::string_view text, char ch, std::string_view replacement);

// Regroups bare digits into a written code under structure `s`: for levels
// 1 .. min(levelCount, 9), level n takes the next Gn characters; a slice that
// is all blank is left out, the others are joined by ".".  The input is taken
// as padded with blanks to 40 characters, so no slice reaches past the text;
// characters after the 40th are ignored.  Returns at most 40 characters with
// no trailing blanks ("2220" under 1,1,1,2,4 gives "2.2.2.0").  A structure
// with no levels gives an empty code.
std::string formataConta(const AccountStructure& s, std::string_view bareDigits);
// As above, writing into `*out` (its capacity is reused).
void formataConta(const AccountStructure& s, std::string_view bareDigits, std::string* out);

}  // namespace vorlam::chart
