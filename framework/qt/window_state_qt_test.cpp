#include "framework/qt/window_state_qt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>

#include "framework/qt/test_harness.h"
#include "storage/test_util.h"

namespace vorlam::qt {
namespace {

class WindowStateQtTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::application(); }
  std::string entry(const char* name) { return files.read("BFuncionarios", name, "<none>", "Vorlam.INI"); }

  vorlam::testing::TempDir dir;
  SettingsFiles files{dir.path()};
  WindowStateStore store{files};
};

TEST_F(WindowStateQtTest, NormalWindowRoundTrip) {
  {
    QWidget window;
    window.setGeometry(120, 90, 500, 300);
    WindowStateKeeper keeper(store, "BFuncionarios", &window);
    ASSERT_TRUE(testing::showWindow(&window));
    window.move(150, 110);
    window.resize(640, 420);
    window.close();
    EXPECT_TRUE(keeper.lastSave().isOk());
  }
  EXPECT_EQ(entry("Maximize"), "No");
  EXPECT_EQ(entry("Minimize"), "No");
  EXPECT_EQ(entry("XPos"), "150");
  EXPECT_EQ(entry("YPos"), "110");
  EXPECT_EQ(entry("Width"), "640");
  EXPECT_EQ(entry("Height"), "420");

  QWidget again;
  again.setGeometry(10, 10, 200, 100);
  restoreWindowState(store, "BFuncionarios", &again);
  EXPECT_EQ(again.pos(), QPoint(150, 110));
  EXPECT_EQ(again.size(), QSize(640, 420));
}

TEST_F(WindowStateQtTest, FixedSizeWindowKeepsItsSizeAndWritesNone) {
  QWidget window;
  window.setFixedSize(300, 200);
  window.move(40, 50);
  EXPECT_FALSE(isResizable(&window));
  ASSERT_TRUE(saveWindowState(store, "BFuncionarios", &window).isOk());
  EXPECT_EQ(entry("XPos"), "40");
  EXPECT_EQ(entry("Width"), "<none>");
  ASSERT_TRUE(files.write("BFuncionarios", "Width", "900", "Vorlam.INI").isOk());
  QWidget other;
  other.setFixedSize(300, 200);
  restoreWindowState(store, "BFuncionarios", &other);
  EXPECT_EQ(other.size(), QSize(300, 200));
  EXPECT_EQ(other.pos(), QPoint(40, 50));
}

TEST_F(WindowStateQtTest, MaximisedWindowReopensMaximisedWithoutPositions) {
  {
    QWidget window;
    window.setGeometry(100, 100, 400, 300);
    WindowStateKeeper keeper(store, "BFuncionarios", &window);
    ASSERT_TRUE(testing::showWindow(&window));
    window.showMaximized();
    testing::wait(20);
    window.close();
  }
  EXPECT_EQ(entry("Maximize"), "Yes");
  EXPECT_EQ(entry("XPos"), "<none>");
  EXPECT_EQ(entry("Height"), "<none>");
  QWidget again;
  restoreWindowState(store, "BFuncionarios", &again);
  EXPECT_TRUE(again.windowState() & Qt::WindowMaximized);
}

TEST_F(WindowStateQtTest, NeverShownWindowSavesNothing) {
  {
    QWidget window;
    WindowStateKeeper keeper(store, "BFuncionarios", &window);
    window.close();
  }
  EXPECT_EQ(entry("Maximize"), "<none>");
}

TEST_F(WindowStateQtTest, MalformedSectionLeavesTheWindowAsDefined) {
  ASSERT_TRUE(files.write("BFuncionarios", "Maximize", "yes", "Vorlam.INI").isOk());
  ASSERT_TRUE(files.write("BFuncionarios", "XPos", "5", "Vorlam.INI").isOk());
  QWidget window;
  window.setGeometry(70, 60, 300, 200);
  restoreWindowState(store, "BFuncionarios", &window);
  EXPECT_EQ(window.pos(), QPoint(70, 60));
}

TEST_F(WindowStateQtTest, KeeperReopensAMaximisedCloseMaximisedAndRestoresItsPlace) {
  {
    QWidget window;
    window.setGeometry(130, 80, 420, 260);
    WindowStateKeeper keeper(store, "BFuncionarios", &window);
    ASSERT_TRUE(testing::showWindow(&window));
    window.close();
  }
  {
    QWidget window;
    WindowStateKeeper keeper(store, "BFuncionarios", &window);
    ASSERT_TRUE(testing::showWindow(&window));
    window.showMaximized();
    testing::wait(20);
    window.close();
  }
  QWidget again;
  again.setGeometry(0, 0, 200, 100);
  WindowStateKeeper keeper(store, "BFuncionarios", &again);
  ASSERT_TRUE(testing::showWindow(&again));
  EXPECT_TRUE(again.isMaximized());
  // Closed un-maximised, it is written as such again.
  again.showNormal();
  testing::wait(20);
  EXPECT_FALSE(again.isMaximized());
  again.close();
  EXPECT_EQ(entry("Maximize"), "No");
}

}  // namespace
}  // namespace vorlam::qt
