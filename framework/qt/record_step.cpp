#include "framework/qt/record_step.h"

#include <QStyle>

namespace vorlam::qt {

const char* const kListNavigationTips[kRecordStepCount] = {
    "Primeira Página", "Página Anterior", "Registro Anterior",      "Próximo Registro",
    "Próxima Página",  "Última Página",   "Inclua um novo Registro"};

const char* const kFormNavigationTips[kRecordStepCount] = {
    "Salva Alterações e seleciona primeiro Registro", "Salva Alterações",
    "Salva Alterações e seleciona Registro Anterior", "Salva Alterações e seleciona Próximo Registro",
    "Salva Alterações",                               "Salva Alterações e seleciona ultimo Registro",
    "Salva Alterações e inclui um Registro"};

QIcon recordStepIcon(const QStyle* style, RecordStep step) {
  static constexpr QStyle::StandardPixmap kIcons[kRecordStepCount] = {
      QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward, QStyle::SP_ArrowUp,
      QStyle::SP_ArrowDown,         QStyle::SP_MediaSeekForward,  QStyle::SP_MediaSkipForward,
      QStyle::SP_FileDialogNewFolder};
  return style->standardIcon(kIcons[int(step)]);
}

}  // namespace vorlam::qt
