// Constant reference rows of the sample data: CNAE subclasses, contract-change
// codes, CFOP codes, service codes, standard histories and the words names
// are made of.  Texts are UTF-8.  Immutable once built (the lists read from
// the compiled-in tables are built on first use, thread-safely).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vorlam::sampledata {

// The CNAE subclasses (IBGE), in code order.
struct CnaeRow {
  uint32_t code;  // seven digits, shown as ####-#/##
  std::string description;
};
const std::vector<CnaeRow>& cnaeRows();
// The CNAE subclasses a company of business word `businessWord` (an index
// into businessWords()) may carry; a person registered by CPF (index -1)
// gets a liberal profession.  Never empty; every code is in cnaeRows().
std::span<const uint32_t> cnaeCandidates(int businessWord);

struct ChangeCodeRow {
  uint8_t code;
  const char* description;  // at most 20 characters
};
std::span<const ChangeCodeRow> changeCodeRows();

// Every CFOP code of the official table, in code order, with its
// description (UTF-8, whole).
struct CfopEntry {
  int16_t code;
  std::string description;
};
const std::vector<CfopEntry>& cfopCatalogue();

// The CFOP codes the sample books use, with their posting accounts.
enum class CfopKind { kPurchase, kSale, kReturn, kOther };
struct CfopRow {
  int16_t code;
  CfopKind kind;
};
std::span<const CfopRow> cfopRows();
// The posting kind of a code of cfopRows(); nullptr for the other codes.
const CfopRow* findCfopRow(int code);

// Every subitem of the national service list: code = item × 100 + subitem
// (1.07 is 107), description UTF-8 and whole.
struct ServiceEntry {
  uint32_t code;
  std::string description;
};
const std::vector<ServiceEntry>& serviceCatalogue();

// The service codes the sample books use, with their service-tax rates.  A
// row whose code is in serviceCatalogue() takes its description from there;
// `description` serves the sub-codes the list does not have.
struct ServiceRow {
  uint32_t code;
  uint8_t subCode;
  const char* description;  // at most 40 characters; used when not in the list
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

}  // namespace vorlam::sampledata
