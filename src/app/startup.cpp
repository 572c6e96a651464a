#include "app/startup.h"

#include <QApplication>
#include <QWidget>

namespace ark::app {

int run(QApplication& app) {
  QWidget w;
  w.setWindowTitle(QStringLiteral("Dovral Videzide® - Arkivor"));
  w.show();
  return app.exec();
}

}  // namespace ark::app
