#include "utilities/file_manager_screen.h"

#include "framework/list_format.h"

namespace vorlam::utilities {

namespace {

constexpr char kList[] = "arquivos";
constexpr char kTick[] = "\u2714";

struct OperationButton {
  const char* caption;
  const char* tip;
  MaintenanceOp op;
};
constexpr OperationButton kOperations[] = {
    {"&Reindexa", "Build the key files for the tagged data files", MaintenanceOp::kReindex},
    {"&Limpa", "Pack the tagged data files", MaintenanceOp::kPack},
    {"&Atualiza", "Release any held records in the tagged files", MaintenanceOp::kRelease},
    {"&Corrige", "Interface to the repair utility", MaintenanceOp::kRepair},
    {"Força Indexação", "Copy the records into a new file", MaintenanceOp::kRebuild},
    {"&Informações", "Get information about each file", MaintenanceOp::kInfo},
    {"&Cria Arquivos", "Create any non-existent files", MaintenanceOp::kCreate},
};

}  // namespace

FileManagerScreen::FileManagerScreen(shell::ScreenServices& services, std::string recfix)
    : HostedScreen(services),
      manager_(
          services.session().dictionary(),
          [&services] { return *services.session().state().snapshot().bindings; }, services.dialogs(),
          std::move(recfix)),
      model_(kFileManagerProcedure, kFileManagerTitle) {
  declareList();
  declareButtons();
  declareProgress();
  // Closing while an operation runs stops it after the current file.
  model_.setCloseRequest([this] {
    manager_.stop();
    return true;
  });
}

Status FileManagerScreen::open() {
  if (!manager_.open()) {
    model_.close();
    return Status::ok();
  }
  model_.setFocus(kList);
  return Status::ok();
}

void FileManagerScreen::setAsync(std::function<void()> changed) {
  async_ = true;
  manager_.setChangeListener(std::move(changed));
}

void FileManagerScreen::declareList() {
  FileManager* m = &manager_;
  // The headers as the list's format string names them: the tick column
  // has none.
  std::vector<std::string> headers;
  if (Result<std::vector<ListColumn>> columns = parseListFormat(kFileListFormat); columns.isOk())
    for (const ListColumn& c : *columns) headers.push_back(c.header);
  if (headers.size() != 4) headers = {"", "Arquivo", "Registros", "Nome do Arquivo"};
  model_.addList({.name = kList,
                  .headers = headers,
                  .rows =
                      [m] {
                        std::vector<std::vector<std::string>> rows;
                        for (const FileEntry& e : m->entries())
                          rows.push_back({e.tagged ? kTick : "", e.description, e.count, e.name});
                        return rows;
                      },
                  .highlighted = [m]() -> std::optional<size_t> { return size_t(m->cursor()); },
                  .highlight =
                      [m](size_t row) {
                        if (m->running()) return Status(StatusCode::kInvalidArgument, "operação em andamento");
                        m->click(int(row));
                        return Status::ok();
                      }});
  const int last = int(maintainedFiles().size()) - 1;
  model_.addKey({.name = "Down", .scope = kList, .action = [m] { m->setCursor(m->cursor() + 1); }});
  model_.addKey({.name = "Up", .scope = kList, .action = [m] { m->setCursor(m->cursor() - 1); }});
  model_.addKey({.name = "Home", .scope = kList, .action = [m] { m->setCursor(0); }});
  model_.addKey({.name = "End", .scope = kList, .action = [m, last] { m->setCursor(last); }});
}

void FileManagerScreen::declareButtons() {
  FileManager* m = &manager_;
  auto idle = [m] { return !m->running(); };
  model_.addButton({.caption = "&Marca Todos", .tip = "Tag all the files", .press = [m] { m->tagAll(true); },
                    .enabled = idle});
  model_.addButton({.caption = "&Desmarca Todos", .tip = "Untag all of the files",
                    .press = [m] { m->tagAll(false); }, .enabled = idle});
  for (const OperationButton& b : kOperations) {
    const MaintenanceOp op = b.op;
    model_.addButton({.caption = b.caption, .tip = b.tip, .press = [this, op] { runOperation(op); },
                      .enabled = [m] { return m->operationsEnabled(); }});
  }
  model_.addButton({.caption = "&Fecha", .tip = "Close this window", .press = [this] { model_.requestClose(); },
                    .enabled = idle});
}

void FileManagerScreen::declareProgress() {
  FileManager* m = &manager_;
  auto shown = [m] { return ControlState{.visible = m->running()}; };
  model_.addControl({.name = "LOC:ArquivoAtual", .prompt = "Current File :", .kind = ControlKind::kDisplay,
                     .value = [m] { return m->progress().currentFile; }, .state = shown});
  model_.addControl({.name = "LOC:Acao", .prompt = "Action :", .kind = ControlKind::kDisplay,
                     .value = [m] { return m->progress().action; }, .state = shown});
  model_.addControl({.name = "LOC:Progresso", .prompt = "Progress :", .kind = ControlKind::kProgress,
                     .value = [m] { return std::to_string(m->progress().filePercent); }, .state = shown});
  model_.addControl({.name = "LOC:ArquivosRestantes", .prompt = "Files Left     :", .kind = ControlKind::kDisplay,
                     .value = [m] { return std::to_string(m->progress().filesLeft); }, .state = shown});
  model_.addControl({.name = "LOC:ProgressoTotal", .kind = ControlKind::kProgress,
                     .value = [m] { return std::to_string(m->progress().overallPercent); }, .state = shown});
  model_.addButton({.caption = "&Cancel", .press = [m] { m->cancel(); }, .enabled = [m] { return m->running(); },
                    .visible = [m] { return m->running(); }});
}

void FileManagerScreen::runOperation(MaintenanceOp op) {
  if (!manager_.start(op)) return;
  if (!async_) manager_.waitForRun();
}

}  // namespace vorlam::utilities
