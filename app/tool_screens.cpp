#include "app/tool_screens.h"

#include <filesystem>

#include "app/all_screens.h"
#include "framework/error_manager.h"
#include "shell/company_selection.h"
#include "shell/main_menu.h"
#include "storage/table_backend.h"

namespace vorlam::tool {

namespace {

class MainHosted : public Screen {
 public:
  explicit MainHosted(ScreenCatalogue& c)
      : screen_(c.session().state(),
                {.built = [&c](std::string_view item) { return !c.procedureOf(item).empty(); },
                 .open =
                     [&c](std::string_view item) {
                       Result<std::unique_ptr<Screen>> s = c.open(c.procedureOf(item), shell::ScreenRequest{});
                       if (s.isOk()) c.runner().show(std::move(s).value());
                     },
                 .selectCompany =
                     [&c] {
                       Result<std::unique_ptr<Screen>> s = c.open(shell::kSelectionProcedure, shell::ScreenRequest{});
                       if (s.isOk()) c.runner().show(std::move(s).value());
                     }}) {}
  ScreenModel& model() override { return screen_.model(); }

 private:
  shell::MainScreen screen_;
};

}  // namespace

ScreenCatalogue::ScreenCatalogue(std::unique_ptr<shell::Session> session)
    : session_(std::move(session)), registry_(app::allScreens()) {}

Result<std::unique_ptr<ScreenCatalogue>> ScreenCatalogue::start(const std::string& root) {
  std::error_code ec;
  // A database on a server holds no settings files: those of this machine
  // serve, as for the desktop program.
  const bool server = isServerLocation(root);
  const std::string absolute = server ? root : std::filesystem::absolute(root, ec).lexically_normal().string();
  const std::filesystem::path settings =
      server ? shell::defaultSettingsDirectory(std::filesystem::current_path(ec).string())
             : std::filesystem::path(absolute);
  Result<std::unique_ptr<shell::Session>> session = shell::Session::start({absolute, settings});
  if (!session.isOk()) return session.status();
  return std::unique_ptr<ScreenCatalogue>(new ScreenCatalogue(std::move(session).value()));
}

void ScreenCatalogue::attach(ScriptRunner& runner) {
  runner_ = &runner;
  runner.show(std::make_unique<MainHosted>(*this));
}

std::string ScreenCatalogue::pathFor(const TableDef& table) const {
  return session_->state().pathFor(table.binding);
}

Status ScreenCatalogue::setCompany(uint16_t code) {
  ErrorManager errors(session_->errorServices(), *runner_, session_->application());
  const shell::CurrentCompany before = session_->state().company();
  shell::CompanySelection selection(session_->state(), dictionary(), errors, session_->settings(),
                                    [] { return std::optional<uint16_t>(); });
  selection.setWrites(runner_);
  if (Status s = selection.open(); !s) return s;
  // A period given before any company stays, as if typed on the screen
  // (opening without a company starts from today's).
  if (before.codigo == 0 && before.ano != 0) {
    selection.setYear(before.ano);
    selection.setMonth(before.mes);
  }
  selection.setCode(code);
  selection.acceptCode();
  if (!selection.record().found || selection.record().codigo != code)
    return Status(StatusCode::kNotFound, "empresa não cadastrada", std::to_string(code));
  if (!selection.select()) return Status(StatusCode::kInvalidArgument, "a seleção da empresa foi recusada");
  return Status::ok();
}

Status ScreenCatalogue::setPeriod(int month, int year) {
  if (!shell::validYear(year) || !shell::validMonth(month))
    return Status(StatusCode::kInvalidArgument, "período inválido");
  shell::AppState& state = session_->state();
  if (state.company().codigo == 0) {
    // No company: nothing is bound to the period yet.
    shell::CurrentCompany c = state.company();
    c.ano = uint16_t(year);
    c.mes = month;
    state.setCompany(c);
    return Status::ok();
  }
  ErrorManager errors(session_->errorServices(), *runner_, session_->application());
  shell::CompanySelection selection(state, dictionary(), errors, session_->settings(),
                                    [] { return std::optional<uint16_t>(); });
  if (Status s = selection.open(); !s) return s;
  if (!selection.setYear(year) || !selection.setMonth(month) || !selection.select())
    return Status(StatusCode::kInvalidArgument, "a seleção do período foi recusada");
  return Status::ok();
}

Status ScreenCatalogue::setting(const std::string& file, const std::string& section, const std::string& key,
                                const std::string& value) {
  return session_->settings().write(section, key, value, file);
}

Result<std::unique_ptr<Screen>> ScreenCatalogue::open(const std::string& procedure, const std::string& request,
                                                     const std::vector<std::string>& keys) {
  if (sameName(procedure, shell::kFrameProcedure)) return std::unique_ptr<Screen>(new MainHosted(*this));
  return open(procedure, shell::ScreenRequest{request, keys});
}

Result<std::unique_ptr<Screen>> ScreenCatalogue::open(std::string_view procedure,
                                                     const shell::ScreenRequest& request) {
  return shell::openRegistered(registry_, *this, procedure, request);
}

}  // namespace vorlam::tool
