#include "shell/qt/company_selection_view.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "framework/picture.h"
#include "shell/paths.h"
#include "framework/qt/model_view.h"
#include "shell/qt/company_search.h"
#include "framework/qt/screen_modal.h"

namespace vorlam::shell::qt {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The years the drop-down offers ("1997|1998|...|2003").
constexpr int kListedYears[] = {1997, 1998, 1999, 2000, 2001, 2002, 2003};

constexpr char kCodeName[] = "GLO:EMPRESA:CODIGO";

// A control of the screen model, which every text of the window comes from.
const ScreenControl& control(const ScreenModel& model, const char* name) {
  static const ScreenControl kNone;
  const ScreenControl* c = model.control(name);
  return c != nullptr ? *c : kNone;
}

// The characters an entry holds: what its picture shows.
int widthOf(const ScreenControl& c) {
  Result<Picture> p = Picture::compile(c.picture);
  return p.isOk() && p->width() > 0 ? p->width() : 10;
}

QLineEdit* entry(QWidget* parent, const ScreenControl& c) {
  const int chars = widthOf(c);
  const std::string tipText = c.tip;
  const std::string statusText = c.status;
  const char* tip = tipText.empty() ? nullptr : tipText.c_str();
  const char* status = statusText.empty() ? nullptr : statusText.c_str();
  auto* e = new QLineEdit(parent);
  e->setMaxLength(chars);
  e->setMinimumWidth(qMax(chars, 3) * e->fontMetrics().averageCharWidth() + 14);
  e->setMaximumWidth(qMax(chars, 3) * e->fontMetrics().horizontalAdvance('W') + 14);
  if (tip) e->setToolTip(QString::fromUtf8(tip));
  if (status) e->setStatusTip(QString::fromUtf8(status));
  return e;
}

QPushButton* button(QWidget* parent, const ScreenButton& m) {
  auto* b = new QPushButton(fromUtf8(m.caption), parent);
  b->setToolTip(fromUtf8(m.tip));
  b->setStatusTip(fromUtf8(m.status));
  b->setAutoDefault(false);
  return b;
}

QLabel* prompt(QWidget* parent, const ScreenControl& c, QWidget* buddy) {
  auto* l = new QLabel(fromUtf8(c.prompt), parent);
  l->setBuddy(buddy);
  return l;
}

}  // namespace

CompanySelectionView::CompanySelectionView(ShellServices& services, ErrorManager* errors,
                                           QWidget* parent)
    : QWidget(parent), services_(services) {
  if (errors == nullptr) {
    ownErrors_ = services_.newErrorManager();
    errors = ownErrors_.get();
  }
  ErrorManager& screenErrors = *errors;
  CompanyPicker picker = services_.companyPicker
                             ? services_.companyPicker
                             : companySearchPicker(services_, screenErrors);
  screen_ = std::make_unique<CompanySelectionScreen>(
      services_.session.state(), services_.session.dictionary(), screenErrors, services_.session.settings(),
      [this, picker](ScreenModel&) { return picker(this); });
  controller_ = &screen_->controller();
  setWindowTitle(fromUtf8(screen_->model().title()));
  build();
  installScreenBehaviour(this, services_);
  if (!controller_->open()) {
    // The company file cannot be opened (message 26 was shown): nothing can
    // be chosen here.
    QTimer::singleShot(0, this, [this] { run([this] { controller_->requestClose(); }); });
  }
  refresh();
}

CompanySelectionView::~CompanySelectionView() {
  // Closing moves the focus away from an entry; its editing-finished signal
  // must not reach a view half torn down.
  for (QWidget* w : {static_cast<QWidget*>(code_), static_cast<QWidget*>(month_),
                     static_cast<QWidget*>(year_->lineEdit())})
    w->disconnect(this);
}

