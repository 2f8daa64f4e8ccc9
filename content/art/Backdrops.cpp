// Window and list backdrops: pale chart paper in the edition's tone, with
// faint graticule, soundings and a compass rose. They sit behind text and
// controls, so every colour stays close to white.
#include <QLinearGradient>
#include <QRandomGenerator>
#include <QtMath>

#include "art/Art.h"
#include "art/Drawing.h"

namespace art {

QColor EditionColour(Edition edition) {
  return edition == Edition::OOW ? QColor(251, 159, 60) : QColor(255, 172, 40);
}

QColor StepWindowColour() { return QColor(184, 212, 252); }

namespace {

using namespace draw;

// A colour at most `strength` of the way from white: keeps the backdrop
// light enough for black text.
QColor Tint(const QColor& c, qreal strength) { return Mix(Qt::white, c, strength); }

void Graticule(QPainter& p, const QRectF& r, qreal spacing, const QColor& line) {
  p.save();
  p.setPen(QPen(line, 1.0));
  for (qreal x = r.left() + spacing * 0.6; x < r.right(); x += spacing) p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
  for (qreal y = r.top() + spacing * 0.45; y < r.bottom(); y += spacing) p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
  p.restore();
}

// A stretch of coast running off the right-hand edge, with its depth
// contours; `top` puts it in the upper corner instead of the lower one.
void Coast(QPainter& p, const QRectF& r, bool top, const QColor& land, const QColor& contour, quint32 seed) {
  p.save();
  p.translate(r.topLeft());
  if (top) {
    p.translate(0, r.height());
    p.scale(1, -1);
  }
  const qreal w = r.width();
  const qreal h = r.height();
  // Headlands and bays along a line from the right edge to the bottom edge.
  QRandomGenerator random(seed);
  QList<QPointF> points;
  const QPointF from(w * 1.0, h * 0.32);
  const QPointF to(w * 0.6, h * 1.0);
  const int steps = 9;
  for (int i = 0; i <= steps; ++i) {
    const qreal t = static_cast<qreal>(i) / steps;
    QPointF point = from + (to - from) * t;
    // Bow the line seaward in the middle, and roughen it.
    const qreal bow = qSin(t * M_PI) * w * 0.1;
    point += QPointF(-bow, -bow * 0.4);
    if (i > 0 && i < steps) point += QPointF((random.generateDouble() - 0.5) * w * 0.05, (random.generateDouble() - 0.5) * h * 0.04);
    points << point;
  }
  // The ends run on well past the edges, so the shifted contours never show
  // a corner.
  QPainterPath coast;
  coast.moveTo(points.first() + (points.first() - points[1]) * 6);
  coast.lineTo(points.first());
  for (int i = 1; i < points.size() - 1; ++i) coast.quadTo(points[i], (points[i] + points[i + 1]) / 2);
  coast.lineTo(points.last());
  coast.lineTo(points.last() + (points.last() - points[points.size() - 2]) * 6);
  coast.lineTo(w * 3, h * 3);
  coast.closeSubpath();
  p.setBrush(Qt::NoBrush);
  for (int i = 3; i >= 1; --i) {
    p.setPen(QPen(contour, 1.2, i == 3 ? Qt::DashLine : Qt::SolidLine));
    p.save();
    p.translate(-w * 0.04 * i, -h * 0.03 * i);
    p.drawPath(coast);
    p.restore();
  }
  p.setPen(QPen(Mix(land, Qt::black, 0.1), 1.2));
  p.setBrush(land);
  p.drawPath(coast);
  p.restore();
}

// Depths on a jittered grid, so that no two figures run into each other.
void Soundings(QPainter& p, const QRectF& r, const QColor& colour, qreal pixelSize, quint32 seed) {
  p.save();
  p.setFont(Font(pixelSize));
  p.setPen(colour);
  QRandomGenerator random(seed);
  const qreal cell = pixelSize * 6;
  for (qreal y = r.top() + cell / 2; y < r.bottom(); y += cell) {
    for (qreal x = r.left() + cell / 2; x < r.right(); x += cell) {
      if (random.bounded(3) != 0) continue;  // about one cell in three
      const QPointF at(x + (random.generateDouble() - 0.5) * cell * 0.4, y + (random.generateDouble() - 0.5) * cell * 0.4);
      p.drawText(at, QString::number(6 + random.bounded(40)));
    }
  }
  p.restore();
}

}  // namespace

QImage ListBackdrop(Edition edition, QSize size) {
  const QColor tone = EditionColour(edition);
  QImage image = NewImage(size, Qt::white);
  QPainter p(&image);
  Prepare(p);
  const QRectF r(QPointF(0, 0), QSizeF(size));
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, Tint(tone, 0.04));
  g.setColorAt(1, Tint(tone, 0.12));
  p.fillRect(r, g);
  Graticule(p, r, size.width() / 5.0, Tint(tone, 0.14));
  Coast(p, r, false, Tint(QColor(214, 188, 120), 0.2), Tint(QColor(90, 140, 190), 0.2), 5);
  Soundings(p, QRectF(r.left() + r.width() * 0.3, r.top() + r.height() * 0.06, r.width() * 0.4, r.height() * 0.6),
            Tint(QColor(60, 90, 130), 0.2), size.height() / 40.0, edition == Edition::OOW ? 7 : 11);
  const qreal rose = size.height() * 0.2;
  CompassRose(p, QPointF(r.width() * 0.15, r.height() * 0.8), rose, Tint(tone, 0.3), Tint(tone, 0.06), true, true,
              Tint(colour::Port, 0.3));
  p.end();
  return image;
}

