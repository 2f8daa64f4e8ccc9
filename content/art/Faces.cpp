// Button faces and small pictures of the dialogs: the judgement buttons, the
// Exit button, the log-on buttons and persons, the wait pictures and the
// "no picture" placeholder.
#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

#include "art/Art.h"
#include "art/Drawing.h"

namespace art {
namespace {

using namespace draw;

// A rounded button face in the edition colour, lit from above.
QRectF ButtonFace(QPainter& p, QSize size, const QColor& tone) {
  const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal radius = qMin(r.width(), r.height()) * 0.18;
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, Lighter(tone, 0.62));
  g.setColorAt(0.5, Lighter(tone, 0.3));
  g.setColorAt(1, tone);
  p.setPen(QPen(Mix(tone, Qt::black, 0.42), 1.0));
  p.setBrush(g);
  p.drawRoundedRect(r, radius, radius);
  p.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
  return r;
}

// A stroke drawn twice: a white halo, then the colour, so it reads on any face.
void HaloPath(QPainter& p, const QPainterPath& path, const QColor& colour, qreal width) {
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 230), width + qMax(2.0, width * 0.45), Qt::SolidLine, Qt::RoundCap,
                Qt::RoundJoin));
  p.drawPath(path);
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(path);
  p.restore();
}

QPainterPath TickPath(const QRectF& box) {
  QPainterPath tick;
  tick.moveTo(box.left() + box.width() * 0.08, box.top() + box.height() * 0.55);
  tick.lineTo(box.left() + box.width() * 0.38, box.top() + box.height() * 0.85);
  tick.lineTo(box.left() + box.width() * 0.92, box.top() + box.height() * 0.15);
  return tick;
}

QPainterPath CrossPath(const QRectF& box) {
  QPainterPath cross;
  cross.moveTo(box.topLeft());
  cross.lineTo(box.bottomRight());
  cross.moveTo(box.topRight());
  cross.lineTo(box.bottomLeft());
  return cross;
}

// A head and shoulders centred in r; the cap is drawn by the caller.
void Bust(QPainter& p, const QRectF& r, const QColor& jacket) {
  const QPointF head(r.center().x(), r.top() + r.height() * 0.42);
  const qreal hr = r.width() * 0.17;
  QPainterPath body;
  body.moveTo(r.left() + r.width() * 0.12, r.bottom());
  body.cubicTo(r.left() + r.width() * 0.12, r.top() + r.height() * 0.66, r.right() - r.width() * 0.12,
               r.top() + r.height() * 0.66, r.right() - r.width() * 0.12, r.bottom());
  body.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(jacket);
  p.drawPath(body);
  // Shirt collar.
  p.setBrush(Qt::white);
  QPolygonF collar;
  collar << QPointF(head.x() - hr * 0.6, r.top() + r.height() * 0.7) << QPointF(head.x() + hr * 0.6, r.top() + r.height() * 0.7)
         << QPointF(head.x(), r.top() + r.height() * 0.86);
  p.drawPolygon(collar);
  p.setBrush(QColor(232, 190, 160));
  p.setPen(QPen(QColor(170, 120, 90), qMax(0.5, r.width() * 0.015)));
  p.drawEllipse(head, hr, hr * 1.12);
}

void Cap(QPainter& p, const QRectF& r, bool braid) {
  const QPointF head(r.center().x(), r.top() + r.height() * 0.42);
  const qreal hr = r.width() * 0.17;
  const qreal pw = qMax(0.5, r.width() * 0.015);
  // White crown, black band and peak.
  QRectF crown(head.x() - hr * 1.45, head.y() - hr * 1.75, hr * 2.9, hr * 0.9);
  p.setPen(QPen(QColor(120, 120, 120), pw));
  p.setBrush(Qt::white);
  p.drawEllipse(crown);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 30, 36));
  p.drawRect(QRectF(head.x() - hr * 1.05, head.y() - hr * 1.35, hr * 2.1, hr * 0.55));
  QPainterPath peak;
  peak.moveTo(head.x() - hr * 1.1, head.y() - hr * 0.8);
  peak.quadTo(head.x(), head.y() - hr * 0.35, head.x() + hr * 1.1, head.y() - hr * 0.8);
  peak.lineTo(head.x() + hr * 1.1, head.y() - hr * 0.95);
  peak.lineTo(head.x() - hr * 1.1, head.y() - hr * 0.95);
  peak.closeSubpath();
  p.drawPath(peak);
  // Badge.
  p.setBrush(colour::Gold);
  p.drawEllipse(QPointF(head.x(), head.y() - hr * 1.08), hr * 0.25, hr * 0.2);
  if (braid) {
    p.setPen(QPen(colour::Gold, qMax(0.8, r.width() * 0.025)));
    p.drawLine(QPointF(head.x() - hr * 0.9, head.y() - hr * 0.75), QPointF(head.x() + hr * 0.9, head.y() - hr * 0.75));
  }
}

