// The form controls.
#include "platform/desktop/controls.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>

#include "platform/desktop/fonts.h"

namespace ark::desktop {

QColor oleColor(quint32 bgr) {
  return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

quint32 toOleColor(const QColor& c) {
  return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

// --- MaskEdBox ---------------------------------------------------------------------------

MaskEdBox::MaskEdBox(QWidget* parent) : QLineEdit(parent) {
  setInputMask(QStringLiteral("99:99:99;_"));
}

namespace {
// "hh:mm:ss" with any of its digits left as the prompt.
bool inMaskShape(const QString& t) {
  if (t.size() != 8) return false;
  for (int i = 0; i < 8; ++i) {
    const QChar c = t.at(i);
    const bool ok = (i == 2 || i == 5) ? c == QLatin1Char(':')
                                       : (c == QLatin1Char('_') || (c >= '0' && c <= '9'));
    if (!ok) return false;
  }
  return true;
}
}  // namespace

void MaskEdBox::setText(const QString& t) {
  if (t.isEmpty() || t == kEmpty) {
    clear();
  } else {
    QLineEdit::setText(t);
    // The mask closes up a prompt followed by a digit ("22:_0" would become "22:0_"):
    // put the digits back one by one at their places.
    if (inMaskShape(t) && displayText() != t) {
      {
        const QSignalBlocker quiet(this);
        clear();
        for (int i = 0; i < t.size(); ++i) {
          if (!t.at(i).isDigit()) continue;
          setCursorPosition(i);
          insert(QString(t.at(i)));
        }
      }
      emit textChanged(QLineEdit::text());
    }
  }
  setModified(false);  // the code's text, not the user's
  // Left past the last digit, the caret would take no typing.
  setCursorPosition(0);
}

void MaskEdBox::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  switch (e->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
      setCursorPosition(0);
      break;
    default:  // a click places the caret itself; a window coming back keeps it
      break;
  }
}

// --- ProgressBar -------------------------------------------------------------------------

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(10);
  setFont(QFont(QStringLiteral("Consolas"), 10));
}

void ProgressBar::setValue(int v) {
  if (v == value_) return;
  // Walks move the bar once a row: most moves change nothing that is painted.
  const auto before = shown();
  value_ = v;
  if (shown() != before) update();
}

void ProgressBar::setMax(int m) {
  if (m == max_) return;
  max_ = m;
  update();
}

void ProgressBar::setFillColor(quint32 bgr) {
  fill_ = oleColor(bgr);
  update();
}

void ProgressBar::setBackColor(quint32 bgr) {
  back_ = oleColor(bgr);
  update();
}

void ProgressBar::setForeColor(quint32 bgr) {
  fore_ = oleColor(bgr);
  update();
}

std::pair<int, int> ProgressBar::shown() const {
  const double f = fraction();
  return {int(width() * f + 0.5), int(f * 100)};
}

double ProgressBar::fraction() const {
  if (max_ <= 0 || value_ <= 0) return 0;
  if (value_ >= max_) return 1;
  return double(value_) / double(max_);
}

void ProgressBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, back_);
  const auto [filledWidth, percent] = shown();
  QRect filled = r;
  filled.setWidth(filledWidth);
  p.fillRect(filled, fill_);
  p.setPen(fore_);
  p.setFont(font());
  p.drawText(r, Qt::AlignCenter, QStringLiteral("%1%").arg(percent));
  p.setPen(back_.darker(140));
  p.drawRect(r.adjusted(0, 0, -1, -1));
}

// --- ImageControl --------------------------------------------------------------------------

ImageControl::ImageControl(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignCenter);
  setCursor(Qt::PointingHandCursor);
}

void ImageControl::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && isEnabled() && rect().contains(e->position().toPoint()))
    emit Click();
  QLabel::mouseReleaseEvent(e);
}

// --- PictureButton ---------------------------------------------------------------------------

PictureButton::PictureButton(const QString& caption, const QString& toolTip, const QPixmap& picture,
                             QWidget* parent)
    : QPushButton(caption, parent) {
  setToolTip(toolTip);
  setPicture(picture);
}

void PictureButton::setPicture(const QPixmap& p) {
  setIcon(QIcon(p));
  if (!p.isNull()) setIconSize(p.deviceIndependentSize().toSize());
}

// --- Shape -----------------------------------------------------------------------------------

Shape::Shape(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setFillColor(const QColor& c) {
  fill_ = c;
  update();
}

void Shape::setBorderColor(const QColor& c) {
  border_ = c;
  update();
}

void Shape::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(border_, 1));
  p.setBrush(fill_);
  if (kind_ == RoundedRectangle) {
    const qreal radius = qMin(r.width(), r.height()) / 6.0;
    p.drawRoundedRect(r, radius, radius);
  } else {
    p.drawRect(r);
  }
}

}  // namespace ark::desktop

namespace ark::desktop {

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, qreal pointSize,
                  bool bold, Qt::Alignment align) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(geometry);
  l->setFont(tahoma(pointSize, bold));
  l->setAlignment(align);
  l->setTextFormat(Qt::PlainText);
  return l;
}

}  // namespace ark::desktop
