#include "storage/sql_functions.h"

#ifdef VORLAM_SQLITE_EXTENSION
SQLITE_EXTENSION_INIT3
#endif

#include <string>
#include <string_view>
#include <vector>

#include "storage/row_check.h"
#include "storage/text.h"

namespace vorlam::sqlfn {

namespace {

int collate(void*, int n1, const void* a, int n2, const void* b) {
  return compareText(std::string_view(static_cast<const char*>(a), n1),
                     std::string_view(static_cast<const char*>(b), n2));
}

void fail(sqlite3_context* ctx, const std::string& text) {
  sqlite3_result_error(ctx, text.c_str(), static_cast<int>(text.size()));
}

// Next "T=NAME" token of `types` from `*pos`.
bool nextToken(std::string_view types, size_t* pos, CheckType* type, std::string_view* name) {
  while (*pos < types.size() && types[*pos] == ' ') ++*pos;
  size_t end = types.find(' ', *pos);
  if (end == std::string_view::npos) end = types.size();
  std::string_view tok = types.substr(*pos, end - *pos);
  *pos = end;
  size_t eq = tok.find('=');
  if (eq == std::string_view::npos) return false;
  *name = tok.substr(eq + 1);
  return parseCheckType(tok.data(), eq, type);
}

// The types argument parsed once per statement (kept as SQLite's auxiliary
// data of the argument, which lives as long as the argument is constant).
struct ParsedTypes {
  std::vector<CheckType> types;
  std::vector<std::string> names;
};

// The parsed types of this call: SQLite's cached copy, or `local` filled in
// (and offered to SQLite for the next calls).  nullptr when malformed.
const ParsedTypes* parsedTypes(sqlite3_context* ctx, sqlite3_value* arg, int count, ParsedTypes* local) {
  if (auto* cached = static_cast<ParsedTypes*>(sqlite3_get_auxdata(ctx, 1))) return cached;
  const char* t = reinterpret_cast<const char*>(sqlite3_value_text(arg));
  std::string_view text(t ? t : "", static_cast<size_t>(sqlite3_value_bytes(arg)));
  size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    CheckType type;
    std::string_view name;
    if (!nextToken(text, &pos, &type, &name)) return nullptr;
    local->types.push_back(type);
    local->names.emplace_back(name);
  }
  sqlite3_set_auxdata(ctx, 1, new ParsedTypes(*local), [](void* p) { delete static_cast<ParsedTypes*>(p); });
  return local;
}

void checkFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 2 || sqlite3_value_type(argv[0]) != SQLITE_INTEGER || sqlite3_value_type(argv[1]) != SQLITE_TEXT) {
    fail(ctx, "vorlam_check: argumentos inválidos");
    return;
  }
  ParsedTypes local;
  const ParsedTypes* parsed = parsedTypes(ctx, argv[1], argc - 2, &local);
  if (parsed == nullptr) {
    fail(ctx, "vorlam_check: tipo inválido");
    return;
  }
  RowCheck check(sqlite3_value_int64(argv[0]));
  for (int i = 2; i < argc; ++i) {
    const CheckType& type = parsed->types[i - 2];
    sqlite3_value* v = argv[i];
    bool ok;
    if (type.isText()) {
      ok = sqlite3_value_type(v) == SQLITE_TEXT;
      if (ok) {
        const char* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
        int n = sqlite3_value_bytes(v);
        ok = p != nullptr && n <= type.size;
        if (ok) check.addText(p, static_cast<size_t>(n));
      }
    } else {
      ok = sqlite3_value_type(v) == SQLITE_INTEGER && type.admits(sqlite3_value_int64(v));
      if (ok) check.addInt(sqlite3_value_int64(v));
    }
    if (!ok) {
      fail(ctx, "Valor fora do limite do campo " + parsed->names[i - 2]);
      return;
    }
  }
  sqlite3_result_int64(ctx, check.value());
}

}  // namespace

int registerAll(sqlite3* db) {
  int rc = sqlite3_create_collation_v2(db, "VNOCASE", SQLITE_UTF8, nullptr, collate, nullptr);
  if (rc != SQLITE_OK) return rc;
  return sqlite3_create_function_v2(db, "vorlam_check", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                    nullptr, checkFunction, nullptr, nullptr, nullptr);
}

}  // namespace vorlam::sqlfn
