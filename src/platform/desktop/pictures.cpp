// Pictures drawn with QPainter: gradients and plain shapes in the program's blue-grey.
#include "platform/desktop/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace ark::desktop::pictures {

namespace {

const QColor kNavy(0x1f, 0x2d, 0x4a);
const QColor kSteel(0x3b, 0x5b, 0x8c);
const QColor kSky(0xd9, 0xe6, 0xf5);
const QColor kAmber(0xf2, 0xa9, 0x3b);

QPixmap transparent(QSize s) {
  QPixmap pm(s);
  pm.fill(Qt::transparent);
  return pm;
}

// The archive box: lid, body, label with "A"; drawn in a square of side s at origin.
void drawBox(QPainter& p, qreal s) {
  p.setRenderHint(QPainter::Antialiasing);
  const qreal m = s * 0.08;
  const QRectF lid(m, s * 0.18, s - 2 * m, s * 0.2);
  const QRectF body(m + s * 0.05, s * 0.36, s - 2 * m - s * 0.1, s * 0.54);
  QLinearGradient g(body.topLeft(), body.bottomLeft());
  g.setColorAt(0, kSteel.lighter(130));
  g.setColorAt(1, kNavy);
  p.setPen(QPen(kNavy.darker(130), qMax<qreal>(1, s / 32)));
  p.setBrush(g);
  p.drawRoundedRect(body, s * 0.05, s * 0.05);
  QLinearGradient lg(lid.topLeft(), lid.bottomLeft());
  lg.setColorAt(0, kSteel.lighter(160));
  lg.setColorAt(1, kSteel);
  p.setBrush(lg);
  p.drawRoundedRect(lid, s * 0.05, s * 0.05);
  const QRectF label(s * 0.32, s * 0.46, s * 0.36, s * 0.32);
  p.setPen(Qt::NoPen);
  p.setBrush(kAmber);
  p.drawRoundedRect(label, s * 0.04, s * 0.04);
  QFont f(QStringLiteral("Tahoma"));
  f.setBold(true);
  f.setPixelSize(qMax(6, int(s * 0.28)));
  p.setFont(f);
  p.setPen(kNavy);
  p.drawText(label, Qt::AlignCenter, QStringLiteral("A"));
}

// A window background: a vertical gradient with soft diagonal bands and a thin frame.
QPixmap background(QSize s, const QColor& top, const QColor& bottom) {
  QPixmap pm(s);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, s.height());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillRect(pm.rect(), g);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 3; ++i) {
    QColor band = Qt::white;
    band.setAlpha(18 - i * 4);
    p.setBrush(band);
    QPainterPath path;
    const qreal x = s.width() * (0.45 + 0.15 * i);
    path.moveTo(x, 0);
    path.lineTo(x + s.width() * 0.12, 0);
    path.lineTo(x - s.width() * 0.2, s.height());
    path.lineTo(x - s.width() * 0.32, s.height());
    path.closeSubpath();
    p.drawPath(path);
  }
  p.setPen(QPen(kNavy, 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(pm.rect()).adjusted(1, 1, -1, -1));
  return pm;
}

void drawMark(QPainter& p, QRectF r) {
  p.save();
  p.translate(r.topLeft());
  drawBox(p, qMin(r.width(), r.height()));
  p.restore();
}

}  // namespace

QPixmap programPixmap(int size) {
  QPixmap pm = transparent(QSize(size, size));
  QPainter p(&pm);
  drawBox(p, size);
  return pm;
}

QIcon programIcon() {
  QIcon icon;
  for (int s : {16, 22, 24, 32, 48, 64, 128}) icon.addPixmap(programPixmap(s));
  return icon;
}

