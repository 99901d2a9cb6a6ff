// The customer/supplier form and its accounts, over a small company: one
// structure (1.1.1.2.4 unless a test says otherwise), one chart, one
// customer/supplier file.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "chart/account_structure.h"
#include "dictionary/dictionary.h"
#include "fiscal/missing_accounts.h"
#include "fiscal/party_accounts.h"
#include "fiscal/party_form.h"
#include "framework/dialogs.h"
#include "framework/error_manager.h"
#include "framework/screen_context.h"
#include "shell/app_state.h"
#include "shell/company_files.h"
#include "storage/table.h"
#include "storage/test_util.h"
#include "storage/text.h"

namespace vorlam::fiscal {
namespace {

constexpr char kCustomerGroup[] = "1.1.2.01";
constexpr char kSupplierGroup[] = "2.1.1.01";

class PartyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell::BindingMap names;
    for (const char* binding : {shell::kEmpresaFile, "ConfPlan.dat", shell::kPlanoContasFile, "ForCli.dat"})
      names[binding] = dir.file(binding);
    state.bind(names);
    shell::CurrentCompany c;
    c.codigo = 1;
    c.codPlanoContas = 1;
    state.setCompany(c);
    structure({1, 1, 1, 2, 4});
    company(kNumberingSequential);
    for (const char* g : {"1", "1.1", "1.1.2", "1.1.2.01", "2", "2.1", "2.1.1", "2.1.1.01"}) account(g, 1);
  }

  void structure(std::initializer_list<int> widths) {
    Table t(dict->find("ConfPlanoContas"));
    ASSERT_TRUE(t.open(dir.file("ConfPlan.dat")));
    chart::AccountStructure s = chart::makeStructure(1, widths);
    t.buffer().clear();
    t.buffer().setInt("CONP:Codigo", 1);
    if (t.get(0)) {
      ASSERT_TRUE(t.erase());
    }
    t.buffer().clear();
    t.buffer().setInt("CONP:Codigo", 1);
    t.buffer().setInt("CONP:Graus", s.levelCount);
    for (int n = 1; n <= chart::kStoredLevels; ++n) t.buffer().setInt("CONP:G" + std::to_string(n), s.levelDigits(n));
    ASSERT_TRUE(t.append());
  }

  void company(int numbering) {
    Table t(dict->find("Empresa"));
    ASSERT_TRUE(t.open(dir.file(shell::kEmpresaFile)));
    t.buffer().clear();
    t.buffer().setInt("EMP:Codigo", 1);
    if (t.get(t.def().keyIndex("EMP:KEY:CODIGO"))) {
      ASSERT_TRUE(t.erase());
    }
    t.buffer().clear();
    t.buffer().setInt("EMP:Codigo", 1);
    t.buffer().setInt("EMP:CodigoPlanoContas", 1);
    t.buffer().setInt("EMP:TipoAutomatica", numbering);
    t.buffer().setText("EMP:GrupoCliente", kCustomerGroup);
    t.buffer().setText("EMP:GrupoFornecedor", kSupplierGroup);
    ASSERT_TRUE(t.append());
  }

  void account(const std::string& code, int type) {
    Table t(dict->find("PlanoContas"));
    ASSERT_TRUE(t.open(dir.file(shell::kPlanoContasFile)));
    t.buffer().clear();
    t.buffer().setText("PLA:Codigo", code);
    t.buffer().setInt("PLA:Reduzido", ++reduced);
    t.buffer().setText("PLA:Descricao", "Conta " + code);
    t.buffer().setInt("PLA:SintAnali", type);
    ASSERT_TRUE(t.append());
  }

  // A party as the sample files hold them; returns its record number.
  int64_t party(uint32_t code, const std::string& name, const std::string& cgc, bool customer, bool supplier,
                const std::string& customerAccount = "", const std::string& supplierAccount = "") {
    Table t(dict->find("ForCli"));
    EXPECT_TRUE(t.open(dir.file("ForCli.dat")));
    Record& r = t.buffer();
    r.clear();
    r.setInt("FOR:Codigo", code);
    r.setInt("FOR:TipoInscricao", 1);
    r.setText("FOR:CGC", cgc);
    r.setText("FOR:Nome", utf8ToLatin1(name));
    r.setInt("FOR:Clientes", customer);
    r.setInt("FOR:Fornecedor", supplier);
    r.setText("FOR:ContaCliente", customerAccount);
    r.setText("FOR:ContaFornecedor", supplierAccount);
    EXPECT_TRUE(t.append());
    return t.buffer().recordId();
  }

