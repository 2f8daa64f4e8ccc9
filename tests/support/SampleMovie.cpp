#include "SampleMovie.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace testsupport {

QString MakeSampleMovie(const QString& path, int seconds) {
  MovieSpec spec;
  spec.seconds = seconds;
  return MakeSampleMovie(path, spec);
}

QString MakeSampleMovie(const QString& path, const MovieSpec& spec) {
  const QString script = QStringLiteral(QVR_SOURCE_DIR "/content/make-sample-movie");
  QProcess ffmpeg;
  ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
  const auto yesNo = [](bool on) { return on ? QStringLiteral("yes") : QStringLiteral("no"); };
  ffmpeg.start(QStringLiteral("bash"), {script, path, QString::number(spec.seconds), spec.size, QString::number(spec.rate),
                                        yesNo(spec.sound), yesNo(spec.framed), QString::number(spec.rotate),
                                        QString::number(spec.keyint)});
  if (!ffmpeg.waitForFinished(60000)) return QStringLiteral("ffmpeg did not finish: ") + ffmpeg.errorString();
  if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0 || !QFileInfo(path).isFile())
    return QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(ffmpeg.readAll());
  return QString();
}

QString MakeSampleSound(const QString& path, double seconds, bool cover) {
  const QString length = QString::number(seconds, 'f', 3);
  QStringList arguments = {"-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                           "sine=frequency=440:sample_rate=44100:duration=" + length};
  if (cover) arguments << QStringList{"-f", "lavfi", "-i", "testsrc=size=600x600:rate=1:duration=1"};
  arguments << QStringList{"-map", "0:a", "-ac", "2", "-b:a", "128k"};
  arguments << (path.endsWith(QLatin1String(".m4a")) ? QStringList{"-c:a", "aac"} : QStringList{"-c:a", "libmp3lame"});
  if (cover) {
    arguments << QStringList{"-map", "1:v", "-frames:v", "1", "-c:v", "png", "-disposition:v", "attached_pic"};
    if (path.endsWith(QLatin1String(".mp3"))) arguments << QStringList{"-id3v2_version", "3"};
  }
  arguments << path;
  QProcess ffmpeg;
  ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
  ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
  if (!ffmpeg.waitForFinished(60000)) return QStringLiteral("ffmpeg did not finish: ") + ffmpeg.errorString();
  if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0 || !QFileInfo(path).isFile())
    return QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(ffmpeg.readAll());
  return QString();
}

WrittenSound ReadWrittenSound(const QString& path) {
  WrittenSound sound;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return sound;
  const QByteArray bytes = file.readAll();
  const auto u16 = [&](qsizetype at) { return at + 2 <= bytes.size() ? qFromLittleEndian<quint16>(bytes.constData() + at) : 0; };
  const auto u32 = [&](qsizetype at) { return at + 4 <= bytes.size() ? qFromLittleEndian<quint32>(bytes.constData() + at) : 0u; };
  if (!bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return sound;
  int format = 0, channels = 0, rate = 0, bits = 0;
  qsizetype data = -1;
  for (qsizetype at = 12; at + 8 <= bytes.size();) {
    const QByteArray id = bytes.mid(at, 4);
    const quint32 size = u32(at + 4);
    if (id == "fmt ") {
      format = u16(at + 8);
      channels = u16(at + 10);
      rate = static_cast<int>(u32(at + 12));
      bits = u16(at + 22);
      if (format == 0xfffe) format = u16(at + 32);  // the sub-format of an extensible header
    } else if (id == "data") {
      data = at + 8;
      break;
    }
    at += 8 + size + (size % 2);
  }
  const int frameBytes = channels * bits / 8;
  if (data < 0 || rate <= 0 || frameBytes <= 0 || (format != 1 && format != 3)) return sound;
  // An output at work has not yet written the real sizes.
  sound.closed = u32(4) + 8 == static_cast<quint32>(bytes.size());
  const qsizetype frames = (bytes.size() - data) / frameBytes;
  sound.seconds = static_cast<double>(frames) / rate;
  qsizetype audible = 0;
  for (qsizetype frame = 0; frame < frames; ++frame) {
    const char* at = bytes.constData() + data + frame * frameBytes;
    double loudest = 0;
    for (int channel = 0; channel < channels; ++channel, at += bits / 8) {
      double value = 0;
      if (format == 3 && bits == 32) {
        float sample;
        std::memcpy(&sample, at, 4);
        value = sample;
      } else if (format == 3 && bits == 64) {
        std::memcpy(&value, at, 8);
      } else if (bits == 16) {
        value = qFromLittleEndian<qint16>(at) / 32768.0;
      } else if (bits == 32) {
        value = qFromLittleEndian<qint32>(at) / 2147483648.0;
      }
      loudest = std::max(loudest, std::abs(value));
    }
    if (loudest > 1e-4) ++audible;
  }
  sound.audibleSeconds = static_cast<double>(audible) / rate;
  return sound;
}

QImage MovieFrame(const QString& path, int frame) {
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"), {"-nostdin", "-loglevel", "error", "-i", path, "-vf",
                                          QStringLiteral("select=eq(n\\,%1)").arg(frame), "-frames:v", "1", "-f",
                                          "image2pipe", "-c:v", "png", "-"});
  if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) return QImage();
  return QImage::fromData(ffmpeg.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

double MeanDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 255;
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  double sum = 0;
  for (int row = 0; row < x.height(); ++row)
    for (int column = 0; column < x.width() * 4; ++column)  // bytes: blue, green, red, unused
      if (column % 4 != 3) sum += std::abs(x.constScanLine(row)[column] - y.constScanLine(row)[column]);
  return sum / (3.0 * x.width() * x.height());
}

}  // namespace testsupport
