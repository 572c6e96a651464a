// NEGOX job, steps 1 to 5: agenda purge, asset depreciation, dependants' ages, product
// costs and overdue receivables.
#include <QLabel>

#include "maintenance/frmatualizacao.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::maintenance {

namespace {
const QString kNome = QStringLiteral("nome");
const QString kValor = QStringLiteral("valor");
const QString kHistorico = QStringLiteral("histórico");
const QString kDiasAtraso = QStringLiteral("diasatraso");
const QString kVrCorrecao = QStringLiteral("vrcorrecao");
const QString kVrCorrigido = QStringLiteral("vrcorrigido");

bool holdsNumber(const Value& v) {
  return !v.isNull() && rt::IsNumeric(v);
}

Value orZero(const Value& v) {
  return v.isNull() ? Value(0) : v;
}
}  // namespace

void frmatualizacao::etapa1() {
  setStep(1);
  setStatus(QStringLiteral("Aguarde... Atualizando Agenda Vendedor"));
  execute(Tagendaven,
          QStringLiteral("Delete * from agenda_vendedor where nomecli is null and data < ") +
              todayLiteral());
  Tagendaven.Refresh();
  resetBar();
}

void frmatualizacao::etapa2() {
  setStep(2);
  setStatus(QStringLiteral("Aguarde... Atualizando Patrimônios"));
  db::Recordset& rs =
      reopen(Tpatri, QStringLiteral("select * from patrimonio where situacao = '") +
                         QStringLiteral("Ativo") + QStringLiteral("' order by identificacao"));
  countedSizing(rs);
  const Value today = rt::Date();
  while (!rs.Eof()) {
    const Value dtaquisicao = rs.field(QStringLiteral("dtaquisicao"));
    // Without an acquisition date there is no age to depreciate by: the asset is left.
    if (rt::IsDate(dtaquisicao)) {
      rs.Edit();
      const Value d = rt::Sub(today, dateOf(dtaquisicao));
      const Value valor = rs.field(kValor);
      Value vrdepreciado = valor;
      if (rt::Gt(d, Value(365))) {
        // The quotient goes through its text and back through a reader that knows only
        // the decimal point: under the decimal comma the fraction of a year is lost.
        const Value y(rt::Val(rt::CStr(rt::Div(d, Value(365)))));
        const Value depreciacao = rs.field(QStringLiteral("depreciacao"));
        vrdepreciado =
            rt::Sub(valor, rt::Div(rt::Mul(y, rt::Mul(rt::Abs(depreciacao), valor)), Value(100)));
      }
      rs.setField(QStringLiteral("vrdepreciado"), vrdepreciado);
      rs.Update();
    }
    rs.MoveNext();
    advanceBar();
  }
}

void frmatualizacao::etapa3() {
  setStep(3);
  setStatus(QStringLiteral("Aguarde... Atualizando idade de Dependentes de CLientes"));
  Tdep.Refresh();
  db::Recordset& rs = Tdep.recordset();
  const Value today = rt::Date();
  while (!rs.Eof()) {
    const Value dtnasc = rs.field(QStringLiteral("dtnasc"));
    if (rt::IsDate(dtnasc)) {
      // A dependant without a name still gets its age; the label shows nothing for it.
      setRecord(rt::Text(rs.field(kNome)));
      rs.Edit();
      rs.setField(QStringLiteral("idade"),
                  rt::Int(rt::Div(rt::Sub(today, dateOf(dtnasc)), Value(365))));
      rs.Update();
    }
    rs.MoveNext();
  }
}

