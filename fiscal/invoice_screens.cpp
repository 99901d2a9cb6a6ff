// The entry and exit invoice lists and their menu items.

#include "fiscal/fiscal_screens.h"
#include "fiscal/invoice_list.h"
#include "shell/main_menu.h"

namespace vorlam::fiscal {

void registerInvoiceScreens(shell::ScreenRegistry& registry) {
  for (const InvoiceKind* kind : {&entryInvoices(), &exitInvoices()}) {
    registry.add(kind->listProcedure,
                 [kind](shell::ScreenServices& s, const shell::ScreenRequest&) -> Result<std::unique_ptr<Screen>> {
                   return std::unique_ptr<Screen>(new InvoiceList(s, *kind));
                 });
  }
  registry.addMenuItem(shell::menu::kNfEntradas, entryInvoices().listProcedure);
  registry.addMenuItem(shell::menu::kNfSaidas, exitInvoices().listProcedure);
}

}  // namespace vorlam::fiscal
