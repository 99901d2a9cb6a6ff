// The structure list ("Visualização da Tabela da Configuração do Plano de
// Contas") opened to pick the new structure of the adjustment.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

#include "dictionary/dictionary.h"
#include "shell/app_state.h"

namespace vorlam::adjust {

// Shows the list of `ConfPlanoContas` modally over `parent`, in the orders
// "Código do Plano de Contas" and "Nome", with "&Seleciona" as its default
// button.  Returns the code of the structure selected, or nullopt when the
// list was closed without a choice or the file could not be opened.
std::optional<uint16_t> pickStructure(const Dictionary& dict, const shell::AppState& state, QWidget* parent);

}  // namespace vorlam::adjust
