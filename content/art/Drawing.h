#pragma once
// Shared drawing pieces of the art library: the palette and the shapes that
// recur in icons, backdrops and illustrations.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace art::draw {

namespace colour {
inline const QColor Navy(31, 58, 95);
inline const QColor DeepSea(36, 84, 126);
inline const QColor Sea(70, 130, 180);
inline const QColor LightSea(168, 200, 224);
inline const QColor PaleSea(226, 238, 247);
inline const QColor Chart(247, 242, 228);
inline const QColor Land(236, 214, 160);
inline const QColor Paper(252, 250, 244);
inline const QColor Ink(43, 43, 43);
inline const QColor Grey(120, 126, 134);
inline const QColor LightGrey(208, 212, 218);
inline const QColor Port(200, 55, 45);
inline const QColor Starboard(40, 140, 80);
inline const QColor Yellow(242, 194, 48);
inline const QColor Gold(212, 160, 40);
inline const QColor Antifouling(150, 50, 45);
inline const QColor Hull(45, 52, 64);
inline const QColor White(255, 255, 255);
}  // namespace colour

// A transparent (or filled) ARGB image with an antialiased painter ready.
QImage NewImage(QSize size, const QColor& fill = Qt::transparent);
void Prepare(QPainter& p);

QFont Font(qreal pixelSize, bool bold = false);
// Text centred in a rectangle, shrunk until it fits the width.
void FittedText(QPainter& p, const QRectF& r, const QString& text, qreal pixelSize, bool bold,
                const QColor& colour, int flags = Qt::AlignCenter);

QColor Mix(const QColor& a, const QColor& b, qreal t);  // t = 0 gives a, 1 gives b
QColor Lighter(const QColor& c, qreal towardsWhite);

// Kinds of ship seen from the side.
enum class Ship { Cargo, Tanker, GasCarrier, BulkCarrier };
// A ship in profile, bow to the right, filling `r` (waterline at 70 % of the
// height); `detail` false leaves out the small parts for icon sizes.
void ShipSide(QPainter& p, const QRectF& r, Ship kind, bool detail);
// A ship seen from above, pointing along `headingDeg` (0 = up, clockwise),
// centred at `c`, `length` long.
void ShipPlan(QPainter& p, QPointF c, qreal length, qreal headingDeg, const QColor& fill);

// A compass rose centred at c with radius r. `ring` adds the graduated ring.
// The north point is red unless `north` is given.
void CompassRose(QPainter& p, QPointF c, qreal r, const QColor& dark, const QColor& light, bool ring,
                 bool labels, const QColor& north = QColor());
// A lifebuoy ring centred at c.
void LifebuoyRing(QPainter& p, QPointF c, qreal r, qreal penScale);
// A ship's wheel centred at c.
void ShipsWheel(QPainter& p, QPointF c, qreal r, const QColor& wood, const QColor& rim);

enum class Buoy { PortCan, StarboardCone, North, East, South, West, IsolatedDanger, SafeWater };
// A buoy standing on the waterline at `base` (its bottom centre), `h` tall.
void BuoyShape(QPainter& p, QPointF base, qreal h, Buoy kind);

// Gentle wave lines across r.
void Waves(QPainter& p, const QRectF& r, const QColor& colour, qreal amplitude, qreal wavelength, qreal width);

// A book standing face-on: cover colour, emblem painted by the caller into
// the cover's emblem rectangle.
QRectF Book(QPainter& p, const QRectF& r, const QColor& cover, qreal penScale);

// A line with an arrow head at `to`.
void Arrow(QPainter& p, QPointF from, QPointF to, qreal headLength, const QColor& colour, qreal width);

}  // namespace art::draw
