#include "maintenance/calcula_idade.h"

#include <gtest/gtest.h>

#include "platform/core/clock.h"

namespace ark::maintenance {
namespace {

struct AgeCase {
  QDate birth;
  QDate today;
  int years, months, days;
};

QString ageText(int y, int m, int d) {
  return QStringLiteral("%1 Ano(s) %2 Mês(es) %3 Dia(s)").arg(y).arg(m).arg(d);
}

TEST(CalculaIdade, TableOfBirthDatesAndToday) {
  const AgeCase cases[] = {
      {{1990, 3, 15}, {2026, 6, 10}, 36, 2, 26},
      {{1990, 3, 15}, {2026, 6, 15}, 36, 3, 0},
      {{1990, 3, 15}, {2026, 6, 20}, 36, 3, 5},
      {{1990, 1, 31}, {2026, 3, 15}, 36, 1, 15},
      {{1990, 1, 31}, {2026, 4, 15}, 36, 2, 16},
      {{1990, 12, 10}, {2026, 12, 9}, 35, 11, 29},
      {{2000, 2, 29}, {2026, 3, 10}, 26, 0, 10},
      {{2000, 2, 29}, {2026, 1, 15}, 25, 10, 17},
      {{2000, 2, 29}, {2026, 2, 28}, 25, 12, 0},
      {{2000, 2, 29}, {2027, 3, 1}, 27, 0, 1},
      {{2000, 2, 29}, {2028, 2, 29}, 28, 0, 0},
      {{2026, 12, 9}, {2026, 12, 9}, 0, 0, 0},
      {{2030, 12, 10}, {2026, 12, 9}, -5, 11, 29},
      // A birthday on the 31st in a month of 30 days, and in February.
      {{1985, 5, 31}, {2026, 9, 30}, 41, 3, 31},
      {{1985, 5, 31}, {2026, 2, 27}, 40, 8, 30},
  };
  for (const AgeCase& c : cases)
    EXPECT_EQ(CalculaIdade(c.birth, c.today), ageText(c.years, c.months, c.days))
        << c.birth.toString(Qt::ISODate).toStdString() << " on "
        << c.today.toString(Qt::ISODate).toStdString();
}

TEST(CalculaIdade, ValueOverloadReadsTodayFromTheClock) {
  SettableClock clock(QDateTime(QDate(2026, 6, 10), QTime(23, 59, 59)));
  ScopedClock scoped(clock);
  const Value birth = Value::date(QDate(1990, 3, 15), QTime(8, 30));
  EXPECT_EQ(CalculaIdade(birth), ageText(36, 2, 26));
  EXPECT_EQ(birth, Value::date(QDate(1990, 3, 15), QTime(8, 30)));
}

}  // namespace
}  // namespace ark::maintenance
