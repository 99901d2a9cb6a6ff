#include "framework/qt/list_model.h"

#include "storage/text.h"

namespace vorlam::qt {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

PictureValue valueOf(const Record& row, int field, const Picture& picture) {
  const FieldDef& def = row.def().fields[size_t(field)];
  switch (def.spec.type) {
    case FieldType::kString:
      return latin1ToUtf8(row.getText(field));
    case FieldType::kDecimal:
      return row.getDecimal(field);
    default:
      break;
  }
  const int64_t n = row.getInt(field);
  if (picture.kind() == Picture::Kind::kDate) return DayNumber{int32_t(n)};
  if (picture.kind() == Picture::Kind::kTime) return TimeOfDay{int32_t(n)};
  return n;
}

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

RecordListModel::RecordListModel(Table& table, std::vector<ListColumn> columns, std::vector<int> fields,
                                 int pageSize, QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      columns_(std::move(columns)),
      fields_(std::move(fields)),
      down_(std::make_unique<PageCache>(table, pageSize)),
      up_(std::make_unique<PageCache>(table, pageSize)) {
  fields_.resize(columns_.size(), -1);
  for (const ListColumn& c : columns_) {
    Result<Picture> p = Picture::compile(c.picture);
    pictures_.push_back(p.isOk() ? p.value() : Picture());
  }
}

RecordListModel::~RecordListModel() = default;

Status RecordListModel::both(const std::function<Status(PageCache&)>& step) {
  Status s = step(*down_);
  if (s.isOk()) s = step(*up_);
  return s;
}

Status RecordListModel::setOrder(int key) {
  Status s = both([key](PageCache& c) { return c.setOrder(key); });
  if (s.isOk()) order_ = key;
  return s;
}
Status RecordListModel::setRange(int components, const Record& values) {
  Status s = both([&](PageCache& c) { return c.setRange(components, values); });
  if (s.isOk()) {
    rangeComponents_ = components;
    range_ = values;
  }
  return s;
}
void RecordListModel::clearRange() {
  down_->clearRange();
  up_->clearRange();
  range_.reset();
  rangeComponents_ = 0;
}
void RecordListModel::setFilter(const BoundFilter& filter) {
  down_->setFilter(filter);
  up_->setFilter(filter);
  filter_ = filter;
}
void RecordListModel::clearFilter() {
  down_->clearFilter();
  up_->clearFilter();
  filter_.reset();
}

void RecordListModel::replaceRows(const std::vector<Record>& rows) {
  beginResetModel();
  rows_.assign(rows.begin(), rows.end());
  endResetModel();
}

Status RecordListModel::startWith(const std::function<Status(PageCache&)>& load) {
  Status s = both(load);
  if (!s.isOk()) return s;
  replaceRows(down_->rows());
  return s;
}

Status RecordListModel::showFirst() {
  return startWith([](PageCache& c) { return c.first(); });
}
Status RecordListModel::showLast() {
  return startWith([](PageCache& c) { return c.last(); });
}

Result<int> RecordListModel::locate(const Record& probe) {
  Result<size_t> at = down_->locate(probe);
  if (!at.isOk()) return at.status();
  Result<size_t> again = up_->locate(probe);
  if (!again.isOk()) return again.status();
  replaceRows(down_->rows());
  return int(*at);
}

Result<int> RecordListModel::showAround(const Record& row) {
  // Two fresh caches, told the same, land on the same page around the row.
  Status s = renewCaches();
  if (!s.isOk()) return s;
  Result<size_t> at = down_->refreshAround(row);
  if (!at.isOk()) return at.status();
  Result<size_t> again = up_->refreshAround(row);
  if (!again.isOk()) return again.status();
  replaceRows(down_->rows());
  return int(*at);
}

Status RecordListModel::renewCaches() {
  const int pageSize = down_->pageSize();
  readBefore_ += down_->recordsRead() + up_->recordsRead();
  down_ = std::make_unique<PageCache>(table_, pageSize);
  up_ = std::make_unique<PageCache>(table_, pageSize);
  Status s = both([this](PageCache& c) { return c.setOrder(order_); });
  if (s.isOk() && range_) s = both([this](PageCache& c) { return c.setRange(rangeComponents_, *range_); });
  if (s.isOk() && filter_) {
    down_->setFilter(*filter_);
    up_->setFilter(*filter_);
  }
  return s;
}

Status RecordListModel::reload() {
  if (rows_.empty()) return showFirst();
  Result<int> at = showAround(rows_.front());
  return at.status();
}

bool RecordListModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && !down_->atEnd();
}

void RecordListModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  Status s = down_->nextPage();
  if (!s.isOk()) {
    lastError_ = s;
    return;
  }
  // Near the end a page is filled up with rows already held: keep only the
  // rows after the last one.
  std::vector<const Record*> fresh;
  for (const Record& r : down_->rows())
    if (rows_.empty() || down_->compareRows(r, rows_.back()) > 0) fresh.push_back(&r);
  if (fresh.empty()) return;
  const int first = int(rows_.size());
  beginInsertRows({}, first, first + int(fresh.size()) - 1);
  for (const Record* r : fresh) rows_.push_back(*r);
  endInsertRows();
}