void frmatualizacao::etapa4() {
  setStep(4);
  db::Recordset& rs = reopen(bdprod, QStringLiteral("select * from produto order by nome"));
  if (!rs.Eof()) {
    resetBar();
    countedSizing(rs);
  }
  const Value today = rt::Date();
  // The sums of the entries whose code is `code`, each 0 without entries.
  auto stock = [this](const Value& code) {
    db::Recordset& s = reopen(Testoque, QStringLiteral("select sum(quantidade) as qtde_comp , "
                                                       "sum(total) as soma_preco_compra from "
                                                       "estoque where codigomer = ") +
                                            db::quoted(rt::Text(code)));
    return std::pair{orZero(s.field(QStringLiteral("qtde_comp"))),
                     orZero(s.field(QStringLiteral("soma_preco_compra")))};
  };
  while (!rs.Eof()) {
    setStatus(QStringLiteral("Aguarde... Atualizando Preço Médio de Custo"));
    setRecord(rt::Text(rs.field(kNome)));
    const auto [q1, s1] = stock(rs.field(QStringLiteral("codigo")));
    const auto [q2, s2] = stock(rs.field(QStringLiteral("codbarra")));
    const Value qt = rt::Add(q1, q2);
    const Value st = rt::Add(s1, s2);
    rs.Edit();
    setStatus(QStringLiteral("Aguarde... Atualizando Margem de Lucro do Produto"));
    const Value precusto = rs.field(QStringLiteral("precusto"));
    const Value prevenda = rs.field(QStringLiteral("prevenda"));
    // Without a sale price the margin has no value: the old one stays.
    if (holdsNumber(precusto) && rt::Gt(rt::Abs(precusto), Value(0)) && !prevenda.isNull()) {
      const Value cost = rt::Abs(precusto);
      const Value margin = rt::Mul(rt::Div(rt::Sub(rt::Abs(prevenda), cost), cost), Value(100));
      rs.setField(QStringLiteral("plucrobruto"), rt::Format(margin, QStringLiteral("#,##0.000")));
    }
    if (!holdsNumber(rs.field(QStringLiteral("precompra"))))
      rs.setField(QStringLiteral("precompra"), Value(0));
    const Value premcusto = rt::Gt(qt, Value(0)) ? rt::Div(st, qt) : Value(0);
    rs.setField(QStringLiteral("premcusto"), rt::Format(premcusto, QStringLiteral("currency")));
    // Painted at the next pump.
    statusLabel->setText(QStringLiteral("Aguarde... Gerando Dias de Estoque."));
    const Value dtcompra = rs.field(QStringLiteral("dtcompra"));
    rs.setField(QStringLiteral("dias_estoque"),
                rt::IsDate(dtcompra) ? rt::Sub(today, dateOf(dtcompra)) : Value(0));
    rs.Update();
    rs.MoveNext();
    advanceBar();
  }
}

void frmatualizacao::etapa5() {
  setStep(5);
  setStatus(QStringLiteral("Aguarde... Atualizando Clientes em Atraso."));
  resetBar();
  bdparam.Refresh();
  db::Recordset& param = bdparam.recordset();
  // Without the parameters the walk would overwrite the last run's corrections with none,
  // and the steps after it cannot run either: stop before anything is written.
  if (param.Eof()) throw errors::noCurrentRecord(QStringLiteral("a tabela parametros está vazia"));
  pormulta = param.field(QStringLiteral("pormulta"));
  porcatraso = param.field(QStringLiteral("porcatraso"));
  corrigir_valor = param.field(QStringLiteral("corrigir_valor"));
  const bool corrigir = rt::Eq(corrigir_valor, Value(true));

  db::Recordset& rs =
      reopen(Tcreceber, QStringLiteral("select * from contas_a_receber order by dtvecto"));
  countedSizing(rs);
  const Value today = rt::Date();
  while (!rs.Eof()) {
    const Value historico = rs.field(kHistorico);
    if (!historico.isNull() && !rt::Text(historico).isEmpty())
      setRecord(rt::CStr(historico));
    else
      DoEvents();
    rs.Edit();
    const Value dtvecto = rs.field(QStringLiteral("dtvecto"));
    // Without a due date no day count is known: the count stays and nothing is charged.
    if (rt::IsDate(dtvecto)) rs.setField(kDiasAtraso, rt::Sub(today, dateOf(dtvecto)));
    const Value dias = rs.field(kDiasAtraso);
    const Value valor = rs.field(kValor);
    if (corrigir && rt::IsDate(dtvecto) && rt::Gt(dias, Value(0))) {
      rs.setField(kVrCorrecao,
                  rt::Add(rt::Div(rt::Mul(valor, pormulta), Value(100)),
                          rt::Div(rt::Mul(valor, rt::Mul(dias, porcatraso)), Value(100))));
      // The correction as the field now holds it, in the field's type.
      rs.setField(kVrCorrigido, rt::Add(valor, rs.field(kVrCorrecao)));
    } else {
      rs.setField(kVrCorrecao, Value(0));
      rs.setField(kVrCorrigido, valor);
    }
    advanceBar();
    rs.Update();
    rs.MoveNext();
  }
}

}  // namespace ark::maintenance
