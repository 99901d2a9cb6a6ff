#include "registry/registry_screens.h"

#include "registry/branch_form.h"
#include "registry/company_list_screen.h"
#include "registry/contract_change_form.h"
#include "registry/reference_lists.h"
#include "registry/tax_integration_form.h"

namespace vorlam::registry {

namespace {

class CompanyListHosted : public shell::HostedScreen {
 public:
  CompanyListHosted(shell::ScreenServices& s, bool selecting) : HostedScreen(s), screen_(context_, selecting) {}
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
}

}  // namespace vorlam::registry
