#pragma once
// What a label has painted: its text at each of its paint events, that is what reached the
// window's surface, as opposed to what was merely set on it.
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace ark::test {

class PaintedText : public QObject {
 public:
  explicit PaintedText(QLabel* label) : label_(label) { label->installEventFilter(this); }

  // The text of the latest paint; empty before the first.
  QString last() const { return painted_.isEmpty() ? QString() : painted_.last(); }
  int paints() const { return int(painted_.size()); }
  const QStringList& all() const { return painted_; }

  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == label_ && e->type() == QEvent::Paint) painted_ << label_->text();
    return false;
  }

 private:
  QPointer<QLabel> label_;
  QStringList painted_;
};

}  // namespace ark::test

namespace ark::test {

// Where a label draws its one-line text, in its parent's coordinates.
inline QRect textRect(const QLabel* l) {
  const QRect r = l->contentsRect().translated(l->pos());
  const int w = l->fontMetrics().horizontalAdvance(l->text());
  const int h = l->fontMetrics().height();
  return QStyle::alignedRect(l->layoutDirection(), l->alignment(), QSize(w, h), r);
}

// The label's text is drawn whole: it is no wider than the label.
inline bool textFits(const QLabel* l) {
  return l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width();
}

}  // namespace ark::test

namespace ark::test {

// How far the window with its frame sits from the centre of its screen's available area.
inline QPoint offCentre(const QWidget* w) {
  return w->frameGeometry().center() - w->screen()->availableGeometry().center();
}

}  // namespace ark::test
