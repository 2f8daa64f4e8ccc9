// The question window's pictures and its font-size menu: the picture of
// each part in the band above the question box, the placeholder for a
// missing one, the layout placing it again, the mouse bringing it back, the
// picture window and its end with the question; the pop-up menu on the
// question box.
#include <QImage>
#include <QMenu>

#include "QandAFixture.h"
#include "platform/forms/Twips.h"
#include "shared/frmPicOverSize.h"

using namespace assessment;
using namespace qanda;

namespace {

class QuestionPictureTest : public QandAFixture {
 protected:
  void SetUp() override {
    QandAFixture::SetUp();
    shared::GLOBAL::OverSizeWindowSized = 0;
  }
  void TearDown() override {
    if (shared::frmPicOverSize::Visible()) shared::frmPicOverSize::Instance().hide();
    QandAFixture::TearDown();
  }

  // A picture file of the data folder, without an extension.
  void WritePicture(const QString& name, QSize pixels, QColor colour = QColor(30, 90, 160)) {
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(db->AppFolder() + QStringLiteral("/db/") + name, "PNG"));
  }

  // One two-part question whose table has question pictures named "nav".
  void MakePictureTest() {
    db->CreateResults({{"ABOS", platform::ColumnType::Integer}});
    db->AddTest(Variant("T1"), Variant("Deck4"), {Variant(1)});
    db->CreateTraining();
    db->AddQuestionTable(QStringLiteral("ABOS"), QStringLiteral("Navigation"), 2,
                         {{Variant(4), Variant("Which light is this?"), Variant("A sector light."),
                           Variant("And its colour to port?"), Variant("Red.")}},
                         true, false, Variant("nav"));
  }
};

TEST_F(QuestionPictureTest, PartPictureShowsInTheBandAboveTheQuestion) {
  MakePictureTest();
  WritePicture(QStringLiteral("nav_Q1_4"), QSize(100, 80));
  ASSERT_TRUE(LoadWith());
  EXPECT_EQ(form->ShownPictureName, QStringLiteral("nav_Q1_4"));
  EXPECT_TRUE(form->picPicture->isVisible());
  EXPECT_FALSE(form->imgNoImage->isVisible());
  // 1500 x 1200 twips, centred in the band of 4208 twips above the box.
  EXPECT_EQ(platform::Width(form->picPicture), 1500);
  EXPECT_EQ(platform::Top(form->picPicture), (4208 - 1200) / 2);
  EXPECT_EQ(platform::Left(form->picPicture), (11715 - 1500) / 2.0);
  EXPECT_TRUE(responder.boxes.empty());

  // The second part has no picture of its own: the first part's stands in.
  form->cmdCorrect_Click();
  EXPECT_EQ(form->ShownPictureName, QStringLiteral("nav_Q2_4"));
  EXPECT_TRUE(form->picPicture->isVisible());
  EXPECT_EQ(platform::Width(form->picPicture), 1500);

  // A larger window: the layout places the picture again in the new band.
  form->SetHeight(10500);
  EXPECT_EQ(form->UpperAreaHeight, 5250);
  EXPECT_EQ(platform::Top(form->picPicture), (5250 - 1200) / 2);
}

