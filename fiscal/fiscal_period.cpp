#include "fiscal/fiscal_period.h"

#include "storage/date.h"

namespace vorlam::fiscal {

DateRange selectedPeriod(int year, int month) {
  // Any period outside the twelve months stands for the whole year.
  const bool wholeYear = month < 1 || month > 12;
  const int firstMonth = wholeYear ? 1 : month;
  const int lastMonth = wholeYear ? 12 : month;
  const std::optional<int32_t> first = toDayNumber(year, firstMonth, 1);
  const std::optional<int32_t> last = toDayNumber(year, lastMonth, daysInMonth(year, lastMonth));
  if (!first || !last) return {};
  return {*first, *last};
}

DateRange selectedPeriod(const shell::CurrentCompany& company) {
  return selectedPeriod(company.ano, company.mes);
}

}  // namespace vorlam::fiscal
