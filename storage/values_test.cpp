#include <gtest/gtest.h>

#include "storage/date.h"
#include "storage/decimal.h"
#include "storage/record.h"
#include "storage/text.h"

namespace vorlam {
namespace {

TEST(DecimalTest, ParsesFormatsAndRounds) {
  auto d = Decimal::parse("-1234.5", 2);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->units(), -123450);
  EXPECT_EQ(d->toString(), "-1234.50");
  EXPECT_EQ(Decimal::parse("0,125", 2)->toString(), "0.13");   // half away from zero
  EXPECT_EQ(Decimal::parse("-0.125", 2)->toString(), "-0.13");
  EXPECT_EQ(Decimal::parse("999999999999999", 0)->units(), 999999999999999LL);
  EXPECT_FALSE(Decimal::parse("12a", 2));
  EXPECT_FALSE(Decimal::parse("", 2));
  EXPECT_FALSE(Decimal::parse("1.2.3", 2));
  EXPECT_EQ(Decimal::fromUnits(5, 4).toString(), "0.0005");
}

TEST(DecimalTest, ExactArithmeticAndOrdering) {
  // 0.1 + 0.2 is exactly 0.3, as money must be.
  auto a = *Decimal::parse("0.1", 2), b = *Decimal::parse("0.2", 2);
  EXPECT_EQ(*a.plus(b), *Decimal::parse("0.3", 2));
  EXPECT_EQ(a.minus(b)->toString(), "-0.10");
  EXPECT_EQ(Decimal::parse("1.5", 1)->times(*Decimal::parse("0.333", 3), 2)->toString(), "0.50");
  EXPECT_LT(*Decimal::parse("1.09", 2), *Decimal::parse("1.1", 1));
  EXPECT_TRUE(Decimal::parse("99999.99", 2)->fits(7, 2));
  EXPECT_FALSE(Decimal::parse("100000.00", 2)->fits(7, 2));
  EXPECT_FALSE(Decimal::fromUnits(900000000000000000LL, 0).plus(Decimal::fromUnits(900000000000000000LL, 0)));
}

TEST(DateTest, DayNumbersFollowTheCalendar) {
  EXPECT_EQ(*toDayNumber(1801, 1, 1), 4);
  EXPECT_EQ(formatDate(4), "01/01/1801");
  EXPECT_EQ(formatDate(0), "");
  auto d = toDayNumber(2015, 3, 1);
  ASSERT_TRUE(d);
  EXPECT_EQ(formatDate(*d), "01/03/2015");
  EXPECT_EQ(*toDayNumber(2015, 2, 28) + 1, *d);
  EXPECT_EQ(*toDayNumber(2016, 2, 29) + 1, *toDayNumber(2016, 3, 1));
  EXPECT_FALSE(toDayNumber(2015, 2, 29));
  EXPECT_FALSE(toDayNumber(1900, 2, 29));
  EXPECT_TRUE(toDayNumber(2000, 2, 29));
  EXPECT_FALSE(toDayNumber(2015, 13, 1));
  EXPECT_EQ(parseDate("01/03/2015"), d);
  EXPECT_EQ(parseDate("01032015"), d);
  EXPECT_EQ(parseDate("1/3/15"), d);
  EXPECT_EQ(parseDate("  "), 0);
  // A date field without a date shows, and takes back, all zeros.
  EXPECT_EQ(parseDate("00/00/0000"), 0);
  EXPECT_EQ(parseDate("00000000"), 0);
  EXPECT_FALSE(parseDate("00/03/2015"));
  EXPECT_FALSE(parseDate("31/04/2015"));
  EXPECT_FALSE(parseDate("ab/cd/efgh"));
  EXPECT_EQ(dayOfWeek(*toDayNumber(2026, 12, 8)), 2);  // a Tuesday
}

TEST(TextTest, ConvertsBetweenUtf8AndWindows1252) {
  std::string latin = utf8ToLatin1("Ação – €");
  EXPECT_EQ(latin, std::string("A\xE7\xE3o \x96 \x80"));
  EXPECT_EQ(latin1ToUtf8(latin), "Ação – €");
  EXPECT_EQ(utf8ToLatin1("日本"), "??");
  EXPECT_EQ(fitText("abc", 5), "abc  ");
  EXPECT_EQ(fitText("abcdef", 3), "abc");
  EXPECT_EQ(upperLatin1(utf8ToLatin1("joão")), utf8ToLatin1("JOÃO"));
}

TEST(TextTest, ComparesAsABrazilianUserExpects) {
  auto L = [](const char* s) { return utf8ToLatin1(s); };
  EXPECT_EQ(compareText(L("JOÃO"), L("joão  ")), 0);
  EXPECT_NE(compareText(L("João"), L("Joao")), 0);
  EXPECT_LT(compareText(L("Éder"), L("Fábio")), 0);
  EXPECT_LT(compareText(L("Eder"), L("Éder")), 0);
  EXPECT_LT(compareText(L("Édson"), L("Eduardo")), 0);  // accents only break ties
  EXPECT_LT(compareText(L("abc"), L("abcd")), 0);
  EXPECT_EQ(compareText(L("ç"), L("Ç")), 0);
}

TableDef sampleDef() {
  return TableBuilder("Amostra", "AMO", "Amostra.dat")
      .field("AMO:Codigo", kUSHORT)
      .field("AMO:Nome", STRING(10))
      .field("AMO:Valor", DECIMAL(7, 2))
      .field("AMO:Meses", kBYTE, 3)
      .field("AMO:Saldo", kSHORT)
      .build();
}

TEST(RecordTest, EnforcesWidthsAndRanges) {
  TableDef def = sampleDef();
  EXPECT_EQ(def.recordSize(), 2 + 10 + 4 + 3 + 2);
  EXPECT_EQ(def.fields[2].offset, 12);
  EXPECT_EQ(def.fields[3].typeText(), "BYTE \xC3\x97" "3");
  Record r(&def);
  EXPECT_TRUE(r.setInt("amo:codigo", 65535));
  EXPECT_EQ(r.setInt("Codigo", 65536).code(), StatusCode::kOutOfRange);
  EXPECT_EQ(r.getInt("AMO:Codigo"), 65535);  // the refused value left it alone
  EXPECT_EQ(r.setInt("Saldo", -40000).code(), StatusCode::kOutOfRange);
  EXPECT_TRUE(r.setText("Nome", "abcdefghijklmno"));
  EXPECT_EQ(r.getText("Nome"), "abcdefghij");
  EXPECT_TRUE(r.setDecimal("Valor", *Decimal::parse("99999.99", 2)));
  EXPECT_EQ(r.setDecimal("Valor", *Decimal::parse("100000", 0)).code(), StatusCode::kOutOfRange);
  EXPECT_TRUE(r.setFromText(2, "12.345"));
  EXPECT_EQ(r.getAsText(2), "12.35");
  EXPECT_TRUE(r.setInt(3, 7, 2));
  EXPECT_EQ(r.getInt(3, 2), 7);
  EXPECT_EQ(r.setInt(3, 1, 3).code(), StatusCode::kInvalidArgument);
  EXPECT_FALSE(r.setFromText(0, "12x"));
}

}  // namespace
}  // namespace vorlam
