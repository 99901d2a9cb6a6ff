#include "storage/date.h"

#include <cctype>

namespace vorlam {
namespace {

// Days from 1970-01-01 to y-m-d (proleptic Gregorian), after H. Hinnant.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

CivilDate civilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

const int64_t kEpoch = daysFromCivil(1800, 12, 28);

}  // namespace

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValidDate(int year, int month, int day) {
  return year >= 1801 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month);
}

std::optional<int32_t> toDayNumber(int year, int month, int day) {
  if (!isValidDate(year, month, day)) return std::nullopt;
  return static_cast<int32_t>(daysFromCivil(year, month, day) - kEpoch);
}

CivilDate fromDayNumber(int32_t n) { return civilFromDays(kEpoch + n); }

std::string formatDate(int32_t n) {
  if (n == 0) return {};
  CivilDate c = fromDayNumber(n);
  // Wide enough for any int fields, which the compiler cannot rule out.
  char buf[40];
  snprintf(buf, sizeof buf, "%02d/%02d/%04d", c.day, c.month, c.year);
  return buf;
}

std::optional<int32_t> parseDate(std::string_view text) {
  std::string t;
  for (char c : text)
    if (c != ' ') t += c;
  if (t.empty()) return 0;
  int parts[3] = {0, 0, 0};
  int lens[3] = {0, 0, 0};
  int idx = 0;
  bool slashed = t.find('/') != std::string::npos;
  if (slashed) {
    for (char c : t) {
      if (c == '/') {
        if (++idx > 2) return std::nullopt;
        continue;
      }
      if (!std::isdigit(static_cast<unsigned char>(c)) || lens[idx] >= 4) return std::nullopt;
      parts[idx] = parts[idx] * 10 + (c - '0');
      ++lens[idx];
    }
    if (idx != 2 || lens[0] == 0 || lens[1] == 0 || lens[2] == 0) return std::nullopt;
  } else {
    if (t.size() != 8 && t.size() != 6) return std::nullopt;
    for (char c : t)
      if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    parts[0] = std::stoi(t.substr(0, 2));
    parts[1] = std::stoi(t.substr(2, 2));
    parts[2] = std::stoi(t.substr(4));
    lens[2] = static_cast<int>(t.size()) - 4;
  }
  // "00/00/0000" is how a date field without a date is shown.
  if (parts[0] == 0 && parts[1] == 0 && parts[2] == 0) return 0;
  int year = parts[2];
  if (lens[2] <= 2) year += year < 50 ? 2000 : 1900;
  return toDayNumber(year, parts[1], parts[0]);
}

int dayOfWeek(int32_t n) {
  int64_t days = kEpoch + n;  // days since 1970-01-01, a Thursday
  int64_t w = (days + 4) % 7;
  return static_cast<int>(w < 0 ? w + 7 : w);
}

}  // namespace vorlam
