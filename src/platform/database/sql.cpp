// The desktop engine's SQL dialect turned into SQLite's, and values joined into SQL.
#include <QDate>
#include <QRegularExpression>

#include "platform/core/runtime.h"
#include "platform/database/database.h"

namespace ark::db {

namespace {
// "#mm/dd/yyyy#" starting at s[i]; the canonical literal, or empty when it is none.
QString dateLiteral(const QString& s, int i, int& end) {
  static const QRegularExpression re(QStringLiteral("\\G#\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*#"));
  auto m = re.match(s, i, QRegularExpression::NormalMatch,
                    QRegularExpression::AnchorAtOffsetMatchOption);
  if (!m.hasMatch()) return {};
  QDate d(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
  if (!d.isValid()) return {};
  end = m.capturedEnd();
  return QStringLiteral("'%1-%2-%3 00:00:00'")
      .arg(d.year(), 4, 10, QLatin1Char('0'))
      .arg(d.month(), 2, 10, QLatin1Char('0'))
      .arg(d.day(), 2, 10, QLatin1Char('0'));
}
}  // namespace

QString translateSql(const QString& jetSql) {
  static const QRegularExpression deleteStar(QStringLiteral("^(\\s*)delete\\s*\\*\\s*from\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
  QString s = jetSql;
  auto m = deleteStar.match(s);
  if (m.hasMatch()) s.replace(0, m.capturedLength(), m.captured(1) + QStringLiteral("DELETE FROM"));

  QString out;
  out.reserve(s.size() + 16);
  const int n = s.size();
  int i = 0;
  while (i < n) {
    const QChar c = s[i];
    if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
      // Quoted text and identifiers are copied as they are ('' and "" stay inside).
      const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
      int j = i + 1;
      while (j < n) {
        if (s[j] == close) {
          if (close != QLatin1Char(']') && j + 1 < n && s[j + 1] == close) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      j = std::min(j + 1, n);
      out += QStringView(s).mid(i, j - i);
      i = j;
      continue;
    }
    if (c == QLatin1Char('#')) {
      int end = 0;
      QString lit = dateLiteral(s, i, end);
      if (!lit.isEmpty()) {
        out += lit;
        i = end;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

QString quoted(const QString& text) {
  QString q = text;
  q.replace(QLatin1Char('\''), QStringLiteral("''"));
  return QLatin1Char('\'') + q + QLatin1Char('\'');
}

QString quoted(const Value& v) {
  return quoted(rt::Text(v));
}

}  // namespace ark::db
