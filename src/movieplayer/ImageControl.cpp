#include "movieplayer/ImageControl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "platform/Twips.h"

namespace movieplayer {

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void ImageControl::SetPicture(const QPixmap& picture) {
  picture_ = picture;
  update();
}

void ImageControl::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(rect(), picture_);
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) leftPressed_ = true;
  // The handler may run a loop of its own until the button comes up.
  if (MouseDown)
    MouseDown(platform::VbButton(event->button()), platform::VbShift(event->modifiers()),
              platform::PixelsToTwips(qRound(event->position().x())),
              platform::PixelsToTwips(qRound(event->position().y())));
}

void ImageControl::mouseMoveEvent(QMouseEvent* event) {
  if (MouseMove)
    MouseMove(platform::VbButtons(event->buttons()), platform::VbShift(event->modifiers()),
              platform::PixelsToTwips(qRound(event->position().x())),
              platform::PixelsToTwips(qRound(event->position().y())));
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = event->button() == Qt::LeftButton && leftPressed_ && rect().contains(event->position().toPoint());
  if (event->button() == Qt::LeftButton) leftPressed_ = false;
  QPointer<ImageControl> self(this);
  if (MouseUp)
    MouseUp(platform::VbButton(event->button()), platform::VbShift(event->modifiers()),
            platform::PixelsToTwips(qRound(event->position().x())),
            platform::PixelsToTwips(qRound(event->position().y())));
  if (self && click && Click) Click();
}

}  // namespace movieplayer
