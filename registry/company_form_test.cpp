// The company form on a sample root: what it does to the stored record and
// to the process's state that a screen script cannot see.
#include "registry/company_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "sampledata/demo_data.h"
#include "shell/session.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::registry {
namespace {

namespace fs = std::filesystem;

// What a screen is given, without any screen to open.
class Services : public shell::ScreenServices {
 public:
  explicit Services(shell::Session& session) : session_(session) {}
  shell::Session& session() override { return session_; }
  Dialogs& dialogs() override { return dialogs_; }
  WriteListener* writes() override { return nullptr; }
  void attach(ScreenModel& model) override { model.setDialogs(&dialogs_); }
  Result<std::unique_ptr<Screen>> open(std::string_view, const shell::ScreenRequest&) override {
    return Status(StatusCode::kNotFound, "nenhuma");
  }
  bool has(std::string_view) const override { return false; }

  ScriptedDialogs dialogs_;

 private:
  shell::Session& session_;
};

class CompanyFormTest : public ::testing::Test {
 protected:
  // One sample root for the suite; each test works on a copy.
  static void SetUpTestSuite() {
    pristine_ = new vorlam::testing::TempDir();
    sampledata::DemoOptions o;
    o.root = pristine_->path() + "/root/";
    o.companies = 3;
    o.entries = 0;
    o.years = {2024};
    ASSERT_TRUE(sampledata::generateDemo(o).isOk());
  }
  static void TearDownTestSuite() {
    delete pristine_;
    pristine_ = nullptr;
  }
  void SetUp() override {
    const std::string root = dir_.path() + "/root/";
    fs::copy(pristine_->path() + "/root", root, fs::copy_options::recursive);
    Result<std::unique_ptr<shell::Session>> s = shell::Session::start({root, root});
    ASSERT_TRUE(s.isOk()) << s.status().message();
    session_ = std::move(s).value();
    services_ = std::make_unique<Services>(*session_);
    shell::CurrentCompany period;
    period.ano = 2024;
    period.mes = 3;
    session_->state().setCompany(period);
  }

  // Company `code`'s stored record, or a blank one.
  Record stored(uint16_t code) {
    Table t(session_->dictionary().find("Empresa"));
    EXPECT_TRUE(t.open(session_->state().pathFor("Empresas.dat"), OpenMode::kReadOnly).isOk());
    t.buffer().setInt("EMP:Codigo", code);
    EXPECT_TRUE(t.get(t.def().keyIndex("EMP:KEY:CODIGO")).isOk());
    return t.buffer();
  }
  void store(uint16_t code, const char* field, int64_t value) {
    Table t(session_->dictionary().find("Empresa"));
    ASSERT_TRUE(t.open(session_->state().pathFor("Empresas.dat")).isOk());
    t.buffer().setInt("EMP:Codigo", code);
    ASSERT_TRUE(t.get(t.def().keyIndex("EMP:KEY:CODIGO")).isOk());
    t.buffer().setInt(field, value);
    ASSERT_TRUE(t.update().isOk());
  }

  struct Screen {
    Screen(Services& s, Request r) : errors(s.session().errorServices(), s.dialogs(), s.session().application()),
                                     context{s.session().dictionary(), s.session().state().resolver(), errors},
                                     form(s, context, r) {
      s.attach(form.model());
    }
    ErrorManager errors;
    ScreenContext context;
    CompanyForm form;
  };

