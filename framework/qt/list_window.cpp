#include "framework/qt/list_window.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include "framework/qt/list_delegate.h"
#include "framework/qt/list_print.h"
#include "framework/qt/qt_dialogs.h"
#include "storage/text.h"

namespace vorlam::qt {


namespace {

constexpr const char* kCaptions[kListButtonCount] = {"&Inclui",  "&Altera", "&Exclui",    "&Visualiza",
                                                     "Im&prime", "&Query",  "&Seleciona", "&Toolbox"};

int bitIndex(ListButton b) {
  for (int i = 0; i < kListButtonCount; ++i)
    if (uint32_t(b) == (1u << i)) return i;
  return -1;
}

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

QString listButtonCaption(ListButton button) {
  int i = bitIndex(button);
  return i < 0 ? QString() : QString::fromUtf8(kCaptions[i]);
}

ListWindow::ListWindow(ListController& controller, const ListWindowDefinition& definition, QWidget* parent)
    : QWidget(parent), controller_(controller), def_(definition), buttons_(kListButtonCount, nullptr) {
  setWindowTitle(fromUtf8(controller_.definition().title));
  auto* layout = new QVBoxLayout(this);
  navigation_ = new QToolBar(this);
  layout->addWidget(navigation_);
  tabs_ = new QTabBar(this);
  tabs_->setFocusPolicy(Qt::NoFocus);
  tabs_->setExpanding(false);
  tabs_->setDrawBase(false);
  layout->addWidget(tabs_, 0, Qt::AlignLeft);
  view_ = new QTableView(this);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setTabKeyNavigation(false);
  view_->setWordWrap(false);
  // The columns draw their own borders and underlines, as their FORMAT says.
  view_->setShowGrid(false);
  view_->setItemDelegate(new ListCellDelegate(view_));
  view_->setHorizontalHeader(new ListHeaderView(view_));
  view_->setContextMenuPolicy(Qt::DefaultContextMenu);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
  view_->horizontalHeader()->setHighlightSections(false);
  view_->installEventFilter(this);
  view_->viewport()->installEventFilter(this);
  layout->addWidget(view_, 1);
  auto* locatorRow = new QHBoxLayout;
  locatorPrompt_ = new QLabel(this);
  locator_ = new QLineEdit(this);
  locatorPrompt_->setBuddy(locator_);
  locatorRow->addWidget(locatorPrompt_);
  locatorRow->addWidget(locator_, 1);
  layout->addLayout(locatorRow);
  connect(locator_, &QLineEdit::textEdited, this,
          [this](const QString& text) { change([&] { return controller_.locate(text.toStdString()); }); });
  // Enter reaches the locator only when the screen keeps it out of the
  // keyboard navigation; it then does what Enter on the row does.
  connect(locator_, &QLineEdit::returnPressed, this, [this] { trigger(selecting() ? kListSelect : kListChange); });
  buildButtons();
  buildNavigation();
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { showTab(index); });
  connect(view_, &QTableView::doubleClicked, this, [this] { trigger(selecting() ? kListSelect : kListChange); });
  behaviour_ = installScreenBehaviour(this);
}

ListWindow::~ListWindow() = default;

void ListWindow::setServices(const ListServices& services) {
  services_ = services;
  queryStore_.reset();
  const ListDefinition& d = controller_.definition();
  if (services_.savedQueries != nullptr && services_.settings != nullptr)
    queryStore_ = std::make_unique<ListQueryStore>(*services_.savedQueries, *services_.settings, d.procedure,
                                                   controller_.table().def().label);
}

void ListWindow::setLook(const ScreenLook& look) {
  look_ = look;
  if (behaviour_.highlight != nullptr) setScreenLook(behaviour_, this, look);
}

void ListWindow::dropOwnBehaviour() {
  delete behaviour_.highlight;
  delete behaviour_.navigation;
  behaviour_ = {};
}

Dialogs& ListWindow::dialogs() {
  if (services_.dialogs != nullptr) return *services_.dialogs;
  if (!ownDialogs_) ownDialogs_ = std::make_unique<QtDialogs>(this);
  return *ownDialogs_;
}

QWidget* ListWindow::toolbox() {
  if (toolbox_ != nullptr) return toolbox_;
  // A floating tool window over the list with the list's navigation and
  // its buttons, for lists whose buttons scroll out of sight.
  toolbox_ = new QWidget(this, Qt::Tool);
  toolbox_->setWindowTitle(listButtonCaption(kListToolbox).remove('&'));
  auto* layout = new QVBoxLayout(toolbox_);
  layout->setContentsMargins(2, 2, 2, 2);
  auto* bar = new QToolBar(toolbox_);
  bar->setOrientation(Qt::Vertical);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  for (QAction* a : navigation_->actions()) bar->addAction(a);
  bar->addSeparator();
  for (int i = 0; i < kListButtonCount; ++i) {
    const auto which = ListButton(1u << i);
    QPushButton* b = button(which);
    if (b == nullptr || which == kListToolbox) continue;
    QAction* a = bar->addAction(listButtonCaption(which));
    a->setEnabled(b->isEnabled());
    connect(a, &QAction::triggered, this, [this, which] { trigger(which); });
    toolboxActions_[size_t(i)] = a;
  }
  layout->addWidget(bar);
  return toolbox_;
}

void ListWindow::setCellColours(RecordListModel::CellColours colours) {
  colours_ = std::move(colours);
  if (model_ != nullptr) model_->setCellColours(colours_);
}

void ListWindow::buildButtons() {
  auto* row = new QHBoxLayout;
  buttonRow_ = row;
  row->addStretch(1);
  for (int i = 0; i < kListButtonCount; ++i) {
    const auto which = ListButton(1u << i);
    if (!(def_.buttons & which)) continue;
    auto* b = new QPushButton(listButtonCaption(which), this);
    b->setObjectName(QString("button%1").arg(i));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, which] { trigger(which); });
    buttons_[size_t(i)] = b;
    row->addWidget(b);
  }
  // A list opened for a caller picks with Enter: its select button is the
  // default; otherwise change is.
  if (QPushButton* d = button(selecting() ? kListSelect : kListChange)) d->setDefault(true);
  static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

