// The movie window on a recording device: layout, buttons, the tick, the
// position bar and the volume buttons, with every command text it sends.
#include "movieplayer/frmMoviePlayer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QTest>
#include <QTimer>

#include "Fakes.h"
#include "Keyboard.h"
#include "TestSupport.h"
#include "platform/forms/Dialogs.h"
#include "platform/media/MediaControl.h"
#include "platform/forms/Twips.h"

using movieplayer::frmMoviePlayer;
using movieplayer::MciOperations;
using moviefakes::FakeDevice;
using moviefakes::RecordingMixer;

namespace {

const QString kOffer = QStringLiteral(
    "The volume level for this clip is already at 100%\rDo you wish to adjust the Master Volume");
const QString kNotice = QStringLiteral(
    "The volume control buttons will now adjust your computer's Master Volume\r"
    "The Master volume is currently set to 50%");

QSize FrameSize(std::int32_t window) {
  const QWidget* widget = platform::MciWindowOfHandle(window);
  return widget ? widget->size() : QSize();
}

class Player : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetApplicationTitle(QStringLiteral("QVRV 5")); }
  void TearDown() override { platform::SetApplicationTitle(QString()); }

  // Opens the window on the fake device (not modally) with the tick stopped,
  // so that only the commands a test makes are recorded after it.
  void Open(const QString& path = QStringLiteral("/data/movies/Man overboard.mpg")) {
    player.MoviePath = path;
    player.Show();
    player.TimerAtEndFile->SetEnabled(false);
    device.sent.clear();
  }
  bool Shown(QWidget* w) const { return !w->isHidden(); }

  FakeDevice device;
  RecordingMixer mixer;
  MciOperations mci{device.Sender(), moviefakes::ErrorText, FrameSize, &mixer};
  frmMoviePlayer player{&mci};
  testsupport::ScriptedResponder dialogs;
};

}  // namespace

TEST_F(Player, OpeningSendsItsCommandsInOrderAndFillsTheWindow) {
  player.MoviePath = QStringLiteral("/data/v1.2/Man overboard.part 1.mpg");
  player.Show();
  EXPECT_TRUE(player.TimerAtEndFile->Enabled());
  EXPECT_EQ(player.TimerAtEndFile->Interval(), 100);
  player.TimerAtEndFile->SetEnabled(false);
  const QString handle = QString::number(platform::MciWindowHandle(player.FrameVideo));
  const QStringList opening = {
      "Close movie",
      "open \"/data/v1.2/Man overboard.part 1.mpg\" type MPEGVideo Alias movie parent " + handle + " Style 1073741824",
      "set movie time format ms", "status movie length", "set movie time format frames",
      "set movie time format frames", "status movie length",
      "seek movie to 0", "Play movie", "Pause movie",
      "Where movie destination", "Where movie destination",
      "setaudio movie Volume to 500",
      "set movie time format frames", "status movie length",
      "set movie time format ms", "status movie length", "set movie time format frames"};
  ASSERT_GE(device.sent.size(), opening.size());
  EXPECT_EQ(device.sent.mid(0, opening.size()), opening);
  // Then the layout puts the video over the whole frame, at its own size.
  EXPECT_TRUE(device.sent.contains(QStringLiteral("put movie window at 0 0 352 288")));

  EXPECT_EQ(player.Caption(), " Tarrowby Movie Player");
  EXPECT_EQ(player.LbTitle->text(), "Title : Man overboard");
  EXPECT_EQ(player.Lbcaption->text(), "Playing Time :");
  EXPECT_EQ(player.LbTotalTime->text(), "03:00");
  EXPECT_EQ(player.TotalFramesText, "4500");
  EXPECT_EQ(player.FramesPerSecondText, "25");
  EXPECT_EQ(player.VideoWidth, 352);
  EXPECT_EQ(player.VideoHeight, 288);
  EXPECT_EQ(player.ClipVolume, 50);
  EXPECT_FALSE(player.Muted);
  EXPECT_FALSE(player.MasterVolumeMode);
  EXPECT_EQ(player.LastMciResult, "Success");
  EXPECT_EQ(device.mode, "paused");
  EXPECT_EQ(device.position, 0);
  player.Unload();
}

