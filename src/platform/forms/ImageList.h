#pragma once
// An image list of a form: pictures stored under keys. The pictures are
// embedded as resources ":/images/<list>/<key>.png" (each program registers
// its own resource file at start). An unknown key raises 35601
// "Element not found", as the original control does.
#include <QPixmap>
#include <QString>
#include <cstdint>

namespace platform {

namespace err {
constexpr std::int32_t ElementNotFound = 35601;
}  // namespace err

class ImageList {
 public:
  // `root` is the folder that holds the lists; the programs keep the default.
  explicit ImageList(QString name, QString root = QStringLiteral(":/images"));

  const QString& Name() const { return name_; }
  // The picture stored under `key` (exact, case-sensitive); error 35601 when
  // the list has none.
  QPixmap ListImage(const QString& key) const;
  bool Exists(const QString& key) const;

 private:
  QString PathOf(const QString& key) const;

  QString name_;
  QString root_;
};

}  // namespace platform
