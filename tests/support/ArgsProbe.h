#pragma once
// A small program for tests that start real processes: a script that, after
// an optional pause, writes the arguments it was given and its working folder
// next to itself, then ends with a chosen exit code.
#include <QString>
#include <QStringList>

namespace testsupport {

class ArgsProbe {
 public:
  // Writes the program at path (made executable), its folder made as needed.
  explicit ArgsProbe(const QString& path, int exitCode = 0, double pauseSeconds = 0);

  const QString& Path() const { return path_; }
  QString ReportPath() const { return path_ + QStringLiteral(".out"); }
  bool Ran() const;
  // Waits (running events) until the program has written its report; false
  // after timeoutMs.
  bool WaitForReport(int timeoutMs = 10000) const;
  // What the last run saw; empty before a run.
  QStringList Arguments() const;
  QString WorkingFolder() const;
  qint64 SessionId() const;
  void Forget() const;  // removes the report before the next run

 private:
  QStringList ReportLines() const;
  QString path_;
};

}  // namespace testsupport
