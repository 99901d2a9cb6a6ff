// Another database engine behind the Table interface.
//
// A data root is either a directory of record files (each one an SQLite
// database, the Table's own code) or a server location, a PostgreSQL
// connection URI ("postgresql://user@host:5432/database").  Below a server
// location, a record file's path names a table of that database: its path
// relative to the location, company and year directories included, so
// "postgresql://host/db/EMP0001/2024/CONTAB.DAT" is file "EMP0001/2024/
// CONTAB.DAT" of database "db".  Letters of the relative path are taken
// without case, and '\' and '/' both separate its directories.  Query
// parameters of the URI go right after the database name; a '/' inside
// them must be written %2F.
//
// Table opens a backend for a server location and hands every operation on
// to it; the semantics are those documented in table.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "storage/page_select.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table_def.h"

namespace vorlam {

enum class OpenMode;

class TableBackend {
 public:
  using Progress = std::function<void(int key, int64_t done, int64_t total)>;
  virtual ~TableBackend() = default;

  virtual void setBusyTimeout(int ms) = 0;
  virtual Status get(int key) = 0;
  virtual Status getById(int64_t id) = 0;
  virtual Status seek(int key) = 0;
  virtual Status seekStart(int key) = 0;
  virtual Status seekEnd(int key) = 0;
  virtual Status seekBefore(int key) = 0;
  virtual Status seekId(int64_t id) = 0;
  virtual Status next() = 0;
  virtual Status previous() = 0;
  virtual Result<int64_t> count() = 0;
  virtual Status selectPage(const PageRequest& request, PageSelection* out) = 0;
  virtual void endWalk() = 0;

  virtual Status insert() = 0;
  virtual Status append() = 0;
  virtual Status appendNumbered(int64_t id) = 0;
  virtual Status update() = 0;
  virtual Status erase() = 0;
  virtual Status beginBulk() = 0;
  virtual Status flush() = 0;
  virtual Status rollbackBulk() = 0;
  virtual bool inBulk() const = 0;
  virtual int duplicatedKey() const = 0;

  virtual Status rebuildKeys(const Progress& progress) = 0;
  virtual Status pack() = 0;
  virtual Status integrityCheck(std::string* report) = 0;
  virtual Status hold() = 0;
  virtual Status unhold() = 0;
  virtual Result<std::vector<int64_t>> heldRecords() = 0;
  virtual Status releaseHolds() = 0;
  virtual Status copyTo(const std::string& target) = 0;
  virtual Status rebuildFile() = 0;
  virtual Status setProperty(const std::string& name, const std::string& value) = 0;
  virtual Result<std::string> property(const std::string& name) = 0;
  virtual Result<std::vector<std::pair<std::string, std::string>>> properties() = 0;
  virtual Result<int64_t> storedBytes() { return makeStatus(StatusCode::kUnsupported); }
  virtual Result<int64_t> lastNumber() { return makeStatus(StatusCode::kUnsupported); }
  virtual Status keepNumbersAbove(int64_t last) {
    (void)last;
    return makeStatus(StatusCode::kUnsupported);
  }
  // See Table::setEngineTick.
  virtual void setEngineTick(std::function<bool()> tick) { (void)tick; }
};

// Whether `path` lies below a server location ("postgresql://" or
// "postgres://", any case).
bool isServerLocation(const std::string& path);

// `path` as shown to users: a password written in a server location is
// left out ("postgresql://user@host/db/..."); anything else is unchanged.
std::string displayPath(const std::string& path);

// Opens record file `path` (below a server location) for `def`, reading
// into `buffer`; both must outlive the backend.  Creation and open modes
// follow Table::open.  kUnsupported when this build has no server client.
Result<std::unique_ptr<TableBackend>> openServerTable(const TableDef& def, Record& buffer, const std::string& path,
                                                      OpenMode mode, int busyMs);

// Whether the database of server location `root` can be used as a data
// root: the server answers, the password and database are right, the
// database stores UTF-8.  The failure says which, in Portuguese.
Status checkServerLocation(const std::string& root);

// Whether record file `path` (below a server location) exists; false when
// the server cannot be reached.
bool serverFileExists(const std::string& path);

// Creates directory `path` (below a server location) and its parents: a
// missing file is created on open only in a directory that exists, as on
// disk.  A directory exists once made, or while a file lies below it.
Status makeServerDirectories(const std::string& path);

// The record files below server location `root`: relative path (letters as
// the file was first named) and the label of the table written in it.
struct ServerFile {
  std::string path;
  std::string label;
};
Result<std::vector<ServerFile>> listServerFiles(const std::string& root);

// Removes every record file below `path` (a server location, or a directory
// below one); the number removed goes to `removed`.  Used by tests and by
// the copy of a data root into a server.
Status removeServerFiles(const std::string& path, int* removed = nullptr);

}  // namespace vorlam
