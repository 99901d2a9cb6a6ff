// Deferred writes of a bulk run on a file opened exclusively: rows are
// gathered into one statement per kind of write (pg_arrays.h) and sent
// without waiting for the answer.

#include <algorithm>

#include "storage/postgres/pg_arrays.h"
#include "storage/postgres/pg_table.h"
#include "storage/row_check.h"

namespace vorlam::pg {

namespace {

constexpr int kBatchRows = 1000;
constexpr size_t kBatchBytes = 4 << 20;

}  // namespace

void PgTable::dropBatch() { batch_ = Batch(); }

Status PgTable::takeNumber(int64_t* id) {
  if (nextId_ == 0) {
    // Past the sequence's numbers and past every record, also the ones
    // added with their own numbers earlier in the run.
    Result<Rows> r = conn_.run("SELECT greatest(nextval(pg_get_serial_sequence(" + quoteText(table_) +
                                   ", '_id')), (SELECT coalesce(max(_id), 0) + 1 FROM " + table_ + "))",
                               "numeração");
    if (!r) return r.status();
    if (!r->integer(0, 0, &nextId_) || nextId_ <= 0)
      return Status(StatusCode::kIoError, "numeração sem resultado", path_);
  }
  *id = nextId_++;
  return Status::ok();
}

Status PgTable::queueInsert(int64_t id) {
  if (!conn_.refusal()) return conn_.refusal();
  if (batch_.kind != Batch::Kind::kInsert) {
    if (Status s = sendBatch(); !s) return s;
  }
  if (id == 0) {
    if (Status s = takeNumber(&id); !s) return s;
  } else if (nextId_ != 0) {
    nextId_ = std::max(nextId_, id + 1);
  }
  if (batch_.ids.count(id)) {
    // The number twice: the server must refuse the second as it would the
    // first, so the two go in separate statements.
    if (Status s = sendBatch(); !s) return s;
  }
  batch_.kind = Batch::Kind::kInsert;
  batch_.arrays.resize(2 + cols_.size());
  appendArrayElement(&batch_.arrays[0], std::to_string(id), false);
  appendArrayElement(&batch_.arrays[1], std::to_string(recordCheck(def_, buffer_.cells(), 1)), false);
  for (const auto& f : def_.fields)
    for (int e = 0; e < f.dim; ++e) {
      const std::string value = cellParam(f, buffer_.cells()[f.column + e]);
      batch_.bytes += value.size() + 4;
      appendArrayElement(&batch_.arrays[2 + f.column + e], value, f.isText());
    }
  batch_.ids.insert(id);
  batch_.bytes += 48;
  ++batch_.rows;
  buffer_.setRecordId(id);
  buffer_.setStamp(1);
  buffer_.markClean();
  numbersBehind_ = true;  // the sequence follows the records at flush()
  dropChunk();
  if (batch_.rows >= kBatchRows || batch_.bytes >= kBatchBytes) return sendBatch();
  return Status::ok();
}

Status PgTable::queueUpdate(const std::vector<char>& dirty) {
  if (!conn_.refusal()) return conn_.refusal();
  const int64_t id = buffer_.recordId();
  if (batch_.kind != Batch::Kind::kUpdate || batch_.dirty != dirty || batch_.ids.count(id)) {
    if (Status s = sendBatch(); !s) return s;
  }
  if (batch_.kind == Batch::Kind::kNone) {
    batch_.kind = Batch::Kind::kUpdate;
    batch_.dirty = dirty;
    batch_.arrays.assign(3 + std::count(dirty.begin(), dirty.end(), 1), std::string());
  }
  const int64_t stamp = buffer_.stamp();
  appendArrayElement(&batch_.arrays[0], std::to_string(id), false);
  appendArrayElement(&batch_.arrays[1], std::to_string(stamp), false);
  appendArrayElement(&batch_.arrays[2], std::to_string(recordCheck(def_, buffer_.cells(), stamp + 1)), false);
  size_t a = 3;
  for (const auto& f : def_.fields)
    for (int e = 0; e < f.dim; ++e)
      if (dirty[f.column + e]) {
        const std::string value = cellParam(f, buffer_.cells()[f.column + e]);
        batch_.bytes += value.size() + 4;
        appendArrayElement(&batch_.arrays[a++], value, f.isText());
      }
  batch_.ids.insert(id);
  batch_.bytes += 48;
  ++batch_.rows;
  // Written as far as this run can tell: a refusal fails the run later.
  buffer_.setStamp(stamp + 1);
  buffer_.markClean();
  if (batch_.rows >= kBatchRows || batch_.bytes >= kBatchBytes) return sendBatch();
  return Status::ok();
}

Status PgTable::sendBatch() {
  if (batch_.kind == Batch::Kind::kNone) return Status::ok();
  Batch b = std::move(batch_);
  batch_ = Batch();
  std::vector<const char*> types;
  std::string sql;
  if (b.kind == Batch::Kind::kInsert) {
    types = {"bigint", "bigint"};
    std::string cols = "_id, _check";
    for (const auto& f : def_.fields)
      for (int e = 0; e < f.dim; ++e) {
        types.push_back(f.isText() ? "text" : "bigint");
        cols += ", " + cols_[f.column + e];
      }
    sql = "INSERT INTO " + table_ + " (" + cols + ") SELECT * FROM " + unnestRows(types);
  } else {
    types = {"bigint", "bigint", "bigint"};
    std::string set = "_stamp = r._stamp + 1, _check = v.a2";
    for (const auto& f : def_.fields)
      for (int e = 0; e < f.dim; ++e)
        if (b.dirty[f.column + e]) {
          set += ", " + cols_[f.column + e] + " = v.a" + std::to_string(types.size());
          types.push_back(f.isText() ? "text" : "bigint");
        }
    sql = "UPDATE " + table_ + " AS r SET " + set + " FROM " + unnestRows(types) +
          " WHERE r._id = v.a0 AND r._stamp = v.a1";
  }
  Params p;
  for (std::string& array : b.arrays) p.add(std::move(array) + "}");
  return conn_.send(sql, p, b.rows, b.kind == Batch::Kind::kInsert ? "inclusão" : "alteração");
}

void PgTable::endFailedBulk() {
  // The refused write may have left the transaction running (a count of
  // rows that did not match): it is undone all the same.
  dropBatch();
  dropChunk();
  conn_.discardDeferred();
  if (conn_.inTransaction()) (void)conn_.exec("ROLLBACK", "gravação em lote");
  bulk_ = false;
  numberingLocked_ = false;
  numbersBehind_ = false;
  nextId_ = 0;
}

}  // namespace vorlam::pg
