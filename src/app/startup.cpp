#include "app/startup.h"

#include <QApplication>

#include "app/frmsobre.h"
#include "archive/operacao_backup.h"
#include "platform/desktop/msgbox.h"

namespace ark::app {

int run(QApplication& app) {
  app.setApplicationName(QStringLiteral("Arkivor"));
  app.setQuitOnLastWindowClosed(false);
  archive::setAvisoFalhaZip(
      [](const QString& message) { desktop::MsgBox(message, desktop::vbOKOnly); });
  frmsobre& splash = frmsobre::instance();
  QObject::connect(
      &splash, &frmsobre::failed, &app, [&app] { app.exit(1); }, Qt::QueuedConnection);
  splash.show();
  return app.exec();
}

}  // namespace ark::app
