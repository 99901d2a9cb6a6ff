#include "adjust/qt/adjust_window.h"

#include <utility>

#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "adjust/qt/list_columns.h"
#include "adjust/qt/structure_lookup.h"
#include "framework/picture.h"
#include "framework/list_format.h"
#include "framework/qt/list_window.h"
#include "shell/qt/company_selection_view.h"
#include "shell/session.h"

namespace vorlam::adjust {
namespace {

constexpr char kCodePicture[] = "@n6";
constexpr char kYearPicture[] = "@n6.";

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QString formatted(const char* picture, int64_t value) {
  Result<std::string> text = formatPicture(picture, value);
  return text ? fromUtf8(text.value()).trimmed() : QString::number(value);
}

// The number typed into a field of `picture`; nullopt for text the picture
// refuses or a value beyond 16 bits.
std::optional<uint32_t> typedNumber(const char* picture, const QString& text) {
  Result<Picture> p = Picture::compile(picture);
  if (!p) return std::nullopt;
  Result<PictureValue> v = p->parse(text.trimmed().toStdString());
  if (!v || !std::holds_alternative<int64_t>(v.value())) return std::nullopt;
  const int64_t n = std::get<int64_t>(v.value());
  if (n < 0 || n > UINT16_MAX) return std::nullopt;
  return uint32_t(n);
}

// A button at the right end of a row of its own under `layout`'s widget.
QPushButton* addButtonRow(QVBoxLayout* layout, const char* caption, const char* tip) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* button = new QPushButton(QString::fromUtf8(caption), layout->parentWidget());
  button->setToolTip(QString::fromUtf8(tip));
  button->setAutoDefault(false);
  row->addWidget(button);
  layout->addLayout(row);
  return button;
}

// Scales an int64 range into what a progress bar holds.
int barUnits(int64_t value, int64_t total) {
  constexpr int64_t kMax = 1 << 30;
  if (total <= kMax) return int(value);
  return int(value / (total / kMax + 1));
}

}  // namespace

// The selected-companies list as a table model over the controller's list.
class SelectedCompaniesModel : public QAbstractTableModel {
 public:
  SelectedCompaniesModel(const AdjustScreen& screen, QObject* parent) : QAbstractTableModel(parent), screen_(screen) {
    Result<std::vector<vorlam::ListColumn>> c = vorlam::parseListFormat(kSelectedListFormat);
    if (c) columns_ = c.value();
  }
  const std::vector<vorlam::ListColumn>& columns() const { return columns_; }
  void reset() {
    beginResetModel();
    endResetModel();
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : int(screen_.selected().size());
  }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (index.row() < 0 || index.row() >= rowCount() || size_t(index.column()) >= columns_.size()) return {};
    const SelectedCompany& c = screen_.selected()[size_t(index.row())];
    if (role == Qt::DisplayRole) return index.column() == 0 ? formatted(kYearPicture, c.code) : fromUtf8(c.name);
    if (role == Qt::TextAlignmentRole)
      return QVariant::fromValue(vorlam::qt::qtAlignment(columns_[size_t(index.column())].align));
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= columns_.size()) return {};
    if (role == Qt::DisplayRole) return fromUtf8(columns_[size_t(section)].header);
    if (role == Qt::TextAlignmentRole)
      return QVariant::fromValue(vorlam::qt::qtAlignment(columns_[size_t(section)].headerAlign));
    return {};
  }

 private:
  const AdjustScreen& screen_;
  std::vector<vorlam::ListColumn> columns_;
};

QWidget* openAdjustScreen(shell::qt::ShellServices& services, QWidget* parent, AdjustScreenHooks hooks) {
  auto* window = new AdjustWindow(services, std::move(hooks), parent);
  if (!window->open()) {
    delete window;
    return nullptr;
  }
  return window;
}

