#pragma once
// An image control: draws its picture stretched over its area and reports
// mouse presses, moves and releases (button, shift, X and Y in twips) and
// clicks, as the original's image control does. Moves are reported with or
// without a button held.
#include <QPixmap>
#include <QWidget>
#include <functional>

namespace movieplayer {

class ImageControl : public QWidget {
 public:
  explicit ImageControl(QWidget* parent = nullptr);

  void SetPicture(const QPixmap& picture);
  const QPixmap& Picture() const { return picture_; }

  std::function<void(int button, int shift, double x, double y)> MouseDown;
  std::function<void(int button, int shift, double x, double y)> MouseMove;
  std::function<void(int button, int shift, double x, double y)> MouseUp;
  std::function<void()> Click;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPixmap picture_;
  bool leftPressed_ = false;
};

}  // namespace movieplayer
