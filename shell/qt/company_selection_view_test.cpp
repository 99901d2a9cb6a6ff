#include "shell/qt/company_selection_view.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "shell/qt/company_search.h"
#include "shell/qt/shell_qt_test_fixture.h"

namespace vorlam::shell::qt {
namespace {

namespace harness = vorlam::qt::testing;
using testing::ShellQtTest;

using SelectionViewTest = ShellQtTest;

TEST_F(SelectionViewTest, TextsOfTheScreen) {
  CompanySelectionView view(*services_, nullptr);
  EXPECT_EQ(view.windowTitle(), QString::fromUtf8("Selecionar empresa e período"));
  QStringList groups;
  for (QGroupBox* g : view.findChildren<QGroupBox*>()) groups << g->title();
  EXPECT_EQ(groups, (QStringList{"  Empresa", QString::fromUtf8("  Período")}));
  QStringList labels;
  for (QLabel* l : view.findChildren<QLabel*>()) labels << l->text();
  for (const char* text : {"Seleciona a Empresa para Trabalhar", "0&1 - Código.....", "0&2 - Estado...",
                           "0&3 - Empresa..", "0&4 - Ano..........", "0&5 - Mês...", "Atenção!!! ",
                           "Para selecionar o ano inteiro informe o mês como 13."})
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
  EXPECT_EQ(view.codeEntry()->toolTip(), QString::fromUtf8("Código da Empresa a ser selecionada"));
  EXPECT_EQ(view.codeEntry()->statusTip(), QString::fromUtf8("Código do Empresa"));
  EXPECT_EQ(view.searchButton()->toolTip(), "Pesquisa empresas cadastradas.");
  EXPECT_TRUE(view.searchButton()->text().isEmpty());
  EXPECT_EQ(view.stateField()->toolTip(), "Estado");
  EXPECT_EQ(view.selectButton()->text(), "&Selecionar");
  EXPECT_EQ(view.selectButton()->toolTip(), QString::fromUtf8("Confirma a seleção da empresa"));
  EXPECT_EQ(view.cancelButton()->text(), "&Cancelar");
  EXPECT_EQ(view.cancelButton()->toolTip(), QString::fromUtf8("Cancela a Seleção da Empresa"));
  EXPECT_EQ(view.helpButton()->text(), "Aj&uda");
  EXPECT_EQ(view.helpButton()->statusTip(), "Ajuda");
  QStringList years;
  for (int i = 0; i < view.yearEntry()->count(); ++i) years << view.yearEntry()->itemText(i);
  EXPECT_EQ(years, (QStringList{"1997", "1998", "1999", "2000", "2001", "2002", "2003"}));
}

TEST_F(SelectionViewTest, OpensOnTodayAndTheWarningBlinks) {
  CompanySelectionView view(*services_, nullptr);
  ASSERT_TRUE(harness::showWindow(&view));
  const CivilDate today = localToday();
  EXPECT_EQ(view.yearEntry()->currentText(), QString::number(today.year));
  EXPECT_EQ(view.monthEntry()->text().toInt(), today.month);
  EXPECT_EQ(view.monthName()->text(), QString::fromUtf8(monthDescription(today.month, "").c_str()));
  const bool shown = view.warningLabel()->isVisible();
  EXPECT_TRUE(QTest::qWaitFor([&] { return view.warningLabel()->isVisible() != shown; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return view.warningLabel()->isVisible() == shown; }, 5000));

  // Typing a month shows its name at once; a month refused on accepting
  // leaves the one before.
  harness::typeText(view.monthEntry(), "3");
  EXPECT_EQ(view.monthName()->text(), QString::fromUtf8("Março"));
  harness::MessageScript script;
  harness::typeText(view.monthEntry(), "14");
  harness::pressKey(&view, Qt::Key_Return);
  ASSERT_EQ(script.seen().size(), 1u);
  EXPECT_EQ(script.seen()[0].text, QString::fromUtf8(kInvalidMonthMessage));
  EXPECT_EQ(view.controller().values().mes, today.month);
  EXPECT_EQ(view.monthEntry()->text().toInt(), today.month);
  EXPECT_EQ(view.monthName()->text(), QString::fromUtf8(monthDescription(today.month, "").c_str()));
}

TEST_F(SelectionViewTest, WithoutCompanyCancelIsRefusedWithTheMessage) {
  CompanySelectionView view(*services_, nullptr);
  int finished = 0;
  QObject::connect(&view, &CompanySelectionView::finished, [&] { ++finished; });
  ASSERT_TRUE(harness::showWindow(&view));
  harness::MessageScript script;
  view.cancelButton()->click();
  ASSERT_EQ(script.seen().size(), 1u);
  EXPECT_EQ(script.seen()[0].title, QString::fromUtf8("Atenção"));
  EXPECT_EQ(script.seen()[0].text, QString::fromUtf8("Selecione uma Empresa !"));
  EXPECT_FALSE(view.close());  // the window's own close is refused the same way
  EXPECT_EQ(finished, 0);
  EXPECT_TRUE(view.isVisible());
  EXPECT_EQ(view.focusWidget(), view.codeEntry());
}

TEST_F(SelectionViewTest, SearchButtonPicksFromTheCompanyList) {
  addCompany(3, "Alfa Comércio");
  addCompany(8, "Beta Serviços", 2, 4);
  addCompany(9, "Gama Indústria");
  CompanySelectionView view(*services_, nullptr);
  ASSERT_TRUE(harness::showWindow(&view));
  QStringList listed;
  whenOpen<CompanySearchWindow>([&](CompanySearchWindow* search) {
    EXPECT_EQ(search->windowTitle(), "Pesquisa empresa");
    EXPECT_TRUE(search->list()->button(vorlam::qt::kListSelect)->isDefault());
    EXPECT_NE(harness::findButton(search, "&Cancela"), nullptr);
    EXPECT_NE(harness::findButton(search, "&Ajuda"), nullptr);
    auto* model = search->list()->model();
    for (int r = 0; r < model->rowCount(); ++r) listed << model->index(r, 1).data().toString();
    search->list()->view()->setCurrentIndex(model->index(1, 0));
    harness::clickButton(search, "&Seleciona");
  });
  view.searchButton()->click();
  EXPECT_EQ(listed, (QStringList{QString::fromUtf8("Alfa Comércio"), QString::fromUtf8("Beta Serviços"),
                                 QString::fromUtf8("Gama Indústria")}));
  EXPECT_EQ(view.codeEntry()->text(), "8");
  EXPECT_EQ(view.nameField()->text(), QString::fromUtf8("Beta Serviços"));
  EXPECT_EQ(view.controller().values().codPlanoContas, 4);
  EXPECT_EQ(view.focusWidget(), view.codeEntry());
  harness::wait(50);
  EXPECT_EQ(harness::baseColour(view.codeEntry()), services_->look().highlight);

  // Leaving the list with Cancela changes nothing.
  whenOpen<CompanySearchWindow>([](CompanySearchWindow* search) { harness::clickButton(search, "&Cancela"); });
  view.searchButton()->click();
  EXPECT_EQ(view.codeEntry()->text(), "8");
}

TEST_F(SelectionViewTest, ModalSelectionForAScreenThatNeedsACompany) {
  addCompany(5, "Delta");
  QWidget caller;
  ASSERT_TRUE(harness::showWindow(&caller));
  whenOpen<QDialog>([](QDialog* dialog) {
    auto* view = dialog->findChild<CompanySelectionView*>();
    ASSERT_NE(view, nullptr);
    harness::typeText(view->codeEntry(), "5");
    view->selectButton()->click();
  });
  EXPECT_TRUE(ensureCompanySelected(*services_, &caller));
  EXPECT_EQ(session_->state().company().codigo, 5);
  EXPECT_EQ(session_->state().company().razao, "Delta");
  EXPECT_FALSE(session_->state().pathFor("Diario.dat").empty());
  // With a company current nothing opens.
  EXPECT_TRUE(ensureCompanySelected(*services_, &caller));
}

}  // namespace
}  // namespace vorlam::shell::qt
