// The movie window on the real media device, playing the sample movie headless.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ImageChecks.h"
#include "SampleMovie.h"
#include "movieplayer/frmMoviePlayer.h"
#include "platform/media/MediaControl.h"
#include "platform/forms/Twips.h"

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

TEST_F(RealPlayer, AnyFileNameOpens) {
  QDir folder(folder_->path());
  ASSERT_TRUE(folder.mkpath(QStringLiteral("av:")));
  const QString saved = QDir::currentPath();
  QDir::setCurrent(folder.path());
  // Quotes, an apostrophe and letters beyond ASCII; a leading "-" and a "%"
  // escape; a relative name that reads like a URL.
  for (const QString name : {"Captain's \"Log\" Ærø.mpg", "-x 100%41 ß.mpg", "av://drill.mpg"}) {
    ASSERT_TRUE(QFile::copy(movie_, name)) << name.toStdString();
    frmMoviePlayer player;
    player.MoviePath = name.startsWith(u'a') ? name : folder.filePath(name);
    player.Show();
    EXPECT_EQ(player.TotalFramesText, "100") << name.toStdString();
    player.Unload();
  }
  QDir::setCurrent(saved);
}

TEST_F(RealPlayer, FilesItCannotPlayAndOddMoviesNeitherHangNorCrash) {
  const QString empty = folder_->filePath(QStringLiteral("empty.mpg"));
  const QString cut = folder_->filePath(QStringLiteral("cut.mpg"));
  QFile(empty).open(QIODevice::WriteOnly);
  QFile whole(movie_);
  QFile half(cut);
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly) && half.open(QIODevice::WriteOnly));
  half.write(whole.read(whole.size() / 2));
  half.close();
  frmMoviePlayer player;
  player.MoviePath = empty;
  player.Show();
  EXPECT_EQ(player.TotalFramesText, "-1");
  player.CmdPlay->click();
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText, "-1");
  player.Unload();

  // Half a movie, one without sound, one of a second: each plays to its end.
  const QString silent = folder_->filePath(QStringLiteral("silent.mpg"));
  const QString brief = folder_->filePath(QStringLiteral("brief.mpg"));
  ASSERT_EQ(testsupport::MakeSampleMovie(silent, {.seconds = 2, .sound = false}), QString());
  ASSERT_EQ(testsupport::MakeSampleMovie(brief, 1), QString());
  for (const QString& path : {cut, silent, brief}) {
    player.MoviePath = path;
    player.Show();
    EXPECT_EQ(player.LastMciResult, "Success") << path.toStdString();
    ASSERT_TRUE(Until([&] { return player.CurrentFrameText == QLatin1String("0"); }, 1000));
    player.CmdPlay->click();
    EXPECT_TRUE(Until([&] { return !player.CmdPlay->isHidden() && !player.CmdPlay->isEnabled(); }, 8000));
    EXPECT_EQ(player.CurrentFrameText, player.TotalFramesText);
    player.Unload();
  }
  // 25 frames, a length read from the container's 0.97 seconds.
  EXPECT_EQ(player.TotalFramesText, "24");
  EXPECT_EQ(player.LbTotalTime->text(), "00:01");
}

