#pragma once
// Paths: where the program joins a folder and a name with the Windows separator, it joins
// with this one, and adds no test for a separator already there.
#include <QString>

namespace ark {

inline const QString kSeparator = QStringLiteral("/");

// folder & separator & name, with no test for a separator at the end of folder.
inline QString joinPath(const QString& folder, const QString& name) {
  return folder + kSeparator + name;
}

// The folder of the running executable (no separator at the end), unless a test has set
// another.
QString programFolder();
void setProgramFolder(const QString& folder);  // empty goes back to the executable's

}  // namespace ark
