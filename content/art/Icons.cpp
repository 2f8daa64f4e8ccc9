// List icons. Each is designed on a 32-unit square; the small list's icons
// are the same designs with fewer details and heavier lines.
#include <QHash>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

#include "art/Art.h"
#include "art/Drawing.h"

namespace art {
namespace {

using namespace draw;
using IconPainter = void (*)(QPainter&, bool small);

// Lines are a unit wide on the large icons and about a pixel and a half on
// the small ones.
qreal Line(bool small) { return small ? 1.7 : 1.0; }

// Books stand on whole pixels at the small size.
QRectF BookRect(bool small) { return small ? QRectF(4, 2, 24, 28) : QRectF(5, 2.5, 23, 27.5); }

void Anchor(QPainter& p, QPointF c, qreal h, const QColor& colour, qreal width) {
  p.save();
  QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const qreal top = c.y() - h / 2;
  const qreal bottom = c.y() + h / 2;
  p.drawEllipse(QPointF(c.x(), top + h * 0.08), h * 0.08, h * 0.08);
  p.drawLine(QPointF(c.x(), top + h * 0.16), QPointF(c.x(), bottom));
  p.drawLine(QPointF(c.x() - h * 0.22, top + h * 0.3), QPointF(c.x() + h * 0.22, top + h * 0.3));
  QPainterPath arms;
  arms.moveTo(c.x() - h * 0.36, bottom - h * 0.3);
  arms.quadTo(c.x() - h * 0.3, bottom, c.x(), bottom);
  arms.quadTo(c.x() + h * 0.3, bottom, c.x() + h * 0.36, bottom - h * 0.3);
  p.drawPath(arms);
  // Flukes.
  p.setBrush(colour);
  p.setPen(Qt::NoPen);
  for (int side : {-1, 1}) {
    QPolygonF fluke;
    const QPointF tip(c.x() + side * h * 0.36, bottom - h * 0.36);
    fluke << tip << QPointF(tip.x() - side * h * 0.1, tip.y() + h * 0.12)
          << QPointF(tip.x() + side * h * 0.06, tip.y() + h * 0.1);
    p.drawPolygon(fluke);
  }
  p.restore();
}

void Ref(QPainter& p, bool small) {
  const QRectF emblem = Book(p, BookRect(small), colour::Navy, small ? 1.6 : 1.0);
  Anchor(p, emblem.center() + QPointF(0, small ? 0 : -1), small ? 14 : 13, colour::Gold, small ? 2.4 : 1.6);
  if (!small) {
    p.setPen(QPen(colour::Gold, 0.8));
    p.drawLine(QPointF(emblem.left() + 2, emblem.bottom() - 0.5), QPointF(emblem.right() - 2, emblem.bottom() - 0.5));
  }
}

void Exam(QPainter& p, bool small) {
  const qreal w = Line(small);
  QPainterPath sheet;
  sheet.moveTo(5, 2);
  sheet.lineTo(20, 2);
  sheet.lineTo(26, 8);
  sheet.lineTo(26, 30);
  sheet.lineTo(5, 30);
  sheet.closeSubpath();
  p.setPen(QPen(colour::Grey, w));
  p.setBrush(colour::Paper);
  p.drawPath(sheet);
  p.setBrush(colour::LightGrey);
  p.drawPolygon(QPolygonF{QPointF(20, 2), QPointF(20, 8), QPointF(26, 8)});
  const QList<qreal> rows = small ? QList<qreal>{10, 17, 24} : QList<qreal>{9, 14.5, 20, 25.5};
  for (int i = 0; i < rows.size(); ++i) {
    const qreal y = rows[i];
    p.setPen(QPen(colour::Navy, w * 0.9));
    p.setBrush(Qt::white);
    const qreal box = small ? 4.5 : 3.6;
    p.drawRect(QRectF(8, y - box / 2, box, box));
    p.setPen(QPen(colour::LightSea, small ? 1.8 : 1.2));
    p.drawLine(QPointF(8 + box + 2.5, y), QPointF(small ? 23 : 20 + (i % 2) * 3, y));
    if (i < rows.size() - 1) {
      QPen tick(colour::Starboard, small ? 2.2 : 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
      p.setPen(tick);
      p.setBrush(Qt::NoBrush);
      QPainterPath t;
      t.moveTo(8.3, y);
      t.lineTo(9.6, y + 1.6);
      t.lineTo(12.8, y - 2.8);
      p.drawPath(t);
    }
  }
  if (!small) {
    // A pencil lying across the corner.
    p.save();
    p.translate(24, 24);
    p.rotate(-45);
    p.setPen(QPen(QColor(120, 90, 30), 0.6));
    p.setBrush(colour::Yellow);
    p.drawRect(QRectF(-8, -1.6, 12, 3.2));
    p.setBrush(QColor(230, 150, 150));
    p.drawRect(QRectF(4, -1.6, 2.4, 3.2));
    p.setBrush(QColor(240, 210, 160));
    p.drawPolygon(QPolygonF{QPointF(-8, -1.6), QPointF(-11.5, 0), QPointF(-8, 1.6)});
    p.setBrush(colour::Ink);
    p.drawPolygon(QPolygonF{QPointF(-10.4, -0.5), QPointF(-11.5, 0), QPointF(-10.4, 0.5)});
    p.restore();
  }
}

// A tanker silhouette for the cover of the tanker safety guide, bow right.
void CoverTanker(QPainter& p, const QRectF& r, const QColor& colour, const QColor& cover, bool small) {
  const auto at = [&](qreal x, qreal y) { return QPointF(r.left() + x * r.width(), r.top() + y * r.height()); };
  QPainterPath hull;
  hull.moveTo(at(0, 0.5));
  hull.lineTo(at(0.86, 0.5));
  hull.lineTo(at(1.0, 0.36));
  hull.lineTo(at(0.93, 1.0));
  hull.lineTo(at(0.07, 1.0));
  hull.lineTo(at(0, 0.72));
  hull.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(hull);
  p.drawRect(QRectF(at(0.03, 0.08), at(0.27, 0.52)));
  p.drawRect(QRectF(at(0.11, -0.22), at(0.19, 0.1)));
  if (!small) {
    // Pipeline and manifold on deck, in the cover colour so they read as gaps.
    p.setPen(QPen(cover, 0.7));
    p.drawLine(at(0.32, 0.66), at(0.86, 0.66));
    p.setPen(QPen(colour, 0.8));
    p.drawLine(at(0.58, 0.5), at(0.58, 0.2));
    p.drawLine(at(0.58, 0.22), at(0.7, 0.45));
  }
}

void Isgott(QPainter& p, bool small) {
  const QRectF emblem = Book(p, BookRect(small), QColor(32, 110, 72), small ? 1.6 : 1.0);
  // A tanker on the cover and, below it, a drop of oil.
  const QColor cover(32, 110, 72);
  const QRectF ship(emblem.left() - 1, emblem.top() + (small ? 2.5 : 3), emblem.width() + 2, small ? 8 : 7);
  CoverTanker(p, ship, Qt::white, cover, small);
  const QPointF drop(emblem.center().x(), emblem.bottom() - (small ? 6.5 : 6));
  const qreal d = small ? 4.2 : 3.6;
  QPainterPath oil;
  oil.moveTo(drop.x(), drop.y() - d * 1.5);
  oil.cubicTo(drop.x() + d * 0.4, drop.y() - d * 0.6, drop.x() + d, drop.y(), drop.x() + d * 0.9, drop.y() + d * 0.5);
  oil.arcTo(QRectF(drop.x() - d * 0.9, drop.y() - d * 0.4, d * 1.8, d * 1.8), 0, -180);
  oil.cubicTo(drop.x() - d, drop.y(), drop.x() - d * 0.4, drop.y() - d * 0.6, drop.x(), drop.y() - d * 1.5);
  p.setPen(QPen(Qt::white, small ? 1.2 : 0.8));
  p.setBrush(QColor(24, 24, 28));
  p.drawPath(oil);
}

// Icon-size ship profiles: a hull, an after house and a funnel.
void IconShip(QPainter& p, bool small, const QColor& hullColour, const std::function<void(QPainter&)>& deckGear) {
  // Sea under the ship.
  p.setPen(Qt::NoPen);
  QLinearGradient sea(0, 22, 0, 30);
  sea.setColorAt(0, colour::Sea);
  sea.setColorAt(1, colour::DeepSea);
  p.setBrush(sea);
  p.drawRoundedRect(QRectF(0.5, 22, 31, 8), 2, 2);
  deckGear(p);
  QPainterPath hull;
  hull.moveTo(1, 16);
  hull.lineTo(7, 16);
  hull.lineTo(7, 17.5);
  hull.lineTo(26, 17.5);
  hull.lineTo(26, 15.5);
  hull.lineTo(31.5, 15);
  hull.lineTo(29, 25);
  hull.lineTo(3.5, 25);
  hull.closeSubpath();
  p.setBrush(hullColour);
  p.setPen(small ? Qt::NoPen : QPen(Mix(hullColour, Qt::black, 0.4), 0.5));
  p.drawPath(hull);
  p.save();
  p.setClipRect(QRectF(0, 22.5, 32, 4));
  p.setPen(Qt::NoPen);
  p.setBrush(colour::Antifouling);
  p.drawPath(hull);
  p.restore();
  // House and funnel.
  p.setPen(small ? Qt::NoPen : QPen(colour::Grey, 0.4));
  p.setBrush(QColor(246, 244, 238));
  p.drawRect(QRectF(1.8, 9, 5.6, 7.2));
  p.drawRect(QRectF(1.2, 8.2, 6.8, 1.8));
  p.setBrush(colour::Port);
  p.drawRect(QRectF(3, 5, 2.6, 3.2));
  p.setBrush(colour::Navy);
  p.drawRect(QRectF(3, 4.4, 2.6, 1.2));
  if (!small) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour::Navy);
    for (qreal x = 1.8; x < 7.6; x += 1.6) p.drawRect(QRectF(x, 8.6, 0.9, 0.8));
    p.setPen(QPen(QColor(255, 255, 255, 170), 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 27.5), QPointF(9, 27.5));
    p.drawLine(QPointF(19, 28.5), QPointF(26, 28.5));
  }
}

void Liqgas(QPainter& p, bool small) {
  IconShip(p, small, colour::Hull, [small](QPainter& q) {
    for (qreal x : {11.5, 18.0, 24.5}) {
      const qreal rr = 3.6;
      QRadialGradient g(QPointF(x - 1.2, 15.5), rr * 1.6);
      g.setColorAt(0, Qt::white);
      g.setColorAt(1, QColor(184, 190, 198));
      q.setBrush(g);
      q.setPen(QPen(QColor(110, 116, 124), small ? 0.9 : 0.6));
      q.drawEllipse(QPointF(x, 17.5), rr, rr);
    }
  });
}

void Bulk(QPainter& p, bool small) {
  IconShip(p, small, colour::Hull, [small](QPainter& q) {
    q.setPen(small ? Qt::NoPen : QPen(QColor(110, 50, 36), 0.5));
    q.setBrush(QColor(168, 74, 52));
    for (qreal x = 9; x < 25; x += 4.2) q.drawRect(QRectF(x, 15.2, 3.3, 2.6));
    QPen crane(colour::Yellow, small ? 1.4 : 0.9, Qt::SolidLine, Qt::RoundCap);
    q.setPen(crane);
    for (qreal x : {12.6, 20.9}) {
      q.drawLine(QPointF(x, 15.5), QPointF(x, 8.5));
      q.drawLine(QPointF(x, 9.2), QPointF(x + 4.5, 14.5));
    }
  });
}

void Codesafe(QPainter& p, bool small) {
  // A safety helmet.
  const QColor helmet(246, 196, 36);
  const QColor rim = Mix(helmet, Qt::black, 0.35);
  QPainterPath dome;
  dome.moveTo(5, 21);
  dome.cubicTo(5, 10, 10, 5.5, 16, 5.5);
  dome.cubicTo(22, 5.5, 27, 10, 27, 21);
  dome.closeSubpath();
  QLinearGradient g(8, 6, 24, 22);
  g.setColorAt(0, Lighter(helmet, 0.45));
  g.setColorAt(1, helmet);
  p.setPen(QPen(rim, Line(small)));
  p.setBrush(g);
  p.drawPath(dome);
  // Ridge along the crown.
  p.setBrush(Mix(helmet, Qt::white, 0.25));
  p.drawRoundedRect(QRectF(13.5, 5, 5, 15.8), 2.2, 2.2);
  // Brim.
  QPainterPath brim;
  brim.moveTo(2, 21);
  brim.lineTo(30, 21);
  brim.quadTo(30.5, 24.5, 27, 24.5);
  brim.lineTo(5, 24.5);
  brim.quadTo(1.5, 24.5, 2, 21);
  p.setBrush(Mix(helmet, Qt::black, 0.1));
  p.drawPath(brim);
  if (!small) {
    // A green safety cross on the front.
    p.setPen(Qt::NoPen);
    p.setBrush(colour::Starboard);
    p.drawEllipse(QPointF(9.5, 15.5), 3.2, 3.2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.9, 13.3, 1.2, 4.4));
    p.drawRect(QRectF(7.3, 14.9, 4.4, 1.2));
  }
}

