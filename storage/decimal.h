// Exact fixed-point decimal numbers.
//
// A Decimal is an integer count of units of 10^-places, with places 0..18.
// Values of DECIMAL(d,p) fields (d <= 15 in practice, at most 18) fit in the
// 64-bit unit count exactly; no binary floating point is ever involved.
// Decimals are plain values: copy freely, safe to use from any thread.
#pragma once

#include <cstdint>
#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace vorlam {

class Decimal {
 public:
  Decimal() = default;
  // units * 10^-places.
  static Decimal fromUnits(int64_t units, int places);
  static Decimal fromInteger(int64_t value) { return fromUnits(value, 0); }

  // Parses "[-+]digits[.digits]" (a "," is accepted as the decimal point too).
  // More fractional digits than `places` are rounded half away from zero.
  // Returns nullopt on malformed text or when the value needs more than 18
  // digits at `places` (whatever the length of the text).
  static std::optional<Decimal> parse(std::string_view text, int places);

  int64_t units() const { return units_; }
  int places() const { return places_; }
  bool isZero() const { return units_ == 0; }
  bool isNegative() const { return units_ < 0; }

  // The same value with `places` decimals, rounded half away from zero when
  // places shrink.  Returns nullopt when the result overflows.
  std::optional<Decimal> rescaled(int places) const;
  // Total digits needed to write the integer part plus `places_` decimals.
  int digitCount() const;
  // True when the value fits DECIMAL(digits, places) after rounding.
  bool fits(int digits, int places) const;

  // "-1234.50": plain notation, "." as decimal point, exactly places_ decimals.
  std::string toString() const;

  // Arithmetic on exact values; the result takes the larger scale (product:
  // the sum of scales, then rounded to `places`).  nullopt on overflow.
  std::optional<Decimal> plus(const Decimal& o) const;
  std::optional<Decimal> minus(const Decimal& o) const;
  std::optional<Decimal> times(const Decimal& o, int places) const;
  Decimal negated() const;

  std::strong_ordering operator<=>(const Decimal& o) const;
  bool operator==(const Decimal& o) const { return (*this <=> o) == 0; }

 private:
  int64_t units_ = 0;
  int places_ = 0;
};

// 10^n for n in 0..18.
int64_t pow10i(int n);

}  // namespace vorlam
