#include "platform/forms/Picture.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <zlib.h>

#include <QBuffer>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "platform/forms/Twips.h"
#include "platform/values/VbError.h"

using namespace platform;

namespace {

QImage Filled(QSize size, const QColor& colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// Big-endian 32-bit number, as PNG and its chunks write them.
void PutBE32(QByteArray& out, quint32 v) {
  out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

void PutChunk(QByteArray& out, const char* type, const QByteArray& data) {
  PutBE32(out, quint32(data.size()));
  QByteArray typed(type, 4);
  typed += data;
  out += typed;
  PutBE32(out, quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))));
}

// A small, well-formed PNG that claims enormous dimensions.
QByteArray PngBomb(quint32 width, quint32 height) {
  QByteArray png("\x89PNG\r\n\x1a\n", 8);
  QByteArray header;
  PutBE32(header, width);
  PutBE32(header, height);
  header.append(char(8)).append(char(2)).append(char(0)).append(char(0)).append(char(0));
  PutChunk(png, "IHDR", header);
  QByteArray zeros(4096, '\0');
  QByteArray packed(int(compressBound(uLong(zeros.size()))), '\0');
  uLongf packedSize = uLongf(packed.size());
  compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(zeros.constData()),
           uLong(zeros.size()));
  packed.truncate(int(packedSize));
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", QByteArray());
  return png;
}

// A BMP header for a 24-bit picture of the given size with no pixels after it.
QByteArray BmpBomb(qint32 width, qint32 height) {
  QByteArray bmp;
  QDataStream s(&bmp, QIODevice::WriteOnly);
  s.setByteOrder(QDataStream::LittleEndian);
  s.writeRawData("BM", 2);
  s << quint32(54) << quint16(0) << quint16(0) << quint32(54);
  s << quint32(40) << width << height << quint16(1) << quint16(24) << quint32(0) << quint32(0) << qint32(2835)
    << qint32(2835) << quint32(0) << quint32(0);
  return bmp;
}

// Qt reads GIF but does not write it. Two palette entries (the picture's
// colours), LZW kept at 3-bit codes by a clear code before every two pixels.
QByteArray Gif(const QImage& image, const QColor& first, const QColor& second) {
  QByteArray gif("GIF89a");
  auto le16 = [&gif](int v) { gif.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
  le16(image.width());
  le16(image.height());
  gif.append(char(0x80)).append(char(0)).append(char(0));
  for (const QColor& c : {first, second}) gif.append(char(c.red())).append(char(c.green())).append(char(c.blue()));
  gif.append(char(0x2c));
  le16(0);
  le16(0);
  le16(image.width());
  le16(image.height());
  gif.append(char(0));
  gif.append(char(2));  // minimum code size
  QByteArray data;
  quint32 bits = 0;
  int count = 0;
  auto put = [&](int code) {
    bits |= quint32(code) << count;
    count += 3;
    while (count >= 8) {
      data.append(char(bits & 0xff));
      bits >>= 8;
      count -= 8;
    }
  };
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      if (n++ % 2 == 0) put(4);
      put(image.pixelColor(x, y) == first ? 0 : 1);
    }
  put(5);
  if (count > 0) data.append(char(bits & 0xff));
  for (int at = 0; at < data.size(); at += 255) {
    const QByteArray block = data.mid(at, 255);
    gif.append(char(block.size())).append(block);
  }
  gif.append(char(0)).append(char(0x3b));
  return gif;
}

class LoadPictureTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString Path(const QString& name) const { return dir_.filePath(name); }
  void WriteImage(const QString& name, const QImage& image, const char* format) {
    ASSERT_TRUE(image.save(Path(name), format)) << format;
  }
  void WriteBytes(const QString& name, const QByteArray& bytes) {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
  }
  // The number and description LoadPicture raises, or 0.
  std::int32_t ErrorOf(const QString& path, QString* description = nullptr) {
    try {
      LoadPicture(path);
    } catch (const VbError& e) {
      if (description) *description = e.Description();
      return e.Number();
    }
    return 0;
  }
  QTemporaryDir dir_;
};

TEST_F(LoadPictureTest, ReadsEachFormatFromTheContentWhateverTheName) {
  const QImage red = Filled(QSize(30, 20), QColor(200, 0, 0));
  WriteImage(QStringLiteral("PicPng"), red, "PNG");
  WriteImage(QStringLiteral("PicBmp"), red, "BMP");
  WriteImage(QStringLiteral("PicJpeg"), red, "JPEG");
  WriteBytes(QStringLiteral("PicGif"), Gif(red, QColor(200, 0, 0), Qt::white));
  // A name that claims another format: the content decides.
  WriteImage(QStringLiteral("Misnamed.jpg"), red, "BMP");
  for (const char* name : {"PicPng", "PicBmp", "PicJpeg", "PicGif", "Misnamed.jpg"}) {
    const StdPicture picture = LoadPicture(Path(QString::fromLatin1(name)));
    ASSERT_FALSE(picture.IsEmpty()) << name;
    EXPECT_EQ(picture.Image().size(), QSize(30, 20)) << name;
    EXPECT_EQ(picture.Width(), 450) << name;
    EXPECT_EQ(picture.Height(), 300) << name;
    const QColor c = picture.Image().pixelColor(15, 10);
    EXPECT_NEAR(c.red(), 200, 6) << name;
    EXPECT_LT(c.green() + c.blue(), 12) << name;
  }
}

