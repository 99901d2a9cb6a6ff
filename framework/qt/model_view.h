// Small pieces of the Qt views that show a screen model
// (framework/screen_model.h): the view takes captions, tips, status texts
// and states from the model instead of keeping its own copies.
#pragma once

#include <QAbstractButton>
#include <QString>
#include <string>

#include "framework/screen_model.h"

namespace vorlam::qt {

// The name a screen knows a control by: its own, else its prompt.
inline std::string partName(const ScreenControl& c) { return c.name.empty() ? c.prompt : c.name; }

inline QString modelText(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// An icon-only button shows that it has the focus (it has no caption to
// underline): a style sheet for it or its window.
inline constexpr char kIconButtonFocusStyle[] =
    "QToolButton:focus { border: 2px solid palette(highlight); border-radius: 3px; }";

// Caption, tip and status text of the model's button; its enabled state.
void showModelButton(QAbstractButton* button, const ScreenModel& model, const ScreenButton& modelButton);

// Scrolls the page `w` stands on so that `w` is in sight.  Only Tab does
// it by itself: a field further down, where a screen sent the focus, would
// stay out of sight.
void scrollIntoSight(QWidget* w);

}  // namespace vorlam::qt
