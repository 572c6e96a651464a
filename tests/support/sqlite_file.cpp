#include "support/sqlite_file.h"

#include <sqlite3.h>

#include <stdexcept>

namespace ark::test {

void sqliteExec(const QString& path, const QString& sql, bool create) {
  sqlite3* h = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.toUtf8().constData(), &h, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(h);
    throw std::runtime_error("cannot open test file " + path.toStdString());
  }
  sqlite3_busy_timeout(h, 5000);
  char* err = nullptr;
  const int rc = sqlite3_exec(h, sql.toUtf8().constData(), nullptr, nullptr, &err);
  const std::string msg = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(h);
  if (rc != SQLITE_OK) throw std::runtime_error("test SQL failed: " + msg);
}

namespace {
// Calls `row` for each row of the query while it returns true.
template <class F>
void eachRow(const QString& path, const QString& sql, F row) {
  sqlite3* h = nullptr;
  if (sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(h);
    throw std::runtime_error("cannot open test file " + path.toStdString());
  }
  sqlite3_busy_timeout(h, 5000);
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_close(h);
    throw std::runtime_error("test query failed: " + sql.toStdString());
  }
  while (sqlite3_step(st) == SQLITE_ROW && row(st)) {
  }
  sqlite3_finalize(st);
  sqlite3_close(h);
}

QString text(sqlite3_stmt* st, int c, const QString& nullText) {
  const unsigned char* t = sqlite3_column_text(st, c);
  return t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : nullText;
}
}  // namespace

QStringList sqliteRows(const QString& path, const QString& sql, const QString& nullText) {
  QStringList out;
  eachRow(path, sql, [&](sqlite3_stmt* st) {
    QStringList cols;
    for (int c = 0; c < sqlite3_column_count(st); ++c) cols << text(st, c, nullText);
    out << cols.join(QLatin1Char('|'));
    return true;
  });
  return out;
}

QString sqliteValue(const QString& path, const QString& sql, const QString& nullText) {
  QString out;
  eachRow(path, sql, [&](sqlite3_stmt* st) {
    out = text(st, 0, nullText);
    return false;
  });
  return out;
}

}  // namespace ark::test
