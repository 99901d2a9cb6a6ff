// The company and period selection drawn by the generic model window: the
// wiring of its frames, its offered years, its blinking warning and its
// closing rules (the rules themselves are the controller's and the
// scripts').

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "framework/qt/model_window.h"
#include "shell/company_selection.h"
#include "shell/qt/screen_windows.h"
#include "shell/qt/shell_qt_test_fixture.h"
#include "shell/shell_screens.h"

namespace vorlam::shell::qt {
namespace {

namespace harness = vorlam::qt::testing;
using testing::ShellQtTest;

class SelectionWindowTest : public ShellQtTest {
 protected:
  SelectionWindowTest() { shell::registerScreens(registry_); }
  vorlam::qt::ModelWindow* open() {
    return openScreenWindow(*services_, registry_, kSelectionProcedure, nullptr);
  }
  ScreenRegistry registry_;
};

TEST_F(SelectionWindowTest, FramesTextsAndOfferedYears) {
  QPointer<vorlam::qt::ModelWindow> w = open();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(harness::showWindow(w));
  EXPECT_EQ(w->windowTitle(), QString::fromUtf8("Selecionar empresa e período"));
  QStringList groups;
  for (QGroupBox* g : w->findChildren<QGroupBox*>()) groups << g->title();
  EXPECT_EQ(groups, (QStringList{"  Empresa", QString::fromUtf8("  Período")}));
  // Each entry stands in its frame.
  EXPECT_TRUE(qobject_cast<QGroupBox*>(w->control("GLO:EMPRESA:CODIGO")->parentWidget()));
  EXPECT_TRUE(qobject_cast<QGroupBox*>(w->control("GLO:MES")->parentWidget()));
  QStringList labels;
  for (QLabel* l : w->findChildren<QLabel*>()) labels << l->text();
  for (const char* text : {"Seleciona a Empresa para Trabalhar", "0&1 - Código.....", "0&2 - Estado...",
                           "0&3 - Empresa..", "0&4 - Ano..........", "0&5 - Mês...", "Atenção!!! ",
                           "Para selecionar o ano inteiro informe o mês como 13."})
    EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
  EXPECT_EQ(w->control("GLO:EMPRESA:CODIGO")->toolTip(), QString::fromUtf8("Código da Empresa a ser selecionada"));
  QAbstractButton* search = w->button("Pesquisa empresas cadastradas.");
  ASSERT_NE(search, nullptr);
  EXPECT_TRUE(search->text().isEmpty());
  // The search stands on the code's line, inside the company frame.
  EXPECT_EQ(search->parentWidget(), w->control("GLO:EMPRESA:CODIGO")->parentWidget());
  auto* year = qobject_cast<QComboBox*>(w->control("GLO:ANO"));
  ASSERT_NE(year, nullptr);
  EXPECT_TRUE(year->isEditable());
  QStringList years;
  for (int i = 0; i < year->count(); ++i) years << year->itemText(i);
  EXPECT_EQ(years, (QStringList{"1997", "1998", "1999", "2000", "2001", "2002", "2003"}));
  EXPECT_EQ(year->currentText(), QString::number(localToday().year));

  // The warning blinks and keeps its place.
  QLabel* warning = nullptr;
  for (QLabel* l : w->findChildren<QLabel*>())
    if (l->text() == QString::fromUtf8("Atenção!!! ")) warning = l;
  ASSERT_NE(warning, nullptr);
  const bool shown = warning->isVisible();
  EXPECT_TRUE(QTest::qWaitFor([&] { return warning->isVisible() != shown; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return warning->isVisible() == shown; }, 5000));

  // A year typed goes to the screen; one picked from the list too.
  harness::typeText(year->lineEdit(), "2001");
  harness::pressKey(w, Qt::Key_Return);
  EXPECT_EQ(session_->state().company().ano, 0);  // nothing is current before Selecionar
  year->setCurrentIndex(0);
  emit year->activated(0);
  EXPECT_EQ(year->currentText(), "1997");
  delete w;
}

TEST_F(SelectionWindowTest, ClosingWithoutCompanyIsRefusedThenACompanyCloses) {
  addCompany(12, "Mercearia Boa Vista", 2, 5);
  QPointer<vorlam::qt::ModelWindow> w = open();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(harness::showWindow(w));
  {
    harness::MessageScript script;
    EXPECT_FALSE(w->close());
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].title, QString::fromUtf8("Atenção"));
    EXPECT_EQ(script.seen()[0].text, QString::fromUtf8("Selecione uma Empresa !"));
  }
  harness::wait(20);
  EXPECT_TRUE(w->isVisible());
  // The screen asked for the code entry again.
  w->activateWindow();
  EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == w->control("GLO:EMPRESA:CODIGO"); }, 2000));
  harness::typeText(w->control("GLO:EMPRESA:CODIGO"), "12");
  harness::pressKey(w, Qt::Key_Return);
  EXPECT_EQ(qobject_cast<QLineEdit*>(w->control("GLO:EMPRESA:RAZAO"))->text(), "Mercearia Boa Vista");
  harness::typeText(w->control("GLO:MES"), "13");
  harness::pressKey(w, Qt::Key_Return);
  ASSERT_TRUE(harness::clickButton(w, "&Selecionar"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.isNull(); }, 2000));
  EXPECT_EQ(session_->state().company().codigo, 12);
  EXPECT_EQ(session_->state().company().codPlanoContas, 5);
  EXPECT_EQ(session_->state().company().mes, kWholeYear);
}

}  // namespace
}  // namespace vorlam::shell::qt
