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

TEST_F(RealPlayer, AnyFileNameOpens) {
  QDir folder(folder_->path());
  ASSERT_TRUE(folder.mkpath(QStringLiteral("av:")));
  const QString saved = QDir::currentPath();
  QDir::setCurrent(folder.path());
  // Quotes, an apostrophe and letters beyond ASCII; a leading "-" and a "%"
  // escape; a relative name that reads like a URL.
  for (const QString& name : {QStringLiteral("Captain's \"Log\" Ærø.mpg"), QStringLiteral("-x 100%41 ß.mpg"),
                              QStringLiteral("av://drill.mpg")}) {
    ASSERT_TRUE(QFile::copy(movie_, folder.filePath(name))) << name.toStdString();
    frmMoviePlayer player;
    player.MoviePath = name.startsWith(u'a') ? name : folder.filePath(name);
    player.Show();
    EXPECT_EQ(player.LastMciResult, "Success") << name.toStdString();
    EXPECT_EQ(player.TotalFramesText, "100") << name.toStdString();
    EXPECT_EQ(player.LbTotalTime->text(), "00:04");
    player.Unload();
  }
  QDir::setCurrent(saved);
}

TEST_F(RealPlayer, FilesItCannotPlayAndOddMoviesNeitherHangNorCrash) {
  QDir folder(folder_->path());
  const QString empty = folder.filePath(QStringLiteral("empty.mpg"));
  const QString text = folder.filePath(QStringLiteral("notes.mpg"));
  const QString cut = folder.filePath(QStringLiteral("cut.mpg"));
  QFile(empty).open(QIODevice::WriteOnly);
  QFile notes(text);
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("These are notes, not a movie.\n");
  notes.close();
  QFile whole(movie_);
  QFile half(cut);
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly) && half.open(QIODevice::WriteOnly));
  half.write(whole.read(whole.size() / 2));
  half.close();
  for (const QString& path : {empty, text}) {
    frmMoviePlayer player;
    player.MoviePath = path;
    player.Show();
    EXPECT_EQ(player.LastMciResult, platform::MciGetErrorString(platform::mcierr::InvalidDeviceName));
    EXPECT_EQ(player.TotalFramesText, "-1");
    EXPECT_EQ(player.Width(), 4680);
    player.CmdPlay->click();
    player.TimerAtEndFile_Timer();
    EXPECT_EQ(player.CurrentFrameText, "-1");
    EXPECT_TRUE(player.CmdPlay->isEnabled());
    player.Unload();
  }

  // Half a movie, one without sound, one of a second: each plays to its end.
  testsupport::MovieSpec silent;
  silent.sound = false;
  silent.seconds = 2;
  testsupport::MovieSpec short1;
  short1.seconds = 1;
  const QString mute = folder.filePath(QStringLiteral("silent.mpg"));
  const QString brief = folder.filePath(QStringLiteral("brief.mpg"));
  ASSERT_EQ(testsupport::MakeSampleMovie(mute, silent), QString());
  ASSERT_EQ(testsupport::MakeSampleMovie(brief, short1), QString());
  for (const QString& path : {cut, mute, brief}) {
    frmMoviePlayer player;
    player.MoviePath = path;
    player.Show();
    EXPECT_EQ(player.LastMciResult, "Success") << path.toStdString();
    EXPECT_GT(player.TotalFramesText.toInt(), 0);
    player.cmdVolume_Click(1);
    player.CmdPlay->click();
    EXPECT_TRUE(Until([&] { return !player.CmdPlay->isHidden() && !player.CmdPlay->isEnabled(); }, 8000))
        << path.toStdString();
    EXPECT_EQ(player.CurrentFrameText, player.TotalFramesText);
    player.Unload();
  }
  frmMoviePlayer player;
  player.MoviePath = brief;
  player.Show();
  // 25 frames; the length comes from the container's 0.97 seconds.
  EXPECT_GE(player.TotalFramesText.toInt(), 24);
  EXPECT_LE(player.TotalFramesText.toInt(), 25);
  EXPECT_EQ(player.LbTotalTime->text(), "00:01");
  player.Unload();
}

TEST_F(RealPlayer, AHalfHourMovieSeeksAndClosesInTheMiddleOfADrag) {
  testsupport::MovieSpec spec;
  spec.seconds = 1800;
  spec.size = QStringLiteral("64x48");
  spec.rate = 2;
  spec.sound = false;
  const QString path = folder_->filePath(QStringLiteral("watch.mkv"));
  ASSERT_EQ(testsupport::MakeSampleMovie(path, spec), QString());
  frmMoviePlayer player;
  player.MoviePath = path;
  player.Show();
  EXPECT_EQ(player.LbTotalTime->text(), "30:00");
  EXPECT_EQ(player.TotalFramesText, "3600");
  EXPECT_EQ(player.FramesPerSecondText, "2");
  // The narrow picture sits in the middle of a window as wide as the buttons.
  EXPECT_EQ(player.Width(), 4695);
  player.TimerAtEndFile->SetEnabled(false);
  platform::SetLeft(player.imgPosBar, platform::Left(player.imgPosition) + 1620);
  player.imgPosBar_MouseUp(1, 0, 0, 0);
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText, "1800");
  EXPECT_EQ(player.LbCurrentTime->text(), "15:00");

  // Closed by the window manager while the knob is held.
  QApplication::processEvents();
  QCursor::setPos(player.imgPosBar->mapToGlobal(QPoint(5, 5)));
  QTimer::singleShot(100, &player, [&] { player.close(); });
  QTest::mousePress(player.imgPosBar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_FALSE(player.IsLoaded());
  EXPECT_FALSE(player.DraggingKnob);
  QTest::mouseRelease(player.imgPosBar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  QString reply;
  EXPECT_EQ(platform::MciSendString(QStringLiteral("status movie mode"), &reply), platform::mcierr::InvalidDeviceName);
}
