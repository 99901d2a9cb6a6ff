#include "utilities/file_maintenance.h"

#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "storage/platform.h"
#include "storage/table.h"
#include "storage/table_backend.h"
#include "utilities/layout_file.h"
#include "utilities/record_rescue.h"

namespace vorlam::utilities {

namespace {

struct OpWord {
  MaintenanceOp op;
  const char* word;
};
constexpr OpWord kWords[] = {{MaintenanceOp::kReindex, "reindex"}, {MaintenanceOp::kPack, "pack"},
                             {MaintenanceOp::kRelease, "release"}, {MaintenanceOp::kRepair, "repair"},
                             {MaintenanceOp::kRebuild, "rebuild"}, {MaintenanceOp::kInfo, "info"},
                             {MaintenanceOp::kCreate, "create"}};

// Steps of the database engine between two progress reports of work whose
// size is unknown (packing, copying).
constexpr int kEngineSteps = 4000;

// Reports the engine's work on `table` as steps of unknown size, and stops
// it when the listener is cancelled.  Removed when it goes out of scope.
// A file on a server reports while the server works on one statement.
class EngineProgress {
 public:
  EngineProgress(Table& table, StepListener& listener)
      : table_(table), db_(table.connection()), listener_(listener) {
    if (db_) sqlite3_progress_handler(db_, kEngineSteps, &EngineProgress::tick, this);
    else table_.setEngineTick([this] { return tick(this) != 0; });
  }
  ~EngineProgress() {
    if (db_) sqlite3_progress_handler(db_, 0, nullptr, nullptr);
    else table_.setEngineTick({});
  }
  EngineProgress(const EngineProgress&) = delete;
  EngineProgress& operator=(const EngineProgress&) = delete;

