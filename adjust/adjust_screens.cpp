#include "adjust/adjust_screens.h"

#include "adjust/adjust_screen.h"
#include "adjust/adjust_screen_model.h"
#include "shell/main_menu.h"
#include "shell/shell_screens.h"

namespace vorlam::adjust {

namespace {

class AdjustHosted : public shell::HostedScreen {
 public:
  explicit AdjustHosted(shell::ScreenServices& s)
      : HostedScreen(s),
        screen_(s.session().dictionary(), s.session().state(), errors_, &s.session().application()),
        model_(screen_, context_) {}
  ScreenModel& model() override { return model_.model(); }
  // No company yet: the selection comes first, over the screen.
  Status open() override {
    model_.open([this](ScreenModel& parent) { return shell::selectCompanyOver(services_, parent); });
    return Status::ok();
  }

 private:
  AdjustScreen screen_;
  AdjustScreenModel model_;
};

}  // namespace

void registerScreens(shell::ScreenRegistry& registry) {
  registry.add(kScreenProcedure, [](shell::ScreenServices& s, const shell::ScreenRequest&)
                                     -> Result<std::unique_ptr<Screen>> {
    return std::unique_ptr<Screen>(new AdjustHosted(s));
  });
  registry.addMenuItem(shell::menu::kAjustePlanoContas, kScreenProcedure);
}

}  // namespace vorlam::adjust
