#include "platform/forms/ImageList.h"

#include <QFileInfo>
#include <QHash>

#include "platform/values/VbError.h"

namespace platform {

ImageList::ImageList(QString name, QString root) : name_(std::move(name)), root_(std::move(root)) {}

QString ImageList::PathOf(const QString& key) const {
  // Keys come from content (a section's icon type); one that names a folder
  // must not reach a picture outside this list.
  if (key.isEmpty() || key.contains(QLatin1Char('/')) || key.contains(QLatin1Char('\\'))) return {};
  const QString base = root_ + QLatin1Char('/') + name_ + QLatin1Char('/') + key;
  const QString png = base + QStringLiteral(".png");
  if (QFileInfo(png).isFile()) return png;
  const QString jpg = base + QStringLiteral(".jpg");
  return QFileInfo(jpg).isFile() ? jpg : png;
}

bool ImageList::Exists(const QString& key) const {
  const QString path = PathOf(key);
  return !path.isEmpty() && QFileInfo(path).isFile();
}

QPixmap ImageList::ListImage(const QString& key) const {
  // A list holds its pictures decoded, as the original's control does: a
  // picture is read from its file once per program run.
  static QHash<QString, QPixmap> decoded;
  const QString path = PathOf(key);
  if (const auto found = decoded.constFind(path); found != decoded.constEnd() && !path.isEmpty()) return *found;
  if (!Exists(key)) Raise(err::ElementNotFound, QStringLiteral("Element not found"));
  QPixmap picture(path);
  if (picture.isNull()) Raise(err::InvalidPicture, QStringLiteral("Invalid picture"));
  decoded.insert(path, picture);
  return picture;
}

}  // namespace platform
