// The dates the document lists of a company show: the selected period, that
// is the month of the current company's period, or the whole working year
// when the period is the thirteenth (the year itself), as the journal list
// does.  A year the calendar cannot hold gives an empty range (0, 0).
#pragma once

#include <cstdint>

#include "shell/app_state.h"

namespace vorlam::fiscal {

struct DateRange {
  int32_t first = 0;  // day numbers, both included
  int32_t last = 0;
  bool contains(int32_t day) const { return day >= first && day <= last && first != 0; }
};

DateRange selectedPeriod(const shell::CurrentCompany& company);
DateRange selectedPeriod(int year, int month);

}  // namespace vorlam::fiscal
