#include "framework/picture.h"

#include <gtest/gtest.h>

#include "storage/date.h"

namespace vorlam {
namespace {

std::string fmt(std::string_view picture, const PictureValue& v) {
  Result<std::string> r = formatPicture(picture, v);
  EXPECT_TRUE(r.isOk()) << picture << ": " << r.status().message();
  return r.isOk() ? r.value() : "<error>";
}

PictureValue parsed(std::string_view picture, std::string_view typed) {
  Result<Picture> p = Picture::compile(picture);
  EXPECT_TRUE(p.isOk()) << picture;
  Result<PictureValue> v = p->parse(typed);
  EXPECT_TRUE(v.isOk()) << picture << " <- \"" << typed << "\": " << v.status().message();
  return v.isOk() ? v.value() : PictureValue(std::string("<error>"));
}

bool refused(std::string_view picture, std::string_view typed, ValueType type) {
  Result<Picture> p = Picture::compile(picture);
  EXPECT_TRUE(p.isOk()) << picture;
  Result<PictureValue> v = p->parse(typed, type);
  if (!v.isOk()) {
    EXPECT_FALSE(v.status().message().empty());
  }
  return !v.isOk();
}
bool refused(std::string_view picture, std::string_view typed) {
  return refused(picture, typed, Picture::compile(picture)->naturalType());
}

Decimal dec(std::string_view s, int places) { return *Decimal::parse(s, places); }

TEST(PictureCompile, RejectsWhatIsNoPicture) {
  for (const char* bad : {"", "@", "@x5", "@s", "@s0", "@n6q", "@p##", "@pp", "@d5", "@d18", "@t6", "@k^^", "@n-15.x"})
    EXPECT_FALSE(Picture::compile(bad).isOk()) << bad;
  for (const char* good : {"@n6", "n03", "N-9.4", "@N6.", "@n0", "@n7.b", "p###p", "@P<###P", "D17", "T8", "@d06B",
                           "@K^^K", "@s40", "@p<###-####pb", "@n-15.2"})
    EXPECT_TRUE(Picture::compile(good).isOk()) << good;
}

TEST(PictureNumber, GroupsThousandsAndAlignsRight) {
  EXPECT_EQ(fmt("@n6", int64_t{1234}), " 1.234");
  EXPECT_EQ(fmt("@n6.", int64_t{1234}), " 1.234");
  EXPECT_EQ(fmt("@N6.", int64_t{65535}), "65.535");
  EXPECT_EQ(fmt("@n3", int64_t{7}), "  7");
  EXPECT_EQ(fmt("@n13", int64_t{1234567}), "    1.234.567");
  EXPECT_EQ(fmt("@n6", int64_t{0}), "     0");
}

TEST(PictureNumber, ZeroFillDoesNotGroup) {
  EXPECT_EQ(fmt("@n04", int64_t{12}), "0012");
  EXPECT_EQ(fmt("n03", int64_t{5}), "005");
  EXPECT_EQ(fmt("n04", int64_t{5102}), "5102");
  EXPECT_EQ(fmt("@n0", int64_t{1000}), "1000");  // as wide as needed, no grouping
  EXPECT_EQ(fmt("@n0", int64_t{0}), "0");
}

TEST(PictureNumber, DecimalsAndSign) {
  EXPECT_EQ(fmt("@n-15.2", dec("-1234.5", 1)), "      -1.234,50");
  EXPECT_EQ(fmt("@n-15.2", int64_t{1234}), "       1.234,00");
  EXPECT_EQ(fmt("@n-15.2", dec("0.005", 3)), "           0,01");  // half away from zero
  EXPECT_EQ(fmt("@n-8.4", dec("17.5", 2)), " 17,5000");
  EXPECT_EQ(fmt("n-6.2", dec("32", 0)), " 32,00");
  EXPECT_EQ(fmt("@n-15.2", dec("-0.25", 2)), "          -0,25");
  // No '-' in the picture: the minus is still shown rather than hiding it.
  EXPECT_EQ(fmt("@n6", int64_t{-5}), "    -5");
}

TEST(PictureNumber, BlankWhenZeroAndOverflow) {
  EXPECT_EQ(fmt("@n13b", int64_t{0}), std::string(13, ' '));
  EXPECT_EQ(fmt("@n13b", int64_t{42}), std::string(11, ' ') + "42");
  EXPECT_EQ(fmt("@n7.b", int64_t{0}), std::string(7, ' '));
  EXPECT_EQ(fmt("@n6b", int64_t{10}), "    10");
  EXPECT_EQ(fmt("@n3", int64_t{1000}), "###");  // "1.000" needs five positions
  EXPECT_EQ(fmt("@n-8.4", dec("1234", 0)), "########");
}

TEST(PictureNumber, ReadsTextsAsNumbers) {
  EXPECT_EQ(fmt("@n6", std::string("1234")), " 1.234");
  EXPECT_EQ(fmt("@n-15.2", std::string("-12.5")), "         -12,50");
  EXPECT_FALSE(formatPicture("@n6", std::string("abc")).isOk());
}

TEST(PictureNumber, ParsesBrazilianNotation) {
  EXPECT_EQ(std::get<Decimal>(parsed("@n-15.2", "-1.234,50")), dec("-1234.50", 2));
  EXPECT_EQ(std::get<Decimal>(parsed("@n-15.2", "1234,5")), dec("1234.5", 2));
  EXPECT_EQ(std::get<Decimal>(parsed("@n-15.2", "  12  ")), dec("12", 2));
  EXPECT_EQ(std::get<Decimal>(parsed("@n-15.2", "")).units(), 0);
  EXPECT_EQ(std::get<Decimal>(parsed("@n-15.2", "5-")), dec("-5", 2));
  EXPECT_EQ(std::get<int64_t>(parsed("@n6", "1.234")), 1234);
  EXPECT_EQ(std::get<int64_t>(parsed("@n6", "65535")), 65535);
  EXPECT_EQ(std::get<int64_t>(parsed("@n04", "12")), 12);
  EXPECT_EQ(std::get<Decimal>(parsed("@n-8.4", "1,5")).places(), 4);
}

TEST(PictureNumber, RefusesWhatThePictureCannotHold) {
  EXPECT_TRUE(refused("@n6", "-5"));          // no '-' in the picture
  EXPECT_TRUE(refused("@n6", "1234567"));     // "1.234.567" is wider than 6
  EXPECT_TRUE(refused("@n6", "12,5"));        // no decimals
  EXPECT_TRUE(refused("@n-15.2", "1,234"));   // three decimals
  EXPECT_TRUE(refused("@n-15.2", "1234.5"));  // "." groups thousands
  EXPECT_TRUE(refused("@n-15.2", "1.23,00"));
  EXPECT_TRUE(refused("@n6", "12a"));
  EXPECT_TRUE(refused("@n6", ","));
  EXPECT_TRUE(refused("@n-15.2", "-"));       // a sign without digits
  EXPECT_TRUE(refused("@n-15.2", " + "));
  EXPECT_TRUE(refused("@n04", "12345"));
  EXPECT_TRUE(refused("@n-15.2", "1,5", ValueType::kInteger));
  // Past the 18 digits of exact decimals, and past 32 bits for day numbers:
  // refused, never wrapped into a small value.
  EXPECT_TRUE(refused("@n-20.2", "3402823669209384634633746074317682115"));
  EXPECT_TRUE(refused("@n-20.2", "-3402823669209384634633746074317682115"));
  EXPECT_TRUE(refused("@n20", "99999999999999999999"));
  EXPECT_TRUE(refused("@n20", "4294967296", ValueType::kDate));
  EXPECT_TRUE(refused("@p##############p", "99999999999999", ValueType::kTime));
  EXPECT_FALSE(refused("@n-20.2", "-99999999999,99"));
}

TEST(PicturePattern, FillsDigitPositionsFromTheRight) {
  EXPECT_EQ(fmt("@p##.###.###/####-##p", std::string("11222333000181")), "11.222.333/0001-81");
  EXPECT_EQ(fmt("@p##.###.###/####-##p", int64_t{11222333000181}), "11.222.333/0001-81");
  EXPECT_EQ(fmt("@p###.###.###-##p", std::string("12345678909")), "123.456.789-09");
  EXPECT_EQ(fmt("@p####-#/##p", int64_t{4711500}), "4711-5/00");
  EXPECT_EQ(fmt("p###p", int64_t{5}), "005");
  EXPECT_EQ(fmt("p########p", int64_t{7}), "00000007");
  EXPECT_EQ(fmt("p####p", int64_t{2003}), "2003");
  EXPECT_EQ(fmt("p##p", int64_t{3}), "03");
  EXPECT_EQ(fmt("p#p", int64_t{4}), "4");
  EXPECT_EQ(fmt("@p###.#p", int64_t{5102}), "510.2");
  EXPECT_EQ(fmt("@p##.###-###p", int64_t{1310100}), "01.310-100");
  EXPECT_EQ(fmt("@p##.###.#####-##p", std::string("123456789012")), "12.345.67890-12");
}

TEST(PicturePattern, LeadingZeroPositionsShowBlank) {
  EXPECT_EQ(fmt("@p<<<<<p", int64_t{12}), "   12");
  EXPECT_EQ(fmt("@p<<<<<p", int64_t{0}), "     ");
  EXPECT_EQ(fmt("@P<###P", int64_t{11}), " 011");
  EXPECT_EQ(fmt("@p<###-####p", int64_t{32145678}), "3214-5678");
  EXPECT_EQ(fmt("@p<###-####p", int64_t{2145678}), " 214-5678");
  EXPECT_EQ(fmt("@p<##.###-###p", int64_t{1310100}), " 01.310-100");
  EXPECT_EQ(fmt("@p<##.###-###p", int64_t{123456789}), "123.456-789");
}

TEST(PicturePattern, BlankWhenZeroAndOverflow) {
  EXPECT_EQ(fmt("@p##.###.###/####-##pb", std::string("")), std::string(18, ' '));
  EXPECT_EQ(fmt("@p##.###.###/####-##pb", std::string("00000000000000")), std::string(18, ' '));
  EXPECT_EQ(fmt("@p##.###.###/####-##p", std::string("")), "00.000.000/0000-00");
  EXPECT_EQ(fmt("@p<###pb", int64_t{0}), "    ");
  EXPECT_EQ(fmt("@p####-#/##pb", int64_t{4711500}), "4711-5/00");
  EXPECT_EQ(fmt("p###p", int64_t{1000}), "###");
  EXPECT_EQ(fmt("p###p", int64_t{-1}), "###");
  EXPECT_FALSE(formatPicture("p###p", std::string("12a")).isOk());
}

TEST(PicturePattern, ParsesWithOrWithoutThePicturesCharacters) {
  EXPECT_EQ(std::get<int64_t>(parsed("@p####-#/##p", "4711-5/00")), 4711500);
  EXPECT_EQ(std::get<int64_t>(parsed("@p####-#/##p", "4711500")), 4711500);
  EXPECT_EQ(std::get<int64_t>(parsed("p###p", "5")), 5);
  EXPECT_EQ(std::get<int64_t>(parsed("@p<###-####p", " 214-5678")), 2145678);
  EXPECT_EQ(std::get<int64_t>(parsed("@p<<<<<p", "   12")), 12);
  EXPECT_EQ(std::get<int64_t>(parsed("@p<<<<<p", "")), 0);
  Result<Picture> cnpj = Picture::compile("@p##.###.###/####-##p");
  EXPECT_EQ(std::get<std::string>(*cnpj->parse("01.222.333/0001-81", ValueType::kText)), "01222333000181");
  EXPECT_EQ(std::get<std::string>(*cnpj->parse("1222333000181", ValueType::kText)), "01222333000181");
  EXPECT_EQ(std::get<std::string>(*cnpj->parse("", ValueType::kText)), "");
}

TEST(PicturePattern, RefusesLettersAndTooManyDigits) {
  EXPECT_TRUE(refused("p###p", "1000"));
  EXPECT_TRUE(refused("p###p", "12a"));
  EXPECT_TRUE(refused("@p####-#/##p", "4711-5/0x"));
  EXPECT_TRUE(refused("@p##.###.###/####-##p", "112223330001811", ValueType::kText));
  EXPECT_TRUE(refused("@p###.###.###-##p", "123,456"));
}

TEST(PictureText, CutsAndRefusesLongTexts) {
  EXPECT_EQ(fmt("@s40", std::string("Vorlam Ltda   ")), "Vorlam Ltda");
  EXPECT_EQ(fmt("@s2", std::string("São")), "Sã");
  EXPECT_EQ(fmt("@s20", int64_t{12}), "12");
  EXPECT_EQ(std::get<std::string>(parsed("@s2", "SP")), "SP");
  EXPECT_EQ(std::get<std::string>(parsed("@s25", "Ação  ")), "Ação");
  EXPECT_TRUE(refused("@s2", "SPX"));
  EXPECT_FALSE(refused("@s10", "\xE2\x82\xAC ok"));  // the euro sign exists in Windows-1252
  EXPECT_TRUE(refused("@s10", "\xE2\x9C\x93 ok"));   // a check mark does not
}

TEST(PictureKeyIn, UpperCasesLetters) {
  EXPECT_EQ(fmt("@k^^k", std::string("sp")), "SP");
  EXPECT_EQ(fmt("@K^^K", std::string("RJ")), "RJ");
  EXPECT_EQ(std::get<std::string>(parsed("@k^^k", "sp")), "SP");
  EXPECT_EQ(std::get<std::string>(parsed("@K^^K", "mG")), "MG");
  EXPECT_EQ(std::get<std::string>(parsed("@K^^K", "")), "");
  EXPECT_TRUE(refused("@k^^k", "S1"));
  EXPECT_TRUE(refused("@k^^k", "SPX"));
}

TEST(PictureDate, FormatsAndParses) {
  int32_t day = *toDayNumber(2003, 1, 7);
  EXPECT_EQ(fmt("@d06b", DayNumber{day}), "07/01/2003");
  EXPECT_EQ(fmt("@d6", DayNumber{day}), "07/01/2003");
  EXPECT_EQ(fmt("D17", int64_t{day}), "07/01/2003");
  EXPECT_EQ(fmt("@d06b", DayNumber{0}), std::string(10, ' '));
  EXPECT_EQ(fmt("@d06B", DayNumber{0}), std::string(10, ' '));
  EXPECT_EQ(fmt("@d06", DayNumber{0}), "00/00/0000");
  EXPECT_EQ(std::get<DayNumber>(parsed("@d06b", "07/01/2003")).value, day);
  EXPECT_EQ(std::get<DayNumber>(parsed("@d06b", "07012003")).value, day);
  EXPECT_EQ(std::get<DayNumber>(parsed("@d06b", "")).value, 0);
  EXPECT_TRUE(refused("@d06b", "31/02/2003"));
  EXPECT_TRUE(refused("@d06b", "amanhã"));
}

TEST(PictureTime, FormatsAndParses) {
  int32_t t = ((13 * 60 + 5) * 60 + 9) * 100 + 1;
  EXPECT_EQ(fmt("T8", TimeOfDay{t}), "13:05:09");
  EXPECT_EQ(fmt("T8", TimeOfDay{1}), "00:00:00");
  EXPECT_EQ(fmt("T8", TimeOfDay{0}), std::string(8, ' '));
  EXPECT_EQ(std::get<TimeOfDay>(parsed("T8", "13:05:09")).value, t);
  EXPECT_EQ(std::get<TimeOfDay>(parsed("T8", "130509")).value, t);
  EXPECT_EQ(std::get<TimeOfDay>(parsed("T8", "13:05")).value, t - 900);
  EXPECT_TRUE(refused("T8", "24:00:00"));
  EXPECT_TRUE(refused("T8", "12:60"));
  EXPECT_TRUE(refused("T8", "1:2:3:4"));
}

TEST(PictureRoundTrip, FormatThenParseGivesTheValueBack) {
  struct Case {
    const char* picture;
    PictureValue value;
  } cases[] = {
      {"@n6", int64_t{4321}},          {"@n-15.2", dec("-98765.43", 2)}, {"@n04", int64_t{7}},
      {"@p####-#/##p", int64_t{123}}, {"@p<###-####p", int64_t{5550123}}, {"p########p", int64_t{7}},
      {"@d06b", DayNumber{76543}},    {"T8", TimeOfDay{4500001}},          {"@n13b", int64_t{0}},
  };
  for (const Case& c : cases) {
    Result<Picture> p = Picture::compile(c.picture);
    Result<std::string> shown = p->format(c.value);
    ASSERT_TRUE(shown.isOk()) << c.picture;
    Result<PictureValue> back = p->parse(*shown);
    ASSERT_TRUE(back.isOk()) << c.picture << " \"" << *shown << "\": " << back.status().message();
    EXPECT_TRUE(*back == c.value) << c.picture << " \"" << *shown << "\"";
  }
}

}  // namespace
}  // namespace vorlam
