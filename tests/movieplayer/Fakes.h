#pragma once
// Stand-ins for the movie player's tests: a mixer that records its steps and
// a media device that records every command text and keeps a movie's state.
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <ostream>

#include "movieplayer/MciOperations.h"
#include "platform/media/Mixer.h"

// Readable texts in test failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace moviefakes {

// Records the mixer steps; each step can be made to fail.
class RecordingMixer : public platform::Mixer {
 public:
  QStringList steps;
  bool openWorks = true;
  bool findWorks = true;
  bool setWorks = true;
  long maximum = 65535;

  bool Open() override {
    steps << QStringLiteral("open");
    return openWorks;
  }
  bool FindMasterVolume(long* minimum, long* maximumOut) override {
    steps << QStringLiteral("find");
    *minimum = 100;  // must not enter the sum
    *maximumOut = maximum;
    return findWorks;
  }
  bool SetMasterVolume(long value) override {
    steps << QStringLiteral("set %1").arg(value);
    return setWorks;
  }
  void Close() override { steps << QStringLiteral("close"); }
};

// A movie device under the alias "movie": answers as the real one does for
// the commands the player sends, from the fields below.
class FakeDevice {
 public:
  QStringList sent;
  int openCode = 0;               // the open command's answer
  bool open = false;
  qint64 frames = 4500;
  qint64 milliseconds = 180000;
  QString destination = QStringLiteral("0 0 352 288");
  qint64 position = 0;
  QString mode = QStringLiteral("stopped");
  bool milliFormat = false;
  int volume = 1000;

  int Send(const QString& command, QString* reply) {
    sent << command;
    if (reply) reply->clear();
    static const QRegularExpression openPattern(QStringLiteral("^open \".*\" type MPEGVideo Alias movie parent \\d+ Style 1073741824$"));
    if (command.startsWith(QLatin1String("open "))) {
      if (!openPattern.match(command).hasMatch()) return 259;
      if (openCode != 0) return openCode;
      if (open) return 289;
      open = true;
      position = 0;
      mode = QStringLiteral("stopped");
      milliFormat = false;
      return 0;
    }
    if (!open) return 263;
    const QStringList words = command.split(u' ');
    const QString verb = words.value(0).toLower();
    if (verb == QLatin1String("close")) {
      open = false;
      return 0;
    }
    if (command == QLatin1String("set movie time format frames")) {
      milliFormat = false;
      return 0;
    }
    if (command == QLatin1String("set movie time format ms")) {
      milliFormat = true;
      return 0;
    }
    if (command == QLatin1String("status movie length")) {
      *reply = QString::number(milliFormat ? milliseconds : frames);
      return 0;
    }
    if (command == QLatin1String("status movie position")) {
      *reply = QString::number(position);
      return 0;
    }
    if (command == QLatin1String("status movie mode")) {
      *reply = mode;
      return 0;
    }
    if (command == QLatin1String("Where movie destination")) {
      *reply = destination;
      return 0;
    }
    if (verb == QLatin1String("seek")) {
      const qint64 to = words.value(3).toLongLong();
      if (to < 0 || to > frames) return 282;
      position = to;
      mode = QStringLiteral("stopped");
      return 0;
    }
    if (command == QLatin1String("Play movie")) {
      mode = QStringLiteral("playing");
      return 0;
    }
    if (verb == QLatin1String("play")) {
      position = words.value(3).toLongLong();
      mode = QStringLiteral("playing");
      return 0;
    }
    if (command == QLatin1String("Pause movie")) {
      mode = QStringLiteral("paused");
      return 0;
    }
    if (command.startsWith(QLatin1String("setaudio movie Volume to "))) {
      volume = words.value(4).toInt();
      return 0;
    }
    if (command.startsWith(QLatin1String("put movie window at "))) return 0;
    return 261;
  }

  movieplayer::MciOperations::Sender Sender() {
    return [this](const QString& command, QString* reply) { return Send(command, reply); };
  }
};

inline QString ErrorText(int code) { return QStringLiteral("device error %1").arg(code); }

}  // namespace moviefakes
