// The operations on the real media device, playing the sample movie headless.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>

#include "SampleMovie.h"
#include "movieplayer/MciOperations.h"
#include "platform/media/MediaControl.h"

using movieplayer::MciOperations;

namespace {

const QString kAlias = QStringLiteral("movie");

struct BridgeWatchMovie {
  static constexpr const char* kName = "Bridge watch.part 1.mpg";
};

class Playback : public testsupport::SampleMovieSuite<BridgeWatchMovie> {
 protected:
  void SetUp() override {
    SampleMovieSuite::SetUp();
    if (HasFatalFailure()) return;
    platform::MciSetAudioOutput(QStringLiteral("null"));
    window_ = std::make_unique<QWidget>();
    window_->resize(500, 400);
    frame_ = new QWidget(window_.get());
    frame_->setGeometry(0, 0, 400, 300);
    ASSERT_EQ(mci_.MciOpenVideo(movie_, platform::MciWindowHandle(frame_), kAlias, QStringLiteral("MPEGVideo")), "Success");
  }
  void TearDown() override {
    mci_.MciClose(kAlias);
    window_.reset();
  }
  // Yields until the movie stops playing; false after `ms`.
  bool WaitForEnd(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
      if (mci_.MciGetMode(kAlias) != QLatin1String("playing")) return true;
      QTest::qWait(20);
    }
    return false;
  }

  std::unique_ptr<QWidget> window_;
  QWidget* frame_ = nullptr;
  MciOperations mci_;
};

}  // namespace

TEST_F(Playback, LengthsRateAndPictureSize) {
  EXPECT_EQ(mci_.MciGetLengthFrames(kAlias), 100);
  const std::int32_t milliseconds = mci_.MciGetLengthMs(kAlias);
  EXPECT_GE(milliseconds, 4000);
  EXPECT_LE(milliseconds, 4050);
  EXPECT_EQ(mci_.MciGetFramesPerSecond(kAlias), 25);
  EXPECT_EQ(mci_.MciGetDestinationSize(kAlias, QStringLiteral("cx")), 352);
  EXPECT_EQ(mci_.MciGetDestinationSize(kAlias, QStringLiteral("cy")), 288);
  EXPECT_EQ(mci_.MciGetPosition(kAlias), 0);
  EXPECT_EQ(mci_.MciGetPercentPlayed(kAlias), 0);
  EXPECT_EQ(mci_.MciGetMode(kAlias), "stopped");
}

TEST_F(Playback, PlaysForwardToTheEnd) {
  ASSERT_EQ(mci_.MciPlayRange(kAlias, QString(), QStringLiteral("0")), "Success");
  EXPECT_EQ(mci_.MciGetMode(kAlias), "playing");
  QTest::qWait(400);
  const std::int32_t early = mci_.MciGetPosition(kAlias);
  EXPECT_GT(early, 3);
  QTest::qWait(400);
  const std::int32_t later = mci_.MciGetPosition(kAlias);
  EXPECT_GT(later, early);
  EXPECT_GT(mci_.MciGetPercentPlayed(kAlias), 0);
  EXPECT_LT(mci_.MciGetPercentPlayed(kAlias), 100);

  ASSERT_TRUE(WaitForEnd(6000));
  EXPECT_EQ(mci_.MciGetMode(kAlias), "stopped");
  EXPECT_EQ(mci_.MciGetPosition(kAlias), 100);
  EXPECT_EQ(mci_.MciGetPercentPlayed(kAlias), 100);

  // Rewind: back to the first frame and paused there.
  EXPECT_EQ(mci_.MciSeekAndPlay(kAlias, 0), "Success");
  EXPECT_EQ(mci_.MciPause(kAlias), "Success");
  EXPECT_EQ(mci_.MciGetPosition(kAlias), 0);
  EXPECT_EQ(mci_.MciGetMode(kAlias), "paused");
  EXPECT_EQ(mci_.MciGetPercentPlayed(kAlias), 0);
}

