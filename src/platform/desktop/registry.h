#pragma once
// The registry writer of the autostart value. There is no registry here: the value the
// program writes under the machine's Run key becomes the machine-wide XDG autostart entry
// <first absolute folder of XDG_CONFIG_DIRS, default /etc/xdg>/autostart/<value name>.desktop,
// whose Exec line starts the given program. XDG_CONFIG_DIRS is read at each call.
#include <QString>

namespace ark::desktop {

using HKEY = unsigned long;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000UL;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001UL;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002UL;

inline const QString kRunKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");

// Writes (creates or overwrites) one text value. Only the machine's Run key has a place
// here; any other key is not kept. Like the registry calls, it reports nothing: when the
// entry cannot be written nothing changes and the caller goes on.
void SaveRegString(HKEY hKey, const QString& strPath, const QString& strValue,
                   const QString& strData);

// The autostart folder SaveRegString writes into, and the text of the entry it writes.
QString autostartFolder();
QString autostartEntry(const QString& name, const QString& program);

}  // namespace ark::desktop
