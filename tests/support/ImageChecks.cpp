#include "ImageChecks.h"

#include <QTest>
#include <QWidget>
#include <QtMath>
#include <algorithm>

namespace testsupport {

namespace {
double Linear(double channel) {
  return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}
}  // namespace

double DarkestLuminance(const QImage& image) {
  double darkest = 1.0;
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < rgb.height(); ++y) {
    for (int x = 0; x < rgb.width(); ++x) {
      const QColor c = rgb.pixelColor(x, y);
      const double l = 0.2126 * Linear(c.redF()) + 0.7152 * Linear(c.greenF()) + 0.0722 * Linear(c.blueF());
      darkest = std::min(darkest, l);
    }
  }
  return darkest;
}

double ShareOf(const QImage& image, const std::function<bool(const QColor&)>& match) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  qint64 count = 0;
  for (int y = 0; y < argb.height(); ++y) {
    for (int x = 0; x < argb.width(); ++x) {
      if (match(argb.pixelColor(x, y))) ++count;
    }
  }
  return static_cast<double>(count) / (static_cast<double>(argb.width()) * argb.height());
}

bool ShowsKeyboardFocus(QWidget* control) {
  control->window()->activateWindow();
  if (!QTest::qWaitForWindowActive(control->window())) return false;
  control->clearFocus();
  const QImage without = control->grab().toImage();
  control->window()->setAttribute(Qt::WA_KeyboardFocusChange);
  control->setFocus(Qt::TabFocusReason);
  return control->hasFocus() && control->grab().toImage() != without;
}

}  // namespace testsupport
