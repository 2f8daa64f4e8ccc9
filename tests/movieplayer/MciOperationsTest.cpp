#include "movieplayer/MciOperations.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QStringList>

#include "Fakes.h"

using movieplayer::MciOperations;

namespace {

struct Answer {
  int code = 0;
  QString reply;
};

// Records every command text and answers from a table (0 and no reply otherwise).
class Device {
 public:
  QStringList sent;
  QMap<QString, Answer> answers;

  MciOperations::Sender Sender() {
    return [this](const QString& command, QString* reply) {
      sent << command;
      const Answer answer = answers.value(command);
      if (reply != nullptr) *reply = answer.reply;
      return answer.code;
    };
  }
};

QString ErrorText(int code) { return QStringLiteral("device error %1").arg(code); }

class Operations : public ::testing::Test {
 protected:
  Device device;
  moviefakes::RecordingMixer mixer;
  QSize frameSize{352, 288};
  QList<WId> sizedWindows;
  MciOperations mci{device.Sender(), ErrorText,
                    [this](WId window) {
                      sizedWindows << window;
                      return frameSize;
                    },
                    &mixer};
};

}  // namespace

TEST_F(Operations, OpenSendsTheQuotedPathWithTypeAliasParentAndStyle) {
  EXPECT_EQ(mci.MciOpenVideo(QStringLiteral("/media/movies/Man overboard.mpg"), 4711, QStringLiteral("movie"),
                             QStringLiteral("MPEGVideo")),
            "Success");
  EXPECT_EQ(device.sent, QStringList{"open \"/media/movies/Man overboard.mpg\" type MPEGVideo Alias movie parent 4711 "
                                     "Style 1073741824"});
  // A double quote in the path is doubled, so that the path stays one word.
  device.sent.clear();
  mci.MciOpenVideo(QStringLiteral("/m/Say \"cheese\".mpg"), 8, QStringLiteral("movie"), QStringLiteral("MPEGVideo"));
  EXPECT_EQ(device.sent.value(0), "open \"/m/Say \"\"cheese\"\".mpg\" type MPEGVideo Alias movie parent 8 Style 1073741824");
  // A long path is not cut short.
  const QString deep = "/" + QString(300, u'd') + "/m.mpg";
  device.answers["open \"" + deep + "\" type MPEGVideo Alias movie parent 1 Style 1073741824"] = {275, {}};
  EXPECT_EQ(mci.MciOpenVideo(deep, 1, QStringLiteral("movie"), QStringLiteral("MPEGVideo")), "device error 275");
}

TEST_F(Operations, CommandsWithAResultText) {
  EXPECT_EQ(mci.MciClose(QStringLiteral("movie")), "Success");
  EXPECT_EQ(mci.MciPause(QStringLiteral("movie")), "Success");
  device.answers["Close movie"] = {263, {}};
  device.answers["Pause movie"] = {263, {}};
  EXPECT_EQ(mci.MciClose(QStringLiteral("movie")), "device error 263");
  EXPECT_EQ(mci.MciPause(QStringLiteral("movie")), "device error 263");
  EXPECT_EQ(device.sent, (QStringList{"Close movie", "Pause movie", "Close movie", "Pause movie"}));
}

TEST_F(Operations, PlayRangeFillsInTheEnds) {
  device.answers["status movie length"] = {0, "4500"};
  EXPECT_EQ(mci.MciPlayRange(QStringLiteral("movie"), QString(), QStringLiteral("0")), "Success");
  EXPECT_EQ(device.sent,
            (QStringList{"set movie time format frames", "status movie length", "play movie from 0 to 4500"}));

  device.sent.clear();
  mci.MciPlayRange(QStringLiteral("movie"), QStringLiteral("abc"), QStringLiteral("0.0"));
  mci.MciPlayRange(QStringLiteral("movie"), QStringLiteral("12"), QStringLiteral("300"));
  mci.MciPlayRange(QStringLiteral("movie"), QStringLiteral("0"), QStringLiteral(" 300"));
  EXPECT_EQ(device.sent, (QStringList{"set movie time format frames", "status movie length",
                                      "play movie from 0 to 4500", "play movie from 12 to 300",
                                      "play movie from 0 to  300"}));

  // Without a length the device is asked to play to -1 and refuses.
  device.sent.clear();
  device.answers["status movie length"] = {263, {}};
  device.answers["play movie from 0 to -1"] = {282, {}};
  EXPECT_EQ(mci.MciPlayRange(QStringLiteral("movie"), QStringLiteral("0"), QStringLiteral("0")), "device error 282");
  EXPECT_EQ(device.sent.last(), "play movie from 0 to -1");
}