void ListWindow::buildNavigation() {
  for (int i = 0; i < kRecordStepCount; ++i) {
    const auto step = RecordStep(i);
    const QString tip = QString::fromUtf8(kListNavigationTips[i]);
    QAction* a = navigation_->addAction(recordStepIcon(style(), step), tip);
    a->setToolTip(tip);
    if (step == RecordStep::kInsert) {
      a->setEnabled(button(kListInsert) != nullptr);
      navigationInsert_ = a;
      connect(a, &QAction::triggered, this, [this] { trigger(kListInsert); });
      continue;
    }
    connect(a, &QAction::triggered, this, [this, step] {
      if (model_ != nullptr) change([this, step] { return move(step); });
    });
  }
}

Status ListWindow::move(RecordStep step) {
  switch (step) {
    case RecordStep::kFirst: return controller_.firstPage();
    case RecordStep::kPageUp: return controller_.moveSelection(-visibleRows());
    case RecordStep::kPrevious: return controller_.moveSelection(-1);
    case RecordStep::kNext: return controller_.moveSelection(1);
    case RecordStep::kPageDown: return controller_.moveSelection(visibleRows());
    case RecordStep::kLast: return controller_.lastPage();
    case RecordStep::kInsert: break;
  }
  return Status();
}

QPushButton* ListWindow::button(ListButton which) const {
  int i = bitIndex(which);
  return i < 0 ? nullptr : buttons_[size_t(i)];
}

