// The chart-of-accounts accounts of customers and suppliers, without any
// user interface: the company's numbering setting, the account the form
// proposes, the rewriting of a typed account, the creation of the account in
// the chart, and the search for parties whose account is missing.
//
// Numbering (`EMP:TipoAutomatica`): 0 "Manual", 1 "Sequêncial" (the next
// number under the group), 2 by taxpayer number (the CNPJ root or the first
// nine CPF digits), 3 "Não Inclui" (the chart is never touched).  A new
// account is an analytic record under the company's customer group
// (`EMP:GrupoCliente`) or supplier group (`EMP:GrupoFornecedor`): code,
// next reduced code, the party's name as description, the first word of the
// name in upper case as nickname, and its index field (the code of its
// parent level) so that the chart lists it under its group at once.
//
// Adding never fails silently.  The highest reduced code is read and the
// account added under the chart file's write lock; should the reduced code
// clash all the same (a writer that does not take the lock), it is taken
// anew and the add retried, three attempts in all, and then the failure is
// returned (kAutoNumberFailed) for the caller to report.
//
// Texts of records are Windows-1252, as the record buffers hold them.
// Not thread-safe: the tables belong to the caller's screen or worker.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/account_structure.h"
#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"

namespace vorlam::fiscal {

// `EMP:TipoAutomatica`.
inline constexpr int kNumberingManual = 0;
inline constexpr int kNumberingSequential = 1;
inline constexpr int kNumberingTaxpayer = 2;
inline constexpr int kNumberingNone = 3;

enum class PartySide { kCustomer, kSupplier };

// What the company says about its parties' accounts.
struct PartyAccountSettings {
  int numbering = kNumberingManual;  // EMP:TipoAutomatica
  std::string customerGroup;          // EMP:GrupoCliente, without trailing blanks
  std::string supplierGroup;          // EMP:GrupoFornecedor
  chart::AccountStructure structure;  // the structure in force

  const std::string& group(PartySide side) const {
    return side == PartySide::kCustomer ? customerGroup : supplierGroup;
  }
  // G(g): the digits of the structure's last level; 0 without levels.
  int lastLevelDigits() const;
};

// The settings of the state's current company: its record in the bound
// `Empresa` and its structure in force from the bound `ConfPlanoContas`.
// kNotFound when there is no current company or its record is missing; a
// structure that is not stored leaves `structure` without levels.
Result<PartyAccountSettings> readPartyAccountSettings(const Dictionary& dict, const shell::AppState& state);

// The account fields and flags of `ForCli` for one side.
struct PartySideFields {
  const char* flag;     // "FOR:Clientes"
  const char* account;  // "FOR:ContaCliente"
};
PartySideFields sideFields(PartySide side);

// `number` with leading zeros to `width` digits; nullopt when it does not
// fit (a level cannot hold it).
std::optional<std::string> zeroPadded(uint64_t number, int width);

// Numbering 1: the group, ".", and one more than the number of the last
// account under the group (in code order, accounts longer than the group
// whose code begins with it), zero-padded to G(g).  nullopt when the next
// number does not fit the last level.  Errors are the chart's.
Result<std::optional<std::string>> sequentialProposal(Table& chart, const std::string& group, int lastDigits);

// Numbering 2: the group, "." and the CNPJ root (type 1, first 8 digits of
// `FOR:CGC`) or the first 9 digits of `FOR:CPF` (type 2), zero-padded to
// G(g).  nullopt when the number is blank, holds letters (an alphanumeric
// CNPJ has no numeric root) or does not fit the last level.
std::optional<std::string> taxpayerProposal(const std::string& group, int lastDigits, int inscriptionType,
                                            std::string_view cgc, std::string_view cpf);

// The account the form proposes for `side` of `party` (a `ForCli` buffer)
// under numbering 1 or 2; nullopt under numbering 0 and 3, with a blank
// group, or with a structure of more than 9 levels.
Result<std::optional<std::string>> proposeAccount(Table& chart, const PartyAccountSettings& settings, PartySide side,
                                                  const Record& party);

// A typed account rewritten under `group`: the last G(g) characters of the
// typed text (trailing blanks removed; the whole text when it is shorter)
// read as a number and zero-padded to G(g), after the group and ".".  Typing
// 2.2.2.02.0015 under 1.1.3.01 with G(g) = 4 gives 1.1.3.01.0015, typing 15
// gives 1.1.3.01.0015 too.  nullopt when that part is not a number.
std::optional<std::string> rewriteTypedAccount(const std::string& group, int lastDigits, std::string_view typed);

// The nickname of a new account: the first word of the name in upper case
// (up to the first blank, at most 20 characters).
std::string accountNickname(std::string_view name);

// Adds analytic accounts to one chart file.
class ChartAccountWriter {
 public:
  // `chart` is open for writing; `structure` gives the index field.
  ChartAccountWriter(Table& chart, const chart::AccountStructure& structure);
  ~ChartAccountWriter();  // rolls back what was not committed

  // One transaction around every add until commit() or rollback().
  Status begin();
  Status commit();
  void rollback();

  // Whether the chart holds `code`.
  Result<bool> exists(const std::string& code);
  // Adds `code` with the next reduced code (returned in *reduced).
  // kDuplicateKey (detail "PLA:KEY:CODIGO") when the chart has the code;
  // kAutoNumberFailed after three clashes of the reduced code.
  Status add(const std::string& code, std::string_view name, uint32_t* reduced = nullptr);
  // Removes an account this writer added (a save that did not complete).
  Status remove(const std::string& code, uint32_t reduced);

  // Called after the reduced code is chosen and before the add: where a
  // test stands in for another workstation.
  void setBeforeAdd(std::function<void(Table& chart, uint32_t reduced)> hook) { beforeAdd_ = std::move(hook); }

 private:
  Result<uint32_t> highestReduced();

  Table& chart_;
  const chart::AccountStructure& structure_;
  std::function<void(Table&, uint32_t)> beforeAdd_;
  bool open_ = false;
};

}  // namespace vorlam::fiscal
