#include "platform/desktop/translations.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace ark::desktop {

bool useBrazilianStandardTexts(QCoreApplication& app) {
  auto* t = new QTranslator(&app);
  if (!t->load(QStringLiteral("qtbase_pt_BR"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete t;
    return false;
  }
  return QCoreApplication::installTranslator(t);
}

}  // namespace ark::desktop
