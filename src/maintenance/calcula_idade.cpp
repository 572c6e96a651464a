#include "maintenance/calcula_idade.h"

#include "platform/core/runtime.h"

namespace ark::maintenance {

namespace {
// The day stepped back until the date exists (29 February, 31 April ...).
QDate existing(int day, int month, int year, int maxSteps) {
  for (int i = 0; i <= maxSteps; ++i) {
    const QDate d(year, month, day - i);
    if (d.isValid()) return d;
  }
  return QDate(year, month, 1).addMonths(1).addDays(-1);
}
}  // namespace

QString CalculaIdade(const QDate& N, const QDate& H) {
  const int Y = H.year();
  // The last birthday; a 29 February birthday falls on the 28th in a common year.
  QDate A;
  if (N.month() < H.month())
    A = existing(N.day(), N.month(), Y, 1);
  else if (N.month() == H.month() && N.day() <= H.day())
    A = QDate(Y, N.month(), N.day());
  else
    A = existing(N.day(), N.month(), Y - 1, 1);

  const int years = A.year() - N.year();
  int months = (H.year() * 12 + H.month()) - (A.year() * 12 + A.month());
  qint64 days = 0;
  if (H.day() < A.day()) {
    --months;
    // Counted from the same day one month back, taken from a day the current month has;
    // addMonths clamps the day to the end of a shorter month.
    const QDate R = existing(N.day(), H.month(), Y, 3);
    days = R.addMonths(-1).daysTo(H);
  } else if (H.day() > A.day()) {
    days = H.day() - N.day();
  }
  return QString::number(years) + QStringLiteral(" Ano(s) ") + QString::number(months) +
         QStringLiteral(" Mês(es) ") + QString::number(days) + QStringLiteral(" Dia(s)");
}

QString CalculaIdade(const Value& nascimento) {
  return CalculaIdade(rt::CDate(nascimento).datePart(), rt::Date().datePart());
}

}  // namespace ark::maintenance
