#include "adjust/qt/list_columns.h"

#include <QFontMetrics>

namespace vorlam::adjust {

void applyColumnWidths(QTableView* view, const std::vector<ListColumn>& columns) {
  const int unit = view->fontMetrics().averageCharWidth();
  for (int i = 0; i < int(columns.size()); ++i) {
    view->setColumnHidden(i, columns[size_t(i)].hidden());
    view->setColumnWidth(i, qMax(8, columns[size_t(i)].width * unit / 4 + 6));
  }
}

void fitColumns(QTableView* view, const std::vector<ListColumn>& columns) {
  applyColumnWidths(view, columns);
  for (int i = 0; i < int(columns.size()); ++i) {
    if (columns[size_t(i)].hidden()) continue;
    const int least = view->columnWidth(i);
    view->resizeColumnToContents(i);
    if (view->columnWidth(i) < least) view->setColumnWidth(i, least);
  }
}

}  // namespace vorlam::adjust