TEST_F(Playback, SeekToAFrameWhilePausedStaysThere) {
  EXPECT_EQ(mci_.MciSeekAndPlay(kAlias, 37), "Success");
  EXPECT_EQ(mci_.MciPause(kAlias), "Success");
  EXPECT_EQ(mci_.MciGetPosition(kAlias), 37);
  QTest::qWait(200);
  EXPECT_EQ(mci_.MciGetPosition(kAlias), 37);
  EXPECT_EQ(mci_.MciGetPercentPlayed(kAlias), 37);
  // The far end of the bar is the end of the movie.
  EXPECT_EQ(mci_.MciSeekAndPlay(kAlias, 100), "Success");
  EXPECT_EQ(mci_.MciGetPercentPlayed(kAlias), 100);
  EXPECT_EQ(mci_.MciGetMode(kAlias), "stopped");
  // Beyond the ends the seek fails and the play goes on from where it was.
  EXPECT_NE(mci_.MciSeekAndPlay(kAlias, -40), "Success");
  EXPECT_EQ(mci_.MciGetPosition(kAlias), 100);
}

TEST_F(Playback, PlayingFromTheCurrentFrameToTheEnd) {
  mci_.MciSeekAndPlay(kAlias, 60);
  mci_.MciPause(kAlias);
  ASSERT_EQ(mci_.MciPlayRange(kAlias, QString::number(mci_.MciGetPosition(kAlias)), QStringLiteral("0")), "Success");
  EXPECT_EQ(mci_.MciGetMode(kAlias), "playing");
  ASSERT_TRUE(WaitForEnd(4000));
  EXPECT_EQ(mci_.MciGetPercentPlayed(kAlias), 100);
}

TEST_F(Playback, VolumeAndWindow) {
  EXPECT_EQ(mci_.MciSetVolume(kAlias, QStringLiteral("BothChannels"), 50), "Success");
  EXPECT_EQ(mci_.MciGetVolume(kAlias, QStringLiteral("BothChannels")), 50);
  EXPECT_EQ(mci_.MciSetVolume(kAlias, QStringLiteral("Left"), 30), "Success");
  EXPECT_EQ(mci_.MciGetVolume(kAlias, QStringLiteral("Left")), 30);
  EXPECT_EQ(mci_.MciGetVolume(kAlias, QStringLiteral("Right")), 50);

  std::int32_t width = 0;
  std::int32_t height = 0;
  EXPECT_EQ(mci_.MciPutWindow(platform::MciWindowHandle(frame_), kAlias, 0, 0, width, height), "Success");
  EXPECT_EQ(width, 400);
  EXPECT_EQ(height, 300);
  EXPECT_EQ(mci_.MciGetDestinationSize(kAlias, QStringLiteral("cx")), 400);
  EXPECT_EQ(mci_.MciGetDestinationSize(kAlias, QStringLiteral("cy")), 300);
}

TEST_F(Playback, AClosedDeviceAnswersWithErrors) {
  ASSERT_EQ(mci_.MciClose(kAlias), "Success");
  EXPECT_EQ(mci_.MciGetMode(kAlias), "ERROR");
  EXPECT_EQ(mci_.MciGetLengthFrames(kAlias), -1);
  EXPECT_EQ(mci_.MciGetPosition(kAlias), -1);
  EXPECT_EQ(mci_.MciGetPercentPlayed(kAlias), -1);
  EXPECT_EQ(mci_.MciGetFramesPerSecond(kAlias), -1);
  EXPECT_EQ(mci_.MciGetDestinationSize(kAlias, QStringLiteral("cx")), -1);
  EXPECT_EQ(mci_.MciPause(kAlias), platform::MciGetErrorString(platform::mcierr::InvalidDeviceName));
  // A file that is not there cannot be opened.
  EXPECT_EQ(mci_.MciOpenVideo(folder_->filePath(QStringLiteral("missing.mpg")), platform::MciWindowHandle(frame_), kAlias,
                              QStringLiteral("MPEGVideo")),
            platform::MciGetErrorString(platform::mcierr::FileNotFound));
  EXPECT_EQ(mci_.MciGetMode(kAlias), "ERROR");
}

TEST(MasterVolume, TheRealMixerAnswersFalseWithoutASoundCard) {
  QFile cards(QStringLiteral("/proc/asound/cards"));
  if (cards.open(QIODevice::ReadOnly) && !cards.readAll().contains("no soundcards"))
    GTEST_SKIP() << "this machine has a sound card";
  MciOperations mci;
  EXPECT_FALSE(mci.SetMasterVolume(50));
  EXPECT_FALSE(mci.SetMasterVolume(100));
}
