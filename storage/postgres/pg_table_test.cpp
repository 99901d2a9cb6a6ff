// What only the PostgreSQL backend has: data root addresses, connection
// failures named in the message, bulk runs the server undid, deferred
// writes refused after the call that made them, connections lost mid-run,
// the server's key forms of texts.  The cases that
// need a server skip (saying why) when kTestServerVariable is not set.
#include <gtest/gtest.h>

#include <algorithm>

#include "storage/postgres/pg_connection.h"
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
  // A second session on the test database, as another program would have.
  pg::Connection& side() {
    if (!side_.connected()) {
      Status s = side_.connect(pg::parseLocation(root_.path())->uri, 10000);
      EXPECT_TRUE(s) << s.toString() << " " << s.detail();
    }
    return side_;
  }
  // The server session of the table that has `name` open, ended by the
  // server as an administrator or a network failure would end it.
  void cutConnectionOf(const std::string& name) {
    Result<pg::Rows> r = side().run(
        "SELECT pg_terminate_backend(l.pid, 10000) FROM pg_locks l JOIN vorlam_files f ON l.classid = f.id::oid "
        "WHERE f.path = $1 AND l.locktype = 'advisory' AND l.objid = 0 AND l.objsubid = 2",
        pg::Params().add(pg::parseLocation(root_.file(name))->file), "teste");
    ASSERT_TRUE(r) << r.status().detail();
    ASSERT_EQ(r->size(), 1);
    EXPECT_STREQ(r->text(0, 0), "t");
  }
  void addNotes(Table& t, int from, int to) {
    for (int i = from; i <= to; ++i) {
      t.buffer().clear();
      ASSERT_TRUE(t.buffer().setInt("Numero", i));
      ASSERT_TRUE(t.buffer().setText("Texto", "nota " + std::to_string(i)));
      ASSERT_TRUE(t.append()) << i;
    }
  }
  // The records committed now, as another session sees them (a table
  // opened exclusively keeps other opens out).
  std::string tableOf(const std::string& name) { return pg::quoteIdent(pg::parseLocation(root_.file(name))->file); }
  int64_t countNow() {
    Result<pg::Rows> r = side().run("SELECT count(*) FROM " + tableOf("Nota.dat"), "teste");
    int64_t n = -1;
    return r && r->integer(0, 0, &n) ? n : -1;
  }
  static void expectLost(const Status& s) {
    EXPECT_EQ(s.code(), StatusCode::kIoError) << s.toString() << " " << s.detail();
    EXPECT_EQ(s.message().rfind("Conexão com o servidor PostgreSQL perdida: ", 0), 0u) << s.message();
  }
  TestRoot root_{Backend::kPostgres};
  TableDef def_ = noteDef();
  pg::Connection side_;
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
  ASSERT_TRUE(b.buffer().setInt("Numero", 2));
  ASSERT_TRUE(b.append());
  // So is a change of a unique key onto another record's values.
  ASSERT_TRUE(b.getById(1));
  ASSERT_TRUE(b.buffer().setInt("Numero", 2));
  EXPECT_EQ(b.update().code(), StatusCode::kDuplicateKey);
  EXPECT_EQ(b.duplicatedKey(), 0);
  ASSERT_TRUE(b.getById(1));
  ASSERT_TRUE(b.buffer().setInt("Numero", 7));
  ASSERT_TRUE(b.update());
  ASSERT_TRUE(b.flush());
  EXPECT_EQ(*a.count(), 2);
  ASSERT_TRUE(a.getById(1));
  EXPECT_EQ(a.buffer().getInt("Numero"), 7);
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

// In a bulk run on a file opened exclusively a write may be refused after
// it returned: the refusal fails flush(), and nothing of the run remains.
TEST_F(PostgresServerTest, DeferredWriteRefusedLaterFailsTheWholeRun) {
  Table t(&def_);
  ASSERT_TRUE(t.open(root_.file("Nota.dat"), OpenMode::kExclusive));
  addNotes(t, 1, 1);
  struct Case {
    const char* what;
    int clash;  // the number written twice
  };
  // A clash with a stored record, with a row of the run sent before, and
  // between two rows of the run still gathered together.
  for (Case c : {Case{"stored", 1}, Case{"sent", 1700}, Case{"gathered", 2700}}) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(t.beginBulk());
    ASSERT_TRUE(t.getById(1));
    ASSERT_TRUE(t.buffer().setText("Texto", "alterada"));
    ASSERT_TRUE(t.update());
    addNotes(t, 1500, 2800);  // a thousand sent, the rest gathered
    t.buffer().clear();
    ASSERT_TRUE(t.buffer().setInt("Numero", c.clash));
    Status added = t.append();
    if (added) addNotes(t, 1801, 1810);  // accepted for now: the run goes on
    Status flushed = t.flush();
    EXPECT_EQ(flushed.code(), StatusCode::kDuplicateKey) << flushed.toString() << " " << flushed.detail();
    EXPECT_EQ(flushed.detail(), "NOT:KEY:NUMERO");
    EXPECT_EQ(t.duplicatedKey(), 0);
    EXPECT_FALSE(t.inBulk());
    EXPECT_EQ(countNow(), 1);
    ASSERT_TRUE(t.getById(1));
    EXPECT_EQ(t.buffer().getText("Texto"), "nota 1");
  }
  // A record another session changed under the run: its write touches
  // nothing, and the run fails the same way.
  ASSERT_TRUE(t.beginBulk());
  addNotes(t, 2, 3);
  ASSERT_TRUE(t.getById(1));
  ASSERT_TRUE(side().run("UPDATE " + tableOf("Nota.dat") + " SET _stamp = _stamp + 1 WHERE _id = 1", "teste"));
  ASSERT_TRUE(t.buffer().setText("Texto", "tarde"));
  (void)t.update();
  EXPECT_EQ(t.flush().code(), StatusCode::kChangedByOther);
  EXPECT_EQ(countNow(), 1);
  // The table goes on working.
  ASSERT_TRUE(t.beginBulk());
  addNotes(t, 2, 1200);
  ASSERT_TRUE(t.flush());
  EXPECT_EQ(countNow(), 1200);
}