TEST_F(LoadPictureTest, FindsANameWrittenInAnotherCaseAndWithBackslashes) {
  QDir(dir_.path()).mkdir(QStringLiteral("db"));
  WriteImage(QStringLiteral("db/Nav_Q1_3"), Filled(QSize(4, 5), Qt::green), "PNG");
  EXPECT_EQ(LoadPicture(dir_.path() + QStringLiteral("\\DB\\nav_q1_3")).Image().size(), QSize(4, 5));
}

TEST_F(LoadPictureTest, MissingFilesAndFoldersRaiseTheLoadersNumbers) {
  QString description;
  EXPECT_EQ(ErrorOf(Path(QStringLiteral("Nothing_Q1_1")), &description), 53);
  EXPECT_EQ(description, QStringLiteral("File not found"));
  EXPECT_EQ(ErrorOf(QString()), 53);
  EXPECT_EQ(ErrorOf(dir_.path(), &description), 75);
  EXPECT_EQ(description, QStringLiteral("Path/File access error"));
}

TEST_F(LoadPictureTest, AFileThatIsNoPictureRaisesInvalidPicture) {
  WriteBytes(QStringLiteral("Text"), "This is the answer to question 3, not a picture.\r\n");
  WriteBytes(QStringLiteral("Empty"), QByteArray());
  WriteBytes(QStringLiteral("HalfHeader"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIH", 14));
  for (const char* name : {"Text", "Empty", "HalfHeader"}) {
    QString description;
    EXPECT_EQ(ErrorOf(Path(QString::fromLatin1(name)), &description), 481) << name;
    EXPECT_EQ(description, QStringLiteral("Invalid picture")) << name;
  }
}

TEST_F(LoadPictureTest, ATruncatedPictureGivesWhatCouldBeReadOrInvalidPicture) {
  QImage stripes(120, 80, QImage::Format_RGB32);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) stripes.setPixel(x, y, y < 40 ? qRgb(250, 250, 0) : qRgb(0, 0, 250));
  // PNG refuses a cut file; the other readers give the rows they could read.
  const struct {
    const char* format;
    bool loads;
  } cases[] = {{"PNG", false}, {"JPEG", true}, {"BMP", true}, {"GIF", true}};
  for (const auto& c : cases) {
    const QByteArray whole = QByteArray(c.format) == "GIF" ? Gif(stripes, QColor(250, 250, 0), QColor(0, 0, 250))
                                                           : Encoded(stripes, c.format);
    const QString name = QStringLiteral("Cut") + QString::fromLatin1(c.format);
    WriteBytes(name, whole.left(whole.size() * 3 / 4));
    if (!c.loads) {
      EXPECT_EQ(ErrorOf(Path(name)), 481) << c.format;
      continue;
    }
    const StdPicture picture = LoadPicture(Path(name));
    EXPECT_EQ(picture.Image().size(), QSize(120, 80)) << c.format;
  }
}

TEST_F(LoadPictureTest, PicturesClaimingEnormousSizesAreRefusedWithoutBeingAllocated) {
  WriteBytes(QStringLiteral("PngBomb"), PngBomb(30000, 30000));
  WriteBytes(QStringLiteral("BmpBomb"), BmpBomb(30000, 30000));
  WriteBytes(QStringLiteral("PngWide"), PngBomb(1000000, 1));
  // Within the allocation limit, but wider than any window can be.
  WriteBytes(QStringLiteral("BmpWide"), BmpBomb(40000, 1) + QByteArray(120000, '\0'));
  for (const char* name : {"PngBomb", "BmpBomb", "PngWide", "BmpWide"}) {
    EXPECT_EQ(ErrorOf(Path(QString::fromLatin1(name))), 481) << name;
  }
  // A large but reasonable picture still loads.
  WriteImage(QStringLiteral("Large"), Filled(QSize(2400, 1800), Qt::blue), "PNG");
  EXPECT_EQ(LoadPicture(Path(QStringLiteral("Large"))).Image().size(), QSize(2400, 1800));
  WriteImage(QStringLiteral("Long"), Filled(QSize(32767, 2), Qt::blue), "BMP");
  EXPECT_EQ(LoadPicture(Path(QStringLiteral("Long"))).Image().size(), QSize(32767, 2));
}

TEST_F(LoadPictureTest, AFileThatCannotBeOpenedRaisesPathFileAccess) {
  // A socket is in the folder like a file, and no one can open it for reading.
  const QByteArray path = QFile::encodeName(Path(QStringLiteral("Socket_Q1_1")));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(size_t(path.size()), sizeof(address.sun_path));
  std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  QString description;
  EXPECT_EQ(ErrorOf(Path(QStringLiteral("Socket_Q1_1")), &description), 75);
  EXPECT_EQ(description, QStringLiteral("Path/File access error"));
  ::close(fd);
}

TEST(PictureBox, TakesOnThePicturesSizeAndShowsItAtThatSize) {
  QWidget parent;
  parent.resize(400, 300);
  PictureBox box(&parent);
  QImage picture = Filled(QSize(40, 30), Qt::blue);
  for (int y = 0; y < 30; ++y) picture.setPixelColor(39, y, Qt::yellow);
  box.SetPicture(StdPicture(picture));
  EXPECT_EQ(Width(&box), 600);
  EXPECT_EQ(Height(&box), 450);
  const QImage shown = box.grab().toImage();
  EXPECT_EQ(shown.size(), QSize(40, 30));
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::blue));
  EXPECT_EQ(shown.pixelColor(39, 29), QColor(Qt::yellow));
  box.SetPicture(StdPicture());
  EXPECT_EQ(Width(&box), 0);
  EXPECT_EQ(Height(&box), 0);
  EXPECT_TRUE(box.Picture().IsEmpty());
}