  static inline vorlam::testing::TempDir* pristine_ = nullptr;
  vorlam::testing::TempDir dir_;
  std::unique_ptr<shell::Session> session_;
  std::unique_ptr<Services> services_;
};

TEST_F(CompanyFormTest, StoredSettingsShowOneOnlyWhenZeroAndAreNotWrittenUnlessSaved) {
  store(1, "EMP:Lotes", 0);
  store(1, "EMP:TipoPagamento", 0);
  {
    Screen screen(*services_, Request::kChange);
    ASSERT_TRUE(screen.form.open(1).isOk());
    EXPECT_EQ(screen.form.model().displayValue(*screen.form.model().control("EMP:Lotes")), "1 Sim ");
    // Opening made the company current, with its name.
    EXPECT_EQ(session_->state().company().codigo, 1);
    // The defaults are no edit: cancelling asks nothing and writes nothing.
    EXPECT_TRUE(screen.form.model().requestClose());
    EXPECT_TRUE(services_->dialogs_.boxes.empty());
    EXPECT_EQ(session_->state().company().codigo, 0);
  }
  EXPECT_EQ(stored(1).getInt("EMP:Lotes"), 0);
  EXPECT_EQ(stored(1).getInt("EMP:TipoPagamento"), 0);

  // Company 2 works without lots (2): saving another change keeps it.
  Screen screen(*services_, Request::kChange);
  ASSERT_TRUE(screen.form.open(2).isOk());
  ASSERT_TRUE(screen.form.model().type("EMP:Bairro", "Centro").isOk());
  ASSERT_TRUE(screen.form.model().press("&Gravar").isOk());
  EXPECT_TRUE(screen.form.model().closed());
  EXPECT_EQ(latin1ToUtf8(stored(2).getAsText(stored(2).def().fieldIndex("EMP:Bairro"))), "Centro");
  EXPECT_EQ(stored(2).getInt("EMP:Lotes"), 2);
}

TEST_F(CompanyFormTest, OpeningMakesTheCompanyCurrentWithTheChartInForceAndClosingClearsIt) {
  // Company 3 moved from structure 1 (general chart) to 3 (own chart) in
  // 2024: in 2023 the older settings are in force.
  shell::CurrentCompany period = session_->state().company();
  period.ano = 2023;
  session_->state().setCompany(period);
  Screen screen(*services_, Request::kChange);
  ASSERT_TRUE(screen.form.open(3).isOk());
  shell::CurrentCompany now = session_->state().company();
  EXPECT_EQ(now.codigo, 3);
  EXPECT_EQ(now.codPlanoContas, 1);
  EXPECT_EQ(now.plContas, 1);
  EXPECT_EQ(now.tpContasDesc, "Geral");
  EXPECT_FALSE(session_->state().pathFor("Funciona.dat").empty());
  ASSERT_TRUE(screen.form.model().press("&Cancelar").isOk());
  now = session_->state().company();
  EXPECT_EQ(now.codigo, 0);
  EXPECT_EQ(now.razao, "");
  EXPECT_EQ(now.codPlanoContas, 0);
  EXPECT_EQ(now.plContas, 0);
  EXPECT_EQ(now.tpContasDesc, "");
  EXPECT_EQ(now.ano, 2023);
}

TEST_F(CompanyFormTest, ChildListsShowTheCompanysBranchesAndIntegrationAccounts) {
  {
    Table branches(session_->dictionary().find("Filiais"));
    ASSERT_TRUE(branches.open(session_->state().pathFor("Filiais.dat")).isOk());
    for (auto [head, branch, unified] : {std::tuple{1, 2, 1}, {1, 3, 0}, {2, 4, 0}}) {
      branches.buffer().clear();
      branches.buffer().setInt("Filiais:Matriz", head);
      branches.buffer().setInt("Filiais:Filial", branch);
      branches.buffer().setInt("Filiais:Contabilidade", unified);
      ASSERT_TRUE(branches.append().isOk());
    }
  }
  Screen screen(*services_, Request::kChange);
  ASSERT_TRUE(screen.form.open(1).isOk());
  ScreenModel& m = screen.form.model();
  const ScreenList* branches = m.list("filiais");
  ASSERT_NE(branches, nullptr);
  EXPECT_EQ(branches->headers, (std::vector<std::string>{"Código", "Razão Social", "Unificação"}));
  EXPECT_EQ(branches->rows(), (std::vector<std::vector<std::string>>{
                                  {"2", "Freitas & Marques Padaria e Confeitaria", "X"},
                                  {"3", "Francisco Rodrigues Araújo", ""}}));
  const ScreenList* accounts = m.list("integracao");
  ASSERT_NE(accounts, nullptr);
  // The sample's thirty accounts of company 1, with their reference texts.
  const auto rows = accounts->rows();
  ASSERT_EQ(rows.size(), 30u);
  EXPECT_EQ(rows[0][0], "1");
  EXPECT_EQ(rows[0][1], "(BAIXA) Valor da Duplicata de entrada");
  EXPECT_EQ(rows[0][2], "FORNECEDOR");
  EXPECT_EQ(rows[12][1], "(PROVISÃO) Valor do imposto ICMS");
  // The "Imposto" column shows 50 characters.
  EXPECT_EQ(rows[29][1], "(PAGAMENTO) Valor do imposto Substituição Tributár");
  // The forms of the rows are not built here: their buttons stay disabled.
  ASSERT_TRUE(m.selectTab("&Integração / Filiais").isOk());
  for (const char* b : {"&Inclusão", "Alteração", "&Exclui", "&Incluir", "&Alterar", "&Excluir"})
    EXPECT_FALSE(m.enabled(*m.button(b))) << b;
}

TEST_F(CompanyFormTest, LogoIsChosenUnderTheImagesFolderAndTheWorkingDirectoryStays) {
  const fs::path before = fs::current_path();
  Screen screen(*services_, Request::kChange);
  ASSERT_TRUE(screen.form.open(1).isOk());
  LogoRequest asked;
  screen.form.setLogoChooser([&](const LogoRequest& r) {
    asked = r;
    return std::optional<std::string>("logo.bmp");
  });
  ASSERT_TRUE(screen.form.model().press("logo").isOk());
  EXPECT_EQ(asked.title, "Escolha um Arquivo");
  EXPECT_EQ(asked.filter, "Imagens | *.bmp;*.gif;*.jpg;*.wmf;*.ico;*.pcx");
  const fs::path images = fs::path(session_->state().dataRoot()) / "Imagens";
  EXPECT_EQ(fs::path(asked.directory), images);
  EXPECT_EQ(screen.form.controller().text(screen.form.controller().fieldIndex("EMP:Logo")),
            (images / "logo.bmp").lexically_normal().string());
  EXPECT_EQ(fs::current_path(), before);
}

TEST_F(CompanyFormTest, CodesAboveSixteenBitsAreRefusedNotWrapped) {
  Screen screen(*services_, Request::kInsert);
  ASSERT_TRUE(screen.form.open(0).isOk());
  ASSERT_TRUE(screen.form.model().type("EMP:Codigo", "65537").isOk());
  ASSERT_EQ(services_->dialogs_.boxes.size(), 1u);
  EXPECT_EQ(services_->dialogs_.boxes[0].text, kCodeTooLargeMessage);
  EXPECT_EQ(screen.form.model().focus(), "EMP:Codigo");
  // Company 1 (65537 wrapped) did not become current.
  EXPECT_NE(session_->state().company().codigo, 1);
  EXPECT_EQ(screen.form.controller().text(screen.form.controller().fieldIndex("EMP:Codigo")), "0");
}

}  // namespace
}  // namespace vorlam::registry
