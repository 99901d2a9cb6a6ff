// The lists of a model window: a list over a ListController is the paging
// list window; any other list is a table of the rows the screen shows.

#include "framework/qt/model_window.h"

#include <algorithm>
#include <cstdlib>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QBrush>
#include <QProgressBar>
#include <QColor>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include "framework/picture.h"
#include "framework/qt/model_view.h"
#include "framework/qt/qt_dialogs.h"
#include "framework/qt/screen_modal.h"
#include "storage/table_def.h"

namespace vorlam::qt {

namespace {

// The place of FORMAT column `column` among the shown columns; -1 when it
// is hidden.
int shownColumn(const std::vector<ListColumn>& columns, int column) {
  if (column < 0 || size_t(column) >= columns.size() || columns[size_t(column)].hidden()) return -1;
  int shown = 0;
  for (int i = 0; i < column; ++i)
    if (!columns[size_t(i)].hidden()) ++shown;
  return shown;
}

// The screen's row colours for a list drawn through its controller: the
// screen's colour of the record, or else the colours of the record's place
// on the shown page.  The text colour goes to the coloured columns, which
// the screen counts among the shown ones.
RecordListModel::CellColours rowColoursOf(const ScreenList& list, const RecordListModel* model) {
  return [&list, model](const Record& row, int column) {
    RecordListModel::Colours out;
    RowColours colours;
    if (list.rowColour) {
      colours = list.rowColour(row);
    } else {
      const std::vector<Record>& rows = list.controller->rows();
      size_t at = 0;
      while (at < rows.size() && rows[at].recordId() != row.recordId()) ++at;
      const std::vector<RowColours> all = list.colours();
      if (at >= all.size()) return out;
      colours = all[at];
    }
    const int shown = model != nullptr ? shownColumn(model->columns(), column) : column;
    const bool coloured = list.colouredColumns.empty() ||
                          std::find(list.colouredColumns.begin(), list.colouredColumns.end(), shown) !=
                              list.colouredColumns.end();
    if (coloured && colours.text) out.foreground = QColor(QRgb(*colours.text));
    if (colours.background) out.background = QColor(QRgb(*colours.background));
    return out;
  };
}

}  // namespace

void ModelWindow::addList(size_t index) {
  const ScreenList& l = model_.lists()[index];
  Page& page = pageFor(l.tab);
  ListView v;
  v.index = index;
  QWidget* shown = l.controller != nullptr ? addPagedList(l, page, v) : addRowTable(l, page, v);
  partOfWidget_[shown] = l.name;
  page.grid->addWidget(shown, page.row, 0, 1, 4);
  page.grid->setRowStretch(page.row, 1);
  ++page.row;
  lists_.push_back(v);
}

QWidget* ModelWindow::addPagedList(const ScreenList& l, Page& page, ListView& v) {
  ListWindowDefinition def{l.format, l.columnFields, l.locatorPrompts, 0};
  v.window = new ListWindow(*l.controller, def, page.widget);
  v.window->dropOwnBehaviour();
  v.window->setServices(options_.list);
  if (l.cellText) v.window->setCellText(l.cellText);
  v.window->showOpen();
  if (l.colours || l.rowColour) v.window->setCellColours(rowColoursOf(l, v.window->model()));
  v.window->layout()->setContentsMargins(0, 0, 0, 0);
  QTableView* view = v.window->view();
  // Room for a dozen rows before the window is resized.
  view->setMinimumHeight(view->verticalHeader()->defaultSectionSize() * 12 + view->horizontalHeader()->sizeHint().height());
  view->viewport()->installEventFilter(this);
  // The list's own moves (clicks, paging, sort tabs, the locator) reach
  // the controller directly; the rest of the screen follows.
  auto follow = [this] {
    if (refreshing_ || closing_) return;
    QTimer::singleShot(0, this, [this] {
      if (closing_) return;
      model_.sync();
      refresh();
    });
  };
  connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, follow);
  connect(v.window->tabs(), &QTabBar::currentChanged, this, follow);
  connect(v.window->locator(), &QLineEdit::textEdited, this, follow);
  const std::string name = l.name;
  if (l.clickCell) {
    // The cell the user clicked, once the click moved the highlight there.
    RecordListModel* model = v.window->model();
    connect(view, &QTableView::clicked, this, [this, name, model](const QModelIndex& at) {
      const int column = shownColumn(model->columns(), at.column());
      if (column < 0 || !at.isValid()) return;
      act([this, name, row = size_t(at.row()), column] {
        model_.setFocus(name);
        model_.clickCell(row, column);
      });
    });
  }
  connect(view, &QTableView::doubleClicked, this, [this, name] {
    act([this, name] {
      model_.setFocus(name);
      model_.key("Enter");
    });
  });
  return v.window;
}

