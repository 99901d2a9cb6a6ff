// Sample charts of accounts: a standard Brazilian chart laid out under any
// account-code structure of four to nine levels.
//
// The chart has four fixed group levels by meaning (class, subclass, group,
// and the analytic accounts); structures with more levels get one group per
// extra level between the group and its accounts, named after the group.
// So every analytic account has a synthetic parent at every level above it.
// Pure data building: no files are touched here.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "chart/account_structure.h"

namespace vorlam::sampledata {

struct DemoAccount {
  std::string code;         // written code ("1.1.1.01.0001"), digits and dots only
  std::string description;  // UTF-8
  std::string nickname;     // UTF-8, at most 20 characters
  bool analytic = false;
  uint32_t reduced = 0;     // 1, 2, ... in code order
  uint16_t filial = 0;      // head office or branch of an analytic account, 0 when none
  std::string key;          // role of a template account ("caixa", "g_clientes"), else empty
  std::string indice;       // `PLA:Indice`: own code (synthetic) or parent at level g-1
};

struct ChartModel {
  chart::AccountStructure structure;
  std::vector<DemoAccount> accounts;  // in code order
  std::vector<size_t> analytic;       // indexes of the analytic accounts
  std::vector<std::string> customerAccounts;  // one per customer name given, in order
  std::vector<std::string> supplierAccounts;  // one per supplier name given, in order

  // The account of a template role; nullptr when the chart has none.
  const DemoAccount* byKey(const std::string& key) const;
  // Code of the account of a role; empty when there is none.
  std::string code(const std::string& key) const;
  const DemoAccount* find(const std::string& code) const;

  std::map<std::string, size_t> keys;   // role -> index
  std::map<std::string, size_t> codes;  // code -> index
};

// Builds the chart for `structure` (4 to 9 levels, each level wide enough
// for its numbers).  Customer and supplier accounts are added under the
// customer and supplier groups, numbered after the groups' general account.
// `filials`, when not empty, are given in turn to the analytic accounts.
ChartModel buildChart(const chart::AccountStructure& structure,
                      const std::vector<std::string>& customerNames,
                      const std::vector<std::string>& supplierNames,
                      const std::vector<uint16_t>& filials);

// The numbered piece of one level: `number` with leading zeros to the
// level's width.
std::string levelPiece(int number, int width);

}  // namespace vorlam::sampledata
