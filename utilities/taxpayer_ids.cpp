#include "utilities/taxpayer_ids.h"

#include <cstdio>

namespace vorlam::utilities {

namespace {

bool allDigits(std::string_view s, size_t n) {
  if (s.size() != n) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// Weighted sum of the digits of `s` with `weights` (one per digit).
int weightedSum(std::string_view s, const int* weights) {
  int sum = 0;
  for (size_t i = 0; i < s.size(); ++i) sum += (s[i] - '0') * weights[i];
  return sum;
}

// CNPJ rule: 0 when the remainder is below 2, else 11 - remainder.
char cnpjDigit(int sum) {
  int r = sum % 11;
  return static_cast<char>('0' + (r < 2 ? 0 : 11 - r));
}

// CPF rule: 11 - remainder, 0 when that is 10 or 11.
char cpfDigit(int sum) {
  int d = 11 - sum % 11;
  return static_cast<char>('0' + (d >= 10 ? 0 : d));
}

std::string padded(long value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*ld", width, value);
  return buf;
}

}  // namespace

std::string cnpjCheckDigits(std::string_view first12) {
  if (!allDigits(first12, 12)) return {};
  static const int kW1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int kW2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  std::string s(first12);
  s += cnpjDigit(weightedSum(s, kW1));
  s += cnpjDigit(weightedSum(s, kW2));
  return s.substr(12);
}

std::string cpfCheckDigits(std::string_view first9) {
  if (!allDigits(first9, 9)) return {};
  static const int kW1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int kW2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
  std::string s(first9);
  s += cpfDigit(weightedSum(s, kW1));
  s += cpfDigit(weightedSum(s, kW2));
  return s.substr(9);
}

std::string makeCnpj(long root, int order) {
  std::string base = padded(root % 100000000L, 8) + padded(order % 10000, 4);
  return base + cnpjCheckDigits(base);
}

std::string makeCpf(long base) {
  std::string b = padded(base % 1000000000L, 9);
  return b + cpfCheckDigits(b);
}

bool validCnpj(std::string_view cnpj) {
  return allDigits(cnpj, 14) && cnpjCheckDigits(cnpj.substr(0, 12)) == cnpj.substr(12);
}

bool validCpf(std::string_view cpf) {
  return allDigits(cpf, 11) && cpfCheckDigits(cpf.substr(0, 9)) == cpf.substr(9);
}

}  // namespace vorlam::utilities
