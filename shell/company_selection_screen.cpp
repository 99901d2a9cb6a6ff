#include "shell/company_selection_screen.h"

#include <string>

namespace vorlam::shell {

namespace {

constexpr char kCode[] = "GLO:EMPRESA:CODIGO";
constexpr char kYear[] = "GLO:ANO";
constexpr char kMonth[] = "GLO:MES";
constexpr char kHeading[] = "Seleciona a Empresa para Trabalhar";
constexpr char kCompanyGroup[] = "  Empresa";
constexpr char kPeriodGroup[] = "  Período";

Status refusedUnless(bool accepted) {
  return accepted ? Status::ok() : Status(StatusCode::kInvalidArgument, "valor recusado");
}

}  // namespace

CompanySelectionScreen::CompanySelectionScreen(AppState& state, const Dictionary& dictionary, ErrorManager& errors,
                                               SettingsFiles& settings, ChildPicker pick, CivilDate today)
    : pick_(std::move(pick)), model_(kSelectionProcedure, kSelectionTitle) {
  controller_ = std::make_unique<CompanySelection>(
      state, dictionary, errors, settings,
      [this]() -> std::optional<uint16_t> { return pick_ ? pick_(model_) : std::nullopt; }, today);
  declare();
}

Status CompanySelectionScreen::open() {
  Status s = controller_->open();
  if (!s) {
    closeWhen(controller_->requestClose());
    model_.close();
    return s;
  }
  model_.setFocus(kCode);
  controller_->windowUp();
  model_.sync();
  return s;
}

void CompanySelectionScreen::closeWhen(bool closed) {
  if (closed) model_.close();
}

void CompanySelectionScreen::applyFocusRequest() {
  switch (controller_->takeFocusRequest()) {
    case CompanySelection::Focus::kNone: return;
    case CompanySelection::Focus::kCode: return model_.setFocus(kCode);
    case CompanySelection::Focus::kYear: return model_.setFocus(kYear);
    case CompanySelection::Focus::kMonth: return model_.setFocus(kMonth);
  }
}

void CompanySelectionScreen::declare() {
  CompanySelection* c = controller_.get();
  auto codeEnabled = [c] { return ControlState{c->codeEntryEnabled(), true, false}; };
  model_.addControl({.kind = ControlKind::kDisplay, .value = [] { return std::string(kHeading); }});
  model_.addControl({.name = kCode,
                     .prompt = "0&1 - Código.....",
                     .picture = "@n6",
                     .tip = "Código da Empresa a ser selecionada",
                     .status = "Código do Empresa",
                     .value = [c] { return std::to_string(c->values().codigo); },
                     .complete =
                         [c](const std::string& v) {
                           const long code = std::stol(v);
                           if (code < 0 || code > 65535) return Status(StatusCode::kInvalidArgument, "código");
                           c->setCode(uint16_t(code));
                           c->acceptCode();
                           return Status::ok();
                         },
                     .state = codeEnabled,
                     .group = kCompanyGroup});
  model_.addButton({.tip = "Pesquisa empresas cadastradas.",
                    .status = "Pesquisa empresas cadastradas.",
                    .press = [c] { c->search(); },
                    .enabled = [c] { return c->codeEntryEnabled(); }});
  // State and name follow the company chosen; they are not typed.
  model_.addControl({.name = "GLO:EMPRESA:UF",
                     .prompt = "0&2 - Estado...",
                     .picture = "@s2",
                     .tip = "Estado",
                     .value = [c] { return c->values().uf; },
                     .state = [] { return ControlState{true, true, true}; },
                     .group = kCompanyGroup});
  model_.addControl({.name = "GLO:EMPRESA:RAZAO",
                     .prompt = "0&3 - Empresa..",
                     .picture = "@s40",
                     .value = [c] { return c->values().razao; },
                     .state = [] { return ControlState{true, true, true}; },
                     .group = kCompanyGroup});
  model_.addControl({.name = kYear,
                     .prompt = "0&4 - Ano..........",
                     .picture = "@p####p",
                     // No year yet shows blank, not as zeros.
                     .value = [c] { return c->values().ano == 0 ? std::string() : std::to_string(c->values().ano); },
                     .complete = [c](const std::string& v) { return refusedUnless(c->setYear(std::stoi(v))); },
                     .group = kPeriodGroup,
                     .suggestions = {"1997", "1998", "1999", "2000", "2001", "2002", "2003"}});
  model_.addControl({.name = kMonth,
                     .prompt = "0&5 - Mês...",
                     .picture = "@p##p",
                     .value = [c] { return std::to_string(c->values().mes); },
                     .complete = [c](const std::string& v) { return refusedUnless(c->setMonth(std::stoi(v))); },
                     .group = kPeriodGroup});
  model_.addControl({.name = "LOC:DESCRICAO_MES",
                     .kind = ControlKind::kDisplay,
                     .value = [c] { return c->monthText(); },
                     .group = kPeriodGroup,
                     .beside = true});
  model_.addControl({.kind = ControlKind::kDisplay,
                     .value = [] { return std::string("Atenção!!! "); },
                     .group = kPeriodGroup,
                     .blink = true});
  model_.addControl({.kind = ControlKind::kDisplay,
                     .value = [] { return std::string("Para selecionar o ano inteiro informe o mês como 13."); },
                     .group = kPeriodGroup,
                     .beside = true});
  model_.addButton({.caption = "&Selecionar",
                    .tip = "Confirma a seleção da empresa",
                    .status = "Confirma a seleção",
                    .press = [this, c] { closeWhen(c->select()); },
                    .isDefault = [] { return true; }});
  model_.addButton({.caption = "&Cancelar",
                    .tip = "Cancela a Seleção da Empresa",
                    .status = "Cancela a seleção",
                    .press = [this, c] { closeWhen(c->cancel()); }});
  model_.addButton({.caption = "Aj&uda", .tip = "Ajuda da janela atual", .status = "Ajuda", .press = [c] { c->help(); }});
  model_.setCloseRequest([c] { return c->requestClose(); });
  model_.addAfterAction([this] { applyFocusRequest(); });
}

}  // namespace vorlam::shell