// A connection lost mid-run fails the operation in hand; the server undoes
// the transaction, and the file opens again afterwards.
TEST_F(PostgresServerTest, LostConnectionFailsTheRunAndLeavesNothingHalfWritten) {
  for (OpenMode mode : {OpenMode::kExclusive, OpenMode::kShared}) {
    SCOPED_TRACE(mode == OpenMode::kExclusive ? "exclusive" : "shared");
    Table t(&def_);
    ASSERT_TRUE(t.open(root_.file("Nota.dat"), mode));
    const int64_t before = countNow();
    ASSERT_TRUE(t.beginBulk());
    addNotes(t, 10001, 11500);
    cutConnectionOf("Nota.dat");
    t.buffer().clear();
    ASSERT_TRUE(t.buffer().setInt("Numero", 20000));
    Status next = t.append();
    Status flushed = t.flush();
    if (!next) expectLost(next);
    EXPECT_FALSE(flushed);
    // Either the append or the flush met the lost connection; neither
    // reported a success that did not happen.
    expectLost(next ? flushed : next);
    EXPECT_FALSE(t.inBulk());
    EXPECT_EQ(countNow(), before);
    t.close();
    ASSERT_TRUE(t.open(root_.file("Nota.dat"), mode));
    ASSERT_TRUE(t.beginBulk());
    addNotes(t, 10001, 10010);
    ASSERT_TRUE(t.flush());
    EXPECT_EQ(countNow(), before + 10);
    ASSERT_TRUE(t.beginBulk());
    ASSERT_TRUE(t.seekStart(kFileOrder));
    while (t.next()) {
      if (t.buffer().getInt("Numero") > 10000) {
        ASSERT_TRUE(t.erase());
      }
    }
    ASSERT_TRUE(t.flush());
    EXPECT_EQ(countNow(), before);
  }
  // A plain walk: the read in hand fails, never an early end of the file.
  {
    Table t(&def_);
    ASSERT_TRUE(t.open(root_.file("Nota.dat")));
    ASSERT_TRUE(t.beginBulk());
    addNotes(t, 1, 3000);
    ASSERT_TRUE(t.flush());
    ASSERT_TRUE(t.seekStart(0));
    int read = 0;
    for (; read < 5; ++read) ASSERT_TRUE(t.next());
    cutConnectionOf("Nota.dat");
    Status s;
    while ((s = t.next())) ++read;
    EXPECT_LT(read, 3000);
    expectLost(s);
    t.close();
    ASSERT_TRUE(t.open(root_.file("Nota.dat")));
    EXPECT_EQ(*t.count(), 3000);
  }
}

// The server's key forms of texts are the program's own, character by
// character, for plain ASCII texts and for the others.
TEST_F(PostgresServerTest, ServerKeyFormsMatchTheProgramsOwn) {
  Table t(&def_);
  ASSERT_TRUE(t.open(root_.file("Nota.dat")));
  std::vector<std::string> texts = {"conta 1.1.2 abc XYZ", "", "a"};
  std::string all, ascii;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  for (int c = 1; c < 128; ++c) ascii += static_cast<char>(c);
  texts.push_back(all);
  texts.push_back(ascii);
  for (int c = 128; c < 256; ++c) texts.push_back(std::string("ab") + static_cast<char>(c) + "z");
  for (const std::string& text : texts) {
    Result<pg::Rows> r = side().run("SELECT vorlam_upper($1), vorlam_base($1)",
                                    pg::Params().add(latin1ToUtf8(text)), "teste");
    ASSERT_TRUE(r) << r.status().detail();
    // Each key byte as the code point of that number, so that the server
    // compares key forms byte by byte in the program's order.
    std::string upper, base;
    auto put = [](std::string* out, unsigned char b) {
      if (b < 0x80) {
        *out += static_cast<char>(b);
      } else {
        *out += static_cast<char>(0xC0 | (b >> 6));
        *out += static_cast<char>(0x80 | (b & 0x3F));
      }
    };
    for (char c : text) {
      put(&upper, static_cast<unsigned char>(upperLatin1(std::string(1, c))[0]));
      put(&base, baseLetter(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(std::string(r->text(0, 0)), upper) << latin1ToUtf8(text);
    EXPECT_EQ(std::string(r->text(0, 1)), base) << latin1ToUtf8(text);
  }
  // A database whose key functions an older version made gets the current
  // ones, with the same results.
  ASSERT_TRUE(side().exec("CREATE OR REPLACE FUNCTION vorlam_upper(text) RETURNS text LANGUAGE sql IMMUTABLE "
                          "STRICT AS $f$ SELECT translate(upper($1 COLLATE \"C\"), 'ç', 'Ç') $f$",
                          "teste"));
  t.close();
  ASSERT_TRUE(t.open(root_.file("Nota.dat")));
  Result<pg::Rows> r = side().run("SELECT vorlam_upper('maçã')", "teste");
  ASSERT_TRUE(r);
  EXPECT_EQ(std::string(r->text(0, 0)), "MAÇÃ");
}

}  // namespace
}  // namespace vorlam