TEST_F(Player, WindowFitsTheVideoAndSnapsBack) {
  Open();
  // Inside the frame: the video at its own size above 1500 twips of controls.
  EXPECT_EQ(player.Width(), 5280);
  EXPECT_EQ(player.Height(), 5820);
  // The buttons and the bar are centred on the width with the frame.
  const double frame = platform::PixelsToTwips(player.frameGeometry().width() - player.width());
  EXPECT_EQ(frame, 60);  // the offscreen platform's frame: 2 pixels a side
  // The layout at that size.
  EXPECT_EQ(platform::Width(player.FrameVideo), 5280);
  EXPECT_EQ(platform::Height(player.FrameVideo), 4320);
  EXPECT_EQ(platform::Left(player.FrameVideo), 0);
  EXPECT_EQ(platform::Top(player.FrameBlank), 4200);
  EXPECT_EQ(platform::Width(player.FrameBlank), 5280);
  EXPECT_EQ(platform::Top(player.FrameTime), 4200);
  EXPECT_EQ(platform::Left(player.FrameTime), 2685);
  EXPECT_EQ(platform::Top(player.FrameControls), 4945);
  EXPECT_EQ(platform::Left(player.FrameControls), 322.5);
  EXPECT_EQ(platform::Top(player.imgPosition), 4730);
  EXPECT_EQ(platform::Left(player.imgPosition), 825);
  EXPECT_EQ(platform::Top(player.imgPosBar), 4740);
  EXPECT_EQ(platform::Left(player.imgPosBar), 825);

  player.SetWidth(3000);
  player.SetHeight(4000);
  QApplication::processEvents();
  EXPECT_EQ(player.Width(), 5280);
  EXPECT_EQ(player.Height(), 5820);

  device.sent.clear();
  player.SetWidth(7005);
  player.SetHeight(8010);
  QApplication::processEvents();
  EXPECT_EQ(player.Width(), 7005);
  EXPECT_EQ(platform::Width(player.FrameVideo), 7005);
  EXPECT_EQ(platform::Height(player.FrameVideo), 6510);
  EXPECT_EQ(device.sent.last(), "put movie window at 0 0 467 434");
  EXPECT_EQ(platform::Left(player.imgPosition), (7005 + frame) / 2 - 1845);

  player.SetWindowState(platform::vbMaximized);
  QApplication::processEvents();
  player.cmdNormalSize_Click();
  QApplication::processEvents();
  EXPECT_EQ(player.WindowState(), platform::vbNormal);
  EXPECT_EQ(player.Width(), 5280);
  EXPECT_EQ(player.Height(), 5820);
  player.Unload();
}

TEST_F(Player, ANarrowMovieGetsAWindowAsWideAsTheButtonsAndItsShareOfTheFrame) {
  device.destination = QStringLiteral("0 0 160 120");
  Open();
  EXPECT_EQ(player.Width(), 4695);
  EXPECT_EQ(player.Height(), 1800 + 1500);
  player.SetWidth(2 * 4695);
  QApplication::processEvents();
  // 160 of 313 pixels, centred in the frame, over its whole height.
  EXPECT_EQ(device.sent.last(), "put movie window at 153 0 320 120");
  player.cmdNormalSize_Click();
  QApplication::processEvents();
  EXPECT_EQ(device.sent.last(), "put movie window at 76 0 160 120");
  player.Unload();
}

