#include "platform/forms/UpDown.h"

#include <QKeyEvent>
#include <algorithm>
#include <QToolButton>

#include "platform/values/VbError.h"

namespace platform {

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  auto make = [this](Qt::ArrowType arrow, int towardsMax) {
    auto* b = new QToolButton(this);
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::pressed, this, [this] { setFocus(Qt::MouseFocusReason); });
    // clicked comes once per click and once per repeat while held.
    connect(b, &QToolButton::clicked, this, [this, towardsMax] { Step(towardsMax); });
    return b;
  };
  up_ = make(Qt::UpArrow, 1);
  down_ = make(Qt::DownArrow, -1);
  up_->setObjectName(QStringLiteral("up"));
  down_->setObjectName(QStringLiteral("down"));
}

void UpDown::SetMin(int min) {
  min_ = min;
  Store(std::clamp(value_, Low(), High()));
}

void UpDown::SetMax(int max) {
  max_ = max;
  Store(std::clamp(value_, Low(), High()));
}

void UpDown::SetValue(int value) {
  if (value < Low() || value > High()) Raise(err::InvalidPropertyValue);
  Store(value);
}

void UpDown::Step(int towardsMax) {
  const int direction = max_ >= min_ ? towardsMax : -towardsMax;
  const long next = static_cast<long>(value_) + direction;
  if (next < Low() || next > High()) return;
  Store(static_cast<int>(next));
}

void UpDown::Store(int value) {
  if (value == value_) return;
  value_ = value;
  if (Change) Change();
}

void UpDown::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up) Step(1);
  else if (event->key() == Qt::Key_Down) Step(-1);
  else QWidget::keyPressEvent(event);
}

void UpDown::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int half = height() / 2;
  up_->setGeometry(0, 0, width(), half);
  down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace platform
