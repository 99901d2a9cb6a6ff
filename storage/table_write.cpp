#include "storage/row_check.h"
#include "storage/schema.h"
#include "storage/table.h"
#include "storage/table_impl.h"
#include "storage/text.h"

namespace vorlam {

using table_detail::bindCell;

// --- writing --------------------------------------------------------------

Status Table::serverWrite(Status (TableBackend::*op)()) {
  TableBackend& server = *impl_->server;
  Status s = (server.*op)();
  duplicatedKey_ = server.duplicatedKey();
  bulk_ = server.inBulk();
  return s;
}

Status Table::writeFailure(int rc, const char* what) {
  Impl& im = *impl_;
  if ((rc & 0xFF) != SQLITE_CONSTRAINT) return sqlite::toStatus(rc, im.db, what);
  // Find which unique key the record clashes with, for the message.
  for (size_t k = 0; k < def_->keys.size(); ++k) {
    const KeyDef& key = def_->keys[k];
    if (!key.unique || key.dynamic || key.components.empty()) continue;
    if (key.excludeEmpty && buffer_.keyIsEmpty(key)) continue;
    std::string where;
    int i = 1;
    for (const auto& c : key.components) {
      if (!where.empty()) where += " AND ";
      where += im.cols[def_->fields[c.field].column] + " = ?" + std::to_string(i++);
    }
    Statement st;
    st.prepare(im.db, "SELECT _id FROM records WHERE " + where + " AND _id <> ?" + std::to_string(i) + " LIMIT 1");
    std::vector<Cell> values;
    captureTuple(static_cast<int>(k), &values);
    bindKeyValues(st.get(), static_cast<int>(k), values, 1);
    sqlite3_bind_int64(st.get(), i, buffer_.recordId());
    if (sqlite3_step(st.get()) == SQLITE_ROW) {
      duplicatedKey_ = static_cast<int>(k);
      return makeStatus(StatusCode::kDuplicateKey, key.name);
    }
  }
  return makeStatus(StatusCode::kDuplicateKey, sqlite3_errmsg(im.db));
}

int64_t Table::rowCheck(int64_t stamp) const { return recordCheck(*def_, buffer_.cells(), stamp); }

Status Table::insertRow() {
  Impl& im = *impl_;
  if (!im.insert.valid()) {
    std::string cols = "_stamp, _check", vals = "1, ?" + std::to_string(im.cols.size() + 1);
    for (size_t i = 0; i < im.cols.size(); ++i) {
      cols += ", " + im.cols[i];
      vals += ", ?" + std::to_string(i + 1);
    }
    int rc = im.insert.prepare(im.db, "INSERT INTO records(" + cols + ") VALUES (" + vals + ")");
    if (rc != SQLITE_OK) return sqlite::toStatus(rc, im.db, "preparar inclusão");
  }
  sqlite3_stmt* st = im.insert.get();
  int idx = 1;
  for (const auto& f : def_->fields)
    for (int e = 0; e < f.dim; ++e) bindCell(st, idx++, f, buffer_.cells()[f.column + e]);
  sqlite3_bind_int64(st, idx, rowCheck(1));  // 1: the stamp of a new record
  int rc = sqlite3_step(st);
  im.insert.reset();
  if (rc != SQLITE_DONE) {
    buffer_.setRecordId(0);  // the record is new: any holder of its values is the clash
    return writeFailure(rc, "inclusão");
  }
  buffer_.setRecordId(sqlite3_last_insert_rowid(im.db));
  buffer_.setStamp(1);
  buffer_.markClean();
  return Status::ok();
}

Status Table::nextNumber(int key) {
  Impl& im = *impl_;
  const KeyDef& k = def_->keys[key];
  int numbered = k.autoNumber - 1;
  if (numbered < 0 || numbered >= static_cast<int>(k.components.size())) return Status::ok();
  Statement& st = im.orders[key + 1].maxInGroup;
  const FieldDef& nf = def_->fields[k.components[numbered].field];
  if (!st.valid()) {
    std::string where;
    for (int i = 0; i < numbered; ++i) {
      if (!where.empty()) where += " AND ";
      where += im.cols[def_->fields[k.components[i].field].column] + " = ?" + std::to_string(i + 1);
    }
    std::string sql = "SELECT max(" + im.cols[nf.column] + ") FROM records";
    if (!where.empty()) sql += " WHERE " + where;
    int rc = st.prepare(im.db, sql);
    if (rc != SQLITE_OK) return sqlite::toStatus(rc, im.db, "preparar numeração");
  }
  st.reset();
  std::vector<Cell> values;
  captureTuple(key, &values);
  values.resize(numbered);
  bindKeyValues(st.get(), key, values, 1);
  int rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW) {
    st.reset();
    return sqlite::toStatus(rc, im.db, "numeração automática");
  }
  int64_t top = sqlite3_column_int64(st.get(), 0);
  st.reset();
  // "One more" is one whole unit, also for a decimal numbered field.
  const int64_t one = nf.isDecimal() ? pow10i(nf.typeSpec.places) : 1;
  if (top > nf.maxValue() - one)
    return Status(StatusCode::kOutOfRange, "Numeração automática esgotou o limite do campo", nf.name);
  if (nf.isDecimal()) {
    int64_t whole = top - top % one;  // numbers are whole; a fractional top counts from its whole part
    return buffer_.setDecimal(k.components[numbered].field, Decimal::fromUnits(whole + one, nf.typeSpec.places));
  }
  return buffer_.setInt(k.components[numbered].field, top + 1);
}

