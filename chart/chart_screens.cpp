#include "chart/chart_screens.h"

#include <cstdlib>

#include "chart/chart_screen.h"
#include "chart/service_code_list.h"
#include "chart/structure_form.h"
#include "chart/structure_list.h"
#include "shell/main_menu.h"

namespace vorlam::chart {

namespace {

class StructureListHosted : public shell::HostedScreen {
 public:
  StructureListHosted(shell::ScreenServices& s, bool selecting) : HostedScreen(s), list_(context_, selecting) {}
  ScreenModel& model() override { return list_.screen(); }
  // A file that cannot be opened has been reported; the screen closes.
  Status open() override {
    if (!list_.open()) list_.screen().close();
    return Status::ok();
  }
  std::vector<std::string> chosenKeys() const override {
    if (!list_.chosen()) return {};
    return primaryKeyTexts(*list_.chosen());
  }

 private:
  StructureList list_;
};

// The structure form on its own, over the tables of a list that is not shown.
class StructureFormHosted : public shell::HostedScreen {
 public:
  StructureFormHosted(shell::ScreenServices& s, Request request, std::vector<std::string> keys)
      : HostedScreen(s), list_(context_, false), request_(request), keys_(std::move(keys)) {}
  ScreenModel& model() override { return form_ ? form_->screen() : placeholder_; }
  Status open() override;

 private:
  StructureList list_;
  Request request_;
  std::vector<std::string> keys_;
  std::unique_ptr<StructureForm> form_;
  // What the opener attaches to before the form exists.
  ScreenModel placeholder_{kStructureFormProcedure, ""};
};

Status StructureFormHosted::open() {
  if (Status s = list_.open(); !s) return s;
  int64_t id = 0;
  if (request_ != Request::kInsert) {
    if (keys_.size() != 1) return Status(StatusCode::kNotFound, "informe o código do plano");
    Table& t = list_.table();
    t.buffer().clear();
    t.buffer().setInt("CONP:Codigo", std::atol(keys_[0].c_str()));
    if (Status s = t.get(t.def().keyIndex("CONP:KEY:CODIGO")); !s)
      return Status(StatusCode::kNotFound, "plano de contas inexistente", keys_[0]);
    id = t.buffer().recordId();
  }
  form_ = std::make_unique<StructureForm>(context_, list_.table(), list_.scan(), request_);
  services_.attach(form_->screen());
  if (form_->open(id) != FormState::kOpen) form_->screen().close();
  return Status::ok();
}

}  // namespace

void registerScreens(shell::ScreenRegistry& registry) {
  registry.add(kStructureListProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                            -> Result<std::unique_ptr<Screen>> {
    if (!r.mode.empty() && !r.selecting())
      return Status(StatusCode::kNotFound, "a lista abre só para selecionar", kStructureListProcedure);
    return std::unique_ptr<Screen>(new StructureListHosted(s, r.selecting()));
  });
  registry.add(kStructureFormProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                            -> Result<std::unique_ptr<Screen>> {
    std::optional<Request> request = r.formRequest();
    if (!request) return Status(StatusCode::kNotFound, "pedido inválido para o formulário", kStructureFormProcedure);
    return std::unique_ptr<Screen>(new StructureFormHosted(s, *request, r.keys));
  });
  registry.addMenuItem(shell::menu::kNiveisPlanoContas, kStructureListProcedure);
  registry.add(kChartProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                    -> Result<std::unique_ptr<Screen>> {
    if (!r.mode.empty() && !r.selecting())
      return Status(StatusCode::kNotFound, "o plano de contas abre só para selecionar", kChartProcedure);
    return std::unique_ptr<Screen>(new ChartScreen(s, r.selecting()));
  });
  registry.addMenuItem(shell::menu::kPlanoContas, kChartProcedure);
  registry.add(kServiceCodeListProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                              -> Result<std::unique_ptr<Screen>> {
    if (!r.mode.empty() && !r.selecting())
      return Status(StatusCode::kNotFound, "a lista abre só para selecionar", kServiceCodeListProcedure);
    return std::unique_ptr<Screen>(new ServiceCodeList(s, r.selecting()));
  });
  registry.addMenuItem(shell::menu::kCodigoServico, kServiceCodeListProcedure);
}

}  // namespace vorlam::chart
