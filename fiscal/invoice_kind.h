// What tells the entry and the exit invoice screens apart: tables, field
// prefixes, procedure names, titles and captions, and the integration
// groups of each register with the CFOP fields they are compared with.
#pragma once

#include <string>
#include <vector>

#include "fiscal/integration_rules.h"
#include "storage/record.h"

namespace vorlam::fiscal {

enum class InvoiceSide { kEntry, kExit };

// One integration group of an invoice.
struct InvoiceGroup {
  IntegrationGroup fields;  // the invoice's fields; title: of the messages
  std::string heading;      // the group's heading on the integration form
  std::string button;       // the invoice form's button ("Integração IPI")
  std::string label;        // the label display's name ("LOC:LABEL_IPI")
  std::string listLabel;    // its prompt below the list; empty: not shown there
  std::string cfoDebit, cfoCredit, cfoHistory;  // set up on the CFOP
  std::string nextField;    // where the focus goes once the form closed
};

struct InvoiceKind {
  InvoiceSide side;
  std::string table;        // "RegEntrada"
  std::string p;            // "REG:"
  std::string instalments;  // "ParcRegEntrada"
  std::string ip;           // "PREntr:"
  std::string listProcedure, listTitle;
  std::string formProcedure, formTitle, formHeading, mainTab;
  std::string insertCaption, changeCaption, deleteCaption;
  std::string integrationProcedure, integrationTitle;
  bool instalmentsEditable = false;
  // In the order of the invoice form's buttons: IPI, ICMS, ICMS Fonte
  // (entries only), à vista, a prazo.
  std::vector<InvoiceGroup> groups;

  std::string f(const char* name) const { return p + name; }
  std::string i(const char* name) const { return ip + name; }
};

const InvoiceKind& entryInvoices();
const InvoiceKind& exitInvoices();

// The five fields that identify an invoice, in key order.
inline constexpr const char* kInvoiceIdentity[] = {"DataLancamento", "Numero", "Especie", "Serie", "Inscricao"};

// Copies the identity of `from` (fields `fromPrefix` + name) into `to`.
void copyIdentity(const Record& from, const std::string& fromPrefix, Record& to, const std::string& toPrefix);
// Whether two records hold the same identity, as the keys compare it
// (texts without letter case and trailing blanks).
bool sameIdentity(const Record& a, const std::string& aPrefix, const Record& b, const std::string& bPrefix);

}  // namespace vorlam::fiscal
