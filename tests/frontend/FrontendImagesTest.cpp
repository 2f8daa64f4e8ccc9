// The front-end's embedded pictures: every key its image lists are asked
// for, at the size the list holds, and a list backdrop light enough for
// black bold text.
#include <gtest/gtest.h>

#include "ImageChecks.h"
#include "platform/forms/ImageList.h"

using platform::ImageList;

// The resource function lives in the global namespace.
static void RegisterPictures() { Q_INIT_RESOURCE(frontend_images); }

namespace {

class FrontendImages : public ::testing::Test {
 protected:
  void SetUp() override { RegisterPictures(); }
};

TEST_F(FrontendImages, LargeIconsAndWindowIcons) {
  const ImageList icons(QStringLiteral("imlIcons"));
  for (const char* key : {"ref", "exam", "isgott", "liqgas", "bulk", "codesafe", "stop", "medguide", "contactlist",
                          "mainQVRV 5 - OOW", "mainQVRV 5 - Mates Masters"}) {
    ASSERT_TRUE(icons.Exists(QString::fromLatin1(key))) << key;
    const QPixmap picture = icons.ListImage(QString::fromLatin1(key));
    EXPECT_EQ(picture.size(), QSize(32, 32)) << key;
    // Icons stand on a transparent ground, so the list's own colour shows.
    EXPECT_EQ(picture.toImage().pixelColor(0, 31).alpha(), 0) << key;
  }
  const ImageList desktop(QStringLiteral("desktop"));
  for (const char* key : {"mainQVRV 5 - OOW", "mainQVRV 5 - Mates Masters"}) {
    EXPECT_EQ(desktop.ListImage(QString::fromLatin1(key)).size(), QSize(256, 256)) << key;
  }
}

TEST_F(FrontendImages, SmallIconsAndTreeImages) {
  const ImageList small(QStringLiteral("imlSmallIcons"));
  for (const char* key : {"smlref", "smlexam", "smlisgott", "smlliqgas", "smlbulk", "smlcodesafe", "smlstop",
                          "smlmedguide", "smlcontactlist", "smlBook", "closed", "open", "leaf"}) {
    ASSERT_TRUE(small.Exists(QString::fromLatin1(key))) << key;
    EXPECT_EQ(small.ListImage(QString::fromLatin1(key)).size(), QSize(16, 16)) << key;
  }
  // The small key is "sml" and the icon type, exactly: "smlbook" is not there.
  EXPECT_FALSE(small.Exists(QStringLiteral("smlbook")));
  EXPECT_FALSE(small.Exists(QStringLiteral("ref")));
}

TEST_F(FrontendImages, ListBackdropsAreLightBehindBlackText) {
  const ImageList panel(QStringLiteral("imlRightPanel"));
  for (const char* key : {"QVROOWBackdrop", "QVRMMBackdrop"}) {
    const QImage backdrop = panel.ListImage(QString::fromLatin1(key)).toImage();
    EXPECT_EQ(backdrop.size(), QSize(560, 420)) << key;
    EXPECT_FALSE(backdrop.hasAlphaChannel()) << key;
    // Black text keeps a contrast of at least 12:1 over every pixel.
    EXPECT_GE((testsupport::DarkestLuminance(backdrop) + 0.05) / 0.05, 12.0) << key;
  }
  // The two editions are told apart by their tone.
  EXPECT_NE(panel.ListImage(QStringLiteral("QVROOWBackdrop")).toImage(),
            panel.ListImage(QStringLiteral("QVRMMBackdrop")).toImage());
}

TEST_F(FrontendImages, WaitPicture) {
  const ImageList wait(QStringLiteral("frmWait"));
  EXPECT_EQ(wait.ListImage(QStringLiteral("wait")).size(), QSize(48, 48));
}

}  // namespace
