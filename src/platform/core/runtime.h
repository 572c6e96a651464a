#pragma once
// The language runtime's conversions and functions on field values, under the pt-BR
// regional settings. Names follow the runtime so that the business code reads like the
// behaviour it implements. Using Null where a text, number or date is needed raises
// errors::invalidUseOfNull; a value that cannot be converted raises errors::typeMismatch.
#include <optional>

#include "platform/core/value.h"

namespace ark::rt {

// --- clock ---------------------------------------------------------------------------
Value Now();   // date and time
Value Date();  // today, at midnight
Value Time();  // the time of day, on the zero day

// --- conversions ---------------------------------------------------------------------
// Text form: numbers without a leading blank and with the decimal comma ("1234,5"),
// Yes/No as "Verdadeiro"/"Falso", a date-time as "dd/mm/yyyy hh:mm:ss", a date at
// midnight as "dd/mm/yyyy", a time on the zero day as "hh:mm:ss"; Empty is "".
// Null raises.
QString CStr(const Value& v);
// The same, but Null gives "" (the & operator's rule).
QString Text(const Value& v);
// a & b: concatenation of the text forms, Null adding nothing.
QString Cat(const Value& a, const Value& b);

double CDbl(const Value& v);  // texts read as pt-BR numbers ("1.234,5")
qint64 CLng(const Value& v);  // rounded half to even; overflow beyond 32 bits raises
int CInt(const Value& v);     // rounded half to even; overflow beyond 16 bits raises
qint64 CCur(const Value& v);  // in ten-thousandths
bool CBool(const Value& v);
Value CDate(const Value& v);  // texts read day first; numbers as serials

// The leading number of a text: blanks ignored, "." as the decimal point, an optional
// sign and exponent; 0 when the text does not begin with a number. Never raises.
double Val(const QString& text);

bool IsDate(const Value& v);     // a date, or a text that reads as a date or a time
bool IsNumeric(const Value& v);  // a number, Yes/No, Empty, or a text that reads as one
bool IsNull(const Value& v);

// The date part (midnight) of a date or of a text read as a date, day first.
Value DateValue(const Value& v);
// The time part (on the zero day) of a date or of a text read as a time.
Value TimeValue(const Value& v);
Value DateSerial(int year, int month, int day);  // day and month may overflow, as usual
Value TimeSerial(int hour, int minute, int second);

int Year(const Value& v);
int Month(const Value& v);
int Day(const Value& v);
int Hour(const Value& v);
int Minute(const Value& v);
int Second(const Value& v);

// Greatest whole number not above (Int) / truncated towards zero (Fix); Null gives Null.
Value Int(const Value& v);
Value Fix(const Value& v);
Value Abs(const Value& v);
// Rounded to `digits` decimals, halves to the even neighbour; Null gives Null.
Value Round(const Value& v, int digits = 0);

QString Trim(const Value& v);   // leading and trailing blanks; Null raises
QString UCase(const Value& v);  // accented letters too; Null raises
int Len(const Value& v);

// Format(value, pattern): date patterns built of d, dd, mmm, mm, yyyy, yy, hh, nn, ss
// (mm right after hh means minutes), number patterns built of 0, #, "," (grouping) and "."
// (decimal point), and the named format "currency" ("R$ 1.234,56", "-R$ 1.234,56").
// A text is read as a date or a number as the pattern needs. Null and Empty give "".
QString Format(const Value& v, const QString& pattern);

// --- operators -----------------------------------------------------------------------
// Arithmetic with Null giving Null; a date plus or minus a number of days is a date,
// a date minus a date is a number of days; texts are read as numbers.
Value Add(const Value& a, const Value& b);
Value Sub(const Value& a, const Value& b);
Value Mul(const Value& a, const Value& b);
Value Div(const Value& a, const Value& b);

// Comparisons: false whenever either side is Null. A number against a text that reads
// as a number compares the numbers ("0" equals 0); a text that is not a number is not
// equal to a number and orders after it. Texts compare exactly (case counts); dates
// compare with dates, and with texts read as dates.
bool Eq(const Value& a, const Value& b);
bool Ne(const Value& a, const Value& b);
bool Lt(const Value& a, const Value& b);
bool Le(const Value& a, const Value& b);
bool Gt(const Value& a, const Value& b);
bool Ge(const Value& a, const Value& b);

// --- readers shared with the database layer -------------------------------------------
// A pt-BR number text ("1.234,56", "-12", "R$ 1.234,56", " 42 "); nullopt if it is none.
std::optional<double> parseNumber(const QString& text);
// A date or time text, day first: "25/01/2027", "25/01/2027 10:00:00", "10:00:00",
// "10:00", "2027-01-25 10:00:00", "25/jan/2027"; impossible dates and times ("24:00:00",
// "31/02/2026") and texts with mask prompts ("22:0_:__") are none.
std::optional<double> parseDate(const QString& text);

}  // namespace ark::rt