TEST_F(Operations, PlayRangeAndVolumeCommandsEndAt128Characters) {
  const QString alias(140, u'm');
  mci.MciPlayRange(alias, QStringLiteral("5"), QStringLiteral("9"));
  mci.MciSetVolume(alias, QStringLiteral("Left"), 20);
  ASSERT_EQ(device.sent.size(), 2);
  EXPECT_EQ(device.sent[0], ("play " + alias + " from 5 to 9").left(128));
  EXPECT_EQ(device.sent[0].size(), 128);
  EXPECT_EQ(device.sent[1], ("setaudio " + alias).left(128));
}

TEST_F(Operations, ModeWordOrError) {
  device.answers["status movie mode"] = {0, "playing"};
  EXPECT_EQ(mci.MciGetMode(QStringLiteral("movie")), "playing");
  device.answers["status movie mode"] = {0, "paused"};
  EXPECT_EQ(mci.MciGetMode(QStringLiteral("movie")), "paused");
  device.answers["status movie mode"] = {263, {}};
  EXPECT_EQ(mci.MciGetMode(QStringLiteral("movie")), "ERROR");
}

TEST_F(Operations, LengthsLeaveTheDeviceInFrames) {
  device.answers["set movie time format frames"] = {263, {}};  // ignored
  device.answers["status movie length"] = {0, "4500"};
  EXPECT_EQ(mci.MciGetLengthFrames(QStringLiteral("movie")), 4500);
  EXPECT_EQ(device.sent, (QStringList{"set movie time format frames", "status movie length"}));

  device.sent.clear();
  device.answers["status movie length"] = {0, "180000"};
  EXPECT_EQ(mci.MciGetLengthMs(QStringLiteral("movie")), 180000);
  EXPECT_EQ(device.sent,
            (QStringList{"set movie time format ms", "status movie length", "set movie time format frames"}));

  // A failed query still sets the format back.
  device.sent.clear();
  device.answers["status movie length"] = {263, {}};
  EXPECT_EQ(mci.MciGetLengthMs(QStringLiteral("movie")), -1);
  EXPECT_EQ(device.sent.last(), "set movie time format frames");
  EXPECT_EQ(mci.MciGetLengthFrames(QStringLiteral("movie")), -1);
}

TEST_F(Operations, NumbersAreTheLeadingNumberRoundedHalfToEven) {
  const auto position = [this](const QString& reply) {
    device.answers["status movie position"] = {0, reply};
    return mci.MciGetPosition(QStringLiteral("movie"));
  };
  EXPECT_EQ(position(QStringLiteral("250")), 250);
  EXPECT_EQ(position(QString()), 0);
  EXPECT_EQ(position(QStringLiteral("frames")), 0);
  EXPECT_EQ(position(QStringLiteral("12.5")), 12);
  EXPECT_EQ(position(QStringLiteral("13.5")), 14);
  EXPECT_EQ(position(QStringLiteral("77 frames")), 77);
  EXPECT_EQ(position(QStringLiteral("-3")), -3);
  device.answers["status movie position"] = {263, "250"};
  EXPECT_EQ(mci.MciGetPosition(QStringLiteral("movie")), -1);
}

TEST_F(Operations, SeekAndPlaySendsBothAndKeepsTheSeekResult) {
  device.answers["Play movie"] = {263, {}};
  EXPECT_EQ(mci.MciSeekAndPlay(QStringLiteral("movie"), 2250), "Success");
  device.answers["seek movie to -5"] = {282, {}};
  EXPECT_EQ(mci.MciSeekAndPlay(QStringLiteral("movie"), -5), "device error 282");
  EXPECT_EQ(device.sent, (QStringList{"seek movie to 2250", "Play movie", "seek movie to -5", "Play movie"}));
}

TEST_F(Operations, PutWindowTakesTheWindowSizeForAZeroWidthOrHeight) {
  std::int32_t width = 0;
  std::int32_t height = 500;
  EXPECT_EQ(mci.MciPutWindow(99, QStringLiteral("movie"), 0, 0, width, height), "Success");
  EXPECT_EQ(width, 352);
  EXPECT_EQ(height, 288);
  EXPECT_EQ(sizedWindows, QList<WId>{99});
  width = 640;
  height = 0;
  mci.MciPutWindow(99, QStringLiteral("movie"), 3, 4, width, height);
  EXPECT_EQ(width, 352);
  EXPECT_EQ(height, 288);
  width = 640;
  height = 480;
  mci.MciPutWindow(99, QStringLiteral("movie"), -1, 2, width, height);
  EXPECT_EQ(sizedWindows.size(), 2);
  EXPECT_EQ(device.sent, (QStringList{"put movie window at 0 0 352 288", "put movie window at 3 4 352 288",
                                      "put movie window at -1 2 640 480"}));
}

