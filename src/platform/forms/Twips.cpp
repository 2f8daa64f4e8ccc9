#include "platform/forms/Twips.h"

namespace platform {
namespace {

// Each coordinate remembers the twips it was set to, with the pixel value it
// became; a read gives the twips back while the pixel value still matches.
double Read(const QWidget* w, const char* name, int pixels) {
  const QVariant stored = w->property(name);
  if (stored.isValid()) {
    const QPointF pair = stored.toPointF();  // (twips, pixels)
    if (static_cast<int>(pair.y()) == pixels) return pair.x();
  }
  return PixelsToTwips(pixels);
}

void Remember(QWidget* w, const char* name, double twips, int pixels) {
  w->setProperty(name, QPointF(twips, pixels));
}

}  // namespace

double Left(const QWidget* w) { return Read(w, "_twipsLeft", w->isWindow() ? w->pos().x() : w->x()); }
double Top(const QWidget* w) { return Read(w, "_twipsTop", w->isWindow() ? w->pos().y() : w->y()); }
double Width(const QWidget* w) { return Read(w, "_twipsWidth", w->width()); }
double Height(const QWidget* w) { return Read(w, "_twipsHeight", w->height()); }

void SetLeft(QWidget* w, double twips) {
  const int px = TwipsToPixels(twips);
  Remember(w, "_twipsLeft", twips, px);
  w->move(px, w->isWindow() ? w->pos().y() : w->y());
}

void SetTop(QWidget* w, double twips) {
  const int px = TwipsToPixels(twips);
  Remember(w, "_twipsTop", twips, px);
  w->move(w->isWindow() ? w->pos().x() : w->x(), px);
}

void SetWidth(QWidget* w, double twips) {
  if (twips < 0) twips = 0;
  const int px = TwipsToPixels(twips);
  Remember(w, "_twipsWidth", twips, px);
  w->resize(px, w->height());
}

void SetHeight(QWidget* w, double twips) {
  if (twips < 0) twips = 0;
  const int px = TwipsToPixels(twips);
  Remember(w, "_twipsHeight", twips, px);
  w->resize(w->width(), px);
}

void Move(QWidget* w, double left, double top, double width, double height) {
  SetLeft(w, left);
  SetTop(w, top);
  SetWidth(w, width);
  SetHeight(w, height);
}

int VbButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

int VbButtons(Qt::MouseButtons buttons) {
  return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
         (buttons & Qt::MiddleButton ? 4 : 0);
}

int VbShift(Qt::KeyboardModifiers modifiers) {
  return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
         (modifiers & Qt::AltModifier ? 4 : 0);
}

}  // namespace platform
