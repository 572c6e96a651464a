// The desktop engine's SQL dialect turned into SQLite's, and values joined into SQL.
//
// Besides the syntax, the translation gives comparisons and sorts the desktop engine's
// meaning: a date-time is compared and sorted as a date whatever form its cell holds, and
// a text without regard to letter case or accents. Both are done with what the connection
// registers (the date function and the text collation below), placed only where a column
// of that kind meets a comparison or an ORDER BY, so that plain code and number look-ups
// keep their indexes.
#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <optional>
#include <vector>

#include "platform/core/runtime.h"
#include "platform/database/internal.h"

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

enum class Tok { Space, Word, Name, Text, Number, Date, Op, Open, Close, Comma, Dot, Other };

struct Token {
  Tok type;
  QString text;  // as written, or the SQLite form (date literals)
};

bool wordChar(QChar c) {
  return c.isLetterOrNumber() || c == QLatin1Char('_') || c.unicode() >= 0xC0;
}

std::vector<Token> tokenize(const QString& s) {
  std::vector<Token> out;
  const int n = s.size();
  int i = 0;
  auto push = [&](Tok t, int from, int to) { out.push_back({t, s.mid(from, to - from)}); };
  while (i < n) {
    const QChar c = s[i];
    int j = i + 1;
    if (c.isSpace()) {
      while (j < n && s[j].isSpace()) ++j;
      push(Tok::Space, i, j);
    } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
      // Quoted text and identifiers are copied as they are ('' and "" stay inside).
      const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
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
      push(c == QLatin1Char('\'') ? Tok::Text : Tok::Name, i, j);
    } else if (c == QLatin1Char('#')) {
      int end = 0;
      QString lit = dateLiteral(s, i, end);
      if (lit.isEmpty()) {
        push(Tok::Other, i, j);
      } else {
        out.push_back({Tok::Date, lit});
        j = end;
      }
    } else if (c.isDigit()) {
      while (j < n && (s[j].isDigit() || s[j] == QLatin1Char('.'))) ++j;
      if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E')) && j + 1 < n &&
          (s[j + 1].isDigit() || ((s[j + 1] == QLatin1Char('+') || s[j + 1] == QLatin1Char('-')) &&
                                  j + 2 < n && s[j + 2].isDigit()))) {
        j += 2;
        while (j < n && s[j].isDigit()) ++j;
      }
      if (j < n && wordChar(s[j])) {
        // A name that begins with a digit.
        while (j < n && wordChar(s[j])) ++j;
        push(Tok::Word, i, j);
      } else {
        push(Tok::Number, i, j);
      }
    } else if (wordChar(c)) {
      while (j < n && wordChar(s[j])) ++j;
      push(Tok::Word, i, j);
    } else if (c == QLatin1Char('(')) {
      push(Tok::Open, i, j);
    } else if (c == QLatin1Char(')')) {
      push(Tok::Close, i, j);
    } else if (c == QLatin1Char(',')) {
      push(Tok::Comma, i, j);
    } else if (c == QLatin1Char('.')) {
      push(Tok::Dot, i, j);
    } else if (QStringLiteral("=<>!|+-*/%&~").contains(c)) {
      static const QStringList pairs = {
          QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>"), QStringLiteral("!="),
          QStringLiteral("=="), QStringLiteral("||"), QStringLiteral("<<"), QStringLiteral(">>")};
      if (j < n && pairs.contains(s.mid(i, 2))) ++j;
      push(Tok::Op, i, j);
    } else {
      push(Tok::Other, i, j);
    }
    i = j;
  }
  return out;
}

const QSet<QString>& keywords() {
  static const QSet<QString> k = {
      QStringLiteral("and"),     QStringLiteral("or"),        QStringLiteral("not"),
      QStringLiteral("null"),    QStringLiteral("is"),        QStringLiteral("in"),
      QStringLiteral("between"), QStringLiteral("like"),      QStringLiteral("select"),
      QStringLiteral("from"),    QStringLiteral("where"),     QStringLiteral("order"),
      QStringLiteral("by"),      QStringLiteral("group"),     QStringLiteral("having"),
      QStringLiteral("as"),      QStringLiteral("on"),        QStringLiteral("join"),
      QStringLiteral("inner"),   QStringLiteral("left"),      QStringLiteral("right"),
      QStringLiteral("outer"),   QStringLiteral("cross"),     QStringLiteral("asc"),
      QStringLiteral("desc"),    QStringLiteral("distinct"),  QStringLiteral("all"),
      QStringLiteral("case"),    QStringLiteral("when"),      QStringLiteral("then"),
      QStringLiteral("else"),    QStringLiteral("end"),       QStringLiteral("exists"),
      QStringLiteral("union"),   QStringLiteral("intersect"), QStringLiteral("except"),
      QStringLiteral("set"),     QStringLiteral("update"),    QStringLiteral("delete"),
      QStringLiteral("insert"),  QStringLiteral("into"),      QStringLiteral("values"),
      QStringLiteral("limit"),   QStringLiteral("offset"),    QStringLiteral("escape"),
      QStringLiteral("collate"), QStringLiteral("glob"),      QStringLiteral("top"),
      QStringLiteral("nulls"),   QStringLiteral("using"),     QStringLiteral("natural"),
  };
  return k;
}

