// The instalment lists ("Duplicatas entradas", "Tabela Duplicatas NF Saída",
// "Duplicatas ISS 51", "Duplicatas NF ISS53") without their windows: the
// instalments of the selected company and year by invoice date (with a
// locator on it), number, inscription (goods invoices only: the service
// notes' instalments have no key by inscription) and due date, and the
// buttons "&Inclui", "&Altera/Baixa", "&Exclui", "&Fecha" and "&Ajuda".
//
// After the form completed an insert, change or delete:
//  1. the invoice's total (its register lines' accounting value) and its
//     instalments' total are summed; unless deleting, instalments above the
//     total are said ("Soma Duplicatas maior NF") and the form opens once
//     more on the same instalment (for change after an insert, else with
//     the same request); the totals are not compared after that;
//  2. the cash value of the invoice's register lines is derived again from
//     its instalments (fiscal/instalment_settlement.h).  When the form moved
//     the instalment to another invoice, that invoice's lines are derived
//     again too, since it lost the instalment.
// A form that was cancelled leaves everything as it was.
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fiscal/instalment_form.h"
#include "framework/list_controller.h"
#include "framework/screen_model.h"

namespace vorlam::fiscal {

extern const char kInstalmentListFormat[];
inline constexpr char kTotalsTitle[] = "Soma Duplicatas maior NF";

// "Soma do valor das Duplicatas ( R$ ... ) excedeu o valor total da NF ( R$
// ... ). Pressione enter para alterar a duplicata lançada".
std::string totalsExceededText(const Decimal& instalments, const Decimal& invoice);

ListDefinition instalmentListDefinition(const InstalmentKind& kind);

class InstalmentList {
 public:
  // Prepares each form the list opens (its searches and integration rules).
  using FormSetup = std::function<void(InstalmentForm& form)>;

  // `context` and `dict` must outlive the list.
  InstalmentList(ScreenContext& context, const Dictionary& dict, const InstalmentKind& kind, InstalmentEnvironment env);

  // Opens the tables and shows the first tab; a failure has been shown and
  // the model closed.
  Status open();

  const InstalmentKind& kind() const { return kind_; }
  ListController& rows() { return list_; }
  InstalmentTables& tables() { return tables_; }
  ScreenModel& screen() { return model_; }
  void setFormSetup(FormSetup setup) { setup_ = std::move(setup); }
  bool request(Request request);

 private:
  struct Edited {
    bool completed = false;
    int64_t id = 0;
    InstalmentKey opened, saved;
  };
  bool runForm(Request request, const Record* row);
  Edited edit(Request request, int64_t id);
  void afterEdits(Request request, const Edited& first);
  void rederive(const InstalmentKey& invoice);
  void declareScreen();

  ScreenContext& ctx_;
  const InstalmentKind& kind_;
  InstalmentEnvironment env_;
  ListDefinition definition_;
  InstalmentTables tables_;
  ListController list_;
  FormSetup setup_;
  ScreenModel model_;
};

}  // namespace vorlam::fiscal
