#include "framework/qt/query_window.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "framework/error_manager.h"
#include "framework/qt/list_test_fixture.h"
#include "framework/qt/list_window.h"
#include "framework/qt/test_harness.h"

namespace vorlam::qt {
namespace {

// A list of service codes with saved queries in a settings file; catalogue
// messages are answered by script.
class QueryFixture : public ListFixture {
 protected:
  ListWindow* openList(uint32_t buttons = kAll, std::string filter = {}) {
    ListDefinition logic = listDefinition();
    logic.filter = std::move(filter);
    ListWindow& list = makeList(definition(buttons), false, logic);
    list.setServices({&dialogs, &index, &files});
    EXPECT_TRUE(list.open().isOk());
    return &list;
  }
  std::vector<int64_t> codes(ListWindow& list) {
    std::vector<int64_t> out;
    for (int row = 0; row < list.model()->rowCount(); ++row) out.push_back(list.model()->recordAt(row)->getInt("CTA:CODIGO"));
    return out;
  }
  std::vector<QueryColumn> typed(const char* code, const char* description) {
    return {{"CTA:CODIGO", "@n13", code}, {"CTA:DESCRICAO", "@s40", description}, {"CTA:ISS", "@n-8.4", ""}};
  }

  SettingsFiles files{dir.path()};
  SavedQueryIndex index;
};

TEST_F(QueryFixture, WindowHasItsTabsButtonsAndOneEntryPerQueryableColumn) {
  fill(3);
  auto list = openList();
  EXPECT_EQ(list->queryPrompts(), (QStringList{QString::fromUtf8("Código"), QString::fromUtf8("Descrição"), "ISS"}))
      << "the hidden column is not queryable";
  ListQueryStore store(index, files, "BPlanoISS", "CtaISS");
  QueryWindow window(list->queryColumns(), list->queryPrompts(), &store, dialogs);
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Configurações do Filtro"));
  ASSERT_EQ(window.tabs()->count(), 2);
  EXPECT_EQ(window.tabs()->tabText(0), "Salva Filtros");
  EXPECT_EQ(window.tabs()->tabText(1), QString::fromUtf8("Filtra Configurações"));
  EXPECT_EQ(window.tabs()->currentIndex(), 1);
  for (const char* caption : {"&OK", "&Cancela", "&Limpa"}) EXPECT_NE(testing::findButton(&window, caption), nullptr);
  EXPECT_EQ(window.entryCount(), 3);

  ASSERT_TRUE(testing::showWindow(&window));
  testing::typeText(window.entry(1), QString::fromUtf8("^*serviço 1"));
  EXPECT_EQ(window.columns()[1].value, "^*serviço 1");
  ASSERT_TRUE(testing::clickButton(&window, "&Limpa"));
  EXPECT_EQ(window.columns()[1].value, "");
}

TEST_F(QueryFixture, QueryNarrowsTheListAndClearGivesItBack) {
  fill(30);
  auto list = openList();
  ASSERT_TRUE(list->applyQuery(typed("<=5", "")).isOk());
  EXPECT_EQ(list->controller().queryExpression(), "CTA:CODIGO <= 5");
  EXPECT_EQ(codes(*list), (std::vector<int64_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(list->queryColumns()[0].value, "<=5") << "the window opens again on the query in force";

  // Conditions of several columns are joined; contains ignores case with ^.
  const std::string name = latin1ToUtf8(list->model()->recordAt(2)->getText("CTA:DESCRICAO"));
  ASSERT_TRUE(list->applyQuery(typed(">=2", ("^*" + name.substr(name.size() - 4)).c_str())).isOk());
  ASSERT_FALSE(codes(*list).empty());
  EXPECT_EQ(codes(*list).front(), 3);
  for (int64_t c : codes(*list)) EXPECT_GE(c, 2);

  list->clearQuery();
  EXPECT_EQ(list->model()->rowCount(), 30);
  EXPECT_TRUE(list->controller().queryExpression().empty());
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(QueryFixture, QueryJoinsTheScreensOwnFilter) {
  fill(30);
  auto list = openList(kAll, "CTA:CODIGO > 20");
  EXPECT_EQ(list->model()->rowCount(), 10);
  ASSERT_TRUE(list->applyQuery(typed("<25", "")).isOk());
  EXPECT_EQ(codes(*list), (std::vector<int64_t>{21, 22, 23, 24}));
  list->clearQuery();
  EXPECT_EQ(list->model()->rowCount(), 10) << "clearing the query keeps the screen's filter";
}

TEST_F(QueryFixture, ColumnThatCannotBeFilteredRaises44AndIsLeftOut) {
  fill(20);
  auto list = openList();
  EXPECT_TRUE(list->applyQuery(typed("dez", "")).isOk());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Coluna do filtro sem assistência");
  EXPECT_EQ(dialogs.boxes[0].text, "A coluna do filtro, CTA:CODIGO não é válido. Será ignorado do filtro.");
  EXPECT_EQ(list->model()->rowCount(), 20);

  ASSERT_TRUE(list->applyQuery(typed("~~~3", "")).isOk());
  EXPECT_EQ(dialogs.boxes.size(), 2u) << "an operator the query does not know";
}

TEST_F(QueryFixture, MenuHasTheQueryEntriesFollowingTheQueryButton) {
  fill(10);
  auto list = openList();
  ListQueryStore store(index, files, "BPlanoISS", "CtaISS");
  ASSERT_TRUE(store.save({"Primeiros", {{"CTA:CODIGO", "<4"}}}).isOk());

  QList<bool> enabled;
  std::unique_ptr<QMenu> menu(list->contextMenu());
  EXPECT_EQ(menuTexts(menu.get(), &enabled),
            (QStringList{"&Inclui", "&Altera", "&Exclui", "&Visualiza", "Im&prime", "-", "&Query", "Visualiza",
                         "&Limpa", "-", "Primeiros", "&Toolbox"}));
  EXPECT_EQ(enabled, (QList<bool>{true, true, true, true, true, true, false, false, true, true}))
      << "Visualiza and Limpa wait for a query in force";

  // A saved query from the menu filters the list; then there is a filter to
  // view and to clear.
  menu->actions()[10]->trigger();
  EXPECT_EQ(codes(*list), (std::vector<int64_t>{1, 2, 3}));
  menu.reset(list->contextMenu());
  enabled.clear();
  menuTexts(menu.get(), &enabled);
  EXPECT_TRUE(enabled[6] && enabled[7]);
  menu->actions()[7]->trigger();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Configurações do Filtro");
  EXPECT_EQ(dialogs.boxes[0].text, "CTA:CODIGO < 4");
  menu->actions()[8]->trigger();
  EXPECT_EQ(list->model()->rowCount(), 10);

  list->setButtonEnabled(kListQuery, false);
  menu.reset(list->queryMenu());
  enabled.clear();
  menuTexts(menu.get(), &enabled);
  EXPECT_EQ(enabled, (QList<bool>{false, false, false, false}));
}

TEST_F(QueryFixture, QueryWindowOpenedFromTheListAppliesWhatWasTyped) {
  fill(40);
  auto list = openList();
  ASSERT_TRUE(testing::showWindow(list));
  testing::DialogScript script;
  script.then([](QDialog* d) {
    auto* window = qobject_cast<QueryWindow*>(d);
    ASSERT_NE(window, nullptr);
    testing::typeText(window->entry(0), ">35");
    testing::clickButton(window, "&OK");
  });
  EXPECT_TRUE(list->openQueryWindow());
  EXPECT_EQ(codes(*list), (std::vector<int64_t>{36, 37, 38, 39, 40}));

  // Cancel leaves the query in force as it was.
  script.then([](QDialog* d) {
    testing::typeText(static_cast<QueryWindow*>(d)->entry(0), "<3");
    testing::clickButton(d, "&Cancela");
  });
  EXPECT_FALSE(list->openQueryWindow());
  EXPECT_EQ(list->model()->rowCount(), 5);
  EXPECT_EQ(script.seen(), (QStringList{QString::fromUtf8("Configurações do Filtro"),
                                        QString::fromUtf8("Configurações do Filtro")}));
}

TEST_F(QueryFixture, SavedFiltersTabSavesPicksAndDeletes) {
  fill(5);
  auto list = openList();
  ListQueryStore store(index, files, "BPlanoISS", "CtaISS");
  QueryWindow window(list->queryColumns(), list->queryPrompts(), &store, dialogs);
  ASSERT_TRUE(testing::showWindow(&window));
  testing::typeText(window.entry(0), "<3");
  window.tabs()->setCurrentIndex(0);
  testing::typeText(window.nameEntry(), QString::fromUtf8("Até dois"));
  ASSERT_TRUE(testing::clickButton(&window, "&Grava"));
  ASSERT_EQ(window.savedList()->count(), 1);
  EXPECT_EQ(window.savedList()->item(0)->text(), QString::fromUtf8("Até dois"));
  EXPECT_EQ(files.read("BPlanoISS_CtaISS$$Até dois", "CTA:CODIGO", "", "Vorlam.INI"), "<3");

  // Picking the saved query fills the entries again.
  ASSERT_TRUE(testing::clickButton(&window, "&Limpa"));
  window.savedList()->setCurrentRow(-1);
  window.savedList()->setCurrentRow(0);
  EXPECT_EQ(window.entry(0)->text(), "<3");

  // A name the index cannot hold is refused with a message.
  testing::typeText(window.nameEntry(), "a,b");
  ASSERT_TRUE(testing::clickButton(&window, "&Grava"));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Atenção!!!");
  EXPECT_EQ(window.savedList()->count(), 1);

  // Deleting asks first; "&Não" keeps the query.
  window.savedList()->setCurrentRow(0);
  dialogs.answerQuestion(1);
  ASSERT_TRUE(testing::clickButton(&window, "E&xclui"));
  EXPECT_EQ(window.savedList()->count(), 1);
  dialogs.answerQuestion(2);
  ASSERT_TRUE(testing::clickButton(&window, "E&xclui"));
  EXPECT_EQ(window.savedList()->count(), 0);
  EXPECT_TRUE(store.names().empty());
  EXPECT_EQ(dialogs.questions.back().buttonList, "&Não|&Sim");
}

TEST_F(QueryFixture, WithoutSavedQueriesTheSavedTabIsOff) {
  fill(2);
  auto list = openList();
  QueryWindow window(list->queryColumns(), list->queryPrompts(), nullptr, dialogs);
  EXPECT_FALSE(window.tabs()->isTabEnabled(0));
  EXPECT_FALSE(window.saveCurrent());
}

}  // namespace
}  // namespace vorlam::qt
