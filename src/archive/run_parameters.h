#pragma once
// The archive run parameters: process-wide values handed from the backup scheduler to the
// archive window.
#include <QString>

namespace ark::archive {

inline QString BkpDestino;  // destination folder, with the month sub-folder
inline QString BkpArquivo;  // archive base name
inline QString BkpOrigem;   // source folder
inline bool BkpSobrepoe = false;  // one fixed archive name

}  // namespace ark::archive
