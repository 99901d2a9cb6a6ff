#include <ctime>

#include "storage/platform.h"
#include "storage/schema.h"
#include "storage/table.h"
#include "storage/table_impl.h"

namespace vorlam {

using table_detail::createFile;
using table_detail::removeSidecars;

namespace {

std::string holderName() { return platform::hostName() + ":" + std::to_string(platform::processId()); }

}  // namespace

// --- maintenance ----------------------------------------------------------

Status Table::rebuildKeys(const Progress& progress) {
  if (impl_->server) return impl_->server->rebuildKeys(progress);
  if (Status s = ensureWritable(); !s) return s;
  Result<int64_t> n = count();
  int64_t total = n ? n.value() : 0;
  for (size_t k = 0; k < def_->keys.size(); ++k) {
    const KeyDef& key = def_->keys[k];
    if (key.dynamic || key.components.empty()) continue;
    if (progress) progress(static_cast<int>(k), 0, total);
    std::string name = sqlite::quoteIdent("k" + std::to_string(k) + "_" + [&] {
      std::string u = key.name;
      for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      return u;
    }());
    if (Status s = sqlite::exec(impl_->db, "REINDEX " + name); !s) return s;
    if (progress) progress(static_cast<int>(k), total, total);
  }
  return Status::ok();
}

Status Table::pack() {
  if (impl_->server) return impl_->server->pack();
  if (Status s = ensureWritable(); !s) return s;
  if (bulk_) return Status(StatusCode::kInvalidArgument, "Arquivo em modo de gravação em lote");
  impl_->resetWalk();
  return sqlite::exec(impl_->db, "VACUUM");
}

Status Table::integrityCheck(std::string* report) {
  if (impl_->server) return impl_->server->integrityCheck(report);
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Statement st;
  st.prepare(impl_->db, "PRAGMA integrity_check(20)");
  std::string text;
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    const unsigned char* t = sqlite3_column_text(st.get(), 0);
    if (!text.empty()) text += "\n";
    text += t ? reinterpret_cast<const char*>(t) : "";
  }
  if (report) *report = text;
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, impl_->db, "verificação");
  return text == "ok" ? Status::ok() : Status(StatusCode::kCorrupt, "Arquivo danificado", text);
}

Status Table::hold() {
  if (impl_->server) return impl_->server->hold();
  if (Status s = ensureWritable(); !s) return s;
  if (buffer_.recordId() == 0) return Status(StatusCode::kInvalidArgument, "Nenhum registro lido");
  // The lock is the hold; the row only says who holds it, for the list of
  // held records.
  if (Status s = impl_->lock.holdRecord(buffer_.recordId()); !s) return Status(s.code(), s.message(), def_->label);
  Statement st;
  st.prepare(impl_->db, "INSERT OR REPLACE INTO _holds(id, holder, since) VALUES (?1, ?2, ?3)");
  std::string who = holderName();
  sqlite3_bind_int64(st.get(), 1, buffer_.recordId());
  sqlite3_bind_text(st.get(), 2, who.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int64(st.get(), 3, static_cast<int64_t>(std::time(nullptr)));
  int rc = sqlite3_step(st.get());
  if (rc == SQLITE_DONE) return Status::ok();
  impl_->lock.releaseRecord(buffer_.recordId());
  return sqlite::toStatus(rc, impl_->db, "reserva");
}

Status Table::unhold() {
  if (impl_->server) return impl_->server->unhold();
  if (Status s = ensureWritable(); !s) return s;
  impl_->lock.releaseRecord(buffer_.recordId());
  Statement st;
  st.prepare(impl_->db, "DELETE FROM _holds WHERE id = ?1");
  sqlite3_bind_int64(st.get(), 1, buffer_.recordId());
  int rc = sqlite3_step(st.get());
  return rc == SQLITE_DONE ? Status::ok() : sqlite::toStatus(rc, impl_->db, "reserva");
}

Result<std::vector<int64_t>> Table::heldRecords() {
  if (impl_->server) return impl_->server->heldRecords();
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Statement st;
  st.prepare(impl_->db, "SELECT id FROM _holds ORDER BY id");
  std::vector<int64_t> ids;
  int rc;
  // A row whose lock is gone was left by a holder that died.
  const bool locked = impl_->lock.held();
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    int64_t id = sqlite3_column_int64(st.get(), 0);
    if (!locked || impl_->lock.recordHeld(id)) ids.push_back(id);
  }
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, impl_->db, "reservas");
  return ids;
}

Status Table::releaseHolds() {
  if (impl_->server) return impl_->server->releaseHolds();
  if (Status s = ensureWritable(); !s) return s;
  impl_->lock.releaseRecords();
  return sqlite::exec(impl_->db, "DELETE FROM _holds");
}

Status Table::copyTo(const std::string& target) {
  if (impl_->server) return impl_->server->copyTo(target);
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (fileExists(target)) return Status(StatusCode::kInvalidArgument, "O arquivo de destino já existe", target);
  if (bulk_) return Status(StatusCode::kInvalidArgument, "Arquivo em modo de gravação em lote");
  impl_->resetWalk();
  if (isServerLocation(target)) return copyToServer(target);
  sqlite::exec(impl_->db, "PRAGMA wal_checkpoint(PASSIVE)");
  sqlite3* fresh = nullptr;
  Status s = createFile(*def_, target, impl_->journal, &fresh);
  if (s) s = schema::copyRecords(fresh, *def_, path_, schema::layoutSignature(*def_));
  if (fresh) sqlite3_close_v2(fresh);
  if (!s) {
    (void)platform::removeFile(target);
    removeSidecars(target);
  }
  return s;
}

