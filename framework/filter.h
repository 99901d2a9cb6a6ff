// Filter expressions of list screens.
//
// A list screen narrows its rows with an expression over the fields of its
// table and the screen's own variables, such as
//   (InString(Upper(Clip(Loc:Nome)),Upper(Clip(EMP:RazaoSocial)),1,1))
//   CFO:Codigo > 999 and Sub(Format(CFO:Codigo,@n04),3,2) <> 99
// The expression is compiled once against a TableDef (Filter::compile), then
// bound to the current values of the variables it names (Filter::bind) and
// evaluated against any number of records (BoundFilter::matches).  A bound
// filter can also be translated, when the whole expression allows it, into a
// SQL WHERE fragment over the record files' `records` table
// (BoundFilter::toSql), so the storage can select the rows itself.
//
// Language (keywords and function names in any letter case):
//   names      `PFX:Field` of the compiled table (its prefix, or no prefix),
//              with `[n]` (1-based) for an element of an array field; any
//              other name (`Loc:Nome`, `GLO:ANO`, `DIAE:Lote`) is a variable
//              whose value the caller supplies when binding.
//   literals   numbers (`999`, `-1.5`), texts in single quotes with '' for a
//              quote (UTF-8 in the source, Windows-1252 when evaluated), and
//              bare pictures (`@n04`), which are texts.
//   compare    = <> < > <= >= (also =< and =>), ~= ~< ~> (not equal, not
//              less, not greater) and ~ (left text begins with the right
//              one, letter case ignored).
//   logic      AND, OR, NOT (and a prefix ~); AND binds tighter than OR.
//   functions  INSTRING(sub,text,step,start) SUB(text,start[,length])
//              LEFT(text[,length]) UPPER(text) CLIP(text) FORMAT(value,pic)
//              DATE(month,day,year).
// Values are numbers (exact decimals; integers and day-number dates have no
// places) or texts.  Texts keep the fixed length of their field (blanks on the
// right); CLIP removes them.  Comparisons:
//   * two numbers compare exactly;
//   * two texts compare byte by byte in the Windows-1252 code, trailing blanks
//     ignored and letter case significant (case is ignored only where the
//     expression says so, through UPPER or ~);
//   * a text and a number compare as numbers when the text (blanks around it
//     ignored) is blank or a plain number ("99", "-1,5"), otherwise as texts
//     with the number in plain notation.
// A value used as a condition is true when it is a non-zero number or a
// non-blank text.  INSTRING returns the 1-based position of `sub` in `text`
// (searching from `start` in steps of `step`, the position counted in steps),
// or 0; an empty `sub` is found at `start`, so an empty search text selects
// every record.
//
// Thread safety: Filter and BoundFilter are immutable after construction and
// may be shared by threads, provided the picture formatter is thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "storage/decimal.h"
#include "storage/page_select.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table_def.h"

namespace vorlam {

// A number or a text, as seen by an expression.  Texts are Windows-1252.
class FilterValue {
 public:
  FilterValue() = default;  // the number 0
  static FilterValue number(int64_t value);
  static FilterValue decimal(const Decimal& value);
  // A day number (storage/date.h) is a plain number.
  static FilterValue date(int32_t dayNumber) { return number(dayNumber); }
  static FilterValue text(std::string latin1);
  static FilterValue textUtf8(std::string_view utf8);

  bool isText() const { return isText_; }
  // The number (0 for a text).
  const Decimal& asDecimal() const { return number_; }
  // The text (empty for a number).
  const std::string& asText() const { return text_; }
  // Numbers in plain notation ("-12.50"), texts as they are.
  std::string toText() const;

 private:
  bool isText_ = false;
  Decimal number_;
  std::string text_;
};

// The values of the variables an expression names, supplied by the screen.
class FilterVariables {
 public:
  virtual ~FilterVariables() = default;
  // Stores the value of `name` (as written in the expression; callers match
  // it case-insensitively) in *value and returns true; false when unknown.
  virtual bool lookup(std::string_view name, FilterValue* value) const = 0;
};

// A plain set of named values (names case-insensitive).
class FilterVariableMap : public FilterVariables {
 public:
  // Adds or replaces the value of `name`.
  void set(std::string_view name, FilterValue value);
  bool lookup(std::string_view name, FilterValue* value) const override;