Status Table::insert() {
  if (impl_->server) return serverWrite(&TableBackend::insert);
  if (Status s = ensureWritable(); !s) return s;
  duplicatedKey_ = -1;
  bool numbered = false;
  for (const auto& k : def_->keys) numbered = numbered || k.autoNumber > 0;
  if (!numbered) return insertRow();
  Impl& im = *impl_;
  Status s;
  for (int attempt = 0; attempt < 3; ++attempt) {
    // The write lock is held from numbering to adding, so the number taken is
    // ours across every process; the retries only cover lost races with a
    // writer that does not take it.
    bool own = !bulk_;
    if (own) {
      s = sqlite::exec(im.db, "BEGIN IMMEDIATE");
      if (!s) return s;
    }
    s = Status::ok();
    for (size_t k = 0; k < def_->keys.size() && s; ++k)
      if (def_->keys[k].autoNumber > 0) s = nextNumber(static_cast<int>(k));
    if (s) s = insertRow();
    if (own) {
      if (s) s = sqlite::exec(im.db, "COMMIT");
      if (!s) sqlite::exec(im.db, "ROLLBACK");
    }
    if (s || !s.is(StatusCode::kDuplicateKey)) return s;
    const KeyDef* dup = duplicatedKey_ >= 0 ? &def_->keys[duplicatedKey_] : nullptr;
    if (dup && dup->autoNumber == 0) return s;  // a real duplicate, not the number
  }
  return Status(StatusCode::kAutoNumberFailed, defaultMessage(StatusCode::kAutoNumberFailed), def_->label);
}

Status Table::appendNumbered(int64_t id) {
  if (impl_->server) {
    Status s = impl_->server->appendNumbered(id);
    duplicatedKey_ = impl_->server->duplicatedKey();
    return s;
  }
  if (Status s = ensureWritable(); !s) return s;
  duplicatedKey_ = -1;
  if (id <= 0) return Status(StatusCode::kInvalidArgument, "Número de registro inválido", std::to_string(id));
  Impl& im = *impl_;
  if (!im.insertNumbered.valid()) {
    std::string cols = "_id, _stamp, _check", vals = "?1, 1, ?2";
    for (size_t i = 0; i < im.cols.size(); ++i) {
      cols += ", " + im.cols[i];
      vals += ", ?" + std::to_string(i + 3);
    }
    int rc = im.insertNumbered.prepare(im.db, "INSERT INTO records(" + cols + ") VALUES (" + vals + ")");
    if (rc != SQLITE_OK) return sqlite::toStatus(rc, im.db, "preparar inclusão");
  }
  sqlite3_stmt* st = im.insertNumbered.get();
  sqlite3_bind_int64(st, 1, id);
  sqlite3_bind_int64(st, 2, rowCheck(1));
  int idx = 3;
  for (const auto& f : def_->fields)
    for (int e = 0; e < f.dim; ++e) bindCell(st, idx++, f, buffer_.cells()[f.column + e]);
  int rc = sqlite3_step(st);
  im.insertNumbered.reset();
  buffer_.setRecordId(id);
  if (rc != SQLITE_DONE) return writeFailure(rc, "inclusão");
  buffer_.setStamp(1);
  buffer_.markClean();
  return Status::ok();
}

Status Table::append() {
  if (impl_->server) return serverWrite(&TableBackend::append);
  if (Status s = ensureWritable(); !s) return s;
  duplicatedKey_ = -1;
  return insertRow();
}

// Why a write guarded by the record's stamp touched nothing.
Status Table::staleOutcome() {
  Impl& im = *impl_;
  if (!im.stampOf.valid()) im.stampOf.prepare(im.db, "SELECT _stamp FROM records WHERE _id = ?1");
  im.stampOf.reset();
  sqlite3_bind_int64(im.stampOf.get(), 1, buffer_.recordId());
  bool exists = sqlite3_step(im.stampOf.get()) == SQLITE_ROW;
  im.stampOf.reset();
  return makeStatus(exists ? StatusCode::kChangedByOther : StatusCode::kDeletedByOther, def_->label);
}

