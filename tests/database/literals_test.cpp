// The literals taken out of a SELECT: as parameters of its translation, and as the values
// of its cached form (the form must tell apart exactly the texts whose translations differ).
#include <gtest/gtest.h>

#include "platform/database/internal.h"

namespace ark::db::detail {
namespace {

// The form with its markers spelled out, so a failure reads.
QString shown(const QString& form) {
  QString out;
  for (int i = 0; i < form.size(); ++i) {
    const QChar c = form[i];
    if (c == QLatin1Char('\x01') && i + 2 < form.size()) {
      // followed by the two letters of what the text is
      out += QStringLiteral("<T:") + form.mid(i + 1, 2) + QLatin1Char('>');
      i += 2;
    } else if (c == QLatin1Char('\x02')) {
      out += QStringLiteral("<N>");
    } else if (c == QLatin1Char('\x03')) {
      out += QStringLiteral("<D>");
    } else {
      out += c;
    }
  }
  return out;
}

QString listed(const std::vector<Value>& values) {
  QStringList out;
  for (const Value& v : values) out << v.debugString();
  return out.join(QLatin1Char('|'));
}

struct Case {
  const char* sql;
  const char* form;    // nullptr: refused
  const char* values;  // debugString of each, joined by |
};

TEST(LiteralForm, FormsAndValuesOfTheSelectsJobsWrite) {
  const Case cases[] = {
      {"select sum(quantidade) as qtde_comp , sum(total) as soma_preco_compra from estoque "
       "where codigomer = '7890000000123'",
       "select sum(quantidade) as qtde_comp , sum(total) as soma_preco_compra from estoque "
       "where codigomer = <T:ft>",
       "Text(\"7890000000123\")"},
      {"SELECT rowid FROM t WHERE (codcliente=12 And numnota = 345 And data_vencimento = "
       "#03/15/2026#)",
       "SELECT rowid FROM t WHERE (codcliente=<N> And numnota = <N> And data_vencimento = <D>)",
       "Long(12)|Long(345)|Text(\"2026-03-15 00:00:00\")"},
      // Texts: doubled quotes, accents, letters, dates, empty.
      {"select * from t where nome = 'D''Ávila' and x = 'it''s'''",
       "select * from t where nome = <T:lt> and x = <T:lt>", "Text(\"D'Ávila\")|Text(\"it's'\")"},
      {"select * from t where a = '10/05/2024' or a = '2024-05-10 00:00:00' or a = '' or "
       "a = '12,5' or a = 'ção' or a = '€' or a = '-7'",
       "select * from t where a = <T:fd> or a = <T:fd> or a = <T:ft> or a = <T:ft> or "
       "a = <T:lt> or a = <T:lt> or a = <T:ft>",
       "Text(\"10/05/2024\")|Text(\"2024-05-10 00:00:00\")|Text(\"\")|Text(\"12,5\")|"
       "Text(\"ção\")|Text(\"€\")|Text(\"-7\")"},
      {"select * from t where a = 'x?y -- /* */ :p @q $r #1/2/2026#'", "select * from t where a = <T:lt>",
       "Text(\"x?y -- /* */ :p @q $r #1/2/2026#\")"},
      // Only after the outer FROM, before ORDER BY or GROUP BY.
      {"select 'x' as a, 3, #1/2/2026# from t where b = 4 order by 2",
       "select 'x' as a, 3, #1/2/2026# from t where b = <N> order by 2", "Long(4)"},
      {"select a from t where b in (select c from u group by c) and d = 2 Group By a having n > 1",
       "select a from t where b in (select c from u group by c) and d = <N> Group By a having n > 1",
       "Long(2)"},
      {"select \"from\", 1 from t where a = 2", "select \"from\", 1 from t where a = <N>",
       "Long(2)"},
      {"select [order] from [t 1] where `group` = 2 and [a?b] = 3",
       "select [order] from [t 1] where `group` = <N> and [a?b] = <N>", "Long(2)|Long(3)"},
      {"SELECT a FROM t WHERE a = 1", "SELECT a FROM t WHERE a = <N>", "Long(1)"},
      {"select a FrOm t where a = 1", "select a FrOm t where a = <N>", "Long(1)"},
      // Numbers: integers, reals, exponents, beyond 64 bits, signs kept as written.
      {"select * from t where a = 1.5 and b = .25 and c = 1e3 and d = 2.5E-2 and e = 7e+2 "
       "and f = -5 and g = 007",
       "select * from t where a = <N> and b = <N> and c = <N> and d = <N> and e = <N> and "
       "f = -<N> and g = <N>",
       "Double(1.5)|Double(0.25)|Double(1000)|Double(0.025000000000000001)|Double(700)|Long(5)|"
       "Long(7)"},
      {"select * from t where a = 99999999999999999999", "select * from t where a = <N>",
       "Double(1e+20)"},
      {"select * from t where a = 9223372036854775807", "select * from t where a = <N>",
       "Long(9223372036854775807)"},
      // Digits in names stay.
      {"select * from t1 where col2 = 3 and t1.x3 = 4 and 5e = 6 and descrição5 = 7 and 8é = 9",
       "select * from t1 where col2 = <N> and t1.x3 = <N> and 5e = <N> and descrição5 = <N> "
       "and 8é = <N>",
       "Long(3)|Long(4)|Long(6)|Long(7)|Long(9)"},
      {"select * from t where a=1and b=2", "select * from t where a=1and b=<N>", "Long(2)"},
      {"select * from t where a_1=1", "select * from t where a_1=<N>", "Long(1)"},
      // Dates: spaces inside, one digit, impossible, other shapes.
      {"select * from t where d = # 3/5/2026 # or d = #12/31/1999#",
       "select * from t where d = <D> or d = <D>",
       "Text(\"2026-03-05 00:00:00\")|Text(\"1999-12-31 00:00:00\")"},
      {"select * from t where d = #02/30/2026# or d = #13/01/2026#",
       "select * from t where d = #02/30/2026# or d = #13/01/2026#", ""},
      {"select * from t where d = #2026-03-15# or d = #3/5/26# or d = #123/5/2026#",
       "select * from t where d = #<N>-<N>-<N># or d = #<N>/<N>/<N># or d = #<N>/<N>/<N>#",
       "Long(2026)|Long(3)|Long(15)|Long(3)|Long(5)|Long(26)|Long(123)|Long(5)|Long(2026)"},
      {"select * from t where d = #1/2/20261#", "select * from t where d = #<N>/<N>/<N>#",
       "Long(1)|Long(2)|Long(20261)"},
      {"select * from t where d = #1/2/2026", "select * from t where d = #<N>/<N>/<N>",
       "Long(1)|Long(2)|Long(2026)"},
      {"select * from t where d = #1/1/0050# or d = #12/31/9999# or d = #2/29/2000#",
       "select * from t where d = <D> or d = <D> or d = <D>",
       "Text(\"0050-01-01 00:00:00\")|Text(\"9999-12-31 00:00:00\")|Text(\"2000-02-29 00:00:00\")"},
      // Blanks and digits outside ASCII.
      {"select * from t where d = #\u00a01/2/2026\u2003#",
       "select * from t where d = #\u00a01/<N>/2026\u2003#", "Long(2)"},
      {"select * from t where d = #\u0661/2/2026#", nullptr, ""},
      {"select * from t where a = \u0663", nullptr, ""},
      {"select \u0663 from t where a = 1", "select \u0663 from t where a = <N>", "Long(1)"},
      // A blob stays as written.
      {"select * from t where b = X'00ff' or b = x'01'",
       "select * from t where b = X'00ff' or b = x'01'", ""},
      // Parameters, comments and unterminated texts are refused, wherever they are.
      {"select * from t where a = ?", nullptr, ""},
      {"select * from t where a = :p", nullptr, ""},
      {"select * from t where a = @p", nullptr, ""},
      {"select * from t where a = $1", nullptr, ""},
      {"select ? from t", nullptr, ""},
      {"select * from t -- the rest", nullptr, ""},
      {"select * from t /* note */ where a = 1", nullptr, ""},
      {"select * from t where a = 'open", nullptr, ""},
      {"select * from t where a = 1.2.3", nullptr, ""},
      // A lone dash or slash is arithmetic.
      {"select * from t where a = 4 - 1 / 2", "select * from t where a = <N> - <N> / <N>",
       "Long(4)|Long(1)|Long(2)"},
  };
  for (const Case& c : cases) {
    QString form;
    std::vector<Value> values;
    const bool ok = literalForm(QString::fromUtf8(c.sql), form, values);
    SCOPED_TRACE(c.sql);
    ASSERT_EQ(ok, c.form != nullptr);
    if (!ok) continue;
    EXPECT_EQ(shown(form).toStdString(), c.form);
    EXPECT_EQ(listed(values).toStdString(), c.values);
  }
}

// A job writes the same SELECT row after row with other values: each text reads as if
// it came alone, whatever came before it.
TEST(LiteralForm, ATextReadsTheSameAfterOnesThatBeginAlike) {
  struct Pair {
    const char* before;
    Case text;
  } cases[] = {
      {"select * from t where a = 'x'",
       {"select * from t where a = 'yz' and b = 5",
        "select * from t where a = <T:lt> and b = <N>", "Text(\"yz\")|Long(5)"}},
      {"select * from t where a = 1", {"select * from t where a = 1 -- c", nullptr, ""}},
      {"select a from t where b = 1", {"select a from t where b = x1", "select a from t where b = x1", ""}},
      {"select a from t where b = 1", {"select a from t where b = 1e5", "select a from t where b = <N>", "Double(100000)"}},
      // A date cut short is read again once it is whole.
      {"select * from t where d = # 3/5 and x = 1",
       {"select * from t where d = # 3/5/2026 #", "select * from t where d = <D>",
        "Text(\"2026-03-05 00:00:00\")"}},
      {"select * from t where a = 'x'", {"select * from t where", "select * from t where", ""}},
      {"select a from (select b from u where c = 1) where d = 2",
       {"select a from (select b from u where c = 9) where d = 3 order by 1",
        "select a from (select b from u where c = <N>) where d = <N> order by 1",
        "Long(9)|Long(3)"}},
      {"select a from t order by b", {"select a from t order by b, 2", "select a from t order by b, 2", ""}},
  };
  for (const Pair& c : cases) {
    QString form;
    std::vector<Value> values;
    literalForm(QString::fromUtf8(c.before), form, values);
    const bool ok = literalForm(QString::fromUtf8(c.text.sql), form, values);
    SCOPED_TRACE(c.text.sql);
    ASSERT_EQ(ok, c.text.form != nullptr);
    if (!ok) continue;
    EXPECT_EQ(shown(form).toStdString(), c.text.form);
    EXPECT_EQ(listed(values).toStdString(), c.text.values);
  }
  // More texts in turn than are kept in mind.
  for (int round = 0; round < 2; ++round)
    for (int k = 0; k < 20; ++k) {
      QString form;
      std::vector<Value> values;
      ASSERT_TRUE(literalForm(QStringLiteral("select * from t%1 where a = %2").arg(k).arg(k * 7 + round),
                              form, values));
      EXPECT_EQ(form, QStringLiteral("select * from t%1 where a = \x02").arg(k));
      EXPECT_EQ(listed(values).toStdString(), "Long(" + std::to_string(k * 7 + round) + ")");
    }
}

TEST(LiteralForm, TellsApartWhatTheTranslationTreatsApart) {
  auto formOf = [](const char* sql) {
    QString form;
    std::vector<Value> values;
    EXPECT_TRUE(literalForm(QString::fromUtf8(sql), form, values));
    return form;
  };
  // Same form: only the values differ.
  EXPECT_EQ(formOf("select * from t where a = 'x' and b = 1"),
            formOf("select * from t where a = 'yz' and b = 22"));
  // A date against a text, letters against none, a number against a text.
  EXPECT_NE(formOf("select * from t where a = '10/05/2024'"),
            formOf("select * from t where a = '1005'"));
  EXPECT_NE(formOf("select * from t where a = 'abc'"), formOf("select * from t where a = '123'"));
  EXPECT_NE(formOf("select * from t where a = 1"), formOf("select * from t where a = '1'"));
  EXPECT_NE(formOf("select * from t where a = #1/2/2026#"),
            formOf("select * from t where a = '2026-01-02 00:00:00'"));
}

TEST(Parameterize, TakesTextsAndNumbersAfterFromOnly) {
  const Case cases[] = {
      {"SELECT rowid FROM t WHERE (codcliente=12 AND ark_data(d) = '2026-03-15 00:00:00')",
       "SELECT rowid FROM t WHERE (codcliente=? AND ark_data(d) = ?)",
       "Long(12)|Text(\"2026-03-15 00:00:00\")"},
      {"select 'a', 2 from t where n = 'D''Ávila' and v >= 1.5e1 order by 1",
       "select 'a', 2 from t where n = ? and v >= ? order by 1",
       "Text(\"D'Ávila\")|Double(15)"},
      // No date literals in this dialect: '#' is an operator.
      {"select * from t where a = #1/2/2026#", "select * from t where a = #?/?/?#",
       "Long(1)|Long(2)|Long(2026)"},
      {"select * from t where b = X'00' and c = 3", "select * from t where b = X'00' and c = ?",
       "Long(3)"},
      // Parameters or comments of its own: as it is.
      {"select * from t where a = ? and b = 'x'", "select * from t where a = ? and b = 'x'", ""},
      {"select * from t where b = 'x' -- 1", "select * from t where b = 'x' -- 1", ""},
      {"select * from t where b = 'x", "select * from t where b = 'x", ""},
  };
  for (const Case& c : cases) {
    const Parameterized p = parameterize(QString::fromUtf8(c.sql));
    SCOPED_TRACE(c.sql);
    EXPECT_EQ(p.sql.toStdString(), c.form);
    EXPECT_EQ(listed(p.values).toStdString(), c.values);
  }
}

}  // namespace
}  // namespace ark::db::detail
