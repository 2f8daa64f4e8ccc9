// The movie window as an X server shows it: each test starts an Xvfb of its
// own (with its Composite extension and no compositing manager, as many
// desktops have it) and runs itself there again as a child program; the
// child grabs the server's root window and looks at the pixels.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <QThread>
#include <initializer_list>

#include "SampleMovie.h"
#include "movieplayer/frmMoviePlayer.h"
#include "platform/forms/Form.h"
#include "platform/media/MediaControl.h"

using movieplayer::frmMoviePlayer;

namespace {

// In the test program: runs the current test again as a child on an Xvfb of
// its own (with openbox on it when asked, and a screen of that size) and
// takes on the child's result; true there. In the child: false, and the test
// goes on.
bool RanOnXServer(bool windowManager = false, const QString& screen = QStringLiteral("1280x1024x24")) {
  if (qEnvironmentVariableIsSet("QVR_ON_X_SERVER")) return false;
  QProcess server, manager, child;
  server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp"});
  QByteArray number;
  while (!number.contains('\n') && server.waitForReadyRead(10000)) number += server.readAllStandardOutput();
  EXPECT_TRUE(number.contains('\n')) << "Xvfb did not start";
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), ":" + QString::fromLatin1(number.trimmed()));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("QVR_ON_X_SERVER"), QStringLiteral("1"));
  if (windowManager) {
    manager.setProcessEnvironment(env);
    manager.start(QStringLiteral("openbox"), {});
    QThread::msleep(500);
  }
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
  child.waitForFinished(120000);
  const QString output = QString::fromLocal8Bit(child.readAll());
  EXPECT_TRUE(output.contains(QLatin1String("[  PASSED  ] 1 test."))) << output.toStdString();
  for (QProcess* p : {&child, &manager, &server}) {
    p->terminate();  // Xvfb clears its lock files on the way out
    if (!p->waitForFinished(3000)) p->kill();
  }
  return true;
}

QRect OnScreen(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// What the X server shows there.
QImage Grab(const QRect& area) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

// The bounding box, in screen pixels, of the near-white pixels in `area`:
// the border of a framed sample movie.
QRect WhiteBox(const QRect& area) {
  const QImage image = Grab(area);
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() > 200 && c.blue() > 200) box |= QRect(area.x() + x, area.y() + y, 1, 1);
    }
  return box;
}

class PlayerOnX : public ::testing::Test {
 protected:
  void SetUp() override { platform::MciSetAudioOutput(QStringLiteral("null")); }
  // Opens a sample movie in the player and waits until it shows.
  void Open(const testsupport::MovieSpec& spec) {
    const QString path = folder.filePath(QStringLiteral("Bridge watch.mpg"));
    ASSERT_EQ(testsupport::MakeSampleMovie(path, spec), QString());
    player.MoviePath = path;
    player.Show();
    ASSERT_EQ(player.LastMciResult, "Success");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
    QTest::qWait(500);
  }
  // The picture above the title line, as the server shows it.
  QRect Picture() const {
    return WhiteBox(QRect(OnScreen(player.Client()).topLeft(), QSize(player.Client()->width(), player.imgPosition->y())));
  }

  QTemporaryDir folder;
  frmMoviePlayer player;
};

}  // namespace

TEST_F(PlayerOnX, TheTrackAndTheKnobDrawAndTheKnobMovesAsTheMoviePlays) {
  if (RanOnXServer()) return;
  Open({});
  const QImage knob = player.imgPosBar->Picture().Image().convertToFormat(QImage::Format_RGB32);
  // The server shows what the window painted, and the knob's own picture.
  const auto check = [&] {
    const QImage shown = Grab(OnScreen(player.imgPosition));
    const QImage painted =
        player.Client()->grab(player.imgPosition->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, painted);
    EXPECT_EQ(Grab(OnScreen(player.imgPosBar)), knob);
    EXPECT_EQ(shown.pixelColor(shown.width() - 20, 1), QColor(192, 192, 192));  // the track's face
  };
  check();
  const int before = OnScreen(player.imgPosBar).x();
  EXPECT_EQ(before, OnScreen(player.imgPosition).x());

  player.CmdPlay->click();
  QDeadlineTimer deadline(8000);
  while (player.CurrentFrameText.toInt() < 50 && !deadline.hasExpired()) QTest::qWait(20);
  player.CmdPause->click();
  QTest::qWait(400);
  check();
  const int after = OnScreen(player.imgPosBar).x();
  EXPECT_GT(after, before + 100);
  // Where the knob was, the track shows again.
  EXPECT_NE(Grab(QRect(before, OnScreen(player.imgPosBar).y(), knob.width(), knob.height())), knob);
}

