#include "framework/qt/list_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace vorlam::qt {

namespace {

QStyle* styleOf(const QWidget* widget) { return widget != nullptr ? widget->style() : QApplication::style(); }

// The cell less the margin the style keeps round a cell's text, moved by
// the column's indent.  List cells have no icon or check box: the text
// has the whole cell.  `opt` has been through initStyleOption().
QRect indentedArea(const QStyleOptionViewItem& opt, const QModelIndex& index) {
  const int margin = styleOf(opt.widget)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
  const QRect area = opt.rect.adjusted(margin, 0, -margin, 0);
  const int indent = indentPixels(index.data(kListIndentRole).toInt(), opt.fontMetrics.averageCharWidth());
  return indentedText(area, opt.displayAlignment, indent);
}

}  // namespace

bool underlined(const ListColumn& column) { return column.modifiers.find('_') != std::string::npos; }

int indentPixels(int indent, int averageCharWidth) { return indent * averageCharWidth / 4; }

QRect indentedText(const QRect& text, Qt::Alignment align, int indentPx) {
  if (align & Qt::AlignRight) return text.adjusted(0, 0, -indentPx, 0);
  if (align & Qt::AlignHCenter) return text.translated(indentPx, 0);
  return text.adjusted(indentPx, 0, 0, 0);
}

QColor listLineColour(const QWidget* widget) {
  QStyleOption opt;
  if (widget != nullptr) opt.initFrom(widget);
  else opt.palette = QApplication::palette();
  return QColor::fromRgba(QRgb(styleOf(widget)->styleHint(QStyle::SH_Table_GridLineColor, &opt, widget)));
}

void drawCellLines(QPainter& painter, const QRect& cell, bool rightBorder, bool underline, const QColor& colour,
                   int penWidth) {
  if (!rightBorder && !underline) return;
  painter.save();
  painter.setPen(QPen(colour, penWidth));
  if (underline) painter.drawLine(cell.bottomLeft(), cell.bottomRight());
  if (rightBorder) painter.drawLine(cell.topRight(), cell.bottomRight());
  painter.restore();
}

void ListHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  const int indent = model() != nullptr ? model()->headerData(logicalIndex, orientation(), kListIndentRole).toInt() : 0;
  if (indent == 0 || !rect.isValid()) {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    return;
  }
  // The section without its label, then the label where the indent puts it.
  QStyleOptionHeader opt;
  initStyleOption(&opt);
  initStyleOptionForIndex(&opt, logicalIndex);
  opt.rect = rect;
  QStyleOptionHeader label = opt;
  opt.text.clear();
  style()->drawControl(QStyle::CE_Header, &opt, painter, this);
  label.rect = indentedText(style()->subElementRect(QStyle::SE_HeaderLabel, &label, this), label.textAlignment,
                            indentPixels(indent, fontMetrics().averageCharWidth()));
  painter->save();
  painter->setClipRect(rect);
  style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
  painter->restore();
}

QRect ListCellDelegate::textRect(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  return indentedArea(opt, index);
}

void ListCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QRect area = indentedArea(opt, index);
  // The style draws the cell (background, selection, focus) without its
  // text, which goes where the indent puts it.
  const QString text = opt.text;
  opt.text.clear();
  styleOf(opt.widget)->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
  if (!text.isEmpty() && area.width() > 0) {
    QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active)) group = QPalette::Inactive;
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    painter->save();
    painter->setClipRect(opt.rect);
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(area, int(opt.displayAlignment), opt.fontMetrics.elidedText(text, opt.textElideMode, area.width()));
    painter->restore();
  }
  drawCellLines(*painter, opt.rect, index.data(kListRightBorderRole).toBool(), index.data(kListUnderlineRole).toBool(),
                listLineColour(opt.widget));
}

}  // namespace vorlam::qt
