// The structure list `ConfigContas` opened to pick the new structure of the
// adjustment.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "shell/app_state.h"

namespace vorlam::adjust {

// Shows the structure list (chart/qt/structure_list_window.h) opened to
// pick, modally over `parent`, and waits for it to close.  Returns the code
// of the structure chosen with "&Selecionar", or nullopt when the list was
// closed without a choice or could not be opened.
std::optional<uint16_t> pickStructure(const Dictionary& dict, const shell::AppState& state,
                                      ErrorServices& errorServices, ApplicationControl& application,
                                      QWidget* parent);

}  // namespace vorlam::adjust
