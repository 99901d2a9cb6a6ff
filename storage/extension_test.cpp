// The loadable extension vorlam_sqlite, loaded by a plain SQLite connection
// (and by the sqlite3 shell when it is installed), on a file the engine
// wrote: query, check and change it, and the engine sees the changes.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam {
namespace {

using testing::TempDir;

TableDef peopleDef() {
  return TableBuilder("Pessoa", "PES", "Pessoa.dat")
      .field("PES:Codigo", kUSHORT)
      .field("PES:Nome", STRING(30))
      .field("PES:Tipo", kBYTE)
      .key("PES:KEY:CODIGO", {"PES:Codigo"}, kUnique | kPrimary)
      .key("PES:KEY:NOME", {"PES:Nome"}, kDuplicates)
      .build();
}

void fill(const TableDef& def, const std::string& path) {
  Table t(&def);
  ASSERT_TRUE(t.open(path));
  const char* names[] = {"Ana", "Eder", "joana", "JOANA", "Bruno"};
  for (int i = 0; i < 5; ++i) {
    t.buffer().clear();
    t.buffer().setInt("Codigo", i + 1);
    t.buffer().setText("Nome", names[i]);
    t.buffer().setInt("Tipo", i);
    ASSERT_TRUE(t.insert());
  }
}

struct Plain {
  sqlite3* db = nullptr;
  explicit Plain(const std::string& path) { sqlite3_open(path.c_str(), &db); }
  ~Plain() { sqlite3_close(db); }
  int exec(const std::string& sql, std::string* error = nullptr) {
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    if (error) *error = err ? err : "";
    sqlite3_free(err);
    return rc;
  }
  std::string one(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    std::string out = "<erro>";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
      const unsigned char* t = sqlite3_column_text(st, 0);
      out = t ? reinterpret_cast<const char*>(t) : "";
    }
    sqlite3_finalize(st);
    return out;
  }
  bool load() {
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 1, nullptr);
    char* err = nullptr;
    int rc = sqlite3_load_extension(db, VORLAM_SQLITE_MODULE, nullptr, &err);
    if (err) ADD_FAILURE() << err;
    sqlite3_free(err);
    return rc == SQLITE_OK;
  }
};

TEST(ExtensionTest, PlainSqliteQueriesChecksAndChangesAFileWithTheExtension) {
  TempDir dir;
  TableDef def = peopleDef();
  const std::string path = dir.file("Pessoa.dat");
  fill(def, path);
  Table form(&def);
  ASSERT_TRUE(form.open(path));
  form.buffer().setInt("Codigo", 2);
  ASSERT_TRUE(form.get(0));

  {
    Plain without(path);
    EXPECT_NE(without.exec("SELECT count(*) FROM records WHERE \"NOME\" = 'ANA'"), SQLITE_OK);
  }
  Plain db(path);
  ASSERT_TRUE(db.load());
  EXPECT_EQ(db.one("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(db.one("SELECT count(*) FROM records"), "5");
  EXPECT_EQ(db.one("SELECT \"CODIGO\" FROM records WHERE \"NOME\" = 'ANA'"), "1");  // the file's own collation
  EXPECT_EQ(db.one("SELECT count(*) FROM records WHERE \"NOME\" = 'bruno  '"), "1");
  EXPECT_EQ(db.one("SELECT group_concat(\"CODIGO\") FROM (SELECT \"CODIGO\" FROM records ORDER BY \"NOME\")"),
            "1,5,2,3,4");
  ASSERT_EQ(db.exec("UPDATE records SET \"NOME\" = 'Eder Silva' WHERE \"CODIGO\" = 2"), SQLITE_OK);
  ASSERT_EQ(db.exec("INSERT INTO records(\"CODIGO\", \"NOME\", \"TIPO\") VALUES (6, 'Carla', 9)"), SQLITE_OK);
  ASSERT_EQ(db.exec("DELETE FROM records WHERE \"CODIGO\" = 5"), SQLITE_OK);
  std::string error;
  EXPECT_NE(db.exec("UPDATE records SET \"TIPO\" = 300 WHERE \"CODIGO\" = 1", &error), SQLITE_OK);
  EXPECT_NE(error.find("TIPO"), std::string::npos) << error;
  EXPECT_NE(db.exec("UPDATE records SET \"NOME\" = '" + std::string(31, 'x') + "' WHERE \"CODIGO\" = 1"), SQLITE_OK);
  EXPECT_EQ(db.one("PRAGMA integrity_check"), "ok");

  // The form that read record 2 before the change is told, not obeyed.
  form.buffer().setText("Nome", "Outro");
  EXPECT_EQ(form.update().code(), StatusCode::kChangedByOther);
  int64_t n = 0;
  EXPECT_TRUE(form.verifyFile(&n));
  EXPECT_EQ(n, 5);
  form.buffer().setInt("Codigo", 6);
  ASSERT_TRUE(form.get(0));
  EXPECT_EQ(form.buffer().getText("Nome"), "Carla");
}

TEST(ExtensionTest, Sqlite3ShellLoadsTheExtension) {
  if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "sqlite3 shell not installed";
  TempDir dir;
  TableDef def = peopleDef();
  const std::string path = dir.file("Pessoa.dat");
  fill(def, path);
  std::string module = VORLAM_SQLITE_MODULE;
  module = module.substr(0, module.rfind('.'));  // the shell adds the suffix itself
  const std::string out = dir.file("out");
  std::string cmd = "sqlite3 '" + path + "' -cmd '.load " + module +
                    "' \"PRAGMA integrity_check; UPDATE records SET \\\"TIPO\\\" = 7 WHERE \\\"NOME\\\" = 'bruno'; "
                    "SELECT \\\"TIPO\\\" || '/' || _stamp FROM records WHERE \\\"CODIGO\\\" = 5;\" >'" +
                    out + "' 2>&1";
  int rc = std::system(cmd.c_str());
  std::ifstream in(out);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(WEXITSTATUS(rc), 0) << text;
  EXPECT_EQ(text, "ok\n7/2\n");
  Table t(&def);
  ASSERT_TRUE(t.open(path, OpenMode::kReadOnly));
  EXPECT_TRUE(t.verifyFile());
}

}  // namespace
}  // namespace vorlam
