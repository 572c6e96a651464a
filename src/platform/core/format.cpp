// Format(value, pattern): a small engine for date patterns and number patterns.
#include <array>
#include <cmath>
#include <vector>

#include "platform/core/regional.h"
#include "platform/core/runtime.h"

namespace ark::rt {
namespace {

enum class Tok {
  Literal,
  Day,
  Month,
  Year,
  Hour,
  Minute,
  Second,
  AmPm,  // date parts; `count` letters
  Digit0,
  DigitHash,
  Point,
  Comma,
  Percent,
  Section
};

struct Token {
  Tok kind;
  int count = 1;
  QString text;  // literals, and the "AM/PM" spelling
};

bool isDateKind(Tok k) {
  return k >= Tok::Day && k <= Tok::AmPm;
}

std::vector<Token> tokenize(const QString& p) {
  std::vector<Token> out;
  auto literal = [&](const QString& s) {
    if (!out.empty() && out.back().kind == Tok::Literal)
      out.back().text += s;
    else
      out.push_back({Tok::Literal, 1, s});
  };
  int i = 0;
  while (i < p.size()) {
    QChar c = p[i];
    QChar lc = c.toLower();
    if (c == QLatin1Char('"')) {
      int j = p.indexOf(QLatin1Char('"'), i + 1);
      if (j < 0) j = p.size();
      literal(p.mid(i + 1, j - i - 1));
      i = j + 1;
    } else if (c == QLatin1Char('\\')) {
      if (i + 1 < p.size()) literal(QString(p[i + 1]));
      i += 2;
    } else if (p.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
      out.push_back({Tok::AmPm, 1, p.mid(i, 5)});
      i += 5;
    } else if (QStringLiteral("dmyhns").contains(lc)) {
      int j = i;
      while (j < p.size() && p[j].toLower() == lc) ++j;
      static const Tok kinds[] = {Tok::Day,  Tok::Month,  Tok::Year,
                                  Tok::Hour, Tok::Minute, Tok::Second};
      out.push_back({kinds[QStringLiteral("dmyhns").indexOf(lc)], j - i, {}});
      i = j;
    } else {
      switch (c.unicode()) {
        case '0':
          out.push_back({Tok::Digit0, 1, {}});
          break;
        case '#':
          out.push_back({Tok::DigitHash, 1, {}});
          break;
        case '.':
          out.push_back({Tok::Point, 1, {}});
          break;
        case ',':
          out.push_back({Tok::Comma, 1, {}});
          break;
        case '%':
          out.push_back({Tok::Percent, 1, {}});
          break;
        case ';':
          out.push_back({Tok::Section, 1, {}});
          break;
        default:
          literal(QString(c));
      }
      ++i;
    }
  }
  return out;
}

QString pad(int n, int width) {
  return QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

// --- dates ------------------------------------------------------------------------------

QString formatDate(double serial, const std::vector<Token>& toks) {
  const Regional& r = Regional::ptBR();
  QDate d = serialToDate(serial);
  QTime t = serialToTime(serial);
  bool twelve = false;
  for (const Token& k : toks) twelve = twelve || k.kind == Tok::AmPm;
  // A month token means minutes right after an hour or right before a second.
  auto neighbour = [&](size_t i, int step) -> Tok {
    for (long j = static_cast<long>(i) + step; j >= 0 && j < static_cast<long>(toks.size());
         j += step)
      if (toks[j].kind != Tok::Literal) return toks[j].kind;
    return Tok::Literal;
  };
  QString out;
  for (size_t i = 0; i < toks.size(); ++i) {
    const Token& k = toks[i];
    switch (k.kind) {
      case Tok::Day:
        out += pad(d.day(), k.count >= 2 ? 2 : 1);
        break;
      case Tok::Month:
        if (k.count <= 2 && (neighbour(i, -1) == Tok::Hour || neighbour(i, +1) == Tok::Second))
          out += pad(t.minute(), k.count);
        else if (k.count <= 2)
          out += pad(d.month(), k.count);
        else if (k.count == 3)
          out += r.shortMonths.value(d.month() - 1);
        else
          out += r.longMonths.value(d.month() - 1);
        break;
      case Tok::Year:
        if (k.count == 1)
          out += QString::number(d.dayOfYear());
        else if (k.count <= 3)
          out += pad(d.year() % 100, 2);
        else
          out += pad(d.year(), 4);
        break;
      case Tok::Hour: {
        int h = t.hour();
        if (twelve) h = h % 12 == 0 ? 12 : h % 12;
        out += pad(h, k.count >= 2 ? 2 : 1);
        break;
      }
      case Tok::Minute:
        out += pad(t.minute(), k.count >= 2 ? 2 : 1);
        break;
      case Tok::Second:
        out += pad(t.second(), k.count >= 2 ? 2 : 1);
        break;
      case Tok::AmPm: {
        bool pm = t.hour() >= 12;
        QString s = pm ? k.text.mid(3, 2) : k.text.left(2);
        out += s;
        break;
      }
      case Tok::Literal:
        out += k.text;
        break;
      case Tok::Digit0:
        out += QLatin1Char('0');
        break;
      case Tok::DigitHash:
        out += QLatin1Char('#');
        break;
      case Tok::Point:
        out += QLatin1Char('.');
        break;
      case Tok::Comma:
        out += QLatin1Char(',');
        break;
      case Tok::Percent:
        out += QLatin1Char('%');
        break;
      case Tok::Section:
        break;
    }
  }
  return out;
}

// --- numbers ----------------------------------------------------------------------------

// The decimal digits of |a| rounded half away from zero to `frac` places, read from the
// 15 significant digits the runtime keeps (so 1.005 reads as 1.005, not 1.00499...).
void decimalDigits(double a, int frac, QString& whole, QString& fraction) {
  whole.clear();
  fraction.clear();
  a = std::fabs(a);
  if (a == 0 || !std::isfinite(a)) {
    fraction = QString(frac, QLatin1Char('0'));
    return;
  }
  QString e = QString::number(a, 'e', 14);  // d.dddddddddddddde±XX
  int ePos = e.indexOf(QLatin1Char('e'));
  QString digits = e.left(ePos).remove(QLatin1Char('.'));
  int point = e.mid(ePos + 1).toInt() + 1;  // digits before the decimal point
  int keep = point + frac;
  if (keep < 0) {
    digits.clear();
  } else if (keep < digits.size()) {
    bool up = digits[keep].unicode() >= '5';
    digits.truncate(keep);
    int k = keep - 1;
    while (up && k >= 0) {
      if (digits[k] == QLatin1Char('9')) {
        digits[k] = QLatin1Char('0');
        --k;
      } else {
        digits[k] = QChar(digits[k].unicode() + 1);
        up = false;
      }
    }
    if (up) {
      digits.prepend(QLatin1Char('1'));
      ++point;
    }
  }
  for (int i = 0; i < point; ++i) whole += i < digits.size() ? digits[i] : QLatin1Char('0');
  for (int j = 0; j < frac; ++j) {
    int pos = point + j;
    fraction += pos >= 0 && pos < digits.size() ? digits[pos] : QLatin1Char('0');
  }
  int lead = 0;
  while (lead < whole.size() && whole[lead] == QLatin1Char('0')) ++lead;
  whole = whole.mid(lead);
}

bool isDigitTok(Tok k) {
  return k == Tok::Digit0 || k == Tok::DigitHash;
}

// One section of a number pattern applied to a value (the sign is handled by the caller).
QString formatNumberSection(double value, const std::vector<Token>& toks) {
  const Regional& r = Regional::ptBR();
  size_t point = toks.size();
  for (size_t i = 0; i < toks.size(); ++i)
    if (toks[i].kind == Tok::Point) {
      point = i;
      break;
    }
  size_t lastIntDigit = toks.size(), firstIntDigit = toks.size();
  for (size_t i = 0; i < point; ++i)
    if (isDigitTok(toks[i].kind)) {
      if (firstIntDigit == toks.size()) firstIntDigit = i;
      lastIntDigit = i;
    }
  bool grouping = false;
  int minWhole = 0;
  bool seenZero = false;
  for (size_t i = 0; i < point; ++i) {
    const Tok k = toks[i].kind;
    if (k == Tok::Comma) {
      if (firstIntDigit < i && i < lastIntDigit)
        grouping = true;
      else if (lastIntDigit != toks.size() && i > lastIntDigit)
        value /= 1000;  // scaling
    } else if (k == Tok::Percent) {
      value *= 100;
    } else if (isDigitTok(k)) {
      seenZero = seenZero || k == Tok::Digit0;
      if (seenZero) ++minWhole;
    }
  }
  int minFrac = 0, maxFrac = 0;
  for (size_t i = point + 1; i < toks.size(); ++i) {
    if (toks[i].kind == Tok::Digit0)
      minFrac = ++maxFrac;
    else if (toks[i].kind == Tok::DigitHash)
      ++maxFrac;
    else if (toks[i].kind == Tok::Percent)
      value *= 100;
  }
  QString whole, fraction;
  decimalDigits(value, maxFrac, whole, fraction);
  while (fraction.size() > minFrac && fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);

  QString out;
  if (grouping) {
    while (whole.size() < minWhole) whole.prepend(QLatin1Char('0'));
    QString grouped;
    for (int i = 0; i < whole.size(); ++i) {
      if (i > 0 && (whole.size() - i) % 3 == 0) grouped += r.group;
      grouped += whole[i];
    }
    for (size_t i = 0; i < point; ++i) {
      if (i == firstIntDigit)
        out += grouped;
      else if (toks[i].kind == Tok::Literal && (i < firstIntDigit || i > lastIntDigit))
        out += toks[i].text;
      else if (toks[i].kind == Tok::Percent)
        out += QLatin1Char('%');
    }
  } else {
    // Digits fill the placeholders from the right; the leftmost takes what is left over.
    QString part;
    int remaining = whole.size();
    for (long i = static_cast<long>(point) - 1; i >= 0; --i) {
      const Token& k = toks[i];
      if (isDigitTok(k.kind)) {
        if (static_cast<size_t>(i) == firstIntDigit) {
          part.prepend(whole.left(remaining));
          if (remaining == 0 && k.kind == Tok::Digit0) part.prepend(QLatin1Char('0'));
          remaining = 0;
        } else if (remaining > 0) {
          part.prepend(whole[--remaining]);
        } else if (k.kind == Tok::Digit0) {
          part.prepend(QLatin1Char('0'));
        }
      } else if (k.kind == Tok::Literal) {
        part.prepend(k.text);
      } else if (k.kind == Tok::Percent) {
        part.prepend(QLatin1Char('%'));
      }
    }
    if (firstIntDigit == toks.size()) part += whole;  // no placeholder before the point
    out = part;
  }
  if (point < toks.size()) {
    out += r.decimal;
    int next = 0;
    for (size_t i = point + 1; i < toks.size(); ++i) {
      const Token& k = toks[i];
      if (isDigitTok(k.kind)) {
        if (next < fraction.size()) out += fraction[next++];
      } else if (k.kind == Tok::Literal) {
        out += k.text;
      } else if (k.kind == Tok::Percent) {
        out += QLatin1Char('%');
      } else if (k.kind == Tok::Point) {
        // a second point is text
        out += QLatin1Char('.');
      }
    }
  }
  return out;
}

bool isZeroWhenShown(double value, const std::vector<Token>& toks) {
  int frac = 0;
  bool afterPoint = false;
  for (const Token& k : toks) {
    if (k.kind == Tok::Point)
      afterPoint = true;
    else if (afterPoint && isDigitTok(k.kind))
      ++frac;
  }
  QString w, f;
  decimalDigits(value, frac, w, f);
  for (QChar c : f)
    if (c != QLatin1Char('0')) return false;
  return w.isEmpty();
}

QString formatNumber(double value, const std::vector<Token>& toks) {
  std::vector<std::vector<Token>> sections(1);
  for (const Token& k : toks) {
    if (k.kind == Tok::Section)
      sections.emplace_back();
    else
      sections.back().push_back(k);
  }
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return formatNumberSection(value, sections[1]);
  if (value == 0 && sections.size() >= 3 && !sections[2].empty())
    return formatNumberSection(value, sections[2]);
  const auto& s = sections[0];
  QString out = formatNumberSection(value, s);
  if (value < 0 && sections.size() < 2 && !isZeroWhenShown(value, s)) out.prepend(QLatin1Char('-'));
  return out;
}

}  // namespace

QString Format(const Value& v, const QString& pattern) {
  if (v.isNull() || v.isEmpty()) return {};
  if (pattern.isEmpty()) return CStr(v);
  // A job formats row after row with the same few patterns: each is read once.
  struct Parsed {
    QString pattern;
    std::vector<Token> toks;
    bool datePattern = false;
  };
  thread_local std::array<Parsed, 8> parsed;
  thread_local size_t nextParsed = 0;
  const Parsed* found = nullptr;
  for (const Parsed& e : parsed)
    if (!e.pattern.isNull() && e.pattern == pattern) found = &e;
  if (!found) {
    const Regional& r = Regional::ptBR();
    QString p = pattern;
    if (pattern.compare(QLatin1String("currency"), Qt::CaseInsensitive) == 0)
      p = QStringLiteral("\"%1 \"#,##0.").arg(r.currencySymbol) +
          QString(r.currencyDecimals, QLatin1Char('0'));
    Parsed& e = parsed[nextParsed++ % parsed.size()];
    e.pattern = pattern;
    e.toks = tokenize(p);
    e.datePattern = false;
    for (const Token& k : e.toks) e.datePattern = e.datePattern || isDateKind(k.kind);
    found = &e;
  }
  const std::vector<Token>& toks = found->toks;
  const bool datePattern = found->datePattern;

  double x = 0;
  if (v.isText()) {
    std::optional<double> read = datePattern ? parseDate(v.text()) : std::nullopt;
    if (!read) read = parseNumber(v.text());
    if (!read) return v.text();
    x = *read;
  } else {
    x = v.number();
  }
  return datePattern ? formatDate(x, toks) : formatNumber(x, toks);
}

}  // namespace ark::rt
