#include "art/Drawing.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

namespace art::draw {

QImage NewImage(QSize size, const QColor& fill) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(fill);
  return image;
}

void Prepare(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QFont Font(qreal pixelSize, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(qMax(1, qRound(pixelSize)));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

void FittedText(QPainter& p, const QRectF& r, const QString& text, qreal pixelSize, bool bold,
                const QColor& colour, int flags) {
  QFont font = Font(pixelSize, bold);
  // Shrink a size at a time until the line fits; tiny sizes stop shrinking.
  while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(text) > r.width()) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  p.save();
  p.setFont(font);
  p.setPen(colour);
  p.drawText(r, flags, text);
  p.restore();
}

QColor Mix(const QColor& a, const QColor& b, qreal t) {
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                          a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QColor Lighter(const QColor& c, qreal towardsWhite) { return Mix(c, Qt::white, towardsWhite); }

namespace {

// Maps unit coordinates of a box onto a rectangle.
struct Box {
  QRectF r;
  QPointF operator()(qreal x, qreal y) const { return {r.left() + x * r.width(), r.top() + y * r.height()}; }
  QRectF Rect(qreal x0, qreal y0, qreal x1, qreal y1) const { return QRectF((*this)(x0, y0), (*this)(x1, y1)); }
};

QPainterPath HullPath(const Box& b, Ship kind) {
  // Freeboard differs by kind: tankers and bulk carriers lie deeper.
  const qreal deck = kind == Ship::Tanker ? 0.56 : (kind == Ship::BulkCarrier ? 0.54 : 0.52);
  QPainterPath hull;
  hull.moveTo(b(0.03, 0.47));
  hull.lineTo(b(0.23, 0.47));
  hull.lineTo(b(0.23, deck));
  hull.lineTo(b(0.84, deck));
  hull.lineTo(b(0.84, 0.45));
  hull.lineTo(b(0.985, 0.42));
  hull.quadTo(b(0.96, 0.70), b(0.93, 0.80));
  hull.quadTo(b(0.92, 0.87), b(0.86, 0.87));
  hull.lineTo(b(0.12, 0.87));
  hull.quadTo(b(0.04, 0.80), b(0.02, 0.62));
  hull.closeSubpath();
  return hull;
}

}  // namespace

void ShipSide(QPainter& p, const QRectF& r, Ship kind, bool detail) {
  p.save();
  const Box b{r};
  const qreal unit = r.width() / 100.0;  // one percent of the length
  const QPainterPath hull = HullPath(b, kind);

  // Cargo gear and tanks stand behind the bulwark line, so draw them first.
  const qreal deck = kind == Ship::Tanker ? 0.56 : (kind == Ship::BulkCarrier ? 0.54 : 0.52);
  p.setPen(Qt::NoPen);
  switch (kind) {
    case Ship::Cargo: {
      p.setBrush(QColor(176, 112, 64));
      for (qreal x : {0.30, 0.45, 0.60, 0.72}) p.drawRect(b.Rect(x, deck - 0.05, x + 0.1, deck));
      if (detail) {
        p.setBrush(QColor(96, 132, 168));
        for (qreal x : {0.31, 0.46, 0.61}) p.drawRect(b.Rect(x, deck - 0.11, x + 0.08, deck - 0.05));
      }
      QPen mast(colour::Hull, qMax(1.0, unit * 0.9));
      p.setPen(mast);
      for (qreal x : {0.41, 0.57, 0.82}) {
        p.drawLine(b(x, deck), b(x, deck - 0.30));
        if (detail) p.drawLine(b(x, deck - 0.27), b(x - 0.09, deck - 0.05));
      }
      break;
    }
    case Ship::Tanker: {
      QPen pipe(QColor(90, 96, 104), qMax(0.8, unit * 0.7));
      p.setPen(pipe);
      p.drawLine(b(0.24, deck - 0.035), b(0.84, deck - 0.035));
      if (detail) {
        p.drawLine(b(0.24, deck - 0.07), b(0.84, deck - 0.07));
        for (qreal x = 0.28; x < 0.84; x += 0.08) p.drawLine(b(x, deck), b(x, deck - 0.07));
        p.setPen(QPen(colour::Hull, unit * 0.8));
        p.drawLine(b(0.52, deck - 0.07), b(0.52, deck - 0.22));
        p.drawLine(b(0.52, deck - 0.22), b(0.60, deck - 0.10));
      }
      break;
    }
    case Ship::GasCarrier: {
      const qreal rx = 0.068 * r.width();
      for (qreal x : {0.33, 0.49, 0.65, 0.80}) {
        const QPointF c = b(x, deck);
        QRadialGradient g(c + QPointF(-rx * 0.3, -rx * 0.5), rx * 1.3);
        g.setColorAt(0, QColor(250, 250, 246));
        g.setColorAt(1, QColor(196, 200, 206));
        p.setBrush(g);
        p.setPen(QPen(QColor(120, 126, 134), qMax(0.6, unit * 0.35)));
        p.drawEllipse(c, rx, rx);
      }
      if (detail) {
        p.setPen(QPen(QColor(90, 96, 104), unit * 0.6));
        p.drawLine(b(0.24, deck - 0.02), b(0.84, deck - 0.02));
      }
      break;
    }
    case Ship::BulkCarrier: {
      p.setBrush(QColor(150, 70, 52));
      for (qreal x = 0.27; x < 0.82; x += 0.085) p.drawRect(b.Rect(x, deck - 0.045, x + 0.065, deck));
      if (detail) {
        p.setPen(QPen(QColor(220, 170, 40), unit * 0.9));
        for (qreal x : {0.35, 0.52, 0.69}) {
          p.drawLine(b(x + 0.01, deck - 0.045), b(x + 0.01, deck - 0.22));
          p.drawLine(b(x + 0.01, deck - 0.2), b(x + 0.075, deck - 0.08));
        }
      }
      break;
    }
  }

  // Hull: topsides dark, bottom in antifouling below the waterline.
  p.setPen(Qt::NoPen);
  p.setBrush(kind == Ship::Tanker ? QColor(60, 40, 40) : colour::Hull);
  p.drawPath(hull);
  p.save();
  p.setClipRect(QRectF(b(0, 0.70), b(1, 1)));
  p.setBrush(colour::Antifouling);
  p.drawPath(hull);
  p.restore();
  if (detail) {
    p.setPen(QPen(QColor(235, 235, 230), qMax(0.6, unit * 0.5)));
    p.setClipPath(hull);
    p.drawLine(b(0, 0.70), b(1, 0.70));
    p.setClipping(false);
  }

  // Accommodation aft with the bridge, funnel behind it.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(236, 232, 222));
  p.drawRect(b.Rect(0.09, 0.12, 0.12, 0.24));  // funnel base hidden below
  p.setBrush(QColor(246, 244, 238));
  p.drawRect(b.Rect(0.05, 0.24, 0.21, 0.47));
  p.drawRect(b.Rect(0.04, 0.21, 0.225, 0.26));
  // Funnel.
  p.setBrush(QColor(230, 226, 214));
  QPainterPath funnel;
  funnel.moveTo(b(0.075, 0.21));
  funnel.lineTo(b(0.085, 0.07));
  funnel.lineTo(b(0.145, 0.07));
  funnel.lineTo(b(0.15, 0.21));
  funnel.closeSubpath();
  p.drawPath(funnel);
  p.setBrush(colour::Navy);
  p.drawRect(b.Rect(0.083, 0.07, 0.147, 0.105));
  p.setBrush(colour::Port);
  p.drawRect(b.Rect(0.08, 0.13, 0.148, 0.155));
  if (detail) {
    p.setBrush(QColor(50, 70, 96));
    for (qreal x = 0.055; x < 0.21; x += 0.03) p.drawRect(b.Rect(x, 0.225, x + 0.018, 0.245));
    for (qreal y : {0.30, 0.36, 0.42}) {
      for (qreal x = 0.07; x < 0.2; x += 0.035) p.drawRect(b.Rect(x, y, x + 0.014, y + 0.025));
    }
    // Mast on the forecastle.
    p.setPen(QPen(colour::Hull, unit * 0.6));
    p.drawLine(b(0.93, 0.43), b(0.93, 0.30));
  }
  p.restore();
}

void ShipPlan(QPainter& p, QPointF c, qreal length, qreal headingDeg, const QColor& fill) {
  p.save();
  p.translate(c);
  p.rotate(headingDeg);
  const qreal l = length / 2;
  const qreal w = length * 0.11;
  QPainterPath hull;
  hull.moveTo(0, -l);
  hull.cubicTo(w * 0.9, -l * 0.75, w, -l * 0.45, w, -l * 0.2);
  hull.lineTo(w, l * 0.85);
  hull.quadTo(w, l, w * 0.7, l);
  hull.lineTo(-w * 0.7, l);
  hull.quadTo(-w, l, -w, l * 0.85);
  hull.lineTo(-w, -l * 0.2);
  hull.cubicTo(-w, -l * 0.45, -w * 0.9, -l * 0.75, 0, -l);
  p.setPen(QPen(colour::Navy, qMax(1.0, length * 0.015)));
  p.setBrush(fill);
  p.drawPath(hull);
  p.setPen(Qt::NoPen);
  p.setBrush(Lighter(colour::Navy, 0.2));
  p.drawRoundedRect(QRectF(-w * 0.75, l * 0.45, w * 1.5, l * 0.32), w * 0.2, w * 0.2);
  p.restore();
}

void CompassRose(QPainter& p, QPointF c, qreal r, const QColor& dark, const QColor& light, bool ring,
                 bool labels, const QColor& north) {
  p.save();
  p.translate(c);
  const qreal pen = qMax(0.6, r * 0.02);
  qreal star = r;
  if (ring) {
    p.setPen(QPen(dark, pen));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 0), r, r);
    p.drawEllipse(QPointF(0, 0), r * 0.86, r * 0.86);
    for (int deg = 0; deg < 360; deg += 5) {
      const qreal len = deg % 30 == 0 ? 0.14 : (deg % 10 == 0 ? 0.09 : 0.05);
      const qreal a = qDegreesToRadians(static_cast<qreal>(deg));
      const QPointF dir(qSin(a), -qCos(a));
      p.setPen(QPen(dark, deg % 30 == 0 ? pen * 1.4 : pen * 0.8));
      p.drawLine(dir * r, dir * r * (1 - len));
    }
    star = r * 0.8;
  }
  // Intercardinal points under the cardinal ones.
  for (int i = 0; i < 8; ++i) {
    const bool cardinal = i % 2 == 0;
    const qreal len = cardinal ? star : star * 0.58;
    const qreal half = cardinal ? star * 0.13 : star * 0.1;
    if (cardinal) continue;
    p.save();
    p.rotate(i * 45);
    QPainterPath left, right;
    left.moveTo(0, -len);
    left.lineTo(-half, -half);
    left.lineTo(0, 0);
    left.closeSubpath();
    right.moveTo(0, -len);
    right.lineTo(half, -half);
    right.lineTo(0, 0);
    right.closeSubpath();
    p.setPen(QPen(dark, pen * 0.8));
    p.setBrush(light);
    p.drawPath(left);
    p.setBrush(Mix(dark, light, 0.35));
    p.drawPath(right);
    p.restore();
  }
  for (int i = 0; i < 4; ++i) {
    p.save();
    p.rotate(i * 90);
    const qreal half = star * 0.14;
    QPainterPath left, right;
    left.moveTo(0, -star);
    left.lineTo(-half, -half);
    left.lineTo(0, 0);
    left.closeSubpath();
    right.moveTo(0, -star);
    right.lineTo(half, -half);
    right.lineTo(0, 0);
    right.closeSubpath();
    p.setPen(QPen(dark, pen));
    p.setBrush(i == 0 ? (north.isValid() ? north : colour::Port) : dark);
    p.drawPath(left);
    p.setBrush(light);
    p.drawPath(right);
    p.restore();
  }
  p.setPen(QPen(dark, pen));
  p.setBrush(light);
  p.drawEllipse(QPointF(0, 0), star * 0.06, star * 0.06);
  if (labels) {
    const qreal size = r * 0.17;
    p.setFont(Font(size, true));
    p.setPen(dark);
    const qreal at = ring ? r * 0.93 + size * 0.75 : star + size * 0.8;
    const char* names[] = {"N", "E", "S", "W"};
    for (int i = 0; i < 4; ++i) {
      const qreal a = qDegreesToRadians(90.0 * i);
      const QPointF pos(qSin(a) * at, -qCos(a) * at);
      p.drawText(QRectF(pos.x() - size, pos.y() - size, size * 2, size * 2), Qt::AlignCenter,
                 QString::fromLatin1(names[i]));
    }
  }
  p.restore();
}

