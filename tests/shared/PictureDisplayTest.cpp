#include "shared/PictureDisplay.h"

#include <zlib.h>

#include <QBuffer>
#include <QTest>

#include "PictureFixture.h"
#include "platform/values/VbError.h"

using namespace platform;
using namespace shared;
using picturetest::PictureFixture;

namespace {

const QString kInvalidPictureBox = QStringLiteral(
    "Invalid picture\r\nThe program will try to resume execution.\r\n"
    "If the error persists, try to uninstall then reinstall the program.");

class ShowPictureTest : public PictureFixture {
 protected:
  // Where the picture ended up.
  enum class Shown { Nothing, PictureBox, Image, Window, Placeholder };
  Shown Where() {
    const int count = host().picPicture->Visible() + host().imgPicture->Visible() + frmPicOverSize::Visible() +
                      host().imgNoImage->Visible();
    EXPECT_LE(count, 1) << "more than one place shows a picture";
    if (host().picPicture->Visible()) return Shown::PictureBox;
    if (host().imgPicture->Visible()) return Shown::Image;
    if (frmPicOverSize::Visible()) return Shown::Window;
    if (host().imgNoImage->Visible()) return Shown::Placeholder;
    return Shown::Nothing;
  }
  QColor ColourOnShow(const StdPicture& picture) { return picture.Image().pixelColor(0, 0); }
};

TEST_F(ShowPictureTest, APictureThatFitsTheBandIsCentredAboveTheQuestionBox) {
  WritePicture(QStringLiteral("Rules_Q1_4"), 200, 100);  // 3000 x 1500 twips
  ShowPicture(QuestionSite(), QStringLiteral("Rules_Q1_4"));
  ASSERT_EQ(Where(), Shown::PictureBox);
  EXPECT_EQ(Width(host().picPicture), 3000);
  EXPECT_EQ(Height(host().picPicture), 1500);
  EXPECT_EQ(Top(host().picPicture), 750);       // (3000 - 1500) / 2
  EXPECT_EQ(Left(host().picPicture), 4357.5);   // (11715 - 3000) / 2
  EXPECT_EQ(ColourOnShow(host().picPicture->Picture()), QColor(Qt::red));
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ShowPictureTest, ATallPictureSitsBesideTheQuestionBoxCentredInTheSideArea) {
  WritePicture(QStringLiteral("Rules_Q1_5"), 200, 300);  // 3000 wide, 4500 high
  ShowPicture(QuestionSite(), QStringLiteral("Rules_Q1_5"));
  ASSERT_EQ(Where(), Shown::PictureBox);
  EXPECT_EQ(Top(host().picPicture), 250);  // (5000 - 4500) / 2
  // The gap right of the question box is 11715 - (117 + 5700) = 5898.
  EXPECT_EQ(Left(host().picPicture), 5898 + (11715 - 5898 - 3000) / 2.0);
}

TEST_F(ShowPictureTest, TheBandTakesAPictureOfExactlyItsHeightAndWidth) {
  WritePicture(QStringLiteral("Edge_Q1_1"), 100, 100);  // 1500 x 1500
  WritePicture(QStringLiteral("Edge_Q1_2"), 100, 101);  // 1515 high
  PictureSite site = QuestionSite();
  site.UpperAreaHeight = 1500;
  site.UpperAreaWidth = 1500;
  ShowPicture(site, QStringLiteral("Edge_Q1_1"));
  ASSERT_EQ(Where(), Shown::PictureBox);
  EXPECT_EQ(Top(host().picPicture), 0);
  ShowPicture(site, QStringLiteral("Edge_Q1_2"));
  ASSERT_EQ(Where(), Shown::PictureBox);
  EXPECT_EQ(Top(host().picPicture), (5000 - 1515) / 2.0);  // beside the box
}

TEST_F(ShowPictureTest, PicturesThatFitNeitherPlaceGoToThePictureWindow) {
  const struct {
    const char* name;
    int widthPx, heightPx;
  } cases[] = {
      {"Tall_Q1_1", 200, 334},   // 5010 high: taller than the side area
      {"Wide_Q1_1", 334, 300},   // 4500 high, 5010 wide: too wide for the side area
      {"Broad_Q1_1", 734, 100},  // 1500 high, 11010 wide: too wide for the band
  };
  for (const auto& c : cases) {
    const QString name = QString::fromLatin1(c.name);
    WritePicture(name, c.widthPx, c.heightPx, Qt::blue);
    ShowPicture(QuestionSite(), name);
    ASSERT_EQ(Where(), Shown::Window) << c.name;
    EXPECT_EQ(GLOBAL::OverSizePicHeight, c.heightPx * 15) << c.name;
    EXPECT_EQ(GLOBAL::OverSizePicWidth, c.widthPx * 15) << c.name;
    EXPECT_EQ(GLOBAL::OverSizeWindowSized, -1) << c.name;  // sized on opening
    frmPicOverSize& window = frmPicOverSize::Instance();
    EXPECT_EQ(window.parentWidget(), &host()) << c.name;
    EXPECT_EQ(window.imgOverSizePic->Picture().Image().size(), QSize(c.widthPx, c.heightPx)) << c.name;
    EXPECT_EQ(window.imgOverSizePic->size(), QSize(c.widthPx, c.heightPx)) << c.name;  // at its own size
  }
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ShowPictureTest, The6800TwipsClassIsShownAt4560ThroughTheImage) {
  // 447 px = 6705 twips and 459 px = 6885 twips lie inside the class.
  const QSize inside[] = {{447, 447}, {459, 459}, {447, 459}, {459, 447}};
  for (const QSize& size : inside) {
    WritePicture(QStringLiteral("Class_Q1_1"), size.width(), size.height(), Qt::green);
    ShowPicture(QuestionSite(), QStringLiteral("Class_Q1_1"));
    ASSERT_EQ(Where(), Shown::Image) << size.width() << "x" << size.height();
    EXPECT_EQ(Width(host().imgPicture), 4560);
    EXPECT_EQ(Height(host().imgPicture), 4560);
    // 4560 is taller than the band: beside the box, centred in 5000.
    EXPECT_EQ(Top(host().imgPicture), 220);
    EXPECT_EQ(Left(host().imgPicture), 5898 + (11715 - 5898 - 4560) / 2.0);
    EXPECT_EQ(host().imgPicture->Picture().Image().size(), size);
    // The image draws the whole picture over its 4560 twips.
    const QImage drawn = host().imgPicture->grab().toImage();
    EXPECT_EQ(drawn.size(), QSize(304, 304));
    EXPECT_EQ(drawn.pixelColor(150, 150), QColor(Qt::green));
  }
}

TEST_F(ShowPictureTest, PicturesJustOutsideTheClassShowAtTheirOwnSize) {
  // 446 px = 6690 twips and 460 px = 6900 twips: one side out of the class.
  const QSize outside[] = {{453, 446}, {453, 460}, {446, 453}, {460, 453}};
  PictureSite site = QuestionSite();
  site.UpperAreaHeight = 8000;
  for (const QSize& size : outside) {
    WritePicture(QStringLiteral("Near_Q1_1"), size.width(), size.height());
    ShowPicture(site, QStringLiteral("Near_Q1_1"));
    ASSERT_EQ(Where(), Shown::PictureBox) << size.width() << "x" << size.height();
    EXPECT_EQ(Width(host().picPicture), size.width() * 15);
    EXPECT_EQ(Height(host().picPicture), size.height() * 15);
    EXPECT_EQ(Top(host().picPicture), (8000 - size.height() * 15) / 2.0);
  }
}

TEST_F(ShowPictureTest, AClassPictureThatDoesNotFitGoesToTheWindowAtTheFilesSize) {
  WritePicture(QStringLiteral("Class_Q1_2"), 447, 459);
  PictureSite site = QuestionSite();
  site.SideAreaHeight = 4000;
  ShowPicture(site, QStringLiteral("Class_Q1_2"));
  ASSERT_EQ(Where(), Shown::Window);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 6885);
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 6705);
  EXPECT_EQ(frmPicOverSize::Instance().imgOverSizePic->Picture().Image().size(), QSize(447, 459));
}

