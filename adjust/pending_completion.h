// Completion of adjustments whose commit was cut off, offered at start-up.
//
// When the process ends while a unit of companies is being adjusted, its work
// directory stays in "Temp/Ajuste" (see AdjustRun::resume).  At the next
// start the tool asks whether to complete those companies now; completing
// puts their original files and records back and adjusts them again from
// the start.
// UI-free: the question goes through Dialogs, the work through an Observer.
#pragma once

#include <string>
#include <vector>

#include "adjust/adjust_run.h"
#include "framework/dialogs.h"

namespace vorlam::adjust {

inline constexpr char kPendingTitle[] = "Ajuste do Plano de Contas";

// The question for `pending` (not empty), e.g. for companies 123 and 200:
// "Atenção!!! O ajuste do plano de contas das empresas 123, 200 foi
// interrompido durante a gravação.|Deseja concluí-lo agora???", with the
// buttons "&Não|&Sim" and "&Sim" as default.
QuestionRequest pendingQuestion(const std::vector<PendingAdjustment>& pending);

// What completing the pending companies gave.
struct PendingOutcome {
  int completed = 0;  // companies now complete
  int failed = 0;     // companies still pending or with failures
  std::vector<std::string> messages;  // one final message per company (UTF-8)
};

// Completes every company of `pending` in turn.  Safe to run off the GUI
// thread: the state is thread-safe and the run owns its tables.
PendingOutcome completePending(const Dictionary& dict, shell::AppState& state,
                               const std::vector<PendingAdjustment>& pending, Observer* observer);

// The closing message of `outcome`: "Ajuste concluído com sucesso!!!" when
// every company completed, else a message that counts the failures.
std::string pendingSummary(const PendingOutcome& outcome);

}  // namespace vorlam::adjust
