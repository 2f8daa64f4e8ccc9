#include "shared/frmPicOverSize.h"

#include <QTest>

#include "PictureFixture.h"

using namespace platform;
using namespace shared;
using picturetest::PictureFixture;

namespace {

class PicOverSizeTest : public PictureFixture {
 protected:
  // A picture whose left half is red and right half green.
  static StdPicture Halves(int widthPx, int heightPx) {
    QImage image(widthPx, heightPx, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < heightPx; ++y)
      for (int x = widthPx / 2; x < widthPx; ++x) image.setPixelColor(x, y, Qt::green);
    return StdPicture(image);
  }
  frmPicOverSize& Open(std::int32_t height, std::int32_t width) {
    OpenPictureWindow(Halves(40, 30), height, width, &host(), host().picPicture);
    return frmPicOverSize::Instance();
  }
  struct State {
    std::int32_t picHeight, picWidth;
    double height, width, top, left;
  };
  State Now() {
    frmPicOverSize& w = frmPicOverSize::Instance();
    return {GLOBAL::OverSizePicHeight, GLOBAL::OverSizePicWidth, w.Height(), w.Width(), w.Top(), w.Left()};
  }
  void ExpectUnchanged(const State& before, const char* what) {
    const State after = Now();
    EXPECT_EQ(after.picHeight, before.picHeight) << what;
    EXPECT_EQ(after.picWidth, before.picWidth) << what;
    EXPECT_EQ(after.height, before.height) << what;
    EXPECT_EQ(after.width, before.width) << what;
  }
  // The window's size with its frame, as the zoom sets it.
  static double OuterHeight(frmPicOverSize& w) { return w.Height() + w.FrameExtraHeight(); }
  static double OuterWidth(frmPicOverSize& w) { return w.Width() + w.FrameExtraWidth(); }
  void ExpectImageFillsTheWindow(frmPicOverSize& w) {
    EXPECT_EQ(Left(w.imgOverSizePic), 0);
    EXPECT_EQ(Top(w.imgOverSizePic), 0);
    EXPECT_EQ(w.imgOverSizePic->width(), w.Client()->width());
    EXPECT_EQ(w.imgOverSizePic->height(), w.Client()->height());
  }
};

TEST_F(PicOverSizeTest, OpeningSizesTheWindowToThePictureByScreenFractions) {
  host().picPicture->show();
  frmPicOverSize& w = Open(3000, 4000);
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(host().picPicture->Visible());  // the small picture is hidden
  EXPECT_EQ(w.parentWidget(), &host());
  EXPECT_TRUE(w.isWindow());
  EXPECT_EQ(w.Caption(), QStringLiteral(" Illustration / Diagram"));
  EXPECT_EQ(w.imgOverSizePic->ToolTipText(), QStringLiteral("Image resizable with mouse or left-click (Shift/Ctrl/Alt)"));
  // The client area is the picture's size; the frame's right edge is at
  // 98% of the screen.
  EXPECT_EQ(w.Height(), 3000);
  EXPECT_EQ(w.Top(), 230.4);
  EXPECT_EQ(w.Width(), 4000);
  EXPECT_EQ(w.Left(), 15052.8 - 4000 - w.FrameExtraWidth());
  EXPECT_EQ(GLOBAL::OverSizeWindowSized, -1);
  ExpectImageFillsTheWindow(w);
  EXPECT_EQ(w.imgOverSizePic->size(), QSize(267, 200));

  // The picture shows at its own size, pixel for pixel.
  w.Hide();
  const StdPicture picture = Halves(40, 30);
  OpenPictureWindow(picture, 30 * 15, 40 * 15, &host(), nullptr);
  EXPECT_EQ(w.grab().toImage().convertToFormat(QImage::Format_RGB32), picture.Image().convertToFormat(QImage::Format_RGB32));
}

TEST_F(PicOverSizeTest, TheFrameTheWindowManagerReportsIsCountedOutsideThePicture) {
  // A frame of 2 pixels across and 25 down (borders and caption).
  const double frameWidth = 30, frameHeight = 375;
  auto p = frmPicOverSize::FirstSizing(15360, 11520, 4000, 3000, frameWidth, frameHeight);
  EXPECT_EQ(p.clientWidth, 4000);
  EXPECT_EQ(p.clientHeight, 3000);
  EXPECT_EQ(p.top, 230.4);
  EXPECT_EQ(p.right, 15052.8);  // the frame's right edge: left = 15052.8 - 4030
  // A picture beyond the screen's shares gets them, frame included.
  p = frmPicOverSize::FirstSizing(15360, 11520, 16000, 12000, frameWidth, frameHeight);
  EXPECT_EQ(p.clientWidth, 0.96 * 15360 - 30);
  EXPECT_EQ(p.clientHeight, 0.93 * 11520 - 375);
  // The shares are the picture's limits: at exactly 93% and 96% it still
  // shows at its own size.
  p = frmPicOverSize::FirstSizing(15360, 11520, 0.96 * 15360, 0.93 * 11520, frameWidth, frameHeight);
  EXPECT_EQ(p.clientWidth, 0.96 * 15360);
  EXPECT_EQ(p.clientHeight, 0.93 * 11520);
}

TEST_F(PicOverSizeTest, APictureLargerThanTheScreenGetsMostOfTheScreen) {
  frmPicOverSize& w = Open(12000, 16000);
  EXPECT_EQ(w.Height() + w.FrameExtraHeight(), 0.93 * 11520);
  EXPECT_EQ(w.Top(), 0.01 * 11520);
  EXPECT_EQ(w.Width() + w.FrameExtraWidth(), 0.96 * 15360);
  EXPECT_DOUBLE_EQ(w.Left(), 0.99 * 15360 - 0.96 * 15360);
  ExpectImageFillsTheWindow(w);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 12000);  // the window's size is not the picture's
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 16000);
}

