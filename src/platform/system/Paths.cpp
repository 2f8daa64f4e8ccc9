#include "platform/system/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString NativePath(const QString& path) {
  QString p = path;
  p.replace(u'\\', u'/');
  return p;
}

QString ResolvePath(const QString& path) {
  const QString native = NativePath(path);
  if (native.isEmpty() || QFileInfo::exists(native)) return native;
  const bool absolute = native.startsWith(u'/');
  const QStringList parts = native.split(u'/', Qt::SkipEmptyParts);
  QString current = absolute ? QStringLiteral("/") : QString();
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QString& name = parts[i];
    const QString exact = current.isEmpty() ? name : (current.endsWith(u'/') ? current + name : current + u'/' + name);
    if (name == QLatin1String(".") || name == QLatin1String("..") || QFileInfo::exists(exact)) {
      current = exact;
      continue;
    }
    const QDir dir(current.isEmpty() ? QStringLiteral(".") : current);
    QString found;
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
      if (entry.compare(name, Qt::CaseInsensitive) == 0) {
        found = entry;
        break;
      }
    }
    if (found.isEmpty()) return native;
    current = current.isEmpty() ? found : (current.endsWith(u'/') ? current + found : current + u'/' + found);
  }
  return current;
}

}  // namespace platform
