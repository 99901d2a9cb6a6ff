// The rows of a list screen as a Qt table model: the page its ListController
// (framework/list_controller.h) holds, read from the record file a page at a
// time through the key's index.  Only the page shown is ever in memory, so
// a list over a million records opens as fast as one over ten, and jumping
// to the end reads the last page alone.
//
// The controller changes its page in its own calls; the window wraps each
// such call in beginPageChange() / endPageChange() so that views never see
// a page half replaced.
//
// Not thread-safe: lives on the GUI thread with its screen.  The controller
// must outlive the model.
//
// Besides the text, alignment and colours, each cell answers its column's
// indent, right border and underline (the roles of list_delegate.h).
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFontMetrics>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "framework/list_controller.h"
#include "framework/list_format.h"
#include "framework/picture.h"
#include "framework/screen_binding.h"
#include "storage/record.h"

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
  // has the "*" modifier, or for every column when none has it (the
  // screen's per-row colours).
  using CellColours = std::function<Colours(const Record& row, int column)>;

  // `fields` gives, per column of `columns`, the field shown (-1: none,
  // blank unless a CellText fills it).
  RecordListModel(const ListController& controller, std::vector<ListColumn> columns, std::vector<int> fields,
                  QObject* parent = nullptr);
  ~RecordListModel() override;

  void setCellText(CellText cellText) { cellText_ = std::move(cellText); }
  void setCellColours(CellColours colours) { colours_ = std::move(colours); }

  // Around every controller call that may replace its page.
  void beginPageChange();
  void endPageChange();

  const Record* recordAt(int row) const;
  const std::vector<ListColumn>& columns() const { return columns_; }
  // The display text of one cell (the field through the column's picture).
  QString cellText(const Record& row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const ListController& controller_;
  std::vector<ListColumn> columns_;
  ListCells cells_;  // the text of a cell, as the screen model shows it
  CellText cellText_;
  CellColours colours_;
  bool changing_ = false;
};

// Qt alignment of a list column.
Qt::Alignment qtAlignment(ColumnAlign align);

// The width in pixels a list column takes: its FORMAT width (list units are
// a quarter of the average character width), but never less than its
// header or what its picture shows, counted in digits (which run wider
// than the average character).
int columnPixels(const ListColumn& column, const QFontMetrics& metrics);

}  // namespace vorlam::qt
