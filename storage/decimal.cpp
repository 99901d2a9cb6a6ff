#include "storage/decimal.h"

#include <climits>
#include <cstdlib>

namespace vorlam {
namespace {

constexpr int kMaxPlaces = 18;
constexpr __int128 kLimit = static_cast<__int128>(1000000000000000000LL);  // 10^18

__int128 pow10w(int n) {
  __int128 r = 1;
  while (n-- > 0) r *= 10;
  return r;
}

// Divides by 10^n rounding half away from zero.
__int128 roundDiv(__int128 v, int n) {
  if (n <= 0) return v;
  __int128 d = pow10w(n);
  __int128 q = v / d, r = v % d;
  if (r < 0) r = -r;
  if (r * 2 >= d) q += (v < 0 ? -1 : 1);
  return q;
}

std::optional<Decimal> fromWide(__int128 units, int places) {
  if (units >= kLimit || units <= -kLimit) return std::nullopt;
  return Decimal::fromUnits(static_cast<int64_t>(units), places);
}

}  // namespace

int64_t pow10i(int n) { return static_cast<int64_t>(pow10w(n)); }

Decimal Decimal::fromUnits(int64_t units, int places) {
  Decimal d;
  d.units_ = units;
  d.places_ = places < 0 ? 0 : (places > kMaxPlaces ? kMaxPlaces : places);
  return d;
}

std::optional<Decimal> Decimal::parse(std::string_view text, int places) {
  if (places < 0 || places > kMaxPlaces) return std::nullopt;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  size_t end = text.size();
  while (end > i && text[end - 1] == ' ') --end;
  bool negative = false;
  if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // The magnitude is built digit by digit and refused as soon as its whole
  // part passes 18 digits, so no length of text can overflow it.  Of the
  // decimals beyond `places` only the first decides the rounding (half away
  // from zero); the rest are checked and dropped.
  __int128 units = 0;
  int fracDigits = 0, digits = 0;
  bool point = false, dropped = false, roundUp = false;
  for (; i < end; ++i) {
    char c = text[i];
    if (c == '.' || c == ',') {
      if (point) return std::nullopt;
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    ++digits;
    if (!point) {
      units = units * 10 + (c - '0');
      if (units >= kLimit) return std::nullopt;
    } else if (fracDigits < places) {
      units = units * 10 + (c - '0');
      ++fracDigits;
    } else if (!dropped) {
      dropped = true;
      roundUp = c >= '5';
    }
  }
  if (digits == 0) return std::nullopt;
  units *= pow10w(places - fracDigits);  // < 10^18 * 10^18: no overflow
  if (roundUp) ++units;
  return fromWide(negative ? -units : units, places);
}

std::optional<Decimal> Decimal::rescaled(int places) const {
  if (places < 0 || places > kMaxPlaces) return std::nullopt;
  if (places >= places_) return fromWide(static_cast<__int128>(units_) * pow10w(places - places_), places);
  return fromWide(roundDiv(units_, places_ - places), places);
}

int Decimal::digitCount() const {
  __int128 v = units_ < 0 ? -static_cast<__int128>(units_) : units_;
  int n = 0;
  while (v > 0) { v /= 10; ++n; }
  return n < places_ + 1 ? places_ + 1 : n;
}

bool Decimal::fits(int digits, int places) const {
  auto r = rescaled(places);
  if (!r) return false;
  if (digits < 0) return false;
  if (digits > kMaxPlaces) return true;  // every value below 10^18 units fits
  __int128 v = r->units_ < 0 ? -static_cast<__int128>(r->units_) : r->units_;
  return v < pow10w(digits);
}

std::string Decimal::toString() const {
  __int128 v = units_;
  bool neg = v < 0;
  if (neg) v = -v;
  std::string digits;
  do { digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(v % 10))); v /= 10; } while (v > 0);
  while (static_cast<int>(digits.size()) <= places_) digits.insert(digits.begin(), '0');
  if (places_ > 0) digits.insert(digits.end() - places_, '.');
  return neg ? "-" + digits : digits;
}

std::optional<Decimal> Decimal::plus(const Decimal& o) const {
  int p = places_ > o.places_ ? places_ : o.places_;
  __int128 a = static_cast<__int128>(units_) * pow10w(p - places_);
  __int128 b = static_cast<__int128>(o.units_) * pow10w(p - o.places_);
  return fromWide(a + b, p);
}

std::optional<Decimal> Decimal::minus(const Decimal& o) const {
  int p = places_ > o.places_ ? places_ : o.places_;
  __int128 a = static_cast<__int128>(units_) * pow10w(p - places_);
  __int128 b = static_cast<__int128>(o.units_) * pow10w(p - o.places_);
  return fromWide(a - b, p);
}

Decimal Decimal::negated() const {
  // The one unit count without a negative is beyond any field's range and
  // beyond what parse() and the arithmetic produce; it stays the largest.
  return fromUnits(units_ == INT64_MIN ? INT64_MAX : -units_, places_);
}

std::optional<Decimal> Decimal::times(const Decimal& o, int places) const {
  if (places < 0 || places > kMaxPlaces) return std::nullopt;
  __int128 prod = static_cast<__int128>(units_) * o.units_;
  int scale = places_ + o.places_;
  if (scale > places) {
    prod = roundDiv(prod, scale - places);
  } else {
    // |prod| < 2^127 / 10^18 would be needed to scale up safely; anything at
    // or past the limit already overflows the result.
    if (prod >= kLimit || prod <= -kLimit) return std::nullopt;
    prod *= pow10w(places - scale);
  }
  return fromWide(prod, places);
}

std::strong_ordering Decimal::operator<=>(const Decimal& o) const {
  int p = places_ > o.places_ ? places_ : o.places_;
  __int128 a = static_cast<__int128>(units_) * pow10w(p - places_);
  __int128 b = static_cast<__int128>(o.units_) * pow10w(p - o.places_);
  return a < b ? std::strong_ordering::less : (a > b ? std::strong_ordering::greater : std::strong_ordering::equal);
}

}  // namespace vorlam
