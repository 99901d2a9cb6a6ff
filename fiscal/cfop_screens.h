// Registers the CFOP list `BCFO` (menu item "&CFOP") and form `UCFO`, and
// the service-code form `UPlanoISS`.
//
// Requests: `BCFO` opens plain or in select mode (chosenKeys(): state, code
// and complement); `UCFO` takes the mode of the form request and, but for
// insert, the keys state, code and complement; `UPlanoISS` takes the keys
// `CTA:CODIGO` and `CTA:SUBCODSERVICO`.  Each opens the company and period
// selection first when no company is current.
#pragma once

#include "shell/screen_registry.h"

namespace vorlam::fiscal {

void registerCfopScreens(shell::ScreenRegistry& registry);

}  // namespace vorlam::fiscal