TEST(PlayerTimes, TotalLengthAndPlayingTime) {
  EXPECT_EQ(frmMoviePlayer::TotalTimeText(59.6), "01:00");
  EXPECT_EQ(frmMoviePlayer::TotalTimeText(3600), "60:00");
  EXPECT_EQ(frmMoviePlayer::TotalTimeText(0.4), "00:00");
  EXPECT_EQ(frmMoviePlayer::TotalTimeText(90.4), "01:30");
  EXPECT_EQ(frmMoviePlayer::TotalTimeText(90.5), "01:31");  // total: halves away from zero
  EXPECT_EQ(frmMoviePlayer::TotalTimeText(-0.001), "00:00");
  // 59.5 s rounds up to a whole minute and leaves -0.5 s, never "-1".
  EXPECT_EQ(frmMoviePlayer::TotalTimeText(59.5), "01:00");
  EXPECT_EQ(frmMoviePlayer::PlayingTimeText(75.4), "01:15");
  EXPECT_EQ(frmMoviePlayer::PlayingTimeText(59.6), "01:00");
  EXPECT_EQ(frmMoviePlayer::PlayingTimeText(0.4), "00:00");
  EXPECT_EQ(frmMoviePlayer::PlayingTimeText(119.5), "02:00");
  EXPECT_EQ(frmMoviePlayer::PlayingTimeText(90.5), "01:30");  // playing time: halves to even
  EXPECT_EQ(frmMoviePlayer::PlayingTimeText(-1), "00:00");
  // Beyond 546 minutes the minutes simply grow.
  EXPECT_EQ(frmMoviePlayer::PlayingTimeText(547 * 60), "547:00");
  EXPECT_EQ(frmMoviePlayer::TotalTimeText(600 * 60 + 7.2), "600:07");
}

TEST_F(Player, TotalLengthComesFromTheMilliseconds) {
  device.milliseconds = 59600;
  Open();
  EXPECT_EQ(player.LbTotalTime->text(), "01:00");
  player.Unload();
  device.milliseconds = 400;
  Open();
  EXPECT_EQ(player.LbTotalTime->text(), "00:00");
  player.Unload();
}

TEST_F(Player, TickMovesTheKnobAndShowsThePlayingTime) {
  Open();
  device.position = 1885;  // 75.4 s at 25 frames a second
  device.mode = QStringLiteral("playing");
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText, "1885");
  EXPECT_EQ(player.ElapsedSecondsText, "75.4");
  EXPECT_EQ(player.LbCurrentTime->text(), "01:15");
  // Int(1885 / 4500 x 3240) = 1357 twips along from the track's start.
  EXPECT_EQ(platform::Left(player.imgPosBar), platform::Left(player.imgPosition) + 1357);
  EXPECT_TRUE(Shown(player.CmdPause));
  EXPECT_TRUE(player.CmdPause->isEnabled());
  EXPECT_FALSE(Shown(player.CmdPlay));
  EXPECT_EQ(device.sent, (QStringList{"set movie time format frames", "status movie length", "status movie position",
                                      "status movie position", "status movie mode"}));

  device.mode = QStringLiteral("paused");
  player.TimerAtEndFile_Timer();
  EXPECT_TRUE(Shown(player.CmdPlay));
  EXPECT_TRUE(player.CmdPlay->isEnabled());
  EXPECT_FALSE(Shown(player.CmdPause));

  // 99.5 % of the frames is the end already: Play shown but disabled.
  device.position = 4478;
  device.mode = QStringLiteral("playing");
  player.TimerAtEndFile_Timer();
  EXPECT_TRUE(Shown(player.CmdPlay));
  EXPECT_FALSE(player.CmdPlay->isEnabled());
  EXPECT_FALSE(Shown(player.CmdPause));
  EXPECT_FALSE(player.CmdPause->isEnabled());
  EXPECT_EQ(platform::Left(player.imgPosBar), platform::Left(player.imgPosition) + 3224);

  // A device that fails: position -1, Play offered.
  device.open = false;
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.CurrentFrameText, "-1");
  EXPECT_TRUE(Shown(player.CmdPlay));
  EXPECT_TRUE(player.CmdPlay->isEnabled());
  player.Unload();
}

