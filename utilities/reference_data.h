// Constant reference rows of the sample data: CNAE codes, contract-change
// codes, CFOP codes, service codes, standard histories and the words names
// are made of.  Texts are UTF-8.  Immutable; safe from any thread.
#pragma once

#include <cstdint>
#include <span>

namespace vorlam::utilities {

struct CnaeRow {
  uint32_t code;  // seven digits, shown as ####-#/##
  const char* description;
};
std::span<const CnaeRow> cnaeRows();

struct ChangeCodeRow {
  uint8_t code;
  const char* description;  // at most 20 characters
};
std::span<const ChangeCodeRow> changeCodeRows();

enum class CfopKind { kPurchase, kSale, kReturn, kOther };
struct CfopRow {
  int16_t code;
  const char* description;
  CfopKind kind;
};
std::span<const CfopRow> cfopRows();

struct ServiceRow {
  uint32_t code;
  uint8_t subCode;
  const char* description;  // at most 40 characters
  int issRateBasisPoints;   // 500 = 5.0000 %
};
std::span<const ServiceRow> serviceRows();

struct HistoryRow {
  const char* description;
  const char* nickname;
};
// Standard histories; row i gets the code i + 1.
std::span<const HistoryRow> historyRows();

// Words for company and person names.
std::span<const char* const> surnames();
std::span<const char* const> firstNames();
std::span<const char* const> businessWords();
std::span<const char* const> streetNames();

}  // namespace vorlam::utilities
