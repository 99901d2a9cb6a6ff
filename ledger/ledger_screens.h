// The screens of the ledger: journal entries, standard histories and
// standard entries.
#pragma once

#include "shell/screen_registry.h"

namespace vorlam::ledger {

void registerScreens(shell::ScreenRegistry& registry);

}  // namespace vorlam::ledger