AdjustWindow::AdjustWindow(shell::qt::ShellServices& services, AdjustScreenHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), hooks_(std::move(hooks)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(fromUtf8(kScreenTitle));
  shell::Session& session = services_.session;
  errors_ = services_.newErrorManager();
  screen_ = std::make_unique<AdjustScreen>(session.dictionary(), session.state(), *errors_, &session.application());
  screen_->setBeep([] { QApplication::beep(); });

  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->addTab(buildSelectionPage(), "Selecionar empresas");
  tabs_->addTab(buildProcessedPage(), "Dados processados");
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    screen_->setTab(index == 1 ? ScreenTab::kProcessedData : ScreenTab::kSelectCompanies);
  });
  layout->addWidget(tabs_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  adjust_ = new QPushButton("Ajustar", this);
  adjust_->setToolTip("Confirma ajuste do plano de contas.");
  close_ = new QPushButton("&Fechar", this);
  close_->setToolTip("Fechar e retornar.");
  for (QPushButton* b : {adjust_, close_}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  connect(adjust_, &QPushButton::clicked, this, &AdjustWindow::startRun);
  connect(close_, &QPushButton::clicked, this, &AdjustWindow::closeScreen);
  connect(this, &AdjustWindow::workerChanged, this, &AdjustWindow::pullProgress, Qt::QueuedConnection);
  connect(this, &AdjustWindow::workerEnded, this, &AdjustWindow::workerDone, Qt::QueuedConnection);

  shell::qt::installScreenBehaviour(this, services_);
  resize(900, 640);
}

AdjustWindow::~AdjustWindow() {
  screen_->requestStop();
  screen_->waitForRun();
  // The list reads the controller's table: it goes first.  Its widgets
  // still send events while they are torn down, so the filter lets go of
  // it before.
  auto* companies = std::exchange(companies_, nullptr);
  if (companies != nullptr) {
    companies->view()->removeEventFilter(this);
    companies->view()->viewport()->removeEventFilter(this);
  }
  delete companies;
}

QWidget* AdjustWindow::buildSelectionPage() {
  selectionPage_ = new QWidget(this);
  auto* layout = new QVBoxLayout(selectionPage_);
  auto* fields = new QGridLayout;
  auto* structureLabel = new QLabel("01 - Código da nova estrutura", selectionPage_);
  structure_ = new QLineEdit(selectionPage_);
  structure_->setToolTip("Código do Plano de Contas");
  structure_->setMaxLength(6);
  structure_->setAlignment(Qt::AlignRight);
  structure_->setFixedWidth(structure_->fontMetrics().horizontalAdvance("0000000") + 12);
  structureLabel->setBuddy(structure_);
  lookup_ = new QToolButton(selectionPage_);
  lookup_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
  lookup_->setToolTip("Pesquisa níveis do plano de contas.");
  formato_ = new QLabel(selectionPage_);
  formato_->setFrameShape(QFrame::StyledPanel);
  formato_->setMinimumWidth(formato_->fontMetrics().averageCharWidth() * 40);
  auto* yearLabel = new QLabel("02 - Ano", selectionPage_);
  year_ = new QLineEdit(selectionPage_);
  year_->setToolTip("ano");
  year_->setMaxLength(7);
  year_->setAlignment(Qt::AlignRight);
  year_->setFixedWidth(structure_->width());
  yearLabel->setBuddy(year_);
  fields->addWidget(structureLabel, 0, 0);
  fields->addWidget(structure_, 0, 1);
  fields->addWidget(lookup_, 0, 2);
  fields->addWidget(formato_, 0, 3, Qt::AlignLeft);
  fields->addWidget(yearLabel, 1, 0);
  fields->addWidget(year_, 1, 1);
  fields->setColumnStretch(4, 1);
  layout->addLayout(fields);
  connect(structure_, &QLineEdit::editingFinished, this, &AdjustWindow::acceptStructureField);
  connect(year_, &QLineEdit::editingFinished, this, &AdjustWindow::acceptYearField);
  connect(lookup_, &QToolButton::clicked, this, &AdjustWindow::runLookup);

  // The company list is put in place by open(), once its table is open.
  include_ = addButtonRow(layout, "&Incluir", "Incluir empresa no ajuste do plano de contas.");
  connect(include_, &QPushButton::clicked, this, &AdjustWindow::include);

  layout->addWidget(new QLabel("Empresas que serão ajustados o plano de contas", selectionPage_));
  selected_ = new QTableView(selectionPage_);
  selectedModel_ = new SelectedCompaniesModel(*screen_, selected_);
  selected_->setModel(selectedModel_);
  selected_->setSelectionBehavior(QAbstractItemView::SelectRows);
  selected_->setSelectionMode(QAbstractItemView::SingleSelection);
  selected_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  selected_->setTabKeyNavigation(false);
  selected_->verticalHeader()->hide();
  selected_->horizontalHeader()->setHighlightSections(false);
  selected_->horizontalHeader()->setStretchLastSection(true);
  selected_->verticalHeader()->setDefaultSectionSize(selected_->fontMetrics().height() + 4);
  selected_->setMaximumHeight(selected_->verticalHeader()->defaultSectionSize() * 7);
  applyColumnWidths(selected_, selectedModel_->columns());
  connect(selectedModel_, &QAbstractItemModel::modelReset, this,
          [this] { fitColumns(selected_, selectedModel_->columns()); });
  selected_->installEventFilter(this);
  connect(selected_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { screen_->setSelectedHighlight(current.row()); });
  layout->addWidget(selected_);
  exclude_ = addButtonRow(layout, "&Excluir", "Excluir empresa do ajuste do plano de contas.");
  connect(exclude_, &QPushButton::clicked, this, &AdjustWindow::exclude);
  restore_ = addButtonRow(layout, "&Restaurar",
                          "Restaura a empresa selecionada como estava antes do seu último ajuste do plano de contas.");
  connect(restore_, &QPushButton::clicked, this, [this] { apply(screen_->restore()); });
  return selectionPage_;
}

QWidget* AdjustWindow::buildProcessedPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  log_ = new QListWidget(page);
  log_->setUniformItemSizes(true);
  log_->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->addWidget(log_, 1);
  auto* bars = new QGridLayout;
  companiesBar_ = new QProgressBar(page);
  filesBar_ = new QProgressBar(page);
  bars->addWidget(new QLabel("Empresas ......................", page), 0, 0);
  bars->addWidget(companiesBar_, 0, 1);
  bars->addWidget(new QLabel("Arquivos da empresa ...", page), 1, 0);
  bars->addWidget(filesBar_, 1, 1);
  bars->setColumnStretch(1, 1);
  layout->addLayout(bars);
  for (QProgressBar* bar : {companiesBar_, filesBar_}) {
    bar->setRange(0, 1);
    bar->setValue(0);
  }
  return page;
}

