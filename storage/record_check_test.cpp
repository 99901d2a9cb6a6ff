// Record checks and stored-layout validation: damaged, crafted and older
// files, and writes made by other SQLite clients.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "storage/row_check.h"
#include "storage/schema.h"
#include "storage/sql_functions.h"
#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam {
namespace {

using testing::TempDir;

TableDef accountDef() {
  return TableBuilder("Conta", "CTA", "Conta.dat")
      .field("CTA:Codigo", kULONG)
      .field("CTA:Grau", kBYTE)
      .field("CTA:Nome", STRING(40))
      .field("CTA:Saldo", DECIMAL(11, 2))
      .key("CTA:KEY:CODIGO", {"CTA:Codigo"}, kUnique | kPrimary)
      .key("CTA:KEY:NOME", {"CTA:Nome"}, kDuplicates)
      .build();
}

void fill(const TableDef& def, const std::string& path, int n) {
  Table t(&def);
  ASSERT_TRUE(t.open(path));
  for (int i = 1; i <= n; ++i) {
    t.buffer().clear();
    t.buffer().setInt("Codigo", i);
    t.buffer().setInt("Grau", i % 5);
    t.buffer().setText("Nome", "CONTA MARCADA " + std::to_string(100000 + i));
    t.buffer().setDecimal("Saldo", Decimal::fromUnits(18875402 + i, 2));
    ASSERT_TRUE(t.insert());
  }
}

// Runs SQL on the file as another SQLite client with the project's SQL
// functions loaded (as the sqlite3 shell with the extension is).
int externalSql(const std::string& path, const std::string& sql, std::string* error = nullptr) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlfn::registerAll(db);
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  if (error) *error = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(db);
  return rc;
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void spill(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

TEST(RecordCheckTest, ChangedStoredBytesAreDamageNamingTheFileNeverValues) {
  TempDir dir;
  TableDef def = accountDef();
  const std::string path = dir.file("Conta.dat");
  fill(def, path, 20);
  {
    Table t(&def);  // a clean close leaves everything in the main file
    ASSERT_TRUE(t.open(path));
  }
  std::string bytes = slurp(path);
  size_t at = bytes.find("CONTA MARCADA 100007");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 19] = '8';  // the name now reads like another record's
  spill(path, bytes);

  Table t(&def);
  ASSERT_TRUE(t.open(path, OpenMode::kReadOnly));
  t.buffer().setInt("Codigo", 7);
  Status s = t.get(0);
  EXPECT_EQ(s.code(), StatusCode::kCorrupt);
  EXPECT_EQ(s.errorNumber(), 47);
  EXPECT_NE(s.detail().find(path), std::string::npos) << s.detail();
  EXPECT_EQ(t.buffer().getInt("Codigo"), 0) << "a damaged record leaves nothing in the buffer";

  // A walk reports the damage and can go on past it.
  ASSERT_TRUE(t.seekStart(0));
  int good = 0, bad = 0;
  for (Status r; !(r = t.next()).is(StatusCode::kNotFound);) r ? ++good : ++bad;
  EXPECT_EQ(good, 19);
  EXPECT_EQ(bad, 1);
  int64_t read = 0;
  EXPECT_EQ(t.verifyFile(&read).code(), StatusCode::kCorrupt);
}

TEST(RecordCheckTest, CopiesAndConversionsNeverMakeADamagedRecordLookSound) {
  TempDir dir;
  TableDef def = accountDef();
  const std::string path = dir.file("Conta.dat");
  fill(def, path, 10);
  {
    Table t(&def);
    ASSERT_TRUE(t.open(path));
  }
  std::string bytes = slurp(path);
  size_t at = bytes.find("CONTA MARCADA 100004");
  ASSERT_NE(at, std::string::npos);
  bytes[at] = 'K';
  spill(path, bytes);

  Table t(&def);
  ASSERT_TRUE(t.open(path, OpenMode::kExclusive));
  EXPECT_EQ(t.copyTo(dir.file("Copia.dat")).code(), StatusCode::kCorrupt);
  EXPECT_FALSE(fileExists(dir.file("Copia.dat")));
  EXPECT_EQ(t.rebuildFile().code(), StatusCode::kCorrupt);
  t.close();
  EXPECT_EQ(slurp(path), bytes) << "the damaged file stays as it was";

  // A newer layout converts the file on open: not with a damaged record.
  TableDef newer = TableBuilder("Conta", "CTA", "Conta.dat")
                       .version(2)
                       .field("CTA:Codigo", kULONG)
                       .field("CTA:Grau", kBYTE)
                       .field("CTA:Nome", STRING(40))
                       .field("CTA:Saldo", DECIMAL(11, 2))
                       .field("CTA:Novo", kSHORT)
                       .key("CTA:KEY:CODIGO", {"CTA:Codigo"}, kUnique | kPrimary)
                       .build();
  Table upgraded(&newer);
  EXPECT_EQ(upgraded.open(path).code(), StatusCode::kCorrupt);
  EXPECT_FALSE(fileExists(path + ".new"));
  EXPECT_EQ(slurp(path), bytes);
}

TEST(RecordCheckTest, ConversionKeepsSoundRecordsSound) {
  TempDir dir;
  TableDef def = accountDef();
  const std::string path = dir.file("Conta.dat");
  fill(def, path, 10);
  TableDef newer = TableBuilder("Conta", "CTA", "Conta.dat")
                       .version(2)
                       .field("CTA:Codigo", kULONG)
                       .field("CTA:Nome", STRING(20))
                       .field("CTA:Saldo", DECIMAL(13, 3))
                       .key("CTA:KEY:CODIGO", {"CTA:Codigo"}, kUnique | kPrimary)
                       .build();
  Table t(&newer);
  ASSERT_TRUE(t.open(path));
  int64_t n = 0;
  EXPECT_TRUE(t.verifyFile(&n));
  EXPECT_EQ(n, 10);
  t.buffer().setInt("Codigo", 3);
  ASSERT_TRUE(t.get(0));
  EXPECT_EQ(t.buffer().getDecimal("Saldo"), Decimal::fromUnits(188754050, 3));
}

TEST(RecordCheckTest, VerifyFileCountsASoundFile) {
  TempDir dir;
  TableDef def = accountDef();
  fill(def, dir.file("Conta.dat"), 50);
  Table t(&def);
  ASSERT_TRUE(t.open(dir.file("Conta.dat"), OpenMode::kReadOnly));
  EXPECT_TRUE(t.hasRecordChecks());
  int64_t n = 0;
  int calls = 0;
  EXPECT_TRUE(t.verifyFile(&n, [&](int, int64_t, int64_t) { ++calls; }));
  EXPECT_EQ(n, 50);
  EXPECT_GE(calls, 1);
}

TEST(RecordCheckTest, OtherClientsWritesKeepChecksAndBumpTheChangeStamp) {
  TempDir dir;
  TableDef def = accountDef();
  const std::string path = dir.file("Conta.dat");
  fill(def, path, 3);
  Table form(&def);
  ASSERT_TRUE(form.open(path));
  form.buffer().setInt("Codigo", 2);
  ASSERT_TRUE(form.get(0));

  // Another program changes the record: the form's later write must see it.
  ASSERT_EQ(externalSql(path, "UPDATE records SET \"NOME\" = 'MUDADA FORA' WHERE \"CODIGO\" = 2"), SQLITE_OK);
  form.buffer().setText("Nome", "MUDADA NO FORMULARIO");
  EXPECT_EQ(form.update().code(), StatusCode::kChangedByOther);
  ASSERT_TRUE(form.get(0));
  EXPECT_EQ(form.buffer().getText("Nome"), "MUDADA FORA");
  EXPECT_EQ(form.buffer().stamp(), 2);

  // A record added by another program reads back as sound.
  ASSERT_EQ(externalSql(path, "INSERT INTO records(\"CODIGO\", \"GRAU\", \"NOME\", \"SALDO\") VALUES (9, 1, 'NOVA', 12345)"),
            SQLITE_OK);
  form.buffer().setInt("Codigo", 9);
  ASSERT_TRUE(form.get(0));
  EXPECT_EQ(form.buffer().getDecimal("Saldo"), Decimal::fromUnits(12345, 2));

  // Values outside their field's type are refused, not stored.
  std::string error;
  EXPECT_NE(externalSql(path, "UPDATE records SET \"GRAU\" = 256 WHERE \"CODIGO\" = 1", &error), SQLITE_OK);
  EXPECT_NE(error.find("GRAU"), std::string::npos) << error;
  EXPECT_NE(externalSql(path, "UPDATE records SET \"SALDO\" = 100000000000 WHERE \"CODIGO\" = 1"), SQLITE_OK);
  EXPECT_NE(externalSql(path, "UPDATE records SET \"CODIGO\" = 'X' WHERE \"CODIGO\" = 1"), SQLITE_OK);
  EXPECT_NE(externalSql(path, "INSERT INTO records(\"CODIGO\", \"GRAU\") VALUES (10, -1)"), SQLITE_OK);
  EXPECT_TRUE(form.verifyFile());

  // Without the project's functions a client cannot write at all.
  sqlite3* plain = nullptr;
  sqlite3_open(path.c_str(), &plain);
  EXPECT_NE(sqlite3_exec(plain, "UPDATE records SET \"GRAU\" = 1", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(plain);
}

TEST(RecordCheckTest, ValuesOutsideTheirFieldReadAsDamage) {
  TempDir dir;
  TableDef def = accountDef();
  const std::string path = dir.file("Conta.dat");
  fill(def, path, 2);
  // Written past the triggers (as a damaged or foreign file would hold it).
  ASSERT_EQ(externalSql(path, "DROP TRIGGER _check_update; UPDATE records SET \"GRAU\" = 300 WHERE \"CODIGO\" = 1;"
                              "UPDATE records SET \"NOME\" = 7 WHERE \"CODIGO\" = 2"),
            SQLITE_OK);
  Table t(&def);
  ASSERT_TRUE(t.open(path, OpenMode::kReadOnly));
  t.buffer().setInt("Codigo", 1);
  EXPECT_EQ(t.get(0).code(), StatusCode::kCorrupt);
}

TEST(RecordCheckTest, FilesWithoutChecksOpenAndGetThemWhenOpenedForWriting) {
  TempDir dir;
  TableDef def = accountDef();
  const std::string path = dir.file("Conta.dat");
  fill(def, path, 30);
  ASSERT_EQ(externalSql(path,
                        "DROP TRIGGER _check_insert; DROP TRIGGER _check_update; ALTER TABLE records DROP COLUMN "
                        "_check; DELETE FROM _layout WHERE name = 'checks'"),
            SQLITE_OK);
  {
    Table ro(&def);
    ASSERT_TRUE(ro.open(path, OpenMode::kReadOnly));
    EXPECT_FALSE(ro.hasRecordChecks());
    int64_t n = 0;
    EXPECT_TRUE(ro.verifyFile(&n));
    EXPECT_EQ(n, 30);
  }
  Table t(&def);
  ASSERT_TRUE(t.open(path));
  EXPECT_TRUE(t.hasRecordChecks());
  int64_t n = 0;
  EXPECT_TRUE(t.verifyFile(&n));
  EXPECT_EQ(n, 30);
  t.buffer().setInt("Codigo", 4);
  ASSERT_TRUE(t.get(0));
  t.buffer().setText("Nome", "ALTERADA");
  EXPECT_TRUE(t.update());
  EXPECT_TRUE(t.verifyFile());
}

TEST(RecordCheckTest, CraftedLayoutsAreClearErrorsNeverCrashes) {
  TableDef def = accountDef();
  const std::string good = schema::layoutSignature(def);
  int cols = 0;
  EXPECT_TRUE(schema::validateSignature(good, &cols));
  EXPECT_EQ(cols, 4);
  for (const char* bad : {"CODIGO ULONG 0 0 2000000000\n", "CODIGO FLOAT 0 0 1\n", "CODIGO STRING 0 0 1\n",
                          "CODIGO STRING 99999999 0 1\n", "CODIGO DECIMAL 40 2 1\n", "CODIGO DECIMAL 5 6 1\n",
                          "CODIGO BYTE 0 0 1", "CODIGO BYTE 0 0 1 1\n", "CODIGO BYTE 0 0 1\nCODIGO BYTE 0 0 1\n",
                          "\n", "", "CODIGO BYTE -1 0 1\n", "CO\"DIGO BYTE 0 0 1\n", "CODIGO BYTE 0 0 0\n"})
    EXPECT_FALSE(schema::validateSignature(bad, nullptr)) << bad;

  TempDir dir;
  const std::string path = dir.file("Conta.dat");
  struct Craft {
    const char* sql;
  } crafts[] = {
      {"INSERT INTO _layout(name, value) VALUES (NULL, 'x')"},
      {"UPDATE _layout SET value = NULL WHERE name = 'fields'"},
      {"UPDATE _layout SET value = 'CODIGO ULONG 0 0 2000000000\n' WHERE name = 'fields'"},
      {"UPDATE _layout SET value = 'abc' WHERE name = 'version'"},
      {"DELETE FROM _layout WHERE name = 'label'"},
      {"DROP TRIGGER _check_insert; DROP TRIGGER _check_update; ALTER TABLE records DROP COLUMN \"GRAU\""},
  };
  for (const Craft& c : crafts) {
    std::remove(path.c_str());
    fill(def, path, 3);
    ASSERT_EQ(externalSql(path, c.sql), SQLITE_OK) << c.sql;
    for (OpenMode mode : {OpenMode::kReadOnly, OpenMode::kShared}) {
      Table t(&def);
      Status s = t.open(path, mode);
      EXPECT_EQ(s.code(), StatusCode::kCorrupt) << c.sql << ": " << s.toString();
      EXPECT_FALSE(fileExists(path + ".new")) << c.sql;
    }
  }
}

TEST(RecordCheckTest, LeftoverCopyOfAnInterruptedRebuildIsRemovedOnOpen) {
  TempDir dir;
  TableDef def = accountDef();
  const std::string path = dir.file("Conta.dat");
  fill(def, path, 5);
  spill(path + ".new", "partial copy");
  spill(path + ".new-wal", "x");
  Table t(&def);
  ASSERT_TRUE(t.open(path));
  EXPECT_FALSE(fileExists(path + ".new"));
  EXPECT_FALSE(fileExists(path + ".new-wal"));
  int64_t n = 0;
  EXPECT_TRUE(t.verifyFile(&n));
  EXPECT_EQ(n, 5);
}

TEST(RecordCheckTest, CheckValueSeesEverySingleChange) {
  auto of = [](int64_t stamp, const std::string& text, int64_t v) {
    RowCheck c;
    c.addInt(stamp);
    c.addText(text.data(), text.size());
    c.addInt(v);
    return c.value();
  };
  const int64_t base = of(1, "ABCDEFGHIJ", 5);
  EXPECT_NE(base, of(2, "ABCDEFGHIJ", 5));
  EXPECT_NE(base, of(1, "ABCDEFGHIK", 5));
  EXPECT_NE(base, of(1, "ABCDEFGHIJ", 6));
  EXPECT_NE(base, of(1, std::string("ABCDEFGHIJ\0", 11), 5));
  EXPECT_EQ(base, of(1, "ABCDEFGHIJ", 5));
  CheckType t;
  EXPECT_TRUE(parseCheckType("D11", 3, &t));
  EXPECT_TRUE(t.admits(99999999999));
  EXPECT_FALSE(t.admits(100000000000));
  EXPECT_FALSE(parseCheckType("D19", 3, &t));
  EXPECT_FALSE(parseCheckType("X", 1, &t));
}

}  // namespace
}  // namespace vorlam
