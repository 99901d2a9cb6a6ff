// The chart-of-accounts screen driven by screen scripts on sample roots
// whose files were first edited straight through the storage: what no
// screen of the program can set up (a company without its structure, an
// account stored with reduced code 0), and the printed chart.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/tool_test_util.h"
#include "dictionary/dictionary.h"
#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam::tool {
namespace {

class ToolChart : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
    root_ = dir_.file("root");
    ToolOutput demo = runTool({"demo", "--root", root_, "--companies", "1", "--entries", "0", "--years", "2024"});
    ASSERT_EQ(demo.status, 0) << demo.err;
  }

  // Runs `script` (after the company and period lines) on the root.
  ToolOutput screen(const std::string& script) {
    const std::string file = dir_.file("script.vsc");
    std::ofstream(file) << "company 1\nperiod 01/2024\n" << script;
    return runTool({"screen", "--root", root_, file});
  }

  std::string bctb(const std::string& name) const { return root_ + "/BCTB/" + name; }

  testing::TempDir dir_;
  std::string root_;
  std::shared_ptr<const Dictionary> dict_ = buildDictionary();
};

TEST_F(ToolChart, WithoutTheCompanysStructureTheScreenSaysCampo31AndCloses) {
  {
    Table t(dict_->find("ConfPlanoContas"));
    ASSERT_TRUE(t.open(bctb("ConfPlan.dat")).isOk());
    t.buffer().setInt("CONP:Codigo", 1);
    ASSERT_TRUE(t.get(t.def().keyIndex("CONP:KEY:CODIGO")).isOk());
    ASSERT_TRUE(t.erase().isOk());
  }
  ToolOutput r = screen(
      "open PlanoContas\n"
      "expect message \"Atenção!!!\" \"Atenção!!! O campo 31 dentro do cadastro da empresa é de preenchimento "
      "obrigatório!!!\"\n"
      "expect screen Main\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
}

TEST_F(ToolChart, ReducedCodeZeroIsRefusedOnDeleteToo) {
  {
    Table t(dict_->find("PlanoContas"));
    ASSERT_TRUE(t.open(bctb("PlCon001.dat")).isOk());
    t.buffer().setText("PLA:Codigo", "1.1.1.01.0003");
    ASSERT_TRUE(t.get(t.def().keyIndex("PLA:KEY:CODIGO")).isOk());
    t.buffer().setInt("PLA:Reduzido", 0);
    ASSERT_TRUE(t.update().isOk());
  }
  ToolOutput r = screen(
      "open PlanoContas\n"
      "tab Conta\n"
      "locate 1.1.1.01.0003\n"
      "press &Excluir\n"
      "press &Exclui\n"
      "expect message \"Atenção!!!\" \"Código de reduzido não pode ser igual a 0.\"\n"
      "expect focus LOC:REDUZIDO\n"
      "expect record PlanoContas PLA:Codigo=1.1.1.01.0003 count 1\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
}

TEST_F(ToolChart, BlankIndexesAreRepairedOnOpening) {
  {
    Table t(dict_->find("PlanoContas"));
    ASSERT_TRUE(t.open(bctb("PlCon001.dat")).isOk());
    for (const char* code : {"1.1.1", "1.1.1.01.0002"}) {
      t.buffer().clear();
      t.buffer().setText("PLA:Codigo", code);
      ASSERT_TRUE(t.get(t.def().keyIndex("PLA:KEY:CODIGO")).isOk());
      t.buffer().setText("PLA:Indice", "");
      ASSERT_TRUE(t.update().isOk());
    }
  }
  ToolOutput r = screen(
      "open PlanoContas\n"
      "expect record PlanoContas PLA:Codigo=1.1.1 PLA:Indice=1.1.1 count 1\n"
      "expect record PlanoContas PLA:Codigo=1.1.1.01.0002 PLA:Indice=1.1.1.01 count 1\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
}

TEST_F(ToolChart, PrintWritesTheChartAsTheListShowsIt) {
  ToolOutput r = screen(
      "open PlanoContas\n"
      "tab Conta\n"
      "locate 1.1.1.01\n"
      "press &Marca\n"
      "locate 1.1.1.01.0001\n"
      "press &Marca\n"
      "press \"Show All\"\n"
      "press Im&primir\n"
      "expect message \"Atenção!!!\" \"Plano de contas impresso em Temp/PlanoContas.txt: 2 contas.\"\n");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string text = readWhole(root_ + "/Temp/PlanoContas.txt");
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  ASSERT_EQ(lines.size(), 4u) << text;
  EXPECT_EQ(lines[0].rfind("Visualização da Tabela do Plano de Contas - ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], " | Código da Conta | Descrição | Reduzido | Apelido | Tipo | Matriz/Filial | CNPJ Matriz/Filial");
  EXPECT_EQ(lines[2].rfind("* | 1.1.1.01 | ", 0), 0u) << lines[2];
  EXPECT_NE(lines[2].find("| Sintética"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[3].rfind("* | 1.1.1.01.0001 | Caixa Geral | ", 0), 0u) << lines[3];
  EXPECT_NE(lines[3].find("| Analítica"), std::string::npos) << lines[3];
}

}  // namespace
}  // namespace vorlam::tool