 private:
  std::vector<std::pair<std::string, FilterValue>> values_;
};

// Formats `value` with a display picture such as "@n04" or "@d6" (the '@'
// included); returns Windows-1252 text.  Supplied by the caller, who owns the
// picture engine; without one, FORMAT gives the value's plain text.
using PictureFormatter = std::function<std::string(const FilterValue& value, std::string_view picture)>;

// SqlParam (a value bound to one '?' of a SQL fragment) is the storage's,
// storage/page_select.h.

namespace filter_internal {
struct FilterProgram;  // compiled form, private to the implementation
}

class BoundFilter {
 public:
  BoundFilter() = default;  // matches every record

  // True when `record` satisfies the expression.  Precondition: the record
  // has the layout of the TableDef the filter was compiled for (a record of
  // another layout never matches).
  bool matches(const Record& record) const;

  // When the whole expression has a SQL form that selects exactly the records
  // matches() accepts, sets *where to a condition over the columns of the
  // storage's `records` table (parameters as '?', values appended to *params
  // in order) and returns true.  Otherwise returns false and leaves both
  // untouched; the caller then evaluates matches() per record.
  //
  // The fragment relies on the storage's layout: one column per field element
  // named by the field's name without prefix in ASCII upper case ("NOME",
  // "VALOR[2]"), never
  // NULL; integers and dates as INTEGER, decimals as INTEGER units at the
  // field's places, texts as TEXT of the Windows-1252 bytes without trailing
  // blanks; the VNOCASE collation ordering texts as compareText() does; LIKE
  // left at its default (letter case of ASCII ignored).  Case-sensitive text
  // comparisons are emitted with COLLATE BINARY.
  //
  // SqlDialect::kPostgres writes the same selection for a file's table on a
  // PostgreSQL server: the same column names and '?' parameters (text
  // values still Windows-1252 bytes, which the server table converts), texts
  // stored UTF-8 in "C" order, and the server's vorlam_upper() folding.
  // Some shapes translate in one dialect and not the other.
  bool toSql(std::string* where, std::vector<SqlParam>* params, SqlDialect dialect = SqlDialect::kSqlite) const;

  // A weaker form for expressions toSql() cannot translate whole: a SQL
  // condition that every record matches() accepts satisfies, built from the
  // parts that have a SQL form (the translatable operands of an AND, and an
  // OR whose operands both have one).  The caller still evaluates matches()
  // on each record it selects.  Returns false, leaving both untouched, when
  // no part narrows the selection.
  bool toSqlPrefilter(std::string* where, std::vector<SqlParam>* params,
                      SqlDialect dialect = SqlDialect::kSqlite) const;

 private:
  friend class Filter;
  explicit BoundFilter(std::shared_ptr<const filter_internal::FilterProgram> p) : program_(std::move(p)) {}
  std::shared_ptr<const filter_internal::FilterProgram> program_;
};

class Filter {
 public:
  Filter() = default;  // the empty expression: matches every record

  // Compiles `source` (UTF-8) against `table`, which must outlive the filter
  // and every BoundFilter made from it.  A blank source matches every record.
  // A malformed expression or an unknown field gives kInvalidArgument with a
  // Portuguese message that names the 1-based character position; the
  // position alone is in detail().
  static Result<Filter> compile(std::string_view source, const TableDef& table,
                                PictureFormatter formatter = {});

  // The variable names the expression uses, as written, without repeats.
  const std::vector<std::string>& variableNames() const;

  // Takes the current value of every variable from `variables`; a variable
  // it does not know gives kInvalidArgument.  Bind again after the screen
  // changes a variable.
  Result<BoundFilter> bind(const FilterVariables& variables) const;

 private:
  explicit Filter(std::shared_ptr<const filter_internal::FilterProgram> p) : program_(std::move(p)) {}
  std::shared_ptr<const filter_internal::FilterProgram> program_;
};

}  // namespace vorlam