QPixmap splashBackground() {
  QPixmap pm = background(QSize(501, 310), kSky, Qt::white);
  QPainter p(&pm);
  drawMark(p, QRectF(24, 24, 96, 96));
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(30);
  f.setBold(true);
  p.setFont(f);
  p.setPen(kNavy);
  p.drawText(QRectF(136, 40, 340, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Arkivor"));
  f.setPixelSize(13);
  f.setBold(false);
  p.setFont(f);
  p.setPen(kSteel);
  p.drawText(QRectF(138, 80, 340, 24), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Dovral Videzide®"));
  return pm;
}

QPixmap mainBackground() {
  QPixmap pm = background(QSize(626, 400), Qt::white, kSky);
  QPainter p(&pm);
  QLinearGradient g(0, 0, 626, 0);
  g.setColorAt(0, kNavy);
  g.setColorAt(1, kSteel);
  p.fillRect(QRect(0, 0, 626, 34), g);
  drawMark(p, QRectF(8, 3, 28, 28));
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(15);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(44, 0, 400, 34), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Arkivor - Backup"));
  return pm;
}

QPixmap progressBackground() {
  QPixmap pm = background(QSize(603, 361), Qt::white, kSky);
  QPainter p(&pm);
  drawMark(p, QRectF(16, 16, 56, 56));
  return pm;
}

QPixmap maintenanceLogo(int size) {
  QPixmap pm = transparent(QSize(size, size));
  QPainter p(&pm);
  drawBox(p, size);
  // A small gear over the box's corner: maintenance.
  const qreal r = size * 0.2;
  const QPointF c(size * 0.78, size * 0.78);
  p.setPen(Qt::NoPen);
  p.setBrush(kAmber.darker(120));
  for (int i = 0; i < 8; ++i) {
    p.save();
    p.translate(c);
    p.rotate(i * 45);
    p.drawRect(QRectF(-r * 0.18, -r * 1.25, r * 0.36, r * 0.5));
    p.restore();
  }
  p.drawEllipse(c, r, r);
  p.setBrush(Qt::white);
  p.drawEllipse(c, r * 0.4, r * 0.4);
  return pm;
}

QPixmap visitBanner(QSize size) {
  QPixmap pm(size);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, size.width(), 0);
  g.setColorAt(0, kNavy);
  g.setColorAt(1, kSteel);
  p.fillRect(pm.rect(), g);
  const int h = size.height();
  drawMark(p, QRectF(12, h * 0.15, h * 0.7, h * 0.7));
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(qMax(10, h / 4));
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(h, 0, size.width() - h - 12, h), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Visita de Suporte"));
  return pm;
}

QPixmap answerPicture(Answer a, int size) {
  QPixmap pm = transparent(QSize(size, size));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor colour = a == Answer::Yes  ? QColor(0, 128, 0)
                        : a == Answer::No ? QColor(128, 0, 0)
                                          : QColor(64, 64, 64);
  const QRectF disc(size * 0.06, size * 0.06, size * 0.88, size * 0.88);
  QRadialGradient g(disc.center() - QPointF(size * 0.15, size * 0.15), size * 0.6);
  g.setColorAt(0, colour.lighter(170));
  g.setColorAt(1, colour);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawEllipse(disc);
  QPen pen(Qt::white, size * 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const qreal s = size;
  switch (a) {
    case Answer::Yes: {
      QPainterPath tick;
      tick.moveTo(s * 0.28, s * 0.52);
      tick.lineTo(s * 0.44, s * 0.68);
      tick.lineTo(s * 0.73, s * 0.35);
      p.drawPath(tick);
      break;
    }
    case Answer::No:
      p.drawLine(QPointF(s * 0.32, s * 0.32), QPointF(s * 0.68, s * 0.68));
      p.drawLine(QPointF(s * 0.68, s * 0.32), QPointF(s * 0.32, s * 0.68));
      break;
    case Answer::Later:
      pen.setWidthF(s * 0.06);
      p.setPen(pen);
      p.drawEllipse(QPointF(s / 2, s / 2), s * 0.28, s * 0.28);
      p.drawLine(QPointF(s / 2, s / 2), QPointF(s / 2, s * 0.3));
      p.drawLine(QPointF(s / 2, s / 2), QPointF(s * 0.64, s * 0.58));
      break;
  }
  return pm;
}

QPixmap buttonPicture(Button b, int size) {
  QPixmap pm = transparent(QSize(size, size));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  QPen pen(kSteel, qMax<qreal>(1.5, s * 0.12), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  switch (b) {
    case Button::Include:  // plus
      pen.setColor(QColor(0, 128, 0));
      p.setPen(pen);
      p.drawLine(QPointF(s / 2, s * 0.2), QPointF(s / 2, s * 0.8));
      p.drawLine(QPointF(s * 0.2, s / 2), QPointF(s * 0.8, s / 2));
      break;
    case Button::Change: {  // pencil
      p.save();
      p.translate(s / 2, s / 2);
      p.rotate(-45);
      p.setPen(Qt::NoPen);
      p.setBrush(kAmber);
      p.drawRect(QRectF(-s * 0.3, -s * 0.1, s * 0.5, s * 0.2));
      QPainterPath tipPath;
      tipPath.moveTo(s * 0.2, -s * 0.1);
      tipPath.lineTo(s * 0.38, 0);
      tipPath.lineTo(s * 0.2, s * 0.1);
      tipPath.closeSubpath();
      p.setBrush(kNavy);
      p.drawPath(tipPath);
      p.restore();
      break;
    }
    case Button::Delete:  // cross
      pen.setColor(QColor(160, 0, 0));
      p.setPen(pen);
      p.drawLine(QPointF(s * 0.25, s * 0.25), QPointF(s * 0.75, s * 0.75));
      p.drawLine(QPointF(s * 0.75, s * 0.25), QPointF(s * 0.25, s * 0.75));
      break;
    case Button::Close: {  // door with an arrow
      pen.setWidthF(qMax<qreal>(1.2, s * 0.08));
      p.setPen(pen);
      p.drawRect(QRectF(s * 0.18, s * 0.15, s * 0.4, s * 0.7));
      p.drawLine(QPointF(s * 0.45, s / 2), QPointF(s * 0.88, s / 2));
      p.drawLine(QPointF(s * 0.74, s * 0.36), QPointF(s * 0.88, s / 2));
      p.drawLine(QPointF(s * 0.74, s * 0.64), QPointF(s * 0.88, s / 2));
      break;
    }
    case Button::Save:  // disk
      p.setPen(Qt::NoPen);
      p.setBrush(kSteel);
      p.drawRoundedRect(QRectF(s * 0.15, s * 0.15, s * 0.7, s * 0.7), s * 0.08, s * 0.08);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(s * 0.3, s * 0.15, s * 0.4, s * 0.25));
      p.drawRect(QRectF(s * 0.25, s * 0.55, s * 0.5, s * 0.25));
      break;
    case Button::Cancel: {  // turning-back arrow
      pen.setColor(QColor(128, 0, 0));
      p.setPen(pen);
      p.drawArc(QRectF(s * 0.22, s * 0.25, s * 0.56, s * 0.5), 90 * 16, -250 * 16);
      const QPointF tip(s / 2, s * 0.25);
      p.drawLine(tip, tip + QPointF(s * 0.14, -s * 0.1));
      p.drawLine(tip, tip + QPointF(s * 0.14, s * 0.12));
      break;
    }
  }
  return pm;
}

}  // namespace ark::desktop::pictures