TEST(ImageBox, StretchesItsPictureOrTakesOnItsSize) {
  QWidget parent;
  ImageBox image(&parent);
  QImage halves = Filled(QSize(10, 10), Qt::red);
  for (int y = 0; y < 10; ++y)
    for (int x = 5; x < 10; ++x) halves.setPixelColor(x, y, Qt::green);
  image.SetPicture(StdPicture(halves));
  Move(&image, 0, 0, 1500, 600);  // 100 x 40 pixels
  EXPECT_EQ(image.size(), QSize(100, 40));  // a stretched image keeps its own size
  QImage shown = image.grab().toImage();
  EXPECT_EQ(shown.pixelColor(10, 20), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(90, 20), QColor(Qt::green));
  EXPECT_EQ(shown.pixelColor(30, 39), QColor(Qt::red));

  image.SetStretch(false);
  image.SetPicture(StdPicture(halves));
  EXPECT_EQ(Width(&image), 150);
  EXPECT_EQ(Height(&image), 150);
}

TEST(PictureControls, ReportPressesInTheOriginalsNumbersAndTwips) {
  QWidget parent;
  parent.resize(300, 300);
  parent.show();
  PictureBox box(&parent);
  box.SetPicture(StdPicture(Filled(QSize(50, 50), Qt::red)));
  box.show();
  ImageBox image(&parent);
  image.SetPicture(StdPicture(Filled(QSize(8, 8), Qt::red)));
  Move(&image, 1500, 1500, 750, 750);
  image.show();
  image.SetToolTipText(QStringLiteral("Right-click = separate window"));
  EXPECT_EQ(image.ToolTipText(), QStringLiteral("Right-click = separate window"));

  struct Press {
    int button, shift;
    double x, y;
  };
  std::vector<Press> boxPresses, imagePresses;
  box.MouseDown = [&](int b, int s, double x, double y) { boxPresses.push_back({b, s, x, y}); };
  image.MouseDown = [&](int b, int s, double x, double y) { imagePresses.push_back({b, s, x, y}); };
  QTest::mousePress(&box, Qt::RightButton, Qt::ControlModifier, QPoint(10, 20));
  QTest::mousePress(&box, Qt::MiddleButton, Qt::ShiftModifier | Qt::AltModifier, QPoint(3, 4));
  QTest::mousePress(&image, Qt::LeftButton, Qt::NoModifier, QPoint(7, 1));
  ASSERT_EQ(boxPresses.size(), 2u);
  EXPECT_EQ(boxPresses[0].button, 2);
  EXPECT_EQ(boxPresses[0].shift, 2);
  EXPECT_EQ(boxPresses[0].x, 150);
  EXPECT_EQ(boxPresses[0].y, 300);
  EXPECT_EQ(boxPresses[1].button, 4);
  EXPECT_EQ(boxPresses[1].shift, 5);
  ASSERT_EQ(imagePresses.size(), 1u);
  EXPECT_EQ(imagePresses[0].button, 1);
  EXPECT_EQ(imagePresses[0].x, 105);
  EXPECT_EQ(imagePresses[0].y, 15);
}

}  // namespace
