#include "shell/qt/company_search.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "framework/screen_context.h"
#include "shell/company_files.h"

namespace vorlam::shell::qt {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;

constexpr char kHelpText[] =
    "Escolha a empresa na lista e confirme com Seleciona (ou Enter).|"
    "Cancela volta sem escolher nenhuma empresa.";

// The row of the list's own buttons, so that the search's buttons stand
// beside "&Seleciona".
QBoxLayout* rowOf(QWidget* window, QWidget* button) {
  for (QBoxLayout* row : window->findChildren<QBoxLayout*>())
    if (row->indexOf(button) >= 0) return row;
  return nullptr;
}

}  // namespace

vorlam::qt::ListWindowDefinition companySearchDefinition() {
  vorlam::qt::ListWindowDefinition d;
  d.procedure = kSearchProcedure;
  d.title = kSearchTitle;
  d.format =
      "28C|_M~Código~L(2)@n6@160L(2)|_M~Razão Social~@s40@80C(2)|_M~CNPJ~@p##.###.###/####-##p@"
      "80C(2)|_M~CPF~@p###.###.###-##p@80C(2)|_M~CEI~@p##.###.#####-##p@";
  d.columnFields = {"EMP0:Codigo", "EMP0:RazaoSocial", "EMP0:CGC", "EMP0:CPF", "EMP0:CEI"};
  // The companies in the order they are stored: by code, the order the
  // company file keeps them in.
  d.tabs = {{"Código", "EMP0:KEY:CODIGO", "", ""}};
  d.buttons = vorlam::qt::kListSelect;
  return d;
}

CompanySearchWindow::CompanySearchWindow(Table& empresa0, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
  setWindowTitle(QString::fromUtf8(kSearchTitle));
  auto* layout = new QVBoxLayout(this);
  list_ = new vorlam::qt::ListWindow(companySearchDefinition(), empresa0, true, this);
  layout->addWidget(list_);
  list_->setOnSelect([this](const Record& row) {
    chosen_ = row;
    accept();
  });
  resize(760, 460);
}

Status CompanySearchWindow::build() {
  Status s = list_->open();
  if (!s) return s;
  QPushButton* select = list_->button(vorlam::qt::kListSelect);
  select->setToolTip(QString::fromUtf8("Seleciona empresa."));
  auto* cancel = new QPushButton(QString::fromUtf8("&Cancela"), list_);
  cancel->setToolTip(QString::fromUtf8("Cancela e retorna."));
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* help = new QPushButton(QString::fromUtf8("&Ajuda"), list_);
  help->setToolTip(QString::fromUtf8("Ajuda."));
  help->setAutoDefault(false);
  connect(help, &QPushButton::clicked, this, [this] {
    dialogs_.messageBox({"Ajuda", messageBoxText(kHelpText), MessageIcon::kInformation, kButtonOk,
                         kButtonOk});
  });
  if (QBoxLayout* row = rowOf(list_, select)) {
    row->addWidget(cancel);
    row->addWidget(help);
  } else {
    layout()->addWidget(cancel);
    layout()->addWidget(help);
  }
  list_->view()->setFocus();
  return s;
}

std::optional<Record> pesquisaEmpresas(ShellServices& services, ErrorManager& errors,
                                       QWidget* parent) {
  ProcedureScope procedure(errors, kSearchProcedure);
  const TableDef* def = services.session.dictionary().find("Empresa0");
  Table table(def);
  const std::string path = services.session.state().pathFor(kEmpresaFile);
  Status s = table.open(path, OpenMode::kShared);
  if (!s) {
    errors.throwFile(kMsgOpenFailed, path, s);
    return std::nullopt;
  }
  CompanySearchWindow window(table, services.dialogs, parent);
  installScreenBehaviour(&window, services);
  if (Status opened = window.build(); !opened) {
    errors.throwFile(kMsgOpenFailed, path, opened);
    return std::nullopt;
  }
  if (window.exec() != QDialog::Accepted) return std::nullopt;
  return window.chosen();
}

CompanyPicker companySearchPicker(ShellServices& services, ErrorManager& errors) {
  return [&services, &errors](QWidget* parent) -> std::optional<uint16_t> {
    std::optional<Record> chosen = pesquisaEmpresas(services, errors, parent);
    if (!chosen) return std::nullopt;
    return static_cast<uint16_t>(chosen->getInt("EMP0:Codigo"));
  };
}

}  // namespace vorlam::shell::qt
