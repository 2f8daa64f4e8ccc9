// The up/down control: the range, the arrows at its ends, and when Change
// is raised.
#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>

#include "platform/forms/UpDown.h"
#include "platform/values/VbError.h"

using platform::UpDown;

namespace {

struct Counted {
  UpDown control;
  std::vector<int> seen;  // Value at each Change
  Counted() {
    control.Change = [this] { seen.push_back(control.Value()); };
  }
};

TEST(UpDown, ArrowsMoveOneStepAndStopAtTheEnds) {
  Counted c;
  c.control.resize(23, 40);
  c.control.SetMin(1);
  c.control.SetMax(3);
  c.control.SetValue(1);
  c.seen.clear();
  QTest::mouseClick(c.control.DownArrow(), Qt::LeftButton);  // already at Min
  QTest::mouseClick(c.control.UpArrow(), Qt::LeftButton);
  QTest::mouseClick(c.control.UpArrow(), Qt::LeftButton);
  QTest::mouseClick(c.control.UpArrow(), Qt::LeftButton);  // already at Max
  EXPECT_EQ(c.control.Value(), 3);
  EXPECT_EQ(c.seen, (std::vector<int>{2, 3}));
  QTest::mouseClick(c.control.DownArrow(), Qt::LeftButton);
  EXPECT_EQ(c.seen, (std::vector<int>{2, 3, 2}));
}

TEST(UpDown, ValueByCodeRaisesChangeOnlyWhenItChanges) {
  Counted c;
  EXPECT_EQ(c.control.Min(), 0);
  EXPECT_EQ(c.control.Max(), 10);
  EXPECT_EQ(c.control.Value(), 0);
  c.control.SetValue(7);
  c.control.SetValue(7);
  c.control.SetValue(10);
  EXPECT_EQ(c.seen, (std::vector<int>{7, 10}));
  for (int bad : {-1, 11}) {
    try {
      c.control.SetValue(bad);
      ADD_FAILURE() << bad;
    } catch (const platform::VbError& e) {
      EXPECT_EQ(e.Number(), 380);
    }
  }
  EXPECT_EQ(c.control.Value(), 10);
  EXPECT_EQ(c.seen.size(), 2u);
}

TEST(UpDown, NarrowedRangeCarriesTheValueAlong) {
  Counted c;
  c.control.SetValue(8);
  c.seen.clear();
  c.control.SetMax(5);
  EXPECT_EQ(c.control.Value(), 5);
  c.control.SetMin(6);  // Min above Max: the range runs from 5 to 6
  EXPECT_EQ(c.control.Value(), 5);
  c.control.SetMax(9);  // 6 to 9
  EXPECT_EQ(c.control.Value(), 6);
  c.control.SetMin(7);
  EXPECT_EQ(c.control.Value(), 7);
  EXPECT_EQ(c.seen, (std::vector<int>{5, 6, 7}));
}

TEST(UpDown, ReversedRangeUpArrowGoesTowardsMax) {
  Counted c;
  c.control.resize(23, 40);
  c.control.SetMin(5);
  c.control.SetMax(1);
  c.control.SetValue(3);
  c.seen.clear();
  QTest::mouseClick(c.control.UpArrow(), Qt::LeftButton);
  QTest::mouseClick(c.control.DownArrow(), Qt::LeftButton);
  QTest::mouseClick(c.control.DownArrow(), Qt::LeftButton);
  EXPECT_EQ(c.seen, (std::vector<int>{2, 3, 4}));
}

TEST(UpDown, KeysWorkTheArrowsAndClicksTakeTheFocus) {
  QWidget window;
  auto* c = new UpDown(&window);
  c->setGeometry(0, 0, 23, 40);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::mouseClick(c->UpArrow(), Qt::LeftButton);
  EXPECT_TRUE(c->hasFocus());
  QTest::keyClick(c, Qt::Key_Up);
  QTest::keyClick(c, Qt::Key_Up);
  QTest::keyClick(c, Qt::Key_Down);
  EXPECT_EQ(c->Value(), 2);
}

}  // namespace
