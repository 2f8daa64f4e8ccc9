#include "platform/media/MediaControl.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>
#include <tuple>

#include "SampleMovie.h"

using namespace platform;

namespace {

int Send(const QString& command, QString* reply = nullptr) { return MciSendString(command, reply); }

QString Reply(const QString& command) {
  QString reply;
  const int code = MciSendString(command, &reply);
  return code == 0 ? reply : QStringLiteral("error %1").arg(code);
}

// Waits (yielding) until the device no longer plays; false after `ms`.
bool WaitUntilNotPlaying(const QString& alias, int ms) {
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) {
    if (Reply("status " + alias + " mode") != QLatin1String("playing")) return true;
    QTest::qWait(20);
  }
  return false;
}

class MediaControl : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new QTemporaryDir;
    // A blank in the folder name: the path has to go in quotes.
    movie_ = folder_->filePath(QStringLiteral("sample movies/test pattern.mpg"));
    QDir().mkpath(folder_->filePath(QStringLiteral("sample movies")));
    makeError_ = testsupport::MakeSampleMovie(movie_);
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(makeError_.isEmpty()) << makeError_.toStdString();
    MciSetAudioOutput(QStringLiteral("null"));
    parent_ = std::make_unique<QWidget>();
    parent_->resize(400, 400);
  }
  void TearDown() override {
    Send(QStringLiteral("close movie"));
    parent_.reset();
  }
  int OpenMovie() {
    return Send("open \"" + movie_ + "\" type MPEGVideo Alias movie parent " + QString::number(MciWindowHandle(parent_.get())) +
                " Style 1073741824");
  }

  static QTemporaryDir* folder_;
  static QString movie_;
  static QString makeError_;
  std::unique_ptr<QWidget> parent_;
};

QTemporaryDir* MediaControl::folder_ = nullptr;
QString MediaControl::movie_;
QString MediaControl::makeError_;

}  // namespace

TEST_F(MediaControl, CommandsTheParserRefuses) {
  EXPECT_EQ(Send(QString()), mcierr::MissingCommandString);
  EXPECT_EQ(Send(QStringLiteral("   ")), mcierr::MissingCommandString);
  EXPECT_EQ(Send(QStringLiteral("rewind movie")), mcierr::UnrecognizedCommand);
  EXPECT_EQ(Send(QStringLiteral("status")), mcierr::MissingDeviceName);
  EXPECT_EQ(Send(QStringLiteral("status movie mode")), mcierr::InvalidDeviceName);
  EXPECT_EQ(Send(QStringLiteral("Close movie")), mcierr::InvalidDeviceName);
  EXPECT_EQ(Send(QStringLiteral("open \"/tmp/no closing quote type MPEGVideo")), mcierr::NoClosingQuote);
  EXPECT_EQ(Send(QStringLiteral("open")), mcierr::MissingDeviceName);
}

TEST_F(MediaControl, OpenFailuresLeaveNoDevice) {
  EXPECT_EQ(Send(QStringLiteral("open \"/no/such folder/x.mpg\" type MPEGVideo Alias movie")), mcierr::FileNotFound);
  EXPECT_EQ(Send(QStringLiteral("open \"\" type MPEGVideo Alias movie")), mcierr::FileNotFound);
  EXPECT_EQ(Send("open \"" + movie_ + "\" type WaveAudio Alias movie"), mcierr::InvalidDeviceName);
  EXPECT_EQ(Send("open \"" + movie_ + "\" type MPEGVideo Alias movie colour red"), mcierr::UnrecognizedKeyword);
  EXPECT_EQ(Send("open \"" + movie_ + "\" type MPEGVideo Alias movie parent twelve"), mcierr::BadInteger);
  EXPECT_EQ(Send("open \"" + movie_ + "\" type MPEGVideo Alias movie parent"), mcierr::MissingParameter);
  EXPECT_EQ(Send("open \"" + movie_ + "\" type MPEGVideo Alias"), mcierr::MissingStringArgument);
  // A handle that belongs to no window of ours.
  EXPECT_EQ(Send("open \"" + movie_ + "\" type MPEGVideo Alias movie parent 987654321"), mcierr::CreateWindow);

  const QString text = folder_->filePath(QStringLiteral("notes.mpg"));
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("These are notes, not a movie.\n");
  file.close();
  EXPECT_EQ(Send("open \"" + text + "\" type MPEGVideo Alias movie"), mcierr::InvalidFile);

  EXPECT_EQ(Send(QStringLiteral("status movie mode")), mcierr::InvalidDeviceName);
}