TEST_F(ShowPictureTest, AMissingSecondPartPictureFallsBackToTheFirstPart) {
  WritePicture(QStringLiteral("Nav_Q1_7"), 100, 50, Qt::green);
  WritePicture(QStringLiteral("Own_Q1_8"), 100, 50, Qt::green);
  WritePicture(QStringLiteral("Own_Q2_8"), 60, 50, Qt::blue);
  for (const char* name : {"Nav_Q2_7", "Nav_q2_7", "nav_q2_7"}) {
    host().picPicture->SetPicture(StdPicture());
    ShowPicture(QuestionSite(), QString::fromLatin1(name));
    ASSERT_EQ(Where(), Shown::PictureBox) << name;
    EXPECT_EQ(host().picPicture->Picture().Image().size(), QSize(100, 50)) << name;
    EXPECT_EQ(ColourOnShow(host().picPicture->Picture()), QColor(Qt::green)) << name;
  }
  // A second-part picture that exists is its own.
  ShowPicture(QuestionSite(), QStringLiteral("Own_Q2_8"));
  EXPECT_EQ(ColourOnShow(host().picPicture->Picture()), QColor(Qt::blue));
  // The name given on holds "_Q1_" in capitals: the step window records it.
  QString shown;
  ShowPicture(StepSite(&shown), QStringLiteral("Nav_q2_7"));
  EXPECT_EQ(shown, QStringLiteral("Nav_Q1_7"));
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ShowPictureTest, AMissingPictureShowsThePlaceholderWithoutAMessage) {
  WritePicture(QStringLiteral("Old_Q1_1"), 100, 50);
  ShowPicture(QuestionSite(), QStringLiteral("Old_Q1_1"));
  ASSERT_EQ(Where(), Shown::PictureBox);
  for (const char* name : {"Gone_Q1_3", "Gone_Q2_3", "~NO~", ".Hidden_Q1_1"}) {
    host().imgNoImage->hide();
    ShowPicture(QuestionSite(), QString::fromLatin1(name));
    EXPECT_EQ(Where(), Shown::Placeholder) << name;
  }
  WritePicture(QStringLiteral(".Hidden_Q1_1"), 10, 10);  // hidden files are not found
  host().imgNoImage->hide();
  ShowPicture(QuestionSite(), QStringLiteral(".Hidden_Q1_1"));
  EXPECT_EQ(Where(), Shown::Placeholder);
  QDir(AppFolder()).mkpath(QStringLiteral("db/Folder_Q1_1"));  // nor are folders
  host().imgNoImage->hide();
  ShowPicture(QuestionSite(), QStringLiteral("Folder_Q1_1"));
  EXPECT_EQ(Where(), Shown::Placeholder);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ShowPictureTest, AnEmptyNameClearsEveryPictureButNeverThePlaceholder) {
  WritePicture(QStringLiteral("Broad_Q1_2"), 734, 100);
  ShowPicture(QuestionSite(), QStringLiteral("Broad_Q1_2"));
  ASSERT_EQ(Where(), Shown::Window);
  ShowPicture(QuestionSite(), QString());
  EXPECT_EQ(Where(), Shown::Nothing);
  EXPECT_TRUE(frmPicOverSize::Instance().IsLoaded());  // hidden, not unloaded

  WritePicture(QStringLiteral("Rules_Q1_6"), 100, 50);
  ShowPicture(QuestionSite(), QStringLiteral("Rules_Q1_6"));
  host().imgNoImage->show();
  ShowPicture(QuestionSite(), QString());
  EXPECT_FALSE(host().picPicture->Visible());
  EXPECT_FALSE(host().imgPicture->Visible());
  EXPECT_TRUE(host().imgNoImage->Visible());
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ShowPictureTest, AFileThatIsNoReadablePictureIsReportedAndNoStalePictureShows) {
  WritePicture(QStringLiteral("Good_Q1_1"), 100, 50);
  WriteBytes(QStringLiteral("Text_Q1_1"), "Not a picture at all\r\n");
  // A PNG cut short, and one claiming 30000 x 30000 pixels.
  QImage noise(200, 100, QImage::Format_RGB32);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) noise.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x ^ y) % 256));
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(noise.save(&buffer, "PNG"));
  }
  WriteBytes(QStringLiteral("Cut_Q1_1"), png.left(png.size() / 2));
  QByteArray bomb = png.left(33);  // signature and IHDR
  bomb[16] = 0, bomb[17] = 0, bomb[18] = char(0x75), bomb[19] = char(0x30);  // width 30000
  bomb[20] = 0, bomb[21] = 0, bomb[22] = char(0x75), bomb[23] = char(0x30);  // height 30000
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bomb.constData() + 12), 17);
  for (int i = 0; i < 4; ++i) bomb[29 + i] = char((crc >> (24 - 8 * i)) & 0xff);
  WriteBytes(QStringLiteral("Bomb_Q1_1"), bomb + png.mid(33));

  for (const char* name : {"Text_Q1_1", "Cut_Q1_1", "Bomb_Q1_1"}) {
    ShowPicture(QuestionSite(), QStringLiteral("Good_Q1_1"));
    ASSERT_EQ(Where(), Shown::PictureBox);
    boxes_.boxes.clear();
    ShowPicture(QuestionSite(), QString::fromLatin1(name));
    ASSERT_EQ(boxes_.boxes.size(), 1u) << name;
    EXPECT_EQ(boxes_.boxes[0].prompt, kInvalidPictureBox) << name;
    EXPECT_EQ(boxes_.boxes[0].style, 16) << name;
    EXPECT_EQ(boxes_.boxes[0].title, QStringLiteral(" Error")) << name;
    // The earlier question's picture is not shown in its place.
    EXPECT_TRUE(host().picPicture->Picture().IsEmpty()) << name;
    EXPECT_EQ(host().picPicture->size(), QSize(0, 0)) << name;
    EXPECT_FALSE(frmPicOverSize::Visible()) << name;
    EXPECT_FALSE(host().imgNoImage->Visible()) << name;
  }
}

