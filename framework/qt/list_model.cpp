#include "framework/qt/list_model.h"

#include <algorithm>

#include "framework/qt/list_delegate.h"
#include "storage/text.h"

namespace vorlam::qt {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

Qt::Alignment qtAlignment(ColumnAlign align) {
  switch (align) {
    case ColumnAlign::kRight:
    case ColumnAlign::kDecimal:
      return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnAlign::kCenter:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case ColumnAlign::kLeft:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

int columnPixels(const ListColumn& c, const QFontMetrics& fm) {
  constexpr int kMargin = 12;
  int px = (c.width + c.indent) * fm.averageCharWidth() / 4 + kMargin;
  const QString header = QString::fromUtf8(c.header.data(), qsizetype(c.header.size()));
  px = qMax(px, fm.horizontalAdvance(header) + kMargin + 6);
  Result<Picture> picture = Picture::compile(c.picture);
  if (picture.isOk() && picture->width() > 0)
    px = qMax(px, fm.horizontalAdvance(QString(picture->width(), '0')) + kMargin);
  return px;
}

RecordListModel::RecordListModel(const ListController& controller, std::vector<ListColumn> columns,
                                 std::vector<int> fields, QObject* parent)
    : QAbstractTableModel(parent), controller_(controller), columns_(columns), cells_(std::move(columns), std::move(fields)) {}

RecordListModel::~RecordListModel() = default;

void RecordListModel::beginPageChange() {
  if (changing_) return;
  changing_ = true;
  beginResetModel();
}

void RecordListModel::endPageChange() {
  if (!changing_) return;
  changing_ = false;
  endResetModel();
}

const Record* RecordListModel::recordAt(int row) const {
  const std::vector<Record>& rows = controller_.rows();
  if (row < 0 || row >= int(rows.size())) return nullptr;
  return &rows[size_t(row)];
}

int RecordListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(controller_.rows().size());
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(columns_.size());
}

QString RecordListModel::cellText(const Record& row, int column) const {
  if (cellText_) {
    if (std::optional<QString> text = cellText_(row, column)) return *text;
  }
  return fromUtf8(cells_.text(row, column));
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
  const Record* row = recordAt(index.row());
  if (row == nullptr || index.column() >= int(columns_.size())) return {};
  if (role == Qt::DisplayRole) return cellText(*row, index.column());
  const ListColumn& column = columns_[size_t(index.column())];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(qtAlignment(column.align));
  if (role == kListIndentRole) return column.indent;
  if (role == kListRightBorderRole) return column.rightBorder;
  if (role == kListUnderlineRole) return underlined(column);
  // A FORMAT that marks no column lets the screen colour the whole row.
  const bool marked = std::any_of(columns_.begin(), columns_.end(), [](const ListColumn& c) { return c.colours; });
  if ((role == Qt::ForegroundRole || role == Qt::BackgroundRole) && (column.colours || !marked) && colours_) {
    const Colours c = colours_(*row, index.column());
    const QColor& wanted = role == Qt::ForegroundRole ? c.foreground : c.background;
    if (wanted.isValid()) return wanted;
  }
  return {};
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= int(columns_.size()))
    return QAbstractTableModel::headerData(section, orientation, role);
  const ListColumn& c = columns_[size_t(section)];
  if (role == Qt::DisplayRole) return fromUtf8(c.header);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(qtAlignment(c.headerAlign));
  if (role == kListIndentRole) return c.headerIndent;
  return {};
}

}  // namespace vorlam::qt
