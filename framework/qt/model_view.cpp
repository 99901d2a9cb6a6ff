#include "framework/qt/model_view.h"

#include <QPushButton>
#include <QScrollArea>

namespace vorlam::qt {

void showModelButton(QAbstractButton* button, const ScreenModel& model, const ScreenButton& b) {
  if (button == nullptr) return;
  if (!b.caption.empty()) button->setText(modelText(b.caption));
  button->setToolTip(modelText(b.tip));
  button->setStatusTip(modelText(b.status));
  button->setEnabled(model.enabled(b));
  if (auto* push = qobject_cast<QPushButton*>(button); push && model.isDefault(b)) push->setDefault(true);
}

void scrollIntoSight(QWidget* w) {
  for (QWidget* p = w != nullptr ? w->parentWidget() : nullptr; p != nullptr && !p->isWindow(); p = p->parentWidget()) {
    if (auto* page = qobject_cast<QScrollArea*>(p)) {
      page->ensureWidgetVisible(w);
      return;
    }
  }
}

}  // namespace vorlam::qt
