// The refusals of the posting fields that open the chart or history search,
// with a search that answers as the user would; and the forms' behaviour
// that the screen scripts cannot reach (a company that cannot post).

#include "fiscal/cfop_form.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chart/account_structure.h"
#include "dictionary/dictionary.h"
#include "fiscal/cfop_list.h"
#include "fiscal/service_code_form.h"
#include "framework/dialogs.h"
#include "framework/error_manager.h"
#include "shell/app_state.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::fiscal {
namespace {

class PostingFixture : public ::testing::Test {
 protected:
  PostingFixture() {
    shell::DataLocations where;
    where.root = dir.path() + "/";
    state = std::make_unique<shell::AppState>(where);
    shell::BindingMap names;
    for (const char* f : {"ConfPlan.dat", "Historic.dat", "Cfo.dat", "CtaISS.dat"}) names[f] = dir.file(f);
    names["PlCon###.dat"] = dir.file("PlCon001.dat");
    shell::CurrentCompany company;
    company.codigo = 1;
    company.uf = "TO";
    company.codPlanoContas = 1;
    company.ano = 2024;
    state->switchCompany(company, names);
    lookup = std::make_unique<PostingLookup>(*dict, *state);
    storeChart();
  }

  void storeChart() {
    Table s(dict->find("ConfPlanoContas"));
    ASSERT_TRUE(s.open(dir.file("ConfPlan.dat")).isOk());
    const chart::AccountStructure structure = chart::makeStructure(1, {1, 1, 1, 2, 4});
    s.buffer().clear();
    s.buffer().setInt("Codigo", 1);
    s.buffer().setInt("Graus", structure.levelCount);
    for (int n = 1; n <= 5; ++n) s.buffer().setInt("G" + std::to_string(n), structure.levelDigits(n));
    ASSERT_TRUE(s.append().isOk());
    Table p(dict->find("PlanoContas"));
    ASSERT_TRUE(p.open(dir.file("PlCon001.dat")).isOk());
    struct Account {
      const char* code;
      int reduced;
      const char* description;
      int type;
    };
    for (const Account& a : {Account{"1.1.1.01", 4, "DISPONÍVEL", 1}, Account{"1.1.1.01.0001", 5, "Caixa Geral", 2},
                             Account{"1.1.4.01.0006", 33, "INSS Retido a Recuperar", 2}}) {
      p.buffer().clear();
      p.buffer().setText("PLA:Codigo", a.code);
      p.buffer().setInt("PLA:Reduzido", a.reduced);
      p.buffer().setText("PLA:Descricao", utf8ToLatin1(a.description));
      p.buffer().setInt("PLA:SintAnali", a.type);
      ASSERT_TRUE(p.append().isOk());
      if (a.reduced == 5) caixaRecord = p.buffer().recordId();
    }
    Table h(dict->find("Historico"));
    ASSERT_TRUE(h.open(dir.file("Historic.dat")).isOk());
    h.buffer().clear();
    h.buffer().setInt("HIS:CODIGO", 4);
    h.buffer().setText("HIS:Descricao", utf8ToLatin1("Valor referente compra conforme nota fiscal"));
    ASSERT_TRUE(h.append().isOk());
  }

  // What the searches are asked for, and what they give back in turn.
  PostingRules::Opener opener() {
    return [this](LookupKind kind) -> std::optional<std::vector<std::string>> {
      searches.push_back(kind);
      if (answers.empty()) return std::vector<std::string>();
      std::vector<std::string> a = {answers.front()};
      answers.erase(answers.begin());
      return a;
    };
  }

  std::unique_ptr<CfopForm> cfopForm(CfopEnvironment env) {
    cfo = std::make_unique<Table>(dict->find("CFO"));
    EXPECT_TRUE(cfo->open(dir.file("Cfo.dat")).isOk());
    auto form = std::make_unique<CfopForm>(context, *cfo, Request::kInsert, *lookup, env);
    form->setSearch(opener(), [](LookupKind) { return true; });
    return form;
  }

  const MessageBoxRequest& lastBox() const { return dialogs.boxes.back(); }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  std::unique_ptr<shell::AppState> state;
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dict, [this](const std::string& b) { return state->pathFor(b); }, errors};
  std::unique_ptr<PostingLookup> lookup;  // over `state`, made with it
  std::unique_ptr<Table> cfo;
  std::vector<LookupKind> searches;
  std::vector<std::string> answers;
  int64_t caixaRecord = 0;
};

const CfopEnvironment kPosting{.year = 2024, .state = "TO", .postingChecked = true, .plContas = 1,
                               .codigoPlanoContas = 1};