TEST_F(MediaControl, OpensAPathWithBlanksUnderItsAliasInAnyCase) {
  ASSERT_EQ(Send("OPEN \"" + movie_ + "\" TYPE mpegvideo ALIAS Movie PARENT " + QString::number(MciWindowHandle(parent_.get())) +
                 " STYLE 1073741824"),
            0);
  EXPECT_EQ(Reply(QStringLiteral("status MOVIE mode")), "stopped");
  EXPECT_EQ(Reply(QStringLiteral("Status movie Length")), "100");
  EXPECT_EQ(OpenMovie(), mcierr::DuplicateAlias);
  EXPECT_EQ(Send(QStringLiteral("Close movie extra")), mcierr::UnrecognizedKeyword);
  EXPECT_EQ(Send(QStringLiteral("Close movie")), 0);
  EXPECT_EQ(Send(QStringLiteral("Close movie")), mcierr::InvalidDeviceName);
  // The alias is free again.
  EXPECT_EQ(OpenMovie(), 0);
  EXPECT_EQ(Send(QStringLiteral("Close movie")), 0);

  // In quotes, a doubled double quote is one; a single one ends the word.
  const QString quoted = folder_->filePath(QStringLiteral("say \"cheese\".mpg"));
  ASSERT_TRUE(QFile::copy(movie_, quoted));
  QString text = quoted;
  text.replace(u'"', QLatin1String("\"\""));
  EXPECT_EQ(Send("open \"" + text + "\" type MPEGVideo Alias movie"), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie length")), "100");
  EXPECT_EQ(Send("open \"" + quoted + "\" type MPEGVideo Alias other"), mcierr::UnrecognizedKeyword);
}

TEST_F(MediaControl, WithoutAnAliasTheFileNameIsTheDeviceName) {
  ASSERT_EQ(Send("open \"" + movie_ + "\" type MPEGVideo"), 0);
  EXPECT_EQ(Reply("status \"" + movie_ + "\" length"), "100");
  EXPECT_EQ(Send("close \"" + movie_ + "\""), 0);
}

TEST_F(MediaControl, LengthInFramesAndMilliseconds) {
  ASSERT_EQ(OpenMovie(), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie length")), "100");
  EXPECT_EQ(Send(QStringLiteral("set movie time format ms")), 0);
  const int milliseconds = Reply(QStringLiteral("status movie length")).toInt();
  EXPECT_GE(milliseconds, 4000);
  EXPECT_LE(milliseconds, 4050);
  EXPECT_EQ(Send(QStringLiteral("set movie time format milliseconds")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie length")).toInt(), milliseconds);
  EXPECT_EQ(Send(QStringLiteral("set movie time format smpte")), mcierr::BadTimeFormat);
  EXPECT_EQ(Send(QStringLiteral("set movie time")), mcierr::MissingParameter);
  EXPECT_EQ(Send(QStringLiteral("set movie speed 2000")), mcierr::UnrecognizedKeyword);
  EXPECT_EQ(Send(QStringLiteral("set movie")), mcierr::MissingParameter);
  EXPECT_EQ(Send(QStringLiteral("set movie time format frames")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie length")), "100");
  EXPECT_EQ(Send(QStringLiteral("status movie colour")), mcierr::UnrecognizedKeyword);
  EXPECT_EQ(Send(QStringLiteral("status movie")), mcierr::MissingParameter);
}

TEST_F(MediaControl, DestinationFollowsThePutWindow) {
  ASSERT_EQ(OpenMovie(), 0);
  EXPECT_EQ(Reply(QStringLiteral("Where movie destination")), "0 0 352 288");
  QWidget* surface = parent_->findChild<QWidget*>();
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->geometry(), QRect(0, 0, 352, 288));

  EXPECT_EQ(Send(QStringLiteral("put movie window at 0 0 704 576")), 0);
  EXPECT_EQ(Reply(QStringLiteral("Where movie destination")), "0 0 704 576");
  EXPECT_EQ(surface->geometry(), QRect(0, 0, 704, 576));

  EXPECT_EQ(Send(QStringLiteral("put movie window at 0 0 704")), mcierr::MissingParameter);
  EXPECT_EQ(Send(QStringLiteral("put movie window at 0 0 wide 576")), mcierr::BadInteger);
  EXPECT_EQ(Send(QStringLiteral("put movie window at 0 0 -5 576")), mcierr::OutOfRange);
  EXPECT_EQ(Send(QStringLiteral("Where movie source")), mcierr::UnrecognizedKeyword);
  EXPECT_EQ(Reply(QStringLiteral("Where movie destination")), "0 0 704 576");

  // Closing takes the video window away.
  EXPECT_EQ(Send(QStringLiteral("Close movie")), 0);
  EXPECT_EQ(parent_->findChild<QWidget*>(), nullptr);
}

TEST_F(MediaControl, ADeviceWhoseWindowWentAnswersNotReadyUntilClosed) {
  ASSERT_EQ(OpenMovie(), 0);
  ASSERT_EQ(Send(QStringLiteral("play movie")), 0);
  parent_.reset();
  QTest::qWait(50);
  EXPECT_EQ(Send(QStringLiteral("status movie mode")), mcierr::DeviceNotReady);
  EXPECT_EQ(Send(QStringLiteral("seek movie to 5")), mcierr::DeviceNotReady);
  EXPECT_EQ(Send(QStringLiteral("Close movie")), 0);
  parent_ = std::make_unique<QWidget>();
  EXPECT_EQ(OpenMovie(), 0);
}

TEST_F(MediaControl, SeeksLandOnTheExactFrame) {
  ASSERT_EQ(OpenMovie(), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie position")), "0");
  for (int frame : {37, 5, 73, 1, 50, 0}) {
    ASSERT_EQ(Send("seek movie to " + QString::number(frame)), 0) << frame;
    EXPECT_EQ(Reply(QStringLiteral("status movie position")), QString::number(frame));
    EXPECT_EQ(Reply(QStringLiteral("status movie mode")), "stopped");
    // The player gets there, and a seek sent before that is overtaken.
    if (frame % 2 != 0) continue;
    QDeadlineTimer deadline(5000);
    while (Reply(QStringLiteral("status movie ready")) != QLatin1String("true") && !deadline.hasExpired()) QTest::qWait(10);
    EXPECT_EQ(Reply(QStringLiteral("status movie position")), QString::number(frame));
  }
  // The far end is a place too: the position is the length.
  EXPECT_EQ(Send(QStringLiteral("seek movie to 100")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie position")), "100");
  EXPECT_EQ(Send(QStringLiteral("seek movie to 101")), mcierr::OutOfRange);
  EXPECT_EQ(Send(QStringLiteral("seek movie to -3")), mcierr::OutOfRange);
  EXPECT_EQ(Send(QStringLiteral("seek movie to")), mcierr::MissingParameter);
  EXPECT_EQ(Send(QStringLiteral("seek movie")), mcierr::MissingParameter);
  EXPECT_EQ(Reply(QStringLiteral("status movie position")), "100");
  // In milliseconds, 2 seconds is frame 50.
  EXPECT_EQ(Send(QStringLiteral("set movie time format ms")), 0);
  EXPECT_EQ(Send(QStringLiteral("seek movie to 2000")), 0);
  EXPECT_EQ(Send(QStringLiteral("set movie time format frames")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie position")), "50");
}

TEST_F(MediaControl, PlayRunsToTheEndAndStops) {
  ASSERT_EQ(OpenMovie(), 0);
  ASSERT_EQ(Send(QStringLiteral("seek movie to 80")), 0);
  ASSERT_EQ(Send(QStringLiteral("Play movie")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie mode")), "playing");
  QTest::qWait(200);
  const int moved = Reply(QStringLiteral("status movie position")).toInt();
  EXPECT_GT(moved, 80);
  ASSERT_TRUE(WaitUntilNotPlaying(QStringLiteral("movie"), 5000));
  EXPECT_EQ(Reply(QStringLiteral("status movie mode")), "stopped");
  EXPECT_EQ(Reply(QStringLiteral("status movie position")), "100");
  // Played again at the end, it has nothing left to play.
  ASSERT_EQ(Send(QStringLiteral("Play movie")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie mode")), "stopped");
}

TEST_F(MediaControl, PlayFromToStopsAtTo) {
  ASSERT_EQ(OpenMovie(), 0);
  ASSERT_EQ(Send(QStringLiteral("play movie from 10 to 20")), 0);
  ASSERT_TRUE(WaitUntilNotPlaying(QStringLiteral("movie"), 5000));
  EXPECT_EQ(Reply(QStringLiteral("status movie mode")), "stopped");
  const int position = Reply(QStringLiteral("status movie position")).toInt();
  EXPECT_GE(position, 20);
  EXPECT_LE(position, 21);

  EXPECT_EQ(Send(QStringLiteral("play movie from 30 to 20")), mcierr::OutOfRange);
  EXPECT_EQ(Send(QStringLiteral("play movie from 0 to 101")), mcierr::OutOfRange);
  EXPECT_EQ(Send(QStringLiteral("play movie from ten")), mcierr::BadInteger);
  EXPECT_EQ(Send(QStringLiteral("play movie backwards")), mcierr::UnrecognizedKeyword);
  EXPECT_EQ(Reply(QStringLiteral("status movie mode")), "stopped");
}

TEST_F(MediaControl, PauseHoldsThePosition) {
  ASSERT_EQ(OpenMovie(), 0);
  ASSERT_EQ(Send(QStringLiteral("play movie from 0 to 100")), 0);
  QTest::qWait(300);
  ASSERT_EQ(Send(QStringLiteral("Pause movie")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie mode")), "paused");
  const QString held = Reply(QStringLiteral("status movie position"));
  EXPECT_GT(held.toInt(), 0);
  QTest::qWait(300);
  EXPECT_EQ(Reply(QStringLiteral("status movie position")), held);
  EXPECT_EQ(Reply(QStringLiteral("status movie mode")), "paused");
  EXPECT_EQ(Send(QStringLiteral("Pause movie now")), mcierr::UnrecognizedKeyword);
}

TEST_F(MediaControl, VolumesPerChannel) {
  ASSERT_EQ(OpenMovie(), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie volume")), "1000");
  EXPECT_EQ(Send(QStringLiteral("setaudio movie Volume to 500")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie Volume")), "500");
  EXPECT_EQ(Reply(QStringLiteral("status movie Left Volume")), "500");
  EXPECT_EQ(Send(QStringLiteral("setaudio movie Left Volume to 300")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie left volume")), "300");
  EXPECT_EQ(Reply(QStringLiteral("status movie RIGHT volume")), "500");
  EXPECT_EQ(Reply(QStringLiteral("status movie volume")), "400");
  EXPECT_EQ(Send(QStringLiteral("setaudio movie volume to 1001")), mcierr::OutOfRange);
  EXPECT_EQ(Send(QStringLiteral("setaudio movie volume to -1")), mcierr::OutOfRange);
  EXPECT_EQ(Send(QStringLiteral("setaudio movie volume to")), mcierr::MissingParameter);
  EXPECT_EQ(Send(QStringLiteral("setaudio movie BothChannels Volume to 500")), mcierr::UnrecognizedKeyword);
  EXPECT_EQ(Send(QStringLiteral("status movie left")), mcierr::MissingParameter);
  EXPECT_EQ(Send(QStringLiteral("setaudio movie volume to 0")), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie volume")), "0");
}

TEST_F(MediaControl, ASoundFileWithoutAPictureCountsFramesOfItsDurationAndPlays) {
  const QString sounds = folder_->filePath(QStringLiteral("sounds"));
  ASSERT_TRUE(QDir().mkpath(sounds));
  // A picture beside the files under a name players take for their cover.
  ASSERT_TRUE(testsupport::MovieFrame(movie_, 0).save(sounds + "/cover.png"));
  // However short, a sound lasts a frame, and a play to it is a play.
  const QString tick = sounds + "/tick.m4a";
  ASSERT_EQ(testsupport::MakeSampleSound(tick, 0.01), QString());
  ASSERT_EQ(Send("open \"" + tick + "\" type MPEGVideo Alias movie"), 0);
  EXPECT_EQ(Reply(QStringLiteral("status movie length")), "1");
  ASSERT_EQ(Send(QStringLiteral("play movie from 0 to 1")), 0);
  ASSERT_TRUE(WaitUntilNotPlaying(QStringLiteral("movie"), 5000));
  EXPECT_EQ(Reply(QStringLiteral("status movie position")), "1");
  EXPECT_EQ(Send(QStringLiteral("Close movie")), 0);
  const auto landed = [] {
    return QTest::qWaitFor([] { return Reply(QStringLiteral("status movie ready")) == QLatin1String("true"); }, 5000);
  };
  for (const auto& [name, seconds, cover] : {std::tuple("tone.mp3", 1.2, false), {"tone.m4a", 1.2, false},
                                             {"covered.mp3", 1.2, true}, {"blip.mp3", 0.4, false}}) {
    SCOPED_TRACE(name);
    const QString path = sounds + "/" + name;
    ASSERT_EQ(testsupport::MakeSampleSound(path, seconds, cover), QString());
    // The last with an output that cannot be opened (a machine without a
    // sound card): it plays on unheard, its time running.
    if (QByteArray(name) == "blip.mp3") MciSetAudioOutput("pcm", folder_->filePath("no such folder/sound.wav"));
    ASSERT_EQ(Send("open \"" + path + "\" type MPEGVideo Alias movie parent " + QString::number(MciWindowHandle(parent_.get()))),
              0);
    ASSERT_EQ(Send(QStringLiteral("set movie time format ms")), 0);
    const int milliseconds = Reply(QStringLiteral("status movie length")).toInt();
    // The encoders add a few hundredths of a second.
    EXPECT_NEAR(milliseconds, seconds * 1000, 80);
    ASSERT_EQ(Send(QStringLiteral("set movie time format frames")), 0);
    const int frames = Reply(QStringLiteral("status movie length")).toInt();
    EXPECT_NEAR(frames, milliseconds * 25 / 1000.0, 0.51);
    // No picture, neither the stored cover nor the one beside the file.
    EXPECT_EQ(Reply(QStringLiteral("Where movie destination")), "0 0 0 0");

    const int middle = frames / 2;
    ASSERT_EQ(Send("seek movie to " + QString::number(middle)), 0);
    ASSERT_TRUE(landed());
    EXPECT_EQ(Reply(QStringLiteral("status movie position")), QString::number(middle));
    ASSERT_EQ(Send(QStringLiteral("set movie time format ms")), 0);
    EXPECT_NEAR(Reply(QStringLiteral("status movie position")).toInt(), middle * 40, 2);
    ASSERT_EQ(Send(QStringLiteral("set movie time format frames")), 0);

    // A range stops at its end (libmpv tells the time of sound every 50 ms
    // or so; the null output takes a sound under half a second at once).
    if (seconds >= 1) {
      ASSERT_EQ(Send("play movie from 0 to " + QString::number(middle)), 0);
      ASSERT_TRUE(WaitUntilNotPlaying(QStringLiteral("movie"), 5000));
      const int stopped = Reply(QStringLiteral("status movie position")).toInt();
      EXPECT_GE(stopped, middle);
      EXPECT_LE(stopped, middle + 3);
      // Sought once it has played, and paused there: it stands at the place
      // sought, not where the sound queued for the output would put it.
      ASSERT_EQ(Send(QStringLiteral("seek movie to 5")), 0);
      ASSERT_TRUE(landed());
      EXPECT_EQ(Reply(QStringLiteral("status movie position")), "5");
      ASSERT_EQ(Send(QStringLiteral("pause movie")), 0);
      QTest::qWait(300);
      EXPECT_EQ(Reply(QStringLiteral("status movie position")), "5");
    }
    // A play runs on to the last frame.
    ASSERT_EQ(Send(QStringLiteral("play movie")), 0);
    ASSERT_TRUE(WaitUntilNotPlaying(QStringLiteral("movie"), 5000));
    EXPECT_EQ(Reply(QStringLiteral("status movie position")), QString::number(frames));
    EXPECT_EQ(Send(QStringLiteral("Close movie")), 0);
  }
}

TEST(MediaControlErrors, TextsOfTheCodes) {
  EXPECT_EQ(MciGetErrorString(0), "The specified command was carried out.");
  EXPECT_EQ(MciGetErrorString(mcierr::FileNotFound),
            "Cannot find the specified file. Make sure the path and filename are correct.");
  EXPECT_EQ(MciGetErrorString(mcierr::InvalidDeviceName), "The specified device is not open or is not recognized.");
  EXPECT_EQ(MciGetErrorString(mcierr::OutOfRange), "The specified parameter is out of range for the specified command.");
  EXPECT_EQ(MciGetErrorString(12345), QString());
  // Every code the device answers has a text of at most 127 characters.
  for (int code : {mcierr::UnrecognizedKeyword, mcierr::UnrecognizedCommand, mcierr::InvalidDeviceName,
                   mcierr::CannotLoadDriver, mcierr::MissingCommandString, mcierr::MissingStringArgument,
                   mcierr::BadInteger, mcierr::MissingParameter, mcierr::FileNotFound, mcierr::DeviceNotReady,
                   mcierr::OutOfRange, mcierr::DuplicateAlias, mcierr::MissingDeviceName, mcierr::BadTimeFormat,
                   mcierr::NoClosingQuote, mcierr::InvalidFile, mcierr::CreateWindow}) {
    EXPECT_FALSE(MciGetErrorString(code).isEmpty()) << code;
    EXPECT_LE(MciGetErrorString(code).size(), 127) << code;
  }
}
