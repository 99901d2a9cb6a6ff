// Writing generated records: one table file at a time, in bulk mode, every
// record made to pass the table's field rules.
//
// Setters take field names as declared (prefix optional) and UTF-8 texts;
// the first failure (unknown field, value out of range, write error) is kept
// and returned by every later call, so a generator can set many fields and
// check once.  Not thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "storage/decimal.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::sampledata {

class RecordWriter {
 public:
  explicit RecordWriter(const TableDef* def);
  ~RecordWriter();

  // Opens (creating) the file at `path` and starts bulk mode.  A file that
  // already holds records is refused unless `allowExisting`, so that two data
  // sets never mix.
  Status open(const std::string& path, bool allowExisting = false);

  // Clears the buffer for the next record.
  void begin();
  void setInt(std::string_view field, int64_t value, int element = 0);
  void setText(std::string_view field, std::string_view utf8, int element = 0);
  // `units` at the field's decimal places (12345 in DECIMAL(11,2) is 123.45).
  void setUnits(std::string_view field, int64_t units, int element = 0);
  void setDecimal(std::string_view field, const Decimal& value, int element = 0);
  // By field index, for hot loops.
  void setIntAt(int field, int64_t value, int element = 0);
  void setTextAt(int field, std::string_view latin1, int element = 0);
  void setUnitsAt(int field, int64_t units, int element = 0);
  int field(std::string_view name);

  // Writes the buffer as it stands (no auto-numbering).  Fields whose rule
  // the generated values do not meet get the first value the rule allows
  // (fields the sample data does not model stay valid).
  Status write();
  // Commits the bulk transaction and closes the file.
  Status finish();

  Record& buffer() { return table_.buffer(); }
  const Status& status() const { return status_; }
  int64_t written() const { return written_; }
  const std::string& path() const { return table_.path(); }

 private:
  void keep(Status s);
  Table table_;
  std::map<std::string, int, std::less<>> fieldCache_;  // name as given -> index
  Status status_;
  int64_t written_ = 0;
};

// Makes `record` pass its table's field rules: each field that breaks its
// rule gets the first value of a list rule or the low end of a range (the
// upper limit of a limit rule).  Returns false when a rule cannot be met.
bool satisfyRules(Record& record);

}  // namespace vorlam::sampledata
