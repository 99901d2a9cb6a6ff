// The company and period selection "Selecionar empresa e período" as a
// screen model (framework/screen_model.h) over its controller
// (shell/company_selection.h): the code entry and its search button, state
// and name (shown, not typed), year and month with the month's name, and
// "&Selecionar", "&Cancelar", "Aj&uda".  The model closes when the
// controller lets the screen close.
//
// Not thread-safe: the screen runs on the thread of whoever opened it.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "framework/screen_model.h"
#include "shell/company_selection.h"

namespace vorlam::shell {

class CompanySelectionScreen : public Screen {
 public:
  // Opens the company list over `parent` to choose a company (the code of
  // the company chosen; nullopt when the user gave up).
  using ChildPicker = std::function<std::optional<uint16_t>(ScreenModel& parent)>;

  // Every referent must outlive the screen.
  CompanySelectionScreen(AppState& state, const Dictionary& dictionary, ErrorManager& errors,
                         SettingsFiles& settings, ChildPicker pick, CivilDate today = localToday());

  // Opens the controller and, once up, the launcher's hand-over.  When the
  // company file cannot be opened (message 26 shown) the model is closed.
  Status open();

  CompanySelection& controller() { return *controller_; }
  ScreenModel& model() override { return model_; }

 private:
  void declare();
  void closeWhen(bool closed);
  void applyFocusRequest();

  ChildPicker pick_;
  std::unique_ptr<CompanySelection> controller_;
  ScreenModel model_;
};

}  // namespace vorlam::shell
