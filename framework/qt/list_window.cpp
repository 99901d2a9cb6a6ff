#include "framework/qt/list_window.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
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
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include "framework/qt/list_print.h"
#include "framework/qt/qt_dialogs.h"
#include "framework/qt/query_window.h"
#include "storage/text.h"

namespace vorlam::qt {

const char* const kListNavigationTips[7] = {"Primeira Página",  "Página Anterior", "Registro Anterior",
                                            "Próximo Registro", "Próxima Página",  "Última Página",
                                            "Inclua um novo Registro"};

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

ListWindow::ListWindow(const ListWindowDefinition& definition, Table& table, bool selecting, QWidget* parent)
    : QWidget(parent), def_(definition), table_(table), selecting_(selecting), buttons_(kListButtonCount, nullptr) {
  setWindowTitle(fromUtf8(def_.title));
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
  connect(locator_, &QLineEdit::textEdited, this, &ListWindow::locate);
  // Enter reaches the locator only when the screen keeps it out of the
  // keyboard navigation; it then does what Enter on the row does.
  connect(locator_, &QLineEdit::returnPressed, this, [this] { trigger(selecting_ ? kListSelect : kListChange); });
  buildButtons();
  buildNavigation();
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { showTab(index); });
  connect(view_, &QTableView::doubleClicked, this, [this] { trigger(selecting_ ? kListSelect : kListChange); });
  connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (value == view_->verticalScrollBar()->minimum()) topReached();
  });
  behaviour_ = installScreenBehaviour(this);
}

void ListWindow::setServices(const ListServices& services) {
  services_ = services;
  queryStore_.reset();
  if (services_.savedQueries != nullptr && services_.settings != nullptr)
    queryStore_ = std::make_unique<ListQueryStore>(*services_.savedQueries, *services_.settings, def_.procedure,
                                                   table_.def().label);
}

