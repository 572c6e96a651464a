// A row walk through a view that edits and stores every row, against the same single-row
// UPDATEs sent straight to SQLite with the same durability settings.
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "platform/database/database.h"

namespace {
constexpr int kRows = 100000;

using bench::openDirect;

void create(const QString& path) {
  sqlite3* h = openDirect(path);
  sqlite3_exec(h,
               "CREATE TABLE contas_a_receber (codcli LONG, numnota LONG, dtvecto DATETIME,"
               " valor CURRENCY, diasatraso LONG, vrcorrigido DOUBLE, obs VARCHAR(50));"
               "BEGIN;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, "INSERT INTO contas_a_receber VALUES (?, ?, ?, ?, 0, 0, 'aberta')", -1, &st,
                     nullptr);
  for (int i = 0; i < kRows; ++i) {
    sqlite3_bind_int(st, 1, i % 5000);
    sqlite3_bind_int(st, 2, i);
    const QByteArray date = QStringLiteral("2026-%1-%2 00:00:00")
                                .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                                .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                                .toUtf8();
    sqlite3_bind_text(st, 3, date.constData(), date.size(), SQLITE_TRANSIENT);
    sqlite3_bind_double(st, 4, 100 + i % 1000);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(h, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(h);
}

double walkThroughView(const QString& path) {
  QElapsedTimer t;
  t.start();
  ark::db::View view(QStringLiteral("Tcreceber"), QStringLiteral("Access 2000;"),
                     QStringLiteral("select * from contas_a_receber order by dtvecto"));
  view.setDatabaseName(path);
  view.Refresh();
  ark::db::Recordset& rs = view.recordset();
  long n = 0;
  while (!rs.Eof()) {
    rs.Edit();
    rs.Fields(QStringLiteral("diasatraso")) = ark::Value(qint64(n % 90));
    rs.Update();
    rs.MoveNext();
    ++n;
  }
  if (n != kRows) std::fprintf(stderr, "walked %ld rows\n", n);
  return t.elapsed() / 1000.0;
}

// The rows in the walk's order, so that both sides touch the pages in the same order.
std::vector<qint64> rowidsInWalkOrder(const QString& path) {
  sqlite3* h = openDirect(path);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, "SELECT rowid FROM contas_a_receber ORDER BY dtvecto", -1, &st, nullptr);
  std::vector<qint64> ids;
  while (sqlite3_step(st) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(st, 0));
  sqlite3_finalize(st);
  sqlite3_close(h);
  return ids;
}

double directUpdates(const QString& path) {
  const std::vector<qint64> ids = rowidsInWalkOrder(path);
  QElapsedTimer t;
  t.start();
  sqlite3* h = openDirect(path);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, "UPDATE contas_a_receber SET diasatraso = ? WHERE rowid = ?", -1, &st,
                     nullptr);
  for (size_t i = 0; i < ids.size(); ++i) {  // autocommit: one transaction per row
    sqlite3_bind_int64(st, 1, qint64(i % 90) + 1);
    sqlite3_bind_int64(st, 2, ids[i]);
    if (sqlite3_step(st) != SQLITE_DONE)
      std::fprintf(stderr, "update failed: %s\n", sqlite3_errmsg(h));
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_close(h);
  return t.elapsed() / 1000.0;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("negox.mdb"));
  create(path);
  // Each side runs twice, alternately, and its better run counts, so that neither gains
  // from a file the other has warmed (the page cache, the write-ahead log's growth).
  double walk = 1e9, direct = 1e9;
  for (int round = 0; round < 2; ++round) {
    direct = std::min(direct, directUpdates(path));
    walk = std::min(walk, walkThroughView(path));
  }
  std::printf("rows %d\n", kRows);
  std::printf("view walk (Edit, Fields, Update, MoveNext): %.3f s\n", walk);
  std::printf("direct single-row UPDATEs, autocommit:      %.3f s\n", direct);
  std::printf("ratio %.2f\n", walk / direct);
  return 0;
}
