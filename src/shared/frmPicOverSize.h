#pragma once
// The picture window: an enlarged copy of a question or step picture, sized
// once per opening by fractions of the screen, resizable with the mouse (the
// picture stretches with it) and zoomed by left or middle clicks.
#include <QPointer>
#include <cstdint>

#include "platform/forms/Form.h"
#include "platform/forms/Picture.h"

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

 protected:
  void Form_Activate() override;
  void Form_Resize() override;

 private:
  frmPicOverSize();
  void FillClientArea();

  bool sizing_ = false;

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
