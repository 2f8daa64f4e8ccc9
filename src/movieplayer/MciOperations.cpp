#include "movieplayer/MciOperations.h"

#include <cmath>
#include <limits>

#include "platform/media/MediaControl.h"
#include "platform/values/VbValues.h"

namespace movieplayer {
namespace {

// The play-range and volume commands are built in buffers of this many characters.
constexpr int kShortCommand = 128;

QString Number(std::int64_t value) { return QString::number(value); }

QSize WidgetSize(std::int32_t window) {
  const QWidget* widget = platform::MciWindowOfHandle(window);
  return widget != nullptr ? widget->frameGeometry().size() : QSize(0, 0);
}

bool IsChannel(const QString& channel) {
  return channel.compare(QLatin1String("left"), Qt::CaseInsensitive) == 0 ||
         channel.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0;
}

}  // namespace

MciOperations::MciOperations()
    : send_(platform::MciSendString),
      errorText_(platform::MciGetErrorString),
      windowSize_(WidgetSize),
      ownMixer_(std::make_unique<platform::AlsaMixer>()),
      mixer_(ownMixer_.get()) {}

MciOperations::MciOperations(Sender send, ErrorText errorText, WindowSize windowSize, platform::Mixer* mixer)
    : send_(std::move(send)), errorText_(std::move(errorText)), windowSize_(std::move(windowSize)), mixer_(mixer) {}

MciOperations::~MciOperations() = default;

QString MciOperations::ResultText(int code) const {
  return code == 0 ? QStringLiteral("Success") : errorText_(code);
}

std::int32_t MciOperations::Query(const QString& command) {
  QString reply;
  if (send_(command, &reply) != 0) return -1;
  return platform::CLng(platform::Val(reply));
}

QString MciOperations::MciOpenVideo(const QString& moviePath, std::int32_t parent, const QString& alias,
                                    const QString& deviceType) {
  QString quoted = moviePath;
  quoted.replace(u'"', QLatin1String("\"\""));
  const QString command = "open \"" + quoted + "\" type " + deviceType + " Alias " + alias + " parent " +
                          QString::number(parent) + " Style " + "1073741824";
  return ResultText(send_(command, nullptr));
}

QString MciOperations::MciPlayRange(const QString& alias, const QString& from, const QString& to) {
  const QString first = platform::Val(from) == 0 ? QStringLiteral("0") : from;
  const QString last = platform::Val(to) == 0 ? Number(MciGetLengthFrames(alias)) : to;
  const QString command = "play " + alias + " from " + first + " to " + last;
  return ResultText(send_(command.left(kShortCommand), nullptr));
}

QString MciOperations::MciClose(const QString& alias) { return ResultText(send_("Close " + alias, nullptr)); }

QString MciOperations::MciPause(const QString& alias) { return ResultText(send_("Pause " + alias, nullptr)); }

QString MciOperations::MciGetMode(const QString& alias) {
  QString reply;
  if (send_("status " + alias + " mode", &reply) != 0) return QStringLiteral("ERROR");
  return reply;
}

std::int32_t MciOperations::MciGetLengthFrames(const QString& alias) {
  send_("set " + alias + " time format frames", nullptr);
  return Query("status " + alias + " length");
}

std::int32_t MciOperations::MciGetLengthMs(const QString& alias) {
  send_("set " + alias + " time format ms", nullptr);
  const std::int32_t length = Query("status " + alias + " length");
  send_("set " + alias + " time format frames", nullptr);
  return length;
}

QString MciOperations::MciSeekAndPlay(const QString& alias, std::int32_t position) {
  const int seek = send_("seek " + alias + " to " + Number(position), nullptr);
  send_("Play " + alias, nullptr);
  return ResultText(seek);
}

std::int32_t MciOperations::MciGetPosition(const QString& alias) { return Query("status " + alias + " position"); }

QString MciOperations::MciPutWindow(std::int32_t window, const QString& alias, std::int32_t left, std::int32_t top,
                                    std::int32_t& width, std::int32_t& height) {
  if (width == 0 || height == 0) {
    const QSize size = windowSize_(window);
    width = size.width();
    height = size.height();
  }
  const QString command = "put " + alias + " window at " + Number(left) + " " + Number(top) + " " + Number(width) +
                          " " + Number(height);
  return ResultText(send_(command, nullptr));
}

std::int32_t MciOperations::MciGetPercentPlayed(const QString& alias) {
  const std::int32_t length = MciGetLengthFrames(alias);
  const std::int32_t position = MciGetPosition(alias);
  if (length == -1 || position == -1) return -1;
  // A failing sum (no length, a 32-bit overflow) gives 0.
  const std::int64_t hundredfold = static_cast<std::int64_t>(position) * 100;
  if (length == 0 || hundredfold > std::numeric_limits<std::int32_t>::max() ||
      hundredfold < std::numeric_limits<std::int32_t>::min())
    return 0;
  return static_cast<std::int32_t>(platform::RoundHalfEven(static_cast<double>(hundredfold) / length));
}

std::int32_t MciOperations::MciGetFramesPerSecond(const QString& alias) {
  const std::int32_t milliseconds = MciGetLengthMs(alias);
  const std::int32_t frames = MciGetLengthFrames(alias);
  if (milliseconds == -1 || frames == -1) return -1;
  // A movie of no length has no rate; -1 says "unknown" as everywhere here.
  if (milliseconds == 0) return -1;
  return platform::CLng(frames / (milliseconds / 1000.0));
}

std::int32_t MciOperations::MciGetDestinationSize(const QString& alias, const QString& sizeWord) {
  const bool width = sizeWord.compare(QLatin1String("cx"), Qt::CaseInsensitive) == 0;
  if (!width && sizeWord.compare(QLatin1String("cy"), Qt::CaseInsensitive) != 0) return -1;
  QString reply;
  if (send_("Where " + alias + " destination", &reply) != 0) return -1;
  // "left top width height", single blanks between.
  const qsizetype first = reply.indexOf(u' ');
  const qsizetype second = first < 0 ? -1 : reply.indexOf(u' ', first + 1);
  const qsizetype third = second < 0 ? -1 : reply.indexOf(u' ', second + 1);
  if (third < 0) return -1;
  const QString field = width ? reply.mid(second + 1, third - second - 1) : reply.mid(third + 1);
  return platform::CLng(platform::Val(field));
}

QString MciOperations::MciSetVolume(const QString& alias, const QString& channel, std::int32_t volume) {
  if (volume < 0 || volume > 100) return QStringLiteral("out of volume");
  const QString level = Number(static_cast<std::int64_t>(volume) * 10);
  const QString command = IsChannel(channel) ? "setaudio " + alias + " " + channel + " Volume to " + level
                                             : "setaudio " + alias + " Volume to " + level;
  return ResultText(send_(command.left(kShortCommand), nullptr));
}

std::int32_t MciOperations::MciGetVolume(const QString& alias, const QString& channel) {
  const QString command =
      IsChannel(channel) ? "status " + alias + " " + channel + " Volume" : "status " + alias + " Volume";
  QString reply;
  if (send_(command, &reply) != 0) return -1;
  return platform::CLng(platform::Val(reply) / 10.0);
}

bool MciOperations::SetMasterVolume(std::int32_t VolumeLevel) {
  if (VolumeLevel < 0 || VolumeLevel > 100 || mixer_ == nullptr) return false;
  if (!mixer_->Open()) return false;
  long minimum = 0;
  long maximum = 0;
  if (!mixer_->FindMasterVolume(&minimum, &maximum)) {
    mixer_->Close();
    return false;
  }
  // A share of the maximum; the control's minimum is left out of the sum.
  const long value =
      static_cast<long>(platform::RoundHalfEven(static_cast<double>(static_cast<std::int64_t>(VolumeLevel) * maximum) / 100.0));
  const bool set = mixer_->SetMasterVolume(value);
  mixer_->Close();
  return set;
}

}  // namespace movieplayer