TEST_F(Operations, PercentPlayed) {
  device.answers["status movie length"] = {0, "300"};
  device.answers["status movie position"] = {0, "75"};
  EXPECT_EQ(mci.MciGetPercentPlayed(QStringLiteral("movie")), 25);
  EXPECT_EQ(device.sent, (QStringList{"set movie time format frames", "status movie length", "status movie position"}));

  device.answers["status movie length"] = {0, "8"};
  device.answers["status movie position"] = {0, "1"};
  EXPECT_EQ(mci.MciGetPercentPlayed(QStringLiteral("movie")), 12);  // 12.5
  device.answers["status movie position"] = {0, "3"};
  EXPECT_EQ(mci.MciGetPercentPlayed(QStringLiteral("movie")), 38);  // 37.5
  device.answers["status movie length"] = {0, "200"};
  device.answers["status movie position"] = {0, "199"};
  EXPECT_EQ(mci.MciGetPercentPlayed(QStringLiteral("movie")), 100);  // 99.5: the end shows early

  device.answers["status movie position"] = {263, {}};
  EXPECT_EQ(mci.MciGetPercentPlayed(QStringLiteral("movie")), -1);
  device.answers["status movie position"] = {0, "75"};
  device.answers["status movie length"] = {263, {}};
  EXPECT_EQ(mci.MciGetPercentPlayed(QStringLiteral("movie")), -1);
  device.answers["status movie length"] = {0, "0"};
  EXPECT_EQ(mci.MciGetPercentPlayed(QStringLiteral("movie")), 0);
  // Position x 100 beyond 32 bits.
  device.answers["status movie length"] = {0, "40000000"};
  device.answers["status movie position"] = {0, "30000000"};
  EXPECT_EQ(mci.MciGetPercentPlayed(QStringLiteral("movie")), 0);
}

TEST_F(Operations, FramesPerSecond) {
  // The device answers the length in the format last set.
  QString format = QStringLiteral("frames");
  int framesCode = 0;
  QString frames = QStringLiteral("4500");
  QString milliseconds = QStringLiteral("180000");
  MciOperations rate(
      [&](const QString& command, QString* reply) {
        device.sent << command;
        if (command.startsWith(QLatin1String("set movie time format "))) format = command.mid(22);
        if (command == QLatin1String("status movie length")) {
          *reply = format == QLatin1String("ms") ? milliseconds : frames;
          return format == QLatin1String("ms") ? 0 : framesCode;
        }
        return 0;
      },
      ErrorText, nullptr, &mixer);
  EXPECT_EQ(rate.MciGetFramesPerSecond(QStringLiteral("movie")), 25);
  EXPECT_EQ(device.sent, (QStringList{"set movie time format ms", "status movie length", "set movie time format frames",
                                      "set movie time format frames", "status movie length"}));
  frames = QStringLiteral("25");
  milliseconds = QStringLiteral("2000");
  EXPECT_EQ(rate.MciGetFramesPerSecond(QStringLiteral("movie")), 12);  // 12.5
  frames = QStringLiteral("100");
  milliseconds = QStringLiteral("4011");
  EXPECT_EQ(rate.MciGetFramesPerSecond(QStringLiteral("movie")), 25);
  milliseconds = QStringLiteral("0");
  EXPECT_EQ(rate.MciGetFramesPerSecond(QStringLiteral("movie")), -1);
  milliseconds = QStringLiteral("4000");
  framesCode = 263;
  EXPECT_EQ(rate.MciGetFramesPerSecond(QStringLiteral("movie")), -1);
}

TEST_F(Operations, DestinationSizeFromTheThirdAndFourthFields) {
  device.answers["Where movie destination"] = {0, "0 0 352 288"};
  EXPECT_EQ(mci.MciGetDestinationSize(QStringLiteral("movie"), QStringLiteral("cx")), 352);
  EXPECT_EQ(mci.MciGetDestinationSize(QStringLiteral("movie"), QStringLiteral("CY")), 288);
  EXPECT_EQ(device.sent, (QStringList{"Where movie destination", "Where movie destination"}));
  EXPECT_EQ(mci.MciGetDestinationSize(QStringLiteral("movie"), QStringLiteral("cz")), -1);
  EXPECT_EQ(mci.MciGetDestinationSize(QStringLiteral("movie"), QString()), -1);
  EXPECT_EQ(device.sent.size(), 2);

  device.answers["Where movie destination"] = {0, "10 20 704 576"};
  EXPECT_EQ(mci.MciGetDestinationSize(QStringLiteral("movie"), QStringLiteral("Cx")), 704);
  EXPECT_EQ(mci.MciGetDestinationSize(QStringLiteral("movie"), QStringLiteral("cy")), 576);
  device.answers["Where movie destination"] = {0, "0 0 352"};
  EXPECT_EQ(mci.MciGetDestinationSize(QStringLiteral("movie"), QStringLiteral("cx")), -1);
  EXPECT_EQ(mci.MciGetDestinationSize(QStringLiteral("movie"), QStringLiteral("cy")), -1);
  device.answers["Where movie destination"] = {263, "0 0 352 288"};
  EXPECT_EQ(mci.MciGetDestinationSize(QStringLiteral("movie"), QStringLiteral("cx")), -1);
}

