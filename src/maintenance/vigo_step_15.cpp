// The VIGO job's last step: the status of each attendance of the current year.
#include <optional>

#include "maintenance/frmatualiza.h"
#include "platform/core/runtime.h"
#include "platform/database/database.h"

namespace ark::maintenance {

namespace {
const QString kSituacao = QStringLiteral("situacao");
const QString kCor = QStringLiteral("cor_situacao");
const QString kDias = QStringLiteral("dias_bloqueado");
const QString kNatureza = QStringLiteral("natureza_exame");
const QString kEmptyDate = QStringLiteral("__/__/____");

const Value kPendente = Value(QStringLiteral("PENDENTE"));
const Value kRestrito = Value(QStringLiteral("RESTRITO"));
const Value kBloqueado = Value(QStringLiteral("BLOQUEADO"));
const Value kVencido = Value(QStringLiteral("VENCIDO"));
const Value kLiberado = Value(QStringLiteral("LIBERADO"));

const Value kCorPendente = Value(8454143);
const Value kCorRestrito = Value(33023);
const Value kCorBloqueado = Value(192);
// The one colour VIGO stores from a text: the column converts it.
const Value kCorVencido = Value(QStringLiteral("128"));
const Value kCorLiberado = Value(32768);

// A result upper-cased and compared whole: a trailing blank matches nothing.
bool refusedOrPositive(const Value& result) {
  if (result.isNull()) return false;
  const QString u = rt::UCase(result);
  return u == QLatin1String("RECUSOU") || u == QLatin1String("POSITIVO");
}

bool both(const Value& a, const Value& b, const Value& text) {
  return rt::Eq(a, text) && rt::Eq(b, text);
}
}  // namespace

void frmatualiza::etapa15() {
  db::Recordset& rs = reopen(
      Taso,
      QStringLiteral("Select toxicologico_data,pendencia,pendencia_asoe,aptidao_funcao,"
                     "aptidao_funcaoi,realizou_clinico_data,data_validade_aso,data_validade_asoe,"
                     "controle,natureza_exame,toxicologico,situacao,cor_situacao,dias_bloqueado,"
                     "etilometro,etilometro_data,teste_psicometrico,teste_psicometrico_data from "
                     "aso where year(data) = ") +
          rt::Format(rt::Date(), QStringLiteral("yyyy")) +
          QStringLiteral(" order by natureza_exame"));
  countedSizing(rs);
  setStep(15);

  db::Recordset& nat = Tnat.recordset();
  // The nature's status for this row's nature; none when no nature row matches.
  auto statusDaNatureza = [&](const Value& natureza) -> std::optional<Value> {
    nat.FindFirst(QStringLiteral("descricao = ") + db::quoted(natureza));
    if (nat.NoMatch()) return std::nullopt;
    return nat.field(QStringLiteral("status"));
  };
  auto write = [&](const Value& situacao, const Value& cor) {
    rs.setField(kSituacao, situacao);
    rs.setField(kCor, cor);
  };
  auto diasDe = [&](const QString& dateField) {
    const Value d = rs.field(dateField);
    if (rt::IsDate(d)) rs.setField(kDias, diasDesde(d));
  };
  // A refused or positive test: the nature's status is copied, with its colour and day
  // count when it is one VIGO knows. A nature missing from natureza_exame writes nothing.
  auto copiaStatus = [&](const Value& natureza, const QString& dateField) {
    const std::optional<Value> status = statusDaNatureza(natureza);
    if (!status || status->isNull()) return;
    rs.setField(kSituacao, *status);
    if (rt::Eq(*status, kBloqueado)) {
      rs.setField(kCor, kCorBloqueado);
      diasDe(dateField);
    } else if (rt::Eq(*status, kRestrito)) {
      rs.setField(kCor, kCorRestrito);
    }
  };

  while (!rs.Eof()) {
    const Value natureza = rs.field(kNatureza);
    setStatus(QStringLiteral("Aguarde... Atualizando Atendimento: ") +
              rt::Format(rs.field(QStringLiteral("controle")), QStringLiteral("0000000000")) +
              QStringLiteral(" ") + QStringLiteral("Natureza: ") + rt::Text(natureza));
    bool bloqueado = false;
    rs.Edit();
    if (natureza.isNull()) {
      write(kPendente, kCorPendente);
      rs.Update();
    } else if (rs.field(QStringLiteral("toxicologico")).isNull()) {
      rs.CancelUpdate();
    } else {
      if (refusedOrPositive(rs.field(QStringLiteral("toxicologico")))) {
        bloqueado = true;
        copiaStatus(natureza, QStringLiteral("toxicologico_data"));
      }

      if (refusedOrPositive(rs.field(QStringLiteral("etilometro")))) {
        if (!bloqueado) {
          bloqueado = true;
          copiaStatus(natureza, QStringLiteral("etilometro_data"));
        } else if (const std::optional<Value> status = statusDaNatureza(natureza)) {
          // Already blocked: only a status VIGO knows overrides the toxicology's.
          if (rt::Eq(*status, kBloqueado)) {
            rs.setField(kSituacao, kBloqueado);
            diasDe(QStringLiteral("etilometro_data"));
            rs.setField(kCor, kCorBloqueado);
          } else if (rt::Eq(*status, kRestrito)) {
            write(kRestrito, kCorRestrito);
          }
        }
      }

      const Value psico = rs.field(QStringLiteral("teste_psicometrico"));
      if (!psico.isNull()) {
        const QString n = rt::UCase(natureza);
        const QString r = rt::UCase(psico);
        if (n == QLatin1String("ADMISSIONAL") || n == QLatin1String("PARADA")) {
          if (r == QLatin1String("REPETIR")) {
            write(kRestrito, kCorRestrito);
            bloqueado = true;
          } else if (r == QLatin1String("REPROVADO")) {
            rs.setField(kSituacao, kBloqueado);
            diasDe(QStringLiteral("teste_psicometrico_data"));
            rs.setField(kCor, kCorBloqueado);
            bloqueado = true;
          }
        } else if (r == QLatin1String("REPROVADO") || r == QLatin1String("REPETIR")) {
          write(kRestrito, kCorRestrito);
          bloqueado = true;
        }
      }

      if (!bloqueado) {
        const Value emptyDate(kEmptyDate);
        const Value emptyText{QString()};
        const Value aptI = rs.field(QStringLiteral("aptidao_funcaoi"));
        const Value apt = rs.field(QStringLiteral("aptidao_funcao"));
        const Value pend = rs.field(QStringLiteral("pendencia"));
        const Value pendE = rs.field(QStringLiteral("pendencia_asoe"));
        const Value validade = rs.field(QStringLiteral("data_validade_aso"));
        if (both(rs.field(QStringLiteral("realizou_clinico_data")),
                 rs.field(QStringLiteral("data_validade_asoe")), emptyDate) ||
            (aptI.isNull() && apt.isNull()) || both(aptI, apt, emptyText) ||
            (pend.isNull() && pendE.isNull()) || both(pend, pendE, emptyText)) {
          write(kPendente, kCorPendente);
        } else if (rt::IsDate(validade)) {
          if (rt::Lt(rt::DateValue(validade), rt::Date()))
            write(kVencido, kCorVencido);
          else
            write(kLiberado, kCorLiberado);
        }
        // A validity date that is no date gives the row no status of its own.
      }
      rs.Update();
    }
    rs.MoveNext();
    advanceBar();
  }
}

}  // namespace ark::maintenance