TEST_F(RealPlayer, AHalfHourMovieSeeksAndClosesInTheMiddleOfADrag) {
  const QString path = folder_->filePath(QStringLiteral("watch.mkv"));
  ASSERT_EQ(testsupport::MakeSampleMovie(path, {.seconds = 1800, .size = "64x48", .rate = 2, .sound = false}), QString());
  frmMoviePlayer player;
  player.MoviePath = path;
  player.Show();
  EXPECT_EQ(player.LbTotalTime->text(), "30:00");
  EXPECT_EQ(player.TotalFramesText, "3600");
  EXPECT_EQ(player.Width(), 4695);  // as wide as the buttons
  player.TimerAtEndFile->SetEnabled(false);
  platform::SetLeft(player.imgPosBar, platform::Left(player.imgPosition) + 1620);
  player.imgPosBar_MouseUp(1, 0, 0, 0);
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.LbCurrentTime->text(), "15:00");

  // Closed by the window manager while the knob is held.
  QCursor::setPos(player.imgPosBar->mapToGlobal(QPoint(5, 5)));
  QTimer::singleShot(100, &player, [&] { player.close(); });
  QTest::mousePress(player.imgPosBar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_FALSE(player.IsLoaded());
  QTest::mouseRelease(player.imgPosBar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  QString reply;
  EXPECT_EQ(platform::MciSendString(QStringLiteral("status movie mode"), &reply), platform::mcierr::InvalidDeviceName);
}

TEST_F(RealPlayer, PhoneClipsPlayUprightAtTheSizeTheirStreamsGive) {
  for (const int rotate : {90, 180, 270}) {
    const QString path = folder_->filePath(QStringLiteral("phone %1.mp4").arg(rotate));
    ASSERT_EQ(testsupport::MakeSampleMovie(path, {.seconds = 2, .size = "320x180", .sound = false, .rotate = rotate}),
              QString());
    const QImage upright = testsupport::MovieFrame(path, 0);
    frmMoviePlayer player;
    player.MoviePath = path;
    player.Show();
    ASSERT_EQ(player.LastMciResult, "Success") << rotate;
    EXPECT_EQ(QSize(player.VideoWidth, player.VideoHeight), upright.size()) << rotate;
    QWidget* picture = player.FrameVideo->findChild<QWidget*>();
    const auto shown = [&] { return picture->grab().toImage(); };
    EXPECT_TRUE(Until([&] { return testsupport::MeanDifference(shown(), upright) < 12; }, 3000)) << rotate;
    EXPECT_GT(testsupport::MeanDifference(shown(), upright.mirrored(true, true)), 30) << rotate;
    player.CmdPlay->click();
    EXPECT_TRUE(Until([&] { return !player.CmdPlay->isHidden() && !player.CmdPlay->isEnabled(); }, 8000)) << rotate;
    player.Unload();
  }
}

TEST_F(RealPlayer, AKnobReleaseLeavesTheWindowFreeUntilTheSeekLandsOnItsFrame) {
  const QString path = folder_->filePath(QStringLiteral("one key frame.mkv"));
  ASSERT_EQ(testsupport::MakeSampleMovie(path, {.seconds = 10, .size = "640x360", .sound = false, .keyint = 250}),
            QString());
  frmMoviePlayer player;
  player.MoviePath = path;
  player.Show();
  player.TimerAtEndFile->SetEnabled(false);
  QString reply;
  const auto ready = [&] { return platform::MciSendString(QStringLiteral("status movie ready"), &reply) == 0 ? reply : ""; };
  // 239 frames past the only key frame: Int(250 x 3110 / 3240).
  platform::SetLeft(player.imgPosBar, platform::Left(player.imgPosition) + 3110);
  player.imgPosBar_MouseUp(1, 0, 0, 0);
  EXPECT_EQ(ready(), "false");
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText, "239");
  EXPECT_EQ(player.LbCurrentTime->text(), "00:10");
  ASSERT_TRUE(Until([&] { return ready() == QLatin1String("true"); }, 10000));
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText, "239");
  // The picture comes with the next turn of the event loop.
  QWidget* picture = player.FrameVideo->findChild<QWidget*>();
  const auto unlike = [&](int frame) {
    return testsupport::MeanDifference(picture->grab().toImage(), testsupport::MovieFrame(path, frame));
  };
  EXPECT_TRUE(Until([&] { return unlike(239) < unlike(0); }, 1000));
  EXPECT_LT(unlike(239), unlike(238));
  EXPECT_LT(unlike(239), unlike(240));

  // Closed while the next seek runs.
  platform::SetLeft(player.imgPosBar, platform::Left(player.imgPosition) + 3000);
  player.imgPosBar_MouseUp(1, 0, 0, 0);
  player.CmdClose_Click();
  EXPECT_FALSE(player.IsLoaded());
  EXPECT_EQ(ready(), "");
}

