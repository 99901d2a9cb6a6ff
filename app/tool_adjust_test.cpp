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

}  // namespace
}  // namespace vorlam::tool
