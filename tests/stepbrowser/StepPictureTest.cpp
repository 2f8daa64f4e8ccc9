// Step pictures in Varnok's window (in the band above the text, through the
// image for the 6701-6899 twip class, or in the picture window), placed again
// after a resize, and the font-size menu on the step text.
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

#include "StepTables.h"
#include "platform/forms/Twips.h"
#include "shared/frmPicOverSize.h"

using namespace stepbrowser;
using platform::Variant;

namespace {

class StepPictures : public steptables::BrowserTest {
 protected:
  void TearDown() override {
    BrowserTest::TearDown();  // the main window takes its picture window with it
    delete &shared::frmPicOverSize::Instance();
  }
  // A picture of this pixel size in the db folder.
  void WritePicture(const QString& name, int widthPx, int heightPx) {
    QImage image(widthPx, heightPx, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    ASSERT_TRUE(image.save(AppFolder() + QStringLiteral("/db/") + name, "PNG"));
  }
  // Steps 1 .. n of table "Radar" with pictures "radar_<ID>".
  void StartWith(int n) {
    training->AddStepTable(QStringLiteral("Radar"), Variant("Radar plotting"), steptables::NumberedSteps(n),
                           Variant("radar"));
    ASSERT_TRUE(Start(QStringLiteral("Radar")));
  }
  bool WindowShown() const { return shared::frmPicOverSize::Visible(); }
};

TEST_F(StepPictures, PictureCentredInTheBandAboveTheText) {
  WritePicture(QStringLiteral("radar_1"), 200, 100);  // 3000 x 1500 twips
  StartWith(2);
  EXPECT_EQ(form->ShownPictureName, QStringLiteral("radar_1"));
  EXPECT_TRUE(form->picPicture->isVisible());
  EXPECT_FALSE(form->imgPicture->isVisible());
  EXPECT_FALSE(WindowShown());
  EXPECT_DOUBLE_EQ(platform::Top(form->picPicture), (5133 - 1500) / 2.0);
  EXPECT_DOUBLE_EQ(platform::Left(form->picPicture), (11715 - 3000) / 2.0);
  EXPECT_TRUE(responder.boxes.empty());
  // The next step has no file: nothing shows and nothing is said.
  form->updStep->SetValue(2);
  EXPECT_EQ(form->ShownPictureName, QStringLiteral("radar_2"));
  EXPECT_FALSE(form->picPicture->isVisible());
  EXPECT_FALSE(form->imgPicture->isVisible());
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(StepPictures, NoPictureMarkerShowsNothing) {
  training->AddStepTable(QStringLiteral("Plain"), Variant("Plain"), steptables::NumberedSteps(2));
  ASSERT_TRUE(Start(QStringLiteral("Plain")));
  EXPECT_EQ(form->ShownPictureName, kNoPicture);
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("Step text 1"));
  EXPECT_FALSE(form->picPicture->isVisible());
  EXPECT_FALSE(form->imgPicture->isVisible());
  EXPECT_FALSE(WindowShown());
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(StepPictures, SizeClassShowsThroughTheImage) {
  WritePicture(QStringLiteral("radar_1"), 453, 453);  // 6795 twips each way
  StartWith(1);
  EXPECT_TRUE(form->imgPicture->isVisible());
  EXPECT_FALSE(form->picPicture->isVisible());
  EXPECT_DOUBLE_EQ(platform::Width(form->imgPicture), 4560);
  EXPECT_DOUBLE_EQ(platform::Height(form->imgPicture), 4560);
  EXPECT_DOUBLE_EQ(platform::Top(form->imgPicture), (5133 - 4560) / 2.0);
  EXPECT_DOUBLE_EQ(platform::Left(form->imgPicture), (11715 - 4560) / 2.0);
}

TEST_F(StepPictures, TooLargeGoesToThePictureWindowUntilTheNextStep) {
  WritePicture(QStringLiteral("radar_2"), 200, 400);  // 6000 twips high: above the 5133 band
  WritePicture(QStringLiteral("radar_3"), 800, 100);  // 12000 twips wide: beyond 11481
  StartWith(4);
  form->updStep->SetValue(2);
  ASSERT_TRUE(WindowShown());
  EXPECT_EQ(shared::GLOBAL::OverSizePicHeight, 6000);
  EXPECT_EQ(shared::GLOBAL::OverSizePicWidth, 3000);
  EXPECT_FALSE(form->picPicture->isVisible());
  EXPECT_EQ(shared::frmPicOverSize::Instance().parentWidget(), form.get());

  form->updStep->SetValue(3);
  ASSERT_TRUE(WindowShown());
  EXPECT_EQ(shared::GLOBAL::OverSizePicWidth, 12000);

  form->updStep->SetValue(4);  // no picture: the window goes
  EXPECT_FALSE(WindowShown());
  EXPECT_FALSE(form->picPicture->isVisible());
}

TEST_F(StepPictures, TooLargeFirstPictureGetsTheFocusAtStart) {
  WritePicture(QStringLiteral("radar_1"), 200, 400);
  StartWith(2);
  ASSERT_TRUE(WindowShown());
  // Given the focus, the window has sized itself to the picture.
  EXPECT_EQ(shared::GLOBAL::OverSizeWindowSized, -1);
  EXPECT_DOUBLE_EQ(shared::frmPicOverSize::Instance().Height(), 6000);  // the picture's own height
  // The window is unloaded with the main window's unload.
  EXPECT_THROW(form->Unload(), platform::ProgramEnded);
  EXPECT_FALSE(WindowShown());
  EXPECT_FALSE(shared::frmPicOverSize::Instance().IsLoaded());
}

TEST_F(StepPictures, ResizePlacesTheShownPictureAgain) {
  WritePicture(QStringLiteral("radar_1"), 200, 100);
  WritePicture(QStringLiteral("radar_2"), 200, 400);
  StartWith(2);
  form->SetWidth(15000);
  QCoreApplication::processEvents();
  EXPECT_DOUBLE_EQ(platform::Left(form->picPicture), (15000 - 3000) / 2.0);
  EXPECT_TRUE(form->picPicture->isVisible());

  // Too high for this window, in the band of a taller one.
  form->updStep->SetValue(2);
  ASSERT_TRUE(WindowShown());
  form->SetHeight(12000);  // band: 0.62 x 12000 - 120 = 7320
  QCoreApplication::processEvents();
  EXPECT_EQ(form->UpperAreaHeight, 7320);
  EXPECT_FALSE(WindowShown());
  EXPECT_TRUE(form->picPicture->isVisible());
  EXPECT_DOUBLE_EQ(platform::Top(form->picPicture), (7320 - 6000) / 2.0);
}

TEST_F(StepPictures, NoPicturePlacedBeforeTheFirstStep) {
  WritePicture(QStringLiteral("radar_1"), 200, 100);
  training->AddStepTable(QStringLiteral("Radar"), Variant("Radar plotting"), steptables::NumberedSteps(1),
                         Variant("radar"));
  GLOBAL::CommandLine = QStringLiteral("Radar");
  form = std::make_unique<frmMain>();
  form->Load();
  form->SetWidth(13000);
  form->SetHeight(9000);
  QCoreApplication::sendPostedEvents();
  form->resize(form->size());  // the layout runs with no step shown
  EXPECT_TRUE(form->ShownPictureName.isEmpty());
  EXPECT_FALSE(form->picPicture->isVisible());
}

TEST_F(StepPictures, RightButtonOnThePictureOpensTheWindow) {
  WritePicture(QStringLiteral("radar_1"), 200, 100);
  StartWith(1);
  QTest::mouseClick(form->picPicture, Qt::LeftButton);
  EXPECT_FALSE(WindowShown());
  EXPECT_TRUE(form->picPicture->isVisible());
  QTest::mouseClick(form->picPicture, Qt::RightButton);
  ASSERT_TRUE(WindowShown());
  EXPECT_FALSE(form->picPicture->isVisible());
  EXPECT_EQ(shared::GLOBAL::OverSizePicHeight, 1500);
  EXPECT_EQ(shared::GLOBAL::OverSizePicWidth, 3000);
}

// Releases a mouse button over the step text; when the menu opens, records
// its title and items and picks `choice` (nothing when empty).
struct MenuVisit {
  bool opened = false;
  QString title;
  QStringList items;
};
MenuVisit ReleaseOverText(frmMain& form, Qt::MouseButton button, const QString& choice) {
  MenuVisit visit;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    visit.opened = true;
    visit.title = menu->title();
    for (QAction* a : menu->actions()) {
      visit.items << a->text();
      if (a->text() == choice) a->trigger();
    }
    menu->close();
  });
  QTest::mouseClick(form.rtfAnswer->viewport(), button, {}, QPoint(40, 20));
  QCoreApplication::processEvents();
  return visit;
}

TEST_F(StepPictures, FontSizeMenuOnTheStepTextHoldsAcrossSteps) {
  training->AddStepTable(QStringLiteral("Plain"), Variant("Plain"), steptables::NumberedSteps(3));
  ASSERT_TRUE(Start(QStringLiteral("Plain")));
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

  EXPECT_FALSE(ReleaseOverText(*form, Qt::LeftButton, QString()).opened);
  const MenuVisit visit = ReleaseOverText(*form, Qt::RightButton, QStringLiteral("Big font size"));
  ASSERT_TRUE(visit.opened);
  EXPECT_EQ(visit.title, QStringLiteral("Pop up menu"));
  EXPECT_EQ(visit.items, (QStringList{"Increase font size", "Decrease font size", "Normal font size",
                                      "Big font size"}));
  EXPECT_EQ(GLOBAL::TextFontSize, 14);
  EXPECT_DOUBLE_EQ(form->rtfAnswer->FontSize(), 14);

  QTest::mouseClick(form->updStep->UpArrow(), Qt::LeftButton);
  EXPECT_EQ(form->rtfAnswer->Text(), QStringLiteral("Step text 2"));
  form->rtfAnswer->SetSelLength(1000);
  EXPECT_EQ(form->rtfAnswer->SelFontSize(), 14.0);

  ReleaseOverText(*form, Qt::RightButton, QStringLiteral("Decrease font size"));
  EXPECT_EQ(GLOBAL::TextFontSize, 12);
  form->updStep->SetValue(3);
  form->rtfAnswer->SetSelLength(1000);
  EXPECT_EQ(form->rtfAnswer->SelFontSize(), 12.0);
}

}  // namespace
