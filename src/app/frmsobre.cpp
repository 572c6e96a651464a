#include "app/frmsobre.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>

#include "app/frmbkp.h"
#include "platform/core/paths.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/dpi.h"
#include "platform/desktop/msgbox.h"
#include "platform/desktop/pacing.h"
#include "platform/desktop/pictures.h"
#include "schedule/schedule_store.h"

namespace ark::app {

using desktop::tw;

namespace {
frmsobre* g_instance = nullptr;

}  // namespace

frmsobre& frmsobre::instance() {
  if (!g_instance) g_instance = new frmsobre;
  return *g_instance;
}

bool frmsobre::exists() {
  return g_instance != nullptr;
}

frmsobre::frmsobre()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("frmsobre"));
  setWindowTitle(QStringLiteral("Arkivor - Iniciando"));
  setFixedSize(tw(7515), tw(4650));
  desktop::keepCentred(this);
  // The splash reads the same file the main window opens.
  Tpc.setDatabaseName(schedule::scheduleDatabasePath(programFolder()));

  lblnome =
      desktop::makeLabel(this, "lblnome", QRect(tw(600), tw(1900), tw(6300), tw(400)), 12, true);
  lblsistema =
      desktop::makeLabel(this, "lblsistema", QRect(tw(600), tw(2350), tw(6300), tw(350)), 10, true);
  desktop::makeLabel(this, "lblpccap", QRect(tw(600), tw(2750), tw(1500), tw(350)), 9, false)
      ->setText(QStringLiteral("Computador:"));
  lblpc = desktop::makeLabel(this, "lblpc", QRect(tw(2100), tw(2750), tw(4800), tw(350)), 9, true);
  lblstatus = desktop::makeLabel(this, "lblstatus", QRect(tw(300), tw(3600), tw(6915), tw(300)), 8,
                                 false, Qt::AlignCenter);
  lblstatus->setText(QStringLiteral("00 usuário(s)"));
  for (QLabel* l : findChildren<QLabel*>()) l->setStyleSheet(QStringLiteral("color: #1b2a4a;"));
  barra = new desktop::ProgressBar(this);
  barra->setObjectName(QStringLiteral("barra"));
  barra->setGeometry(tw(300), tw(4000), tw(6915), tw(300));
  barra->setFillColor(0x00800000);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(200);
  connect(Timer1, &QTimer::timeout, this, &frmsobre::Timer1_Timer);
}

frmsobre::~frmsobre() {
  if (g_instance == this) g_instance = nullptr;
}

void frmsobre::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (activated_) return;
  activated_ = true;
  try {
    Form_Activate();
    Timer1->start();
  } catch (const RuntimeError& err) {
    desktop::MsgBox(QStringLiteral("Não foi possível abrir o banco de dados do Arkivor:\r%1\r\r%2")
                        .arg(Tpc.databaseName(), err.message()),
                    desktop::vbCritical);
    emit failed();
  }
}

void frmsobre::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, desktop::pictures::splashBackground());
}

void frmsobre::Form_Activate() {
  Tpc.Refresh();
  db::Recordset& rs = Tpc.recordset();
  const bool row = !rs.Eof();
  lblnome->setText(row ? rt::Text(rs.field(QStringLiteral("nome"))) : QString());
  lblsistema->setText(row ? rt::Text(rs.field(QStringLiteral("sistema"))) : QString());
  lblpc->setText(row ? rt::Text(rs.field(QStringLiteral("pc"))) : QString());
  barra->setMax(60);
  barra->setValue(0);
}

QString frmsobre::statusFor(int v) {
  if (v >= 1 && v <= 10) return QStringLiteral("Inciando Sistema de Backup");
  if (v >= 11 && v <= 19) return QStringLiteral("Abrindo Banco de Dados");
  if (v >= 20 && v <= 29) return QStringLiteral("Acessando Tabela");
  if (v >= 30 && v <= 39) return QStringLiteral("Verificando Dados da Tabela");
  if (v >= 40 && v <= 49) return QStringLiteral("Verificando Status da Rede");
  if (v >= 50 && v <= 59) return QStringLiteral("Aguarde...");
  return {};
}

void frmsobre::Timer1_Timer() {
  barra->setValue(barra->Value() + 1);
  const int v = barra->Value();
  const QString status = statusFor(v);
  if (!status.isEmpty()) lblstatus->setText(status);
  if (v == 60) {
    unload();
    frmbkp::instance().show();
  }
}

void frmsobre::unload() {
  Timer1->stop();
  if (g_instance == this) g_instance = nullptr;
  hide();
  deleteLater();
}

}  // namespace ark::app