TEST_F(Operations, SetVolumeInTenthsOfAPercent) {
  EXPECT_EQ(mci.MciSetVolume(QStringLiteral("movie"), QStringLiteral("BothChannels"), 101), "out of volume");
  EXPECT_EQ(mci.MciSetVolume(QStringLiteral("movie"), QStringLiteral("BothChannels"), -1), "out of volume");
  EXPECT_TRUE(device.sent.isEmpty());
  EXPECT_EQ(mci.MciSetVolume(QStringLiteral("movie"), QStringLiteral("BothChannels"), 0), "Success");
  EXPECT_EQ(mci.MciSetVolume(QStringLiteral("movie"), QStringLiteral("BothChannels"), 100), "Success");
  EXPECT_EQ(mci.MciSetVolume(QStringLiteral("movie"), QStringLiteral("Left"), 50), "Success");
  mci.MciSetVolume(QStringLiteral("movie"), QStringLiteral("RIGHT"), 70);
  mci.MciSetVolume(QStringLiteral("movie"), QStringLiteral("centre"), 30);
  EXPECT_EQ(device.sent, (QStringList{"setaudio movie Volume to 0", "setaudio movie Volume to 1000",
                                      "setaudio movie Left Volume to 500", "setaudio movie RIGHT Volume to 700",
                                      "setaudio movie Volume to 300"}));
  device.answers["setaudio movie Volume to 500"] = {263, {}};
  EXPECT_EQ(mci.MciSetVolume(QStringLiteral("movie"), QStringLiteral("BothChannels"), 50), "device error 263");
}

TEST_F(Operations, GetVolumeInPercent) {
  device.answers["status movie Volume"] = {0, "500"};
  device.answers["status movie left Volume"] = {0, "455"};
  device.answers["status movie Right Volume"] = {0, "445"};
  EXPECT_EQ(mci.MciGetVolume(QStringLiteral("movie"), QStringLiteral("BothChannels")), 50);
  EXPECT_EQ(mci.MciGetVolume(QStringLiteral("movie"), QStringLiteral("left")), 46);
  EXPECT_EQ(mci.MciGetVolume(QStringLiteral("movie"), QStringLiteral("Right")), 44);
  EXPECT_EQ(device.sent,
            (QStringList{"status movie Volume", "status movie left Volume", "status movie Right Volume"}));
  device.answers["status movie Volume"] = {263, {}};
  EXPECT_EQ(mci.MciGetVolume(QStringLiteral("movie"), QString()), -1);
}

TEST_F(Operations, MasterVolumeStepsOnTheMixer) {
  EXPECT_TRUE(mci.SetMasterVolume(50));
  EXPECT_EQ(mixer.steps, (QStringList{"open", "find", "set 32768", "close"}));  // 32767.5
  mixer.steps.clear();
  EXPECT_TRUE(mci.SetMasterVolume(100));
  EXPECT_TRUE(mci.SetMasterVolume(0));
  EXPECT_EQ(mixer.steps, (QStringList{"open", "find", "set 65535", "close", "open", "find", "set 0", "close"}));

  mixer.steps.clear();
  mixer.maximum = 87;
  EXPECT_TRUE(mci.SetMasterVolume(50));   // 43.5
  EXPECT_TRUE(mci.SetMasterVolume(30));   // 26.1
  EXPECT_EQ(mixer.steps, (QStringList{"open", "find", "set 44", "close", "open", "find", "set 26", "close"}));
}

TEST_F(Operations, MasterVolumeFailuresCloseWhatWasOpened) {
  EXPECT_FALSE(mci.SetMasterVolume(101));
  EXPECT_FALSE(mci.SetMasterVolume(-1));
  EXPECT_TRUE(mixer.steps.isEmpty());

  mixer.openWorks = false;
  EXPECT_FALSE(mci.SetMasterVolume(50));
  EXPECT_EQ(mixer.steps, QStringList{"open"});

  mixer.steps.clear();
  mixer.openWorks = true;
  mixer.findWorks = false;
  EXPECT_FALSE(mci.SetMasterVolume(50));
  EXPECT_EQ(mixer.steps, (QStringList{"open", "find", "close"}));

  mixer.steps.clear();
  mixer.findWorks = true;
  mixer.setWorks = false;
  EXPECT_FALSE(mci.SetMasterVolume(50));
  EXPECT_EQ(mixer.steps, (QStringList{"open", "find", "set 32768", "close"}));
}
