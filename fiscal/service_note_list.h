// The lists of service-tax notes, "ISS_53" ("Visualização da Tabela das
// Notas de Prestação de Serviços Modelo 53") and "ISS_51" (its model-51
// counterpart), without their windows.
//
// The notes listed are those of the current company and year dated within
// the selected period (the month of the period, or the whole year for the
// thirteenth; fiscal/fiscal_period.h), through the filter
// "(ISS53:Data => Loc:DataInicial And ISS53:Data <= Loc:DataFinal)" (ISS:
// for model 51).  Model 51 has the tabs "&Por Número  das Notas" (number
// order) and "Por &Código do Serviço" (service code, date and number);
// model 53 lists in number order.  With no company current, the company and
// period selection opens first.
//
// Below the list: the highlighted note's client ("Cliente..."; see
// fiscal/service_note_references.h), its integration labels ("À vista", "A
// prazo" and, for model 51, "IRRF"; fiscal/service_note_labels.h), and the
// totals of every listed note: "Notas" (`ValorNota`), "ISS Fonte" (`ISSRF`)
// and "IRRF" (`IRF`), recomputed whenever the list is filled.
//
// Model 51's entry "Pesquisa número NF......" looks a non-zero number up
// among the listed notes: found, the list shows and highlights the first
// note of that number (in the current tab's order); not found, the screen
// beeps and says "Atenção!!! Número NF não encontrada!!!" (title
// "Atenção!!!") and the list stays where it was.
//
// "&Altera" (the default, Enter) and "&Visualiza" open the note form
// (fiscal/service_note_form.h) on the highlighted note, as change or view;
// notes are never typed or deleted here.
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fiscal/fiscal_period.h"
#include "fiscal/posting_accounts.h"
#include "fiscal/service_note_layout.h"
#include "fiscal/service_note_references.h"
#include "framework/list_controller.h"
#include "shell/screen_registry.h"
#include "storage/decimal.h"
#include "storage/table.h"

namespace vorlam::fiscal {

inline constexpr char kNoteNotFound[] = "Atenção!!! Número NF não encontrada!!!";

class ServiceNoteList : public shell::HostedScreen {
 public:
  ServiceNoteList(shell::ScreenServices& services, const ServiceNoteLayout& layout);
  ScreenModel& model() override { return model_; }
  Status open() override;

  ListController& list() { return *list_; }
  const DateRange& range() const { return range_; }

 private:
  struct Totals {
    Decimal notes, issSource, incomeTax;
  };
  void declare();
  void declareBelow();
  void declareButtons();
  // The highlighted note's client and labels, when the highlight moved.
  void showSelected();
  Status computeTotals();
  Status search(const std::string& typed);
  void openForm(Request request);

  const ServiceNoteLayout& layout_;
  ScreenModel model_;
  ListDefinition definition_;
  Table table_;   // the list's rows and the forms' record
  Table search_;  // the number search and the totals walk
  std::unique_ptr<ListController> list_;
  NoteReferences references_;
  PostingLookup lookup_;
  DateRange range_;
  Totals totals_;
  int64_t shownId_ = -1;
  std::string client_;
  std::vector<std::string> labels_;  // per group of the layout
  int64_t searchNumber_ = 0;
};

}  // namespace vorlam::fiscal
