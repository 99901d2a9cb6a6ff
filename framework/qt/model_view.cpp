#include "framework/qt/model_view.h"

#include <QPushButton>

namespace vorlam::qt {

void showModelButton(QAbstractButton* button, const ScreenModel& model, const ScreenButton& b) {
  if (button == nullptr) return;
  if (!b.caption.empty()) button->setText(modelText(b.caption));
  button->setToolTip(modelText(b.tip));
  button->setStatusTip(modelText(b.status));
  button->setEnabled(model.enabled(b));
  if (auto* push = qobject_cast<QPushButton*>(button); push && model.isDefault(b)) push->setDefault(true);
}

}  // namespace vorlam::qt
