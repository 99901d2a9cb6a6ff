#include "registry/registry_screens.h"

#include <cstdlib>

#include "registry/branch_form.h"
#include "registry/company_form.h"
#include "registry/company_list_screen.h"
#include "registry/contract_change_form.h"
#include "registry/reference_lists.h"
#include "registry/tax_integration_form.h"
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

// A child form of the company form: a form request, with keys (insert: the
// company code).
template <typename Form>
shell::ScreenFactory childForm(const char* procedure) {
  return [procedure](shell::ScreenServices& s, const shell::ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
    std::optional<Request> request = r.formRequest();
    if (!request) return Status(StatusCode::kNotFound, "pedido inválido para o formulário", procedure);
    if (r.keys.empty()) return Status(StatusCode::kNotFound, "informe a chave do registro", procedure);
    return std::unique_ptr<Screen>(new Form(s, *request, r.keys));
  };
}

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
  registry.add(kContractChangeFormProcedure, childForm<ContractChangeForm>(kContractChangeFormProcedure));
  registry.add(kBranchFormProcedure, childForm<BranchForm>(kBranchFormProcedure));
  registry.add(kTaxIntegrationFormProcedure, childForm<TaxIntegrationForm>(kTaxIntegrationFormProcedure));
  registerReferenceScreens(registry);

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
