// The four kinds of instalment ("duplicata") the fiscal books keep: those of
// entry invoices, exit invoices and service-tax notes of models 51 and 53.
// Their lists and forms are alike; an InstalmentKind holds everything that
// differs between them (tables, field names, keys, captions, procedures),
// so that the screens and the settlement rules are written once.
//
// Field names are full declared names ("PREntr:Valor"); name() builds the
// instalment's own from its prefix.
#pragma once

#include <string>
#include <vector>

namespace vorlam::fiscal {

struct InstalmentKind {
  // --- The instalment table -------------------------------------------------
  const char* table;        // "ParcRegEntrada"
  const char* prefix;       // "PREntr"
  const char* invoiceDate;  // the invoice's date in the instalment: "DataLancamento" or "DataNF"
  // Entry and exit invoices name their supplier or customer by inscription
  // as part of the invoice identity; service notes do not (their
  // instalments still carry one, which the settlement key repeats).
  bool inscriptionInIdentity;

  // --- The register of the invoices ---------------------------------------
  const char* registerTable;  // "RegEntrada"
  const char* registerKey;    // walked in this order: identity first
  const char* registerDate;
  const char* registerNumber;
  const char* registerSpecies;
  const char* registerSeries;
  const char* registerInscription;  // nullptr: not part of the identity
  const char* totalField;           // "REG:ValorContabil"
  const char* cashField;            // "REG:Vista"

  // --- Settlements ----------------------------------------------------------
  int origin;  // PARCPG:ORIGEM

  // --- Screens --------------------------------------------------------------
  const char* listProcedure;  // "Baixa_Duplicatas_Entradas"
  const char* listTitle;      // "Duplicatas entradas"
  const char* formProcedure;  // "UBDEntradas"
  const char* insertCaption;
  const char* changeCaption;
  const char* deleteCaption;
  const char* menuItem;  // shell/main_menu.h caption
  // Sort keys of the list tabs; nullptr where the table has none.
  const char* keyByDate;         // "Data N.F."
  const char* keyByNumber;       // "Número N.F."
  const char* keyByInscription;  // "Inscrição"
  const char* keyByDue;          // "Vencimento"

  // "PREntr:" + `field`.
  std::string name(const char* field) const { return std::string(prefix) + ":" + field; }
};

const InstalmentKind& entryInstalments();
const InstalmentKind& exitInstalments();
const InstalmentKind& iss51Instalments();
const InstalmentKind& iss53Instalments();
// The four, in menu order.
const std::vector<const InstalmentKind*>& instalmentKinds();

// The four integration groups of a settlement: the title of their messages,
// the instalment's field suffixes and the settlement's fields.
struct SettlementGroup {
  const char* title;        // "Valor da duplicata."
  const char* screenTitle;  // "Valor da Duplicata"
  const char* amount;       // the instalment's amount: "Valor", "Desconto", ...
  const char* debit;        // instalment field suffixes: "ContaDebito", ...
  const char* credit;
  const char* history;
  const char* complement;
  const char* settledDebit;  // "PARCPG:CONTADEBITO", ...
  const char* settledCredit;
  const char* settledHistory;
  const char* settledComplement;
};
inline constexpr int kSettlementGroups = 4;
const SettlementGroup& settlementGroup(int group);

}  // namespace vorlam::fiscal