TEST_F(QuestionPictureTest, MissingPictureShowsThePlaceholderWithoutAMessage) {
  MakePictureTest();
  ASSERT_TRUE(LoadWith());
  EXPECT_EQ(form->ShownPictureName, QStringLiteral("nav_Q1_4"));
  EXPECT_TRUE(form->imgNoImage->isVisible());
  EXPECT_FALSE(form->picPicture->isVisible());
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(QuestionPictureTest, QuestionWithoutPictureShowsThePlaceholder) {
  MakeSimpleTest(2);
  ASSERT_TRUE(LoadWith());
  EXPECT_TRUE(form->ShownPictureName.isEmpty());
  EXPECT_TRUE(form->imgNoImage->isVisible());
  EXPECT_FALSE(form->picPicture->isVisible());
}

TEST_F(QuestionPictureTest, MouseBackOnTheQuestionShowsThePictureOnce) {
  MakePictureTest();
  WritePicture(QStringLiteral("nav_Q1_4"), QSize(100, 80));
  ASSERT_TRUE(LoadWith());
  form->picPicture->hide();
  form->rtfQuestion_MouseMove(0, 0, 10, 10);
  EXPECT_TRUE(form->picPicture->isVisible());
  EXPECT_TRUE(form->QuestionShown);
  // Further moves inside the box leave it as it is.
  form->picPicture->hide();
  form->rtfQuestion_MouseMove(0, 0, 20, 20);
  EXPECT_FALSE(form->picPicture->isVisible());
  // Out over the answer and back: shown again.
  form->rtfAnswer_MouseMove(0, 0, 10, 10);
  form->rtfQuestion_MouseMove(0, 0, 10, 10);
  EXPECT_TRUE(form->picPicture->isVisible());
}

TEST_F(QuestionPictureTest, PictureWindowOpensOnARightClickAndGoesWithTheQuestion) {
  MakePictureTest();
  WritePicture(QStringLiteral("nav_Q1_4"), QSize(100, 80));
  ASSERT_TRUE(LoadWith());
  form->picPicture_MouseDown(1, 0, 5, 5);
  EXPECT_FALSE(shared::frmPicOverSize::Visible());
  form->picPicture_MouseDown(2, 0, 5, 5);
  ASSERT_TRUE(shared::frmPicOverSize::Visible());
  EXPECT_FALSE(form->picPicture->isVisible());
  EXPECT_EQ(shared::GLOBAL::OverSizePicHeight, 1200);
  EXPECT_EQ(shared::GLOBAL::OverSizePicWidth, 1500);
  // The next part hides it.
  form->cmdCorrect_Click();
  EXPECT_FALSE(shared::frmPicOverSize::Visible());
  // Open again, the end of the program unloads it.
  form->picPicture_MouseDown(4, 0, 5, 5);
  ASSERT_TRUE(shared::frmPicOverSize::Visible());
  QPointer<shared::frmPicOverSize> window = &shared::frmPicOverSize::Instance();
  EXPECT_TRUE(Ends([&] { form->Unload(); }));
  EXPECT_TRUE(!window || !window->IsLoaded());
  EXPECT_FALSE(shared::frmPicOverSize::Visible());
}

TEST_F(QuestionPictureTest, PictureTooWideForTheWindowGoesToThePictureWindow) {
  MakePictureTest();
  WritePicture(QStringLiteral("nav_Q1_4"), QSize(800, 100));  // 12000 twips: wider than the band
  ASSERT_TRUE(LoadWith());
  EXPECT_FALSE(form->picPicture->isVisible());
  EXPECT_TRUE(shared::frmPicOverSize::Visible());
  EXPECT_EQ(shared::GLOBAL::OverSizePicWidth, 12000);
}

TEST_F(QuestionPictureTest, RightButtonReleaseOnTheQuestionOpensTheFontSizeMenu) {
  MakeSimpleTest(2);
  ASSERT_TRUE(LoadWith());
  EXPECT_EQ(form->mnuAction->mnuAction()->title(), QStringLiteral("PopUp Action"));
  // Left releases open nothing.
  form->rtfQuestion_MouseUp(1, 0, 10, 10);
  bool opened = false;
  QTimer::singleShot(0, form.get(), [&] {
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    opened = menu == form->mnuAction->mnuAction();
    if (menu) {
      menu->setActiveAction(form->mnuAction->mnuActionBig());
      form->mnuAction->mnuActionBig()->trigger();
      menu->close();
    }
  });
  form->rtfQuestion_MouseUp(2, 0, 10, 10);
  EXPECT_TRUE(opened);
  EXPECT_EQ(GLOBAL::TextFontSize, 14);
  EXPECT_EQ(form->rtfQuestion->FontSize(), 14);
  EXPECT_EQ(form->rtfAnswer->FontSize(), 14);
  // The next question and its answer take the size.
  form->cmdCorrect_Click();
  form->rtfQuestion->SetSelStart(0);
  form->rtfQuestion->SetSelLength(5);
  EXPECT_EQ(form->rtfQuestion->SelFontSize(), std::optional<double>(14));
  form->rtfAnswer_MouseMove(0, 0, 10, 10);
  form->rtfAnswer->SetSelStart(0);
  form->rtfAnswer->SetSelLength(3);
  EXPECT_EQ(form->rtfAnswer->SelFontSize(), std::optional<double>(14));
}

}  // namespace
