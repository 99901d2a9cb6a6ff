// vorlam-tool adjust as a separate process: a data root that does not
// exist is refused and not created; restore without a finished adjustment
// is refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/tool_test_util.h"
#include "storage/test_util.h"

namespace vorlam::tool {
namespace {

namespace fs = std::filesystem;

// The exit code of "vorlam-tool adjust --root ROOT ARGS"; -1 when the tool
// is not built.
int adjust(const std::string& root, const std::vector<std::string>& args) {
  if (!toolBuilt()) return -1;
  std::vector<std::string> all = {"adjust", "--root", root};
  all.insert(all.end(), args.begin(), args.end());
  return runTool(all).status;
}

TEST(ToolAdjust, AbsentRootIsRefusedAndNotCreated) {
  testing::TempDir tmp;
  std::string root = tmp.path() + "/nao_existe";
  int rc = adjust(root, {"--structure", "2", "--year", "2024", "--company", "1"});
  if (rc == -1) GTEST_SKIP() << "vorlam-tool not built";
  EXPECT_EQ(rc, 2);
  EXPECT_FALSE(fs::exists(root));
  EXPECT_EQ(adjust(root, {"--resume"}), 2);
  EXPECT_EQ(adjust(root, {"--restore", "--company", "1"}), 2);
  EXPECT_FALSE(fs::exists(root));
  // A root without an adjustment to restore.
  fs::create_directories(tmp.path() + "/dados/BComuns");
  EXPECT_EQ(adjust(tmp.path() + "/dados", {"--restore", "--company", "1"}), 1);
  EXPECT_EQ(adjust(tmp.path() + "/dados", {"--restore"}), 2);  // which company?
}

TEST(ToolAdjust, OptionsTakeTheirValueAfterABlankOrAnEqualsSign) {
  if (!toolBuilt()) GTEST_SKIP() << "vorlam-tool not built";
  testing::TempDir tmp;
  const std::string root = tmp.path() + "/nao_existe";
  // Both forms reach the check of the root: the options were all taken.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"adjust", "--root=" + root, "--structure=2", "--year=2024", "--company=1"},
        std::vector<std::string>{"adjust", "--root", root, "--structure", "2", "--year", "2024", "--company", "1"}}) {
    ToolOutput r = runTool(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("diretório de dados inexistente"), std::string::npos) << r.err;
  }
  // A missing value, a value out of range, a name that only begins like an
  // option: refused as usage before the root is looked at.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"adjust", "--root", root, "--structure"},
        std::vector<std::string>{"adjust", "--root", root, "--structure", "2", "--year", "2024", "--company=0"},
        std::vector<std::string>{"adjust", "--rootx=" + root, "--resume"},
        std::vector<std::string>{"adjust", "--root="}}) {
    ToolOutput r = runTool(args);
    EXPECT_EQ(r.status, 2) << args.back();
    EXPECT_NE(r.err.find("opção inválida ou sem valor"), std::string::npos) << r.err;
  }
  // A value given apart and refused is named with its option.
  ToolOutput r = runTool({"adjust", "--root", root, "--structure", "2", "--year", "1800", "--company", "1"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("valor inválido para --year: 1800"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vorlam::tool