void LifebuoyRing(QPainter& p, QPointF c, qreal r, qreal penScale) {
  p.save();
  const qreal inner = r * 0.56;
  const QColor orange(232, 84, 40);
  QPainterPath ring;
  ring.addEllipse(c, r, r);
  ring.addEllipse(c, inner, inner);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPath(ring);
  p.setClipPath(ring);
  p.setBrush(orange);
  for (int i = 0; i < 4; ++i) {
    QPainterPath wedge;
    wedge.moveTo(c);
    wedge.arcTo(QRectF(c.x() - r * 1.1, c.y() - r * 1.1, r * 2.2, r * 2.2), 90.0 * i + 22.5, 45);
    wedge.closeSubpath();
    p.drawPath(wedge);
  }
  p.setClipping(false);
  // Shading gives the ring its body.
  QRadialGradient shade(c, r);
  shade.setColorAt(inner / r, QColor(0, 0, 0, 40));
  shade.setColorAt((inner / r + 1) / 2, QColor(0, 0, 0, 0));
  shade.setColorAt(1, QColor(0, 0, 0, 50));
  p.setBrush(shade);
  p.drawPath(ring);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(120, 50, 30), qMax(0.6, r * 0.04 * penScale)));
  p.drawPath(ring);
  // The grab line in festoons between four seizings.
  if (r > 12) {
    QPen rope(QColor(196, 176, 130), qMax(0.8, r * 0.045));
    rope.setCapStyle(Qt::RoundCap);
    p.setPen(rope);
    for (int i = 0; i < 4; ++i) {
      const qreal a0 = qDegreesToRadians(90.0 * i + 45);
      const qreal a1 = qDegreesToRadians(90.0 * i + 135);
      const QPointF s(c.x() + qCos(a0) * r * 0.98, c.y() + qSin(a0) * r * 0.98);
      const QPointF e(c.x() + qCos(a1) * r * 0.98, c.y() + qSin(a1) * r * 0.98);
      const qreal am = qDegreesToRadians(90.0 * i + 90);
      const QPointF m(c.x() + qCos(am) * r * 1.22, c.y() + qSin(am) * r * 1.22);
      QPainterPath festoon;
      festoon.moveTo(s);
      festoon.quadTo(m, e);
      p.drawPath(festoon);
      p.drawLine(QPointF(c.x() + qCos(a0) * inner, c.y() + qSin(a0) * inner), s);
    }
  }
  p.restore();
}

