#include "shared/frmPicOverSize.h"

#include <QGuiApplication>
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

void frmPicOverSize::Form_Resize() {
  // The sizes set below raise resize events of their own; the outer call
  // fills the client area once it is done.
  if (sizing_) return;
  if (OverSizeWindowSized == 0) {
    sizing_ = true;
    const double sh = platform::Screen::Height();
    const double sw = platform::Screen::Width();
    if (0.93 * sh >= OverSizePicHeight) {
      SetHeight(OverSizePicHeight + 400.0);
      SetTop(0.02 * sh);
    } else {
      SetHeight(0.93 * sh);
      SetTop(0.01 * sh);
    }
    if (0.96 * sw >= OverSizePicWidth) {
      SetWidth(OverSizePicWidth + 125.0);
      SetLeft(0.98 * sw - Width());
    } else {
      SetWidth(0.96 * sw);
      SetLeft(0.99 * sw - Width());
    }
    FillClientArea();
    OverSizeWindowSized = -1;
    sizing_ = false;
    return;
  }
  FillClientArea();
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
  // The desktop keeps a window within the screen; the picture window is
  // also never less than a pixel in either direction.
  SetHeight(std::clamp(OverSizePicHeight + 400.0, double(kMinZoomTwips), platform::Screen::Height()));
  SetWidth(std::clamp(OverSizePicWidth - 125.0, double(kMinZoomTwips), platform::Screen::Width()));
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
