// A record buffer: the typed values of one record of a table.
//
// The buffer holds one cell per storage column (an array field has one cell
// per element).  Integer fields hold their value, decimals their units at the
// field's places, texts their Windows-1252 bytes padded to the field width.
// Setters enforce the field's range: an out-of-range value is refused with
// kOutOfRange and the buffer keeps its value.  A Record is not thread-safe;
// each table instance owns its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/decimal.h"
#include "storage/status.h"
#include "storage/table_def.h"

namespace vorlam {

struct Cell {
  int64_t i = 0;   // integers; decimals in units
  std::string s;   // texts, always exactly the field width
};

class Record {
 public:
  explicit Record(const TableDef* def);

  const TableDef& def() const { return *def_; }
  // Blanks every text, zeroes every number.
  void clear();

  // Access by field index (0-based) and element (0-based for arrays).
  int64_t getInt(int field, int element = 0) const;
  Decimal getDecimal(int field, int element = 0) const;
  // Text as stored (Windows-1252), without trailing blanks.
  std::string_view getText(int field, int element = 0) const;
  // Any field as plain text: integers plain, decimals with ".", texts clipped.
  std::string getAsText(int field, int element = 0) const;

  Status setInt(int field, int64_t value, int element = 0);
  Status setDecimal(int field, const Decimal& value, int element = 0);
  // Fixed-length assignment: cut or padded to the field width.
  Status setText(int field, std::string_view latin1, int element = 0);
  // Parses plain text for the field's type (the inverse of getAsText).
  Status setFromText(int field, std::string_view text, int element = 0);

  // By name (case-insensitive, with or without prefix); unknown names give
  // kInvalidArgument / zero values.
  int64_t getInt(std::string_view name, int element = 0) const;
  std::string_view getText(std::string_view name, int element = 0) const;
  Decimal getDecimal(std::string_view name, int element = 0) const;
  Status setInt(std::string_view name, int64_t value, int element = 0);
  Status setText(std::string_view name, std::string_view latin1, int element = 0);
  Status setDecimal(std::string_view name, const Decimal& value, int element = 0);

  // Raw storage cells, one per column, for the storage engine.  Whoever
  // writes cells directly must call markAllDirty() (or markClean() after
  // loading the record as stored).
  const std::vector<Cell>& cells() const { return cells_; }
  std::vector<Cell>& cells() { return cells_; }

  // Columns changed since the record was read, so that a rewrite touches
  // only them (and only the keys they belong to).
  bool isDirty(int column) const { return dirty_[column] != 0; }
  void markDirty(int column) {
    dirty_[column] = 1;
    anyDirty_ = true;
  }
  void markAllDirty();
  void markClean();
  const std::vector<char>& dirtyColumns() const { return dirty_; }
  int columnOf(int field, int element) const { return def_->fields[field].column + element; }

  // Record number in its file (0 = not read from a file).
  int64_t recordId() const { return recordId_; }
  void setRecordId(int64_t id) { recordId_ = id; }
  // Write stamp of the record as read, for the optimistic change check.
  int64_t stamp() const { return stamp_; }
  void setStamp(int64_t s) { stamp_ = s; }

  bool sameValues(const Record& other) const;
  // True when every component of the key is zero or blank.
  bool keyIsEmpty(const KeyDef& key) const;

 private:
  bool validCell(int field, int element) const;
  const TableDef* def_;
  std::vector<Cell> cells_;
  std::vector<char> dirty_;
  bool anyDirty_ = true;
  int64_t recordId_ = 0;
  int64_t stamp_ = 0;
};

}  // namespace vorlam
