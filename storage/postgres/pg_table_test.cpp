// What only the PostgreSQL backend has: data root addresses, connection
// failures named in the message, bulk runs the server undid.  The cases that
// need a server skip (saying why) when kTestServerVariable is not set.
#include <gtest/gtest.h>

#include <algorithm>

#include "storage/postgres/pg_schema.h"
#include "storage/table.h"
#include "storage/test_tables.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam {
namespace {

using testing::Backend;
using testing::TestRoot;
using testing::noteDef;

TEST(PostgresLocationTest, SplitsTheDatabaseFromTheFilePath) {
  Result<pg::Location> loc = pg::parseLocation("PostgreSQL://u:s@h:5432/dados?sslmode=disable\\Emp0001/2024//contab.dat");
  ASSERT_TRUE(loc) << loc.status().toString();
  EXPECT_EQ(loc->uri, "PostgreSQL://u:s@h:5432/dados?sslmode=disable");
  EXPECT_EQ(loc->file, "EMP0001/2024/CONTAB.DAT");
  EXPECT_EQ(pg::parseLocation("postgres:///db/a/./b/../C.dat")->file, "A/C.DAT");
  EXPECT_EQ(pg::parseLocation("postgresql:///db")->file, "");
  // Nothing escapes the database, and a root must name one.
  EXPECT_EQ(pg::parseLocation("postgresql:///db/../x.dat").status().code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(pg::parseLocation("postgresql://host").status().code(), StatusCode::kInvalidArgument);
  EXPECT_TRUE(isServerLocation("POSTGRES://x/y"));
  EXPECT_FALSE(isServerLocation("C:\\dados\\postgresql"));
  EXPECT_FALSE(isServerLocation("postgresql:"));
}

// Connection failures need no server: the message names where it went.
TEST(PostgresConnectionTest, UnreachableServerOrBadAddressIsNamed) {
  TableDef def = noteDef();
  Table t(&def);
  Status s = t.open("postgresql://127.0.0.1:1/vorlam/Nota.dat");
  EXPECT_EQ(s.code(), StatusCode::kIoError);
  EXPECT_EQ(s.message(), "Servidor PostgreSQL inacessível: 127.0.0.1:1/vorlam") << s.detail();
  EXPECT_FALSE(t.isOpen());
  s = t.open("postgresql://h/db?nada=1/Nota.dat");
  EXPECT_EQ(s.code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(s.message(), "Endereço do servidor PostgreSQL inválido");
  EXPECT_FALSE(fileExists("postgresql://127.0.0.1:1/vorlam/Nota.dat"));
}

class PostgresServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!root_.unavailable().empty()) GTEST_SKIP() << root_.unavailable();
  }
  // The test server's address with other parts, from the environment
  // pg_virtualenv sets.
  static std::string address(const std::string& user, const std::string& password, const std::string& db) {
    std::string host = platform::environmentVariable("PGHOST");
    std::string port = platform::environmentVariable("PGPORT");
    return "postgresql://" + user + (password.empty() ? "" : ":" + password) + "@" +
           (host.empty() ? "localhost" : host) + (port.empty() ? "" : ":" + port) + "/" + db;
  }
  TestRoot root_{Backend::kPostgres};
  TableDef def_ = noteDef();
};

TEST_F(PostgresServerTest, WrongPasswordAndMissingDatabaseAreNamed) {
  Table t(&def_);
  const std::string user = platform::environmentVariable("PGUSER");
  if (platform::environmentVariable("PGPASSWORD").empty()) GTEST_SKIP() << "the test server asks for no password";
  Status s = t.open(address(user, "senha-errada", "postgres") + "/Nota.dat");
  EXPECT_EQ(s.code(), StatusCode::kAccessDenied) << s.toString() << " " << s.detail();
  EXPECT_EQ(s.message(), "Senha recusada pelo servidor PostgreSQL para o usuário " + user);
  EXPECT_EQ(s.detail().find("senha-errada"), std::string::npos);  // never shown
  s = t.open("postgresql:///vorlam_banco_inexistente/Nota.dat");
  EXPECT_EQ(s.code(), StatusCode::kFileNotFound) << s.toString() << " " << s.detail();
  EXPECT_EQ(s.message(), "O banco de dados vorlam_banco_inexistente não existe no servidor PostgreSQL");
}

