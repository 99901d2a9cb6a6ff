#include "ledger/ledger_screens.h"

namespace vorlam::ledger {

// Each screen of the folder adds itself here as it is built.
void registerScreens(shell::ScreenRegistry& registry) { (void)registry; }

}  // namespace vorlam::ledger
