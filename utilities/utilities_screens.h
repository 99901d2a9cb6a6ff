// The screens of the utilities: file maintenance.
#pragma once

#include "shell/screen_registry.h"

namespace vorlam::utilities {

void registerScreens(shell::ScreenRegistry& registry);

}  // namespace vorlam::utilities
