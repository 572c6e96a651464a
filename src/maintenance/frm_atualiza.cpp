#include "maintenance/frm_atualiza.h"

#include <QLabel>

#include "maintenance/calcula_idade.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"
#include "platform/desktop/controls.h"

namespace ark::maintenance {

namespace {
RunnerLayout praxelLayout() {
  RunnerLayout l;
  l.form = QStringLiteral("frm_atualiza");
  l.systemCode = QStringLiteral("PRAXEL");
  l.databaseFile = QStringLiteral("praxel.mdb");
  l.steps = 6;
  l.clientWidth = 8355;
  l.clientHeight = 1665;
  l.logo = QStringLiteral("Image2");
  l.stepLabel = QStringLiteral("lbletapa");
  l.statusLabel = QStringLiteral("lbl");
  l.description = QStringLiteral("Atualiza idade dos pacientes e o controle de agenda dos médicos");
  l.fillColor = 0x00800000;
  return l;
}

// The idade columns belong to PRAXEL: when one holds numbers, an age text it cannot take
// leaves the field as it was rather than stopping the whole job.
void writeAge(db::Recordset& rs, const QString& field, const Value& age) {
  try {
    rs.setField(field, age);
  } catch (const RuntimeError& e) {
    if (e.number() != errors::kTypeMismatch && e.number() != errors::kOverflow) throw;
  }
}

const QString kCpf = QStringLiteral("cpf");
const QString kNome = QStringLiteral("nome");
const QString kIdade = QStringLiteral("idade");
const QString kData = QStringLiteral("data");
}  // namespace

frm_atualiza::frm_atualiza() : MaintenanceRunner(praxelLayout()) {}

frm_atualiza& frm_atualiza::instance() {
  if (auto* w = qobject_cast<frm_atualiza*>(loaded(QStringLiteral("frm_atualiza")))) return *w;
  auto* w = new frm_atualiza;
  w->Form_Load();
  return *w;
}

void frm_atualiza::runJob() {
  Tparam.Refresh();
  dias_agenda = Tparam.recordset().field(QStringLiteral("dias_agenda"));
  etapa1();
  etapa2();
  etapa3();
  etapa4();
  etapa5();
  etapa6();
}

void frm_atualiza::etapa1() {
  setStep(1);
  Tpac.Refresh();
  db::Recordset& rs = Tpac.recordset();
  if (rs.Eof()) return;
  resetBar();
  countedSizing(rs);
  while (!rs.Eof()) {
    const Value dtnasc = rs.field(QStringLiteral("dtnasc"));
    if (rt::IsDate(dtnasc)) {
      setStatus(QStringLiteral("Aguarde... Atualizando Idade dos Pacientes no Cadastro/Agenda"));
      rs.Edit();
      writeAge(rs, kIdade, CalculaIdade(rt::CDate(dtnasc)));
      rs.Update();
    }
    rs.MoveNext();
    advanceBar();
  }
}

void frm_atualiza::etapa2() {
  setStep(2);
  setStatus(QStringLiteral("Aguarde... Verificando Nome de Pacientes."));
  db::Recordset& rs = reopen(
      Tpac, QStringLiteral("Select * from paciente where nome is null or nome = '' order by cpf"));
  resetBar();
  countedSizing(rs);
  db::Recordset& agenda = Tagenda.recordset();
  while (!rs.Eof()) {
    agenda.FindFirst(QStringLiteral("cpf = ") + db::quoted(rs.field(kCpf)));
    if (!agenda.NoMatch()) {
      const Value nome = agenda.field(kNome);
      rs.Edit();
      rs.setField(kNome, nome);
      rs.Update();
      setStatus(QStringLiteral("Aguarde... Gravando Nome do Paciente: ") + rt::Text(nome));
    }
    rs.MoveNext();
    advanceBar();
  }
}

void frm_atualiza::etapa3() {
  setStep(3);
  setStatus(QStringLiteral("Aguarde... Excluindo Registros da Agenda."));
  execute(Tagenda,
          QStringLiteral("Delete * from agenda where nome is null and data < ") + todayLiteral());
  Tagenda.Refresh();
}

void frm_atualiza::etapa4() {
  setStep(4);
  setStatus(QStringLiteral("Aguarde... Excluindo Registros da Agenda Há Mais de ") +
            rt::Text(dias_agenda) + QStringLiteral(" Dias."));
  resetBar();
  db::Recordset& rs = reopen(Tagenda, QStringLiteral("Select * from agenda order by data"));
  countedSizing(rs);
  while (!rs.Eof()) {
    const Value data = rs.field(kData);
    // A row without a readable date has no age: it is kept.
    if (rt::IsDate(data)) {
      const Value dias =
          rt::Sub(rt::DateValue(rt::CStr(rt::Date())), rt::DateValue(rt::CStr(data)));
      if (rt::Gt(dias, dias_agenda)) rs.Delete();
    }
    rs.MoveNext();
    advanceBar();
  }
}

void frm_atualiza::etapa5() {
  setStep(5);
  resetBar();
  contador = 1;
  db::Recordset& rs =
      reopen(Tagenda, QStringLiteral("select * from agenda order by codmedico,data,hora"));
  countedSizing(rs);
  while (!rs.Eof()) {
    rs.Edit();
    const Value cpf = rs.field(kCpf);
    if (rt::Ne(cpf, Value(QString())) && rt::Eq(rs.field(kIdade), Value(0))) {
      db::Recordset& pac = reopen(Tpac, QStringLiteral("select idade from paciente where cpf = ") +
                                            db::quoted(rt::Trim(cpf)));
      if (!pac.Eof()) {
        setStatus(QStringLiteral("Aguarde... Gravando Idade."));
        writeAge(rs, kIdade, pac.field(kIdade));
      }
    }
    rs.setField(QStringLiteral("contador"), Value(contador));
    rs.Update();
    ++contador;
    setStep(6);
    setStatus(QStringLiteral("Aguarde... Refazendo Controle da Agenda. ") +
              rt::Format(Value(contador), QStringLiteral("00000")) + QStringLiteral(" de ") +
              rt::Format(Value(barra->Max()), QStringLiteral("00000")));
    advanceBar();
    rs.MoveNext();
  }
}

void frm_atualiza::etapa6() {
  Tparam.Refresh();
  stamp(Tparam,
        {{QStringLiteral("controle_agenda"), Value(contador)},
         {QStringLiteral("data_atualizacao"), rt::Format(rt::Date(), QStringLiteral("dd/mm/yyyy"))},
         {QStringLiteral("hora_atualizacao"), rt::Format(rt::Time(), QStringLiteral("hh:mm:ss"))}});
  // The unload that follows takes the hourglass away with the window.
}

}  // namespace ark::maintenance