TEST_F(RealPlayer, ASoundFilePlaysItsSoundWithTimeAndKnobAsAMovieDoes) {
  // In real time (the null output): the knob and the time follow the sound.
  const QString song = folder_->filePath(QStringLiteral("Engine room.alarms.m4a"));
  ASSERT_EQ(testsupport::MakeSampleSound(song, 3), QString());
  // One window for every file, as the front-end has it.
  frmMoviePlayer player;
  player.MoviePath = song;
  player.Show();
  ASSERT_EQ(player.LastMciResult, "Success");
  EXPECT_EQ(player.TotalFramesText, "75");
  EXPECT_EQ(player.LbTotalTime->text(), "00:03");
  player.CmdPlay->click();
  ASSERT_TRUE(Until([&] { return player.CurrentFrameText.toInt() >= 30; }, 3000));
  // Paused, it stays where it stopped.
  player.CmdPause->click();
  player.TimerAtEndFile_Timer();
  const int held = player.CurrentFrameText.toInt();
  EXPECT_LT(held, 75);
  QTest::qWait(300);
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText.toInt(), held);
  // The knob let go of at the far quarter: frame 56, 2.24 seconds.
  platform::SetLeft(player.imgPosBar, platform::Left(player.imgPosition) + 2430);
  player.imgPosBar_MouseUp(1, 0, 0, 0);
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText, "56");
  EXPECT_EQ(player.LbCurrentTime->text(), "00:02");
  player.Unload();

  // Every sound is heard whole: what the pcm output wrote lasts as long as
  // the file, and is not silence. The movie's sound is there as before.
  for (const auto& [name, seconds, cover] :
       {std::tuple("Engine room.alarms.m4a", 3.0, false), {"Fog signals.mp3", 1.5, true}, {"Click.m4a", 0.01, false},
        {"Lookout.mpg", 1.0, false}}) {
    SCOPED_TRACE(name);
    const QString path = folder_->filePath(QString::fromUtf8(name));
    const bool movie = path.endsWith(QLatin1String(".mpg"));
    if (movie) ASSERT_EQ(testsupport::MakeSampleMovie(path, 1), QString());
    if (!QFile::exists(path)) ASSERT_EQ(testsupport::MakeSampleSound(path, seconds, cover), QString());
    const QString written = path + ".wav";
    platform::MciSetAudioOutput(QStringLiteral("pcm"), written);
    player.MoviePath = path;
    player.Show();
    ASSERT_EQ(player.LastMciResult, "Success");
    // Laid out on every opening, also at the size it had: the title line under the picture area.
    EXPECT_EQ(platform::Height(player.FrameVideo), player.ScaleHeight() - 1500);
    ASSERT_TRUE(Until([&] { return player.CurrentFrameText == QLatin1String("0"); }, 1000));
    player.CmdPlay->click();
    ASSERT_TRUE(Until([&] { return !player.CmdPlay->isHidden() && !player.CmdPlay->isEnabled(); }, 8000));
    EXPECT_EQ(player.CurrentFrameText, player.TotalFramesText);
    if (!movie) {
      // The window as designed, its picture area black as before a movie's first picture.
      EXPECT_EQ(QSize(player.Width(), player.Height()), QSize(4680, 5370));
      QWidget* picture = player.FrameVideo->findChild<QWidget*>();
      ASSERT_NE(picture, nullptr);
      EXPECT_EQ(picture->geometry(), player.FrameVideo->rect());
      EXPECT_EQ(testsupport::ShareOf(picture->grab().toImage(), [](const QColor& c) { return c.rgb() == qRgb(0, 0, 0); }), 1);
    }
    player.Unload();
    ASSERT_TRUE(Until([&] { return testsupport::ReadWrittenSound(written).closed; }, 5000));
    const testsupport::WrittenSound heard = testsupport::ReadWrittenSound(written);
    EXPECT_NEAR(heard.seconds, seconds, 0.1);
    EXPECT_GT(heard.audibleSeconds, 0.9 * seconds);
  }
}
