#pragma once
// Why a file-system call failed, in Portuguese, for the reasons shown to the user.
// Header-only: the scheduler words its month-folder failures with it without linking the
// archive library.
#include <QString>
#include <cerrno>

namespace ark::zip {

// `aboutFile`: a missing name is a file, not a folder ("arquivo não encontrado").
inline QString systemReason(int err, bool aboutFile = false) {
  switch (err) {
    case ENOSPC:
      return QStringLiteral("disco cheio");
    case EDQUOT:
      return QStringLiteral("cota de disco excedida");
    case EACCES:
    case EPERM:
      return QStringLiteral("permissão negada");
    case EROFS:
      return QStringLiteral("disco somente para leitura");
    case ENOENT:
      return aboutFile ? QStringLiteral("arquivo não encontrado")
                       : QStringLiteral("pasta não encontrada");
    case ENOTDIR:
      return QStringLiteral("não é uma pasta");
    case EISDIR:
      return QStringLiteral("é uma pasta");
    case ENAMETOOLONG:
      return QStringLiteral("nome longo demais");
    case EMFILE:
    case ENFILE:
      return QStringLiteral("arquivos abertos demais");
    case ENOMEM:
      return QStringLiteral("memória insuficiente");
    case EFBIG:
      return QStringLiteral("tamanho máximo de arquivo excedido");
    case ELOOP:
      return QStringLiteral("ligação simbólica em ciclo");
    case EIO:
      return QStringLiteral("erro de leitura ou gravação no disco");
    default:
      return QStringLiteral("erro do sistema %1").arg(err);
  }
}

// "text (reason)", or the text alone when there is no system error.
inline QString withSystemReason(const QString& text, int err, bool aboutFile = false) {
  return err ? QStringLiteral("%1 (%2)").arg(text, systemReason(err, aboutFile)) : text;
}

}  // namespace ark::zip
