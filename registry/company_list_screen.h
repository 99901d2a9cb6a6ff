// The company list `BEmpresa` as a screen model (framework/screen_model.h):
// the list over `Empresa` with its three tabs and their entries, and the
// buttons of registry/company_list.h.
//
// Two uses.  Opened to select (the company and period selection's search),
// "&Seleciona" picks the highlighted company and insert, change and delete
// stay disabled.  Opened to maintain companies (menu "&Arquivo" ->
// "&Empresas"), it first makes sure a month of 1 to 12 is selected: with no
// period it hands the choice to the company and period selection (entry
// "Selecionar" of "ctb.ini" set to 3, the company locked), and a whole-year
// month 13 is refused with its message and reset to 0 until another month
// is chosen (opened to select, the month 13 is only reset).  "&Incluir", "Al&terar" and "&Excluir" open the company form
// `UEmpresa`; closing the list leaves no company current.
//
// "F&iltra" opens the query window (framework/query_screen.h, or what the
// view gives with setOnQuery()); "&Limp. Filtro" drops the query.
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/list_controller.h"
#include "framework/query_builder.h"
#include "framework/screen_model.h"
#include "shell/screen_registry.h"

namespace vorlam::registry {

inline constexpr char kWholeYearMessage[] =
    "Atenção!!! Para entrar no cadastro de empresas é necessário selecionar um mês diferente de 13 que "
    "significa Ano Completo!!!";

class CompanyListScreen : public Screen {
 public:
  // `context` (and `services`, when given) must outlive the screen.  Without
  // services the list cannot check the period nor open the company form.
  CompanyListScreen(ScreenContext& context, bool selecting, shell::ScreenServices* services = nullptr);
  // The period checks, then opens `Empresa` and shows "&Razão Social";
  // message 26 (and a closed model) when the file cannot be opened.
  Status open() override;

  ListController& list() { return list_; }
  Table& table() { return table_; }
  // The company picked by "&Seleciona"; nullopt until then.
  const std::optional<Record>& chosen() const { return chosen_; }
  // What "F&iltra" does instead of the query screen (the view's window).
  void setOnQuery(std::function<void()> query) { query_ = std::move(query); }
  ScreenModel& model() override { return model_; }

 private:
  void declare();
  // False when the list must not be shown (no month could be had).
  bool checkPeriod();
  bool canOpenForm(Request request) const;
  void openForm(Request request);
  void openQuery();
  void closing();

  ScreenContext& ctx_;
  bool selecting_;
  shell::ScreenServices* services_;
  Table table_;
  ListController list_;
  ScreenModel model_;
  std::optional<Record> chosen_;
  std::function<void()> query_;
  std::vector<QueryColumn> queryColumns_;
  std::vector<std::string> queryHeaders_;
};

}  // namespace vorlam::registry
