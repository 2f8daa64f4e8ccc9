#include "SampleMovie.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
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
