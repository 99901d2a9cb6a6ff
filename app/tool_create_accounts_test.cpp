// vorlam-tool create-accounts on a generated root: parties whose accounts
// were blanked, left dangling or spoiled get their accounts, checked record
// by record; everything else stays as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/tool_test_util.h"
#include "dictionary/dictionary.h"
#include "fiscal/party_accounts.h"
#include "sampledata/demo_data.h"
#include "shell/company_files.h"
#include "shell/startup.h"
#include "storage/table.h"
#include "storage/text.h"

namespace vorlam::tool {
namespace {

class CreateAccountsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
    sampledata::DemoOptions o;
    o.root = root();
    o.companies = 3;
    o.entries = 0;
    o.years = {2024};
    ASSERT_TRUE(sampledata::generateDemo(o).isOk());
    shell::CompanyFiles files(dict->find("Empresa"), dict->find("AltContratuais"), OpenMode::kReadOnly);
    state.bind(shell::sharedFileNames(root() + "/"));
    Result<shell::CompanyRecord> rec = files.readCompany(state, 1);
    ASSERT_TRUE(rec.isOk() && rec->found);
    shell::CurrentCompany c;
    c.codigo = 1;
    c.ano = 2024;
    c.mes = shell::kWholeYear;
    c.plContas = rec->plContas;
    c.codPlanoContas = uint16_t(rec->codigoPlanoContas);
    c.tipoFornecedor = rec->tipoFornecedor;
    files.selectCompany(state, c, *rec, false);
    Result<fiscal::PartyAccountSettings> s = fiscal::readPartyAccountSettings(*dict, state);
    ASSERT_TRUE(s.isOk());
    settings = *s;
    ASSERT_EQ(settings.numbering, fiscal::kNumberingSequential);
  }

  std::string root() const { return dir.path() + "/root"; }
  std::string partiesPath() const { return state.pathFor(dict->find("ForCli")->binding); }
  std::string chartPath() const { return state.pathFor(shell::kPlanoContasFile); }

  // Every record of a file by the text of `keyField`: its cells as text.
  using Cells = std::vector<std::string>;
  static Cells cellTexts(const Record& r) {
    Cells out;
    for (const Cell& c : r.cells()) out.push_back(c.s.empty() ? std::to_string(c.i) : c.s);
    return out;
  }
  std::map<std::string, Cells> snapshot(const std::string& label, const std::string& path, const char* keyField) {
    Table t(dict->find(label));
    EXPECT_TRUE(t.open(path, OpenMode::kReadOnly));
    std::map<std::string, Cells> out;
    EXPECT_TRUE(t.seekStart(kFileOrder));
    while (t.next()) out[t.buffer().getAsText(t.def().fieldIndex(keyField))] = cellTexts(t.buffer());
    return out;
  }

  Result<std::optional<std::string>> nextUnder(const std::string& group) {
    Table chart(dict->find("PlanoContas"));
    EXPECT_TRUE(chart.open(chartPath(), OpenMode::kReadOnly));
    return fiscal::sequentialProposal(chart, group, settings.lastLevelDigits());
  }

  vorlam::testing::TempDir dir;
  std::shared_ptr<const Dictionary> dict = buildDictionary();
  shell::AppState state{shell::locationsUnder(dir.path() + "/root/")};
  fiscal::PartyAccountSettings settings;
};

