// List screens over a large table: a list of 1,000,000 service codes opened
// on its first page, and the jump to its end, through the list window and
// its page model (framework/qt/list_model.h) over the list controller, which
// reads a page at a time through the key's index.  Also the controller
// alone, without the widgets, and the first page of a filter that about 1%
// of the records match, in code order (the matches spread over the file):
// one the storage on disk and the server can both select, one only the
// server can (accented upper case).  Counters: records read from the file
// per iteration and rows of the page.
//
// Usage: list_bench [--records=N] [Google Benchmark flags].  Runs offscreen
// unless QT_QPA_PLATFORM says otherwise.  Each benchmark runs on a file on
// disk ("/files"); with VORLAM_BENCH_POSTGRES set to a database
// ("postgresql:///banco") also on a table of that server ("/postgres").
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "framework/filter.h"
#include "framework/list_controller.h"
#include "framework/page_cache.h"
#include "framework/qt/list_sample.h"
#include "framework/qt/list_window.h"
#include "storage/platform.h"
#include "storage/table.h"
#include "storage/table_backend.h"
#include "storage/text.h"

namespace {

using namespace vorlam;
using namespace vorlam::qt;

struct BenchData {
  TableDef def = sample::serviceDef();
  std::unique_ptr<Table> table;
  std::string dir;  // a directory on disk, or below a server location
  int64_t records = 0;
};

// The table of `records` service codes in `dir` (made here; a server's is
// emptied first).
bool build(BenchData& data, const std::string& dir, int64_t records) {
  data.dir = dir;
  if (isServerLocation(dir)) {
    if (!removeServerFiles(dir).isOk() || !makeServerDirectories(dir).isOk()) return false;
  } else {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
  }
  data.table = std::make_unique<Table>(&data.def);
  if (!data.table->open(dir + "/CtaISS.dat").isOk()) return false;
  data.records = records;
  return sample::fillServices(*data.table, records).isOk();
}

void drop(BenchData& data) {
  data.table->close();
  if (isServerLocation(data.dir)) {
    (void)removeServerFiles(data.dir);
  } else {
    std::error_code ignored;
    std::filesystem::remove_all(data.dir, ignored);
  }
}

// The list screen's logic and its view over the table.
struct Screen {
  std::shared_ptr<const Dictionary> dictionary = buildDictionary();
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dictionary, [](const std::string& name) { return name; }, errors};
  ListDefinition logic = sample::serviceList();
  ListWindowDefinition view = sample::serviceView(0xFF);
};

void setCounters(benchmark::State& state, int64_t read, size_t rows) {
  state.counters["read/iter"] = benchmark::Counter(double(read), benchmark::Counter::kAvgIterations);
  state.counters["rows"] = double(rows);
}

// The list window built and opened on the first page of its first tab.
void BM_WindowOpenFirstPage(benchmark::State& state, BenchData* data) {
  Screen screen;
  int64_t read = 0;
  size_t rows = 0;
  for (auto _ : state) {
    ListController controller(screen.context, screen.logic, *data->table);
    ListWindow window(controller, screen.view);
    if (!window.open().isOk()) state.SkipWithError("open failed");
    read += controller.cache().recordsRead();
    rows = controller.rows().size();
    benchmark::DoNotOptimize(window.current());
  }
  setCounters(state, read, rows);
}

// From the first page of an open window to its last record (the End key).
void BM_WindowJumpToEnd(benchmark::State& state, BenchData* data) {
  Screen screen;
  ListController controller(screen.context, screen.logic, *data->table);
  ListWindow window(controller, screen.view);
  if (!window.open().isOk()) {
    state.SkipWithError("open failed");
    return;
  }
  int64_t read = 0;
  for (auto _ : state) {
    state.PauseTiming();
    window.change([&] { return controller.firstPage(); });
    const int64_t before = controller.cache().recordsRead();
    state.ResumeTiming();
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(window.view(), &end);
    read += controller.cache().recordsRead() - before;
    if (window.current() == nullptr || window.current()->getInt("CTA:CODIGO") != data->records)
      state.SkipWithError("not at the last record");
  }
  setCounters(state, read, controller.rows().size());
}

// The controller alone: first page, last page, and moving the highlight
// down across pages (a page read every page size rows).
void BM_ControllerFirstPage(benchmark::State& state, BenchData* data) {
  Screen screen;
  int64_t read = 0;
  for (auto _ : state) {
    ListController controller(screen.context, screen.logic, *data->table);
    controller.open();
    read += controller.cache().recordsRead();
  }
  setCounters(state, read, 60);
}

