// What the service-note screens read beside a note: the name of its client
// (`ForCli`) and its service code (`CtaISS`, the company's own or the shared
// copy, as the bound file name says).
//
// The client is the invoices' party (fiscal/invoice_lookups.h) of a note
// without a party code: by CNPJ (`FOR:CGC`) equal to the note's
// inscription, else by CPF (`FOR:CPF`), else by code (`FOR:Codigo`) equal
// to the inscription read as a number; an inscription that is not a
// positive number is not tried as a code.  No hit gives a blank name.
//
// The service code is the first of `CTA:KEY:CODIGO` whose `CTA:CODIGO` is
// the note's code, whatever its sub-code.
//
// Files that cannot be opened (a company without its own copy yet) hold
// nothing: lookups in them find nothing.  Not thread-safe: the references
// belong to one screen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fiscal/invoice_lookups.h"
#include "framework/screen_context.h"
#include "storage/record.h"
#include "storage/table.h"

namespace vorlam::fiscal {

class NoteReferences {
 public:
  // `context` must outlive the object.
  explicit NoteReferences(ScreenContext& context);

  // The client's name (UTF-8, without trailing blanks); `inscription` as
  // the note holds it (Windows-1252).
  std::string clientName(std::string_view inscription);
  // The service code `code`; nullopt when there is none.
  std::optional<Record> serviceCode(int64_t code);

 private:
  ScreenContext& ctx_;
  InvoiceLookups parties_;
  Table codes_;
  bool codesTried_ = false;
};

}  // namespace vorlam::fiscal