void CompanySelectionView::build() {
  auto* top = new QVBoxLayout(this);
  auto* heading = new QLabel(QString::fromUtf8("Seleciona a Empresa para Trabalhar"), this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  top->addWidget(heading);

  auto* company = new QGroupBox(QString::fromUtf8("  Empresa"), this);
  auto* grid = new QGridLayout(company);
  const ScreenModel& model = screen_->model();
  code_ = entry(company, control(model, kCodeName));
  code_->setAlignment(Qt::AlignRight);
  code_->setValidator(new QIntValidator(0, 65535, code_));
  search_ = new QToolButton(company);
  search_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
  search_->setStyleSheet(vorlam::qt::kIconButtonFocusStyle);
  const ScreenButton& search = model.buttons().at(0);  // icon only
  search_->setToolTip(fromUtf8(search.tip));
  search_->setStatusTip(fromUtf8(search.status));
  uf_ = entry(company, control(model, "GLO:EMPRESA:UF"));
  razao_ = entry(company, control(model, "GLO:EMPRESA:RAZAO"));
  // State and name follow the company chosen; they are not typed.
  for (QLineEdit* shown : {uf_, razao_}) {
    shown->setReadOnly(true);
    shown->setFocusPolicy(Qt::ClickFocus);  // Tab and Enter pass them by
  }
  auto* codeRow = new QHBoxLayout;
  codeRow->addWidget(code_);
  codeRow->addWidget(search_);
  codeRow->addStretch(1);
  grid->addWidget(prompt(company, control(model, kCodeName), code_), 0, 0);
  grid->addLayout(codeRow, 0, 1);
  grid->addWidget(prompt(company, control(model, "GLO:EMPRESA:UF"), uf_), 1, 0);
  grid->addWidget(uf_, 1, 1, Qt::AlignLeft);
  grid->addWidget(prompt(company, control(model, "GLO:EMPRESA:RAZAO"), razao_), 2, 0);
  grid->addWidget(razao_, 2, 1);
  grid->setColumnStretch(1, 1);
  top->addWidget(company);

  auto* period = new QGroupBox(QString::fromUtf8("  Período"), this);
  auto* pgrid = new QGridLayout(period);
  year_ = new QComboBox(period);
  year_->setEditable(true);
  year_->setInsertPolicy(QComboBox::NoInsert);
  for (int y : kListedYears) year_->addItem(QString::number(y));
  year_->lineEdit()->setMaxLength(4);
  year_->lineEdit()->setValidator(new QIntValidator(0, 9999, year_));
  year_->setMinimumWidth(8 * year_->fontMetrics().averageCharWidth() + 30);
  month_ = entry(period, control(model, "GLO:MES"));
  month_->setAlignment(Qt::AlignRight);
  month_->setValidator(new QIntValidator(0, 99, month_));
  monthName_ = new QLabel(period);
  monthName_->setMinimumWidth(12 * monthName_->fontMetrics().averageCharWidth());
  warning_ = new QLabel(QString::fromUtf8("Atenção!!! "), period);
  QPalette red = warning_->palette();
  red.setColor(QPalette::WindowText, QColor(192, 0, 0));
  warning_->setPalette(red);
  warning_->setFont(bold);
  // The blinking label keeps its place while hidden.
  QSizePolicy keep = warning_->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  warning_->setSizePolicy(keep);
  auto* yearRow = new QHBoxLayout;
  yearRow->addWidget(year_);
  yearRow->addStretch(1);
  auto* monthRow = new QHBoxLayout;
  monthRow->addWidget(month_);
  monthRow->addWidget(monthName_);
  monthRow->addStretch(1);
  auto* hintRow = new QHBoxLayout;
  hintRow->addWidget(warning_);
  hintRow->addWidget(
      new QLabel(QString::fromUtf8("Para selecionar o ano inteiro informe o mês como 13."), period));
  hintRow->addStretch(1);
  pgrid->addWidget(prompt(period, control(model, "GLO:ANO"), year_), 0, 0);
  pgrid->addLayout(yearRow, 0, 1);
  pgrid->addWidget(prompt(period, control(model, "GLO:MES"), month_), 1, 0);
  pgrid->addLayout(monthRow, 1, 1);
  pgrid->addLayout(hintRow, 2, 0, 1, 2);
  pgrid->setColumnStretch(1, 1);
  top->addWidget(period);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  select_ = button(this, model.buttons().at(1));
  cancel_ = button(this, model.buttons().at(2));
  help_ = button(this, model.buttons().at(3));
  select_->setDefault(true);
  buttons->addWidget(select_);
  buttons->addWidget(cancel_);
  buttons->addWidget(help_);
  top->addLayout(buttons);

  connect(code_, &QLineEdit::editingFinished, this, [this] {
    if (code_->isModified()) acceptCode();
  });
  connect(search_, &QToolButton::clicked, this, [this] { run([this] { controller_->search(); }); });
  connect(year_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    if (year_->lineEdit()->isModified()) acceptYear();
  });
  connect(year_, &QComboBox::activated, this, [this](int) { acceptYear(); });
  connect(month_, &QLineEdit::textEdited, this, [this] { acceptMonth(false); });
  connect(month_, &QLineEdit::editingFinished, this, [this] {
    if (month_->isModified()) acceptMonth(true);
  });
  connect(select_, &QPushButton::clicked, this, [this] {
    commitPending();
    run([this] { controller_->select(); });
  });
  connect(cancel_, &QPushButton::clicked, this, [this] { run([this] { controller_->cancel(); }); });
  connect(help_, &QPushButton::clicked, this, [this] { run([this] { controller_->help(); }); });

  blink_ = new QTimer(this);
  connect(blink_, &QTimer::timeout, this, [this] { warning_->setVisible(!warning_->isVisible()); });
  blink_->start(kWarningBlinkMs);
}

template <typename Step>
void CompanySelectionView::run(Step step) {
  if (busy_ || finished_) return;
  busy_ = true;
  step();
  busy_ = false;
  // A message or the company list may have had the keyboard; the screen
  // takes it back.
  if (isVisible() && !window()->isActiveWindow()) window()->activateWindow();
  refresh();
  applyFocusRequest();
  finishIfClosed();
}

