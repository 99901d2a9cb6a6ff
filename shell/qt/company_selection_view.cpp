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
#include "shell/qt/company_search.h"
#include "framework/qt/screen_modal.h"

namespace vorlam::shell::qt {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The years the drop-down offers ("1997|1998|...|2003").
constexpr int kListedYears[] = {1997, 1998, 1999, 2000, 2001, 2002, 2003};

QLineEdit* entry(QWidget* parent, int chars, const char* tip, const char* status) {
  auto* e = new QLineEdit(parent);
  e->setMaxLength(chars);
  e->setMinimumWidth(qMax(chars, 3) * e->fontMetrics().averageCharWidth() + 14);
  e->setMaximumWidth(qMax(chars, 3) * e->fontMetrics().horizontalAdvance('W') + 14);
  if (tip) e->setToolTip(QString::fromUtf8(tip));
  if (status) e->setStatusTip(QString::fromUtf8(status));
  return e;
}

QPushButton* button(QWidget* parent, const char* caption, const char* tip, const char* status) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setToolTip(QString::fromUtf8(tip));
  b->setStatusTip(QString::fromUtf8(status));
  b->setAutoDefault(false);
  return b;
}

QLabel* prompt(QWidget* parent, const char* text, QWidget* buddy) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setBuddy(buddy);
  return l;
}

// An entry holding a picture's value: the text without the blanks that
// right-align it.
QString pictureText(const char* picture, int64_t value) {
  Result<std::string> text = formatPicture(picture, PictureValue{value});
  return text.isOk() ? fromUtf8(text.value()).trimmed() : QString::number(value);
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
  controller_ = std::make_unique<CompanySelection>(
      services_.session.state(), services_.session.dictionary(), screenErrors,
      services_.session.settings(), [this, picker] { return picker(this); });
  setWindowTitle(QString::fromUtf8(kSelectionTitle));
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
  code_ = entry(company, 6, "Código da Empresa a ser selecionada", "Código do Empresa");
  code_->setAlignment(Qt::AlignRight);
  code_->setValidator(new QIntValidator(0, 65535, code_));
  search_ = new QToolButton(company);
  search_->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
  search_->setToolTip(QString::fromUtf8("Pesquisa empresas cadastradas."));
  search_->setStatusTip(search_->toolTip());
  uf_ = entry(company, 2, "Estado", nullptr);
  razao_ = entry(company, 40, nullptr, nullptr);
  // State and name follow the company chosen; they are not typed.
  for (QLineEdit* shown : {uf_, razao_}) {
    shown->setReadOnly(true);
    shown->setFocusPolicy(Qt::ClickFocus);  // Tab and Enter pass them by
  }
  auto* codeRow = new QHBoxLayout;
  codeRow->addWidget(code_);
  codeRow->addWidget(search_);
  codeRow->addStretch(1);
  grid->addWidget(prompt(company, "0&1 - Código.....", code_), 0, 0);
  grid->addLayout(codeRow, 0, 1);
  grid->addWidget(prompt(company, "0&2 - Estado...", uf_), 1, 0);
  grid->addWidget(uf_, 1, 1, Qt::AlignLeft);
  grid->addWidget(prompt(company, "0&3 - Empresa..", razao_), 2, 0);
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
  month_ = entry(period, 2, nullptr, nullptr);
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
  pgrid->addWidget(prompt(period, "0&4 - Ano..........", year_), 0, 0);
  pgrid->addLayout(yearRow, 0, 1);
  pgrid->addWidget(prompt(period, "0&5 - Mês...", month_), 1, 0);
  pgrid->addLayout(monthRow, 1, 1);
  pgrid->addLayout(hintRow, 2, 0, 1, 2);
  pgrid->setColumnStretch(1, 1);
  top->addWidget(period);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  select_ = button(this, "&Selecionar", "Confirma a seleção da empresa", "Confirma a seleção");
  cancel_ = button(this, "&Cancelar", "Cancela a Seleção da Empresa", "Cancela a seleção");
  help_ = button(this, "Aj&uda", "Ajuda da janela atual", "Ajuda");
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
  const CurrentCompany& v = controller_->values();
  auto show = [](QLineEdit* e, const QString& text) {
    // Text being typed stays until it is accepted.
    if (e->hasFocus() && e->isModified()) return;
    if (e->text() != text) e->setText(text);
    e->setModified(false);
  };
  show(code_, pictureText("@n6", v.codigo));
  show(uf_, fromUtf8(v.uf));
  show(razao_, fromUtf8(v.razao));
  show(year_->lineEdit(), v.ano == 0 ? QString() : fromUtf8(zeroPadded(v.ano, 4)));
  show(month_, fromUtf8(zeroPadded(v.mes, 2)));
  monthName_->setText(fromUtf8(controller_->monthText()));
  const bool free = controller_->codeEntryEnabled();
  code_->setEnabled(free);
  search_->setEnabled(free);
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
    setWindowTitle(QString::fromUtf8(kSelectionTitle));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new CompanySelectionView(services, errors, this);
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
