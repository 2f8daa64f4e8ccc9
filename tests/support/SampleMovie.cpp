#include "SampleMovie.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace testsupport {

QString MakeSampleMovie(const QString& path, int seconds) {
  const QString script =
      QFileInfo(QStringLiteral(__FILE__)).dir().absoluteFilePath(QStringLiteral("../../content/make-sample-movie"));
  QProcess ffmpeg;
  ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
  ffmpeg.start(QStringLiteral("bash"), {script, path, QString::number(seconds)});
  if (!ffmpeg.waitForFinished(60000)) return QStringLiteral("ffmpeg did not finish: ") + ffmpeg.errorString();
  if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0 || !QFileInfo(path).isFile())
    return QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(ffmpeg.readAll());
  return QString();
}

}  // namespace testsupport
