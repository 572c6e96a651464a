// NEGOX job, steps 6 to 9: blocked customers, customer rating, debit and balance,
// purchase interval and next contact.
#include <cmath>

#include "maintenance/frmatualizacao.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::maintenance {

namespace {
const QString kAtivo = QStringLiteral("ATIVO");
const QString kBloqueado = QStringLiteral("BLOQUEADO");
const QString kCodigo = QStringLiteral("codigo");
const QString kNome = QStringLiteral("nome");
const QString kConceito = QStringLiteral("conceito");
const QString kDtUltCompra = QStringLiteral("dtultcompra");
const QString kDiasSemCompra = QStringLiteral("diassemcompra");

// Names the customer in a report: its code when it has one.
QString customer(const QString& field, const Value& codigo) {
  return QStringLiteral("cliente.") + field + QStringLiteral(", código ") + rt::Text(codigo);
}

// Rows of a whole set, visited or not.
qint64 rowsOf(db::Recordset& rs) {
  return rs.size();
}
}  // namespace

void frmatualizacao::etapa6() {
  setStep(6);
  setStatus(QStringLiteral("Aguarde... Atualizando Clientes Bloqueados"));
  resetBar();
  execute(Tcliente, QStringLiteral("update cliente set situacao = '") + kAtivo +
                        QStringLiteral("' where situacao = '") + kBloqueado + QStringLiteral("'"));
  Tcliente.Refresh();

  const QString tolerancia =
      bareNumber(bdparam.recordset().field(QStringLiteral("dias_tolerancia_bloqueio")),
                 QStringLiteral("parametros.dias_tolerancia_bloqueio"));
  db::Recordset& rs =
      reopen(Tcreceber, QStringLiteral("select * from contas_a_receber where diasatraso > ") +
                            tolerancia + QStringLiteral(" order by dtvecto"));
  countedSizing(rs);
  db::Recordset& bloq = Tbloq.recordset();
  db::Recordset& cli = Tcliente.recordset();
  const Value today = rt::Date();
  while (!rs.Eof()) {
    const Value historico = rs.field(QStringLiteral("histórico"));
    setRecord(rt::Text(historico));
    const Value codcli = rs.field(QStringLiteral("codcli"));
    const Value numnota = rs.field(QStringLiteral("numnota"));
    const Value dtvecto = rs.field(QStringLiteral("dtvecto"));
    const QString codigo = bareNumber(codcli, QStringLiteral("contas_a_receber.codcli"));
    const QString nota = bareNumber(numnota, QStringLiteral("contas_a_receber.numnota"));
    if (!rt::IsDate(dtvecto))
      throw errors::typeMismatch(QStringLiteral("contas_a_receber.dtvecto, nota ") + nota);
    const Value vencimento = rt::CDate(dtvecto);

    bloq.FindFirst(QStringLiteral("codcliente=") + codigo + QStringLiteral(" And ") +
                   QStringLiteral("numnota = ") + nota + QStringLiteral(" And ") +
                   QStringLiteral("data_vencimento = ") + QStringLiteral("#") +
                   rt::Format(vencimento, QStringLiteral("mm/dd/yyyy")) + QStringLiteral("#"));
    const QString motivo =
        QStringLiteral("Atraso de:") +
        rt::Format(rt::Sub(today, vencimento), QStringLiteral("000")) +
        QStringLiteral(" dia(s) referente a nota n.º: ") + rt::CStr(numnota) +
        QStringLiteral(" de valor: ") +
        rt::Format(rs.field(QStringLiteral("valor")), QStringLiteral("currency"));
    const Value vrcorrigido = rs.field(QStringLiteral("vrcorrigido"));
    if (rt::Gt(vrcorrigido, Value(0))) {
      const QString valor = rt::Format(vrcorrigido, QStringLiteral("currency"));
      if (!bloq.NoMatch()) {
        // The entry keeps the day it was first blocked.
        bloq.Edit();
        bloq.setField(QStringLiteral("motivo"), motivo);
        bloq.setField(QStringLiteral("valor"), valor);
        bloq.Update();
      } else {
        bloq.AddNew();
        bloq.setField(QStringLiteral("codcliente"), codcli);
        bloq.setField(QStringLiteral("nomecliente"), historico);
        bloq.setField(QStringLiteral("data_bloqueio"),
                      rt::Format(rt::Date(), QStringLiteral("dd/mm/yyyy")));
        bloq.setField(QStringLiteral("hora_bloqueio"),
                      rt::Format(rt::Time(), QStringLiteral("hh:mm:ss")));
        bloq.setField(QStringLiteral("numnota"), numnota);
        bloq.setField(QStringLiteral("data_vencimento"), dtvecto);
        bloq.setField(QStringLiteral("motivo"), motivo);
        bloq.setField(QStringLiteral("valor"), valor);
        bloq.Update();
      }
    }
    cli.FindFirst(QStringLiteral("codigo=") + codigo);
    if (!cli.NoMatch()) {
      cli.Edit();
      cli.setField(QStringLiteral("situacao"), kBloqueado);
      cli.setField(kConceito, Value(0));
      cli.Update();
    }
    advanceBar();
    rs.MoveNext();
  }
}

