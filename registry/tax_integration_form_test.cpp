#include "registry/tax_integration_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/dialogs.h"
#include "registry/posting_accounts.h"
#include "shell/session.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::registry {
namespace {

// A lookup of another subsystem, which "chooses" what the test says.
class Lookup : public Screen {
 public:
  Lookup(std::string procedure, std::vector<std::string> chosen)
      : model_(procedure, procedure), chosen_(std::move(chosen)) {}
  ScreenModel& model() override { return model_; }
  std::vector<std::string> chosenKeys() const override { return chosen_; }

 private:
  ScreenModel model_;
  std::vector<std::string> chosen_;
};

class Host : public ScreenHost {
 public:
  void run(ScreenModel& child, ScreenModel*) override {
    opened.push_back(child.procedure());
    child.close();
  }
  std::vector<std::string> opened;
};

// The services of the form: its dialogs, and the chart and history lookups
// when the test registers them.
class Services : public shell::ScreenServices {
 public:
  explicit Services(shell::Session& session) : session_(session) {}
  shell::Session& session() override { return session_; }
  Dialogs& dialogs() override { return dialogs_; }
  WriteListener* writes() override { return nullptr; }
  void attach(ScreenModel& model) override {
    model.setHost(&host);
    model.setDialogs(&dialogs_);
  }
  Result<std::unique_ptr<Screen>> open(std::string_view procedure, const shell::ScreenRequest& r) override {
    EXPECT_TRUE(r.selecting());
    auto it = choices.find(std::string(procedure));
    if (it == choices.end()) return Status(StatusCode::kNotFound, "tela inexistente");
    auto screen = std::make_unique<Lookup>(std::string(procedure), it->second);
    attach(screen->model());
    (void)screen->open();
    return std::unique_ptr<Screen>(std::move(screen));
  }
  bool has(std::string_view procedure) const override { return choices.count(std::string(procedure)) != 0; }

  std::map<std::string, std::vector<std::string>> choices;  // procedure -> chosen keys
  ScriptedDialogs dialogs_;
  Host host;

 private:
  shell::Session& session_;
};

class TaxIntegrationFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string root = std::filesystem::absolute(dir.path()).lexically_normal().string();
    Result<std::unique_ptr<shell::Session>> s = shell::Session::start({root, root});
    ASSERT_TRUE(s.isOk()) << s.status().message();
    session = std::move(s).value();
    shell::AppState& state = session->state();
    state.bind({{"PlCon###.dat", dir.file("PlCon001.dat")}, {"Historic.dat", dir.file("Historic.dat")}});
    const Dictionary& dict = session->dictionary();
    write(dict, "Empresa", [](Record& r) {
      r.setInt("EMP:Codigo", 7);
      r.setText("Emp:RazaoSocial", "Empresa Sete");
      r.setInt("EMP:CodigoPlanoContas", 1);
    });
    write(dict, "ConfPlanoContas", [](Record& r) {
      r.setInt("CONP:Codigo", 1);
      r.setInt("CONP:Graus", 3);
      r.setInt("CONP:G1", 1);
      r.setInt("CONP:G2", 1);
      r.setInt("CONP:G3", 2);
    });
    chartId = write(dict, "PlanoContas", [](Record& r) { account(r, "1.1", 0, 1); });
    analyticId = write(dict, "PlanoContas", [](Record& r) { account(r, "1.1.01", 5, 2); });
    write(dict, "Historico", [](Record& r) {
      r.setInt("HIS:CODIGO", 3);
      r.setText("HIS:Descricao", "Pagamento");
    });
    std::filesystem::create_directories(dir.file("BComuns"));
    ASSERT_TRUE(session->settings()
                    .write(kPostingSwitchSection, kPostingSwitchEntry, "1", dir.file("BComuns/ctb.ini"))
                    .isOk());
  }
  static void account(Record& r, const char* code, int reduced, int kind) {
    r.setText("PLA:Codigo", code);
    r.setInt("PLA:Reduzido", reduced);
    r.setText("PLA:Descricao", std::string("Conta ") + code);
    r.setInt("PLA:SintAnali", kind);
  }
  int64_t write(const Dictionary& dict, const char* label, const std::function<void(Record&)>& fill) {
    Table t(dict.find(label));
    EXPECT_TRUE(t.open(session->state().pathFor(t.def().binding)).isOk()) << label;
    t.buffer().clear();
    fill(t.buffer());
    EXPECT_TRUE(t.append().isOk()) << label;
    return t.buffer().recordId();
  }
  std::unique_ptr<TaxIntegrationForm> open(Request request, std::vector<std::string> keys) {
    auto form = std::make_unique<TaxIntegrationForm>(*services, request, std::move(keys));
    services->attach(form->model());
    EXPECT_TRUE(form->open().isOk());
    return form;
  }
  std::string lastMessage() const {
    return services->dialogs_.boxes.empty() ? "" : services->dialogs_.boxes.back().text;
  }

  vorlam::testing::TempDir dir;
  std::unique_ptr<shell::Session> session;
  std::unique_ptr<Services> services;
  int64_t chartId = 0, analyticId = 0;
};

