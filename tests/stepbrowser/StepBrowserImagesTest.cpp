// The step browser's embedded pictures: edition backdrops and Exit faces,
// the log-on dialog's buttons and persons, the print-progress picture.
#include <gtest/gtest.h>

#include "ImageChecks.h"
#include "platform/forms/ImageList.h"

using platform::ImageList;

// The resource function lives in the global namespace.
static void RegisterPictures() { Q_INIT_RESOURCE(stepbrowser_images); }

namespace {

class StepBrowserImages : public ::testing::Test {
 protected:
  void SetUp() override { RegisterPictures(); }
};

TEST_F(StepBrowserImages, EditionBackdropsAndExitFaces) {
  for (const auto& [list, prefix] : {std::pair{"ilsOOW", "oow"}, std::pair{"ilsMM", "mm"}}) {
    const ImageList images(QString::fromLatin1(list));
    const QImage backdrop = images.ListImage(QString::fromLatin1(prefix) + "FormBackdrop").toImage();
    EXPECT_EQ(backdrop.size(), QSize(585, 420)) << list;
    EXPECT_GE((testsupport::DarkestLuminance(backdrop) + 0.05) / 0.05, 12.0) << list;
    EXPECT_EQ(images.ListImage(QString::fromLatin1(prefix) + "Exit").size(), QSize(72, 40)) << list;
  }
}

TEST_F(StepBrowserImages, LogOnDialogAndPrintWindow) {
  const ImageList logon(QStringLiteral("frmEnterBox"));
  for (const char* key : {"logonOK", "logonAdd", "logonConfirm"}) {
    EXPECT_EQ(logon.ListImage(QString::fromLatin1(key)).size(), QSize(40, 40)) << key;
  }
  const QImage assessor = logon.ListImage(QStringLiteral("imgCapt")).toImage();
  const QImage candidate = logon.ListImage(QStringLiteral("img3RD")).toImage();
  EXPECT_EQ(assessor.size(), QSize(48, 48));
  EXPECT_EQ(candidate.size(), QSize(48, 48));
  EXPECT_NE(assessor, candidate);
  EXPECT_EQ(ImageList(QStringLiteral("frmWait")).ListImage(QStringLiteral("printWait")).size(), QSize(48, 48));
}

}  // namespace
