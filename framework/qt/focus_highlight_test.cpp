#include "framework/qt/focus_highlight.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "framework/qt/test_harness.h"

namespace vorlam::qt {
namespace {

const QColor kPale(255, 255, 210);

class FocusHighlightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::application();
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{first, second, spin, combo, date, check, button})
      layout->addWidget(w);
    QPalette own = second->palette();
    own.setColor(QPalette::Base, Qt::cyan);
    second->setPalette(own);
  }

  QApplication* app = testing::application();
  QWidget window;
  QLineEdit* first = new QLineEdit;
  QLineEdit* second = new QLineEdit;
  QSpinBox* spin = new QSpinBox;
  QComboBox* combo = new QComboBox;
  QDateEdit* date = new QDateEdit;
  QCheckBox* check = new QCheckBox("Ativo");
  QPushButton* button = new QPushButton("&Grava");
};

TEST(ColourNumber, RedInTheLowByte) {
  EXPECT_EQ(colourFromNumber(kHighlightColourNumber), kPale);
  EXPECT_EQ(colourFromNumber(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(colourFromNumber(0xFF0000), QColor(0, 0, 255));
}

TEST_F(FocusHighlightTest, FocusedEntryTakesTheColourAndGetsItsOwnBack) {
  new FocusHighlight(&window, colourFromNumber(kHighlightColourNumber));
  ASSERT_TRUE(testing::showWindow(&window));
  button->setFocus();
  const QColor plain = testing::baseColour(first);
  ASSERT_NE(plain, kPale);

  first->setFocus();
  EXPECT_EQ(testing::baseColour(first), kPale);
  second->setFocus();
  EXPECT_EQ(testing::baseColour(first), plain);
  EXPECT_FALSE(first->testAttribute(Qt::WA_SetPalette)) << "inherits again";
  EXPECT_EQ(testing::baseColour(second), kPale);
  spin->setFocus();
  EXPECT_EQ(testing::baseColour(second), QColor(Qt::cyan)) << "its own colour comes back";
  EXPECT_EQ(testing::baseColour(spin), kPale);
  combo->setFocus();
  EXPECT_EQ(testing::baseColour(spin), plain);
  EXPECT_EQ(testing::baseColour(combo), kPale);
  date->setFocus();
  EXPECT_EQ(testing::baseColour(date), kPale);
  EXPECT_EQ(testing::baseColour(combo), plain);
}

TEST_F(FocusHighlightTest, ButtonsAndCheckBoxesAreNotEntryControls) {
  auto* highlight = new FocusHighlight(&window, kPale);
  ASSERT_TRUE(testing::showWindow(&window));
  const QColor plain = testing::baseColour(check);
  first->setFocus();
  check->setFocus();
  EXPECT_EQ(highlight->highlighted(), nullptr);
  EXPECT_EQ(testing::baseColour(check), plain);
  button->setFocus();
  EXPECT_EQ(testing::baseColour(button), plain);
  EXPECT_NE(testing::baseColour(first), kPale);
}

TEST_F(FocusHighlightTest, BoldWhileFocused) {
  new FocusHighlight(&window, kPale, /*bold=*/true);
  ASSERT_TRUE(testing::showWindow(&window));
  button->setFocus();
  const int weight = first->font().weight();
  first->setFocus();
  EXPECT_EQ(first->font().weight(), 700);
  button->setFocus();
  EXPECT_EQ(first->font().weight(), weight);
  EXPECT_FALSE(first->testAttribute(Qt::WA_SetFont));
}

TEST_F(FocusHighlightTest, ControlsAddedLaterAreHighlighted) {
  new FocusHighlight(&window, kPale);
  auto* late = new QLineEdit(&window);
  window.layout()->addWidget(late);
  ASSERT_TRUE(testing::showWindow(&window));
  late->setFocus();
  EXPECT_EQ(testing::baseColour(late), kPale);
}

TEST_F(FocusHighlightTest, LeavingTheWindowRestores) {
  new FocusHighlight(&window, kPale);
  ASSERT_TRUE(testing::showWindow(&window));
  first->setFocus();
  QWidget other;
  QLineEdit* elsewhere = new QLineEdit(&other);
  (void)elsewhere;
  ASSERT_TRUE(testing::showWindow(&other));
  EXPECT_NE(testing::baseColour(first), kPale);
}

}  // namespace
}  // namespace vorlam::qt
