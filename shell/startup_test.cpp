#include "shell/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

#include "storage/test_util.h"

namespace vorlam::shell {
namespace {

constexpr char S = kPathSeparator;

// Settings held in memory, counting the reads of each file.
struct FakeSettings {
  std::map<std::tuple<std::string, std::string, std::string>, std::string> values;
  std::map<std::string, int> reads;

  SettingsLookup lookup() {
    return [this](const std::string& file, const std::string& section, const std::string& entry,
                  const std::string& fallback) {
      ++reads[file];
      auto it = values.find({file, section, entry});
      return it == values.end() ? fallback : it->second;
    };
  }
  void setNetPath(const std::string& v) {
    values[{"Brimlet.ini", "Servidor_Contabilidade", "NetPath"}] = v;
  }
  void setUpgradePath(const std::string& v) { values[{"Ctb.ini", "UPG File", "Path"}] = v; }
};

std::string dirs(std::initializer_list<const char*> parts, bool trailing) {
  std::string out;
  for (const char* p : parts) out += std::string(1, S) + p;
  if (trailing) out += S;
  return out;
}

TEST(DataRoot, WorkingCopyUnderTrabalhoIgnoresTheLauncher) {
  FakeSettings settings;
  settings.setNetPath(dirs({"srv", "contab"}, true));
  std::string wd = dirs({"c", "TRABALHO", "SISTEMA"}, false);
  EXPECT_EQ(dataRootFor(wd, settings.lookup()), wd + S);
  EXPECT_EQ(settings.reads["Brimlet.ini"], 0);

  // The test is made on the upper-case form; trailing blanks are dropped.
  std::string lower = dirs({"c", "trabalho", "sistema"}, false);
  EXPECT_EQ(dataRootFor(lower + "  ", settings.lookup()), lower + S);
  EXPECT_EQ(settings.reads["Brimlet.ini"], 0);
}

TEST(DataRoot, TrabalhoItselfIsNotAWorkingCopy) {
  FakeSettings settings;
  std::string wd = dirs({"c", "TRABALHO"}, false);
  EXPECT_EQ(dataRootFor(wd, settings.lookup()), wd + S);
  EXPECT_EQ(settings.reads["Brimlet.ini"], 1);

  settings.setNetPath(dirs({"srv", "contab"}, true));
  EXPECT_EQ(dataRootFor(wd, settings.lookup()), dirs({"srv", "contab"}, true));
  // A directory whose name only begins with TRABALHO is no working copy.
  EXPECT_EQ(dataRootFor(dirs({"c", "TRABALHOS", "x"}, false), settings.lookup()),
            dirs({"srv", "contab"}, true));
}

TEST(DataRoot, DatabaseOnAServerIsKeptAsWrittenAndCheckedByConnecting) {
  FakeSettings settings;
  settings.setNetPath("postgresql://contab@127.0.0.1:1/escritorio");
  const std::string root = dataRootFor(dirs({"home", "ctb"}, false), settings.lookup());
  EXPECT_EQ(root, std::string("postgresql://contab@127.0.0.1:1/escritorio") + S);
  EXPECT_EQ(locationsUnder(root).shared, root + "BComuns");
  // Nobody listens on port 1: the failure names the server.
  Status s = checkDataRoot(root);
  EXPECT_FALSE(s);
  EXPECT_NE(s.message().find("127.0.0.1:1/escritorio"), std::string::npos) << s.message();
}

TEST(DataRoot, LauncherValueIsRepairedAndMadeAbsolute) {
  FakeSettings settings;
  std::string wd = dirs({"home", "ctb"}, false);
  settings.setNetPath(dirs({"srv", "contab"}, false));  // no trailing separator
  EXPECT_EQ(dataRootFor(wd, settings.lookup()), dirs({"srv", "contab"}, true));
  settings.setNetPath("dados");
  EXPECT_EQ(dataRootFor(wd, settings.lookup()), dirs({"home", "ctb", "dados"}, true));
  settings.setNetPath("   ");  // blank counts as missing
  EXPECT_EQ(dataRootFor(wd, settings.lookup()), wd + S);
  EXPECT_EQ(dataRootFor(wd, nullptr), wd + S);
}

TEST(UpgradeDirectory, BlankPathFallsBackToSharedDirectory) {
  FakeSettings settings;
  std::string root = dirs({"srv", "contab"}, true);
  EXPECT_EQ(upgradeDirectoryFor(root, settings.lookup()), root + "BComuns" + S);
  settings.setUpgradePath("    ");
  EXPECT_EQ(upgradeDirectoryFor(root, settings.lookup()), root + "BComuns" + S);
  settings.setUpgradePath(dirs({"upg"}, false) + "  ");
  EXPECT_EQ(upgradeDirectoryFor(root, settings.lookup()), dirs({"upg"}, false));
}

TEST(DataLocations, ModuleDirectoriesFollowTheRoot) {
  FakeSettings settings;
  std::string wd = dirs({"c", "TRABALHO", "SISTEMA"}, false);
  DataLocations loc = resolveDataLocations(wd, settings.lookup());
  EXPECT_EQ(loc.root, wd + S);
  EXPECT_EQ(loc.shared, wd + S + "BComuns");
  EXPECT_EQ(loc.fiscalBooks, wd + S + "BEscrita");
  EXPECT_EQ(loc.accounting, wd + S + "BCTB");
  EXPECT_EQ(loc.temp, wd + S + "Temp");
  EXPECT_EQ(loc.upgrade, wd + S + "BComuns" + S);
}

TEST(DataLocations, SharedFileNames) {
  std::string root = dirs({"c", "TRABALHO", "SISTEMA"}, true);
  BindingMap names = sharedFileNames(root);
  EXPECT_EQ(names.size(), 9u);
  EXPECT_EQ(names["Empresas.dat"], root + "BComuns" + S + "Empresas.dat");
  EXPECT_EQ(names["AltContr.dat"], root + "BComuns" + S + "AltContr.dat");
  EXPECT_EQ(names["CIntegra.dat"], root + "BComuns" + S + "CIntegra.dat");
  EXPECT_EQ(names["ConfPlan.dat"], root + "BCTB" + S + "ConfPlan.dat");
}

TEST(StartUp, CreatesDirectoriesAndBindsSharedNames) {
  testing::TempDir tmp;
  std::string wd = tmp.path() + S + "TRABALHO" + S + "SISTEMA";
  auto state = startUp(wd, FakeSettings().lookup());
  ASSERT_TRUE(state);
  EXPECT_EQ(state->dataRoot(), wd + S);
  for (const char* d : {"BComuns", "BEscrita", "BCTB", "Temp"})
    EXPECT_TRUE(std::filesystem::is_directory(wd + S + d)) << d;
  EXPECT_FALSE(std::filesystem::exists(wd + S + "BFolha"));
  EXPECT_EQ(state->pathFor("Empresas.dat"), wd + S + "BComuns" + S + "Empresas.dat");
  EXPECT_EQ(state->company().codigo, 0);
}

TEST(StartUp, UncreatableRootIsPassedOver) {
  testing::TempDir tmp;
  std::string blocker = tmp.file("plain-file");
  std::ofstream(blocker) << "x";
  FakeSettings settings;
  settings.setNetPath(blocker + S + "dados" + S);
  auto state = startUp(tmp.path(), settings.lookup());
  ASSERT_TRUE(state);
  EXPECT_EQ(state->dataRoot(), blocker + S + "dados" + S);
  EXPECT_EQ(state->pathFor("Estados.dat"),
            blocker + S + "dados" + S + "BComuns" + S + "Estados.dat");
}

}  // namespace
}  // namespace vorlam::shell
