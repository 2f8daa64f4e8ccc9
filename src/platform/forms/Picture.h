#pragma once
// Pictures as the forms use them: the loader that reads a picture file by its
// full path (the content's picture names carry no extension, so the format is
// read from the file itself), the picture box that takes on its picture's size,
// and the image control that draws its picture stretched to its own size.
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>

namespace platform {

// A loaded picture. Its size in twips is its pixel size x 15.
class StdPicture {
 public:
  StdPicture() = default;
  explicit StdPicture(QImage image) : image_(std::move(image)) {}
  explicit StdPicture(const QPixmap& pixmap) : image_(pixmap.toImage()) {}

  bool IsEmpty() const { return image_.isNull(); }
  const QImage& Image() const { return image_; }
  double Width() const;   // twips
  double Height() const;  // twips

 private:
  QImage image_;
};

// The largest decoded picture LoadPicture accepts, in megabytes; a file that
// would need more (a decompression bomb) is refused like an unreadable one.
inline constexpr int kPictureAllocationLimitMB = 256;
// The widest and highest picture accepted, in pixels: the largest window the
// display can make.
inline constexpr int kPictureMaxSide = 32767;

// Loads the file at fullPath. Error 53 "File not found" when there is no such
// file, 75 "Path/File access error" when it cannot be opened, 481 "Invalid
// picture" when it holds no picture Qt can read (or one beyond the allocation
// limit or kPictureMaxSide). A truncated file gives what Qt could read of it, or 481.
StdPicture LoadPicture(const QString& fullPath);

// Mouse events of the picture controls: button and shift state as the
// original numbers them (Twips.h), position in twips within the control.
using MouseHandler = std::function<void(int Button, int Shift, double X, double Y)>;

// A picture box with AutoSize: setting a picture makes the box exactly the
// picture's size (an empty picture makes it 0 x 0); the picture is drawn at
// its own size.
class PictureBox : public QWidget {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  const StdPicture& Picture() const { return picture_; }
  void SetPicture(const StdPicture& picture);

  bool Visible() const { return !isHidden(); }
  QString ToolTipText() const { return toolTip(); }
  void SetToolTipText(const QString& text) { setToolTip(text); }

  MouseHandler MouseDown;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  StdPicture picture_;
};

// An image control. With Stretch (the default) it draws its picture scaled to
// whatever size it is given; without, setting a picture sizes it to the
// picture. It paints nothing of its own, so what lies below shows around an
// empty one.
class ImageBox : public QWidget {
  Q_OBJECT

 public:
  explicit ImageBox(QWidget* parent = nullptr);

  const StdPicture& Picture() const { return picture_; }
  void SetPicture(const StdPicture& picture);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);

  bool Visible() const { return !isHidden(); }
  QString ToolTipText() const { return toolTip(); }
  void SetToolTipText(const QString& text) { setToolTip(text); }

  MouseHandler MouseDown;
  MouseHandler MouseMove;
  MouseHandler MouseUp;
  // A left press and release on the control.
  std::function<void()> Click;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  StdPicture picture_;
  bool stretch_ = true;
  bool leftPressed_ = false;
};

}  // namespace platform