void BM_ControllerLastPage(benchmark::State& state, BenchData* data) {
  Screen screen;
  ListController controller(screen.context, screen.logic, *data->table);
  controller.open();
  int64_t read = 0;
  for (auto _ : state) {
    const int64_t before = controller.cache().recordsRead();
    controller.lastPage();
    read += controller.cache().recordsRead() - before;
  }
  setCounters(state, read, controller.rows().size());
}

void BM_ControllerNextPageByDescription(benchmark::State& state, BenchData* data) {
  Screen screen;
  ListController controller(screen.context, screen.logic, *data->table);
  controller.open(1);  // by description: a key with duplicates
  int64_t read = 0;
  for (auto _ : state) {
    if (controller.atEnd()) {
      state.PauseTiming();
      controller.firstPage();
      state.ResumeTiming();
    }
    const int64_t before = controller.cache().recordsRead();
    controller.nextPage();
    read += controller.cache().recordsRead() - before;
  }
  setCounters(state, read, controller.rows().size());
}

// Descriptions run "Serviço 100000" to "Serviço 199990" over the codes: those
// of "Serviço 101xxx" are about 1% of the records.
constexpr const char* kOnePercentRange = "CTA:DESCRICAO >= 'Serviço 101' AND CTA:DESCRICAO < 'Serviço 102'";
constexpr const char* kOnePercentUpper = "INSTRING('SERVIÇO 101', UPPER(CTA:DESCRICAO), 1, 1)";

void BM_FilteredFirstPage(benchmark::State& state, BenchData* data, const char* expression) {
  Result<Filter> compiled = Filter::compile(expression, data->def);
  Result<BoundFilter> bound = compiled ? compiled->bind(FilterVariableMap()) : Result<BoundFilter>(compiled.status());
  if (!bound) {
    state.SkipWithError("filter does not compile");
    return;
  }
  PageCache cache(*data->table, 60);
  int64_t read = 0;
  for (auto _ : state) {
    cache.setFilter(*bound);
    cache.resetRecordsRead();
    if (!cache.first().isOk() || cache.rows().size() != 60) state.SkipWithError("no full first page");
    read += cache.recordsRead();
  }
  setCounters(state, read, cache.rows().size());
  state.SetLabel(cache.filterPushedDown() ? "selected by the storage" : "tried on each record");
}

// Registers every benchmark on `data`, named with `tag`.
void registerAll(BenchData* data, const std::string& tag) {
  benchmark::RegisterBenchmark(("WindowOpenFirstPage/" + tag).c_str(), BM_WindowOpenFirstPage, data)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("WindowJumpToEnd/" + tag).c_str(), BM_WindowJumpToEnd, data)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("ControllerFirstPage/" + tag).c_str(), BM_ControllerFirstPage, data)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("ControllerLastPage/" + tag).c_str(), BM_ControllerLastPage, data)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("ControllerNextPageByDescription/" + tag).c_str(), BM_ControllerNextPageByDescription,
                               data)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("FilteredFirstPageRange/" + tag).c_str(), BM_FilteredFirstPage, data, kOnePercentRange)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("FilteredFirstPageUpper/" + tag).c_str(), BM_FilteredFirstPage, data, kOnePercentUpper)
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  int64_t records = 1000000;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--records=", 10) == 0) records = std::atoll(argv[i] + 10);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);

  BenchData files, server;
  const std::string local =
      (std::filesystem::temp_directory_path() / ("vorlam_list_bench_" + std::to_string(getpid()))).string();
  std::fprintf(stderr, "Building a table of %lld records in %s...\n", static_cast<long long>(records), local.c_str());
  if (!build(files, local, records)) {
    std::fprintf(stderr, "could not build the table in %s\n", local.c_str());
    return 1;
  }
  registerAll(&files, "files");
  const std::string uri = platform::environmentVariable("VORLAM_BENCH_POSTGRES");
  if (!uri.empty()) {
    const std::string dir = uri + "/LISTBENCH";
    std::fprintf(stderr, "Building a table of %lld records in %s...\n", static_cast<long long>(records), dir.c_str());
    if (!build(server, dir, records)) {
      std::fprintf(stderr, "could not build the table in %s\n", dir.c_str());
      drop(files);
      return 1;
    }
    registerAll(&server, "postgres");
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  drop(files);
  if (server.table) drop(server);
  return 0;
}
