// The screen "Atualização Arquivos" as a screen model
// (framework/screen_model.h) over its controller (file_manager.h): the list
// "arquivos" (a click toggles a line's tag; Up, Down, Home and End move the
// cursor), the ten buttons, and the "Progress..." window's controls
// ("Current File :", "Action :", "Progress :", "Files Left     :", the
// second bar "LOC:ProgressoTotal" and "&Cancel"), visible while an
// operation runs and holding its last state afterwards.
//
// Without an async listener an operation button returns once the run has
// ended (what a script wants); a window sets one with setAsync() and polls.
#pragma once

#include <functional>

#include "framework/screen_model.h"
#include "shell/screen_registry.h"
#include "utilities/file_manager.h"

namespace vorlam::utilities {

class FileManagerScreen : public shell::HostedScreen {
 public:
  explicit FileManagerScreen(shell::ScreenServices& services, std::string recfix = recfixProgram());
  ScreenModel& model() override { return model_; }
  // The opening questions; the model closes when either is not "&Sim".
  Status open() override;
  FileManager& manager() { return manager_; }
  // Operation buttons return at once; `changed` is called on the worker
  // thread whenever the view should look again (then call manager().pump()
  // on the screen's thread).
  void setAsync(std::function<void()> changed);

 private:
  void declareList();
  void declareButtons();
  void declareProgress();
  void runOperation(MaintenanceOp op);

  FileManager manager_;
  ScreenModel model_;
  bool async_ = false;
};

}  // namespace vorlam::utilities
