#include "platform/forms/Picture.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "platform/system/Paths.h"
#include "platform/forms/Program.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbError.h"

namespace platform {

double StdPicture::Width() const { return PixelsToTwips(image_.width()); }
double StdPicture::Height() const { return PixelsToTwips(image_.height()); }

StdPicture LoadPicture(const QString& fullPath) {
  const QString path = ResolvePath(fullPath);
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) Raise(err::FileNotFound);
  if (info.isDir()) Raise(err::PathFileAccess);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (!file.exists()) Raise(err::FileNotFound);  // gone since the look above
    Raise(err::PathFileAccess);
  }
  // The limit is checked before the pixels are allocated, so a small file
  // that claims enormous dimensions costs nothing.
  QImageReader::setAllocationLimit(kPictureAllocationLimitMB);
  QImageReader reader(&file);
  reader.setDecideFormatFromContent(true);
  const QSize claimed = reader.size();
  if (claimed.width() > kPictureMaxSide || claimed.height() > kPictureMaxSide) Raise(err::InvalidPicture);
  QImage image;
  if (!reader.read(&image) || image.isNull()) Raise(err::InvalidPicture);
  if (image.width() > kPictureMaxSide || image.height() > kPictureMaxSide) Raise(err::InvalidPicture);
  return StdPicture(std::move(image));
}

namespace {
void Report(const MouseHandler& handler, QMouseEvent* event, bool press) {
  if (!handler) return;
  const QPointF at = event->position();
  const int button = press ? VbButton(event->button()) : VbButtons(event->buttons());
  const int shift = VbShift(event->modifiers());
  // A copy: the handler may replace itself or hide or delete the control.
  const MouseHandler call = handler;
  // A handler's error is reported like any other event handler's.
  RunHandler([&] { call(button, shift, at.x() * kTwipsPerPixel, at.y() * kTwipsPerPixel); });
}
}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::SetPicture(const StdPicture& picture) {
  picture_ = picture;
  platform::SetWidth(this, picture_.Width());
  platform::SetHeight(this, picture_.Height());
  update();
}

void PictureBox::paintEvent(QPaintEvent*) {
  if (picture_.IsEmpty()) return;
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), picture_.Image());
}

void PictureBox::mousePressEvent(QMouseEvent* event) { Report(MouseDown, event, true); }

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {
  // A child widget paints no background unless told to, so what lies below
  // shows around the picture. Made translucent instead, it would need a
  // compositor to be seen at all once it had a native window.
  setMouseTracking(true);
}

void ImageBox::SetPicture(const StdPicture& picture) {
  picture_ = picture;
  if (!stretch_) {
    platform::SetWidth(this, picture_.Width());
    platform::SetHeight(this, picture_.Height());
  }
  update();
}

void ImageBox::SetStretch(bool stretch) {
  stretch_ = stretch;
  update();
}

void ImageBox::paintEvent(QPaintEvent*) {
  if (picture_.IsEmpty()) return;
  QPainter painter(this);
  if (stretch_) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_.Image());
  } else {
    painter.drawImage(QPoint(0, 0), picture_.Image());
  }
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) leftPressed_ = true;
  // The handler may run a loop of its own until the button comes up.
  Report(MouseDown, event, true);
}

void ImageBox::mouseMoveEvent(QMouseEvent* event) { Report(MouseMove, event, false); }

void ImageBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      event->button() == Qt::LeftButton && leftPressed_ && rect().contains(event->position().toPoint());
  if (event->button() == Qt::LeftButton) leftPressed_ = false;
  QPointer<ImageBox> self(this);
  Report(MouseUp, event, true);
  if (self && click && Click) {
    const std::function<void()> call = Click;
    RunHandler(call);
  }
}

}  // namespace platform
