#include "visits/confirmation.h"

#include <QStringList>

#include "platform/core/runtime.h"
#include "platform/desktop/msgbox.h"

namespace ark::visits {

using namespace ark::desktop;

NextReminder nextMonthReminder(const QDate& today) {
  int m = today.month() + 1;
  int y = today.year();
  if (m == 13) {
    m = 1;
    y = y + 1;
  }
  return {Value(QStringLiteral("25/%1/%2").arg(m, 2, 10, QLatin1Char('0')).arg(y)),
          Value(QStringLiteral("10:00:00"))};
}

NextReminder postponedReminder(const Value& data_visita, const Value& hora_visita,
                               const QDate& today) {
  const QDate d = rt::DateValue(data_visita).datePart().addDays(1);
  const QTime time = rt::TimeValue(hora_visita).timePart();

  // Whole seconds, so that the hour added is exact; past midnight the time keeps its day
  // carry, as date-time arithmetic on a time alone does.
  constexpr int kDay = 24 * 3600;
  const int seconds = time.msecsSinceStartOfDay() / 1000 + 3600;
  const QDate zero(1899, 12, 30);
  const Value t = Value::date(zero.addDays(seconds / kDay),
                              QTime::fromMSecsSinceStartOfDay((seconds % kDay) * 1000));

  // The trigger shows a reminder only on the days 25 to 30; a d on the 31st would never be
  // shown and nothing would move it on again.
  if (d.month() != today.month() || d.day() < 25 || d.day() > 30) return nextMonthReminder(today);
  return {Value::date(d), t};
}

namespace {
QString lines(std::initializer_list<const char*> l) {
  QStringList out;
  for (const char* s : l) out << QString::fromUtf8(s);
  return out.join(QLatin1Char('\r'));
}
}  // namespace

const BoxText& confirmBox(ConfirmBox box) {
  static const BoxText kBoxes[] = {
      // TickedQuestion
      {lines({"Com a opção:", "EXIBIR ESTE LEMBRETE NO PRÓXIMO MÊS SELECIONADA", "",
              "Entendemos que não há necessidade da visita presencial para o mês que vem.", "",
              "Está certo disso?", "Podemos Confirmar?"}),
       vbYesNo | vbExclamation},
      // SimQuestion
      {lines({"VOCÊ SELECIONOU QUE DESEJA UMA VISITA PRESENCIAL.", "",
              "Nosso time entrará em contato no 1º dia útil do mês que vem para confirmação da "
              "visita.",
              "", "Podemos Continuar com a Solicitação?"}),
       vbYesNo | vbQuestion},
      // SimDone
      {lines({"Agendamento Enviado com Sucesso", "Até breve."}), vbInformation},
      // NaoQuestion
      {lines({"FICAMOS FELIZES EM SABER QUE ESTÁ TUDO CERTO COM O FUNCIONAMENTO DO SISTEMA E QUE "
              "NÃO HÁ DÚVIDAS A PONTO DE NECESSITAR UMA VISITA PRESENCIAL.",
              "", "Mês que vem, estarei aqui novamente fazendo o mesmo questionamento.",
              "Até lá, se surgir algo, pode nos acionar remotamente.", "",
              "Podemos Confimar que NÃO há necessidade da visita?"}),
       vbYesNo | vbQuestion},
      // AdiarNotice
      {lines({"TUDO BEM SE QUER ADIAR SUA DECISÃO.", "",
              "Em breve lembraremos novamente do agendamento.", "Até mais..."}),
       vbOKOnly},
      // NotConnected
      {lines({"Não foi possível enviar a solicitação de visita: não há conexão com a Internet.",
              "Lembraremos novamente em breve; confirme outra vez para tentar agora."}),
       vbInformation},
  };
  return kBoxes[static_cast<int>(box)];
}

BoxText sendFailedBox(const QString& reason) {
  return {lines({"Não foi possível enviar a solicitação de visita."}) + QLatin1Char('\r') + reason +
              QLatin1Char('\r') + QLatin1Char('\r') +
              QStringLiteral("Lembraremos novamente em breve; confirme outra vez para tentar "
                             "agora."),
          vbInformation};
}

}  // namespace ark::visits
