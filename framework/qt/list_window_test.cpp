#include "framework/qt/list_window.h"

#include <gtest/gtest.h>

#include <deque>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>

#include "framework/qt/list_test_fixture.h"
#include "framework/qt/test_harness.h"

namespace vorlam::qt {
namespace {

TEST_F(ListFixture, ColumnsFromTheFormatString) {
  fill(30);
  ListWindow& list = makeList(kAll);
  ASSERT_TRUE(list.open().isOk());
  QAbstractItemModel* m = list.view()->model();
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Código"));
  EXPECT_EQ(m->index(0, 0).data().toString(), "1");
  EXPECT_EQ(m->index(0, 2).data().toString(), "2,5000");
  EXPECT_TRUE(m->index(0, 1).data().toString().startsWith(QString::fromUtf8("Serviço ")));
  EXPECT_TRUE(m->index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
  EXPECT_TRUE(list.view()->isColumnHidden(3)) << "width 0 hides the column";
  EXPECT_FALSE(list.view()->isColumnHidden(1));
  EXPECT_GT(list.view()->columnWidth(1), list.view()->columnWidth(0));
}

TEST_F(ListFixture, MenuRepeatsTheButtonsInOrderAndFollowsTheirState) {
  fill(5);
  ListWindow& browse = makeList(kAll);
  ASSERT_TRUE(browse.open().isOk());
  std::unique_ptr<QMenu> menu(browse.contextMenu());
  EXPECT_EQ(menuTexts(menu.get()), (QStringList{"&Inclui", "&Altera", "&Exclui", "&Visualiza", "Im&prime", "-",
                                                "&Query", "Visualiza", "&Limpa", "&Toolbox"}))
      << "select appears only when picking for a caller";

  ListWindow& pick = makeList(kListChange | kListDelete | kListSelect | kListToolbox, true);
  ASSERT_TRUE(pick.open().isOk());
  pick.setButtonEnabled(kListDelete, false);
  QList<bool> enabled;
  std::unique_ptr<QMenu> pickMenu(pick.contextMenu());
  EXPECT_EQ(menuTexts(pickMenu.get(), &enabled), (QStringList{"&Altera", "&Exclui", "&Seleciona", "&Toolbox"}));
  EXPECT_EQ(enabled, (QList<bool>{true, false, true, true}));
}

TEST_F(ListFixture, MenuKeyOpensTheMenuAtTheHighlightedRow) {
  fill(5);
  ListWindow& list = makeList(kAll);
  ASSERT_TRUE(list.open().isOk());
  ASSERT_TRUE(testing::showWindow(&list));
  QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), list.view()->mapToGlobal(QPoint(0, 0)));
  QCoreApplication::sendEvent(list.view(), &key);
  QMenu* shown = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* menu = qobject_cast<QMenu*>(w); menu != nullptr && menu->isVisible()) shown = menu;
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(menuTexts(shown).first(), "&Inclui");
  shown->close();
}

TEST_F(ListFixture, SelectModeEnterSelectsAndSelectIsDefault) {
  fill(10);
  ListWindow& list = makeList(kListChange | kListSelect, true);
  ASSERT_TRUE(list.open().isOk());
  EXPECT_TRUE(list.button(kListSelect)->isDefault());
  EXPECT_FALSE(list.button(kListChange)->isDefault());
  int64_t chosen = 0;
  list.setOnSelect([&](const Record& r) { chosen = r.getInt("CTA:CODIGO"); });
  ASSERT_TRUE(testing::showWindow(&list));
  list.view()->setFocus();
  testing::pressKey(&list, Qt::Key_Down);
  testing::pressKey(&list, Qt::Key_Return);
  EXPECT_EQ(chosen, 2);
  EXPECT_FALSE(list.isVisible());
}

TEST_F(ListFixture, InsertDeleteAndEnterOpenTheForm) {
  fill(10);
  ListWindow& list = makeList(kListInsert | kListChange | kListDelete);
  ASSERT_TRUE(list.open().isOk());
  EXPECT_TRUE(list.button(kListChange)->isDefault());
  std::vector<std::pair<Request, int64_t>> opened;
  list.controller().setFormOpener([&](Request r, const Record* row) {
    opened.emplace_back(r, row ? row->getInt("CTA:CODIGO") : -1);
    return false;
  });
  ASSERT_TRUE(testing::showWindow(&list));
  list.view()->setFocus();
  testing::pressKey(&list, Qt::Key_Insert);
  testing::pressKey(&list, Qt::Key_Down);
  testing::pressKey(&list, Qt::Key_Delete);
  testing::pressKey(&list, Qt::Key_Return);
  list.setButtonEnabled(kListDelete, false);
  testing::pressKey(&list, Qt::Key_Delete);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0], (std::pair<Request, int64_t>{Request::kInsert, -1}));
  EXPECT_EQ(opened[1], (std::pair<Request, int64_t>{Request::kDelete, 2}));
  EXPECT_EQ(opened[2], (std::pair<Request, int64_t>{Request::kChange, 2}));
}

