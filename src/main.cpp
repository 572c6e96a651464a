// SALVIX: the Arkivor tray program.
#include <QApplication>

#include "app/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return ark::app::run(app);
}