void ListWindow::setButtonEnabled(ListButton which, bool enabled) {
  if (enabled) screenEnabled_ |= which;
  else screenEnabled_ &= ~uint32_t(which);
  refreshButtons();
}

void ListWindow::refreshButtons() {
  const bool row = controller_.selected() != nullptr;
  for (int i = 0; i < kListButtonCount; ++i) {
    const auto which = ListButton(1u << i);
    QPushButton* b = button(which);
    if (b == nullptr) continue;
    // What needs a row waits for one; the screen may switch any button off.
    bool on = (screenEnabled_ & which) != 0;
    if (which == kListChange || which == kListDelete || which == kListView) on = on && row;
    if (which == kListSelect) on = on && controller_.canSelect();
    b->setEnabled(on);
    if (toolboxActions_[size_t(i)] != nullptr) toolboxActions_[size_t(i)]->setEnabled(on);
    if (which == kListInsert && navigationInsert_ != nullptr) navigationInsert_->setEnabled(on);
  }
}

Status ListWindow::open() {
  if (Status s = buildModel(); !s) return s;
  Status s = change([this] { return controller_.open(0); });
  showLocator(0);
  return s;
}

Status ListWindow::showOpen() {
  if (Status s = buildModel(); !s) return s;
  const int tab = controller_.currentTab();
  {
    QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(tab);
  }
  showLocator(tab);
  locator_->setText(fromUtf8(controller_.locatorText()));
  return change([] { return Status::ok(); });
}

Status ListWindow::buildModel() {
  Result<std::vector<ListColumn>> columns = parseListFormat(def_.format);
  if (!columns.isOk()) return columns.status();
  const TableDef& table = controller_.table().def();
  std::vector<int> fields;
  for (size_t i = 0; i < columns->size(); ++i) {
    const std::string name = i < def_.columnFields.size() ? def_.columnFields[i] : std::string();
    int field = name.empty() ? -1 : table.fieldIndex(name);
    if (!name.empty() && field < 0) return Status(StatusCode::kInvalidArgument, "Campo desconhecido: " + name);
    fields.push_back(field);
  }
  model_ = new RecordListModel(controller_, std::move(columns).value(), std::move(fields), this);
  if (colours_) model_->setCellColours(colours_);
  if (cellText_) {
    model_->setCellText([text = cellText_](const Record& row, int column) -> std::optional<QString> {
      std::optional<std::string> t = text(row, column);
      if (!t) return std::nullopt;
      return fromUtf8(*t);
    });
  }
  view_->setModel(model_);
  // currentChanged comes before currentRowChanged: a screen following the
  // cursor through either must find the controller already there.
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& now) {
    if (!showing_ && now.isValid()) controller_.select(size_t(now.row()));
  });
  applyColumnWidths();
  {
    QSignalBlocker block(tabs_);
    for (const ListTabDefinition& tab : controller_.definition().tabs) tabs_->addTab(fromUtf8(tab.caption));
  }
  tabs_->setVisible(controller_.tabCount() > 1);
  return Status::ok();
}

