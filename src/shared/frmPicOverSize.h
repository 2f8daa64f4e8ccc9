#pragma once
// The picture window: an enlarged copy of a question or step picture, sized
// once per opening by fractions of the screen (a picture that fits shows at
// its own size), resizable with the mouse (the picture stretches with it) and
// zoomed by left or middle clicks.
#include <QPointer>
#include <cstdint>

#include "platform/forms/Form.h"
#include "platform/forms/Picture.h"

class QTimer;

namespace shared {

namespace GLOBAL {
// 0: the picture window sizes itself to the picture at its next resize; it
// sets True (-1) once done. Every opener clears it.
inline int OverSizeWindowSized = 0;
// The size of the picture handed to the picture window, twips; the zoom
// clicks change them.
inline std::int32_t OverSizePicHeight = 0;
inline std::int32_t OverSizePicWidth = 0;
}  // namespace GLOBAL

class frmPicOverSize : public platform::Form {
  Q_OBJECT

 public:
  // Zoom factors by the shift state (Shift, Ctrl, Alt alone); the Shift
  // factor is this literal, not 4/3.
  static constexpr double kZoomOut = 0.75;
  static constexpr double kZoomShift = 1.3333333;
  static constexpr double kZoomCtrl = 0.5;
  static constexpr double kZoomAlt = 2.0;
  // A zoom click that would take the picture size outside these bounds
  // (one pixel to the largest window X11 can make) is ignored.
  static constexpr std::int32_t kMinZoomTwips = 15;
  static constexpr std::int32_t kMaxZoomTwips = 32767 * 15;
  // How often and how long a new window looks for its frame.
  static constexpr int kFrameLookMs = 50;
  static constexpr int kFrameLooks = 40;

  // The first sizing, twips: a picture within 93% of the screen's height
  // and 96% of its width gets a client area of its own size, with the frame
  // the window manager puts around it counted outside; a larger one gets
  // that share of the screen, frame included, and is shrunk into it. The
  // window's top and the right edge of its frame are placed by fractions of
  // the screen too.
  struct Placement {
    double top, right, clientWidth, clientHeight;
  };
  static Placement FirstSizing(double screenWidth, double screenHeight, double pictureWidth, double pictureHeight,
                               double frameWidth, double frameHeight);

  // The program's one picture window, made on first use. It stays (hidden or
  // shown) until its owner goes; a later call then makes a new one.
  static frmPicOverSize& Instance();
  // Shown now; false when there is none.
  static bool Visible();

  platform::ImageBox* imgOverSizePic;

  void imgOverSizePic_MouseDown(int Button, int Shift, double X, double Y);

  // Brings the window forward and, as its activation does, sizes it if it has
  // not been sized since it was opened.
  void SetFocus();
  // The first sizing is done as the window is shown, before it is mapped.
  void setVisible(bool visible) override;

 protected:
  void Form_Activate() override;
  void Form_Resize() override;
  void moveEvent(QMoveEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  frmPicOverSize();
  void FillClientArea();
  void SizeToPicture();
  void CatchUpWithFrame();
  void SetOuterSize(double width, double height);

  bool sizing_ = false;
  // Sized before the window manager framed the window: sized again with the
  // frame once it is there. Nothing tells a window that its frame came, and
  // the move it may bring is not always seen: it is looked for a while.
  bool awaitingFrame_ = false;
  QTimer* frameWatch_ = nullptr;
  int frameLooks_ = 0;
  double frameWidthUsed_ = 0;
  double frameHeightUsed_ = 0;

  static QPointer<frmPicOverSize>& Current();
};

// The opening protocol every opener follows: clears OverSizeWindowSized, puts
// the picture into imgOverSizePic, sets OverSizePicHeight and
// OverSizePicWidth, shows the window modeless with `owner` as its owner,
// gives it the focus and hides `smallPicture` (the control on the calling
// window that showed the picture; may be null).
void OpenPictureWindow(const platform::StdPicture& picture, std::int32_t height, std::int32_t width,
                       QWidget* owner, QWidget* smallPicture);

}  // namespace shared
