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
  // Every byte comes back as it went, the ones Windows-1252 leaves undefined too.
  for (int c = 1; c < 256; ++c) {
    const std::string byte(1, static_cast<char>(c));
    EXPECT_EQ(utf8ToLatin1(latin1ToUtf8(byte)), byte) << c;
  }
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

namespace vorlam {
namespace {

TEST(DecimalLimitsTest, ParsingRefusesWhatDoesNotFitWhateverItsLength) {
  // 37 digits once wrapped around the 128-bit intermediate into a small value.
  EXPECT_FALSE(Decimal::parse("3402823669209384634633746074317682115", 2));
  EXPECT_FALSE(Decimal::parse("-3402823669209384634633746074317682115", 2));
  EXPECT_FALSE(Decimal::parse(std::string(400, '9'), 0));
  EXPECT_FALSE(Decimal::parse("1" + std::string(18, '0'), 0));  // 10^18 units
  EXPECT_EQ(Decimal::parse(std::string(18, '9'), 0)->units(), 999999999999999999LL);
  EXPECT_FALSE(Decimal::parse("10000000000000000", 2));  // 10^16 at two places is 10^18 units
  EXPECT_EQ(Decimal::parse("9999999999999999.99", 2)->units(), 999999999999999999LL);
  // Rounding that carries past the limit is refused, not wrapped.
  EXPECT_FALSE(Decimal::parse("9999999999999999.995", 2));
  // Any number of decimals beyond the places only rounds.
  EXPECT_EQ(Decimal::parse("0." + std::string(300, '0') + "1", 2)->units(), 0);
  EXPECT_EQ(Decimal::parse("1.004" + std::string(300, '9'), 2)->units(), 100);
  EXPECT_EQ(Decimal::parse("1.005", 2)->units(), 101);
  EXPECT_EQ(Decimal::parse("0." + std::string(18, '1'), 18)->units(), 111111111111111111LL);
  EXPECT_FALSE(Decimal::parse("1", 19));
  EXPECT_FALSE(Decimal::parse("1.2.3", 2));
  EXPECT_FALSE(Decimal::parse("-", 2));
}

TEST(DecimalLimitsTest, ArithmeticRefusesOverflow) {
  const Decimal top = Decimal::fromUnits(999999999999999999LL, 0);
  EXPECT_FALSE(top.plus(Decimal::fromInteger(1)));
  EXPECT_FALSE(top.negated().minus(Decimal::fromInteger(1)));
  EXPECT_TRUE(top.minus(Decimal::fromInteger(1)));
  EXPECT_FALSE(top.times(top, 0));
  EXPECT_FALSE(Decimal::fromInteger(2).times(Decimal::fromInteger(1), 18));
  EXPECT_EQ(Decimal::fromUnits(1, 18).times(Decimal::fromInteger(1), 18)->units(), 1);
  EXPECT_FALSE(top.rescaled(1));
  EXPECT_FALSE(Decimal::fromUnits(INT64_MAX, 0).plus(Decimal::fromUnits(1, 18)));
  EXPECT_FALSE(Decimal::fromUnits(INT64_MIN, 0).times(Decimal::fromUnits(INT64_MIN, 0), 0));
  EXPECT_EQ(Decimal::fromUnits(INT64_MIN, 0).negated().units(), INT64_MAX);
  EXPECT_FALSE(Decimal::fromUnits(5, 0).fits(-1, 0));
  EXPECT_TRUE(Decimal::fromUnits(5, 0).fits(40, 0));
  // Values that fit stay exact at the edges.
  EXPECT_EQ(Decimal::fromUnits(999999999999999998LL, 2).plus(Decimal::fromUnits(1, 2))->units(),
            999999999999999999LL);
  EXPECT_EQ(Decimal::fromUnits(-5, 1).times(Decimal::fromUnits(3, 1), 1)->units(), -2);  // -0.15 -> -0.2
}

TEST(DecimalLimitsTest, EveryFieldTypeTakesItsLimitsAndRefusesOneBeyond) {
  TableDef def = TableBuilder("Limites", "LIM", "")
                     .field("LIM:B", kBYTE)
                     .field("LIM:S", kSHORT)
                     .field("LIM:U", kUSHORT)
                     .field("LIM:L", kLONG)
                     .field("LIM:W", kULONG)
                     .field("LIM:D", DECIMAL(11, 2))
                     .field("LIM:D18", DECIMAL(18, 4))
                     .field("LIM:D1", DECIMAL(1, 0))
                     .field("LIM:T", STRING(3))
                     .build();
  Record r(&def);
  struct Case {
    const char* field;
    const char* low;
    const char* high;
    const char* below;
    const char* above;
  } cases[] = {
      {"B", "0", "255", "-1", "256"},
      {"S", "-32768", "32767", "-32769", "32768"},
      {"U", "0", "65535", "-1", "65536"},
      {"L", "-2147483648", "2147483647", "-2147483649", "2147483648"},
      {"W", "0", "4294967295", "-1", "4294967296"},
      {"D", "-999999999.99", "999999999.99", "-1000000000", "1000000000"},
      {"D18", "-99999999999999.9999", "99999999999999.9999", "-100000000000000", "100000000000000"},
      {"D1", "-9", "9", "-10", "10"},
  };
  for (const Case& c : cases) {
    int f = def.fieldIndex(c.field);
    EXPECT_TRUE(r.setFromText(f, c.low)) << c.field;
    EXPECT_EQ(r.getAsText(f), c.low) << c.field;
    EXPECT_TRUE(r.setFromText(f, c.high)) << c.field;
    EXPECT_EQ(r.getAsText(f), c.high) << c.field;
    EXPECT_FALSE(r.setFromText(f, c.below)) << c.field;
    EXPECT_FALSE(r.setFromText(f, c.above)) << c.field;
    EXPECT_EQ(r.getAsText(f), c.high) << c.field << ": a refused value leaves the field as it was";
    for (const char* huge : {"99999999999999999999999", "-99999999999999999999999",
                             "3402823669209384634633746074317682115"})
      EXPECT_FALSE(r.setFromText(f, huge)) << c.field << " " << huge;
  }
  EXPECT_FALSE(r.setInt(def.fieldIndex("D"), INT64_MAX));
  EXPECT_FALSE(r.setDecimal(def.fieldIndex("B"), Decimal::fromUnits(INT64_MAX, 0)));
  EXPECT_TRUE(r.setText(def.fieldIndex("T"), "ABCDEF"));
  EXPECT_EQ(r.getText(def.fieldIndex("T")), "ABC");
}

}  // namespace
}  // namespace vorlam