TEST_F(PostingFixture, AccountNotFoundOrSyntheticOpensTheChartSearch) {
  auto form = cfopForm(kPosting);
  ASSERT_EQ(form->open(), FormState::kOpen);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.selectTab("Integração C&ontabil").isOk());
  // Not found: the message under the group's title, then the search; the
  // account chosen there (named by its code) fills the field.
  answers = {"1.1.1.01.0001"};
  ASSERT_TRUE(m.type("CFO:CONTA_DEBITO", "999").isOk());
  EXPECT_EQ(lastBox().title, "Valor à vista.");
  EXPECT_EQ(lastBox().text, "Conta 9.9.9 não encontrada!!!");
  ASSERT_EQ(searches, std::vector<LookupKind>{LookupKind::kAccount});
  EXPECT_EQ(m.displayValue(*m.control("CFO:CONTA_DEBITO")), "1.1.1.01.0001");
  EXPECT_EQ(form->postings().description("CFO:CONTA_DEBITO"), "Caixa Geral");
  EXPECT_EQ(m.focus(), "CFO:CONTA_DEBITO");
  // Synthetic, and the search closed without a choice: the field is blank.
  ASSERT_TRUE(m.type("CFO:CONTA_CREDITO", "1.1.1.01").isOk());
  EXPECT_EQ(lastBox().text, "Conta 1.1.1.01 é uma Conta Sintética!!!");
  EXPECT_EQ(searches.size(), 2u);
  EXPECT_EQ(form->controller().text(form->controller().fieldIndex("CFO:CONTA_CREDITO")), "");
  // A chart list without a primary key names its choice by record number.
  answers = {std::to_string(caixaRecord)};
  ASSERT_TRUE(m.type("CFO:CONTA_CREDITO", "888").isOk());
  EXPECT_EQ(form->controller().text(form->controller().fieldIndex("CFO:CONTA_CREDITO")), "1.1.1.01.0001");
  // In the ICMS group the code not found stays.
  ASSERT_TRUE(m.type("CFO:ICMS_DEBITO", "777").isOk());
  EXPECT_EQ(lastBox().title, "I.C.M.S.");
  EXPECT_EQ(form->controller().text(form->controller().fieldIndex("CFO:ICMS_DEBITO")), "7.7.7");
}

TEST_F(PostingFixture, HistoryRequiredWhileTheGroupHasAnAccount) {
  auto form = cfopForm(kPosting);
  ASSERT_EQ(form->open(), FormState::kOpen);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.selectTab("Integração C&ontabil").isOk());
  ASSERT_TRUE(m.type("CFO:IPI_DEBITO", "5").isOk());
  const size_t shown = dialogs.boxes.size();
  answers = {"4"};
  ASSERT_TRUE(m.type("CFO:HISTORICO_IPI", "0").isOk());
  ASSERT_EQ(dialogs.boxes.size(), shown + 1);
  EXPECT_EQ(lastBox().title, "I.P.I.");
  EXPECT_EQ(lastBox().text, "Atenção, não se pode deixar de informar o Histórico!!!");
  ASSERT_EQ(searches, std::vector<LookupKind>{LookupKind::kHistory});
  EXPECT_EQ(form->controller().text(form->controller().fieldIndex("CFO:HISTORICO_IPI")), "4");
  EXPECT_EQ(form->postings().description("CFO:HISTORICO_IPI"), "Valor referente compra conforme nota fiscal");
  // A code that does not exist opens the search without a message.
  ASSERT_TRUE(m.type("CFO:HISTORICO_IPI", "99").isOk());
  EXPECT_EQ(dialogs.boxes.size(), shown + 1);
  EXPECT_EQ(searches.size(), 2u);
}

TEST_F(PostingFixture, SwitchOffChecksNothingAndOpensNoSearch) {
  CfopEnvironment env = kPosting;
  env.postingChecked = false;
  auto form = cfopForm(env);
  ASSERT_EQ(form->open(), FormState::kOpen);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.selectTab("Integração C&ontabil").isOk());
  ASSERT_TRUE(m.type("CFO:CONTA_DEBITO", "999").isOk());
  ASSERT_TRUE(m.type("CFO:CODIGO_HISTORIO", "0").isOk());
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_TRUE(searches.empty());
  EXPECT_FALSE(m.visible(*m.button("Pesquisa_CONTA_DEBITO")));
}

