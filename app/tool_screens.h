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
#include "shell/session.h"

namespace vorlam::tool {

class ScreenCatalogue : public ScriptEnvironment {
 public:
  // A session on `root` (its settings files are the root's own).
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
  static std::string procedureOf(std::string_view item);

  shell::Session& session() { return *session_; }
  ScriptRunner& runner() { return *runner_; }

 private:
  explicit ScreenCatalogue(std::unique_ptr<shell::Session> session) : session_(std::move(session)) {}

  std::unique_ptr<shell::Session> session_;
  ScriptRunner* runner_ = nullptr;
};

}  // namespace vorlam::tool