TEST_F(TaxIntegrationFormTest, UnknownAccountsOpenTheChartSearchAndOnlyAnalyticChoicesStand) {
  services = std::make_unique<Services>(*session);
  auto form = open(Request::kInsert, {"7"});
  ScreenModel& m = form->model();
  ASSERT_TRUE(form->switchOn());
  EXPECT_EQ(m.displayValue(*m.control("EMP:RAZAOSOCIAL")), "Empresa Sete");

  // Without the chart screen the search cannot open: the field keeps the focus.
  m.type("CIC:CONTA_DEBITO", "9.9");
  EXPECT_EQ(m.focus(), "CIC:CONTA_DEBITO");
  EXPECT_TRUE(services->host.opened.empty());

  // Chosen in the search by its record number: the full code and description.
  services->choices["PlanoContas"] = {std::to_string(analyticId)};
  m.type("CIC:CONTA_DEBITO", "9.9");
  EXPECT_EQ(m.focus(), "CIC:CONTA_DEBITO");
  EXPECT_EQ(services->host.opened, std::vector<std::string>{"PlanoContas"});
  EXPECT_EQ(form->form().text(form->form().fieldIndex("CIC:CONTA_DEBITO")), "1.1.01");
  EXPECT_EQ(m.displayValue(*m.control("LOC:DESCRICAO_DEBITO")), "Conta 1.1.01");

  // A synthetic account typed is refused, then the search opens; a
  // synthetic choice is refused too.
  services->choices["PlanoContas"] = {std::to_string(chartId)};
  m.type("CIC:CONTA_CREDITO", "11");
  EXPECT_EQ(lastMessage(), "Atenção!!! A conta selecionada deve ser uma conta analítica!!!");
  EXPECT_EQ(services->dialogs_.boxes.size(), 2u);
  EXPECT_EQ(m.displayValue(*m.control("LOC:DESCRICAO_CREDITO")), "");
  EXPECT_EQ(m.focus(), "CIC:CONTA_CREDITO");

  // Nothing chosen (the search was cancelled).
  services->choices["PlanoContas"] = {};
  m.type("CIC:CONTA_CREDITO", "NADA");
  EXPECT_EQ(m.focus(), "CIC:CONTA_CREDITO");
  m.type("CIC:CONTA_CREDITO", "5");
  EXPECT_EQ(form->form().text(form->form().fieldIndex("CIC:CONTA_CREDITO")), "1.1.01");
}

TEST_F(TaxIntegrationFormTest, HistoriesAreCheckedAndTheSaveChecksTheFieldsAgain) {
  services = std::make_unique<Services>(*session);
  auto form = open(Request::kInsert, {"7"});
  ScreenModel& m = form->model();
  m.type("CIC:CODIGO_REFERENCIA", "13");
  EXPECT_EQ(m.displayValue(*m.control("LOC:DESCRICAO_IMPOSTO")), "(PROVISÃO) Valor do imposto ICMS");
  m.type("CIC:CONTA_DEBITO", "FORNECEDOR");
  m.type("CIC:CONTA_CREDITO", "5");
  m.type("CIC:HISTORICO", "3");
  EXPECT_EQ(m.displayValue(*m.control("LOC:DESCRICAO_HISTORICO")), "Pagamento");

  // An unknown history opens the history search; its choice is taken.
  services->choices["Historico"] = {"3"};
  m.type("CIC:HISTORICO", "99");
  EXPECT_EQ(services->host.opened, std::vector<std::string>{"Historico"});
  EXPECT_EQ(form->form().record().getInt("CIC:HISTORICO"), 3);

  // The credit is changed behind the rules (a value the field refused stays
  // in the record): the save refuses it.
  services->choices.erase("PlanoContas");
  m.type("CIC:CONTA_CREDITO", "1.1");
  EXPECT_EQ(m.focus(), "CIC:CONTA_CREDITO");
  EXPECT_EQ(form->form().ok(), FormState::kOpen);
  EXPECT_EQ(lastMessage(), "Atenção!!! A conta selecionada deve ser uma conta analítica!!!");
  m.type("CIC:CONTA_CREDITO", "1.1.01");
  EXPECT_EQ(form->form().ok(), FormState::kCompleted);

  // Reopened, the stored accounts and history show their descriptions.
  auto again = open(Request::kChange, {"7", "13"});
  ScreenModel& m2 = again->model();
  EXPECT_EQ(m2.displayValue(*m2.control("LOC:DESCRICAO_CREDITO")), "Conta 1.1.01");
  EXPECT_EQ(m2.displayValue(*m2.control("LOC:DESCRICAO_HISTORICO")), "Pagamento");
  EXPECT_EQ(m2.displayValue(*m2.control("LOC:DESCRICAO_IMPOSTO")), "(PROVISÃO) Valor do imposto ICMS");
  EXPECT_EQ(m2.state(*m2.control("CIC:CODIGO_REFERENCIA")).enabled, false);
}

}  // namespace
}  // namespace vorlam::registry