bool AdjustWindow::buildCompanyList() {
  vorlam::qt::ListWindowDefinition def;
  def.format = kCompanyListFormat;
  def.columnFields = kCompanyListFields;
  def.locatorPrompts.assign(std::size(kCompanyOrders), std::string());  // no locator shown
  companies_ = new vorlam::qt::ListWindow(screen_->companyList(), def, selectionPage_);
  companies_->setCellColours([this](const Record& row, int) {
    vorlam::qt::RecordListModel::Colours colours;
    if (std::optional<uint32_t> rgb = screen_->companyRowColour(row))
      colours.background = QColor(int((*rgb >> 16) & 0xFF), int((*rgb >> 8) & 0xFF), int(*rgb & 0xFF));
    return colours;
  });
  if (!companies_->open()) return false;
  companies_->navigation()->hide();
  companies_->model()->setCellText([](const Record& row, int column) -> std::optional<QString> {
    if (column != kInscricaoColumn) return std::nullopt;
    return fromUtf8(inscricao(row));
  });
  auto fit = [this] { fitColumns(companies_->view(), companies_->model()->columns()); };
  connect(companies_->model(), &QAbstractItemModel::modelReset, this, fit);
  fit();
  // Ours run before the list's own filters: Insert includes, the menu offers "&Incluir".
  companies_->view()->installEventFilter(this);
  companies_->view()->viewport()->installEventFilter(this);
  // Below the fields, above "&Incluir".
  static_cast<QVBoxLayout*>(selectionPage_->layout())->insertWidget(1, companies_, 1);
  return true;
}

bool AdjustWindow::open() {
  if (screen_->needsCompanySelection()) {
    if (hooks_.selectCompany)
      hooks_.selectCompany(this);
    else
      shell::qt::ensureCompanySelected(services_, this, errors_.get());
  }
  if (!screen_->open() || !buildCompanyList()) return false;
  showFields();
  return true;
}

