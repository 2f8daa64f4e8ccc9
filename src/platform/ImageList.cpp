#include "platform/ImageList.h"

#include <QFileInfo>

#include "platform/VbError.h"

namespace platform {

ImageList::ImageList(QString name, QString root) : name_(std::move(name)), root_(std::move(root)) {}

QString ImageList::PathOf(const QString& key) const {
  // Keys come from content (a section's icon type); one that names a folder
  // must not reach a picture outside this list.
  if (key.isEmpty() || key.contains(QLatin1Char('/')) || key.contains(QLatin1Char('\\'))) return {};
  return root_ + QLatin1Char('/') + name_ + QLatin1Char('/') + key + QStringLiteral(".png");
}

bool ImageList::Exists(const QString& key) const {
  const QString path = PathOf(key);
  return !path.isEmpty() && QFileInfo(path).isFile();
}

QPixmap ImageList::ListImage(const QString& key) const {
  if (!Exists(key)) Raise(err::ElementNotFound, QStringLiteral("Element not found"));
  QPixmap picture(PathOf(key));
  if (picture.isNull()) Raise(err::InvalidPicture, QStringLiteral("Invalid picture"));
  return picture;
}

}  // namespace platform
