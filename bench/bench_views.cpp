// What the data views cost over SQLite itself, for the three things the maintenance jobs
// do most: a walk that edits and stores every row, a record source reopened for each row,
// and a FindFirst for each row. Each case runs through the views and as the plain
// statements a careful program would send, on a fresh copy of the same file and with
// the connection settings the views use, so that neither side gains from the other.
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench_support.h"
#include "platform/database/database.h"

namespace {
constexpr int kRows = 100000;
constexpr int kCustomers = 5000;

void check(sqlite3* h, int rc, int expected) {
  if (rc != expected) {
    std::fprintf(stderr, "SQL failed: %s\n", sqlite3_errmsg(h));
    std::exit(1);
  }
}

void create(const QString& path) {
  sqlite3* h = bench::openDirect(path);
  check(h,
        sqlite3_exec(h,
                     "CREATE TABLE contas_a_receber (codcli LONG, numnota LONG, dtvecto DATETIME,"
                     " valor CURRENCY, diasatraso LONG, vrcorrigido DOUBLE, obs VARCHAR(50));"
                     "CREATE TABLE cliente (codigo LONG, nome VARCHAR(60), situacao VARCHAR(10),"
                     " conceito LONG, debito CURRENCY);"
                     "CREATE INDEX cliente_codigo ON cliente (codigo);"
                     "BEGIN;",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, "INSERT INTO contas_a_receber VALUES (?, ?, ?, ?, 0, 0, 'aberta')", -1, &st,
                     nullptr);
  for (int i = 0; i < kRows; ++i) {
    sqlite3_bind_int(st, 1, (i * 7919) % kCustomers + 1);
    sqlite3_bind_int(st, 2, i);
    const QByteArray date = QStringLiteral("2026-%1-%2 00:00:00")
                                .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                                .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                                .toUtf8();
    sqlite3_bind_text(st, 3, date.constData(), date.size(), SQLITE_TRANSIENT);
    sqlite3_bind_double(st, 4, 100 + i % 1000 + 0.25);
    check(h, sqlite3_step(st), SQLITE_DONE);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_prepare_v2(h, "INSERT INTO cliente VALUES (?, ?, 'ATIVO', 3, 0)", -1, &st, nullptr);
  for (int i = 1; i <= kCustomers; ++i) {
    sqlite3_bind_int(st, 1, i);
    const QByteArray nome = QStringLiteral("Cliente %1").arg(i).toUtf8();
    sqlite3_bind_text(st, 2, nome.constData(), nome.size(), SQLITE_TRANSIENT);
    check(h, sqlite3_step(st), SQLITE_DONE);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  check(h, sqlite3_exec(h, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr),
        SQLITE_OK);
  sqlite3_close(h);
}

const QString kWalkSource = QStringLiteral("select * from contas_a_receber order by dtvecto");
const char* const kWalkKeys = "SELECT rowid, codcli FROM contas_a_receber ORDER BY dtvecto";

std::unique_ptr<ark::db::View> openView(const QString& path, const QString& name,
                                        const QString& source) {
  auto v = std::make_unique<ark::db::View>(name, QStringLiteral("Access 2000;"), source);
  v->setDatabaseName(path);
  v->Refresh();
  return v;
}

// --- through the views ------------------------------------------------------------------

// Edit, one field, Update, MoveNext over every row.
void viewWalk(const QString& path) {
  auto v = openView(path, QStringLiteral("Tcreceber"), kWalkSource);
  ark::db::Recordset& rs = v->recordset();
  for (qint64 n = 0; !rs.Eof(); ++n) {
    rs.Edit();
    rs.Fields(QStringLiteral("diasatraso")) = ark::Value(n % 90);
    rs.Update();
    rs.MoveNext();
  }
}

// Per row, a look-up view reopened on a SELECT of its own, its field written into the row.
void viewReopenPerRow(const QString& path) {
  auto v = openView(path, QStringLiteral("Tcreceber"), kWalkSource);
  auto cli = openView(path, QStringLiteral("Tcliente"), QStringLiteral("cliente"));
  ark::db::Recordset& rs = v->recordset();
  while (!rs.Eof()) {
    cli->setRecordSource(QStringLiteral("select conceito from cliente where codigo = ") +
                         QString::number(rs.field(QStringLiteral("codcli")).longValue()));
    cli->Refresh();
    const ark::Value conceito = cli->recordset().field(QStringLiteral("conceito"));
    rs.Edit();
    rs.Fields(QStringLiteral("diasatraso")) = conceito;
    rs.Update();
    rs.MoveNext();
  }
}

// Per row, FindFirst on the whole customer table and an Edit of the customer found.
void viewFindFirstPerRow(const QString& path) {
  auto v = openView(path, QStringLiteral("Tcreceber"), kWalkSource);
  auto cli = openView(path, QStringLiteral("Tcliente"), QStringLiteral("cliente"));
  ark::db::Recordset& rs = v->recordset();
  ark::db::Recordset& c = cli->recordset();
  for (qint64 n = 0; !rs.Eof(); ++n) {
    c.FindFirst(QStringLiteral("codigo=") +
                QString::number(rs.field(QStringLiteral("codcli")).longValue()));
    if (!c.NoMatch()) {
      c.Edit();
      c.Fields(QStringLiteral("conceito")) = ark::Value(n % 6);
      c.Update();
    }
    rs.MoveNext();
  }
}

// --- the same through SQLite alone ------------------------------------------------------

struct Direct {
  sqlite3* h;
  std::vector<sqlite3_stmt*> statements;
  explicit Direct(const QString& path) : h(bench::openDirect(path)) {}
  ~Direct() {
    for (sqlite3_stmt* st : statements) sqlite3_finalize(st);
    sqlite3_close(h);
  }
  sqlite3_stmt* prepare(const char* sql) {
    sqlite3_stmt* st = nullptr;
    check(h, sqlite3_prepare_v2(h, sql, -1, &st, nullptr), SQLITE_OK);
    statements.push_back(st);
    return st;
  }
  // The walk's rows in its order: what the loop needs of them read in one pass, before
  // the first change.
  template <class F>
  void eachRow(F f) {
    sqlite3_stmt* keys = prepare(kWalkKeys);
    std::vector<std::pair<qint64, qint64>> rows;
    while (sqlite3_step(keys) == SQLITE_ROW)
      rows.emplace_back(sqlite3_column_int64(keys, 0), sqlite3_column_int64(keys, 1));
    sqlite3_reset(keys);
    for (const auto& [id, codcli] : rows) f(id, codcli);
  }
  void step(sqlite3_stmt* st, int expected = SQLITE_DONE) {
    check(h, sqlite3_step(st), expected);
    sqlite3_reset(st);
  }
};

void directWalk(const QString& path) {
  Direct d(path);
  sqlite3_stmt* up = d.prepare("UPDATE contas_a_receber SET diasatraso = ? WHERE rowid = ?");
  qint64 n = 0;
  d.eachRow([&](qint64 id, qint64) {
    sqlite3_bind_int64(up, 1, n++ % 90);
    sqlite3_bind_int64(up, 2, id);
    d.step(up);  // autocommit: one transaction per row, as each Update is
  });
}

void directReopenPerRow(const QString& path) {
  Direct d(path);
  sqlite3_stmt* look = d.prepare("SELECT conceito FROM cliente WHERE codigo = ?");
  sqlite3_stmt* up = d.prepare("UPDATE contas_a_receber SET diasatraso = ? WHERE rowid = ?");
  d.eachRow([&](qint64 id, qint64 codcli) {
    sqlite3_bind_int64(look, 1, codcli);
    check(d.h, sqlite3_step(look), SQLITE_ROW);
    sqlite3_bind_int64(up, 1, sqlite3_column_int64(look, 0));
    sqlite3_reset(look);
    sqlite3_bind_int64(up, 2, id);
    d.step(up);
  });
}

void directFindFirstPerRow(const QString& path) {
  Direct d(path);
  sqlite3_stmt* find =
      d.prepare("SELECT rowid FROM cliente WHERE codigo = ? ORDER BY rowid LIMIT 1");
  sqlite3_stmt* up = d.prepare("UPDATE cliente SET conceito = ? WHERE rowid = ?");
  qint64 n = 0;
  d.eachRow([&](qint64, qint64 codcli) {
    sqlite3_bind_int64(find, 1, codcli);
    const bool found = sqlite3_step(find) == SQLITE_ROW;
    const qint64 customer = found ? sqlite3_column_int64(find, 0) : 0;
    sqlite3_reset(find);
    if (found) {
      sqlite3_bind_int64(up, 1, n % 6);
      sqlite3_bind_int64(up, 2, customer);
      d.step(up);
    }
    ++n;
  });
}

// The better of two runs, each on a fresh copy of the file.
double timed(const QString& base, const QString& copy,
             const std::function<void(const QString&)>& f) {
  double best = 1e9;
  for (int round = 0; round < 2; ++round) {
    for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(copy + QLatin1String(suffix));
    QFile::copy(base, copy);
    QElapsedTimer t;
    t.start();
    f(copy);
    best = std::min(best, t.elapsed() / 1000.0);
  }
  return best;
}
}  // namespace

int main(int argc, char** argv) {
  ark::db::configureEngine();  // both sides with the engine as the program sets it
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QString base = dir.filePath(QStringLiteral("modelo.mdb"));
  create(base);
  const struct {
    const char* name;
    void (*view)(const QString&);
    void (*direct)(const QString&);
  } cases[] = {
      {"walk (Edit, Fields, Update, MoveNext)", viewWalk, directWalk},
      {"walk with a record source reopened per row", viewReopenPerRow, directReopenPerRow},
      {"walk with a FindFirst and an Update per row", viewFindFirstPerRow, directFindFirstPerRow},
  };
  std::printf("rows %d, customers %d\n", kRows, kCustomers);
  double worst = 0;
  for (const auto& c : cases) {
    const double direct = timed(base, dir.filePath(QStringLiteral("direto.mdb")), c.direct);
    const double view = timed(base, dir.filePath(QStringLiteral("visao.mdb")), c.view);
    std::printf("%-46s views %.3f s, SQLite alone %.3f s, ratio %.2f\n", c.name, view, direct,
                view / direct);
    worst = std::max(worst, view / direct);
  }
  std::printf("ratio %.2f\n", worst);
  return 0;
}
