// Filter expressions: compile against a small table, bind every variable
// (as a text, then as a number), evaluate on a few records, and translate
// to SQL; where a SQL form exists it must prepare against the storage's
// layout or be refused by SQLite's limits alone (never a crash); the
// server's form must carry one value per parameter.
#include <sqlite3.h>

#include <algorithm>

#include "framework/filter.h"
#include "storage/sql_functions.h"
#include "tests/fuzz/fuzz_util.h"

using namespace vorlam;

namespace {

class AnyVariable : public FilterVariables {
 public:
  explicit AnyVariable(bool text) : text_(text) {}
  bool lookup(std::string_view name, FilterValue* value) const override {
    *value = text_ ? FilterValue::text(std::string(name)) : FilterValue::number(static_cast<int64_t>(name.size()));
    return true;
  }

 private:
  bool text_;
};

sqlite3* database() {
  static sqlite3* db = [] {
    sqlite3* d = nullptr;
    sqlite3_open(":memory:", &d);
    sqlfn::registerAll(d);
    sqlite3_exec(d,
                 "CREATE TABLE records(_id INTEGER PRIMARY KEY, \"CODIGO\" INTEGER, \"RAZAOSOCIAL\" TEXT COLLATE "
                 "VNOCASE, \"CAPITAL\" INTEGER, \"TELEFONE[1]\" TEXT COLLATE VNOCASE, \"TELEFONE[2]\" TEXT COLLATE "
                 "VNOCASE, \"DATA\" INTEGER)",
                 nullptr, nullptr, nullptr);
    return d;
  }();
  return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Result<Filter> f = Filter::compile(fuzz::bytes(data, size), fuzz::firmTable(),
                                     [](const FilterValue& v, std::string_view) { return v.toText(); });
  if (!f) return 0;
  Record r(&fuzz::firmTable());
  for (bool text : {true, false}) {
    Result<BoundFilter> b = f->bind(AnyVariable(text));
    if (!b) continue;
    r.clear();
    (void)b->matches(r);
    r.setInt(0, 65535);
    r.setText(1, "Comércio \xC9 Ltda");
    r.setDecimal(2, Decimal::fromUnits(-99999999999, 2));
    (void)b->matches(r);
    std::string where;
    std::vector<SqlParam> params;
    if (b->toSql(&where, &params) || b->toSqlPrefilter(&where, &params)) {
      sqlite3_stmt* st = nullptr;
      std::string sql = "SELECT _id FROM records WHERE " + where;
      sqlite3_prepare_v2(database(), sql.c_str(), -1, &st, nullptr);
      sqlite3_finalize(st);
    }
    // The server's form: one value for every '?' (its texts and names hold
    // none), which the server table checks before it runs the statement.
    where.clear();
    params.clear();
    if (b->toSql(&where, &params, SqlDialect::kPostgres) ||
        b->toSqlPrefilter(&where, &params, SqlDialect::kPostgres)) {
      if (static_cast<size_t>(std::count(where.begin(), where.end(), '?')) != params.size()) __builtin_trap();
    }
  }
  return 0;
}