bool AdjustWindow::eventFilter(QObject* watched, QEvent* event) {
  if (companies_ != nullptr && watched == companies_->view()->viewport() && event->type() == QEvent::ContextMenu) {
    QMenu menu(this);
    QAction* add = menu.addAction(include_->text());
    add->setEnabled(include_->isEnabled() && selectionPage_->isEnabled());
    if (menu.exec(static_cast<QContextMenuEvent*>(event)->globalPos()) == add) include();
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == 0;
    if (plain && companies_ != nullptr && watched == companies_->view() && key->key() == Qt::Key_Insert) {
      include();
      return true;
    }
    if (plain && watched == selected_ && key->key() == Qt::Key_Delete) {
      exclude();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void AdjustWindow::showFields() {
  structure_->setText(formatted(kCodePicture, screen_->structureCode()));
  formato_->setText(fromUtf8(screen_->formato()));
  year_->setText(formatted(kYearPicture, screen_->year()));
}

void AdjustWindow::showSelected() {
  selectedModel_->reset();
  const int row = screen_->selectedHighlight();
  if (row >= 0) selected_->setCurrentIndex(selectedModel_->index(row, 0));
}

void AdjustWindow::apply(const Reaction& r) {
  if (r.touchesCompanyList()) companies_->change([&] { return screen_->applyToCompanyList(r); });
  showFields();
  showSelected();
  focusControl(r.focus);
  if (r.openLookup) runLookup();
  // A close asked from inside a close event would be ignored: later.
  if (r.closeScreen) QMetaObject::invokeMethod(this, &AdjustWindow::closeScreen, Qt::QueuedConnection);
}

void AdjustWindow::focusControl(Control control) {
  QWidget* target = nullptr;
  switch (control) {
    case Control::kNone: return;
    case Control::kStructure: target = structure_; break;
    case Control::kYear: target = year_; break;
    case Control::kCompanyList: target = companies_->view(); break;
    case Control::kSelectedList: target = selected_; break;
    case Control::kClose: target = close_; break;
  }
  if (selectionPage_->isAncestorOf(target)) tabs_->setCurrentWidget(selectionPage_);
  target->setFocus(Qt::OtherFocusReason);
}

void AdjustWindow::acceptStructureField() {
  if (inField_) return;
  inField_ = true;
  if (std::optional<uint32_t> code = typedNumber(kCodePicture, structure_->text()))
    apply(screen_->acceptStructure(*code));
  else
    showFields();
  inField_ = false;
}

void AdjustWindow::acceptYearField() {
  if (inField_) return;
  if (std::optional<uint32_t> year = typedNumber(kYearPicture, year_->text())) screen_->acceptYear(uint16_t(*year));
  showFields();
}

void AdjustWindow::runLookup() {
  const bool was = inField_;
  inField_ = true;  // the list takes the focus from field 01
  std::optional<uint16_t> chosen = hooks_.pickStructure ? hooks_.pickStructure(this) : pickStructure(services_, this);
  apply(screen_->lookupClosed(chosen));
  inField_ = was;
}

void AdjustWindow::include() {
  apply(screen_->include());
}

void AdjustWindow::exclude() { apply(screen_->exclude()); }

void AdjustWindow::startRun() {
  Reaction r = screen_->adjust(this);
  showSelected();  // the companies that share files may have been added
  if (screen_->running()) {
    log_->clear();
    setRunning(true);
    tabs_->setCurrentIndex(1);
    pullProgress();
  }
  apply(r);
}

void AdjustWindow::setRunning(bool running) {
  selectionPage_->setEnabled(!running);
  adjust_->setEnabled(!running);
}

void AdjustWindow::pullProgress() {
  const RunProgress p = screen_->progress();
  companiesBar_->setMaximum(qMax(1, p.companiesTotal));
  companiesBar_->setValue(qMin(p.companiesDone, companiesBar_->maximum()));
  filesBar_->setMaximum(qMax(1, barUnits(p.fileTotal, p.fileTotal)));
  filesBar_->setValue(qMin(barUnits(p.filePosition, p.fileTotal), filesBar_->maximum()));
  const std::vector<std::string> lines = screen_->logLines(size_t(log_->count()));
  for (const std::string& line : lines) log_->addItem(fromUtf8(line));
  if (!lines.empty()) {
    log_->setCurrentRow(log_->count() - 1);
    log_->scrollToBottom();
  }
}

void AdjustWindow::workerDone() {
  if (asking_) {
    endPending_ = true;  // taken up when the stop question is answered
    return;
  }
  pullProgress();
  // The list shows the new structures under the final message.
  Reaction refresh;
  refresh.refreshCompanies = true;
  apply(refresh);
  Reaction r = screen_->completeRun();
  setRunning(false);
  pullProgress();
  apply(r);
}

void AdjustWindow::closeScreen() {
  // In the frame's work area the window around the screen closes; it asks
  // the screen first (closeEvent below).
  if (auto* holder = qobject_cast<QMdiSubWindow*>(parentWidget()))
    holder->close();
  else
    close();
}

void AdjustWindow::closeEvent(QCloseEvent* event) {
  asking_ = true;
  Reaction r = screen_->close();
  asking_ = false;
  if (r.closeScreen) {
    event->accept();
    return;
  }
  event->ignore();
  if (endPending_) {
    endPending_ = false;
    QMetaObject::invokeMethod(this, &AdjustWindow::workerDone, Qt::QueuedConnection);
  }
}

}  // namespace vorlam::adjust
