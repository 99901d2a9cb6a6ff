#include "framework/qt/list_delegate.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QStyleOptionViewItem>
#include <QTableView>

#include "framework/qt/list_test_fixture.h"

namespace vorlam::qt {
namespace {

// Código: indent 8, border, no underline; Descrição: indent 12, underline
// only, its header not indented; Nome: no indent, no lines; ISS: both lines.
constexpr const char* kMixedFormat =
    "57R(8)|M~Código~@n13@167L(12)_~Descrição~L(0)@s40@167L~Nome~@s40@34C|_~ISS~@n-8.4@";

class ListCellFixture : public ListFixture {
 protected:
  ListWindow& openMixed() {
    fill(5);
    ListWindowDefinition d = definition(kAll);
    d.format = kMixedFormat;
    d.columnFields = {"CTA:CODIGO", "CTA:DESCRICAO", "CTA:DESCRICAO", "CTA:ISS"};
    ListWindow& list = makeList(d);
    EXPECT_TRUE(list.open().isOk());
    list.resize(900, 300);
    EXPECT_TRUE(testing::showWindow(&list));
    return list;
  }
  // The delegate's text area of `index`, laid out as the view lays it out.
  static QRect textRect(QTableView* view, const QModelIndex& index) {
    QStyleOptionViewItem opt;
    opt.initFrom(view);
    opt.widget = view;
    opt.rect = view->visualRect(index);
    auto* delegate = qobject_cast<ListCellDelegate*>(view->itemDelegate());
    return delegate != nullptr ? delegate->textRect(opt, index) : QRect();
  }
};

TEST_F(ListCellFixture, ColumnsAnswerTheIndentBorderAndUnderlineOfTheirFormat) {
  ListWindow& list = openMixed();
  QAbstractItemModel* m = list.view()->model();
  auto cell = [&](int column, int role) { return m->index(1, column).data(role); };
  EXPECT_EQ(cell(0, kListIndentRole).toInt(), 8);
  EXPECT_TRUE(cell(0, kListRightBorderRole).toBool());
  EXPECT_FALSE(cell(0, kListUnderlineRole).toBool());
  EXPECT_EQ(cell(1, kListIndentRole).toInt(), 12);
  EXPECT_FALSE(cell(1, kListRightBorderRole).toBool());
  EXPECT_TRUE(cell(1, kListUnderlineRole).toBool());
  EXPECT_EQ(cell(2, kListIndentRole).toInt(), 0);
  EXPECT_FALSE(cell(2, kListRightBorderRole).toBool());
  EXPECT_FALSE(cell(2, kListUnderlineRole).toBool());
  EXPECT_TRUE(cell(3, kListRightBorderRole).toBool());
  EXPECT_TRUE(cell(3, kListUnderlineRole).toBool());
  // A header takes the data's indent unless it gives its own.
  EXPECT_EQ(m->headerData(0, Qt::Horizontal, kListIndentRole).toInt(), 8);
  EXPECT_EQ(m->headerData(1, Qt::Horizontal, kListIndentRole).toInt(), 0);
  EXPECT_FALSE(list.view()->showGrid()) << "the columns draw their own lines";
}

TEST(ListCellGeometry, IndentMovesTheTextAwayFromItsEdge) {
  const QRect text(10, 0, 100, 20);
  EXPECT_EQ(indentedText(text, Qt::AlignLeft | Qt::AlignVCenter, 6), QRect(16, 0, 94, 20));
  EXPECT_EQ(indentedText(text, Qt::AlignRight | Qt::AlignVCenter, 6), QRect(10, 0, 94, 20));
  EXPECT_EQ(indentedText(text, Qt::AlignHCenter | Qt::AlignVCenter, 6), QRect(16, 0, 100, 20));
  EXPECT_EQ(indentedText(text, Qt::AlignLeft, -4), QRect(6, 0, 104, 20)) << "a negative indent moves outwards";
  EXPECT_EQ(indentedText(text, Qt::AlignRight, 0), text);
  EXPECT_EQ(indentPixels(4, 7), 7) << "four list units are one average character";
  EXPECT_EQ(indentPixels(2, 8), 4);
}

TEST_F(ListCellFixture, DelegatePutsTheTextWhereTheIndentSays) {
  ListWindow& list = openMixed();
  QTableView* view = list.view();
  QAbstractItemModel* m = view->model();
  const int unit = view->fontMetrics().averageCharWidth();
  // Nome, with no indent, shows the plain margins of a cell.
  const QRect plainCell = view->visualRect(m->index(1, 2));
  const QRect plain = textRect(view, m->index(1, 2));
  const int leftMargin = plain.left() - plainCell.left();
  const int rightMargin = plainCell.right() - plain.right();
  const QRect codeCell = view->visualRect(m->index(1, 0));
  EXPECT_EQ(codeCell.right() - textRect(view, m->index(1, 0)).right(), rightMargin + indentPixels(8, unit));
  const QRect nameCell = view->visualRect(m->index(1, 1));
  EXPECT_EQ(textRect(view, m->index(1, 1)).left() - nameCell.left(), leftMargin + indentPixels(12, unit));
}

TEST_F(ListCellFixture, BorderAndUnderlineAreDrawnOnlyWhereTheFormatAsks) {
  ListWindow& list = openMixed();
  QTableView* view = list.view();
  QAbstractItemModel* m = view->model();
  const QImage shot = view->viewport()->grab().toImage();
  const QColor line = listLineColour(view);
  auto pixel = [&](int x, int y) { return shot.pixelColor(x, y); };
  // Row 2 is not highlighted.
  const QRect code = view->visualRect(m->index(2, 0));
  const QRect name = view->visualRect(m->index(2, 1));
  const QRect plain = view->visualRect(m->index(2, 2));
  ASSERT_FALSE(code.isEmpty());
  for (int y = code.top(); y < code.bottom(); ++y) ASSERT_EQ(pixel(code.right(), y), line) << "border at y " << y;
  EXPECT_NE(pixel(code.center().x(), code.bottom()), line) << "Código is not underlined";
  EXPECT_NE(pixel(name.right(), name.center().y()), line) << "Descrição has no border";
  EXPECT_EQ(pixel(name.center().x(), name.bottom()), line) << "Descrição is underlined";
  EXPECT_NE(pixel(plain.right(), plain.center().y()), line);
  EXPECT_NE(pixel(plain.center().x(), plain.bottom()), line);
}

}  // namespace
}  // namespace vorlam::qt
