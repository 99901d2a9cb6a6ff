// Column widths of the screen's lists.
#pragma once

#include <QTableView>
#include <vector>

#include "framework/list_format.h"

namespace vorlam::adjust {

// Hides the columns of width 0 and gives the others their FORMAT width
// (list units are a quarter of the average character width).
void applyColumnWidths(QTableView* view, const std::vector<ListColumn>& columns);

// As applyColumnWidths(), then widens each shown column to its header and
// to the rows now held, so that names and registration numbers show whole.
void fitColumns(QTableView* view, const std::vector<ListColumn>& columns);

}  // namespace vorlam::adjust