Status Table::update() {
  if (impl_->server) return serverWrite(&TableBackend::update);
  if (Status s = ensureWritable(); !s) return s;
  Impl& im = *impl_;
  duplicatedKey_ = -1;
  if (buffer_.recordId() == 0) return Status(StatusCode::kInvalidArgument, "Nenhum registro lido para alterar");
  // Only the columns changed since the read are written, so that the keys
  // of untouched columns are not rewritten.
  const std::vector<char>& dirty = buffer_.dirtyColumns();
  std::string mask(dirty.begin(), dirty.end());
  Statement* upd = nullptr;
  for (auto& [m, st] : im.updates)
    if (m == mask) upd = &st;
  if (!upd) {
    if (im.updates.size() >= 16) im.updates.clear();
    std::string set = "_stamp = _stamp + 1, _check = ?1";
    int n = 1;
    for (size_t i = 0; i < im.cols.size(); ++i)
      if (dirty[i]) set += ", " + im.cols[i] + " = ?" + std::to_string(++n);
    im.updates.emplace_back(mask, Statement());
    upd = &im.updates.back().second;
    int rc = upd->prepare(im.db, "UPDATE records SET " + set + " WHERE _id = ?" + std::to_string(n + 1) +
                                     " AND _stamp = ?" + std::to_string(n + 2));
    if (rc != SQLITE_OK) {
      im.updates.pop_back();
      return sqlite::toStatus(rc, im.db, "preparar alteração");
    }
  }
  // A change of the walk key's values would let the pending walk statement
  // meet the record again; end it (the position stays at the old values).
  if (im.active && im.walkKey != kFileOrder) {
    std::vector<Cell> now;
    captureTuple(im.walkKey, &now);
    bool same = now.size() == im.tuple.size();
    for (size_t i = 0; same && i < now.size(); ++i) same = now[i].i == im.tuple[i].i && now[i].s == im.tuple[i].s;
    if (!same) im.resetWalk();
  }
  sqlite3_stmt* st = upd->get();
  // The row as it will be: the buffer holds the record as read (verified
  // against its check value then) with the changed columns on top, and the
  // stamp guard below makes sure the stored row is still the one read.
  sqlite3_bind_int64(st, 1, rowCheck(buffer_.stamp() + 1));
  int idx = 2;
  for (const auto& f : def_->fields)
    for (int e = 0; e < f.dim; ++e)
      if (dirty[f.column + e]) bindCell(st, idx++, f, buffer_.cells()[f.column + e]);
  sqlite3_bind_int64(st, idx++, buffer_.recordId());
  sqlite3_bind_int64(st, idx, buffer_.stamp());
  int rc = sqlite3_step(st);
  upd->reset();
  if (rc != SQLITE_DONE) return writeFailure(rc, "alteração");
  if (sqlite3_changes(im.db) == 1) {
    buffer_.setStamp(buffer_.stamp() + 1);
    buffer_.markClean();
    return Status::ok();
  }
  return staleOutcome();
}

Status Table::erase() {
  if (impl_->server) return serverWrite(&TableBackend::erase);
  if (Status s = ensureWritable(); !s) return s;
  Impl& im = *impl_;
  if (buffer_.recordId() == 0) return Status(StatusCode::kInvalidArgument, "Nenhum registro lido para excluir");
  if (!im.erase.valid()) im.erase.prepare(im.db, "DELETE FROM records WHERE _id = ?1 AND _stamp = ?2");
  im.resetWalk();
  im.erase.reset();
  sqlite3_bind_int64(im.erase.get(), 1, buffer_.recordId());
  sqlite3_bind_int64(im.erase.get(), 2, buffer_.stamp());
  int rc = sqlite3_step(im.erase.get());
  im.erase.reset();
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, im.db, "exclusão");
  if (sqlite3_changes(im.db) == 1) return Status::ok();
  return staleOutcome();
}

Status Table::beginBulk() {
  if (impl_->server) return serverWrite(&TableBackend::beginBulk);
  if (Status s = ensureWritable(); !s) return s;
  if (bulk_) return Status::ok();
  Status s = sqlite::exec(impl_->db, "BEGIN IMMEDIATE");
  bulk_ = s.isOk();
  return s;
}

Status Table::flush() {
  if (impl_->server) return serverWrite(&TableBackend::flush);
  if (!bulk_) return Status::ok();
  Status s = sqlite::exec(impl_->db, "COMMIT");
  if (s) bulk_ = false;
  return s;
}

Status Table::rollbackBulk() {
  if (impl_->server) return serverWrite(&TableBackend::rollbackBulk);
  if (!bulk_) return Status::ok();
  impl_->resetWalk();
  bulk_ = false;
  return sqlite::exec(impl_->db, "ROLLBACK");
}

}  // namespace vorlam
