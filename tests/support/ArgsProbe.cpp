#include "ArgsProbe.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/forms/Program.h"

namespace testsupport {

ArgsProbe::ArgsProbe(const QString& path, int exitCode, double pauseSeconds)
    : path_(QFileInfo(path).absoluteFilePath()) {
  QDir().mkpath(QFileInfo(path_).path());
  QFile f(path_);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  // Each argument on its own line between brackets, so blanks at either end
  // stay visible.
  QString script = QStringLiteral("#!/bin/sh\n");
  if (pauseSeconds > 0) script += QStringLiteral("sleep %1\n").arg(pauseSeconds);
  script += QStringLiteral(
      "out=\"$0.out\"\n"
      "{ echo \"$#\"; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; pwd; cut -d' ' -f6 /proc/$$/stat; }"
      " > \"$out.tmp\"\n"
      "mv \"$out.tmp\" \"$out\"\n");
  script += QStringLiteral("exit %1\n").arg(exitCode);
  f.write(script.toUtf8());
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
}

bool ArgsProbe::Ran() const { return QFile::exists(ReportPath()); }

bool ArgsProbe::WaitForReport(int timeoutMs) const {
  QDeadlineTimer deadline(timeoutMs);
  while (!Ran()) {
    if (deadline.hasExpired()) return false;
    platform::WaitForEvents(20);
  }
  return true;
}

QStringList ArgsProbe::ReportLines() const {
  QFile f(ReportPath());
  if (!f.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromLocal8Bit(f.readAll()).split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

QStringList ArgsProbe::Arguments() const {
  const QStringList lines = ReportLines();
  if (lines.isEmpty()) return {};
  const int count = lines.front().toInt();
  QStringList args;
  for (int i = 1; i <= count && i < lines.size(); ++i) {
    const QString& line = lines[i];
    args << line.mid(1, line.size() - 2);  // the brackets off
  }
  return args;
}

QString ArgsProbe::WorkingFolder() const {
  const QStringList lines = ReportLines();
  return lines.size() < 2 ? QString() : lines[lines.size() - 2];
}

qint64 ArgsProbe::SessionId() const {
  const QStringList lines = ReportLines();
  return lines.isEmpty() ? 0 : lines.last().toLongLong();
}

void ArgsProbe::Forget() const { QFile::remove(ReportPath()); }

}  // namespace testsupport
