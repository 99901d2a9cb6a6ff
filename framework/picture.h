// Display pictures: how a stored value is shown and how typed text becomes a
// stored value again.
//
// Pictures follow Brazilian conventions ("." groups thousands, "," separates
// decimals).  The '@' in front is optional and letters may be of any case:
//
//   @sN        text of N characters.
//   @k...k     key-in pattern, one position per character of the body: '^' a
//              letter (upper-cased), '#' a digit, '?' any character; other
//              characters are shown as they stand and are not stored.
//   @n[-][0][W][.][.P][b]
//              number right-aligned in W positions (W absent or 0: as wide as
//              needed); '-' allows negatives; a '0' right after the 'n' fills
//              with zeros and does not group thousands; ".P" gives P decimals;
//              thousands grouped with "." otherwise; 'b' shows zero as blank.
//              A value that does not fit shows as W '#'.
//   @p...p[b]  digit pattern: '#' a digit, '<' a digit shown blank while it is
//              a leading zero, any other character shown as it stands; the
//              stored number (or digit text) fills the digit positions from
//              the right; 'b' shows zero as blank.
//   @dN[b], DN dates dd/mm/yyyy (N = 6 or 17); 'b' shows day 0 as blank.
//   @tN, TN    times hh:mm:ss (N = 8).
//
// Values: integers as int64, decimals as Decimal, texts as UTF-8 strings,
// dates as day numbers and times as hundredths of a second since midnight
// plus one (storage/date.h).  Display and typed texts are UTF-8.
//
// A Picture is immutable after compile(): safe to share between threads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "storage/decimal.h"
#include "storage/status.h"

namespace vorlam {

struct DayNumber {
  int32_t value = 0;  // 0 = no date
  bool operator==(const DayNumber&) const = default;
};
struct TimeOfDay {
  int32_t value = 0;  // hundredths since midnight plus one; 0 = no time
  bool operator==(const TimeOfDay&) const = default;
};

// A stored value as pictures see it.
using PictureValue = std::variant<int64_t, Decimal, std::string, DayNumber, TimeOfDay>;

// What a parse should produce.
enum class ValueType { kInteger, kDecimal, kText, kDate, kTime };

class Picture {
 public:
  enum class Kind { kText, kKeyIn, kNumber, kPattern, kDate, kTime };

  // Returns kInvalidArgument, with a Portuguese message, for text that is no
  // picture of the kinds above.
  static Result<Picture> compile(std::string_view picture);
  // An empty text picture (width 0); real pictures come from compile().
  Picture() = default;

  Kind kind() const { return kind_; }
  // Characters of the display text; 0 for a number picture without width.
  int width() const;
  // Decimal places of a number picture (0 otherwise).
  int places() const { return places_; }
  bool blankWhenZero() const { return blankZero_; }
  bool allowsNegative() const { return minus_; }
  // The picture text as compiled.
  const std::string& text() const { return text_; }
  // The type a parse gives by default: integers for number pictures without
  // decimals and for digit patterns, decimals with decimals, texts for text
  // and key-in pictures, dates and times for theirs.
  ValueType naturalType() const;

  // The display text of `value`.  Numbers given to text pictures show in
  // plain notation; a plain-number text given to a number picture is read as
  // a number, and a digit text given to a digit pattern as its digits.
  // Returns kInvalidArgument when the value cannot be read as what the
  // picture shows (letters for a number picture).  A number too large for
  // the picture is not an error: it shows as '#' repeated.
  Result<std::string> format(const PictureValue& value) const;

  // The stored value that typing `typed` gives.  Refuses (kInvalidArgument,
  // message in Portuguese for the user) what the picture cannot hold: a text
  // longer than the picture, a number too wide, a negative number without
  // '-', more decimals than the picture has, a digit that is no digit, a date
  // or time that does not exist.  Blank text is zero, blank text or no date.
  Result<PictureValue> parse(std::string_view typed) const { return parse(typed, naturalType()); }
  // As above, producing `type` (for instance kText for a CNPJ stored as a
  // digit text: the digits of every position, leading zeros kept).
  Result<PictureValue> parse(std::string_view typed, ValueType type) const;

 private:
  Result<std::string> formatNumber(const PictureValue& value) const;
  Result<std::string> formatPattern(const PictureValue& value) const;
  Result<std::string> formatDate(const PictureValue& value) const;
  Result<std::string> formatTime(const PictureValue& value) const;
  Result<std::string> formatText(const PictureValue& value) const;
  Result<PictureValue> parseNumber(std::string_view typed, ValueType type) const;
  Result<PictureValue> parsePattern(std::string_view typed, ValueType type) const;
  Result<PictureValue> parseKeyIn(std::string_view typed) const;
  Result<PictureValue> parseText(std::string_view typed) const;
  std::string numberText(const Decimal& value) const;

  Kind kind_ = Kind::kText;
  std::string text_;
  std::string body_;  // pattern and key-in positions
  int width_ = 0;
  int places_ = 0;
  bool minus_ = false;
  bool zeroFill_ = false;
  bool blankZero_ = false;
};

// A parsed value as the plain text controllers and records take: integers,
// dates and times as numbers, decimals with "." and their places, texts as
// they stand.
std::string plainValueText(const PictureValue& value);

// Shorthand: compiles `picture` and formats `value`.
Result<std::string> formatPicture(std::string_view picture, const PictureValue& value);

}  // namespace vorlam
