#include "fiscal/cfop_rules.h"

#include <array>

namespace vorlam::fiscal {

namespace {

struct GiaMsRow {
  int first, last, value;
};
// Ranges include both ends.
constexpr GiaMsRow kGiaMs[] = {
    {111, 114, 4},  {121, 124, 5},  {131, 134, 6},  {141, 144, 7},  {151, 165, 8},  {191, 191, 9},
    {192, 192, 10}, {197, 197, 11}, {198, 198, 12}, {199, 199, 13}, {211, 214, 14}, {221, 224, 15},
    {231, 234, 16}, {241, 244, 17}, {251, 265, 18}, {291, 291, 19}, {292, 292, 20}, {297, 297, 21},
    {298, 298, 22}, {299, 299, 23}, {311, 313, 24}, {321, 324, 25}, {331, 331, 26}, {341, 354, 27},
    {391, 391, 28}, {397, 397, 29}, {399, 399, 30}, {511, 517, 32}, {521, 526, 33}, {531, 534, 34},
    {541, 545, 35}, {551, 563, 36}, {591, 592, 37}, {593, 593, 38}, {599, 599, 39}, {611, 617, 40},
    {621, 626, 41}, {631, 634, 42}, {641, 645, 43}, {651, 663, 44}, {691, 692, 45}, {693, 693, 46},
    {699, 699, 47}, {711, 717, 48}, {731, 734, 49}, {741, 741, 50}, {751, 761, 51}, {791, 792, 52},
    {793, 793, 53}, {799, 799, 54},
};

bool before2003(int year) { return year < kFourDigitYear; }

}  // namespace

int defaultContributor(int code) {
  return code == 618 || code == 619 || code == 6108 ? kNonContributor : kContributor;
}

std::optional<int> giaMsCode(int code) {
  for (const GiaMsRow& r : kGiaMs)
    if (code >= r.first && code <= r.last) return r.value;
  return std::nullopt;
}

std::string codeWritingPicture(int year) { return before2003(year) ? "@n03" : "@n04"; }

std::string writtenCode(int code, int year) {
  // A code wider than the picture keeps all its digits here: only its first
  // digit is ever read from it.
  std::string digits = std::to_string(code < 0 ? -code : code);
  const size_t width = before2003(year) ? 3 : 4;
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return code < 0 ? "-" + digits : digits;
}

std::string codeEntryPicture(int code, int year) {
  if (!before2003(year)) return "@n5";
  return code < 1000 ? "@n4" : "@p###.#p";
}

bool showsContributor(int code, int year) {
  const std::string w = writtenCode(code, year);
  return !w.empty() && w[0] >= '5' && w[0] <= '9';
}

bool showsIncomeTaxRate(int code, bool irpj) {
  if (!irpj) return false;
  return code == 574 || code == 560 || code == 660 || code == 5405 || (code >= 5350 && code <= 5357) ||
         (code >= 6350 && code <= 6357);
}

bool isExitCode(int code) { return (code >= 500 && code <= 799) || (code >= 5000 && code <= 7949); }

bool codeAllowedInState(int code, int year, std::string_view state) {
  if (code < 1000 || !before2003(year)) return true;
  return state == "SP";
}

std::string periodFilter(int year) {
  if (before2003(year))
    return "CFO:Codigo > 999 and Sub(Format(CFO:Codigo,@n04),3,2) = 99 or CFO:Codigo > 999 and "
           "Sub(Format(CFO:Codigo,@n04),3,2) = 91 or CFO:Codigo <= 999";
  return "CFO:Codigo > 999 and Sub(Format(CFO:Codigo,@n04),3,2) <> 99 and Sub(Format(CFO:Codigo,@n04),3,2) <> 91";
}

bool codeOfPeriod(int code, int year) {
  const int lastTwo = code % 100;
  const bool old = code <= 999 || (code > 999 && (lastTwo == 99 || lastTwo == 91));
  return before2003(year) ? old : code > 999 && lastTwo != 99 && lastTwo != 91;
}

}  // namespace vorlam::fiscal
