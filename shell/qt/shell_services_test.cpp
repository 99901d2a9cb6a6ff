#include "shell/qt/shell_services.h"

#include <QWidget>

#include "shell/qt/shell_qt_test_fixture.h"

namespace vorlam::shell::qt {
namespace {

namespace harness = vorlam::qt::testing;
using ScreenStateTest = testing::ShellQtTest;

// A screen opened, resized by the user and closed, under `procedure`.
void openResizeAndClose(const ShellServices& services, const char* procedure) {
  QWidget screen;
  screen.resize(320, 200);
  installScreenBehaviour(&screen, services, procedure);
  ASSERT_TRUE(harness::showWindow(&screen));
  screen.resize(410, 260);
  screen.close();
}

TEST_F(ScreenStateTest, OnlyTheScreensThatKeepTheirStateReopenAsTheyWereLeft) {
  openResizeAndClose(*services_, "Calcula");
  openResizeAndClose(*services_, "ConfigContas");
  EXPECT_EQ(session_->windowState().load("Calcula").width, 410);
  EXPECT_FALSE(session_->windowState().load("ConfigContas").width.has_value());

  QWidget again;
  again.resize(320, 200);
  installScreenBehaviour(&again, *services_, "Calcula");
  EXPECT_EQ(again.size(), QSize(410, 260)) << "restored before it is shown";
  QWidget other;
  other.resize(320, 200);
  installScreenBehaviour(&other, *services_, "ConfigContas");
  EXPECT_EQ(other.size(), QSize(320, 200));
}

}  // namespace
}  // namespace vorlam::shell::qt
