// The print-progress window: its fixed contents, the bar's cycle tick by
// tick, the focus restarting it, and a run on the real timer.
#include "stepbrowser/frmWait.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "TestSupport.h"

static void RegisterWaitPicture() { Q_INIT_RESOURCE(stepbrowser_images); }

using stepbrowser::frmWait;

namespace {

class PrintWait : public ::testing::Test {
 protected:
  void SetUp() override { RegisterWaitPicture(); }
  // Shown, with its activation let in, so that no late one restarts the bar
  // (offscreen, a window shown a second time is not activated again).
  void Show() {
    wait.Show();
    wait.activateWindow();
    (void)QTest::qWaitFor([this] { return wait.isActiveWindow(); }, 300);
    QApplication::processEvents();
  }
  static void Activate(QWidget* w) {
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([w] { return w->isActiveWindow(); }));
    QApplication::processEvents();
  }
  testsupport::ScriptedResponder responder;
  frmWait wait;
};

TEST_F(PrintWait, StartsHiddenWithItsTimerOffAndItsFixedContents) {
  EXPECT_FALSE(wait.isVisible());
  EXPECT_FALSE(wait.tmrWait.Enabled());
  EXPECT_EQ(wait.tmrWait.Interval(), 500);
  EXPECT_EQ(wait.Caption(), " Job in progress");
  EXPECT_EQ(wait.lblWait->text(), "       Please wait...       Send datas to the printer.");
  EXPECT_EQ(wait.lblWait->font().family(), "Arial");
  EXPECT_FALSE(wait.imgWait->pixmap().isNull());
  EXPECT_EQ(wait.prgWait->minimum(), 0);
  EXPECT_EQ(wait.prgWait->maximum(), 10);
  EXPECT_EQ(wait.prgWait->value(), 0);
}

TEST_F(PrintWait, WithoutTheTimerTheBarStaysEmpty) {
  Show();
  QTest::qWait(700);  // longer than a tick
  EXPECT_TRUE(wait.isVisible());
  EXPECT_EQ(wait.prgWait->value(), 0);
  EXPECT_FALSE(wait.tmrWait.Enabled());
}

TEST_F(PrintWait, EachTickAddsOneAndTheTickAfterTheFullBarHides) {
  wait.prgWait->setRange(2, 6);
  Show();
  EXPECT_EQ(wait.prgWait->value(), 2);  // the focus put it at the minimum
  wait.tmrWait.SetEnabled(true);
  for (int tick = 1; tick <= 4; ++tick) {
    wait.tmrWait.Fire();
    EXPECT_EQ(wait.prgWait->value(), 2 + tick);
    EXPECT_TRUE(wait.isVisible());
  }
  EXPECT_TRUE(wait.tmrWait.Enabled());
  wait.tmrWait.Fire();
  EXPECT_FALSE(wait.isVisible());
  EXPECT_FALSE(wait.tmrWait.Enabled());
  EXPECT_EQ(wait.prgWait->value(), 6);
  EXPECT_TRUE(wait.IsLoaded());

  // Shown again with the timer on: a fresh cycle.
  Show();
  EXPECT_EQ(wait.prgWait->value(), 2);
  wait.tmrWait.SetEnabled(true);
  wait.tmrWait.Fire();
  EXPECT_EQ(wait.prgWait->value(), 3);
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(PrintWait, MinimumEqualToMaximumHidesOnTheFirstTick) {
  wait.prgWait->setRange(4, 4);
  Show();
  wait.tmrWait.SetEnabled(true);
  wait.tmrWait.Fire();
  EXPECT_FALSE(wait.isVisible());
  EXPECT_FALSE(wait.tmrWait.Enabled());
  EXPECT_EQ(wait.prgWait->value(), 4);
}

TEST_F(PrintWait, RegainingTheFocusSetsTheBarBackToItsMinimum) {
  Show();
  wait.tmrWait.SetEnabled(true);
  for (int i = 0; i < 3; ++i) wait.tmrWait.Fire();
  ASSERT_EQ(wait.prgWait->value(), 3);
  QWidget other;
  other.show();
  Activate(&other);
  EXPECT_EQ(wait.prgWait->value(), 3);
  Activate(&wait);
  EXPECT_EQ(wait.prgWait->value(), 0);
  EXPECT_TRUE(wait.isVisible());
  wait.tmrWait.Fire();
  EXPECT_EQ(wait.prgWait->value(), 1);
}

TEST_F(PrintWait, TheRealTimerFillsTheBarAndHidesTheWindow) {
  wait.prgWait->setRange(0, 2);
  Show();
  int highest = 0;
  QObject::connect(wait.prgWait, &QProgressBar::valueChanged, [&highest](int v) { highest = std::max(highest, v); });
  wait.tmrWait.SetEnabled(true);
  QTRY_VERIFY_WITH_TIMEOUT(!wait.isVisible(), 5000);
  EXPECT_EQ(highest, 2);
  EXPECT_FALSE(wait.tmrWait.Enabled());
}

}  // namespace