TEST_F(Player, PlayPauseAndRewind) {
  Open();
  player.CurrentFrameText = QStringLiteral("250");
  player.CmdPlay_Click();
  EXPECT_EQ(device.sent,
            (QStringList{"set movie time format frames", "status movie length", "play movie from 250 to 4500"}));
  EXPECT_FALSE(Shown(player.CmdPlay));
  EXPECT_TRUE(Shown(player.CmdPause));
  EXPECT_EQ(device.mode, "playing");

  device.sent.clear();
  player.CmdPause_Click();
  EXPECT_EQ(device.sent, QStringList{"Pause movie"});
  EXPECT_TRUE(Shown(player.CmdPlay));
  EXPECT_FALSE(Shown(player.CmdPause));

  // Before the first tick the current frame is empty: play from 0.
  player.CurrentFrameText.clear();
  device.sent.clear();
  player.CmdPlay_Click();
  EXPECT_EQ(device.sent.last(), "play movie from 0 to 4500");

  device.sent.clear();
  player.cmdRewind_Click();
  EXPECT_EQ(device.sent, (QStringList{"seek movie to 0", "Play movie", "Pause movie"}));
  EXPECT_EQ(device.position, 0);
  EXPECT_EQ(device.mode, "paused");
  EXPECT_TRUE(Shown(player.CmdPlay));
  EXPECT_TRUE(player.CmdPlay->isEnabled());
  EXPECT_FALSE(Shown(player.CmdPause));

  // A refused play or pause leaves the buttons; rewind sets them anyway.
  device.open = false;
  player.CmdPlay_Click();
  EXPECT_EQ(player.LastMciResult, "device error 263");
  EXPECT_TRUE(Shown(player.CmdPlay));
  player.CmdPlay->hide();
  player.CmdPause->show();
  player.CmdPause_Click();
  EXPECT_TRUE(Shown(player.CmdPause));
  player.cmdRewind_Click();
  EXPECT_TRUE(Shown(player.CmdPlay));
  EXPECT_FALSE(Shown(player.CmdPause));
  device.open = true;
  player.Unload();
}

TEST_F(Player, EnterPressesTheFocusedButtonOncePerKeyPress) {
  // The forms' Enter (FormTest) on a real window, whose button may close it.
  using testsupport::FocusByTab, testsupport::PressEnter;
  Open();
  ASSERT_TRUE(FocusByTab(player.cmdMute));
  PressEnter(&player, false, 3);  // held down: the sound goes off once
  EXPECT_TRUE(player.Muted);
  ASSERT_TRUE(FocusByTab(player.CmdClose));
  PressEnter(&player, true);
  EXPECT_FALSE(player.IsLoaded());
  EXPECT_FALSE(device.open);
}

TEST_F(Player, ReleasingTheKnobSeeksToItsFrame) {
  Open();
  const double trackLeft = platform::Left(player.imgPosition);
  platform::SetLeft(player.imgPosBar, trackLeft + 1620);  // the middle of the 3240-twip travel
  device.mode = QStringLiteral("paused");
  player.imgPosBar_MouseUp(1, 0, 0, 0);
  EXPECT_EQ(device.sent, (QStringList{"status movie mode", "seek movie to 2250", "Play movie", "Pause movie"}));
  EXPECT_EQ(device.position, 2250);
  EXPECT_EQ(device.mode, "paused");

  // Playing, it plays on from there.
  device.sent.clear();
  device.mode = QStringLiteral("playing");
  platform::SetLeft(player.imgPosBar, trackLeft + 810);
  player.imgPosBar_MouseUp(2, 0, 0, 0);
  EXPECT_EQ(device.sent, (QStringList{"status movie mode", "seek movie to 1125", "Play movie"}));
  EXPECT_EQ(device.mode, "playing");

  // Beyond either end it is put back on the track.
  device.sent.clear();
  platform::SetLeft(player.imgPosBar, trackLeft - 300);
  player.imgPosBar_MouseUp(1, 0, 0, 0);
  EXPECT_EQ(platform::Left(player.imgPosBar), trackLeft);
  EXPECT_EQ(device.sent[1], "seek movie to 0");
  platform::SetLeft(player.imgPosBar, trackLeft + 5000);
  player.imgPosBar_MouseUp(1, 0, 0, 0);
  EXPECT_EQ(platform::Left(player.imgPosBar), trackLeft + 3240);
  EXPECT_EQ(device.sent.last(), "Play movie");
  EXPECT_TRUE(device.sent.contains(QStringLiteral("seek movie to 4500")));
  player.Unload();
}