TEST_F(PicOverSizeTest, LaterResizesAndActivationsOnlyStretchThePicture) {
  frmPicOverSize& w = Open(3000, 4000);
  w.SetWidth(6000);
  w.SetHeight(5000);
  QApplication::processEvents();
  EXPECT_EQ(w.Width(), 6000);
  EXPECT_EQ(w.Height(), 5000);
  EXPECT_EQ(w.Left(), 11052.8 - w.FrameExtraWidth());
  EXPECT_EQ(GLOBAL::OverSizeWindowSized, -1);
  ExpectImageFillsTheWindow(w);
  w.SetFocus();  // an activation of a sized window
  EXPECT_EQ(w.Width(), 6000);
  EXPECT_EQ(w.Height(), 5000);

  // The picture is drawn over the whole client area.
  const QImage shown = w.grab().toImage();
  EXPECT_EQ(shown.size(), QSize(400, 333));
  EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(190, 320), QColor(Qt::red));
  EXPECT_EQ(shown.pixelColor(210, 10), QColor(Qt::green));
  EXPECT_EQ(shown.pixelColor(395, 328), QColor(Qt::green));

  // The next opening sizes it afresh.
  w.Hide();
  Open(1500, 1500);
  EXPECT_EQ(w.Height(), 1500);
  EXPECT_EQ(w.Width(), 1500);
  EXPECT_EQ(w.Left(), 0.98 * 15360 - 1500 - w.FrameExtraWidth());
}

TEST_F(PicOverSizeTest, LeftAndMiddleClicksZoomByTheKeysHeld) {
  frmPicOverSize& w = Open(3000, 4000);
  const double top = w.Top(), left = w.Left();
  w.imgOverSizePic_MouseDown(1, 0, 10, 10);  // plain: 0.75
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 2250);
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 3000);
  EXPECT_EQ(OuterHeight(w), 2650);  // + 400
  EXPECT_EQ(OuterWidth(w), 2875);   // - 125, where the first sizing added 125
  EXPECT_EQ(w.Top(), top);
  EXPECT_EQ(w.Left(), left);
  EXPECT_EQ(GLOBAL::OverSizeWindowSized, -1);
  ExpectImageFillsTheWindow(w);

  w.imgOverSizePic_MouseDown(4, 4, 0, 0);  // middle with Alt: 2.0
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 4500);
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 6000);
  EXPECT_EQ(OuterHeight(w), 4900);
  EXPECT_EQ(OuterWidth(w), 5875);

  w.imgOverSizePic_MouseDown(1, 2, 0, 0);  // Ctrl: 0.5
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 2250);
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 3000);

  w.imgOverSizePic_MouseDown(1, 1, 0, 0);  // Shift: 1.3333333
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 3000);  // 2999.999925
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 4000);   // 3999.9999
  w.imgOverSizePic_MouseDown(1, 1, 0, 0);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 4000);  // 3999.9999
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 5333);   // 5333.3332
  EXPECT_EQ(OuterHeight(w), 4400);
  EXPECT_EQ(OuterWidth(w), 5208);
}

TEST_F(PicOverSizeTest, ZoomedSizesRoundHalvesToEven) {
  Open(3002, 3006);
  frmPicOverSize& w = frmPicOverSize::Instance();
  w.imgOverSizePic_MouseDown(1, 0, 0, 0);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 2252);  // 2251.5
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 2254);   // 2254.5
  GLOBAL::OverSizePicHeight = 4001;
  GLOBAL::OverSizePicWidth = 4003;
  w.imgOverSizePic_MouseDown(1, 2, 0, 0);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 2000);  // 2000.5
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 2002);   // 2001.5
}

