// The VIGO job's cleaning steps and the blocking data of the attendances (steps 1 to 14).
#include <QLabel>

#include "maintenance/frmatualiza.h"
#include "platform/core/runtime.h"
#include "platform/database/database.h"
#include "platform/desktop/controls.h"

namespace ark::maintenance {

namespace {
const QString kEmptyDate = QStringLiteral("__/__/____");
const QString kBloqueado = QStringLiteral("BLOQUEADO");
const QString kPositivo = QStringLiteral("Positivo");
constexpr quint32 kDarkRed = 128;
constexpr quint32 kGreen = 32768;
constexpr quint32 kBlack = 0;
}  // namespace

void frmatualiza::bulkStep(const BulkStep& s) {
  setStep(s.step);
  if (s.resetBarFirst) resetBar();
  if (s.darkRedStatus) setStatusColor(kDarkRed);
  setStatus(s.status);
  for (const QString& statement : s.statements) {
    execute(*s.source, statement);
    s.source->Refresh();
  }
  if (s.barAfter == BulkStep::Full) barra->setValue(barra->Max());
  if (s.barAfter == BulkStep::Empty) resetBar();
}

void frmatualiza::etapa1() {
  bulkStep(
      {1,
       QStringLiteral("Aguarde... Excluindo Registros da Agenda Não Utilizados."),
       &Tagenda,
       {QStringLiteral("Delete * from agenda where empresa is null and data < ") + todayLiteral()},
       true,
       false,
       BulkStep::Full});
}

void frmatualiza::etapa2() {
  setStep(2);
  setStatus(QStringLiteral("Aguarde... Excluindo Registros da Agenda Há Mais de ") +
            rt::Text(dias_agenda) + QStringLiteral(" Dias."));
  Tagenda.Refresh();
  resetBar();
  db::Recordset& rs = reopen(Tagenda, QStringLiteral("Select * from agenda order by data"));
  countedSizing(rs);
  while (!rs.Eof()) {
    const Value data = rs.field(QStringLiteral("data"));
    // A row without a readable date has no age: it is kept.
    if (rt::IsDate(data) && rt::Gt(diasDesde(data), dias_agenda)) rs.Delete();
    rs.MoveNext();
    advanceBar();
  }
}

void frmatualiza::etapa3() {
  setStep(3);
  resetBar();
  execute(Temp, QStringLiteral("delete * from empregado where codigo = 0"));
  Temp.Refresh();
  execute(Temp, QStringLiteral("update empregado set idade = 0 where dtnasc = '") + kEmptyDate +
                    QStringLiteral("'"));
  Temp.Refresh();
  db::Recordset& rs =
      reopen(Temp, QStringLiteral("Select nome,dtnasc,idade from empregado where dtnasc <> '") +
                       kEmptyDate + QStringLiteral("' order by nome"));
  countedSizing(rs);
  while (!rs.Eof()) {
    // Shown without a pump: the walk keeps the window as it is until it ends.
    statusLabel->setText(QStringLiteral("Aguarde... Calculado Idade de: ") +
                         rt::Text(rs.field(QStringLiteral("nome"))));
    const Value dtnasc = rs.field(QStringLiteral("dtnasc"));
    // A partly typed birth date gives no age: the old one stays.
    if (rt::IsDate(dtnasc)) {
      rs.Edit();
      // 365 days a year, not 365.25: the age turns a few days early, as VIGO shows it.
      rs.setField(QStringLiteral("idade"), rt::Int(rt::Div(diasDesde(dtnasc), Value(365))));
      rs.Update();
    }
    rs.MoveNext();
    advanceBar();
  }
}

void frmatualiza::etapas4a12() {
  const BulkStep steps[] = {
      {4,
       QStringLiteral("Aguarde... Excluindo Empregado sem Empresa."),
       &Tempemp,
       {QStringLiteral("Delete * from empregado_empresa where cpf is null")},
       true,
       false,
       BulkStep::Full},
      {5,
       QStringLiteral("Aguarde... Excluindo Treinamento sem Controle."),
       &Tagendatrei,
       {QStringLiteral("Delete * from agenda_treinamento where controle = 0 or controle is null")},
       true,
       false,
       BulkStep::Full},
      {6,
       QStringLiteral("Aguarde... Excluindo Treinamento x Empresa sem Controle."),
       &Ttreinaemp,
       {QStringLiteral(
           "Delete * from agenda_treinamento_empresa where controle = 0 or controle is null")},
       true,
       false,
       BulkStep::Full},
      {7,
       QStringLiteral("Aguarde... Excluindo Treinamento x Instrutor sem Controle."),
       &Treinainst,
       {QStringLiteral(
           "Delete * from agenda_treinamento_instrutor where controle = 0 or controle is null")},
       true,
       false,
       BulkStep::Full},
      {8,
       QStringLiteral("Aguarde... Excluindo Presença de Treinamentos com Nota = 0"),
       &Tpresenca,
       {QStringLiteral("delete * from treinamentos_presenca where nota = 0")},
       true,
       false,
       BulkStep::Empty},
      {9,
       QStringLiteral("Aguarde... Excluindo atendimentos inválidos."),
       &Taso,
       {QStringLiteral("Delete * from aso where controle is null"),
        QStringLiteral("Delete * from aso where empregado is null"),
        QStringLiteral("Delete * from aso where empregado = '") + QStringLiteral("'")},
       false,
       false,
       BulkStep::Untouched},
      {10,
       QStringLiteral("Aguarde... Inicializando Dias de Bloqueio Toxicológico."),
       &Taso,
       {QStringLiteral("Update aso set dias_bloqueado = 0")},
       false,
       true,
       BulkStep::Untouched},
      {11,
       QStringLiteral("Aguarde... Inicializando Dias de Bloqueio Etilômetro."),
       &Taso,
       {QStringLiteral("Update aso set dias_bloqueadoe = 0")},
       false,
       false,
       BulkStep::Untouched},
      {12,
       QStringLiteral("Aguarde... Inicializando Nº Atendimento de Empregados Bloqueados"),
       &Taso,
       {QStringLiteral("Update aso set bloqueio_atendimento_num = 0")},
       false,
       false,
       BulkStep::Untouched},
  };
  for (const BulkStep& s : steps) bulkStep(s);
}

void frmatualiza::etapa13() {
  setStep(13);
  barra->setFillColor(kDarkRed);
  setStatus(QStringLiteral("Aguarde... Calculando Dias de Bloqueio."));
  db::Recordset& rs = reopen(
      Taso, QStringLiteral("Select cpf,toxicologico,toxicologico_data,etilometro,etilometro_data,"
                           "dias_bloqueado,dias_bloqueadoe from aso where situacao = '") +
                kBloqueado + QStringLiteral("' order by cpf"));
  countedSizing(rs);
  cpfsBloqueados.clear();
  cpfsBloqueados.reserve(barra->Max() + 1);
  // Only "Positivo" exactly counts; a test without a readable date keeps the 0 of steps 10, 11.
  const struct {
    QString result, date, days;
  } tests[] = {
      {QStringLiteral("toxicologico"), QStringLiteral("toxicologico_data"),
       QStringLiteral("dias_bloqueado")},
      {QStringLiteral("etilometro"), QStringLiteral("etilometro_data"),
       QStringLiteral("dias_bloqueadoe")},
  };
  while (!rs.Eof()) {
    for (const auto& t : tests) {
      const Value date = rs.field(t.date);
      if (rt::IsDate(date) && rt::Eq(rs.field(t.result), Value(kPositivo))) {
        rs.Edit();
        rs.setField(t.days, diasDesde(date));
        rs.Update();
      }
    }
    cpfsBloqueados.push_back(rs.field(QStringLiteral("cpf")));
    rs.MoveNext();
    advanceBar();
  }
}

void frmatualiza::etapa14() {
  setStep(14);
  const int n = int(cpfsBloqueados.size());
  barra->setMax(n);
  resetBar();
  const QString total = rt::Format(Value(n), QStringLiteral("00000"));
  for (int i = 0; i < n; ++i) {
    const Value& cpf = cpfsBloqueados[i];
    setStatus(QStringLiteral("Aguarde... Definindo Nº Atendimento para o CPF: ") + rt::Text(cpf) +
              QStringLiteral(" Bloqueio: ") + rt::Format(Value(i), QStringLiteral("00000")) +
              QStringLiteral(" de ") + total);
    // A Null CPF joins as '': it selects the attendances whose CPF is the empty text.
    db::Recordset& rs = reopen(
        Taso, QStringLiteral("Select controle,bloqueio_atendimento_num,situacao from aso where "
                             "cpf = ") +
                  db::quoted(cpf) + QStringLiteral(" order by data"));
    Value ultimoBloqueio(0);
    while (!rs.Eof()) {
      if (rt::Eq(rs.field(QStringLiteral("situacao")), Value(kBloqueado)))
        ultimoBloqueio = rs.field(QStringLiteral("controle"));
      rs.Edit();
      rs.setField(QStringLiteral("bloqueio_atendimento_num"), ultimoBloqueio);
      rs.Update();
      rs.MoveNext();
    }
    advanceBar();
  }
  barra->setFillColor(kGreen);
  // Black, not the design grey: the rest of the run keeps it.
  setStatusColor(kBlack);
  resetBar();
}

}  // namespace ark::maintenance
