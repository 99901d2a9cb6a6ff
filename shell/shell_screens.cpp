#include "shell/shell_screens.h"

#include <cstdlib>

#include "shell/company_search.h"
#include "shell/company_selection_screen.h"

namespace vorlam::shell {

namespace {

class SearchHosted : public HostedScreen {
 public:
  explicit SearchHosted(ScreenServices& s) : HostedScreen(s), screen_(context_) {}
  ScreenModel& model() override { return screen_.model(); }
  // A refusal has been shown and has closed the model.
  Status open() override {
    screen_.open();
    return Status::ok();
  }
  // The company picked, for the screens that open the search as a lookup.
  std::vector<std::string> chosenKeys() const override {
    if (!screen_.chosen()) return {};
    return primaryKeyTexts(*screen_.chosen());
  }

 private:
  CompanySearchScreen screen_;
};

class SelectionHosted : public HostedScreen {
 public:
  explicit SelectionHosted(ScreenServices& s)
      : HostedScreen(s),
        screen_(s.session().state(), s.session().dictionary(), errors_, s.session().settings(),
                [&s](ScreenModel& parent) -> std::optional<uint16_t> {
                  // The search opens the company list to choose a company.
                  Result<std::unique_ptr<Screen>> list = s.open("BEmpresa", {.mode = "select"});
                  if (!list.isOk() || list.value()->model().closed()) return std::nullopt;
                  parent.runChild(list.value()->model());
                  const std::vector<std::string> keys = list.value()->chosenKeys();
                  if (keys.empty()) return std::nullopt;
                  return uint16_t(std::atoi(keys.front().c_str()));
                }) {
    // The records it repairs are writes of the screen's.
    screen_.controller().setWrites(s.writes());
  }
  ScreenModel& model() override { return screen_.model(); }
  // A refusal has been shown and has closed the model.
  Status open() override {
    screen_.open();
    return Status::ok();
  }

 private:
  CompanySelectionScreen screen_;
};

}  // namespace

void registerScreens(ScreenRegistry& registry) {
  registry.add(kSearchProcedure, [](ScreenServices& s, const ScreenRequest&) -> Result<std::unique_ptr<Screen>> {
    return std::unique_ptr<Screen>(new SearchHosted(s));
  });
  registry.add(kSelectionProcedure, [](ScreenServices& s, const ScreenRequest&) -> Result<std::unique_ptr<Screen>> {
    return std::unique_ptr<Screen>(new SelectionHosted(s));
  });
}

bool selectCompanyOver(ScreenServices& services, ScreenModel& parent) {
  Result<std::unique_ptr<Screen>> selection = services.open(kSelectionProcedure, {});
  if (selection.isOk() && !selection.value()->model().closed()) parent.runChild(selection.value()->model());
  return services.session().state().company().codigo != 0;
}

}  // namespace vorlam::shell