void ListWindow::applyColumnWidths() {
  // Each column as wide as its picture and header need (columnPixels()):
  // the last one no longer takes the slack from the others, and the window
  // asks for the room of all of them.
  const QFontMetrics fm = view_->fontMetrics();
  const auto& columns = model_->columns();
  int total = 0;
  for (int i = 0; i < int(columns.size()); ++i) {
    const ListColumn& c = columns[size_t(i)];
    view_->setColumnHidden(i, c.hidden());
    if (c.hidden()) continue;
    // "M" in the FORMAT lets the user resize the column.
    view_->horizontalHeader()->setSectionResizeMode(i, c.resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
    const int px = columnPixels(c, fm);
    view_->setColumnWidth(i, px);
    total += px;
  }
  view_->horizontalHeader()->setStretchLastSection(false);
  preferredWidth_ = total + view_->verticalScrollBar()->sizeHint().width() + 2 * view_->frameWidth() + 24;
  updateGeometry();
}

QSize ListWindow::sizeHint() const {
  QSize hint = QWidget::sizeHint();
  // As wide as its columns, within reason: wider lists scroll.
  hint.setWidth(qMax(hint.width(), qMin(preferredWidth_, 1200)));
  return hint;
}

void ListWindow::showLocator(int tab) {
  const std::string prompt = size_t(tab) < def_.locatorPrompts.size() ? def_.locatorPrompts[size_t(tab)] : std::string();
  locatorPrompt_->setText(fromUtf8(prompt));
  locatorPrompt_->setVisible(!prompt.empty());
  locator_->setVisible(!prompt.empty());
  locator_->clear();
}

Status ListWindow::showTab(int index) {
  if (model_ == nullptr || index < 0 || index >= controller_.tabCount())
    return Status(StatusCode::kInvalidArgument, "aba");
  if (tabs_->currentIndex() != index) {
    QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(index);
  }
  showLocator(index);
  return change([this, index] { return controller_.selectTab(index); });
}

Status ListWindow::change(const std::function<Status()>& step) {
  if (model_ == nullptr) return step();
  model_->beginPageChange();
  Status s = step();
  model_->endPageChange();
  showPage();
  return s;
}

void ListWindow::showPage() {
  refreshButtons();
  std::optional<size_t> at = controller_.selectedIndex();
  if (!at) return;
  int column = 0;
  while (column < model_->columnCount() - 1 && view_->isColumnHidden(column)) ++column;
  const QModelIndex index = model_->index(int(*at), column);
  showing_ = true;
  view_->setCurrentIndex(index);
  showing_ = false;
  view_->scrollTo(index);
}

int ListWindow::visibleRows() const {
  const int rowHeight = qMax(1, view_->verticalHeader()->defaultSectionSize());
  return qMax(1, view_->viewport()->height() / rowHeight);
}

void ListWindow::trigger(ListButton which) {
  QPushButton* b = button(which);
  if (b == nullptr || !b->isEnabled() || model_ == nullptr) return;
  switch (which) {
    case kListInsert: request(Request::kInsert); break;
    case kListChange: request(Request::kChange); break;
    case kListDelete: request(Request::kDelete); break;
    case kListView: request(Request::kView); break;
    case kListSelect: selectCurrent(); break;
    case kListQuery:
      if (onQuery_) {
        onQuery_();
      } else {
        QMenu* menu = queryMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(b->mapToGlobal(QPoint(0, b->height())));
      }
      break;
    case kListToolbox:
      if (onToolbox_) {
        onToolbox_();
      } else {
        QWidget* box = toolbox();
        box->setVisible(!box->isVisible());
      }
      break;
    case kListPrint: print(); break;
  }
}

void ListWindow::request(Request request) {
  // A form closed by a step of its toolbar asks for the form again on the
  // record the step leads to; an inserting form's next and insert steps
  // insert another record.
  for (;;) {
    step_.reset();
    change([this, request] {
      controller_.request(request);
      return Status();
    });
    if (!step_) return;
    const RecordStep step = *step_;
    const bool inserting = request == Request::kInsert;
    if (step == RecordStep::kInsert || (inserting && step == RecordStep::kNext)) {
      request = Request::kInsert;
      continue;
    }
    change([this, step] { return move(step); });
    if (inserting) request = Request::kChange;
  }
}

void ListWindow::selectCurrent() {
  std::optional<Record> chosen = controller_.chooseSelected();
  if (!chosen) return;
  if (onSelect_) onSelect_(*chosen);
  close();
}

void ListWindow::print() {
  if (onPrint_) {
    onPrint_();
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setDocName(windowTitle());
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(listButtonCaption(kListPrint).remove('&'));
  if (dialog.exec() != QDialog::Accepted) return;
  Status s = printTo(printer);
  if (!s.isOk()) {
    MessageBoxRequest box;
    box.title = "Atenção!!!";
    box.text = s.message();
    box.icon = MessageIcon::kExclamation;
    dialogs().messageBox(box);
  }
}

QMenu* ListWindow::contextMenu() {
  auto* menu = new QMenu(this);
  auto add = [&](ListButton which) {
    QPushButton* b = button(which);
    if (b == nullptr) return;
    QAction* a = menu->addAction(listButtonCaption(which));
    a->setEnabled(b->isEnabled());
    connect(a, &QAction::triggered, this, [this, which] { trigger(which); });
  };
  for (ListButton b : {kListInsert, kListChange, kListDelete, kListView}) add(b);
  add(kListPrint);
  if (button(kListQuery) != nullptr) {
    menu->addSeparator();
    addQueryEntries(menu);
  }
  if (selecting()) add(kListSelect);
  add(kListToolbox);
  return menu;
}

bool ListWindow::keyPress(QKeyEvent* key) {
  if (key->modifiers() & ~Qt::KeypadModifier) return false;
  switch (key->key()) {
    case Qt::Key_Insert: trigger(kListInsert); return true;
    case Qt::Key_Delete: trigger(kListDelete); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: trigger(selecting() ? kListSelect : kListChange); return true;
    // The view holds one page: moving the highlight goes through the
    // controller, which reads the neighbouring page when it must.
    case Qt::Key_Up: change([this] { return move(RecordStep::kPrevious); }); return true;
    case Qt::Key_Down: change([this] { return move(RecordStep::kNext); }); return true;
    case Qt::Key_PageUp: change([this] { return move(RecordStep::kPageUp); }); return true;
    case Qt::Key_PageDown: change([this] { return move(RecordStep::kPageDown); }); return true;
    case Qt::Key_Home: change([this] { return move(RecordStep::kFirst); }); return true;
    case Qt::Key_End: change([this] { return move(RecordStep::kLast); }); return true;
  }
  return false;
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (model_ == nullptr) return false;
  if (watched == view_->viewport() && event->type() == QEvent::ContextMenu) {
    QMenu* menu = contextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  if (watched == view_ && event->type() == QEvent::ContextMenu) {
    // The menu key and Shift+F10 reach the view, not its viewport: the menu
    // opens there, at the highlighted row, as it does for the mouse.
    const QRect row = view_->visualRect(view_->currentIndex());
    const QPoint at = row.isValid() ? row.center() : QPoint(0, 0);
    QContextMenuEvent forwarded(QContextMenuEvent::Keyboard, at, view_->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view_->viewport(), &forwarded);
    return true;
  }
  if (watched == view_->viewport() && event->type() == QEvent::Wheel) {
    // Past either end of the page the wheel turns the page.
    QScrollBar* bar = view_->verticalScrollBar();
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    const bool down = delta < 0;
    if (delta == 0 || (down ? bar->value() < bar->maximum() : bar->value() > bar->minimum())) return false;
    if (down ? controller_.atEnd() : controller_.atStart()) return false;
    change([this, down] { return down ? controller_.nextPage() : controller_.previousPage(); });
    if (down) bar->setValue(bar->minimum());
    else bar->setValue(bar->maximum());
    return true;
  }
  if (watched == view_ && event->type() == QEvent::KeyPress) return keyPress(static_cast<QKeyEvent*>(event));
  return false;
}

Status ListWindow::printToPdf(const QString& path) {
  if (model_ == nullptr) return Status(StatusCode::kInvalidArgument, "lista fechada");
  return printListToPdf(*model_, controller_.cache(), windowTitle(), path);
}

Status ListWindow::printTo(QPrinter& printer) {
  if (model_ == nullptr) return Status(StatusCode::kInvalidArgument, "lista fechada");
  return printList(*model_, controller_.cache(), windowTitle(), printer);
}

}  // namespace vorlam::qt
