// The stored-layout reader: the input is the "_layout" table of a record
// file, one "name=value" row per line (a line without "=" is a row whose
// value is NULL; "\x01" stands for a NULL name).  Reading it must give a
// clear status, never a crash or an unbounded allocation.
#include <sqlite3.h>

#include "storage/schema.h"
#include "tests/fuzz/fuzz_util.h"

using namespace vorlam;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in = fuzz::bytes(data, size);
  int columns = 0;
  Status v = schema::validateSignature(std::string(in), &columns);
  if (v) fuzz::check(columns >= 1 && columns <= 2000);
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_exec(db, "CREATE TABLE _layout(name TEXT, value TEXT)", nullptr, nullptr, nullptr);
  sqlite3_stmt* ins = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO _layout VALUES (?1, ?2)", -1, &ins, nullptr);
  for (std::string_view line : fuzz::parts(in, 16)) {
    size_t eq = line.find('=');
    std::string_view name = line.substr(0, eq);
    if (name == "\x01") sqlite3_bind_null(ins, 1);
    else sqlite3_bind_text(ins, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    if (eq == std::string_view::npos) {
      sqlite3_bind_null(ins, 2);
    } else {
      std::string value(line.substr(eq + 1));
      for (char& c : value)
        if (c == '|') c = '\n';  // "|" writes the newlines of a field list
      sqlite3_bind_text(ins, 2, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    sqlite3_step(ins);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  schema::StoredLayout layout;
  Status s = schema::readLayout(db, &layout);
  if (s && layout.present) fuzz::check(schema::validateSignature(layout.signature, nullptr).isOk());
  sqlite3_close(db);
  return 0;
}
