#pragma once
// The rules of the visit answer confirmation: the next reminder it writes into pcs and the
// texts of its message boxes.
#include <QDate>
#include <QString>

#include "platform/core/value.h"

namespace ark::visits {

// The next reminder as written into pcs.data_visita and pcs.hora_visita.
struct NextReminder {
  Value data_visita;
  Value hora_visita;
};

// The 25th of the month after `today`, 10:00:00, as the texts "25/MM/YYYY" and "10:00:00".
NextReminder nextMonthReminder(const QDate& today);

// One day and one hour after the stored reminder: the date d of data_visita plus one day, and
// the time of day of hora_visita plus one hour as a date-time (from 23:00:00 on it lands on the
// day after the date-time type's zero, so its hour is 00). When d is not in today's month, or
// falls outside the days 25 to 30 that the reminder trigger accepts, the next-month reminder
// is given instead, so that a reminder always follows. Raises ark::RuntimeError for a Null or
// a value that is no date or time.
NextReminder postponedReminder(const Value& data_visita, const Value& hora_visita,
                               const QDate& today);

// The message boxes of the confirmation.
enum class ConfirmBox {
  TickedQuestion,  // "Exibir este lembrete no próximo mês" ticked
  SimQuestion,
  SimDone,
  NaoQuestion,
  AdiarNotice,
  NotConnected,  // the visit request could not be sent: no Internet connection; the
                 // reminder has been postponed
};

struct BoxText {
  QString text;  // lines joined by a bare "\r"
  int style;     // message-box style flags
};

const BoxText& confirmBox(ConfirmBox box);

// The box shown when the visit request could not be sent; `reason` is the mail layer's text.
BoxText sendFailedBox(const QString& reason);

}  // namespace ark::visits
