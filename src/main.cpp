// SALVIX: the Arkivor tray program.
#include <QApplication>

#include "app/startup.h"
#include "platform/desktop/fonts.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ark::desktop::useFontSubstitutes();
  return ark::app::run(app);
}