TEST_F(ListFixture, NavigationToolbarTips) {
  fill(3);
  ListWindow& list = makeList(kListInsert);
  ASSERT_TRUE(list.open().isOk());
  QStringList tips;
  for (QAction* a : list.navigation()->actions()) tips << a->toolTip();
  EXPECT_EQ(tips, (QStringList{QString::fromUtf8("Primeira Página"), QString::fromUtf8("Página Anterior"),
                               "Registro Anterior", QString::fromUtf8("Próximo Registro"),
                               QString::fromUtf8("Próxima Página"), QString::fromUtf8("Última Página"),
                               "Inclua um novo Registro"}));
}

TEST_F(ListFixture, TabsChangeOrderAndLocatorFindsTheRow) {
  fill(200);
  ListWindow& list = makeList(kAll);
  ASSERT_TRUE(list.open().isOk());
  ASSERT_TRUE(testing::showWindow(&list));
  testing::typeText(list.locator(), "150");
  ASSERT_NE(list.current(), nullptr);
  EXPECT_EQ(list.current()->getInt("CTA:CODIGO"), 150);
  ASSERT_TRUE(list.showTab(1).isOk());
  QString previous;
  for (int row = 0; row < 10; ++row) {
    QString text = list.model()->index(row, 1).data().toString();
    EXPECT_LE(previous, text);
    previous = text;
  }
  testing::typeText(list.locator(), QString::fromUtf8("Serviço 15"));
  EXPECT_TRUE(list.model()->cellText(*list.current(), 1).startsWith(QString::fromUtf8("Serviço 15")));
}

TEST_F(ListFixture, ListReadsOnlyThePagesItShows) {
  // Large enough that reading the file would show in the count, small
  // enough for a test; speed over a million records is measured in bench/.
  fill(3000);
  ListWindow& list = makeList(kAll);
  ASSERT_TRUE(list.open().isOk());
  list.resize(700, 400);
  ASSERT_TRUE(testing::showWindow(&list));
  EXPECT_LT(list.controller().cache().recordsRead(), 200) << "opening reads a page, not the file";

  list.view()->setFocus();
  testing::pressKey(&list, Qt::Key_End);
  EXPECT_EQ(list.current()->getInt("CTA:CODIGO"), 3000);
  EXPECT_LE(list.model()->rowCount(), 40) << "the view holds one page";
  EXPECT_LT(list.controller().cache().recordsRead(), 400);
  // Moving up from the last page reads the pages before it.
  for (int i = 0; i < 100; ++i) testing::pressKey(&list, Qt::Key_Up);
  EXPECT_EQ(list.current()->getInt("CTA:CODIGO"), 2900);
  testing::pressKey(&list, Qt::Key_Home);
  EXPECT_EQ(list.current()->getInt("CTA:CODIGO"), 1);
  for (int i = 0; i < 5; ++i) testing::pressKey(&list, Qt::Key_PageDown);
  const int64_t code = list.current()->getInt("CTA:CODIGO");
  EXPECT_GT(code, 20);
  // Rows are consecutive across page boundaries.
  for (int row = 1; row < list.model()->rowCount(); ++row)
    ASSERT_EQ(list.model()->recordAt(row)->getInt("CTA:CODIGO"), list.model()->recordAt(row - 1)->getInt("CTA:CODIGO") + 1);
  EXPECT_LT(list.controller().cache().recordsRead(), 1000);
}

TEST_F(ListFixture, PrintsTheWholeListToPdf) {
  fill(150);
  ListWindow& list = makeList(kAll);
  ASSERT_TRUE(list.open().isOk());
  const QString path = QString::fromStdString(dir.file("lista.pdf"));
  ASSERT_TRUE(list.printToPdf(path).isOk());
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_GE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1);
}

