#include "platform/core/runtime_error.h"

namespace ark::errors {
namespace {
QString with(const QString& text, const QString& context) {
  return context.isEmpty() ? text : text + QStringLiteral(" (") + context + QStringLiteral(")");
}
}  // namespace

RuntimeError overflow(const QString& context) {
  return RuntimeError(kOverflow, with(QStringLiteral("Estouro"), context));
}
RuntimeError typeMismatch(const QString& context) {
  return RuntimeError(kTypeMismatch, with(QStringLiteral("Tipo incompatível"), context));
}
RuntimeError invalidUseOfNull(const QString& context) {
  return RuntimeError(kInvalidUseOfNull, with(QStringLiteral("Uso inválido de Nulo"), context));
}
RuntimeError noCurrentRecord(const QString& context) {
  return RuntimeError(kNoCurrentRecord, with(QStringLiteral("Nenhum registro atual."), context));
}
RuntimeError database(const QString& message, const QString& context) {
  return RuntimeError(kDatabase, with(message, context));
}

}  // namespace ark::errors
