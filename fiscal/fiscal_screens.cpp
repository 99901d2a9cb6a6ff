#include "fiscal/fiscal_screens.h"

#include "fiscal/cfop_screens.h"

namespace vorlam::fiscal {

// Each screen of the folder adds itself here as it is built.
void registerScreens(shell::ScreenRegistry& registry) {
  registerCfopScreens(registry);
  registerPartyScreens(registry);
  registerInstalmentScreens(registry);
  registerInvoiceScreens(registry);
  registerServiceNoteScreens(registry);
}

}  // namespace vorlam::fiscal
