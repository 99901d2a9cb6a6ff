// vorlam-tool adjust as a separate process: a data root that does not
// exist is refused and not created; restore without a finished adjustment
// is refused.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "storage/test_util.h"

namespace vorlam::tool {
namespace {

namespace fs = std::filesystem;

int runTool(const std::string& args) {
  fs::path tool = fs::read_symlink("/proc/self/exe").parent_path() / "vorlam-tool";
  if (access(tool.c_str(), X_OK) != 0) return -1;
  int rc = std::system(("'" + tool.string() + "' " + args + " >/dev/null 2>&1").c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(ToolAdjust, AbsentRootIsRefusedAndNotCreated) {
  testing::TempDir tmp;
  std::string root = tmp.path() + "/nao_existe";
  int rc = runTool("adjust --root '" + root + "' --structure 2 --year 2024 --company 1");
  if (rc == -1) GTEST_SKIP() << "vorlam-tool not built";
  EXPECT_EQ(rc, 2);
  EXPECT_FALSE(fs::exists(root));
  EXPECT_EQ(runTool("adjust --root '" + root + "' --resume"), 2);
  EXPECT_EQ(runTool("adjust --root '" + root + "' --restore --company 1"), 2);
  EXPECT_FALSE(fs::exists(root));
  // A root without an adjustment to restore.
  fs::create_directories(tmp.path() + "/dados/BComuns");
  EXPECT_EQ(runTool("adjust --root '" + tmp.path() + "/dados' --restore --company 1"), 1);
  EXPECT_EQ(runTool("adjust --root '" + tmp.path() + "/dados' --restore"), 2);  // which company?
}

}  // namespace
}  // namespace vorlam::tool
