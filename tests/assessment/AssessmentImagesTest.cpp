// The question window's embedded pictures for both editions: a backdrop the
// controls stay readable on, the "no picture" placeholder and the three
// judgement faces (green tick, red cross, pass arrow).
#include <gtest/gtest.h>

#include "ImageChecks.h"
#include "platform/forms/ImageList.h"

using platform::ImageList;

// The resource function lives in the global namespace.
static void RegisterPictures() { Q_INIT_RESOURCE(assessment_images); }

namespace {

struct Edition {
  const char* list;
  const char* prefix;
};
const Edition kEditions[] = {{"ilsOOW", "oow"}, {"ilsMM", "mm"}};

QString Key(const Edition& e, const char* name) { return QString::fromLatin1(e.prefix) + QString::fromLatin1(name); }

class AssessmentImages : public ::testing::Test {
 protected:
  void SetUp() override { RegisterPictures(); }
};

TEST_F(AssessmentImages, EachEditionHasItsFivePictures) {
  for (const Edition& e : kEditions) {
    const ImageList list(QString::fromLatin1(e.list));
    EXPECT_EQ(list.ListImage(Key(e, "FormBackground")).size(), QSize(585, 420)) << e.list;
    EXPECT_EQ(list.ListImage(Key(e, "NoImage")).size(), QSize(200, 150)) << e.list;
    for (const char* face : {"Correct", "Wrong", "Passed"}) {
      EXPECT_EQ(list.ListImage(Key(e, face)).size(), QSize(72, 40)) << e.list << face;
    }
  }
  // Each list holds its own edition's keys only.
  EXPECT_FALSE(ImageList(QStringLiteral("ilsOOW")).Exists(QStringLiteral("mmCorrect")));
  EXPECT_FALSE(ImageList(QStringLiteral("ilsMM")).Exists(QStringLiteral("oowCorrect")));
}

TEST_F(AssessmentImages, BackdropIsLightEnoughForTheControls) {
  for (const Edition& e : kEditions) {
    const QImage backdrop = ImageList(QString::fromLatin1(e.list)).ListImage(Key(e, "FormBackground")).toImage();
    EXPECT_GE((testsupport::DarkestLuminance(backdrop) + 0.05) / 0.05, 12.0) << e.list;
  }
}

TEST_F(AssessmentImages, JudgementFacesCarryTheirSigns) {
  const auto green = [](const QColor& c) { return c.alpha() > 200 && c.green() > c.red() + 60 && c.green() > c.blue() + 30; };
  const auto red = [](const QColor& c) { return c.alpha() > 200 && c.red() > 150 && c.green() < 80 && c.blue() < 80; };
  const auto navy = [](const QColor& c) { return c.alpha() > 200 && c.blue() > c.red() + 40 && c.blue() < 140; };
  for (const Edition& e : kEditions) {
    const ImageList list(QString::fromLatin1(e.list));
    const QImage correct = list.ListImage(Key(e, "Correct")).toImage();
    const QImage wrong = list.ListImage(Key(e, "Wrong")).toImage();
    const QImage passed = list.ListImage(Key(e, "Passed")).toImage();
    // A sign covers a good part of its face and appears on no other face.
    EXPECT_GT(testsupport::ShareOf(correct, green), 0.05) << e.list;
    EXPECT_GT(testsupport::ShareOf(wrong, red), 0.05) << e.list;
    EXPECT_GT(testsupport::ShareOf(passed, navy), 0.05) << e.list;
    EXPECT_LT(testsupport::ShareOf(wrong, green), 0.005) << e.list;
    EXPECT_LT(testsupport::ShareOf(correct, red), 0.005) << e.list;
    EXPECT_LT(testsupport::ShareOf(passed, green) + testsupport::ShareOf(passed, red), 0.005) << e.list;
  }
}

}  // namespace
