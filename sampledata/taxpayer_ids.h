// Brazilian taxpayer numbers for sample data: CNPJ (companies, 14 digits) and
// CPF (persons, 11 digits) with their two check digits, as the company and
// customer forms verify them.  Pure functions, thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace vorlam::sampledata {

// The two check digits ("81") of the first 12 digits of a CNPJ; empty when
// `first12` is not 12 decimal digits.
std::string cnpjCheckDigits(std::string_view first12);
// The two check digits of the first 9 digits of a CPF; empty when `first9`
// is not 9 decimal digits.
std::string cpfCheckDigits(std::string_view first9);

// A full CNPJ: root (8 digits, leading zeros), establishment order (4 digits)
// and check digits.  `root` < 10^8, `order` < 10^4.
std::string makeCnpj(long root, int order);
// A full CPF from its 9-digit base (< 10^9).
std::string makeCpf(long base);

// True when the text is exactly 14 (11) digits whose last two are right.
bool validCnpj(std::string_view cnpj);
bool validCpf(std::string_view cpf);

}  // namespace vorlam::sampledata
