// vorlam-tool paths, run as a separate process on a data root prepared here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/tool_test_util.h"
#include "dictionary/dictionary.h"
#include "storage/date.h"
#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam::tool {
namespace {

namespace fs = std::filesystem;

struct PathsRun {
  int status = -1;
  std::vector<std::string> lines;
  std::map<std::string, std::string> byLabel;
  std::string err;
};

class ToolPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
    root_ = tmp_.path() + "/dados";
    fs::create_directories(testing::nativePath(root_ + "/BComuns"));
  }

  // Runs "vorlam-tool paths ARGS" with stdout and stderr captured in files.
  PathsRun paths(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"paths"};
    all.insert(all.end(), args.begin(), args.end());
    ToolOutput o = runTool(all);
    PathsRun r;
    r.status = o.status;
    r.err = o.err;
    std::istringstream out(o.out);
    for (std::string line; std::getline(out, line);) {
      r.lines.push_back(line);
      size_t tab = line.find('\t');
      if (tab != std::string::npos) r.byLabel[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return r;
  }
  PathsRun paths(const std::string& company, const std::string& year, const std::string& month = "") {
    std::vector<std::string> args = {"--root", root_, "--company", company, "--year", year};
    if (!month.empty()) args.insert(args.end(), {"--month", month});
    return paths(args);
  }

  void addCompany(int code, int plContas, int plano, int tipoFornecedor) {
    Table t(dict_->find("Empresa"));
    ASSERT_TRUE(t.open(testing::nativePath(root_ + "/BComuns/Empresas.dat")).isOk());
    Record& b = t.buffer();
    b.clear();
    b.setInt("EMP:Codigo", code);
    b.setInt("EMP:PLContas", plContas);
    b.setInt("EMP:CodigoPlanoContas", plano);
    b.setInt("EMP:TipoFornecedor", tipoFornecedor);
    ASSERT_TRUE(t.append().isOk());
  }

  void addChange(int company, int code, int y, int m, int d, const std::string& obs) {
    Table t(dict_->find("AltContratuais"));
    ASSERT_TRUE(t.open(testing::nativePath(root_ + "/BComuns/AltContr.dat")).isOk());
    Record& b = t.buffer();
    b.clear();
    b.setInt("ALTCONT:CODIGO", company);
    b.setInt("ALTCONT:CODALT", code);
    b.setInt("ALTCONT:DATA", *toDayNumber(y, m, d));
    b.setText("ALTCONT:OBS", obs);
    ASSERT_TRUE(t.insert().isOk());
  }

  testing::TempDir tmp_;
  std::string root_;
  std::shared_ptr<const Dictionary> dict_ = buildDictionary();
};

TEST_F(ToolPaths, OwnChartCompanyListsEveryTableInCatalogueOrder) {
  addCompany(123, 2, 7, 1);
  PathsRun r = paths("123", "2015");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.lines.size(), dict_->tables().size());
  for (size_t i = 0; i < r.lines.size(); ++i)
    EXPECT_TRUE(r.lines[i].starts_with(dict_->tables()[i].label + "\t")) << r.lines[i];
  EXPECT_EQ(r.byLabel["PlanoContas"], testing::nativePath(root_ + "/00000123/PlCon007.dat"));
  EXPECT_EQ(r.byLabel["PlanoContas4"], testing::nativePath(root_ + "/00000123/PlCon007.dat"));
  EXPECT_EQ(r.byLabel["Diario"], testing::nativePath(root_ + "/00000123/Ctb/2015/Diario.dat"));
  EXPECT_EQ(r.byLabel["Historico"], testing::nativePath(root_ + "/00000123/Historic.dat"));
  EXPECT_EQ(r.byLabel["ForCli0"], testing::nativePath(root_ + "/BComuns/ForCli.dat"));
  EXPECT_EQ(r.byLabel["Empresa0"], testing::nativePath(root_ + "/BComuns/Empresas.dat"));
  EXPECT_EQ(r.byLabel["ConfPlanoContas"], testing::nativePath(root_ + "/BCTB/ConfPlan.dat"));
  EXPECT_EQ(r.byLabel["Lanc_Combustivel"], "");
  EXPECT_EQ(r.byLabel["ProdRegSaida"], "");
  EXPECT_FALSE(fs::exists(testing::nativePath(root_ + "/00000123")));  // nothing is created
}

TEST_F(ToolPaths, CompanyWithoutRecordUsesSharedChartOne) {
  PathsRun r = paths("9", "2015", "5");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.byLabel["PlanoContas"], testing::nativePath(root_ + "/BCTB/PlCon001.dat"));
  EXPECT_EQ(r.byLabel["Funcionarios"], testing::nativePath(root_ + "/00000009/Funciona.dat"));
  EXPECT_EQ(r.byLabel["CFO"], testing::nativePath(root_ + "/BEscrita/Cfo.dat"));
  EXPECT_FALSE(fs::exists(testing::nativePath(root_ + "/BComuns/Empresas.dat")));
}

TEST_F(ToolPaths, HistoryDecidesByPeriod) {
  addCompany(5, 1, 7, 1);
  addChange(5, 13, 2015, 3, 1, "2");
  addChange(5, 41, 2016, 1, 1, "005 . Conteúdo anterior");
  EXPECT_EQ(paths("5", "2015", "2").byLabel["ForCli"], testing::nativePath(root_ + "/00000005/Escrita/ForCli.dat"));
  EXPECT_EQ(paths("5", "2015", "3").byLabel["ForCli"], testing::nativePath(root_ + "/BComuns/ForCli.dat"));
  EXPECT_EQ(paths("5", "2015").byLabel["ForCli"], testing::nativePath(root_ + "/BComuns/ForCli.dat"));
  EXPECT_EQ(paths("5", "2014", "13").byLabel["ForCli"], testing::nativePath(root_ + "/00000005/Escrita/ForCli.dat"));
  EXPECT_EQ(paths("5", "2015").byLabel["PlanoContas"], testing::nativePath(root_ + "/BCTB/PlCon005.dat"));
  EXPECT_EQ(paths("5", "2016").byLabel["PlanoContas"], testing::nativePath(root_ + "/BCTB/PlCon007.dat"));
}

TEST_F(ToolPaths, BadArgumentsAreRefused) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const std::string missing = tmp_.path() + "/nao-existe";
  const Case cases[] = {
      {{"--company", "1", "--year", "2015"}, "informe --root"},
      {{"--root", root_, "--company", "0", "--year", "2015"}, "código de empresa inválido"},
      {{"--root", root_, "--company", "70000", "--year", "2015"}, "código de empresa inválido"},
      {{"--root", root_, "--company", "1", "--year", "15x"}, "ano inválido"},
      {{"--root", root_, "--company", "1", "--year", "2015", "--month", "14"}, "mês inválido"},
      {{"--root", root_, "--company", "1", "--year", "2015", "--month", "0"}, "mês inválido"},
      {{"--root", missing, "--company", "1", "--year", "2015"}, "não encontrado"},
      {{"--root", root_, "--company", "1", "--year", "2015", "--extra"}, "desconhecido"},
      {{"--root", root_, "--company"}, "falta o valor"},
  };
  for (const Case& c : cases) {
    PathsRun r = paths(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_TRUE(r.lines.empty());
  }
  PathsRun help = paths(std::vector<std::string>{"--help"});
  EXPECT_EQ(help.status, 0);
  ASSERT_FALSE(help.lines.empty());
  EXPECT_TRUE(help.lines[0].starts_with("Uso: vorlam-tool paths"));
}

}  // namespace
}  // namespace vorlam::tool