TEST_F(CreateAccountsTest, MissingAccountsAreCreatedAndPointedAtRecordByRecord) {
  // Spoil three parties: a customer without account, a supplier whose
  // well-formed account is not in the chart, a customer with an account the
  // structure cannot hold.
  const std::string dangling = settings.supplierGroup + "." + std::string(size_t(settings.lastLevelDigits() - 1), '9') + "7";
  uint32_t blankCustomer = 0, danglingSupplier = 0, spoiledCustomer = 0;
  {
    Table t(dict->find("ForCli"));
    ASSERT_TRUE(t.open(partiesPath()));
    ASSERT_TRUE(t.seekStart(t.def().keyIndex("FOR:KEY:CODIGO1")));
    std::vector<int64_t> customers, suppliers;
    while (t.next()) {
      if (t.buffer().getInt("FOR:Clientes") && !t.buffer().getInt("FOR:Fornecedor")) customers.push_back(t.buffer().recordId());
      if (t.buffer().getInt("FOR:Fornecedor") && !t.buffer().getInt("FOR:Clientes")) suppliers.push_back(t.buffer().recordId());
    }
    ASSERT_GE(customers.size(), 2u);
    ASSERT_GE(suppliers.size(), 1u);
    auto spoil = [&](int64_t id, const char* field, const std::string& value) {
      EXPECT_TRUE(t.getById(id));
      t.buffer().setText(field, value);
      EXPECT_TRUE(t.update());
      return uint32_t(t.buffer().getInt("FOR:Codigo"));
    };
    blankCustomer = spoil(customers[0], "FOR:ContaCliente", "");
    spoiledCustomer = spoil(customers[1], "FOR:ContaCliente", "12-AB");
    danglingSupplier = spoil(suppliers[0], "FOR:ContaFornecedor", dangling);
  }
  Result<std::optional<std::string>> next = nextUnder(settings.customerGroup);
  ASSERT_TRUE(next.isOk() && *next);
  const std::string firstNew = **next;
  const std::string secondNew = *fiscal::rewriteTypedAccount(
      settings.customerGroup, settings.lastLevelDigits(),
      std::to_string(std::stoull(firstNew.substr(settings.customerGroup.size() + 1)) + 1));

  const auto partiesBefore = snapshot("ForCli", partiesPath(), "FOR:Codigo");
  const auto chartBefore = snapshot("PlanoContas", chartPath(), "PLA:Codigo");
  const std::vector<std::string> base = {"create-accounts", "--root", root(), "--company", "1", "--year", "2024"};

  std::vector<std::string> dry = base;
  dry.push_back("--dry-run");
  ToolOutput plan = runTool(dry);
  ASSERT_EQ(plan.status, 0) << plan.err;
  EXPECT_NE(plan.out.find("\t" + firstNew + "\tcriar\t"), std::string::npos) << plan.out;
  EXPECT_NE(plan.out.find("\t" + dangling + "\t" + dangling + "\tcriar\t"), std::string::npos) << plan.out;
  EXPECT_NE(plan.out.find("Contas faltando: 3\ta criar ou apontar: 3"), std::string::npos) << plan.out;
  EXPECT_EQ(snapshot("ForCli", partiesPath(), "FOR:Codigo"), partiesBefore);
  EXPECT_EQ(snapshot("PlanoContas", chartPath(), "PLA:Codigo"), chartBefore);

  ToolOutput run = runTool(base);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Contas incluídas: 3\tcadastros alterados: 2\tsem conta: 0\tfalhas: 0"), std::string::npos)
      << run.out;

  const auto partiesAfter = snapshot("ForCli", partiesPath(), "FOR:Codigo");
  const auto chartAfter = snapshot("PlanoContas", chartPath(), "PLA:Codigo");
  // The chart: what it had, untouched, and three analytic accounts more.
  ASSERT_EQ(chartAfter.size(), chartBefore.size() + 3);
  for (const auto& [code, cells] : chartBefore) EXPECT_EQ(chartAfter.at(code), cells) << code;
  uint32_t top = 0;
  for (const auto& [code, cells] : chartBefore) top = std::max<uint32_t>(top, uint32_t(std::stoul(cells[1])));
  Table chart(dict->find("PlanoContas")), parties(dict->find("ForCli"));
  ASSERT_TRUE(chart.open(chartPath(), OpenMode::kReadOnly));
  ASSERT_TRUE(parties.open(partiesPath(), OpenMode::kReadOnly));
  std::set<uint32_t> reducedSeen;
  ASSERT_TRUE(parties.seekStart(parties.def().keyIndex("FOR:KEY:CODIGO1")));
  while (parties.next()) {
    const Record& p = parties.buffer();
    const uint32_t code = uint32_t(p.getInt("FOR:Codigo"));
    SCOPED_TRACE("party " + std::to_string(code));
    Cells expected = partiesBefore.at(std::to_string(code));
    if (code == blankCustomer) expected[size_t(p.columnOf(p.def().fieldIndex("FOR:ContaCliente"), 0))] = fitText(firstNew, 30);
    if (code == spoiledCustomer) expected[size_t(p.columnOf(p.def().fieldIndex("FOR:ContaCliente"), 0))] = fitText(secondNew, 30);
    EXPECT_EQ(cellTexts(p), expected);
    for (fiscal::PartySide side : {fiscal::PartySide::kCustomer, fiscal::PartySide::kSupplier}) {
      const std::string account(p.getText(fiscal::sideFields(side).account));
      if (account.empty()) continue;
      chart.buffer().clear();
      chart.buffer().setText("PLA:Codigo", account);
      ASSERT_TRUE(chart.get(chart.def().keyIndex("PLA:KEY:CODIGO"))) << account;
      if (chartBefore.count(account)) continue;
      // A new account: analytic, the party's name, the next reduced codes.
      EXPECT_EQ(chart.buffer().getInt("PLA:SintAnali"), 2);
      EXPECT_EQ(chart.buffer().getText("PLA:Descricao"), clipText(p.getText("FOR:Nome")));
      EXPECT_EQ(chart.buffer().getText("PLA:Indice"), account.substr(0, account.rfind('.')));
      const uint32_t reduced = uint32_t(chart.buffer().getInt("PLA:Reduzido"));
      EXPECT_GT(reduced, top);
      EXPECT_LE(reduced, top + 3);
      reducedSeen.insert(reduced);
    }
  }
  EXPECT_EQ(reducedSeen.size(), 3u);
  EXPECT_TRUE(chartAfter.count(dangling));
  EXPECT_EQ(partiesAfter.at(std::to_string(danglingSupplier)), partiesBefore.at(std::to_string(danglingSupplier)));

  // Nothing is missing any more: a second run changes nothing.
  ToolOutput again = runTool(base);
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("Contas faltando: 0\ta criar ou apontar: 0"), std::string::npos) << again.out;
  EXPECT_EQ(snapshot("PlanoContas", chartPath(), "PLA:Codigo"), chartAfter);

  EXPECT_EQ(runTool({"create-accounts", "--root", root()}).status, 2);
  EXPECT_EQ(runTool({"create-accounts", "--root", root(), "--company", "77"}).status, 2);
  EXPECT_EQ(runTool({"create-accounts", "--root", root() + "/nada", "--company", "1"}).status, 2);
}

}  // namespace
}  // namespace vorlam::tool
