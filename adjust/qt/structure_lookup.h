// The structure list `ConfigContas` opened to pick the new structure of the
// adjustment.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

#include "shell/qt/shell_services.h"

namespace vorlam::adjust {

// Shows the structure list opened to pick (through the screens registered
// in `services`), modally over `parent` only, and waits for it to close.
// Returns the code of the structure chosen with "&Selecionar", or nullopt
// when the list was closed without a choice or could not be opened.
std::optional<uint16_t> pickStructure(shell::qt::ShellServices& services, QWidget* parent);

}  // namespace vorlam::adjust