QWidget* ModelWindow::addRowTable(const ScreenList& l, Page& page, ListView& v) {
  auto* box = new QWidget(page.widget);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  v.table = new QTableWidget(box);
  v.table->setColumnCount(int(l.headers.size()));
  QStringList headers;
  for (const std::string& h : l.headers) headers << modelText(h);
  v.table->setHorizontalHeaderLabels(headers);
  v.table->setSelectionBehavior(QAbstractItemView::SelectRows);
  v.table->setSelectionMode(QAbstractItemView::SingleSelection);
  v.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  v.table->setTabKeyNavigation(false);
  v.table->setWordWrap(false);
  v.table->verticalHeader()->hide();
  v.table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  v.table->viewport()->installEventFilter(this);
  column->addWidget(v.table, 1);
  const std::string name = l.name;
  connect(v.table, &QTableWidget::currentCellChanged, this, [this, name](int row) {
    if (refreshing_ || row < 0) return;
    QTimer::singleShot(0, this, [this, name, row] {
      act([this, name, row] {
        model_.setFocus(name);
        model_.highlightRow(size_t(row));
      });
    });
  });
  if (l.locate) {
    auto* locatorRow = new QHBoxLayout;
    v.locatorPrompt = new QLabel(box);
    v.locator = new QLineEdit(box);
    v.locatorPrompt->setBuddy(v.locator);
    locatorRow->addWidget(v.locatorPrompt);
    locatorRow->addWidget(v.locator, 1);
    column->addLayout(locatorRow);
    connect(v.locator, &QLineEdit::textEdited, this, [this, name](const QString& text) {
      act([this, name, text] {
        model_.setFocus(name);
        model_.locate(text.toStdString());
      });
    });
  }
  partOfWidget_[v.table] = l.name;
  return box;
}

namespace {

// The screen's colours of one cell: the text colour on the coloured
// columns (all when the list names none), the background on every column.
void paintCell(QTableWidgetItem* item, const RowColours& colours, const ScreenList& list, int column) {
  const bool coloured = list.colouredColumns.empty() ||
                        std::find(list.colouredColumns.begin(), list.colouredColumns.end(), column) !=
                            list.colouredColumns.end();
  item->setForeground(coloured && colours.text ? QBrush(QColor(QRgb(*colours.text))) : QBrush());
  item->setBackground(colours.background ? QBrush(QColor(QRgb(*colours.background))) : QBrush());
}

}  // namespace

void ModelWindow::showList(ListView& v) {
  const ScreenList& l = model_.lists()[v.index];
  if (v.window != nullptr) {
    v.window->change([] { return Status::ok(); });
    if (!v.window->locator()->hasFocus() && l.locatorText)
      v.window->locator()->setText(modelText(l.locatorText()));
    return;
  }
  const std::vector<std::vector<std::string>> rows = l.rows ? l.rows() : std::vector<std::vector<std::string>>();
  const std::vector<RowColours> colours = l.colours ? l.colours() : std::vector<RowColours>();
  v.table->setRowCount(int(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size() && c < l.headers.size(); ++c) {
      QTableWidgetItem* item = v.table->item(int(r), int(c));
      if (item == nullptr) {
        item = new QTableWidgetItem;
        v.table->setItem(int(r), int(c), item);
      }
      item->setText(modelText(rows[r][c]));
      paintCell(item, r < colours.size() ? colours[r] : RowColours{}, l, int(c));
    }
  }
  v.table->resizeColumnsToContents();
  const std::optional<size_t> at = l.highlighted ? l.highlighted() : std::nullopt;
  if (at && *at < rows.size()) {
    v.table->setCurrentCell(int(*at), 0);
    v.table->scrollToItem(v.table->item(int(*at), 0));
  } else {
    v.table->clearSelection();
  }
  if (v.locator != nullptr) {
    const std::string prompt = l.locatorPrompt ? l.locatorPrompt() : std::string();
    v.locatorPrompt->setText(modelText(prompt));
    v.locatorPrompt->setVisible(!prompt.empty());
    v.locator->setVisible(!prompt.empty());
    if (!v.locator->hasFocus() && l.locatorText) v.locator->setText(modelText(l.locatorText()));
  }
}

}  // namespace vorlam::qt