void Stop(QPainter& p, bool small) {
  QPolygonF octagon;
  for (int i = 0; i < 8; ++i) {
    const qreal a = qDegreesToRadians(22.5 + 45.0 * i);
    octagon << QPointF(16 + 15 * qCos(a), 16 + 15 * qSin(a));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(150, 20, 20));
  p.drawPolygon(octagon);
  QPolygonF inner;
  for (int i = 0; i < 8; ++i) {
    const qreal a = qDegreesToRadians(22.5 + 45.0 * i);
    inner << QPointF(16 + 13.6 * qCos(a), 16 + 13.6 * qSin(a));
  }
  p.setBrush(Qt::white);
  p.drawPolygon(inner);
  QPolygonF face;
  for (int i = 0; i < 8; ++i) {
    const qreal a = qDegreesToRadians(22.5 + 45.0 * i);
    face << QPointF(16 + 12.4 * qCos(a), 16 + 12.4 * qSin(a));
  }
  QLinearGradient g(0, 4, 0, 28);
  g.setColorAt(0, QColor(226, 52, 44));
  g.setColorAt(1, QColor(184, 28, 28));
  p.setBrush(g);
  p.drawPolygon(face);
  if (small) {
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 13.5, 17, 5));
  } else {
    p.setFont(Font(8.6, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("STOP"));
  }
}