Result<int64_t> Table::storedBytes() {
  if (impl_->server) return impl_->server->storedBytes();
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Statement st;
  int rc = st.prepare(impl_->db, "SELECT c.page_count * s.page_size FROM pragma_page_count() AS c, pragma_page_size() AS s");
  if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW) return sqlite::toStatus(rc, impl_->db, "tamanho");
  return static_cast<int64_t>(sqlite3_column_int64(st.get(), 0));
}

Result<int64_t> Table::lastNumber() {
  if (impl_->server) return impl_->server->lastNumber();
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Statement st;
  int rc = st.prepare(impl_->db, "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'records'), 0), "
                                 "coalesce((SELECT max(_id) FROM records), 0))");
  if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
  if (rc != SQLITE_ROW) return sqlite::toStatus(rc, impl_->db, "numeração");
  return static_cast<int64_t>(sqlite3_column_int64(st.get(), 0));
}

Status Table::keepNumbersAbove(int64_t last) {
  if (impl_->server) return impl_->server->keepNumbersAbove(last);
  if (Status s = ensureWritable(); !s) return s;
  Result<int64_t> now = lastNumber();
  if (!now || *now >= last) return now.status();
  Statement st;
  int rc = st.prepare(impl_->db, "DELETE FROM sqlite_sequence WHERE name = 'records'");
  if (rc == SQLITE_OK) rc = sqlite3_step(st.get());
  if (rc == SQLITE_DONE) rc = st.prepare(impl_->db, "INSERT INTO sqlite_sequence(name, seq) VALUES ('records', ?1)");
  if (rc == SQLITE_OK) {
    sqlite3_bind_int64(st.get(), 1, last);
    rc = sqlite3_step(st.get());
  }
  return rc == SQLITE_DONE ? Status::ok() : sqlite::toStatus(rc, impl_->db, "numeração");
}

Status Table::copyToServer(const std::string& target) {
  // Record by record through a table of the target, in one transaction
  // there; every record is verified as it is read.
  Table copy(def_);
  Status s = copy.open(target, OpenMode::kExclusive);
  if (!s) return s;
  Result<Properties> props = properties();
  s = props ? copy.beginBulk() : props.status();
  for (size_t i = 0; s && i < props->size(); ++i) s = copy.setProperty((*props)[i].first, (*props)[i].second);
  Statement st;
  int rc = SQLITE_OK;
  if (s) {
    rc = st.prepare(impl_->db, "SELECT " + impl_->selectList + " FROM records ORDER BY _id");
    if (rc != SQLITE_OK) s = sqlite::toStatus(rc, impl_->db, "copiar arquivo");
  }
  const Record saved = buffer_;
  while (s && (rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    s = readRow(st.get());
    copy.buffer().cells() = buffer_.cells();
    if (s) s = copy.appendNumbered(buffer_.recordId());
  }
  buffer_ = saved;
  if (s && rc != SQLITE_DONE) s = sqlite::toStatus(rc, impl_->db, "copiar arquivo");
  if (s) s = copy.flush();
  Result<int64_t> last = s ? lastNumber() : Result<int64_t>(s);
  s = last ? copy.keepNumbersAbove(*last) : last.status();
  if (!s && copy.inBulk()) (void)copy.rollbackBulk();
  copy.close();
  if (!s) (void)removeServerFiles(target);
  return s;
}

Status Table::rebuildFile() {
  if (impl_->server) return impl_->server->rebuildFile();
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (impl_->mode != OpenMode::kExclusive)
    return Status(StatusCode::kAccessDenied, "A cópia do arquivo exige acesso exclusivo", path_);
  impl_->resetWalk();
  return upgradeInPlace(schema::layoutSignature(*def_));
}

Status Table::setProperty(const std::string& name, const std::string& value) {
  if (impl_->server) return impl_->server->setProperty(name, value);
  if (Status s = ensureWritable(); !s) return s;
  Statement st;
  st.prepare(impl_->db, "INSERT OR REPLACE INTO _layout(name, value) VALUES (?1, ?2)");
  std::string key = "prop:" + name;
  sqlite3_bind_text(st.get(), 1, key.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st.get(), 2, value.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(st.get());
  return rc == SQLITE_DONE ? Status::ok() : sqlite::toStatus(rc, impl_->db, "propriedade");
}

Result<std::string> Table::property(const std::string& name) {
  if (impl_->server) return impl_->server->property(name);
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Statement st;
  st.prepare(impl_->db, "SELECT value FROM _layout WHERE name = ?1");
  std::string key = "prop:" + name;
  sqlite3_bind_text(st.get(), 1, key.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(st.get());
  if (rc == SQLITE_ROW) {
    const unsigned char* v = sqlite3_column_text(st.get(), 0);
    return std::string(v ? reinterpret_cast<const char*>(v) : "");
  }
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, impl_->db, "propriedade");
  return std::string();
}

Result<Table::Properties> Table::properties() {
  if (impl_->server) return impl_->server->properties();
  if (!impl_->db) return makeStatus(StatusCode::kNotOpen, def_->label);
  Statement st;
  st.prepare(impl_->db, "SELECT substr(name, 6), value FROM _layout WHERE substr(name, 1, 5) = 'prop:' ORDER BY name");
  Properties out;
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    const unsigned char* n = sqlite3_column_text(st.get(), 0);
    const unsigned char* v = sqlite3_column_text(st.get(), 1);
    out.emplace_back(n ? reinterpret_cast<const char*>(n) : "", v ? reinterpret_cast<const char*>(v) : "");
  }
  if (rc != SQLITE_DONE) return sqlite::toStatus(rc, impl_->db, "propriedades");
  return out;
}

}  // namespace vorlam