TEST_F(ShowPictureTest, AFileGoneBeforeItIsReadGivesTheAccessBoxAndNothingMore) {
  WritePicture(QStringLiteral("Gone_Q1_9"), 100, 50);
  PictureSite site = QuestionSite();
  site.Load = [](const QString&) -> StdPicture { Raise(err::FileNotFound); };
  host().picPicture->SetPicture(StdPicture(QImage(QSize(5, 5), QImage::Format_RGB32)));
  ShowPicture(site, QStringLiteral("Gone_Q1_9"));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].prompt, QStringLiteral("Unable to access the file\r\n") + AppFolder() +
                                        QStringLiteral("/db/Gone_Q1_9\r\nTry to uninstall then reinstall the program."));
  EXPECT_EQ(boxes_.boxes[0].style, 16);
  EXPECT_EQ(boxes_.boxes[0].title, QStringLiteral(" Error"));
  EXPECT_EQ(Where(), Shown::Nothing);
  EXPECT_EQ(host().picPicture->size(), QSize(5, 5));  // the procedure ended there
}

TEST_F(ShowPictureTest, AnyOtherLoadErrorIsReportedWithItsDescriptionAndWorkGoesOn) {
  WritePicture(QStringLiteral("Odd_Q1_1"), 100, 50);
  PictureSite site = QuestionSite();
  site.Load = [](const QString&) -> StdPicture { Raise(err::OutOfMemory); };
  ShowPicture(site, QStringLiteral("Odd_Q1_1"));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].prompt,
            QStringLiteral("Out of memory\r\nThe program will try to resume execution.\r\n"
                           "If the error persists, try to uninstall then reinstall the program."));
  EXPECT_EQ(boxes_.boxes[0].title, QStringLiteral(" Error"));
  // Placement went on, with no picture to show.
  EXPECT_TRUE(host().picPicture->Visible());
  EXPECT_EQ(host().picPicture->size(), QSize(0, 0));
}

