// The standard entries (`LanPadrao`): the list "Lancamento_Padrao"
// ("Visualização do Lançamento Padrão") with its tabs "Codigo", "Descrição"
// and "Apelido", and the form `UPadrao` ("Lançamento Padrão").
//
// The form's account fields take a code, a reduced code or a nickname of the
// current company's chart (ChartAccounts::findMaskedFirst); a blank account
// opens the chart list to pick one when that screen is built.  An account
// not found is refused ("Atenção!!! Conta Débito não encontrada!!!"), the
// field and its description cleared.  The history must exist in
// `Historico`.  Saving refuses, in this order, a blank debit, a blank
// credit, history 0 and a debit equal to the credit.
#pragma once

#include "ledger/registry_list.h"

namespace vorlam::ledger {

inline constexpr char kStandardListProcedure[] = "Lancamento_Padrao";
inline constexpr char kStandardListTitle[] = "Visualização do Lançamento Padrão";
inline constexpr char kStandardFormProcedure[] = "UPadrao";

shell::RecordListLayout standardListLayout();
// The form; lookups go through `services` (the chart list "PlanoContas",
// the history list "Historico").
RegistryFormFactory standardForm(shell::ScreenServices& services);

}  // namespace vorlam::ledger
