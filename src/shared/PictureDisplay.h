#pragma once
// The question or step picture of a window: loading it from the data folder,
// the placeholder for a missing one, its place above or beside the text, and
// the picture window for one that does not fit. Pellorin's question window
// and Varnok's step window both show their pictures through ShowPicture.
#include <QString>
#include <cstdint>
#include <functional>

#include "platform/forms/Picture.h"

class QWidget;

namespace shared {

enum class PictureMode {
  // Pellorin: a missing file shows the placeholder; a picture goes in the
  // band above the question box, beside it, or to the picture window.
  Question,
  // Varnok: a missing file shows nothing; a picture goes in the band above
  // the step text or to the picture window; the name is recorded.
  Step,
};

// What a window lends to ShowPicture, filled afresh for each call (the
// limits and the width are those of the moment).
struct PictureSite {
  PictureMode mode = PictureMode::Question;
  QWidget* owner = nullptr;                   // the window; owner of the picture window
  platform::PictureBox* picPicture = nullptr;
  platform::ImageBox* imgPicture = nullptr;
  platform::ImageBox* imgNoImage = nullptr;   // the placeholder; question mode only
  QString AppFolder;                          // pictures are in AppFolder/db/
  double FormWidth = 0;                       // the window's outer width, twips
  double QuestionLeft = 0;                    // rtfQuestion's Left and Width (question mode)
  double QuestionWidth = 0;
  std::int32_t UpperAreaHeight = 0;           // the four picture-area limits, twips
  std::int32_t UpperAreaWidth = 0;
  std::int32_t SideAreaHeight = 0;
  std::int32_t SideAreaWidth = 0;
  QString* ShownPictureName = nullptr;        // step mode records each name given here
  // Reads the file; tests put in a loader that fails as a file gone since
  // the existence test would.
  std::function<platform::StdPicture(const QString& fullPath)> Load = platform::LoadPicture;
};

// Twips of the size class shown through imgPicture: a picture whose height
// and width both lie strictly between the bounds is shown at kImageModeSize.
inline constexpr std::int32_t kImageModeLow = 6700;
inline constexpr std::int32_t kImageModeHigh = 6900;
inline constexpr std::int32_t kImageModeSize = 4560;

// Shows the named picture (a bare file name of AppFolder/db/, no extension)
// or, for "", clears the picture area. Hides both picture controls and a
// visible picture window first; never hides imgNoImage. Failures are reported
// in boxes titled " Error" and never leave the function.
void ShowPicture(const PictureSite& site, const QString& name);

// Mouse presses on the small picture: any button but the left opens the
// picture window with the control's picture and its size (whole twips) and
// hides the control.
void picPicture_MouseDown(const PictureSite& site, int Button, int Shift, double X, double Y);
void imgPicture_MouseDown(const PictureSite& site, int Button, int Shift, double X, double Y);

}  // namespace shared
