#pragma once
// The original's up/down control: a pair of arrows over a Value that stays
// between Min and Max. A click on an arrow moves Value one step towards Max
// (up) or Min (down); held down, the arrow repeats; at the end of the range
// a click does nothing. Every change of Value, by an arrow or by code,
// raises Change once, synchronously; setting the value it already has raises
// nothing. The control takes the focus when clicked, and the Up and Down
// keys work its arrows while it has it; the keyboard focus shows over both.
#include <QWidget>
#include <algorithm>
#include <functional>

class QToolButton;

namespace platform {

class UpDown : public QWidget {
  Q_OBJECT

 public:
  explicit UpDown(QWidget* parent = nullptr);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  // A Value outside the range moves to its nearer end (raising Change).
  void SetMin(int min);
  void SetMax(int max);
  // Error 380 outside the range.
  void SetValue(int value);

  std::function<void()> Change;

  QToolButton* UpArrow() const { return up_; }
  QToolButton* DownArrow() const { return down_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Step(int towardsMax);
  void Store(int value);
  int Low() const { return std::min(min_, max_); }
  int High() const { return std::max(min_, max_); }

  class FocusMark;
  QToolButton* up_;
  QToolButton* down_;
  FocusMark* mark_;
  int min_ = 0;
  int max_ = 10;
  int value_ = 0;
};

}  // namespace platform