void ShipsWheel(QPainter& p, QPointF c, qreal r, const QColor& wood, const QColor& rim) {
  p.save();
  p.translate(c);
  const qreal rimR = r * 0.72;
  QPen spoke(wood, r * 0.09, Qt::SolidLine, Qt::RoundCap);
  p.setPen(spoke);
  for (int i = 0; i < 8; ++i) {
    const qreal a = qDegreesToRadians(22.5 + 45.0 * i);
    p.drawLine(QPointF(0, 0), QPointF(qCos(a) * r * 0.94, qSin(a) * r * 0.94));
  }
  // Handles: thicker ends beyond the rim.
  p.setPen(QPen(wood, r * 0.15, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 8; ++i) {
    const qreal a = qDegreesToRadians(22.5 + 45.0 * i);
    p.drawLine(QPointF(qCos(a) * r * 0.82, qSin(a) * r * 0.82), QPointF(qCos(a) * r * 0.93, qSin(a) * r * 0.93));
  }
  p.setPen(QPen(rim, r * 0.12));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(0, 0), rimR, rimR);
  p.setPen(QPen(Mix(rim, Qt::black, 0.3), qMax(0.5, r * 0.025)));
  p.drawEllipse(QPointF(0, 0), rimR + r * 0.06, rimR + r * 0.06);
  p.drawEllipse(QPointF(0, 0), rimR - r * 0.06, rimR - r * 0.06);
  p.setPen(QPen(Mix(rim, Qt::black, 0.3), qMax(0.5, r * 0.025)));
  p.setBrush(rim);
  p.drawEllipse(QPointF(0, 0), r * 0.18, r * 0.18);
  p.setBrush(wood);
  p.drawEllipse(QPointF(0, 0), r * 0.08, r * 0.08);
  p.restore();
}

