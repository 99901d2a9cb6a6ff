// Check values of stored records and the range of stored values.
//
// Every record of a record file carries a 64-bit check value computed over
// its write stamp and every column as stored (integers as 64-bit values,
// texts as their bytes).  The record number is left out: SQLite gives it
// only once the record is added, and the database's own integrity check
// covers it.  Each step of the computation is a
// bijection of the running value, so a change of any single value is always
// detected; several changes go undetected with a chance of about 2^-64.
//
// The engine computes the value in C++ when it writes and when it reads; the
// SQL function of sql_functions.h computes the same value for writes made by
// other SQLite clients (through the file's triggers).  Pure and thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/table_def.h"

namespace vorlam {

struct Cell;

class RowCheck {
 public:
  explicit RowCheck(int64_t start = 0) : h_(static_cast<uint64_t>(start)) {}
  void addInt(int64_t v) { h_ = step(h_, static_cast<uint64_t>(v)); }
  void addText(const char* p, size_t n);
  int64_t value() const { return static_cast<int64_t>(h_); }

 private:
  static uint64_t step(uint64_t h, uint64_t w) {
    h ^= w;
    h *= 0x9E3779B97F4A7C15ULL;  // odd: a bijection
    h ^= h >> 29;                // a bijection too
    return h;
  }
  uint64_t h_;
};

// The check value of a record of `def` with cells `cells` and write stamp
// `stamp`, over its values as stored (texts without trailing blanks).
int64_t recordCheck(const TableDef& def, const std::vector<Cell>& cells, int64_t stamp);

// Whether `v` is a value an element of integer or decimal field `f` can hold
// (decimals in units).
inline bool fitsField(const FieldDef& f, int64_t v) { return v >= f.minValue() && v <= f.maxValue(); }

// Kinds of stored columns, as the SQL check function names them.
//   I  any integer (record number, stamp)
//   B  BYTE, H SHORT, U USHORT, L LONG, W ULONG
//   Dn DECIMAL of n digits (units), Sn STRING of n bytes
std::string checkTypeToken(const FieldDef& f);

// What a type token admits.  `kind` is one of the letters above; `size` the
// digits or bytes.  False for a malformed token.
struct CheckType {
  char kind = 'I';
  int size = 0;
  bool isText() const { return kind == 'S'; }
  bool admits(int64_t v) const;
};
bool parseCheckType(const char* p, size_t n, CheckType* out);

}  // namespace vorlam
