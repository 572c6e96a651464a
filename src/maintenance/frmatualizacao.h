#pragma once
// The NEGOX maintenance window over "negox.mdb": agenda purge, asset depreciation,
// dependants' ages, product costs, overdue receivables, customer blocking, rating, debit
// and purchase interval, then the stamp in parametros.
#include "maintenance/maintenance_runner.h"
#include "platform/core/value.h"

namespace ark::maintenance {

class frmatualizacao : public MaintenanceRunner {
  Q_OBJECT

 public:
  // The single instance, created and loaded on first use; it unloads itself after its job.
  static frmatualizacao& instance();

  db::View& Tos = dataSource(QStringLiteral("Tos"), QStringLiteral("fechamento_os"));
  db::View& Tsaida = dataSource(QStringLiteral("Tsaida"), QStringLiteral("saida"));
  db::View& Tlancam = dataSource(QStringLiteral("Tlancam"), QStringLiteral("lancamento_servico"));
  db::View& Tagendaven =
      dataSource(QStringLiteral("Tagendaven"), QStringLiteral("agenda_vendedor"));
  db::View& Tpc = dataSource(QStringLiteral("Tpc"), QStringLiteral("pcs"));
  db::View& Tdep = dataSource(QStringLiteral("Tdep"), QStringLiteral("dependentes"));
  db::View& bdprod = dataSource(QStringLiteral("bdprod"), QStringLiteral("produto"));
  db::View& Testoque = dataSource(QStringLiteral("Testoque"), QStringLiteral("estoque"));
  db::View& Tbloq = dataSource(QStringLiteral("Tbloq"), QStringLiteral("bloqueio_cliente"));
  db::View& Tcrecebida =
      dataSource(QStringLiteral("Tcrecebida"), QStringLiteral("contas_recebidas"));
  db::View& bdparam = dataSource(QStringLiteral("bdparam"), QStringLiteral("parametros"));
  db::View& Tcreceber = dataSource(QStringLiteral("Tcreceber"), QStringLiteral("contas_a_receber"));
  db::View& Tcliente = dataSource(QStringLiteral("Tcliente"), QStringLiteral("cliente"));
  db::View& Tconceito = dataSource(QStringLiteral("Tconceito"), QStringLiteral("conceito"));
  db::View& Tpatri = dataSource(QStringLiteral("Tpatri"),
                                QStringLiteral("select * from patrimonio order by descricao"));

 protected:
  void runJob() override;

 private:
  frmatualizacao();

  // Steps 1 to 5 (negox_steps_1_5.cpp).
  void etapa1();  // agenda purge
  void etapa2();  // asset depreciation
  void etapa3();  // dependants' ages
  void etapa4();  // product costs
  void etapa5();  // overdue receivables
  // Steps 6 to 9 (negox_steps_6_9.cpp).
  void etapa6();  // blocked customers
  void etapa7();  // customer rating
  void etapa8();  // debit and balance
  void etapa9();  // purchase interval and next contact
  void fechamento();

  // The date of a field: its text read back as a date, so that a time of day is dropped.
  static Value dateOf(const Value& v);
  // A customer code or invoice number as it is joined bare into SQL: its trimmed text,
  // refused unless it is a plain number so that no value can change a statement.
  static QString bareNumber(const Value& v, const QString& field);

  // Read once by step 5 for its whole walk.
  Value pormulta, porcatraso, corrigir_valor;
};

}  // namespace ark::maintenance