QString unquoteName(const QString& name) {
  if (name.size() >= 2 && (name.startsWith(QLatin1Char('[')) || name.startsWith(QLatin1Char('"'))))
    return name.mid(1, name.size() - 2);
  return name;
}

// The value of a quoted text literal.
QString textValue(const QString& literal) {
  return literal.mid(1, literal.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
}

// A text whose matches do not depend on letter case or accents: no letter in it, and no
// character that another one folds to. Compared exactly, it keeps a column's index.
bool foldsToItself(const QString& text) {
  for (QChar c : text)
    if (c.unicode() >= 0x80 || c.isLetter()) return false;
  return true;
}

class Translator {
 public:
  Translator(const QString& sql, const TableKinds& tables)
      : toks_(tokenize(sql)), pre_(toks_.size()), post_(toks_.size()), tables_(tables) {
    depth_.resize(toks_.size());
    match_.assign(toks_.size(), -1);
    std::vector<int> open;
    int depth = 0;
    for (int i = 0; i < int(toks_.size()); ++i) {
      if (toks_[i].type == Tok::Open) {
        depth_[i] = depth++;
        open.push_back(i);
      } else if (toks_[i].type == Tok::Close) {
        depth_[i] = depth = std::max(0, depth - 1);
        if (!open.empty()) {
          match_[i] = open.back();
          match_[open.back()] = i;
          open.pop_back();
        }
      } else {
        depth_[i] = depth;
      }
    }
  }

  QString run() {
    findTables();
    markAssignments();
    for (int i = 0; i < int(toks_.size()); ++i) {
      if (assignment_.contains(i)) continue;
      const Token& t = toks_[i];
      if (t.type == Tok::Op && isComparison(t.text))
        comparison(i);
      else if (isWord(i, "between"))
        between(i);
      else if (isWord(i, "in"))
        inList(i);
      else if (isWord(i, "order") && isWord(next(i), "by"))
        orderBy(next(i));
      else if (isWord(i, "distinct") && isWord(prev(i), "select"))
        distinct(i);
    }
    QString out;
    for (size_t i = 0; i < toks_.size(); ++i) out += pre_[i] + toks_[i].text + post_[i];
    return out;
  }

 private:
  enum class What { Column, Date, Text, Number, Null, Other };
  struct Operand {
    int first = -1, last = -1;
    What what = What::Other;
    FieldKind kind = FieldKind::Unknown;
    bool valid() const { return first >= 0; }
  };

  static bool isComparison(const QString& op) {
    return op == QLatin1String("=") || op == QLatin1String("==") || op == QLatin1String("<>") ||
           op == QLatin1String("!=") || op == QLatin1String("<") || op == QLatin1String("<=") ||
           op == QLatin1String(">") || op == QLatin1String(">=");
  }
  static bool isEquality(const QString& op) {
    return op == QLatin1String("=") || op == QLatin1String("==") || op == QLatin1String("<>") ||
           op == QLatin1String("!=");
  }

  int size() const { return int(toks_.size()); }
  int next(int i) const {
    for (++i; i < size(); ++i)
      if (toks_[i].type != Tok::Space) return i;
    return size();
  }
  int prev(int i) const {
    for (--i; i >= 0; --i)
      if (toks_[i].type != Tok::Space) return i;
    return -1;
  }
  bool isWord(int i, const char* word) const {
    return i >= 0 && i < size() && toks_[i].type == Tok::Word &&
           toks_[i].text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
  }
  bool isKeyword(int i) const {
    return toks_[i].type == Tok::Word && keywords().contains(toks_[i].text.toLower());
  }
  bool isName(int i) const {
    return i >= 0 && i < size() &&
           (toks_[i].type == Tok::Name || (toks_[i].type == Tok::Word && !isKeyword(i)));
  }
  // Binds tighter than a comparison, so an operand next to it is part of a larger one.
  bool bindsTighter(int i) const {
    if (i < 0 || i >= size()) return false;
    const Token& t = toks_[i];
    if (t.type == Tok::Dot) return true;
    if (t.type != Tok::Op) return isWord(i, "collate") || isWord(i, "escape");
    return !isComparison(t.text);
  }

  // The tables a statement names (FROM, JOIN, UPDATE, INTO), with their aliases.
  void findTables() {
    for (int i = 0; i < size(); ++i) {
      if (!(isWord(i, "from") || isWord(i, "join") || isWord(i, "update") || isWord(i, "into")))
        continue;
      const bool list = isWord(i, "from");
      int j = next(i);
      while (isName(j)) {
        QString table = unquoteName(toks_[j].text);
        int k = next(j);
        if (k < size() && toks_[k].type == Tok::Dot && isName(next(k))) {
          j = next(k);
          table = unquoteName(toks_[j].text);
          k = next(j);
        }
        QString alias = table;
        if (isWord(k, "as")) k = next(k);
        if (isName(k)) {
          alias = unquoteName(toks_[k].text);
          k = next(k);
        }
        aliases_.insert(alias.toLower(), table);
        named_ << table;
        if (!list || k >= size() || toks_[k].type != Tok::Comma) break;
        j = next(k);
      }
    }
  }

  // UPDATE ... SET a = b: the "=" of an assignment is no comparison.
  void markAssignments() {
    for (int i = 0; i < size(); ++i) {
      if (!isWord(i, "set")) continue;
      const int depth = depth_[i];
      for (int j = i + 1; j < size(); ++j) {
        if (depth_[j] < depth || (depth_[j] == depth && isWord(j, "where"))) break;
        if (depth_[j] == depth) assignment_.insert(j);
      }
    }
  }

  const QHash<QString, FieldKind>* kindsOf(const QString& table) {
    auto it = cache_.find(table.toLower());
    if (it != cache_.end()) return it.value();
    const QHash<QString, FieldKind>* k = tables_ ? tables_(table) : nullptr;
    cache_.insert(table.toLower(), k);
    return k;
  }

  FieldKind columnKind(const QString& qualifier, const QString& column) {
    const QString col = column.toLower();
    if (!qualifier.isEmpty()) {
      const QString table = aliases_.value(qualifier.toLower(), qualifier);
      const auto* k = kindsOf(table);
      return k ? k->value(col, FieldKind::Unknown) : FieldKind::Unknown;
    }
    // Without a qualifier: the kind the named tables agree on; the rows a criteria is
    // tried on when no table is named.
    std::optional<FieldKind> kind;
    QStringList tables = named_;
    if (tables.isEmpty()) tables << QString();
    for (const QString& t : std::as_const(tables)) {
      const auto* k = kindsOf(t);
      if (!k || !k->contains(col)) continue;
      if (kind && *kind != k->value(col)) return FieldKind::Unknown;
      kind = k->value(col);
    }
    return kind.value_or(FieldKind::Unknown);
  }

  // A column reference whose name token is at i: its qualifier when there is one.
  Operand column(int first, int nameAt) {
    Operand o{first, nameAt, What::Column};
    QString qualifier;
    if (first != nameAt) qualifier = unquoteName(toks_[first].text);
    o.kind = columnKind(qualifier, unquoteName(toks_[nameAt].text));
    return o;
  }

  Operand classifyOne(int i) {
    switch (toks_[i].type) {
      case Tok::Date:
        return {i, i, What::Date};
      case Tok::Text:
        return {i, i, What::Text};
      case Tok::Number:
        return {i, i, What::Number};
      default:
        if (isWord(i, "null")) return {i, i, What::Null};
        return {};
    }
  }

  // The operand that begins at i (no blank), up to what binds looser than a comparison.
  Operand operandAt(int i) {
    if (i >= size()) return {};
    Operand o = classifyOne(i);
    if (!o.valid() && toks_[i].type == Tok::Op && toks_[i].text == QLatin1String("-")) {
      const int n = next(i);
      if (n < size() && toks_[n].type == Tok::Number) o = {i, n, What::Number};
    }
    if (!o.valid() && toks_[i].type == Tok::Open && match_[i] > i) o = {i, match_[i], What::Other};
    if (!o.valid() && isName(i)) {
      const int n = next(i);
      if (n < size() && toks_[n].type == Tok::Dot && isName(next(n)))
        o = column(i, next(n));
      else if (n < size() && toks_[n].type == Tok::Open && match_[n] > n)
        o = {i, match_[n], What::Other};
      else
        o = column(i, i);
    }
    if (!o.valid() || bindsTighter(next(o.last))) return {};
    return o;
  }

  // The operand that ends at i (no blank).
  Operand operandEndingAt(int i) {
    if (i < 0) return {};
    Operand o = classifyOne(i);
    if (!o.valid() && toks_[i].type == Tok::Close && match_[i] >= 0 && match_[i] < i) {
      const int open = match_[i];
      const int before = prev(open);
      o = {isName(before) && toks_[before].type == Tok::Word ? before : open, i, What::Other};
    }
    if (!o.valid() && isName(i)) {
      const int dot = prev(i);
      if (dot >= 0 && toks_[dot].type == Tok::Dot && isName(prev(dot)))
        o = column(prev(dot), i);
      else
        o = column(i, i);
    }
    if (!o.valid()) return {};
    const int before = prev(o.first);
    if (bindsTighter(before)) return {};
    // A leading minus belongs to the number.
    if (o.what == What::Number && before >= 0 && toks_[before].type == Tok::Op &&
        toks_[before].text == QLatin1String("-"))
      return {};
    return o;
  }

  bool isDate(const Operand& o) const {
    return o.what == What::Date || (o.what == What::Column && o.kind == FieldKind::DateTime);
  }
  bool isTextColumn(const Operand& o) const {
    return o.what == What::Column && o.kind == FieldKind::Text;
  }

  // Turns the operands into date values. A text literal that reads as no date ("__/__/____")
  // keeps the whole comparison as it is written: it looks for that text.
  bool asDates(const std::vector<Operand>& ops) {
    for (const Operand& o : ops) {
      if (o.what != What::Text) continue;
      const QByteArray utf8 = textValue(toks_[o.first].text).toUtf8();
      if (!detail::storedDateText(reinterpret_cast<const unsigned char*>(utf8.constData()),
                                  utf8.size()))
        return false;
    }
    for (const Operand& o : ops) {
      if (o.what == What::Date || o.what == What::Null) continue;
      if (o.what == What::Text) {
        const QByteArray utf8 = textValue(toks_[o.first].text).toUtf8();
        auto serial = detail::storedDateText(
            reinterpret_cast<const unsigned char*>(utf8.constData()), utf8.size());
        toks_[o.first].text = quoted(detail::canonicalDateTime(Value::dateSerial(*serial)));
        continue;
      }
      pre_[o.first] += QLatin1String(detail::kDateFunction) + QLatin1Char('(');
      post_[o.last] += QLatin1Char(')');
    }
    return true;
  }

  void collate(const Operand& o) {
    post_[o.last] += QStringLiteral(" COLLATE ") + QLatin1String(detail::kTextCollation);
  }

  // Compared as texts when a text column meets anything but a number or Null; exactly when
  // only equality with texts that fold to themselves is asked.
  void asTexts(const Operand& column, const std::vector<Operand>& others, bool equality) {
    bool exact = equality;
    for (const Operand& o : others) {
      if (o.what == What::Number || o.what == What::Null) return;
      if (o.what != What::Text || !foldsToItself(textValue(toks_[o.first].text))) exact = false;
    }
    if (!exact) collate(column);
  }

  void comparison(int op) {
    const Operand l = operandEndingAt(prev(op));
    const Operand r = operandAt(next(op));
    if (!l.valid() || !r.valid()) return;
    if (isDate(l) || isDate(r)) {
      asDates({l, r});
    } else if (isTextColumn(l)) {
      asTexts(l, {r}, isEquality(toks_[op].text));
    } else if (isTextColumn(r)) {
      asTexts(r, {l}, isEquality(toks_[op].text));
    }
  }

  // The operand left of BETWEEN or IN, past a NOT.
  Operand leftOf(int keyword) {
    int i = prev(keyword);
    if (isWord(i, "not")) i = prev(i);
    return operandEndingAt(i);
  }

  void between(int at) {
    const Operand v = leftOf(at);
    const Operand lo = operandAt(next(at));
    if (!v.valid() || !lo.valid() || !isWord(next(lo.last), "and")) return;
    const Operand hi = operandAt(next(next(lo.last)));
    if (!hi.valid()) return;
    if (isDate(v) || isDate(lo) || isDate(hi))
      asDates({v, lo, hi});
    else if (isTextColumn(v))
      asTexts(v, {lo, hi}, false);
  }

  void inList(int at) {
    const int open = next(at);
    if (open >= size() || toks_[open].type != Tok::Open || match_[open] <= open) return;
    if (isWord(next(open), "select")) return;
    const Operand v = leftOf(at);
    if (!v.valid()) return;
    std::vector<Operand> items;
    const int close = match_[open];
    int i = next(open);
    while (i < close) {
      const Operand o = operandAt(i);
      const int after = o.valid() ? next(o.last) : close;
      if (!o.valid() || (after != close && toks_[after].type != Tok::Comma)) return;
      items.push_back(o);
      i = after == close ? close : next(after);
    }
    bool date = isDate(v);
    for (const Operand& o : items) date = date || isDate(o);
    if (date) {
      items.push_back(v);
      asDates(items);
    } else if (isTextColumn(v)) {
      asTexts(v, items, true);
    }
  }

  // ORDER BY terms that are a column: dates by their value, texts in dictionary order.
  void orderBy(int by) {
    const int depth = depth_[by];
    int i = next(by);
    while (i < size()) {
      int end = i;
      // A term ends at a comma or LIMIT of its level, or where its sub-select closes.
      while (end < size() && depth_[end] >= depth &&
             !(depth_[end] == depth && (toks_[end].type == Tok::Comma || isWord(end, "limit"))))
        ++end;
      Operand o = operandAt(i);
      if (o.valid() && o.what == What::Column) {
        int k = next(o.last);
        if (isWord(k, "asc") || isWord(k, "desc")) k = next(k);
        if (k >= end) {
          if (o.kind == FieldKind::DateTime) asDates({o});
          if (o.kind == FieldKind::Text) collate(o);
        }
      }
      if (end >= size() || toks_[end].type != Tok::Comma) break;
      i = next(end);
    }
  }

  // SELECT DISTINCT of plain columns: rows whose dates are the same day in two forms, or
  // whose texts differ only in letter case, are one row. Grouped instead, by the values.
  void distinct(int at) {
    const int depth = depth_[at];
    std::vector<Operand> columns;
    bool byValue = false;
    int i = next(at);
    for (;;) {
      const Operand o = operandAt(i);
      if (!o.valid() || o.what != What::Column) return;
      columns.push_back(o);
      byValue = byValue || o.kind == FieldKind::DateTime || o.kind == FieldKind::Text;
      const int after = next(o.last);
      if (isWord(after, "from")) break;
      if (after >= size() || toks_[after].type != Tok::Comma) return;
      i = next(after);
    }
    if (!byValue) return;
    // Where the grouping goes: before ORDER BY or LIMIT of this level, or at its end.
    int end = next(columns.back().last);
    while (end < size() && depth_[end] >= depth) {
      if (depth_[end] == depth) {
        if (isWord(end, "group") || isWord(end, "having") || isWord(end, "union") ||
            isWord(end, "intersect") || isWord(end, "except"))
          return;
        if ((isWord(end, "order") && isWord(next(end), "by")) || isWord(end, "limit") ||
            toks_[end].text == QLatin1String(";"))
          break;
      }
      ++end;
    }
    QStringList keys;
    for (const Operand& o : columns) {
      QString key;
      for (int k = o.first; k <= o.last; ++k) key += toks_[k].text;
      if (o.kind == FieldKind::DateTime)
        key = QLatin1String(detail::kDateFunction) + QLatin1Char('(') + key + QLatin1Char(')');
      else if (o.kind == FieldKind::Text)
        key += QStringLiteral(" COLLATE ") + QLatin1String(detail::kTextCollation);
      keys << key;
    }
    toks_[at].text.clear();
    const QString groupBy = QStringLiteral(" GROUP BY ") + keys.join(QStringLiteral(", "));
    if (end < size())
      pre_[end] = groupBy + QLatin1Char(' ') + pre_[end];
    else
      post_[size() - 1] += groupBy;
  }

  std::vector<Token> toks_;
  std::vector<QString> pre_, post_;
  std::vector<int> depth_, match_;
  QSet<int> assignment_;
  const TableKinds& tables_;
  QHash<QString, QString> aliases_;
  QStringList named_;
  QHash<QString, const QHash<QString, FieldKind>*> cache_;
};
}  // namespace

QString translateSql(const QString& jetSql, const TableKinds& tables) {
  static const QRegularExpression deleteStar(QStringLiteral("^(\\s*)delete\\s*\\*\\s*from\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
  QString s = jetSql;
  auto m = deleteStar.match(s);
  if (m.hasMatch()) s.replace(0, m.capturedLength(), m.captured(1) + QStringLiteral("DELETE FROM"));
  return Translator(s, tables).run();
}

QString translateSql(const QString& jetSql) {
  return translateSql(jetSql, TableKinds());
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
