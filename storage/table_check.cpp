// Record checks of an open table: preparing them on open (files written
// before records carried check values get them), the full check of a file,
// and the clean-up of an interrupted rebuild.

#include "storage/platform.h"
#include "storage/schema.h"
#include "storage/table.h"
#include "storage/table_impl.h"

namespace vorlam {

namespace table_detail {

void removeLeftoverRebuild(const std::string& path) {
  // The rebuild writes the whole copy before it renames it over the file,
  // so a copy still there never replaced anything: the file is intact and
  // the copy is dropped.
  const std::string tmp = path + ".new";
  if (!fileExists(tmp)) return;
  (void)platform::removeFile(tmp);
  removeSidecars(tmp);
}

}  // namespace table_detail

bool Table::hasRecordChecks() const { return impl_->server || impl_->verify; }

Status Table::prepareChecks() {
  Impl& im = *impl_;
  bool hasCheck = false, triggers = false;
  if (Status s = schema::checkColumns(im.db, *def_, &hasCheck); !s) return s;
  // A file whose records have check values is always verified: the column
  // is added with every value in one transaction, so nothing stored beside
  // it (which damage could change too) decides whether to trust a record.
  im.verify = hasCheck;
  if (im.mode == OpenMode::kReadOnly) return Status::ok();
  if (hasCheck) {
    if (Status s = schema::hasCheckTriggers(im.db, &triggers); !s || triggers) return s;
  }
  // Written before records carried check values (or its triggers are gone):
  // complete it now, inside the write lock, unless another workstation got
  // there first.  Existing check values are never recomputed: that would
  // make damaged records look sound.
  Status s = sqlite::exec(im.db, "BEGIN IMMEDIATE");
  if (s) s = schema::checkColumns(im.db, *def_, &hasCheck);
  if (s && !hasCheck) s = schema::addChecks(im.db, *def_);
  else if (s) s = schema::createChecks(im.db, *def_);
  if (s) s = sqlite::exec(im.db, "COMMIT");
  else sqlite::exec(im.db, "ROLLBACK");
  if (s) im.verify = true;
  return s;
}

Status Table::verifyFile(int64_t* records, const Progress& progress) {
  if (!isOpen()) return makeStatus(StatusCode::kNotOpen, def_->label);
  if (records) *records = 0;
  std::string report;
  if (Status s = integrityCheck(&report); !s) {
    if (!s.is(StatusCode::kCorrupt)) return s;
    size_t nl = report.find('\n');
    return Status(StatusCode::kCorrupt, s.message(), path_ + ": " + report.substr(0, nl));
  }
  Result<int64_t> total = count();
  if (!total) return total.status();
  if (Status s = seekStart(kFileOrder); !s) return s;
  int64_t n = 0;
  for (;;) {
    Status s = next();
    if (s.is(StatusCode::kNotFound)) break;
    if (!s) return s;
    ++n;
    if (progress && n % 4096 == 0) progress(-1, n, *total);
  }
  if (progress) progress(-1, n, *total);
  if (records) *records = n;
  if (n != *total)
    return Status(StatusCode::kCorrupt, defaultMessage(StatusCode::kCorrupt),
                  path_ + ": " + std::to_string(n) + " registros lidos de " + std::to_string(*total));
  return Status::ok();
}

}  // namespace vorlam