void Medguide(QPainter& p, bool small) {
  const QRectF emblem = Book(p, BookRect(small), QColor(44, 104, 160), small ? 1.6 : 1.0);
  const QPointF c = emblem.center();
  const qreal r = small ? 7.2 : 6.6;
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(c, r, r);
  p.setBrush(colour::Port);
  const qreal arm = r * 0.34;
  p.drawRect(QRectF(c.x() - arm, c.y() - r * 0.78, arm * 2, r * 1.56));
  p.drawRect(QRectF(c.x() - r * 0.78, c.y() - arm, r * 1.56, arm * 2));
}

void Contactlist(QPainter& p, bool small) {
  const qreal w = Line(small);
  // Binder rings above a card.
  p.setPen(QPen(colour::Navy, w));
  p.setBrush(colour::Paper);
  p.drawRoundedRect(QRectF(2.5, 6, 27, 21), 2, 2);
  p.setPen(Qt::NoPen);
  p.setBrush(colour::Navy);
  p.drawRect(QRectF(2.5, 6, 27, small ? 4 : 3.2));
  // A person on the left.
  p.setBrush(colour::Sea);
  p.drawEllipse(QPointF(9.5, 15), small ? 3.4 : 3, small ? 3.4 : 3);
  QPainterPath body;
  body.moveTo(4, 25.5);
  body.cubicTo(4, 19.5, 15, 19.5, 15, 25.5);
  body.closeSubpath();
  p.drawPath(body);
  // Lines of the entry.
  p.setPen(QPen(colour::Navy, small ? 1.8 : 1.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(17.5, 14), QPointF(26.5, 14));
  p.setPen(QPen(colour::Grey, small ? 1.8 : 1.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(17.5, 19), QPointF(26.5, 19));
  if (!small) p.drawLine(QPointF(17.5, 23), QPointF(24, 23));
  if (!small) {
    p.setPen(QPen(colour::Grey, 1.1));
    p.setBrush(Qt::NoBrush);
    for (qreal x : {9.0, 16.0, 23.0}) p.drawRoundedRect(QRectF(x - 1, 3.5, 2, 5), 1, 1);
  }
}

void SmallBook(QPainter& p, bool small) {
  const QRectF emblem = Book(p, BookRect(small), QColor(122, 62, 44), small ? 1.6 : 1.0);
  p.setPen(QPen(colour::Gold, small ? 1.8 : 1.0));
  p.drawLine(QPointF(emblem.left() + 1, emblem.top() + 4), QPointF(emblem.right() - 1, emblem.top() + 4));
  p.drawLine(QPointF(emblem.left() + 1, emblem.bottom() - 4), QPointF(emblem.right() - 1, emblem.bottom() - 4));
}

const QColor kFolder(233, 190, 104);

void Closed(QPainter& p, bool small) {
  const qreal w = Line(small);
  const QColor edge = Mix(kFolder, Qt::black, 0.45);
  QPainterPath back;
  back.moveTo(2, 7);
  back.lineTo(12, 7);
  back.lineTo(14.5, 9.5);
  back.lineTo(30, 9.5);
  back.lineTo(30, 27);
  back.lineTo(2, 27);
  back.closeSubpath();
  p.setPen(QPen(edge, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Mix(kFolder, Qt::black, 0.12));
  p.drawPath(back);
  QLinearGradient g(0, 12, 0, 27);
  g.setColorAt(0, Lighter(kFolder, 0.3));
  g.setColorAt(1, kFolder);
  p.setBrush(g);
  p.drawRect(QRectF(2, 12, 28, 15));
}

void Open(QPainter& p, bool small) {
  const qreal w = Line(small);
  const QColor edge = Mix(kFolder, Qt::black, 0.45);
  QPainterPath back;
  back.moveTo(2, 7);
  back.lineTo(11, 7);
  back.lineTo(13.5, 9.5);
  back.lineTo(27, 9.5);
  back.lineTo(27, 27);
  back.lineTo(2, 27);
  back.closeSubpath();
  p.setPen(QPen(edge, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Mix(kFolder, Qt::black, 0.12));
  p.drawPath(back);
  // A sheet showing inside.
  p.setBrush(Qt::white);
  p.drawRect(QRectF(5, 11, 19, 12));
  QPainterPath front;
  front.moveTo(6.5, 14.5);
  front.lineTo(31, 14.5);
  front.lineTo(26.5, 27);
  front.lineTo(2, 27);
  front.closeSubpath();
  QLinearGradient g(0, 14, 0, 27);
  g.setColorAt(0, Lighter(kFolder, 0.35));
  g.setColorAt(1, kFolder);
  p.setBrush(g);
  p.drawPath(front);
}

void Leaf(QPainter& p, bool small) {
  const qreal w = Line(small);
  QPainterPath sheet;
  sheet.moveTo(7, 3);
  sheet.lineTo(19.5, 3);
  sheet.lineTo(25.5, 9);
  sheet.lineTo(25.5, 29);
  sheet.lineTo(7, 29);
  sheet.closeSubpath();
  p.setPen(QPen(colour::Sea, w, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::white);
  p.drawPath(sheet);
  p.setBrush(colour::PaleSea);
  p.drawPolygon(QPolygonF{QPointF(19.5, 3), QPointF(19.5, 9), QPointF(25.5, 9)});
  p.setPen(QPen(colour::LightSea, small ? 1.8 : 1.2));
  const qreal step = small ? 5.5 : 4;
  for (qreal y = 13; y < 27; y += step) p.drawLine(QPointF(10, y), QPointF(y < 14 ? 17 : 22.5, y));
}

void MainEmblem(QPainter& p, bool small, bool mates) {
  const QColor accent = EditionColour(mates ? Edition::MM : Edition::OOW);
  // A navy disc inside a ring of the edition colour.
  QRadialGradient disc(QPointF(13, 12), 18);
  disc.setColorAt(0, Lighter(colour::Navy, 0.2));
  disc.setColorAt(1, colour::Navy);
  p.setPen(Qt::NoPen);
  p.setBrush(accent);
  p.drawEllipse(QPointF(16, 16), 15.5, 15.5);
  p.setBrush(disc);
  p.drawEllipse(QPointF(16, 16), 12.8, 12.8);
  if (mates) {
    ShipsWheel(p, QPointF(16, 16), 12.6, accent, Lighter(accent, 0.35));
  } else {
    CompassRose(p, QPointF(16, 16), 12.0, accent, Qt::white, false, false);
  }
  if (!small) {
    p.setPen(QPen(Mix(accent, Qt::black, 0.35), 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(16, 16), 15.5, 15.5);
  }
}

void MainOow(QPainter& p, bool small) { MainEmblem(p, small, false); }
void MainMm(QPainter& p, bool small) { MainEmblem(p, small, true); }

const QHash<QString, IconPainter>& Designs() {
  static const QHash<QString, IconPainter> designs = {
      {QStringLiteral("ref"), Ref},
      {QStringLiteral("exam"), Exam},
      {QStringLiteral("isgott"), Isgott},
      {QStringLiteral("liqgas"), Liqgas},
      {QStringLiteral("bulk"), Bulk},
      {QStringLiteral("codesafe"), Codesafe},
      {QStringLiteral("stop"), Stop},
      {QStringLiteral("medguide"), Medguide},
      {QStringLiteral("contactlist"), Contactlist},
      {QStringLiteral("Book"), SmallBook},
      {QStringLiteral("closed"), Closed},
      {QStringLiteral("open"), Open},
      {QStringLiteral("leaf"), Leaf},
      {QStringLiteral("mainQVRV 5 - OOW"), MainOow},
      {QStringLiteral("mainQVRV 5 - Mates Masters"), MainMm},
  };
  return designs;
}

}  // namespace

QStringList LargeIconKeys() {
  return {QStringLiteral("ref"),      QStringLiteral("exam"), QStringLiteral("isgott"),
          QStringLiteral("liqgas"),   QStringLiteral("bulk"), QStringLiteral("codesafe"),
          QStringLiteral("stop"),     QStringLiteral("medguide"), QStringLiteral("contactlist")};
}

QStringList SmallIconKeys() {
  QStringList keys;
  for (const QString& key : LargeIconKeys()) keys << QStringLiteral("sml") + key;
  keys << QStringLiteral("smlBook") << QStringLiteral("closed") << QStringLiteral("open") << QStringLiteral("leaf");
  return keys;
}

QImage Icon(const QString& key, int size) {
  QString design = key;
  if (key.startsWith(QLatin1String("sml"))) design = key.mid(3);
  const auto found = Designs().constFind(design);
  if (found == Designs().constEnd() || size <= 0) return {};
  QImage image = NewImage(QSize(size, size));
  QPainter p(&image);
  Prepare(p);
  p.scale(size / 32.0, size / 32.0);
  (*found)(p, size < 24);
  p.end();
  return image;
}

}  // namespace art
