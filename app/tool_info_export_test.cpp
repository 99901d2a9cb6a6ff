// vorlam-tool info and export, run as separate processes on a sample data
// root written by vorlam-tool demo.
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
#include "storage/test_util.h"
#include "utilities/csv_export.h"
#include "utilities/file_info.h"

namespace vorlam::tool {
namespace {

namespace fs = std::filesystem;

using ToolRun = ToolOutput;

std::vector<std::string> split(const std::string& text, const std::string& end) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at; (at = text.find(end, from)) != std::string::npos; from = at + end.size())
    lines.push_back(text.substr(from, at - from));
  if (from < text.size()) lines.push_back(text.substr(from));
  return lines;
}

class ToolInfoExport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!toolBuilt()) return;
    tmp_ = new testing::TempDir;
    root_ = new std::string(tmp_->path() + "/dados");
    ToolRun demo = run({"demo", "--root", *root_, "--companies", "2", "--entries", "50", "--years", "2023,2024",
                    "--quiet"});
    ASSERT_EQ(demo.status, 0) << demo.err;
  }
  static void TearDownTestSuite() {
    delete tmp_;
    delete root_;
  }
  void SetUp() override {
    if (tmp_ == nullptr) GTEST_SKIP() << "vorlam-tool not built";
  }

  static ToolRun run(const std::vector<std::string>& args) { return runTool(args); }

  // info's lines as label -> {count, name}, checking the list order.
  static std::map<std::string, std::pair<std::string, std::string>> info(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"info", "--root", *root_};
    args.insert(args.end(), extra.begin(), extra.end());
    ToolRun r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = split(r.out, "\n");
    EXPECT_EQ(lines.size(), utilities::maintainedFiles().size());
    std::map<std::string, std::pair<std::string, std::string>> out;
    for (size_t i = 0; i < lines.size(); ++i) {
      std::vector<std::string> cols = split(lines[i], "\t");
      EXPECT_EQ(cols.size(), 3u) << lines[i];
      if (cols.size() != 3) continue;
      if (i < utilities::maintainedFiles().size()) {
        EXPECT_EQ(cols[0], utilities::maintainedFiles()[i].label);
      }
      out[cols[0]] = {cols[1], cols[2]};
    }
    return out;
  }

  static testing::TempDir* tmp_;
  static std::string* root_;
};

testing::TempDir* ToolInfoExport::tmp_ = nullptr;
std::string* ToolInfoExport::root_ = nullptr;

TEST_F(ToolInfoExport, InfoShowsCountsAndNamesOfACompanyYear) {
  auto lines = info({"--company", "2", "--year", "2023"});
  using Line = std::pair<std::string, std::string>;
  EXPECT_EQ(lines["Diario"], (Line{"50", testing::nativePath(*root_ + "/00000002/Ctb/2023/Diario.dat")}));
  EXPECT_EQ(lines["Empresa"], (Line{"2", testing::nativePath(*root_ + "/BComuns/Empresas.dat")}));
  EXPECT_EQ(lines["PlanoContas"].second, testing::nativePath(*root_ + "/00000002/PlCon002.dat"));
  EXPECT_EQ(lines["ACFuncionarios"].first, "?");
  EXPECT_TRUE(lines["ACFuncionarios"].second.starts_with("Error 2 : ")) << lines["ACFuncionarios"].second;
  EXPECT_FALSE(fs::exists(testing::nativePath(*root_ + "/00000002/ACFunc.dat")));  // looking creates nothing
}

TEST_F(ToolInfoExport, InfoWithoutCompanyShowsTheSharedFilesOnly) {
  auto lines = info({});
  EXPECT_EQ(lines["Empresa"].first, "2");
  EXPECT_EQ(lines["Estados"].first, "27");
  EXPECT_EQ(lines["Diario"].first, "?");
  EXPECT_TRUE(lines["Diario"].second.starts_with("Error 45 : ")) << lines["Diario"].second;
}

TEST_F(ToolInfoExport, ExportGivesHeaderAndOneLinePerRecord) {
  auto dict = buildDictionary();
  auto lines = info({"--company", "1", "--year", "2024"});
  int exported = 0;
  for (const auto& [label, entry] : lines) {
    if (entry.first == "?") continue;
    ToolRun r = run({"export", label, "--root", *root_, "--company", "1", "--year", "2024"});
    ASSERT_EQ(r.status, 0) << label << ": " << r.err;
    ASSERT_TRUE(r.out.ends_with("\r\n")) << label;
    std::vector<std::string> rows = split(r.out, "\r\n");
    EXPECT_EQ(rows.front(), utilities::csvHeader(*dict->find(label))) << label;
    EXPECT_EQ(std::to_string(rows.size() - 1), entry.first) << label;
    ++exported;
  }
  EXPECT_GE(exported, 25);
}

TEST_F(ToolInfoExport, ExportWalksThePrimaryKeyAndWritesUtf8) {
  ToolRun r = run({"export", "estados", "--root", *root_});  // labels are case-insensitive
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> rows = split(r.out, "\r\n");
  ASSERT_EQ(rows.size(), 28u);
  for (size_t i = 2; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].substr(0, 2), rows[i].substr(0, 2));
  EXPECT_NE(r.out.find("São Paulo"), std::string::npos);
}