TEST_F(PostingFixture, CompanyWithoutStructureOrChartTypeCannotPost) {
  CfopEnvironment env = kPosting;
  env.codigoPlanoContas = 0;
  env.plContas = 0;
  EXPECT_EQ(cfopForm(env)->open(), FormState::kClosed);
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_NE(dialogs.boxes[0].text.find("o Código do Plano de Contas!!!"), std::string::npos);
  EXPECT_NE(dialogs.boxes[1].text.find("o tipo de Plano de Contas!!!"), std::string::npos);
  // With the switch off the company is not asked about.
  dialogs.boxes.clear();
  env.postingChecked = false;
  EXPECT_EQ(cfopForm(env)->open(), FormState::kOpen);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(PostingFixture, ServiceFormKeepsTheRefusedAccountAndSaysContaInLowerCase) {
  Table cta(dict->find("CtaISS"));
  ASSERT_TRUE(cta.open(dir.file("CtaISS.dat")).isOk());
  ServiceCodeForm form(context, cta, Request::kInsert, *lookup, true);
  form.setSearch(opener(), [](LookupKind) { return true; });
  ASSERT_EQ(form.open(), FormState::kOpen);
  ScreenModel& m = form.screen();
  ASSERT_TRUE(m.type("CTA:CTADEBITO", "1.1.1.01").isOk());
  EXPECT_EQ(lastBox().text, "Conta 1.1.1.01 é uma conta Sintética!!!");
  EXPECT_EQ(form.controller().text(form.controller().fieldIndex("CTA:CTADEBITO")), "1.1.1.01");
  ASSERT_TRUE(m.type("CTA:CTADEBITO", "999").isOk());
  EXPECT_EQ(lastBox().text, "Conta 9.9.9 não encontrada!!!");
  EXPECT_EQ(form.controller().text(form.controller().fieldIndex("CTA:CTADEBITO")), "9.9.9");
  EXPECT_EQ(searches.size(), 2u);
  // The INSS history is never checked, nor searched.
  ASSERT_TRUE(m.selectTab("Integração Contábil").isOk());
  ASSERT_TRUE(m.type("CTA:INSSRFDEBITO", "33").isOk());
  EXPECT_EQ(form.postings().description("CTA:INSSRFDEBITO"), "INSS Retido a Recuperar");
  const size_t shown = dialogs.boxes.size();
  ASSERT_TRUE(m.type("CTA:INSSRFHISTORICO", "0").isOk());
  EXPECT_EQ(dialogs.boxes.size(), shown);
  EXPECT_EQ(searches.size(), 2u);
}

// A chart code longer than a 20-character field is refused, never cut.
TEST_F(PostingFixture, AccountLongerThanItsFieldIsRefused) {
  Table p(dict->find("PlanoContas"));
  ASSERT_TRUE(p.open(dir.file("PlCon001.dat")).isOk());
  p.buffer().clear();
  p.buffer().setText("PLA:Codigo", "1.1.1.01.0001.000000001");
  p.buffer().setText("PLA:Apelido", "LONGA");
  p.buffer().setInt("PLA:Reduzido", 90);
  p.buffer().setInt("PLA:SintAnali", 2);
  ASSERT_TRUE(p.append().isOk());
  auto form = cfopForm(kPosting);
  ASSERT_EQ(form->open(), FormState::kOpen);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.selectTab("Integração C&ontabil").isOk());
  ASSERT_TRUE(m.type("CFO:CONTA_DEBITO", "LONGA").isOk());
  EXPECT_EQ(lastBox().text, "Conta 1.1.1.01.0001.000000001 não cabe neste campo, de 20 caracteres!!!");
  EXPECT_EQ(form->controller().text(form->controller().fieldIndex("CFO:CONTA_DEBITO")), "");
  // The term-value accounts hold 40 characters: there it fits.
  ASSERT_TRUE(m.type("CFO:CONTADEBITOPRAZO", "90").isOk());
  EXPECT_EQ(form->controller().text(form->controller().fieldIndex("CFO:CONTADEBITOPRAZO")),
            "1.1.1.01.0001.000000001");
}

// The list: a blank state is said and the list opens all the same; picked
// in select mode, a code is named by state, code and complement.
TEST_F(PostingFixture, CfopListOfTheStateInSelectMode) {
  {
    Table t(dict->find("CFO"));
    ASSERT_TRUE(t.open(dir.file("Cfo.dat")).isOk());
    for (auto [uf, code] : {std::pair{"TO", 5102}, std::pair{"TO", 6108}, std::pair{"MG", 5101}}) {
      t.buffer().clear();
      t.buffer().setText("CFO:ESTADO", uf);
      t.buffer().setInt("CFO:Codigo", code);
      ASSERT_TRUE(t.append().isOk());
    }
  }
  CfopEnvironment blank = kPosting;
  blank.state = "";
  CfopList none(context, blank, 0, true);
  ASSERT_TRUE(none.open().isOk());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Erro no estado");
  EXPECT_EQ(dialogs.boxes[0].text, "Estado da empresa em branco !!!");
  EXPECT_FALSE(none.screen().closed());
  EXPECT_TRUE(none.rows().rows().empty());

  CfopList list(context, kPosting, 6000, true);
  ASSERT_TRUE(list.open().isOk());
  ASSERT_EQ(list.rows().rows().size(), 1u);  // TO from 6000 on
  ASSERT_TRUE(list.screen().key("Enter").isOk());
  ASSERT_TRUE(list.chosen().has_value());
  EXPECT_EQ(primaryKeyTexts(*list.chosen()), (std::vector<std::string>{"TO", "6108", "0"}));
  EXPECT_TRUE(list.screen().closed());
}

}  // namespace
}  // namespace vorlam::fiscal
