// The values written into a translated SELECT taken out as parameters, so that the
// statement prepared for one of the texts a job makes per row serves all of them.
#include "platform/database/internal.h"

namespace ark::db::detail {

namespace {
bool wordChar(QChar c) {
  return c.isLetterOrNumber() || c == QLatin1Char('_') || c.unicode() >= 0x80;
}

bool isWord(QStringView word, const char* keyword) {
  return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}
}  // namespace

Parameterized parameterize(const QString& sql) {
  Parameterized out;
  out.sql.reserve(sql.size());
  const int n = sql.size();
  int depth = 0;
  // Only what follows the outer FROM: the result columns are named by their text, and an
  // ORDER BY or GROUP BY takes a bare number for a column.
  bool afterFrom = false, ordered = false;
  auto active = [&] { return afterFrom && !ordered; };
  for (int i = 0; i < n;) {
    const QChar c = sql[i];
    int j = i + 1;
    if (c == QLatin1Char('?') || c == QLatin1Char(':') || c == QLatin1Char('@') ||
        c == QLatin1Char('$')) {
      return {sql, {}};  // it has parameters of its own
    } else if (c == QLatin1Char('\'')) {
      QString text;
      while (j < n) {
        if (sql[j] == QLatin1Char('\'')) {
          if (j + 1 < n && sql[j + 1] == QLatin1Char('\'')) {
            text += QLatin1Char('\'');
            j += 2;
            continue;
          }
          break;
        }
        text += sql[j++];
      }
      if (j >= n) return {sql, {}};  // unterminated: the engine says what is wrong
      ++j;
      // X'..' is a blob.
      const bool blob = i > 0 && (sql[i - 1] == QLatin1Char('x') || sql[i - 1] == QLatin1Char('X'));
      if (active() && !blob) {
        out.sql += QLatin1Char('?');
        out.values.push_back(Value(text));
        i = j;
        continue;
      }
    } else if (c == QLatin1Char('"') || c == QLatin1Char('[') || c == QLatin1Char('`')) {
      const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
      while (j < n && sql[j] != close) ++j;
      j = std::min(j + 1, n);
    } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && sql[i + 1].isDigit())) {
      bool real = false;
      while (j < n && (sql[j].isDigit() || sql[j] == QLatin1Char('.'))) {
        real = real || sql[j] == QLatin1Char('.');
        ++j;
      }
      if (j + 1 < n && (sql[j] == QLatin1Char('e') || sql[j] == QLatin1Char('E')) &&
          (sql[j + 1].isDigit() ||
           ((sql[j + 1] == QLatin1Char('+') || sql[j + 1] == QLatin1Char('-')) && j + 2 < n &&
            sql[j + 2].isDigit()))) {
        real = true;
        j += 2;
        while (j < n && sql[j].isDigit()) ++j;
      }
      const bool partOfName = (i > 0 && wordChar(sql[i - 1])) || (j < n && wordChar(sql[j]));
      if (active() && !partOfName) {
        const QStringView digits = QStringView(sql).mid(i, j - i);
        bool ok = false;
        const qint64 whole = real ? 0 : digits.toLongLong(&ok);
        if (ok) {
          out.values.push_back(Value(whole));
        } else {
          const double d = digits.toDouble(&ok);
          if (!ok) return {sql, {}};
          out.values.push_back(Value(d));
        }
        out.sql += QLatin1Char('?');
        i = j;
        continue;
      }
    } else if (wordChar(c)) {
      while (j < n && wordChar(sql[j])) ++j;
      const QStringView word = QStringView(sql).mid(i, j - i);
      if (depth == 0) {
        if (isWord(word, "from")) afterFrom = true;
        if (isWord(word, "order") || isWord(word, "group")) ordered = true;
      }
    } else if ((c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) ||
               (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*'))) {
      return {sql, {}};  // a comment: left as written
    } else if (c == QLatin1Char('(')) {
      ++depth;
    } else if (c == QLatin1Char(')')) {
      --depth;
    }
    out.sql += QStringView(sql).mid(i, j - i);
    i = j;
  }
  return out;
}

void bindAll(sqlite3_stmt* st, const std::vector<Value>& values) {
  for (int i = 0; i < int(values.size()); ++i) bindValue(st, i + 1, values[i]);
}

}  // namespace ark::db::detail