TEST_F(ListFixture, CellColoursOnlyInColumnsMarkedForThem) {
  fill(4);
  ListWindowDefinition d = definition(kAll);
  d.format = "57R(2)|_M*~Código~@n13@167L(2)|_M~Descrição~L(0)@s40@";
  d.columnFields = {"CTA:CODIGO", "CTA:DESCRICAO"};
  ListWindow& list = makeList(d);
  // Even codes in red on yellow; odd ones keep the list's colours.
  list.setCellColours([](const Record& r, int) {
    RecordListModel::Colours c;
    if (r.getInt("CTA:CODIGO") % 2 == 0) c = {QColor(Qt::red), QColor(Qt::yellow)};
    return c;
  });
  ASSERT_TRUE(list.open().isOk());
  QAbstractItemModel* m = list.view()->model();
  EXPECT_EQ(m->index(1, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
  EXPECT_EQ(m->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));
  EXPECT_FALSE(m->index(0, 0).data(Qt::ForegroundRole).isValid());
  EXPECT_FALSE(m->index(1, 1).data(Qt::ForegroundRole).isValid()) << "the column has no '*'";
}

TEST_F(ListFixture, ToolboxRepeatsNavigationAndButtonsFollowingTheirState) {
  fill(5);
  ListWindow& list = makeList(kListInsert | kListChange | kListToolbox);
  ASSERT_TRUE(list.open().isOk());
  ASSERT_TRUE(testing::showWindow(&list));
  list.trigger(kListToolbox);
  QWidget* box = list.toolbox();
  EXPECT_TRUE(box->isVisible());
  EXPECT_TRUE(box->isWindow());
  QStringList texts;
  QAction* change = nullptr;
  for (QAction* a : box->findChild<QToolBar*>()->actions()) {
    if (a->isSeparator()) continue;
    texts << a->text();
    if (a->text() == "&Altera") change = a;
  }
  EXPECT_EQ(texts.mid(7), (QStringList{"&Inclui", "&Altera"}));
  EXPECT_EQ(texts.size(), 9) << "seven navigation actions first";
  ASSERT_NE(change, nullptr);
  list.setButtonEnabled(kListChange, false);
  EXPECT_FALSE(change->isEnabled());
  list.trigger(kListToolbox);
  EXPECT_FALSE(box->isVisible()) << "the button shows and hides it";
}

TEST_F(ListFixture, LocatorExcludedFromNavigationPicksWithEnter) {
  fill(30);
  ListWindow& list = makeList(kListChange | kListSelect, true);
  ASSERT_TRUE(list.open().isOk());
  int64_t chosen = 0;
  list.setOnSelect([&](const Record& r) { chosen = r.getInt("CTA:CODIGO"); });
  ASSERT_TRUE(testing::showWindow(&list));
  // Not excluded: Enter moves on from the locator as Tab does.
  testing::typeText(list.locator(), "7");
  testing::pressKey(&list, Qt::Key_Return);
  EXPECT_NE(testing::focused(), list.locator());
  EXPECT_EQ(chosen, 0);
  // Excluded, as the CFOP list does: Enter reaches the default button.
  list.keyboardNavigation()->exclude(list.locator());
  testing::typeText(list.locator(), "12");
  testing::pressKey(&list, Qt::Key_Return);
  EXPECT_EQ(chosen, 12);
}

TEST_F(ListFixture, ButtonsNeedingARowWaitForOneAndTheMenuFollows) {
  fill(0);
  ListWindow& list = makeList(kListInsert | kListChange | kListDelete | kListView | kListSelect, true);
  ASSERT_TRUE(list.open().isOk());
  QList<bool> enabled;
  std::unique_ptr<QMenu> menu(list.contextMenu());
  EXPECT_EQ(menuTexts(menu.get(), &enabled),
            (QStringList{"&Inclui", "&Altera", "&Exclui", "&Visualiza", "&Seleciona"}));
  EXPECT_EQ(enabled, (QList<bool>{true, false, false, false, false})) << "an empty list";

  ASSERT_TRUE(sample::fillServices(table, 3).isOk());
  list.change([&] { return list.controller().refresh(); });
  EXPECT_TRUE(list.button(kListChange)->isEnabled());
  EXPECT_TRUE(list.button(kListSelect)->isEnabled());
  list.setButtonEnabled(kListDelete, false);
  list.change([&] { return list.controller().lastPage(); });
  EXPECT_FALSE(list.button(kListDelete)->isEnabled()) << "the screen's switch stays";
  list.setButtonEnabled(kListDelete, true);
  EXPECT_TRUE(list.button(kListDelete)->isEnabled());
}

TEST_F(ListFixture, FormStepsMoveTheListAndOpenTheFormAgain) {
  fill(10);
  ListWindow& list = makeList(kListInsert | kListChange);
  ASSERT_TRUE(list.open().isOk());
  std::vector<std::pair<Request, int64_t>> opened;
  std::deque<RecordStep> steps{RecordStep::kNext, RecordStep::kLast};
  // The screen's opener: its form closed by a toolbar step each time, while
  // there are steps left.
  list.controller().setFormOpener([&](Request r, const Record* row) {
    opened.emplace_back(r, row ? row->getInt("CTA:CODIGO") : -1);
    if (!steps.empty()) {
      list.continueWith(steps.front());
      steps.pop_front();
    }
    return true;
  });
  list.trigger(kListChange);
  EXPECT_EQ(opened, (std::vector<std::pair<Request, int64_t>>{
                        {Request::kChange, 1}, {Request::kChange, 2}, {Request::kChange, 10}}));

  // Inserting: next saves and inserts again; another step moves and changes.
  opened.clear();
  steps = {RecordStep::kNext, RecordStep::kFirst};
  list.trigger(kListInsert);
  EXPECT_EQ(opened, (std::vector<std::pair<Request, int64_t>>{
                        {Request::kInsert, -1}, {Request::kInsert, -1}, {Request::kChange, 1}}));
}

}  // namespace
}  // namespace vorlam::qt