TEST_F(Player, MovingOverTheKnobAtAnEndReleasesIt) {
  Open();
  const double trackLeft = platform::Left(player.imgPosition);
  // Dragged beyond the right end: the knob stops there and lets go.
  player.DraggingKnob = true;
  QCursor::setPos(player.imgPosBar->parentWidget()->mapToGlobal(QPoint(platform::TwipsToPixels(trackLeft + 4000), 0)));
  player.imgPosBar_MouseMove(1, 0, 10, 10);
  EXPECT_EQ(platform::Left(player.imgPosBar), trackLeft + 3240);
  EXPECT_FALSE(player.DraggingKnob);
  EXPECT_EQ(device.sent.mid(0, 2), (QStringList{"status movie mode", "seek movie to 4500"}));

  // In between, moving does nothing.
  device.sent.clear();
  platform::SetLeft(player.imgPosBar, trackLeft + 100);
  player.imgPosBar_MouseMove(0, 0, 10, 10);
  EXPECT_TRUE(device.sent.isEmpty());
  // Resting at the start, a pointer passing over it seeks to frame 0.
  platform::SetLeft(player.imgPosBar, trackLeft);
  player.imgPosBar_MouseMove(0, 0, 10, 10);
  EXPECT_EQ(device.sent.mid(0, 2), (QStringList{"status movie mode", "seek movie to 0"}));
  player.Unload();
}

TEST_F(Player, DraggingTheKnobFollowsThePointer) {
  Open();
  QApplication::processEvents();
  device.mode = QStringLiteral("paused");
  const double trackLeft = platform::Left(player.imgPosition);
  // Grip the knob 15 pixels in, then move the pointer so that the knob's
  // left edge comes to the middle of the travel.
  const QPoint grip(15, 5);
  const int targetX = platform::TwipsToPixels(trackLeft + 1620) + grip.x();
  QWidget* container = player.imgPosBar->parentWidget();
  QCursor::setPos(player.imgPosBar->mapToGlobal(grip));
  QTest::qWait(50);  // a pointer passing over the knob at rest has its own effect
  device.sent.clear();
  QTimer::singleShot(30, [&] { QCursor::setPos(container->mapToGlobal(QPoint(targetX, 0))); });
  double seenDuringDrag = -1;
  QTimer::singleShot(200, [&] {
    seenDuringDrag = platform::Left(player.imgPosBar);
    QTest::mouseRelease(player.imgPosBar, Qt::LeftButton, Qt::NoModifier, grip);
  });
  QTest::mousePress(player.imgPosBar, Qt::LeftButton, Qt::NoModifier, grip);
  // The press returns once the release has ended the drag.
  EXPECT_FALSE(player.DraggingKnob);
  EXPECT_EQ(seenDuringDrag, trackLeft + 1620);
  EXPECT_EQ(player.MousePointer(), platform::vbArrow);
  EXPECT_TRUE(device.sent.contains(QStringLiteral("seek movie to 2250")));
  EXPECT_EQ(device.position, 2250);
  EXPECT_EQ(device.mode, "paused");
  player.Unload();
}

