#pragma once
// Qt's own dialogs (the folder picker's buttons and labels) speak Brazilian Portuguese.
#include <QCoreApplication>

namespace ark::desktop {

// Installs Qt's pt-BR texts when the machine has them; without them the dialogs keep
// Qt's English, and nothing else changes.
bool useBrazilianStandardTexts(QCoreApplication& app);

}  // namespace ark::desktop
