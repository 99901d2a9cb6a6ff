// Whole-file work on the server: copies (within the database, to another
// one or to disk), the rebuild, the integrity check, and the conversion of
// a file written under an older layout.

#include <chrono>
#include <climits>

#include "storage/platform.h"
#include "storage/postgres/pg_arrays.h"
#include "storage/postgres/pg_table.h"
#include "storage/row_check.h"
#include "storage/schema.h"
#include "storage/text.h"

namespace vorlam::pg {

namespace {

// Rows read per statement when a whole file is read in record order.
constexpr int kCopyChunk = 2048;

Status refuseInBulk(bool bulk) {
  if (bulk) return Status(StatusCode::kInvalidArgument, "Arquivo em modo de gravação em lote");
  return Status::ok();
}

// Removes what a failed copy left at `path` (a server file or one on disk).
void removeCopy(const std::string& path) {
  if (isServerLocation(path)) {
    (void)removeServerFiles(path);
    return;
  }
  for (const char* suffix : {"", "-wal", "-shm", "-journal", "-lck"}) (void)platform::removeFile(path + suffix);
}

// The text of a whole number as SQLite's CAST reads it: blanks, a sign,
// then the leading digits; 0 when there are none.
int64_t leadingInteger(std::string_view t) {
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  int64_t v = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    if (v > (INT64_MAX - 9) / 10) break;
    v = v * 10 + (t[i] - '0');
  }
  return negative ? -v : v;
}

int64_t power10(int n) {
  int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

// The value of stored column `from` (read as `text`) in column `to` of the
// current layout, converted as the files convert theirs: texts cut to
// their new width, numbers to and from texts, decimals rescaled (rounded
// half away from zero).
Cell convertCell(const schema::StoredColumn& from, const FieldDef& to, const std::string& text) {
  Cell c;
  const bool fromText = from.type == FieldType::kString;
  if (to.isText()) {
    std::string v = fromText ? text : std::to_string(leadingInteger(text));
    if (v.size() > static_cast<size_t>(to.typeSpec.size)) v.resize(static_cast<size_t>(to.typeSpec.size));
    c.s = std::string(clipText(v));
    c.s.resize(static_cast<size_t>(to.typeSpec.size), ' ');
    return c;
  }
  int64_t v = leadingInteger(text);
  const int fp = from.type == FieldType::kDecimal ? from.places : 0;
  const int tp = to.isDecimal() ? to.typeSpec.places : 0;
  if (tp > fp) v *= power10(tp - fp);
  if (tp < fp) {
    const int64_t d = power10(fp - tp);
    v = (v + (v < 0 ? -d / 2 : d / 2)) / d;
  }
  c.i = v;
  return c;
}

}  // namespace

// --- reading a whole file -------------------------------------------------------

Status PgTable::eachRecord(const std::function<Status()>& visit) {
  // One snapshot for the whole read, as a copy of a file on disk reads it.
  Status s = conn_.exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", "ler arquivo");
  const Record saved = buffer_;
  int64_t last = 0;
  while (s) {
    Result<Rows> r = conn_.run("SELECT " + selectList_ + " FROM " + table_ + " WHERE _id > $1 ORDER BY _id LIMIT " +
                                   std::to_string(kCopyChunk),
                               Params().add(last), "ler arquivo");
    if (!r) {
      s = r.status();
      break;
    }
    for (int i = 0; s && i < r->size(); ++i) {
      s = readRow(*r, i);
      last = buffer_.recordId();
      if (s) s = visit();
    }
    if (r->size() < kCopyChunk) break;
  }
  buffer_ = saved;
  if (conn_.inTransaction()) {
    Status end = conn_.exec(s ? "COMMIT" : "ROLLBACK", "ler arquivo");
    if (s) s = end;
  }
  return s;
}

// --- copies -----------------------------------------------------------------------

Status PgTable::copyTo(const std::string& target) {
  if (Status s = refuseInBulk(bulk_); !s) return s;
  dropChunk();
  if (isServerLocation(target)) {
    Result<Location> to = parseLocation(target);
    Result<Location> from = parseLocation(path_);
    if (!to) return to.status();
    if (!from) return from.status();
    if (to->file.empty()) return Status(StatusCode::kInvalidArgument, "Caminho sem nome de arquivo", target);
    if (to->uri == from->uri) return copyWithin(*to, target);
  }
  if (fileExists(target)) return Status(StatusCode::kInvalidArgument, "O arquivo de destino já existe", target);
  return copyAcross(target);
}

Status PgTable::copyWithin(const Location& to, const std::string& target) {
  // A copy never makes a damaged record look sound: every record is read
  // back and checked before anything is written.
  if (Status s = eachRecord([] { return Status::ok(); }); !s) return s;
  const size_t slash = to.file.rfind('/');
  bool dirThere = false;
  Status s = directoryExists(conn_, slash == std::string::npos ? "" : to.file.substr(0, slash), &dirThere);
  if (s && !dirThere) s = makeStatus(StatusCode::kFileNotFound, target);
  if (!s) return s;
  FileEntry entry;
  bool found = false;
  s = conn_.exec(std::string("BEGIN; ") + catalogLockSql(), "copiar arquivo");
  if (s) s = findFile(conn_, to.file, &entry, &found);
  if (s && found) s = Status(StatusCode::kInvalidArgument, "O arquivo de destino já existe", target);
  if (s) s = createFile(conn_, def_, to, &entry, false);
  const std::string copy = quoteIdent(entry.table);
  // The folded key columns are computed anew in the copy; its keys are
  // built once it is full.
  if (s) s = conn_.exec("INSERT INTO " + copy + " (" + selectList_ + ") SELECT " + selectList_ + " FROM " + table_,
                        "copiar arquivo");
  if (s) s = createKeys(conn_, def_, entry.table, entry.id, "");
  if (s) s = carryNumbering(copy);
  if (s)
    s = conn_
            .run("INSERT INTO vorlam_properties(file, name, value) SELECT $1, name, value FROM vorlam_properties "
                 "WHERE file = $2",
                 Params().add(int64_t{entry.id}).add(int64_t{file_.id}), "copiar arquivo")
            .status();
  if (s) s = conn_.commit("copiar arquivo");
  if (!s && conn_.inTransaction()) (void)conn_.exec("ROLLBACK", "copiar arquivo");
  return s;
}

Status PgTable::carryNumbering(const std::string& copy) {
  // The copy numbers new records after every number this file ever gave,
  // deleted ones included.
  Result<std::string> from = sequence(table_);
  Result<std::string> to = from ? sequence(copy) : from;
  if (!to) return to.status();
  return conn_.exec("SELECT setval(" + quoteText(*to) + "::regclass, GREATEST(s.last_value, (SELECT coalesce(max(_id), 1) FROM " +
                        copy + ")), s.is_called OR EXISTS (SELECT 1 FROM " + copy + ")) FROM " + *from + " AS s",
                    "copiar arquivo");
}

Status PgTable::copyAcross(const std::string& target) {
  // Another database or a file on disk: record by record through a table
  // of the target, in one transaction there.
  Table copy(&def_);
  Status s = copy.open(target, OpenMode::kExclusive);
  if (!s) return s;
  Result<std::vector<std::pair<std::string, std::string>>> props = properties();
  s = props ? copy.beginBulk() : props.status();
  for (size_t i = 0; s && i < props->size(); ++i) s = copy.setProperty((*props)[i].first, (*props)[i].second);
  if (s) s = eachRecord([&] {
    copy.buffer().cells() = buffer_.cells();
    return copy.appendNumbered(buffer_.recordId());
  });
  if (s) s = copy.flush();
  Result<int64_t> last = s ? lastNumber() : Result<int64_t>(s);
  s = last ? copy.keepNumbersAbove(*last) : last.status();
  if (!s && copy.inBulk()) (void)copy.rollbackBulk();
  copy.close();
  if (!s) removeCopy(target);
  return s;
}

Result<int64_t> PgTable::storedBytes() {
  Result<Rows> r = conn_.run("SELECT pg_total_relation_size($1::regclass)", Params().add(table_), "tamanho");
  int64_t bytes = 0;
  if (r && (r->size() != 1 || !r->integer(0, 0, &bytes))) return Status(StatusCode::kIoError, "Tamanho ilegível", path_);
  if (!r) return r.status();
  return bytes;
}

Result<int64_t> PgTable::lastNumber() {
  Result<std::string> seq = sequence(table_);
  if (!seq) return seq.status();
  Result<Rows> r = conn_.run("SELECT GREATEST(CASE WHEN s.is_called THEN s.last_value ELSE 0 END, "
                             "(SELECT coalesce(max(_id), 0) FROM " + table_ + ")) FROM " + *seq + " AS s",
                             "numeração");
  int64_t last = 0;
  if (r && (r->size() != 1 || !r->integer(0, 0, &last))) return Status(StatusCode::kCorrupt, "Arquivo sem numeração", path_);
  if (!r) return r.status();
  return last;
}

Status PgTable::keepNumbersAbove(int64_t last) {
  if (Status s = ensureWritable(); !s) return s;
  Result<int64_t> now = lastNumber();
  if (!now || *now >= last) return now.status();
  Result<std::string> seq = sequence(table_);
  if (!seq) return seq.status();
  return conn_.run("SELECT setval($1::regclass, $2)", Params().add(*seq).add(last), "numeração").status();
}

Result<std::string> PgTable::sequence(const std::string& table) {
  // The identity sequence of "_id", named as the server named it.
  Result<Rows> r = conn_.run("SELECT pg_get_serial_sequence($1, '_id')", Params().add(table), "numeração");
  if (!r) return r.status();
  if (r->size() != 1 || r->isNull(0, 0)) return Status(StatusCode::kCorrupt, "Arquivo sem numeração", path_);
  return std::string(r->text(0, 0));
}

Status PgTable::rebuildFile() {
  if (mode_ != OpenMode::kExclusive)
    return Status(StatusCode::kAccessDenied, "A cópia do arquivo exige acesso exclusivo", path_);
  if (Status s = refuseInBulk(bulk_); !s) return s;
  dropChunk();
  // As on disk, a damaged record stops the rebuild before anything changes.
  if (Status s = eachRecord([] { return Status::ok(); }); !s) return s;
  // The server writes the table and its keys anew, record numbers kept.
  return conn_.exec("VACUUM FULL " + table_, "reconstruir arquivo");
}

// --- integrity check --------------------------------------------------------------

Status PgTable::integrityCheck(std::string* report) {
  if (report) report->clear();
  dropChunk();
  // The server's own check of the indexes against the table is the amcheck
  // extension.  Creating it needs rights a data root's user may not have:
  // without it the check is our own, every index counted against the table.
  // Inside a bulk run a failed statement would undo the run: only our own
  // check, which only reads, runs there.
  if (bulk_) return countIndexes(report);
  Result<Rows> r = conn_.run("SELECT count(*) FROM pg_extension WHERE extname = 'amcheck'", "verificação");
  if (!r) return r.status();
  bool amcheck = std::string(r->text(0, 0)) != "0";
  if (!amcheck) {
    Status made = conn_.exec("CREATE EXTENSION IF NOT EXISTS amcheck", "verificação");
    if (!made && conn_.lastFailure() == Failure::kConnectionLost) return made;
    if (!made) return countIndexes(report);
  }
  r = conn_.run("SELECT bt_index_check(i.indexrelid, true) FROM pg_index i WHERE i.indrelid = $1::regclass",
                Params().add(table_), "verificação");
  if (!r) {
    // Damage found is reported as such (class XX); the extension's
    // functions refused to this user leave the check to us; anything else
    // is the failure it is, never "damaged".
    const std::string state = conn_.lastState();
    if (state == "42501") return countIndexes(report);
    if (report) *report = r.status().detail();
    if (state.rfind("XX", 0) == 0)
      return Status(StatusCode::kCorrupt, "Arquivo danificado", path_ + ": " + r.status().detail());
    return r.status();
  }
  if (report) *report = "ok (amcheck: " + std::to_string(r->size()) + " índices conferidos)";
  return Status::ok();
}

Status PgTable::countIndexes(std::string* report) {
  // Each key's index must list exactly the records of the table that the
  // key lists: the table is counted with the indexes kept out of the plan,
  // then each index is read on its own with the table kept out.
  const char* kTableOnly = "SET LOCAL enable_indexscan = off; SET LOCAL enable_indexonlyscan = off; "
                           "SET LOCAL enable_bitmapscan = off; SET LOCAL enable_seqscan = on; "
                           "SET LOCAL enable_sort = on";
  const char* kIndexOnly = "SET LOCAL enable_indexscan = on; SET LOCAL enable_indexonlyscan = on; "
                           "SET LOCAL enable_seqscan = off; SET LOCAL enable_sort = off";
  const char* kDefaults = "SET LOCAL enable_indexscan = on; SET LOCAL enable_indexonlyscan = on; "
                          "SET LOCAL enable_bitmapscan = on; SET LOCAL enable_seqscan = on; SET LOCAL enable_sort = on";
  const bool own = !bulk_;
  dropChunk();
  Status s = own ? conn_.exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", "verificação") : Status::ok();
  int checked = 0;
  for (size_t k = 0; s && k < def_.keys.size(); ++k) {
    const KeyDef& key = def_.keys[k];
    if (key.dynamic || key.components.empty()) continue;
    std::string order;
    for (const KeyAtom& a : keyAtoms(def_, key))
      order += (order.empty() ? "" : ", ") + a.stored() + (a.descending ? " DESC" : "");
    if (keyTakesId(key)) order += ", _id";
    const std::string cond = schema::emptyKeyCondition(def_, key);
    const std::string from = table_ + (cond.empty() ? "" : " WHERE " + cond);
    int64_t inTable = 0, inIndex = 0;
    s = conn_.exec(kTableOnly, "verificação");
    Result<Rows> r = s ? conn_.run("SELECT count(*) FROM " + from, "verificação") : Result<Rows>(s);
    if (r && !r->integer(0, 0, &inTable)) r = Status(StatusCode::kIoError, "Contagem ilegível", path_);
    if (r) s = conn_.exec(kIndexOnly, "verificação");
    if (r && s) r = conn_.run("SELECT count(*) FROM (SELECT 1 FROM " + from + " ORDER BY " + order + ") AS i", "verificação");
    if (r && !r->integer(0, 0, &inIndex)) r = Status(StatusCode::kIoError, "Contagem ilegível", path_);
    if (s) s = r.status();
    if (s && inIndex != inTable)
      s = Status(StatusCode::kCorrupt, "Arquivo danificado",
                 path_ + ": a chave " + key.name + " lista " + std::to_string(inIndex) + " registros de " +
                     std::to_string(inTable));
    ++checked;
  }
  if (s) s = conn_.exec(own ? "COMMIT" : kDefaults, "verificação");
  if (!s && own && conn_.inTransaction()) (void)conn_.exec("ROLLBACK", "verificação");
  if (report)
    *report = s ? "ok (verificação própria, sem a extensão amcheck: " + std::to_string(checked) +
                      " índices conferidos com o arquivo)"
                : s.detail();
  return s;
}

// --- conversion of an older layout ---------------------------------------------

Status PgTable::convertLayout() {
  // Nobody else may have the file open while it is converted: the open
  // lock is taken exclusively for the conversion (a session's own shared
  // hold does not stand in its way).
  const bool takeLock = mode_ != OpenMode::kExclusive;
  if (takeLock) {
    Result<Rows> r = conn_.run("SELECT pg_advisory_lock($1::int, 0)", Params().add(int64_t{file_.id}), "converter arquivo");
    if (!r)
      return conn_.lastFailure() == Failure::kLockTimeout
                 ? Status(StatusCode::kBusy,
                          "Arquivo de versão antiga em uso por outra estação; não pode ser convertido", path_)
                 : r.status();
  }
  Status s = conn_.exec(std::string("BEGIN; ") + catalogLockSql(), "converter arquivo");
  bool found = false;
  FileEntry now;
  if (s) s = findFile(conn_, parseLocation(path_)->file, &now, &found);
  if (s && !found) s = makeStatus(StatusCode::kFileNotFound, path_);
  // Another workstation may have converted it while this one waited.
  if (s && now.fields != schema::layoutSignature(def_)) s = convertRows(now);
  if (s) s = conn_.commit("converter arquivo");
  if (!s && conn_.inTransaction()) (void)conn_.exec("ROLLBACK", "converter arquivo");
  if (s) {
    file_ = now;
    file_.label = def_.label;
    file_.version = def_.version;
    file_.fields = schema::layoutSignature(def_);
  }
  if (takeLock) {
    Result<Rows> r = conn_.run("SELECT pg_advisory_unlock($1::int, 0)", Params().add(int64_t{file_.id}), "converter arquivo");
    if (s && !r) s = r.status();
  }
  return s;
}

namespace {

// How the rows of an older layout become rows of the current one.
struct LayoutMap {
  std::vector<const FieldDef*> fieldOf;  // per current column
  std::vector<int> source;               // per current column: its stored column, -1 new (blank)
  std::string oldList;                   // the old columns, as selected
  std::string insert;                    // the INSERT of converted rows given as arrays (pg_arrays.h)
};

LayoutMap mapLayout(const TableDef& def, const std::vector<schema::StoredColumn>& stored, const std::string& fresh) {
  LayoutMap m;
  for (const auto& f : def.fields)
    for (int e = 0; e < f.dim; ++e) m.fieldOf.push_back(&f);
  const std::vector<std::string> cols = schema::columnNames(def);
  m.source.assign(cols.size(), -1);
  m.oldList = "_id, _stamp, _check";
  for (size_t i = 0; i < stored.size(); ++i) m.oldList += ", " + quoteIdent(stored[i].name);
  for (size_t c = 0; c < cols.size(); ++c)
    for (size_t i = 0; i < stored.size(); ++i)
      if (quoteIdent(stored[i].name) == cols[c]) m.source[c] = static_cast<int>(i);
  std::vector<const char*> types = {"bigint", "bigint", "bigint"};
  m.insert = "INSERT INTO " + quoteIdent(fresh) + " (_id, _stamp, _check";
  for (size_t c = 0; c < cols.size(); ++c) {
    m.insert += ", " + cols[c];
    types.push_back(m.fieldOf[c]->isText() ? "text" : "bigint");
  }
  m.insert += ") SELECT * FROM " + unnestRows(types);
  return m;
}

// The values of row `row` of `r` (selected as LayoutMap::oldList), checked
// against the row's own check value first: a conversion never makes a
// damaged record look sound.
Status readOldRow(const Rows& r, int row, const std::vector<schema::StoredColumn>& stored, const std::string& path,
                  int64_t* id, int64_t* stamp, std::vector<std::string>* values) {
  int64_t check = 0;
  bool sound = r.integer(row, 0, id) && r.integer(row, 1, stamp) && r.integer(row, 2, &check);
  RowCheck oldCheck;
  oldCheck.addInt(*stamp);
  values->assign(stored.size(), std::string());
  for (size_t i = 0; i < stored.size(); ++i) {
    const int col = static_cast<int>(i) + 3;
    if (stored[i].type == FieldType::kString) {
      (*values)[i] = utf8ToLatin1(std::string_view(r.text(row, col), r.length(row, col)));
      std::string_view t = clipText((*values)[i]);
      oldCheck.addText(t.data(), t.size());
    } else {
      int64_t v = 0;
      sound = sound && r.integer(row, col, &v);
      (*values)[i] = std::to_string(v);
      oldCheck.addInt(v);
    }
  }
  if (!sound || oldCheck.value() != check)
    return Status(StatusCode::kCorrupt, defaultMessage(StatusCode::kCorrupt), path + ": registro " + std::to_string(*id));
  return Status::ok();
}

}  // namespace

Status PgTable::convertRows(const FileEntry& old) {
  std::vector<schema::StoredColumn> stored;
  if (Status s = schema::storedColumns(old.fields, &stored); !s) return Status(s.code(), s.message(), path_);
  // The converted file is built beside the old one, then takes its name
  // and its keys' names: one transaction, so a failure leaves the old file.
  const auto stampNow = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::string fresh = "c" + std::to_string(old.id) + "_" + std::to_string(stampNow % 1000000000);
  if (Status s = createTable(conn_, def_, fresh, old.id, "~c"); !s) return s;
  const LayoutMap m = mapLayout(def_, stored, fresh);
  const std::string oldTable = quoteIdent(old.table);
  std::vector<Cell> cells(m.fieldOf.size());
  std::vector<std::string> values;
  int64_t last = 0;
  for (;;) {
    Result<Rows> r = conn_.run("SELECT " + m.oldList + " FROM " + oldTable + " WHERE _id > $1 ORDER BY _id LIMIT " +
                                   std::to_string(kCopyChunk),
                               Params().add(last), "converter arquivo");
    if (!r) return r.status();
    // Each chunk read is written back as one statement.
    std::vector<std::string> arrays(3 + cells.size());
    for (int row = 0; row < r->size(); ++row) {
      int64_t id = 0, stamp = 0;
      if (Status s = readOldRow(*r, row, stored, path_, &id, &stamp, &values); !s) return s;
      for (size_t c = 0; c < cells.size(); ++c) {
        const FieldDef& f = *m.fieldOf[c];
        const int from = m.source[c];
        cells[c] = from < 0 ? Cell{0, f.isText() ? std::string(static_cast<size_t>(f.typeSpec.size), ' ') : ""}
                            : convertCell(stored[static_cast<size_t>(from)], f, values[static_cast<size_t>(from)]);
      }
      appendArrayElement(&arrays[0], std::to_string(id), false);
      appendArrayElement(&arrays[1], std::to_string(stamp), false);
      appendArrayElement(&arrays[2], std::to_string(recordCheck(def_, cells, stamp)), false);
      for (size_t c = 0; c < cells.size(); ++c)
        appendArrayElement(&arrays[3 + c], cellParam(*m.fieldOf[c], cells[c]), m.fieldOf[c]->isText());
      last = id;
    }
    if (r->size() > 0) {
      Params p;
      for (std::string& array : arrays) p.add(std::move(array) + "}");
      if (Result<Rows> w = conn_.run(m.insert, p, "converter arquivo"); !w) return w.status();
    }
    if (r->size() < kCopyChunk) break;
  }
  // New records are numbered after every number the old file gave.
  if (Status s = carryNumbering(quoteIdent(fresh)); !s) return s;
  return takeOldPlace(old, fresh);
}

Status PgTable::takeOldPlace(const FileEntry& old, const std::string& fresh) {
  const std::string oldTable = quoteIdent(old.table);
  std::string sql = "DROP TABLE " + oldTable + ";\nALTER TABLE " + quoteIdent(fresh) + " RENAME TO " + oldTable + ";\n";
  for (size_t k = 0; k < def_.keys.size(); ++k)
    if (!def_.keys[k].dynamic && !def_.keys[k].components.empty())
      sql += "ALTER INDEX " + quoteIdent(indexName(old.id, k) + "~c") + " RENAME TO " + quoteIdent(indexName(old.id, k)) + ";\n";
  if (Status s = conn_.exec(sql, "converter arquivo"); !s) return s;
  return conn_
      .run("UPDATE vorlam_files SET label = $1, version = $2, fields = $3 WHERE id = $4",
           Params().add(def_.label).add(int64_t{def_.version}).add(schema::layoutSignature(def_)).add(int64_t{old.id}),
           "converter arquivo")
      .status();
}

}  // namespace vorlam::pg
