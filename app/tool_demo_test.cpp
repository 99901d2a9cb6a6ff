// vorlam-tool demo's command line: what it refuses before writing anything,
// and its options given either way.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/tool_test_util.h"
#include "storage/test_util.h"

namespace vorlam::tool {
namespace {

TEST(ToolDemo, BadUsageIsRefusedBeforeAnyFileAndBothOptionFormsWork) {
  if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
  testing::TempDir dir;
  const std::string root = dir.file("root");
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const std::vector<Case> refused = {
      {{"demo", "--root", root, "--companies"}, "falta o valor de --companies"},
      {{"demo", "--root", root, "--companies", "dez"}, "valor inválido de --companies: dez"},
      {{"demo", "--root=" + root, "--years=2024,abc"}, "valor inválido de --years: 2024,abc"},
      {{"demo", "--root="}, "valor inválido de --root"},
      {{"demo", "--rootx", root}, "argumento desconhecido: --rootx"},
      {{"demo", "--companies", "1"}, "informe --root"},
  };
  for (const Case& c : refused) {
    ToolOutput r = runTool(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(root)) << c.message;
  }
  ToolOutput made = runTool({"demo", "--root=" + root, "--companies=1", "--entries", "0", "--years=2024", "--quiet"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.out.find("Empresas: 1"), std::string::npos) << made.out;
  EXPECT_NE(made.out.find("Anos: 2024"), std::string::npos) << made.out;
  EXPECT_TRUE(made.err.empty()) << made.err;  // --quiet: no progress
}

}  // namespace
}  // namespace vorlam::tool
