// The screens of the company registry.
#pragma once

#include "shell/screen_registry.h"

namespace vorlam::registry {

void registerScreens(shell::ScreenRegistry& registry);

}  // namespace vorlam::registry
