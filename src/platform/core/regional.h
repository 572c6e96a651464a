#pragma once
// The regional settings the program is written for: Brazilian Portuguese, whatever the
// machine's locale says. Nothing else reads the system locale.
#include <QChar>
#include <QString>
#include <QStringList>

namespace ark {

struct Regional {
  QChar decimal = QLatin1Char(',');
  QChar group = QLatin1Char('.');
  QString currencySymbol = QStringLiteral("R$");
  int currencyDecimals = 2;
  // "jan" ... "dez", for the pattern "mmm".
  QStringList shortMonths;
  // "janeiro" ... "dezembro", for the pattern "mmmm".
  QStringList longMonths;
  QString trueText = QStringLiteral("Verdadeiro");
  QString falseText = QStringLiteral("Falso");

  static const Regional& ptBR();
};

}  // namespace ark
