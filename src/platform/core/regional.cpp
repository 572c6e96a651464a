#include "platform/core/regional.h"

namespace ark {

const Regional& Regional::ptBR() {
  static const Regional r = [] {
    Regional x;
    x.shortMonths = {QStringLiteral("jan"), QStringLiteral("fev"), QStringLiteral("mar"),
                     QStringLiteral("abr"), QStringLiteral("mai"), QStringLiteral("jun"),
                     QStringLiteral("jul"), QStringLiteral("ago"), QStringLiteral("set"),
                     QStringLiteral("out"), QStringLiteral("nov"), QStringLiteral("dez")};
    x.longMonths = {
        QStringLiteral("janeiro"), QStringLiteral("fevereiro"), QStringLiteral("março"),
        QStringLiteral("abril"),   QStringLiteral("maio"),      QStringLiteral("junho"),
        QStringLiteral("julho"),   QStringLiteral("agosto"),    QStringLiteral("setembro"),
        QStringLiteral("outubro"), QStringLiteral("novembro"),  QStringLiteral("dezembro")};
    return x;
  }();
  return r;
}

}  // namespace ark