  // The stored chart: "code reduced" per account, in code order.
  std::vector<std::string> chartRows() {
    Table t(dict->find("PlanoContas"));
    EXPECT_TRUE(t.open(dir.file(shell::kPlanoContasFile), OpenMode::kReadOnly));
    std::vector<std::string> out;
    EXPECT_TRUE(t.seekStart(t.def().keyIndex("PLA:KEY:CODIGO")));
    while (t.next())
      out.push_back(std::string(t.buffer().getText("PLA:Codigo")) + " " + t.buffer().getAsText(t.def().fieldIndex("PLA:Reduzido")));
    return out;
  }

  Record storedParty(uint32_t code) {
    Table t(dict->find("ForCli"));
    EXPECT_TRUE(t.open(dir.file("ForCli.dat"), OpenMode::kReadOnly));
    t.buffer().clear();
    t.buffer().setInt("FOR:Codigo", code);
    if (!t.get(t.def().keyIndex("FOR:KEY:CODIGO1"))) t.buffer().clear();
    return t.buffer();
  }

  std::unique_ptr<PartyForm> openForm(Request request, int64_t id = 0) {
    allTables.push_back(std::make_unique<PartyTables>(*dict));
    PartyTables& tables = *allTables.back();
    EXPECT_TRUE(tables.open(context, *dict, state));
    auto form = std::make_unique<PartyForm>(context, tables, request);
    form->screen().setDialogs(&dialogs);
    EXPECT_EQ(form->open(id), FormState::kOpen);
    return form;
  }

  std::vector<std::string> boxTexts() const {
    std::vector<std::string> out;
    for (const MessageBoxRequest& b : dialogs.boxes) out.push_back(b.text);
    return out;
  }

  testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  shell::AppState state{shell::DataLocations{dir.path() + "/", "", "", "", "", ""}};
  ScriptedDialogs dialogs;
  ErrorServices services;
  ShutdownCoordinator shutdown;
  ErrorManager errors{services, dialogs, shutdown};
  ScreenContext context{*dict, state.resolver(), errors};
  std::vector<std::unique_ptr<PartyTables>> allTables;  // one per form, kept while the test runs
  uint32_t reduced = 0;
};

TEST_F(PartyTest, SequentialProposalFollowsTheLastAccountOfTheGroup) {
  auto form = openForm(Request::kInsert);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.type("FOR:Fornecedor", "1"));
  EXPECT_EQ(m.displayValue(*m.control("FOR:ContaFornecedor")), "2.1.1.01.0001");

  for (int n = 1; n <= 7; ++n) account(std::string(kSupplierGroup) + ".000" + std::to_string(n), 2);
  auto second = openForm(Request::kInsert);
  ASSERT_TRUE(second->screen().type("FOR:Fornecedor", "1"));
  EXPECT_EQ(second->controller().text(second->controller().fieldIndex("FOR:ContaFornecedor")), "2.1.1.01.0008");
  // Off empties and disables; on again proposes the same.
  ASSERT_TRUE(second->screen().type("FOR:Fornecedor", "0"));
  EXPECT_EQ(second->controller().text(second->controller().fieldIndex("FOR:ContaFornecedor")), "");
  EXPECT_FALSE(second->screen().state(*second->screen().control("FOR:ContaFornecedor")).enabled);
}

TEST_F(PartyTest, TaxpayerProposalTakesTheCnpjRootToTheLastLevel) {
  structure({1, 1, 1, 2, 9});
  company(kNumberingTaxpayer);
  auto form = openForm(Request::kInsert);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.type("FOR:CGC", "11.222.333/0001-81"));
  ASSERT_TRUE(m.type("FOR:Clientes", "1"));
  EXPECT_EQ(form->controller().text(form->controller().fieldIndex("FOR:ContaCliente")), "1.1.2.01.011222333");
  // An alphanumeric root has no number: nothing is proposed.
  EXPECT_EQ(taxpayerProposal("1.1.2.01", 9, 1, "12ABC34501DE35", ""), std::nullopt);
  EXPECT_EQ(taxpayerProposal("1.1.2.01", 9, 2, "", "12345678909"), "1.1.2.01.123456789");
  // A root wider than the level is refused, not cut.
  EXPECT_EQ(taxpayerProposal("1.1.2.01", 4, 1, "11222333000181", ""), std::nullopt);
}