TEST_F(ShowPictureTest, StepPicturesUseTheBandOrTheWindowAndNoPlaceholder) {
  QString shown;
  // A missing file and "~NO~" show nothing and say nothing.
  const struct {
    const char* name;
    const char* recorded;
  } missing[] = {{"~NO~", "~NO~"}, {"Steps_12", "Steps_12"}, {"Steps_Q2_3", "Steps_Q1_3"}};
  for (const auto& m : missing) {
    PictureSite site = StepSite(&shown);
    site.imgNoImage = host().imgNoImage;  // even when the window has one
    ShowPicture(site, QString::fromLatin1(m.name));
    EXPECT_EQ(Where(), Shown::Nothing) << m.name;
    EXPECT_EQ(shown, QString::fromLatin1(m.recorded));
  }
  EXPECT_TRUE(boxes_.boxes.empty());

  WritePicture(QStringLiteral("Steps_1"), 200, 100);  // 3000 x 1500
  ShowPicture(StepSite(&shown), QStringLiteral("Steps_1"));
  ASSERT_EQ(Where(), Shown::PictureBox);
  EXPECT_EQ(Top(host().picPicture), 750);
  EXPECT_EQ(Left(host().picPicture), 4357.5);
  EXPECT_EQ(shown, QStringLiteral("Steps_1"));

  // Too high for the band: the question window would put it beside its text,
  // the step window has no such place.
  WritePicture(QStringLiteral("Steps_2"), 200, 300);
  PictureSite roomy = StepSite(&shown);
  roomy.SideAreaHeight = 5000;
  roomy.SideAreaWidth = 5000;
  ShowPicture(roomy, QStringLiteral("Steps_2"));
  EXPECT_EQ(Where(), Shown::Window);
  EXPECT_EQ(shown, QStringLiteral("Steps_2"));

  // The size class holds for steps too.
  WritePicture(QStringLiteral("Steps_3"), 450, 450);
  PictureSite tall = StepSite(&shown);
  tall.UpperAreaHeight = 5000;
  ShowPicture(tall, QStringLiteral("Steps_3"));
  ASSERT_EQ(Where(), Shown::Image);
  EXPECT_EQ(Top(host().imgPicture), 220);
  EXPECT_EQ(Left(host().imgPicture), (11715 - 4560) / 2.0);
}

