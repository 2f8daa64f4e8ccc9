#include "SampleMovie.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <cmath>
#include <cstdlib>

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
  QStringList arguments = {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                           "sine=frequency=440:sample_rate=44100:duration=" + QString::number(seconds, 'f', 3)};
  if (cover) arguments << QStringList{"-f", "lavfi", "-i", "testsrc=size=600x600:rate=1:duration=1"};
  arguments << QStringList{"-map", "0:a", "-ac", "2", "-b:a", "128k", "-c:a",
                           path.endsWith(QLatin1String(".m4a")) ? "aac" : "libmp3lame"};
  if (cover) arguments << QStringList{"-map", "1:v", "-frames:v", "1", "-c:v", "png", "-disposition:v", "attached_pic"};
  if (cover && path.endsWith(QLatin1String(".mp3"))) arguments << QStringList{"-id3v2_version", "3"};
  QProcess ffmpeg;
  ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
  ffmpeg.start(QStringLiteral("ffmpeg"), arguments << path);
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
  // The format chunk first, as writers put it; an extensible one gives its sub-format.
  if (!bytes.startsWith("RIFF") || bytes.mid(8, 8) != "WAVEfmt ") return sound;
  const int format = u16(20) == 0xfffe ? u16(44) : u16(20), channels = u16(22), bits = u16(34);
  const auto rate = static_cast<int>(u32(24));
  const qsizetype data = bytes.indexOf("data", 20 + u32(16)) + 8;
  // libmpv writes floats of 32 bits, or integers of 16 where the decoder gives those.
  const bool floats = format == 3 && bits == 32;
  if (data < 8 || rate <= 0 || channels <= 0 || !(floats || (format == 1 && bits == 16))) return sound;
  // An output at work has not yet written the real sizes.
  sound.closed = u32(4) + 8 == static_cast<quint32>(bytes.size());
  const int width = bits / 8;
  const qsizetype frames = (bytes.size() - data) / (channels * width);
  qsizetype audible = 0;
  for (qsizetype frame = 0; frame < frames; ++frame) {
    bool heard = false;
    for (int channel = 0; channel < channels; ++channel) {
      const char* at = bytes.constData() + data + (frame * channels + channel) * width;
      heard |= std::abs(floats ? qFromLittleEndian<float>(at) : qFromLittleEndian<qint16>(at) / 32768.0) > 1e-4;
    }
    audible += heard ? 1 : 0;
  }
  sound.seconds = static_cast<double>(frames) / rate;
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