void ShoulderStripes(QPainter& p, const QRectF& r, int stripes) {
  const qreal pw = qMax(0.8, r.height() * 0.025);
  p.setPen(QPen(colour::Gold, pw));
  for (int side : {-1, 1}) {
    const qreal x0 = r.center().x() + side * r.width() * 0.24;
    const qreal x1 = r.center().x() + side * r.width() * 0.38;
    for (int i = 0; i < stripes; ++i) {
      const qreal y = r.top() + r.height() * (0.8 + i * 0.045);
      p.drawLine(QPointF(x0, y), QPointF(x1, y + side * 0));
    }
  }
}

}  // namespace

QImage NoPicture(Edition edition, QSize size) {
  const QColor tone = EditionColour(edition);
  QImage image = NewImage(size);
  QPainter p(&image);
  Prepare(p);
  const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(1, 1, -1, -1);
  p.setPen(QPen(Mix(tone, Qt::black, 0.3), 1.2, Qt::DashLine));
  p.setBrush(Lighter(tone, 0.85));
  p.drawRoundedRect(r, 6, 6);
  // A framed picture of a ship at sea, greyed out and struck through.
  const qreal fw = r.width() * 0.42;
  const qreal fh = fw * 0.68;
  const QRectF frame(r.center().x() - fw / 2, r.top() + r.height() * 0.14, fw, fh);
  p.setPen(QPen(QColor(150, 150, 150), 1.5));
  p.setBrush(QColor(246, 246, 246));
  p.drawRect(frame);
  p.save();
  p.setClipRect(frame.adjusted(1, 1, -1, -1));
  p.fillRect(QRectF(frame.left(), frame.top() + fh * 0.62, fw, fh * 0.4), QColor(214, 218, 222));
  p.setOpacity(0.55);
  ShipSide(p, QRectF(frame.left() + fw * 0.15, frame.top() + fh * 0.3, fw * 0.7, fh * 0.46), Ship::Cargo, false);
  p.restore();
  QPen slash(QColor(150, 60, 50), 2.2, Qt::SolidLine, Qt::RoundCap);
  p.setPen(slash);
  p.drawLine(frame.bottomLeft() + QPointF(-4, 4), frame.topRight() + QPointF(4, -4));
  FittedText(p, QRectF(r.left() + 4, frame.bottom() + r.height() * 0.06, r.width() - 8, r.height() * 0.2),
             QStringLiteral("No picture"), r.height() * 0.13, true, QColor(90, 90, 90));
  p.end();
  return image;
}

QImage JudgementFace(Edition edition, Judgement judgement, QSize size) {
  QImage image = NewImage(size);
  QPainter p(&image);
  Prepare(p);
  const QRectF face = ButtonFace(p, size, EditionColour(edition));
  const qreal s = qMin(face.width(), face.height());
  const QRectF box(face.center().x() - s * 0.32, face.center().y() - s * 0.32, s * 0.64, s * 0.64);
  const qreal width = s * 0.16;
  switch (judgement) {
    case Judgement::Correct:
      HaloPath(p, TickPath(box.adjusted(-s * 0.08, 0, s * 0.08, 0)), QColor(24, 128, 56), width);
      break;
    case Judgement::Wrong:
      HaloPath(p, CrossPath(box.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04)), QColor(196, 32, 32), width);
      break;
    case Judgement::Passed: {
      // Two chevrons pointing on: the question is passed over.
      QPainterPath chevrons;
      const qreal cx = face.center().x();
      const qreal cy = face.center().y();
      for (qreal dx : {-s * 0.2, s * 0.12}) {
        chevrons.moveTo(cx + dx - s * 0.08, cy - s * 0.28);
        chevrons.lineTo(cx + dx + s * 0.2, cy);
        chevrons.lineTo(cx + dx - s * 0.08, cy + s * 0.28);
      }
      HaloPath(p, chevrons, colour::Navy, width * 0.9);
      break;
    }
  }
  p.end();
  return image;
}

