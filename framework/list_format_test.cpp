#include "framework/list_format.h"

#include <gtest/gtest.h>

namespace vorlam {
namespace {

TEST(ListFormat, ColumnsWithHeadersAlignmentsAndPictures) {
  auto r = parseListFormat("28R(2)|_M~Código~C(0)@n6@80L(2)|_M~Nome~@s40@0L(2)|_M~Formato~@s40@");
  ASSERT_TRUE(r.isOk()) << r.status().message();
  ASSERT_EQ(r->size(), 3u);
  const ListColumn& code = (*r)[0];
  EXPECT_EQ(code.width, 28);
  EXPECT_EQ(code.align, ColumnAlign::kRight);
  EXPECT_EQ(code.indent, 2);
  EXPECT_EQ(code.header, "Código");
  EXPECT_EQ(code.headerAlign, ColumnAlign::kCenter);
  EXPECT_EQ(code.headerIndent, 0);
  EXPECT_EQ(code.picture, "@n6");
  EXPECT_TRUE(code.rightBorder);
  EXPECT_TRUE(code.resizable);
  EXPECT_EQ(code.modifiers, "|_M");
  EXPECT_EQ((*r)[1].headerAlign, ColumnAlign::kLeft) << "header takes the data alignment";
  EXPECT_TRUE((*r)[2].hidden());
  EXPECT_FALSE((*r)[1].hidden());
}

TEST(ListFormat, PatternPicturesIconsAndNoHeader) {
  auto r = parseListFormat(
      "11D(2)|MJ@s1@103L(2)|M*~Código da Conta~C@s40@0L(2)|M*~CGC~@p##.###.###/####-##p@800L(2)|M@s200@");
  ASSERT_TRUE(r.isOk()) << r.status().message();
  ASSERT_EQ(r->size(), 4u);
  EXPECT_EQ((*r)[0].align, ColumnAlign::kDecimal);
  EXPECT_TRUE((*r)[0].icon);
  EXPECT_TRUE((*r)[0].header.empty());
  EXPECT_EQ((*r)[1].headerAlign, ColumnAlign::kCenter);
  EXPECT_TRUE((*r)[1].colours);
  EXPECT_FALSE((*r)[0].colours);
  EXPECT_EQ((*r)[2].picture, "@p##.###.###/####-##p");
  EXPECT_EQ((*r)[3].width, 800);
}

TEST(ListFormat, RefusesBrokenText) {
  EXPECT_FALSE(parseListFormat("R(2)~x~@n6@").isOk());
  EXPECT_FALSE(parseListFormat("28X~x~@n6@").isOk());
  EXPECT_FALSE(parseListFormat("28L~x@n6@").isOk());
  EXPECT_FALSE(parseListFormat("28L~x~@n6").isOk());
  EXPECT_FALSE(parseListFormat("28L(2~x~@n6@").isOk());
  EXPECT_TRUE(parseListFormat("").isOk());
}

}  // namespace
}  // namespace vorlam