 private:
  static int tick(void* self) {
    auto* p = static_cast<EngineProgress*>(self);
    p->listener_.progress(++p->steps_, 0);
    return p->listener_.cancelled() ? 1 : 0;
  }
  Table& table_;
  sqlite3* db_;
  StepListener& listener_;
  int64_t steps_ = 0;
};

std::string boundPath(const MaintenanceContext& c, const TableDef& def) {
  auto it = c.names.find(def.binding);
  return def.binding.empty() || it == c.names.end() ? std::string() : it->second;
}

// Opens `t` exclusively on its bound file, never creating it.
Status openExclusive(Table& t, const MaintenanceContext& c) {
  const std::string path = boundPath(c, t.def());
  if (path.empty()) return makeStatus(StatusCode::kNoName, t.def().label);
  if (!fileExists(path)) return makeStatus(StatusCode::kFileNotFound, path);
  t.setBusyTimeout(c.busyMs);
  return t.open(path, OpenMode::kExclusive);
}

// The open of an exclusive operation: a missing file skips the entry
// quietly, any other failure shows the access message.  False when the
// entry is skipped.
bool openForWork(Table& t, const MaintenanceContext& c, StepListener& l, MaintenanceResult* r) {
  Status s = openExclusive(t, c);
  if (s) return true;
  r->status = s;
  r->skipped = true;
  if (!s.is(StatusCode::kFileNotFound)) l.message(kAccessTitle, accessMessage(s));
  r->detail = s.is(StatusCode::kFileNotFound) ? "arquivo não encontrado" : "acesso exclusivo recusado";
  return false;
}

// The record count written into "Registros" once the work is done.
void finish(Table& t, StepListener& l, MaintenanceResult* r) {
  if (l.cancelled()) {
    r->cancelled = true;
    r->status = Status(StatusCode::kInvalidArgument, "Operação cancelada");
  }
  Result<int64_t> n = t.count();
  if (n) r->count = std::to_string(*n);
  t.close();
}

void reindex(Table& t, StepListener& l, MaintenanceResult* r) {
  l.action(kBuildingFile);
  int keys = 0, built = 0, last = -1;
  for (const KeyDef& k : t.def().keys) keys += (k.dynamic || k.components.empty()) ? 0 : 1;
  l.progress(0, keys);
  EngineProgress engine(t, l);
  // Each key reports once as it starts and once as it ends.
  r->status = t.rebuildKeys([&](int key, int64_t, int64_t) {
    if (key != last) {
      last = key;
      l.action(kKeyPrefix + t.def().keys[size_t(key)].name);
    } else {
      l.progress(++built, keys);
    }
  });
  if (keys == 0) l.progress(1, 1);
  if (r->status) r->detail = std::to_string(keys) + " chaves reconstruídas";
}

void pack(Table& t, StepListener& l, MaintenanceResult* r) {
  l.action(kPackingFile);
  EngineProgress engine(t, l);
  r->status = t.pack();
  if (r->status) r->detail = "arquivo compactado";
}

void release(Table& t, StepListener& l, MaintenanceResult* r) {
  Result<int64_t> total = t.count();
  const int64_t n = total ? *total : 0;
  Result<std::vector<int64_t>> held = t.heldRecords();
  Status s = t.seekStart(kFileOrder);
  int64_t read = 0;
  while (s && !l.cancelled()) {
    Status step = t.next();
    if (step.is(StatusCode::kNotFound)) break;
    s = step;
    if (s) l.progress(++read, n);
  }
  if (s && !l.cancelled()) s = t.releaseHolds();
  r->status = s;
  if (s) r->detail = std::to_string(held ? held->size() : 0) + " registros liberados de " + std::to_string(read);
}

void rebuild(Table& t, StepListener& l, MaintenanceResult* r) {
  l.action(kBuildingFile);
  EngineProgress engine(t, l);
  r->status = t.rebuildFile();
  if (r->status) r->detail = "registros copiados para um arquivo novo do layout atual";
}

// "&Informações": count and name through the full check.
void refresh(const MaintenanceContext& c, const MaintainedFile& file, StepListener& l, MaintenanceResult* r) {
  FileInfo info = describeFile(*c.dict, c.names, file, [&](int, int64_t done, int64_t total) {
    l.progress(done, total);
  });
  // The command line's hint about --company means nothing on the screen.
  if (info.status.is(StatusCode::kNoName)) {
    info.status = makeStatus(StatusCode::kNoName, file.label);
    info.name = maintenanceErrorText(info.status);
  }
  r->count = info.count;
  r->name = info.name;
  if (r->status) r->status = info.status;
  if (r->detail.empty()) r->detail = info.status ? "íntegro" : maintenanceErrorText(info.status);
}

void create(const MaintenanceContext& c, const TableDef& def, const MaintainedFile& file, StepListener& l,
            MaintenanceResult* r) {
  const std::string path = boundPath(c, def);
  if (path.empty() || fileExists(path)) return refresh(c, file, l, r);
  Status s = makeDirectories(platform::parentDirectory(path));
  Table t(&def);
  if (s) s = t.open(path, OpenMode::kShared);
  r->status = s;
  if (s) {
    r->count = "0";
    r->name = displayPath(t.path());
    r->detail = "arquivo criado";
  } else {
    r->count = "?";
    r->name = maintenanceErrorText(s);
    r->detail = *r->name;
  }
}

Status readText(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return makeStatus(StatusCode::kIoError, path);
  text->assign(std::istreambuf_iterator<char>(in), {});
  return Status::ok();
}

// Runs recfix on `path` and waits for it, reporting steps while it works.
Status runRecfix(const MaintenanceContext& c, const std::string& path, StepListener& l, std::string* output) {
  RepairCommand cmd = repairCommand(path);
  Result<std::string> tmp = platform::makeTempDirectory("vorlam-recfix");
  if (!tmp) return tmp.status();
  const std::string out = *tmp + "/saida.txt", err = *tmp + "/erros.txt";
  Result<platform::Process> p = platform::Process::start(c.recfix, cmd.args, out, err);
  if (!p) {
    (void)platform::removeTree(*tmp);
    return Status(p.status().code(), "não foi possível iniciar o utilitário de reparo", c.recfix);
  }
  platform::Process proc = std::move(p).value();
  int64_t steps = 0;
  while (!proc.ended()) {
    if (l.cancelled()) {
      (void)proc.kill();
      break;
    }
    l.progress(++steps, 0);
    platform::sleepMilliseconds(50);
  }
  Result<int> rc = proc.wait();
  std::string errors;
  (void)readText(out, output);
  (void)readText(err, &errors);
  *output += errors;
  (void)platform::removeTree(*tmp);
  if (!rc) return rc.status();
  if (*rc != 0) return Status(StatusCode::kCorrupt, "o reparo não substituiu o arquivo", "recfix: saída " + std::to_string(*rc));
  return Status::ok();
}

void repair(const MaintenanceContext& c, const TableDef& def, const MaintainedFile& file, StepListener& l,
            MaintenanceResult* r) {
  const std::string bound = boundPath(c, def);
  // The layout file: "Unable to create layout file." without a layout,
  // "Not a record file." when there is no file to repair.
  if (bound.empty()) {
    r->status = makeStatus(StatusCode::kNoName, def.label);
    l.message(kErrorTitle, "Unable to create layout file.");
    r->skipped = true;
    return;
  }
  const std::string path = withDataExtension(bound);
  if (isServerLocation(path)) {
    r->status = Status(StatusCode::kUnsupported, kServerRescueRefused, path);
    l.message(kErrorTitle, kServerRescueRefused);
    r->skipped = true;
    r->detail = kServerRescueRefused;
    return;
  }
  if (!fileExists(path) || platform::isDirectory(path)) {
    r->status = makeStatus(StatusCode::kFileNotFound, path);
    l.message(kErrorTitle, "Not a record file.");
    r->skipped = true;
    return;
  }
  if (Status s = writeLayoutFile(def, layoutFileName(path)); !s) {
    r->status = s;
    l.message(kErrorTitle, "Error creating layout file : " + s.message() + " (" + s.detail() + ")");
    r->skipped = true;
    return;
  }
  l.action(kBuildingFile);
  std::string output;
  r->status = runRecfix(c, path, l, &output);
  r->cancelled = l.cancelled();
  r->detail = output;
  refresh(c, file, l, r);
}

}  // namespace

const char* operationWord(MaintenanceOp op) {
  for (const OpWord& w : kWords)
    if (w.op == op) return w.word;
  return "";
}

std::optional<MaintenanceOp> parseOperationWord(std::string_view word) {
  for (const OpWord& w : kWords)
    if (word == w.word) return w.op;
  return std::nullopt;
}

std::string accessMessage(const Status& s) {
  return "This option requires exclusive file access.|Please ensure no other users are in the system. |An error "
         "occured trying to open the file : Error " +
         s.message() + " (" + std::to_string(s.errorNumber()) + ")";
}

int progressPercent(int64_t done, int64_t total) {
  if (done <= 0) return 0;
  if (total > 0) return done >= total ? 100 : int(done * 100 / total);
  // Unknown size: halves the distance to 100 every 32 steps, never reaching it.
  double left = 100.0;
  for (int64_t k = 0; k < done && left > 1.0; ++k) left *= 0.9786;
  return left <= 1.0 ? 99 : 100 - int(left + 0.5);
}

MaintenanceResult runMaintenance(MaintenanceOp op, const MaintenanceContext& c, const MaintainedFile& file,
                                 StepListener& l) {
  MaintenanceResult r;
  const TableDef* def = c.dict ? c.dict->find(file.label) : nullptr;
  if (def == nullptr) {
    r.status = Status(StatusCode::kInvalidArgument, "tabela desconhecida", file.label);
    r.skipped = true;
    return r;
  }
  switch (op) {
    case MaintenanceOp::kInfo: refresh(c, file, l, &r); break;
    case MaintenanceOp::kCreate: create(c, *def, file, l, &r); break;
    case MaintenanceOp::kRepair: repair(c, *def, file, l, &r); break;
    case MaintenanceOp::kReindex:
    case MaintenanceOp::kPack:
    case MaintenanceOp::kRelease:
    case MaintenanceOp::kRebuild: {
      Table t(def);
      if (!openForWork(t, c, l, &r)) break;
      if (op == MaintenanceOp::kReindex) reindex(t, l, &r);
      else if (op == MaintenanceOp::kPack) pack(t, l, &r);
      else if (op == MaintenanceOp::kRelease) release(t, l, &r);
      else rebuild(t, l, &r);
      finish(t, l, &r);
      if (op == MaintenanceOp::kRebuild && r.status) refresh(c, file, l, &r);
      break;
    }
  }
  return r;
}

std::string recfixProgram() {
  std::string env = platform::environmentVariable("VORLAM_RECFIX");
  if (!env.empty()) return env;
  const std::string dir = platform::parentDirectory(platform::executablePath());
#ifdef _WIN32
  return dir + "\\recfix.exe";
#else
  return dir + "/recfix";
#endif
}

RepairCommand repairCommand(const std::string& path) {
  RepairCommand c;
  const std::string file = withDataExtension(path);
  const std::string layout = layoutFileName(file);
  c.args = {file, "/E:" + layout, "/K", "/A"};
  const bool blank = file.find(' ') != std::string::npos;
  const std::string q = blank ? "\"" : "";
  c.text = "recfix " + q + file + q + " /E:" + q + layout + q + " /K /A " + "  ";
  return c;
}

}  // namespace vorlam::utilities
