// The main frame "Vorlam Banco de Dados" (procedure Main) without its
// window: the menu items by their captions, the toolbar that shows the
// current company, its buttons and the F2 key, as a screen model
// (framework/screen_model.h).  The Qt frame (shell/qt/main_frame.h) and the
// script runner both open screens through it.
//
// An item whose screen is not built yet is disabled with the status text
// "Em construção".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/screen_model.h"
#include "shell/app_state.h"

namespace vorlam::shell {

// The menu items that open screens, by their text (the registry's keys).
namespace menu {
inline constexpr char kCfop[] = "&CFOP";
inline constexpr char kCodigoServico[] = "Código de Serviço";
inline constexpr char kEmpresas[] = "&Empresas";
inline constexpr char kFornecedores[] = "&Fornecedores";
inline constexpr char kLancamentoPadrao[] = "&Lançamento Padrão";
inline constexpr char kNiveisPlanoContas[] = "Níveis do Plano de Contas";
inline constexpr char kPlanoContas[] = "&Plano de Contas";
inline constexpr char kLancamentosContabilidade[] = "&Lançamentos da Contabilidade";
inline constexpr char kNfEntradas[] = "Lançamentos de NF de Entradas";
inline constexpr char kNfSaidas[] = "Lançamentos de NF de Saídas";
inline constexpr char kIss51[] = "Lançamentos de ISS Modelo 51";
inline constexpr char kIss53[] = "Lançamentos de ISS Modelo 53";
inline constexpr char kBaixaEntradas[] = "Baixa de Duplicatas de Entradas";
inline constexpr char kBaixaSaidas[] = "Baixa de Duplicatas de Saídas";
inline constexpr char kBaixaIss51[] = "Baixa de Duplicatas de ISS Modelo 51";
inline constexpr char kBaixaIss53[] = "Baixa de Duplicatas de ISS Modelo 53";
inline constexpr char kAjustePlanoContas[] = "Ajuste do Plano de Contas";
inline constexpr char kAtualizacao[] = "Atualiação";  // file maintenance, modal
}  // namespace menu

// One item of the menu bar's menus.
struct MenuItemDef {
  const char* menu;  // "&Arquivo"
  const char* item;  // "&CFOP"
  bool modal;        // runs on the frame's own thread and blocks it
};
// The items in menu order.
const std::vector<MenuItemDef>& menuItems();

inline constexpr char kFrameProcedure[] = "Main";
inline constexpr char kFrameTitle[] = "Vorlam Banco de Dados";

inline constexpr char kUnbuiltStatus[] = "Em construção";
inline constexpr char kSelectCompanyCaption[] = "Seleciona Empresa";
inline constexpr char kSelectCompanyTip[] = "Seleciona Empresa. < F2 >.";
inline constexpr char kExitTip[] = "Sair do sistema.";
inline constexpr char kExitMenu[] = "&Sair";
inline constexpr char kHelpMenu[] = "Aj&uda";

// The toolbar's values as shown: code and structure through "@n6.".
std::string toolbarNumber(int64_t value);

class MainScreen : public Screen {
 public:
  struct Actions {
    std::function<bool(std::string_view item)> built;  // the item opens a screen
    std::function<void(std::string_view item)> open;   // opens it
    std::function<void()> selectCompany;               // "Seleciona Empresa", F2
  };
  // `state` must outlive the screen.  "&Sair" and the exit button close
  // the model.
  MainScreen(const AppState& state, Actions actions);
  ScreenModel& model() override { return model_; }

 private:
  const AppState& state_;
  Actions actions_;
  ScreenModel model_;
};

}  // namespace vorlam::shell
