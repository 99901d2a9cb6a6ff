// The SQL side of record files: the VNOCASE collation of every text column
// and the check function the files' triggers call.
//
// Registered on every connection of the engine and by the loadable extension
// `vorlam_sqlite` (storage/extension), so that the standard SQLite tools can
// query, check and change a record file.
//
//   vorlam_check(h, types, v1, ..., vn)
// continues the check value `h` (row_check.h) over v1..vn and returns it;
// `types` names each value's kind and column, "B=G5 S40=NOME ..." (one token
// per value).  A value of the wrong type or outside its field's range is an
// error ("Valor fora do limite do campo NOME"), so that no SQLite client
// writes what the engine would refuse to read.
#pragma once

#ifdef VORLAM_SQLITE_EXTENSION
#include <sqlite3ext.h>
#else
#include <sqlite3.h>
#endif

namespace vorlam::sqlfn {

// The largest number of values one vorlam_check call takes (SQLite's
// default limit of function arguments is 127).
constexpr int kCheckChunk = 100;

// Registers the collation and the check function; SQLITE_OK or an error.
int registerAll(sqlite3* db);

}  // namespace vorlam::sqlfn