TEST_F(Player, ADragEndsWhenTheWindowUnloads) {
  Open();
  platform::SetLeft(player.imgPosBar, platform::Left(player.imgPosition) + 1000);
  QApplication::processEvents();
  QCursor::setPos(player.imgPosBar->mapToGlobal(QPoint(5, 5)));
  QTest::qWait(50);
  QTimer::singleShot(50, [&] { player.Unload(); });
  QTest::mousePress(player.imgPosBar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_FALSE(player.DraggingKnob);
  EXPECT_FALSE(player.IsLoaded());
  QTest::mouseRelease(player.imgPosBar, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

TEST_F(Player, ClickOnTheTrackSeeksThereAndBeyondTheEndToTheEnd) {
  Open();
  QApplication::processEvents();
  QWidget* container = player.imgPosition->parentWidget();
  const double trackLeft = platform::Left(player.imgPosition);
  device.mode = QStringLiteral("paused");
  QCursor::setPos(container->mapToGlobal(QPoint(platform::TwipsToPixels(trackLeft + 1620), 0)));
  player.imgPosition_Click();
  EXPECT_EQ(platform::Left(player.imgPosBar), trackLeft + 1620);
  EXPECT_EQ(device.sent, (QStringList{"status movie mode", "seek movie to 2250", "Play movie", "Pause movie"}));

  // The knob would stick out beyond the track: it goes to the end.
  device.sent.clear();
  device.mode = QStringLiteral("playing");
  QCursor::setPos(container->mapToGlobal(QPoint(platform::TwipsToPixels(trackLeft + 3600), 0)));
  player.imgPosition_Click();
  EXPECT_EQ(platform::Left(player.imgPosBar), trackLeft + 3240);
  EXPECT_EQ(device.sent, (QStringList{"status movie mode", "seek movie to 4500", "Play movie"}));
  player.TimerAtEndFile_Timer();
  EXPECT_TRUE(Shown(player.CmdPlay));
  EXPECT_FALSE(player.CmdPlay->isEnabled());
  EXPECT_FALSE(Shown(player.CmdPause));

  // A real click on the track image runs the same handler: 3 pixels in are
  // 45 twips of the 3240, frame Int(4500 x 45 / 3240) = 62.
  device.sent.clear();
  QCursor::setPos(player.imgPosition->mapToGlobal(QPoint(3, 3)));
  QTest::mouseClick(player.imgPosition, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
  EXPECT_EQ(device.sent.value(1), "seek movie to 62");
  // Other buttons do not click.
  device.sent.clear();
  QTest::mouseClick(player.imgPosition, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
  EXPECT_TRUE(device.sent.isEmpty());
  player.Unload();
}

TEST_F(Player, VolumeUpToTheOfferAndOnToTheMasterVolume) {
  Open();
  for (int press = 1; press <= 5; ++press) player.cmdVolume_Click(1);
  EXPECT_EQ(player.ClipVolume, 100);
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(device.sent, (QStringList{"setaudio movie Volume to 600", "setaudio movie Volume to 700",
                                      "setaudio movie Volume to 800", "setaudio movie Volume to 900",
                                      "setaudio movie Volume to 1000"}));
  // The sixth asks; No leaves everything as it was.
  device.sent.clear();
  dialogs.answers.push_back(platform::vbNo);
  player.cmdVolume_Click(1);
  EXPECT_EQ(device.sent, QStringList{"setaudio movie Volume to 1000"});
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].prompt, kOffer);
  EXPECT_EQ(dialogs.boxes[0].style, platform::vbYesNo);
  EXPECT_EQ(dialogs.boxes[0].title, "QVRV 5");
  EXPECT_EQ(player.ClipVolume, 100);
  EXPECT_FALSE(player.MasterVolumeMode);
  EXPECT_TRUE(mixer.steps.isEmpty());

  // Asked again; Yes goes over to the master volume at 50 %.
  dialogs.answers.push_back(platform::vbYes);
  player.cmdVolume_Click(1);
  ASSERT_EQ(dialogs.boxes.size(), 3u);
  EXPECT_EQ(dialogs.boxes[1].prompt, kOffer);
  EXPECT_EQ(dialogs.boxes[2].prompt, kNotice);
  EXPECT_EQ(dialogs.boxes[2].style, platform::vbOKOnly);
  EXPECT_EQ(dialogs.boxes[2].title, "QVRV 5");
  EXPECT_TRUE(player.MasterVolumeMode);
  EXPECT_EQ(player.ClipVolume, 50);
  EXPECT_EQ(mixer.steps, (QStringList{"open", "find", "set 32768", "close"}));

  // From now on the buttons set the master volume, without boxes and within 0..100.
  mixer.steps.clear();
  device.sent.clear();
  player.cmdVolume_Click(1);
  EXPECT_EQ(mixer.steps.value(2), "set 39321");  // 60 % of 65535
  for (int press = 0; press < 6; ++press) player.cmdVolume_Click(1);
  EXPECT_EQ(player.ClipVolume, 100);
  EXPECT_EQ(mixer.steps.value(mixer.steps.size() - 2), "set 65535");
  for (int press = 0; press < 12; ++press) player.cmdVolume_Click(0);
  EXPECT_EQ(player.ClipVolume, 0);
  EXPECT_EQ(mixer.steps.value(mixer.steps.size() - 2), "set 0");
  EXPECT_EQ(dialogs.boxes.size(), 3u);
  EXPECT_TRUE(device.sent.isEmpty());

  // A mixer that fails changes nothing of the window's state.
  mixer.openWorks = false;
  player.cmdVolume_Click(1);
  EXPECT_EQ(player.ClipVolume, 10);
  EXPECT_TRUE(player.MasterVolumeMode);
  player.Unload();
}

TEST_F(Player, VolumeDownStopsAtZeroAndHandlersKeepNoResult) {
  Open();
  player.LastMciResult = QStringLiteral("kept");
  for (int press = 0; press < 6; ++press) player.cmdVolume_Click(0);
  EXPECT_EQ(player.ClipVolume, 0);
  EXPECT_EQ(device.sent, (QStringList{"setaudio movie Volume to 400", "setaudio movie Volume to 300",
                                      "setaudio movie Volume to 200", "setaudio movie Volume to 100",
                                      "setaudio movie Volume to 0", "setaudio movie Volume to 0"}));
  player.cmdVolume_Click(2);
  player.cmdVolume_Click(-1);
  EXPECT_EQ(device.sent.size(), 6);
  EXPECT_EQ(player.ClipVolume, 0);
  player.cmdMute_Click();
  player.cmdMute_Click();
  EXPECT_EQ(player.LastMciResult, "kept");
  // Refused by the device, the field changes all the same.
  device.open = false;
  player.cmdVolume_Click(1);
  EXPECT_EQ(player.ClipVolume, 10);
  device.open = true;
  player.Unload();
}

TEST_F(Player, MuteInClipVolumeMode) {
  Open();
  const QColor face = player.cmdMute->palette().color(QPalette::Button);
  player.cmdMute_Click();
  EXPECT_TRUE(player.Muted);
  EXPECT_EQ(device.sent, QStringList{"setaudio movie Volume to 0"});
  EXPECT_EQ(platform::Left(player.cmdMute), 2400);
  EXPECT_EQ(platform::Width(player.cmdMute), 2115);
  EXPECT_EQ(player.cmdMute->palette().color(QPalette::Button), QColor(255, 255, 0));
  EXPECT_EQ(player.cmdMute->font().pointSize(), 16);
  EXPECT_EQ(player.cmdMute->text(), "Mute");

  // A volume button makes the clip audible, the button stays as it is.
  player.cmdVolume_Click(1);
  EXPECT_EQ(device.sent.last(), "setaudio movie Volume to 600");
  EXPECT_TRUE(player.Muted);
  EXPECT_EQ(platform::Width(player.cmdMute), 2115);

  player.cmdMute_Click();
  EXPECT_FALSE(player.Muted);
  EXPECT_EQ(device.sent.last(), "setaudio movie Volume to 600");
  EXPECT_EQ(platform::Left(player.cmdMute), 2880);
  EXPECT_EQ(platform::Width(player.cmdMute), 1035);
  EXPECT_EQ(player.cmdMute->font().pointSize(), 8);
  EXPECT_EQ(player.cmdMute->palette().color(QPalette::Button), face);
  player.Unload();
}

TEST_F(Player, MuteInMasterVolumeModeSilencesOnlyTheClip) {
  Open();
  for (int press = 0; press < 6; ++press) player.cmdVolume_Click(1);  // the offer, answered Yes
  ASSERT_TRUE(player.MasterVolumeMode);
  mixer.steps.clear();
  device.sent.clear();
  player.cmdMute_Click();
  EXPECT_EQ(device.sent, QStringList{"setaudio movie Volume to 0"});
  player.cmdMute_Click();
  EXPECT_EQ(device.sent.last(), "setaudio movie Volume to 1000");
  EXPECT_TRUE(mixer.steps.isEmpty());
  EXPECT_EQ(player.ClipVolume, 50);
  player.Unload();
}

TEST_F(Player, ASecondOpeningStartsAfresh) {
  Open();
  for (int press = 0; press < 6; ++press) player.cmdVolume_Click(1);
  player.cmdMute_Click();
  device.position = 3000;
  player.TimerAtEndFile_Timer();
  player.CmdClose_Click();
  EXPECT_FALSE(player.IsLoaded());
  EXPECT_FALSE(device.open);
  EXPECT_FALSE(player.TimerAtEndFile->Enabled());

  Open(QStringLiteral("/data/movies/Fire drill.mpg"));
  EXPECT_EQ(player.ClipVolume, 50);
  EXPECT_FALSE(player.Muted);
  EXPECT_FALSE(player.MasterVolumeMode);
  EXPECT_EQ(device.position, 0);
  EXPECT_EQ(device.volume, 500);
  EXPECT_EQ(platform::Left(player.cmdMute), 2880);
  EXPECT_EQ(platform::Width(player.cmdMute), 1035);
  EXPECT_EQ(player.cmdMute->font().pointSize(), 8);
  EXPECT_EQ(platform::Left(player.imgPosBar), platform::Left(player.imgPosition));
  EXPECT_EQ(player.LbTitle->text(), "Title : Fire drill");
  player.Unload();
}

TEST_F(Player, StartMovieIsModalAndClosesTheDevice) {
  QTimer::singleShot(100, [&] {
    EXPECT_TRUE(player.isVisible());
    EXPECT_TRUE(player.IsShownModal());
    EXPECT_TRUE(device.open);
    QTest::mouseClick(player.CmdClose, Qt::LeftButton);
  });
  player.StartMovie(QStringLiteral("/data/movies/Man overboard.mpg"));
  EXPECT_FALSE(player.isVisible());
  EXPECT_FALSE(player.IsLoaded());
  EXPECT_FALSE(device.open);
  EXPECT_EQ(device.sent.last(), "Close movie");
  EXPECT_EQ(player.LastMciResult, "Success");
  EXPECT_FALSE(player.TimerAtEndFile->Enabled());
}

TEST_F(Player, TitleOfNamesWithAndWithoutDots) {
  player.MoviePath = QStringLiteral("/media/cd.rom/TarrowbyVid/Anchoring.v2.mpg");
  EXPECT_EQ(player.GetMovieTitle(), "Anchoring");
  player.MoviePath = QStringLiteral("/media/cd.rom/TarrowbyVid/Anchoring");
  EXPECT_EQ(player.GetMovieTitle(), "Anchoring");
  player.MoviePath = QStringLiteral("Berthing.mpg");
  EXPECT_EQ(player.GetMovieTitle(), "Berthing");
}

TEST_F(Player, AFileTheDeviceCannotOpenLeavesTheDesignedWindow) {
  device.openCode = 296;
  Open();
  EXPECT_EQ(player.VideoWidth, -1);
  EXPECT_EQ(player.VideoHeight, -1);
  EXPECT_EQ(player.TotalFramesText, "-1");
  EXPECT_EQ(player.FramesPerSecondText, "-1");
  EXPECT_EQ(player.LbTotalTime->text(), "00:00");
  EXPECT_EQ(player.Width(), 4680);
  EXPECT_EQ(player.Height(), 5370);
  player.SetWidth(2000);
  QApplication::processEvents();
  EXPECT_EQ(player.Width(), 4680);
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.LbCurrentTime->text(), "00:00");
  EXPECT_EQ(platform::Left(player.imgPosBar), platform::Left(player.imgPosition));
  EXPECT_TRUE(Shown(player.CmdPlay));
  EXPECT_TRUE(player.CmdPlay->isEnabled());
  player.Unload();
}

TEST_F(Player, ShortDestinationRepliesAndMoviesOfNoLength) {
  device.destination = QStringLiteral("0 0 352");
  device.milliseconds = 0;
  Open();
  EXPECT_EQ(player.VideoWidth, -1);
  EXPECT_EQ(player.Width(), 4680);
  EXPECT_EQ(player.FramesPerSecondText, "-1");
  device.position = 100;
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.ElapsedSecondsText, "0");
  EXPECT_EQ(player.LbCurrentTime->text(), "00:00");
  player.Unload();
}

TEST_F(Player, LongMoviesShowTheirMinutes) {
  device.frames = 1000000;
  device.milliseconds = 40000000;
  Open();
  EXPECT_EQ(player.LbTotalTime->text(), "666:40");
  device.position = 820500;  // 547 minutes at 25 frames a second
  player.TimerAtEndFile_Timer();
  EXPECT_EQ(player.LbCurrentTime->text(), "547:00");
  player.Unload();
}
