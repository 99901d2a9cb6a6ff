#include "framework/screen_context.h"

namespace vorlam {

ProcedureScope::ProcedureScope(ErrorManager& errors, std::string_view procedure) : errors_(errors) {
  // A screen without a procedure name has nothing to report; pushing an
  // empty name would hide the caller's name from %Procedure.
  if (!procedure.empty()) {
    errors_.pushProcedure(procedure);
    pushed_ = true;
  }
}

ProcedureScope::~ProcedureScope() {
  if (pushed_) errors_.popProcedure();
}

}  // namespace vorlam