QImage ExitFace(Edition edition, QSize size) {
  QImage image = NewImage(size);
  QPainter p(&image);
  Prepare(p);
  const QRectF face = ButtonFace(p, size, EditionColour(edition));
  const qreal s = face.height();
  // A door standing open with an arrow leaving through it.
  const QRectF door(face.left() + s * 0.28, face.top() + s * 0.2, s * 0.36, s * 0.6);
  p.setPen(QPen(colour::Navy, qMax(1.0, s * 0.05)));
  p.setBrush(Qt::white);
  p.drawRect(door);
  QPolygonF leaf;
  leaf << door.topLeft() << QPointF(door.left() + door.width() * 0.6, door.top() + s * 0.06)
       << QPointF(door.left() + door.width() * 0.6, door.bottom() + s * 0.06) << door.bottomLeft();
  p.setBrush(Lighter(colour::Navy, 0.35));
  p.drawPolygon(leaf);
  Arrow(p, QPointF(door.center().x(), door.center().y()), QPointF(door.right() + s * 0.32, door.center().y()),
        s * 0.2, QColor(196, 32, 32), s * 0.09);
  FittedText(p, QRectF(door.right() + s * 0.36, face.top(), face.right() - door.right() - s * 0.4, face.height()),
             QStringLiteral("Exit"), s * 0.38, true, colour::Navy, Qt::AlignVCenter | Qt::AlignLeft);
  p.end();
  return image;
}

