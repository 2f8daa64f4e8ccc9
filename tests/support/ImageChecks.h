#pragma once
// Checks shared by the programs' picture tests: how light a backdrop is and
// how much of a face carries a given colour.
#include <QColor>
#include <QImage>
#include <functional>

class QWidget;
namespace testsupport {

// Relative luminance (0 black, 1 white) of the darkest pixel.
double DarkestLuminance(const QImage& image);
// Share (0..1) of the pixels for which `match` holds.
double ShareOf(const QImage& image, const std::function<bool(const QColor&)>& match);
// Whether the control looks otherwise once Tab gives it the focus in its active window.
bool ShowsKeyboardFocus(QWidget* control);

}  // namespace testsupport