TEST_F(PartyTest, TypedAccountIsRewrittenUnderTheGroupAndZeroPadded) {
  EXPECT_EQ(rewriteTypedAccount("1.1.3.01", 4, "2.2.2.02.0015"), "1.1.3.01.0015");
  // Shorter than the last level: padded, never sliced before its start.
  EXPECT_EQ(rewriteTypedAccount("1.1.3.01", 4, "15"), "1.1.3.01.0015");
  EXPECT_EQ(rewriteTypedAccount("1.1.3.01", 4, "2.15  "), "1.1.3.01.0015");
  EXPECT_EQ(rewriteTypedAccount("1.1.3.01", 4, "abc"), std::nullopt);

  auto form = openForm(Request::kInsert);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.type("FOR:Clientes", "1"));
  ASSERT_TRUE(m.type("FOR:ContaCliente", "7"));
  EXPECT_EQ(m.displayValue(*m.control("FOR:ContaCliente")), "1.1.2.01.0007");
  m.type("FOR:ContaCliente", "x7");
  EXPECT_EQ(boxTexts().back(), "Atenção!!! A conta informada não é válida!!!");
  EXPECT_EQ(m.focus(), "FOR:ContaCliente");
}

TEST_F(PartyTest, BlankInscriptionIsRefusedAndInvalidNumbersKeepTheFocus) {
  auto form = openForm(Request::kInsert);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.type("FOR:Nome", "Sem Número Ltda"));
  ASSERT_TRUE(m.press("&Grava"));
  EXPECT_FALSE(m.closed());
  EXPECT_EQ(boxTexts().back(), kBlankInscriptionText);
  EXPECT_EQ(m.focus(), "FOR:TipoInscricao");
  EXPECT_EQ(storedParty(1).getInt("FOR:Codigo"), 0);

  m.type("FOR:CGC", "11222333000182");
  EXPECT_EQ(dialogs.boxes.back().title, "Número do CGC está Incorreto");
  EXPECT_EQ(m.focus(), "FOR:CGC");
  // A CPF alone passes the blank check.
  ASSERT_TRUE(m.type("FOR:TipoInscricao", "2"));
  ASSERT_TRUE(m.type("FOR:CPF", "123.456.789-09"));
  ASSERT_TRUE(m.press("&Grava"));
  EXPECT_TRUE(m.closed());
  EXPECT_EQ(storedParty(1).getText("FOR:CPF"), "12345678909");
}

TEST_F(PartyTest, SavingAddsTheAccountsOnceAndAnExistingOneIsReported) {
  auto form = openForm(Request::kInsert);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.type("FOR:Nome", "Silva Comércio Ltda"));
  ASSERT_TRUE(m.type("FOR:CGC", "11222333000181"));
  ASSERT_TRUE(m.type("FOR:Clientes", "1"));
  ASSERT_TRUE(m.type("FOR:Fornecedor", "1"));
  ASSERT_TRUE(m.press("&Grava"));
  ASSERT_TRUE(m.closed());
  EXPECT_TRUE(dialogs.boxes.empty());
  const std::vector<std::string> rows = chartRows();
  EXPECT_NE(std::find(rows.begin(), rows.end(), "1.1.2.01.0001 9"), rows.end());
  EXPECT_NE(std::find(rows.begin(), rows.end(), "2.1.1.01.0001 10"), rows.end());
  {
    Table t(dict->find("PlanoContas"));
    ASSERT_TRUE(t.open(dir.file(shell::kPlanoContasFile), OpenMode::kReadOnly));
    t.buffer().setText("PLA:Codigo", "2.1.1.01.0001");
    ASSERT_TRUE(t.get(0));
    EXPECT_EQ(t.buffer().getText("PLA:Apelido"), "SILVA");
    EXPECT_EQ(t.buffer().getText("PLA:Indice"), "2.1.1.01");
    EXPECT_EQ(t.buffer().getInt("PLA:SintAnali"), 2);
  }

  // The same account on both sides is added once, without a message.
  auto same = openForm(Request::kInsert);
  ASSERT_TRUE(same->screen().type("FOR:CGC", "11444777000161"));
  ASSERT_TRUE(same->screen().type("FOR:Clientes", "1"));
  ASSERT_TRUE(same->screen().type("FOR:Fornecedor", "1"));
  const int c = same->controller().fieldIndex("FOR:ContaCliente");
  const int s = same->controller().fieldIndex("FOR:ContaFornecedor");
  ASSERT_TRUE(same->controller().assignText(c, "1.1.2.01.0009"));
  ASSERT_TRUE(same->controller().assignText(s, "1.1.2.01.0009"));
  ASSERT_TRUE(same->screen().press("&Grava"));
  EXPECT_TRUE(same->screen().closed());
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(chartRows().size(), 11u);

  // Changing to an account the chart has: reported, nothing added.
  auto change = openForm(Request::kChange, storedParty(1).recordId());
  ASSERT_TRUE(change->screen().type("FOR:ContaCliente", "1.1.2.01.0009"));
  ASSERT_TRUE(change->screen().press("&Grava"));
  EXPECT_TRUE(change->screen().closed());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Atenção!!! Conta cliente : 1.1.2.01.0009 já está cadastrada!!!");
  EXPECT_EQ(chartRows().size(), 11u);
  EXPECT_EQ(storedParty(1).getText("FOR:ContaCliente"), "1.1.2.01.0009");
}

