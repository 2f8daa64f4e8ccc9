// The movie window on the real media device, playing the sample movie headless.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>

#include "SampleMovie.h"
#include "movieplayer/frmMoviePlayer.h"
#include "platform/MediaControl.h"
#include "platform/Twips.h"

using movieplayer::frmMoviePlayer;

namespace {

struct ManOverboardMovie {
  static constexpr const char* kName = "Man overboard.drill.mpg";
};

class RealPlayer : public testsupport::SampleMovieSuite<ManOverboardMovie> {
 protected:
  void SetUp() override {
    SampleMovieSuite::SetUp();
    if (HasFatalFailure()) return;
    platform::MciSetAudioOutput(QStringLiteral("null"));
  }
  // Lets the window's tick run until `done` holds; false after `ms`.
  template <typename Done>
  bool Until(Done done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
      if (done()) return true;
      QTest::qWait(20);
    }
    return done();
  }
};

}  // namespace

TEST_F(RealPlayer, PlaysTheSampleMovieToTheEndAndRewinds) {
  frmMoviePlayer player;
  player.MoviePath = movie_;
  player.Show();
  EXPECT_EQ(player.LastMciResult, "Success");
  EXPECT_EQ(player.Width(), 5280);
  EXPECT_EQ(player.Height(), 5820);
  EXPECT_EQ(player.TotalFramesText, "100");
  EXPECT_EQ(player.FramesPerSecondText, "25");
  EXPECT_EQ(player.LbTotalTime->text(), "00:04");
  EXPECT_EQ(player.LbTitle->text(), "Title : Man overboard");

  ASSERT_TRUE(Until([&] { return player.CurrentFrameText == QLatin1String("0"); }, 1000));
  EXPECT_EQ(player.LbCurrentTime->text(), "00:00");
  EXPECT_FALSE(player.CmdPlay->isHidden());
  EXPECT_TRUE(player.CmdPlay->isEnabled());

  player.CmdPlay->click();
  EXPECT_TRUE(player.CmdPlay->isHidden());
  EXPECT_FALSE(player.CmdPause->isHidden());
  ASSERT_TRUE(Until([&] { return player.CurrentFrameText.toInt() > 25; }, 3000));
  EXPECT_GT(platform::Left(player.imgPosBar), platform::Left(player.imgPosition));
  EXPECT_EQ(player.LbCurrentTime->text().left(4), "00:0");

  // At the end Play is shown but cannot be pressed.
  ASSERT_TRUE(Until([&] { return !player.CmdPlay->isHidden() && !player.CmdPlay->isEnabled(); }, 6000));
  EXPECT_EQ(player.CurrentFrameText, "100");
  EXPECT_EQ(player.LbCurrentTime->text(), "00:04");
  EXPECT_TRUE(player.CmdPause->isHidden());
  EXPECT_EQ(platform::Left(player.imgPosBar), platform::Left(player.imgPosition) + 3240);

  player.cmdRewind->click();
  ASSERT_TRUE(Until([&] { return player.CmdPlay->isEnabled() && player.CurrentFrameText == QLatin1String("0"); },
                    1000));
  EXPECT_EQ(player.LbCurrentTime->text(), "00:00");
  player.Unload();
  QString reply;
  EXPECT_EQ(platform::MciSendString(QStringLiteral("status movie mode"), &reply), platform::mcierr::InvalidDeviceName);
}

TEST_F(RealPlayer, ReleasingTheKnobWhilePausedStaysPausedAtThatFrame) {
  frmMoviePlayer player;
  player.MoviePath = movie_;
  player.Show();
  player.TimerAtEndFile->SetEnabled(false);
  platform::SetLeft(player.imgPosBar, platform::Left(player.imgPosition) + 1620);
  player.imgPosBar_MouseUp(1, 0, 0, 0);
  QTest::qWait(200);
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText, "50");
  EXPECT_EQ(player.LbCurrentTime->text(), "00:02");
  EXPECT_FALSE(player.CmdPlay->isHidden());
  EXPECT_TRUE(player.CmdPlay->isEnabled());
  player.Unload();
}

TEST_F(RealPlayer, AMissingFileOpensTheEmptyWindow) {
  frmMoviePlayer player;
  player.MoviePath = folder_->filePath(QStringLiteral("missing.mpg"));
  player.Show();
  EXPECT_EQ(player.LastMciResult, platform::MciGetErrorString(platform::mcierr::InvalidDeviceName));
  EXPECT_EQ(player.VideoWidth, -1);
  EXPECT_EQ(player.Width(), 4680);
  EXPECT_EQ(player.LbTotalTime->text(), "00:00");
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText, "-1");
  player.Unload();
  EXPECT_FALSE(player.TimerAtEndFile->Enabled());
}
