#include "platform/forms/UpDown.h"

#include <QKeyEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>
#include <algorithm>

#include "platform/values/VbError.h"

namespace platform {

// The keyboard focus is the control's, not an arrow's: the style's focus
// frame is drawn over both arrows, and the mouse reaches them through it.
class UpDown::FocusMark : public QWidget {
 public:
  explicit FocusMark(UpDown* owner) : QWidget(owner), owner_(owner) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!owner_->hasFocus()) return;
    QStyleOptionFocusRect option;
    option.initFrom(owner_);
    option.backgroundColor = owner_->palette().color(QPalette::Button);
    QStylePainter(this).drawPrimitive(QStyle::PE_FrameFocusRect, option);
  }

 private:
  UpDown* owner_;
};

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
  mark_ = new FocusMark(this);  // made last, so it lies above the arrows
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
  mark_->setGeometry(rect());
}

void UpDown::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  mark_->update();
}

void UpDown::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  mark_->update();
}

}  // namespace platform
