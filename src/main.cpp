// SALVIX: the Arkivor tray program.
#include <QApplication>

#include "app/startup.h"
#include "platform/desktop/fonts.h"
#include "platform/desktop/translations.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ark::desktop::useFontSubstitutes();
  ark::desktop::useBrazilianStandardTexts(app);
  return ark::app::run(app);
}
