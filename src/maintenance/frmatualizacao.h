#pragma once
// The NEGOX maintenance window over "negox.mdb": its layout and its fifteen data sources.
#include "maintenance/maintenance_runner.h"

namespace ark::maintenance {

class frmatualizacao : public MaintenanceRunner {
  Q_OBJECT

 public:
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
};

}  // namespace ark::maintenance
