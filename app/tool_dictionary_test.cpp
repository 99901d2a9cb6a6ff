// Runs the vorlam-tool executable built next to this test binary.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/tool_test_util.h"

namespace vorlam::tool {
namespace {

struct Output {
  int status;
  std::vector<std::string> lines;
  std::string err;
};

// Runs "vorlam-tool <command> <args>".
Output run(const std::string& command, const std::vector<std::string>& args = {}) {
  std::vector<std::string> all = {command};
  all.insert(all.end(), args.begin(), args.end());
  ToolOutput t = runTool(all);
  Output r{t.status, {}, t.err};
  std::istringstream in(t.out);
  for (std::string line; std::getline(in, line);) r.lines.push_back(line);
  return r;
}

class ToolDictionary : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
  }
};

TEST_F(ToolDictionary, TablesInCatalogueOrder) {
  Output r = run("tables");
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 68u);
  EXPECT_EQ(r.lines[0], "AltContratuais\tAltCont\t54\t6\t1");
  EXPECT_EQ(r.lines[4], "Empresa\tEMP\t13617\t301\t6");
  EXPECT_EQ(r.lines[67], "DasTagFileInd\tRGS\t5\t2\t1");
  EXPECT_EQ(run("tables", {"extra"}).status, 2);
}

TEST_F(ToolDictionary, FieldsWithTypesBytesAndOffsets) {
  Output r = run("fields", {"conciliacao"});
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 7u);
  EXPECT_EQ(r.lines[0], "1\tCONC:CONTA\tSTRING(40)\t40\t0");
  EXPECT_EQ(r.lines[3], "4\tCONC:VALORDEBITOMES\tDECIMAL(13,2) \u00d712\t84\t54");
  Output d = run("fields", {"DasTagFileInd"});
  ASSERT_EQ(d.lines.size(), 2u);
  EXPECT_EQ(d.lines[1], "2\tRGS:REGISTRO\tLONG\t4\t1");
}

TEST_F(ToolDictionary, KeysWithComponentsAttributesAndDescriptions) {
  Output r = run("keys", {"ACFuncionarios"});
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 1u);
  EXPECT_EQ(r.lines[0],
            "ACFUN:KEY:CODIGO\tACFUN:CODIGOFUN + ACFUN:CODIGOCAMPO + descending ACFUN:DATA\t"
            "unique, primary, case-insensitive\tFuncionario_Campo_Data");
  Output s = run("keys", {"Setor"});
  ASSERT_EQ(s.lines.size(), 2u);
  EXPECT_EQ(s.lines[0],
            "SET:KEY:CODIGO\tSET:CODIGODEPARTAMENTO + SET:CODIGO\t"
            "unique, primary, case-insensitive, auto-numbered component 2\tC\u00f3digo");
  Output e = run("keys", {"EMPRESA"});
  ASSERT_EQ(e.lines.size(), 6u);
  EXPECT_EQ(e.lines[1], "EMP:Key:CNPJ\tEMP:CGC\tduplicates, case-insensitive\tEMP:Key:CNPJ");
}

TEST_F(ToolDictionary, UnknownLabelAndHelp) {
  for (const char* command : {"fields", "keys"}) {
    Output r = run(command, {"Inexistente"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.lines.empty());
    EXPECT_NE(r.err.find("tabela desconhecida: Inexistente"), std::string::npos);
    EXPECT_EQ(run(command, {}).status, 2);
    EXPECT_EQ(run(command, {"Empresa", "Filiais"}).status, 2);
    Output h = run(command, {"--help"});
    EXPECT_EQ(h.status, 0);
    ASSERT_FALSE(h.lines.empty());
    EXPECT_EQ(h.lines[0].rfind("Uso: vorlam-tool ", 0), 0u);
  }
  EXPECT_EQ(run("tables", {"--help"}).status, 0);
}

}  // namespace
}  // namespace vorlam::tool
