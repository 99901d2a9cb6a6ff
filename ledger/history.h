// The standard histories (`Historico`): the list "Historico" with its tabs
// "Código", "Descrição" and "Parte da Descrição", and the form `UHistorico`.
#pragma once

#include "ledger/registry_list.h"

namespace vorlam::ledger {

inline constexpr char kHistoryListProcedure[] = "Historico";
inline constexpr char kHistoryListTitle[] = "Visualização da Tabela de Histórico Padrão";
inline constexpr char kHistoryFormProcedure[] = "UHistorico";

shell::RecordListLayout historyListLayout();
RegistryFormFactory historyForm();

}  // namespace vorlam::ledger
