// Message boxes: the style flags mapped onto QMessageBox, and the scripted double.
#include "platform/desktop/msgbox.h"

#include <QApplication>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>

namespace ark::desktop {

namespace {

MsgBoxHandler* g_handler = nullptr;

QVector<int> buttonsOf(int style) {
  switch (style & 7) {
    case vbOKCancel:
      return {vbOK, vbCancel};
    case vbAbortRetryIgnore:
      return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel:
      return {vbYes, vbNo, vbCancel};
    case vbYesNo:
      return {vbYes, vbNo};
    case vbRetryCancel:
      return {vbRetry, vbCancel};
    default:
      return {vbOK};
  }
}

QMessageBox::StandardButton standardButton(int result) {
  switch (result) {
    case vbCancel:
      return QMessageBox::Cancel;
    case vbAbort:
      return QMessageBox::Abort;
    case vbRetry:
      return QMessageBox::Retry;
    case vbIgnore:
      return QMessageBox::Ignore;
    case vbYes:
      return QMessageBox::Yes;
    case vbNo:
      return QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

// The captions a Portuguese system gives its boxes' buttons; Qt's own would be English.
QString captionOf(int result) {
  switch (result) {
    case vbCancel:
      return QStringLiteral("Cancelar");
    case vbAbort:
      return QStringLiteral("&Anular");
    case vbRetry:
      return QStringLiteral("&Repetir");
    case vbIgnore:
      return QStringLiteral("&Ignorar");
    case vbYes:
      return QStringLiteral("&Sim");
    case vbNo:
      return QStringLiteral("&Não");
    default:
      return QStringLiteral("OK");
  }
}

QMessageBox::Icon iconOf(int style) {
  switch (style & 0x70) {
    case vbCritical:
      return QMessageBox::Critical;
    case vbQuestion:
      return QMessageBox::Question;
    case vbExclamation:
      return QMessageBox::Warning;
    case vbInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

class QtMsgBox : public MsgBoxHandler {
 public:
  int show(const QString& text, int style, const QString& title) override {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    // Plain text: paths and messages from the database may hold "<" or "&".
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(text));
    box.setIcon(iconOf(style));
    const QVector<int> results = buttonsOf(style);
    QHash<QAbstractButton*, int> answerOf;
    for (int r : results) {
      QPushButton* b = box.addButton(standardButton(r));
      b->setText(captionOf(r));
      answerOf.insert(b, r);
    }
    box.setDefaultButton(
        qobject_cast<QPushButton*>(box.button(standardButton(defaultAnswer(style)))));
    box.setEscapeButton(box.button(standardButton(closeAnswer(style))));
    box.exec();
    return answerOf.value(box.clickedButton(), closeAnswer(style));
  }
};

QtMsgBox g_real;

}  // namespace

QString displayText(const QString& text) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t;
}

int defaultAnswer(int style) {
  const QVector<int> results = buttonsOf(style);
  const int index = (style & vbDefaultButton3) ? 2 : (style & vbDefaultButton2) ? 1 : 0;
  return results.value(index, results.first());
}

int closeAnswer(int style) {
  const QVector<int> results = buttonsOf(style);
  if (results.contains(vbCancel)) return vbCancel;
  if (results.size() == 1) return results.first();
  // A Yes/No box cannot be dismissed without an answer in the original; No is the safe one.
  if (results.contains(vbNo)) return vbNo;
  return results.last();
}

QString asSentence(const QString& text) {
  if (text.isEmpty() || !text.front().isLower()) return text;
  QString s = text;
  s.front() = s.front().toUpper();
  return s;
}

int MsgBox(const QString& text, int style, const QString& title) {
  const QString t = title.isEmpty() ? kProgramTitle : title;
  MsgBoxHandler* h = g_handler ? g_handler : &g_real;
  return h->show(text, style, t);
}

int ScriptedMsgBox::show(const QString& text, int style, const QString& title) {
  shown_.append({text, style, title});
  if (!answers_.isEmpty()) return answers_.dequeue();
  return fallback_ ? *fallback_ : defaultAnswer(style);
}

QStringList ScriptedMsgBox::texts() const {
  QStringList out;
  for (const Shown& s : shown_) out << s.text;
  return out;
}

ScopedMsgBox::ScopedMsgBox(MsgBoxHandler& h) : previous_(g_handler) {
  g_handler = &h;
}
ScopedMsgBox::~ScopedMsgBox() {
  g_handler = previous_;
}

}  // namespace ark::desktop