bool RecordListModel::canFetchBefore() const { return !up_->atStart(); }

int RecordListModel::fetchBefore() {
  if (!canFetchBefore()) return 0;
  Status s = up_->previousPage();
  if (!s.isOk()) {
    lastError_ = s;
    return 0;
  }
  std::vector<const Record*> fresh;
  for (const Record& r : up_->rows())
    if (rows_.empty() || up_->compareRows(r, rows_.front()) < 0) fresh.push_back(&r);
  if (fresh.empty()) return 0;
  beginInsertRows({}, 0, int(fresh.size()) - 1);
  for (auto it = fresh.rbegin(); it != fresh.rend(); ++it) rows_.push_front(**it);
  endInsertRows();
  return int(fresh.size());
}

Status RecordListModel::forEachRow(const std::function<bool(const Record&)>& visit) {
  PageCache walk(table_, down_->pageSize());
  Status s = walk.setOrder(order_);
  if (s.isOk() && range_) s = walk.setRange(rangeComponents_, *range_);
  if (!s.isOk()) return s;
  if (filter_) walk.setFilter(*filter_);
  s = walk.first();
  std::optional<Record> last;
  while (s.isOk()) {
    for (const Record& r : walk.rows()) {
      if (last && walk.compareRows(r, *last) <= 0) continue;  // page filled up near the end
      if (!visit(r)) return Status();
      last = r;
    }
    if (walk.atEnd()) break;
    s = walk.nextPage();
  }
  readBefore_ += walk.recordsRead();
  return s.is(StatusCode::kNotFound) ? Status() : s;
}

const Record* RecordListModel::recordAt(int row) const {
  if (row < 0 || row >= int(rows_.size())) return nullptr;
  return &rows_[size_t(row)];
}

int RecordListModel::rowOf(int64_t id) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].recordId() == id) return int(i);
  return -1;
}

int64_t RecordListModel::recordsRead() const { return readBefore_ + down_->recordsRead() + up_->recordsRead(); }

int RecordListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int RecordListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(columns_.size());
}

QString RecordListModel::cellText(const Record& row, int column) const {
  if (cellText_) {
    if (std::optional<QString> text = cellText_(row, column)) return *text;
  }
  const int field = fields_[size_t(column)];
  if (field < 0) return {};
  const Picture& picture = pictures_[size_t(column)];
  Result<std::string> text = picture.format(valueOf(row, field, picture));
  // The column aligns the text; the picture's padding would only push it.
  return text.isOk() ? fromUtf8(text.value()).trimmed() : QString();
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
  const Record* row = recordAt(index.row());
  if (row == nullptr || index.column() >= int(columns_.size())) return {};
  if (role == Qt::DisplayRole) return cellText(*row, index.column());
  const ListColumn& column = columns_[size_t(index.column())];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(qtAlignment(column.align));
  if ((role == Qt::ForegroundRole || role == Qt::BackgroundRole) && column.colours && colours_) {
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
  return {};
}

}  // namespace vorlam::qt
