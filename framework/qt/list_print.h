// Printing a list screen ("Im&prime"): every row of the list in its current
// order, range and filter, under the list's title, with the column headers
// repeated on each page and the page number; hidden columns stay hidden.
// The columns keep their indent, right border and underline.
#pragma once

#include <QString>
#include <functional>

#include "framework/page_cache.h"
#include "framework/qt/list_model.h"
#include "storage/status.h"

class QPrinter;

namespace vorlam::qt {

// Prints every row `list` lists (its order, range and filter) to `printer`
// (a PDF file or a real printer set up by the caller), in the columns of
// `model`.  Walks the rows page by page through a copy of `list`, so the
// page shown stays as it is; the table's buffer is overwritten.
Status printList(const RecordListModel& model, const PageCache& list, const QString& title, QPrinter& printer);

// printList() into a landscape PDF file at `path`.
Status printListToPdf(const RecordListModel& model, const PageCache& list, const QString& title,
                      const QString& path);

// Calls `visit` with every row of `list` in order, from the first, one page
// in memory at a time, through a copy of `list`; stops early when `visit`
// returns false.
Status forEachRow(const PageCache& list, const std::function<bool(const Record&)>& visit);

}  // namespace vorlam::qt