QImage LogonFace(LogonButton button, QSize size) {
  QImage image = NewImage(size);
  QPainter p(&image);
  Prepare(p);
  const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal s = qMin(r.width(), r.height());
  // Round face on the browser's window colour.
  QRadialGradient g(r.center() - QPointF(s * 0.15, s * 0.2), s * 0.7);
  g.setColorAt(0, Lighter(StepWindowColour(), 0.7));
  g.setColorAt(1, StepWindowColour());
  p.setPen(QPen(Mix(StepWindowColour(), Qt::black, 0.45), 1.0));
  p.setBrush(g);
  p.drawRoundedRect(r, s * 0.2, s * 0.2);
  if (button == LogonButton::OK) {
    // A key: check the name and password.
    p.save();
    p.translate(r.center());
    p.rotate(-40);
    const QColor brass(200, 150, 40);
    p.setPen(QPen(Mix(brass, Qt::black, 0.4), qMax(0.8, s * 0.03)));
    p.setBrush(brass);
    QPainterPath bow;
    bow.addEllipse(QPointF(-s * 0.2, 0), s * 0.15, s * 0.15);
    bow.addEllipse(QPointF(-s * 0.2, 0), s * 0.06, s * 0.06);
    bow.setFillRule(Qt::OddEvenFill);
    p.drawPath(bow);
    p.drawRect(QRectF(-s * 0.06, -s * 0.045, s * 0.38, s * 0.09));
    p.drawRect(QRectF(s * 0.2, 0, s * 0.05, s * 0.12));
    p.drawRect(QRectF(s * 0.1, 0, s * 0.05, s * 0.09));
    p.restore();
  } else {
    // A person with a badge: plus to add, tick to confirm.
    Bust(p, QRectF(r.left() + s * 0.1, r.top() + s * 0.12, s * 0.62, s * 0.78), colour::Navy);
    const QPointF badge(r.right() - s * 0.26, r.bottom() - s * 0.26);
    const qreal br = s * 0.2;
    p.setPen(QPen(Qt::white, qMax(1.0, s * 0.04)));
    p.setBrush(button == LogonButton::Add ? QColor(36, 120, 200) : QColor(24, 128, 56));
    p.drawEllipse(badge, br, br);
    QPen mark(Qt::white, qMax(1.5, s * 0.07), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(mark);
    p.setBrush(Qt::NoBrush);
    if (button == LogonButton::Add) {
      p.drawLine(badge + QPointF(-br * 0.55, 0), badge + QPointF(br * 0.55, 0));
      p.drawLine(badge + QPointF(0, -br * 0.55), badge + QPointF(0, br * 0.55));
    } else {
      p.drawPath(TickPath(QRectF(badge.x() - br * 0.6, badge.y() - br * 0.5, br * 1.2, br * 1.0)));
    }
  }
  p.end();
  return image;
}

QImage PersonPicture(Person person, QSize size) {
  QImage image = NewImage(size);
  QPainter p(&image);
  Prepare(p);
  const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal s = qMin(r.width(), r.height());
  const QColor ground = person == Person::Assessor ? QColor(250, 226, 180) : Lighter(StepWindowColour(), 0.3);
  p.setPen(QPen(Mix(ground, Qt::black, 0.4), 1.0));
  p.setBrush(ground);
  p.drawEllipse(r.center(), s / 2 - 0.5, s / 2 - 0.5);
  p.save();
  QPainterPath clip;
  clip.addEllipse(r.center(), s / 2 - 1, s / 2 - 1);
  p.setClipPath(clip);
  const QRectF bust(r.left() + s * 0.12, r.top() + s * 0.12, s * 0.76, s * 0.9);
  Bust(p, bust, colour::Navy);
  ShoulderStripes(p, bust, person == Person::Assessor ? 4 : 1);
  Cap(p, bust, person == Person::Assessor);
  p.restore();
  if (person == Person::Assessor) {
    // The assessor carries a clipboard.
    const QRectF board(r.right() - s * 0.36, r.bottom() - s * 0.42, s * 0.3, s * 0.38);
    p.setPen(QPen(QColor(110, 80, 40), qMax(0.8, s * 0.02)));
    p.setBrush(QColor(190, 150, 90));
    p.drawRoundedRect(board, s * 0.03, s * 0.03);
    p.setBrush(Qt::white);
    p.drawRect(board.adjusted(s * 0.04, s * 0.06, -s * 0.04, -s * 0.03));
    p.setPen(QPen(colour::Grey, qMax(0.6, s * 0.02)));
    for (int i = 0; i < 3; ++i) {
      const qreal y = board.top() + s * (0.13 + i * 0.07);
      p.drawLine(QPointF(board.left() + s * 0.07, y), QPointF(board.right() - s * 0.07, y));
    }
  }
  p.end();
  return image;
}

QImage WaitPicture(QSize size) {
  QImage image = NewImage(size);
  QPainter p(&image);
  Prepare(p);
  const qreal s = qMin(size.width(), size.height());
  ShipsWheel(p, QPointF(size.width() / 2.0, size.height() / 2.0), s * 0.5, QColor(150, 98, 52), QColor(118, 74, 38));
  p.end();
  return image;
}

QImage PrintWaitPicture(QSize size) {
  QImage image = NewImage(size);
  QPainter p(&image);
  Prepare(p);
  const qreal s = qMin(size.width(), size.height());
  const qreal pw = qMax(0.8, s * 0.025);
  // Paper tray at the back with a chart sheet in it.
  p.setPen(QPen(colour::Grey, pw));
  p.setBrush(colour::Chart);
  p.drawRect(QRectF(s * 0.26, s * 0.06, s * 0.48, s * 0.3));
  // Body.
  QLinearGradient body(0, s * 0.3, 0, s * 0.72);
  body.setColorAt(0, QColor(222, 226, 232));
  body.setColorAt(1, QColor(160, 168, 178));
  p.setPen(QPen(QColor(90, 96, 104), pw));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(s * 0.08, s * 0.3, s * 0.84, s * 0.4), s * 0.06, s * 0.06);
  p.setBrush(QColor(60, 66, 74));
  p.drawRect(QRectF(s * 0.2, s * 0.6, s * 0.6, s * 0.05));
  p.setPen(Qt::NoPen);
  p.setBrush(colour::Starboard);
  p.drawEllipse(QPointF(s * 0.8, s * 0.4), s * 0.035, s * 0.035);
  // The printed chart coming out in front.
  const QRectF sheet(s * 0.22, s * 0.62, s * 0.56, s * 0.34);
  p.setPen(QPen(colour::Grey, pw));
  p.setBrush(colour::Chart);
  p.drawRect(sheet);
  p.save();
  p.setClipRect(sheet);
  p.setPen(Qt::NoPen);
  p.setBrush(colour::Land);
  QPainterPath land;
  land.moveTo(sheet.right(), sheet.top());
  land.quadTo(sheet.left() + sheet.width() * 0.55, sheet.top() + sheet.height() * 0.3, sheet.left() + sheet.width() * 0.7,
              sheet.bottom());
  land.lineTo(sheet.bottomRight());
  land.closeSubpath();
  p.drawPath(land);
  QPen course(colour::Port, qMax(0.8, s * 0.025), Qt::DashLine);
  p.setPen(course);
  p.drawLine(QPointF(sheet.left() + s * 0.04, sheet.bottom() - s * 0.05), QPointF(sheet.left() + sheet.width() * 0.5,
                                                                                 sheet.top() + s * 0.06));
  p.restore();
  p.end();
  return image;
}

}  // namespace art
