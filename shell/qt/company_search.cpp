#include "shell/qt/company_search.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QTableView>

#include "framework/screen_context.h"
#include "shell/company_files.h"
#include "framework/qt/screen_modal.h"

namespace vorlam::shell::qt {

namespace {

constexpr uint16_t kMsgOpenFailed = 26;

}  // namespace

vorlam::qt::ListWindowDefinition companySearchView() {
  const ListBinding columns = companySearchColumns();
  vorlam::qt::ListWindowDefinition d;
  d.format = columns.format;
  d.columnFields = columns.columnFields;
  d.locatorPrompts = columns.locatorPrompts;
  d.buttons = vorlam::qt::kListSelect;
  return d;
}

CompanySearchWindow::CompanySearchWindow(ScreenContext& context, Table& empresa0, Dialogs& dialogs,
                                         const vorlam::qt::ScreenLook& look, QWidget* parent)
    : PickListDialog(context, companySearchList(), empresa0, companySearchView(), parent), dialogs_(dialogs) {
  list()->setServices({&dialogs_, nullptr, nullptr});  // no saved queries: the list has no "&Query"
  list()->setLook(look);
  resize(760, 460);
}

Status CompanySearchWindow::build() {
  Status s = list()->open();
  if (!s) return s;
  QPushButton* select = list()->button(vorlam::qt::kListSelect);
  select->setToolTip(QString::fromUtf8("Seleciona empresa."));
  auto* cancel = new QPushButton(QString::fromUtf8("&Cancela"), list());
  cancel->setToolTip(QString::fromUtf8("Cancela e retorna."));
  cancel->setAutoDefault(false);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* help = new QPushButton(QString::fromUtf8("&Ajuda"), list());
  help->setToolTip(QString::fromUtf8("Ajuda."));
  help->setAutoDefault(false);
  connect(help, &QPushButton::clicked, this, [this] {
    dialogs_.messageBox({"Ajuda", messageBoxText(kSearchHelp), MessageIcon::kInformation, kButtonOk,
                         kButtonOk});
  });
  list()->buttonRow()->addWidget(cancel);
  list()->buttonRow()->addWidget(help);
  list()->view()->setFocus();
  return s;
}

std::optional<Record> pesquisaEmpresas(ShellServices& services, ErrorManager& errors,
                                       QWidget* parent) {
  const TableDef* def = services.session.dictionary().find("Empresa0");
  Table table(def);
  const std::string path = services.session.state().pathFor(kEmpresaFile);
  Status s = table.open(path, OpenMode::kShared);
  if (s) {
    ScreenContext context{services.session.dictionary(), services.session.state().resolver(), errors};
    CompanySearchWindow window(context, table, services.dialogs, services.look(), parent);
    s = window.build();
    if (s) {
      if (vorlam::qt::execForScreen(window) != QDialog::Accepted) return std::nullopt;
      return window.chosen();
    }
  }
  ProcedureScope procedure(errors, kSearchProcedure);
  errors.throwFile(kMsgOpenFailed, path, s);
  return std::nullopt;
}

CompanyPicker companySearchPicker(ShellServices& services, ErrorManager& errors) {
  return [&services, &errors](QWidget* parent) -> std::optional<uint16_t> {
    std::optional<Record> chosen = pesquisaEmpresas(services, errors, parent);
    if (!chosen) return std::nullopt;
    return static_cast<uint16_t>(chosen->getInt("EMP0:Codigo"));
  };
}

}  // namespace vorlam::shell::qt
