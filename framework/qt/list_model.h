// The rows of a list screen as a Qt table model, read page by page from the
// record file through two PageCaches (framework/page_cache.h).
//
// The model holds a run of consecutive rows of the list: it starts as one
// page (the first, the last, or the page at a locator value) and grows by
// whole pages at its bottom as the view scrolls down (canFetchMore and
// fetchMore) and at its top when the view reaches its first row
// (fetchBefore).  Only pages the user has scrolled through are ever read, so
// a list over a million records opens as fast as one over ten, and jumping
// to the end reads the last page alone.  Both caches start on the same page;
// the lower one walks on forward, the upper one backward.
//
// Not thread-safe: lives on the GUI thread with its screen.  The Table must
// be open and outlive the model; the model overwrites its buffer.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "framework/filter.h"
#include "framework/page_cache.h"
#include "framework/picture.h"
#include "framework/list_format.h"
#include "storage/record.h"
#include "storage/table.h"

namespace vorlam::qt {

class RecordListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Shows the column's text instead of the field's (computed columns); a
  // nullopt answer falls back to the field.
  using CellText = std::function<std::optional<QString>(const Record& row, int column)>;

  // Colours of one cell; an invalid colour keeps the list's own.
  struct Colours {
    QColor foreground;
    QColor background;
  };
  // The colours of `column` on `row`, asked only for columns whose FORMAT
  // has the "*" modifier (the screen's per-row colours).
  using CellColours = std::function<Colours(const Record& row, int column)>;

  // `fields` gives, per column of `columns`, the field shown (-1: none,
  // blank unless a CellText fills it).  `pageSize` >= 1.
  RecordListModel(Table& table, std::vector<ListColumn> columns, std::vector<int> fields, int pageSize,
                  QObject* parent = nullptr);
  ~RecordListModel() override;

  void setCellText(CellText cellText) { cellText_ = std::move(cellText); }
  void setCellColours(CellColours colours) { colours_ = std::move(colours); }

  // --- What is listed (applied to both caches; show a page afterwards) ---
  Status setOrder(int key);
  Status setRange(int components, const Record& values);
  void clearRange();
  void setFilter(const BoundFilter& filter);
  void clearFilter();

  // --- Which rows are held ------------------------------------------------
  Status showFirst();
  Status showLast();
  // The page at `probe`'s locator value; returns the row it stands on.
  Result<int> locate(const Record& probe);
  // Shows the page around `row` (after it was added, changed or deleted)
  // and returns the row now standing at its place.
  Result<int> showAround(const Record& row);
  // Reads the rows held again, from the first one.
  Status reload();

  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  // Rows exist before the first row held.
  bool canFetchBefore() const;
  // Prepends the page before the first row held; returns the rows added.
  int fetchBefore();

  // Walks every row of the list in order, one page in memory at a time,
  // from a cache of its own (the rows held stay as they are); stops early
  // when `visit` returns false.
  Status forEachRow(const std::function<bool(const Record&)>& visit);

  const Record* recordAt(int row) const;
  // Row of the record with number `id`, or -1.
  int rowOf(int64_t id) const;
  // Records read from the file by this model so far.
  int64_t recordsRead() const;
  const std::vector<ListColumn>& columns() const { return columns_; }
  // The last storage failure of a fetch (fetches cannot return one).
  const Status& lastError() const { return lastError_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The display text of one cell (the field through the column's picture).
  QString cellText(const Record& row, int column) const;

 private:
  Status both(const std::function<Status(PageCache&)>& step);
  Status startWith(const std::function<Status(PageCache&)>& load);
  void replaceRows(const std::vector<Record>& rows);
  Status renewCaches();

  Table& table_;
  std::vector<ListColumn> columns_;
  std::vector<int> fields_;
  std::vector<Picture> pictures_;
  std::unique_ptr<PageCache> down_;  // at the last page held
  std::unique_ptr<PageCache> up_;    // at the first page held
  std::deque<Record> rows_;
  CellText cellText_;
  CellColours colours_;
  Status lastError_;
  // What the caches were told, to tell fresh ones the same.
  int order_ = 0;
  int rangeComponents_ = 0;
  std::optional<Record> range_;
  std::optional<BoundFilter> filter_;
  int64_t readBefore_ = 0;
};

// Qt alignment of a list column.
Qt::Alignment qtAlignment(ColumnAlign align);

}  // namespace vorlam::qt
