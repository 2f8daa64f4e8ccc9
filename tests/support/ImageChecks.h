#pragma once
// Checks shared by the programs' picture tests: how light a backdrop is, how
// much of a face carries a given colour, and whether a control shows the
// keyboard focus.
#include <QColor>
#include <QImage>
#include <functional>

class QWidget;

namespace testsupport {

// Relative luminance (0 black, 1 white) of the darkest pixel.
double DarkestLuminance(const QImage& image);
// Share (0..1) of the pixels for which `match` holds.
double ShareOf(const QImage& image, const std::function<bool(const QColor&)>& match);
// Whether the control, in its active window, is drawn otherwise with the
// focus the Tab key gives than without the focus; it keeps the focus.
bool ShowsKeyboardFocus(QWidget* control);

}  // namespace testsupport
