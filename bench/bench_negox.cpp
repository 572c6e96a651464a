// The NEGOX maintenance job over 5 000 customers, 50 000 receivables (10 % overdue beyond
// the tolerance), 20 000 payments, 20 000 products with 100 000 stock rows, 50 000 sales,
// 10 000 service entries, 10 000 closed orders, 2 000 assets and 2 000 dependants (times the
// first argument), with the indexes NEGOX keeps on the codes its look-ups use; against the
// same changes made on a copy by a few set-based SQL statements.
#include <sqlite3.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_support.h"
#include "platform/database/database.h"
#include "maintenance_negox/negox_schema.h"
#include "platform/core/runtime.h"

namespace {
using bench::exec;
using bench::fill;
using bench::openDirect;
using bench::text;

int kCustomers = 5000, kReceivables = 50000, kPayments = 20000, kProducts = 20000, kStock = 100000,
    kSales = 50000, kServices = 10000, kOrders = 10000, kAssets = 2000;
constexpr int kTolerance = 30;

QByteArray dayText(const QDate& today, int offset) {
  return today.addDays(offset).toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8();
}

void create(const QString& path, const QDate& today, bool indexes) {
  sqlite3* h = openDirect(path);
  exec(h, ark::maintenance::test::kNegoxSchema);
  exec(h,
       "INSERT INTO parametros VALUES (2, 0.033, 1, 30, NULL, NULL, 'fulano');"
       "INSERT INTO conceito VALUES (0, 100, 5, 100, 500, 10, 600, 1000, 10, 1000, 2000, 15,"
       " 2000, 5000, 20);");
  QRandomGenerator rng(20261210);
  auto day = [&](int from, int to) { return dayText(today, int(rng.bounded(from, to + 1))); };
  auto customer = [&] { return int(rng.bounded(1, kCustomers + 1)); };
  const char* const states[] = {"ATIVO", "Ativo", "ATIVO", "BLOQUEADO", "INATIVO"};

  fill(h, "INSERT INTO agenda_vendedor VALUES (?, ?, NULL, ?)", kCustomers, [&](auto st, int i) {
    sqlite3_bind_int(st, 1, i % 20);
    text(st, 2, day(-200, 30));
    if (i % 3) text(st, 3, "Cliente");
  });
  fill(h, "INSERT INTO patrimonio VALUES (?, 'bem', ?, ?, ?, 10, 0)", kAssets, [&](auto st, int i) {
    sqlite3_bind_int(st, 1, i + 1);
    text(st, 2, i % 4 == 3 ? "Baixado" : i % 2 ? "ATIVO" : "Ativo");
    text(st, 3, day(-3000, 0));
    sqlite3_bind_double(st, 4, 100 + i % 5000);
  });
  fill(h, "INSERT INTO dependentes VALUES (?, ?, ?, 0)", kAssets, [&](auto st, int i) {
    sqlite3_bind_int(st, 1, customer());
    text(st, 2, QStringLiteral("Dependente %1").arg(i).toUtf8());
    text(st, 3, day(-30000, -1));
  });
  fill(h, "INSERT INTO produto VALUES (?, ?, ?, ?, ?, 0, NULL, 0, ?, 0)", kProducts,
       [&](auto st, int i) {
         sqlite3_bind_int(st, 1, i + 1);
         text(st, 2, QByteArray::number(7890000000000LL + i));
         text(st, 3, QStringLiteral("Produto %1").arg(kProducts - i).toUtf8());
         sqlite3_bind_double(st, 4, 5 + i % 100);
         sqlite3_bind_double(st, 5, 8 + i % 150);
         text(st, 6, day(-700, 0));
       });
  fill(h, "INSERT INTO estoque VALUES (?, ?, ?)", kStock, [&](auto st, int i) {
    const int p = int(rng.bounded(kProducts));
    text(st, 1, i % 2 ? QByteArray::number(p + 1) : QByteArray::number(7890000000000LL + p));
    const int q = 1 + i % 12;
    sqlite3_bind_double(st, 2, q);
    sqlite3_bind_double(st, 3, q * (5 + p % 100));
  });
  fill(h, "INSERT INTO cliente VALUES (?, ?, ?, 9, ?, 0, ?, 0, ?, ?, 0, NULL)", kCustomers,
       [&](auto st, int i) {
         sqlite3_bind_int(st, 1, i + 1);
         text(st, 2, QStringLiteral("Cliente %1").arg((i * 7919) % kCustomers).toUtf8());
         text(st, 3, states[i % 5]);
         text(st, 4, day(-2000, -1));
         sqlite3_bind_double(st, 5, i % 3 ? 0 : 500);
         if (i % 10) {
           text(st, 6, day(-100, 0));
           text(st, 7, day(-1500, -101));
         }
       });
  // 10 % overdue beyond the tolerance; the rest due recently or later.
  fill(h, "INSERT INTO contas_a_receber VALUES (?, ?, ?, ?, ?, 0, 0, 0)", kReceivables,
       [&](auto st, int i) {
         const int c = customer();
         sqlite3_bind_int(st, 1, c);
         sqlite3_bind_int(st, 2, i + 1);
         text(st, 3, QStringLiteral("Cliente %1 nota %2").arg(c).arg(i + 1).toUtf8());
         text(st, 4, i % 10 == 0 ? day(-400, -kTolerance - 1) : day(-kTolerance, 90));
         sqlite3_bind_double(st, 5, 10 + i % 990);
       });
  // Half the overdue invoices were blocked by an earlier run.
  exec(h,
       "INSERT INTO bloqueio_cliente SELECT codcli, \"histórico\", '2026-01-01 00:00:00',"
       " '1899-12-30 03:00:00', numnota, dtvecto, 'antigo', 1 FROM contas_a_receber"
       " WHERE numnota % 20 = 1;");
  fill(h, "INSERT INTO contas_recebidas VALUES (?, ?, ?)", kPayments, [&](auto st, int i) {
    sqlite3_bind_int(st, 1, customer());
    sqlite3_bind_double(st, 2, 50 + i % 3000);
    sqlite3_bind_int(st, 3, i % 7 ? 0 : i % 40);
  });
  fill(h, "INSERT INTO saida VALUES (?, ?, ?)", kSales, [&](auto st, int i) {
    sqlite3_bind_int(st, 1, i + 1);
    sqlite3_bind_int(st, 2, customer());
    text(st, 3, day(-700, 0));
  });
  fill(h, "INSERT INTO lancamento_servico VALUES (?, ?)", kServices, [&](auto st, int) {
    sqlite3_bind_int(st, 1, customer());
    text(st, 2, day(-700, 0));
  });
  fill(h, "INSERT INTO fechamento_os VALUES (?, ?)", kOrders, [&](auto st, int) {
    sqlite3_bind_int(st, 1, customer());
    text(st, 2, day(-700, 0));
  });
  if (indexes)
    exec(h,
         "CREATE INDEX estoque_codigomer ON estoque (codigomer);"
         "CREATE INDEX contas_a_receber_codcli ON contas_a_receber (codcli);"
         "CREATE INDEX contas_recebidas_codcli ON contas_recebidas (codcli);"
         "CREATE INDEX cliente_codigo ON cliente (codigo);"
         "CREATE INDEX bloqueio_cliente_nota ON bloqueio_cliente (codcliente, numnota);"
         "CREATE INDEX saida_codcli ON saida (codcli);"
         "CREATE INDEX lancamento_servico_codcli ON lancamento_servico (codcli);"
         "CREATE INDEX fechamento_os_codcli ON fechamento_os (codcli);");
  exec(h, "PRAGMA wal_checkpoint(TRUNCATE);");
  sqlite3_close(h);
}

double plainSql(const QString& path) {
  const QString today = ark::rt::Date().datePart().toString(QStringLiteral("yyyy-MM-dd"));
  const QString now = ark::rt::Format(ark::rt::Time(), QStringLiteral("hh:mm:ss"));
  QString sql = QStringLiteral(
      // 1
      "DELETE FROM agenda_vendedor WHERE nomecli IS NULL AND data < '$T 00:00:00';"
      // 2
      "UPDATE patrimonio SET vrdepreciado = CASE WHEN $J - julianday(dtaquisicao) > 365"
      " THEN valor - CAST(($J - julianday(dtaquisicao)) / 365 AS INTEGER) * abs(depreciacao)"
      " * valor / 100 ELSE valor END"
      " WHERE situacao = 'Ativo' COLLATE NOCASE AND dtaquisicao IS NOT NULL;"
      // 3
      "UPDATE dependentes SET idade = CAST(($J - julianday(dtnasc)) / 365 AS INTEGER)"
      " WHERE dtnasc IS NOT NULL;"
      // 4
      "UPDATE produto SET plucrobruto = CASE WHEN abs(precusto) > 0 AND prevenda IS NOT NULL"
      " THEN round((abs(prevenda) - abs(precusto)) / abs(precusto) * 100, 3) ELSE plucrobruto"
      " END, precompra = ifnull(precompra, 0), premcusto = (SELECT CASE WHEN sum(quantidade) > 0"
      " THEN round(sum(total) / sum(quantidade), 2) ELSE 0 END FROM estoque"
      " WHERE codigomer IN (CAST(produto.codigo AS TEXT), produto.codbarra)),"
      " dias_estoque = CASE WHEN dtcompra IS NULL THEN 0"
      " ELSE CAST($J - julianday(dtcompra) AS INTEGER) END;"
      // 5
      "UPDATE contas_a_receber SET diasatraso = CAST($J - julianday(dtvecto) AS INTEGER);"
      "UPDATE contas_a_receber SET vrcorrecao = CASE WHEN diasatraso > 0 THEN"
      " round(valor * 2 / 100 + valor * diasatraso * 0.033 / 100, 4) ELSE 0 END;"
      "UPDATE contas_a_receber SET vrcorrigido = valor + vrcorrecao;"
      // 6
      "UPDATE cliente SET situacao = 'ATIVO' WHERE situacao = 'BLOQUEADO' COLLATE NOCASE;"
      "CREATE TEMP TABLE atraso AS SELECT rowid AS r, codcli, numnota, \"histórico\" AS h,"
      " dtvecto, vrcorrigido, 'Atraso de:' || printf('%03d', diasatraso) ||"
      " ' dia(s) referente a nota n.º: ' || numnota || ' de valor: R$ ' ||"
      " replace(printf('%.2f', valor), '.', ',') AS motivo FROM contas_a_receber"
      " WHERE diasatraso > 30;"
      "UPDATE bloqueio_cliente SET motivo = a.motivo, valor = a.vrcorrigido FROM atraso a"
      " WHERE a.vrcorrigido > 0 AND bloqueio_cliente.codcliente = a.codcli"
      " AND bloqueio_cliente.numnota = a.numnota AND bloqueio_cliente.data_vencimento = a.dtvecto;"
      "INSERT INTO bloqueio_cliente SELECT codcli, h, '$T 00:00:00', '1899-12-30 $H', numnota,"
      " dtvecto, motivo, vrcorrigido FROM atraso a WHERE vrcorrigido > 0 AND NOT EXISTS"
      " (SELECT 1 FROM bloqueio_cliente b WHERE b.codcliente = a.codcli"
      " AND b.numnota = a.numnota AND b.data_vencimento = a.dtvecto) ORDER BY dtvecto;"
      "UPDATE cliente SET situacao = 'BLOQUEADO', conceito = 0"
      " WHERE codigo IN (SELECT codcli FROM atraso);"
      // 7
      "WITH m AS (SELECT c.rowid AS r, (SELECT sum(vrcorrigido) FROM contas_recebidas p"
      " WHERE p.codcli = c.codigo) / CASE WHEN c.dtcad >= '$T' THEN 1"
      " ELSE ($J - julianday(c.dtcad)) / 30 END AS media, (SELECT avg(diasatraso)"
      " FROM contas_recebidas p WHERE p.diasatraso > 0 AND p.codcli = c.codigo) AS atraso"
      " FROM cliente c WHERE c.situacao = 'ATIVO' COLLATE NOCASE AND c.dtcad IS NOT NULL)"
      " UPDATE cliente SET conceito = coalesce(CASE"
      " WHEN media BETWEEN k.\"1min\" AND k.\"1max\" THEN 1 - ifnull(atraso > k.\"1atraso\", 0)"
      " WHEN media BETWEEN k.\"2min\" AND k.\"2max\" THEN 2 - ifnull(atraso > k.\"2atraso\", 0)"
      " WHEN media BETWEEN k.\"3min\" AND k.\"3max\" THEN 3 - ifnull(atraso > k.\"3atraso\", 0)"
      " WHEN media BETWEEN k.\"4min\" AND k.\"4max\" THEN 4 - ifnull(atraso > k.\"4atraso\", 0)"
      " WHEN media BETWEEN k.\"5min\" AND k.\"5max\" THEN 5 - ifnull(atraso > k.\"5atraso\", 0) "
      "END,"
      " conceito) FROM m, conceito k WHERE cliente.rowid = m.r AND m.media > 0;"
      // 8
      "UPDATE cliente SET debito = ifnull((SELECT sum(vrcorrigido) FROM contas_a_receber r"
      " WHERE r.codcli = cliente.codigo), 0);"
      "UPDATE cliente SET saldo = CASE WHEN debito > 0 AND credito > 0 THEN credito - debito"
      " ELSE 0 END, diassemcompra = CASE WHEN dtultcompra IS NULL THEN diassemcompra"
      " ELSE CAST($J - julianday(dtultcompra) AS INTEGER) END;"
      // 9
      "WITH d AS (SELECT c.rowid AS r, (SELECT count(DISTINCT dtemissao) FROM saida s"
      " WHERE s.codcli = c.codigo) + (SELECT count(DISTINCT dtlancam) FROM lancamento_servico l"
      " WHERE l.codcli = c.codigo) + (SELECT count(DISTINCT dtfechamento) FROM fechamento_os o"
      " WHERE o.codcli = c.codigo) AS n FROM cliente c WHERE c.dtultcompra IS NOT NULL"
      " AND c.dataprimeiracompra IS NOT NULL)"
      " UPDATE cliente SET diassemcompra = abs(round((julianday(dtultcompra) -"
      " julianday(dataprimeiracompra)) / d.n, 2)) FROM d WHERE cliente.rowid = d.r AND d.n > 0;"
      "UPDATE cliente SET dataproxcontato = datetime(julianday(dtultcompra) + diassemcompra)"
      " WHERE dtultcompra IS NOT NULL AND dataprimeiracompra IS NOT NULL;"
      "UPDATE cliente SET diassemcompra = 0"
      " WHERE dtultcompra IS NOT NULL AND dataprimeiracompra IS NULL;"
      "UPDATE parametros SET data = '$T 00:00:00', hora = '1899-12-30 $H', usuario = NULL;");
  sql.replace(QStringLiteral("$J"), QStringLiteral("julianday('%1')").arg(today))
      .replace(QStringLiteral("$T"), today)
      .replace(QStringLiteral("$H"), now);
  return bench::timedSql(path, sql);
}

// What both sides should agree on.
QByteArray counts(const QString& path) {
  sqlite3* h = openDirect(path);
  QByteArray out =
      bench::value(h, "SELECT count(*) FROM agenda_vendedor") + " agenda, " +
      bench::value(h, "SELECT count(*) FROM bloqueio_cliente") + " entries, " +
      bench::value(h, "SELECT count(*) FROM cliente WHERE situacao = 'BLOQUEADO'") + " blocked, " +
      bench::value(h, "SELECT count(*) FROM cliente WHERE conceito BETWEEN 0 AND 5") + " rated";
  sqlite3_close(h);
  return out;
}
}  // namespace

int main(int argc, char** argv) {
  ark::db::configureEngine();  // both sides with the engine as the program sets it
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const bench::Options opt = bench::options(argc, argv);
  for (int* n : {&kCustomers, &kReceivables, &kPayments, &kProducts, &kStock, &kSales, &kServices,
                 &kOrders, &kAssets})
    *n *= opt.scale;
  const bench::Files f(QStringLiteral("negox.mdb"));
  QElapsedTimer t;
  t.start();
  create(f.made, ark::rt::Date().datePart(), opt.indexes);
  std::printf(
      "customers %d, receivables %d, products %d, stock rows %d, sales %d%s"
      " (made in %.1f s)\n",
      kCustomers, kReceivables, kProducts, kStock, kSales, opt.indexes ? "" : ", no indexes",
      t.elapsed() / 1000.0);

  return bench::compare("NEGOX", QStringLiteral("frmatualizacao"), f, plainSql, counts);
}
