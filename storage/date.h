// Calendar dates as day numbers.
//
// Day 0 means "no date"; otherwise a date is the count of days since
// 28 December 1800 (1 January 1801 is day 4).  Times are hundredths of a
// second since midnight plus one (0 = no time), shown as hh:mm:ss.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlam {

struct CivilDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);
// True for a real calendar day from 1 January 1801 on.
bool isValidDate(int year, int month, int day);

// Day number of a valid civil date; nullopt when the date is not valid.
std::optional<int32_t> toDayNumber(int year, int month, int day);
// Civil date of a day number > 0.
CivilDate fromDayNumber(int32_t dayNumber);

// "dd/mm/yyyy"; empty text for day 0.
std::string formatDate(int32_t dayNumber);
// Parses "dd/mm/yyyy", "dd/mm/yy" (yy < 50 is 20yy) or "ddmmyyyy".  Blank
// text is day 0.  nullopt when the text is no valid date.
std::optional<int32_t> parseDate(std::string_view text);

// Day of week, 0 = Sunday.
int dayOfWeek(int32_t dayNumber);

}  // namespace vorlam
