// Maritime illustrations for question and step pictures. Each scene is laid
// out in proportions of its rectangle, so it can be drawn at any size; labels
// appear only where there is room for them to be read.
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QtMath>

#include "art/Art.h"
#include "art/Drawing.h"

namespace art {
namespace {

using namespace draw;

struct Scene {
  QPainter& p;
  QRectF r;   // the picture area, without the caption band
  qreal s;    // the shorter side
  bool labels;

  QPointF At(qreal x, qreal y) const { return {r.left() + x * r.width(), r.top() + y * r.height()}; }
  qreal LabelSize() const { return qBound(8.0, s * 0.05, 22.0); }
  void Label(QPointF centre, const QString& text, const QColor& colour = colour::Ink, bool bold = false) const {
    if (!labels) return;
    const QFont font = Font(LabelSize(), bold);
    const QFontMetricsF metrics(font);
    const qreal w = metrics.horizontalAdvance(text) + 4;
    const qreal h = metrics.height();
    QRectF box(centre.x() - w / 2, centre.y() - h / 2, w, h);
    // Keep labels inside the picture.
    if (box.left() < r.left() + 2) box.moveLeft(r.left() + 2);
    if (box.right() > r.right() - 2) box.moveRight(r.right() - 2);
    if (box.top() < r.top() + 2) box.moveTop(r.top() + 2);
    if (box.bottom() > r.bottom() - 2) box.moveBottom(r.bottom() - 2);
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
  }
  qreal Pen(qreal f = 1.0) const { return qMax(0.8, s * 0.006 * f); }
};

void SeaGround(Scene& sc, qreal horizon) {
  QLinearGradient sky(sc.r.topLeft(), sc.At(0, horizon));
  sky.setColorAt(0, QColor(214, 232, 246));
  sky.setColorAt(1, QColor(240, 246, 250));
  sc.p.fillRect(QRectF(sc.r.topLeft(), sc.At(1, horizon)), sky);
  QLinearGradient sea(sc.At(0, horizon), sc.r.bottomLeft());
  sea.setColorAt(0, QColor(150, 190, 218));
  sea.setColorAt(1, QColor(84, 138, 184));
  sc.p.fillRect(QRectF(sc.At(0, horizon), sc.r.bottomRight()), sea);
  Waves(sc.p, QRectF(sc.At(0, horizon), sc.r.bottomRight()), QColor(255, 255, 255, 90), sc.s * 0.008,
        sc.s * 0.12, sc.Pen(0.8));
}

void PlanGround(Scene& sc) {
  sc.p.fillRect(sc.r, QColor(222, 236, 246));
  Waves(sc.p, sc.r, QColor(255, 255, 255, 150), sc.s * 0.006, sc.s * 0.1, sc.Pen(0.7));
}

// A pie sector between two bearings (0 = ahead, clockwise).
void Sector(QPainter& p, QPointF c, qreal radius, qreal fromBearing, qreal toBearing, const QColor& fill,
            const QColor& edge, qreal pen) {
  const QRectF box(c.x() - radius, c.y() - radius, radius * 2, radius * 2);
  QPainterPath pie;
  pie.moveTo(c);
  pie.arcTo(box, 90 - fromBearing, -(toBearing - fromBearing));
  pie.closeSubpath();
  p.setPen(QPen(edge, pen));
  p.setBrush(fill);
  p.drawPath(pie);
}

QPointF Bearing(QPointF c, qreal bearing, qreal distance) {
  const qreal a = qDegreesToRadians(bearing);
  return {c.x() + qSin(a) * distance, c.y() - qCos(a) * distance};
}

void NavigationLights(Scene& sc) {
  sc.p.fillRect(sc.r, QColor(236, 240, 246));
  const QPointF c = sc.At(0.5, 0.5);
  const qreal pen = sc.Pen();
  Sector(sc.p, c, sc.s * 0.44, -112.5, 112.5, QColor(255, 244, 196, 170), QColor(190, 170, 90), pen);
  Sector(sc.p, c, sc.s * 0.3, 112.5, 247.5, QColor(255, 255, 255, 220), QColor(150, 150, 150), pen);
  Sector(sc.p, c, sc.s * 0.36, 0, 112.5, QColor(70, 170, 100, 150), colour::Starboard, pen);
  Sector(sc.p, c, sc.s * 0.36, -112.5, 0, QColor(220, 80, 70, 150), colour::Port, pen);
  ShipPlan(sc.p, c, sc.s * 0.34, 0, QColor(250, 250, 250));
  const qreal d = sc.s;
  sc.Label(Bearing(c, 0, d * 0.4), QStringLiteral("Masthead 225\u00b0"), QColor(120, 100, 30), true);
  sc.Label(Bearing(c, 62, d * 0.27) + QPointF(d * 0.06, 0), QStringLiteral("Starboard"), colour::Starboard, true);
  sc.Label(Bearing(c, -62, d * 0.27) - QPointF(d * 0.06, 0), QStringLiteral("Port"), colour::Port, true);
  sc.Label(Bearing(c, 180, d * 0.23), QStringLiteral("Stern 135\u00b0"), colour::Grey, true);
}

void LateralBuoys(Scene& sc) {
  SeaGround(sc, 0.42);
  // A distant coast on the horizon.
  QPainterPath hills;
  hills.moveTo(sc.At(0.55, 0.42));
  hills.quadTo(sc.At(0.7, 0.33), sc.At(0.8, 0.38));
  hills.quadTo(sc.At(0.9, 0.31), sc.At(1.0, 0.36));
  hills.lineTo(sc.At(1.0, 0.42));
  hills.closeSubpath();
  sc.p.setPen(Qt::NoPen);
  sc.p.setBrush(QColor(170, 186, 170));
  sc.p.drawPath(hills);
  const qreal h = sc.r.height() * 0.48;
  BuoyShape(sc.p, sc.At(0.27, 0.8), h, Buoy::PortCan);
  BuoyShape(sc.p, sc.At(0.73, 0.8), h, Buoy::StarboardCone);
  BuoyShape(sc.p, sc.At(0.5, 0.52), h * 0.28, Buoy::SafeWater);
  sc.Label(sc.At(0.27, 0.9), QStringLiteral("Port hand"), Qt::white, true);
  sc.Label(sc.At(0.73, 0.9), QStringLiteral("Starboard hand"), Qt::white, true);
  if (sc.labels) {
    Arrow(sc.p, sc.At(0.42, 0.96), sc.At(0.58, 0.74), sc.s * 0.05, QColor(255, 255, 255, 220), sc.Pen(2));
  }
}

void CardinalMarks(Scene& sc) {
  PlanGround(sc);
  const QPointF c = sc.At(0.5, 0.5);
  // The danger: a rock awash.
  sc.p.setPen(QPen(colour::Ink, sc.Pen(1.5)));
  const qreal k = sc.s * 0.04;
  sc.p.drawLine(c + QPointF(-k, 0), c + QPointF(k, 0));
  sc.p.drawLine(c + QPointF(0, -k), c + QPointF(0, k));
  sc.p.setBrush(Qt::NoBrush);
  sc.p.setPen(QPen(colour::Ink, sc.Pen(), Qt::DotLine));
  sc.p.drawEllipse(c, k * 2.2, k * 2.2);
  const qreal h = sc.s * 0.26;
  const qreal dx = sc.r.width() * 0.3;
  const qreal dy = sc.r.height() * 0.3;
  BuoyShape(sc.p, c + QPointF(0, -dy + h * 0.55), h, Buoy::North);
  BuoyShape(sc.p, c + QPointF(dx, h * 0.35), h, Buoy::East);
  BuoyShape(sc.p, c + QPointF(0, dy + h * 0.45), h, Buoy::South);
  BuoyShape(sc.p, c + QPointF(-dx, h * 0.35), h, Buoy::West);
  const qreal off = h * 0.55;
  sc.Label(c + QPointF(off * 1.3, -dy + h * 0.3), QStringLiteral("N"), colour::Navy, true);
  sc.Label(c + QPointF(dx + off, h * 0.1), QStringLiteral("E"), colour::Navy, true);
  sc.Label(c + QPointF(off * 1.3, dy + h * 0.2), QStringLiteral("S"), colour::Navy, true);
  sc.Label(c + QPointF(-dx - off, h * 0.1), QStringLiteral("W"), colour::Navy, true);
  // North arrow.
  const QPointF n = sc.At(0.92, 0.18);
  Arrow(sc.p, n + QPointF(0, sc.s * 0.08), n - QPointF(0, sc.s * 0.06), sc.s * 0.04, colour::Navy, sc.Pen(1.5));
}

void ShipProfileScene(Scene& sc) {
  SeaGround(sc, 0.62);
  const QRectF ship(sc.At(0.06, 0.18), sc.At(0.94, 0.82));
  ShipSide(sc.p, ship, Ship::Cargo, true);
  if (!sc.labels) return;
  auto at = [&](qreal x, qreal y) { return QPointF(ship.left() + x * ship.width(), ship.top() + y * ship.height()); };
  auto callout = [&](QPointF target, QPointF label, const QString& text) {
    sc.p.setPen(QPen(colour::Ink, sc.Pen(0.7)));
    sc.p.drawLine(target, label);
    sc.p.setBrush(colour::Ink);
    sc.p.drawEllipse(target, sc.Pen(1.2), sc.Pen(1.2));
    sc.Label(label + QPointF(0, -sc.LabelSize() * 0.6), text, colour::Ink, true);
  };
  callout(at(0.975, 0.46), at(0.95, 0.1), QStringLiteral("Bow"));
  callout(at(0.03, 0.62), at(0.08, 1.0), QStringLiteral("Stern"));
  callout(at(0.21, 0.23), at(0.33, 0.04), QStringLiteral("Bridge"));
  callout(at(0.115, 0.08), at(0.115, -0.06), QStringLiteral("Funnel"));
  callout(at(0.5, 0.49), at(0.6, 0.14), QStringLiteral("Hatch"));
  callout(at(0.6, 0.7), at(0.55, 1.0), QStringLiteral("Waterline"));
}

void LoadLine(Scene& sc) {
  sc.p.fillRect(sc.r, QColor(58, 64, 76));
  const QColor mark(250, 250, 250);
  const qreal u = qMin(sc.r.width() / 12.0, sc.r.height() / 8.0);  // one "mark unit"
  const QPointF c(sc.r.left() + sc.r.width() * 0.34, sc.r.top() + sc.r.height() * 0.56);
  const qreal line = qMax(1.5, u * 0.25);
  sc.p.setPen(QPen(mark, line, Qt::SolidLine, Qt::FlatCap));
  sc.p.setBrush(Qt::NoBrush);
  // Deck line above the mark.
  sc.p.drawLine(c + QPointF(-u * 1.5, -u * 3.4), c + QPointF(u * 1.5, -u * 3.4));
  // Ring and its line through the centre.
  sc.p.drawEllipse(c, u * 1.5, u * 1.5);
  sc.p.drawLine(c + QPointF(-u * 2.25, 0), c + QPointF(u * 2.25, 0));
  sc.p.setFont(Font(u * 0.8, true));
  sc.p.setPen(mark);
  sc.p.drawText(QRectF(c.x() - u * 2.5, c.y() - u * 1.2, u * 0.9, u * 1.0), Qt::AlignCenter, QStringLiteral("L"));
  sc.p.drawText(QRectF(c.x() + u * 1.6, c.y() - u * 1.2, u * 0.9, u * 1.0), Qt::AlignCenter, QStringLiteral("R"));
  // The vertical line forward of the ring: the seasonal lines run forward of
  // it, the fresh water lines abaft.
  const qreal vx = c.x() + u * 4.2;
  sc.p.setPen(QPen(mark, line, Qt::SolidLine, Qt::FlatCap));
  sc.p.drawLine(QPointF(vx, c.y() - u * 1.7), QPointF(vx, c.y() + u * 1.5));
  struct Mark { qreal dy; const char* name; bool fresh; };
  const Mark marks[] = {{-1.6, "TF", true}, {-1.0, "F", true}, {-0.6, "T", false},
                        {0.0, "S", false},  {0.6, "W", false}, {1.2, "WNA", false}};
  for (const Mark& m : marks) {
    const qreal y = c.y() + m.dy * u;
    const qreal x0 = m.fresh ? vx - u * 1.2 : vx;
    const qreal x1 = m.fresh ? vx : vx + u * 1.2;
    sc.p.setPen(QPen(mark, line, Qt::SolidLine, Qt::FlatCap));
    sc.p.drawLine(QPointF(x0, y), QPointF(x1, y));
    sc.p.setFont(Font(u * 0.45, true));
    sc.p.setPen(mark);
    const QRectF box = m.fresh ? QRectF(x0 - u * 1.4, y - u * 0.45, u * 1.3, u * 0.6)
                               : QRectF(x1 + u * 0.15, y - u * 0.45, u * 1.6, u * 0.6);
    sc.p.drawText(box, (m.fresh ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, QString::fromLatin1(m.name));
  }
  sc.Label(QPointF(c.x(), c.y() - u * 3.9), QStringLiteral("Deck line"), mark);
}

void Crossing(Scene& sc, bool headOn) {
  PlanGround(sc);
  const qreal len = sc.s * 0.2;
  const QColor a(250, 250, 250);
  const QColor b(255, 236, 200);
  if (headOn) {
    // Each vessel alters her course to starboard so that they pass port to port.
    const QPointF p1 = sc.At(0.57, 0.78);
    const QPointF p2 = sc.At(0.43, 0.22);
    ShipPlan(sc.p, p1, len, 0, a);
    ShipPlan(sc.p, p2, len, 180, b);
    for (int i = 0; i < 2; ++i) {
      const qreal sign = i == 0 ? 1 : -1;
      const QPointF bow = (i == 0 ? p1 : p2) - QPointF(0, sign * len * 0.55);
      const QPointF control = bow - QPointF(0, sign * len * 0.55);
      const QPointF end = bow + QPointF(sign * len * 0.5, -sign * len * 0.8);
      QPainterPath turn;
      turn.moveTo(bow);
      turn.quadTo(control, end);
      sc.p.setPen(QPen(colour::Navy, sc.Pen(1.6)));
      sc.p.setBrush(Qt::NoBrush);
      sc.p.drawPath(turn);
      const QPointF tangent = end - control;
      Arrow(sc.p, end - tangent * 0.15, end + tangent * 0.25, sc.s * 0.04, colour::Navy, sc.Pen(1.6));
    }
    sc.Label(p1 - QPointF(len * 1.5, -len * 0.2), QStringLiteral("Alter to starboard"), colour::Navy, true);
    sc.Label(p2 + QPointF(len * 1.5, -len * 0.2), QStringLiteral("Alter to starboard"), colour::Navy, true);
    return;
  }
  // Crossing: the vessel with the other on her starboard side keeps out of the way.
  const QPointF giveWay = sc.At(0.38, 0.7);
  const QPointF standOn = sc.At(0.72, 0.36);
  sc.p.setPen(QPen(colour::Grey, sc.Pen(), Qt::DashLine));
  sc.p.drawLine(giveWay, QPointF(giveWay.x(), sc.r.top()));
  sc.p.drawLine(standOn, QPointF(sc.r.left(), standOn.y()));
  ShipPlan(sc.p, giveWay, len, 0, a);
  ShipPlan(sc.p, standOn, len, 270, b);
  // Sidelights seen from each other.
  sc.p.setPen(Qt::NoPen);
  sc.p.setBrush(colour::Starboard);
  sc.p.drawEllipse(giveWay + QPointF(len * 0.13, -len * 0.1), sc.s * 0.012, sc.s * 0.012);
  sc.p.setBrush(colour::Port);
  sc.p.drawEllipse(standOn + QPointF(-len * 0.1, len * 0.13), sc.s * 0.012, sc.s * 0.012);
  // The give-way vessel turns to starboard and passes astern.
  QPainterPath turn;
  const QPointF from = giveWay - QPointF(0, len * 0.6);
  turn.moveTo(from);
  turn.quadTo(from + QPointF(0, -len * 0.6), from + QPointF(len * 0.9, -len * 0.9));
  sc.p.setPen(QPen(colour::Port, sc.Pen(1.8)));
  sc.p.setBrush(Qt::NoBrush);
  sc.p.drawPath(turn);
  Arrow(sc.p, from + QPointF(len * 0.7, -len * 0.85), from + QPointF(len * 0.95, -len * 0.9), sc.s * 0.04,
        colour::Port, sc.Pen(1.8));
  sc.Label(giveWay + QPointF(0, len * 0.75), QStringLiteral("Give-way vessel"), colour::Port, true);
  sc.Label(standOn + QPointF(0, -len * 0.45), QStringLiteral("Stand-on vessel"), colour::Starboard, true);
}

void Overtaking(Scene& sc) {
  PlanGround(sc);
  const QPointF c = sc.At(0.5, 0.38);
  const qreal len = sc.s * 0.2;
  Sector(sc.p, c, sc.s * 0.58, 112.5, 247.5, QColor(255, 255, 255, 170), colour::Grey, sc.Pen());
  ShipPlan(sc.p, c, len, 0, QColor(250, 250, 250));
  const QPointF behind = Bearing(c, 165, sc.s * 0.42);
  ShipPlan(sc.p, behind, len * 0.9, 8, QColor(255, 236, 200));
  Arrow(sc.p, behind - QPointF(0, len * 0.5), behind - QPointF(-len * 0.08, len * 1.0), sc.s * 0.035, colour::Navy,
        sc.Pen(1.6));
  sc.Label(Bearing(c, 112.5, sc.s * 0.3) + QPointF(sc.s * 0.05, -sc.s * 0.03), QStringLiteral("22.5\u00b0 abaft the beam"),
           colour::Ink, false);
  sc.Label(Bearing(c, 180, sc.s * 0.2), QStringLiteral("Overtaking sector"), colour::Navy, true);
}

void CompassCardScene(Scene& sc) {
  sc.p.fillRect(sc.r, QColor(250, 248, 240));
  const QPointF c = sc.r.center();
  const qreal radius = sc.s * 0.4;
  CompassRose(sc.p, c, radius, colour::Navy, QColor(250, 248, 240), true, sc.labels);
  if (!sc.labels) return;
  sc.p.setFont(Font(sc.s * 0.032));
  sc.p.setPen(colour::Navy);
  for (int deg = 30; deg < 360; deg += 30) {
    if (deg % 90 == 0) continue;
    const QPointF at = Bearing(c, deg, radius * 1.1);
    sc.p.drawText(QRectF(at.x() - sc.s * 0.05, at.y() - sc.s * 0.03, sc.s * 0.1, sc.s * 0.06), Qt::AlignCenter,
                  QStringLiteral("%1").arg(deg, 3, 10, QLatin1Char('0')));
  }
}

void LifebuoyScene(Scene& sc) {
  SeaGround(sc, 0.3);
  const QPointF c = sc.At(0.45, 0.6);
  const qreal radius = sc.s * 0.28;
  LifebuoyRing(sc.p, c, radius, 1.0);
  // The self-igniting light on its lanyard.
  const QPointF light = c + QPointF(radius * 1.7, -radius * 0.4);
  sc.p.setPen(QPen(QColor(196, 176, 130), sc.Pen(1.2)));
  sc.p.setBrush(Qt::NoBrush);
  QPainterPath lanyard;
  lanyard.moveTo(c + QPointF(radius, 0));
  lanyard.quadTo(c + QPointF(radius * 1.4, radius * 0.4), light + QPointF(0, radius * 0.3));
  sc.p.drawPath(lanyard);
  sc.p.setPen(QPen(QColor(120, 80, 20), sc.Pen()));
  sc.p.setBrush(QColor(240, 150, 40));
  sc.p.drawRoundedRect(QRectF(light.x() - radius * 0.14, light.y() - radius * 0.1, radius * 0.28, radius * 0.4),
                       radius * 0.05, radius * 0.05);
  sc.p.setBrush(QColor(255, 250, 210));
  sc.p.drawEllipse(QPointF(light.x(), light.y() - radius * 0.16), radius * 0.11, radius * 0.11);
  sc.Label(light + QPointF(0, -radius * 0.5), QStringLiteral("Light"), colour::Ink, true);
}

void Flag(QPainter& p, const QRectF& f, QChar letter) {
  p.save();
  const QColor blue(20, 60, 160), red(210, 30, 40), yellow(250, 210, 0);
  QPainterPath shape;
  const bool swallow = letter == 'A' || letter == 'B';
  if (swallow) {
    shape.moveTo(f.topLeft());
    shape.lineTo(f.topRight());
    shape.lineTo(f.right() - f.width() * 0.25, f.center().y());
    shape.lineTo(f.bottomRight());
    shape.lineTo(f.bottomLeft());
    shape.closeSubpath();
  } else {
    shape.addRect(f);
  }
  p.setClipPath(shape);
  p.setPen(Qt::NoPen);
  switch (letter.unicode()) {
    case 'A':
      p.fillRect(f, blue);
      p.fillRect(QRectF(f.left(), f.top(), f.width() * 0.5, f.height()), Qt::white);
      break;
    case 'B': p.fillRect(f, red); break;
    case 'C':
      for (int i = 0; i < 5; ++i)
        p.fillRect(QRectF(f.left(), f.top() + i * f.height() / 5, f.width(), f.height() / 5 + 0.5),
                   i == 0 || i == 4 ? blue : (i == 2 ? red : Qt::white));
      break;
    case 'D':
      p.fillRect(f, yellow);
      p.fillRect(QRectF(f.left(), f.top() + f.height() / 4, f.width(), f.height() / 2), blue);
      break;
    case 'H':
      p.fillRect(f, red);
      p.fillRect(QRectF(f.left(), f.top(), f.width() / 2, f.height()), Qt::white);
      break;
    case 'O': {
      p.fillRect(f, yellow);
      QPolygonF tri;
      tri << f.topLeft() << f.topRight() << f.bottomRight();
      p.setBrush(red);
      p.drawPolygon(tri);
      break;
    }
  }
  p.setClipping(false);
  p.setPen(QPen(QColor(60, 60, 60), qMax(0.6, f.height() * 0.02)));
  p.setBrush(Qt::NoBrush);
  p.drawPath(shape);
  p.restore();
}

void SignalFlags(Scene& sc) {
  sc.p.fillRect(sc.r, QColor(240, 246, 250));
  const QString letters = QStringLiteral("ABCDHO");
  const QStringList meanings = {QStringLiteral("Diver down"),     QStringLiteral("Dangerous cargo"),
                                QStringLiteral("Yes"),            QStringLiteral("Keep clear"),
                                QStringLiteral("Pilot on board"), QStringLiteral("Man overboard")};
  const int columns = 3;
  const qreal cw = sc.r.width() / columns;
  const qreal rh = sc.r.height() / 2;
  for (int i = 0; i < letters.size(); ++i) {
    const qreal x = sc.r.left() + (i % columns) * cw;
    const qreal y = sc.r.top() + (i / columns) * rh;
    const qreal fw = qMin(cw * 0.62, rh * 0.7);
    const QRectF f(x + (cw - fw) / 2 + fw * 0.05, y + rh * 0.12, fw, fw * 0.66);
    // Halyard.
    sc.p.setPen(QPen(colour::Grey, sc.Pen()));
    sc.p.drawLine(QPointF(f.left() - fw * 0.05, y + rh * 0.04), QPointF(f.left() - fw * 0.05, f.bottom() + rh * 0.06));
    Flag(sc.p, f, letters[i]);
    sc.Label(QPointF(x + cw / 2, f.bottom() + rh * 0.14), QString(letters[i]), colour::Navy, true);
    if (sc.s > 260) sc.Label(QPointF(x + cw / 2, f.bottom() + rh * 0.28), meanings[i], colour::Ink, false);
  }
}

void Stability(Scene& sc) {
  sc.p.fillRect(sc.r, QColor(246, 248, 250));
  const QPointF c = sc.At(0.5, 0.6);
  const qreal b = sc.s * 0.3;  // half breadth
  const qreal heel = 14;
  // Water.
  sc.p.fillRect(QRectF(QPointF(sc.r.left(), c.y()), sc.r.bottomRight()), QColor(190, 214, 234));
  sc.p.setPen(QPen(colour::Sea, sc.Pen(1.4)));
  sc.p.drawLine(QPointF(sc.r.left(), c.y()), QPointF(sc.r.right(), c.y()));
  // The heeled section.
  sc.p.save();
  sc.p.translate(c);
  sc.p.rotate(heel);
  QPainterPath section;
  section.moveTo(-b, -b * 0.6);
  section.lineTo(-b, b * 0.15);
  section.quadTo(-b, b * 0.5, -b * 0.6, b * 0.5);
  section.lineTo(b * 0.6, b * 0.5);
  section.quadTo(b, b * 0.5, b, b * 0.15);
  section.lineTo(b, -b * 0.6);
  sc.p.setPen(QPen(colour::Hull, sc.Pen(2)));
  sc.p.setBrush(QColor(226, 222, 210, 200));
  sc.p.drawPath(section);
  sc.p.setPen(QPen(colour::Grey, sc.Pen(), Qt::DashDotLine));
  sc.p.drawLine(QPointF(0, b * 0.6), QPointF(0, -b * 1.65));
  sc.p.restore();
  // G on the centreline, B moved to the low side, M where the upthrust meets the centreline.
  auto onCentreline = [&](qreal along) { return c + QPointF(-qSin(qDegreesToRadians(heel)) * along, qCos(qDegreesToRadians(heel)) * along); };
  const QPointF g = onCentreline(-b * 0.05);
  const QPointF m = onCentreline(-b * 1.5);
  const QPointF bPoint(m.x(), c.y() + b * 0.28);
  const QPointF z(m.x(), g.y());
  sc.p.setPen(QPen(colour::Navy, sc.Pen(1.2)));
  sc.p.drawLine(bPoint, m);
  Arrow(sc.p, g, g + QPointF(0, b * 0.45), sc.s * 0.03, colour::Port, sc.Pen(1.6));
  Arrow(sc.p, bPoint, bPoint - QPointF(0, b * 0.4), sc.s * 0.03, colour::Starboard, sc.Pen(1.6));
  sc.p.setPen(QPen(colour::Ink, sc.Pen(2)));
  sc.p.drawLine(g, z);
  const qreal l = sc.LabelSize();
  const std::pair<QPointF, QPointF> offsets[] = {{g, {-l, -l * 0.3}}, {bPoint, {l, 0}}, {m, {-l, 0}}, {z, {l, -l * 0.3}}};
  const QString names[] = {QStringLiteral("G"), QStringLiteral("B"), QStringLiteral("M"), QStringLiteral("Z")};
  for (int i = 0; i < 4; ++i) {
    sc.p.setPen(Qt::NoPen);
    sc.p.setBrush(colour::Ink);
    sc.p.drawEllipse(offsets[i].first, sc.Pen(2), sc.Pen(2));
    sc.Label(offsets[i].first + offsets[i].second, names[i], colour::Ink, true);
  }
  sc.Label((g + z) / 2 - QPointF(0, sc.LabelSize() * 0.8), QStringLiteral("GZ"), colour::Port, true);
}

void DayShapes(Scene& sc) {
  sc.p.fillRect(sc.r, QColor(238, 244, 248));
  struct Column { QString name; QString shapes; };  // b ball, d diamond, c cylinder
  const QList<Column> columns = {{QStringLiteral("At anchor"), QStringLiteral("b")},
                                 {QStringLiteral("Not under command"), QStringLiteral("bb")},
                                 {QStringLiteral("Restricted"), QStringLiteral("bdb")},
                                 {QStringLiteral("Constrained by draught"), QStringLiteral("c")},
                                 {QStringLiteral("Aground"), QStringLiteral("bbb")}};
  const qreal cw = sc.r.width() / columns.size();
  const qreal unit = qMin(cw * 0.32, sc.r.height() * 0.11);
  for (int i = 0; i < columns.size(); ++i) {
    const qreal x = sc.r.left() + cw * (i + 0.5);
    sc.p.setPen(QPen(colour::Grey, sc.Pen()));
    sc.p.drawLine(QPointF(x, sc.r.top() + sc.r.height() * 0.06), QPointF(x, sc.r.top() + sc.r.height() * 0.76));
    qreal y = sc.r.top() + sc.r.height() * 0.12 + unit / 2;
    sc.p.setPen(Qt::NoPen);
    sc.p.setBrush(QColor(26, 26, 30));
    for (QChar shape : columns[i].shapes) {
      if (shape == 'b') {
        sc.p.drawEllipse(QPointF(x, y), unit / 2, unit / 2);
      } else if (shape == 'd') {
        sc.p.drawPolygon(QPolygonF{QPointF(x, y - unit * 0.65), QPointF(x + unit / 2, y), QPointF(x, y + unit * 0.65),
                                   QPointF(x - unit / 2, y)});
        y += unit * 0.3;
      } else {
        sc.p.drawRect(QRectF(x - unit * 0.4, y - unit * 0.6, unit * 0.8, unit * 1.6));
        y += unit * 0.8;
      }
      y += unit * 1.35;
    }
    if (sc.labels) {
      sc.p.setFont(Font(qMin(sc.LabelSize() * 0.8, cw * 0.12), true));
      sc.p.setPen(colour::Navy);
      sc.p.drawText(QRectF(x - cw / 2 + 2, sc.r.top() + sc.r.height() * 0.8, cw - 4, sc.r.height() * 0.2),
                    Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, columns[i].name);
    }
  }
}

void ChartExtract(Scene& sc) {
  sc.p.fillRect(sc.r, colour::Chart);
  // Shallow water tint, then land.
  QPainterPath coast;
  coast.moveTo(sc.At(0, 0.0));
  coast.lineTo(sc.At(0.45, 0.0));
  coast.cubicTo(sc.At(0.4, 0.2), sc.At(0.55, 0.3), sc.At(0.42, 0.45));
  coast.cubicTo(sc.At(0.3, 0.6), sc.At(0.35, 0.8), sc.At(0.18, 1.0));
  coast.lineTo(sc.At(0, 1.0));
  coast.closeSubpath();
  for (int i = 3; i >= 1; --i) {
    sc.p.save();
    sc.p.translate(sc.r.width() * 0.05 * i, 0);
    sc.p.setPen(QPen(QColor(80, 130, 190), sc.Pen(), i == 3 ? Qt::DashLine : Qt::SolidLine));
    sc.p.setBrush(i == 1 ? QBrush(QColor(190, 218, 240)) : QBrush(Qt::NoBrush));
    sc.p.drawPath(coast);
    sc.p.restore();
  }
  sc.p.setPen(QPen(QColor(120, 100, 60), sc.Pen(1.2)));
  sc.p.setBrush(colour::Land);
  sc.p.drawPath(coast);
  // A lighthouse on the point with its magenta flare.
  const QPointF light = sc.At(0.43, 0.44);
  QPainterPath flare;
  flare.moveTo(light);
  flare.quadTo(light + QPointF(sc.s * 0.09, -sc.s * 0.02), light + QPointF(sc.s * 0.12, sc.s * 0.04));
  flare.quadTo(light + QPointF(sc.s * 0.05, sc.s * 0.03), light);
  sc.p.setPen(Qt::NoPen);
  sc.p.setBrush(QColor(200, 40, 160, 200));
  sc.p.drawPath(flare);
  sc.p.setBrush(colour::Ink);
  sc.p.drawEllipse(light, sc.Pen(2.5), sc.Pen(2.5));
  sc.Label(light + QPointF(sc.s * 0.36, sc.s * 0.01), QStringLiteral("Fl(2) 10s 24m 15M"), QColor(150, 30, 120));
  // Soundings in metres.
  if (sc.labels) {
    sc.p.setFont(Font(sc.LabelSize() * 0.8, false));
    sc.p.setPen(QColor(40, 60, 90));
    const QList<std::pair<QPointF, const char*>> depths = {
        {{0.62, 0.15}, "12"}, {{0.78, 0.22}, "18"}, {{0.9, 0.1}, "23"},  {{0.6, 0.62}, "9"},
        {{0.75, 0.6}, "14"},  {{0.9, 0.7}, "21"}, {{0.55, 0.85}, "7"}, {{0.68, 0.78}, "16"}};
    for (const auto& [at, text] : depths) sc.p.drawText(sc.At(at.x(), at.y()), QString::fromLatin1(text));
  }
  // An anchorage and a small rose.
  CompassRose(sc.p, sc.At(0.86, 0.82), sc.s * 0.11, QColor(150, 30, 120), colour::Chart, true, false);
}

void Draw(Scene& sc, Subject subject) {
  switch (subject) {
    case Subject::NavigationLights: NavigationLights(sc); break;
    case Subject::LateralBuoys: LateralBuoys(sc); break;
    case Subject::CardinalMarks: CardinalMarks(sc); break;
    case Subject::ShipProfile: ShipProfileScene(sc); break;
    case Subject::LoadLine: LoadLine(sc); break;
    case Subject::CrossingSituation: Crossing(sc, false); break;
    case Subject::HeadOnSituation: Crossing(sc, true); break;
    case Subject::Overtaking: Overtaking(sc); break;
    case Subject::CompassCard: CompassCardScene(sc); break;
    case Subject::Lifebuoy: LifebuoyScene(sc); break;
    case Subject::SignalFlags: SignalFlags(sc); break;
    case Subject::Stability: Stability(sc); break;
    case Subject::DayShapes: DayShapes(sc); break;
    case Subject::ChartExtract: ChartExtract(sc); break;
  }
}

}  // namespace

QList<Subject> AllSubjects() {
  return {Subject::NavigationLights, Subject::LateralBuoys,      Subject::CardinalMarks,   Subject::ShipProfile,
          Subject::LoadLine,         Subject::CrossingSituation, Subject::HeadOnSituation, Subject::Overtaking,
          Subject::CompassCard,      Subject::Lifebuoy,          Subject::SignalFlags,     Subject::Stability,
          Subject::DayShapes,        Subject::ChartExtract};
}

QString SubjectTitle(Subject subject) {
  switch (subject) {
    case Subject::NavigationLights: return QStringLiteral("Arcs of the navigation lights");
    case Subject::LateralBuoys: return QStringLiteral("Lateral marks, region A");
    case Subject::CardinalMarks: return QStringLiteral("Cardinal marks around a danger");
    case Subject::ShipProfile: return QStringLiteral("General cargo ship");
    case Subject::LoadLine: return QStringLiteral("Load line mark");
    case Subject::CrossingSituation: return QStringLiteral("Crossing situation");
    case Subject::HeadOnSituation: return QStringLiteral("Head-on situation");
    case Subject::Overtaking: return QStringLiteral("Overtaking");
    case Subject::CompassCard: return QStringLiteral("Compass card");
    case Subject::Lifebuoy: return QStringLiteral("Lifebuoy with light");
    case Subject::SignalFlags: return QStringLiteral("Signal flags");
    case Subject::Stability: return QStringLiteral("Transverse stability");
    case Subject::DayShapes: return QStringLiteral("Day shapes");
    case Subject::ChartExtract: return QStringLiteral("Chart extract");
  }
  return {};
}

void DrawIllustration(QPainter& painter, const QRectF& rect, Subject subject, const QString& caption) {
  painter.save();
  Prepare(painter);
  QRectF area = rect;
  const qreal band = caption.isEmpty() ? 0.0 : qBound(14.0, rect.height() * 0.1, 40.0);
  area.setBottom(rect.bottom() - band);
  painter.setClipRect(area);
  Scene scene{painter, area, qMin(area.width(), area.height()), qMin(area.width(), area.height()) >= 120};
  Draw(scene, subject);
  painter.setClipping(false);
  if (band > 0) {
    const QRectF strip(rect.left(), area.bottom(), rect.width(), band);
    painter.fillRect(strip, colour::Navy);
    FittedText(painter, strip.adjusted(4, 0, -4, 0), caption, band * 0.55, true, Qt::white);
  }
  painter.setPen(QPen(colour::Grey, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
  painter.restore();
}

QImage Illustration(Subject subject, QSize size, const QString& caption) {
  QImage image = NewImage(size, Qt::white);
  QPainter p(&image);
  DrawIllustration(p, QRectF(QPointF(0, 0), QSizeF(size)), subject, caption);
  p.end();
  return image;
}

}  // namespace art
