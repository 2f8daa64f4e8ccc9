#include "platform/forms/ImageList.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "platform/values/VbError.h"

using namespace platform;

namespace {

// A list folder with two pictures of known size and colour.
class ImageListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root_.isValid());
    QDir(root_.path()).mkpath(QStringLiteral("imlIcons"));
    Write(QStringLiteral("imlIcons/ref.png"), QSize(32, 32), Qt::red);
    Write(QStringLiteral("imlIcons/mainQVRV 5 - OOW.png"), QSize(32, 24), Qt::blue);
  }
  void Write(const QString& relative, QSize size, const QColor& colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(root_.filePath(relative)));
  }
  std::int32_t ErrorOf(const ImageList& list, const QString& key) {
    try {
      list.ListImage(key);
    } catch (const VbError& e) {
      EXPECT_EQ(e.Description(), QStringLiteral("Element not found"));
      return e.Number();
    }
    return 0;
  }
  QTemporaryDir root_;
};

TEST_F(ImageListTest, GivesThePictureStoredUnderAKey) {
  const ImageList list(QStringLiteral("imlIcons"), root_.path());
  EXPECT_EQ(list.Name(), QStringLiteral("imlIcons"));
  const QPixmap ref = list.ListImage(QStringLiteral("ref"));
  EXPECT_EQ(ref.size(), QSize(32, 32));
  EXPECT_EQ(ref.toImage().pixelColor(5, 5), QColor(Qt::red));
  const QPixmap main = list.ListImage(QStringLiteral("mainQVRV 5 - OOW"));
  EXPECT_EQ(main.size(), QSize(32, 24));
  EXPECT_EQ(main.toImage().pixelColor(0, 0), QColor(Qt::blue));
}

TEST_F(ImageListTest, UnknownKeysRaiseElementNotFound) {
  const ImageList list(QStringLiteral("imlIcons"), root_.path());
  EXPECT_TRUE(list.Exists(QStringLiteral("ref")));
  for (const QString& key : {QStringLiteral("exam"), QStringLiteral("Ref"), QStringLiteral("ref "),
                             QString(), QStringLiteral("ref.png")}) {
    EXPECT_FALSE(list.Exists(key)) << key.toStdString();
    EXPECT_EQ(ErrorOf(list, key), 35601) << key.toStdString();
  }
  // Another list does not see this one's pictures.
  const ImageList other(QStringLiteral("imlSmallIcons"), root_.path());
  EXPECT_FALSE(other.Exists(QStringLiteral("ref")));
  EXPECT_EQ(ErrorOf(other, QStringLiteral("ref")), 35601);
}

TEST_F(ImageListTest, KeysCannotLeaveTheirList) {
  // A key read from content that names a path is not a key of this list.
  Write(QStringLiteral("secret.png"), QSize(4, 4), Qt::green);
  const ImageList list(QStringLiteral("imlIcons"), root_.path());
  EXPECT_FALSE(list.Exists(QStringLiteral("../secret")));
  EXPECT_EQ(ErrorOf(list, QStringLiteral("../secret")), 35601);
  EXPECT_EQ(ErrorOf(list, QStringLiteral("..\\secret")), 35601);
}

TEST_F(ImageListTest, APictureThatCannotBeReadIsNotSilentlyEmpty) {
  QFile broken(root_.filePath(QStringLiteral("imlIcons/broken.png")));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("not a picture");
  broken.close();
  const ImageList list(QStringLiteral("imlIcons"), root_.path());
  try {
    list.ListImage(QStringLiteral("broken"));
    FAIL() << "a broken picture was returned";
  } catch (const VbError& e) {
    EXPECT_EQ(e.Number(), err::InvalidPicture);
  }
}

}  // namespace
