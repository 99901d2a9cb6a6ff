// The service-tax note forms `UISS53` ("Lançamento da Nota de ISS53") and
// `UISS` ("Lançamento da Nota de ISS Modelo 51") without their windows.
//
// Whatever the request, the note is shown read-only: date, species, series,
// number, up-to number, "Tipo de NF:" (the cancelled flag), the client's
// inscription and name, the service code and sub-code, observations, note
// value, materials and contracted works (model 53), rate, tax, base,
// exempt, remittances, ISS withheld, IRRF, INSS withheld (model 51) and
// cash value.  The client lookup, the service-code lookup and "&Calcula"
// are disabled.  Each "Liga / Desliga" toggle (beside the tax, the base,
// the ISS withheld and the IRRF) disables its field while it is on and
// enables it while it is off.
//
// Per integration group ("À vista", "A prazo"; model 51 also "IRRF" and
// "INSSRF") an "Integração" button opens the integration form
// (fiscal/service_note_integration.h) for that group, and a label beside it
// says "C. ISS", "Manual" or blank (fiscal/service_note_labels.h).  The
// labels are computed when the form opens and again, from the note as
// stored, after each integration form closes; the focus then moves to the
// next group's button ("&OK" after the last).
//
// Tab "Lançamento à &Prazo" lists the note's instalments (columns "Data",
// "Valor"); selecting one shows it in "Data:" and "Valor:".  The instalment
// buttons "&Inclui", "&Exclui" and "Altera" are disabled: instalments are
// kept by the instalment screens.  The summary lines, over the register
// lines of the note (same date, number, series and species):
//   "(+) Vlr Contábil"          the sum of their note values;
//   "(-) Vlr Duplicatas"        the sum of the note's instalments;
//   "(-) Vlr vista (parcial)"   the cash values of the other lines;
//   "(=) Sub diferença"         the three above: value less instalments
//                               less the other lines' cash;
//   "(-) Vlr vista (desta NF)"  this line's cash value;
//   "(=) Diferença"             what no instalment nor cash value covers.
//
// "&OK" and "&Cancela" close the form; it writes nothing itself (the
// integration form writes the note's accounts).
//
// Not thread-safe: the form runs on its list's thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fiscal/integration_rules.h"
#include "fiscal/posting_accounts.h"
#include "fiscal/service_note_layout.h"
#include "fiscal/service_note_references.h"
#include "framework/form_controller.h"
#include "framework/screen_binding.h"
#include "framework/screen_model.h"
#include "shell/screen_registry.h"
#include "storage/decimal.h"
#include "storage/table.h"

namespace vorlam::fiscal {

inline constexpr char kNoteTab[] = "Lançamento da &Nota";
inline constexpr char kInstalmentTab[] = "Lançamento à &Prazo";
inline constexpr int kNoteTabIndex = 0;
inline constexpr int kInstalmentTabIndex = 1;

// The summary lines of the instalment tab.
struct InstalmentSummary {
  Decimal accounting;   // (+) Vlr Contábil
  Decimal instalments;  // (-) Vlr Duplicatas
  Decimal otherCash;    // (-) Vlr vista (parcial)
  Decimal subtotal;     // (=) Sub diferença
  Decimal ownCash;      // (-) Vlr vista (desta NF)
  Decimal difference;   // (=) Diferença
};
// From the note's register lines (cents: value and cash of each, `own` the
// index of the line shown) and the sum of its instalments (cents).
InstalmentSummary summarise(const std::vector<std::pair<int64_t, int64_t>>& lines, size_t own,
                            int64_t instalments);

class ServiceNoteForm {
 public:
  // `table` is the list's open note table; every referent must outlive
  // the form.  `services` opens the searches of the integration form.
  ServiceNoteForm(ScreenContext& context, const ServiceNoteLayout& layout, Table& table, Request request,
                  NoteReferences& references, PostingLookup& lookup, shell::ScreenServices& services);

  // Reads note `recordId` (message 1 and kClosed when it cannot be read),
  // its instalments and labels.
  FormState open(int64_t recordId);

  ScreenModel& screen() { return model_; }
  FormController& controller() { return form_; }
  const std::string& label(size_t group) const { return labels_[group]; }
  const InstalmentSummary& summary() const { return summary_; }

 private:
  void declareScreen();
  void declareNoteFields();
  void declareToggle(const char* name, const std::string& field);
  void declareGroups();
  void declareInstalments();
  void declareButtons();
  Status loadInstalments();
  void computeLabels(bool fresh);
  void openIntegration(size_t group);
  int field(const char* name) const { return form_.fieldIndex(layout_.field(name)); }

  ScreenContext& ctx_;
  const ServiceNoteLayout& layout_;
  Table& table_;
  NoteReferences& references_;
  PostingLookup& lookup_;
  shell::ScreenServices& services_;
  FormDefinition definition_;
  FormController form_;
  ScreenModel model_;
  int tab_ = 0;
  std::string client_;
  std::vector<std::string> labels_;
  std::vector<char> toggles_;  // per toggle: on
  // The instalment tab.
  Table instalmentTable_;
  Table lines_;  // the note's register lines
  ListCells instalmentCells_;
  std::vector<Record> instalments_;
  size_t instalment_ = 0;
  InstalmentSummary summary_;
};

}  // namespace vorlam::fiscal
