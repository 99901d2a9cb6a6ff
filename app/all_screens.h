// Every screen of the program, registered by its subsystem.  The script
// runner and the windows open screens from the same registry.
#pragma once

#include "adjust/adjust_screens.h"
#include "chart/chart_screens.h"
#include "fiscal/fiscal_screens.h"
#include "ledger/ledger_screens.h"
#include "registry/registry_screens.h"
#include "shell/screen_registry.h"
#include "shell/shell_screens.h"
#include "utilities/utilities_screens.h"

namespace vorlam::app {

inline shell::ScreenRegistry allScreens() {
  shell::ScreenRegistry registry;
  shell::registerScreens(registry);
  registry::registerScreens(registry);
  chart::registerScreens(registry);
  adjust::registerScreens(registry);
  ledger::registerScreens(registry);
  fiscal::registerScreens(registry);
  utilities::registerScreens(registry);
  return registry;
}

}  // namespace vorlam::app