void frmatualizacao::etapa7() {
  setStep(7);
  setStatus(QStringLiteral("Aguarde... Definindo Conceito de Clientes."));
  resetBar();
  db::Recordset& rs = reopen(Tcliente, QStringLiteral("Select * from cliente where situacao = '") +
                                           kAtivo + QStringLiteral("' order by nome"));
  countedSizing(rs);
  const Value today = rt::Date();
  while (!rs.Eof()) {
    const Value codigo = rs.field(kCodigo);
    // A customer without a name is still rated and charged; the label just shows "".
    setRecord(rt::Text(rs.field(kNome)));
    const Value dtcad = rs.field(QStringLiteral("dtcad"));
    [&] {
      if (!rt::IsDate(dtcad)) return;
      const QString code = bareNumber(codigo, QStringLiteral("cliente.codigo"));
      const Value meses = rt::Div(rt::Sub(today, dateOf(dtcad)), Value(30));
      // The engine adds the amounts as binary reals; held as the amount they add up to,
      // payments that net to nothing leave no residue to be rated on.
      Value soma = reopen(Tcrecebida, QStringLiteral("Select sum(vrcorrigido) as soma from "
                                                     "contas_recebidas where codcli = ") +
                                          code)
                       .field(QStringLiteral("soma"));
      if (soma.kind() == Kind::Double) soma = Value::currency(soma.number());
      // A customer registered today is rated on the plain sum.
      const Value media = meses.number() != 0 ? rt::Div(soma, meses) : soma;
      const Value atraso =
          reopen(Tcrecebida, QStringLiteral("Select avg(diasatraso) as maximo from "
                                            "contas_recebidas where diasatraso > 0 and codcli = ") +
                                 code)
              .field(QStringLiteral("maximo"));
      if (!rt::Gt(media, Value(0))) return;
      Tconceito.Refresh();
      db::Recordset& niveis = Tconceito.recordset();
      if (niveis.Eof()) throw errors::noCurrentRecord(QStringLiteral("conceito sem registro"));
      for (int n = 1; n <= 5; ++n) {
        const QString nivel = QString::number(n);
        // Where ranges overlap the lowest level wins; a Null bound never matches.
        if (rt::Ge(media, niveis.field(nivel + QStringLiteral("min"))) &&
            rt::Le(media, niveis.field(nivel + QStringLiteral("max")))) {
          const bool rebaixa = rt::Gt(atraso, niveis.field(nivel + QStringLiteral("atraso")));
          rs.Edit();
          rs.setField(kConceito, Value(rebaixa ? n - 1 : n));
          rs.Update();
          return;
        }
      }
    }();
    rs.MoveNext();
    advanceBar();
  }
}

