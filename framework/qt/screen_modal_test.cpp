#include "framework/qt/screen_modal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "framework/qt/test_harness.h"

namespace vorlam::qt {
namespace {

// Two screens in a frame's work area; a dialog of the first blocks the
// first only.
TEST(ScreenModal, ADialogBlocksItsOwnScreenOnly) {
  testing::application();
  QMainWindow frame;
  auto* area = new QMdiArea(&frame);
  frame.setCentralWidget(area);
  auto* first = new QLineEdit;
  auto* second = new QLineEdit;
  QMdiSubWindow* firstWindow = area->addSubWindow(first);
  area->addSubWindow(second);
  frame.resize(800, 600);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));

  QDialog dialog(first);
  auto* inDialog = new QLineEdit(&dialog);
  bool closedUnder = true;
  bool placedInside = false;
  QString statusShown;
  QTimer::singleShot(20, &dialog, [&] {
    QTest::keyClicks(second, "b");
    QTest::keyClicks(first, "a");
    QTest::keyClicks(inDialog, "d");
    closedUnder = firstWindow->close() || frame.close();
    QStatusTipEvent tip(QStringLiteral("Dica do formulário"));
    QApplication::sendEvent(inDialog, &tip);
    statusShown = frame.statusBar()->currentMessage();
    placedInside = frame.frameGeometry().contains(dialog.frameGeometry().center());
    dialog.accept();
  });
  EXPECT_EQ(execForScreen(dialog), QDialog::Accepted);
  EXPECT_EQ(second->text(), "b");  // the other screen answers
  EXPECT_EQ(first->text(), "");    // its own does not
  EXPECT_EQ(inDialog->text(), "d");
  EXPECT_FALSE(closedUnder);       // nor can it be closed under its dialog
  EXPECT_TRUE(placedInside);
  EXPECT_EQ(statusShown, QStringLiteral("Dica do formulário"));  // on the frame's status bar
  EXPECT_EQ(screenOf(first), firstWindow);
  // Once the dialog is gone the screen answers again.
  QTest::keyClicks(first, "a");
  EXPECT_EQ(first->text(), "a");
}

// A list wider than the narrow form it is opened from (the chart from the
// customer form) still stands whole on the display, and one wider than
// the display is narrowed to it.
TEST(ScreenModal, AWindowWiderThanItsFormStaysOnTheDisplay) {
  testing::application();
  QWidget form;
  const QRect usable = form.screen()->availableGeometry();
  form.resize(usable.width() / 3, usable.height() / 2);
  form.move(usable.right() - usable.width() / 2, usable.top() + 20);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  QWidget wide;
  wide.resize(usable.width() * 3 / 4, usable.height() / 3);
  placeOverScreen(&wide, &form);
  EXPECT_GE(wide.x(), usable.left());
  EXPECT_LE(wide.x() + wide.width() - 1, usable.right());
  EXPECT_TRUE(form.geometry().intersects(QRect(wide.pos(), wide.size())));  // still over its form

  QWidget huge;
  huge.resize(usable.width() + 200, usable.height() / 3);
  placeOverScreen(&huge, &form);
  EXPECT_LE(huge.width(), usable.width());
  EXPECT_GE(huge.x(), usable.left());
  EXPECT_LE(huge.x() + huge.width() - 1, usable.right());
}

// A form taller than two thirds of the display, that fits on it, opens
// whole rather than cut to the share a plain window is given.
TEST(ScreenModal, AFormThatFitsTheDisplayOpensWhole) {
  testing::application();
  QWidget form;
  const QRect usable = form.screen()->availableGeometry();
  form.resize(usable.width() / 2, usable.height() / 2);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  QWidget tall;
  auto* column = new QVBoxLayout(&tall);
  // Asks for 85% of the display; may be squeezed to 60 pixels.
  struct Tall : QWidget {
    int want = 0;
    QSize sizeHint() const override { return {300, want}; }
  };
  auto* content = new Tall;
  content->want = usable.height() * 85 / 100;
  content->setMinimumHeight(60);
  column->addWidget(content);
  placeOverScreen(&tall, &form);
  EXPECT_GE(tall.height(), content->want);
  EXPECT_LE(tall.height(), usable.height());
}

}  // namespace
}  // namespace vorlam::qt
