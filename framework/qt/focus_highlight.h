// Focus highlight: the data-entry control that has the focus is painted in
// the highlight colour (optionally in bold) and gets its own colour and
// weight back when it loses the focus.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPalette>
#include <QPointer>
#include <cstdint>

#include "framework/qt/window_filter.h"

namespace vorlam::qt {

// The highlight colour number the main frame sets: red 255, green 255,
// blue 210.
inline constexpr uint32_t kHighlightColourNumber = 13828095;

// A colour number as the settings store it: red in the low byte, then green,
// then blue.
QColor colourFromNumber(uint32_t number);

// Whether `w` takes the focus highlight: line edits, spin boxes (dates
// included), drop lists, text editors, and icon-only buttons (a lookup
// beside its field), whose focus would otherwise hardly show.
bool isEntryControl(const QWidget* w);

class FocusHighlight : public WindowFilter {
  Q_OBJECT
 public:
  // Highlights the entry controls of `root` in `colour`; with `bold` their
  // font weight becomes 700 while they have the focus.  Owned by `root`.
  FocusHighlight(QWidget* root, const QColor& colour, bool bold = false);

  const QColor& colour() const { return colour_; }
  bool bold() const { return bold_; }
  // The control now painted in the highlight, or nullptr.
  QWidget* highlighted() const;

 protected:
  bool filterWidgetEvent(QWidget* w, QEvent* event) override;

 private:
  struct Saved {
    QPointer<QWidget> control;
    QPalette palette;
    QFont font;
    bool ownPalette = false;  // the control had a palette of its own
    bool ownFont = false;
  };
  void apply(QWidget* control);
  void restore();

  QColor colour_;
  bool bold_;
  Saved saved_;
};

}  // namespace vorlam::qt
