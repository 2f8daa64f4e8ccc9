#include "platform/forms/ProgressBar.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/values/VbError.h"

namespace platform {

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {}

void ProgressBar::SetMin(double min) {
  if (!std::isfinite(min) || min > max_) Raise(err::InvalidPropertyValue);
  min_ = min;
  value_ = std::max(value_, min_);
  update();
}

void ProgressBar::SetMax(double max) {
  if (!std::isfinite(max) || max < min_) Raise(err::InvalidPropertyValue);
  max_ = max;
  value_ = std::min(value_, max_);
  update();
}

void ProgressBar::SetValue(double value) {
  if (!(value >= min_ && value <= max_)) Raise(err::InvalidPropertyValue);
  value_ = value;
  update();
}

void ProgressBar::SetAppearance(int appearance) {
  if (appearance != ccFlat && appearance != cc3D) Raise(err::InvalidPropertyValue);
  appearance_ = appearance;
  update();
}

void ProgressBar::SetBorderStyle(int style) {
  if (style != ccNone && style != ccFixedSingle) Raise(err::InvalidPropertyValue);
  borderStyle_ = style;
  update();
}

void ProgressBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QRect r = rect();
  p.fillRect(r, QColor(246, 246, 246));
  if (borderStyle_ == ccFixedSingle) {
    p.setPen(QColor(40, 40, 40));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);
  }
  if (appearance_ == cc3D) {
    // A sunken edge: shadow above and left, light below and right.
    p.setPen(QColor(128, 128, 128));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(Qt::white);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    r.adjust(1, 1, -1, -1);
  }
  r.adjust(1, 1, -1, -1);
  if (r.width() <= 0 || r.height() <= 0 || max_ <= min_) return;
  const int filled = static_cast<int>(std::lround(r.width() * (value_ - min_) / (max_ - min_)));
  const int block = std::max(3, r.height() * 2 / 3);
  const QColor colour = palette().color(QPalette::Highlight);
  for (int x = 0; x < filled; x += block + 2)
    p.fillRect(QRect(r.left() + x, r.top(), std::min(block, filled - x), r.height()), colour);
}

}  // namespace platform
