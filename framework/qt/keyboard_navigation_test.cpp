#include "framework/qt/keyboard_navigation.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "framework/qt/test_harness.h"

namespace vorlam::qt {
namespace {

using testing::focused;
using testing::pressKey;

class KeyboardNavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::application();
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{code, name, spin, combo, list, check, ok})
      layout->addWidget(w);
    name->setText("Abc");
    list->addItems({"um", "dois", "três"});
    combo->addItems({"SP", "RJ"});
    nav = new KeyboardNavigation(&window);
    ASSERT_TRUE(testing::showWindow(&window));
  }
  void focusOn(QWidget* w) {
    w->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(focused(), w);
  }

  QApplication* app = testing::application();
  QWidget window;
  QLineEdit* code = new QLineEdit;
  QLineEdit* name = new QLineEdit;
  QSpinBox* spin = new QSpinBox;
  QComboBox* combo = new QComboBox;
  QListWidget* list = new QListWidget;
  QCheckBox* check = new QCheckBox("Ativo");
  QPushButton* ok = new QPushButton("&Ok");
  KeyboardNavigation* nav = nullptr;
};

TEST_F(KeyboardNavigationTest, EnterMovesForwardAndWrapsAround) {
  focusOn(code);
  pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(focused(), name);
  pressKey(&window, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(focused(), spin);
  pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(focused(), combo);
  pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(focused(), list);
  pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(focused(), list) << "a list keeps its Enter";
  focusOn(check);
  pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(focused(), ok);
  focusOn(ok);
  pressKey(&window, Qt::Key_Down);
  EXPECT_EQ(focused(), code) << "down on the last control wraps to the first";
  pressKey(&window, Qt::Key_Up);
  EXPECT_EQ(focused(), ok) << "up on the first control wraps to the last";
}

TEST_F(KeyboardNavigationTest, TabAndShiftTabWrap) {
  focusOn(ok);
  pressKey(&window, Qt::Key_Tab);
  EXPECT_EQ(focused(), code);
  pressKey(&window, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(focused(), ok);
}

TEST_F(KeyboardNavigationTest, LineEditKeepsCursorMovementInsideItsText) {
  focusOn(name);
  name->setCursorPosition(1);
  pressKey(&window, Qt::Key_Left);
  EXPECT_EQ(focused(), name);
  EXPECT_EQ(name->cursorPosition(), 0);
  pressKey(&window, Qt::Key_Left);
  EXPECT_EQ(focused(), code) << "left at the start of the text goes back";
  focusOn(name);
  name->setCursorPosition(2);
  pressKey(&window, Qt::Key_Right);
  EXPECT_EQ(focused(), name);
  pressKey(&window, Qt::Key_Right);
  EXPECT_EQ(focused(), spin) << "right at the end of the text goes forward";
  focusOn(name);
  name->selectAll();
  pressKey(&window, Qt::Key_Right);
  EXPECT_EQ(focused(), name) << "a selection is collapsed first";
  focusOn(name);
  name->setCursorPosition(1);
  pressKey(&window, Qt::Key_Up);
  EXPECT_EQ(focused(), code) << "up and down have no use in a one-line field";
}

TEST_F(KeyboardNavigationTest, SpinBoxesDropListsAndListsKeepTheirArrows) {
  focusOn(spin);
  pressKey(&window, Qt::Key_Up);
  EXPECT_EQ(focused(), spin);
  EXPECT_EQ(spin->value(), 1);
  pressKey(&window, Qt::Key_Down);
  EXPECT_EQ(spin->value(), 0);
  focusOn(combo);
  pressKey(&window, Qt::Key_Down);
  EXPECT_EQ(focused(), combo);
  EXPECT_EQ(combo->currentIndex(), 1);
  focusOn(list);
  list->setCurrentRow(0);
  pressKey(&window, Qt::Key_Down);
  EXPECT_EQ(focused(), list);
  EXPECT_EQ(list->currentRow(), 1);
}

TEST_F(KeyboardNavigationTest, ExcludedControlsKeepTheirKeys) {
  nav->exclude(name);
  focusOn(name);
  pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(focused(), name);
  pressKey(&window, Qt::Key_Up);
  EXPECT_EQ(focused(), name);
  pressKey(&window, Qt::Key_Tab);
  EXPECT_EQ(focused(), spin) << "Tab still leaves an excluded control";
  focusOn(code);
  pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(focused(), name) << "an excluded control can still be reached";
}

TEST_F(KeyboardNavigationTest, HiddenAndDisabledControlsAreSkipped) {
  name->setEnabled(false);
  spin->hide();
  focusOn(code);
  pressKey(&window, Qt::Key_Return);
  EXPECT_EQ(focused(), combo);
  pressKey(&window, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(focused(), code);
}

TEST_F(KeyboardNavigationTest, ModifiedKeysKeepTheirMeaning) {
  focusOn(name);
  name->setCursorPosition(3);
  pressKey(&window, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(focused(), name);
  EXPECT_TRUE(name->hasSelectedText());
}

TEST(FocusMoveRules, ByKindOfControl) {
  testing::application();
  QCheckBox check;
  QRadioButton radio;
  QPushButton push;
  QTextEdit text;
  EXPECT_EQ(focusMoveFor(&check, Qt::Key_Right, {}), FocusMove::kNext);
  EXPECT_EQ(focusMoveFor(&check, Qt::Key_Left, {}), FocusMove::kPrevious);
  EXPECT_EQ(focusMoveFor(&radio, Qt::Key_Down, {}), FocusMove::kNone);
  EXPECT_EQ(focusMoveFor(&radio, Qt::Key_Return, {}), FocusMove::kNext);
  EXPECT_EQ(focusMoveFor(&push, Qt::Key_Return, {}), FocusMove::kNone);
  EXPECT_EQ(focusMoveFor(&push, Qt::Key_Up, {}), FocusMove::kPrevious);
  // An icon-only button (a lookup) is passed over by Enter.
  QToolButton lookup;
  lookup.setIcon(lookup.style()->standardIcon(QStyle::SP_FileDialogContentsView));
  EXPECT_EQ(focusMoveFor(&lookup, Qt::Key_Return, {}), FocusMove::kNext);
  EXPECT_EQ(focusMoveFor(&text, Qt::Key_Return, {}), FocusMove::kNone);
  EXPECT_EQ(focusMoveFor(&check, Qt::Key_A, {}), FocusMove::kNone);
  EXPECT_EQ(focusMoveFor(&check, Qt::Key_Return, Qt::ControlModifier), FocusMove::kNone);
}

TEST(Neighbour, EmptyWindowHasNone) {
  testing::application();
  QWidget empty;
  EXPECT_EQ(neighbour(&empty, &empty, FocusMove::kNext), nullptr);
}

}  // namespace
}  // namespace vorlam::qt
