// The progress bar: its range rules and what its looks draw.
#include <gtest/gtest.h>

#include <QImage>

#include "platform/forms/ProgressBar.h"
#include "platform/values/VbError.h"

using platform::ProgressBar;

namespace {

int ErrorOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const platform::VbError& e) {
    return e.Number();
  }
  return 0;
}

TEST(ProgressBarTest, ValueMustLieWithinTheRange) {
  ProgressBar bar;
  bar.SetMin(0);
  bar.SetMax(135);
  bar.SetValue(135);
  EXPECT_EQ(bar.Value(), 135);
  EXPECT_EQ(ErrorOf([&] { bar.SetValue(136); }), 380);
  EXPECT_EQ(ErrorOf([&] { bar.SetValue(-1); }), 380);
  EXPECT_EQ(bar.Value(), 135);
  // An empty range is allowed (a test without questions); a reversed one is not.
  bar.SetMax(0);
  EXPECT_EQ(bar.Value(), 0);  // brought into the new range
  EXPECT_EQ(ErrorOf([&] { bar.SetMax(-5); }), 380);
  EXPECT_EQ(ErrorOf([&] { bar.SetMin(1); }), 380);
  EXPECT_EQ(ErrorOf([&] { bar.SetAppearance(2); }), 380);
  EXPECT_EQ(ErrorOf([&] { bar.SetBorderStyle(-1); }), 380);
}

TEST(ProgressBarTest, LooksDrawWhatTheyName) {
  ProgressBar bar;
  bar.resize(100, 17);
  bar.SetMax(100);
  const auto draw = [&] { return bar.grab().toImage(); };
  const QColor fill = bar.palette().color(QPalette::Highlight);

  bar.SetValue(50);
  bar.SetAppearance(ProgressBar::ccFlat);
  bar.SetBorderStyle(ProgressBar::ccNone);
  QImage flat = draw();
  // Filled blocks up to half the width, none beyond.
  EXPECT_EQ(flat.pixelColor(5, 8), fill);
  EXPECT_NE(flat.pixelColor(80, 8), fill);
  EXPECT_EQ(flat.pixelColor(0, 0), flat.pixelColor(99, 16));  // no edge of any kind

  bar.SetBorderStyle(ProgressBar::ccFixedSingle);
  QImage bordered = draw();
  EXPECT_LT(bordered.pixelColor(0, 8).lightness(), 60);
  EXPECT_LT(bordered.pixelColor(99, 8).lightness(), 60);

  bar.SetBorderStyle(ProgressBar::ccNone);
  bar.SetAppearance(ProgressBar::cc3D);
  QImage sunken = draw();
  // Shadow above and left, light below and right.
  EXPECT_LT(sunken.pixelColor(50, 0).lightness(), sunken.pixelColor(50, 16).lightness());
  EXPECT_LT(sunken.pixelColor(0, 8).lightness(), sunken.pixelColor(99, 8).lightness());

  bar.SetValue(0);
  EXPECT_NE(draw().pixelColor(5, 8), fill);
  bar.SetValue(100);
  EXPECT_EQ(draw().pixelColor(95, 8), fill);
}

}  // namespace
