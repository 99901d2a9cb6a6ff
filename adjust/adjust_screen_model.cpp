#include "adjust/adjust_screen_model.h"

#include <algorithm>

#include "chart/structure_list.h"
#include "framework/screen_binding.h"
#include "shell/main_menu.h"

namespace vorlam::adjust {

namespace {

constexpr char kStructureField[] = "LOC:CODIGO_NOVA_ESTRUTURA";
constexpr char kYearField[] = "LOC:ANO";
constexpr char kCompanies[] = "empresas";
constexpr char kSelected[] = "selecionadas";
constexpr char kLog[] = "log";
constexpr char kClose[] = "&Fechar";
constexpr char kLookupTip[] = "Pesquisa níveis do plano de contas.";

std::string focusName(Control c) {
  switch (c) {
    case Control::kNone: return {};
    case Control::kStructure: return kStructureField;
    case Control::kYear: return kYearField;
    case Control::kCompanyList: return kCompanies;
    case Control::kSelectedList: return kSelected;
    case Control::kClose: return kClose;
  }
  return {};
}

// A bar's position as the model shows it: a percentage.
std::string percent(int64_t done, int64_t total) {
  if (total <= 0) return "0";
  return std::to_string(std::clamp<int64_t>(done * 100 / total, 0, 100));
}

std::optional<uint16_t> pickFromStructureList(ScreenContext& context, ScreenModel& parent) {
  chart::StructureList list(context, /*selecting=*/true);
  if (!list.open()) return std::nullopt;
  parent.runChild(list.screen());
  if (!list.chosen()) return std::nullopt;
  return uint16_t(list.chosen()->getInt("CONP:Codigo"));
}

}  // namespace

AdjustScreenModel::AdjustScreenModel(AdjustScreen& screen, ScreenContext& context, StructurePicker pickStructure)
    : screen_(screen), context_(context), pick_(std::move(pickStructure)), model_(kScreenProcedure, kScreenTitle) {
  if (!pick_) pick_ = [this](ScreenModel& parent) { return pickFromStructureList(context_, parent); };
  screen_.setWrites(context_.writes);
  AdjustScreen* s = &screen_;
  model_.addTab({.caption = "Selecionar empresas",
                 .current = [s] { return s->tab() == ScreenTab::kSelectCompanies; },
                 .select = [s] { s->setTab(ScreenTab::kSelectCompanies); }});
  model_.addTab({.caption = "Dados processados",
                 .current = [s] { return s->tab() == ScreenTab::kProcessedData; },
                 .select = [s] { s->setTab(ScreenTab::kProcessedData); }});
  declareFields();
  declareButtons();
  model_.setCloseRequest([this] {
    apply(screen_.close());
    return model_.closed();
  });
}

AdjustScreenModel::~AdjustScreenModel() {
  // The worker posts to the model: it ends before the model does.
  screen_.requestStop();
  screen_.waitForRun();
}

bool AdjustScreenModel::open(const CompanyPicker& pickCompany) {
  if (screen_.needsCompanySelection() && (!pickCompany || !pickCompany(model_))) {
    model_.close();
    return false;
  }
  if (!screen_.open()) {
    model_.close();
    return false;
  }
  declareLists();
  model_.setFocus(kStructureField);
  return true;
}

void AdjustScreenModel::apply(const Reaction& r) {
  if (r.openLookup) {
    std::optional<uint16_t> chosen = pick_(model_);
    apply(screen_.lookupClosed(chosen));
  }
  if (r.touchesCompanyList()) screen_.applyToCompanyList(r);
  if (r.focus != Control::kNone) model_.setFocus(focusName(r.focus));
  if (r.closeScreen) model_.close();
}

void AdjustScreenModel::declareFields() {
  AdjustScreen* s = &screen_;
  // While the run goes on the screen takes no input but "&Fechar".
  auto idle = [s] { return ControlState{!s->running(), true, false}; };
  model_.addControl({.name = kStructureField,
                     .prompt = "01 - Código da nova estrutura",
                     .picture = "@n6",
                     .tip = "Código do Plano de Contas",
                     .tab = 0,
                     .value = [s] { return std::to_string(s->structureCode()); },
                     .complete =
                         [this](const std::string& v) {
                           apply(screen_.acceptStructure(uint32_t(std::stoul(v))));
                           return Status::ok();
                         },
                     .state = idle});
  model_.addButton({.tip = kLookupTip, .status = kLookupTip, .tab = 0, .press = [this] {
                      Reaction r;
                      r.openLookup = true;
                      apply(r);
                    },
                    .enabled = [s] { return !s->running(); }});
  model_.addControl({.name = "LOC:FORMATO", .kind = ControlKind::kDisplay, .picture = "@s40", .tab = 0,
                     .value = [s] { return s->formato(); }, .beside = true});
  model_.addControl({.name = kYearField,
                     .prompt = "02 - Ano",
                     .picture = "@n6.",
                     .tip = "ano",
                     .tab = 0,
                     .value = [s] { return std::to_string(s->year()); },
                     .complete =
                         [s](const std::string& v) {
                           const unsigned long year = std::stoul(v);
                           if (year > 65535) return Status(StatusCode::kInvalidArgument, "ano");
                           s->acceptYear(uint16_t(year));
                           return Status::ok();
                         },
                     .state = idle});
  model_.addControl({.prompt = "Empresas ......................", .kind = ControlKind::kProgress, .tab = 1,
                     .value = [s] {
                       const RunProgress p = s->progress();
                       return percent(p.companiesDone, p.companiesTotal);
                     }});
  model_.addControl({.prompt = "Arquivos da empresa ...", .kind = ControlKind::kProgress, .tab = 1,
                     .value = [s] {
                       const RunProgress p = s->progress();
                       return percent(p.filePosition, p.fileTotal);
                     }});
}

void AdjustScreenModel::declareLists() {
  ListBinding companies;
  companies.name = kCompanies;
  companies.format = kCompanyListFormat;
  companies.columnFields = kCompanyListFields;
  companies.tab = 0;
  companies.cellText = [](const Record& row, int column) -> std::optional<std::string> {
    if (column == kInscricaoColumn) return inscricao(row);
    return std::nullopt;
  };
  companies.rowColours = [this](const Record& row) { return RowColours{.background = screen_.companyRowColour(row)}; };
  bindList(model_, screen_.companyList(), companies);

  AdjustScreen* s = &screen_;
  model_.addList({.name = kSelected,
                  .headers = {"Código", "Razão Social"},
                  .tab = 0,
                  .rows =
                      [s] {
                        std::vector<std::vector<std::string>> rows;
                        for (const SelectedCompany& c : s->selected())
                          rows.push_back({shell::toolbarNumber(c.code), c.name});
                        return rows;
                      },
                  .highlighted =
                      [s]() -> std::optional<size_t> {
                        if (s->selectedHighlight() < 0) return std::nullopt;
                        return size_t(s->selectedHighlight());
                      },
                  .highlight =
                      [s](size_t row) {
                        s->setSelectedHighlight(int(row));
                        return Status::ok();
                      }});
  model_.addList({.name = kLog,
                  .headers = {""},
                  .tab = 1,
                  .rows =
                      [s] {
                        std::vector<std::vector<std::string>> rows;
                        for (std::string& line : s->logLines()) rows.push_back({std::move(line)});
                        return rows;
                      },
                  .highlighted = [s]() -> std::optional<size_t> {
                    const size_t n = s->logLines().size();
                    return n == 0 ? std::nullopt : std::optional<size_t>(n - 1);
                  }});
  model_.addKey({.name = "Insert", .scope = kCompanies, .action = [this] { apply(screen_.include()); }});
  model_.addKey({.name = "Delete", .scope = kSelected, .action = [this] { apply(screen_.exclude()); }});
}

void AdjustScreenModel::declareButtons() {
  AdjustScreen* s = &screen_;
  auto idle = [s] { return !s->running(); };
  model_.addButton({.caption = "&Incluir",
                    .tip = "Incluir empresa no ajuste do plano de contas.",
                    .tab = 0,
                    .press = [this] { apply(screen_.include()); },
                    .enabled = idle});
  model_.addButton({.caption = "&Excluir",
                    .tip = "Excluir empresa do ajuste do plano de contas.",
                    .tab = 0,
                    .press = [this] { apply(screen_.exclude()); },
                    .enabled = idle});
  model_.addButton(
      {.caption = "&Restaurar",
       .tip = "Restaura a empresa selecionada como estava antes do seu último ajuste do plano de contas.",
       .tab = 0,
       .press = [this] { apply(screen_.restore()); },
       .enabled = idle});
  model_.addButton({.caption = "Ajustar",
                    .tip = "Confirma ajuste do plano de contas.",
                    .press = [this] { runAdjust(); },
                    .enabled = idle});
  model_.addButton({.caption = kClose, .tip = "Fechar e retornar.", .press = [this] { model_.requestClose(); }});
}

void AdjustScreenModel::runAdjust() {
  const bool background = model_.runsInBackground();
  apply(screen_.adjust(background ? this : nullptr));
  if (!screen_.running() || background) return;
  screen_.waitForRun();
  apply(screen_.completeRun());
}

void AdjustScreenModel::runChanged() {
  // The bars and the log are read when the model is shown again; the rows
  // written are told on the screen's thread.
  model_.post([this] { screen_.reportWrites(); });
}

void AdjustScreenModel::runEnded() {
  model_.post([this] { apply(screen_.completeRun()); });
}

}  // namespace vorlam::adjust
