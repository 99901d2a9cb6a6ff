#include "framework/qt/focus_highlight.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace vorlam::qt {

QColor colourFromNumber(uint32_t number) {
  return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

namespace {

bool isIconButton(const QWidget* w) {
  auto* b = qobject_cast<const QAbstractButton*>(w);
  return b != nullptr && b->text().isEmpty() && !b->icon().isNull();
}

}  // namespace

bool isEntryControl(const QWidget* w) {
  return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
         qobject_cast<const QComboBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
         qobject_cast<const QPlainTextEdit*>(w) || isIconButton(w);
}

FocusHighlight::FocusHighlight(QWidget* root, const QColor& colour, bool bold)
    : WindowFilter(root), colour_(colour), bold_(bold) {}

QWidget* FocusHighlight::highlighted() const { return saved_.control.data(); }

bool FocusHighlight::filterWidgetEvent(QWidget* w, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    QWidget* control = controlOf(w);
    if (isEntryControl(control) && control != saved_.control) {
      restore();
      apply(control);
    }
  } else if (event->type() == QEvent::FocusOut) {
    // A drop list's own popup takes the focus for a moment; the control
    // still is the one being edited.
    if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason) return false;
    if (controlOf(w) == saved_.control) restore();
  }
  return false;
}

void FocusHighlight::apply(QWidget* control) {
  saved_.control = control;
  saved_.palette = control->palette();
  saved_.font = control->font();
  saved_.ownPalette = control->testAttribute(Qt::WA_SetPalette);
  saved_.ownFont = control->testAttribute(Qt::WA_SetFont);

  QPalette palette = control->palette();
  palette.setColor(QPalette::Base, colour_);
  // A drop list that cannot be typed into paints its face as a button.
  // So does an icon-only button: its focus shows as the highlight.
  if (auto* combo = qobject_cast<QComboBox*>(control); (combo && !combo->isEditable()) || isIconButton(control))
    palette.setColor(QPalette::Button, colour_);
  control->setPalette(palette);
  if (bold_) {
    QFont font = control->font();
    font.setWeight(QFont::Bold);  // 700
    control->setFont(font);
  }
}

void FocusHighlight::restore() {
  QWidget* control = saved_.control.data();
  saved_.control = nullptr;
  if (control == nullptr) return;
  // A control that inherited its palette or font goes back to inheriting,
  // so later changes of its parent reach it again.
  control->setPalette(saved_.ownPalette ? saved_.palette : QPalette());
  if (bold_) control->setFont(saved_.ownFont ? saved_.font : QFont());
  if (!saved_.ownPalette) control->setAttribute(Qt::WA_SetPalette, false);
  if (bold_ && !saved_.ownFont) control->setAttribute(Qt::WA_SetFont, false);
}

}  // namespace vorlam::qt