TEST_F(PlayerOnX, AtNormalSizeThePictureIsTheVideosOwnSize) {
  if (RanOnXServer(true)) return;
  testsupport::MovieSpec spec;
  spec.framed = true;
  Open(spec);
  EXPECT_EQ(Picture(), QRect(OnScreen(player.FrameVideo).topLeft(), QSize(352, 288)));
  // Enlarged, the picture stretches over the frame; Normal Size gives it back.
  player.resize(700, 700);
  QTest::qWait(300);
  EXPECT_EQ(Picture().size(), QSize(700, 700 - 100));
  player.cmdNormalSize->click();
  QTest::qWait(300);
  EXPECT_EQ(Picture(), QRect(OnScreen(player.FrameVideo).topLeft(), QSize(352, 288)));
}

TEST_F(PlayerOnX, ANarrowMovieOpensAsWideAsItsButtonsWithThePictureCentred) {
  if (RanOnXServer()) return;
  testsupport::MovieSpec spec;
  spec.size = QStringLiteral("160x120");
  spec.framed = true;
  Open(spec);
  EXPECT_EQ(player.Client()->width(), 313);
  const QRect inside = OnScreen(player.Client());
  for (QPushButton* button : {player.CmdPlay, player.CmdClose, player.cmdRewind, player.cmdNormalSize,
                              player.cmdVolume[0], player.cmdVolume[1], player.cmdMute})
    EXPECT_TRUE(inside.contains(OnScreen(button))) << button->text().toStdString();
  EXPECT_TRUE(inside.contains(OnScreen(player.imgPosition)));
  EXPECT_EQ(Picture(), QRect(OnScreen(player.FrameVideo).topLeft() + QPoint(76, 0), QSize(160, 120)));
}

TEST_F(PlayerOnX, MoviesLargerThanTheScreenOpenScaledDownWithTheWholeWindowOnIt) {
  if (RanOnXServer(true, QStringLiteral("800x600x24"))) return;
  for (const QSize movie : {QSize(960, 720), QSize(320, 960)}) {
    const testsupport::MovieSpec spec{.seconds = 1, .size = QStringLiteral("%1x%2").arg(movie.width()).arg(movie.height()),
                                      .framed = true};
    Open(spec);
    const QRect area = player.screen()->availableGeometry();
    // Maximised, Qt's idea of the frame lags behind the window manager's.
    const auto wholeOnScreen = [&](bool framed) {
      EXPECT_TRUE(area.contains(framed ? player.frameGeometry() : player.geometry())) << spec.size.toStdString();
      for (QWidget* control : std::initializer_list<QWidget*>{player.CmdPlay, player.CmdClose, player.cmdNormalSize,
                                                              player.cmdVolume[1], player.cmdMute, player.LbTotalTime})
        EXPECT_TRUE(area.contains(OnScreen(control))) << spec.size.toStdString();
    };
    wholeOnScreen(true);
    EXPECT_EQ(QSize(player.VideoWidth, player.VideoHeight), movie);
    // The picture keeps the movie's proportions, as large as the room lets it.
    const QRect shown = Picture();
    // Rounded to whole pixels in the side the other follows from.
    const double ratio = movie.width() / double(movie.height());
    EXPECT_LE(std::min(std::abs(shown.width() - shown.height() * ratio), std::abs(shown.height() - shown.width() / ratio)),
              1.0)
        << spec.size.toStdString() << " shown " << shown.width() << "x" << shown.height();
    EXPECT_GE(shown.height() + 100 + player.frameGeometry().height() - player.height(), area.height() - 1);
    // Made smaller it snaps back; maximised it stays whole; Normal Size gives
    // the opening size back.
    const QSize opened = player.size();
    player.resize(200, 200);
    QTest::qWait(300);
    EXPECT_EQ(player.size(), opened);
    player.SetWindowState(platform::vbMaximized);
    QTest::qWait(300);
    wholeOnScreen(false);
    player.cmdNormalSize->click();
    QTest::qWait(300);
    EXPECT_EQ(player.size(), opened);
    player.Unload();
  }
}