TEST_F(PostgresServerTest, BulkRunTheServerUndidFailsOnFlush) {
  Table a(&def_), b(&def_);
  a.setBusyTimeout(100);
  b.setBusyTimeout(100);
  ASSERT_TRUE(a.open(root_.file("Nota.dat")));
  ASSERT_TRUE(b.open(root_.file("Nota.dat")));
  ASSERT_TRUE(a.buffer().setText("Texto", "um"));
  ASSERT_TRUE(a.insert());
  ASSERT_TRUE(a.getById(1));
  ASSERT_TRUE(b.getById(1));
  ASSERT_TRUE(a.beginBulk());
  ASSERT_TRUE(a.buffer().setText("Texto", "de a"));
  ASSERT_TRUE(a.update());
  // b waits for the record a's run changed, past its limit.
  ASSERT_TRUE(b.beginBulk());
  ASSERT_TRUE(b.buffer().setText("Texto", "de b"));
  EXPECT_EQ(b.update().code(), StatusCode::kBusy);
  // The server undid b's whole run: its end is a failure, never a success.
  Status flushed = b.flush();
  EXPECT_FALSE(flushed);
  EXPECT_FALSE(b.inBulk());
  ASSERT_TRUE(a.flush());
  ASSERT_TRUE(b.getById(1));
  EXPECT_EQ(b.buffer().getText("Texto"), "de a");
  // A duplicate inside a run is an error of that write only.
  ASSERT_TRUE(b.beginBulk());
  b.buffer().clear();
  ASSERT_TRUE(b.buffer().setInt("Numero", 1));
  EXPECT_EQ(b.append().code(), StatusCode::kDuplicateKey);
  ASSERT_TRUE(b.getById(1));
  ASSERT_TRUE(b.buffer().setInt("Numero", 7));
  ASSERT_TRUE(b.update());
  ASSERT_TRUE(b.flush());
  EXPECT_EQ(*a.count(), 1);
}

TEST_F(PostgresServerTest, PropertiesAndDirectoriesLiveInTheDatabase) {
  Table t(&def_);
  EXPECT_EQ(t.open(root_.file("EMP0001/Nota.dat")).code(), StatusCode::kFileNotFound);
  ASSERT_TRUE(makeDirectories(root_.file("EMP0001/2024")));
  ASSERT_TRUE(t.open(root_.file("emp0001\\2024\\nota.DAT")));
  EXPECT_TRUE(fileExists(root_.file("EMP0001/2024/Nota.dat")));
  ASSERT_TRUE(t.beginBulk());
  ASSERT_TRUE(t.setProperty("estrutura", "9.9.99"));
  ASSERT_TRUE(t.rollbackBulk());
  EXPECT_EQ(*t.property("estrutura"), "");
  ASSERT_TRUE(t.setProperty("estrutura", "9.9.99"));
  t.close();
  ASSERT_TRUE(t.open(root_.file("EMP0001/2024/NOTA.DAT"), OpenMode::kReadOnly));
  EXPECT_EQ(*t.property("estrutura"), "9.9.99");
  EXPECT_EQ(t.connection(), nullptr);
  t.close();
  int removed = 0;
  ASSERT_TRUE(removeServerFiles(root_.file("EMP0001"), &removed));
  EXPECT_EQ(removed, 1);
  EXPECT_FALSE(fileExists(root_.file("EMP0001/2024/Nota.dat")));
}

}  // namespace
}  // namespace vorlam
