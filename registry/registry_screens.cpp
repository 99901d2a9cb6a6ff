#include "registry/registry_screens.h"

#include <cstdlib>

#include "registry/company_form.h"
#include "registry/company_list_screen.h"
#include "shell/main_menu.h"

namespace vorlam::registry {

namespace {

class CompanyListHosted : public shell::HostedScreen {
 public:
  CompanyListHosted(shell::ScreenServices& s, bool selecting)
      : HostedScreen(s), screen_(context_, selecting, &s) {}
  ScreenModel& model() override { return screen_.model(); }
  // A file that cannot be opened has been reported and has closed the model.
  Status open() override {
    screen_.open();
    return Status::ok();
  }
  std::vector<std::string> chosenKeys() const override {
    if (!screen_.chosen()) return {};
    return primaryKeyTexts(*screen_.chosen());
  }

 private:
  CompanyListScreen screen_;
};

class CompanyFormHosted : public shell::HostedScreen {
 public:
  CompanyFormHosted(shell::ScreenServices& s, Request request, uint16_t code)
      : HostedScreen(s), form_(s, context_, request), code_(code) {}
  ScreenModel& model() override { return form_.model(); }
  Status open() override { return form_.open(code_); }

 private:
  CompanyForm form_;
  uint16_t code_;
};

}  // namespace

void registerScreens(shell::ScreenRegistry& registry) {
  registry.add("BEmpresa", [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                               -> Result<std::unique_ptr<Screen>> {
    return std::unique_ptr<Screen>(new CompanyListHosted(s, r.selecting()));
  });
  registry.add(kCompanyFormProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                                          -> Result<std::unique_ptr<Screen>> {
    const std::optional<Request> request = r.formRequest();
    if (!request) return Status(StatusCode::kInvalidArgument, "pedido inválido para o formulário", r.mode);
    uint16_t code = 0;
    if (*request != Request::kInsert) {
      const long value = r.keys.empty() ? -1 : std::strtol(r.keys.front().c_str(), nullptr, 10);
      if (value < 0 || value > long(kMaxCompanyCode))
        return Status(StatusCode::kInvalidArgument, "código de empresa inválido");
      code = static_cast<uint16_t>(value);
    }
    return std::unique_ptr<Screen>(new CompanyFormHosted(s, *request, code));
  });
  registry.addMenuItem(shell::menu::kEmpresas, "BEmpresa");
}

}  // namespace vorlam::registry
