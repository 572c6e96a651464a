#include "archive/operacao_backup.h"

#include <QDebug>

#include "platform/archive/azip.h"
#include "platform/core/paths.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"

namespace ark::archive {

qint16 RetornoZip = 0;
QString RetornoZipMotivo;

namespace {

AvisoFalhaZip& avisoInstalado() {
  static AvisoFalhaZip aviso;
  return aviso;
}

// A control's window handle, read as the language reads an object's property: through
// an object that is not set, it raises.
QObject* handle(QWidget* w) {
  if (!w)
    throw RuntimeError(91, QStringLiteral("Variável de objeto ou variável de bloco With "
                                          "não definida"));
  return w;
}

QString doisDigitos(int n) {
  return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

}  // namespace

void setAvisoFalhaZip(AvisoFalhaZip aviso) {
  avisoInstalado() = std::move(aviso);
}

void InicializaZip(QWidget* window, QWidget* control, const AvisoFalhaZip& aviso) {
  try {
    zip::addZIP_Initialise();
    zip::addUNZIP_Initialise();
    RetornoZip = zip::addZIP_SetParentWindowHandle(handle(window));
    zip::addUNZIP_SetParentWindowHandle(handle(window));
    RetornoZip = zip::addZIP_SetWindowHandle(handle(control));
    zip::addUNZIP_SetWindowHandle(handle(control));
  } catch (...) {
    const AvisoFalhaZip& avisa = aviso ? aviso : avisoInstalado();
    if (avisa)
      avisa(kErroInicializaZip);
    else
      qWarning().noquote() << kErroInicializaZip;
  }
}

void CompactaPasta(const QString& path, const QString& mask) {
  RetornoZip = zip::addZIP_SetCompressionLevel(3);
  RetornoZip = zip::addZIP_Include(mask);
  RetornoZip = zip::addZIP_ArchiveName(path);
  RetornoZipMotivo.clear();
  RetornoZip = zip::addZIP();
  RetornoZipMotivo = zip::addZIP_LastError();
}

QString ExtraiCampo(const QString& text, const QString& delim, int n) {
  if (delim.isEmpty() || n < 1) return QString();
  QString trabalho = text + delim;
  int contador = 0;
  for (;;) {
    const qsizetype pos = trabalho.indexOf(delim, 0, Qt::CaseSensitive);
    if (pos < 0) return QString();
    if (++contador == n) return trabalho.left(pos);
    trabalho.remove(0, pos + delim.size());
  }
}

QString CampoArquivo(const QString& line) {
  return ExtraiCampo(line, QStringLiteral("|"), 4);
}

qint16 CampoPercentual(const QString& line) {
  return static_cast<qint16>(rt::CInt(Value(rt::Val(ExtraiCampo(line, QStringLiteral("|"), 7)))));
}

QString MotivoNomeArquivo(const QString& arquivo) {
  if (arquivo.isEmpty()) return QStringLiteral("O nome do arquivo de backup não foi informado");
  if (arquivo.contains(QLatin1Char('/')) || arquivo.contains(QLatin1Char('\\')))
    return QStringLiteral("O nome do arquivo de backup não pode conter \"/\" nem \"\\\": %1")
        .arg(arquivo);
  if (arquivo == QLatin1String(".") || arquivo == QLatin1String(".."))
    return QStringLiteral("O nome do arquivo de backup não pode ser \".\" nem \"..\": %1")
        .arg(arquivo);
  return {};
}

QString CaminhoArquivo(const QString& destino, const QString& arquivo, bool sobrepoe,
                       const Clock& relogio) {
  if (sobrepoe) return joinPath(destino, arquivo + QStringLiteral(".zip"));
  QString nome = arquivo + QStringLiteral("_");
  nome += doisDigitos(relogio.now().date().day());
  nome += doisDigitos(relogio.now().date().month());
  nome += doisDigitos(relogio.now().date().year());
  nome += QStringLiteral("_");
  nome += doisDigitos(relogio.now().time().hour());
  nome += doisDigitos(relogio.now().time().minute());
  return joinPath(destino, nome + QStringLiteral(".zip"));
}

}  // namespace ark::archive
