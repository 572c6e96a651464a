#pragma once
// SQLite files reached directly through the C API, so that tests set up and check what the
// views wrote independently of them.
#include <QString>
#include <QStringList>

namespace ark::test {

// Runs SQL on a file (created when `create`); throws std::runtime_error on failure.
void sqliteExec(const QString& path, const QString& sql, bool create = false);
// Every row of a query, its columns joined by "|", a NULL as `nullText`.
QStringList sqliteRows(const QString& path, const QString& sql,
                       const QString& nullText = QStringLiteral("NULL"));

// The first column of the first row ("" when there is no row), a NULL as `nullText`.
QString sqliteValue(const QString& path, const QString& sql,
                    const QString& nullText = QStringLiteral("NULL"));

}  // namespace ark::test
