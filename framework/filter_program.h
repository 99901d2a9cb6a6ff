// Compiled form of a filter expression, shared by the parser (filter.cpp),
// the evaluator (filter_eval.cpp) and the SQL translation (filter_sql.cpp).
// Private to the filter implementation.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/filter.h"
#include "storage/decimal.h"
#include "storage/record.h"
#include "storage/table_def.h"

namespace vorlam::filter_internal {

enum class NodeKind : uint8_t {
  kConst,     // value
  kField,     // field, element, column
  kVariable,  // variable (index into FilterProgram::variables)
  kAnd,
  kOr,
  kNot,
  kCompare,   // compare, kids[0] op kids[1]
  kInstring,  // sub, text, step, start
  kSub,       // text, start[, length]
  kLeft,      // text[, length]
  kUpper,
  kClip,
  kFormat,    // value, picture
  kDate,      // month, day, year
};

enum class CompareOp : uint8_t { kEq, kNe, kLt, kLe, kGt, kGe, kBegins };

struct Node {
  NodeKind kind = NodeKind::kConst;
  CompareOp compare = CompareOp::kEq;
  int argc = 0;
  std::array<int, 4> kids{-1, -1, -1, -1};
  int field = -1;    // kField
  int element = 0;   // kField, 0-based
  int column = -1;   // kField: storage column of the element
  int variable = -1; // kVariable
  FilterValue value; // kConst
};

struct FilterProgram {
  const TableDef* table = nullptr;
  PictureFormatter formatter;
  std::vector<Node> nodes;
  int root = -1;  // -1: empty expression, matches everything
  std::vector<std::string> variables;
};

// A value during evaluation.  A text either views bytes that outlive the
// evaluation (a record cell, a constant of the program) or owns them.
class Val {
 public:
  static Val number(const Decimal& d) {
    Val v;
    v.num_ = d;
    return v;
  }
  static Val view(std::string_view s) {
    Val v;
    v.text_ = true;
    v.view_ = s;
    return v;
  }
  static Val owned(std::string s) {
    Val v;
    v.text_ = true;
    v.owned_ = true;
    v.own_ = std::move(s);
    return v;
  }
  static Val of(const FilterValue& f) { return f.isText() ? view(f.asText()) : number(f.asDecimal()); }
  static Val boolean(bool b) { return number(Decimal::fromInteger(b ? 1 : 0)); }

  bool isText() const { return text_; }
  const Decimal& num() const { return num_; }
  std::string_view str() const { return owned_ ? std::string_view(own_) : view_; }
  // Owned text, for functions that edit it in place.
  std::string& mutableText() {
    if (!owned_) {
      own_.assign(view_);
      owned_ = true;
    }
    return own_;
  }
  void narrow(size_t pos, size_t len);  // keeps str().substr(pos, len)

 private:
  bool text_ = false;
  bool owned_ = false;
  Decimal num_;
  std::string_view view_;
  std::string own_;
};

// Evaluates node `n` of `p`; `record` may be null for record-independent
// nodes (constant folding).
Val evaluate(const FilterProgram& p, int n, const Record* record);
bool truth(const Val& v);
// The number a text stands for when it is blank or a plain number.
bool textAsNumber(std::string_view text, Decimal* out);
std::string numberText(const Decimal& d);
Val toTextVal(Val v);
FilterValue toFilterValue(const Val& v);
// -1, 0, 1 under the comparison rules of filter.h (~ excluded).
int compareVals(const Val& a, const Val& b);
bool beginsWith(const Val& a, const Val& b);
// INSTRING on Windows-1252 texts.
int64_t instring(std::string_view sub, std::string_view text, int64_t step, int64_t start);

// SQL translation of a bound (folded) program; see BoundFilter::toSql.
bool translateToSql(const FilterProgram& p, SqlDialect dialect, std::string* where, std::vector<SqlParam>* params);
// A necessary condition of the program; see BoundFilter::toSqlPrefilter.
bool translatePrefilter(const FilterProgram& p, SqlDialect dialect, std::string* where,
                        std::vector<SqlParam>* params);

}  // namespace vorlam::filter_internal
