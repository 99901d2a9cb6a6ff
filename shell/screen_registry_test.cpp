#include "shell/screen_registry.h"

#include <gtest/gtest.h>



namespace vorlam::shell {
namespace {

// A screen that records the order of what happens to it.
class Probe : public Screen {
 public:
  Probe(std::vector<std::string>& log, Status openResult) : log_(log), openResult_(std::move(openResult)) {}
  ScreenModel& model() override { return model_; }
  Status open() override {
    log_.push_back("open");
    return openResult_;
  }

 private:
  std::vector<std::string>& log_;
  Status openResult_;
  ScreenModel model_{"Probe", "Probe"};
};

class Services : public ScreenServices {
 public:
  explicit Services(std::vector<std::string>& log) : log_(log) {}
  Session& session() override { return *session_; }
  Dialogs& dialogs() override { return *dialogs_; }
  WriteListener* writes() override { return nullptr; }
  void attach(ScreenModel& model) override { log_.push_back("attach " + model.procedure()); }
  Result<std::unique_ptr<Screen>> open(std::string_view, const ScreenRequest&) override {
    return Status(StatusCode::kNotFound, "none");
  }
  bool has(std::string_view) const override { return false; }

 private:
  std::vector<std::string>& log_;
  Session* session_ = nullptr;
  Dialogs* dialogs_ = nullptr;
};

ScreenFactory probe(std::vector<std::string>& log, Status openResult = Status::ok()) {
  return [&log, openResult](ScreenServices&, const ScreenRequest& r) -> Result<std::unique_ptr<Screen>> {
    log.push_back("build " + r.mode);
    return std::unique_ptr<Screen>(new Probe(log, openResult));
  };
}

TEST(ScreenRegistry, NamesAreUniqueLetterCaseAsideAndTheFirstStays) {
  std::vector<std::string> first, second;
  ScreenRegistry registry;
  EXPECT_TRUE(registry.add("PlanoContas", probe(first)));
  EXPECT_FALSE(registry.add("PLANOCONTAS", probe(second)));
  ASSERT_NE(registry.find("planocontas"), nullptr);
  Services services(first);
  ASSERT_TRUE(openRegistered(registry, services, "planoContas", {.mode = "select"}).isOk());
  EXPECT_TRUE(second.empty());
  EXPECT_EQ(registry.procedures(), std::vector<std::string>{"PlanoContas"});
}

TEST(ScreenRegistry, MenuItemsOpenOneProcedureEach) {
  ScreenRegistry registry;
  EXPECT_TRUE(registry.addMenuItem("&CFOP", "BCFOP"));
  EXPECT_FALSE(registry.addMenuItem("&CFOP", "Other"));
  EXPECT_EQ(registry.procedureOf("&CFOP"), "BCFOP");
  EXPECT_EQ(registry.procedureOf("&Empresas"), "");
}

TEST(ScreenRegistry, TheModelIsAttachedBeforeTheScreenOpensAndRefusalsComeBack) {
  std::vector<std::string> log;
  ScreenRegistry registry;
  registry.add("Probe", probe(log));
  registry.add("Refuses", probe(log, Status(StatusCode::kNotFound, "registro inexistente")));
  Services services(log);
  ASSERT_TRUE(openRegistered(registry, services, "Probe", {.mode = "change", .keys = {"1"}}).isOk());
  EXPECT_EQ(log, (std::vector<std::string>{"build change", "attach Probe", "open"}));

  Result<std::unique_ptr<Screen>> refused = openRegistered(registry, services, "Refuses", {});
  ASSERT_FALSE(refused.isOk());
  EXPECT_EQ(refused.status().message(), "registro inexistente");
  EXPECT_EQ(openRegistered(registry, services, "Nothing", {}).status().code(), StatusCode::kNotFound);
}

TEST(ScreenRequest, ModeWordsBecomeFormRequests) {
  EXPECT_EQ(ScreenRequest{}.formRequest(Request::kView), Request::kView);
  EXPECT_EQ(ScreenRequest{.mode = "delete"}.formRequest(), Request::kDelete);
  EXPECT_FALSE(ScreenRequest{.mode = "select"}.formRequest().has_value());
  EXPECT_FALSE(ScreenRequest{.mode = "apagar"}.formRequest().has_value());
  EXPECT_TRUE(ScreenRequest{.mode = "select"}.selecting());
}

}  // namespace
}  // namespace vorlam::shell
