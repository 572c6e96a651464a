#pragma once
// The backup scheduler's walk (frmbkp.Timer1_Timer): the rows of the current hour whose
// "hh:mm" is the clock's are run one after another, each compared with the clock again.
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/core/value.h"

namespace ark::db {
class View;
}

namespace ark::schedule {

// The record source of the hour query: the hour without a leading zero.
QString hourQuery(int hour);
// A row is due when its time and the clock's, both as "hh:mm", are the same text.
bool isDue(const Value& horabkp, const QDateTime& now);
// destino & separator & MM & YYYY, no separator test.
QString monthFolder(const QString& destino, const QDate& today);
// Looks the month folder up and creates it, one level, when nothing of that name exists.
// Returns an empty text on success, else the reason.
QString ensureMonthFolder(const QString& path);

// What one row hands to the archive run, in the order they are set.
struct RunParameters {
  QString BkpArquivo;
  QString BkpOrigem;
  QString BkpDestino;
  bool BkpSobrepoe = false;
};

struct RunOutcome {
  bool written = false;
  QString reason;  // why not, when not written
};

class BackupScheduler {
 public:
  struct Hooks {
    // title, text, error (false: information icon)
    std::function<void(const QString&, const QString&, bool)> balloon;
    std::function<void(bool hourglass)> setHourglass;
    // Runs the archive through the progress window (modal) and says how it went.
    std::function<RunOutcome(const RunParameters&)> runArchive;
  };

  BackupScheduler(db::View& tbkp, Hooks hooks) : Tbkp_(tbkp), hooks_(std::move(hooks)) {}
  // One tick. Never raises: a row that cannot be run is reported and the walk goes on.
  // When a failure's balloon was replaced by a later one, a last "Falha no Backup!" lists
  // every failure of the tick, one a line ("base name: reason").
  void Timer1_Timer();

 private:
  void runRow();
  void balloon(const QString& title, const QString& text, bool error);
  void failed(const QString& text);
  db::View& Tbkp_;
  Hooks hooks_;
  QStringList failures_;        // of the tick in progress
  bool failureShown_ = false;   // the latest balloon is a failure
  bool failureHidden_ = false;  // a failure balloon was replaced by a later one
};

inline constexpr auto kBalloonRunning = "Efetuando Backup!";
inline constexpr auto kBalloonRunningText = "Aguarde... ";
inline constexpr auto kBalloonDone = "Backup Efetuado com Sucesso.";
inline constexpr auto kBalloonFailed = "Falha no Backup!";

}  // namespace ark::schedule
