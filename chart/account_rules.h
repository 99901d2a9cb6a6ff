// The rules of account codes in a chart of accounts, apart from any table:
// the level of a written code, its group prefixes, the `PLA:Indice` of an
// account, its type by length, and the conflicts of the result structure.
//
// Codes are record text (Windows-1252 bytes, digits and dots in practice),
// compared without their trailing blanks.  Everything here is pure and
// thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/account_structure.h"

namespace vorlam::chart {

// `PLA:SintAnali` values.
inline constexpr int kSynthetic = 1;  // "Sintética"
inline constexpr int kAnalytic = 2;   // "Analítica"

// `text` without its trailing blanks.
std::string_view clipped(std::string_view text);

// What the user typed into a code field, written again under `s`: the dots
// (and blanks) taken out, the digits regrouped level by level.
std::string normalizeTypedCode(const AccountStructure& s, std::string_view typed);

// The level the editor gives a written code: with len its length without
// trailing blanks, the first n of 1..8 with L(n) <= len <= L(n) + Gn; 9 when
// none is.  (A code that fits no level is level 9, whose prefix L(9) then
// reaches into the blanks after it.)
int editorLevel(const AccountStructure& s, std::string_view code);

// The level whose end position is exactly the code's length (1..9); 0 when
// the length is no level's end.
int exactLevel(const AccountStructure& s, std::string_view code);

// The first L(level) characters of `code`, padded with blanks when the
// code is shorter (and without trailing blanks only when `clip`).
std::string levelPrefix(const AccountStructure& s, std::string_view code, int level, bool clip = true);

// True when the first L(level) characters of `code` (padded to 40) hold a
// blank.
bool prefixHasBlank(const AccountStructure& s, std::string_view code, int level);

// `PLA:Indice` of an account written here: the first L(levels - 1)
// characters of the code.
std::string indexOfNewAccount(const AccountStructure& s, std::string_view code);

// `PLA:Indice` given on opening to an account whose index is blank: the
// whole code for a synthetic account, otherwise as indexOfNewAccount().
std::string repairedIndex(const AccountStructure& s, std::string_view code, int type);

// The type an ordinary company's code gets by its length: analytic at the
// full length L(levels), synthetic otherwise.
int typeByLength(const AccountStructure& s, std::string_view code);

// The text the code field is pre-filled with after an account was added:
// an analytic account's parent (first L(level - 1) characters) or a
// synthetic account's own code, followed by ".".
std::string nextCodeProposal(const AccountStructure& s, std::string_view code, int type);

// True when `code` starts with `prefix` (both clipped) and is longer.
bool isUnder(std::string_view prefix, std::string_view code);

// The groups of the result structure: income (role 3) and expenses (4).
enum class ResultGroup { kIncome, kExpense };

// The first conflict of adding `selected` to `group`, scanning the members
// of the own group first, then those of the other group; nullopt when it
// may be added.  The text is the message to show.
std::optional<std::string> resultConflict(ResultGroup group, std::string_view selected,
                                          const std::vector<std::string>& ownMembers,
                                          const std::vector<std::string>& otherMembers);

// True when `code` or one of its parent groups (its prefixes at each full
// level) is one of `members`: drawn green in the tab's chart list, red
// otherwise.
bool isResultMember(const AccountStructure& s, std::string_view code, const std::vector<std::string>& members);

}  // namespace vorlam::chart