void ListWindow::setLook(const ScreenLook& look) {
  look_ = look;
  setScreenLook(behaviour_, this, look);
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

Dialogs& ListWindow::dialogs() {
  if (services_.dialogs != nullptr) return *services_.dialogs;
  if (!ownDialogs_) ownDialogs_ = std::make_unique<QtDialogs>(this);
  return *ownDialogs_;
}

ListWindow::~ListWindow() = default;

void ListWindow::buildButtons() {
  auto* row = new QHBoxLayout;
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
  if (QPushButton* d = button(selecting_ ? kListSelect : kListChange)) d->setDefault(true);
  static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

void ListWindow::buildNavigation() {
  const QStyle::StandardPixmap icons[7] = {QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward,
                                           QStyle::SP_ArrowUp,           QStyle::SP_ArrowDown,
                                           QStyle::SP_MediaSeekForward,  QStyle::SP_MediaSkipForward,
                                           QStyle::SP_FileDialogNewFolder};
  const std::function<void()> actions[7] = {
      [this] { model_->showFirst(); moveCursor(0); },
      [this] { pageStep(-1); },
      [this] { nextRecord(-1); },
      [this] { nextRecord(1); },
      [this] { pageStep(1); },
      [this] { model_->showLast(); moveCursor(model_->rowCount() - 1); },
      [this] { trigger(kListInsert); },
  };
  for (int i = 0; i < 7; ++i) {
    QAction* a = navigation_->addAction(style()->standardIcon(icons[i]), QString::fromUtf8(kListNavigationTips[i]));
    a->setToolTip(QString::fromUtf8(kListNavigationTips[i]));
    auto act = actions[i];
    connect(a, &QAction::triggered, this, [this, act] {
      if (model_ != nullptr) act();
    });
    if (i == 6) a->setEnabled(button(kListInsert) != nullptr);
  }
}

QPushButton* ListWindow::button(ListButton which) const {
  int i = bitIndex(which);
  return i < 0 ? nullptr : buttons_[size_t(i)];
}

void ListWindow::setButtonEnabled(ListButton which, bool enabled) {
  if (QPushButton* b = button(which)) b->setEnabled(enabled);
  const int i = bitIndex(which);
  if (i >= 0 && toolboxActions_[size_t(i)] != nullptr) toolboxActions_[size_t(i)]->setEnabled(enabled);
}

Status ListWindow::open() {
  Result<std::vector<ListColumn>> columns = parseListFormat(def_.format);
  if (!columns.isOk()) return columns.status();
  std::vector<int> fields;
  for (size_t i = 0; i < columns->size(); ++i) {
    const std::string name = i < def_.columnFields.size() ? def_.columnFields[i] : std::string();
    int field = name.empty() ? -1 : table_.def().fieldIndex(name);
    if (!name.empty() && field < 0) return Status(StatusCode::kInvalidArgument, "Campo desconhecido: " + name);
    fields.push_back(field);
  }
  if (def_.tabs.empty()) return Status(StatusCode::kInvalidArgument, "Lista sem ordem");
  for (const ListTab& tab : def_.tabs) {
    int key = table_.def().keyIndex(tab.key);
    if (key < 0) return Status(StatusCode::kInvalidArgument, "Chave desconhecida: " + tab.key);
    tabKeys_.push_back(key);
  }
  model_ = new RecordListModel(table_, std::move(columns).value(), std::move(fields), def_.pageSize, this);
  if (colours_) model_->setCellColours(colours_);
  view_->setModel(model_);
  applyColumnWidths();
  {
    QSignalBlocker block(tabs_);
    for (const ListTab& tab : def_.tabs) tabs_->addTab(fromUtf8(tab.caption));
  }
  tabs_->setVisible(def_.tabs.size() > 1);
  Status s = installFilter();
  if (!s.isOk()) return s;
  return showTab(0);
}

void ListWindow::applyColumnWidths() {
  // List units are a quarter of the average character width.
  const int unit = view_->fontMetrics().averageCharWidth();
  const auto& columns = model_->columns();
  for (int i = 0; i < int(columns.size()); ++i) {
    const ListColumn& c = columns[size_t(i)];
    view_->setColumnHidden(i, c.hidden());
    if (!c.hidden()) view_->setColumnWidth(i, qMax(8, c.width * unit / 4 + 6));
  }
  view_->horizontalHeader()->setStretchLastSection(false);
}

Status ListWindow::showTab(int index) {
  if (model_ == nullptr || index < 0 || index >= int(tabKeys_.size())) return Status(StatusCode::kInvalidArgument, "aba");
  if (tabs_->currentIndex() != index) {
    QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(index);
  }
  const ListTab& tab = def_.tabs[size_t(index)];
  locatorPrompt_->setText(fromUtf8(tab.locatorPrompt));
  const bool hasLocator = !tab.locatorPrompt.empty();
  locatorPrompt_->setVisible(hasLocator);
  locator_->setVisible(hasLocator);
  locator_->clear();
  Status s = model_->setOrder(tabKeys_[size_t(index)]);
  if (s.isOk()) s = model_->showFirst();
  moveCursor(0);
  return s;
}

const Record* ListWindow::current() const {
  if (model_ == nullptr) return nullptr;
  return model_->recordAt(view_->currentIndex().row());
}

void ListWindow::moveCursor(int row) {
  if (model_ == nullptr || model_->rowCount() == 0) return;
  row = qBound(0, row, model_->rowCount() - 1);
  int column = 0;
  while (column < model_->columnCount() - 1 && view_->isColumnHidden(column)) ++column;
  view_->setCurrentIndex(model_->index(row, column));
  view_->scrollTo(model_->index(row, column));
}

void ListWindow::nextRecord(int step) {
  int row = view_->currentIndex().row() + step;
  if (row < 0 && model_->canFetchBefore()) row += model_->fetchBefore();
  if (row >= model_->rowCount() && model_->canFetchMore({})) model_->fetchMore({});
  moveCursor(row);
}

void ListWindow::pageStep(int direction) {
  const int rowHeight = qMax(1, view_->verticalHeader()->defaultSectionSize());
  const int visible = qMax(1, view_->viewport()->height() / rowHeight);
  int row = view_->currentIndex().row() + direction * visible;
  while (row < 0 && model_->canFetchBefore()) {
    int added = model_->fetchBefore();
    if (added == 0) break;
    row += added;
  }
  while (row >= model_->rowCount() && model_->canFetchMore({})) {
    int before = model_->rowCount();
    model_->fetchMore({});
    if (model_->rowCount() == before) break;
  }
  moveCursor(row);
}

void ListWindow::topReached() {
  if (model_ == nullptr || !model_->canFetchBefore()) return;
  // Keep the same rows in sight: the rows put in front push them down.
  QScrollBar* bar = view_->verticalScrollBar();
  const int added = model_->fetchBefore();
  if (added > 0) bar->setValue(bar->value() + added);
}

void ListWindow::trigger(ListButton which) {
  QPushButton* b = button(which);
  if (b == nullptr || !b->isEnabled() || model_ == nullptr) return;
  switch (which) {
    case kListInsert: openForm(Request::kInsert); break;
    case kListChange: openForm(Request::kChange); break;
    case kListDelete: openForm(Request::kDelete); break;
    case kListView: openForm(Request::kView); break;
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

void ListWindow::openForm(Request request) {
  if (!opener_) return;
  const Record* row = current();
  if (request != Request::kInsert && row == nullptr) return;
  // The row is copied: the form reads and writes the table's buffer, and
  // the model may reload underneath.
  std::optional<Record> copy;
  if (row != nullptr) copy = *row;
  if (!opener_(request, request == Request::kInsert || !copy ? nullptr : &*copy)) return;
  Record around = copy ? *copy : table_.buffer();
  if (request == Request::kInsert) around = table_.buffer();
  Result<int> at = model_->showAround(around);
  if (at.isOk()) moveCursor(*at);
}

void ListWindow::selectCurrent() {
  const Record* row = current();
  if (row == nullptr) return;
  Record chosen = *row;
  if (onSelect_) onSelect_(chosen);
  close();
}

void ListWindow::locate(const QString& text) {
  const ListTab& tab = def_.tabs[size_t(tabs_->currentIndex() < 0 ? 0 : tabs_->currentIndex())];
  const int field = table_.def().fieldIndex(tab.locatorField);
  if (field < 0 || model_ == nullptr) return;
  Record probe(&table_.def());
  if (!probe.setFromText(field, utf8ToLatin1(text.toStdString())).isOk()) return;
  Result<int> at = model_->locate(probe);
  if (at.isOk()) moveCursor(*at);
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
  if (selecting_) add(kListSelect);
  add(kListToolbox);
  return menu;
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_->viewport() && event->type() == QEvent::ContextMenu) {
    QMenu* menu = contextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  if (watched != view_ || event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() & ~Qt::KeypadModifier) return false;
  switch (key->key()) {
    case Qt::Key_Insert: trigger(kListInsert); return true;
    case Qt::Key_Delete: trigger(kListDelete); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: trigger(selecting_ ? kListSelect : kListChange); return true;
    case Qt::Key_Up:
      if (view_->currentIndex().row() <= 0 && model_ && model_->canFetchBefore()) {
        nextRecord(-1);
        return true;
      }
      return false;
    case Qt::Key_PageUp: pageStep(-1); return true;
    case Qt::Key_PageDown: pageStep(1); return true;
    case Qt::Key_Home:
      if (model_) { model_->showFirst(); moveCursor(0); }
      return true;
    case Qt::Key_End:
      if (model_) { model_->showLast(); moveCursor(model_->rowCount() - 1); }
      return true;
  }
  return false;
}

Status ListWindow::printToPdf(const QString& path) {
  if (model_ == nullptr) return Status(StatusCode::kInvalidArgument, "lista fechada");
  return printListToPdf(*model_, windowTitle(), path);
}

Status ListWindow::printTo(QPrinter& printer) {
  if (model_ == nullptr) return Status(StatusCode::kInvalidArgument, "lista fechada");
  return printList(*model_, windowTitle(), printer);
}

}  // namespace vorlam::qt
