// The autostart value as an XDG desktop entry, written whole or not at all.
#include "platform/desktop/registry.h"

#include <QDir>
#include <QSaveFile>

namespace ark::desktop {

namespace {

bool isRunKey(const QString& subKey) {
  QString k = subKey;
  while (k.endsWith(QLatin1Char('\\'))) k.chop(1);
  return k.compare(kRunKey, Qt::CaseInsensitive) == 0;
}

// One argument of an Exec line: quoted when it holds a reserved character, with the
// characters that stay special inside quotes escaped.
QString execArgument(const QString& arg) {
  static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  bool needsQuotes = arg.isEmpty();
  for (QChar c : arg)
    if (reserved.contains(c)) needsQuotes = true;
  QString out;
  if (needsQuotes) out += QLatin1Char('"');
  for (QChar c : arg) {
    if (needsQuotes && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                        c == QLatin1Char('\\')))
      out += QLatin1Char('\\');
    if (c == QLatin1Char('%')) out += QLatin1Char('%');  // field codes
    out += c;
  }
  if (needsQuotes) out += QLatin1Char('"');
  return out;
}

// A value of the key file: escapes so that the value stays on its one line.
QString entryValue(const QString& v) {
  QString out;
  for (QChar c : v) {
    switch (c.unicode()) {
      case '\\':
        out += QStringLiteral("\\\\");
        break;
      case '\n':
        out += QStringLiteral("\\n");
        break;
      case '\r':
        out += QStringLiteral("\\r");
        break;
      case '\t':
        out += QStringLiteral("\\t");
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

QString autostartFolder() {
  const QStringList dirs = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_DIRS"))
                               .split(QLatin1Char(':'), Qt::SkipEmptyParts);
  // A relative entry is no folder of the machine's configuration; it is passed over.
  for (const QString& d : dirs)
    if (QDir::isAbsolutePath(d)) return d + QStringLiteral("/autostart");
  return QStringLiteral("/etc/xdg/autostart");
}

QString autostartEntry(const QString& name, const QString& program) {
  return QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n")
      .arg(entryValue(name), entryValue(execArgument(program)));
}

void SaveRegString(HKEY hKey, const QString& strPath, const QString& strValue,
                   const QString& strData) {
  if (hKey != HKEY_LOCAL_MACHINE || !isRunKey(strPath)) return;
  // A value name cannot leave the autostart folder.
  if (strValue.isEmpty() || strValue.contains(QLatin1Char('/')) || strValue == QLatin1String(".") ||
      strValue == QLatin1String(".."))
    return;
  const QString folder = autostartFolder();
  if (!QDir().mkpath(folder)) return;
  QSaveFile file(folder + QLatin1Char('/') + strValue + QStringLiteral(".desktop"));
  if (!file.open(QIODevice::WriteOnly)) return;
  file.write(autostartEntry(strValue, strData).toUtf8());
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                      QFileDevice::ReadOther);
  file.commit();
}

}  // namespace ark::desktop
