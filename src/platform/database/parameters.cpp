// The values written into a translated SELECT taken out as parameters, so that the
// statement prepared for one of the texts a job makes per row serves all of them.
#include <QRegularExpression>

#include "platform/database/internal.h"

namespace ark::db::detail {

namespace {
bool wordChar(QChar c) {
  return c.isLetterOrNumber() || c == QLatin1Char('_') || c.unicode() >= 0x80;
}

bool isWord(QStringView word, const char* keyword) {
  return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

// A literal in the part of a SELECT whose values are taken out.
enum class Literal { Text, Number, Date };

// Walks `sql` token by token: what stays as written goes to `keep`, and every text,
// number and (with `jetDates`) date literal written after the outer FROM, before an ORDER
// BY or GROUP BY, goes to `take` with its value. False for a text whose values cannot be
// told apart so: parameters or comments of its own, an unterminated text.
template <typename Keep, typename Take>
bool scanLiterals(const QString& sql, bool jetDates, Keep keep, Take take) {
  static const QRegularExpression dateLiteral(
      QStringLiteral("\\G#\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*#"));
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
        c == QLatin1Char('$') || (c == QLatin1Char('-') && j < n && sql[j] == c) ||
        (c == QLatin1Char('/') && j < n && sql[j] == QLatin1Char('*'))) {
      return false;
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
      if (j >= n) return false;  // unterminated: the engine says what is wrong
      ++j;
      // X'..' is a blob.
      const bool blob = i > 0 && (sql[i - 1] == QLatin1Char('x') || sql[i - 1] == QLatin1Char('X'));
      if (active() && !blob) {
        take(Literal::Text, Value(text));
        i = j;
        continue;
      }
    } else if (jetDates && c == QLatin1Char('#')) {
      auto m = dateLiteral.match(sql, i, QRegularExpression::NormalMatch,
                                 QRegularExpression::AnchorAtOffsetMatchOption);
      if (m.hasMatch()) {
        const QDate d(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
        j = int(m.capturedEnd());
        if (active() && d.isValid()) {
          take(Literal::Date, Value(canonicalDateTime(Value::date(d))));
          i = j;
          continue;
        }
      }
    } else if (c == QLatin1Char('"') || c == QLatin1Char('[') || c == QLatin1Char('`')) {
      const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
      while (j < n && sql[j] != close) ++j;
      j = std::min(j + 1, n);
    } else if (c.isDigit() || (c == QLatin1Char('.') && j < n && sql[j].isDigit())) {
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
          take(Literal::Number, Value(whole));
        } else {
          const double d = digits.toDouble(&ok);
          if (!ok) return false;
          take(Literal::Number, Value(d));
        }
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
    } else if (c == QLatin1Char('(')) {
      ++depth;
    } else if (c == QLatin1Char(')')) {
      --depth;
    }
    keep(QStringView(sql).mid(i, j - i));
    i = j;
  }
  return true;
}
}  // namespace

Parameterized parameterize(const QString& sql) {
  Parameterized out;
  out.sql.reserve(sql.size());
  const bool ok = scanLiterals(
      sql, false, [&](QStringView kept) { out.sql += kept; },
      [&](Literal, Value v) {
        out.sql += QLatin1Char('?');
        out.values.push_back(std::move(v));
      });
  if (!ok) return {sql, {}};  // it has parameters or comments of its own
  return out;
}

bool literalForm(const QString& jetSql, QString& form, std::vector<Value>& values) {
  form.clear();
  values.clear();
  form.reserve(jetSql.size());
  return scanLiterals(
      jetSql, true, [&](QStringView kept) { form += kept; },
      [&](Literal kind, Value v) {
        switch (kind) {
          case Literal::Text: {
            // What the translation asks of a text: whether it has letters (or characters
            // that fold to others) and whether it reads as a date.
            const QString& text = v.text();
            bool folds = true;
            for (QChar t : text)
              if (t.unicode() >= 0x80 || t.isLetter()) folds = false;
            const QByteArray utf8 = text.toUtf8();
            const bool date =
                storedDateText(reinterpret_cast<const unsigned char*>(utf8.constData()),
                               int(utf8.size()))
                    .has_value();
            form += QLatin1Char('\x01');
            form += QLatin1Char(folds ? 'f' : 'l');
            form += QLatin1Char(date ? 'd' : 't');
            break;
          }
          case Literal::Number:
            form += QLatin1Char('\x02');
            break;
          case Literal::Date:
            form += QLatin1Char('\x03');
            break;
        }
        values.push_back(std::move(v));
      });
}

void bindAll(sqlite3_stmt* st, const std::vector<Value>& values) {
  for (int i = 0; i < int(values.size()); ++i) bindValue(st, i + 1, values[i]);
}

}  // namespace ark::db::detail
