#pragma once
// The form controls the windows are built of, beyond Qt's own: the masked time box, the
// progress bar, the image control, the picture button and the shape.
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>
#include <utility>

namespace ark::desktop {

// Colours as the forms give them: 0x00BBGGRR.
QColor oleColor(quint32 bgr);
quint32 toOleColor(const QColor& c);

// A plain-text Tahoma label named after its control, placed at `geometry`.
QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, qreal pointSize,
                  bool bold = false, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);

// A time box with the mask "##:##:##" and the prompt character "_". Typing overwrites the
// position at the caret; the caret stands on the first digit after a new text and when the
// box gets the focus by Tab or from the code.
class MaskEdBox : public QLineEdit {
  Q_OBJECT

 public:
  static inline const QString kEmpty = QStringLiteral("__:__:__");

  explicit MaskEdBox(QWidget* parent = nullptr);

  // The text as shown, prompt characters and separators included: "__:__:__" when
  // empty, "22:__:__" while unfinished. (QLineEdit::text() would drop the prompts.)
  QString text() const { return displayText(); }
  // Puts a text into the mask; "__:__:__" (or "") empties the box. A text in the shape of
  // the mask keeps each digit at its place, prompts included ("22:_0:00").
  void setText(const QString& t);

  QString Mask() const { return QStringLiteral("##:##:##"); }
  QChar PromptChar() const { return QLatin1Char('_'); }

 protected:
  void focusInEvent(QFocusEvent* e) override;
};

// A progress bar that keeps Value and Max exactly as set, whatever they are; only the
// drawing is clamped to the range 0..Max.
class ProgressBar : public QWidget {
  Q_OBJECT

 public:
  explicit ProgressBar(QWidget* parent = nullptr);

  int Value() const { return value_; }
  void setValue(int v);
  int Max() const { return max_; }
  void setMax(int m);

  quint32 FillColor() const { return toOleColor(fill_); }
  void setFillColor(quint32 bgr);
  void setBackColor(quint32 bgr);
  void setForeColor(quint32 bgr);  // the percentage text

  // The fraction drawn, 0..1.
  double fraction() const;

  QSize sizeHint() const override { return {200, 23}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  // What a paint shows of the value: the filled width and the percentage.
  std::pair<int, int> shown() const;
  int value_ = 0;
  int max_ = 100;
  QColor fill_{0, 0, 128};
  QColor back_{192, 192, 192};
  QColor fore_{Qt::white};
};

// A picture that can be clicked while enabled; drawn greyed while disabled.
class ImageControl : public QLabel {
  Q_OBJECT

 public:
  explicit ImageControl(QWidget* parent = nullptr);
  void setPicture(const QPixmap& p) { setPixmap(p); }

 signals:
  void Click();

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
};

// A push button with a caption (its access key marked by "&"), a tooltip and a picture.
class PictureButton : public QPushButton {
  Q_OBJECT

 public:
  PictureButton(const QString& caption, const QString& toolTip, const QPixmap& picture,
                QWidget* parent = nullptr);
  explicit PictureButton(QWidget* parent = nullptr) : QPushButton(parent) {}
  void setPicture(const QPixmap& p);
};

// A filled shape with a border: rectangle or rounded rectangle.
class Shape : public QWidget {
  Q_OBJECT

 public:
  enum Kind { Rectangle, RoundedRectangle };
  explicit Shape(Kind kind = RoundedRectangle, QWidget* parent = nullptr);

  QColor fillColor() const { return fill_; }
  void setFillColor(const QColor& c);
  QColor borderColor() const { return border_; }
  void setBorderColor(const QColor& c);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Kind kind_;
  QColor fill_{Qt::white};
  QColor border_{Qt::black};
};

}  // namespace ark::desktop
