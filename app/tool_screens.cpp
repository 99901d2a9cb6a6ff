#include "app/tool_screens.h"

#include <filesystem>

#include "adjust/adjust_screen_model.h"
#include "chart/structure_list.h"
#include "framework/error_manager.h"
#include "registry/company_list_screen.h"
#include "shell/company_search.h"
#include "shell/company_selection_screen.h"
#include "shell/main_menu.h"

namespace vorlam::tool {

namespace {

// A screen with its own error manager and context, as every screen of the
// windows has; messages, children and writes go to the runner.
class Hosted : public Screen {
 public:
  explicit Hosted(ScreenCatalogue& catalogue)
      : catalogue_(catalogue),
        errors_(catalogue.session().errorServices(), catalogue.runner(), catalogue.session().application()),
        context_{catalogue.dictionary(), catalogue.session().state().resolver(), errors_, &catalogue.runner()} {}

 protected:
  ScreenCatalogue& catalogue_;
  ErrorManager errors_;
  ScreenContext context_;
};

class StructureListScreen : public Hosted {
 public:
  StructureListScreen(ScreenCatalogue& c, bool selecting) : Hosted(c), list_(context_, selecting) {}
  Status open() {
    Status s = list_.open();
    if (!s) list_.screen().close();
    return s;
  }
  chart::StructureList& list() { return list_; }
  ScreenModel& model() override { return list_.screen(); }

 private:
  chart::StructureList list_;
};

// The structure form on its own, over the tables of a list that is not shown.
class StructureFormScreen : public Hosted {
 public:
  StructureFormScreen(ScreenCatalogue& c, Request request) : Hosted(c), list_(context_, false), request_(request) {}
  Status open(const std::vector<std::string>& keys) {
    if (Status s = list_.open(); !s) return s;
    int64_t id = 0;
    if (request_ != Request::kInsert) {
      if (keys.size() != 1) return Status(StatusCode::kNotFound, "informe o código do plano");
      Table& t = list_.table();
      t.buffer().clear();
      t.buffer().setInt("CONP:Codigo", std::atol(keys[0].c_str()));
      if (Status s = t.get(t.def().keyIndex("CONP:KEY:CODIGO")); !s)
        return Status(StatusCode::kNotFound, "plano de contas inexistente", keys[0]);
      id = t.buffer().recordId();
    }
    form_ = std::make_unique<chart::StructureForm>(context_, list_.table(), list_.scan(), request_);
    if (form_->open(id) != FormState::kOpen) form_->screen().close();
    return Status::ok();
  }
  ScreenModel& model() override { return form_->screen(); }

 private:
  chart::StructureList list_;
  Request request_;
  std::unique_ptr<chart::StructureForm> form_;
};

class CompanyListHosted : public Hosted {
 public:
  CompanyListHosted(ScreenCatalogue& c, bool selecting) : Hosted(c), screen_(context_, selecting) {}
  Status open() { return screen_.open(); }
  registry::CompanyListScreen& screen() { return screen_; }
  ScreenModel& model() override { return screen_.model(); }

 private:
  registry::CompanyListScreen screen_;
};

class CompanySearchHosted : public Hosted {
 public:
  explicit CompanySearchHosted(ScreenCatalogue& c) : Hosted(c), screen_(context_) {}
  Status open() { return screen_.open(); }
  ScreenModel& model() override { return screen_.model(); }

 private:
  shell::CompanySearchScreen screen_;
};

class CompanySelectionHosted : public Hosted {
 public:
  explicit CompanySelectionHosted(ScreenCatalogue& c)
      : Hosted(c),
        screen_(c.session().state(), c.dictionary(), errors_, c.session().settings(),
                [&c](ScreenModel& parent) -> std::optional<uint16_t> {
                  // The search opens the company list to choose a company.
                  CompanyListHosted list(c, /*selecting=*/true);
                  if (!list.open()) return std::nullopt;
                  parent.runChild(list.model());
                  const std::optional<Record>& chosen = list.screen().chosen();
                  if (!chosen) return std::nullopt;
                  return uint16_t(chosen->getInt("EMP:Codigo"));
                }) {}
  Status open() { return screen_.open(); }
  ScreenModel& model() override { return screen_.model(); }

