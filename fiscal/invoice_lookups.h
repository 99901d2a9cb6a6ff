// What the invoice screens read beside an invoice: its CFOP (description,
// integration accounts), its supplier or customer, and the integration
// labels of its groups.
//
// CFOP description: the `CFO` record of the company's state, the invoice's
// code and `Turbo` read as the complement number, else the one whose
// nickname (`CFO:APELIDO`) is `Turbo`.  The labels compare the groups with
// the record by complement number only.
//
// Party: from `ForCli` by `FOR:Codigo` = the invoice's party code, else by
// `FOR:CGC` = the inscription, else by `FOR:CPF`, else by `FOR:Codigo` =
// the inscription read as a number (when it is a positive number).  The
// inscription is shown as the CNPJ (`@p##.###.###/####-##p`) when the party's
// `FOR:TipoInscricao` is 1, else as the CPF (`@p###.###.###-##p`).
//
// Files that do not exist hold nothing.  Not thread-safe: one screen's.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fiscal/invoice_kind.h"
#include "framework/screen_context.h"
#include "storage/record.h"
#include "storage/table.h"

namespace vorlam::fiscal {

struct InvoiceParty {
  std::string name;
  std::string inscription;  // through its picture
  std::string city;
  std::string state;
};

class InvoiceLookups {
 public:
  // `context` must outlive the object; `state` is the company's.
  InvoiceLookups(ScreenContext& context, std::string state);

  // The CFOP description of `code` with complement text `turbo` (UTF-8).
  std::string cfopDescription(int64_t code, std::string_view turbo);
  // The party of an invoice; nullopt when none is found.
  std::optional<InvoiceParty> party(int64_t code, std::string_view inscription);
  // The label of every group of `kind` for `invoice`, each rule applied
  // over `previous` (one per group; blank ones when it is empty).
  std::vector<std::string> labels(const InvoiceKind& kind, const Record& invoice,
                                  const std::vector<std::string>& previous);

 private:
  bool ready(Table& table, bool* opened);
  std::optional<Record> cfop(int64_t code, std::string_view turbo, bool byNickname);
  bool partyBy(const char* key, const char* field, std::string_view text, int64_t number);

  ScreenContext& ctx_;
  std::string state_;
  Table cfo_;
  Table parties_;
  bool cfoOpen_ = false, partiesOpen_ = false;
  std::map<std::pair<int64_t, std::string>, std::string> descriptions_;
};

// `text` (a complement) read as a number: its leading digits; 0 for none.
int64_t leadingNumber(std::string_view text);

}  // namespace vorlam::fiscal
