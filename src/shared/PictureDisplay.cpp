#include "shared/PictureDisplay.h"

#include <QFileInfo>

#include "platform/forms/Dialogs.h"
#include "platform/system/FileSystem.h"
#include "platform/system/Paths.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbError.h"
#include "platform/values/VbValues.h"
#include "shared/frmPicOverSize.h"

namespace shared {
namespace {


// The directory search with mask 33: ordinary files, read-only ones too, but
// not hidden ones and no folders.
bool PictureFileExists(const QString& path) {
  return !platform::Dir(path, platform::vbReadOnly + platform::vbArchive).isEmpty();
}

// Reports an error of ShowPicture; true when ShowPicture ends there.
bool ReportError(const platform::VbError& error, const PictureSite& site, const QString& path) {
  if (error.Number() == platform::err::FileNotFound) {
    platform::MsgBox(QStringLiteral("Unable to access the file") + platform::vbCrLf + path + platform::vbCrLf +
                         QStringLiteral("Try to uninstall then reinstall the program."),
                     platform::vbCritical, QStringLiteral(" Error"));
    site.picPicture->hide();
    return true;
  }
  platform::MsgBox(error.Description() + platform::vbCrLf + QStringLiteral("The program will try to resume execution.") + platform::vbCrLf +
                       QStringLiteral("If the error persists, try to uninstall then reinstall the program."),
                   platform::vbCritical, QStringLiteral(" Error"));
  return false;
}

std::int32_t WholeTwips(double twips) { return platform::CLng(twips); }

void OpenFromControl(const PictureSite& site, QWidget* control, const platform::StdPicture& picture, int button) {
  if (button == 0 || button == 1) return;  // the left button does nothing
  OpenPictureWindow(picture, WholeTwips(platform::Height(control)), WholeTwips(platform::Width(control)), site.owner,
                    control);
}

}  // namespace

void ShowPicture(const PictureSite& site, const QString& name) {
  const double formWidth = platform::RoundHalfEven(site.FormWidth);
  if (site.mode == PictureMode::Step && site.ShownPictureName) *site.ShownPictureName = name;

  site.imgPicture->hide();
  site.picPicture->hide();
  if (frmPicOverSize::Visible()) frmPicOverSize::Instance().Hide();
  if (name.isEmpty()) return;

  const QString path = site.AppFolder + QStringLiteral("/db/") + name;
  if (!PictureFileExists(path)) {
    // The second part of a question falls back to the first part's picture.
    const int at = platform::InStr(name, QStringLiteral("_Q2_"), true);
    if (at > 0) {
      QString firstPart = name;
      firstPart.replace(at - 1, 4, QStringLiteral("_Q1_"));
      ShowPicture(site, firstPart);
      return;
    }
    site.imgPicture->hide();
    site.picPicture->hide();
    if (site.mode == PictureMode::Question && site.imgNoImage) site.imgNoImage->show();
    return;
  }

  try {
    site.picPicture->SetPicture(site.Load(path));
  } catch (const platform::VbError& error) {
    if (ReportError(error, site, path)) return;
    // Going on with the picture of an earlier question or step would show
    // the wrong one: go on with none.
    site.picPicture->SetPicture(platform::StdPicture());
  }

  const std::int32_t fileHeight = WholeTwips(platform::Height(site.picPicture));
  const std::int32_t fileWidth = WholeTwips(platform::Width(site.picPicture));
  std::int32_t h = fileHeight;
  std::int32_t w = fileWidth;
  const bool imageMode = h > kImageModeLow && h < kImageModeHigh && w > kImageModeLow && w < kImageModeHigh;
  if (imageMode) {
    platform::SetWidth(site.imgPicture, kImageModeSize);
    platform::SetHeight(site.imgPicture, kImageModeSize);
    site.imgPicture->SetPicture(site.picPicture->Picture());
    h = kImageModeSize;
    w = kImageModeSize;
  }

  bool fits = false;
  double top = 0;
  double left = 0;
  if (site.mode == PictureMode::Question && h > site.UpperAreaHeight) {
    if (h <= site.SideAreaHeight && w <= site.SideAreaWidth) {
      // Beside the question box.
      fits = true;
      top = (site.SideAreaHeight - h) / 2.0;
      const double gap = formWidth - (site.QuestionLeft + site.QuestionWidth);
      left = gap + (formWidth - gap - w) / 2.0;
    }
  } else if (h <= site.UpperAreaHeight && w <= site.UpperAreaWidth) {
    // In the band above the text.
    fits = true;
    top = (site.UpperAreaHeight - h) / 2.0;
    left = (formWidth - w) / 2.0;
  }

  if (!fits) {
    // The picture window gets the file's own size, in image mode too.
    OpenPictureWindow(site.picPicture->Picture(), fileHeight, fileWidth, site.owner, site.picPicture);
    return;
  }
  platform::SetTop(site.picPicture, top);
  platform::SetLeft(site.picPicture, left);
  if (imageMode) {
    platform::SetTop(site.imgPicture, top);
    platform::SetLeft(site.imgPicture, left);
    site.imgPicture->show();
  } else {
    site.picPicture->show();
  }
}

void picPicture_MouseDown(const PictureSite& site, int Button, int, double, double) {
  OpenFromControl(site, site.picPicture, site.picPicture->Picture(), Button);
}

void imgPicture_MouseDown(const PictureSite& site, int Button, int, double, double) {
  OpenFromControl(site, site.imgPicture, site.imgPicture->Picture(), Button);
}

}  // namespace shared
