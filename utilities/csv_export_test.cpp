#include "utilities/csv_export.h"

#include <gtest/gtest.h>

#include <sstream>

#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::utilities {
namespace {

TableDef pricedDef(unsigned primaryFlags) {
  return TableBuilder("Precos", "PRC", "Precos.dat")
      .field("PRC:Codigo", kULONG)
      .field("PRC:Nome", STRING(20))
      .field("PRC:Valor", DECIMAL(9, 2))
      .field("PRC:Mes", DECIMAL(5, 1), 3)
      .field("PRC:Data", kLONG)
      .key("PRC:KEY:CODIGO", {"PRC:Codigo"}, primaryFlags)
      .build();
}

// Appends one record; `months` are tenths.
void add(Table& t, int64_t codigo, const char* nome, int64_t cents, std::initializer_list<int64_t> months,
         int32_t data) {
  Record& r = t.buffer();
  r.clear();
  ASSERT_TRUE(r.setInt("Codigo", codigo));
  ASSERT_TRUE(r.setText("Nome", utf8ToLatin1(nome)));
  ASSERT_TRUE(r.setDecimal("Valor", Decimal::fromUnits(cents, 2)));
  int e = 0;
  for (int64_t m : months) ASSERT_TRUE(r.setDecimal("Mes", Decimal::fromUnits(m, 1), e++));
  ASSERT_TRUE(r.setInt("Data", data));
  ASSERT_TRUE(t.append());
}

std::string exported(Table& t) {
  std::ostringstream out;
  Status s = exportCsv(t, out);
  EXPECT_TRUE(s.isOk()) << s.toString();
  return out.str();
}

TEST(CsvFieldTest, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(csvField("simples"), "simples");
  EXPECT_EQ(csvField(""), "");
  EXPECT_EQ(csvField(" com brancos "), " com brancos ");
  EXPECT_EQ(csvField("a,b"), "\"a,b\"");
  EXPECT_EQ(csvField("diz \"oi\""), "\"diz \"\"oi\"\"\"");
  EXPECT_EQ(csvField("duas\r\nlinhas"), "\"duas\r\nlinhas\"");
  EXPECT_EQ(csvField("fim\n"), "\"fim\n\"");
}

TEST(CsvExportTest, HeaderNamesArrayElementsFromOne) {
  TableDef def = pricedDef(kUnique | kPrimary);
  EXPECT_EQ(csvHeader(def), "PRC:Codigo,PRC:Nome,PRC:Valor,PRC:Mes[1],PRC:Mes[2],PRC:Mes[3],PRC:Data");
}

TEST(CsvExportTest, RecordsInPrimaryKeyOrderWithValuesAsStored) {
  testing::TempDir dir;
  TableDef def = pricedDef(kUnique | kPrimary);
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Precos.dat")));
  add(t, 30, "São Paulo   ", -150, {1, -2, 0}, 80000);
  add(t, 10, "a,b", 123456, {15, 0, 0}, 0);
  add(t, 20, "diz \"oi\"", 5, {0, 0, 999}, -3);
  EXPECT_EQ(exported(t),
            "PRC:Codigo,PRC:Nome,PRC:Valor,PRC:Mes[1],PRC:Mes[2],PRC:Mes[3],PRC:Data\r\n"
            "10,\"a,b\",1234.56,1.5,0.0,0.0,0\r\n"
            "20,\"diz \"\"oi\"\"\",0.05,0.0,0.0,99.9,-3\r\n"
            "30,São Paulo,-1.50,0.1,-0.2,0.0,80000\r\n");
}

TEST(CsvExportTest, FileOrderWithoutPrimaryKey) {
  testing::TempDir dir;
  TableDef def = pricedDef(kDuplicates);
  ASSERT_EQ(def.primaryKey(), -1);
  EXPECT_EQ(exportOrder(def), kFileOrder);
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Precos.dat")));
  add(t, 3, "três", 0, {}, 0);
  add(t, 1, "um", 0, {}, 0);
  add(t, 2, "dois", 0, {}, 0);
  std::string csv = exported(t);
  size_t first = csv.find("\r\n") + 2;
  EXPECT_EQ(csv.substr(first),
            "3,três,0.00,0.0,0.0,0.0,0\r\n1,um,0.00,0.0,0.0,0.0,0\r\n2,dois,0.00,0.0,0.0,0.0,0\r\n");
}

TEST(CsvExportTest, PrimaryKeyThatSkipsBlankValuesFallsBackToFileOrder) {
  testing::TempDir dir;
  TableDef def = pricedDef(kPrimary | kExcludeEmpty);
  EXPECT_EQ(exportOrder(def), kFileOrder);
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Precos.dat")));
  add(t, 5, "cinco", 0, {}, 0);
  add(t, 0, "sem código", 0, {}, 0);
  std::string csv = exported(t);
  EXPECT_NE(csv.find("\r\n0,sem código,"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n5,cinco,"), std::string::npos) << csv;
}

TEST(CsvExportTest, EmptyTableGivesTheHeaderOnly) {
  testing::TempDir dir;
  TableDef def = pricedDef(kUnique | kPrimary);
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Precos.dat")));
  EXPECT_EQ(exported(t), csvHeader(def) + "\r\n");
}

TEST(CsvExportTest, ReportsAClosedTableAndAFailingStream) {
  testing::TempDir dir;
  TableDef def = pricedDef(kUnique | kPrimary);
  Table t(&def);
  std::ostringstream out;
  EXPECT_EQ(exportCsv(t, out).code(), StatusCode::kNotOpen);
  ASSERT_TRUE(t.open(dir.file("Precos.dat")));
  add(t, 1, "um", 0, {}, 0);
  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  EXPECT_EQ(exportCsv(t, broken).code(), StatusCode::kIoError);
}

}  // namespace
}  // namespace vorlam::utilities
