// The screens of the chart of accounts and its structures.
#pragma once

#include "shell/screen_registry.h"

namespace vorlam::chart {

void registerScreens(shell::ScreenRegistry& registry);

}  // namespace vorlam::chart