void BuoyShape(QPainter& p, QPointF base, qreal h, Buoy kind) {
  p.save();
  const QColor black(34, 34, 38);
  const QColor yellow = colour::Yellow;
  const qreal pen = qMax(0.6, h * 0.012);
  p.setPen(QPen(QColor(30, 30, 30), pen));
  const qreal bodyH = h * 0.5;
  const qreal bottomW = h * 0.42;
  const qreal topW = h * 0.2;
  const qreal bodyTop = base.y() - bodyH;

  // Body: a pillar (tapered) for most marks, a can or a cone for lateral ones.
  QPainterPath body;
  if (kind == Buoy::PortCan) {
    body.addRect(QRectF(base.x() - bottomW / 2, bodyTop + h * 0.08, bottomW, bodyH - h * 0.08));
  } else if (kind == Buoy::StarboardCone) {
    body.moveTo(base.x() - bottomW / 2, base.y());
    body.lineTo(base.x() + bottomW / 2, base.y());
    body.lineTo(base.x() + h * 0.03, bodyTop);
    body.lineTo(base.x() - h * 0.03, bodyTop);
    body.closeSubpath();
  } else {
    body.moveTo(base.x() - bottomW / 2, base.y());
    body.lineTo(base.x() + bottomW / 2, base.y());
    body.lineTo(base.x() + topW / 2, bodyTop);
    body.lineTo(base.x() - topW / 2, bodyTop);
    body.closeSubpath();
  }

  // Colour bands from the top down.
  QList<QColor> bands;
  switch (kind) {
    case Buoy::PortCan: bands = {colour::Port}; break;
    case Buoy::StarboardCone: bands = {colour::Starboard}; break;
    case Buoy::North: bands = {black, yellow}; break;
    case Buoy::South: bands = {yellow, black}; break;
    case Buoy::East: bands = {black, yellow, black}; break;
    case Buoy::West: bands = {yellow, black, yellow}; break;
    case Buoy::IsolatedDanger: bands = {black, colour::Port, black}; break;
    case Buoy::SafeWater: bands = {}; break;
  }
  p.save();
  p.setClipPath(body);
  p.setPen(Qt::NoPen);
  const QRectF bodyRect = body.boundingRect();
  if (kind == Buoy::SafeWater) {
    p.setBrush(Qt::white);
    p.drawRect(bodyRect);
    p.setBrush(colour::Port);
    const qreal stripe = bodyRect.width() / 5;
    for (int i = 0; i < 5; i += 2) p.drawRect(QRectF(bodyRect.left() + i * stripe, bodyRect.top(), stripe, bodyRect.height()));
  } else {
    const qreal bandH = bodyRect.height() / bands.size();
    for (int i = 0; i < bands.size(); ++i) {
      p.setBrush(bands[i]);
      p.drawRect(QRectF(bodyRect.left(), bodyRect.top() + i * bandH, bodyRect.width(), bandH + 0.5));
    }
  }
  // Light from the upper left.
  QLinearGradient shine(bodyRect.topLeft(), bodyRect.topRight());
  shine.setColorAt(0, QColor(255, 255, 255, 70));
  shine.setColorAt(0.4, QColor(255, 255, 255, 0));
  shine.setColorAt(1, QColor(0, 0, 0, 50));
  p.setBrush(shine);
  p.drawRect(bodyRect);
  p.restore();
  p.setBrush(Qt::NoBrush);
  p.drawPath(body);

  // Mast and topmark.
  const qreal mastTop = base.y() - h * 0.8;
  p.setPen(QPen(QColor(40, 40, 40), qMax(0.8, h * 0.02)));
  p.drawLine(QPointF(base.x(), bodyTop), QPointF(base.x(), mastTop + h * 0.02));
  p.setPen(QPen(QColor(20, 20, 20), pen));
  const qreal s = h * 0.085;  // half size of a topmark element
  auto cone = [&](qreal cy, bool up) {
    QPolygonF tri;
    if (up) tri << QPointF(base.x(), cy - s) << QPointF(base.x() + s, cy + s * 0.8) << QPointF(base.x() - s, cy + s * 0.8);
    else tri << QPointF(base.x(), cy + s) << QPointF(base.x() + s, cy - s * 0.8) << QPointF(base.x() - s, cy - s * 0.8);
    p.drawPolygon(tri);
  };
  auto ball = [&](qreal cy, const QColor& c) {
    p.setBrush(c);
    p.drawEllipse(QPointF(base.x(), cy), s * 0.85, s * 0.85);
  };
  const qreal t1 = mastTop - s;  // upper element centre
  const qreal t2 = mastTop + s * 1.3;
  switch (kind) {
    case Buoy::PortCan:
      p.setBrush(colour::Port);
      p.drawRect(QRectF(base.x() - s * 0.8, t2 - s * 0.8, s * 1.6, s * 1.6));
      break;
    case Buoy::StarboardCone:
      p.setBrush(colour::Starboard);
      cone(t2, true);
      break;
    case Buoy::North:
      p.setBrush(black);
      cone(t1, true);
      cone(t2 + s * 0.4, true);
      break;
    case Buoy::South:
      p.setBrush(black);
      cone(t1, false);
      cone(t2 + s * 0.4, false);
      break;
    case Buoy::East:
      p.setBrush(black);
      cone(t1, true);
      cone(t2 + s * 0.4, false);
      break;
    case Buoy::West:
      p.setBrush(black);
      cone(t1, false);
      cone(t2 + s * 0.4, true);
      break;
    case Buoy::IsolatedDanger:
      ball(t1, black);
      ball(t2 + s * 0.3, black);
      break;
    case Buoy::SafeWater:
      ball(t2, colour::Port);
      break;
  }
  p.restore();
}

