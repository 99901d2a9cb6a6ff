// The checks of a unit before anything is written: every account code the
// run would convert is read from the original files and must have a
// conversion (code_check.h), the converter must agree with it, the result
// must fit its field, and no two different codes of one chart may end as
// one new code.  Only reads.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "adjust/file_routines.h"
#include "chart/account_conversion.h"
#include "storage/table.h"

namespace vorlam::adjust {

// What keeps a unit from being converted, one code of one record.
struct Blocker {
  std::string table;    // table label
  std::string key;      // the record's key (UTF-8)
  std::string field;    // field name
  std::string oldCode;  // UTF-8
  std::string newCode;  // UTF-8; blank when the code has no conversion
  std::string why;      // UTF-8
};

// "   CFO [1225]: CFO:CONTA_DEBITO 1.1.1.01.0001 -> 1.1.1.01.000000000000001: não cabe em 20 caracteres"
std::string blockerLine(const Blocker& b);

class CodeChecker {
 public:
  explicit CodeChecker(const chart::AccountStructure& to) : to_(to) {}

  // Checks every field of `fields` of every record of `table` (open),
  // written in `from`, converted with `plan`.  The codes join the code
  // spaces `scopes` (the charts they name accounts of).  `company` >= 0
  // limits the walk to the rows of that company (the integration table).
  void checkTable(Table& table, const std::vector<AccountField>& fields, const chart::ConversionPlan& plan,
                  const std::vector<std::string>& scopes, int company = -1);
  // The same for the fields of one record (the company record).
  void checkRecord(const Record& record, const std::string& label, const std::string& key,
                   const std::vector<AccountField>& fields, const chart::ConversionPlan& plan,
                   const std::vector<std::string>& scopes);

  const std::vector<Blocker>& blockers() const { return blockers_; }
  int64_t codesChecked() const { return checked_; }

 private:
  void checkCode(std::string_view code, const std::string& table, const std::string& key, const std::string& field,
                 int width, const chart::ConversionPlan& plan, const std::vector<std::string>& scopes);
  void add(Blocker b);

  chart::AccountStructure to_;
  std::vector<Blocker> blockers_;
  std::set<std::string> reported_;  // one blocker per table, field kind and code
  // Per code space: new code -> the old code that gave it.
  std::map<std::string, std::map<std::string, std::string>> spaces_;
  int64_t checked_ = 0;
};

}  // namespace vorlam::adjust
