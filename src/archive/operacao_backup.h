#pragma once
// Operacao_Backup: the routines of an archive run over the archive library and the readers
// of its status lines.
#include <QString>
#include <QWidget>
#include <QtGlobal>
#include <functional>

#include "platform/core/clock.h"

namespace ark::archive {

// The result of the latest archive-library call that stores it (0 = success).
extern qint16 RetornoZip;
// Why the latest CompactaPasta failed, in Portuguese; empty after a successful run.
extern QString RetornoZipMotivo;

inline const QString kErroInicializaZip = QStringLiteral("Erro inicializando bibliotecas ZIP");

// Tells the user that the archive library could not be started. The program installs one
// that shows the message box (OK only, no icon, the program title); until then the
// message goes to the log.
using AvisoFalhaZip = std::function<void(const QString& mensagem)>;
void setAvisoFalhaZip(AvisoFalhaZip aviso);  // empty goes back to the log

// The six initialisation calls with the window and the status control; when a step raises,
// the rest is skipped and kErroInicializaZip goes to `aviso` (the installed one when empty).
void InicializaZip(QWidget* window, QWidget* control, const AvisoFalhaZip& aviso = {});

// Level 3, the include mask, the archive path, addZIP; each result into RetornoZip.
void CompactaPasta(const QString& path, const QString& mask);

// Field n (from 1) of text, fields separated by delim; "" beyond the last field or for
// n below 1.
QString ExtraiCampo(const QString& text, const QString& delim, int n);
QString CampoArquivo(const QString& line);    // field 4: the file in hand
qint16 CampoPercentual(const QString& line);  // field 7 as a number, rounded half to even

// Why an archive base name cannot be used, empty when it can: it must name a file of the
// destination folder itself, so no separator, and neither empty, "." nor "..".
QString MotivoNomeArquivo(const QString& arquivo);

// The archive path of a run: destino/arquivo.zip when sobrepoe, otherwise
// destino/arquivo_DDMMYYYY_HHNN.zip, each date and time part read from the clock as it is
// formatted.
QString CaminhoArquivo(const QString& destino, const QString& arquivo, bool sobrepoe,
                       const Clock& relogio = ark::clock());

}  // namespace ark::archive