TEST_F(PicOverSizeTest, SomeClicksLeaveTheWindowAsItIs) {
  frmPicOverSize& w = Open(3000, 4000);
  const State start = Now();
  w.imgOverSizePic_MouseDown(2, 0, 0, 0);
  ExpectUnchanged(start, "right button");
  w.imgOverSizePic_MouseDown(2, 4, 0, 0);
  ExpectUnchanged(start, "right button with Alt");
  for (int keys : {3, 5, 6, 7}) {
    w.imgOverSizePic_MouseDown(1, keys, 0, 0);
    ExpectUnchanged(start, "two or three keys");
    w.imgOverSizePic_MouseDown(4, keys, 0, 0);
    ExpectUnchanged(start, "two or three keys, middle button");
  }
  // Only the low three bits count.
  w.imgOverSizePic_MouseDown(1, 8 | 4, 0, 0);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 6000);
}

TEST_F(PicOverSizeTest, NoZoomWhileMaximisedOrMinimised) {
  frmPicOverSize& w = Open(3000, 4000);
  w.SetWindowState(vbMaximized);
  w.imgOverSizePic_MouseDown(1, 0, 0, 0);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 3000);
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 4000);
  w.SetWindowState(vbMinimized);
  w.imgOverSizePic_MouseDown(1, 4, 0, 0);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 3000);
  w.SetWindowState(vbNormal);
  w.imgOverSizePic_MouseDown(1, 4, 0, 0);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 6000);
}

TEST_F(PicOverSizeTest, RepeatedZoomsKeepTheWindowAValidSize) {
  frmPicOverSize& w = Open(3000, 4000);
  // Ctrl-clicks halve until a size would fall below one pixel: the click
  // that would make the height 12 twips is ignored.
  for (int i = 0; i < 30; ++i) w.imgOverSizePic_MouseDown(1, 2, 0, 0);
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 24);
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 31);
  EXPECT_EQ(OuterHeight(w), 424);
  EXPECT_EQ(w.Width(), 15);  // 31 - 125 would be negative
  EXPECT_GE(w.width(), 1);

  // Alt-clicks double until a size would pass 32767 pixels; the window stays
  // within the screen meanwhile.
  GLOBAL::OverSizePicHeight = 3000;
  GLOBAL::OverSizePicWidth = 4000;
  for (int i = 0; i < 30; ++i) {
    w.imgOverSizePic_MouseDown(1, 4, 0, 0);
    EXPECT_LE(OuterHeight(w), 11520);
    EXPECT_LE(OuterWidth(w), 15360);
  }
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 3000 * 64);
  EXPECT_EQ(GLOBAL::OverSizePicWidth, 4000 * 64);
  EXPECT_EQ(OuterHeight(w), 11520);
  EXPECT_EQ(OuterWidth(w), 15360);
  ExpectImageFillsTheWindow(w);
  // And comes back down from there.
  for (int i = 0; i < 6; ++i) w.imgOverSizePic_MouseDown(1, 2, 0, 0);
  EXPECT_EQ(OuterHeight(w), 3400);
  EXPECT_EQ(OuterWidth(w), 3875);
}

TEST_F(PicOverSizeTest, AClickOnTheWindowZoomsThroughTheImagesMouseEvent) {
  frmPicOverSize& w = Open(3000, 4000);
  QTest::mousePress(w.imgOverSizePic, Qt::LeftButton, Qt::AltModifier, QPoint(10, 10));
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 6000);
  QTest::mousePress(w.imgOverSizePic, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 6000);
  QTest::mousePress(w.imgOverSizePic, Qt::MiddleButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(GLOBAL::OverSizePicHeight, 4500);
}

TEST_F(PicOverSizeTest, TheWindowGoesWithItsOwnerAndIsMadeAfreshAfterwards) {
  Open(3000, 4000);
  QPointer<frmPicOverSize> first(&frmPicOverSize::Instance());
  EXPECT_TRUE(frmPicOverSize::Visible());
  first->Unload();
  EXPECT_FALSE(frmPicOverSize::Visible());
  EXPECT_FALSE(first->IsLoaded());
  Open(3000, 4000);  // loaded again on use
  EXPECT_TRUE(first->IsLoaded());
  EXPECT_TRUE(frmPicOverSize::Visible());
  TearDownHost();
  EXPECT_TRUE(first.isNull());
  EXPECT_FALSE(frmPicOverSize::Visible());
  OpenPictureWindow(Halves(4, 4), 60, 60, nullptr, nullptr);
  EXPECT_TRUE(frmPicOverSize::Visible());
  EXPECT_EQ(frmPicOverSize::Instance().Height(), 60);
}

}  // namespace