TEST_F(PartyTest, ADeclinedOrFailedAccountLeavesTheRecordUnsaved) {
  party(1, "Costa Ltda", "11222333000181", true, false, "1.1.2.01.0001");
  account("1.1.2.01.0001", 2);
  // Changing to a new account: "&Não" keeps the form open, nothing written.
  auto form = openForm(Request::kChange, storedParty(1).recordId());
  dialogs.answerQuestion(1);
  ASSERT_TRUE(form->screen().type("FOR:ContaCliente", "0005"));
  ASSERT_TRUE(form->screen().press("&Grava"));
  EXPECT_FALSE(form->screen().closed());
  EXPECT_EQ(dialogs.questions.back().text,
            "Atenção!!! Alteração da conta Cliente. Confirma Inclusão no Plano de Contas???");
  EXPECT_EQ(storedParty(1).getText("FOR:ContaCliente"), "1.1.2.01.0001");
  EXPECT_EQ(chartRows().size(), 9u);

  // "&Sim", but every reduced code is taken by another workstation first:
  // three attempts, message 4, the record stays as it was.
  int clashes = 0;
  form->setBeforeAdd([&](Table& chart, uint32_t next) {
    ++clashes;
    Record keep = chart.buffer();
    chart.buffer().clear();
    chart.buffer().setText("PLA:Codigo", "9." + std::to_string(next));
    chart.buffer().setInt("PLA:Reduzido", next);
    EXPECT_TRUE(chart.append());
    chart.buffer() = keep;
  });
  dialogs.answerQuestion(2);
  ASSERT_TRUE(form->screen().press("&Grava"));
  EXPECT_EQ(clashes, 3);
  EXPECT_FALSE(form->screen().closed());
  EXPECT_EQ(dialogs.boxes.back().title, "Erro Inclusão");
  EXPECT_EQ(storedParty(1).getText("FOR:ContaCliente"), "1.1.2.01.0001");
  EXPECT_EQ(chartRows().size(), 9u);  // the other workstation's adds were in the rolled-back transaction

  // One clash: renumbered and added.
  clashes = 0;
  form->setBeforeAdd([&](Table& chart, uint32_t next) {
    if (clashes++ > 0) return;
    Record keep = chart.buffer();
    chart.buffer().clear();
    chart.buffer().setText("PLA:Codigo", "9.9");
    chart.buffer().setInt("PLA:Reduzido", next);
    EXPECT_TRUE(chart.append());
    chart.buffer() = keep;
  });
  dialogs.answerQuestion(2);
  ASSERT_TRUE(form->screen().press("&Grava"));
  EXPECT_TRUE(form->screen().closed());
  EXPECT_EQ(storedParty(1).getText("FOR:ContaCliente"), "1.1.2.01.0005");
  const std::vector<std::string> rows = chartRows();
  EXPECT_NE(std::find(rows.begin(), rows.end(), "1.1.2.01.0005 11"), rows.end());
  EXPECT_NE(std::find(rows.begin(), rows.end(), "9.9 10"), rows.end());
}

