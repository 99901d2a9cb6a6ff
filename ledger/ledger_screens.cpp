#include "ledger/ledger_screens.h"

#include "ledger/history.h"
#include "ledger/journal_screen.h"
#include "ledger/standard_entry.h"
#include "shell/main_menu.h"

namespace vorlam::ledger {

void registerScreens(shell::ScreenRegistry& registry) {
  registerRegistry(registry, historyListLayout(), [](shell::ScreenServices&) { return historyForm(); });
  registerRegistry(registry, standardListLayout(), [](shell::ScreenServices& s) { return standardForm(s); });
  registry.add(kJournalProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                      -> Result<std::unique_ptr<Screen>> {
    if (!r.mode.empty()) return Status(StatusCode::kNotFound, "a tela abre só como lista", kJournalProcedure);
    return std::unique_ptr<Screen>(new JournalScreen(s));
  });
  registry.addMenuItem(shell::menu::kLancamentoPadrao, kStandardListProcedure);
  registry.addMenuItem(shell::menu::kLancamentosContabilidade, kJournalProcedure);
}

}  // namespace vorlam::ledger
