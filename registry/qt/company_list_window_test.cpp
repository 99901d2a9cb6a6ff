#include "registry/qt/company_list_window.h"

#include <QLineEdit>
#include <QPushButton>
#include <QAction>
#include <QTabBar>
#include <QToolBar>
#include <QTableView>
#include <QToolButton>

#include "shell/qt/company_selection_view.h"
#include "shell/qt/shell_qt_test_fixture.h"

namespace vorlam::registry::qt {
namespace {

namespace harness = vorlam::qt::testing;
namespace fq = vorlam::qt;
using CompanyListWindowTest = shell::qt::testing::ShellQtTest;

TEST_F(CompanyListWindowTest, SelectionSearchPicksFromTheCompanyListByName) {
  addCompany(3, "Gama Indústria");
  addCompany(8, "Beta Serviços", 2, 4);
  addCompany(9, "Alfa Comércio");
  services_->companyPicker = companyListPicker(*services_);
  shell::qt::CompanySelectionView view(*services_, nullptr);
  ASSERT_TRUE(harness::showWindow(&view));
  QStringList listed;
  whenOpen<CompanyListWindow>([&](CompanyListWindow* window) {
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Visualização da Tabela de Empresas"));
    fq::ListWindow* list = window->list();
    EXPECT_EQ(list->tabs()->tabText(list->tabs()->currentIndex()), QString::fromUtf8("&Razão Social"));
    EXPECT_EQ(list->tabs()->count(), 3);
    EXPECT_TRUE(list->button(fq::kListSelect)->isDefault());
    EXPECT_EQ(list->button(fq::kListChange)->text(), "Al&terar");
    EXPECT_FALSE(list->button(fq::kListInsert)->isEnabled()) << "no company form yet";
    EXPECT_FALSE(list->navigation()->actions().last()->isEnabled()) << "nor the toolbar's insert";
    EXPECT_FALSE(list->button(fq::kListDelete)->isEnabled());
    EXPECT_EQ(window->filterButton()->text(), "F&iltra");
    EXPECT_EQ(window->clearFilterButton()->text(), "&Limp. Filtro");
    EXPECT_NE(harness::findButton(window, "&Fechar"), nullptr);
    auto* model = list->model();
    for (int r = 0; r < model->rowCount(); ++r) listed << model->index(r, 1).data().toString();
    list->view()->setCurrentIndex(model->index(1, 0));
    harness::clickButton(window, "&Seleciona");
  });
  view.searchButton()->click();
  EXPECT_EQ(listed, (QStringList{QString::fromUtf8("Alfa Comércio"), QString::fromUtf8("Beta Serviços"),
                                 QString::fromUtf8("Gama Indústria")}));
  EXPECT_EQ(view.codeEntry()->text(), "8");
  EXPECT_EQ(view.controller().values().codPlanoContas, 4);

  // The part-name tab keeps the names holding the typed text, whatever
  // their case; Fechar picks nothing.
  whenOpen<CompanyListWindow>([&](CompanyListWindow* window) {
    fq::ListWindow* list = window->list();
    list->tabs()->setCurrentIndex(2);
    EXPECT_EQ(list->controller().currentTab(), 2);
    EXPECT_EQ(list->locator()->toolTip(), QString::fromUtf8("Entre com a Razão Social a ser pesquisada"));
    ASSERT_TRUE(list->controller().locate("ÇOS"));
    ASSERT_EQ(list->controller().rows().size(), 1u);
    EXPECT_EQ(list->controller().rows()[0].getInt("EMP:Codigo"), 8);
    harness::clickButton(window, "&Fechar");
  });
  view.searchButton()->click();
  EXPECT_EQ(view.codeEntry()->text(), "8");
}

}  // namespace
}  // namespace vorlam::registry::qt
