#include "SampleMovie.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace testsupport {

QString MakeSampleMovie(const QString& path, int seconds) {
  MovieSpec spec;
  spec.seconds = seconds;
  return MakeSampleMovie(path, spec);
}

QString MakeSampleMovie(const QString& path, const MovieSpec& spec) {
  const QString script =
      QFileInfo(QStringLiteral(__FILE__)).dir().absoluteFilePath(QStringLiteral("../../content/make-sample-movie"));
  QProcess ffmpeg;
  ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
  const auto yesNo = [](bool on) { return on ? QStringLiteral("yes") : QStringLiteral("no"); };
  ffmpeg.start(QStringLiteral("bash"), {script, path, QString::number(spec.seconds), spec.size, QString::number(spec.rate),
                                        yesNo(spec.sound), yesNo(spec.framed)});
  if (!ffmpeg.waitForFinished(60000)) return QStringLiteral("ffmpeg did not finish: ") + ffmpeg.errorString();
  if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0 || !QFileInfo(path).isFile())
    return QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(ffmpeg.readAll());
  return QString();
}

}  // namespace testsupport
