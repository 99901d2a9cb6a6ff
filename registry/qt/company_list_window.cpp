#include "registry/qt/company_list_window.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>

#include "registry/company_list.h"
#include "shell/company_files.h"
#include "framework/qt/screen_modal.h"

namespace vorlam::registry::qt {

namespace {

namespace fq = vorlam::qt;

constexpr uint16_t kMsgOpenFailed = 26;

QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

fq::ListWindowDefinition viewDefinition() {
  fq::ListWindowDefinition d;
  d.format = kCompanyListFormat;
  for (const char* field : companyListColumns()) d.columnFields.push_back(field);
  for (const char* prompt : companyListLocatorPrompts()) d.locatorPrompts.push_back(prompt);
  d.buttons = fq::kListInsert | fq::kListChange | fq::kListDelete | fq::kListSelect;
  return d;
}

}  // namespace

CompanyListWindow::CompanyListWindow(ScreenContext& context, Table& empresa, const shell::qt::ShellServices& services,
                                     QWidget* parent)
    : PickListDialog(context, companyListDefinition(), empresa, viewDefinition(), parent), dialogs_(services.dialogs) {
  list()->setServices(services.listServices());
  list()->setLook(services.look());
  resize(900, 480);
}

QPushButton* CompanyListWindow::addButton(const char* caption, const char* tip) {
  auto* b = new QPushButton(QString::fromUtf8(caption), list());
  b->setToolTip(QString::fromUtf8(tip));
  b->setAutoDefault(false);
  list()->buttonRow()->addWidget(b);
  return b;
}

Status CompanyListWindow::build() {
  Status s = list()->open();
  if (s) s = list()->showTab(kCompanyListFirstTab);
  if (!s) return s;
  const struct {
    fq::ListButton which;
    CompanyListButton button;
  } kOwn[] = {{fq::kListInsert, CompanyListButton::kInsert},
              {fq::kListChange, CompanyListButton::kChange},
              {fq::kListDelete, CompanyListButton::kDelete},
              {fq::kListSelect, CompanyListButton::kSelect}};
  for (const auto& own : kOwn) {
    const CompanyListButtonText text = companyListButton(own.button, true);
    list()->button(own.which)->setText(fromUtf8(text.caption));
    list()->button(own.which)->setToolTip(fromUtf8(text.tip));
  }
  // Insert, change and delete belong to the company form.
  for (fq::ListButton b : {fq::kListInsert, fq::kListChange, fq::kListDelete}) list()->setButtonEnabled(b, false);

  auto text = [](CompanyListButton b) { return companyListButton(b, true); };
  QPushButton* help = addButton(text(CompanyListButton::kHelp).caption.c_str(), "");
  QPushButton* close = addButton(text(CompanyListButton::kClose).caption.c_str(), "");
  filter_ = addButton(text(CompanyListButton::kFilter).caption.c_str(), "");
  clearFilter_ = addButton(text(CompanyListButton::kClearFilter).caption.c_str(), "");
  connect(help, &QPushButton::clicked, this, [this] {
    dialogs_.messageBox({"Ajuda", messageBoxText(companyListHelp(true)), MessageIcon::kInformation, kButtonOk,
                         kButtonOk});
  });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(filter_, &QPushButton::clicked, this, [this] { list()->openQueryWindow(); });
  connect(clearFilter_, &QPushButton::clicked, this, [this] { list()->clearQuery(); });

  // The part-name entry says what it is for.
  auto tipFor = [this](int tab) {
    list()->locator()->setToolTip(tab == 2 ? QString::fromUtf8(kPartNameTip) : QString());
  };
  connect(list()->tabs(), &QTabBar::currentChanged, this, tipFor);
  tipFor(list()->tabs()->currentIndex());
  list()->view()->setFocus();
  return s;
}

shell::qt::CompanyPicker companyListPicker(const shell::qt::ShellServices& services) {
  return [&services](QWidget* parent) -> std::optional<uint16_t> {
    std::unique_ptr<ErrorManager> errors = services.newErrorManager();
    const TableDef* def = services.session.dictionary().find("Empresa");
    Table table(def);
    const std::string path = services.session.state().pathFor(shell::kEmpresaFile);
    Status s = table.open(path, OpenMode::kShared);
    if (s) {
      ScreenContext context{services.session.dictionary(), services.session.state().resolver(), *errors};
      CompanyListWindow window(context, table, services, parent);
      s = window.build();
      if (s) {
        if (vorlam::qt::execForScreen(window) != QDialog::Accepted || !window.chosen()) return std::nullopt;
        return static_cast<uint16_t>(window.chosen()->getInt("EMP:Codigo"));
      }
    }
    ProcedureScope procedure(*errors, kCompanyListProcedure);
    errors->throwFile(kMsgOpenFailed, path, s);
    return std::nullopt;
  };
}

}  // namespace vorlam::registry::qt
