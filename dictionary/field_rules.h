// Field rules of the dictionary: value in list, value in range, upper limit.
//
// The checks are pure functions of a record buffer and the rule its table
// declares for a field; they never show anything.  The result names the
// message the framework shows and the texts that replace %Field and
// %Message in it.  Thread-safe: no state.
#pragma once

#include <string>

#include "storage/record.h"
#include "storage/table_def.h"

namespace vorlam {

// Message numbers of failed field rules.
constexpr int kMsgNotInList = 17;   // "O valor do %Field deve estar na lista: %Message."
constexpr int kMsgNotInRange = 18;  // "O valor do %Field deve estar entre %Message."
constexpr int kMsgAboveLimit = 19;  // "O valor do %Field deve ser menor que %Message."

struct FieldCheck {
  bool valid = true;
  int message = 0;     // kMsg* when invalid, 0 when valid
  int field = -1;      // index of the checked field
  std::string name;    // %Field: the rule's description (UTF-8)
  std::string detail;  // %Message: choice text, "low .. high" or the limit (UTF-8)
};

// The value of a field written as text for the list rule: numbers without
// leading zeros (decimals without trailing fractional zeros), texts without
// trailing blanks, in UTF-8.
std::string ruleValueText(const Record& record, int field, int element = 0);

// "]v1[]v2[..." over the allowed values of a list rule, in order.
std::string listText(const FieldRule& rule);

// Applies the rule of `field` (valid when the field has none).  Out-of-range
// indexes are reported valid: there is no rule to break.
FieldCheck checkField(const Record& record, int field, int element = 0);

// Checks every rule of the record's table in declaration order and returns
// the first failure, or a valid result.
FieldCheck checkRecord(const Record& record);

}  // namespace vorlam
