// The steps of the navigation toolbars of lists and forms, in toolbar
// order, with their icons and tooltips.  On a list a step moves the
// highlight; on a form it saves the record first, and the list then moves
// and opens the form again on the record it arrived at.
#pragma once

#include <QIcon>
#include <QString>

class QStyle;

namespace vorlam::qt {

enum class RecordStep { kFirst, kPageUp, kPrevious, kNext, kPageDown, kLast, kInsert };
inline constexpr int kRecordStepCount = 7;

// Tooltips by step, in toolbar order.
extern const char* const kListNavigationTips[kRecordStepCount];
extern const char* const kFormNavigationTips[kRecordStepCount];
// What the insert and next buttons of a form read while it inserts.
inline constexpr const char* kFormInsertingTip = "Salva Registro";

QIcon recordStepIcon(const QStyle* style, RecordStep step);

}  // namespace vorlam::qt