void CompanySelectionView::commitPending() {
  if (code_->isModified()) acceptCode();
  if (year_->lineEdit()->isModified()) acceptYear();
  if (month_->isModified()) acceptMonth(true);
}

void CompanySelectionView::acceptCode() {
  code_->setModified(false);
  const uint16_t code = uint16_t(code_->text().trimmed().toUInt());
  run([this, code] {
    controller_->setCode(code);
    controller_->acceptCode();
  });
}

void CompanySelectionView::acceptYear() {
  year_->lineEdit()->setModified(false);
  const int ano = year_->currentText().trimmed().toInt();
  run([this, ano] { controller_->setYear(ano); });
}

void CompanySelectionView::acceptMonth(bool report) {
  const int mes = month_->text().trimmed().toInt();
  if (!report) {
    // While typing, a month that exists already shows its name; the month
    // itself changes only when the entry is accepted.
    monthName_->setText(fromUtf8(monthDescription(mes, monthName_->text().toStdString())));
    return;
  }
  month_->setModified(false);
  run([this, mes] { controller_->setMonth(mes); });
}

void CompanySelectionView::refresh() {
  const ScreenModel& model = screen_->model();
  auto shown = [&model](const char* name) {
    const ScreenControl* c = model.control(name);
    // The entry aligns the text; the picture's padding would only push it.
    return c == nullptr ? QString() : fromUtf8(model.displayValue(*c)).trimmed();
  };
  auto show = [](QLineEdit* e, const QString& text) {
    // Text being typed stays until it is accepted.
    if (e->hasFocus() && e->isModified()) return;
    if (e->text() != text) e->setText(text);
    e->setModified(false);
  };
  show(code_, shown(kCodeName));
  show(uf_, shown("GLO:EMPRESA:UF"));
  show(razao_, shown("GLO:EMPRESA:RAZAO"));
  show(year_->lineEdit(), shown("GLO:ANO"));
  show(month_, shown("GLO:MES"));
  monthName_->setText(shown("LOC:DESCRICAO_MES"));
  const bool free = model.state(control(model, kCodeName)).enabled;
  code_->setEnabled(free);
  search_->setEnabled(model.enabled(model.buttons().at(0)));
}

void CompanySelectionView::applyFocusRequest() {
  const CompanySelection::Focus focus = controller_->takeFocusRequest();
  switch (focus) {
    case CompanySelection::Focus::kNone: return;
    case CompanySelection::Focus::kCode:
      if (code_->isEnabled()) {
        code_->setFocus(Qt::OtherFocusReason);
        code_->selectAll();
      }
      return;
    case CompanySelection::Focus::kYear:
      year_->setFocus(Qt::OtherFocusReason);
      year_->lineEdit()->selectAll();
      return;
    case CompanySelection::Focus::kMonth:
      month_->setFocus(Qt::OtherFocusReason);
      month_->selectAll();
      return;
  }
}

void CompanySelectionView::finishIfClosed() {
  if (finished_ || !controller_->isClosed()) return;
  finished_ = true;
  blink_->stop();
  emit finished();
}

void CompanySelectionView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (windowUpDone_) return;
  windowUpDone_ = true;
  QTimer::singleShot(0, this, [this] {
    if (controller_->isOpen()) run([this] { controller_->windowUp(); });
    if (code_->isEnabled()) code_->setFocus(Qt::OtherFocusReason);
  });
}

void CompanySelectionView::closeEvent(QCloseEvent* event) {
  if (!finished_ && !busy_) run([this] { controller_->requestClose(); });
  if (finished_) {
    event->accept();
  } else {
    event->ignore();
  }
}

// --- Modal use -------------------------------------------------------------

namespace {

// A dialog around the view: Esc and the window's close button ask the view.
class SelectionDialog : public QDialog {
 public:
  SelectionDialog(ShellServices& services, ErrorManager* errors, QWidget* parent)
      : QDialog(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new CompanySelectionView(services, errors, this);
    setWindowTitle(view_->windowTitle());
    layout->addWidget(view_);
    connect(view_, &CompanySelectionView::finished, this, &QDialog::accept);
  }
  void reject() override { view_->close(); }

 private:
  CompanySelectionView* view_;
};

}  // namespace

bool runCompanySelection(ShellServices& services, QWidget* parent, ErrorManager* errors) {
  SelectionDialog dialog(services, errors, parent);
  vorlam::qt::execForScreen(dialog);
  return services.session.state().company().codigo != 0;
}

bool ensureCompanySelected(ShellServices& services, QWidget* parent, ErrorManager* errors) {
  if (services.session.state().company().codigo != 0) return true;
  return runCompanySelection(services, parent, errors);
}

}  // namespace vorlam::shell::qt
