// The rules of the CFOP table that depend on the code and the working year
// alone: derived codes, pictures, which parts of the form show, and the
// list's period filter.  Pure functions, safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlam::fiscal {

// The first year whose codes have four digits.
inline constexpr int kFourDigitYear = 2003;

// `CFO:CONTRIBUINTE` values.
inline constexpr int kContributor = 1;     // "1-Contribuinte"
inline constexpr int kNonContributor = 2;  // "2-Não Contribuinte"

// The contributor value a code takes while the field is still 0: 2 for 618,
// 619 and 6108, 1 for every other code.
int defaultContributor(int code);

// The GIA/MS system code of an operation code (the official table of the
// state's return); nullopt for a code outside every row, which leaves the
// field as it was.
std::optional<int> giaMsCode(int code);

// The picture the code is written with for `year`: "@n03" before 2003,
// "@n04" from then on.
std::string codeWritingPicture(int year);
// The code written with that picture ("0512" from 2003, "512" before).
std::string writtenCode(int code, int year);

// The entry picture of the code field: "@n5" from 2003; before, "@n4" for
// codes below 1000 and "@p###.#p" for codes of 1000 and more.
std::string codeEntryPicture(int code, int year);

// The contributor field shows when the first digit of the written code is 5
// or more (exits to other states and abroad).
bool showsContributor(int code, int year);

// The income-tax rate shows for the codes 574, 560, 660, 5405, 5350-5357 and
// 6350-6357 when IRPJ is part of the operation's base.
bool showsIncomeTaxRate(int code, bool irpj);

// Codes 500-799 and 5000-7949 (exits) have no ICMS-at-source group, and the
// third tab reads "Integração Livro Caixa".
bool isExitCode(int code);

// A code of 1000 or more before 2003 belongs to São Paulo alone.
bool codeAllowedInState(int code, int year, std::string_view state);

// The list's filter for the working year: three-digit codes and four-digit
// codes ending in 99 or 91 before 2003, the other four-digit codes from 2003.
std::string periodFilter(int year);
// Whether `code` passes periodFilter(year) (the same rule, for checks).
bool codeOfPeriod(int code, int year);

}  // namespace vorlam::fiscal
