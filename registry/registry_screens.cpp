#include "registry/registry_screens.h"

#include "registry/company_list_screen.h"

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

}  // namespace

void registerScreens(shell::ScreenRegistry& registry) {
  registry.add("BEmpresa", [](shell::ScreenServices& s, const shell::ScreenRequest& r)
                               -> Result<std::unique_ptr<Screen>> {
    return std::unique_ptr<Screen>(new CompanyListHosted(s, r.selecting()));
  });
}

}  // namespace vorlam::registry