TEST_F(ShowPictureTest, AnyButtonButTheLeftOpensTheWindowWithTheClickedControl) {
  WritePicture(QStringLiteral("Rules_Q1_7"), 200, 100);
  ShowPicture(QuestionSite(), QStringLiteral("Rules_Q1_7"));
  ASSERT_EQ(Where(), Shown::PictureBox);
  picPicture_MouseDown(QuestionSite(), 1, 0, 30, 30);
  EXPECT_EQ(Where(), Shown::PictureBox);
  picPicture_MouseDown(QuestionSite(), 2, 0, 30, 30);
  ASSERT_EQ(Where(), Shown::Window);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 1500);
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 3000);
  EXPECT_EQ(frmPicOverSize::Instance().Width(), 3000);

  // The image gives its displayed size, not the file's.
  WritePicture(QStringLiteral("Class_Q1_3"), 450, 450);
  PictureSite site = QuestionSite();
  ShowPicture(site, QStringLiteral("Class_Q1_3"));
  ASSERT_EQ(Where(), Shown::Image);
  imgPicture_MouseDown(site, 1, 0, 0, 0);
  EXPECT_EQ(Where(), Shown::Image);
  imgPicture_MouseDown(site, 4, 0, 0, 0);
  ASSERT_EQ(Where(), Shown::Window);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 4560);
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 4560);
  EXPECT_EQ(frmPicOverSize::Instance().imgOverSizePic->Picture().Image().size(), QSize(450, 450));
}

TEST_F(ShowPictureTest, ARightClickOnTheShownPictureOpensTheWindow) {
  WritePicture(QStringLiteral("Rules_Q1_8"), 200, 100);
  host().picPicture->MouseDown = [this](int b, int s, double x, double y) {
    picPicture_MouseDown(QuestionSite(), b, s, x, y);
  };
  ShowPicture(QuestionSite(), QStringLiteral("Rules_Q1_8"));
  QTest::mousePress(host().picPicture, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(Where(), Shown::PictureBox);
  QTest::mousePress(host().picPicture, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(Where(), Shown::Window);
  // Showing the next picture hides the window again.
  ShowPicture(QuestionSite(), QStringLiteral("Rules_Q1_8"));
  EXPECT_EQ(Where(), Shown::PictureBox);
}

}  // namespace