QImage QuestionBackdrop(Edition edition, QSize size) {
  const QColor tone = EditionColour(edition);
  QImage image = NewImage(size, Qt::white);
  QPainter p(&image);
  Prepare(p);
  const QRectF r(QPointF(0, 0), QSizeF(size));
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, Tint(tone, 0.05));
  g.setColorAt(0.5, Tint(tone, 0.1));
  g.setColorAt(1, Tint(tone, 0.2));
  p.fillRect(r, g);
  Graticule(p, r, size.width() / 8.0, Tint(tone, 0.12));
  // A band of the edition colour along the top edge frames the picture area.
  p.fillRect(QRectF(0, 0, r.width(), qMax(3.0, r.height() * 0.008)), Tint(tone, 0.55));
  // Sea along the foot, behind the answer box.
  Waves(p, QRectF(0, r.height() * 0.76, r.width(), r.height() * 0.24), Tint(QColor(70, 130, 180), 0.14),
        r.height() * 0.006, r.width() / 14.0, 1.2);
  CompassRose(p, QPointF(r.width() * 0.86, r.height() * 0.63), size.height() * 0.13, Tint(tone, 0.32),
              Tint(tone, 0.05), true, false, Tint(colour::Port, 0.3));
  p.end();
  return image;
}

QImage StepBackdrop(Edition edition, QSize size) {
  const QColor tone = EditionColour(edition);
  const QColor blue = StepWindowColour();
  QImage image = NewImage(size, Qt::white);
  QPainter p(&image);
  Prepare(p);
  const QRectF r(QPointF(0, 0), QSizeF(size));
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, Tint(blue, 0.18));
  g.setColorAt(1, Tint(blue, 0.42));
  p.fillRect(r, g);
  Graticule(p, r, size.width() / 8.0, Tint(blue, 0.5));
  Coast(p, r, true, Tint(QColor(214, 188, 120), 0.2), Tint(QColor(60, 110, 170), 0.22), 3);
  p.fillRect(QRectF(0, 0, r.width(), qMax(3.0, r.height() * 0.008)), Tint(tone, 0.55));
  Waves(p, QRectF(0, r.height() * 0.7, r.width(), r.height() * 0.3), Tint(QColor(40, 90, 160), 0.1), r.height() * 0.006,
        r.width() / 14.0, 1.2);
  CompassRose(p, QPointF(r.width() * 0.12, r.height() * 0.2), size.height() * 0.13, Tint(QColor(40, 80, 140), 0.25),
              Tint(blue, 0.1), true, false, Tint(colour::Port, 0.3));
  p.end();
  return image;
}

}  // namespace art
