// A list bound to its controller in the model window: the screen's colours
// land on the columns it names among the shown ones, and a click on a cell
// reaches the screen with the shown column.
#include <gtest/gtest.h>

#include <QTableView>
#include <QTest>

#include "framework/qt/list_test_fixture.h"
#include "framework/qt/model_window.h"
#include "framework/screen_binding.h"

namespace vorlam::qt {
namespace {

TEST_F(ListFixture, BoundListColoursShownColumnsAndReportsClickedCells) {
  fill(5);
  ListDefinition logic = listDefinition();
  ListController list(context, logic, table);
  ASSERT_TRUE(list.open().isOk());
  ScreenModel model("Exemplo", "Exemplo de Lista");
  std::vector<std::pair<size_t, int>> clicks;
  // A hidden column stands before the coloured ones: shown column 1 is the
  // description (FORMAT column 2).
  ASSERT_TRUE(bindList(model, list,
                       {.format = "57R(2)|_M*~Código~@n13@0L(2)|_M*~Oculta~@s40@167L(2)|_M*~Descrição~L(0)@s40@"
                                  "34R(2)|_M*~ISS~@n-8.4@",
                        .columnFields = {"CTA:CODIGO", "CTA:DESCRICAO", "CTA:DESCRICAO", "CTA:ISS"},
                        .rowColours =
                            [](const Record& r) {
                              return RowColours{.text = r.getInt("CTA:CODIGO") % 2 ? 0x0000FFu : 0xFF0000u};
                            },
                        .colouredColumns = {1},
                        .clickCell =
                            [&](size_t row, int column) {
                              clicks.push_back({row, column});
                              return Status::ok();
                            }})
                  .isOk());
  auto* window = new ModelWindow(model);
  QPointer<ModelWindow> guard(window);
  ASSERT_TRUE(testing::showWindow(window));
  ListWindow* shown = window->listWindow("lista");
  ASSERT_NE(shown, nullptr);
  QAbstractItemModel* m = shown->view()->model();
  EXPECT_EQ(m->index(0, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
  EXPECT_EQ(m->index(1, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
  EXPECT_FALSE(m->index(0, 0).data(Qt::ForegroundRole).isValid()) << "not a coloured column";
  EXPECT_FALSE(m->index(0, 3).data(Qt::ForegroundRole).isValid()) << "not a coloured column";

  QTableView* view = shown->view();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(m->index(3, 2)).center());
  testing::wait(50);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], (std::pair<size_t, int>{3, 1}));
  EXPECT_EQ(list.selectedIndex(), std::optional<size_t>(3));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(m->index(1, 0)).center());
  testing::wait(50);
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[1], (std::pair<size_t, int>{1, 0}));
  window->close();
  testing::wait(20);
  delete guard.data();
}

}  // namespace
}  // namespace vorlam::qt
