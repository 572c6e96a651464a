#pragma once
// The age text written into each patient's record: whole years, months and days since
// birth, as "36 Ano(s) 2 Mês(es) 26 Dia(s)".
#include <QDate>
#include <QString>

#include "platform/core/value.h"

namespace ark::maintenance {

// The age on `hoje` of someone born on `nascimento`. A birth date in the future gives
// a negative year count.
QString CalculaIdade(const QDate& nascimento, const QDate& hoje);
// The same on today's date of the program's clock; `nascimento` is a date value.
QString CalculaIdade(const Value& nascimento);

}  // namespace ark::maintenance
