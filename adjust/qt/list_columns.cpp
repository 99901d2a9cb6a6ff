#include "adjust/qt/list_columns.h"

#include <QFontMetrics>

#include "framework/qt/list_model.h"

namespace vorlam::adjust {

void applyColumnWidths(QTableView* view, const std::vector<ListColumn>& columns) {
  // As wide as picture and header need, so that "Inscrição" is not clipped.
  for (int i = 0; i < int(columns.size()); ++i) {
    view->setColumnHidden(i, columns[size_t(i)].hidden());
    view->setColumnWidth(i, vorlam::qt::columnPixels(columns[size_t(i)], view->fontMetrics()));
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
