#include "framework/filter_pictures.h"

#include <gtest/gtest.h>

#include "storage/date.h"
#include "storage/text.h"

namespace vorlam {
namespace {

TableDef invoiceDef() {
  return TableBuilder("Nota", "NF", "")
      .field("NF:Codigo", kULONG)
      .field("NF:Data", kLONG)
      .field("NF:Valor", DECIMAL(13, 2))
      .field("NF:UF", STRING(2))
      .build();
}

class FilterPicturesTest : public ::testing::Test {
 protected:
  bool matches(const char* expression) {
    Result<Filter> f = Filter::compile(expression, def, displayPictureFormatter());
    EXPECT_TRUE(f.isOk()) << expression << ": " << f.status().message();
    if (!f) return false;
    return f->bind(FilterVariableMap())->matches(record);
  }
  TableDef def = invoiceDef();
  Record record{&def};
};

TEST_F(FilterPicturesTest, FormatShowsWhatTheScreenShows) {
  record.setInt("NF:Codigo", 5102);
  record.setInt("NF:Data", *toDayNumber(2003, 5, 10));
  record.setDecimal("NF:Valor", *Decimal::parse("-1234.5", 2));
  record.setText("NF:UF", "sp");
  EXPECT_TRUE(matches("Sub(Format(NF:Codigo,@n04),3,2) = '02'"));
  EXPECT_TRUE(matches("Format(NF:Data,@d06) = '10/05/2003'"));
  EXPECT_TRUE(matches("Clip(Format(NF:Valor,@n-15.2)) = '      -1.234,50'"));
  EXPECT_TRUE(matches("Format(NF:UF,@k^^k) = 'SP'"));
  // A picture the engine does not know shows the plain value.
  EXPECT_TRUE(matches("Format(NF:Codigo,@x9) = '5102'"));
}

TEST_F(FilterPicturesTest, ThreeDigitCodesOfTheOldCfoTableKeepTheirLeadingZero) {
  const char* before2003 =
      "NF:Codigo > 999 and Sub(Format(NF:Codigo,@n04),3,2) = 99 or NF:Codigo > 999 and "
      "Sub(Format(NF:Codigo,@n04),3,2) = 91 or NF:Codigo <= 999";
  for (auto [code, old] : {std::pair{511, true}, {999, true}, {5199, true}, {6991, true}, {5102, false}, {1000, false}}) {
    record.setInt("NF:Codigo", code);
    EXPECT_EQ(matches(before2003), old) << code;
  }
}

}  // namespace
}  // namespace vorlam
