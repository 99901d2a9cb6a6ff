// The screens of the chart-of-accounts adjustment.
#pragma once

#include "shell/screen_registry.h"

namespace vorlam::adjust {

void registerScreens(shell::ScreenRegistry& registry);

}  // namespace vorlam::adjust
