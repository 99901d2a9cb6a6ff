// Conversion of account codes from one account-code structure to another.
//
// The conversion is a pure text transformation driven by the level widths of
// the two structures: the numeric value of every level stays the same and a
// level that grows gets leading zeros ("1.1.1.01.0001" under 1,1,1,2,4 becomes
// "1.1.1.01.000001" under 1,1,1,2,6).  It is used on every account field the
// chart-of-accounts adjustment rewrites, so the per-code work is done by a
// ConversionPlan prepared once per pair of structures.
//
// Codes are record text (Windows-1252), taken as blank-padded to 40
// characters; results are always exactly 40 characters, blank-padded.  A
// caller with a shorter field stores the first characters that fit.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chart/account_structure.h"
#include "storage/status.h"

namespace vorlam::chart {

// True when `code`, upper-cased and without trailing blanks, is "FORNECEDOR"
// or "CLIENTE": a field holding one of them means the supplier's or the
// customer's account and is never converted.
bool isSpecialWord(std::string_view code);

// Checks that codes of structure `from` can be converted to structure `to`
// before anything is changed.  Refused, each with a message for the user:
//   - a structure that does not exist (absent) — kNotFound;
//   - a structure code above 999 — kInvalidArgument;
//   - a level count of 0 or above 9 — kInvalidArgument;
//   - a level 1..9 with fewer digits in `to` than in `from` (its digits would
//     be lost) — kInvalidArgument.
Status checkConversionPair(const std::optional<AccountStructure>& from,
                           const std::optional<AccountStructure>& to);

// The conversion of codes from one structure to another, prepared once.
// Immutable after make(); convert() may be called from any number of threads.
class ConversionPlan {
 public:
  // An empty plan, which returns every code unchanged.  Use make().
  ConversionPlan() = default;

  // Checks the pair with checkConversionPair() and prepares the plan.
  static Result<ConversionPlan> make(const AccountStructure& from, const AccountStructure& to);

  // Converts `code` (only its first 40 characters count):
  //  1. a special word comes back unchanged;
  //  2. a code already written in the new structure — its length without
  //     trailing blanks equals the new full length and it has a "." at every
  //     level boundary of the new structure and nowhere else — comes back
  //     unchanged when the two structures have the same widths for levels
  //     1 to 9, and is otherwise stripped of its dots and regrouped by the new
  //     levels (formataConta);
  //  3. any other code is converted level by level: each level takes the old
  //     width's characters, preceded by zeros when the level grows, and the
  //     one separator after it is skipped whatever it is; it stops at the
  //     first level after which nothing is left, so a synthetic code keeps its
  //     number of levels; text after level 9, or after the last level of
  //     the new structure where the new structure has no further digits, is
  //     dropped.
  // A blank code comes back blank.  The result is 40 characters.
  std::string convert(std::string_view code) const;
  // As above, writing into `*out`; once `*out` has held a result, no further
  // allocation is made.
  void convert(std::string_view code, std::string* out) const;

  const AccountStructure& from() const { return from_; }
  const AccountStructure& to() const { return to_; }

 private:
  bool isWrittenInNewStructure(std::string_view clipped) const;
  void convertLevelByLevel(std::string_view code, size_t clippedLength, std::string* out) const;
  void regroup(std::string_view clipped, std::string* out) const;

  AccountStructure from_;
  AccountStructure to_;
  bool ready_ = false;
  bool sameWidths_ = false;
  size_t newFullLength_ = 0;
  // boundary_[p]: position p of a code written in the new structure holds
  // the "." between two levels.
  std::array<bool, kAccountCodeLength> boundary_{};
};

// One-off conversion of `code` from `from` to `to` (prepares a plan each
// time; for many codes, make a ConversionPlan once).  Fails as
// checkConversionPair() does.
Result<std::string> converteConta(const AccountStructure& from, const AccountStructure& to,
                                  std::string_view code);

}  // namespace vorlam::chart
