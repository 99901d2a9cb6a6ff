#include "shell/main_menu.h"

#include "framework/picture.h"

namespace vorlam::shell {

namespace {

std::string trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

}  // namespace

const std::vector<MenuItemDef>& menuItems() {
  static const std::vector<MenuItemDef> kItems = {
      {"&Arquivo", menu::kCfop, false},
      {"&Arquivo", menu::kCodigoServico, false},
      {"&Arquivo", menu::kEmpresas, false},
      {"&Arquivo", menu::kFornecedores, false},
      {"&Arquivo", menu::kLancamentoPadrao, false},
      {"&Arquivo", menu::kNiveisPlanoContas, false},
      {"&Arquivo", menu::kPlanoContas, false},
      {"&Lançamentos", menu::kLancamentosContabilidade, false},
      {"&Lançamentos", menu::kNfEntradas, false},
      {"&Lançamentos", menu::kNfSaidas, false},
      {"&Lançamentos", menu::kIss51, false},
      {"&Lançamentos", menu::kIss53, false},
      {"&Lançamentos", menu::kBaixaEntradas, false},
      {"&Lançamentos", menu::kBaixaSaidas, false},
      {"&Lançamentos", menu::kBaixaIss51, false},
      {"&Lançamentos", menu::kBaixaIss53, false},
      {"A&juste", menu::kAjustePlanoContas, false},
      {"&Utilitários", menu::kAtualizacao, true},
  };
  return kItems;
}

std::string toolbarNumber(int64_t value) {
  Result<std::string> text = formatPicture("@n6.", PictureValue{value});
  return text.isOk() ? trimmed(text.value()) : std::to_string(value);
}

MainScreen::MainScreen(const AppState& state, Actions actions)
    : state_(state), actions_(std::move(actions)), model_(kFrameProcedure, kFrameTitle) {
  for (const MenuItemDef& item : menuItems()) {
    const std::string name = item.item;
    auto built = [this, name] { return actions_.built && actions_.built(name); };
    model_.addMenuItem({.path = {item.menu, item.item},
                        .status = built() ? "" : kUnbuiltStatus,
                        .enabled = built,
                        .choose = [this, name] { actions_.open(name); },
                        .statusNow = [built] { return std::string(built() ? "" : kUnbuiltStatus); }});
  }
  model_.addMenuItem({.path = {kExitMenu}, .choose = [this] { model_.requestClose(); }});
  model_.addMenuItem({.path = {kHelpMenu}, .choose = [] {}});

  const AppState* st = &state_;
  model_.addControl({.name = "GLO:EMPRESA:CODIGO", .prompt = "Código :", .kind = ControlKind::kDisplay,
                     .picture = "@n6.", .value = [st] { return std::to_string(st->company().codigo); }});
  model_.addControl({.name = "GLO:EMPRESA:TPCONTAS_DESC", .prompt = "Tipo do Plano:", .kind = ControlKind::kDisplay,
                     .picture = "@s20", .value = [st] { return st->company().tpContasDesc; }});
  model_.addControl({.name = "GLO:EMPRESA:CODPLANOCONTAS", .prompt = "Código PL:", .kind = ControlKind::kDisplay,
                     .picture = "@n6.", .value = [st] { return std::to_string(st->company().codPlanoContas); }});
  model_.addButton({.caption = kSelectCompanyCaption, .tip = kSelectCompanyTip, .status = kSelectCompanyTip,
                    .press = [this] { actions_.selectCompany(); }});
  model_.addButton({.tip = kExitTip, .status = kExitTip, .press = [this] { model_.requestClose(); }});
  model_.addControl({.name = "GLO:EMPRESA:RAZAO", .prompt = "Empresa :", .kind = ControlKind::kDisplay,
                     .picture = "@s40", .value = [st] { return st->company().razao; }});
  model_.addKey({.name = "F2", .action = [this] { actions_.selectCompany(); }});
}

}  // namespace vorlam::shell
