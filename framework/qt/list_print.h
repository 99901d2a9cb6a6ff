// Printing a list screen ("Im&prime"): every row of the list in its current
// order, range and filter, under the list's title, with the column headers
// repeated on each page and the page number; hidden columns stay hidden.
#pragma once

#include <QString>

#include "framework/qt/list_model.h"
#include "storage/status.h"

class QPrinter;

namespace vorlam::qt {

// Prints `model`'s list to `printer` (a PDF file or a real printer set up
// by the caller).  Walks the list page by page from a cache of its own; the
// rows the model holds stay as they are.
Status printList(RecordListModel& model, const QString& title, QPrinter& printer);

// printList() into a landscape PDF file at `path`.
Status printListToPdf(RecordListModel& model, const QString& title, const QString& path);

}  // namespace vorlam::qt
