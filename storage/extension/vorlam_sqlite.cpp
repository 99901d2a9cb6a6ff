// vorlam_sqlite: a loadable SQLite extension that gives any SQLite client
// what a record file needs beyond plain SQLite: the VNOCASE collation of its
// text columns and the record check function its triggers call
// (sql_functions.h).  With it the sqlite3 shell can query, check and change
// a record file:
//
//   sqlite3 Empresas.dat -cmd '.load /path/to/vorlam_sqlite'
//
// Without it, statements that compare text or change records fail ("no such
// collation sequence: VNOCASE", "no such function: vorlam_check"), so that no
// client writes records whose check values the engine would not accept.

#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include "storage/sql_functions.h"

extern "C" {

#ifdef _WIN32
__declspec(dllexport)
#endif
int sqlite3_vorlamsqlite_init(sqlite3* db, char** error, const sqlite3_api_routines* api) {
  SQLITE_EXTENSION_INIT2(api);
  int rc = vorlam::sqlfn::registerAll(db);
  if (rc != SQLITE_OK && error) *error = sqlite3_mprintf("vorlam_sqlite: registro falhou (%d)", rc);
  return rc;
}

// The name SQLite tries when the file name gives no other.
#ifdef _WIN32
__declspec(dllexport)
#endif
int sqlite3_extension_init(sqlite3* db, char** error, const sqlite3_api_routines* api) {
  return sqlite3_vorlamsqlite_init(db, error, api);
}

}  // extern "C"
