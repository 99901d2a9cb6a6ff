// How a list cell shows the markers of its column in the FORMAT string: the
// indent "(n)" moves the text away from the edge it is aligned to, "|" draws
// a line down the column's right edge and "_" a line under each cell.  The
// list model (list_model.h) answers the roles below per column; the delegate
// and the header draw what they say, and the printed list (list_print.h)
// draws the same through indentedText() and drawCellLines().
#pragma once

#include <QColor>
#include <QHeaderView>
#include <QRect>
#include <QStyledItemDelegate>

#include "framework/list_format.h"

class QPainter;

namespace vorlam::qt {

// Item data roles of a list model, per column.
enum ListCellRole {
  kListIndentRole = Qt::UserRole + 40,  // int: the indent in list units
  kListRightBorderRole,                 // bool: "|"
  kListUnderlineRole,                   // bool: "_"
};

// True when the column's modifiers have "_".
bool underlined(const ListColumn& column);

// `indent` list units (a quarter of `averageCharWidth`) in pixels.
int indentPixels(int indent, int averageCharWidth);

// `text` (where the text would go without an indent) moved by `indentPx`
// away from the edge `align` puts the text against: from the left for left
// alignment, from the right for right alignment, to the right for centred
// text.  A negative indent moves the other way.
QRect indentedText(const QRect& text, Qt::Alignment align, int indentPx);

// The colour of the border and underline lines of a list shown in `widget`
// (the style's grid colour); `widget` may be null (the application's).
QColor listLineColour(const QWidget* widget);

// The lines of one cell `cell`: the right border on its last column of
// pixels, the underline on its last row, each when asked, in `colour` with
// pen width `penWidth` (0: one device pixel).
void drawCellLines(QPainter& painter, const QRect& cell, bool rightBorder, bool underline, const QColor& colour,
                   int penWidth = 0);

// The list's column headers, each with its own indent (kListIndentRole of
// the model's header data).
class ListHeaderView : public QHeaderView {
  Q_OBJECT
 public:
  // Clickable, as the table view's own header.
  explicit ListHeaderView(QWidget* parent = nullptr) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
  }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

// Draws the list's cells with their indent, border and underline (the grid
// of the view should be off: the columns draw their own lines).
class ListCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // Where the text of `index` goes in a cell laid out by `option`.
  QRect textRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

}  // namespace vorlam::qt
