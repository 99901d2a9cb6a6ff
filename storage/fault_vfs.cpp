#include "storage/fault_vfs.h"

#include <sqlite3.h>

#include <cstring>
#include <mutex>

namespace vorlam {

struct FaultVfs::Impl {
  sqlite3_vfs vfs{};
  sqlite3_vfs* real = nullptr;
  std::mutex mu;
  int64_t writes = 0, bytes = 0, syncs = 0, failures = 0;
  int64_t failWriteAt = 0;
  int failWriteCode = SQLITE_FULL;
  int64_t spaceLimit = -1;  // bytes that may still be written from spaceBase
  int64_t spaceBase = 0;
  int64_t failSyncAt = 0;
  bool failAllSyncs = false;
  std::string openFragment;
  Hook hook;

  void callHook(Op op, const char* path) {
    Hook h;
    {
      std::lock_guard<std::mutex> lock(mu);
      h = hook;
    }
    if (h) h(op, path ? path : "");
  }
  // The fault for a write of `amount` bytes, or SQLITE_OK (then counted).
  int decideWrite(int amount) {
    std::lock_guard<std::mutex> lock(mu);
    ++writes;
    int rc = SQLITE_OK;
    if (failWriteAt != 0 && writes == failWriteAt) rc = failWriteCode;
    else if (spaceLimit >= 0 && bytes - spaceBase + amount > spaceLimit) rc = SQLITE_FULL;
    if (rc != SQLITE_OK) ++failures;
    else bytes += amount;
    return rc;
  }
  int decideSync() {
    std::lock_guard<std::mutex> lock(mu);
    ++syncs;
    bool fail = failAllSyncs || (failSyncAt != 0 && syncs == failSyncAt);
    if (fail) ++failures;
    return fail ? SQLITE_IOERR_FSYNC : SQLITE_OK;
  }
  bool refuseOpen(const char* path) {
    std::lock_guard<std::mutex> lock(mu);
    bool refuse = path && !openFragment.empty() && std::strstr(path, openFragment.c_str());
    if (refuse) ++failures;
    return refuse;
  }
};

namespace {

using Impl = FaultVfs::Impl;

// Our file object; the wrapped layer's object follows it in memory.
struct FaultFile {
  sqlite3_file base;
  Impl* owner;
  const char* path;  // valid until close, as the library guarantees
};

sqlite3_file* inner(sqlite3_file* f) { return reinterpret_cast<sqlite3_file*>(reinterpret_cast<FaultFile*>(f) + 1); }
Impl* ownerOf(sqlite3_file* f) { return reinterpret_cast<FaultFile*>(f)->owner; }
Impl* ownerOf(sqlite3_vfs* v) { return static_cast<Impl*>(v->pAppData); }

int xClose(sqlite3_file* f) {
  sqlite3_file* r = inner(f);
  return r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
}
int xRead(sqlite3_file* f, void* buf, int amount, sqlite3_int64 offset) {
  return inner(f)->pMethods->xRead(inner(f), buf, amount, offset);
}
int xWrite(sqlite3_file* f, const void* buf, int amount, sqlite3_int64 offset) {
  Impl* o = ownerOf(f);
  o->callHook(FaultVfs::Op::kWrite, reinterpret_cast<FaultFile*>(f)->path);
  if (int rc = o->decideWrite(amount); rc != SQLITE_OK) return rc;
  return inner(f)->pMethods->xWrite(inner(f), buf, amount, offset);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 size) { return inner(f)->pMethods->xTruncate(inner(f), size); }
int xSync(sqlite3_file* f, int flags) {
  Impl* o = ownerOf(f);
  o->callHook(FaultVfs::Op::kSync, reinterpret_cast<FaultFile*>(f)->path);
  if (int rc = o->decideSync(); rc != SQLITE_OK) return rc;
  return inner(f)->pMethods->xSync(inner(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size) { return inner(f)->pMethods->xFileSize(inner(f), size); }
int xLock(sqlite3_file* f, int level) { return inner(f)->pMethods->xLock(inner(f), level); }
int xUnlock(sqlite3_file* f, int level) { return inner(f)->pMethods->xUnlock(inner(f), level); }
int xCheckReservedLock(sqlite3_file* f, int* out) { return inner(f)->pMethods->xCheckReservedLock(inner(f), out); }
int xFileControl(sqlite3_file* f, int op, void* arg) { return inner(f)->pMethods->xFileControl(inner(f), op, arg); }
int xSectorSize(sqlite3_file* f) { return inner(f)->pMethods->xSectorSize(inner(f)); }
int xDeviceCharacteristics(sqlite3_file* f) { return inner(f)->pMethods->xDeviceCharacteristics(inner(f)); }
int xShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
  sqlite3_file* r = inner(f);
  if (r->pMethods->iVersion < 2) return SQLITE_IOERR;
  return r->pMethods->xShmMap(r, region, size, extend, out);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags) {
  sqlite3_file* r = inner(f);
  if (r->pMethods->iVersion < 2) return SQLITE_IOERR;
  return r->pMethods->xShmLock(r, offset, n, flags);
}
void xShmBarrier(sqlite3_file* f) {
  sqlite3_file* r = inner(f);
  if (r->pMethods->iVersion >= 2) r->pMethods->xShmBarrier(r);
}
int xShmUnmap(sqlite3_file* f, int deleteFlag) {
  sqlite3_file* r = inner(f);
  if (r->pMethods->iVersion < 2) return SQLITE_OK;
  return r->pMethods->xShmUnmap(r, deleteFlag);
}
int xFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
  sqlite3_file* r = inner(f);
  if (r->pMethods->iVersion < 3) {
    *out = nullptr;
    return SQLITE_OK;
  }
  return r->pMethods->xFetch(r, offset, amount, out);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* p) {
  sqlite3_file* r = inner(f);
  if (r->pMethods->iVersion < 3) return SQLITE_OK;
  return r->pMethods->xUnfetch(r, offset, p);
}

const sqlite3_io_methods kMethods = {
    3,         xClose,      xRead,        xWrite,     xTruncate,   xSync,
    xFileSize, xLock,       xUnlock,      xCheckReservedLock,      xFileControl,
    xSectorSize, xDeviceCharacteristics, xShmMap,    xShmLock,    xShmBarrier,
    xShmUnmap, xFetch,      xUnfetch,
};

int xOpen(sqlite3_vfs* v, const char* name, sqlite3_file* f, int flags, int* outFlags) {
  Impl* o = ownerOf(v);
  auto* ff = reinterpret_cast<FaultFile*>(f);
  ff->base.pMethods = nullptr;
  ff->owner = o;
  ff->path = name;
  o->callHook(FaultVfs::Op::kOpen, name);
  if (o->refuseOpen(name)) return SQLITE_CANTOPEN;
  sqlite3_file* r = inner(f);
  std::memset(r, 0, static_cast<size_t>(o->real->szOsFile));
  int rc = o->real->xOpen(o->real, name, r, flags, outFlags);
  // The library closes a file whose open failed when its methods are set.
  if (r->pMethods) ff->base.pMethods = &kMethods;
  return rc;
}

int xDelete(sqlite3_vfs* v, const char* name, int syncDir) {
  return ownerOf(v)->real->xDelete(ownerOf(v)->real, name, syncDir);
}
int xAccess(sqlite3_vfs* v, const char* name, int flags, int* out) {
  return ownerOf(v)->real->xAccess(ownerOf(v)->real, name, flags, out);
}
int xFullPathname(sqlite3_vfs* v, const char* name, int n, char* out) {
  return ownerOf(v)->real->xFullPathname(ownerOf(v)->real, name, n, out);
}
void* xDlOpen(sqlite3_vfs* v, const char* name) { return ownerOf(v)->real->xDlOpen(ownerOf(v)->real, name); }
void xDlError(sqlite3_vfs* v, int n, char* out) { ownerOf(v)->real->xDlError(ownerOf(v)->real, n, out); }
void (*xDlSym(sqlite3_vfs* v, void* h, const char* sym))(void) {
  return ownerOf(v)->real->xDlSym(ownerOf(v)->real, h, sym);
}
void xDlClose(sqlite3_vfs* v, void* h) { ownerOf(v)->real->xDlClose(ownerOf(v)->real, h); }
int xRandomness(sqlite3_vfs* v, int n, char* out) { return ownerOf(v)->real->xRandomness(ownerOf(v)->real, n, out); }
int xSleep(sqlite3_vfs* v, int us) { return ownerOf(v)->real->xSleep(ownerOf(v)->real, us); }
int xCurrentTime(sqlite3_vfs* v, double* out) { return ownerOf(v)->real->xCurrentTime(ownerOf(v)->real, out); }
int xGetLastError(sqlite3_vfs* v, int n, char* out) {
  return ownerOf(v)->real->xGetLastError(ownerOf(v)->real, n, out);
}
int xCurrentTimeInt64(sqlite3_vfs* v, sqlite3_int64* out) {
  sqlite3_vfs* r = ownerOf(v)->real;
  if (r->iVersion >= 2 && r->xCurrentTimeInt64) return r->xCurrentTimeInt64(r, out);
  double day = 0;
  int rc = r->xCurrentTime(r, &day);
  *out = static_cast<sqlite3_int64>(day * 86400000.0);
  return rc;
}

}  // namespace

FaultVfs::FaultVfs() : impl_(std::make_unique<Impl>()) {
  sqlite3_initialize();
  Impl& im = *impl_;
  im.real = sqlite3_vfs_find(nullptr);
  sqlite3_vfs& v = im.vfs;
  v.iVersion = 2;
  v.szOsFile = static_cast<int>(sizeof(FaultFile)) + im.real->szOsFile;
  v.mxPathname = im.real->mxPathname;
  v.zName = "vorlam-fault";
  v.pAppData = &im;
  v.xOpen = xOpen;
  v.xDelete = xDelete;
  v.xAccess = xAccess;
  v.xFullPathname = xFullPathname;
  v.xDlOpen = xDlOpen;
  v.xDlError = xDlError;
  v.xDlSym = xDlSym;
  v.xDlClose = xDlClose;
  v.xRandomness = xRandomness;
  v.xSleep = xSleep;
  v.xCurrentTime = xCurrentTime;
  v.xGetLastError = xGetLastError;
  v.xCurrentTimeInt64 = xCurrentTimeInt64;
  sqlite3_vfs_register(&v, 1);
}

FaultVfs::~FaultVfs() {
  sqlite3_vfs_unregister(&impl_->vfs);
  sqlite3_vfs_register(impl_->real, 1);
}

void FaultVfs::failWrite(int64_t n, int code) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->failWriteAt = n <= 0 ? 0 : impl_->writes + n;
  impl_->failWriteCode = code == 0 ? SQLITE_FULL : code;
}

void FaultVfs::setSpaceLimit(int64_t bytes) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->spaceLimit = bytes;
  impl_->spaceBase = impl_->bytes;
}

void FaultVfs::failSync(int64_t n) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->failSyncAt = n <= 0 ? 0 : impl_->syncs + n;
}

void FaultVfs::failEverySync(bool on) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->failAllSyncs = on;
}

void FaultVfs::failOpens(const std::string& fragment) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->openFragment = fragment;
}

void FaultVfs::setHook(Hook hook) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->hook = std::move(hook);
}

void FaultVfs::reset() {
  std::lock_guard<std::mutex> lock(impl_->mu);
  Impl& im = *impl_;
  im.writes = im.bytes = im.syncs = im.failures = 0;
  im.failWriteAt = im.failSyncAt = im.spaceBase = 0;
  im.spaceLimit = -1;
  im.failAllSyncs = false;
  im.openFragment.clear();
  im.hook = nullptr;
}

FaultVfs::Counts FaultVfs::counts() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return Counts{impl_->writes, impl_->bytes, impl_->syncs, impl_->failures};
}

}  // namespace vorlam
