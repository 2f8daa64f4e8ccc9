#include "platform/system/FileSystem.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>

#include "platform/system/Paths.h"
#include "platform/values/VbError.h"

namespace platform {

QString Dir(const QString& path, int attributes) {
  const QString resolved = ResolvePath(path);
  const qsizetype slash = resolved.lastIndexOf(u'/');
  const QString name = resolved.mid(slash + 1);
  if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return QString();

  struct stat st {};
  if (::stat(QFile::encodeName(resolved).constData(), &st) != 0) {
    if (errno == ENOMEDIUM || errno == EIO) Raise(err::BadFileName);
    return QString();
  }
  if (name.startsWith(u'.') && !(attributes & vbHidden)) return QString();
  if (S_ISDIR(st.st_mode)) return (attributes & vbDirectory) ? name : QString();
  // Devices, pipes and sockets are nothing the content could name.
  if (!S_ISREG(st.st_mode)) return QString();
  return name;
}

}  // namespace platform
