// The company list `BEmpresa` as a screen model (framework/screen_model.h):
// the list over `Empresa` with its three tabs and their entries, and the
// buttons of registry/company_list.h.  Insert, change and delete belong to
// the company form, which this tool does not have yet: they stay disabled.
// "F&iltra" runs what the view gives it (the query window); "&Limp.
// Filtro" drops the query.
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <functional>
#include <optional>

#include "framework/list_controller.h"
#include "framework/screen_model.h"

namespace vorlam::registry {

class CompanyListScreen : public Screen {
 public:
  // `context` must outlive the screen.
  CompanyListScreen(ScreenContext& context, bool selecting);
  // Opens `Empresa` and shows "&Razão Social"; message 26 (and a closed
  // model) when the file cannot be opened.
  Status open();

  ListController& list() { return list_; }
  Table& table() { return table_; }
  // The company picked by "&Seleciona"; nullopt until then.
  const std::optional<Record>& chosen() const { return chosen_; }
  // What "F&iltra" does (the view's query window); nothing by default.
  void setOnQuery(std::function<void()> query) { query_ = std::move(query); }
  ScreenModel& model() override { return model_; }

 private:
  void declare();

  ScreenContext& ctx_;
  bool selecting_;
  Table table_;
  ListController list_;
  ScreenModel model_;
  std::optional<Record> chosen_;
  std::function<void()> query_;
};

}  // namespace vorlam::registry
