// The screens of the tool by procedure name, for screen scripts: the
// environment a ScriptRunner drives (framework/screen_script.h) on one data
// root.  The main frame `Main` opens first; its menu opens the screens that
// are built.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/screen_script.h"
#include "shell/screen_registry.h"
#include "shell/session.h"

namespace vorlam::tool {

class ScreenCatalogue : public ScriptEnvironment, public shell::ScreenServices {
 public:
  // A session on `root` (its settings files are the root's own; for a
  // server location, those of the machine's settings directory).
  static Result<std::unique_ptr<ScreenCatalogue>> start(const std::string& root);

  // The runner the screens show their messages, children and writes
  // through; shows the main frame.
  void attach(ScriptRunner& runner);

  const Dictionary& dictionary() const override { return session_->dictionary(); }
  std::string pathFor(const TableDef& table) const override;
  Status setCompany(uint16_t code) override;
  Status setPeriod(int month, int year) override;
  Status setting(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) override;
  Result<std::unique_ptr<Screen>> open(const std::string& procedure, const std::string& request,
                                      const std::vector<std::string>& keys) override;

  // The procedure a main-menu item opens; empty for an item not built.
  std::string procedureOf(std::string_view item) const { return registry_.procedureOf(item); }

  // ScreenServices: what the screens of the script are given.
  shell::Session& session() override { return *session_; }
  Dialogs& dialogs() override { return *runner_; }
  WriteListener* writes() override { return runner_; }
  void attach(ScreenModel& model) override { runner_->attach(model); }
  Result<std::unique_ptr<Screen>> open(std::string_view procedure, const shell::ScreenRequest& request) override;
  bool has(std::string_view procedure) const override { return registry_.find(procedure) != nullptr; }

  ScriptRunner& runner() { return *runner_; }

 private:
  explicit ScreenCatalogue(std::unique_ptr<shell::Session> session);

  std::unique_ptr<shell::Session> session_;
  shell::ScreenRegistry registry_;
  ScriptRunner* runner_ = nullptr;
};

}  // namespace vorlam::tool
