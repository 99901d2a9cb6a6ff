#include "framework/window_state.h"

#include <gtest/gtest.h>

#include "storage/test_util.h"

namespace vorlam {
namespace {

const WindowPlacement kDefined{100, 80, 640, 480, false, false};
const ScreenArea kScreen{1920, 1080};

TEST(WindowState, TheSevenScreensPersist) {
  for (std::string_view s : {"Main", "WLegenda", "BFuncionarios", "Calcula", "Baixa_Duplicata_ISS51",
                             "Baixa_Duplicata_ISS53", "Baixa_Duplicatas_Saidas"})
    EXPECT_TRUE(persistsWindowState(s)) << s;
  EXPECT_FALSE(persistsWindowState("BEmpresa"));
  EXPECT_FALSE(persistsWindowState("main"));
}

TEST(WindowState, NothingRestoredUnlessMaximizeIsExactlyYesOrNo) {
  SavedWindowState saved;
  saved.x = 5;
  EXPECT_EQ(restorePlacement(saved, kDefined, true, kScreen), kDefined);
  saved.maximize = "yes";
  EXPECT_EQ(restorePlacement(saved, kDefined, true, kScreen), kDefined);
  saved.maximize = "Sim";
  EXPECT_EQ(restorePlacement(saved, kDefined, true, kScreen), kDefined);
}

TEST(WindowState, RestoresPositionAndSizeOfResizableWindowsOnly) {
  SavedWindowState saved;
  saved.maximize = "No";
  saved.minimize = "No";
  saved.x = 10;
  saved.y = 20;
  saved.width = 800;
  saved.height = 600;
  EXPECT_EQ(restorePlacement(saved, kDefined, true, kScreen), (WindowPlacement{10, 20, 800, 600, false, false}));
  EXPECT_EQ(restorePlacement(saved, kDefined, false, kScreen), (WindowPlacement{10, 20, 640, 480, false, false}));
  saved.width.reset();
  saved.y.reset();
  EXPECT_EQ(restorePlacement(saved, kDefined, true, kScreen), (WindowPlacement{10, 80, 640, 600, false, false}));
}

TEST(WindowState, MaximisedByDefinitionAndSavedStates) {
  WindowPlacement defMax = kDefined;
  defMax.maximized = true;
  SavedWindowState saved;
  saved.maximize = "No";
  EXPECT_FALSE(restorePlacement(saved, defMax, true, kScreen).maximized);
  saved.maximize = "Yes";
  EXPECT_TRUE(restorePlacement(saved, kDefined, true, kScreen).maximized);
  saved.minimize = "Yes";
  WindowPlacement p = restorePlacement(saved, kDefined, true, kScreen);
  EXPECT_TRUE(p.maximized);
  EXPECT_TRUE(p.minimized);
}

TEST(WindowState, AWindowOffTheScreenIsPulledBack) {
  SavedWindowState saved;
  saved.maximize = "No";
  saved.x = 3000;
  saved.y = -900;
  saved.width = 2500;
  WindowPlacement p = restorePlacement(saved, kDefined, true, kScreen);
  EXPECT_EQ(p, (WindowPlacement{0, 0, 1920, 480, false, false}));
  saved.x = 1900;  // partly visible: left where it was
  saved.y = 10;
  saved.width = 400;
  EXPECT_EQ(restorePlacement(saved, kDefined, true, kScreen).x, 1900);
  saved.x = 5000;  // unknown screen: nothing is moved
  EXPECT_EQ(restorePlacement(saved, kDefined, true, ScreenArea{}).x, 5000);
}

TEST(WindowStateStore, ClosedMaximisedReopensMaximisedWithoutPositionEntries) {
  testing::TempDir dir;
  SettingsFiles files(dir.path());
  WindowStateStore store(files);
  ASSERT_TRUE(store.save("Calcula", WindowPlacement{30, 40, 300, 200, false, false}, true));
  SavedWindowState s = store.load("calcula");
  EXPECT_EQ(s.maximize, "No");
  EXPECT_EQ(s.x, 30);
  EXPECT_EQ(s.height, 200);

  ASSERT_TRUE(store.save("Calcula", WindowPlacement{30, 40, 300, 200, true, false}, true));
  Result<IniDocument> doc = files.load("Vorlam.INI");
  EXPECT_EQ(doc->entries("Calcula"), (std::vector<std::string>{"Maximize", "Minimize"}));
  EXPECT_EQ(doc->get("Calcula", "Maximize"), "Yes");
  WindowPlacement p = store.restore("Calcula", kDefined, true, kScreen);
  EXPECT_TRUE(p.maximized);
  EXPECT_EQ(p.x, kDefined.x);  // keeps its definition's geometry for un-maximising
}

TEST(WindowStateStore, FixedSizeWindowsWriteNoSizeAndBadNumbersAreUnset) {
  testing::TempDir dir;
  SettingsFiles files(dir.path());
  WindowStateStore store(files);
  ASSERT_TRUE(store.save("WLegenda", WindowPlacement{1, 2, 3, 4, false, false}, false));
  EXPECT_EQ(files.load("Vorlam.INI")->entries("WLegenda"),
            (std::vector<std::string>{"Maximize", "Minimize", "XPos", "YPos"}));
  ASSERT_TRUE(files.write("WLegenda", "XPos", "12abc", "Vorlam.INI"));
  EXPECT_EQ(store.restore("WLegenda", kDefined, false, kScreen).x, kDefined.x);
  EXPECT_EQ(store.restore("WLegenda", kDefined, false, kScreen).y, 2);
}

}  // namespace
}  // namespace vorlam
