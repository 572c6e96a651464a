#include "schedule/backup_scheduler.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "platform/archive/system_reason.h"
#include "platform/core/clock.h"
#include "platform/core/paths.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"
#include "schedule/job_guard.h"

namespace ark::schedule {

QString hourQuery(int hour) {
  return QStringLiteral("Select * from backup where hour(horabkp) = ") + QString::number(hour) +
         QStringLiteral(" order by horabkp");
}

bool isDue(const Value& horabkp, const QDateTime& now) {
  if (!rt::IsDate(horabkp)) return false;
  return rt::Format(Value::dateTime(now), QStringLiteral("hh:mm")) ==
         rt::Format(horabkp, QStringLiteral("hh:mm"));
}

QString monthFolder(const QString& destino, const QDate& today) {
  return joinPath(destino, rt::Format(today.month(), QStringLiteral("00")) +
                               rt::Format(today.year(), QStringLiteral("0000")));
}

QString ensureMonthFolder(const QString& path) {
  const QFileInfo info(path);
  if (info.exists()) {
    if (info.isDir()) return {};
    return QStringLiteral("Já existe um arquivo com o nome da pasta do mês: %1").arg(path);
  }
  if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
    const int err = errno;
    if (err == EEXIST && QFileInfo(path).isDir()) return {};  // made meanwhile
    const QString parent = info.absolutePath();
    if ((err == ENOENT || err == ENOTDIR) && !QFileInfo(parent).isDir())
      return QStringLiteral("Pasta de destino não encontrada: %1").arg(parent);
    return zip::withSystemReason(
        QStringLiteral("Não foi possível criar a pasta do mês: %1").arg(path), err);
  }
  return {};
}

void BackupScheduler::Timer1_Timer() {
  if (JobGuard::busy()) return;
  JobGuard guard;
  failures_.clear();
  failureShown_ = false;
  failureHidden_ = false;
  try {
    Tbkp_.setRecordSource(hourQuery(clock().now().time().hour()));
    Tbkp_.Refresh();
    db::Recordset& rs = Tbkp_.recordset();
    while (!rs.Eof()) {
      if (isDue(rs.field(QStringLiteral("horabkp")), clock().now())) runRow();
      rs.MoveNext();
    }
    Tbkp_.Refresh();
  } catch (const RuntimeError& e) {
    hooks_.setHourglass(false);
    failed(e.message());
  }
  // Each balloon replaces the one before: a failure followed by later balloons of the
  // same tick would go unseen, so all of them are shown once more at the end.
  if (failureHidden_)
    hooks_.balloon(QString::fromUtf8(kBalloonFailed), failures_.join(QLatin1Char('\n')), true);
}

void BackupScheduler::balloon(const QString& title, const QString& text, bool error) {
  if (failureShown_) failureHidden_ = true;
  failureShown_ = error;
  hooks_.balloon(title, text, error);
}

void BackupScheduler::failed(const QString& text) {
  failures_.append(text);
  balloon(QString::fromUtf8(kBalloonFailed), text, true);
}

void BackupScheduler::runRow() {
  db::Recordset& rs = Tbkp_.recordset();
  const Value nome = rs.field(QStringLiteral("nomearquivo"));
  const QString label =
      nome.isNull() ? rt::Format(rs.field(QStringLiteral("horabkp")), QStringLiteral("hh:mm"))
                    : rt::Text(nome);
  hooks_.setHourglass(true);
  balloon(QString::fromUtf8(kBalloonRunning), QString::fromUtf8(kBalloonRunningText), false);
  RunOutcome outcome;
  try {
    RunParameters p;
    p.BkpArquivo = rt::CStr(nome);
    p.BkpOrigem = rt::CStr(rs.field(QStringLiteral("origem")));
    const QString destino = rt::CStr(rs.field(QStringLiteral("destino")));
    p.BkpDestino = monthFolder(destino, clock().now().date());
    p.BkpSobrepoe = rt::CBool(rs.field(QStringLiteral("sobrepoe")));
    const QString problem = ensureMonthFolder(monthFolder(destino, clock().now().date()));
    if (problem.isEmpty()) {
      outcome = hooks_.runArchive(p);
    } else {
      outcome.reason = problem;
    }
  } catch (const RuntimeError& e) {
    outcome.written = false;
    outcome.reason = e.message();
  }
  if (outcome.written) {
    balloon(QString::fromUtf8(kBalloonDone), QString(), false);
  } else {
    failed(label + QStringLiteral(": ") + outcome.reason);
  }
  hooks_.setHourglass(false);
}

}  // namespace ark::schedule
