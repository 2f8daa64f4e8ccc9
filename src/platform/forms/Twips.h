#pragma once
// Sizes and positions in twips, as every layout of the programs is written;
// 15 twips are one pixel. A widget keeps the exact twips it was given, so a
// value read back is the value set (as long as nothing else moved it).
#include <QWidget>
#include <cmath>

namespace platform {

inline constexpr int kTwipsPerPixel = 15;

inline int TwipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
inline double PixelsToTwips(int pixels) { return static_cast<double>(pixels) * kTwipsPerPixel; }

// Geometry of a child control relative to its parent, in twips.
double Left(const QWidget* w);
double Top(const QWidget* w);
double Width(const QWidget* w);
double Height(const QWidget* w);
void SetLeft(QWidget* w, double twips);
void SetTop(QWidget* w, double twips);
void SetWidth(QWidget* w, double twips);   // negative sizes become 0
void SetHeight(QWidget* w, double twips);
void Move(QWidget* w, double left, double top, double width, double height);

// Mouse button and shift-state numbers of the original's mouse events.
int VbButton(Qt::MouseButton button);
int VbButtons(Qt::MouseButtons buttons);
int VbShift(Qt::KeyboardModifiers modifiers);

}  // namespace platform