TEST_F(PartyTest, NumberingThreeNeverTouchesTheChart) {
  company(kNumberingNone);
  const std::vector<std::string> before = chartRows();
  auto form = openForm(Request::kInsert);
  ScreenModel& m = form->screen();
  ASSERT_TRUE(m.type("FOR:CGC", "11222333000181"));
  ASSERT_TRUE(m.type("FOR:Clientes", "1"));
  EXPECT_EQ(form->controller().text(form->controller().fieldIndex("FOR:ContaCliente")), "");
  ASSERT_TRUE(m.type("FOR:ContaCliente", "1.1.2.01.0044"));
  ASSERT_TRUE(m.press("&Grava"));
  EXPECT_TRUE(m.closed());
  EXPECT_EQ(chartRows(), before);

  // Nor does the missing-accounts run.
  PartyTables& tables = *allTables.back();
  Result<std::vector<MissingAccount>> rows = findMissingAccounts(tables.parties, tables.chart, tables.settings);
  ASSERT_TRUE(rows.isOk());
  ASSERT_EQ(rows->size(), 1u);
  EXPECT_EQ((*rows)[0].plan, AccountPlan::kSkip);
  ASSERT_TRUE(createMissingAccounts(tables.parties, tables.chart, tables.settings, *rows).isOk());
  EXPECT_EQ(chartRows(), before);
}

TEST_F(PartyTest, SameNumberAsksBeforeAdding) {
  party(1, "Costa Ltda", "11222333000181", false, true);
  auto form = openForm(Request::kInsert);
  ASSERT_TRUE(form->screen().type("FOR:CGC", "11222333000181"));
  dialogs.answerQuestion(2);  // "&Não"
  ASSERT_TRUE(form->screen().press("&Grava"));
  EXPECT_FALSE(form->screen().closed());
  EXPECT_EQ(dialogs.questions.back().title, kSameNumberTitle);
  EXPECT_EQ(dialogs.questions.back().buttonList, "&Sim|&Não");
  dialogs.answerQuestion(1);
  ASSERT_TRUE(form->screen().press("&Grava"));
  EXPECT_TRUE(form->screen().closed());
  EXPECT_EQ(storedParty(2).getText("FOR:CGC"), "11222333000181");
}

TEST_F(PartyTest, MissingAccountsShareACnpjRootAndKeepWellFormedCodes) {
  structure({1, 1, 1, 2, 9});
  company(kNumberingTaxpayer);
  party(1, "Matriz Ltda", "11222333000181", true, false);            // blank: proposed
  party(2, "Filial Ltda", "11222333000262", true, false);            // the same root: shared
  party(3, "Velha S/A", "11444777000161", false, true, "", "2.1.1.01.000000077");  // kept as stored
  party(4, "Letras Ltda", "12ABC34501DE35", false, true);            // no numeric root
  party(5, "Solta Ltda", "11444777000161", false, false, "", "9.9");  // flag off, dangling: proposed
  account("1.1.2.01.011222333", 2);
  PartyTables tables(*dict);
  ASSERT_TRUE(tables.open(context, *dict, state));
  Result<std::vector<MissingAccount>> rows = findMissingAccounts(tables.parties, tables.chart, tables.settings);
  ASSERT_TRUE(rows.isOk());
  std::vector<std::string> plans;
  for (const MissingAccount& r : *rows)
    plans.push_back(std::to_string(r.party) + " " + sideName(r.side) + " " + r.account + " " + planName(r.plan));
  EXPECT_EQ(plans, (std::vector<std::string>{"1 Cliente 1.1.2.01.011222333 apontar",
                                             "2 Cliente 1.1.2.01.011222333 apontar",
                                             "3 Fornecedor 2.1.1.01.000000077 criar",
                                             "4 Fornecedor  não criar",
                                             "5 Fornecedor 2.1.1.01.011444777 criar"}));
  // The chart had the first root's account already: parties 1 and 2 point at it.
  const std::vector<std::string> before = chartRows();
  Result<CreateAccountsReport> done = createMissingAccounts(tables.parties, tables.chart, tables.settings, *rows);
  ASSERT_TRUE(done.isOk());
  EXPECT_EQ(done->created, 2);
  EXPECT_EQ(done->pointed, 3);
  EXPECT_EQ(done->skipped, 1);
  EXPECT_EQ(chartRows().size(), before.size() + 2);
  EXPECT_EQ(storedParty(5).getText("FOR:ContaFornecedor"), "2.1.1.01.011444777");
  EXPECT_EQ(storedParty(3).getText("FOR:ContaFornecedor"), "2.1.1.01.000000077");
  EXPECT_EQ(storedParty(2).getText("FOR:ContaCliente"), "1.1.2.01.011222333");
}

}  // namespace
}  // namespace vorlam::fiscal
