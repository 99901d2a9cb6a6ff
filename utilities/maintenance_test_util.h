// A StepListener for tests of file maintenance: records what an operation
// reports and answers "cancelled" as told.
#pragma once

#include <string>
#include <vector>

#include "utilities/file_maintenance.h"

namespace vorlam::utilities {

class RecordingListener : public StepListener {
 public:
  void action(const std::string& text) override { actions.push_back(text); }
  void progress(int64_t done, int64_t total) override { percents.push_back(progressPercent(done, total)); }
  bool cancelled() override { return cancel; }
  void message(const std::string& title, const std::string& text) override { messages.push_back(title + ": " + text); }
  std::vector<std::string> actions, messages;
  std::vector<int> percents;
  bool cancel = false;
};

}  // namespace vorlam::utilities