void frmatualizacao::etapa8() {
  setStep(8);
  setStatus(QStringLiteral("Aguarde... Atualizando Débito de Clientes"));
  resetBar();
  db::Recordset& rs = reopen(Tcliente, QStringLiteral("Select * from cliente order by codigo"));
  countedSizing(rs);
  const Value today = rt::Date();
  while (!rs.Eof()) {
    const Value codigo = rs.field(kCodigo);
    setRecord(rt::Text(rs.field(kNome)));
    const QString code = bareNumber(codigo, QStringLiteral("cliente.codigo"));
    Value debito = reopen(Tcreceber, QStringLiteral("select sum(vrcorrigido) as soma_debito from "
                                                    "contas_a_receber where codcli = ") +
                                         code)
                       .field(QStringLiteral("soma_debito"));
    if (debito.isNull()) debito = Value(0);
    rs.Edit();
    rs.setField(QStringLiteral("debito"), debito);
    // The debit as the amount field holds it: receivables that net to nothing leave no
    // rounding residue of their sum to count as a debit.
    const Value gravado = rs.field(QStringLiteral("debito"));
    const Value credito = rs.field(QStringLiteral("credito"));
    rs.setField(QStringLiteral("saldo"), rt::Gt(gravado, Value(0)) && rt::Gt(credito, Value(0))
                                             ? rt::Sub(credito, gravado)
                                             : Value(0));
    const Value dtultcompra = rs.field(kDtUltCompra);
    if (rt::IsDate(dtultcompra)) rs.setField(kDiasSemCompra, rt::Sub(today, dateOf(dtultcompra)));
    rs.Update();
    rs.MoveNext();
    advanceBar();
  }
}

void frmatualizacao::etapa9() {
  setStep(9);
  resetBar();
  setStatus(QStringLiteral("Aguarde... Atualizando Dias de Compra"));
  db::Recordset& rs =
      reopen(Tcliente,
             QStringLiteral("Select * from cliente where dtultcompra is not null order by codigo"));
  countedSizing(rs);
  while (!rs.Eof()) {
    const Value codigo = rs.field(kCodigo);
    setRecord(rt::Text(rs.field(kNome)));
    rs.Edit();
    const Value primeira = rs.field(QStringLiteral("dataprimeiracompra"));
    if (rt::IsDate(primeira)) {
      const QString code = bareNumber(codigo, QStringLiteral("cliente.codigo"));
      qint64 dias = 0;
      dias += rowsOf(reopen(Tsaida, QStringLiteral("Select distinct dtemissao,codcli from saida "
                                                   "where codcli = ") +
                                        code + QStringLiteral(" order by dtemissao")));
      dias += rowsOf(reopen(Tlancam, QStringLiteral("Select distinct dtlancam,codcli from "
                                                    "lancamento_servico where codcli = ") +
                                         code));
      dias += rowsOf(reopen(Tos, QStringLiteral("Select distinct dtfechamento,codcli from "
                                                "fechamento_os where codcli = ") +
                                     code));
      const Value ultima = rs.field(kDtUltCompra);
      if (!rt::IsDate(ultima)) throw errors::typeMismatch(customer(kDtUltCompra, codigo));
      const Value span = rt::Sub(dateOf(ultima), dateOf(primeira));
      if (dias > 0) {
        rs.setField(kDiasSemCompra, rt::Abs(rt::Round(rt::Div(span, Value(dias)), 2)));
        // From the interval as the field holds it.
        rs.setField(QStringLiteral("dataproxcontato"),
                    rt::Add(dateOf(ultima), rs.field(kDiasSemCompra)));
      }
    } else {
      rs.setField(kDiasSemCompra, Value(0));
    }
    rs.Update();
    rs.MoveNext();
    advanceBar();
  }
}

}  // namespace ark::maintenance
