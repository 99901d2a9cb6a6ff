#include "adjust/pending_completion.h"

namespace vorlam::adjust {

QuestionRequest pendingQuestion(const std::vector<PendingAdjustment>& pending) {
  std::string codes;
  size_t count = 0;
  for (const auto& p : pending)
    for (uint16_t c : p.companies) {
      codes += (codes.empty() ? "" : ", ") + std::to_string(c);
      ++count;
    }
  QuestionRequest q;
  q.title = kPendingTitle;
  q.text = std::string("Atenção!!! O ajuste do plano de contas ") + (count == 1 ? "da empresa " : "das empresas ") +
           codes + " foi interrompido durante a gravação.|Deseja concluí-lo agora???";
  q.icon = MessageIcon::kQuestion;
  q.buttonList = "&Não|&Sim";
  q.defaultButton = 2;
  return q;
}

PendingOutcome completePending(const Dictionary& dict, shell::AppState& state,
                               const std::vector<PendingAdjustment>& pending, Observer* observer) {
  PendingOutcome out;
  for (const auto& p : pending) {
    AdjustRun run(dict, state, observer);
    Result<AdjustReport> r = run.resume(p);
    std::string prefix;
    for (uint16_t c : p.companies) prefix += (prefix.empty() ? "Empresa(s) " : ", ") + std::to_string(c);
    prefix += ": ";
    if (!r) {
      ++out.failed;
      out.messages.push_back(prefix + r.status().message());
    } else if (!r->success) {
      ++out.failed;
      out.messages.push_back(prefix + r->finalMessage);
    } else {
      ++out.completed;
      out.messages.push_back(prefix + r->finalMessage);
    }
  }
  return out;
}

std::string pendingSummary(const PendingOutcome& outcome) {
  if (outcome.failed == 0) return "Ajuste concluído com sucesso!!!";
  return "Atenção!!! " + std::to_string(outcome.failed) +
         " empresa(s) não puderam ser concluídas. Verifique o registro do processamento!!!";
}

}  // namespace vorlam::adjust