 private:
  shell::CompanySelectionScreen screen_;
};

class AdjustHosted : public Hosted {
 public:
  explicit AdjustHosted(ScreenCatalogue& c)
      : Hosted(c),
        screen_(c.dictionary(), c.session().state(), errors_, &c.session().application()),
        model_(screen_, context_) {}
  Status open() {
    ScreenCatalogue& c = catalogue_;
    // No company yet: the selection comes first, over the screen.
    model_.open([&c](ScreenModel& parent) {
      CompanySelectionHosted selection(c);
      if (selection.open()) parent.runChild(selection.model());
      return c.session().state().company().codigo != 0;
    });
    return Status::ok();
  }
  ScreenModel& model() override { return model_.model(); }

 private:
  adjust::AdjustScreen screen_;
  adjust::AdjustScreenModel model_;
};

class MainHosted : public Screen {
 public:
  explicit MainHosted(ScreenCatalogue& c)
      : screen_(c.session().state(),
                {.built = [](std::string_view item) { return !ScreenCatalogue::procedureOf(item).empty(); },
                 .open =
                     [&c](std::string_view item) {
                       Result<std::unique_ptr<Screen>> s = c.open(ScreenCatalogue::procedureOf(item), "", {});
                       if (s.isOk()) c.runner().show(std::move(s).value());
                     },
                 .selectCompany =
                     [&c] {
                       Result<std::unique_ptr<Screen>> s = c.open(shell::kSelectionProcedure, "", {});
                       if (s.isOk()) c.runner().show(std::move(s).value());
                     }}) {}
  ScreenModel& model() override { return screen_.model(); }

 private:
  shell::MainScreen screen_;
};

std::optional<Request> requestOf(const std::string& word) {
  if (word == "insert") return Request::kInsert;
  if (word == "change") return Request::kChange;
  if (word == "delete") return Request::kDelete;
  if (word == "view") return Request::kView;
  return std::nullopt;
}

// Opens `screen` and hands it over; a screen that could not open has shown
// why and is handed over closed.
template <typename T>
Result<std::unique_ptr<Screen>> opened(ScriptRunner& runner, std::unique_ptr<T> screen) {
  runner.attach(screen->model());
  screen->open();
  return std::unique_ptr<Screen>(std::move(screen));
}

}  // namespace

Result<std::unique_ptr<ScreenCatalogue>> ScreenCatalogue::start(const std::string& root) {
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(root, ec).lexically_normal().string();
  Result<std::unique_ptr<shell::Session>> session = shell::Session::start({absolute, absolute});
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

std::string ScreenCatalogue::procedureOf(std::string_view item) {
  if (item == shell::menu::kNiveisPlanoContas) return chart::kStructureListProcedure;
  if (item == shell::menu::kAjustePlanoContas) return adjust::kScreenProcedure;
  return {};
}

Status ScreenCatalogue::setCompany(uint16_t code) {
  ErrorManager errors(session_->errorServices(), *runner_, session_->application());
  const shell::CurrentCompany before = session_->state().company();
  shell::CompanySelection selection(session_->state(), dictionary(), errors, session_->settings(),
                                    [] { return std::optional<uint16_t>(); });
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
  const bool selecting = request == "select";
  auto refuse = [&](const char* why) { return Status(StatusCode::kNotFound, why, procedure); };
  if (sameName(procedure, shell::kFrameProcedure)) return std::unique_ptr<Screen>(new MainHosted(*this));
  if (sameName(procedure, chart::kStructureListProcedure)) {
    if (!request.empty() && !selecting) return refuse("a lista abre só para selecionar");
    return opened(*runner_, std::make_unique<StructureListScreen>(*this, selecting));
  }
  if (sameName(procedure, chart::kStructureFormProcedure)) {
    std::optional<Request> r = requestOf(request.empty() ? "insert" : request);
    if (!r) return refuse("pedido inválido para o formulário");
    auto form = std::make_unique<StructureFormScreen>(*this, *r);
    if (Status s = form->open(keys); !s) return s;
    return std::unique_ptr<Screen>(std::move(form));
  }
  if (sameName(procedure, "BEmpresa")) return opened(*runner_, std::make_unique<CompanyListHosted>(*this, selecting));
  if (sameName(procedure, shell::kSearchProcedure)) return opened(*runner_, std::make_unique<CompanySearchHosted>(*this));
  if (sameName(procedure, shell::kSelectionProcedure))
    return opened(*runner_, std::make_unique<CompanySelectionHosted>(*this));
  if (sameName(procedure, adjust::kScreenProcedure)) return opened(*runner_, std::make_unique<AdjustHosted>(*this));
  return refuse("tela desconhecida");
}

}  // namespace vorlam::tool
