#include "sampledata/taxpayer_ids.h"

#include <cstdio>

#include "registry/taxpayer_numbers.h"

namespace vorlam::sampledata {

namespace {

bool allDigits(std::string_view s, size_t n) {
  if (s.size() != n) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string padded(long value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*ld", width, value);
  return buf;
}

}  // namespace

std::string cnpjCheckDigits(std::string_view first12) {
  return allDigits(first12, 12) ? registry::cnpjCheckDigits(first12) : std::string();
}

std::string cpfCheckDigits(std::string_view first9) {
  return allDigits(first9, 9) ? registry::cpfCheckDigits(first9) : std::string();
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

}  // namespace vorlam::sampledata