void Waves(QPainter& p, const QRectF& r, const QColor& colour, qreal amplitude, qreal wavelength, qreal width) {
  p.save();
  p.setClipRect(r);
  QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const qreal spacing = amplitude * 6;
  int row = 0;
  for (qreal y = r.top() + amplitude * 2; y < r.bottom(); y += spacing, ++row) {
    QPainterPath wave;
    const qreal shift = (row % 2) * wavelength / 2;
    wave.moveTo(r.left() - wavelength + shift, y);
    for (qreal x = r.left() - wavelength + shift; x < r.right() + wavelength; x += wavelength) {
      wave.quadTo(x + wavelength / 4, y - amplitude, x + wavelength / 2, y);
      wave.quadTo(x + wavelength * 3 / 4, y + amplitude, x + wavelength, y);
    }
    p.drawPath(wave);
  }
  p.restore();
}

QRectF Book(QPainter& p, const QRectF& r, const QColor& cover, qreal penScale) {
  p.save();
  const qreal pw = qMax(0.8, r.width() * 0.035 * penScale);
  // Page block showing at the fore edge and the foot.
  const QRectF pages(r.left() + r.width() * 0.14, r.top() + r.height() * 0.05, r.width() * 0.86,
                     r.height() * 0.95);
  p.setPen(QPen(QColor(150, 150, 150), pw * 0.7));
  p.setBrush(QColor(250, 248, 240));
  p.drawRoundedRect(pages, pw, pw);
  const QRectF front(r.left(), r.top(), r.width() * 0.9, r.height() * 0.93);
  QLinearGradient g(front.topLeft(), front.topRight());
  g.setColorAt(0, Mix(cover, Qt::black, 0.35));
  g.setColorAt(0.16, Mix(cover, Qt::black, 0.35));
  g.setColorAt(0.17, cover);
  g.setColorAt(1, Mix(cover, Qt::black, 0.12));
  p.setPen(QPen(Mix(cover, Qt::black, 0.5), pw));
  p.setBrush(g);
  p.drawRoundedRect(front, pw * 1.2, pw * 1.2);
  p.restore();
  return QRectF(front.left() + front.width() * 0.2, front.top() + front.height() * 0.1, front.width() * 0.74,
                front.height() * 0.8);
}

void Arrow(QPainter& p, QPointF from, QPointF to, qreal headLength, const QColor& colour, qreal width) {
  p.save();
  const QLineF line(from, to);
  const qreal angle = qDegreesToRadians(line.angle());
  const QPointF dir(qCos(angle), -qSin(angle));
  const QPointF normal(-dir.y(), dir.x());
  const QPointF baseOfHead = to - dir * headLength;
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(from, baseOfHead + dir * (headLength * 0.2));
  QPolygonF head;
  head << to << baseOfHead + normal * headLength * 0.45 << baseOfHead - normal * headLength * 0.45;
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPolygon(head);
  p.restore();
}

}  // namespace art::draw
