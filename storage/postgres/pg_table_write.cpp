// Writing a record file on the server: inserts with auto-numbering,
// optimistic updates and deletes, bulk transactions.

#include "storage/postgres/pg_table.h"
#include "storage/row_check.h"
#include "storage/schema.h"
#include "storage/text.h"

namespace vorlam::pg {

Status PgTable::findDuplicate() {
  // Which unique key the record clashes with, for the message.
  for (size_t k = 0; k < def_.keys.size(); ++k) {
    const KeyDef& key = def_.keys[k];
    if (!key.unique || key.dynamic || key.components.empty()) continue;
    if (key.excludeEmpty && buffer_.keyIsEmpty(key)) continue;
    const int n = static_cast<int>(key.components.size());
    std::string sql = "SELECT _id FROM " + table_ + " WHERE " + equalityWhere(key, n, 1) + " AND _id <> $" +
                      std::to_string(n + 1) + "::bigint LIMIT 1";
    std::vector<Cell> values;
    captureTuple(static_cast<int>(k), &values);
    Params p;
    addKeyParams(p, static_cast<int>(k), values);
    p.add(buffer_.recordId());
    Result<Rows> r = conn_.run(sql, p, "chave duplicada");
    if (!r) return r.status();
    if (r->size() > 0) {
      duplicatedKey_ = static_cast<int>(k);
      return makeStatus(StatusCode::kDuplicateKey, key.name);
    }
  }
  return makeStatus(StatusCode::kDuplicateKey, def_.label);
}

Status PgTable::syncNumbers() {
  if (!numbersBehind_) return Status::ok();
  // Records added with their own numbers: the next number follows them.
  Status s = conn_
                 .run("SELECT setval(pg_get_serial_sequence(" + quoteText(table_) + ", '_id'), (SELECT max(_id) FROM " +
                          table_ + "))",
                      "numeração")
                 .status();
  if (s) numbersBehind_ = false;
  return s;
}

Status PgTable::insertRow(int64_t id) {
  if (id == 0) {
    if (Status s = syncNumbers(); !s) return s;
  }
  std::string cols = "_stamp, _check", vals = "1, $1";
  Params p;
  p.add(recordCheck(def_, buffer_.cells(), 1));  // 1: the stamp of a new record
  if (id != 0) {
    cols = "_id, " + cols;
    vals = "$2, " + vals;
    p.add(id);
  }
  for (size_t i = 0; i < cols_.size(); ++i) {
    cols += ", " + cols_[i];
    vals += ", $" + std::to_string(p.size() + 1 + static_cast<int>(i));
  }
  for (const auto& f : def_.fields)
    for (int e = 0; e < f.dim; ++e) p.add(cellParam(f, buffer_.cells()[f.column + e]));
  // A clash adds nothing and is no error of the transaction: a bulk run
  // goes on after a duplicate, as it does on the files.
  Result<Rows> r = conn_.run("INSERT INTO " + table_ + "(" + cols + ") VALUES (" + vals +
                                 ") ON CONFLICT DO NOTHING RETURNING _id",
                             p, "inclusão");
  if (!r) return r.status();
  dropChunk();
  int64_t added = 0;
  if (r->size() != 1 || !r->integer(0, 0, &added)) {
    buffer_.setRecordId(id);  // a new record: any other holder of its values is the clash
    return findDuplicate();
  }
  buffer_.setRecordId(added);
  buffer_.setStamp(1);
  buffer_.markClean();
  if (id != 0) {
    numbersBehind_ = true;
    if (!bulk_) return syncNumbers();
  }
  return Status::ok();
}

Status PgTable::appendNumbered(int64_t id) {
  if (Status s = ensureWritable(); !s) return s;
  duplicatedKey_ = -1;
  if (id <= 0) return Status(StatusCode::kInvalidArgument, "Número de registro inválido", std::to_string(id));
  return insertRow(id);
}

Status PgTable::nextNumber(int key) {
  const KeyDef& k = def_.keys[key];
  const int numbered = k.autoNumber - 1;
  if (numbered < 0 || numbered >= static_cast<int>(k.components.size())) return Status::ok();
  const FieldDef& nf = def_.fields[k.components[numbered].field];
  std::string sql = "SELECT max(" + cols_[nf.column] + ") FROM " + table_;
  std::string where = equalityWhere(k, numbered, 1);
  if (!where.empty()) sql += " WHERE " + where;
  std::vector<Cell> values;
  captureTuple(key, &values);
  values.resize(numbered);
  Params p;
  addKeyParams(p, key, values);
  Result<Rows> r = conn_.run(sql, p, "numeração automática");
  if (!r) return r.status();
  int64_t top = 0;
  if (r->size() == 1 && !r->isNull(0, 0) && !r->integer(0, 0, &top))
    return Status(StatusCode::kIoError, "numeração automática sem resultado", path_);
  // "One more" is one whole unit, also for a decimal numbered field.
  const int64_t one = nf.isDecimal() ? pow10i(nf.typeSpec.places) : 1;
  if (top > nf.maxValue() - one)
    return Status(StatusCode::kOutOfRange, "Numeração automática esgotou o limite do campo", nf.name);
  if (nf.isDecimal()) {
    int64_t whole = top - top % one;
    return buffer_.setDecimal(k.components[numbered].field, Decimal::fromUnits(whole + one, nf.typeSpec.places));
  }
  return buffer_.setInt(k.components[numbered].field, top + 1);
}

Status PgTable::insert() {
  if (Status s = ensureWritable(); !s) return s;
  duplicatedKey_ = -1;
  bool numbered = false;
  for (const auto& k : def_.keys) numbered = numbered || k.autoNumber > 0;
  if (!numbered) return insertRow();
  Status s;
  for (int attempt = 0; attempt < 3; ++attempt) {
    // The file's numbering lock is held from the look-up of the highest
    // number to the commit, so the number taken is ours on every
    // workstation; in bulk mode, until the bulk run ends.
    const bool own = !bulk_;
    if (own && !(s = conn_.exec("BEGIN", "inclusão"))) return s;
    if (own || !numberingLocked_) {
      Result<Rows> r =
          conn_.run("SELECT pg_advisory_xact_lock($1::int, -1)", Params().add(int64_t{file_.id}), "numeração automática");
      s = r.status();
      if (s && !own) numberingLocked_ = true;
    }
    for (size_t k = 0; k < def_.keys.size() && s; ++k)
      if (def_.keys[k].autoNumber > 0) s = nextNumber(static_cast<int>(k));
    if (s) s = insertRow();
    if (own) {
      if (s) s = conn_.commit("inclusão");
      if (!s && conn_.inTransaction()) (void)conn_.exec("ROLLBACK", "inclusão");
      if (!s && !s.is(StatusCode::kDuplicateKey)) buffer_.setRecordId(0);
    }
    if (s || !s.is(StatusCode::kDuplicateKey)) return s;
    const KeyDef* dup = duplicatedKey_ >= 0 ? &def_.keys[duplicatedKey_] : nullptr;
    if (dup && dup->autoNumber == 0) return s;  // a real duplicate, not the number
  }
  return Status(StatusCode::kAutoNumberFailed, defaultMessage(StatusCode::kAutoNumberFailed), def_.label);
}

Status PgTable::append() {
  if (Status s = ensureWritable(); !s) return s;
  duplicatedKey_ = -1;
  return insertRow();
}

Status PgTable::staleOutcome() {
  Result<Rows> r = conn_.run("SELECT _stamp FROM " + table_ + " WHERE _id = $1", Params().add(buffer_.recordId()),
                             "alteração");
  if (!r) return r.status();
  return makeStatus(r->size() > 0 ? StatusCode::kChangedByOther : StatusCode::kDeletedByOther, def_.label);
}

Status PgTable::inSavepoint(bool wanted, const std::function<Status()>& write) {
  if (!wanted) return write();
  if (Status s = conn_.exec("SAVEPOINT vorlam_write", "gravação"); !s) return s;
  Status s = write();
  if (s) return conn_.exec("RELEASE SAVEPOINT vorlam_write", "gravação");
  if (conn_.lastFailure() != Failure::kConnectionLost)
    (void)conn_.exec("ROLLBACK TO SAVEPOINT vorlam_write; RELEASE SAVEPOINT vorlam_write", "gravação");
  return s;
}

Status PgTable::update() {
  if (Status s = ensureWritable(); !s) return s;
  duplicatedKey_ = -1;
  if (buffer_.recordId() == 0) return Status(StatusCode::kInvalidArgument, "Nenhum registro lido para alterar");
  // Only the columns changed since the read are written.
  const std::vector<char>& dirty = buffer_.dirtyColumns();
  std::string set = "_stamp = _stamp + 1, _check = $1";
  Params p;
  p.add(recordCheck(def_, buffer_.cells(), buffer_.stamp() + 1));
  for (const auto& f : def_.fields)
    for (int e = 0; e < f.dim; ++e)
      if (dirty[f.column + e]) {
        p.add(cellParam(f, buffer_.cells()[f.column + e]));
        set += ", " + cols_[f.column + e] + " = $" + std::to_string(p.size());
      }
  p.add(buffer_.recordId()).add(buffer_.stamp());
  const std::string sql = "UPDATE " + table_ + " SET " + set + " WHERE _id = $" + std::to_string(p.size() - 1) +
                          " AND _stamp = $" + std::to_string(p.size());
  // A change of a unique key's values may clash: inside a bulk run it goes
  // under a savepoint, so that the clash undoes this write only.
  bool uniqueTouched = false;
  for (const auto& k : def_.keys)
    for (const auto& c : k.components)
      uniqueTouched = uniqueTouched || (k.unique && !k.dynamic && dirty[def_.fields[c.field].column]);
  // A change of the walk key's values may move the record within the walk;
  // the chunk read ahead is dropped (the position stays at the old values).
  if (walkKey_ != kFileOrder) {
    std::vector<Cell> now;
    captureTuple(walkKey_, &now);
    bool same = now.size() == tuple_.size();
    for (size_t i = 0; same && i < now.size(); ++i) same = now[i].i == tuple_[i].i && now[i].s == tuple_[i].s;
    if (!same) dropChunk();
  }
  int64_t changed = 0;
  // The clash is noted before the savepoint is rolled back: that statement
  // clears the connection's last failure.
  Failure failure = Failure::kNone;
  std::string constraint;
  Status s = inSavepoint(bulk_ && uniqueTouched, [&]() -> Status {
    Result<Rows> r = conn_.run(sql, p, "alteração");
    if (r) changed = r->affected();
    failure = conn_.lastFailure();
    constraint = conn_.lastConstraint();
    return r.status();
  });
  if (!s) {
    if (failure != Failure::kUniqueViolation) return s;
    duplicatedKey_ = keyOfIndex(file_.id, constraint);
    if (duplicatedKey_ < 0 || duplicatedKey_ >= static_cast<int>(def_.keys.size())) return findDuplicate();
    return makeStatus(StatusCode::kDuplicateKey, def_.keys[duplicatedKey_].name);
  }
  if (changed == 1) {
    buffer_.setStamp(buffer_.stamp() + 1);
    buffer_.markClean();
    return Status::ok();
  }
  return staleOutcome();
}

Status PgTable::erase() {
  if (Status s = ensureWritable(); !s) return s;
  if (buffer_.recordId() == 0) return Status(StatusCode::kInvalidArgument, "Nenhum registro lido para excluir");
  dropChunk();
  Result<Rows> r = conn_.run("DELETE FROM " + table_ + " WHERE _id = $1 AND _stamp = $2",
                             Params().add(buffer_.recordId()).add(buffer_.stamp()), "exclusão");
  if (!r) return r.status();
  if (r->affected() == 1) return Status::ok();
  return staleOutcome();
}

Status PgTable::beginBulk() {
  if (Status s = ensureWritable(); !s) return s;
  if (bulk_) return Status::ok();
  Status s = conn_.exec("BEGIN", "gravação em lote");
  bulk_ = s.isOk();
  numberingLocked_ = false;
  return s;
}

Status PgTable::flush() {
  if (!bulk_) return Status::ok();
  Status s = syncNumbers();
  if (s) s = conn_.commit("gravação em lote");
  // A transaction the server undid is over as well: the run ends with its
  // failure.
  bulk_ = conn_.inTransaction();
  numberingLocked_ = numberingLocked_ && bulk_;
  if (!s) dropChunk();
  return s;
}

Status PgTable::rollbackBulk() {
  if (!bulk_) return Status::ok();
  dropChunk();
  numbersBehind_ = false;
  bulk_ = false;
  numberingLocked_ = false;
  return conn_.exec("ROLLBACK", "gravação em lote");
}

}  // namespace vorlam::pg
