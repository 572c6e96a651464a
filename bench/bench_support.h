#pragma once
// What the job benchmarks share: the database opened directly with the views' durability
// settings, the size factor from the command line, and the run of a maintenance window
// with the time each step label first showed.
#include <sqlite3.h>

#include <algorithm>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "maintenance/maintenance.h"
#include "maintenance/maintenance_runner.h"

namespace bench {

inline sqlite3* openDirect(const QString& path) {
  sqlite3* h = nullptr;
  sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                  nullptr);
  sqlite3_busy_timeout(h, 5000);
  // The settings of the views' connections, so that both sides are measured alike.
  sqlite3_exec(h,
               "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-32768;"
               " PRAGMA wal_autocheckpoint=10000;",
               nullptr, nullptr, nullptr);
  return h;
}

// The peak resident size of the process over a stretch of it (Linux): reset the mark
// before the stretch, read it after, in MB (-1 when the system does not tell).
inline void resetPeakRss() {
  QFile f(QStringLiteral("/proc/self/clear_refs"));
  if (f.open(QIODevice::WriteOnly)) f.write("5");
}

inline double peakRssMb() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
  return -1;
}

inline void exec(sqlite3* h, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(h, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    std::fprintf(stderr, "SQL failed: %s\n%s\n", err, sql);
    std::exit(1);
  }
}

// Runs `sql` once per row with the values `bind` gives it, in one transaction.
template <class Bind>
void fill(sqlite3* h, const char* sql, int rows, Bind bind) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(h, sql, -1, &st, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(h));
    std::exit(1);
  }
  exec(h, "BEGIN");
  for (int i = 0; i < rows; ++i) {
    bind(st, i);
    sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
  }
  exec(h, "COMMIT");
  sqlite3_finalize(st);
}

inline void text(sqlite3_stmt* st, int col, const QByteArray& v) {
  sqlite3_bind_text(st, col, v.constData(), int(v.size()), SQLITE_TRANSIENT);
}

// The row counts are multiplied by the first argument (1 when none): "2" measures the
// growth of the job with twice the rows. "sem-indices" as any argument leaves out the
// indexes of the business tables.
struct Options {
  int scale = 1;
  bool indexes = true;
};

inline Options options(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    if (QByteArray(argv[i]) == "sem-indices")
      o.indexes = false;
    else if (std::atoi(argv[i]) > 0)
      o.scale = std::atoi(argv[i]);
  }
  return o;
}

// The processor time the process has used, in seconds: steadier than the clock on a
// machine that other work shares.
inline double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Runs the named maintenance window on the database in `base` and prints each step's
// span; the job's time in seconds, or a negative time when the job did not complete.
inline double runJob(const QString& window, const QString& base) {
  ark::maintenance::BaseSistema = base + QLatin1Char('/');
  QStringList stepNames;
  std::vector<double> stepStarts;
  QElapsedTimer t;
  ark::maintenance::MaintenanceRunner::pumpHook =
      [&](const ark::maintenance::MaintenanceRunner& w) {
        const QString step = w.stepLabel->text();
        if (stepNames.isEmpty() || stepNames.last() != step) {
          stepNames << step;
          stepStarts.push_back(t.elapsed() / 1000.0);
        }
      };
  resetPeakRss();
  t.start();
  const ark::maintenance::JobOutcome out = ark::maintenance::showMaintenanceWindow(window);
  const double job = t.elapsed() / 1000.0;
  const double peak = peakRssMb();
  ark::maintenance::MaintenanceRunner::pumpHook = nullptr;
  for (int i = 0; i < stepNames.size(); ++i)
    std::printf("  %s from %.3f s to %.3f s\n", qPrintable(stepNames[i]), stepStarts[i],
                i + 1 < stepNames.size() ? stepStarts[i + 1] : job);
  std::printf("peak RSS of the process during the job: %.0f MB\n", peak);
  if (!out.completed) {
    std::fprintf(stderr, "job failed: %s\n", qPrintable(out.reason));
    return -1;
  }
  return job;
}

// Runs an SQL text on the file, timed from opening the connection to closing it.
inline double timedSql(const QString& path, const QString& sql) {
  QElapsedTimer t;
  t.start();
  sqlite3* h = openDirect(path);
  exec(h, sql.toUtf8().constData());
  sqlite3_close(h);
  return t.elapsed() / 1000.0;
}

// The business database `name` as it was made, and fresh copies of it for each round of
// a comparison (BENCH_KEEP set keeps them all).
struct Files {
  explicit Files(const QString& name) : name(name), made(dir.filePath(QStringLiteral("feito/")) + name) {
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("BENCH_KEEP"));
    QDir().mkpath(dir.filePath(QStringLiteral("feito")));
  }
  // A copy of the made file in its own folder; the folder.
  QString fresh(const QString& folder) const {
    const QString path = dir.filePath(folder);
    QDir().mkpath(path);
    QFile::copy(made, path + QLatin1Char('/') + name);
    return path;
  }
  QTemporaryDir dir;
  QString name, made;
};

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Runs the plain SQL and then the job's window, each on a fresh copy of the made file, in
// three rounds (BENCH_ROUNDS sets another number, 1 for a profile): one run of either is at
// the mercy of whatever else the machine does. Prints each round, what `counts` finds on each
// side, and last the medians' ratios; the process's exit code.
template <class Plain, class Counts>
int compare(const char* job, const QString& window, const Files& f, Plain plain, Counts counts) {
  const int asked = qEnvironmentVariableIntValue("BENCH_ROUNDS");
  const int kRounds = asked > 0 ? asked : 3;
  std::vector<double> took, tookCpu, limit, limitCpu;
  QString jobFile, plainFile;
  for (int r = 0; r < kRounds; ++r) {
    plainFile = f.fresh(QStringLiteral("copia%1").arg(r)) + QLatin1Char('/') + f.name;
    const QString base = f.fresh(QStringLiteral("base%1").arg(r));
    jobFile = base + QLatin1Char('/') + f.name;
    double cpu = cpuSeconds();
    limit.push_back(plain(plainFile));
    limitCpu.push_back(cpuSeconds() - cpu);
    cpu = cpuSeconds();
    took.push_back(runJob(window, base));
    tookCpu.push_back(cpuSeconds() - cpu);
    if (took.back() < 0) return 1;
    std::printf("round %d: job %.3f s (processor %.3f s), plain SQL %.3f s (processor %.3f s)\n",
                r + 1, took.back(), tookCpu.back(), limit.back(), limitCpu.back());
  }
  std::printf("%s job through the views:%*s%.3f s (processor %.3f s), median of %d\n", job,
              int(10 - qstrlen(job)), "", median(took), median(tookCpu), kRounds);
  std::printf("the same changes by plain SQL:  %.3f s (processor %.3f s)\n", median(limit),
              median(limitCpu));
  std::printf("job:       %s\n", counts(jobFile).constData());
  std::printf("plain SQL: %s\n", counts(plainFile).constData());
  std::printf("processor time ratio %.2f\n", median(tookCpu) / median(limitCpu));
  std::printf("ratio %.2f\n", median(took) / median(limit));
  return 0;
}

// The first column of the first row as text.
inline QByteArray value(sqlite3* h, const char* sql) {
  sqlite3_stmt* st = nullptr;
  QByteArray out;
  if (sqlite3_prepare_v2(h, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
    out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  return out;
}

}  // namespace bench
