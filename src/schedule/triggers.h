#pragma once
// The maintenance trigger (frmbkp.Timer2_Timer) and the visit trigger (frmbkp.Timer3_Timer):
// nested tests over the installation record, each made only when the one before passed.
#include <QString>
#include <functional>
#include <optional>

namespace ark::db {
class View;
}

namespace ark::schedule {

// True when the attributes of the file or folder can be read. Never raises.
bool ArquivoExiste(const QString& path);

// The system table of the maintenance trigger, compared exactly (case counts).
struct SystemEntry {
  QString code;
  QString file;    // database file looked for after BaseSistema
  QString window;  // the maintenance window shown
};
std::optional<SystemEntry> systemFor(const QString& code);

class MaintenanceTrigger {
 public:
  struct Hooks {
    // BaseSistema and CodSistema, set before the system is looked up.
    std::function<void(const QString& base, const QString& code)> setParameters;
    // Shows the system's window modally; returns when it has unloaded itself.
    std::function<void(const SystemEntry&)> showWindow;
  };
  MaintenanceTrigger(db::View& tpc, Hooks hooks) : Tpc_(tpc), hooks_(std::move(hooks)) {}
  // One tick; a failing refresh raises for the caller to report.
  void Timer2_Timer();

 private:
  db::View& Tpc_;
  Hooks hooks_;
};

class VisitTrigger {
 public:
  struct Hooks {
    std::function<bool()> reminderVisible;  // loads the window if needed
    std::function<void()> showReminder;     // modeless
  };
  VisitTrigger(db::View& tpc, Hooks hooks) : Tpc_(tpc), hooks_(std::move(hooks)) {}
  void Timer3_Timer();

 private:
  db::View& Tpc_;
  Hooks hooks_;
};

}  // namespace ark::schedule
