#include <QElapsedTimer>
#include <QLabel>
#include <gtest/gtest.h>

#include "frontend/frmWait.h"
#include "platform/forms/ImageList.h"

using namespace frontend;

TEST(frmWait, HasItsDesignValues) {
  frmWait f;
  EXPECT_EQ(f.Caption(), "  Work in progress...");
  EXPECT_EQ(f.lblWait->text(), "       Please wait...      Loading the files.");
  EXPECT_EQ(f.tmrWait->Interval(), 1500);
  EXPECT_FALSE(f.tmrWait->Enabled());
  // The "wait" picture of the front-end's pictures, at its own size.
  EXPECT_EQ(f.imgWait->pixmap().size(), QSize(48, 48));
  EXPECT_EQ(f.imgWait->pixmap().toImage(), platform::ImageList("frmWait").ListImage("wait").toImage());
  f.Show();
  EXPECT_EQ(f.ScaleWidth(), 3555);
  EXPECT_EQ(f.ScaleHeight(), 1050);
  f.Unload();
}

TEST(frmWait, TwoLaunchesShowItTwiceForOneTimerIntervalEach) {
  frmWait f;
  int ticks = 0;
  const auto tick = f.tmrWait->OnTimer;
  f.tmrWait->OnTimer = [&] {
    ++ticks;
    EXPECT_TRUE(f.isVisible());
    tick();
  };
  for (int showing = 1; showing <= 2; ++showing) {
    QElapsedTimer clock;
    clock.start();
    f.Show(1);  // returns once the window has hidden itself
    const qint64 elapsed = clock.elapsed();
    // Qt's coarse timers may fire up to 5 % early.
    EXPECT_GE(elapsed, 1425) << "showing " << showing;
    EXPECT_LT(elapsed, 1500 * 2) << "showing " << showing;
    EXPECT_EQ(ticks, showing);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.IsLoaded());  // kept for the next launch
    EXPECT_FALSE(f.tmrWait->Enabled());
  }
  f.Unload();
}
