#include "shared/frmPicOverSize.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QMoveEvent>
#include <QTimer>
#include <algorithm>

#include "platform/forms/Program.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbValues.h"

namespace shared {

using namespace GLOBAL;

QPointer<frmPicOverSize>& frmPicOverSize::Current() {
  static QPointer<frmPicOverSize> current;
  return current;
}

frmPicOverSize& frmPicOverSize::Instance() {
  QPointer<frmPicOverSize>& current = Current();
  if (!current) current = new frmPicOverSize();
  return *current;
}

bool frmPicOverSize::Visible() {
  const QPointer<frmPicOverSize>& current = Current();
  return current && current->isVisible();
}

frmPicOverSize::frmPicOverSize() {
  SetCaption(QStringLiteral(" Illustration / Diagram"));
  imgOverSizePic = new platform::ImageBox(Client());
  imgOverSizePic->SetStretch(true);
  imgOverSizePic->SetToolTipText(QStringLiteral("Image resizable with mouse or left-click (Shift/Ctrl/Alt)"));
  imgOverSizePic->MouseDown = [this](int button, int shift, double x, double y) {
    imgOverSizePic_MouseDown(button, shift, x, y);
  };
  frameWatch_ = new QTimer(this);
  frameWatch_->setInterval(kFrameLookMs);
  connect(frameWatch_, &QTimer::timeout, this, [this] {
    if (++frameLooks_ >= kFrameLooks) awaitingFrame_ = false;
    CatchUpWithFrame();
  });
}

void frmPicOverSize::FillClientArea() {
  platform::Move(imgOverSizePic, 0, 0, ScaleWidth(), ScaleHeight());
}

void frmPicOverSize::SetFocus() {
  if (!isVisible()) return;
  // The offscreen platform has no window order to change.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    raise();
    activateWindow();
  }
  Form_Activate();
}

void frmPicOverSize::Form_Activate() { Form_Resize(); }

frmPicOverSize::Placement frmPicOverSize::FirstSizing(double screenWidth, double screenHeight, double pictureWidth,
                                                      double pictureHeight, double frameWidth, double frameHeight) {
  Placement p{};
  if (0.93 * screenHeight >= pictureHeight) {
    p.clientHeight = pictureHeight;
    p.top = 0.02 * screenHeight;
  } else {
    p.clientHeight = 0.93 * screenHeight - frameHeight;
    p.top = 0.01 * screenHeight;
  }
  if (0.96 * screenWidth >= pictureWidth) {
    p.clientWidth = pictureWidth;
    p.right = 0.98 * screenWidth;
  } else {
    p.clientWidth = 0.96 * screenWidth - frameWidth;
    p.right = 0.99 * screenWidth;
  }
  return p;
}

void frmPicOverSize::SizeToPicture() {
  frameWidthUsed_ = FrameExtraWidth();
  frameHeightUsed_ = FrameExtraHeight();
  const Placement p = FirstSizing(platform::Screen::Width(), platform::Screen::Height(), OverSizePicWidth,
                                  OverSizePicHeight, frameWidthUsed_, frameHeightUsed_);
  SetHeight(p.clientHeight);
  SetTop(p.top);
  SetWidth(p.clientWidth);
  // By the width the window now has, which may differ from the one asked for.
  SetLeft(p.right - (Width() + frameWidthUsed_));
  FillClientArea();
}

void frmPicOverSize::CatchUpWithFrame() {
  if (!awaitingFrame_) frameWatch_->stop();
  if (!awaitingFrame_ || !isVisible()) return;
  const double frameWidth = FrameExtraWidth();
  const double frameHeight = FrameExtraHeight();
  if (frameWidth == 0 && frameHeight == 0) return;
  awaitingFrame_ = false;
  frameWatch_->stop();
  if (frameWidth == frameWidthUsed_ && frameHeight == frameHeightUsed_) return;
  sizing_ = true;
  SizeToPicture();
  sizing_ = false;
}

void frmPicOverSize::setVisible(bool visible) {
  // The first sizing is done before the window is mapped, so that the window
  // manager puts the frame where it is asked to; a window that is already
  // on the screen is moved by its client area until it has been framed.
  if (visible && !isVisible() && OverSizeWindowSized == 0 && IsLoaded()) Form_Resize();
  Form::setVisible(visible);
}

void frmPicOverSize::moveEvent(QMoveEvent* event) {
  Form::moveEvent(event);
  // The window manager framing a new window often shows as a move.
  CatchUpWithFrame();
}

void frmPicOverSize::hideEvent(QHideEvent* event) {
  Form::hideEvent(event);
  awaitingFrame_ = false;
  frameWatch_->stop();
}

void frmPicOverSize::Form_Resize() {
  // The sizes set below raise resize events of their own; the outer call
  // fills the client area once it is done.
  if (sizing_) return;
  if (OverSizeWindowSized == 0) {
    sizing_ = true;
    SizeToPicture();
    OverSizeWindowSized = -1;
    awaitingFrame_ = true;
    frameLooks_ = 0;
    frameWatch_->start();
    sizing_ = false;
    CatchUpWithFrame();  // framed already (shown before)
    return;
  }
  CatchUpWithFrame();
  FillClientArea();
}

void frmPicOverSize::SetOuterSize(double width, double height) {
  SetHeight(height - FrameExtraHeight());
  SetWidth(width - FrameExtraWidth());
}

void frmPicOverSize::imgOverSizePic_MouseDown(int Button, int Shift, double, double) {
  if (Button != 1 && Button != 4) return;  // left and middle zoom; the right button does nothing
  double factor = 0;
  switch (Shift & 7) {
    case 0: factor = kZoomOut; break;
    case 1: factor = kZoomShift; break;
    case 2: factor = kZoomCtrl; break;
    case 4: factor = kZoomAlt; break;
    default: return;  // two or three keys held: no zoom
  }
  if (WindowState() != platform::vbNormal) return;
  const double height = platform::RoundHalfEven(OverSizePicHeight * factor);
  const double width = platform::RoundHalfEven(OverSizePicWidth * factor);
  // Ctrl-clicks without end would make the width negative, Alt-clicks the
  // sizes beyond any window: such a click is ignored.
  if (height < kMinZoomTwips || width < kMinZoomTwips || height > kMaxZoomTwips || width > kMaxZoomTwips) return;
  OverSizePicHeight = static_cast<std::int32_t>(height);
  OverSizePicWidth = static_cast<std::int32_t>(width);
  awaitingFrame_ = false;
  frameWatch_->stop();
  // The window's outer size, frame included. The desktop keeps a window
  // within the screen; the picture window is also never less than a pixel
  // in either direction.
  SetOuterSize(std::max(std::min(OverSizePicWidth - 125.0, platform::Screen::Width()),
                        FrameExtraWidth() + kMinZoomTwips),
               std::max(std::min(OverSizePicHeight + 400.0, platform::Screen::Height()),
                        FrameExtraHeight() + kMinZoomTwips));
  FillClientArea();
}

void OpenPictureWindow(const platform::StdPicture& picture, std::int32_t height, std::int32_t width,
                       QWidget* owner, QWidget* smallPicture) {
  OverSizeWindowSized = 0;
  frmPicOverSize& window = frmPicOverSize::Instance();
  window.imgOverSizePic->SetPicture(picture);
  OverSizePicHeight = height;
  OverSizePicWidth = width;
  window.Show(0, owner);
  window.SetFocus();
  if (smallPicture) smallPicture->hide();
}

}  // namespace shared
