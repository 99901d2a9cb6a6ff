#include "storage/status.h"

namespace vorlam {

const char* defaultMessage(StatusCode code) {
  switch (code) {
    case StatusCode::kOk: return "";
    case StatusCode::kNotFound: return "Registro não disponível";
    case StatusCode::kDuplicateKey: return "Cria chave duplicada";
    case StatusCode::kChangedByOther: return "Registro alterado por outra estação";
    case StatusCode::kDeletedByOther: return "Registro excluído por outra estação";
    case StatusCode::kFileNotFound: return "Arquivo não encontrado";
    case StatusCode::kAccessDenied: return "Acesso negado";
    case StatusCode::kBusy: return "Arquivo bloqueado por outra estação";
    case StatusCode::kIoError: return "Erro de leitura ou gravação no disco";
    case StatusCode::kCorrupt: return "Arquivo danificado";
    case StatusCode::kInvalidArgument: return "Valor ou operação inválida";
    case StatusCode::kOutOfRange: return "Valor fora do limite do campo";
    case StatusCode::kNotOpen: return "Arquivo não aberto";
    case StatusCode::kNoName: return "Nome de arquivo não informado";
    case StatusCode::kAutoNumberFailed: return "Erro de Incremento de automatico";
    case StatusCode::kUnsupported: return "Operação não suportada";
  }
  return "Erro desconhecido";
}

int Status::errorNumber() const {
  switch (code_) {
    case StatusCode::kOk: return 0;
    case StatusCode::kFileNotFound: return 2;
    case StatusCode::kAccessDenied: return 5;
    case StatusCode::kNotFound: return 33;
    case StatusCode::kNotOpen: return 37;
    case StatusCode::kDuplicateKey: return 40;
    case StatusCode::kNoName: return 45;
    case StatusCode::kCorrupt: return 47;
    case StatusCode::kBusy: return 52;
    case StatusCode::kChangedByOther: return 89;
    case StatusCode::kDeletedByOther: return 89;
    case StatusCode::kIoError: return 90;
    case StatusCode::kInvalidArgument: return 91;
    case StatusCode::kOutOfRange: return 92;
    case StatusCode::kAutoNumberFailed: return 93;
    case StatusCode::kUnsupported: return 94;
  }
  return 99;
}

std::string Status::toString() const {
  if (isOk()) return "0";
  std::string s = std::to_string(errorNumber()) + " - " + message_;
  if (!detail_.empty()) s += " (" + detail_ + ")";
  return s;
}

}  // namespace vorlam
