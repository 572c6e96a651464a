// SendKeys as synthetic key events through Qt's own event delivery, so that tab order,
// key previews and the controls' key handling all see an ordinary key press.
#include "platform/desktop/sendkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <QtDebug>

namespace ark::desktop {

namespace {

struct Key {
  int code;
  QString text;
};

QVector<Key> parse(const QString& keys) {
  QVector<Key> out;
  for (int i = 0; i < keys.size(); ++i) {
    const QChar c = keys.at(i);
    if (c == QLatin1Char('~')) {
      out.append({Qt::Key_Return, QStringLiteral("\r")});
      continue;
    }
    if (c == QLatin1Char('{')) {
      // "{}}" names the closing brace itself.
      int end = keys.indexOf(QLatin1Char('}'), i + 2);
      if (end < 0) end = keys.indexOf(QLatin1Char('}'), i + 1);
      if (end > i) {
        const QString name = keys.mid(i + 1, end - i - 1);
        i = end;
        if (name.compare(QLatin1String("tab"), Qt::CaseInsensitive) == 0)
          out.append({Qt::Key_Tab, QStringLiteral("\t")});
        else if (name.compare(QLatin1String("enter"), Qt::CaseInsensitive) == 0)
          out.append({Qt::Key_Return, QStringLiteral("\r")});
        else if (name.size() == 1)
          out.append({name.at(0).toUpper().unicode(), name});
        else
          qWarning("SendKeys: tecla desconhecida {%s}", qPrintable(name));
        continue;
      }
    }
    const QChar upper = c.toUpper();
    const int code = (upper.unicode() >= 0x20 && upper.unicode() < 0x7f) ? int(upper.unicode())
                                                                         : int(Qt::Key_unknown);
    out.append({code, QString(c)});
  }
  return out;
}

void deliver(const QVector<Key>& keys) {
  for (const Key& k : keys) {
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (!target) return;
    QPointer<QWidget> guard(target);
    QKeyEvent press(QEvent::KeyPress, k.code, Qt::NoModifier, k.text);
    QCoreApplication::sendEvent(target, &press);
    // The release goes where the focus is now, as a real key's would after a Tab.
    QWidget* releaseTarget = QApplication::focusWidget();
    if (!releaseTarget) releaseTarget = guard.data();
    if (!releaseTarget) continue;
    QKeyEvent release(QEvent::KeyRelease, k.code, Qt::NoModifier, k.text);
    QCoreApplication::sendEvent(releaseTarget, &release);
  }
}

}  // namespace

void SendKeys(const QString& keys, bool wait) {
  const QVector<Key> parsed = parse(keys);
  if (parsed.isEmpty()) return;
  if (wait) {
    deliver(parsed);
    return;
  }
  QTimer::singleShot(0, qApp, [parsed] { deliver(parsed); });
}

}  // namespace ark::desktop