TEST_F(ToolInfoExport, ExportRefusesWhatItCannotExport) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const std::string& root = *root_;
  const Case cases[] = {
      {{"export", "Nada", "--root", root}, 2, "tabela desconhecida: Nada"},
      {{"export", "--root", root}, 2, "informe a tabela"},
      {{"export", "Estados", "CNAE", "--root", root}, 2, "uma única tabela"},
      {{"export", "Diario", "--root", root}, 2, "nenhum arquivo associado"},
      {{"export", "Lanc_Combustivel", "--root", root}, 2, "não tem arquivo"},
      {{"export", "Estados", "--root", root + "/falta"}, 2, "não encontrado"},
      {{"export", "Diario", "--root", root, "--company", "1"}, 2, "juntos"},
      {{"export", "ACFuncionarios", "--root", root, "--company", "1", "--year", "2024"}, 1, "Error 2 : "},
      {{"info", "--root", root, "--company", "1", "--year", "2024", "a-mais"}, 2, "argumento desconhecido"},
      {{"info"}, 2, "informe --root"},
      // A company the registry lacks is refused, not reported as files missing.
      {{"export", "Diario", "--root", root, "--company", "999", "--year", "2024"}, 2, "empresa 999 não cadastrada"},
      {{"info", "--root", root, "--company", "999", "--year", "2024"}, 2, "empresa 999 não cadastrada"},
      {{"maintain", "check", "--root", root, "--company", "999", "--year", "2024"}, 2, "empresa 999 não cadastrada"},
      {{"maintain", "create", "--root", root, "--company", "999", "--year", "2024"}, 2, "empresa 999 não cadastrada"},
  };
  for (const Case& c : cases) {
    ToolRun r = run(c.args);
    EXPECT_EQ(r.status, c.status) << c.message << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << c.message;
  }
  for (const char* command : {"info", "export"}) {
    ToolRun help = run({command, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with(std::string("Uso: vorlam-tool ") + command)) << help.out;
    EXPECT_NE(help.out.find("Saída: 0 sucesso"), std::string::npos);
  }
}

TEST_F(ToolInfoExport, DamagedFileIsError47InInfoExportAndMaintainCheck) {
  ToolRun sound = run({"maintain", "check", "--root", *root_, "--company", "1", "--year", "2024"});
  EXPECT_EQ(sound.status, 0) << sound.out << sound.err;
  EXPECT_NE(sound.out.find("Conciliacao\t"), std::string::npos);
  EXPECT_NE(sound.err.find("Conciliacao: verificando"), std::string::npos) << "progress goes to stderr";

  const std::string damaged = tmp_->path() + "/danificado";
  fs::copy(*root_, damaged, fs::copy_options::recursive);
  const std::string file = damaged + "/00000001/Ctb/2024/Concilia.dat";
  fs::resize_file(file, fs::file_size(file) - 1);

  ToolRun exported = run({"export", "Conciliacao", "--root", damaged, "--company", "1", "--year", "2024"});
  EXPECT_EQ(exported.status, 1);
  EXPECT_NE(exported.err.find("Error 47 : Arquivo danificado"), std::string::npos) << exported.err;
  EXPECT_NE(exported.err.find(file), std::string::npos) << exported.err;

  ToolRun info = run({"info", "--root", damaged, "--company", "1", "--year", "2024"});
  EXPECT_EQ(info.status, 1);
  EXPECT_NE(info.out.find("Conciliacao\t?\tError 47 : Arquivo danificado\n"), std::string::npos) << info.out;
  EXPECT_NE(info.err.find(file), std::string::npos) << info.err;

  ToolRun check = run({"maintain", "check", "--root", damaged, "--company", "1", "--year", "2024"});
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find("Conciliacao\t?\t" + file + "\tdanificado: Error 47"), std::string::npos) << check.out;
  EXPECT_NE(check.out.find("Diario\t50\t"), std::string::npos) << "the other files are still checked";

  ToolRun one = run({"maintain", "check", "--root", damaged, "--company", "1", "--year", "2024", "Diario"});
  EXPECT_EQ(one.status, 0) << one.out << one.err;
  ToolRun missing = run({"maintain", "check", "--root", damaged, "--company", "1", "--year", "2024", "ACFuncionarios"});
  EXPECT_EQ(missing.status, 1) << "a table named must be there";
  EXPECT_EQ(run({"maintain", "check", "--root", damaged, "Nada"}).status, 2);
  EXPECT_EQ(run({"maintain", "repara"}).status, 2);
}

TEST_F(ToolInfoExport, ParseRefusesNumbersBeyondTheField) {
  ToolRun r = run({"parse", "@n-20.2", "3402823669209384634633746074317682115"});
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("grande demais"), std::string::npos) << r.err;
  EXPECT_EQ(run({"parse", "@n-20.2", "-1234567,89"}).status, 0);
  EXPECT_EQ(run({"parse", "@n-20.2", "999999999999999999,99"}).status, 2);
}

}  // namespace
}  // namespace vorlam::tool
